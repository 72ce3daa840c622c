#include "gui_support_win.h"

#include "framework/settings_store.h"
#include "widgets/list_ctrl_win.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

const wchar_t kLogColumns[] = L"구분,56;진단 대상,200;포트,45;진단 시각,65;시간,70;결과,60;비고,70";

class ListCtrlTest : public testing::Test {
protected:
    void SetUp() override
    {
        settings_set_registry_key(L"Vantu", L"WidgetsListTest");
        RegDeleteTreeW(HKEY_CURRENT_USER, settings_root_path().c_str());
        m_host = std::make_unique<TestHostWindow>(L"CSCListCtrl", 640, 360);
        RECT client;
        GetClientRect(m_host->hwnd(), &client);
        InflateRect(&client, -8, -8);
        ASSERT_TRUE(m_list.create(m_host->hwnd(), client, 1012));
    }

    void TearDown() override
    {
        m_list.detach();
        m_host.reset();
        RegDeleteTreeW(HKEY_CURRENT_USER, settings_root_path().c_str());
    }

    void set_up_like_the_log_page()
    {
        ASSERT_EQ(m_list.set_columns(kLogColumns), 7);
        m_list.set_font_name(L"맑은 고딕");
        m_list.set_font_size(9);
        m_list.set_row_height();
        m_list.set_text_colour(RGB(64, 64, 64));
        m_list.use_lowered_second_row_colour();
        m_list.set_column_alignment(-1, 2);
        m_list.set_column_alignment(1, 0);
        m_list.set_column_alignment(2, 1);
        m_list.set_column_alignment(4, 1);
    }

    std::unique_ptr<TestHostWindow> m_host;
    CSCListCtrl m_list;
};

}  // namespace

TEST_F(ListCtrlTest, ColumnsAlignmentFontAndRowHeight)
{
    set_up_like_the_log_page();
    EXPECT_EQ(m_list.column_count(), 7);
    EXPECT_EQ(m_list.column_width(0), 56);
    EXPECT_EQ(m_list.column_width(1), 200);
    EXPECT_EQ(m_list.column_alignment(0), 2);
    EXPECT_EQ(m_list.column_alignment(1), 0);
    EXPECT_EQ(m_list.column_alignment(4), 1);
    m_list.set_column_alignment(7, 1);  // beyond the last column: nothing changes
    const int expected[7] = {2, 0, 1, 2, 1, 2, 2};
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(m_list.column_alignment(i), expected[i]) << "column " << i;

    HWND header = ListView_GetHeader(m_list.hwnd());
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(Header_GetItemCount(header), 7);
    HDITEMW hdi = {};
    hdi.mask = HDI_FORMAT;
    Header_GetItem(header, 0, &hdi);
    EXPECT_EQ(hdi.fmt & HDF_JUSTIFYMASK, HDF_CENTER);

    LOGFONTW lf = {};
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(m_list.hwnd(), WM_GETFONT, 0, 0));
    ASSERT_TRUE(GetObjectW(font, sizeof(lf), &lf));
    EXPECT_STREQ(lf.lfFaceName, L"맑은 고딕");
    EXPECT_EQ(lf.lfHeight, -MulDiv(9, window_dpi(m_list.hwnd()), 72));

    m_list.append_row(L"first");
    m_list.append_row(L"second");
    RECT row = {};
    row.left = LVIR_BOUNDS;
    ASSERT_TRUE(SendMessageW(m_list.hwnd(), LVM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&row)));
    EXPECT_EQ(row.bottom - row.top, MulDiv(26, window_dpi(m_list.hwnd()), 96));
}

TEST_F(ListCtrlTest, HeaderIsDrawnFlatInTheLibrarysColoursAndHeight)
{
    set_up_like_the_log_page();
    HWND header = ListView_GetHeader(m_list.hwnd());
    ASSERT_NE(header, nullptr);
    const int dpi = window_dpi(m_list.hwnd());
    RECT header_rect;
    GetWindowRect(header, &header_rect);
    EXPECT_EQ(header_rect.bottom - header_rect.top, MulDiv(28, dpi, 96));
    // Rows start below it.
    m_list.append_row(L"first");
    RECT row = {};
    row.left = LVIR_BOUNDS;
    ASSERT_TRUE(SendMessageW(m_list.hwnd(), LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row)));
    EXPECT_GE(row.top, header_rect.bottom - header_rect.top);

    // Flat: the padding of a title shows the header colour, the bottom edge a line.
    ClientCapture capture(header);
    EXPECT_EQ(capture.pixel(2, 3), 0xE4E9F0u);
    EXPECT_EQ(capture.pixel(2, capture.height() - 1), 0xC8CFD9u);
    m_list.header().set_colours(RGB(255, 0, 0), RGB(0, 0, 0), RGB(0, 0, 255));
    ClientCapture recoloured(header);
    EXPECT_EQ(recoloured.pixel(2, 3), 0xFF0000u);
    save_screenshot(m_list.hwnd(), L"list_header");
}

TEST_F(ListCtrlTest, WorkerThreadWritesRowsAndCellsWhileTheListPaints)
{
    set_up_like_the_log_page();
    m_list.set_no_rows_text(L"진단 항목이 없습니다.", 9, 0xFF696969);
    ASSERT_TRUE(wait_until([&] { return IsWindowVisible(m_list.hwnd()) != FALSE; }));
    save_screenshot(m_host->hwnd(), L"list_no_rows");

    const int rows = 40;
    std::atomic<bool> done{false};
    std::thread worker([&] {
        for (int i = 0; i < rows; ++i) {
            int row = m_list.add_row_from_text(-1, L"세션|relay" + std::to_wstring(i) + L".vantu.example|7002", L'|');
            m_list.set_cell_text(row, 3, L"12:00:0" + std::to_wstring(i % 10));
        }
        for (int i = 0; i < rows; ++i) {
            m_list.set_cell_text(i, 4, std::to_wstring(10 * i) + L"ms");
            m_list.set_cell_colour(i, 4, i % 2 ? 0x007F00 : 0x00008B);
            m_list.set_cell_text(i, 5, i % 3 ? L"Ok (3/3)" : L"Fail");
            if (i % 3 == 0)
                m_list.set_row_colour(i, 0xFFB22222);
        }
        done = true;
    });
    // The list keeps painting while the worker writes.
    int paints = 0;
    bool finished = wait_until([&] {
        RedrawWindow(m_list.hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        ++paints;
        return done.load();
    }, 30000);
    worker.join();
    ASSERT_TRUE(finished);
    EXPECT_GT(paints, 0);

    EXPECT_EQ(m_list.row_count(), rows);
    EXPECT_EQ(ListView_GetItemCount(m_list.hwnd()), rows);
    EXPECT_EQ(m_list.cell_text(7, 1), L"relay7.vantu.example");
    EXPECT_EQ(m_list.cell_text(7, 2), L"7002");
    EXPECT_EQ(m_list.cell_text(7, 4), L"70ms");
    EXPECT_EQ(m_list.cell_text(7, 5), L"Ok (3/3)");
    EXPECT_EQ(m_list.cell_colour(7, 4), 0x007F00u);
    EXPECT_EQ(m_list.cell_colour(9, 0), 0xFFB22222u);
    EXPECT_EQ(m_list.cell_colour(7, 0), std::nullopt);

    // A cell of a row that does not exist is left alone.
    m_list.set_cell_text(rows + 5, 1, L"nowhere");
    EXPECT_EQ(m_list.row_count(), rows);

    save_screenshot(m_host->hwnd(), L"list_rows");
}

TEST_F(ListCtrlTest, StoredWidthsOfZeroOrBelowKeepTheDefault)
{
    ASSERT_EQ(m_list.set_columns(L"결과,56;구분,100;내용,400"), 3);
    const std::wstring section = L"CDiagResultDlg list result";
    ASSERT_TRUE(settings_set_int(section + L"\\column width", L"0", 0));
    ASSERT_TRUE(settings_set_int(section + L"\\column width", L"1", -20));
    ASSERT_TRUE(settings_set_int(section + L"\\column width", L"2", 333));
    m_list.load_column_widths(section);
    EXPECT_EQ(m_list.column_width(0), 56);
    EXPECT_EQ(m_list.column_width(1), 100);
    EXPECT_EQ(m_list.column_width(2), 333);

    ListView_SetColumnWidth(m_list.hwnd(), 0, 77);
    m_list.save_column_widths(section);
    EXPECT_EQ(settings_get_int(section + L"\\column width", L"0", -1), 77);
    EXPECT_EQ(settings_get_int(section + L"\\column width", L"1", -1), 100);
    EXPECT_EQ(settings_get_int(section + L"\\column width", L"2", -1), 333);

    // Another list reading the same section takes the saved widths.
    CSCListCtrl other;
    RECT rect = {8, 8, 300, 200};
    ASSERT_TRUE(other.create(m_host->hwnd(), rect, 1013));
    other.set_columns(L"결과,56;구분,100;내용,400");
    other.load_column_widths(section);
    EXPECT_EQ(other.column_width(0), 77);
    // A section with nothing stored keeps the column text's widths.
    other.load_column_widths(L"nothing stored");
    EXPECT_EQ(other.column_width(1), 100);
}

TEST_F(ListCtrlTest, BulkFillingPublishesTheCountOnce)
{
    m_list.set_columns(L"에러 코드,80;설명,400");
    m_list.set_column_alignment(0, 2);
    m_list.begin_fill();
    for (int code = 100; code < 1100; ++code) {
        int row = m_list.append_row(std::to_wstring(code));
        m_list.set_cell_text(row, 1, L"설명 " + std::to_wstring(code));
    }
    EXPECT_TRUE(m_list.filling());
    EXPECT_EQ(ListView_GetItemCount(m_list.hwnd()), 0);
    m_list.end_fill();
    EXPECT_FALSE(m_list.filling());
    EXPECT_EQ(ListView_GetItemCount(m_list.hwnd()), 1000);
    EXPECT_EQ(m_list.cell_text(999, 1), L"설명 1099");
    pump_pending();
    save_screenshot(m_host->hwnd(), L"list_error_codes");

    m_list.clear();
    EXPECT_EQ(m_list.row_count(), 0);
    EXPECT_EQ(ListView_GetItemCount(m_list.hwnd()), 0);
}

// A worker's quick succession of changes is painted together: the scroll it
// asked for and the rows it changed come with the next repaint, which the
// window's own timer brings without anyone flushing.
TEST_F(ListCtrlTest, ScrollAndRowChangesFromAWorkerArriveWithTheNextRepaint)
{
    set_up_like_the_log_page();
    m_list.begin_fill();
    for (int i = 0; i < 200; ++i)
        m_list.add_row_from_text(-1, L"세션|relay" + std::to_wstring(i) + L".vantu.example|7002", L'|');
    m_list.end_fill();
    ASSERT_TRUE(wait_until([&] { return IsWindowVisible(m_list.hwnd()) != FALSE; }));
    EXPECT_EQ(0, ListView_GetTopIndex(m_list.hwnd()));

    std::atomic<bool> done{false};
    std::thread worker([&] {
        for (int i = 0; i < 200; ++i) {
            m_list.ensure_visible(i);
            m_list.set_cell_text(i, 5, L"Ok");
        }
        done = true;
    });
    // The worker's calls run on this thread: it dispatches while it waits.
    const bool finished = wait_until([&] { return done.load(); }, 30000);
    worker.join();
    ASSERT_TRUE(finished);
    const auto last_row_shown = [&] {
        const int top = ListView_GetTopIndex(m_list.hwnd());
        return top + ListView_GetCountPerPage(m_list.hwnd()) >= 200;
    };
    EXPECT_TRUE(wait_until(last_row_shown, 5000)) << "top row " << ListView_GetTopIndex(m_list.hwnd());
    EXPECT_EQ(L"Ok", m_list.cell_text(199, 5));
    save_screenshot(m_host->hwnd(), L"list_scrolled_by_worker");
}

TEST_F(ListCtrlTest, AWorkersChangesKeepTheirOrderAndItWaitsWhenFarAhead)
{
    set_up_like_the_log_page();
    m_list.add_row_from_text(-1, L"세션|relay.vantu.example|7002", L'|');
    std::atomic<int> made{0};
    std::atomic<bool> done{false};
    std::wstring read_back;
    std::thread worker([&] {
        for (int i = 0; i < 1000; ++i) {
            m_list.set_cell_text(0, 5, std::to_wstring(i));
            ++made;
        }
        read_back = m_list.cell_text(0, 5); // answered after every change made before it
        done = true;
    });
    // This thread runs none of its messages for half a second: the worker does
    // not go on queueing without end, it waits for this thread.
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < 500 && made.load() < 1000)
        std::this_thread::yield();
    EXPECT_LT(made.load(), 1000);

    EXPECT_TRUE(wait_until([&] { return done.load(); }, 30000));
    worker.join();
    EXPECT_EQ(read_back, L"999");
    EXPECT_EQ(m_list.cell_text(0, 5), L"999");
    EXPECT_EQ(m_list.cell_text(0, 1), L"relay.vantu.example");
}
