// Check runs and saving in the real program: a whole run, a stop during an item,
// closing during a run, the completion notice, the wait window while saving.
#include "app/app_program.h"

using namespace app_test;

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
    // Then Explorer shows the archive.
    EXPECT_TRUE(wait_until([&] { return explorers.any_started(); }, kStepLimitMs)) << "the archive was not shown";
}
