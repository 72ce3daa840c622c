// The bound of our own on a blocking attempt: a job that returns is waited for,
// one that does not is left behind at the deadline, and a job that keeps
// reporting progress (a body still arriving) is given the time it asks for.
#include "check/http/attempt_bound.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace std::chrono_literals;

namespace {

// A blocking call that returns only when the test releases it.
struct Gate
{
    std::mutex mutex;
    std::condition_variable changed;
    bool open = false;

    void wait()
    {
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait(lock, [this] { return open; });
    }
    void release()
    {
        std::lock_guard<std::mutex> lock(mutex);
        open = true;
        changed.notify_all();
    }
};

} // namespace

TEST(AttemptBound, WaitsForAJobThatReturnsAndLeavesOneThatHangs)
{
    auto quick = std::make_shared<AttemptBound>(10s);
    int result = 0;
    EXPECT_TRUE(quick->run(quick, [&result] { result = 42; }));
    EXPECT_EQ(42, result);
    EXPECT_FALSE(quick->abandoned());

    // The hanging job owns its gate and its bound; the test keeps a way to end it.
    struct Hanging
    {
        Hanging() : bound(50ms) {}
        AttemptBound bound;
        Gate gate;
        std::atomic<bool> saw_abandoned{false};
        std::atomic<bool> ended{false};
    };
    auto hanging = std::make_shared<Hanging>();
    Hanging* h = hanging.get();
    EXPECT_FALSE(h->bound.run(hanging, [h] {
        h->gate.wait();
        h->saw_abandoned = h->bound.abandoned();
        h->ended = true;
    }));
    EXPECT_TRUE(h->bound.abandoned());
    EXPECT_FALSE(h->ended);
    // Released after the caller gave up, the job still ends on its own state and
    // learns that nobody reads its outcome.
    h->gate.release();
    for (int i = 0; i < 500 && !h->ended; ++i)
        std::this_thread::sleep_for(10ms);
    EXPECT_TRUE(h->ended);
    EXPECT_TRUE(h->saw_abandoned);
}

TEST(AttemptBound, AJobThatReportsProgressIsGivenTheTimeItAsksFor)
{
    // Twelve "reads" of 20 ms each take longer than the first 100 ms, but each
    // asks for a second more before it starts.
    auto bound = std::make_shared<AttemptBound>(100ms);
    int reads = 0;
    EXPECT_TRUE(bound->run(bound, [&bound, &reads] {
        for (int i = 0; i < 12; ++i) {
            bound->allow_from_now(1s);
            std::this_thread::sleep_for(20ms);
            ++reads;
        }
    }));
    EXPECT_EQ(12, reads);
    EXPECT_FALSE(bound->abandoned());
}
