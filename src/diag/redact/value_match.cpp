// Addresses, GUIDs and the version words before dotted numbers.
#include "diag/redact/value_match.h"

#include <cstdio>
#include <string_view>

namespace vantu::redact {
namespace {

// 1-3 digits worth at most 255, not followed by a fourth digit.
bool parse_octet(const ScanView& t, std::size_t& i, unsigned& value)
{
    const std::size_t d = t.digits(i);
    if (d == 0 || d > 3)
        return false;
    value = 0;
    for (std::size_t k = 0; k < d; ++k)
        value = value * 10 + (t.v[i + k] - '0');
    if (value > 255)
        return false;
    i += d;
    return true;
}

bool parse_dotted_quad(const ScanView& t, std::size_t& i, unsigned (&octet)[4])
{
    for (int k = 0; k < 4; ++k) {
        if (k > 0) {
            if (t.at(i) != '.')
                return false;
            ++i;
        }
        if (!parse_octet(t, i, octet[k]))
            return false;
    }
    return true;
}

bool is_version_word(const char* w, std::size_t len)
{
    auto is = [&](const char* s) {
        std::size_t k = 0;
        while (s[k] && k < len && s[k] == w[k])
            ++k;
        return s[k] == 0 && k == len;
    };
    if (is("v") || is("ver") || is("version") || is("build"))
        return true;
    // FileVersion, ProductVersion, file_version.
    static const char kTail[] = "version";
    return len > 7 && std::string_view(w + len - 7, 7) == kTail;
}

} // namespace

std::size_t skip_version_separators_back(const ScanView& t, std::size_t p)
{
    // Blanks and signs between the word and the number, and the markup of a
    // page that puts them in two cells ("버전</dt><dd>1.2.3.4"), within a
    // reach that leaves the word itself inside the look-behind.
    const std::size_t reach = kMatchLookBehind - 8;
    const std::size_t floor = p > reach ? p - reach : 0;
    std::size_t i = p;
    while (i > floor) {
        const std::uint8_t c = t.v[i - 1];
        if (c == ' ' || c == ':' || c == '=' || c == '.' || c == '\t' || c == '"') {
            --i;
            continue;
        }
        if (c == '>') {
            std::size_t j = i - 1;
            while (j > floor && t.v[j - 1] != '<' && t.v[j - 1] != '>')
                --j;
            if (j > floor && t.v[j - 1] == '<') {
                i = j - 1;
                continue;
            }
        }
        break;
    }
    return i;
}

bool ascii_version_word_before(const ScanView& t, std::size_t p, std::size_t* word_start_out)
{
    const std::size_t end = skip_version_separators_back(t, p);
    std::size_t start = end;
    while (start > 0 && end - start < 24 && is_alpha(t.v[start - 1]))
        --start;
    if (start == end || (start > 0 && is_alpha(t.v[start - 1])))
        return false;
    char word[24];
    for (std::size_t k = start; k < end; ++k)
        word[k - start] = static_cast<char>(to_lower(t.v[k]));
    if (word_start_out)
        *word_start_out = start;
    return is_version_word(word, end - start);
}

bool match_ipv4(const ScanView& t, std::size_t p, bool after_version_word, Found& f)
{
    std::size_t i = p;
    unsigned o[4];
    if (!parse_dotted_quad(t, i, o))
        return false;
    // Part of a longer dotted number (1.2.3.4.5), or inside one.
    const std::uint8_t next = t.at(i);
    if (is_word(next) || (next == '.' && is_digit(t.at(i + 1))))
        return false;
    if (t.before(p) == '.' && p >= 2 && is_digit(t.v[p - 2]))
        return false;
    f.end = i;
    f.kind = RedactKind::ip;
    // Loopback, "any", netmasks and versions carry nothing of the user.
    f.keep = after_version_word || o[0] == 127 || o[0] == 255 || (o[0] | o[1] | o[2] | o[3]) == 0;
    if (!f.keep) {
        char key[16];
        const int len = std::snprintf(key, sizeof key, "%u.%u.%u.%u", o[0], o[1], o[2], o[3]);
        f.key.assign(key, static_cast<std::size_t>(len));
    }
    return true;
}

bool match_ipv6(const ScanView& t, std::size_t p, Found& f)
{
    const std::uint8_t prev = t.before(p);
    if (is_word(prev) || prev == ':' || prev == '.')
        return false;
    std::uint16_t group[8] = {};
    int count = 0;
    int gap = -1;
    bool digit = false;
    std::size_t i = p;
    if (t.at(i) == ':') {
        if (t.at(i + 1) != ':')
            return false;
        gap = 0;
        i += 2;
    }
    while (count < 8) {
        std::size_t j = i;
        unsigned value = 0;
        while (j - i < 4 && is_hex(t.at(j))) {
            digit = digit || is_digit(t.v[j]);
            value = value * 16 + hex_value(t.v[j]);
            ++j;
        }
        if (j == i)
            break;
        if (t.at(j) == '.' && count <= 6) {
            // The last 32 bits written as a dotted quad (::ffff:10.1.2.3).
            std::size_t k = i;
            unsigned o[4];
            if (!parse_dotted_quad(t, k, o))
                return false;
            group[count++] = static_cast<std::uint16_t>(o[0] << 8 | o[1]);
            group[count++] = static_cast<std::uint16_t>(o[2] << 8 | o[3]);
            i = k;
            break;
        }
        if (is_hex(t.at(j)))
            return false; // five hex digits: not a group
        group[count++] = static_cast<std::uint16_t>(value);
        i = j;
        if (t.at(i) == ':' && t.at(i + 1) == ':') {
            if (gap >= 0)
                return false;
            gap = count;
            i += 2;
        } else if (t.at(i) == ':' && is_hex(t.at(i + 1)) && count < 8) {
            ++i;
        } else {
            break;
        }
    }
    if (gap < 0 ? count != 8 : count > 7)
        return false;
    const std::uint8_t next = t.at(i);
    if (is_word(next) || (next == ':' && is_hex(t.at(i + 1))) || next == '.')
        return false;
    // "Face::Bad" is a C++ name; a real address almost always has a digit.
    if (gap >= 0 && !digit && count > 0)
        return false;
    std::uint16_t full[8] = {};
    const int tail = gap < 0 ? 0 : count - gap;
    for (int k = 0; k < (gap < 0 ? count : gap); ++k)
        full[k] = group[k];
    for (int k = 0; k < tail; ++k)
        full[8 - tail + k] = group[gap + k];
    bool zero_head = true;
    for (int k = 0; k < 7; ++k)
        zero_head = zero_head && full[k] == 0;
    f.end = i;
    f.kind = RedactKind::ip;
    f.keep = zero_head && full[7] <= 1; // "::" and "::1"
    if (!f.keep) {
        char key[40];
        int len = 0;
        for (int k = 0; k < 8; ++k)
            len += std::snprintf(key + len, sizeof key - static_cast<std::size_t>(len), "%04x", full[k]);
        f.key.assign(key, static_cast<std::size_t>(len));
    }
    return true;
}

bool match_mac(const ScanView& t, std::size_t p, Found& f)
{
    const std::uint8_t sep = t.at(p + 2);
    if (sep != ':' && sep != '-')
        return false;
    const std::uint8_t prev = t.before(p);
    if (prev == sep && p >= 2 && is_hex(t.v[p - 2]))
        return false;
    char key[18];
    bool zero = true, ones = true;
    std::size_t i = p;
    for (int k = 0; k < 6; ++k) {
        if (k > 0) {
            if (t.at(i) != sep)
                return false;
            ++i;
        }
        if (!is_hex(t.at(i)) || !is_hex(t.at(i + 1)))
            return false;
        const unsigned byte = hex_value(t.v[i]) * 16 + hex_value(t.v[i + 1]);
        zero = zero && byte == 0;
        ones = ones && byte == 0xff;
        key[k * 3] = static_cast<char>(to_lower(t.v[i]));
        key[k * 3 + 1] = static_cast<char>(to_lower(t.v[i + 1]));
        key[k * 3 + 2] = ':';
        i += 2;
    }
    std::string duid;
    if (sep == '-' && t.at(i) == sep && is_hex(t.at(i + 1))) {
        // A DHCPv6 client DUID as ipconfig prints it ("00-01-00-01-2A-3B-4C-5D-
        // 00-1A-2B-3C-4D-5E", 10 to 18 bytes) ends in the adapter's address:
        // the whole run is one identifier. Longer runs with ':' are
        // fingerprints, and stay.
        duid.assign(key, 17);
        int groups = 6;
        while (groups < 18 && t.at(i) == sep && is_hex(t.at(i + 1)) && is_hex(t.at(i + 2))) {
            duid += static_cast<char>(to_lower(t.v[i + 1]));
            duid += static_cast<char>(to_lower(t.v[i + 2]));
            duid += ':';
            i += 3;
            ++groups;
        }
        if (groups < 10 || is_word(t.at(i)) || (t.at(i) == sep && is_hex(t.at(i + 1))))
            return false;
        zero = ones = false;
    }
    if (is_word(t.at(i)) || (t.at(i) == sep && is_hex(t.at(i + 1))))
        return false;
    f.end = i;
    f.kind = RedactKind::mac;
    f.keep = zero || ones;
    if (!f.keep) {
        if (duid.empty())
            f.key.assign(key, 17);
        else
            f.key = duid;
    }
    return true;
}

std::size_t local_part_end(const ScanView& t, std::size_t p)
{
    std::size_t i = p;
    const std::size_t stop = p + 65 < t.n ? p + 65 : t.n;
    while (i < stop && (kCharClass[t.v[i]] & kcLocal))
        ++i;
    return i;
}

bool match_email(const ScanView& t, std::size_t p, std::size_t local_end, Found& f)
{
    if (t.at(local_end) != '@' || local_end == p || local_end - p > 64 || t.v[p] == '.')
        return false;
    std::size_t i = local_end + 1;
    std::size_t labels = 0;
    std::size_t last_label = i;
    bool last_alpha = false;
    const std::size_t stop = i + 253;
    while (i < stop) {
        const std::size_t start = i;
        bool alpha = true;
        while (i < stop && (is_word(t.at(i)) || t.at(i) == '-') && t.at(i) != '_') {
            alpha = alpha && is_alpha(t.v[i]);
            ++i;
        }
        if (i == start)
            break;
        ++labels;
        last_label = start;
        last_alpha = alpha;
        if (t.at(i) == '.' && (is_word(t.at(i + 1)) && t.at(i + 1) != '_'))
            ++i;
        else
            break;
    }
    if (labels < 2 || !last_alpha || i - last_label < 2)
        return false;
    f.end = i;
    f.kind = RedactKind::email;
    f.keep = false;
    f.key.clear();
    for (std::size_t k = p; k < i; ++k)
        f.key.push_back(static_cast<char>(to_lower(t.v[k])));
    return true;
}

bool match_guid(const ScanView& t, std::size_t p, Found& f)
{
    static const int kGroups[5] = {8, 4, 4, 4, 12};
    std::size_t i = p;
    for (int g = 0; g < 5; ++g) {
        if (g > 0) {
            if (t.at(i) != '-')
                return false;
            ++i;
        }
        for (int k = 0; k < kGroups[g]; ++k, ++i)
            if (!is_hex(t.at(i)))
                return false;
    }
    if (is_word(t.at(i)))
        return false;
    f.end = i;
    f.keep = true;
    return true;
}

} // namespace vantu::redact
