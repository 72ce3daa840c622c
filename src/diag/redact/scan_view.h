// The text as the matchers see it: one byte per code unit, the unit itself when
// it is an ASCII character, kNonAsciiStart for the first unit of any other
// character and kNonAsciiMore for its later units (a DBCS trail byte, a UTF-16
// low surrogate). So no pattern can match on a trail byte whose value happens to
// be a letter, and UTF-16 is scanned like single bytes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace vantu::redact {

inline constexpr std::uint8_t kNonAsciiMore = 0x80;
inline constexpr std::uint8_t kNonAsciiStart = 0x81;

enum : std::uint8_t {
    kcDigit = 1,
    kcHex = 2,   // 0-9 A-F a-f
    kcAlpha = 4,
    kcWord = 8,  // A-Z a-z 0-9 _
    kcLocal = 16 // what an e-mail address's local part may hold
};
constexpr std::array<std::uint8_t, 256> make_char_classes()
{
    std::array<std::uint8_t, 256> c{};
    for (int i = '0'; i <= '9'; ++i)
        c[i] = kcDigit | kcHex | kcWord | kcLocal;
    for (int i = 'a'; i <= 'z'; ++i) {
        c[i] = kcAlpha | kcWord | kcLocal;
        c[i - 32] = kcAlpha | kcWord | kcLocal;
    }
    for (int i = 'a'; i <= 'f'; ++i) {
        c[i] |= kcHex;
        c[i - 32] |= kcHex;
    }
    c['_'] = kcWord | kcLocal;
    c['.'] = c['%'] = c['+'] = c['-'] = kcLocal;
    return c;
}
inline constexpr std::array<std::uint8_t, 256> kCharClass = make_char_classes();

inline bool is_digit(std::uint8_t c) { return static_cast<unsigned>(c - '0') < 10u; }
inline bool is_hex(std::uint8_t c) { return (kCharClass[c] & kcHex) != 0; }
inline bool is_alpha(std::uint8_t c) { return (kCharClass[c] & kcAlpha) != 0; }
inline bool is_word(std::uint8_t c) { return (kCharClass[c] & kcWord) != 0; }
inline std::uint8_t to_lower(std::uint8_t c) { return c >= 'A' && c <= 'Z' ? static_cast<std::uint8_t>(c + 32) : c; }
inline unsigned hex_value(std::uint8_t c)
{
    return is_digit(c) ? c - '0' : static_cast<unsigned>(to_lower(c) - 'a' + 10);
}

struct ScanView
{
    const std::uint8_t* v = nullptr;
    std::size_t n = 0;

    // Past either end: 0, which no pattern takes as part of a value.
    std::uint8_t at(std::size_t i) const { return i < n ? v[i] : 0; }
    std::uint8_t before(std::size_t i) const { return i > 0 && i <= n ? v[i - 1] : 0; }
    // Consecutive decimal digits from i.
    std::size_t digits(std::size_t i) const
    {
        std::size_t j = i;
        while (j < n && is_digit(v[j]))
            ++j;
        return j - i;
    }
};

} // namespace vantu::redact
