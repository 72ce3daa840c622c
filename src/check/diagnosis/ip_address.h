// IP addresses as addresses, not as text: the hosts file and the resolver
// write the same address in different ways ("FE80::1%3" and "fe80::1",
// "::ffff:10.0.0.5" and "10.0.0.5", "010.000.000.005" and "10.0.0.5").
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

// 16 bytes; an IPv4 address in its IPv4-mapped IPv6 form (::ffff:a.b.c.d).
using IpBytes = std::array<std::uint8_t, 16>;

// IPv4 dotted quad (each part 0..255, leading zeros read as decimal) or IPv6
// (any letter case, "::", an IPv4 tail, a "%zone" ignored); none for anything else.
std::optional<IpBytes> parse_ip_address(std::string_view text);

// Both parse and are the same address; otherwise the texts compared as they are.
bool same_ip_address(std::string_view a, std::string_view b);

// 0.0.0.0 or :: (nothing can be reached there), or a loopback address (127/8,
// ::1): a hosts-file line that sends a remote name there blocks it.
bool is_blocking_address(std::string_view text);
