// Selects the product's events from "wevtutil qe ... /f:text" output and builds
// the content of eventlog.txt.
#pragma once

#include "diag/collect/diag_texts.h"

#include <deque>
#include <string>

// The "Event[" blocks that mention any keyword (ignoring case), concatenated in
// their order. Text before the first block is dropped; no block gives "".
std::wstring filter_events(const std::wstring& events, const std::deque<std::wstring>& keywords);

// The product's events of all three queries, then the three raw queries, as sections.
std::wstring build_eventlog_text(const std::wstring& product_name,
                                 const std::deque<std::wstring>& product_processes,
                                 const DiagTexts& texts);

// The process names joined with ", " as the sections' target line shows them.
std::wstring join_process_names(const std::deque<std::wstring>& product_processes);
