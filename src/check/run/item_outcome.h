// The run's record of what happened to each check item, kept by the item (not
// by its screen row) and filled from the check function's own result. Every
// view, report and file beyond the log page's list reads it; the list's cells
// are spelled from it in one place.
#pragma once

#include "check/diagnosis/item_diagnosis.h"
#include "check/run/check_param.h"
#include "checklist/check_item.h"
#include "common/colour.h"
#include "common/item_verdict.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct ItemOutcome
{
    ItemVerdict verdict = ItemVerdict::not_run;
    // The code the row shows: the failure's, the last failed attempt's for an
    // unstable item, 90001 for the item a stop ended; 0 when passed.
    std::int32_t code = 0;
    std::int32_t attempts = 0;
    std::int32_t successes = 0;
    std::int32_t longest_ms = 0;
    std::int32_t total_ms = 0;
    std::wstring started; // as the log page's time column shows it
    std::vector<AttemptRecord> attempt_log;
    // Why a server item's server could or could not be reached; none for the
    // account item and when the diagnosis is off.
    std::optional<ItemDiagnosis> diagnosis;
};

// What a check function's record says of its item (counts, times, verdict).
ItemOutcome outcome_of(const CCheckParam& param);
// The run was stopped during this item: it shows "Fail" with 90001.
void mark_stopped(ItemOutcome& outcome);

// The attempts of an outcome, as the diagnosis's texts count them.
AttemptTally tally_of(const ItemOutcome& outcome);

// Columns 0 to 2 of an item's row: the first word of its title, then the
// masked host and the port ("관리자 계정" and no port for the account item).
std::array<std::wstring, 3> log_row_heading(const CCheckItem& item);

// Columns 4 to 6 of a finished item's row and their colours, exactly as the
// list shows them: "%dms"; "Ok", "Ok (%d/%d)" or "Fail" ("진단 중지" for a
// check's own cancel code 1); the code. An empty note leaves the cell as it is.
struct LogRowResult
{
    std::wstring duration;
    std::wstring verdict;
    std::wstring note;
    OptionalColour duration_colour; // the duration cell's own colour
    OptionalColour row_colour;      // the whole row's
};
LogRowResult log_row_result(const ItemOutcome& outcome);

// All seven cells of an item's row as the list holds them after the run.
std::array<std::wstring, 7> log_row_cells(const CCheckItem& item, const ItemOutcome& outcome);

// "Fail" on the row: failed, or ended by a stop.
bool shows_failed(const ItemOutcome& outcome);
