// What the text-file reader needs from the system; one implementation per tree.
#pragma once

#include <functional>
#include <string>
#include <string_view>

// The system's Unicode test on the first bytes of a file.
bool system_is_text_unicode(std::string_view head);
std::wstring decode_utf7(std::string_view bytes);

// Tells the user that a Unicode text file could not be opened (a message box on
// Windows). Tests put their own reporter in place; an empty one restores the default.
void report_unreadable_file(const std::wstring& path);
void set_unreadable_file_reporter(std::function<void(const std::wstring&)> reporter);
// The report's text in a box: the path, an empty line and the reason.
std::wstring unreadable_file_message(const std::wstring& path);
// The report as one line, for a reporter that writes lines instead of a box.
std::wstring unreadable_file_line(const std::wstring& path);
