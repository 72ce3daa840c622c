#include "widgets/widget_window_win.h"

#include <commctrl.h>

#include <mutex>

namespace {

const UINT_PTR kRepaintTimer = 0x5C17;  // the repaint pacer's wait

}  // namespace

bool CSCWidget::create(HWND parent, const RECT& rect, UINT id)
{
    if (m_hwnd)
        return false;
    static std::once_flag controls_once;
    std::call_once(controls_once, [] {
        INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
        InitCommonControlsEx(&icc);
    });
    CreateArgs args;
    args.parent = parent;
    args.class_name = class_name();
    args.style = WS_CHILD | WS_VISIBLE | create_style();
    args.rect = rect;
    args.id = static_cast<int>(id);
    return Wnd::create(args);
}

void CSCWidget::repaint_soon()
{
    if (!m_hwnd)
        return;
    const std::optional<std::uint32_t> wait = m_repaint_pacer.on_change(GetTickCount());
    if (!wait)
        return;
    if (*wait == 0 || !SetTimer(m_hwnd, kRepaintTimer, *wait, nullptr))
        repaint_tick();
}

void CSCWidget::flush_repaint()
{
    run_on_window_thread([&] {
        if (m_repaint_pacer.waiting())
            repaint_tick();
    });
}

void CSCWidget::repaint_tick()
{
    if (m_repaint_pacer.waiting())
        KillTimer(m_hwnd, kRepaintTimer);
    m_repaint_pacer.on_repaint(GetTickCount());
    on_repaint_tick();
}

void CSCWidget::on_repaint_tick()
{
    InvalidateRect(m_hwnd, nullptr, FALSE);
}

bool CSCWidget::pre_dispatch(UINT msg, WPARAM wp, LPARAM, LRESULT& result)
{
    if (msg != WM_TIMER || wp != kRepaintTimer)
        return false;
    repaint_tick();
    result = 0;
    return true;
}
