#include "diag/redact/text_encoding.h"

namespace vantu::redact {
namespace {

// Length of the well-formed UTF-8 sequence at s[i], 0 when ill-formed; `cut`
// turns true when the sequence runs past the end but is well-formed so far.
std::size_t utf8_sequence(std::string_view s, std::size_t i, bool& cut)
{
    const auto b = static_cast<unsigned char>(s[i]);
    cut = false;
    if (b < 0x80)
        return 1;
    std::size_t len = 0;
    unsigned char lo = 0x80, hi = 0xBF;
    if (b >= 0xC2 && b <= 0xDF) {
        len = 2;
    } else if (b >= 0xE0 && b <= 0xEF) {
        len = 3;
        if (b == 0xE0)
            lo = 0xA0;
        if (b == 0xED)
            hi = 0x9F; // no surrogates
    } else if (b >= 0xF0 && b <= 0xF4) {
        len = 4;
        if (b == 0xF0)
            lo = 0x90;
        if (b == 0xF4)
            hi = 0x8F;
    } else {
        return 0;
    }
    for (std::size_t k = 1; k < len; ++k) {
        if (i + k >= s.size()) {
            cut = true;
            return 0;
        }
        const auto c = static_cast<unsigned char>(s[i + k]);
        if (c < (k == 1 ? lo : 0x80) || c > (k == 1 ? hi : 0xBF))
            return 0;
    }
    return len;
}

bool is_odd_control(unsigned unit)
{
    return unit < 0x20 && unit != '\t' && unit != '\n' && unit != '\r' && unit != '\f' && unit != '\v' &&
           unit != 0x1B;
}

} // namespace

bool looks_like_text(std::string_view head, TextEncoding encoding)
{
    if (head.size() > kDetectionBytes)
        head = head.substr(0, kDetectionBytes);
    std::size_t units = 0, controls = 0;
    if (encoding == TextEncoding::utf16le || encoding == TextEncoding::utf16be) {
        const bool big = encoding == TextEncoding::utf16be;
        for (std::size_t i = 0; i + 1 < head.size(); i += 2) {
            const auto a = static_cast<unsigned char>(head[i]), b = static_cast<unsigned char>(head[i + 1]);
            const unsigned unit = big ? (a << 8 | b) : (b << 8 | a);
            if (unit == 0)
                return false;
            ++units;
            controls += is_odd_control(unit) ? 1 : 0;
        }
    } else {
        for (const char c : head) {
            const auto unit = static_cast<unsigned char>(c);
            if (unit == 0)
                return false;
            ++units;
            controls += is_odd_control(unit) ? 1 : 0;
        }
    }
    return controls * 50 <= units;
}

DetectedEncoding detect_encoding(std::string_view head)
{
    if (head.size() > kDetectionBytes)
        head = head.substr(0, kDetectionBytes);
    auto starts = [&](std::string_view bom) { return head.substr(0, bom.size()) == bom; };
    if (starts("\xEF\xBB\xBF"))
        return {TextEncoding::utf8, 3};
    if (starts("\xFF\xFE"))
        return {TextEncoding::utf16le, 2};
    if (starts("\xFE\xFF"))
        return {TextEncoding::utf16be, 2};
    // UTF-16 text of mostly Latin letters has a zero in every other byte.
    std::size_t pairs = head.size() / 2, zero_even = 0, zero_odd = 0;
    for (std::size_t i = 0; i + 1 < head.size(); i += 2) {
        zero_even += head[i] == '\0';
        zero_odd += head[i + 1] == '\0';
    }
    if (pairs > 0) {
        if (zero_odd * 10 >= pairs * 3 && zero_even * 10 < pairs)
            return {TextEncoding::utf16le, 0};
        if (zero_even * 10 >= pairs * 3 && zero_odd * 10 < pairs)
            return {TextEncoding::utf16be, 0};
    }
    for (std::size_t i = 0; i < head.size();) {
        bool cut = false;
        const std::size_t len = utf8_sequence(head, i, cut);
        if (cut)
            break;
        if (len == 0)
            return {TextEncoding::ansi, 0};
        i += len;
    }
    return {TextEncoding::utf8, 0};
}

bool is_lead_byte(unsigned code_page, unsigned char byte)
{
    switch (code_page) {
    case 949: // Korean (Unified Hangul Code)
    case 936: // Simplified Chinese
    case 950: // Traditional Chinese
        return byte >= 0x81 && byte <= 0xFE;
    case 932: // Japanese
        return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
    default:
        return false;
    }
}

std::u16string utf8_to_utf16(std::string_view utf8)
{
    std::u16string out;
    for (std::size_t i = 0; i < utf8.size();) {
        bool cut = false;
        const std::size_t len = utf8_sequence(utf8, i, cut);
        if (len == 0) {
            out.push_back(u'\uFFFD');
            ++i;
            continue;
        }
        const auto b = static_cast<unsigned char>(utf8[i]);
        char32_t cp = len == 1 ? b : (b & (0x7F >> len));
        for (std::size_t k = 1; k < len; ++k)
            cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
        i += len;
    }
    return out;
}

} // namespace vantu::redact
