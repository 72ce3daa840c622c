// A check list kept as a local file, for runs that are not to download one.
#pragma once

#include <string>

// The file's text as UTF-8 bytes, as a download would deliver it: UTF-8 (with or
// without a byte-order mark) is taken as it is, UTF-16 with a mark and text in the
// ANSI code page are converted. False, with the reason in `error`, when the file
// cannot be read or is larger than any check list.
bool read_check_list_file(const std::wstring& path, std::string& utf8, std::wstring& error);

// What the file's bytes read as, as UTF-8.
std::string check_list_file_text(const std::string& bytes);
