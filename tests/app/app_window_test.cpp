// MarloCheckTool.exe as users meet it, run under Wine against the test server:
// start-up and download, the second instance, the exit question, a whole run.
// Each test runs its own copy of the program in a fresh folder, so that its log
// folder ("Log" beside the executable) belongs to that test alone.
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

using namespace test_support;

namespace {

const int kStartButton = 1009, kSaveButton = 1010, kTab = 1011;
const DWORD kStartupLimitMs = 90000;
const DWORD kStepLimitMs = 30000;
const wchar_t kMainTitlePrefix[] = L"Vantu Check Tool (ver. ";
const wchar_t kBoxTitle[] = L"Vantu Check Tool";

std::string read_file(const std::wstring& path)
{
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// Account item and two web servers of the test server; with_failure adds a
// proxy on a port where nothing listens.
void serve_small_checklist(bool with_failure = false, const std::wstring& agent_logs = L"C:\\VantuLogs\\Agent")
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

void remove_served_checklist()
{
    DeleteFileW(served_checklist_path().c_str());
}

std::wstring text_of(HWND w)
{
    return title_of(w);
}

// The themed message box: the product's title, or with a countdown.
bool is_box_title(const std::wstring& t)
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
        CreateDirectoryW(m_folder.c_str(), nullptr);
        m_exe = m_folder + L"\\MarloCheckTool.exe";
        CopyFileW(wine_path(VANTU_APP_EXE).c_str(), m_exe.c_str(), FALSE);
    }
    ~Program() { end_process(m_process); }
    const std::wstring& exe() const { return m_exe; }

    bool start(const std::wstring& exe_path = std::wstring())
    {
        std::wstring exe = exe_path.empty() ? m_exe : exe_path;
        std::wstring cmd = L"\"" + exe + L"\" --web-host 127.0.0.1:" + std::to_wstring(http_port());
        // The program and whatever it starts (console commands, services) get
        // NUL as their standard handles, not this test's output pipes, which
        // would otherwise be held open after the test has finished.
        SECURITY_ATTRIBUTES sa{sizeof(sa), nullptr, TRUE};
        HANDLE nul = CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa,
                                 OPEN_EXISTING, 0, nullptr);
        STARTUPINFOW si{};
        si.cb = sizeof(si);
        si.dwFlags = STARTF_USESTDHANDLES;
        si.hStdInput = si.hStdOutput = si.hStdError = nul;
        bool ok = CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, TRUE, 0, nullptr, m_folder.c_str(), &si,
                                 &m_process) != 0;
        if (nul != INVALID_HANDLE_VALUE)
            CloseHandle(nul);
        return ok;
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
    PROCESS_INFORMATION m_process{};
};

void press_key(HWND window, UINT key)
{
    PostMessageW(window, WM_KEYDOWN, key, 0);
    PostMessageW(window, WM_KEYUP, key, 0xC0000000);
}

void click(HWND dialog, int id)
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

} // namespace

TEST_F(AppWindow, StartsReadyAfterOneDownloadAndWritesBothBanners)
{
    serve_small_checklist();
    Program program;
    ASSERT_TRUE(program.start());
    HWND dlg = program.main_window();
    ASSERT_NE(dlg, nullptr);
    EXPECT_TRUE(wait_until([&] { return enabled(dlg, kStartButton); }, kStartupLimitMs));
    EXPECT_EQ(text_of(GetDlgItem(dlg, kStartButton)), L"진단 시작");
    EXPECT_FALSE(enabled(dlg, kSaveButton));
    EXPECT_EQ(checklist_requests(), 1);
    save_screen(L"app-ready");

    std::string log = program.log_text();
    EXPECT_NE(log.find("Program Start"), std::string::npos);
    EXPECT_NE(log.find("request_url : "), std::string::npos);

    // Escape, then OK on the question: the program ends and says so in its log.
    PostMessageW(dlg, WM_COMMAND, IDCANCEL, 0);
    HWND box = program.message_box();
    ASSERT_NE(box, nullptr);
    press_key(box, VK_RETURN);
    ASSERT_TRUE(program.ended(kStepLimitMs));
    EXPECT_NE(program.log_text().find("Program Exit"), std::string::npos);
}

TEST_F(AppWindow, FailedDownloadIsTriedTwiceThenTheHelpShowsAndOkEndsTheProgram)
{
    remove_served_checklist();
    Program program;
    ASSERT_TRUE(program.start());
    HWND help = nullptr;
    ASSERT_TRUE(wait_until(
        [&] {
            help = window_titled(program.pid(), [](const std::wstring& t) { return t == L"서버리스트 다운로드 에러"; });
            return help != nullptr;
        },
        kStartupLimitMs));
    // A port other than 80 and 443 is asked twice; both answers were 404.
    EXPECT_EQ(checklist_requests(), 2);
    // The main dialog has been hidden.
    EXPECT_EQ(window_titled(program.pid(), [](const std::wstring& t) { return t.rfind(kMainTitlePrefix, 0) == 0; }),
              nullptr);
    wchar_t address[512] = {};
    GetDlgItemTextW(help, 1042, address, 511);
    EXPECT_EQ(std::wstring(address), L"http://127.0.0.1:80/download/checklist.json");
    save_screen(L"app-download-help");

    // Escape leaves the help open; its OK button ends the program.
    PostMessageW(help, WM_COMMAND, IDCANCEL, 0);
    EXPECT_FALSE(program.ended(1000));
    PostMessageW(help, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_TRUE(program.ended(kStepLimitMs));
}

TEST_F(AppWindow, ClosingWhileTheListDownloadsEndsWithoutTheHelp)
{
    remove_served_checklist();
    // Both attempts answer 404, slowly, so the user closes while they run.
    server_call(L"/__control/rule?path=/download/checklist.json&status=404&body=x&delay_ms=3000&times=2", L"POST");
    Program program;
    ASSERT_TRUE(program.start());
    HWND dlg = program.main_window();
    ASSERT_NE(dlg, nullptr);
    EXPECT_FALSE(enabled(dlg, kStartButton));
    PostMessageW(dlg, WM_COMMAND, IDCANCEL, 0);
    HWND box = program.message_box();
    ASSERT_NE(box, nullptr);
    press_key(box, VK_RETURN);
    bool help_seen = false;
    EXPECT_TRUE(wait_until(
        [&] {
            help_seen = help_seen || window_titled(program.pid(), [](const std::wstring& t) {
                                         return t == L"서버리스트 다운로드 에러";
                                     }) != nullptr;
            return WaitForSingleObject(program.process(), 0) == WAIT_OBJECT_0;
        },
        kStartupLimitMs));
    EXPECT_FALSE(help_seen) << "the help of a download the user no longer waits for";
    EXPECT_NE(program.log_text().find("Program Exit"), std::string::npos);
}

TEST_F(AppWindow, SecondStartLeavesNoWindowAndBringsTheFirstForward)
{
    serve_small_checklist();
    Program first;
    ASSERT_TRUE(first.start());
    HWND dlg = first.main_window();
    ASSERT_NE(dlg, nullptr);
    ASSERT_TRUE(wait_until([&] { return enabled(dlg, kStartButton); }, kStartupLimitMs));
    ShowWindow(dlg, SW_MINIMIZE);
    ASSERT_TRUE(wait_until([&] { return IsIconic(dlg) != 0; }, kStepLimitMs));

    Program second;
    ASSERT_TRUE(second.start(first.exe()));
    ASSERT_TRUE(second.ended(kStepLimitMs));
    DWORD code = 1;
    GetExitCodeProcess(second.process(), &code);
    EXPECT_EQ(code, 0u);
    EXPECT_TRUE(visible_top_windows(second.pid()).empty());
    EXPECT_TRUE(wait_until([&] { return !IsIconic(dlg); }, kStepLimitMs)) << "the first window was not restored";
    EXPECT_EQ(checklist_requests(), 1) << "the second start must not download";
}

TEST_F(AppWindow, EscapeAsksCancelKeepsTheDialogAndOkClosesIt)
{
    serve_small_checklist();
    Program program;
    ASSERT_TRUE(program.start());
    HWND dlg = program.main_window();
    ASSERT_NE(dlg, nullptr);
    ASSERT_TRUE(wait_until([&] { return enabled(dlg, kStartButton); }, kStartupLimitMs));

    PostMessageW(dlg, WM_COMMAND, IDCANCEL, 0);
    HWND box = program.message_box();
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(wait_until([&] { return !IsWindowEnabled(dlg); }, kStepLimitMs))
        << "the question keeps the dialog disabled";
    save_screen(L"app-exit-question");
    press_key(box, VK_ESCAPE);
    ASSERT_TRUE(wait_until([&] { return !IsWindowVisible(box) || !IsWindow(box); }, kStepLimitMs));
    EXPECT_FALSE(program.ended(500));
    EXPECT_TRUE(IsWindowVisible(dlg));
    EXPECT_TRUE(wait_until([&] { return IsWindowEnabled(dlg) != 0; }, kStepLimitMs));

    PostMessageW(dlg, WM_COMMAND, IDCANCEL, 0);
    box = program.message_box();
    ASSERT_NE(box, nullptr);
    press_key(box, VK_RETURN);
    EXPECT_TRUE(program.ended(kStepLimitMs));
}

std::vector<HWND> lists_of(HWND dialog)
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

TEST_F(AppWindow, AWholeRunCompletesAndEnablesTheSaveButton)
{
    serve_small_checklist(true);
    // Slow answers keep the run on screen long enough to see it checking.
    server_call(L"/__control/rule?path=/&status=200&body=ok&delay_ms=1500&times=20", L"POST");
    Program program;
    ASSERT_TRUE(program.start());
    HWND dlg = program.main_window();
    ASSERT_NE(dlg, nullptr);
    ASSERT_TRUE(wait_until([&] { return enabled(dlg, kStartButton); }, kStartupLimitMs));

    // Enter acts as the start button.
    PostMessageW(dlg, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(wait_until([&] { return text_of(GetDlgItem(dlg, kStartButton)) == L"진단 중지"; }, kStepLimitMs));
    EXPECT_FALSE(enabled(dlg, kSaveButton));
    save_screen(L"app-checking");

    HWND notice = program.message_box(90000);
    ASSERT_NE(notice, nullptr) << "no completion notice";
    EXPECT_EQ(text_of(GetDlgItem(dlg, kStartButton)), L"진단 시작");
    EXPECT_TRUE(enabled(dlg, kSaveButton));
    save_screen(L"app-completed");
    // The notice answers by itself after its time limit.
    EXPECT_TRUE(wait_until([&] { return !IsWindowVisible(notice) || !IsWindow(notice); }, 20000));
    EXPECT_NE(program.log_text().find("checking completed."), std::string::npos);

    // Log page: one row per item; result page: the one failed item.
    // The pages' lists are told apart by their columns: 7 log, 3 result, 2 error codes.
    HWND log_list = nullptr, result_list = nullptr;
    for (HWND list : lists_of(dlg)) {
        HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
        LRESULT columns = header ? SendMessageW(header, HDM_GETITEMCOUNT, 0, 0) : 0;
        if (columns == 7)
            log_list = list;
        else if (columns == 3)
            result_list = list;
    }
    ASSERT_NE(log_list, nullptr);
    ASSERT_NE(result_list, nullptr);
    EXPECT_EQ(SendMessageW(log_list, LVM_GETITEMCOUNT, 0, 0), 4);
    EXPECT_EQ(SendMessageW(result_list, LVM_GETITEMCOUNT, 0, 0), 1);

    // Selecting the error-code tab shows that page; starting again returns to the log page.
    HWND tab = GetDlgItem(dlg, kTab);
    ASSERT_NE(tab, nullptr);
    EXPECT_EQ(SendMessageW(tab, 0x1300 + 11 /* TCM_GETCURSEL */, 0, 0), 0);
}

TEST_F(AppWindow, TheSystemMenuOpensTheAboutBox)
{
    serve_small_checklist();
    Program program;
    ASSERT_TRUE(program.start());
    HWND dlg = program.main_window();
    ASSERT_NE(dlg, nullptr);
    PostMessageW(dlg, WM_SYSCOMMAND, 0x0010, 0);
    HWND about = nullptr;
    ASSERT_TRUE(wait_until(
        [&] {
            about = window_titled(program.pid(), [](const std::wstring& t) { return t == L"MarloCheckTool 정보"; });
            return about != nullptr;
        },
        kStepLimitMs));
    EXPECT_TRUE(wait_until([&] { return !IsWindowEnabled(dlg); }, kStepLimitMs)) << "the about box is modal";
    PostMessageW(about, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_TRUE(wait_until([&] { return !IsWindow(about); }, kStepLimitMs));
    EXPECT_TRUE(wait_until([&] { return IsWindowEnabled(dlg) != 0; }, kStepLimitMs));
}

TEST_F(AppWindow, ClosingDuringARunStopsItFirstAndCancelKeepsTheStoppedDialog)
{
    serve_small_checklist();
    server_call(L"/__control/rule?path=/&status=200&body=ok&delay_ms=1500&times=20", L"POST");
    Program program;
    ASSERT_TRUE(program.start());
    HWND dlg = program.main_window();
    ASSERT_NE(dlg, nullptr);
    ASSERT_TRUE(wait_until([&] { return enabled(dlg, kStartButton); }, kStartupLimitMs));
    click(dlg, kStartButton);
    ASSERT_TRUE(wait_until([&] { return text_of(GetDlgItem(dlg, kStartButton)) == L"진단 중지"; }, kStepLimitMs));

    PostMessageW(dlg, WM_COMMAND, IDCANCEL, 0);
    // The run stops after the item in progress, then the question comes.
    HWND box = program.message_box(60000);
    ASSERT_NE(box, nullptr);
    EXPECT_NE(program.log_text().find("checking cancelled."), std::string::npos);
    press_key(box, VK_ESCAPE);
    ASSERT_TRUE(wait_until([&] { return IsWindowEnabled(dlg) != 0; }, kStepLimitMs));
    EXPECT_FALSE(program.ended(500));
    EXPECT_EQ(text_of(GetDlgItem(dlg, kStartButton)), L"진단 시작");
    EXPECT_TRUE(enabled(dlg, kStartButton));
    EXPECT_FALSE(enabled(dlg, kSaveButton)) << "a cancelled run saves nothing";
    save_screen(L"app-cancelled");
}

namespace {

// The text of one cell, as the list answers LVM_GETITEMTEXT.
std::wstring cell_text(HANDLE process, HWND list, int row, int column)
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

std::wstring row_text(HANDLE process, HWND list, int row)
{
    HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    int columns = header ? static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
    std::wstring text;
    for (int c = 0; c < columns; ++c)
        text += (c ? L"|" : L"") + cell_text(process, list, row, c);
    return text;
}

int column_count(HWND list)
{
    HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    return header ? static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
}

// The pages' lists, told apart by their columns: 7 log, 3 result, 2 error codes.
struct PageLists {
    HWND log = nullptr, result = nullptr, error_codes = nullptr;
};

PageLists page_lists(HWND dialog)
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
void click_tab(HWND dialog, int index)
{
    HWND tab = GetDlgItem(dialog, kTab);
    LPARAM at = MAKELPARAM(50 + 100 * index, 12);
    PostMessageW(tab, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(tab, WM_LBUTTONUP, 0, at);
}

// Which of the three pages (0 log, 1 result, 2 error codes) are visible.
std::vector<bool> visible_pages(HWND dialog)
{
    PageLists lists = page_lists(dialog);
    return {lists.log && IsWindowVisible(GetParent(lists.log)) != 0,
            lists.result && IsWindowVisible(GetParent(lists.result)) != 0,
            lists.error_codes && IsWindowVisible(GetParent(lists.error_codes)) != 0};
}

// The check list with one session server that accepts and never answers, so
// that its item lasts while a test acts.
void serve_checklist_with_silent_session()
{
    std::string port = std::to_string(http_port());
    serve_checklist("{\n"
                    " \"product path agent\": \"C:\\\\Program Files\\\\Vantu\\\\Agent\",\n"
                    " \"product path agent web\": \"C:\\\\Program Files\\\\Vantu\\\\AgentWeb\",\n"
                    " \"product path viewer\": \"C:\\\\Program Files\\\\Vantu\\\\Viewer\",\n"
                    " \"agent log path\": \"C:\\\\VantuLogs\\\\Agent\",\n"
                    " \"viewer log path\": \"C:\\\\VantuLogs\\\\Viewer\",\n"
                    " \"session\": [\"127.0.0.1:" + to_utf8(env(L"VANTU_TS_TQS_SILENT_PORT")) + "\"],\n"
                    " \"web\": [\"127.0.0.1:" + port + "\"]\n"
                    "}\n");
}

HWND ready_dialog(Program& program)
{
    if (!program.start())
        return nullptr;
    HWND dlg = program.main_window();
    if (!dlg || !wait_until([&] { return enabled(dlg, kStartButton); }, kStartupLimitMs))
        return nullptr;
    return dlg;
}

// Runs the check list to its end; returns the completion notice.
HWND completed_run(Program& program, HWND dlg)
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

} // namespace

// Disabled: under Wine the start button stays disabled and reads "진단 중지" after such a stop.
TEST_F(AppWindow, StopDuringAnItemEndsTheRunAfterThatItemAndSaysSo)
{
    serve_checklist_with_silent_session();
    Program program;
    HWND dlg = ready_dialog(program);
    ASSERT_NE(dlg, nullptr);
    click(dlg, kStartButton);
    ASSERT_TRUE(wait_until([&] { return text_of(GetDlgItem(dlg, kStartButton)) == L"진단 중지"; }, kStepLimitMs));
    // The session item is in progress: its first attempt waits for an answer that never comes.
    const std::string attempt = std::string(":").append(to_utf8(env(L"VANTU_TS_TQS_SILENT_PORT"))) + " checking... retry_count : 1/";
    ASSERT_TRUE(wait_until([&] { return program.log_text().find(attempt) != std::string::npos; }, 60000));
    ASSERT_TRUE(enabled(dlg, kStartButton));

    click(dlg, kStartButton);
    // The button is disabled at once, unless the stopped item has already ended and the run with it.
    EXPECT_TRUE(wait_until(
        [&] {
            return !enabled(dlg, kStartButton) || program.log_text().find("checking cancelled.") != std::string::npos;
        },
        3000))
        << "stop must disable the button";

    // The item in progress ends, then the run.
    ASSERT_TRUE(wait_until([&] { return program.log_text().find("checking cancelled.") != std::string::npos; }, 60000));
    EXPECT_TRUE(wait_until([&] { return text_of(GetDlgItem(dlg, kStartButton)) == L"진단 시작" && enabled(dlg, kStartButton); },
                           kStepLimitMs))
        << to_utf8(text_of(GetDlgItem(dlg, kStartButton))) << " enabled " << enabled(dlg, kStartButton) << "\n"
        << program.log_text().substr(program.log_text().size() > 3000 ? program.log_text().size() - 3000 : 0);
    EXPECT_FALSE(enabled(dlg, kSaveButton));
    EXPECT_EQ(program.log_text().find("checking completed."), std::string::npos);

    PageLists lists = page_lists(dlg);
    ASSERT_NE(lists.log, nullptr);
    ASSERT_NE(lists.result, nullptr);
    // The stopped item's row says so; no item after it was started.
    int rows = static_cast<int>(SendMessageW(lists.log, LVM_GETITEMCOUNT, 0, 0));
    int stopped_row = -1;
    std::wstring all_rows;
    for (int r = 0; r < rows; ++r) {
        std::wstring text = row_text(program.process(), lists.log, r);
        all_rows += text + L"\n";
        if (text.find(L"진단 중지") != std::wstring::npos ||
            (text.find(L"Fail") != std::wstring::npos && text.find(L"90001") != std::wstring::npos))
            stopped_row = r;
    }
    ASSERT_GE(stopped_row, 0) << to_utf8(all_rows);
    for (int r = stopped_row + 1; r < rows; ++r)
        EXPECT_EQ(cell_text(program.process(), lists.log, r, 5), L"") << "an item after the stop was checked";
    // The result page lists nothing and tells why.
    EXPECT_EQ(SendMessageW(lists.result, LVM_GETITEMCOUNT, 0, 0), 0);
    EXPECT_EQ(text_of(lists.result), L"사용자에 의해 진단이 취소되었습니다.");
    save_screen(L"app-stopped");
}

TEST_F(AppWindow, CompletionNoticeClosesItselfAndTheDialogStays)
{
    serve_small_checklist(true);
    Program program;
    HWND dlg = ready_dialog(program);
    ASSERT_NE(dlg, nullptr);
    EXPECT_EQ(visible_pages(dlg), (std::vector<bool>{true, false, false}));

    HWND notice = completed_run(program, dlg);
    ASSERT_NE(notice, nullptr) << "no completion notice";
    // The notice goes by itself after its ten seconds.
    EXPECT_EQ(title_of(notice), L"Vantu Check Tool");
    EXPECT_TRUE(wait_until([&] { return !IsWindow(notice) || !IsWindowVisible(notice); }, 15000))
        << "the notice did not close itself";
    EXPECT_FALSE(program.ended(500)) << "the dialog stays";
    EXPECT_TRUE(IsWindowVisible(dlg));
    EXPECT_TRUE(wait_until([&] { return IsWindowEnabled(dlg) != 0; }, kStepLimitMs));
}

TEST_F(AppWindow, TabsShowOnePageEachAndStartReturnsToTheLogPage)
{
    serve_small_checklist(true);
    Program program;
    HWND dlg = ready_dialog(program);
    ASSERT_NE(dlg, nullptr);
    EXPECT_EQ(visible_pages(dlg), (std::vector<bool>{true, false, false}));
    HWND notice = completed_run(program, dlg);
    ASSERT_NE(notice, nullptr) << "no completion notice";
    ASSERT_TRUE(wait_until([&] { return !IsWindow(notice) || !IsWindowVisible(notice); }, 15000));
    ASSERT_TRUE(wait_until([&] { return IsWindowEnabled(dlg) != 0; }, kStepLimitMs));

    // Each tab shows its page alone.
    click_tab(dlg, 1);
    EXPECT_TRUE(wait_until([&] { return visible_pages(dlg) == std::vector<bool>{false, true, false}; }, kStepLimitMs));
    EXPECT_GT(SendMessageW(page_lists(dlg).result, LVM_GETITEMCOUNT, 0, 0), 0);
    save_screen(L"app-result-page");
    click_tab(dlg, 2);
    EXPECT_TRUE(wait_until([&] { return visible_pages(dlg) == std::vector<bool>{false, false, true}; }, kStepLimitMs));
    EXPECT_GT(SendMessageW(page_lists(dlg).error_codes, LVM_GETITEMCOUNT, 0, 0), 0);
    save_screen(L"app-error-code-page");

    // Starting again returns to the log page.
    click(dlg, kStartButton);
    EXPECT_TRUE(wait_until([&] { return visible_pages(dlg) == std::vector<bool>{true, false, false}; }, kStepLimitMs));
    EXPECT_EQ(SendMessageW(GetDlgItem(dlg, kTab), TCM_GETCURSEL, 0, 0), 0);
    HWND second = program.message_box(90000);
    EXPECT_NE(second, nullptr) << "the second run did not complete";
}

namespace {

// Where layout puts every page: the tab control's client area below the tabs,
// in screen coordinates.
RECT expected_page_rect(HANDLE process, HWND dialog)
{
    HWND tab = GetDlgItem(dialog, kTab);
    RECT client{}, first{};
    GetClientRect(tab, &client);
    RemoteBuffer remote(process, sizeof(RECT));
    SendMessageW(tab, TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(remote.at()));
    remote.read(&first, sizeof(first));
    RECT rc{client.left, client.top + (first.bottom - first.top) + 2, client.right, client.bottom};
    MapWindowPoints(tab, nullptr, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

std::string rect_text(const RECT& rc)
{
    char text[96] = {};
    snprintf(text, sizeof(text), "(%ld,%ld)-(%ld,%ld)", rc.left, rc.top, rc.right, rc.bottom);
    return text;
}

// Every page's rectangle, as text, for comparing and for messages.
std::vector<std::string> page_rects(HWND dialog)
{
    PageLists lists = page_lists(dialog);
    std::vector<std::string> rects;
    for (HWND list : {lists.log, lists.result, lists.error_codes}) {
        RECT rc{};
        if (list)
            GetWindowRect(GetParent(list), &rc);
        rects.push_back(rect_text(rc));
    }
    return rects;
}

} // namespace

TEST_F(AppWindow, MaximiseMinimiseAndRestoreKeepThePagesFillingTheTabArea)
{
    serve_small_checklist();
    Program program;
    HWND dlg = ready_dialog(program);
    ASSERT_NE(dlg, nullptr);
    RECT normal{};
    GetWindowRect(dlg, &normal);
    auto pages_fill_tab_area = [&] {
        std::string expected = rect_text(expected_page_rect(program.process(), dlg));
        return page_rects(dlg) == std::vector<std::string>{expected, expected, expected};
    };
    auto layout_message = [&] {
        std::string text = "expected every page at " + rect_text(expected_page_rect(program.process(), dlg)) + ", found";
        for (const std::string& rc : page_rects(dlg))
            text += " " + rc;
        return text;
    };
    ASSERT_TRUE(pages_fill_tab_area()) << layout_message();

    PostMessageW(dlg, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    ASSERT_TRUE(wait_until([&] { return IsZoomed(dlg) != 0; }, kStepLimitMs)) << "not maximised";
    EXPECT_TRUE(wait_until(pages_fill_tab_area, kStepLimitMs)) << layout_message();
    EXPECT_EQ(visible_pages(dlg), (std::vector<bool>{true, false, false}));
    save_screen(L"app-maximised");

    PostMessageW(dlg, WM_SYSCOMMAND, SC_RESTORE, 0);
    ASSERT_TRUE(wait_until([&] { return !IsZoomed(dlg); }, kStepLimitMs)) << "not restored";
    RECT restored{};
    EXPECT_TRUE(wait_until(
        [&] {
            GetWindowRect(dlg, &restored);
            return EqualRect(&restored, &normal) != 0;
        },
        kStepLimitMs))
        << "restored to " << rect_text(restored) << ", was " << rect_text(normal);
    EXPECT_TRUE(wait_until(pages_fill_tab_area, kStepLimitMs)) << layout_message();

    PostMessageW(dlg, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    ASSERT_TRUE(wait_until([&] { return IsIconic(dlg) != 0; }, kStepLimitMs)) << "not minimised";
    PostMessageW(dlg, WM_SYSCOMMAND, SC_RESTORE, 0);
    ASSERT_TRUE(wait_until([&] { return !IsIconic(dlg); }, kStepLimitMs)) << "not restored from the task bar";
    EXPECT_TRUE(wait_until(pages_fill_tab_area, kStepLimitMs)) << layout_message();
    EXPECT_EQ(visible_pages(dlg), (std::vector<bool>{true, false, false}));
}

namespace {

// The wait window: an untitled tool window the dialog owns.
HWND wait_window(DWORD pid, HWND dialog)
{
    for (HWND w : visible_top_windows(pid))
        if (GetWindow(w, GW_OWNER) == dialog && (GetWindowLongPtrW(w, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) &&
            title_of(w).empty())
            return w;
    return nullptr;
}

} // namespace

// A product log folder with one log of about 24 MB: packing it keeps the wait
// window up for a few seconds, long enough to see it between two looks.
class LargeLogFolder {
public:
    LargeLogFolder()
    {
        wchar_t tmp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, tmp);
        m_folder = std::wstring(tmp) + L"vantu-large-log-" + std::to_wstring(GetTickCount64());
        CreateDirectoryW(m_folder.c_str(), nullptr);
        std::string lines;
        for (int i = 0; lines.size() < (1u << 20); ++i)
            lines += "[2026/12/09 10:00:00." + std::to_string(100 + i % 900) + "][][" + std::to_string(i % 97) +
                     "] session " + std::to_string(i * 7919 % 100003) + " relay state " + std::to_string(i % 13) +
                     " bytes " + std::to_string(i * 31) + "\r\n";
        std::ofstream out(std::filesystem::path(m_folder + L"\\Agent.log"), std::ios::binary);
        for (int mb = 0; mb < 24; ++mb)
            out << lines;
    }
    ~LargeLogFolder() { std::filesystem::remove_all(std::filesystem::path(m_folder)); }
    const std::wstring& path() const { return m_folder; }

private:
    std::wstring m_folder;
};

TEST_F(AppWindow, SavingShowsTheWaitWindowWhileTheArchiveIsMade)
{
    ExplorersStartedMeanwhile explorers;
    LargeLogFolder logs;
    serve_small_checklist(true, logs.path());
    Program program;
    HWND dlg = ready_dialog(program);
    ASSERT_NE(dlg, nullptr);
    HWND notice = completed_run(program, dlg);
    ASSERT_NE(notice, nullptr) << "no completion notice";
    press_key(notice, VK_RETURN);
    ASSERT_TRUE(wait_until([&] { return !IsWindow(notice) || !IsWindowVisible(notice); }, kStepLimitMs));
    ASSERT_TRUE(wait_until([&] { return enabled(dlg, kSaveButton) && IsWindowEnabled(dlg); }, kStepLimitMs));

    click(dlg, kSaveButton);
    HWND wait = nullptr;
    ASSERT_TRUE(wait_until(
        [&] {
            wait = wait_window(program.pid(), dlg);
            return wait != nullptr;
        },
        kStepLimitMs))
        << "no wait window while saving";
    save_screen(L"app-saving");
    // It goes when the archive is made.
    EXPECT_TRUE(wait_until([&] { return !IsWindow(wait) || !IsWindowVisible(wait); }, 120000));
}

namespace {

// The tool tip window of the program that shows now, if any.
HWND shown_tooltip(DWORD pid)
{
    for (HWND w : visible_top_windows(pid)) {
        wchar_t cls[64] = {};
        GetClassNameW(w, cls, 63);
        if (std::wstring(cls) == TOOLTIPS_CLASSW)
            return w;
    }
    return nullptr;
}

// The text a tool tip shows, asked across processes.
std::wstring tooltip_text(HANDLE process, HWND tip)
{
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
void hover(HWND control)
{
    RECT rc{};
    GetWindowRect(control, &rc);
    SetCursorPos((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
}

} // namespace

TEST_F(AppWindow, HoveringTheButtonsShowsTheirTooltipsAlsoWhileTheSaveButtonIsDisabled)
{
    serve_small_checklist();
    Program program;
    HWND dlg = ready_dialog(program);
    ASSERT_NE(dlg, nullptr);
    ASSERT_FALSE(enabled(dlg, kSaveButton));
    const std::wstring start_tip = L"각 체크항목의 검사를 시작합니다. 검사 도중에도 취소할 수 있습니다.";
    const std::wstring save_tip = L"검사 완료 후 검사 결과 및 원격제어 관련 파일정보 등을 압축파일로 저장합니다.\n"
                                  L"저장이 완료되면 윈도우 탐색기로 표시됩니다.";
    HWND tip = nullptr;
    auto tip_says = [&](const std::wstring& text) {
        tip = shown_tooltip(program.pid());
        return tip && tooltip_text(program.process(), tip) == text;
    };

    hover(GetDlgItem(dlg, kStartButton));
    EXPECT_TRUE(wait_until([&] { return tip_says(start_tip); }, kStepLimitMs))
        << "over the start button: " << (tip ? to_utf8(tooltip_text(program.process(), tip)) : "no tool tip");
    save_screen(L"app-tooltip-start");

    hover(GetDlgItem(dlg, kSaveButton));
    EXPECT_TRUE(wait_until([&] { return tip_says(save_tip); }, kStepLimitMs))
        << "over the disabled save button: " << (tip ? to_utf8(tooltip_text(program.process(), tip)) : "no tool tip");
    save_screen(L"app-tooltip-save");

    // Away from the buttons the tip goes. The pointer rests in the screen's far
    // corner, where it is over no other test's window.
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
    EXPECT_TRUE(wait_until([&] { return shown_tooltip(program.pid()) == nullptr; }, kStepLimitMs));
}
