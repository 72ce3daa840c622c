#include "console/console_stop_win.h"

#include "common/log.h"

#include <windows.h>

#include <mutex>

namespace {

std::atomic<bool>* g_stop = nullptr;
std::atomic<bool>* g_checking = nullptr;
std::function<void()>* g_notice = nullptr;
std::function<void()>* g_abandon = nullptr;
unsigned g_exit_status = 3;
// Held by the handler while it runs, so that removal waits for it.
std::mutex g_handler_lock;

BOOL WINAPI on_console_control(DWORD type)
{
    if (type != CTRL_C_EVENT && type != CTRL_BREAK_EVENT)
        return FALSE;
    std::lock_guard<std::mutex> hold(g_handler_lock);
    if (!g_stop)
        return FALSE;
    if (g_stop->exchange(true)) {
        // The second press ends the process at once. Not through the system's
        // handling: its exit code differs between systems (0 under Wine), and a
        // tool must not read an abandoned run as one that passed.
        SCLOG(0, L"second stop request: the process ends");
        if (g_abandon && *g_abandon)
            (*g_abandon)();
        ExitProcess(g_exit_status);
    }
    if (g_checking)
        *g_checking = false;
    SCLOG(0, L"stop requested (console control event %d)", static_cast<int>(type));
    if (g_notice && *g_notice)
        (*g_notice)();
    return TRUE;
}

} // namespace

void install_stop_handler(std::atomic<bool>* stop, std::atomic<bool>* checking, std::function<void()> notice,
                          std::function<void()> abandon, unsigned abandon_exit_status)
{
    std::lock_guard<std::mutex> hold(g_handler_lock);
    g_exit_status = abandon_exit_status;
    g_stop = stop;
    g_checking = checking;
    delete g_notice;
    delete g_abandon;
    g_notice = new std::function<void()>(std::move(notice));
    g_abandon = new std::function<void()>(std::move(abandon));
    // A process started in a new process group has Ctrl+C switched off; this
    // program honours it wherever it was started from.
    SetConsoleCtrlHandler(nullptr, FALSE);
    SetConsoleCtrlHandler(on_console_control, TRUE);
}

void remove_stop_handler()
{
    SetConsoleCtrlHandler(on_console_control, FALSE);
    std::lock_guard<std::mutex> hold(g_handler_lock);
    g_stop = nullptr;
    g_checking = nullptr;
    delete g_notice;
    delete g_abandon;
    g_notice = nullptr;
    g_abandon = nullptr;
}
