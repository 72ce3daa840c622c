#include "diag/collect/collect_text.h"

#include <cwctype>

namespace diag_text {

std::wstring replace_all(std::wstring_view text, std::wstring_view from, std::wstring_view to)
{
    if (from.empty())
        return std::wstring(text);
    std::wstring out;
    out.reserve(text.size());
    size_t pos = 0;
    for (;;) {
        size_t hit = text.find(from, pos);
        if (hit == std::wstring_view::npos)
            break;
        out.append(text.substr(pos, hit - pos));
        out.append(to);
        pos = hit + from.size();
    }
    out.append(text.substr(pos));
    return out;
}

static bool is_blank(wchar_t c)
{
    return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n' || c == L'\v' || c == L'\f';
}

std::wstring trim(std::wstring_view text)
{
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && is_blank(text[begin]))
        ++begin;
    while (end > begin && is_blank(text[end - 1]))
        --end;
    return std::wstring(text.substr(begin, end - begin));
}

std::wstring lower(std::wstring_view text)
{
    std::wstring out(text);
    for (wchar_t& c : out) {
        if (c >= L'A' && c <= L'Z')
            c = static_cast<wchar_t>(c - L'A' + L'a');
        else if (c > 0x7F)
            c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
    }
    return out;
}

bool contains_no_case(std::wstring_view haystack, std::wstring_view needle)
{
    return lower(haystack).find(lower(needle)) != std::wstring::npos;
}

std::wstring pad_right(std::wstring_view text, size_t width)
{
    std::wstring out(text);
    if (out.size() < width)
        out.append(width - out.size(), L' ');
    return out;
}

} // namespace diag_text
