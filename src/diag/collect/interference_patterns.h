// Names and makers known to interfere with remote control, and the scan that
// picks them out of the driver, minifilter, service and process listings.
#pragma once

#include <cstddef>
#include <string>

struct InterferencePattern
{
    const wchar_t* category; // "원격제어", "백신", ...
    const wchar_t* pattern;  // matched anywhere in a line, ignoring case
};

// The table in priority order: the first matching row names a line's category.
extern const InterferencePattern interference_patterns[];
extern const size_t interference_pattern_count;

// For every non-empty (trimmed) line of `text` that matches a row, appends
// "[category] kind      line\n" to `summary` (kind padded to 10 characters).
void match_interference_lines(const std::wstring& text, const std::wstring& kind, std::wstring& summary);
