// The seven texts of the start-up diagnostics, filled once by collect_diagnostics.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One command the diagnostics ran: what, how long, how it ended.
struct CollectorRun
{
    std::wstring command;
    std::uint32_t duration_ms = 0;
    std::int64_t exit_code = -1; // -1: not started, or ended by the time bound
    bool started = false;
    bool timed_out = false;
};

struct DiagTexts
{
    std::wstring systeminfo_text;         // "systeminfo", unchanged
    std::wstring tasklist_text;           // "tasklist /v", sorted by image name
    std::wstring network_text;            // six network sections
    std::wstring security_text;           // nine security sections
    std::wstring scm_events_text;         // Service Control Manager events
    std::wstring system_events_text;      // System critical and error events
    std::wstring application_events_text; // application crash and hang events
    std::vector<CollectorRun> runs;       // every command, in the order it ran
};
