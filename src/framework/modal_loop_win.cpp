#include "framework/modal_loop_win.h"

ModalEnd run_modal_loop(const std::function<bool()>& ended, const std::function<bool(MSG&)>& pre_translate)
{
    MSG msg;
    while (!ended()) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return ModalEnd::quit;
        }
        if (got == -1)
            return ModalEnd::failed;
        if (pre_translate && pre_translate(msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return ModalEnd::ended;
}

DisabledOwner::DisabledOwner(HWND owner) : m_owner(owner), m_was_enabled(owner && IsWindowEnabled(owner))
{
    if (m_was_enabled)
        EnableWindow(m_owner, FALSE);
}

void DisabledOwner::restore()
{
    if (m_was_enabled && IsWindow(m_owner))
        EnableWindow(m_owner, TRUE);
    m_was_enabled = false;
}
