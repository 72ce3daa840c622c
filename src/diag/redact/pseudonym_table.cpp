#include "diag/redact/pseudonym_table.h"

#include <algorithm>

namespace vantu::redact {

PseudonymTable::PseudonymTable(std::size_t limit) : m_limit(limit) {}

std::string PseudonymTable::pseudonym(RedactKind kind, std::string_view value)
{
    std::string token = "[";
    token += kind_label(kind);
    std::uint32_t number = 0;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        auto& numbers = m_numbers[static_cast<std::size_t>(kind)];
        // One allocation for the lookup; values are few next to the bytes scanned.
        std::string key(value);
        const auto it = numbers.find(key);
        if (it != numbers.end()) {
            number = it->second;
        } else if (m_size < m_limit) {
            number = static_cast<std::uint32_t>(numbers.size() + 1);
            numbers.emplace(std::move(key), number);
            ++m_size;
        } else {
            m_overflowed = true;
        }
    }
    if (number != 0) {
        token += '-';
        token += std::to_string(number);
    }
    token += ']';
    return token;
}

bool PseudonymTable::overflowed() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_overflowed;
}

std::size_t PseudonymTable::size() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_size;
}

std::vector<PseudonymEntry> PseudonymTable::entries() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<PseudonymEntry> all;
    for (std::size_t k = 0; k < kRedactKindCount; ++k) {
        std::vector<std::pair<std::uint32_t, const std::string*>> numbered;
        for (const auto& [value, number] : m_numbers[k])
            numbered.emplace_back(number, &value);
        std::sort(numbered.begin(), numbered.end());
        for (const auto& [number, value] : numbered) {
            std::string token(1, '[');
            token.append(kind_label(static_cast<RedactKind>(k))).append(1, '-').append(std::to_string(number));
            token.push_back(']');
            all.push_back({std::move(token), *value});
        }
    }
    return all;
}

} // namespace vantu::redact
