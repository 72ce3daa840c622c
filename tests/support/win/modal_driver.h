// The one way a test acts while a modal window's own loop runs on its thread:
// a timer of that thread runs the steps, each once its condition holds, in
// order. A driver that has not finished within its limit calls `give_up`,
// which must end the modal loop, so a test never hangs on a window.
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

namespace test_support {

class ModalDriver {
public:
    explicit ModalDriver(DWORD limit_ms = 20000, std::function<void()> give_up = {});
    ~ModalDriver();
    ModalDriver(const ModalDriver&) = delete;
    ModalDriver& operator=(const ModalDriver&) = delete;

    // Adds a step: `action` runs once `ready` holds (checked every 50 ms).
    ModalDriver& then(std::function<bool()> ready, std::function<void()> action);
    // A step that runs at the next tick.
    ModalDriver& then(std::function<void()> action);

    bool finished() const { return m_next == m_steps.size(); }
    bool timed_out() const { return m_timed_out; }
    // The step that runs next (the count of steps done).
    size_t step() const { return m_next; }

private:
    static void CALLBACK tick(HWND, UINT, UINT_PTR, DWORD);
    void run();

    struct Step {
        std::function<bool()> ready;
        std::function<void()> action;
    };
    std::vector<Step> m_steps;
    size_t m_next = 0;
    ULONGLONG m_started;
    DWORD m_limit_ms;
    std::function<void()> m_give_up;
    bool m_timed_out = false;
    bool m_running = false;
    UINT_PTR m_timer = 0;
    ModalDriver* m_outer;  // a driver of an enclosing window, if any
    static ModalDriver* s_current;
};

}  // namespace test_support
