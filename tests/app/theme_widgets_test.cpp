// The themed widgets under Wine: progress bar and wait window driven from a
// worker thread, the animated picture, the caption of the themed dialog.
#include "framework/centre_window_win.h"
#include "widgets/theme/gdi_button_win.h"
#include "widgets/theme/gif_picture_win.h"
#include "widgets/theme/mac_progress_ctrl_win.h"
#include "widgets/theme/sc_progress_dlg_win.h"
#include "widgets/theme/sc_theme_dlg_win.h"

#include "support/win/environment.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>
#include <vector>

using test_support::wait_until;

namespace {

// Runs work on another thread while this one keeps dispatching the messages
// that the widgets send to themselves.
void on_worker(const std::function<void()>& work)
{
    std::atomic<bool> done{false};
    std::thread worker([&] {
        work();
        done = true;
    });
    EXPECT_TRUE(wait_until([&] { return done.load(); }));
    worker.join();
}

class Host {
public:
    Host()
    {
        m_hwnd = CreateWindowExW(0, L"STATIC", L"host", WS_POPUP | WS_VISIBLE, 50, 50, 400, 300, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    }
    ~Host() { DestroyWindow(m_hwnd); }
    HWND hwnd() const { return m_hwnd; }

private:
    HWND m_hwnd;
};

class RecordingDialog : public CSCThemeDlg {
public:
    RecordingDialog() : CSCThemeDlg(500) {}
    std::vector<int> commands;

protected:
    LRESULT on_system_button(WPARAM wp, LPARAM) override
    {
        commands.push_back(reinterpret_cast<CGdiButton*>(wp)->m_command);
        return 0;
    }
};

} // namespace

TEST(MacProgressCtrl, StepsFromAWorkerAndHidesAtItsEnd)
{
    Host host;
    CMacProgressCtrl bar;
    ASSERT_TRUE(bar.create(host.hwnd(), RECT{10, 10, 210, 14}, 100));
    bar.set_range(0, 3);
    bar.set_hide_at_end(true);
    bar.show(true);
    on_worker([&] {
        bar.step();
        bar.step();
    });
    EXPECT_EQ(bar.get_pos(), 2);
    EXPECT_TRUE(bar.visible());
    on_worker([&] { bar.set_pos(bar.get_pos() + 1); });
    EXPECT_EQ(bar.get_pos(), 3);
    EXPECT_FALSE(bar.visible()) << "a bar set to hide at its end hides there";
    bar.set_pos(99);
    EXPECT_EQ(bar.get_pos(), 3);
}

TEST(MacProgressCtrl, BusyDisplayIsSwitchedOnAndOff)
{
    Host host;
    CMacProgressCtrl bar;
    ASSERT_TRUE(bar.create(host.hwnd(), RECT{10, 10, 210, 14}, 100));
    EXPECT_FALSE(bar.busy());
    on_worker([&] { bar.set_busy(true); });
    EXPECT_TRUE(bar.busy());
    bar.set_busy(false);
    EXPECT_FALSE(bar.busy());
}

TEST(SCProgressDlg, AdvancesOneStepAtATimeAndHidesAtTheEnd)
{
    Host host;
    CSCProgressDlg wait;
    ASSERT_TRUE(wait.create(host.hwnd(), L"수집중입니다.", 320, 120));
    wait.set_topmost(true);
    centre_window(wait.hwnd(), host.hwnd());
    EXPECT_EQ(wait.message(), L"수집중입니다.");
    EXPECT_FALSE(wait.visible()) << "hidden until asked";
    wait.set_range(0, 2);
    wait.set_hide_at_end(true);
    wait.show_window(true);
    EXPECT_TRUE(wait.visible());
    EXPECT_TRUE(GetWindowLongPtrW(wait.hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST) << "the wait window stays on top";

    on_worker([&] { wait.step(); });
    EXPECT_EQ(wait.pos(), 1);
    EXPECT_TRUE(wait.visible());
    on_worker([&] { wait.step(); });
    EXPECT_EQ(wait.pos(), 2);
    EXPECT_FALSE(wait.visible());
    wait.set_pos(0);
    EXPECT_EQ(wait.pos(), 0);
}

TEST(GifPicture, PlaysPausesAndStopsTheResourceAnimation)
{
    Host host;
    HWND frame = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 144, 108, host.hwnd(), nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    CGifPicture picture;
    ASSERT_TRUE(picture.attach(frame));
    EXPECT_FALSE(picture.load(L"GIF", 999, 0xFFFFFF)) << "a missing resource is refused";
    EXPECT_FALSE(picture.is_loaded());
    ASSERT_TRUE(picture.load(L"GIF", 167, 0xFFFFFF));
    EXPECT_TRUE(picture.is_loaded());
    EXPECT_EQ(picture.frame_count(), 12);
    EXPECT_TRUE(picture.is_animated());
    EXPECT_FALSE(picture.is_running()) << "loading shows the first frame only";
    EXPECT_EQ(picture.current_frame(), 0);

    on_worker([&] { picture.start(); });
    EXPECT_TRUE(picture.is_running());
    EXPECT_TRUE(wait_until([&] { return picture.current_frame() >= 2; }));
    picture.pause();
    EXPECT_FALSE(picture.is_running());
    int paused_at = picture.current_frame();
    // A paused picture keeps its frame while messages flow.
    DWORD until = GetTickCount() + 300;
    wait_until([&] { return GetTickCount() > until; });
    EXPECT_EQ(picture.current_frame(), paused_at);
    picture.stop();
    EXPECT_EQ(picture.current_frame(), 0);
}

TEST(SCThemeDlg, CaptionButtonsReportTheirCommandsAndTheCaptionMovesTheWindow)
{
    RecordingDialog dlg;
    dlg.set_resizable(false);
    ASSERT_TRUE(dlg.create(nullptr));
    RECT client = dlg.client_rect();
    HWND body = GetDlgItem(dlg.hwnd(), 1001);
    RECT body_rc;
    GetWindowRect(body, &body_rc);
    MapWindowPoints(nullptr, dlg.hwnd(), reinterpret_cast<POINT*>(&body_rc), 2);
    EXPECT_GE(body_rc.top, dlg.caption_height()) << "the template's controls sit below the caption";

    dlg.set_system_buttons({SC_MINIMIZE, SC_CLOSE});
    ASSERT_EQ(dlg.system_buttons().size(), 2u);
    HWND close = dlg.system_buttons()[1]->hwnd();
    RECT close_rc;
    GetWindowRect(close, &close_rc);
    RECT window = dlg.window_rect();
    EXPECT_LE(window.right - close_rc.right, 2) << "close sits at the right end of the caption";
    SendMessageW(close, BM_CLICK, 0, 0);
    SendMessageW(dlg.system_buttons()[0]->hwnd(), BM_CLICK, 0, 0);
    ASSERT_EQ(dlg.commands.size(), 2u);
    EXPECT_EQ(dlg.commands[0], SC_CLOSE);
    EXPECT_EQ(dlg.commands[1], SC_MINIMIZE);

    POINT in_caption{window.left + (window.right - window.left) / 2, window.top + dlg.caption_height() / 2};
    EXPECT_EQ(SendMessageW(dlg.hwnd(), WM_NCHITTEST, 0, MAKELPARAM(in_caption.x, in_caption.y)), HTCAPTION);
    POINT left_edge{window.left + 1, window.top + (window.bottom - window.top) / 2};
    EXPECT_NE(SendMessageW(dlg.hwnd(), WM_NCHITTEST, 0, MAKELPARAM(left_edge.x, left_edge.y)), HTLEFT)
        << "a fixed-size dialog offers no resizing edge";
    (void)client;
    dlg.set_text(L"제목");
    EXPECT_EQ(dlg.text(), L"제목");

    // Buttons set again replace the earlier ones on screen, none left behind.
    dlg.set_system_buttons({SC_CLOSE});
    int caption_buttons = 0;
    for (HWND child = GetWindow(dlg.hwnd(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        caption_buttons += GetDlgCtrlID(child) >= 0xE100 && GetDlgCtrlID(child) < 0xE110;
    EXPECT_EQ(1, caption_buttons);
}

TEST(GdiButton, KeepsItsTextAndEnabledState)
{
    Host host;
    CGdiButton button;
    ASSERT_TRUE(button.create(host.hwnd(), RECT{10, 10, 120, 40}, 200, L"진단 시작"));
    EXPECT_EQ(button.text(), L"진단 시작");
    EXPECT_EQ(GetWindowLongPtrW(button.hwnd(), GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);
    on_worker([&] {
        button.set_text(L"진단 중지");
        button.enable(false);
    });
    EXPECT_EQ(button.text(), L"진단 중지");
    EXPECT_FALSE(button.enabled());
}

namespace {

// The themed dialog's own answers to its caption buttons; only close is recorded.
class CaptionDialog : public CSCThemeDlg {
public:
    CaptionDialog() : CSCThemeDlg(500) {}
    int cancels = 0;

protected:
    void OnCancel() override { ++cancels; }
};

} // namespace

TEST(SCThemeDlg, CaptionButtonsToggleTopmostMaximiseAndRestoreAndClose)
{
    CaptionDialog dlg;
    ASSERT_TRUE(dlg.create(nullptr));
    ShowWindow(dlg.hwnd(), SW_SHOW);
    dlg.set_system_buttons({kSystemButtonTopmost, SC_MAXIMIZE, SC_CLOSE});
    ASSERT_EQ(dlg.system_buttons().size(), 3u);
    auto press = [&](size_t i) { SendMessageW(dlg.system_buttons()[i]->hwnd(), BM_CLICK, 0, 0); };
    auto topmost = [&] { return (GetWindowLongPtrW(dlg.hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; };

    ASSERT_FALSE(topmost());
    press(0);
    EXPECT_TRUE(topmost());
    press(0);
    EXPECT_FALSE(topmost());

    RECT before = dlg.window_rect();
    press(1);
    EXPECT_TRUE(IsZoomed(dlg.hwnd()));
    press(1);
    EXPECT_FALSE(IsZoomed(dlg.hwnd()));
    RECT after = dlg.window_rect();
    EXPECT_EQ(after.right - after.left, before.right - before.left);
    EXPECT_EQ(after.bottom - after.top, before.bottom - before.top);

    press(2);
    EXPECT_EQ(dlg.cancels, 1);
    EXPECT_TRUE(IsWindow(dlg.hwnd()));
}
