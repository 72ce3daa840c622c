// The result page's tool tip: over a row it tells why that item failed (the
// diagnosis's cause line). The rows keep their own texts; the tip adds to them.
#include "app/marlo_check_tool_dlg_win.h"

#include "check/run/check_summary.h"

#include <commctrl.h>

void CMarloCheckToolDlg::add_result_tip()
{
    // Asked for each time it shows: the row under the cursor decides.
    m_tooltip.add_asking(m_result_page.m_list.hwnd());
}

void CMarloCheckToolDlg::collect_result_causes()
{
    // The result page lists the failed rows of the log page in order: the same
    // rows, in the same order, give each result row its item's cause.
    m_result_causes.clear();
    for (int r : collect_failed_rows(*this)) {
        const std::optional<ItemOutcome> o = m_run.outcome_for_row(r);
        m_result_causes.push_back(o && o->diagnosis ? o->diagnosis->cause : std::wstring());
    }
}

int CMarloCheckToolDlg::result_row_at(POINT screen) const
{
    HWND list = m_result_page.m_list.hwnd();
    if (!list)
        return -1;
    LVHITTESTINFO hit{};
    hit.pt = screen;
    ScreenToClient(list, &hit.pt);
    return static_cast<int>(SendMessageW(list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
}

bool CMarloCheckToolDlg::answer_result_tip(NMHDR* header)
{
    HWND list = m_result_page.m_list.hwnd();
    if (!list || header->hwndFrom != m_tooltip.hwnd() || header->code != TTN_GETDISPINFOW ||
        header->idFrom != reinterpret_cast<UINT_PTR>(list))
        return false;
    auto* info = reinterpret_cast<NMTTDISPINFOW*>(header);
    POINT cursor{};
    GetCursorPos(&cursor);
    const int row = result_row_at(cursor);
    m_result_tip_row = row;
    m_result_tip_text = row >= 0 && static_cast<std::size_t>(row) < m_result_causes.size()
                            ? m_result_causes[static_cast<std::size_t>(row)]
                            : std::wstring();
    // An empty text shows no tip (rows without a cause, the space below the rows).
    info->lpszText = m_result_tip_text.data();
    info->szText[0] = L'\0';
    info->hinst = nullptr;
    return true;
}

void CMarloCheckToolDlg::track_result_tip(const MSG* msg)
{
    HWND list = m_result_page.m_list.hwnd();
    if (!list || msg->message != WM_MOUSEMOVE || msg->hwnd != list)
        return;
    // The tip shows another row's cause: hide it, so that it asks for the new
    // row's text when it shows again. (A tip not shown yet asks when it shows.)
    if (result_row_at(msg->pt) != m_result_tip_row)
        m_tooltip.pop();
}
