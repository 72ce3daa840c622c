#include "common/text_file.h"

#include "common/file_utils.h"
#include "common/text_convert.h"
#include "common/text_file_platform.h"

#include <algorithm>
#include <cstdio>

bool is_valid_utf8(std::string_view bytes)
{
    const auto* s = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t n = bytes.size();
    std::size_t i = 0;
    while (i < n) {
        const unsigned char b = s[i];
        if (b < 0x80) {
            ++i;
            continue;
        }
        int extra = 0;
        unsigned cp = 0;
        unsigned min = 0;
        if (b >= 0xC2 && b <= 0xDF) {
            extra = 1; cp = b & 0x1Fu; min = 0x80;
        } else if (b >= 0xE0 && b <= 0xEF) {
            extra = 2; cp = b & 0x0Fu; min = 0x800;
        } else if (b >= 0xF0 && b <= 0xF4) {
            extra = 3; cp = b & 0x07u; min = 0x10000;
        } else {
            return false;
        }
        if (i + static_cast<std::size_t>(extra) >= n) {
            return false;
        }
        for (int k = 1; k <= extra; ++k) {
            if ((s[i + k] & 0xC0) != 0x80) {
                return false;
            }
            cp = (cp << 6) | (s[i + k] & 0x3Fu);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            return false;
        }
        i += static_cast<std::size_t>(extra) + 1;
    }
    return true;
}

bool looks_like_utf16le(std::string_view bytes)
{
    const std::size_t pairs = bytes.size() / 2;
    if (pairs == 0) {
        return false;
    }
    std::size_t zero_high = 0;
    for (std::size_t i = 0; i < pairs; ++i) {
        const unsigned char lo = static_cast<unsigned char>(bytes[2 * i]);
        const unsigned char hi = static_cast<unsigned char>(bytes[2 * i + 1]);
        if (lo == 0 && hi == 0) {
            return false;  // text has no NUL characters
        }
        if (hi == 0) {
            ++zero_high;
        }
    }
    return zero_high * 2 >= pairs;
}

int detect_text_encoding_of(std::string_view head, std::uint64_t file_size,
                            const std::function<bool(std::string_view)>& is_text_unicode,
                            const std::function<bool()>& whole_file_is_utf8)
{
    const auto b = [&](std::size_t i) { return static_cast<unsigned char>(head[i]); };
    const std::size_t n = head.size();
    if (n >= 3 && b(0) == 0xEF && b(1) == 0xBB && b(2) == 0xBF) {
        return text_encoding_utf8_bom;
    }
    if (n >= 2) {
        if (b(0) == 0xFE && b(1) == 0xFF) {
            return text_encoding_utf16be_bom;
        }
        // A UTF-32LE mark (FF FE 00 00) starts the same way and is reported here too.
        if (b(0) == 0xFF && b(1) == 0xFE) {
            return text_encoding_utf16le_bom;
        }
    }
    if (n >= 4) {
        if (b(0) == 0x00 && b(1) == 0x00 && b(2) == 0xFE && b(3) == 0xFF) {
            return text_encoding_utf32be_bom;
        }
        if (b(0) == 0x2B && b(1) == 0x2F && b(2) == 0x76 && (b(3) == 0x38 || b(3) == 0x39)) {
            return text_encoding_utf7_bom;
        }
    }
    if (n >= 2 && n % 2 == 0 && file_size % 2 == 0 && b(0) != 0 && b(1) == 0 && is_text_unicode &&
        is_text_unicode(head)) {
        return text_encoding_utf16le;
    }
    if (whole_file_is_utf8 && whole_file_is_utf8()) {
        return text_encoding_utf8;
    }
    return text_encoding_ansi;
}

namespace {

std::wstring from_utf16(std::string_view bytes, bool big_endian)
{
    std::u16string units;
    units.reserve(bytes.size() / 2);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto a = static_cast<unsigned char>(bytes[i]);
        const auto c = static_cast<unsigned char>(bytes[i + 1]);
        units += static_cast<char16_t>(big_endian ? (a << 8 | c) : (c << 8 | a));
    }
    std::wstring out;
    out.reserve(units.size());
    for (std::size_t i = 0; i < units.size(); ++i) {
        char32_t cp = units[i];
        if constexpr (sizeof(wchar_t) == 4) {
            if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
                units[i + 1] <= 0xDFFF) {
                cp = 0x10000 + ((cp - 0xD800) << 10) + (units[i + 1] - 0xDC00);
                ++i;
            }
        }
        out += static_cast<wchar_t>(cp);
    }
    return out;
}

std::wstring from_utf32(std::string_view bytes, bool big_endian)
{
    std::wstring out;
    for (std::size_t i = 0; i + 3 < bytes.size(); i += 4) {
        const auto* p = reinterpret_cast<const unsigned char*>(bytes.data() + i);
        char32_t cp = big_endian ? (char32_t(p[0]) << 24 | char32_t(p[1]) << 16 | char32_t(p[2]) << 8 | p[3])
                                 : (char32_t(p[3]) << 24 | char32_t(p[2]) << 16 | char32_t(p[1]) << 8 | p[0]);
        if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            cp = 0xFFFD;
        }
        if (sizeof(wchar_t) == 2 && cp >= 0x10000) {
            cp -= 0x10000;
            out += static_cast<wchar_t>(0xD800 + (cp >> 10));
            out += static_cast<wchar_t>(0xDC00 + (cp & 0x3FF));
        } else {
            out += static_cast<wchar_t>(cp);
        }
    }
    return out;
}

std::wstring without_cr_before_lf(std::wstring text)
{
    std::wstring out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') {
            continue;
        }
        out += text[i];
    }
    return out;
}

}  // namespace

std::wstring decode_text(std::string_view bytes, int encoding)
{
    switch (encoding) {
    case text_encoding_utf8_bom:
        if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") {
            bytes.remove_prefix(3);
        }
        return without_cr_before_lf(from_utf8(bytes));
    case text_encoding_utf8:
        return without_cr_before_lf(from_utf8(bytes));
    case text_encoding_utf16le_bom:
        // FF FE 00 00 is reported as UTF-16LE, but no UTF-16 text starts with a NUL
        // character: such a file is UTF-32LE and read as that.
        if (bytes.size() >= 4 && bytes.size() % 4 == 0 && bytes[2] == 0 && bytes[3] == 0) {
            return from_utf32(bytes.substr(4), false);
        }
        if (bytes.size() >= 2) {
            bytes.remove_prefix(2);
        }
        return from_utf16(bytes, false);
    case text_encoding_utf16le:
        return from_utf16(bytes, false);
    case text_encoding_utf16be_bom:
        if (bytes.size() >= 2) {
            bytes.remove_prefix(2);
        }
        return from_utf16(bytes, true);
    case text_encoding_utf32be_bom:
        if (bytes.size() >= 4) {
            bytes.remove_prefix(4);
        }
        return from_utf32(bytes, true);
    case text_encoding_utf32le_bom:
        if (bytes.size() >= 4) {
            bytes.remove_prefix(4);
        }
        return from_utf32(bytes, false);
    default:
        return from_system_narrow(bytes);
    }
}

namespace {

std::string with_crlf(std::string_view text)
{
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) {
            out += '\r';
        }
        out += text[i];
    }
    return out;
}

std::string read_bytes(FILE* file, std::uint64_t count)
{
    std::string bytes;
    char buffer[65536];
    while (bytes.size() < count) {
        const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(sizeof(buffer), count - bytes.size()));
        const std::size_t got = fread(buffer, 1, want, file);
        if (got == 0) {
            break;
        }
        bytes.append(buffer, got);
    }
    return bytes;
}

}  // namespace

int detect_text_encoding(const std::wstring& path)
{
    FILE* file = open_file_stream(path, L"rb");
    if (!file) {
        return text_encoding_ansi;
    }
    const std::string head = read_bytes(file, 4096);
    const std::int64_t size = file_size(path);
    const auto whole_file_is_utf8 = [&]() {
        if (fseek(file, 0, SEEK_SET) != 0) {
            return false;
        }
        // Read in pieces so a large file is not held whole; a character split
        // between pieces is carried into the next one.
        std::string carry;
        char buffer[65536];
        for (;;) {
            const std::size_t got = fread(buffer, 1, sizeof(buffer), file);
            if (got == 0) {
                break;
            }
            std::string piece = carry + std::string(buffer, got);
            std::size_t cut = piece.size();
            std::size_t back = 0;
            while (back < 3 && cut > 0 && (static_cast<unsigned char>(piece[cut - 1]) & 0xC0) == 0x80) {
                --cut;
                ++back;
            }
            if (cut > 0 && static_cast<unsigned char>(piece[cut - 1]) >= 0xC0) {
                --cut;
            } else {
                cut = piece.size();
            }
            if (!is_valid_utf8(std::string_view(piece).substr(0, cut))) {
                return false;
            }
            carry = piece.substr(cut);
            if (carry.size() > 4) {
                return false;
            }
        }
        return is_valid_utf8(carry);
    };
    const int encoding = detect_text_encoding_of(head, size < 0 ? 0 : static_cast<std::uint64_t>(size),
                                                 system_is_text_unicode, whole_file_is_utf8);
    fclose(file);
    return encoding;
}

std::wstring unreadable_file_message(const std::wstring& path)
{
    return path + L"\n\n위 파일을 열 수 없습니다. 다른 프로세스에 의해 사용중일 수 있습니다.";
}

std::wstring unreadable_file_line(const std::wstring& path)
{
    return path + L": 파일을 열 수 없습니다. 다른 프로세스에 의해 사용중일 수 있습니다.";
}

std::wstring read_text_file(const std::wstring& path, std::int64_t max_bytes)
{
    if (!file_exists(path) || folder_exists(path)) {
        return std::wstring();
    }
    // A file that exists but cannot be opened (held by another process) is
    // reported whatever its encoding: it cannot be detected either.
    FILE* file = open_file_stream(path, L"rb");
    if (!file) {
        report_unreadable_file(path);
        return std::wstring();
    }
    const int encoding = detect_text_encoding(path);
    const std::int64_t size = file_size(path);
    std::uint64_t count = size < 0 ? 0 : static_cast<std::uint64_t>(size);
    if (max_bytes >= 1 && static_cast<std::uint64_t>(max_bytes) < count) {
        count = static_cast<std::uint64_t>(max_bytes);
    }
    if (encoding < text_encoding_utf8) {
        const std::string bytes = read_bytes(file, count);
        fclose(file);
        return encoding == text_encoding_utf7_bom ? decode_utf7(bytes) : from_system_narrow(bytes);
    }
    const std::string bytes = read_bytes(file, count);
    fclose(file);
    return decode_text(bytes, encoding);
}

bool write_text_file(const std::wstring& path, const std::wstring& text, bool utf8, bool raw)
{
    FILE* file = open_file_stream(path, L"wb");
    if (!file) {
        return false;
    }
    std::string bytes;
    if (utf8) {
        bytes = "\xEF\xBB\xBF" + with_crlf(to_utf8(text));
    } else {
        bytes = with_crlf(to_system_narrow(text));
        if (raw) {
            bytes += '\0';
        }
    }
    const bool written = fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const bool closed = fclose(file) == 0;
    return written && closed;
}
