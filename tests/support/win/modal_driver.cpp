#include "support/win/modal_driver.h"

namespace test_support {

ModalDriver* ModalDriver::s_current = nullptr;

ModalDriver::ModalDriver(DWORD limit_ms, std::function<void()> give_up)
    : m_started(GetTickCount64()), m_limit_ms(limit_ms), m_give_up(std::move(give_up)), m_outer(s_current)
{
    s_current = this;
    m_timer = SetTimer(nullptr, 0, 50, &ModalDriver::tick);
}

ModalDriver::~ModalDriver()
{
    KillTimer(nullptr, m_timer);
    s_current = m_outer;
}

ModalDriver& ModalDriver::then(std::function<bool()> ready, std::function<void()> action)
{
    m_steps.push_back(Step{std::move(ready), std::move(action)});
    return *this;
}

ModalDriver& ModalDriver::then(std::function<void()> action)
{
    return then([] { return true; }, std::move(action));
}

void CALLBACK ModalDriver::tick(HWND, UINT, UINT_PTR, DWORD)
{
    if (s_current)
        s_current->run();
}

void ModalDriver::run()
{
    // An action may run a modal loop of its own, whose messages bring more ticks.
    if (m_running || finished() || m_timed_out)
        return;
    m_running = true;
    if (GetTickCount64() - m_started > m_limit_ms) {
        m_timed_out = true;
        if (m_give_up)
            m_give_up();
    } else if (m_steps[m_next].ready()) {
        m_steps[m_next++].action();
    }
    m_running = false;
}

}  // namespace test_support
