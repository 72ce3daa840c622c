// Numbers that name a person: registration numbers, phone numbers, cards.
#include "diag/redact/value_match.h"

namespace vantu::redact {
namespace {

unsigned number_at(const ScanView& t, std::size_t i, std::size_t digits)
{
    unsigned value = 0;
    for (std::size_t k = 0; k < digits; ++k)
        value = value * 10 + (t.v[i + k] - '0');
    return value;
}

bool real_date(unsigned year, unsigned month, unsigned day)
{
    static const unsigned kDays[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12 || day < 1 || day > kDays[month - 1])
        return false;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month != 2 || day <= 28 || leap;
}

// Inside a longer chain of hyphenated digits (a serial number, a GUID).
bool inside_digit_chain(const ScanView& t, std::size_t p)
{
    return t.before(p) == '-' && p >= 2 && is_digit(t.v[p - 2]);
}

bool luhn(const std::string& digits)
{
    unsigned sum = 0;
    bool twice = false;
    for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
        unsigned d = static_cast<unsigned>(*it - '0');
        if (twice) {
            d *= 2;
            if (d > 9)
                d -= 9;
        }
        sum += d;
        twice = !twice;
    }
    return sum % 10 == 0;
}

// Prefixes the card networks publish, for a number written without groups.
bool network_prefix(const std::string& d)
{
    const unsigned two = static_cast<unsigned>((d[0] - '0') * 10 + (d[1] - '0'));
    const unsigned three = two * 10 + static_cast<unsigned>(d[2] - '0');
    const unsigned four = three * 10 + static_cast<unsigned>(d[3] - '0');
    if (d.size() == 15)
        return two == 34 || two == 37; // American Express
    return d[0] == '4'                           // Visa
           || (two >= 51 && two <= 55)            // Mastercard
           || (four >= 2221 && four <= 2720)      // Mastercard
           || (four >= 3528 && four <= 3589)      // JCB
           || two == 62                           // UnionPay
           || four == 6011 || two == 65 || (three >= 644 && three <= 649); // Discover
}

void append_digits(const ScanView& t, std::size_t i, std::size_t count, std::string& out)
{
    out.append(reinterpret_cast<const char*>(t.v + i), count);
}

bool number_ends(const ScanView& t, std::size_t end)
{
    const std::uint8_t next = t.at(end);
    return !is_word(next) && !((next == '-' || next == '.') && is_digit(t.at(end + 1)));
}

} // namespace

bool match_rrn(const ScanView& t, std::size_t p, Found& f)
{
    if (t.digits(p) != 6 || inside_digit_chain(t, p))
        return false;
    const std::uint8_t sep = t.at(p + 6);
    if ((sep != '-' && sep != ' ') || t.digits(p + 7) != 7 || !number_ends(t, p + 14))
        return false;
    // The seventh digit gives sex and century: 1, 2, 5, 6 born in the 1900s,
    // 3, 4, 7, 8 in the 2000s (5 to 8 for foreign residents).
    const unsigned g = t.v[p + 7] - '0';
    if (g < 1 || g > 8)
        return false;
    const unsigned century = (g == 1 || g == 2 || g == 5 || g == 6) ? 1900 : 2000;
    if (!real_date(century + number_at(t, p, 2), number_at(t, p + 2, 2), number_at(t, p + 4, 2)))
        return false;
    f.end = p + 14;
    f.kind = RedactKind::rrn;
    f.keep = false;
    f.key.clear();
    append_digits(t, p, 6, f.key);
    append_digits(t, p + 7, 7, f.key);
    return true;
}

bool match_card(const ScanView& t, std::size_t p, Found& f)
{
    if (inside_digit_chain(t, p))
        return false;
    const std::size_t d = t.digits(p);
    std::string digits;
    std::size_t end = 0;
    if (d == 4) {
        const std::uint8_t sep = t.at(p + 4);
        if (sep != ' ' && sep != '-')
            return false;
        if (t.digits(p + 5) == 4 && t.at(p + 9) == sep && t.digits(p + 10) == 4 && t.at(p + 14) == sep &&
            t.digits(p + 15) == 4) {
            end = p + 19;
            for (std::size_t g = 0; g < 4; ++g)
                append_digits(t, p + g * 5, 4, digits);
        } else if (t.digits(p + 5) == 6 && t.at(p + 11) == sep && t.digits(p + 12) == 5) {
            end = p + 17;
            append_digits(t, p, 4, digits);
            append_digits(t, p + 5, 6, digits);
            append_digits(t, p + 12, 5, digits);
        } else {
            return false;
        }
        if (is_word(t.at(end)) || (t.at(end) == '-' && is_digit(t.at(end + 1))))
            return false;
    } else if (d == 15 || d == 16) {
        // A bare run: only with a network's prefix, so that counters and time
        // stamps are left alone.
        if (is_word(t.at(p + d)))
            return false;
        append_digits(t, p, d, digits);
        if (!network_prefix(digits))
            return false;
        end = p + d;
    } else {
        return false;
    }
    if (!luhn(digits))
        return false;
    f.end = end;
    f.kind = RedactKind::card;
    f.keep = false;
    f.key = std::move(digits);
    return true;
}

bool match_phone(const ScanView& t, std::size_t p, Found& f)
{
    std::size_t i = p;
    if (t.v[p] == '+') {
        if (t.at(p + 1) != '8' || t.at(p + 2) != '2' || is_digit(t.at(p + 3)))
            return false;
        i = p + 3;
        const std::uint8_t c = t.at(i);
        if (c == '-' || c == ' ' || c == '.')
            ++i;
        if (t.at(i) == '0') // "+82 010-..." as some write it
            ++i;
    } else {
        if (t.v[p] != '0' || inside_digit_chain(t, p))
            return false;
        ++i;
    }
    const std::size_t area_digits = t.digits(i);
    if (area_digits == 0 || area_digits > 2)
        return false;
    const unsigned area = number_at(t, i, area_digits);
    const bool known = area == 2 || area == 10 || area == 11 || (area >= 16 && area <= 19) || area == 70 ||
                       (area >= 31 && area <= 33) || (area >= 41 && area <= 44) || (area >= 51 && area <= 55) ||
                       (area >= 61 && area <= 64);
    if (!known || (area == 2) != (area_digits == 1))
        return false;
    std::size_t j = i + area_digits;
    const std::uint8_t sep = t.at(j);
    if (sep != '-' && sep != '.' && sep != ' ')
        return false;
    const std::size_t middle = t.digits(j + 1);
    if (middle != 3 && middle != 4)
        return false;
    const std::size_t last = j + 1 + middle;
    if (t.at(last) != sep || t.digits(last + 1) != 4)
        return false;
    const std::size_t end = last + 5;
    if (!number_ends(t, end))
        return false;
    f.end = end;
    f.kind = RedactKind::phone;
    f.keep = false;
    f.key.assign(1, '0');
    append_digits(t, i, area_digits, f.key);
    append_digits(t, j + 1, middle, f.key);
    append_digits(t, last + 1, 4, f.key);
    return true;
}

} // namespace vantu::redact
