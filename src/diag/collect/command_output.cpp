#include "diag/collect/command_output.h"

#include "diag/collect/collect_text.h"

#include <algorithm>

namespace {

void append_code_point(std::wstring& out, char32_t cp)
{
    if constexpr (sizeof(wchar_t) == 2) {
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += static_cast<wchar_t>(0xD800 + (cp >> 10));
            out += static_cast<wchar_t>(0xDC00 + (cp & 0x3FF));
            return;
        }
    }
    out += static_cast<wchar_t>(cp);
}

} // namespace

bool decode_utf8_strict(std::string_view bytes, std::wstring& out)
{
    std::wstring text;
    text.reserve(bytes.size());
    size_t i = 0;
    while (i < bytes.size()) {
        unsigned char lead = static_cast<unsigned char>(bytes[i]);
        if (lead < 0x80) {
            text += static_cast<wchar_t>(lead);
            ++i;
            continue;
        }
        size_t length;
        char32_t cp;
        char32_t minimum;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2, cp = lead & 0x1F, minimum = 0x80;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3, cp = lead & 0x0F, minimum = 0x800;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4, cp = lead & 0x07, minimum = 0x10000;
        } else {
            return false;
        }
        if (i + length > bytes.size())
            return false;
        for (size_t k = 1; k < length; ++k) {
            unsigned char next = static_cast<unsigned char>(bytes[i + k]);
            if ((next & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (next & 0x3F);
        }
        if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        append_code_point(text, cp);
        i += length;
    }
    out = std::move(text);
    return true;
}

std::wstring decode_command_output(std::string_view bytes, const OemDecoder& oem)
{
    std::string kept;
    kept.reserve(bytes.size());
    std::copy_if(bytes.begin(), bytes.end(), std::back_inserter(kept), [](char c) { return c != 0; });

    bool ascii = std::none_of(kept.begin(), kept.end(),
                              [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    std::wstring text;
    if (ascii || !decode_utf8_strict(kept, text) || text.empty())
        text = oem ? oem(kept) : std::wstring();
    return diag_text::replace_all(text, L"\r\n", L"\n");
}
