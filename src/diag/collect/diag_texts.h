// The seven texts of the start-up diagnostics, filled once by collect_diagnostics.
#pragma once

#include <string>

struct DiagTexts
{
    std::wstring systeminfo_text;         // "systeminfo", unchanged
    std::wstring tasklist_text;           // "tasklist /v", sorted by image name
    std::wstring network_text;            // six network sections
    std::wstring security_text;           // nine security sections
    std::wstring scm_events_text;         // Service Control Manager events
    std::wstring system_events_text;      // System critical and error events
    std::wstring application_events_text; // application crash and hang events
};
