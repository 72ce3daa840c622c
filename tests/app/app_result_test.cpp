// What the result page and the start-up show a person in the real program: the
// texts and colours of failed rows, the drawn notices of an empty result page,
// a rejected check list, the second download attempt's status, the caption
// buttons and Enter before the list has arrived.
#include "app/app_program.h"

#include <algorithm>
#include <cstdlib>
#include <functional>

using namespace app_test;

namespace {

// Pixels of the screen inside `area` (screen coordinates) that `match` accepts.
int count_screen_pixels(const RECT& area, const std::function<bool(BYTE r, BYTE g, BYTE b)>& match)
{
    const int width = area.right - area.left, height = area.bottom - area.top;
    if (width <= 0 || height <= 0)
        return 0;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
    GdiFlush();
    int count = 0;
    const auto* pixel = static_cast<const BYTE*>(bits);
    for (int i = 0; pixel && i < width * height; ++i, pixel += 4)
        if (match(pixel[2], pixel[1], pixel[0]))
            ++count;
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return count;
}

bool reddish(BYTE r, BYTE g, BYTE b)
{
    return r >= 0x80 && r - g >= 0x40 && r - b >= 0x40;
}

// Dim grey text (0x696969) and its anti-aliased edges; not the white background
// or the light grid of the list.
bool grey_text(BYTE r, BYTE g, BYTE b)
{
    return r < 0xC0 && std::abs(r - g) < 12 && std::abs(g - b) < 12;
}

// The list's rows area in screen coordinates: below the header.
RECT rows_area(HWND list)
{
    RECT area;
    GetWindowRect(list, &area);
    HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    RECT header_rect{};
    if (header && GetWindowRect(header, &header_rect))
        area.top = header_rect.bottom;
    InflateRect(&area, -2, -2);
    return area;
}

// Puts the program's window above every other and has it paint what that
// uncovered: the pixels read from the screen are then its own, also while the
// tests running beside this one under ctest -j2 open windows of their own. The
// screen may show a repaint a moment later, so colour checks wait for it.
void on_top_and_painted(HWND window)
{
    SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

// Ends the completion notice with Enter and waits until the dialog is usable.
bool dismiss_notice(HWND notice, HWND dlg)
{
    press_key(notice, VK_RETURN);
    return wait_until([&] { return !IsWindow(notice) || !IsWindowVisible(notice); }, kStepLimitMs) &&
           wait_until([&] { return IsWindowEnabled(dlg) != 0; }, kStepLimitMs);
}

// Starts the program, runs its check list to the end and closes the
// completion notice; the dialog, or null (with the failure reported).
HWND dialog_after_a_whole_run(Program& program)
{
    HWND dlg = ready_dialog(program);
    if (!dlg) {
        ADD_FAILURE() << "the program did not become ready";
        return nullptr;
    }
    HWND notice = completed_run(program, dlg);
    if (!notice) {
        ADD_FAILURE() << "no completion notice";
        return nullptr;
    }
    if (!dismiss_notice(notice, dlg)) {
        ADD_FAILURE() << "the completion notice did not close";
        return nullptr;
    }
    return dlg;
}

// The themed message box's text, from its "message" child.
std::wstring box_text(HWND box)
{
    return text_of(GetDlgItem(box, 0xFFFF));
}

}  // namespace

TEST_F(AppWindow, FailedRowsAreColouredAcrossTheRowAndNameTheirFailure)
{
    serve_small_checklist(true);
    // The web items pass; only the proxy (a web item) on a closed port fails, with
    // WinINet's code for a refused connection.
    server_call(L"/__control/rule?path=/&status=200&body=ok&times=20", L"POST");
    Program program;
    HWND dlg = dialog_after_a_whole_run(program);
    ASSERT_NE(dlg, nullptr);
    click_tab(dlg, 1);
    PageLists lists = page_lists(dlg);
    ASSERT_NE(lists.result, nullptr);
    ASSERT_TRUE(wait_until([&] { return IsWindowVisible(lists.result) != 0; }, kStepLimitMs));

    ASSERT_EQ(SendMessageW(lists.result, LVM_GETITEMCOUNT, 0, 0), 1);
    const std::wstring closed = env(L"VANTU_TS_CLOSED_PORT");
    EXPECT_EQ(row_text(program.process(), lists.result, 0),
              L"실패|프록시|127****1:" + closed +
                  L" (12029 서버에 연결하지 못했습니다.) 웹브라우저에서 해당 주소를 직접 열어 결과를 확인해주세요.");
    EXPECT_EQ(text_of(lists.result), L"");

    // Firebrick in every column of the failed row, not only in its status cell.
    on_top_and_painted(dlg);
    RECT rows = rows_area(lists.result);
    HDC screen = GetDC(nullptr);
    const int row_height = MulDiv(26, GetDeviceCaps(screen, LOGPIXELSY), 96);
    ReleaseDC(nullptr, screen);
    int left = rows.left;
    for (int column = 0; column < 3; ++column) {
        const int width = static_cast<int>(SendMessageW(lists.result, LVM_GETCOLUMNWIDTH, column, 0));
        RECT cell{left + 2, rows.top, std::min<LONG>(left + width - 2, rows.right), rows.top + row_height};
        EXPECT_TRUE(wait_until([&] { return count_screen_pixels(cell, reddish) >= 10; }, kStepLimitMs))
            << "column " << column << " is not firebrick";
        left += width;
    }
    save_screen(L"app-result-page");

    // Over the row, a tool tip tells why it failed; the row keeps its own texts.
    SetCursorPos(rows.left + 40, rows.top + row_height / 2);
    const std::wstring cause = closed + L"번 포트가 연결을 거부했습니다: 서버의 서비스가 멈췄거나 포트가 닫혀 있습니다.";
    HWND tip = nullptr;
    EXPECT_TRUE(wait_until(
        [&] {
            tip = shown_tooltip(program.pid());
            return tip && tooltip_text(program.process(), tip) == cause;
        },
        kStepLimitMs))
        << "over the failed row: " << (tip ? to_utf8(tooltip_text(program.process(), tip)) : "no tool tip");
    save_screen(L"app-result-row-tooltip");
    // Below the rows there is nothing to explain.
    SetCursorPos(rows.left + 40, rows.bottom - 4);
    EXPECT_TRUE(wait_until([&] { return shown_tooltip(program.pid()) == nullptr; }, kStepLimitMs));
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
}

TEST_F(AppWindow, ALongListsResultsArriveInOrderWithTheirColours)
{
    // 60 session servers, every other one on a closed port: the worker runs
    // ahead of the window, which takes its changes in order.
    const std::string open_port = to_utf8(env(L"VANTU_TS_PLAIN_PORT"));
    const std::string closed_port = to_utf8(env(L"VANTU_TS_CLOSED_PORT"));
    std::string servers;
    for (int i = 0; i < 60; ++i)
        servers += std::string(i ? ", " : "") + "\"127.0.0.1:" + (i % 2 ? closed_port : open_port) + "\"";
    serve_checklist(checklist_with(" \"session\": [" + servers + "]\n"));
    Program program;
    HWND dlg = dialog_after_a_whole_run(program);
    ASSERT_NE(dlg, nullptr);
    HWND log = page_lists(dlg).log;
    ASSERT_NE(log, nullptr);
    ASSERT_EQ(SendMessageW(log, LVM_GETITEMCOUNT, 0, 0), 61) << "the administrator row and 60 servers";

    for (int i = 0; i < 60; ++i) {
        const int row = i + 1;
        const bool closed = i % 2 == 1;
        EXPECT_EQ(cell_text(program.process(), log, row, 2), from_utf8(closed ? closed_port : open_port)) << row;
        EXPECT_EQ(cell_text(program.process(), log, row, 5), closed ? L"Fail" : L"Ok") << row;
        EXPECT_FALSE(cell_text(program.process(), log, row, 3).empty()) << "row " << row << " has no time";
        EXPECT_EQ(cell_text(program.process(), log, row, 6).empty(), !closed) << row;
    }

    // The list ends at its last row; the failed rows there are firebrick, the others are not.
    const int top = static_cast<int>(SendMessageW(log, LVM_GETTOPINDEX, 0, 0));
    const int page = static_cast<int>(SendMessageW(log, LVM_GETCOUNTPERPAGE, 0, 0));
    EXPECT_GE(top + page, 61) << "the last row is not shown";
    on_top_and_painted(dlg);
    for (int row = top; row < std::min(top + page, 61); ++row) {
        RECT cell{LVIR_BOUNDS};  // asked in the program's own memory
        RemoteBuffer remote(program.process(), sizeof cell);
        ASSERT_TRUE(remote.write(&cell, sizeof cell));
        ASSERT_TRUE(SendMessageW(log, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(remote.at())));
        ASSERT_TRUE(remote.read(&cell, sizeof cell));
        MapWindowPoints(log, nullptr, reinterpret_cast<POINT*>(&cell), 2);
        cell.right = std::min(cell.right, rows_area(log).right);
        if (row % 2 == 0) // a closed port
            EXPECT_TRUE(wait_until([&] { return count_screen_pixels(cell, reddish) >= 10; }, kStepLimitMs))
                << "row " << row << " is not firebrick";
        else
            EXPECT_EQ(count_screen_pixels(cell, reddish), 0) << "row " << row;
    }
    save_screen(L"app-long-list-finished");
}

TEST_F(AppWindow, ARunWithoutFailuresSaysSoOnTheEmptyResultPage)
{
    serve_small_checklist(false);
    // The two web items are answered 200.
    server_call(L"/__control/rule?path=/&status=200&body=ok&times=20", L"POST");
    Program program;
    HWND dlg = ready_dialog(program);
    ASSERT_NE(dlg, nullptr);
    HWND notice = completed_run(program, dlg);
    ASSERT_NE(notice, nullptr) << "no completion notice";
    ASSERT_TRUE(dismiss_notice(notice, dlg));
    click_tab(dlg, 1);
    PageLists lists = page_lists(dlg);
    ASSERT_NE(lists.result, nullptr);
    ASSERT_TRUE(wait_until([&] { return IsWindowVisible(lists.result) != 0; }, kStepLimitMs));

    EXPECT_EQ(SendMessageW(lists.result, LVM_GETITEMCOUNT, 0, 0), 0);
    EXPECT_EQ(text_of(lists.result), L"진단 실패 항목이 없습니다.");
    // The notice is drawn in the list, in grey.
    on_top_and_painted(dlg);
    EXPECT_GE(count_screen_pixels(rows_area(lists.result), grey_text), 30);
    save_screen(L"app-result-no-failures");
}

TEST_F(AppWindow, AStoppedRunDrawsItsNoticeOnTheResultPage)
{
    serve_checklist_with_silent_session();
    Program program;
    HWND dlg = ready_dialog(program);
    ASSERT_NE(dlg, nullptr);
    PageLists lists = page_lists(dlg);
    ASSERT_NE(lists.result, nullptr);
    click_tab(dlg, 1);
    ASSERT_TRUE(wait_until([&] { return IsWindowVisible(lists.result) != 0; }, kStepLimitMs));
    // Before any run the empty page draws nothing. Visible is not yet painted:
    // until it is, the screen still shows the log page's grey rows.
    on_top_and_painted(dlg);
    EXPECT_TRUE(wait_until([&] { return count_screen_pixels(rows_area(lists.result), grey_text) < 30; },
                           kStepLimitMs))
        << "the empty page draws something";

    click(dlg, kStartButton);
    // The button is renamed before it is enabled again as the stop button: a
    // click in between would be lost.
    ASSERT_TRUE(wait_until(
        [&] { return text_of(GetDlgItem(dlg, kStartButton)) == L"진단 중지" && enabled(dlg, kStartButton); },
        kStepLimitMs));
    click(dlg, kStartButton);
    ASSERT_TRUE(wait_until([&] { return program.log_text().find("checking cancelled.") != std::string::npos; }, 60000));
    ASSERT_TRUE(wait_until([&] { return text_of(lists.result) == L"사용자에 의해 진단이 취소되었습니다."; },
                           kStepLimitMs));
    click_tab(dlg, 1);
    ASSERT_TRUE(wait_until([&] { return IsWindowVisible(lists.result) != 0; }, kStepLimitMs));
    EXPECT_TRUE(wait_until([&] { return count_screen_pixels(rows_area(lists.result), grey_text) >= 30; },
                           kStepLimitMs))
        << "the cancelled notice is not drawn";
    save_screen(L"app-result-cancelled");
}

TEST_F(AppWindow, ARejectedCheckListShowsItsMessageOverAnEmptyResultPageThenEnds)
{
    serve_checklist("{\n \"product path agent\": \"C:\\\\Vantu\",\n \"product path viewer\": \"C:\\\\Viewer\"\n}\n");
    Program program;
    ASSERT_TRUE(program.start());
    HWND dlg = program.main_window();
    ASSERT_NE(dlg, nullptr);
    HWND box = program.message_box(kStartupLimitMs);
    ASSERT_NE(box, nullptr) << "no message for the check list";
    EXPECT_EQ(box_text(box), L"\"agent log path\" is empty.");
    PageLists lists = page_lists(dlg);
    ASSERT_NE(lists.result, nullptr);
    EXPECT_EQ(SendMessageW(lists.result, LVM_GETITEMCOUNT, 0, 0), 0);
    EXPECT_FALSE(enabled(dlg, kStartButton));
    save_screen(L"app-checklist-rejected");
    press_key(box, VK_RETURN);
    EXPECT_TRUE(program.ended(kStepLimitMs)) << "the program goes on after a rejected check list";
}

TEST_F(AppWindow, TheHelpShowsTheStatusOfTheSecondDownloadAttempt)
{
    // The newest rule answers first: 404 for the first attempt, 503 for the second.
    server_call(L"/__control/rule?path=/download/checklist.json&status=503&body=x&times=1", L"POST");
    server_call(L"/__control/rule?path=/download/checklist.json&status=404&body=x&times=1", L"POST");
    Program program;
    ASSERT_TRUE(program.start());
    HWND help = nullptr;
    ASSERT_TRUE(wait_until(
        [&] {
            help = window_titled(program.pid(), [](const std::wstring& t) { return t == L"서버리스트 다운로드 에러"; });
            return help != nullptr;
        },
        kStartupLimitMs));
    EXPECT_EQ(checklist_requests(), 2);
    EXPECT_EQ(text_of(GetDlgItem(help, 1046)).rfind(L"에러코드 : 503 ", 0), 0u) << to_utf8(text_of(GetDlgItem(help, 1046)));
    PostMessageW(help, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_TRUE(program.ended(kStepLimitMs));
}

TEST_F(AppWindow, EnterBeforeTheListHasArrivedStartsNothing)
{
    // The first attempt is answered late and with 404, so the start button stays
    // disabled for a few seconds; the second attempt gets the list.
    serve_small_checklist();
    server_call(L"/__control/rule?path=/download/checklist.json&status=404&body=x&delay_ms=3000&times=1", L"POST");
    Program program;
    ASSERT_TRUE(program.start());
    HWND dlg = program.main_window();
    ASSERT_NE(dlg, nullptr);
    ASSERT_FALSE(enabled(dlg, kStartButton));
    PostMessageW(dlg, WM_COMMAND, IDOK, 0);
    press_key(dlg, VK_RETURN);
    ASSERT_TRUE(wait_until([&] { return enabled(dlg, kStartButton); }, kStartupLimitMs));
    EXPECT_EQ(checklist_requests(), 2);
    // A run over the empty list would have ended at once with its notice.
    EXPECT_EQ(program.log_text().find("checking completed."), std::string::npos);
    EXPECT_EQ(window_titled(program.pid(), is_box_title), nullptr);
    EXPECT_EQ(text_of(GetDlgItem(dlg, kStartButton)), L"진단 시작");
    EXPECT_FALSE(enabled(dlg, kSaveButton));
}

TEST_F(AppWindow, CaptionButtonsMinimiseAndAskBeforeClosing)
{
    serve_small_checklist();
    Program program;
    HWND dlg = ready_dialog(program);
    ASSERT_NE(dlg, nullptr);
    // The caption buttons are the dialog's buttons outside the template's ids,
    // the close button the rightmost.
    std::vector<HWND> caption_buttons;
    for (HWND child = GetWindow(dlg, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t cls[32] = {};
        GetClassNameW(child, cls, 31);
        int id = GetDlgCtrlID(child);
        if (_wcsicmp(cls, L"Button") == 0 && id != kStartButton && id != kSaveButton)
            caption_buttons.push_back(child);
    }
    ASSERT_EQ(caption_buttons.size(), 2u);
    std::sort(caption_buttons.begin(), caption_buttons.end(), [](HWND a, HWND b) {
        RECT ra, rb;
        GetWindowRect(a, &ra);
        GetWindowRect(b, &rb);
        return ra.left < rb.left;
    });

    SendMessageW(caption_buttons[0], BM_CLICK, 0, 0);
    EXPECT_TRUE(wait_until([&] { return IsIconic(dlg) != 0; }, kStepLimitMs)) << "minimise";
    ShowWindow(dlg, SW_RESTORE);
    ASSERT_TRUE(wait_until([&] { return IsIconic(dlg) == 0; }, kStepLimitMs));

    PostMessageW(caption_buttons[1], BM_CLICK, 0, 0);
    HWND box = program.message_box();
    ASSERT_NE(box, nullptr) << "close asks first";
    EXPECT_EQ(box_text(box), L"시스템 진단툴을 종료합니다.");
    press_key(box, VK_ESCAPE);
    EXPECT_FALSE(program.ended(1000));
    PostMessageW(caption_buttons[1], BM_CLICK, 0, 0);
    box = program.message_box();
    ASSERT_NE(box, nullptr);
    press_key(box, VK_RETURN);
    EXPECT_TRUE(program.ended(kStepLimitMs));
}
