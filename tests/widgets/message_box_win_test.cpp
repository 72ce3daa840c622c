#include "gui_support_win.h"

#include "framework/app_win.h"
#include "framework/wnd_win.h"
#include "support/win/modal_driver.h"
#include "widgets/message_box_win.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <functional>
#include <set>

using test_support::ModalDriver;

namespace {

class MessageBoxTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_owner = std::make_unique<TestHostWindow>(L"Vantu Check Tool", 700, 500);
        ASSERT_TRUE(m_box.create(m_owner->hwnd(), L"Vantu Check Tool"));
    }

    bool box_visible() const { return IsWindowVisible(m_box.hwnd()) != FALSE; }

    std::unique_ptr<TestHostWindow> m_owner;
    CSCMessageBox m_box;
};

}  // namespace

TEST_F(MessageBoxTest, EnterAnswersOkAndTheOwnerIsDisabledMeanwhile)
{
    bool owner_enabled_during_show = true;
    std::wstring ok_label, cancel_label;
    ModalDriver during;
    during.then([&] { return box_visible(); }, [&] {
        owner_enabled_during_show = IsWindowEnabled(m_owner->hwnd()) != FALSE;
        wchar_t text[64] = {};
        GetWindowTextW(m_box.button(1), text, 64);
        ok_label = text;
        GetWindowTextW(m_box.button(2), text, 64);
        cancel_label = text;
        save_screenshot(m_box.hwnd(), L"message_box");
        PostMessageW(m_box.hwnd(), WM_KEYDOWN, VK_RETURN, 0);
    });
    int result = m_box.show(L"진단을 종료하시겠습니까?<br><cr=Firebrick>진행 중인 진단은 중지됩니다.</cr>",
                           MB_OKCANCEL | MB_ICONINFORMATION);
    EXPECT_TRUE(during.finished());
    EXPECT_EQ(result, IDOK);
    EXPECT_FALSE(owner_enabled_during_show);
    EXPECT_TRUE(IsWindowEnabled(m_owner->hwnd()));
    EXPECT_FALSE(box_visible());
    EXPECT_EQ(m_box.owner(), m_owner->hwnd());
    // The Korean interface labels its buttons in Korean.
    EXPECT_TRUE(m_box.korean());
    EXPECT_EQ(ok_label, L"확인");
    EXPECT_EQ(cancel_label, L"취소");

    // Buttons are 84 x 28 with ids 1147 + result, side by side and centred.
    RECT ok_rect, cancel_rect, box_rect;
    GetWindowRect(m_box.button(1), &ok_rect);
    GetWindowRect(m_box.button(2), &cancel_rect);
    GetWindowRect(m_box.hwnd(), &box_rect);
    EXPECT_EQ(GetDlgCtrlID(m_box.button(2)), 1149);
    int scale = window_dpi(m_box.hwnd());
    EXPECT_EQ(ok_rect.right - ok_rect.left, MulDiv(84, scale, 96));
    EXPECT_EQ(ok_rect.bottom - ok_rect.top, MulDiv(28, scale, 96));
    EXPECT_EQ(cancel_rect.left - ok_rect.right, MulDiv(8, scale, 96));
    EXPECT_NEAR((ok_rect.left + cancel_rect.right) / 2, (box_rect.left + box_rect.right) / 2, 1);
    EXPECT_EQ(box_rect.bottom - ok_rect.bottom, MulDiv(16, scale, 96));
    EXPECT_GE(box_rect.bottom - box_rect.top, MulDiv(160, scale, 96));
}

TEST_F(MessageBoxTest, EscapeAnswersCancelAndButtonsAnswerTheirIds)
{
    ModalDriver escape;
    escape.then([&] { return box_visible(); }, [&] { PostMessageW(m_box.hwnd(), WM_KEYDOWN, VK_ESCAPE, 0); });
    EXPECT_EQ(m_box.show(L"Escape?", MB_OKCANCEL), IDCANCEL);
    EXPECT_EQ(m_box.result(), IDCANCEL);
}

TEST_F(MessageBoxTest, ButtonClickAnswersItsId)
{
    ModalDriver click;
    click.then([&] { return box_visible(); }, [&] { SendMessageW(m_box.button(2), BM_CLICK, 0, 0); });
    EXPECT_EQ(m_box.show(L"Click cancel", MB_OKCANCEL), IDCANCEL);
    // Only the buttons of the style show.
    ModalDriver check;
    check.then([&] { return box_visible(); }, [&] {
        EXPECT_TRUE(IsWindowVisible(m_box.button(1)));
        EXPECT_FALSE(IsWindowVisible(m_box.button(2)));
        SendMessageW(m_box.button(1), BM_CLICK, 0, 0);
    });
    EXPECT_EQ(m_box.show(L"Only OK", MB_OK), IDOK);
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
    g_sampled_box = &m_box;
    UINT_PTR timer = SetTimer(nullptr, 0, 100, &sample_caption);
    int result = m_box.show(L"3초 후에 자동으로 닫힙니다.", MB_OK | MB_ICONINFORMATION, 3);
    KillTimer(nullptr, timer);
    g_sampled_box = nullptr;
    EXPECT_EQ(result, IDOK);
    EXPECT_TRUE(g_captions.count(L"Vantu Check Tool (3)"));
    EXPECT_TRUE(g_captions.count(L"Vantu Check Tool (2)"));
    EXPECT_TRUE(g_captions.count(L"Vantu Check Tool (1)"));
    EXPECT_EQ(m_box.caption_text(), L"Vantu Check Tool");
    EXPECT_TRUE(IsWindowEnabled(m_owner->hwnd()));
}

TEST_F(MessageBoxTest, QuitMessageEndsTheWaitAndIsPassedOn)
{
    ModalDriver quit;
    quit.then([&] { return box_visible(); }, [&] { PostQuitMessage(7); });
    EXPECT_EQ(m_box.show(L"Quit", MB_OKCANCEL), -1);
    EXPECT_TRUE(IsWindowEnabled(m_owner->hwnd()));
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
    ASSERT_TRUE(SetWindowSubclass(m_owner->hwnd(), &Owner::proc, 1, 0));
    m_box.show_modeless(L"Non-modal", MB_OKCANCEL);
    EXPECT_TRUE(box_visible());
    EXPECT_TRUE(IsWindowEnabled(m_owner->hwnd()));
    SendMessageW(m_box.button(2), BM_CLICK, 0, 0);
    EXPECT_EQ(answered, IDCANCEL);
    EXPECT_EQ(from, m_box.hwnd());
    EXPECT_FALSE(box_visible());

    // Its time limit answers OK the same way.
    m_box.show_modeless(L"Non-modal with a limit", MB_OK, 1);
    EXPECT_TRUE(wait_until([&] { return answered == IDOK; }, 5000));
    EXPECT_FALSE(box_visible());
    RemoveWindowSubclass(m_owner->hwnd(), &Owner::proc, 1);
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
    ModalDriver during;
    during.then([&] { return IsWindowVisible(box.hwnd()) != FALSE; }, [&] {
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
    ModalDriver during_second;
    during_second.then([&] { return IsWindowVisible(second.hwnd()) != FALSE; },
                       [&] { PostMessageW(second.hwnd(), WM_KEYDOWN, VK_RETURN, 0); });
    EXPECT_EQ(second.show(L"x", MB_OK), IDOK);
    EXPECT_EQ(second.owner(), other.hwnd());
}
