// UTF-8 into an ANSI code page: the system's converter on each platform
// (WideCharToMultiByte on Windows, iconv elsewhere).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vantu::redact {

// Nothing when a character has no exact form in the code page, or the code
// page is unknown to the system.
std::optional<std::string> utf8_to_code_page(std::string_view utf8, unsigned code_page);

} // namespace vantu::redact
