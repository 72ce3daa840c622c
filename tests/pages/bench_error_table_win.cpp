// Figures, not a test: how long the error-code page takes from its first
// showing until its list has painted, against the same table filled row by
// row with a repaint after every row. Run by hand under Wine with a display:
//   xvfb-run -a scripts/wine-run build/<tree>/tests/pages/bench_error_table.exe
#include "../widgets/gui_support_win.h"

#include "check/http/http_request.h"
#include "pages/diag_page_win.h"
#include "pages/list_page_plan.h"
#include "widgets/list_ctrl_win.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

double now_ms()
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : (v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2);
}

void paint_now(HWND hwnd)
{
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    GdiFlush();
}

// First showing of a new page until the list has painted.
double page_first_showing(HWND host, int& rows)
{
    auto page = std::make_unique<CDiagErrorCodeDlg>();
    page->create(host);
    RECT rc;
    GetClientRect(host, &rc);
    page->move(rc, false);
    pump_pending();
    const double start = now_ms();
    page->show(true);
    paint_now(page->hwnd());
    const double elapsed = now_ms() - start;
    rows = page->m_list.row_count();
    return elapsed;
}

// The same rows added one at a time, each painted before the next.
double row_by_row(HWND host, int& rows)
{
    RECT rc;
    GetClientRect(host, &rc);
    CSCListCtrl list;
    list.create(host, rc, 1012);
    list.set_columns(error_code_page_plan().columns);
    list.set_row_height();
    pump_pending();
    const double start = now_ms();
    for (int code = kFirstErrorCode; code <= kLastErrorCode; ++code) {
        std::wstring text = error_text(code);
        if (!error_table_keeps(text))
            continue;
        int row = list.append_row(std::to_wstring(code));
        list.set_cell_text(row, 1, text, true);
        UpdateWindow(list.hwnd());
    }
    paint_now(list.hwnd());
    const double elapsed = now_ms() - start;
    rows = list.row_count();
    return elapsed;
}

}  // namespace

int main()
{
    TestHostWindow host(L"bench_error_table", 720, 520);
    pump_pending();
    const int runs = 7;
    std::vector<double> page_times, row_times;
    int page_rows = 0, single_rows = 0;
    // The first lookup of the message tables loads them; it is reported apart.
    double cold = page_first_showing(host.hwnd(), page_rows);
    for (int i = 0; i < runs; ++i)
        page_times.push_back(page_first_showing(host.hwnd(), page_rows));
    for (int i = 0; i < runs; ++i)
        row_times.push_back(row_by_row(host.hwnd(), single_rows));
    std::printf("error-code table: %d candidate codes, %d rows (page), %d rows (row by row)\n",
                kLastErrorCode - kFirstErrorCode + 1, page_rows, single_rows);
    std::printf("first showing to painted, cold: %.1f ms\n", cold);
    std::printf("first showing to painted, median of %d: %.1f ms (min %.1f, max %.1f)\n", runs, median(page_times),
                *std::min_element(page_times.begin(), page_times.end()),
                *std::max_element(page_times.begin(), page_times.end()));
    std::printf("row by row with repainting, median of %d: %.1f ms (min %.1f, max %.1f)\n", runs, median(row_times),
                *std::min_element(row_times.begin(), row_times.end()),
                *std::max_element(row_times.begin(), row_times.end()));
    return 0;
}
