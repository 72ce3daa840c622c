// What the redactor replaces, and how many of each it replaced in one file.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace vantu::redact {

enum class RedactKind : std::uint8_t {
    ip,     // IPv4 and IPv6 addresses
    mac,    // network adapter addresses
    email,
    rrn,    // resident and foreign resident registration numbers
    phone,  // Korean mobile and landline numbers
    card,   // payment card numbers
    user,   // this PC's user names
    host,   // this PC's computer and domain names
    secret, // passwords, tokens, credentials in URLs
};
inline constexpr std::size_t kRedactKindCount = 9;

// The word inside a pseudonym: "IP", "MAC", "EMAIL", ...
std::string_view kind_label(RedactKind kind);

// Replacements made in one file, per kind. Counts only: nothing of the values.
struct RedactCounts
{
    std::array<std::uint64_t, kRedactKindCount> by_kind{};

    std::uint64_t& operator[](RedactKind kind) { return by_kind[static_cast<std::size_t>(kind)]; }
    std::uint64_t operator[](RedactKind kind) const { return by_kind[static_cast<std::size_t>(kind)]; }
    std::uint64_t total() const;
};

} // namespace vantu::redact
