// MarloCheckTool.exe as users meet it, run under Wine against the test server:
// start-up and download, the second instance, the exit question, a whole run.
// Each test runs its own copy of the program in a fresh folder, so that its log
// folder ("Log" beside the executable) belongs to that test alone.
#include "check/http/http_request.h"
#include "common/text_convert.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gdiplus.h>

namespace {

const int kStartButton = 1009, kSaveButton = 1010, kTab = 1011;
const DWORD kStartupLimitMs = 90000;
const DWORD kStepLimitMs = 30000;
const wchar_t kMainTitlePrefix[] = L"Vantu Check Tool (ver. ";
const wchar_t kBoxTitle[] = L"Vantu Check Tool";

std::wstring env(const wchar_t* name)
{
    wchar_t buf[4096] = {};
    DWORD n = GetEnvironmentVariableW(name, buf, 4096);
    return n > 0 && n < 4096 ? std::wstring(buf, n) : std::wstring();
}

// A Linux path as Wine's Z: drive sees it.
std::wstring wine_path(const std::wstring& unix_path)
{
    if (unix_path.empty() || unix_path[0] != L'/')
        return unix_path;
    std::wstring p = L"Z:" + unix_path;
    std::replace(p.begin(), p.end(), L'/', L'\\');
    return p;
}

bool wait_until(const std::function<bool()>& done, DWORD limit_ms)
{
    DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > limit_ms)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
    }
    return true;
}

int http_port()
{
    return _wtoi(env(L"VANTU_TS_HTTP_PORT").c_str());
}

std::string server_call(const std::wstring& path, const std::wstring& method = L"GET")
{
    HttpRequest request(L"127.0.0.1", http_port(), path, method, false);
    request.perform(false);
    return to_utf8(request.m_text);
}

int checklist_requests()
{
    std::string text = server_call(L"/__control/requests");
    int n = 0;
    for (size_t at = text.find("/download/checklist.json"); at != std::string::npos;
         at = text.find("/download/checklist.json", at + 1))
        ++n;
    return n;
}

void write_file(const std::wstring& path, const std::string& bytes)
{
    std::ofstream out(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::string read_file(const std::wstring& path)
{
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::wstring served_checklist_path()
{
    std::wstring root = wine_path(env(L"VANTU_TS_ROOT"));
    CreateDirectoryW((root + L"\\download").c_str(), nullptr);
    return root + L"\\download\\checklist.json";
}

// Account item and two web servers of the test server; with_failure adds a
// proxy on a port where nothing listens.
void serve_small_checklist(bool with_failure = false)
{
    std::string port = std::to_string(http_port());
    std::string proxy = with_failure ? " \"proxy\": [\"127.0.0.1:" + to_utf8(env(L"VANTU_TS_CLOSED_PORT")) + "\"],\n" : "";
    write_file(served_checklist_path(),
               "{\n"
               " \"product path agent\": \"C:\\\\Program Files\\\\Vantu\\\\Agent\",\n"
               " \"product path agent web\": \"C:\\\\Program Files\\\\Vantu\\\\AgentWeb\",\n"
               " \"product path viewer\": \"C:\\\\Program Files\\\\Vantu\\\\Viewer\",\n"
               " \"agent log path\": \"C:\\\\VantuLogs\\\\Agent\",\n"
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

struct WindowSearch {
    DWORD pid;
    std::vector<HWND> found;
};

std::vector<HWND> visible_top_windows(DWORD pid)
{
    WindowSearch search{pid, {}};
    EnumWindows(
        [](HWND w, LPARAM lp) -> BOOL {
            auto* s = reinterpret_cast<WindowSearch*>(lp);
            DWORD owner = 0;
            GetWindowThreadProcessId(w, &owner);
            if (owner == s->pid && IsWindowVisible(w))
                s->found.push_back(w);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::wstring title_of(HWND w)
{
    wchar_t buf[512] = {};
    GetWindowTextW(w, buf, 511);
    return buf;
}

std::wstring text_of(HWND w)
{
    return title_of(w);
}

HWND window_titled(DWORD pid, const std::function<bool(const std::wstring&)>& match)
{
    for (HWND w : visible_top_windows(pid))
        if (match(title_of(w)))
            return w;
    return nullptr;
}

// Saves the whole screen as PNG under build/artifacts (a person looks at these),
// after every window of ours has repainted what a closed popup uncovered.
void screenshot(const std::wstring& name)
{
    EnumWindows(
        [](HWND w, LPARAM) -> BOOL {
            if (IsWindowVisible(w))
                RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
            return TRUE;
        },
        0);
    std::wstring dir = wine_path(env(L"VANTU_SOURCE_DIR")) + L"\\build\\artifacts";
    CreateDirectoryW((wine_path(env(L"VANTU_SOURCE_DIR")) + L"\\build").c_str(), nullptr);
    CreateDirectoryW(dir.c_str(), nullptr);
    HDC screen = GetDC(nullptr);
    int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, w, h, screen, 0, 0, SRCCOPY);
    SelectObject(mem, old);
    {
        Gdiplus::Bitmap image(bmp, nullptr);
        CLSID png{};
        UINT count = 0, size = 0;
        Gdiplus::GetImageEncodersSize(&count, &size);
        std::vector<BYTE> buf(size);
        auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buf.data());
        Gdiplus::GetImageEncoders(count, size, codecs);
        for (UINT i = 0; i < count; ++i)
            if (std::wstring(codecs[i].MimeType) == L"image/png")
                png = codecs[i].Clsid;
        image.Save((dir + L"\\" + name + L".png").c_str(), &png, nullptr);
    }
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
}

// One copy of the program in its own folder.
class Program {
public:
    Program()
    {
        wchar_t tmp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, tmp);
        m_folder = std::wstring(tmp) + L"vantu-app-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                   std::to_wstring(++s_count);
        CreateDirectoryW(m_folder.c_str(), nullptr);
        m_exe = m_folder + L"\\MarloCheckTool.exe";
        CopyFileW(wine_path(VANTU_APP_EXE).c_str(), m_exe.c_str(), FALSE);
    }
    ~Program()
    {
        if (m_process.hProcess) {
            if (WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT)
                TerminateProcess(m_process.hProcess, 9);
            WaitForSingleObject(m_process.hProcess, 10000);
            CloseHandle(m_process.hProcess);
            CloseHandle(m_process.hThread);
        }
    }
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
                found = window_titled(pid(), [](const std::wstring& t) {
                    return t == kBoxTitle || (t.rfind(std::wstring(kBoxTitle) + L" (", 0) == 0 &&
                                              t.rfind(kMainTitlePrefix, 0) != 0);
                });
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

bool enabled(HWND dialog, int id)
{
    HWND c = GetDlgItem(dialog, id);
    return c && IsWindowEnabled(c);
}

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
    static void SetUpTestSuite()
    {
        Gdiplus::GdiplusStartupInput input;
        Gdiplus::GdiplusStartup(&s_gdiplus, &input, nullptr);
    }
    static void TearDownTestSuite() { Gdiplus::GdiplusShutdown(s_gdiplus); }
    void SetUp() override
    {
        ASSERT_GT(http_port(), 0) << "the test server's ports are missing";
        server_call(L"/__control/reset", L"POST");
    }
    static inline ULONG_PTR s_gdiplus = 0;
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
    screenshot(L"app-ready");

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
    screenshot(L"app-download-help");

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
    screenshot(L"app-exit-question");
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
    screenshot(L"app-checking");

    HWND notice = program.message_box(90000);
    ASSERT_NE(notice, nullptr) << "no completion notice";
    EXPECT_EQ(text_of(GetDlgItem(dlg, kStartButton)), L"진단 시작");
    EXPECT_TRUE(enabled(dlg, kSaveButton));
    screenshot(L"app-completed");
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
    screenshot(L"app-cancelled");
}
