#include "common/size_format.h"

#include "common/format.h"

#include <cmath>

namespace {

const wchar_t* const units[] = {L" Bytes", L"KB", L"MB", L"GB", L"TB", L"PB", L"EB", L"ZB", L"YB"};
constexpr int unit_count = 9;

std::wstring group_thousands(const std::wstring& number)
{
    const std::size_t dot = number.find(L'.');
    const std::wstring integer = number.substr(0, dot);
    const std::wstring rest = dot == std::wstring::npos ? std::wstring() : number.substr(dot);
    std::wstring out;
    const std::size_t n = integer.size();
    for (std::size_t i = 0; i < n; ++i) {
        out += integer[i];
        const std::size_t left = n - 1 - i;
        if (left > 0 && left % 3 == 0) {
            out += L',';
        }
    }
    return out + rest;
}

}  // namespace

std::wstring format_size(std::uint64_t bytes, int unit, int decimals, bool append_unit, bool thousands,
                         bool round_down)
{
    double value = static_cast<double>(bytes);
    int index = 0;
    if (unit < 0) {
        while (value >= 1000.0 && index < unit_count - 1) {
            value /= 1024.0;
            ++index;
        }
        if (index == 0) {
            decimals = 0;
        } else if (value < 10.0) {
            decimals = 2;
        } else if (value < 100.0) {
            decimals = 1;
        } else {
            decimals = 0;
        }
    } else {
        index = unit < unit_count ? unit : unit_count - 1;
        for (int i = 0; i < index; ++i) {
            value /= 1024.0;
        }
        if (decimals < 0) {
            decimals = 0;
        }
        if (decimals > 9) {
            decimals = 9;
        }
    }

    const double scale = std::pow(10.0, decimals);
    // The small tolerance keeps values such as 1.1 (stored as 1.1000000000000001)
    // from rounding to the next step.
    double scaled = value * scale;
    scaled = round_down ? std::floor(scaled + 1e-9) : std::ceil(scaled - 1e-9);
    if (scaled <= 0.0) {
        scaled = 0.0;  // no "-0" from rounding zero
    }
    if (bytes > 0 && scaled < 1.0) {
        scaled = 1.0;
    }
    const double shown = scaled / scale;

    const std::wstring fmt = format_text(L"%%0.%df", decimals);
    std::wstring text = format_text(fmt.c_str(), shown);
    if (thousands) {
        text = group_thousands(text);
    }
    if (append_unit) {
        text += units[index];
    }
    return text;
}
