// The main dialog's layout in the real program: tabs and pages, maximise,
// minimise and restore, the buttons' tool tips.
#include "app/app_program.h"

using namespace app_test;

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
