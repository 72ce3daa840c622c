#include "gui_support_win.h"

#include "framework/app_win.h"
#include "framework/wnd_win.h"
#include "widgets/message_box_win.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <functional>
#include <set>

namespace {

// Runs `action` on this thread from a timer while a box's own loop waits, once
// `ready` holds (checked every 50 ms). The timer dispatches through that loop.
class DuringShow {
public:
    DuringShow(std::function<bool()> ready, std::function<void()> action)
        : ready_(std::move(ready)), action_(std::move(action))
    {
        current_ = this;
        timer_ = SetTimer(nullptr, 0, 50, &DuringShow::tick);
    }
    ~DuringShow()
    {
        KillTimer(nullptr, timer_);
        current_ = nullptr;
    }
    bool done() const { return done_; }

private:
    static void CALLBACK tick(HWND, UINT, UINT_PTR, DWORD)
    {
        DuringShow* self = current_;
        if (!self || self->done_ || !self->ready_())
            return;
        self->done_ = true;
        self->action_();
    }
    static DuringShow* current_;
    std::function<bool()> ready_;
    std::function<void()> action_;
    UINT_PTR timer_ = 0;
    bool done_ = false;
};
DuringShow* DuringShow::current_ = nullptr;

class MessageBoxTest : public testing::Test {
protected:
    void SetUp() override
    {
        owner_ = std::make_unique<TestHostWindow>(L"Vantu Check Tool", 700, 500);
        ASSERT_TRUE(box_.create(owner_->hwnd(), L"Vantu Check Tool"));
    }

    bool box_visible() const { return IsWindowVisible(box_.hwnd()) != FALSE; }

    std::unique_ptr<TestHostWindow> owner_;
    CSCMessageBox box_;
};

}  // namespace

TEST_F(MessageBoxTest, EnterAnswersOkAndTheOwnerIsDisabledMeanwhile)
{
    bool owner_enabled_during_show = true;
    std::wstring ok_label, cancel_label;
    DuringShow during([&] { return box_visible(); }, [&] {
        owner_enabled_during_show = IsWindowEnabled(owner_->hwnd()) != FALSE;
        wchar_t text[64] = {};
        GetWindowTextW(box_.button(1), text, 64);
        ok_label = text;
        GetWindowTextW(box_.button(2), text, 64);
        cancel_label = text;
        save_screenshot(box_.hwnd(), L"message_box");
        PostMessageW(box_.hwnd(), WM_KEYDOWN, VK_RETURN, 0);
    });
    int result = box_.show(L"진단을 종료하시겠습니까?<br><cr=Firebrick>진행 중인 진단은 중지됩니다.</cr>",
                           MB_OKCANCEL | MB_ICONINFORMATION);
    EXPECT_TRUE(during.done());
    EXPECT_EQ(result, IDOK);
    EXPECT_FALSE(owner_enabled_during_show);
    EXPECT_TRUE(IsWindowEnabled(owner_->hwnd()));
    EXPECT_FALSE(box_visible());
    EXPECT_EQ(box_.owner(), owner_->hwnd());
    // The Korean interface labels its buttons in Korean.
    EXPECT_TRUE(box_.korean());
    EXPECT_EQ(ok_label, L"확인");
    EXPECT_EQ(cancel_label, L"취소");

    // Buttons are 84 x 28 with ids 1147 + result, side by side and centred.
    RECT ok_rect, cancel_rect, box_rect;
    GetWindowRect(box_.button(1), &ok_rect);
    GetWindowRect(box_.button(2), &cancel_rect);
    GetWindowRect(box_.hwnd(), &box_rect);
    EXPECT_EQ(GetDlgCtrlID(box_.button(2)), 1149);
    int scale = window_dpi(box_.hwnd());
    EXPECT_EQ(ok_rect.right - ok_rect.left, MulDiv(84, scale, 96));
    EXPECT_EQ(ok_rect.bottom - ok_rect.top, MulDiv(28, scale, 96));
    EXPECT_EQ(cancel_rect.left - ok_rect.right, MulDiv(8, scale, 96));
    EXPECT_NEAR((ok_rect.left + cancel_rect.right) / 2, (box_rect.left + box_rect.right) / 2, 1);
    EXPECT_EQ(box_rect.bottom - ok_rect.bottom, MulDiv(16, scale, 96));
    EXPECT_GE(box_rect.bottom - box_rect.top, MulDiv(160, scale, 96));
}

TEST_F(MessageBoxTest, EscapeAnswersCancelAndButtonsAnswerTheirIds)
{
    DuringShow escape([&] { return box_visible(); },
                      [&] { PostMessageW(box_.hwnd(), WM_KEYDOWN, VK_ESCAPE, 0); });
    EXPECT_EQ(box_.show(L"Escape?", MB_OKCANCEL), IDCANCEL);
    EXPECT_EQ(box_.result(), IDCANCEL);
}

TEST_F(MessageBoxTest, ButtonClickAnswersItsId)
{
    DuringShow click([&] { return box_visible(); }, [&] { SendMessageW(box_.button(2), BM_CLICK, 0, 0); });
    EXPECT_EQ(box_.show(L"Click cancel", MB_OKCANCEL), IDCANCEL);
    // Only the buttons of the style show.
    DuringShow check([&] { return box_visible(); }, [&] {
        EXPECT_TRUE(IsWindowVisible(box_.button(1)));
        EXPECT_FALSE(IsWindowVisible(box_.button(2)));
        SendMessageW(box_.button(1), BM_CLICK, 0, 0);
    });
    EXPECT_EQ(box_.show(L"Only OK", MB_OK), IDOK);
}

namespace {

// What the caption showed, sampled every 100 ms by a thread timer that the box's loop dispatches.
CSCMessageBox* g_sampled_box = nullptr;
std::set<std::wstring> g_captions;

void CALLBACK sample_caption(HWND, UINT, UINT_PTR, DWORD)
{
    if (g_sampled_box && IsWindowVisible(g_sampled_box->hwnd()))
        g_captions.insert(g_sampled_box->caption_text());
}

}  // namespace

TEST_F(MessageBoxTest, TimeLimitCountsDownInTheCaptionThenAnswersOk)
{
    g_captions.clear();
    g_sampled_box = &box_;
    UINT_PTR timer = SetTimer(nullptr, 0, 100, &sample_caption);
    int result = box_.show(L"3초 후에 자동으로 닫힙니다.", MB_OK | MB_ICONINFORMATION, 3);
    KillTimer(nullptr, timer);
    g_sampled_box = nullptr;
    EXPECT_EQ(result, IDOK);
    EXPECT_TRUE(g_captions.count(L"Vantu Check Tool (3)"));
    EXPECT_TRUE(g_captions.count(L"Vantu Check Tool (2)"));
    EXPECT_TRUE(g_captions.count(L"Vantu Check Tool (1)"));
    EXPECT_EQ(box_.caption_text(), L"Vantu Check Tool");
    EXPECT_TRUE(IsWindowEnabled(owner_->hwnd()));
}

TEST_F(MessageBoxTest, QuitMessageEndsTheWaitAndIsPassedOn)
{
    DuringShow quit([&] { return box_visible(); }, [&] { PostQuitMessage(7); });
    EXPECT_EQ(box_.show(L"Quit", MB_OKCANCEL), -1);
    EXPECT_TRUE(IsWindowEnabled(owner_->hwnd()));
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 7u);
}

TEST_F(MessageBoxTest, ModelessBoxReportsToItsOwner)
{
    static int answered = 0;
    static HWND from = nullptr;
    answered = 0;
    struct Owner {
        static LRESULT CALLBACK proc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam, UINT_PTR, DWORD_PTR)
        {
            if (msg == CSCMessageBox::answer_message()) {
                answered = static_cast<int>(lparam);
                from = reinterpret_cast<HWND>(wparam);
                return 0;
            }
            return DefSubclassProc(hwnd, msg, wparam, lparam);
        }
    };
    ASSERT_TRUE(SetWindowSubclass(owner_->hwnd(), &Owner::proc, 1, 0));
    box_.show_modeless(L"Non-modal", MB_OKCANCEL);
    EXPECT_TRUE(box_visible());
    EXPECT_TRUE(IsWindowEnabled(owner_->hwnd()));
    SendMessageW(box_.button(2), BM_CLICK, 0, 0);
    EXPECT_EQ(answered, IDCANCEL);
    EXPECT_EQ(from, box_.hwnd());
    EXPECT_FALSE(box_visible());

    // Its time limit answers OK the same way.
    box_.show_modeless(L"Non-modal with a limit", MB_OK, 1);
    EXPECT_TRUE(wait_until([&] { return answered == IDOK; }, 5000));
    EXPECT_FALSE(box_visible());
    RemoveWindowSubclass(owner_->hwnd(), &Owner::proc, 1);
}

TEST(MessageBoxOwner, WithoutAnOwnerTheApplicationsMainWindowIsTaken)
{
    // The main window is not the active one: another window of the process is.
    TestHostWindow main_window(L"main", 400, 300);
    TestHostWindow other(L"other", 300, 200);
    SetActiveWindow(other.hwnd());
    CWinApp app;
    Wnd main;
    ASSERT_TRUE(main.attach(main_window.hwnd()));
    app.m_pMainWnd = &main;

    CSCMessageBox box;
    ASSERT_TRUE(box.create(nullptr, L"Vantu Check Tool"));
    EXPECT_EQ(box.owner(), main_window.hwnd());
    bool main_disabled = false;
    DuringShow during([&] { return IsWindowVisible(box.hwnd()) != FALSE; }, [&] {
        main_disabled = !IsWindowEnabled(main_window.hwnd());
        PostMessageW(box.hwnd(), WM_KEYDOWN, VK_ESCAPE, 0);
    });
    EXPECT_EQ(box.show(L"x", MB_OKCANCEL), IDCANCEL);
    EXPECT_TRUE(main_disabled);
    EXPECT_EQ(GetWindow(box.hwnd(), GW_OWNER), main_window.hwnd());
    main.detach();
    app.m_pMainWnd = nullptr;

    // Without a main window the active window of the process owns the box.
    CSCMessageBox second;
    ASSERT_TRUE(second.create(nullptr, L"Vantu Check Tool"));
    SetActiveWindow(other.hwnd());
    DuringShow during_second([&] { return IsWindowVisible(second.hwnd()) != FALSE; },
                             [&] { PostMessageW(second.hwnd(), WM_KEYDOWN, VK_RETURN, 0); });
    EXPECT_EQ(second.show(L"x", MB_OK), IDOK);
    EXPECT_EQ(second.owner(), other.hwnd());
}
