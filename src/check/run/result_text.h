// Texts that the summary and the report show for a result code.
#pragma once

#include <cstdint>
#include <string>

// The status name, or "Not defined status code".
std::wstring http_status_text(std::int32_t status);

// 90000 and above: the tool's own text (empty for an unknown code); a web check
// with 100..599: the HTTP status name; anything else: the system's message
// (WinINet's for 12000..12174), trimmed.
std::wstring result_text(std::int32_t code, bool is_web_check);

// One of four hints on what the user can do about the code.
std::wstring result_hint(std::int32_t code);

// The operating system's text for an error code, trimmed; empty where there is
// none (and always outside Windows).
std::wstring system_error_text(std::int32_t code);
