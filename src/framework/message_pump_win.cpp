#include "framework/message_pump_win.h"

namespace {
// Returns false when WM_QUIT arrived (it is posted again for the outer loop).
bool pump_slice(DWORD ms)
{
    DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(msg.wParam));
                return false;
            }
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        DWORD elapsed = GetTickCount() - start;
        if (elapsed >= ms)
            return true;
        // Sleeps until a message arrives or the slice ends, instead of spinning.
        MsgWaitForMultipleObjectsEx(0, nullptr, ms - elapsed, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}
} // namespace

void pump_messages_for(DWORD ms)
{
    pump_slice(ms);
}

void pump_messages_until(const std::function<bool()>& done, DWORD slice_ms)
{
    while (!done()) {
        if (!pump_slice(slice_ms)) {
            // The process is quitting; keep waiting for the worker without a loop of messages.
            MSG msg;
            while (!done()) {
                PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
                MsgWaitForMultipleObjectsEx(0, nullptr, 50, QS_SENDMESSAGE, 0);
            }
            return;
        }
    }
}
