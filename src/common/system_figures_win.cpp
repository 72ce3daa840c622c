#include "common/system_figures_win.h"

#include <shlobj.h>

namespace {

std::wstring root_of(const std::wstring& drive)
{
    std::wstring root = drive;
    if (root.size() == 1) {
        root += L":\\";
    } else if (root.size() == 2 && root[1] == L':') {
        root += L'\\';
    }
    return root;
}

bool disk_figures(const std::wstring& drive, ULARGE_INTEGER& total, ULARGE_INTEGER& free_bytes)
{
    const std::wstring root = root_of(drive);
    if (root.empty() || GetDriveTypeW(root.c_str()) == DRIVE_CDROM) {
        return false;
    }
    // A drive without a medium must not bring up a system dialog.
    const UINT old_mode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    ULARGE_INTEGER available = {};
    const BOOL ok = GetDiskFreeSpaceExW(root.c_str(), &available, &total, &free_bytes);
    SetErrorMode(old_mode);
    return ok != FALSE;
}

}  // namespace

memory_figures memory_status()
{
    memory_figures figures;
    MEMORYSTATUSEX status = {};
    status.dwLength = sizeof(status);
    if (GlobalMemoryStatusEx(&status)) {
        figures.available_bytes = status.ullAvailPhys;
        figures.total_bytes = status.ullTotalPhys;
    }
    return figures;
}

std::uint64_t disk_total_bytes(const std::wstring& drive)
{
    ULARGE_INTEGER total = {};
    ULARGE_INTEGER free_bytes = {};
    return disk_figures(drive, total, free_bytes) ? total.QuadPart : 0;
}

std::uint64_t disk_free_bytes(const std::wstring& drive)
{
    ULARGE_INTEGER total = {};
    ULARGE_INTEGER free_bytes = {};
    return disk_figures(drive, total, free_bytes) ? free_bytes.QuadPart : 0;
}

std::wstring special_folder_path(int csidl)
{
    wchar_t path[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path))) {
        return std::wstring();
    }
    return path;
}

std::wstring computer_name()
{
    wchar_t name[255] = {};
    DWORD size = 255;
    if (!GetComputerNameExW(ComputerNamePhysicalDnsHostname, name, &size)) {
        return std::wstring();
    }
    return std::wstring(name, size);
}
