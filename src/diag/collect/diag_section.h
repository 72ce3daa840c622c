// One titled block of a diagnostic text file.
#pragma once

#include <string>

// "[title]\n", the note on its own line(s) when it is not empty, then the body
// (CR LF made LF, trimmed at both ends) and one empty line.
std::wstring format_section(const std::wstring& title, const std::wstring& note, const std::wstring& body);
