// Processes a test starts, or makes another program start: ending a started
// program with the test, and closing the Explorer windows a program opened.
#pragma once

#include <windows.h>

#include <set>
#include <string>

namespace test_support {

// Starts a program in `folder` with NUL as its standard handles, so that neither
// it nor what it starts (console commands, Explorer) holds this test's output
// open after the test has ended. False when it could not be started.
bool start_apart_from_output(const std::wstring& exe, std::wstring command_line, const std::wstring& folder,
                             PROCESS_INFORMATION& process);

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
    // Whether an Explorer process has started since construction. A test waits
    // for it before ending the program that opens it: a program ended while it
    // starts Explorer can leave one that appears only after this cleanup.
    bool any_started() const;
    ExplorersStartedMeanwhile(const ExplorersStartedMeanwhile&) = delete;
    ExplorersStartedMeanwhile& operator=(const ExplorersStartedMeanwhile&) = delete;

private:
    std::set<DWORD> m_before;
};

} // namespace test_support
