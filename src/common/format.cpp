// A printf engine of our own for wide text. The C runtimes disagree on what %s
// means in a wide format (glibc and mingw's C99 printf take a narrow string, the
// Windows runtime a wide one), so strings and characters are handled here and only
// single numeric conversions are handed to swprintf, whose meaning is the same
// everywhere.
#include "common/format.h"

#include "common/text_convert.h"

#include <cstddef>
#include <cstdint>
#include <cwchar>
#include <vector>

namespace {

enum class length_kind { none, hh, h, l, ll, L, j, z, t, i32, i64, w };

struct conversion
{
    std::wstring flags;
    int width = -1;
    int precision = -1;
    length_kind length = length_kind::none;
    wchar_t type = 0;
};

bool has_flag(const conversion& c, wchar_t f)
{
    return c.flags.find(f) != std::wstring::npos;
}

// A width or precision written as digits. Above a million it is refused, so that
// a hostile format cannot ask for gigabytes of padding.
bool read_bounded_number(const wchar_t*& p, int& value)
{
    long n = 0;
    while (*p >= L'0' && *p <= L'9') {
        n = n * 10 + (*p - L'0');
        if (n > 1000000)
            return false;
        ++p;
    }
    value = static_cast<int>(n);
    return true;
}

void append_padded(std::wstring& out, const std::wstring& text, const conversion& c)
{
    if (c.width > 0 && static_cast<int>(text.size()) < c.width) {
        const std::size_t pad = static_cast<std::size_t>(c.width) - text.size();
        if (has_flag(c, L'-')) {
            out += text;
            out.append(pad, L' ');
        } else {
            out.append(pad, has_flag(c, L'0') ? L'0' : L' ');
            out += text;
        }
    } else {
        out += text;
    }
}

// Formats one numeric conversion with swprintf; the directive is the complete "%...x" text.
template <typename T>
bool format_number(std::wstring& out, const std::wstring& directive, T value)
{
    std::vector<wchar_t> buffer(64);
    for (;;) {
        const int n = std::swprintf(buffer.data(), buffer.size(), directive.c_str(), value);
        if (n >= 0) {
            out.append(buffer.data(), static_cast<std::size_t>(n));
            return true;
        }
        if (buffer.size() >= (1u << 20)) {
            return false;
        }
        buffer.resize(buffer.size() * 4);
    }
}

std::wstring numeric_directive(const conversion& c, const wchar_t* length, wchar_t type)
{
    std::wstring directive = L"%" + c.flags;
    if (c.width >= 0) {
        directive += std::to_wstring(c.width);
    }
    if (c.precision >= 0) {
        directive += L"." + std::to_wstring(c.precision);
    }
    directive += length;
    directive += type;
    return directive;
}

bool narrow_length(length_kind k) { return k == length_kind::h || k == length_kind::hh; }
bool wide_length(length_kind k) { return k == length_kind::l || k == length_kind::w; }

}  // namespace

bool try_vformat_text(std::wstring& result, const wchar_t* fmt, va_list args_in)
{
    if (!fmt) {
        return false;
    }
    va_list args;
    va_copy(args, args_in);
    std::wstring out;
    bool ok = true;
    const wchar_t* p = fmt;
    while (*p && ok) {
        if (*p != L'%') {
            const wchar_t* start = p;
            while (*p && *p != L'%') {
                ++p;
            }
            out.append(start, static_cast<std::size_t>(p - start));
            continue;
        }
        ++p;
        if (*p == L'%') {
            out += L'%';
            ++p;
            continue;
        }
        conversion c;
        while (*p == L'-' || *p == L'+' || *p == L' ' || *p == L'#' || *p == L'0') {
            if (!has_flag(c, *p)) {
                c.flags += *p;
            }
            ++p;
        }
        if (*p == L'*') {
            int w = va_arg(args, int);
            // The same bound as a written width; INT_MIN has no positive form.
            if (w < -1000000 || w > 1000000) {
                ok = false;
            } else if (w < 0) {
                if (!has_flag(c, L'-')) {
                    c.flags += L'-';
                }
                w = -w;
            }
            c.width = w;
            ++p;
        } else if (*p >= L'0' && *p <= L'9') {
            ok = read_bounded_number(p, c.width);
        }
        if (!ok) {
            break;
        }
        if (*p == L'.') {
            ++p;
            if (*p == L'*') {
                const int pr = va_arg(args, int);
                c.precision = pr < 0 ? -1 : pr;
                if (pr > 1000000) {
                    ok = false;
                }
                ++p;
            } else {
                ok = read_bounded_number(p, c.precision);
            }
        }
        if (!ok) {
            break;
        }
        switch (*p) {
        case L'h':
            ++p;
            c.length = length_kind::h;
            if (*p == L'h') {
                c.length = length_kind::hh;
                ++p;
            }
            break;
        case L'l':
            ++p;
            c.length = length_kind::l;
            if (*p == L'l') {
                c.length = length_kind::ll;
                ++p;
            }
            break;
        case L'L': c.length = length_kind::L; ++p; break;
        case L'j': c.length = length_kind::j; ++p; break;
        case L'z': c.length = length_kind::z; ++p; break;
        case L't': c.length = length_kind::t; ++p; break;
        case L'w': c.length = length_kind::w; ++p; break;
        case L'I':
            if (p[1] == L'6' && p[2] == L'4') {
                c.length = length_kind::i64;
                p += 3;
            } else if (p[1] == L'3' && p[2] == L'2') {
                c.length = length_kind::i32;
                p += 3;
            } else {
                c.length = length_kind::z;
                ++p;
            }
            break;
        default: break;
        }
        c.type = *p;
        if (!c.type) {
            ok = false;
            break;
        }
        ++p;
        switch (c.type) {
        case L'd':
        case L'i':
        case L'u':
        case L'o':
        case L'x':
        case L'X': {
            const bool is_signed = c.type == L'd' || c.type == L'i';
            switch (c.length) {
            case length_kind::ll:
            case length_kind::i64:
            case length_kind::j:
                ok = is_signed ? format_number(out, numeric_directive(c, L"ll", c.type), static_cast<long long>(va_arg(args, long long)))
                               : format_number(out, numeric_directive(c, L"ll", c.type), static_cast<unsigned long long>(va_arg(args, unsigned long long)));
                break;
            case length_kind::l:
                ok = is_signed ? format_number(out, numeric_directive(c, L"ll", c.type), static_cast<long long>(va_arg(args, long)))
                               : format_number(out, numeric_directive(c, L"ll", c.type), static_cast<unsigned long long>(va_arg(args, unsigned long)));
                break;
            case length_kind::z:
            case length_kind::t:
                ok = is_signed ? format_number(out, numeric_directive(c, L"ll", c.type), static_cast<long long>(va_arg(args, std::ptrdiff_t)))
                               : format_number(out, numeric_directive(c, L"ll", c.type), static_cast<unsigned long long>(va_arg(args, std::size_t)));
                break;
            case length_kind::h: {
                const int v = va_arg(args, int);
                ok = is_signed ? format_number(out, numeric_directive(c, L"", c.type), static_cast<int>(static_cast<short>(v)))
                               : format_number(out, numeric_directive(c, L"", c.type), static_cast<unsigned>(static_cast<unsigned short>(v)));
                break;
            }
            case length_kind::hh: {
                const int v = va_arg(args, int);
                ok = is_signed ? format_number(out, numeric_directive(c, L"", c.type), static_cast<int>(static_cast<signed char>(v)))
                               : format_number(out, numeric_directive(c, L"", c.type), static_cast<unsigned>(static_cast<unsigned char>(v)));
                break;
            }
            case length_kind::none:
            case length_kind::i32:
                ok = is_signed ? format_number(out, numeric_directive(c, L"", c.type), va_arg(args, int))
                               : format_number(out, numeric_directive(c, L"", c.type), va_arg(args, unsigned));
                break;
            default:
                ok = false;
                break;
            }
            break;
        }
        case L'f':
        case L'F':
        case L'e':
        case L'E':
        case L'g':
        case L'G':
        case L'a':
        case L'A':
            if (c.length == length_kind::L) {
                ok = format_number(out, numeric_directive(c, L"", c.type), static_cast<double>(va_arg(args, long double)));
            } else {
                ok = format_number(out, numeric_directive(c, L"", c.type), va_arg(args, double));
            }
            break;
        case L'c':
        case L'C': {
            const int v = va_arg(args, int);
            const bool narrow = narrow_length(c.length) || (c.type == L'C' && !wide_length(c.length));
            std::wstring text;
            if (narrow) {
                const char ch = static_cast<char>(v);
                text = from_system_narrow(std::string_view(&ch, 1));
            } else {
                text.assign(1, static_cast<wchar_t>(v));
            }
            append_padded(out, text, c);
            break;
        }
        case L's':
        case L'S': {
            const bool narrow = narrow_length(c.length) || (c.type == L'S' && !wide_length(c.length));
            std::wstring text;
            if (narrow) {
                const char* s = va_arg(args, const char*);
                if (!s) {
                    text = L"(null)";
                } else {
                    std::size_t n = 0;
                    while (s[n] && (c.precision < 0 || n < static_cast<std::size_t>(c.precision))) {
                        ++n;
                    }
                    text = from_system_narrow(std::string_view(s, n));
                }
            } else {
                const wchar_t* s = va_arg(args, const wchar_t*);
                if (!s) {
                    text = L"(null)";
                } else {
                    std::size_t n = 0;
                    while (s[n] && (c.precision < 0 || n < static_cast<std::size_t>(c.precision))) {
                        ++n;
                    }
                    text.assign(s, n);
                }
            }
            if (c.precision >= 0 && text.size() > static_cast<std::size_t>(c.precision)) {
                text.resize(static_cast<std::size_t>(c.precision));
            }
            append_padded(out, text, c);
            break;
        }
        case L'p': {
            const void* v = va_arg(args, const void*);
            const auto bits = static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(v));
            wchar_t buf[32];
            std::swprintf(buf, 32, L"%0*llX", static_cast<int>(sizeof(void*) * 2), bits);
            append_padded(out, buf, c);
            break;
        }
        default:
            // %n and anything unknown: refused, as the Windows runtime refuses them.
            ok = false;
            break;
        }
    }
    va_end(args);
    if (!ok) {
        return false;
    }
    result.swap(out);
    return true;
}

std::wstring vformat_text(const wchar_t* fmt, va_list args)
{
    std::wstring out;
    if (!try_vformat_text(out, fmt, args)) {
        return std::wstring();
    }
    return out;
}

std::wstring format_text(const wchar_t* fmt, ...)
{
    va_list args;
    va_start(args, fmt);
    std::wstring out = vformat_text(fmt, args);
    va_end(args);
    return out;
}
