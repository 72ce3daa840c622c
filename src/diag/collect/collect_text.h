// Small text helpers shared by the collectors' parsing and formatting.
#pragma once

#include <string>
#include <string_view>

namespace diag_text {

// Every occurrence of `from` replaced by `to` (an empty `from` changes nothing).
std::wstring replace_all(std::wstring_view text, std::wstring_view from, std::wstring_view to);

// White space (blank, tab, CR, LF, VT, FF) removed at both ends.
std::wstring trim(std::wstring_view text);

// Lower-cased for case-insensitive matching.
std::wstring lower(std::wstring_view text);

// `needle` occurs in `haystack`, ignoring case.
bool contains_no_case(std::wstring_view haystack, std::wstring_view needle);

// `text` followed by blanks up to `width` characters (never cut).
std::wstring pad_right(std::wstring_view text, size_t width);

} // namespace diag_text
