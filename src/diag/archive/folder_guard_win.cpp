// The folder guard's view of a Windows machine: known folders from the shell,
// real paths from the file system (junctions and symbolic links resolved).
#include "diag/archive/folder_guard.h"

#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>

namespace vantu::zip {
namespace {

std::wstring known_folder(REFKNOWNFOLDERID id)
{
    PWSTR path = nullptr;
    std::wstring out;
    if (SUCCEEDED(SHGetKnownFolderPath(id, 0, nullptr, &path)) && path)
        out = real_folder_path(path);
    CoTaskMemFree(path);
    return out;
}

} // namespace

ProtectedFolders system_protected_folders()
{
    ProtectedFolders f;
    f.windows = known_folder(FOLDERID_Windows);
    for (REFKNOWNFOLDERID id : {FOLDERID_ProgramFiles, FOLDERID_ProgramFilesX86})
        if (std::wstring p = known_folder(id); !p.empty())
            f.program_files.push_back(p);
    f.program_data = known_folder(FOLDERID_ProgramData);
    f.user_profile = known_folder(FOLDERID_Profile);
    for (REFKNOWNFOLDERID id : {FOLDERID_Desktop, FOLDERID_Documents, FOLDERID_Downloads, FOLDERID_Pictures,
                                FOLDERID_Music, FOLDERID_Videos})
        if (std::wstring p = known_folder(id); !p.empty())
            f.known.push_back(p);
    return f;
}

std::wstring real_folder_path(const std::wstring& path)
{
    // Opening a folder needs backup semantics; reading attributes needs no rights
    // on its contents.
    HANDLE h = CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return path;
    std::wstring out(MAX_PATH, L'\0');
    DWORD n = GetFinalPathNameByHandleW(h, out.data(), static_cast<DWORD>(out.size()), VOLUME_NAME_DOS);
    if (n >= out.size()) {
        out.resize(n + 1);
        n = GetFinalPathNameByHandleW(h, out.data(), static_cast<DWORD>(out.size()), VOLUME_NAME_DOS);
    }
    CloseHandle(h);
    if (n == 0 || n >= out.size())
        return path;
    out.resize(n);
    if (out.rfind(L"\\\\?\\UNC\\", 0) == 0)
        return L"\\\\" + out.substr(8);
    if (out.rfind(L"\\\\?\\", 0) == 0)
        return out.substr(4);
    return out;
}

bool on_network_volume(const std::wstring& real_path)
{
    if (real_path.size() < 2 || real_path[1] != L':')
        return real_path.rfind(L"\\\\", 0) == 0;
    const std::wstring root = real_path.substr(0, 2) + L"\\";
    return GetDriveTypeW(root.c_str()) == DRIVE_REMOTE;
}

} // namespace vantu::zip
