// A bound of our own on one blocking attempt. WinINet does not honour its own
// time-outs everywhere (a TLS handshake with a silent server, a connect whose
// SYNs a firewall drops), and a blocked call cannot be relied on to return when
// its handle is closed from another thread. So the attempt's blocking calls run
// on a thread of their own, and the caller waits for them at most until the
// deadline; past it, the caller goes on and the thread is left behind, owning
// everything it still touches, until its call returns.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

class AttemptBound
{
public:
    using Clock = std::chrono::steady_clock;

    // The deadline is `bound` from now.
    explicit AttemptBound(Clock::duration bound);

    // Called by the job before a blocking call that may legitimately come late
    // (the next read of a body that is still arriving): that call gets `bound`
    // from now, when this is later than the deadline.
    void allow_from_now(Clock::duration bound);
    // The caller stopped waiting: the job's results are no longer read, and
    // what it would still write (a download file) it should discard.
    bool abandoned() const;

    // Runs `job` on a thread of its own (`keep_alive` holds what it uses, this
    // bound among it) and waits until it returns or the deadline passes. True:
    // it returned, and everything it wrote may be read. False: the caller has
    // stopped waiting and the job is abandoned.
    bool run(std::shared_ptr<void> keep_alive, std::function<void()> job);

private:
    void finish();

    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    Clock::time_point m_deadline;
    bool m_done = false;
    bool m_abandoned = false;
};
