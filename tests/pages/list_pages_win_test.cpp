// The three list pages inside a stand-in of the main dialog: columns, fonts,
// stored widths, layout, keys and the error-code table.
#include "../widgets/gui_support_win.h"
#include "page_host_win.h"

#include "check/http/http_request.h"
#include "common/log.h"
#include "common/text_convert.h"
#include "framework/settings_store.h"
#include "pages/list_page_plan.h"
#include "widgets/list_model.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

namespace {

const wchar_t kApp[] = L"pages_gui_test";

void clear_settings()
{
    RegDeleteTreeW(HKEY_CURRENT_USER, (std::wstring(L"Software\\Vantu\\") + kApp).c_str());
}

std::wstring header_title(HWND list, int column)
{
    wchar_t text[128] = {};
    LVCOLUMNW lvc = {};
    lvc.mask = LVCF_TEXT;
    lvc.pszText = text;
    lvc.cchTextMax = 128;
    ListView_GetColumn(list, column, &lvc);
    return text;
}

int scaled(HWND hwnd, int pixels)
{
    return MulDiv(pixels, window_dpi(hwnd), 96);
}

std::wstring dpi_suffix(HWND hwnd)
{
    int dpi = window_dpi(hwnd);
    return dpi == 96 ? std::wstring() : L"-" + std::to_wstring(dpi) + L"dpi";
}

// The list fills its page less the margin on every side.
void expect_list_fills_page(CDiagPage& page)
{
    RECT page_client = page.client_rect();
    RECT list;
    GetWindowRect(page.m_list.hwnd(), &list);
    MapWindowPoints(nullptr, page.hwnd(), reinterpret_cast<POINT*>(&list), 2);
    const int m = scaled(page.hwnd(), 2);
    EXPECT_EQ(list.left, page_client.left + m);
    EXPECT_EQ(list.top, page_client.top + m);
    EXPECT_EQ(list.right, page_client.right - m);
    EXPECT_EQ(list.bottom, page_client.bottom - m);
}

void expect_plan(CDiagPage& page)
{
    const ListPagePlan& plan = page.plan();
    HWND list = page.m_list.hwnd();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(GetDlgCtrlID(list), 1012);
    const std::vector<ListColumn> columns = parse_list_columns(plan.columns);
    ASSERT_EQ(page.m_list.column_count(), static_cast<int>(columns.size()));
    const std::vector<int> alignments = column_alignments(plan, static_cast<int>(columns.size()));
    for (size_t i = 0; i < columns.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "column " << i);
        EXPECT_EQ(header_title(list, static_cast<int>(i)), columns[i].title);
        EXPECT_EQ(page.m_list.column_width(static_cast<int>(i)), scaled(list, columns[i].width));
        EXPECT_EQ(page.m_list.column_alignment(static_cast<int>(i)), alignments[i]);
    }
    const DWORD ex = ListView_GetExtendedListViewStyle(list);
    EXPECT_TRUE(ex & LVS_EX_FULLROWSELECT);
    EXPECT_TRUE(ex & LVS_EX_INFOTIP);
    EXPECT_TRUE(ex & LVS_EX_FLATSB);
    EXPECT_EQ(ListView_GetTextColor(list), RGB(64, 64, 64));
    EXPECT_EQ(page.m_list.row_height(), scaled(list, 26));
}

std::string read_file(const std::wstring& path)
{
    std::ifstream in(to_utf8(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

size_t count_of(const std::string& text, const std::string& part)
{
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

class ListPages : public testing::Test {
protected:
    void SetUp() override
    {
        settings_set_registry_key(L"Vantu", kApp);
        clear_settings();
    }
    void TearDown() override { clear_settings(); }

    std::unique_ptr<PageHost> open_host()
    {
        auto host = std::make_unique<PageHost>();
        EXPECT_TRUE(host->open());
        host->loop_until([] { return false; }, 100);
        return host;
    }
};

}  // namespace

TEST_F(ListPages, WithoutSettingsEachPageHasItsColumnsDefaultFontAndFillsItsArea)
{
    auto host = open_host();
    for (CDiagPage* page : {static_cast<CDiagPage*>(&host->m_log_page), static_cast<CDiagPage*>(&host->m_result_page),
                            static_cast<CDiagPage*>(&host->m_error_code_page)}) {
        SCOPED_TRACE(testing::Message() << "template " << page->plan().template_id);
        ASSERT_TRUE(page->exists());
        EXPECT_EQ(GetWindowLongPtrW(page->hwnd(), GWL_STYLE) & (WS_CHILD | WS_BORDER | WS_CAPTION), WS_CHILD);
        expect_plan(*page);
        EXPECT_EQ(page->m_list.font_name(), L"맑은 고딕");
        EXPECT_EQ(page->m_list.font_size(), 8);
        expect_list_fills_page(*page);
    }
    // One page at a time.
    EXPECT_TRUE(host->m_log_page.visible());
    EXPECT_FALSE(host->m_result_page.visible());
    EXPECT_FALSE(host->m_error_code_page.visible());
    host->select(1);
    EXPECT_FALSE(host->m_log_page.visible());
    EXPECT_TRUE(host->m_result_page.visible());

    // A larger window: every page and its list follow.
    RECT before = host->m_result_page.client_rect();
    RECT wr = host->window_rect();
    SetWindowPos(host->hwnd(), nullptr, 0, 0, wr.right - wr.left + 120, wr.bottom - wr.top + 80,
                 SWP_NOMOVE | SWP_NOZORDER);
    // The tab control keeps its template size in the program; here it grows with the window.
    HWND tab = GetDlgItem(host->hwnd(), 1011);
    RECT tr;
    GetWindowRect(tab, &tr);
    SetWindowPos(tab, nullptr, 0, 0, tr.right - tr.left + 120, tr.bottom - tr.top + 80, SWP_NOMOVE | SWP_NOZORDER);
    host->layout_pages();
    host->loop_until([] { return false; }, 50);
    RECT after = host->m_result_page.client_rect();
    EXPECT_EQ(after.right - after.left, before.right - before.left + 120);
    EXPECT_EQ(after.bottom - after.top, before.bottom - before.top + 80);
    for (CDiagPage* page : {static_cast<CDiagPage*>(&host->m_log_page), static_cast<CDiagPage*>(&host->m_result_page),
                            static_cast<CDiagPage*>(&host->m_error_code_page)})
        expect_list_fills_page(*page);
}

TEST_F(ListPages, StoredFontsAndWidthsApplyAndOnlyPositiveWidthsCount)
{
    const std::wstring long_face = L"NanumGothic Extra Long Face Name For Tests";
    ASSERT_GT(long_face.size(), 31u);
    settings_set_string(L"list log", L"font name", long_face);
    settings_set_int(L"list log", L"font size", -2);
    settings_set_int(L"list result", L"font size", 11);
    settings_set_string(L"list result", L"font name", L"");
    const std::wstring widths = L"CDiagLogDlg list log\\column width";
    settings_set_int(widths, L"0", 0);
    settings_set_int(widths, L"1", -40);
    settings_set_int(widths, L"2", 99);
    // Another page's entry is not this page's.
    settings_set_int(L"CDiagErrorCodeDlg list log\\column width", L"1", 321);

    auto host = open_host();
    CSCListCtrl& log = host->m_log_page.m_list;
    EXPECT_EQ(log.font_name(), long_face.substr(0, 31));
    EXPECT_EQ(log.font_size(), 8);
    EXPECT_EQ(log.column_width(0), scaled(log.hwnd(), 56));
    EXPECT_EQ(log.column_width(1), scaled(log.hwnd(), 200));
    EXPECT_EQ(log.column_width(2), 99);
    EXPECT_EQ(log.column_width(3), scaled(log.hwnd(), 65));

    // The error-code page reads the log page's font but its own widths.
    CSCListCtrl& codes = host->m_error_code_page.m_list;
    EXPECT_EQ(codes.font_name(), long_face.substr(0, 31));
    EXPECT_EQ(codes.column_width(0), scaled(codes.hwnd(), 80));
    EXPECT_EQ(codes.column_width(1), 321);

    // An empty name keeps the list's own font; the size still applies.
    CSCListCtrl& result = host->m_result_page.m_list;
    EXPECT_EQ(result.font_size(), 11);
    EXPECT_EQ(result.font_name(), L"맑은 고딕");
}

TEST_F(ListPages, OnlyTheResultPageWritesItsWidthsWhenDestroyed)
{
    auto host = open_host();
    ListView_SetColumnWidth(host->m_result_page.m_list.hwnd(), 1, 150);
    ListView_SetColumnWidth(host->m_log_page.m_list.hwnd(), 3, 77);
    const int first = host->m_result_page.m_list.column_width(0);
    const int third = host->m_result_page.m_list.column_width(2);
    EXPECT_EQ(settings_get_int(L"CDiagResultDlg list result\\column width", L"1", -1), -1);

    host->destroy();
    EXPECT_FALSE(host->m_result_page.exists());
    EXPECT_EQ(settings_get_int(L"CDiagResultDlg list result\\column width", L"0", -1), first);
    EXPECT_EQ(settings_get_int(L"CDiagResultDlg list result\\column width", L"1", -1), 150);
    EXPECT_EQ(settings_get_int(L"CDiagResultDlg list result\\column width", L"2", -1), third);
    EXPECT_EQ(settings_get_int(L"CDiagLogDlg list log\\column width", L"3", -1), -1);
    EXPECT_EQ(settings_get_int(L"CDiagErrorCodeDlg list log\\column width", L"0", -1), -1);

    // The next start shows the kept widths.
    host = open_host();
    EXPECT_EQ(host->m_result_page.m_list.column_width(1), 150);

    // A page object that goes away before its window keeps them too.
    ListView_SetColumnWidth(host->m_result_page.m_list.hwnd(), 2, 222);
    host.reset();
    EXPECT_EQ(settings_get_int(L"CDiagResultDlg list result\\column width", L"2", -1), 222);
}

TEST_F(ListPages, EnterAndEscapeInTheLogPageDoNothing)
{
    auto host = open_host();
    HWND log = host->m_log_page.m_list.hwnd();
    SetFocus(log);
    for (WPARAM key : {static_cast<WPARAM>(VK_RETURN), static_cast<WPARAM>(VK_ESCAPE)}) {
        PostMessageW(log, WM_KEYDOWN, key, 1);
        PostMessageW(log, WM_KEYUP, key, 0xC0000001);
    }
    PostMessageW(log, WM_NULL, 0, 0);
    host->loop_until([] { return false; }, 300);
    EXPECT_EQ(host->m_ok_commands, 0);
    EXPECT_EQ(host->m_cancel_commands, 0);

    // The other pages leave the keys to the dialog.
    host->select(1);
    HWND result = host->m_result_page.m_list.hwnd();
    SetFocus(result);
    PostMessageW(result, WM_KEYDOWN, VK_RETURN, 1);
    EXPECT_TRUE(host->loop_until([&] { return host->m_ok_commands == 1; }, 5000));
    PostMessageW(result, WM_KEYDOWN, VK_ESCAPE, 1);
    EXPECT_TRUE(host->loop_until([&] { return host->m_cancel_commands == 1; }, 5000));
}

TEST_F(ListPages, ErrorCodeTableIsBuiltOnFirstShowingOnly)
{
    // The page's log lines go to a file of this test.
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"pages_gui_test_log";
    CreateDirectoryW(folder.c_str(), nullptr);
    ASSERT_NE(g_log, nullptr);
    const std::wstring old_folder = g_log->m_folder, old_base = g_log->m_base_name;
    g_log->m_folder = folder;
    // A name of this run: an earlier run's lines stay out of the count.
    g_log->m_base_name = L"error_table_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
                         std::to_wstring(GetTickCount64());

    auto host = open_host();
    CDiagErrorCodeDlg& page = host->m_error_code_page;
    CSCListCtrl& list = page.m_list;
    EXPECT_FALSE(page.table_loaded());
    EXPECT_EQ(list.row_count(), 0);

    host->select(2);
    EXPECT_TRUE(page.table_loaded());
    int expected = 0;
    int missing_code = 0;
    for (int code = kFirstErrorCode; code <= kLastErrorCode; ++code) {
        if (error_table_keeps(error_text(code)))
            ++expected;
        else if (!missing_code)
            missing_code = code;
    }
    ASSERT_GT(expected, 100);
    ASSERT_EQ(list.row_count(), expected);
    EXPECT_FALSE(list.filling());

    bool found_12002 = false;
    int previous = 0;
    for (int row = 0; row < list.row_count(); ++row) {
        const int code = std::stoi(list.cell_text(row, 0));
        const std::wstring text = list.cell_text(row, 1);
        EXPECT_GT(code, previous);
        previous = code;
        EXPECT_TRUE(error_table_keeps(text)) << code;
        EXPECT_NE(code, missing_code);
        // Trimmed at both ends.
        EXPECT_EQ(std::wstring(L" \t\r\n").find(text.front()), std::wstring::npos) << code;
        EXPECT_EQ(std::wstring(L" \t\r\n").find(text.back()), std::wstring::npos) << code;
        if (code == 12002) {
            found_12002 = true;
            EXPECT_EQ(text, error_text(12002));
            EXPECT_FALSE(text.empty());
        }
    }
    EXPECT_TRUE(found_12002);
    // Some codes have no text and stay out of the table.
    EXPECT_NE(missing_code, 0);
    EXPECT_LT(expected, kLastErrorCode - kFirstErrorCode + 1);

    // Showing it again neither rebuilds nor adds rows.
    list.set_cell_text(0, 1, L"marker");
    host->select(0);
    host->select(2);
    host->loop_until([] { return false; }, 100);
    EXPECT_EQ(list.row_count(), expected);
    EXPECT_EQ(list.cell_text(0, 1), L"marker");

    const std::string log = read_file(g_log->get_log_path());
    EXPECT_EQ(count_of(log, to_utf8(L"load_error_table 시작")), 1u);
    EXPECT_EQ(count_of(log, to_utf8(L"load_error_table : " + std::to_wstring(expected) + L" 행 삽입 완료(그리기 전)")),
              1u);
    EXPECT_EQ(count_of(log, to_utf8(L"load_error_table 완료")), 1u);
    EXPECT_EQ(count_of(log, "[CDiagErrorCodeDlg::load_error_table]"), 3u);

    g_log->m_folder = old_folder;
    g_log->m_base_name = old_base;
}

TEST_F(ListPages, TimerZeroOnTheErrorCodePageBuildsTheTableOnce)
{
    auto host = open_host();
    CDiagErrorCodeDlg& page = host->m_error_code_page;
    ASSERT_FALSE(page.table_loaded());
    ASSERT_NE(::SetTimer(page.hwnd(), 0, 10, nullptr), 0u);
    ASSERT_TRUE(host->loop_until([&] { return page.table_loaded(); }, 10000));
    const int rows = page.m_list.row_count();
    EXPECT_GT(rows, 100);
    // The timer is gone: nothing rebuilds the table afterwards.
    page.m_list.set_cell_text(0, 1, L"marker");
    host->loop_until([] { return false; }, 300);
    EXPECT_EQ(page.m_list.cell_text(0, 1), L"marker");
    // Showing the page later does not build it again.
    host->select(2);
    EXPECT_EQ(page.m_list.row_count(), rows);
    EXPECT_EQ(page.m_list.cell_text(0, 1), L"marker");
}

TEST_F(ListPages, Screenshots)
{
    auto host = open_host();
    CSCListCtrl& log = host->m_log_page.m_list;
    const wchar_t* rows[] = {L"계정|관리자 권한|0", L"API 서버|api.v*****.co.kr|443", L"게이트웨이|gw1.v*****.co.kr|7001",
                             L"스트리밍|st1.v*****.co.kr|7010", L"웹 서버|www.v*****.co.kr|80"};
    for (const wchar_t* row : rows)
        log.add_row_from_text(-1, row);
    const wchar_t* times[] = {L"00:41:02", L"00:41:03", L"00:41:05", L"00:41:06", L"00:41:09"};
    for (int r = 0; r < 5; ++r) {
        log.set_cell_text(r, 3, times[r]);
        log.set_cell_text(r, 4, std::to_wstring(12 + r * 37) + L"ms");
        log.set_cell_text(r, 5, r == 2 ? L"Fail" : L"Ok (3/3)");
    }
    log.set_row_colour(2, 0xFFB22222u);
    host->loop_until([] { return false; }, 200);
    EXPECT_TRUE(save_screenshot(host->hwnd(), L"pages-log" + dpi_suffix(host->hwnd())));

    host->select(1);
    CSCListCtrl& result = host->m_result_page.m_list;
    result.add_row_from_text(-1, L"실패|게이트웨이|gw1.v*****.co.kr:7001 (90103 서버에 연결할 수 없습니다.) 3회 모두 실패");
    result.add_row_from_text(-1, L"불안정|웹 서버|www.v*****.co.kr:80 (12002 The operation timed out) 1회 실패");
    result.set_cell_colour(0, 0, 0xFFB22222u);
    result.set_cell_colour(1, 0, 0xFFA0522Du);
    host->loop_until([] { return false; }, 200);
    EXPECT_TRUE(save_screenshot(host->hwnd(), L"pages-result" + dpi_suffix(host->hwnd())));

    host->select(2);
    const int row_12002 = [&] {
        for (int r = 0; r < host->m_error_code_page.m_list.row_count(); ++r)
            if (host->m_error_code_page.m_list.cell_text(r, 0) == L"12002")
                return r;
        return 0;
    }();
    ListView_EnsureVisible(host->m_error_code_page.m_list.hwnd(), row_12002, FALSE);
    host->loop_until([] { return false; }, 200);
    EXPECT_TRUE(save_screenshot(host->hwnd(), L"pages-error-code" + dpi_suffix(host->hwnd())));
}
