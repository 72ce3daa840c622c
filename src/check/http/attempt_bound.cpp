#include "check/http/attempt_bound.h"

#include <system_error>
#include <thread>

AttemptBound::AttemptBound(Clock::duration bound) : m_deadline(Clock::now() + bound) {}

void AttemptBound::allow_from_now(Clock::duration bound)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const Clock::time_point until = Clock::now() + bound;
    if (until > m_deadline) {
        m_deadline = until;
        m_changed.notify_all();
    }
}

bool AttemptBound::abandoned() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_abandoned;
}

void AttemptBound::finish()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_done = true;
    m_changed.notify_all();
}

bool AttemptBound::run(std::shared_ptr<void> keep_alive, std::function<void()> job)
{
    try {
        std::thread([this, keep_alive, job] {
            job();
            finish();
        }).detach();
    } catch (const std::system_error&) {
        // No thread to be had: the attempt runs here, bounded only by the library.
        job();
        return true;
    }
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        if (m_done)
            return true;
        if (Clock::now() >= m_deadline) {
            m_abandoned = true;
            return false;
        }
        // Woken by the job's end or by a later deadline; a spurious wake loops.
        m_changed.wait_until(lock, m_deadline);
    }
}
