// The thin framework under Wine: modal dialogs and their keys, the owner kept
// disabled, quitting, control subclassing, waiting on a worker while it sends
// messages to our windows.
#include "framework/dialog_win.h"
#include "framework/message_pump_win.h"
#include "support/win/modal_driver.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>

namespace {

const int kTemplate = 500;
const UINT_PTR kOwnTimer = 7;

// A dialog that, once shown and once its own timer has reached OnTimer, does
// one thing (run by the modal driver from inside its modal loop).
class ScriptedDialog : public CDialogEx {
public:
    ScriptedDialog(HWND owner, std::function<void(ScriptedDialog&)> act)
        : CDialogEx(kTemplate, owner), m_driver(20000, [this] { EndDialog(-3); })
    {
        m_driver.then([this] { return exists() && IsWindowVisible(m_hwnd) && timer_seen; },
                      [this, act = std::move(act)] {
                          owner_was_disabled = m_parent && !IsWindowEnabled(m_parent);
                          act(*this);
                      });
    }
    bool owner_was_disabled = false;
    bool timer_seen = false;
    int pre_translated = 0;
    int init_calls = 0;

    bool PreTranslateMessage(MSG* msg) override
    {
        if (msg->message == WM_KEYDOWN)
            ++pre_translated;
        return false;
    }

protected:
    BOOL OnInitDialog() override
    {
        ++init_calls;
        CDialogEx::OnInitDialog();
        SetTimer(kOwnTimer, 10);
        return TRUE;
    }
    void OnTimer(UINT_PTR id) override
    {
        if (id != kOwnTimer)
            return;
        KillTimer(kOwnTimer);
        timer_seen = true;
    }

private:
    test_support::ModalDriver m_driver;
};

HWND make_owner()
{
    return CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP | WS_VISIBLE, 0, 0, 200, 100, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

class Counter : public Wnd {
public:
    int seen = 0;
    UINT watched = WM_USER + 77;

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override
    {
        if (msg == watched) {
            ++seen;
            return 42;
        }
        return default_proc(msg, wp, lp);
    }
};

} // namespace

TEST(Dialog, EndDialogValueComesBackAndTheOwnerIsDisabledMeanwhile)
{
    HWND owner = make_owner();
    ScriptedDialog dlg(owner, [](ScriptedDialog& d) { d.EndDialog(1234); });
    EXPECT_EQ(dlg.DoModal(), 1234);
    EXPECT_EQ(dlg.init_calls, 1);
    EXPECT_TRUE(dlg.owner_was_disabled);
    EXPECT_TRUE(IsWindowEnabled(owner)) << "the owner is enabled again afterwards";
    EXPECT_FALSE(dlg.exists());
    DestroyWindow(owner);
}

TEST(Dialog, EnterAndEscapeBecomeOkAndCancelAfterPreTranslate)
{
    for (auto [key, expected] : {std::pair<UINT, INT_PTR>{VK_ESCAPE, IDCANCEL}, {VK_RETURN, IDOK}}) {
        ScriptedDialog dlg(nullptr, [key = key](ScriptedDialog& d) {
            HWND focus = GetFocus();
            PostMessageW(focus ? focus : d.hwnd(), WM_KEYDOWN, key, 0);
        });
        EXPECT_EQ(dlg.DoModal(), expected);
        EXPECT_GE(dlg.pre_translated, 1) << "the dialog saw the key first";
    }
}

TEST(Dialog, AQuitMessageEndsTheLoopAndIsPassedOn)
{
    ScriptedDialog dlg(nullptr, [](ScriptedDialog&) { PostQuitMessage(5); });
    EXPECT_EQ(dlg.DoModal(), -1);
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 5u);
}

TEST(Dialog, AMissingTemplateFailsCleanly)
{
    CDialogEx dlg(9999);
    EXPECT_EQ(dlg.DoModal(), -1);
    EXPECT_FALSE(dlg.create(nullptr));
}

TEST(Wnd, AttachedControlSeesItsMessagesUntilDetached)
{
    HWND owner = make_owner();
    HWND control = CreateWindowExW(0, L"BUTTON", L"b", WS_CHILD | WS_VISIBLE, 0, 0, 50, 20, owner, nullptr,
                                   GetModuleHandleW(nullptr), nullptr);
    Counter counter;
    ASSERT_TRUE(counter.attach(control));
    EXPECT_EQ(Wnd::from_handle(control), &counter);
    Counter second;
    EXPECT_FALSE(second.attach(control)) << "one object per window";
    EXPECT_EQ(SendMessageW(control, counter.watched, 0, 0), 42);
    EXPECT_EQ(counter.seen, 1);
    counter.detach();
    EXPECT_EQ(Wnd::from_handle(control), nullptr);
    EXPECT_NE(SendMessageW(control, counter.watched, 0, 0), 42);
    EXPECT_EQ(counter.seen, 1);
    EXPECT_TRUE(IsWindow(control)) << "detaching leaves the window";
    DestroyWindow(owner);
}

TEST(MessagePump, WaitingForAWorkerThatSendsToOurWindowDoesNotDeadlock)
{
    HWND owner = make_owner();
    Counter counter;
    CreateArgs args;
    args.style = WS_POPUP;
    ASSERT_TRUE(counter.create(args));
    std::atomic<bool> done{false};
    std::thread worker([&] {
        for (int i = 0; i < 5; ++i)
            SendMessageW(counter.hwnd(), counter.watched, 0, 0);
        done = true;
    });
    pump_messages_until([&] { return done.load(); }, 100);
    worker.join();
    EXPECT_EQ(counter.seen, 5);
    DestroyWindow(owner);
}

TEST(Wnd, AWindowItCreatedGoesWithTheObjectAnAttachedOneStays)
{
    HWND owner = make_owner();
    HWND created = nullptr;
    {
        Counter maker;
        CreateArgs args;
        args.parent = owner;
        args.class_name = L"BUTTON";
        args.style = WS_CHILD | WS_VISIBLE;
        args.rect = RECT{0, 0, 50, 20};
        ASSERT_TRUE(maker.create(args));
        created = maker.hwnd();
        ASSERT_TRUE(IsWindow(created));
    }
    EXPECT_FALSE(IsWindow(created)) << "a control made by create() is destroyed with its object";

    HWND attached = CreateWindowExW(0, L"BUTTON", L"b", WS_CHILD | WS_VISIBLE, 0, 0, 50, 20, owner, nullptr,
                                    GetModuleHandleW(nullptr), nullptr);
    {
        Counter taker;
        ASSERT_TRUE(taker.attach(attached));
    }
    EXPECT_TRUE(IsWindow(attached)) << "an attached control is only let go";
    EXPECT_EQ(Wnd::from_handle(attached), nullptr);
    DestroyWindow(owner);
}
