// Ctrl+C and Ctrl+Break ask a console run to stop, between items as the dialog's
// stop button does. A second press ends the process at once.
#pragma once

#include <atomic>
#include <functional>

// Installs the handler for the rest of the process. `stop` is set on the first
// press, `checking` (the run's flag) is cleared, and `notice` is called from the
// handler's thread; `abandon` is called before a second press ends the process
// with `abandon_exit_status`.
void install_stop_handler(std::atomic<bool>* stop, std::atomic<bool>* checking, std::function<void()> notice,
                          std::function<void()> abandon, unsigned abandon_exit_status);

// Takes the handler away before the flags it writes go out of scope; Ctrl+C
// then ends the process as usual.
void remove_stop_handler();

// Installs on construction, removes on destruction.
class StopHandlerScope
{
public:
    StopHandlerScope(std::atomic<bool>* stop, std::atomic<bool>* checking, std::function<void()> notice,
                     std::function<void()> abandon, unsigned abandon_exit_status)
    {
        install_stop_handler(stop, checking, std::move(notice), std::move(abandon), abandon_exit_status);
    }
    ~StopHandlerScope() { remove_stop_handler(); }
    StopHandlerScope(const StopHandlerScope&) = delete;
    StopHandlerScope& operator=(const StopHandlerScope&) = delete;
};
