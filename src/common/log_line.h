// The rules of the log's text: level tags, the line, the file name, the folder.
#pragma once

#include "common/date_time.h"

#include <cstddef>
#include <string>

// "[info]", "[warn]", "[error]", "[critical]", "[sql]", "[debug]" or empty.
const wchar_t* log_level_tag(int level);

// Removes the line feeds at the start of message and returns how many there were.
std::size_t strip_leading_line_feeds(std::wstring& message);

// "[2026/12/08 10:05:03.042][function][339][error] message"
std::wstring build_log_line(const local_time& t, const std::wstring& function, const std::wstring& line_number,
                            int level, const std::wstring& message);

// "<folder><sep><base>_20261208.log" or, with the time, "..._20261208_100503.log".
std::wstring log_file_path(const std::wstring& folder, const std::wstring& base_name, const local_time& start,
                           bool time_in_name, wchar_t separator);

struct log_folder_choice
{
    std::wstring folder;
    bool resolve_full_path = false;  // relative: still to be made a full path
};

// Folder setting -> folder. Empty: "<exe folder><sep>Log". "/" and "\" become the
// separator; a drive ("C:\...") or a UNC or root path is taken as it stands;
// anything else is relative to the executable's folder.
log_folder_choice log_folder_from_setting(const std::wstring& setting, const std::wstring& exe_folder,
                                          wchar_t separator);
