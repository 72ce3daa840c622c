// Files and folders: the executable's own path, finding files, taking paths
// apart, creating and deleting folders.
#pragma once

#include "common/date_time.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#ifdef _WIN32
constexpr wchar_t path_separator = L'\\';
#else
constexpr wchar_t path_separator = L'/';
#endif

// Full path of the running executable, and its folder without a trailing separator.
std::wstring module_file_path();
std::wstring module_folder();

bool file_exists(const std::wstring& path);    // a file or a folder
bool folder_exists(const std::wstring& path);
std::int64_t file_size(const std::wstring& path);  // -1 when it cannot be read
bool file_modified_time(const std::wstring& path, local_time& out);  // local time

// Opens a file by its wide name with a C runtime mode such as L"rb".
FILE* open_file_stream(const std::wstring& path, const wchar_t* mode);

// Creates the folder and every missing parent; true when it exists afterwards.
bool ensure_folder(const std::wstring& path);
// Deletes the folder and everything in it without asking; true on success.
bool delete_folder_tree(const std::wstring& path);

struct folder_entry
{
    std::wstring name;
    bool is_folder = false;
    bool is_link = false;  // a symbolic link or junction: never descended into
};
// Entries of folder whose names match mask, without "." and "..". False when the
// folder cannot be read.
bool list_folder(const std::wstring& folder, const std::wstring& mask, std::vector<folder_entry>& entries);

// Files below folder whose names match mask (empty = "*"), whose extension is in
// extensions (";"-separated, "*." and "." ignored, empty = any) and whose lower-cased
// name contains none of exclusions (";"-separated). The mask applies to subfolders
// too. With sort, full paths come in descending natural order.
std::vector<std::wstring> find_files(const std::wstring& folder, const std::wstring& mask = L"*",
                                     const std::wstring& extensions = L"", bool include_folders = false,
                                     const std::wstring& exclusions = L"", bool sort = true,
                                     bool recursive = false);

// Natural order as the shell's logical comparison: case-insensitive, runs of
// digits compared as numbers. <0, 0, >0. StrCmpLogicalW itself on Windows.
int logical_compare(const std::wstring& a, const std::wstring& b);
// The portable rule behind it, used where the shell is not available.
int natural_compare(std::wstring_view a, std::wstring_view b);
void sort_descending_natural(std::vector<std::wstring>& paths);

// Windows file-name wildcard match ("*", "?", case-insensitive; "*.*" matches all).
bool wildcard_match(std::wstring_view mask, std::wstring_view name);

// 0 drive "C:", 1 drive and folder without trailing separator, 2 last folder's
// name, 3 file name without extension, 4 extension without dot, 5 file name.
constexpr int path_part_drive = 0;
constexpr int path_part_folder = 1;
constexpr int path_part_last_folder = 2;
constexpr int path_part_title = 3;
constexpr int path_part_extension = 4;
constexpr int path_part_file_name = 5;
std::wstring path_part(const std::wstring& path, int part);
