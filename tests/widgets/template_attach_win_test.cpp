#include "gui_support_win.h"

#include "widgets/list_ctrl_win.h"
#include "widgets/markup_static_win.h"
#include "widgets/step_ctrl_win.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <vector>

namespace {

// A dialog template in memory, the way resource dialogs arrive: a list view
// (owner data, owner drawn, report), a static for the step list and one for text.
class TemplateBuilder {
public:
    TemplateBuilder()
    {
        DLGTEMPLATE dialog = {};
        dialog.style = WS_CHILD | WS_VISIBLE | DS_SETFONT | DS_CONTROL;
        dialog.cdit = 3;
        dialog.cx = 309;
        dialog.cy = 177;
        append(&dialog, sizeof(dialog));
        word(0);  // no menu
        word(0);  // default class
        word(0);  // no title
        word(9);
        text(L"맑은 고딕");
        control(7, 7, 200, 163, 1012, L"SysListView32",
                WS_CHILD | WS_VISIBLE | WS_BORDER | LVS_REPORT | LVS_OWNERDATA | LVS_OWNERDRAWFIXED |
                    LVS_SHOWSELALWAYS);
        control(210, 7, 90, 100, 1031, L"Static", WS_CHILD | WS_VISIBLE | SS_LEFT);
        control(210, 110, 90, 40, 1028, L"Static", WS_CHILD | WS_VISIBLE | SS_LEFT);
    }
    const DLGTEMPLATE* get() const { return reinterpret_cast<const DLGTEMPLATE*>(m_bytes.data()); }

private:
    void align()
    {
        while (m_bytes.size() % 4)
            m_bytes.push_back(0);
    }
    void append(const void* data, size_t size)
    {
        const BYTE* p = static_cast<const BYTE*>(data);
        m_bytes.insert(m_bytes.end(), p, p + size);
    }
    void word(WORD w) { append(&w, sizeof(w)); }
    void text(const wchar_t* s) { append(s, (wcslen(s) + 1) * sizeof(wchar_t)); }
    void control(short x, short y, short cx, short cy, WORD id, const wchar_t* cls, DWORD style)
    {
        align();
        DLGITEMTEMPLATE item = {};
        item.style = style;
        item.x = x;
        item.y = y;
        item.cx = cx;
        item.cy = cy;
        item.id = id;
        append(&item, sizeof(item));
        text(cls);
        text(L"");
        word(0);  // no creation data
    }
    std::vector<BYTE> m_bytes;
};

struct Page {
    CSCListCtrl list;
    CSCStepCtrl steps;
    CSCStatic title;
};

INT_PTR CALLBACK page_proc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam)
{
    if (msg == WM_INITDIALOG) {
        Page* page = reinterpret_cast<Page*>(lparam);
        page->list.attach(GetDlgItem(hwnd, 1012));
        page->steps.attach(GetDlgItem(hwnd, 1031));
        page->title.attach(GetDlgItem(hwnd, 1028));
        return TRUE;
    }
    // A plain dialog procedure hands our controls their notifications.
    LRESULT result = 0;
    if (reflect_to_control(hwnd, msg, wparam, lparam, result)) {
        SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
        return TRUE;
    }
    return FALSE;
}

}  // namespace

TEST(TemplateAttach, ControlsFromADialogTemplateDrawThemselves)
{
    TestHostWindow host(L"Dialog template", 680, 420);
    TemplateBuilder builder;
    Page page;
    HWND dialog = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), builder.get(), host.hwnd(), page_proc,
                                             reinterpret_cast<LPARAM>(&page));
    ASSERT_NE(dialog, nullptr);
    ASSERT_NE(page.list.hwnd(), nullptr);
    ASSERT_NE(page.steps.hwnd(), nullptr);
    ASSERT_NE(page.title.hwnd(), nullptr);

    // The list takes the template's face and gets its rows from the control's storage.
    EXPECT_EQ(page.list.font_name(), L"맑은 고딕");
    EXPECT_EQ(page.list.set_columns(L"결과,56;구분,100;내용,400"), 3);
    page.list.add_row_from_text(-1, L"실패|세션 서버|relay.vantu.example:7002 (90103 서버에 연결할 수 없습니다.)");
    page.list.add_row_from_text(-1, L"불안정|웹 서버|www.vantu.example:443 (2/3)");
    page.list.set_row_colour(0, 0xFFFF0000);
    RECT row = {};
    row.left = LVIR_BOUNDS;
    ASSERT_TRUE(SendMessageW(page.list.hwnd(), LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row)));
    EXPECT_EQ(row.bottom - row.top, MulDiv(26, window_dpi(page.list.hwnd()), 96));

    page.steps.set_count(3);
    page.steps.set_line_text(0, L"계정 권한 체크");
    page.steps.set_line_text(1, L"세션 서버 체크");
    page.steps.set_line_text(2, L"웹 서버 체크");
    page.steps.set_current(1);
    page.title.set_text(L"<b>진단 리스트</b>");
    EXPECT_EQ(page.title.document().size(), 1u);

    // Row 0 is painted by the control: red text shows in its rectangle.
    ClientCapture capture(page.list.hwnd());
    auto red_pixels = [&](const RECT& r) {
        int red = 0;
        for (int y = r.top; y < r.bottom; ++y) {
            for (int x = r.left; x < r.left + 150; ++x) {
                unsigned c = capture.pixel(x, y);
                if (((c >> 16) & 0xFF) > 180 && ((c >> 8) & 0xFF) < 120 && (c & 0xFF) < 120)
                    ++red;
            }
        }
        return red;
    };
    EXPECT_GT(red_pixels(row), 5);
    RECT second = row;
    OffsetRect(&second, 0, row.bottom - row.top);
    EXPECT_EQ(red_pixels(second), 0);
    save_screenshot(host.hwnd(), L"template_page");

    // Destroying the dialog first leaves the objects safe to destroy afterwards.
    DestroyWindow(dialog);
    EXPECT_EQ(page.list.hwnd(), nullptr);
    EXPECT_EQ(page.steps.hwnd(), nullptr);
    page.list.set_cell_text(0, 0, L"no window");  // nothing to do, no crash
}
