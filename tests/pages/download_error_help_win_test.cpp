// The download error help shown modally and driven from a timer: texts,
// addresses, the browser picture, and closing through OK only.
#include "../widgets/gui_support_win.h"

#include "check/http/http_request.h"
#include "pages/default_browser.h"
#include "pages/download_error_help_win.h"
#include "pages/download_help_text.h"
#include "support/win/modal_driver.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>

using test_support::ModalDriver;

namespace {

const wchar_t kUserChoice[] = L"SOFTWARE\\Microsoft\\Windows\\Shell\\Associations\\UrlAssociations\\https\\UserChoice";

// Counts the cancel commands that reach the dialog, then lets it handle them.
class WatchedHelp : public CDownloadErrorHelpDlg {
public:
    int cancel_commands = 0;

protected:
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override
    {
        if (msg == WM_COMMAND && LOWORD(wp) == IDCANCEL)
            ++cancel_commands;
        return CDownloadErrorHelpDlg::OnMessage(msg, wp, lp, result);
    }
};

// What the timer script saw while the dialog was open.
struct Script {
    WatchedHelp* dlg = nullptr;
    int step = 0;  // the steps done
    bool timed_out = false;
    std::wstring http, https, caption, ok_text, button_text;
    bool still_open_after_escape = false;
    bool still_open_after_close_box = false;
    int cancels_seen = 0;
    bool buttons_drawn_by_dialog = false;
    bool explanation_fits = false;
    bool addresses_below_explanation = false;
    bool ok_has_focus = false;
    int tools = 0;
    std::wstring http_tip, https_tip;
    bool take_screenshot = false;
    bool screenshot = false;
};

std::wstring item_text(HWND dlg, int id)
{
    wchar_t text[512] = {};
    GetDlgItemTextW(dlg, id, text, 512);
    return text;
}

// Reads the open dialog into `s`, then presses Escape in it.
void look_then_press_escape(Script& s)
{
    HWND h = s.dlg->hwnd();
    s.http = item_text(h, 1042);
    s.https = item_text(h, 1043);
    s.ok_text = item_text(h, IDOK);
    s.button_text = item_text(h, 1044);
    wchar_t caption[128] = {};
    GetWindowTextW(h, caption, 128);
    s.caption = caption;
    s.buttons_drawn_by_dialog = (GetWindowLongPtrW(GetDlgItem(h, 1044), GWL_STYLE) & BS_TYPEMASK) == BS_OWNERDRAW &&
                                (GetWindowLongPtrW(GetDlgItem(h, 1045), GWL_STYLE) & BS_TYPEMASK) == BS_OWNERDRAW;
    {
        // Every line of the explanation inside its box, the addresses under it.
        HWND box = GetDlgItem(h, 1047);
        RECT client, box_rect, address;
        GetClientRect(box, &client);
        const RECT text = s.dlg->explanation_text_rect();
        s.explanation_fits = text.bottom > text.top && text.bottom <= client.bottom;
        GetWindowRect(box, &box_rect);
        GetWindowRect(GetDlgItem(h, 1042), &address);
        s.addresses_below_explanation = address.top >= box_rect.bottom;
        s.ok_has_focus = GetFocus() == GetDlgItem(h, IDOK);
    }
    if (HWND tip = s.dlg->tooltip()) {
        s.tools = static_cast<int>(SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0));
        for (int id : {1044, 1045}) {
            wchar_t text[128] = {};
            TOOLINFOW info = {};
            info.cbSize = sizeof(info);
            info.hwnd = h;
            info.uId = reinterpret_cast<UINT_PTR>(GetDlgItem(h, id));
            info.lpszText = text;
            SendMessageW(tip, TTM_GETTEXTW, 128, reinterpret_cast<LPARAM>(&info));
            (id == 1044 ? s.http_tip : s.https_tip) = text;
        }
    }
    std::wstring dpi = window_dpi(h) == 96 ? L"" : L"-" + std::to_wstring(window_dpi(h)) + L"dpi";
    s.screenshot = !s.take_screenshot || save_screenshot(h, L"download-error-help" + dpi);
    // Escape in the dialog, as a key press on the focused control.
    HWND focus = GetFocus();
    PostMessageW(focus ? focus : h, WM_KEYDOWN, VK_ESCAPE, 1);
    PostMessageW(focus ? focus : h, WM_KEYUP, VK_ESCAPE, 0xC0000001);
}

// Sets the user's https choice for the test and puts back what was there.
class UserChoice {
public:
    explicit UserChoice(const std::wstring& prog_id)
    {
        DWORD size = sizeof(m_old);
        m_had = RegGetValueW(HKEY_CURRENT_USER, kUserChoice, L"ProgId", RRF_RT_REG_SZ, nullptr, m_old, &size) ==
               ERROR_SUCCESS;
        RegSetKeyValueW(HKEY_CURRENT_USER, kUserChoice, L"ProgId", REG_SZ, prog_id.c_str(),
                        static_cast<DWORD>((prog_id.size() + 1) * sizeof(wchar_t)));
    }
    ~UserChoice()
    {
        if (m_had)
            RegSetKeyValueW(HKEY_CURRENT_USER, kUserChoice, L"ProgId", REG_SZ, m_old,
                            static_cast<DWORD>((wcslen(m_old) + 1) * sizeof(wchar_t)));
        else
            RegDeleteKeyValueW(HKEY_CURRENT_USER, kUserChoice, L"ProgId");
    }

private:
    bool m_had = false;
    wchar_t m_old[512] = {};
};

Script run_help(WatchedHelp& dlg, INT_PTR& answer, bool screenshot = false)
{
    Script s;
    s.take_screenshot = screenshot;
    s.dlg = &dlg;
    // Bounded: whatever happens, the modal loop ends.
    ModalDriver driver(20000, [&] {
        s.timed_out = true;
        if (dlg.hwnd())
            dlg.EndDialog(-2);
    });
    // The focus and the keys are read only while the dialog is the foreground
    // window: a test beside this one may show a window of its own and take the
    // foreground, and then this thread has no focus at all. Brought back, the
    // dialog is looked at on a later tick.
    driver.then(
              [&] {
                  HWND h = dlg.hwnd();
                  if (!h || !IsWindowVisible(h))
                      return false;
                  if (GetForegroundWindow() == h)
                      return true;
                  SetForegroundWindow(h);
                  return false;
              },
              [&] { look_then_press_escape(s); })
        .then([&] { return dlg.cancel_commands >= 1; },
              [&] {
                  s.still_open_after_escape = IsWindow(dlg.hwnd()) && IsWindowVisible(dlg.hwnd());
                  PostMessageW(dlg.hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);  // the caption's close box
              })
        .then([&] { return dlg.cancel_commands >= 2; },
              [&] {
                  HWND h = dlg.hwnd();
                  s.still_open_after_close_box = IsWindow(h) && IsWindowVisible(h);
                  s.cancels_seen = dlg.cancel_commands;
                  PostMessageW(h, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(h, IDOK)));
              });
    answer = dlg.DoModal();
    s.step = static_cast<int>(driver.step());
    return s;
}

}  // namespace

TEST(DownloadErrorHelp, ShowsTheErrorAndBothAddressesAndClosesOnlyThroughOk)
{
    UserChoice choice(L"FirefoxURL-308046B0AF4A39CB");
    WatchedHelp dlg;
    dlg.m_error_code = 12007;
    dlg.m_host = L"127.0.0.1";
    dlg.m_path = L"/download/checklist.json";
    INT_PTR answer = 0;
    Script s = run_help(dlg, answer, true);

    ASSERT_FALSE(s.timed_out) << "stopped at step " << s.step;
    EXPECT_EQ(answer, IDOK);
    EXPECT_FALSE(dlg.exists());

    EXPECT_EQ(s.caption, L"서버리스트 다운로드 에러");
    EXPECT_EQ(s.http, L"http://127.0.0.1:80/download/checklist.json");
    EXPECT_EQ(s.https, L"https://127.0.0.1:443/download/checklist.json");
    EXPECT_EQ(s.ok_text, L"확인");

    // The WinINet text of 12007 after the number.
    const std::wstring wininet_text = error_text(12007);
    ASSERT_FALSE(wininet_text.empty());
    EXPECT_EQ(dlg.error_line(), L"에러코드 : 12007 " + wininet_text);

    // The user's choice names the browser and picks its picture.
    EXPECT_EQ(dlg.browser_name(), L"Mozilla Firefox");
    EXPECT_EQ(dlg.image_id(), 176);
    EXPECT_TRUE(s.buttons_drawn_by_dialog);
    EXPECT_TRUE(s.explanation_fits);
    EXPECT_TRUE(s.addresses_below_explanation);
    EXPECT_TRUE(s.ok_has_focus);
    EXPECT_EQ(s.tools, 2);
    EXPECT_EQ(s.http_tip, L"80 포트로 기본 브라우저에서 열기");
    EXPECT_EQ(s.https_tip, L"443 포트로 기본 브라우저에서 열기");

    // Escape and the close box reach the dialog as cancel and leave it open.
    EXPECT_TRUE(s.still_open_after_escape);
    EXPECT_TRUE(s.still_open_after_close_box);
    EXPECT_EQ(s.cancels_seen, 2);
    EXPECT_TRUE(s.screenshot);
}

TEST(DownloadErrorHelp, ACodeWithoutTextReadsUnknownErrorAndAnUnknownBrowserShowsEdge)
{
    UserChoice choice(L"OperaStable");
    WatchedHelp dlg;
    dlg.m_error_code = 90999;  // no system message has this number
    dlg.m_host = L"checklist.example";
    dlg.m_path = L"/download/checklist.json";
    INT_PTR answer = 0;
    Script s = run_help(dlg, answer);
    ASSERT_FALSE(s.timed_out) << "stopped at step " << s.step;
    EXPECT_EQ(answer, IDOK);
    ASSERT_TRUE(error_text(90999).empty());
    EXPECT_EQ(dlg.error_line(), L"에러코드 : 90999 unknown error");
    EXPECT_EQ(dlg.browser_name(), L"OperaStable");
    EXPECT_EQ(dlg.image_id(), 175);
    EXPECT_EQ(s.https, L"https://checklist.example:443/download/checklist.json");
}
