#include "gui_support_win.h"

#include "widgets/tool_tip_win.h"

#include <commctrl.h>
#include <gtest/gtest.h>

namespace {

POINT centre_of(HWND window)
{
    RECT r;
    GetWindowRect(window, &r);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

HWND tip_window_at(HWND tip, POINT screen)
{
    return reinterpret_cast<HWND>(SendMessageW(tip, TTM_WINDOWFROMPOINT, 0, reinterpret_cast<LPARAM>(&screen)));
}

}  // namespace

TEST(ToolTip, ADisabledButtonStillExplainsItselfAndTheTipGoesWithItsObject)
{
    TestHostWindow host(L"CSCToolTip", 320, 200);
    SetWindowPos(host.hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);  // nothing else over it
    HWND save = CreateWindowExW(0, L"BUTTON", L"로그 저장", WS_CHILD | WS_VISIBLE, 20, 20, 120, 40, host.hwnd(),
                                reinterpret_cast<HMENU>(1), GetModuleHandleW(nullptr), nullptr);
    HWND start = CreateWindowExW(0, L"BUTTON", L"진단 시작", WS_CHILD | WS_VISIBLE, 160, 20, 120, 40, host.hwnd(),
                                 reinterpret_cast<HMENU>(2), GetModuleHandleW(nullptr), nullptr);
    EnableWindow(save, FALSE);
    pump_pending();

    HWND tip_window = nullptr;
    {
        CSCToolTip tip;
        ASSERT_TRUE(tip.create(host.hwnd(), 300, 20000));
        tip_window = tip.hwnd();
        tip.add(save, L"진단이 끝나면 로그를 저장할 수 있습니다.");
        tip.add(start, L"검사를 시작합니다.");
        EXPECT_EQ(GetWindowLongPtrW(tip_window, GWL_EXSTYLE) & WS_EX_TOPMOST, WS_EX_TOPMOST);
        EXPECT_EQ(SendMessageW(tip_window, TTM_GETTOOLCOUNT, 0, 0), 2);

        // The system finds the host under a disabled button; the tip finds the button.
        ASSERT_EQ(WindowFromPoint(centre_of(save)), host.hwnd());
        EXPECT_EQ(tip_window_at(tip_window, centre_of(save)), save);
        EXPECT_EQ(tip.window_at(centre_of(save)), save);
        EXPECT_EQ(tip_window_at(tip_window, centre_of(start)), start);
        // Between the buttons there is only the host.
        EXPECT_EQ(tip_window_at(tip_window, POINT{centre_of(save).x + 70, centre_of(save).y}), host.hwnd());

        // The disabled button's text is the one the tip keeps for it.
        wchar_t text[128] = {};
        TOOLINFOW ti{};
        ti.cbSize = sizeof(ti);
        ti.hwnd = host.hwnd();
        ti.uId = reinterpret_cast<UINT_PTR>(save);
        ti.lpszText = text;
        ASSERT_TRUE(SendMessageW(tip_window, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&ti)));
        EXPECT_STREQ(text, L"진단이 끝나면 로그를 저장할 수 있습니다.");
    }
    EXPECT_FALSE(IsWindow(tip_window)) << "the tip window outlived its object";
}
