#include "common/text_convert.h"

#include <cstdint>

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

void append_utf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// One code point of UTF-8 at s[i]. An ill-formed sequence is invalid; `next`
// is then where decoding resumes: after a bad lead byte, at the byte that broke
// the sequence, or after a complete sequence of an overlong, surrogate or too
// large value.
struct Utf8Step {
    char32_t cp = 0;
    std::size_t next = 0;
    bool valid = false;
};

Utf8Step utf8_step(const unsigned char* s, std::size_t n, std::size_t i)
{
    const unsigned char b = s[i];
    if (b < 0x80)
        return {b, i + 1, true};
    int extra = 0;
    char32_t cp = 0;
    char32_t min = 0;
    if (b >= 0xC2 && b <= 0xDF) {
        extra = 1; cp = b & 0x1F; min = 0x80;
    } else if (b >= 0xE0 && b <= 0xEF) {
        extra = 2; cp = b & 0x0F; min = 0x800;
    } else if (b >= 0xF0 && b <= 0xF4) {
        extra = 3; cp = b & 0x07; min = 0x10000;
    } else {
        return {0, i + 1, false};
    }
    std::size_t j = i + 1;
    for (int k = 0; k < extra; ++k, ++j) {
        if (j >= n || (s[j] & 0xC0) != 0x80)
            return {0, j > i + 1 ? j : i + 1, false};
        cp = (cp << 6) | (s[j] & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return {0, j, false};
    return {cp, j, true};
}

}  // namespace

std::string to_utf8(std::wstring_view text)
{
    std::string out;
    out.reserve(text.size() + text.size() / 2);
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t cp = static_cast<char32_t>(text[i]);
        if constexpr (sizeof(wchar_t) == 2) {
            cp &= 0xFFFF;
            if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size()) {
                const char32_t lo = static_cast<char32_t>(text[i + 1]) & 0xFFFF;
                if (lo >= 0xDC00 && lo <= 0xDFFF) {
                    cp = 0x10000 + ((cp - 0xD800) << 10) + (lo - 0xDC00);
                    ++i;
                }
            }
        }
        if ((cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) {
            cp = 0xFFFD;
        }
        append_utf8(out, cp);
    }
    return out;
}

std::wstring from_utf8(std::string_view text)
{
    std::wstring out;
    out.reserve(text.size());
    const auto* s = reinterpret_cast<const unsigned char*>(text.data());
    for (std::size_t i = 0; i < text.size();) {
        const Utf8Step step = utf8_step(s, text.size(), i);
        if (step.valid)
            append_code_point(out, step.cp);
        else
            out += L'\xFFFD';
        i = step.next;
    }
    return out;
}

bool decode_utf8_strict(std::string_view bytes, std::wstring& out)
{
    std::wstring text;
    text.reserve(bytes.size());
    const auto* s = reinterpret_cast<const unsigned char*>(bytes.data());
    for (std::size_t i = 0; i < bytes.size();) {
        const Utf8Step step = utf8_step(s, bytes.size(), i);
        if (!step.valid)
            return false;
        append_code_point(text, step.cp);
        i = step.next;
    }
    out = std::move(text);
    return true;
}
