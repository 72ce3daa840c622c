// The folder guard's decisions on a table of paths of a Windows machine.
#include "diag/archive/folder_guard.h"

#include <gtest/gtest.h>

using namespace vantu::zip;

TEST(FolderGuard, DecisionsOnATableOfPaths)
{
    ProtectedFolders machine;
    machine.windows = L"C:\\Windows";
    machine.program_files = {L"C:\\Program Files", L"C:\\Program Files (x86)"};
    machine.program_data = L"C:\\ProgramData";
    machine.user_profile = L"C:\\Users\\kim";
    machine.known = {L"C:\\Users\\kim\\Desktop",  L"C:\\Users\\kim\\Documents", L"C:\\Users\\kim\\Downloads",
                     L"C:\\Users\\kim\\Pictures", L"C:\\Users\\kim\\Music",     L"D:\\Media\\Videos"};
    const struct
    {
        const wchar_t* path;
        bool network;
        GuardVerdict verdict;
    } table[] = {
        {L"C:\\", false, GuardVerdict::drive_root},
        {L"d:", false, GuardVerdict::drive_root},
        {L"\\\\?\\E:\\", false, GuardVerdict::drive_root},
        {L"/", false, GuardVerdict::drive_root},
        {L"\\\\fileserver\\share\\logs", false, GuardVerdict::network_path},
        {L"\\\\?\\UNC\\fileserver\\share", false, GuardVerdict::network_path},
        {L"M:\\Vantu\\Logs", true, GuardVerdict::network_path},
        {L"c:\\windows", false, GuardVerdict::windows_folder},
        {L"C:\\Windows\\System32\\config\\", false, GuardVerdict::windows_folder},
        {L"C:\\Windows\\Temp", false, GuardVerdict::windows_folder},
        {L"C:\\Windows\\Temp\\VantuAgent\\Logs", false, GuardVerdict::allowed},
        {L"C:\\Windows\\System32\\config\\systemprofile\\AppData\\Local\\Vantu", false, GuardVerdict::allowed},
        {L"C:\\Windows\\SysWOW64\\config\\systemprofile\\AppData\\Roaming\\Vantu", false, GuardVerdict::allowed},
        {L"C:\\Windows\\System32\\config\\systemprofile\\AppData", false, GuardVerdict::windows_folder},
        {L"C:\\Windows\\System32\\config\\systemprofile", false, GuardVerdict::windows_folder},
        {L"C:\\Windows\\ServiceProfiles\\LocalService\\AppData\\Local\\Vantu", false, GuardVerdict::allowed},
        {L"C:\\Windows\\ServiceProfiles\\NetworkService\\AppData", false, GuardVerdict::windows_folder},
        {L"C:\\Windows\\ServiceProfiles\\LocalService\\NTUSER", false, GuardVerdict::windows_folder},
        {L"C:\\Windows\\ServiceProfiles\\AppData\\Local", false, GuardVerdict::windows_folder},
        {L"C:\\WindowsApps", false, GuardVerdict::allowed},
        {L"C:\\Program Files", false, GuardVerdict::program_files},
        {L"C:\\Program Files (x86)\\", false, GuardVerdict::program_files},
        {L"C:\\Program Files\\Marlo Soft\\Vantu Agent\\Logs", false, GuardVerdict::allowed},
        {L"C:\\Program Files (x86)\\Marlo", false, GuardVerdict::allowed},
        {L"C:\\Program Files\\Vantu\\Agent", false, GuardVerdict::allowed},
        {L"C:/Program Files (x86)/VantuViewer/log", false, GuardVerdict::allowed},
        {L"C:\\ProgramData", false, GuardVerdict::program_data},
        {L"C:\\ProgramData\\Vantu\\Logs", false, GuardVerdict::allowed},
        {L"C:\\ProgramData\\Marlo Soft\\Vantu\\Agent\\Logs", false, GuardVerdict::allowed},
        {L"C:\\Users\\Kim", false, GuardVerdict::user_profile},
        {L"C:\\Users", false, GuardVerdict::holds_protected},
        {L"D:\\Media", false, GuardVerdict::holds_protected},
        {L"C:\\Users\\kim\\Documents", false, GuardVerdict::known_folder},
        {L"C:\\Users\\kim\\Desktop\\", false, GuardVerdict::known_folder},
        {L"D:\\Media\\Videos", false, GuardVerdict::known_folder},
        {L"C:\\Users\\kim\\Documents\\Vantu\\Logs\\Agent", false, GuardVerdict::allowed},
        {L"C:\\Users\\kim\\AppData\\Local\\Vantu", false, GuardVerdict::allowed},
        {L"C:\\Vantu\\Logs", false, GuardVerdict::allowed},
    };
    for (const auto& row : table)
        EXPECT_EQ(row.verdict, judge_folder(row.path, row.network, machine)) << std::wstring(row.path);
    EXPECT_STREQ(L"사용자 개인 폴더", guard_verdict_korean(GuardVerdict::known_folder));
    EXPECT_STREQ(L"the Windows folder", guard_verdict_text(GuardVerdict::windows_folder));
}
