// The pseudonyms of one archive: each distinct value of a kind gets a number in
// order of first appearance ("[IP-1]", "[IP-2]"), the same in every file that
// goes through the same table. The values stay in memory only; entries() hands
// them to a caller that asks (tests), nothing here writes them anywhere.
#pragma once

#include "diag/redact/redact_kind.h"

#include <array>
#include <cstddef>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace vantu::redact {

inline constexpr std::size_t kDefaultPseudonymLimit = 1'000'000;

struct PseudonymEntry
{
    std::string token; // "[IP-3]"
    std::string value; // the value as the redactor compares it (lower case, normalised)
};

class PseudonymTable
{
public:
    // limit: distinct values over all kinds; past it a new value gets its kind's
    // bare token ("[IP]") and overflowed() turns true.
    explicit PseudonymTable(std::size_t limit = kDefaultPseudonymLimit);
    PseudonymTable(const PseudonymTable&) = delete;
    PseudonymTable& operator=(const PseudonymTable&) = delete;

    // Safe to call from several threads; numbers follow the order calls arrive.
    std::string pseudonym(RedactKind kind, std::string_view value);

    bool overflowed() const;
    std::size_t size() const;
    // Every numbered value, kind by kind in number order. For tests.
    std::vector<PseudonymEntry> entries() const;

private:
    mutable std::mutex m_mutex;
    std::size_t m_limit;
    std::size_t m_size = 0;
    bool m_overflowed = false;
    std::array<std::unordered_map<std::string, std::uint32_t>, kRedactKindCount> m_numbers;
};

} // namespace vantu::redact
