#include "widgets/list_ctrl_win.h"

#include "common/log.h"
#include "common/own_paint_win.h"
#include "framework/settings_store.h"

#include <commctrl.h>

#include <algorithm>

namespace {

int list_format(int alignment)
{
    switch (alignment) {
    case 1: return LVCFMT_RIGHT;
    case 2: return LVCFMT_CENTER;
    default: return LVCFMT_LEFT;
    }
}

UINT draw_alignment(int alignment)
{
    switch (alignment) {
    case 1: return DT_RIGHT;
    case 2: return DT_CENTER;
    default: return DT_LEFT;
    }
}

}  // namespace

CSCListCtrl::CSCListCtrl() = default;

CSCListCtrl::~CSCListCtrl()
{
    release();  // the list uses the row images until it is gone
    if (m_row_images)
        ImageList_Destroy(m_row_images);
}

const wchar_t* CSCListCtrl::class_name() const
{
    return WC_LISTVIEWW;
}

DWORD CSCListCtrl::create_style() const
{
    return WS_BORDER | WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_OWNERDRAWFIXED | LVS_SHOWSELALWAYS;
}

void CSCListCtrl::on_attached()
{
    // Owner data cannot be added after creation: a template's list must carry it.
    // Owner drawing can, and the report view is what this control paints.
    LONG_PTR style = GetWindowLongPtrW(hwnd(), GWL_STYLE);
    // The row-height images belong to this control, not to the list view.
    style = (style & ~LVS_TYPEMASK) | LVS_REPORT | LVS_OWNERDRAWFIXED | LVS_SHAREIMAGELISTS;
    SetWindowLongPtrW(hwnd(), GWL_STYLE, style);
    ListView_SetExtendedListViewStyle(hwnd(), LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP | LVS_EX_FLATSB |
                                                  LVS_EX_DOUBLEBUFFER);
    m_background = ListView_GetBkColor(hwnd());
    if (m_background == CLR_NONE)
        m_background = GetSysColor(COLOR_WINDOW);
    m_row_height = scale(26);
    if (HWND header = ListView_GetHeader(hwnd()))
        m_header.attach(header);
    if (m_font_name.empty()) {
        // Start from the template's font face.
        HFONT current = reinterpret_cast<HFONT>(SendMessageW(hwnd(), WM_GETFONT, 0, 0));
        LOGFONTW lf = {};
        if (current && GetObjectW(current, sizeof(lf), &lf))
            m_font_name = lf.lfFaceName;
        else
            m_font_name = L"맑은 고딕";
    }
    set_row_height();
}

int CSCListCtrl::set_columns(const std::wstring& text)
{
    int count = 0;
    run_on_window_thread([&] {
        HWND header = ListView_GetHeader(hwnd());
        while (header && Header_GetItemCount(header) > 0)
            ListView_DeleteColumn(hwnd(), 0);
        m_columns.clear();
        for (const ListColumn& parsed : parse_list_columns(text)) {
            ListColumn column = parsed;
            LVCOLUMNW lvc = {};
            lvc.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
            lvc.fmt = LVCFMT_LEFT;
            lvc.cx = column.width;
            lvc.pszText = const_cast<wchar_t*>(column.title.c_str());
            lvc.iSubItem = static_cast<int>(m_columns.size());
            if (ListView_InsertColumn(hwnd(), static_cast<int>(m_columns.size()), &lvc) < 0) {
                // A column that cannot be inserted ends the list.
                SCLOG(3, L"column %d (%s) could not be inserted", static_cast<int>(m_columns.size()),
                      column.title.c_str());
                break;
            }
            m_columns.push_back(column);
        }
        m_model.set_column_count(m_columns.size());
        count = static_cast<int>(m_columns.size());
        InvalidateRect(hwnd(), nullptr, TRUE);
    });
    return count;
}

void CSCListCtrl::set_column_alignment(int column, int alignment)
{
    run_on_window_thread([&] {
        int first = column, last = column;
        if (column == -1) {
            first = 0;
            last = static_cast<int>(m_columns.size()) - 1;
        } else if (column < 0 || column >= static_cast<int>(m_columns.size())) {
            return;
        }
        HWND header = ListView_GetHeader(hwnd());
        for (int i = first; i <= last; ++i) {
            m_columns[i].alignment = alignment;
            LVCOLUMNW lvc = {};
            lvc.mask = LVCF_FMT;
            lvc.fmt = list_format(alignment);
            // The list view keeps column 0 left aligned; the header and the painting do not.
            ListView_SetColumn(hwnd(), i, &lvc);
            if (header) {
                HDITEMW hdi = {};
                hdi.mask = HDI_FORMAT;
                Header_GetItem(header, i, &hdi);
                hdi.fmt = (hdi.fmt & ~HDF_JUSTIFYMASK) |
                          (alignment == 1 ? HDF_RIGHT : alignment == 2 ? HDF_CENTER : HDF_LEFT);
                Header_SetItem(header, i, &hdi);
            }
        }
        InvalidateRect(hwnd(), nullptr, TRUE);
    });
}

void CSCListCtrl::rebuild_font()
{
    LOGFONTW lf = {};
    lf.lfHeight = -MulDiv(m_font_size, dpi(), 72);
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = CLEARTYPE_QUALITY;
    lstrcpynW(lf.lfFaceName, m_font_name.c_str(), LF_FACESIZE);
    OwnedFont font(CreateFontIndirectW(&lf));
    if (!font)
        return;
    SendMessageW(hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
    if (HWND header = ListView_GetHeader(hwnd()))
        SendMessageW(header, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
    m_font = std::move(font);  // the one the list used until now goes only after it took this one
    // A new font makes the list measure its rows again: keep them at our height.
    set_row_height();
}

void CSCListCtrl::set_font_size(int points)
{
    run_on_window_thread([&] {
        if (points <= 0)
            return;
        m_font_size = points;
        rebuild_font();
    });
}

void CSCListCtrl::set_font_name(const std::wstring& face)
{
    run_on_window_thread([&] {
        if (face.empty())
            return;
        m_font_name = face.substr(0, LF_FACESIZE - 1);
        rebuild_font();
    });
}

void CSCListCtrl::set_row_height()
{
    run_on_window_thread([&] {
        m_row_height = scale(26);
        // The list view takes its row height from the small images: one pixel wide, a row high.
        HIMAGELIST images = ImageList_Create(1, m_row_height, ILC_COLOR32, 1, 1);
        HIMAGELIST previous = ListView_SetImageList(hwnd(), images, LVSIL_SMALL);
        if (previous && previous != m_row_images)
            ListView_SetImageList(hwnd(), previous, LVSIL_SMALL);  // a caller's images stay attached
        if (m_row_images)
            ImageList_Destroy(m_row_images);
        m_row_images = images;
        // Owner-drawn lists measure their rows again when their size changes.
        RECT rect;
        GetWindowRect(hwnd(), &rect);
        int width = rect.right - rect.left, height = rect.bottom - rect.top;
        SetWindowPos(hwnd(), nullptr, 0, 0, width + 1, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        SetWindowPos(hwnd(), nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    });
}

void CSCListCtrl::set_text_colour(COLORREF colour)
{
    run_on_window_thread([&] {
        m_text_colour = colour;
        ListView_SetTextColor(hwnd(), colour);
        InvalidateRect(hwnd(), nullptr, TRUE);
    });
}

void CSCListCtrl::set_background_colour(COLORREF colour)
{
    run_on_window_thread([&] {
        m_background = colour;
        ListView_SetBkColor(hwnd(), colour);
        InvalidateRect(hwnd(), nullptr, TRUE);
    });
}

void CSCListCtrl::set_second_row_colour(COLORREF colour, bool use)
{
    run_on_window_thread([&] {
        m_second_row_colour = colour;
        m_use_second_row_colour = use;
        InvalidateRect(hwnd(), nullptr, TRUE);
    });
}

void CSCListCtrl::use_lowered_second_row_colour()
{
    run_on_window_thread([&] {
        uint32_t colour = m_second_row_colour;
        if (list_second_row_colour(m_background, colour))
            m_second_row_colour = colour;
        m_use_second_row_colour = true;
        InvalidateRect(hwnd(), nullptr, TRUE);
    });
}

void CSCListCtrl::load_column_widths(const std::wstring& section, bool repaint)
{
    run_on_window_thread([&] {
        const std::wstring key = section + L"\\column width";
        for (size_t i = 0; i < m_columns.size(); ++i) {
            int width = settings_get_int(key, std::to_wstring(i), 0);
            if (width > 0) {
                m_columns[i].width = width;
                ListView_SetColumnWidth(hwnd(), static_cast<int>(i), width);
            }
        }
        if (repaint)
            InvalidateRect(hwnd(), nullptr, TRUE);
    });
}

void CSCListCtrl::save_column_widths(const std::wstring& section)
{
    run_on_window_thread([&] {
        const std::wstring key = section + L"\\column width";
        for (size_t i = 0; i < m_columns.size(); ++i)
            settings_set_int(key, std::to_wstring(i), ListView_GetColumnWidth(hwnd(), static_cast<int>(i)));
    });
}

void CSCListCtrl::publish_rows()
{
    if (!m_filling)
        ListView_SetItemCountEx(hwnd(), static_cast<int>(m_model.row_count()), LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL);
}

void CSCListCtrl::clear()
{
    run_on_window_thread([&] {
        SendMessageW(hwnd(), WM_SETREDRAW, FALSE, 0);
        m_model.clear();
        ListView_SetItemCountEx(hwnd(), 0, 0);
        SendMessageW(hwnd(), WM_SETREDRAW, TRUE, 0);
        InvalidateRect(hwnd(), nullptr, TRUE);
    });
}

int CSCListCtrl::append_row(const std::wstring& first_cell)
{
    int row = -1;
    run_on_window_thread([&] {
        row = m_model.append_row(first_cell);
        publish_rows();
        if (!m_filling)
            invalidate_row(row);
    });
    return row;
}

int CSCListCtrl::add_row_from_text(int index, const std::wstring& text, wchar_t separator)
{
    int row = -1;
    run_on_window_thread([&] {
        row = m_model.add_row_from_text(index, text, separator);
        publish_rows();
        invalidate_row(-1); // rows after an insert move down
    });
    return row;
}

void CSCListCtrl::invalidate_row(int row)
{
    if (m_filling)
        return;
    if (row < 0) {
        m_dirty_all = true;
    } else {
        m_dirty_first = m_dirty_first < 0 ? row : std::min(m_dirty_first, row);
        m_dirty_last = std::max(m_dirty_last, row);
    }
    repaint_soon();
}

void CSCListCtrl::ensure_visible(int row)
{
    queue_on_window_thread([this, row] {
        m_wanted_visible = row;
        repaint_soon();
    });
}

void CSCListCtrl::on_repaint_tick()
{
    // Mark the changed rows where they are, then scroll: the scroll carries the
    // marked area along and paints once what it exposed and what changed. The
    // other order painted a long run's rows twice per tick.
    RECT first = {LVIR_BOUNDS}, last = {LVIR_BOUNDS};
    if (m_dirty_all) {
        InvalidateRect(hwnd(), nullptr, FALSE);
    } else if (m_dirty_first >= 0 &&
               SendMessageW(hwnd(), LVM_GETITEMRECT, m_dirty_first, reinterpret_cast<LPARAM>(&first)) &&
               SendMessageW(hwnd(), LVM_GETITEMRECT, m_dirty_last, reinterpret_cast<LPARAM>(&last))) {
        RECT both;
        UnionRect(&both, &first, &last);
        InvalidateRect(hwnd(), &both, FALSE);
    }
    m_dirty_all = false;
    m_dirty_first = m_dirty_last = -1;
    if (m_wanted_visible >= 0)
        SendMessageW(hwnd(), LVM_ENSUREVISIBLE, static_cast<WPARAM>(m_wanted_visible), FALSE);
    m_wanted_visible = -1;
}

void CSCListCtrl::set_cell_text(int row, int column, const std::wstring& text, bool repaint)
{
    queue_on_window_thread([this, row, column, text, repaint] {
        if (m_model.set_cell_text(row, column, text) && repaint)
            invalidate_row(row);
    });
}

void CSCListCtrl::set_cell_colour(int row, int column, uint32_t colour)
{
    queue_on_window_thread([this, row, column, colour] {
        if (m_model.set_cell_colour(row, column, colour))
            invalidate_row(row);
    });
}

void CSCListCtrl::set_row_colour(int row, uint32_t colour)
{
    queue_on_window_thread([this, row, colour] {
        if (row >= 0 && m_model.set_row_colour(row, colour))
            invalidate_row(row);
    });
}

void CSCListCtrl::set_no_rows_text(const std::wstring& text, UINT format, uint32_t colour)
{
    run_on_window_thread([&] {
        m_no_rows_text = text;
        m_no_rows_format = format;
        m_no_rows_colour = colour;
        if (m_model.row_count() == 0)
            InvalidateRect(hwnd(), nullptr, TRUE);
    });
}

void CSCListCtrl::publish_count(int count, DWORD flags)
{
    run_on_window_thread([&] { ListView_SetItemCountEx(hwnd(), count, flags); });
}

void CSCListCtrl::begin_fill()
{
    run_on_window_thread([&] {
        SendMessageW(hwnd(), WM_SETREDRAW, FALSE, 0);
        m_filling = true;
    });
}

void CSCListCtrl::end_fill()
{
    run_on_window_thread([&] {
        m_filling = false;
        ListView_SetItemCountEx(hwnd(), static_cast<int>(m_model.row_count()), LVSICF_NOSCROLL);
        SendMessageW(hwnd(), WM_SETREDRAW, TRUE, 0);
        ListView_Arrange(hwnd(), LVA_DEFAULT);
        InvalidateRect(hwnd(), nullptr, TRUE);
    });
}

int CSCListCtrl::column_count() const
{
    int count = 0;
    const_cast<CSCListCtrl*>(this)->run_on_window_thread([&] { count = static_cast<int>(m_columns.size()); });
    return count;
}

int CSCListCtrl::column_width(int column) const
{
    int width = 0;
    const_cast<CSCListCtrl*>(this)->run_on_window_thread([&] { width = ListView_GetColumnWidth(hwnd(), column); });
    return width;
}

int CSCListCtrl::column_alignment(int column) const
{
    int alignment = 0;
    const_cast<CSCListCtrl*>(this)->run_on_window_thread([&] {
        if (column >= 0 && column < static_cast<int>(m_columns.size()))
            alignment = m_columns[column].alignment;
    });
    return alignment;
}

int CSCListCtrl::row_count() const
{
    int count = 0;
    const_cast<CSCListCtrl*>(this)->run_on_window_thread([&] { count = static_cast<int>(m_model.row_count()); });
    return count;
}

std::wstring CSCListCtrl::cell_text(int row, int column) const
{
    std::wstring text;
    const_cast<CSCListCtrl*>(this)->run_on_window_thread([&] { text = m_model.cell_text(row, column); });
    return text;
}

OptionalColour CSCListCtrl::cell_colour(int row, int column) const
{
    OptionalColour colour;
    const_cast<CSCListCtrl*>(this)->run_on_window_thread([&] { colour = m_model.cell_colour(row, column); });
    return colour;
}

const std::vector<std::pair<int, int>>& CSCListCtrl::display_columns()
{
    if (m_painting && !m_paint_columns.empty())
        return m_paint_columns;
    std::vector<int> order(m_columns.size());
    if (!order.empty())
        ListView_GetColumnOrderArray(hwnd(), static_cast<int>(order.size()), order.data());
    m_paint_columns.clear();
    for (int column : order)
        m_paint_columns.emplace_back(column, ListView_GetColumnWidth(hwnd(), column));
    return m_paint_columns;
}

void CSCListCtrl::draw_row(const DRAWITEMSTRUCT& item)
{
    HDC dc = item.hDC;
    const int row = static_cast<int>(item.itemID);
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    const bool focused = GetFocus() == hwnd();

    COLORREF fill = m_background;
    if (selected)
        fill = focused ? GetSysColor(COLOR_HIGHLIGHT) : RGB(0xD9, 0xE4, 0xF1);
    else if (m_use_second_row_colour && (row % 2) == 1)
        fill = m_second_row_colour;
    fill_rect(dc, item.rcItem, fill);

    SelectedObject font(dc, drawing_font());
    SetBkMode(dc, TRANSPARENT);

    // Columns in their display order, from the row's left edge (which follows scrolling).
    const std::vector<std::pair<int, int>>& order = display_columns();
    const int padding = scale(6);
    int x = item.rcItem.left;
    for (const auto& [column, width] : order) {
        RECT cell = {x + padding, item.rcItem.top, x + width - padding, item.rcItem.bottom};
        x += width;
        if (cell.right <= cell.left)
            continue;
        const OptionalColour own = m_model.cell_colour(row, column);
        COLORREF colour = own ? colorref_from_colour(*own) : m_text_colour;
        if (selected && focused && !own)
            colour = GetSysColor(COLOR_HIGHLIGHTTEXT);
        SetTextColor(dc, colour);
        std::wstring text = m_model.cell_text(row, column);
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &cell,
                  draw_alignment(m_columns[column].alignment) | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX |
                      DT_END_ELLIPSIS);
    }
    if ((item.itemState & ODS_FOCUS) && focused)
        DrawFocusRect(dc, &item.rcItem);
}

HFONT CSCListCtrl::drawing_font() const
{
    return m_font ? m_font.get() : reinterpret_cast<HFONT>(SendMessageW(hwnd(), WM_GETFONT, 0, 0));
}

void CSCListCtrl::draw_no_rows_text(HDC dc)
{
    RECT client;
    GetClientRect(hwnd(), &client);
    if (HWND header = ListView_GetHeader(hwnd())) {
        RECT header_rect;
        if (IsWindowVisible(header) && GetWindowRect(header, &header_rect))
            client.top += header_rect.bottom - header_rect.top;
    }
    RECT band = client;
    band.bottom = std::min<LONG>(client.bottom, client.top + 2 * m_row_height);
    SelectedObject font(dc, drawing_font());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, colorref_from_colour(m_no_rows_colour));
    UINT format = m_no_rows_format & (DT_CENTER | DT_RIGHT | DT_VCENTER | DT_BOTTOM);
    DrawTextW(dc, m_no_rows_text.c_str(), static_cast<int>(m_no_rows_text.size()), &band,
              format | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
}

LRESULT CSCListCtrl::WndProc(UINT msg, WPARAM wparam, LPARAM lparam)
{
    if (msg == WM_PAINT && m_model.row_count() == 0 && !m_no_rows_text.empty()) {
        LRESULT result = default_proc(msg, wparam, lparam);
        WindowDc dc(hwnd());
        draw_no_rows_text(dc.get());
        return result;
    }
    if (msg == WM_SETFOCUS || msg == WM_KILLFOCUS)
        InvalidateRect(hwnd(), nullptr, FALSE);  // selection colours follow the focus
    if (msg == WM_PAINT) {
        // The columns cannot change while the rows are drawn: read their order
        // and widths once per paint (each read costs about 0.2 ms under Wine).
        m_painting = true;
        m_paint_columns.clear();
        const LRESULT result = default_proc(msg, wparam, lparam);
        m_painting = false;
        return result;
    }
    return default_proc(msg, wparam, lparam);
}

bool CSCListCtrl::on_reflect(UINT msg, WPARAM, LPARAM lparam, LRESULT& result)
{
    // reflect_to_control has found this list as the notification's subject.
    switch (msg) {
    case WM_DRAWITEM: {
        auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lparam);
        if (item->itemID < m_model.row_count())
            draw_row(*item);
        result = TRUE;
        return true;
    }
    case WM_MEASUREITEM: {
        auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lparam);
        if (measure->CtlType != ODT_LISTVIEW)
            return false;
        measure->itemHeight = m_row_height;
        result = TRUE;
        return true;
    }
    case WM_NOTIFY: {
        if (reinterpret_cast<NMHDR*>(lparam)->code == LVN_GETDISPINFOW) {
            // Text for tool tips, keyboard search and accessibility.
            auto* info = reinterpret_cast<NMLVDISPINFOW*>(lparam);
            if ((info->item.mask & LVIF_TEXT) && info->item.pszText && info->item.cchTextMax > 0) {
                std::wstring text = m_model.cell_text(info->item.iItem, info->item.iSubItem);
                lstrcpynW(info->item.pszText, text.c_str(), info->item.cchTextMax);
            }
            result = 0;
            return true;
        }
        return false;
    }
    default:
        return false;
    }
}
