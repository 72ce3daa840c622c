#include "console/console_stop_win.h"

#include "common/log.h"

#include <windows.h>

namespace {

std::atomic<bool>* g_stop = nullptr;
std::atomic<bool>* g_checking = nullptr;
std::function<void()>* g_notice = nullptr;

BOOL WINAPI on_console_control(DWORD type)
{
    if (type != CTRL_C_EVENT && type != CTRL_BREAK_EVENT)
        return FALSE;
    if (!g_stop || g_stop->exchange(true))
        return FALSE; // the second press: the system's handling ends the process
    if (g_checking)
        *g_checking = false;
    SCLOG(0, L"stop requested (console control event %d)", static_cast<int>(type));
    if (g_notice && *g_notice)
        (*g_notice)();
    return TRUE;
}

} // namespace

void install_stop_handler(std::atomic<bool>* stop, std::atomic<bool>* checking, std::function<void()> notice)
{
    g_stop = stop;
    g_checking = checking;
    g_notice = new std::function<void()>(std::move(notice)); // lives as long as the handler
    // A process started in a new process group has Ctrl+C switched off; this
    // program honours it wherever it was started from.
    SetConsoleCtrlHandler(nullptr, FALSE);
    SetConsoleCtrlHandler(on_console_control, TRUE);
}
