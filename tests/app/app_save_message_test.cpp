// The save's messages in the real program: shown where the user can read and
// answer them although the wait window is topmost, and the main window usable
// again once they are answered. The test runs in a Wine prefix of its own
// (OWN_PREFIX): it points the local application data folder somewhere the save
// cannot use, which would break every save beside it.
#include "app_program.h"

#include <shlobj.h>

using namespace app_test;

namespace {

const wchar_t kShellFolders[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
const wchar_t kShellFoldersNow[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

// Local application data (and so the save's work folder, its "Temp") moved to
// `folder` for the programs started from now on.
void move_local_app_data(const std::wstring& folder)
{
    for (const wchar_t* key : {kShellFolders, kShellFoldersNow}) {
        HKEY k = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &k, nullptr));
        const DWORD bytes = static_cast<DWORD>((folder.size() + 1) * sizeof(wchar_t));
        RegSetValueExW(k, L"Local AppData", 0, REG_SZ, reinterpret_cast<const BYTE*>(folder.c_str()), bytes);
        RegCloseKey(k);
    }
}

std::wstring special_folder(int csidl)
{
    wchar_t path[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

// No visible window of the program lies above `window` in the z-order.
bool nothing_of_the_program_above(DWORD pid, HWND window)
{
    for (HWND w = GetWindow(window, GW_HWNDPREV); w; w = GetWindow(w, GW_HWNDPREV)) {
        DWORD owner_pid = 0;
        GetWindowThreadProcessId(w, &owner_pid);
        if (owner_pid == pid && IsWindowVisible(w))
            return false;
    }
    return true;
}

// A finished run, then 로그 저장: the message box the save shows, answered with
// Enter as a user would; the main window must come back.
void save_shows_a_usable_message(const wchar_t* screenshot)
{
    serve_small_checklist();
    Program program;
    HWND dlg = ready_dialog(program);
    ASSERT_NE(dlg, nullptr);
    HWND notice = completed_run(program, dlg);
    ASSERT_NE(notice, nullptr);
    press_key(notice, VK_RETURN);
    ASSERT_TRUE(wait_until([&] { return !IsWindowVisible(notice); }, kStepLimitMs));

    click(dlg, kSaveButton);
    HWND box = nullptr;
    const bool shown = wait_until(
        [&] {
            box = window_titled(program.pid(), is_box_title);
            return box && IsWindowVisible(box);
        },
        90000);
    if (!shown)
        save_screen(std::wstring(screenshot) + L"-missing");
    ASSERT_TRUE(shown) << "no message from the save; work folder "
                       << to_utf8(special_folder(CSIDL_LOCAL_APPDATA)) << "; log ends:\n"
                       << program.log_text().substr(program.log_text().size() > 3000 ? program.log_text().size() - 3000 : 0);
    save_screen(screenshot);
    EXPECT_TRUE(nothing_of_the_program_above(program.pid(), box)) << "the message is covered";
    EXPECT_FALSE(IsWindowEnabled(dlg)) << "the main window stays disabled while the save runs";

    press_key(box, VK_RETURN);
    EXPECT_TRUE(wait_until([&] { return !IsWindowVisible(box); }, kStepLimitMs)) << "Enter did not close the message";
    EXPECT_TRUE(wait_until([&] { return IsWindowEnabled(dlg) != FALSE; }, 90000))
        << "the main window stayed disabled; log ends:\n"
        << program.log_text().substr(program.log_text().size() > 3000 ? program.log_text().size() - 3000 : 0);
}

} // namespace

TEST_F(AppWindow, AWorkFolderThatCannotBeMadeIsToldInABoxTheUserCanClose)
{
    // The work folder would be "C:\vantu-blocked\Temp", and that name is a file.
    CreateDirectoryW(L"C:\\vantu-blocked", nullptr);
    HANDLE file = CreateFileW(L"C:\\vantu-blocked\\Temp", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
    move_local_app_data(L"C:\\vantu-blocked");
    save_shows_a_usable_message(L"app-save-work-folder-unusable");
}

TEST_F(AppWindow, AReportThatCannotBeCreatedIsToldAndTheSaveGoesOn)
{
    // The report's name is taken by a folder; every other work file can be written.
    CreateDirectoryW(L"C:\\vantu-report", nullptr);
    CreateDirectoryW(L"C:\\vantu-report\\Temp", nullptr);
    ASSERT_TRUE(CreateDirectoryW(L"C:\\vantu-report\\Temp\\check_result.txt", nullptr) ||
                GetLastError() == ERROR_ALREADY_EXISTS);
    move_local_app_data(L"C:\\vantu-report");
    save_shows_a_usable_message(L"app-save-report-not-created");
}
