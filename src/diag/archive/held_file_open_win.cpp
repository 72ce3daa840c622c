#include "diag/archive/held_file_open_win.h"

#include <mutex>

namespace vantu::zip {
namespace {

bool process_is_elevated()
{
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return false;
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    const bool elevated =
        GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size) && elevation.TokenIsElevated;
    CloseHandle(token);
    return elevated;
}

// Enabled once for the process; true when the token holds the privilege.
bool enable_backup_privilege()
{
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token))
        return false;
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    bool ok = LookupPrivilegeValueW(nullptr, SE_BACKUP_NAME, &privileges.Privileges[0].Luid) &&
              AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr) &&
              GetLastError() == ERROR_SUCCESS;
    CloseHandle(token);
    return ok;
}

bool backup_reading_available()
{
    static std::once_flag once;
    static bool available = false;
    std::call_once(once, [] { available = process_is_elevated() && enable_backup_privilege(); });
    return available;
}

constexpr DWORD kEveryShare = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

} // namespace

HANDLE open_for_reading(const std::wstring& path, DWORD& error)
{
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, kEveryShare, nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN,
                           nullptr);
    if (h != INVALID_HANDLE_VALUE)
        return h;
    error = GetLastError();
    if ((error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION) && backup_reading_available()) {
        h = CreateFileW(path.c_str(), GENERIC_READ, kEveryShare, nullptr, OPEN_EXISTING,
                        FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
        if (h == INVALID_HANDLE_VALUE)
            error = GetLastError();
    }
    return h;
}

OpenFailure open_failure_of(DWORD error, const std::wstring& path)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
        return OpenFailure::not_found;
    case ERROR_PATH_NOT_FOUND:
        return path.size() >= MAX_PATH ? OpenFailure::path_too_long : OpenFailure::not_found;
    case ERROR_FILENAME_EXCED_RANGE:
        return OpenFailure::path_too_long;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_ACCESS_DENIED:
        return OpenFailure::locked;
    default:
        return OpenFailure::other;
    }
}

} // namespace vantu::zip
