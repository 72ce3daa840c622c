// Reading a fuzzer's byte string as the inputs of one call: small numbers for
// choices, then texts cut at a separator byte, narrow or wide.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/text_convert.h"

class FuzzInput
{
public:
    FuzzInput(const std::uint8_t* data, std::size_t size)
        : m_rest(reinterpret_cast<const char*>(data), size)
    {
    }

    // One byte as a number (0 when the input is used up).
    std::uint8_t byte()
    {
        if (m_rest.empty())
            return 0;
        const auto b = static_cast<std::uint8_t>(m_rest.front());
        m_rest.remove_prefix(1);
        return b;
    }

    std::uint64_t u64()
    {
        std::uint64_t v = 0;
        for (int i = 0; i < 8; ++i)
            v = (v << 8) | byte();
        return v;
    }

    // Bytes up to the next 0x01 (not included), or all that is left.
    std::string_view part()
    {
        const std::size_t end = m_rest.find('\x01');
        const std::string_view out = m_rest.substr(0, end);
        m_rest.remove_prefix(end == std::string_view::npos ? m_rest.size() : end + 1);
        return out;
    }

    std::wstring wide_part() { return from_utf8(part()); }

    std::string_view rest() const { return m_rest; }
    std::wstring wide_rest() const { return from_utf8(m_rest); }

private:
    std::string_view m_rest;
};

// A property every input must keep; a violation ends the run so the fuzzer
// saves the input.
#define FUZZ_REQUIRE(condition)                                                  \
    do {                                                                         \
        if (!(condition))                                                        \
            fuzz_property_failed(#condition, __FILE__, __LINE__);                \
    } while (0)

[[noreturn]] void fuzz_property_failed(const char* condition, const char* file, int line);
