#include "check/run/check_run.h"

#include <algorithm>

#include "check/channel/blastsock.h"
#include "check/diagnosis/cause_line.h"
#include "check/run/admin_check.h"
#include "check/run/check_codes.h"
#include "checklist/documents_folder.h"
#include "checklist/mask_host.h"
#include "common/date_time.h"
#include "common/format.h"
#include "common/log.h"

namespace {

// " (%d/%d)" for groups of more than one item.
std::wstring group_counter(int done, int count)
{
    return count > 1 ? format_text(L" (%d/%d)", done, count) : std::wstring();
}

CheckRunView* or_null_view(CheckRunView* view)
{
    // Stands in when the run has no view, so that a run never dereferences null.
    static QuietCheckRunView null_view;
    return view ? view : &null_view;
}

} // namespace

CCheckRun::CCheckRun(CheckRunView* view) : m_server_kinds(default_server_kinds()), m_view(or_null_view(view)) {}

void CCheckRun::set_view(CheckRunView* view)
{
    m_view = or_null_view(view);
}

InitCheckListResult CCheckRun::init_check_list(std::string_view body_utf8, const std::wstring& shown_text)
{
    // The log names the step as the dialog's, where the log's readers know it.
    static const wchar_t kLoggedName[] = L"CMarloCheckToolDlg::init_check_list";
    SCLOG_AS(kLoggedName, 0, L"%s", kLoggedName);
    InitCheckListResult result;

    m_check_groups.clear();
    m_view->clear_log_rows();

    const std::wstring documents = m_documents_folder.empty() ? user_documents_folder() : m_documents_folder;
    CheckListParseResult parsed = parse_check_list(body_utf8, shown_text, m_server_kinds, documents);
    m_product_paths = parsed.product_paths;
    m_log_paths = parsed.log_paths;
    m_tls_issuers = parsed.tls_issuers;
    if (!parsed.ok) {
        if (parsed.error == CheckListError::invalid_json)
            SCLOG_AS(kLoggedName, 3, L"%s", parsed.message.c_str());
        result.error = parsed.error;
        result.message = parsed.message;
        // The account item stays, as the list is built before the document is read.
        m_check_groups.push_back(std::move(parsed.groups.front()));
        m_check_groups.front().front().check = &CCheckRun::check_administrator;
        return result;
    }

    m_check_groups = std::move(parsed.groups);
    m_check_groups.front().front().check = &CCheckRun::check_administrator;
    for (size_t g = 1; g < m_check_groups.size(); ++g) {
        for (CCheckItem& item : m_check_groups[g])
            item.check = [](CCheckRun& run, CCheckParam& param) { return run.check_server(param); };
    }

    m_current_step = -1;
    m_view->set_current_step(-1);
    m_view->set_step_count(static_cast<int>(m_check_groups.size()));
    int total = 0;
    for (size_t g = 0; g < m_check_groups.size(); ++g) {
        m_view->set_step_text(static_cast<int>(g), m_check_groups[g].front().title + L" 체크", std::nullopt);
        m_view->set_step_colour(static_cast<int>(g), std::nullopt);
        total += static_cast<int>(m_check_groups[g].size());
    }
    m_view->set_progress_range(0, total);

    reset_check_list_view();

    reset_outcomes();
    SCLOG_AS(kLoggedName, 0, L"%s finished.", kLoggedName);
    result.ok = true;
    return result;
}

void CCheckRun::reset_check_list_view()
{
    m_view->clear_log_rows();
    m_view->begin_log_rows();
    for (size_t g = 0; g < m_check_groups.size(); ++g) {
        for (CCheckItem& item : m_check_groups[g]) {
            const std::array<std::wstring, 3> heading = log_row_heading(item);
            const std::wstring row_text = item.kind_index < 0 ? heading[0] + L"|" + heading[1]
                                                              : heading[0] + L"|" + heading[1] + L"|" + heading[2];
            item.list_row = m_view->add_log_row(row_text);
        }
    }
    m_view->refresh_log_rows();
}

int CCheckRun::update_check_list_before_start(int g, int i)
{
    const CCheckItem item = m_check_groups[g][i];
    const std::wstring masked = mask_host(item.host);
    const int count = static_cast<int>(m_check_groups[g].size());

    m_current_step = g;
    m_view->set_current_step(g);
    const std::wstring text = count == 1 ? format_text(L"%s 체크중", item.title.c_str())
                                         : format_text(L"%s 체크중 (%d/%d)", item.title.c_str(), i + 1, count);
    m_view->set_step_text(g, text, std::nullopt);

    const int row = item.list_row;
    const std::wstring started = m_now_text ? m_now_text() : now_text();
    change_outcome(g, i, [&](ItemOutcome& o) { o.started = started; });
    m_view->set_log_cell(row, LOG_COL_TIME, started);
    m_view->ensure_log_row_visible(row);

    SCLOG(1, L"%s(%s:%d)...", item.title.c_str(), masked.c_str(), item.port);
    return row;
}

void CCheckRun::show_result(int row, const CCheckParam& p)
{
    const LogRowResult r = log_row_result(outcome_of(p));
    m_view->set_log_cell(row, LOG_COL_DURATION, r.duration);
    m_view->set_log_cell(row, LOG_COL_RESULT, r.verdict);
    if (!r.note.empty())
        m_view->set_log_cell(row, LOG_COL_NOTE, r.note);
    if (r.duration_colour)
        m_view->set_log_cell_text_colour(row, LOG_COL_DURATION, *r.duration_colour);
    if (r.row_colour)
        m_view->set_log_row_text_colour(row, *r.row_colour);
}

void CCheckRun::show_group_done(int g, bool all_passed)
{
    const int count = static_cast<int>(m_check_groups[g].size());
    const std::wstring text = m_check_groups[g].front().title + (all_passed ? L" 체크 완료" : L" 체크 실패") +
                              group_counter(count, count);
    const OptionalColour colour = all_passed ? std::nullopt : verdict_colours(ItemVerdict::failed).list;
    m_view->set_step_text(g, text, colour);
    m_view->set_step_colour(g, colour);
}

void CCheckRun::show_group_cancelled(int g, int i)
{
    const int count = static_cast<int>(m_check_groups[g].size());
    const std::wstring text = m_check_groups[g].front().title + L" 체크 중지" + group_counter(i + 1, count);
    m_view->set_step_text(g, text, kColourCancelled);
    m_view->set_step_colour(g, kColourCancelled);
}

void CCheckRun::thread_check()
{
    CheckRunView& v = *m_view;
    m_diagnosis.reset(m_hosts_file_path);
    m_pac_answers.clear();
    reset_outcomes();
    m_run_started = current_local_time();
    m_run_ended = local_time{};
    for (size_t g = 0; g < m_check_groups.size(); ++g) {
        v.set_step_text(static_cast<int>(g), m_check_groups[g].front().title + L" 체크", std::nullopt);
        v.set_step_colour(static_cast<int>(g), std::nullopt);
    }
    v.start_animation();
    v.enable_save_button(false);
    v.enable_start_button(false);
    v.set_start_button_text(L"진단 중지");
    v.set_progress_busy(false);
    m_progress_position = 0;
    v.set_progress_position(0);
    v.show_progress(true);

    m_checking = true;
    m_check_done = false;
    v.enable_start_button(true);

    int failed_items = 0;
    bool stopped = false;
    int stop_group = -1, stop_item = -1, stop_row = -1;
    CCheckParam stop_param(-1, -1);
    for (size_t g = 0; g < m_check_groups.size() && !stopped; ++g) {
        bool group_passed = true;
        for (size_t i = 0; i < m_check_groups[g].size(); ++i) {
            v.set_progress_position(++m_progress_position);
            const int row = update_check_list_before_start(static_cast<int>(g), static_cast<int>(i));
            CCheckParam param(static_cast<int>(g), static_cast<int>(i));
            const CheckFunction check = m_check_groups[g][i].check;
            bool passed = false;
            if (check) {
                passed = check(*this, param);
            } else {
                param.result_code = CHECK_NO_SERVER_INFO;
            }
            if (!passed) {
                ++failed_items;
                group_passed = false;
            }
            ItemOutcome finished;
            change_outcome(static_cast<int>(g), static_cast<int>(i), [&](ItemOutcome& o) {
                ItemOutcome counted = outcome_of(param);
                counted.started = std::move(o.started);
                counted.attempt_log = std::move(o.attempt_log);
                counted.diagnosis = std::move(o.diagnosis);
                o = std::move(counted);
                finished = o;
            });
            show_result(row, param);
            v.item_finished(m_check_groups[g][i], finished);
            if (!m_checking) {
                change_outcome(static_cast<int>(g), static_cast<int>(i), [](ItemOutcome& o) { mark_stopped(o); });
                param.result_code = CHECK_CANCELLED;
                stopped = true;
                stop_group = static_cast<int>(g);
                stop_item = static_cast<int>(i);
                stop_row = row;
                stop_param = param;
                break;
            }
        }
        if (!stopped)
            show_group_done(static_cast<int>(g), group_passed);
    }

    ++m_current_step;
    v.set_current_step(m_current_step);
    v.set_start_button_text(L"진단 시작");
    v.enable_start_button(true);
    v.show_progress(false);
    v.pause_animation();

    if (!stopped) {
        SCLOG(0, L"checking completed.");
    } else {
        show_group_cancelled(stop_group, stop_item);
        show_result(stop_row, stop_param);
        SCLOG(0, L"checking cancelled.");
    }

    m_run_ended = current_local_time();
    m_checking = false;
    v.post_check_finished(!stopped, failed_items);
    // Last: the dialog may go away as soon as it sees the worker done.
    m_check_done = true;
}

const CCheckItem* CCheckRun::find_item_by_row(int row) const
{
    for (const CheckGroup& group : m_check_groups) {
        for (const CCheckItem& item : group) {
            if (item.list_row == row)
                return &item;
        }
    }
    return nullptr;
}

void CCheckRun::reset_outcomes()
{
    std::lock_guard<std::mutex> lock(m_outcomes_lock);
    m_outcomes.assign(m_check_groups.size(), {});
    for (size_t g = 0; g < m_check_groups.size(); ++g)
        m_outcomes[g].assign(m_check_groups[g].size(), ItemOutcome{});
}

template <typename Change>
void CCheckRun::change_outcome(int group, int item, Change change)
{
    if (group < 0 || item < 0)
        return;
    std::lock_guard<std::mutex> lock(m_outcomes_lock);
    // A check function called on its own (a test) finds no slots made yet.
    if (m_outcomes.size() <= static_cast<size_t>(group))
        m_outcomes.resize(static_cast<size_t>(group) + 1);
    std::vector<ItemOutcome>& items = m_outcomes[static_cast<size_t>(group)];
    if (items.size() <= static_cast<size_t>(item))
        items.resize(static_cast<size_t>(item) + 1);
    change(items[static_cast<size_t>(item)]);
}

void CCheckRun::note_item_facts(int group, int item, std::vector<AttemptRecord> attempts,
                                std::optional<ItemDiagnosis> diagnosis)
{
    change_outcome(group, item, [&](ItemOutcome& o) {
        o.attempt_log = std::move(attempts);
        o.diagnosis = std::move(diagnosis);
    });
}

ItemOutcome CCheckRun::outcome(int group, int item) const
{
    std::lock_guard<std::mutex> lock(m_outcomes_lock);
    if (group < 0 || item < 0 || static_cast<size_t>(group) >= m_outcomes.size() ||
        static_cast<size_t>(item) >= m_outcomes[static_cast<size_t>(group)].size())
        return ItemOutcome{};
    return m_outcomes[static_cast<size_t>(group)][static_cast<size_t>(item)];
}

std::optional<ItemOutcome> CCheckRun::outcome_for_row(int row) const
{
    for (std::size_t g = 0; g < m_check_groups.size(); ++g) {
        for (std::size_t i = 0; i < m_check_groups[g].size(); ++i) {
            if (m_check_groups[g][i].list_row == row)
                return outcome(static_cast<int>(g), static_cast<int>(i));
        }
    }
    return std::nullopt;
}

bool CCheckRun::check_administrator(CCheckRun&, CCheckParam& param)
{
    if (is_administrator_account()) {
        param.result_code = CHECK_OK;
        return true;
    }
    param.result_code = CHECK_NOT_ADMIN;
    return false;
}
