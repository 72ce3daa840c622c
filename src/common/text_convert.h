// Conversions between wide text and the narrow encodings at the program's edges.
#pragma once

#include <string>
#include <string_view>

// UTF-8 <-> wide text (UTF-16 on Windows, UTF-32 elsewhere). Invalid input
// becomes U+FFFD instead of being dropped.
std::string to_utf8(std::wstring_view text);
std::wstring from_utf8(std::string_view text);
// UTF-8 that must be well-formed: false (and `out` untouched) at the first
// ill-formed sequence, overlong form, surrogate or value above U+10FFFF.
bool decode_utf8_strict(std::string_view bytes, std::wstring& out);

// The system's narrow encoding: the ANSI code page on Windows, UTF-8 elsewhere.
std::wstring from_system_narrow(std::string_view text);
std::string to_system_narrow(std::wstring_view text);
