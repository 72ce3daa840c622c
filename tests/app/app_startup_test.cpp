// The program's start and end as users meet them, under Wine against the test
// server: the check-list download and its help, the second instance, the exit
// question, the about box.
#include "app/app_program.h"

using namespace app_test;

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
