#include "check/run/item_outcome.h"

#include "check/run/check_codes.h"
#include "check/run/check_run_view.h"
#include "checklist/mask_host.h"
#include "common/format.h"

#include <algorithm>

namespace {

// A check function's own code for an item it gave up (the list says 진단 중지).
constexpr std::int32_t kCheckGaveUp = 1;

// The duration's own colour of a passed item, by its longest attempt.
OptionalColour speed_colour(std::int32_t longest_ms)
{
    if (longest_ms <= 100)
        return kColourFast;
    if (longest_ms <= 300)
        return std::nullopt; // an ordinary duration keeps the list's colour
    if (longest_ms <= 1000)
        return kColourSlowish;
    if (longest_ms <= 3000)
        return kColourSlow;
    return kColourVerySlow;
}

} // namespace

ItemOutcome outcome_of(const CCheckParam& p)
{
    ItemOutcome o;
    o.attempts = p.attempt_count;
    o.successes = p.success_count;
    o.longest_ms = p.longest_ms;
    o.total_ms = p.total_ms;
    if (p.result_code == 0) {
        const bool some_failed = p.attempt_count > 0 && p.success_count < p.attempt_count;
        o.verdict = some_failed ? ItemVerdict::unstable : ItemVerdict::passed;
        o.code = some_failed ? p.last_failure : 0;
    } else if (p.result_code == kCheckGaveUp) {
        o.verdict = ItemVerdict::stopped;
        o.code = kCheckGaveUp;
    } else {
        o.verdict = ItemVerdict::failed;
        o.code = p.result_code;
    }
    return o;
}

void mark_stopped(ItemOutcome& o)
{
    o.verdict = ItemVerdict::stopped;
    o.code = CHECK_CANCELLED;
}

AttemptTally tally_of(const ItemOutcome& o)
{
    AttemptTally t;
    t.attempts = o.attempts;
    t.successes = o.successes;
    return t;
}

std::array<std::wstring, 3> log_row_heading(const CCheckItem& item)
{
    const std::wstring category = item.title.substr(0, item.title.find(L' '));
    if (item.kind_index < 0)
        return {category, L"관리자 계정", L""};
    // "|" separates the columns of a new row: one inside an address must not shift them.
    std::wstring host = mask_host(item.host);
    std::replace(host.begin(), host.end(), L'|', L'*');
    return {category, host, format_text(L"%d", item.port)};
}

LogRowResult log_row_result(const ItemOutcome& o)
{
    LogRowResult r;
    r.duration = o.longest_ms >= 0 ? format_text(L"%dms", o.longest_ms) : std::wstring();
    switch (o.verdict) {
    case ItemVerdict::not_run:
        r.duration.clear();
        break;
    case ItemVerdict::passed:
        r.verdict = L"Ok";
        r.duration_colour = speed_colour(o.longest_ms);
        break;
    case ItemVerdict::unstable:
        r.verdict = format_text(L"Ok (%d/%d)", o.successes, o.attempts);
        r.note = format_text(L"%d", o.code);
        r.row_colour = verdict_colours(o.verdict).list;
        break;
    case ItemVerdict::stopped:
        if (o.code == kCheckGaveUp) {
            r.verdict = L"진단 중지";
            r.row_colour = kColourCancelled;
            break;
        }
        [[fallthrough]];
    case ItemVerdict::failed:
        r.verdict = L"Fail";
        r.note = format_text(L"%d", o.code);
        r.row_colour = verdict_colours(o.verdict).list;
        break;
    }
    return r;
}

std::array<std::wstring, 7> log_row_cells(const CCheckItem& item, const ItemOutcome& o)
{
    const std::array<std::wstring, 3> heading = log_row_heading(item);
    const LogRowResult result = log_row_result(o);
    return {heading[0], heading[1], heading[2], o.started, result.duration, result.verdict, result.note};
}

bool shows_failed(const ItemOutcome& o)
{
    return o.verdict == ItemVerdict::failed || (o.verdict == ItemVerdict::stopped && o.code != kCheckGaveUp);
}
