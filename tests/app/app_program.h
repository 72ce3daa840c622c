// MarloCheckTool.exe driven from a test: each test runs its own copy of the
// program in a fresh folder, so that its log folder ("Log" beside the
// executable) belongs to that test alone. Finding its windows, pressing its
// buttons, reading its lists across the process boundary.
#pragma once

#include "common/text_convert.h"
#include "support/win/environment.h"
#include "support/win/process_windows.h"
#include "support/win/processes.h"
#include "support/win/screenshot.h"
#include "support/win/test_server.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace app_test {

using namespace test_support;

const int kStartButton = 1009, kSaveButton = 1010, kTab = 1011;
const DWORD kStartupLimitMs = 90000;
const DWORD kStepLimitMs = 30000;
const wchar_t kMainTitlePrefix[] = L"Vantu Check Tool (ver. ";
const wchar_t kBoxTitle[] = L"Vantu Check Tool";

inline std::string read_file(const std::wstring& path)
{
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// A check list of the product's paths and the given server groups (JSON
// members, each ending in ",\n" but the last).
inline std::string checklist_with(const std::string& groups)
{
    return "{\n"
           " \"product path agent\": \"C:\\\\Program Files\\\\Vantu\\\\Agent\",\n"
           " \"product path agent web\": \"C:\\\\Program Files\\\\Vantu\\\\AgentWeb\",\n"
           " \"product path viewer\": \"C:\\\\Program Files\\\\Vantu\\\\Viewer\",\n"
           " \"agent log path\": \"C:\\\\VantuLogs\\\\Agent\",\n"
           " \"viewer log path\": \"C:\\\\VantuLogs\\\\Viewer\",\n" +
           groups + "}\n";
}

// Account item and two web servers of the test server; with_failure adds a
// proxy on a port where nothing listens.
inline void serve_small_checklist(bool with_failure = false, const std::wstring& agent_logs = L"C:\\VantuLogs\\Agent")
{
    std::string port = std::to_string(http_port());
    std::string proxy = with_failure ? " \"proxy\": [\"127.0.0.1:" + to_utf8(env(L"VANTU_TS_CLOSED_PORT")) + "\"],\n" : "";
    serve_checklist("{\n"
                    " \"product path agent\": \"C:\\\\Program Files\\\\Vantu\\\\Agent\",\n"
                    " \"product path agent web\": \"C:\\\\Program Files\\\\Vantu\\\\AgentWeb\",\n"
                    " \"product path viewer\": \"C:\\\\Program Files\\\\Vantu\\\\Viewer\",\n"
                    " \"agent log path\": \"" + json_path(agent_logs) + "\",\n"
                    " \"viewer log path\": \"C:\\\\VantuLogs\\\\Viewer\",\n"
                    + proxy +
                    " \"update\": [\"127.0.0.1:" + port + "\"],\n"
                    " \"web\": [\"127.0.0.1:" + port + "\"]\n"
                    "}\n");
}

inline void remove_served_checklist()
{
    DeleteFileW(served_checklist_path().c_str());
}

inline std::wstring text_of(HWND w)
{
    return title_of(w);
}

// The themed message box: the product's title, or with a countdown.
inline bool is_box_title(const std::wstring& t)
{
    return t == kBoxTitle || (t.rfind(std::wstring(kBoxTitle) + L" (", 0) == 0 && t.rfind(kMainTitlePrefix, 0) != 0);
}

// One copy of the program in its own folder.
class Program {
public:
    Program()
    {
        wchar_t tmp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, tmp);
        // Wine hands out the same small process ids run after run, so the id alone
        // would find an earlier run's folder and its log (whose lines the tests
        // search): the start time makes the folder new.
        m_folder = std::wstring(tmp) + L"vantu-app-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                   std::to_wstring(GetTickCount64()) + L"-" + std::to_wstring(++s_count);
        if (!CreateDirectoryW(m_folder.c_str(), nullptr))
            m_setup_error = "creating the folder failed, error " + std::to_string(GetLastError());
        m_exe = m_folder + L"\\MarloCheckTool.exe";
        if (m_setup_error.empty() && !CopyFileW(wine_path(VANTU_APP_EXE).c_str(), m_exe.c_str(), FALSE))
            m_setup_error = "copying the program failed, error " + std::to_string(GetLastError());
    }
    ~Program() { end_process(m_process); }
    const std::wstring& exe() const { return m_exe; }

    bool start(const std::wstring& exe_path = std::wstring())
    {
        std::wstring exe = exe_path.empty() ? m_exe : exe_path;
        std::wstring cmd = L"\"" + exe + L"\" --web-host 127.0.0.1:" + std::to_wstring(http_port());
        if (start_apart_from_output(exe, cmd, m_folder, m_process))
            return true;
        ADD_FAILURE() << "the program did not start: "
                      << (m_setup_error.empty() ? "CreateProcess failed, error " + std::to_string(GetLastError())
                                                : m_setup_error);
        return false;
    }
    DWORD pid() const { return m_process.dwProcessId; }
    HANDLE process() const { return m_process.hProcess; }
    bool ended(DWORD limit_ms) const { return WaitForSingleObject(m_process.hProcess, limit_ms) == WAIT_OBJECT_0; }

    HWND main_window(DWORD limit_ms = kStartupLimitMs)
    {
        HWND found = nullptr;
        wait_until(
            [&] {
                found = window_titled(pid(), [](const std::wstring& t) { return t.rfind(kMainTitlePrefix, 0) == 0; });
                return found != nullptr;
            },
            limit_ms);
        return found;
    }
    // The themed message box (title exactly the product's, or with a countdown).
    HWND message_box(DWORD limit_ms = kStepLimitMs)
    {
        HWND found = nullptr;
        wait_until(
            [&] {
                found = window_titled(pid(), is_box_title);
                return found != nullptr;
            },
            limit_ms);
        return found;
    }
    std::string log_text() const
    {
        std::string all;
        WIN32_FIND_DATAW fd;
        HANDLE h = FindFirstFileW((m_folder + L"\\Log\\*").c_str(), &fd);
        if (h == INVALID_HANDLE_VALUE)
            return all;
        do {
            if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                all += read_file(m_folder + L"\\Log\\" + fd.cFileName);
        } while (FindNextFileW(h, &fd));
        FindClose(h);
        return all;
    }

private:
    static inline int s_count = 0;
    std::wstring m_folder;
    std::wstring m_exe;
    std::string m_setup_error;
    PROCESS_INFORMATION m_process{};
};

inline void press_key(HWND window, UINT key)
{
    PostMessageW(window, WM_KEYDOWN, key, 0);
    PostMessageW(window, WM_KEYUP, key, 0xC0000000);
}

inline void click(HWND dialog, int id)
{
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

class AppWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_GT(http_port(), 0) << "the test server's ports are missing";
        server_call(L"/__control/reset", L"POST");
    }
};


inline std::vector<HWND> lists_of(HWND dialog)
{
    std::vector<HWND> lists;
    EnumChildWindows(
        dialog,
        [](HWND w, LPARAM lp) -> BOOL {
            wchar_t cls[64] = {};
            GetClassNameW(w, cls, 63);
            if (std::wstring(cls) == L"SysListView32")
                reinterpret_cast<std::vector<HWND>*>(lp)->push_back(w);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&lists));
    return lists;
}


// The text of one cell, as the list answers LVM_GETITEMTEXT.
inline std::wstring cell_text(HANDLE process, HWND list, int row, int column)
{
    const size_t chars = 512;
    RemoteBuffer remote(process, sizeof(LVITEMW) + chars * sizeof(wchar_t));
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.iSubItem = column;
    item.cchTextMax = static_cast<int>(chars);
    item.pszText = reinterpret_cast<wchar_t*>(static_cast<char*>(remote.at()) + sizeof(LVITEMW));
    std::vector<wchar_t> text(chars, L'\0');
    if (!remote.write(&item, sizeof(item)) || !remote.write(text.data(), chars * sizeof(wchar_t), sizeof(LVITEMW)))
        return L"<unreadable>";
    SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(remote.at()));
    if (!remote.read(text.data(), chars * sizeof(wchar_t), sizeof(LVITEMW)))
        return L"<unreadable>";
    text.back() = L'\0';
    return text.data();
}

inline std::wstring row_text(HANDLE process, HWND list, int row)
{
    HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    int columns = header ? static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
    std::wstring text;
    for (int c = 0; c < columns; ++c)
        text += (c ? L"|" : L"") + cell_text(process, list, row, c);
    return text;
}

inline int column_count(HWND list)
{
    HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    return header ? static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
}

// The pages' lists, told apart by their columns: 7 log, 3 result, 2 error codes.
struct PageLists {
    HWND log = nullptr, result = nullptr, error_codes = nullptr;
};

inline PageLists page_lists(HWND dialog)
{
    PageLists found;
    for (HWND list : lists_of(dialog)) {
        int columns = column_count(list);
        if (columns == 7)
            found.log = list;
        else if (columns == 3)
            found.result = list;
        else if (columns == 2)
            found.error_codes = list;
    }
    return found;
}

// A click on a tab, as a user makes it: tabs are 100 pixels wide at 96 DPI,
// side by side from the control's left edge.
inline void click_tab(HWND dialog, int index)
{
    HWND tab = GetDlgItem(dialog, kTab);
    LPARAM at = MAKELPARAM(50 + 100 * index, 12);
    PostMessageW(tab, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(tab, WM_LBUTTONUP, 0, at);
}

// Which of the three pages (0 log, 1 result, 2 error codes) are visible.
inline std::vector<bool> visible_pages(HWND dialog)
{
    PageLists lists = page_lists(dialog);
    return {lists.log && IsWindowVisible(GetParent(lists.log)) != 0,
            lists.result && IsWindowVisible(GetParent(lists.result)) != 0,
            lists.error_codes && IsWindowVisible(GetParent(lists.error_codes)) != 0};
}

// The check list with one session server that accepts and never answers, so
// that its item lasts while a test acts.
inline void serve_checklist_with_silent_session()
{
    std::string port = std::to_string(http_port());
    serve_checklist(checklist_with(" \"session\": [\"127.0.0.1:" + to_utf8(env(L"VANTU_TS_TQS_SILENT_PORT")) + "\"],\n"
                                   " \"web\": [\"127.0.0.1:" + port + "\"]\n"));
}

inline HWND ready_dialog(Program& program)
{
    if (!program.start())
        return nullptr;
    HWND dlg = program.main_window();
    if (!dlg || !wait_until([&] { return enabled(dlg, kStartButton); }, kStartupLimitMs))
        return nullptr;
    return dlg;
}

// Runs the check list to its end; returns the completion notice.
inline HWND completed_run(Program& program, HWND dlg)
{
    click(dlg, kStartButton);
    // A run against quick servers lasts about a tenth of a second, which a poll
    // can miss: the notice itself also shows that it started.
    HWND notice = nullptr;
    if (!wait_until(
            [&] {
                notice = window_titled(program.pid(), is_box_title);
                return notice || text_of(GetDlgItem(dlg, kStartButton)) == L"진단 중지";
            },
            kStepLimitMs)) {
        std::string log = program.log_text();
        ADD_FAILURE() << "the run did not start; start button \"" << to_utf8(text_of(GetDlgItem(dlg, kStartButton)))
                      << "\" enabled " << enabled(dlg, kStartButton) << ", dialog enabled " << (IsWindowEnabled(dlg) != 0)
                      << "; log ends:\n" << log.substr(log.size() > 3000 ? log.size() - 3000 : 0);
        return nullptr;
    }
    return notice ? notice : program.message_box(90000);
}


// The tool tip window of the program that shows now, if any.
inline HWND shown_tooltip(DWORD pid)
{
    for (HWND w : visible_top_windows(pid)) {
        wchar_t cls[64] = {};
        GetClassNameW(w, cls, 63);
        if (std::wstring(cls) == TOOLTIPS_CLASSW)
            return w;
    }
    return nullptr;
}

// The text a tool tip shows now. Its window text is the text on screen, also
// for tools whose text the program hands over only when asked (a callback);
// the tool's stored text is the fallback.
inline std::wstring tooltip_text(HANDLE process, HWND tip)
{
    wchar_t shown[512] = {};
    if (SendMessageW(tip, WM_GETTEXT, 511, reinterpret_cast<LPARAM>(shown)) > 0)
        return shown;
    const size_t chars = 512;
    RemoteBuffer remote(process, sizeof(TTTOOLINFOW) + chars * sizeof(wchar_t));
    TTTOOLINFOW info{};
    info.cbSize = sizeof(info);
    info.lpszText = reinterpret_cast<wchar_t*>(static_cast<char*>(remote.at()) + sizeof(TTTOOLINFOW));
    std::vector<wchar_t> text(chars, L'\0');
    if (!remote.write(&info, sizeof(info)) || !remote.write(text.data(), chars * sizeof(wchar_t), sizeof(TTTOOLINFOW)))
        return L"<unreadable>";
    if (!SendMessageW(tip, TTM_GETCURRENTTOOLW, 0, reinterpret_cast<LPARAM>(remote.at())))
        return L"<no current tool>";
    SendMessageW(tip, TTM_GETTEXTW, chars, reinterpret_cast<LPARAM>(remote.at()));
    if (!remote.read(text.data(), chars * sizeof(wchar_t), sizeof(TTTOOLINFOW)))
        return L"<unreadable>";
    text.back() = L'\0';
    return text.data();
}

// Puts the mouse on the middle of a control, as a user's hand would.
inline void hover(HWND control)
{
    RECT rc{};
    GetWindowRect(control, &rc);
    SetCursorPos((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
}

} // namespace app_test
