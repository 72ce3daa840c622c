// This PC's names (users, computer, domain) as the redactor looks for them: in
// the file's own encoding, letters compared without case, as whole words; the
// common account words (administrator, guest, ...) only as the folder after
// "Users\" or "home/".
#pragma once

#include "diag/redact/redact_kind.h"
#include "diag/redact/scan_view.h"
#include "diag/redact/text_encoding.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vantu::redact {

// Given by the caller in UTF-8; the library never asks the system.
struct RedactNames
{
    std::vector<std::string> users;
    std::vector<std::string> hosts; // computer and domain names
};

// The input's code units as numbers, whatever their width and byte order.
struct RawUnits
{
    const unsigned char* bytes = nullptr;
    unsigned width = 1;
    bool big_endian = false;

    std::uint16_t unit(std::size_t i) const
    {
        if (width == 1)
            return bytes[i];
        const unsigned char a = bytes[2 * i], b = bytes[2 * i + 1];
        return static_cast<std::uint16_t>(big_endian ? (a << 8 | b) : (b << 8 | a));
    }
};

// A word in the file's encoding, with which of its units are ASCII characters.
struct EncodedWord
{
    std::vector<std::uint16_t> units;
    std::vector<bool> ascii;

    bool empty() const { return units.empty(); }
    // The word (ASCII letters without case) at units [p, p + size).
    bool at(const ScanView& t, const RawUnits& raw, std::size_t p) const;
};

EncodedWord encode_word(std::string_view utf8, TextEncoding encoding, unsigned code_page);

// Whether a lower-case ASCII name is one of the common account words.
bool is_common_account_word(std::string_view lower_name);

class NameMatcher
{
public:
    void prepare(const RedactNames& names, TextEncoding encoding, unsigned code_page);

    // Any name can start at a unit of this view value.
    bool may_start(std::uint8_t view_byte) const { return m_first[view_byte]; }
    // An ASCII name can start with these two view values (letters without case).
    bool may_start_pair(std::uint8_t first, std::uint8_t second) const
    {
        return m_first_pair[static_cast<std::size_t>(to_lower(first)) << 8 | to_lower(second)];
    }
    // The longest name at p (a word start), its end in `end`.
    struct Hit
    {
        RedactKind kind;
        const std::string* key;
        std::size_t end;
    };
    bool match(const ScanView& t, const RawUnits& raw, std::size_t p, Hit& hit) const;

private:
    struct Name
    {
        EncodedWord word;
        std::string key; // lower-case UTF-8
        RedactKind kind;
        bool common;
    };
    std::vector<Name> m_names; // longest first
    std::array<bool, 256> m_first{};
    std::vector<bool> m_first_pair = std::vector<bool>(65536);
};

} // namespace vantu::redact
