// Prints how long the list takes to take 12,075 rows with redrawing suspended
// (bulk filling) and row by row with a repaint after each, and how long one
// screenful paints. Figures only; not a test.
#include "gui_support_win.h"

#include "widgets/list_ctrl_win.h"

#include <chrono>
#include <cstdio>

namespace {

double elapsed_ms(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main()
{
    TestHostWindow host(L"fill benchmark", 640, 480);
    RECT rect = {8, 8, 620, 440};
    CSCListCtrl list;
    if (!list.create(host.hwnd(), rect, 1012))
        return 1;
    list.set_columns(L"에러 코드,80;설명,400");
    const int rows = 12075;

    auto start = std::chrono::steady_clock::now();
    list.begin_fill();
    for (int code = 0; code < rows; ++code) {
        int row = list.append_row(std::to_wstring(100 + code));
        list.set_cell_text(row, 1, L"시스템 메시지 " + std::to_wstring(code));
    }
    list.end_fill();
    UpdateWindow(list.hwnd());
    std::printf("bulk fill of %d rows: %.1f ms\n", rows, elapsed_ms(start));

    list.clear();
    start = std::chrono::steady_clock::now();
    const int single = 300;
    for (int code = 0; code < single; ++code) {
        int row = list.append_row(std::to_wstring(100 + code));
        list.set_cell_text(row, 1, L"시스템 메시지 " + std::to_wstring(code));
        UpdateWindow(list.hwnd());
    }
    std::printf("row by row with repaint, %d rows: %.1f ms\n", single, elapsed_ms(start));

    start = std::chrono::steady_clock::now();
    const int paints = 50;
    for (int i = 0; i < paints; ++i)
        RedrawWindow(list.hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    std::printf("full repaint: %.2f ms each\n", elapsed_ms(start) / paints);
    return 0;
}
