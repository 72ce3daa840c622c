#include "common/file_utils.h"

#include "common/date_time_win.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <cwctype>

namespace {

std::wstring trimmed(const std::wstring& text)
{
    std::size_t b = 0;
    std::size_t e = text.size();
    while (b < e && std::iswspace(static_cast<wint_t>(text[b]))) {
        ++b;
    }
    while (e > b && std::iswspace(static_cast<wint_t>(text[e - 1]))) {
        --e;
    }
    return text.substr(b, e - b);
}

std::wstring full_path_of(const std::wstring& path)
{
    const DWORD n = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (n == 0) {
        return path;
    }
    std::wstring out(n, L'\0');
    const DWORD m = GetFullPathNameW(path.c_str(), n, out.data(), nullptr);
    if (m == 0 || m >= n) {
        return path;
    }
    out.resize(m);
    return out;
}

}  // namespace

std::wstring module_file_path()
{
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) {
            return std::wstring();
        }
        if (n < buffer.size()) {
            buffer.resize(n);
            return buffer;
        }
        if (buffer.size() > 32768) {
            return std::wstring();
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::wstring module_folder()
{
    return path_part(module_file_path(), path_part_folder);
}

bool file_exists(const std::wstring& path)
{
    return !path.empty() && GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool folder_exists(const std::wstring& path)
{
    if (path.empty()) {
        return false;
    }
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::int64_t file_size(const std::wstring& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (path.empty() || !GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return -1;
    }
    return static_cast<std::int64_t>((static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
}

bool file_modified_time(const std::wstring& path, local_time& out)
{
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (path.empty() || !GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
        return false;
    }
    SYSTEMTIME utc = {};
    SYSTEMTIME local = {};
    if (!FileTimeToSystemTime(&data.ftLastWriteTime, &utc) ||
        !SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local)) {
        return false;
    }
    out = local_time_from_system_time(local);
    return true;
}

FILE* open_file_stream(const std::wstring& path, const wchar_t* mode)
{
    if (path.empty()) {
        return nullptr;
    }
    return _wfopen(path.c_str(), mode);
}

bool ensure_folder(const std::wstring& path)
{
    const std::wstring folder = trimmed(path);
    if (folder.empty()) {
        return false;
    }
    if (folder_exists(folder)) {
        return true;
    }
    // The shell wants a full path.
    SHCreateDirectoryExW(nullptr, full_path_of(folder).c_str(), nullptr);
    return folder_exists(folder);
}

bool delete_folder_tree(const std::wstring& path)
{
    const std::wstring folder = full_path_of(trimmed(path));
    // Never hand a drive's root (or nothing) to a silent recursive delete.
    if (folder.size() <= 3 || !folder_exists(folder)) {
        return false;
    }
    std::wstring from = folder;
    while (!from.empty() && (from.back() == L'\\' || from.back() == L'/')) {
        from.pop_back();
    }
    from.push_back(L'\0');  // the list ends with two zeros
    SHFILEOPSTRUCTW op = {};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SIMPLEPROGRESS;
    const int rc = SHFileOperationW(&op);
    return rc == 0 && !op.fAnyOperationsAborted && !folder_exists(folder);
}

bool list_folder(const std::wstring& folder, const std::wstring& mask, std::vector<folder_entry>& entries)
{
    std::wstring search = folder;
    if (search.empty() || (search.back() != L'\\' && search.back() != L'/')) {
        search += L'\\';
    }
    search += mask.empty() ? L"*" : mask;
    WIN32_FIND_DATAW data = {};
    HANDLE find = FindFirstFileW(search.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) {
        return GetLastError() == ERROR_FILE_NOT_FOUND;
    }
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") {
            continue;
        }
        folder_entry entry;
        entry.name = name;
        entry.is_folder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        entry.is_link = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        entries.push_back(entry);
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return true;
}

int logical_compare(const std::wstring& a, const std::wstring& b)
{
    return StrCmpLogicalW(a.c_str(), b.c_str());
}
