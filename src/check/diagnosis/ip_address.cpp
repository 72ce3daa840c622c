#include "check/diagnosis/ip_address.h"

#include <cctype>
#include <string>
#include <vector>

namespace {

std::optional<std::array<std::uint8_t, 4>> parse_ipv4(std::string_view text)
{
    std::array<std::uint8_t, 4> out{};
    int part = 0;
    std::size_t i = 0;
    while (part < 4) {
        std::size_t digits = 0;
        unsigned value = 0;
        while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])) && digits < 4) {
            value = value * 10 + static_cast<unsigned>(text[i] - '0');
            ++i;
            ++digits;
        }
        if (digits == 0 || value > 255)
            return std::nullopt;
        out[part++] = static_cast<std::uint8_t>(value);
        if (part < 4) {
            if (i >= text.size() || text[i] != '.')
                return std::nullopt;
            ++i;
        }
    }
    if (i != text.size())
        return std::nullopt;
    return out;
}

int hex_value(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

// Groups of one side of "::": 16-bit values, and an IPv4 tail as two groups.
bool parse_groups(std::string_view text, std::vector<std::uint16_t>& groups, bool last_side)
{
    if (text.empty())
        return true;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t colon = text.find(':', start);
        const std::string_view piece = text.substr(start, colon == std::string_view::npos ? std::string_view::npos
                                                                                           : colon - start);
        if (colon == std::string_view::npos && last_side && piece.find('.') != std::string_view::npos) {
            const auto v4 = parse_ipv4(piece);
            if (!v4)
                return false;
            groups.push_back(static_cast<std::uint16_t>((*v4)[0] << 8 | (*v4)[1]));
            groups.push_back(static_cast<std::uint16_t>((*v4)[2] << 8 | (*v4)[3]));
            return true;
        }
        if (piece.empty() || piece.size() > 4)
            return false;
        unsigned value = 0;
        for (char c : piece) {
            const int h = hex_value(c);
            if (h < 0)
                return false;
            value = value * 16 + static_cast<unsigned>(h);
        }
        groups.push_back(static_cast<std::uint16_t>(value));
        if (colon == std::string_view::npos)
            return true;
        start = colon + 1;
    }
    return false;
}

std::optional<IpBytes> parse_ipv6(std::string_view text)
{
    const std::size_t zone = text.find('%');
    if (zone != std::string_view::npos)
        text = text.substr(0, zone);
    std::vector<std::uint16_t> head, tail;
    const std::size_t gap = text.find("::");
    if (gap == std::string_view::npos) {
        if (!parse_groups(text, head, true) || head.size() != 8)
            return std::nullopt;
    } else {
        if (text.find("::", gap + 1) != std::string_view::npos)
            return std::nullopt;
        if (!parse_groups(text.substr(0, gap), head, false) || !parse_groups(text.substr(gap + 2), tail, true) ||
            head.size() + tail.size() > 7)
            return std::nullopt;
    }
    IpBytes out{};
    for (std::size_t i = 0; i < head.size(); ++i) {
        out[2 * i] = static_cast<std::uint8_t>(head[i] >> 8);
        out[2 * i + 1] = static_cast<std::uint8_t>(head[i] & 0xFF);
    }
    const std::size_t first_tail = 8 - tail.size();
    for (std::size_t i = 0; i < tail.size(); ++i) {
        out[2 * (first_tail + i)] = static_cast<std::uint8_t>(tail[i] >> 8);
        out[2 * (first_tail + i) + 1] = static_cast<std::uint8_t>(tail[i] & 0xFF);
    }
    return out;
}

bool is_ipv4_mapped(const IpBytes& b)
{
    for (int i = 0; i < 10; ++i)
        if (b[i] != 0)
            return false;
    return b[10] == 0xFF && b[11] == 0xFF;
}

} // namespace

std::optional<IpBytes> parse_ip_address(std::string_view text)
{
    if (const auto v4 = parse_ipv4(text)) {
        IpBytes out{};
        out[10] = out[11] = 0xFF;
        for (int i = 0; i < 4; ++i)
            out[12 + i] = (*v4)[i];
        return out;
    }
    if (text.find(':') != std::string_view::npos)
        return parse_ipv6(text);
    return std::nullopt;
}

bool same_ip_address(std::string_view a, std::string_view b)
{
    const auto x = parse_ip_address(a);
    const auto y = parse_ip_address(b);
    if (x && y)
        return *x == *y;
    return a == b;
}

bool is_blocking_address(std::string_view text)
{
    const auto b = parse_ip_address(text);
    if (!b)
        return false;
    if (is_ipv4_mapped(*b))
        return (*b)[12] == 127 || ((*b)[12] == 0 && (*b)[13] == 0 && (*b)[14] == 0 && (*b)[15] == 0);
    for (int i = 0; i < 15; ++i)
        if ((*b)[i] != 0)
            return false;
    return (*b)[15] == 0 || (*b)[15] == 1; // :: or ::1
}
