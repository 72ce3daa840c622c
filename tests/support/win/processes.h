// Processes a test starts, or makes another program start: ending a started
// program with the test, and closing the Explorer windows a program opened.
#pragma once

#include <windows.h>

#include <set>

namespace test_support {

// Ends the process if it still runs, waits up to 10 s for it and closes both
// handles; does nothing when it was never started.
void end_process(PROCESS_INFORMATION& process);

// Explorer processes, by id.
std::set<DWORD> explorer_processes();

// Ends, on destruction, every Explorer process started during its life: the
// dialog program opens one on the archive it saved, which would hold the test's
// output open. Wine's desktop, an Explorer process too, stays.
class ExplorersStartedMeanwhile {
public:
    ExplorersStartedMeanwhile();
    ~ExplorersStartedMeanwhile();
    ExplorersStartedMeanwhile(const ExplorersStartedMeanwhile&) = delete;
    ExplorersStartedMeanwhile& operator=(const ExplorersStartedMeanwhile&) = delete;

private:
    std::set<DWORD> m_before;
};

} // namespace test_support
