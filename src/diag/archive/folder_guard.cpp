#include "diag/archive/folder_guard.h"

#include <cwctype>

namespace vantu::zip {
namespace {

// Lower case, "/" as "\", no "\\?\" prefix, no trailing separator (except a root's).
std::wstring normalised(const std::wstring& path)
{
    std::wstring p = path;
    for (auto& c : p)
        c = c == L'/' ? L'\\' : static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
    if (p.rfind(L"\\\\?\\unc\\", 0) == 0)
        p = L"\\\\" + p.substr(8);
    else if (p.rfind(L"\\\\?\\", 0) == 0 || p.rfind(L"\\??\\", 0) == 0)
        p = p.substr(4);
    while (p.size() > 1 && p.back() == L'\\' && !(p.size() == 3 && p[1] == L':'))
        p.pop_back();
    return p;
}

bool is_drive_root(const std::wstring& p)
{
    return (p.size() == 2 || p.size() == 3) && p[1] == L':' && (p.size() == 2 || p[2] == L'\\');
}

// `inner` equals `outer` or lies below it.
bool within(const std::wstring& inner, const std::wstring& outer)
{
    if (outer.empty() || inner.size() < outer.size() || inner.compare(0, outer.size(), outer) != 0)
        return false;
    return inner.size() == outer.size() || outer.back() == L'\\' || inner[outer.size()] == L'\\';
}

bool strictly_within(const std::wstring& inner, const std::wstring& outer)
{
    return inner.size() != outer.size() && within(inner, outer);
}

// A folder inside the Windows folder where services keep their files: below
// Temp, below the AppData of the system profile (System32's, and SysWOW64's
// for 32-bit services), or below the AppData of one of the service profiles
// (ServiceProfiles\<name>\AppData).
bool in_service_tree(const std::wstring& p, const std::wstring& windows)
{
    if (windows.empty())
        return false;
    for (const wchar_t* tree : {L"\\temp", L"\\system32\\config\\systemprofile\\appdata",
                                L"\\syswow64\\config\\systemprofile\\appdata"})
        if (strictly_within(p, windows + tree))
            return true;
    const std::wstring profiles = windows + L"\\serviceprofiles\\";
    if (p.rfind(profiles, 0) != 0)
        return false;
    const size_t name_end = p.find(L'\\', profiles.size());
    if (name_end == std::wstring::npos || name_end == profiles.size())
        return false;
    return strictly_within(p, p.substr(0, name_end) + L"\\appdata");
}

} // namespace

GuardVerdict judge_folder(const std::wstring& real_path, bool network, const ProtectedFolders& folders)
{
    const std::wstring p = normalised(real_path);
    if (network || p.rfind(L"\\\\", 0) == 0)
        return GuardVerdict::network_path;
    // A POSIX root, or a path that is nothing but a drive.
    if (p.empty() || p == L"\\" || is_drive_root(p))
        return GuardVerdict::drive_root;

    // The Windows folder and everything in it, but for the trees where services
    // keep their own files: below its Temp, and below the AppData folder of the
    // service profiles (the product's agent runs as a service and logs there).
    const std::wstring windows = normalised(folders.windows);
    if (within(p, windows) && !in_service_tree(p, windows))
        return GuardVerdict::windows_folder;

    // The Program Files roots themselves; any folder below them is an install
    // folder, whether the product's own or under its maker's name.
    for (const std::wstring& root : folders.program_files)
        if (!root.empty() && p == normalised(root))
            return GuardVerdict::program_files;
    if (!folders.program_data.empty() && p == normalised(folders.program_data))
        return GuardVerdict::program_data;
    if (!folders.user_profile.empty() && p == normalised(folders.user_profile))
        return GuardVerdict::user_profile;
    for (const std::wstring& known : folders.known)
        if (!known.empty() && p == normalised(known))
            return GuardVerdict::known_folder;

    // A folder that holds a protected one would pack it too.
    std::vector<std::wstring> protected_paths = folders.program_files;
    protected_paths.insert(protected_paths.end(), folders.known.begin(), folders.known.end());
    for (const std::wstring* one : {&folders.windows, &folders.program_data, &folders.user_profile})
        protected_paths.push_back(*one);
    for (const std::wstring& one : protected_paths)
        if (!one.empty() && strictly_within(normalised(one), p))
            return GuardVerdict::holds_protected;
    return GuardVerdict::allowed;
}

const wchar_t* guard_verdict_text(GuardVerdict verdict)
{
    switch (verdict) {
    case GuardVerdict::allowed: return L"allowed";
    case GuardVerdict::drive_root: return L"a drive root";
    case GuardVerdict::network_path: return L"a network path";
    case GuardVerdict::windows_folder: return L"the Windows folder";
    case GuardVerdict::program_files: return L"a Program Files root";
    case GuardVerdict::program_data: return L"the ProgramData root";
    case GuardVerdict::user_profile: return L"the user profile root";
    case GuardVerdict::known_folder: return L"a known folder of the user";
    case GuardVerdict::holds_protected: return L"a folder holding protected folders";
    }
    return L"";
}

const wchar_t* guard_verdict_korean(GuardVerdict verdict)
{
    switch (verdict) {
    case GuardVerdict::allowed: return L"허용";
    case GuardVerdict::drive_root: return L"드라이브 루트";
    case GuardVerdict::network_path: return L"네트워크 경로";
    case GuardVerdict::windows_folder: return L"Windows 폴더";
    case GuardVerdict::program_files: return L"Program Files 폴더";
    case GuardVerdict::program_data: return L"ProgramData 폴더";
    case GuardVerdict::user_profile: return L"사용자 프로필 폴더";
    case GuardVerdict::known_folder: return L"사용자 개인 폴더";
    case GuardVerdict::holds_protected: return L"보호 폴더를 포함하는 폴더";
    }
    return L"";
}

RefusedFolder guard_folder(const std::wstring& path, const ProtectedFolders& folders)
{
    RefusedFolder r;
    r.path = path;
    r.real_path = real_folder_path(path);
    r.verdict = judge_folder(r.real_path, on_network_volume(r.real_path), folders);
    return r;
}

RefusedFolder guard_folder(const std::wstring& path)
{
    return guard_folder(path, system_protected_folders());
}

} // namespace vantu::zip
