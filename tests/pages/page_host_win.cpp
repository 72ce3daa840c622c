#include "page_host_win.h"

#include <algorithm>

#include <commctrl.h>

namespace {
const UINT kMainTemplate = 102;
const int kTabId = 1011;
}  // namespace

PageHost::PageHost() : CDialogEx(kMainTemplate) {}

bool PageHost::open()
{
    if (!create(nullptr))
        return false;
    // The program's window is not resizable; the host is, to test the pages' layout.
    SetWindowLongPtrW(m_hwnd, GWL_STYLE, GetWindowLongPtrW(m_hwnd, GWL_STYLE) | WS_CAPTION | WS_THICKFRAME);
    SetWindowTextW(m_hwnd, L"pages");
    SetWindowPos(m_hwnd, nullptr, 10, 10, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
    ShowWindow(m_hwnd, SW_SHOW);
    UpdateWindow(m_hwnd);
    return true;
}

HWND PageHost::tab() const
{
    return item(kTabId);
}

BOOL PageHost::OnInitDialog()
{
    CDialogEx::OnInitDialog();
    const wchar_t* texts[] = {L"진단 로그", L"진단 결과", L"에러 코드"};
    for (int i = 0; i < 3; ++i) {
        TCITEMW ti = {};
        ti.mask = TCIF_TEXT;
        ti.pszText = const_cast<wchar_t*>(texts[i]);
        SendMessageW(tab(), TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&ti));
    }
    // Plain tabs: the host does not draw the program's owner-drawn ones.
    SetWindowLongPtrW(tab(), GWL_STYLE, GetWindowLongPtrW(tab(), GWL_STYLE) & ~TCS_OWNERDRAWFIXED);
    for (CDiagPage* page : {static_cast<CDiagPage*>(&m_log_page), static_cast<CDiagPage*>(&m_result_page),
                            static_cast<CDiagPage*>(&m_error_code_page)}) {
        page->set_colours(RGB(255, 255, 255), RGB(64, 64, 64));
        page->create(tab());
    }
    layout_pages();
    select(0);
    return TRUE;
}

void PageHost::layout_pages()
{
    if (!tab() || !m_log_page.exists() || !m_result_page.exists() || !m_error_code_page.exists())
        return;
    RECT client, first{};
    GetClientRect(tab(), &client);
    SendMessageW(tab(), TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&first));
    RECT rc;
    rc.left = client.left;
    rc.top = (first.bottom - first.top) + client.top + 2;
    rc.right = client.right;
    rc.bottom = client.bottom;
    for (CDialogEx* page : {static_cast<CDialogEx*>(&m_log_page), static_cast<CDialogEx*>(&m_result_page),
                            static_cast<CDialogEx*>(&m_error_code_page)})
        page->move(rc, true);
}

void PageHost::select(int index)
{
    SendMessageW(tab(), TCM_SETCURSEL, index, 0);
    m_log_page.show(index == 0);
    m_result_page.show(index == 1);
    m_error_code_page.show(index == 2);
}

bool PageHost::PreTranslateMessage(MSG* msg)
{
    return m_log_page.exists() && (msg->hwnd == m_log_page.hwnd() || IsChild(m_log_page.hwnd(), msg->hwnd)) &&
           m_log_page.PreTranslateMessage(msg);
}

bool PageHost::loop_until(const std::function<bool()>& condition, DWORD timeout_ms)
{
    const ULONGLONG deadline = GetTickCount64() + timeout_ms;
    while (!condition()) {
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline)
            return condition();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, 50)),
                                  QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            const bool ours = m_hwnd && (msg.hwnd == m_hwnd || IsChild(m_hwnd, msg.hwnd));
            if (ours && PreTranslateMessage(&msg))
                continue;
            if (ours && IsDialogMessageW(m_hwnd, &msg))
                continue;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    return true;
}
