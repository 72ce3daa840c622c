// The check run: the check list, the check functions and the worker's loop. The
// dialog (or a console front end) owns one, shows it through a CheckRunView and
// runs thread_check on a worker thread.
#pragma once

#include <array>
#include <map>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "check/diagnosis/connect_probe.h"
#include "check/diagnosis/run_diagnosis.h"
#include "check/http/pac_evaluation.h"
#include "check/run/check_param.h"
#include "check/run/check_run_view.h"
#include "check/run/item_outcome.h"
#include "checklist/check_item.h"
#include "checklist/check_list.h"
#include "checklist/server_kinds.h"
#include "common/date_time.h"

class blastsock;
class CSessionEventListener;

// Socket items on ports up to this run the handshake; above it a plain connect.
inline constexpr std::int32_t kHandshakeMaxPort = 8000;
// Web API path for hosts whose name contains "netapi".
inline constexpr const wchar_t* kWebApiTestPath = L"/api/v1.0/pelvarosta/GetApiTest";

// TCP ports end at 65535; a larger number would wrap around to another port.
inline bool is_tcp_port(std::int32_t port)
{
    return port > 0 && port <= 65535;
}

// What the web test of an item requests: HTTPS on port 443, the API path on
// hosts whose name contains "netapi", else an empty path (sent as "/").
struct WebTestTarget
{
    std::wstring host;
    std::int32_t port = 0;
    std::wstring path;
    bool https = false;
};
WebTestTarget web_test_target(const CCheckItem& item);

// Result code of one web attempt from the HTTP client's status: 0 for 200; the
// status or the client's error code otherwise, except that a status line that
// could not be read (status 0) is a wrong answer (90106), not a success.
std::int32_t web_attempt_result(std::int32_t status);
// True when the status is an answer of the server (100..599): asking again would
// give the same answer.
bool web_attempt_is_final(std::int32_t status);

struct InitCheckListResult
{
    bool ok = false;
    CheckListError error = CheckListError::none;
    std::wstring message; // to be shown (OK only, no time limit) when !ok
};

class CCheckRun
{
public:
    explicit CCheckRun(CheckRunView* view = nullptr);
    ~CCheckRun();
    CCheckRun(const CCheckRun&) = delete;
    CCheckRun& operator=(const CCheckRun&) = delete;

    // Null: the run shows nothing (a view that ignores every call).
    void set_view(CheckRunView* view);
    CheckRunView* view() const { return m_view; }

    // Builds the check list from the downloaded body (UTF-8 bytes, as received)
    // and shows it: step lines, progress range, log rows. `shown_text` is the
    // response text the message quotes when the body is not valid JSON. On
    // failure the caller shows `message` and ends the program; the caller also
    // empties the result page.
    InitCheckListResult init_check_list(std::string_view body_utf8, const std::wstring& shown_text);

    // Rebuilds the log page's rows from the check list and stores each row.
    void reset_check_list_view();

    // Body of the check worker thread. Sets m_checking/m_check_done itself and
    // ends with view()->post_check_finished.
    void thread_check();

    // Marks item i of group g as running; returns its row.
    int update_check_list_before_start(int g, int i);
    void show_result(int row, const CCheckParam& param);
    void show_group_done(int g, bool all_passed);
    void show_group_cancelled(int g, int i);

    // Check function of every server item: three timed attempts of the handshake,
    // a plain connect or an HTTP request.
    bool check_server(CCheckParam& param);
    // Check function of the account item.
    static bool check_administrator(CCheckRun& run, CCheckParam& param);

    // The first item whose stored row is `row`, or null.
    const CCheckItem* find_item_by_row(int row) const;

    // What happened to item i of group g in the last run: its verdict, counts,
    // times, attempts and diagnosis (not run until it has). Safe from any thread.
    ItemOutcome outcome(int group, int item) const;
    // The same for the item whose row is `row`; none for a row without one.
    std::optional<ItemOutcome> outcome_for_row(int row) const;

    // Closes the channel's socket if one is open (the dialog does it on exit).
    void close_channel();

    ServerKinds m_server_kinds;
    std::array<std::wstring, 3> m_product_paths; // agent, agent web, viewer
    std::array<std::wstring, 2> m_log_paths;     // agent log, viewer log
    // The check list's "tls issuers": the issuers a web server's certificate may
    // have; empty when the list names none.
    std::vector<std::wstring> m_tls_issuers;
    CheckGroups m_check_groups;

    // Written by the UI thread (stop request) and the worker; read by both.
    std::atomic<bool> m_checking{false};
    std::atomic<bool> m_check_done{true};

    // The encrypted channel of the handshake test, reopened for every attempt.
    std::unique_ptr<blastsock> m_channel;
    // Hears of channel events (may be null).
    CSessionEventListener* m_listener = nullptr;

    // When the last run started and ended (local time); ended is zero until then.
    local_time m_run_started{};
    local_time m_run_ended{};

    // Diagnosis of every server item. Switched off only by the benchmark that
    // measures what it costs.
    bool m_diagnose = true;
    // The hosts file the diagnosis reads (empty: the system's); for tests.
    std::wstring m_hosts_file_path;
    RunDiagnosis m_diagnosis;
    // The sockets of the diagnosis's classification probe (connect_probe.h);
    // tests give a layer of their own.
    ConnectProbeLayer* m_probe_layer = nullptr; // null: the system's
    // The auto-configuration script's answer per script and URL, asked once a run.
    std::map<std::pair<std::wstring, std::wstring>, PacAnswer> m_pac_answers;

    // Replaceable for tests: the documents folder for the path token (empty:
    // the user's) and the time stamp of the log page's time column.
    std::wstring m_documents_folder;
    std::function<std::wstring()> m_now_text;

private:
    // The outcomes of the items, by group and item; the worker writes, every
    // thread may read.
    void reset_outcomes();
    template <typename Change>
    void change_outcome(int group, int item, Change change);
    // A server item's attempts and diagnosis, noted by check_server.
    void note_item_facts(int group, int item, std::vector<AttemptRecord> attempts,
                         std::optional<ItemDiagnosis> diagnosis);

    // Each attempt notes in `d` (null when the diagnosis is off) the facts of a
    // failure and the connection's local end.
    void run_handshake_attempt(const CCheckItem& item, CCheckParam& param, int n, ItemDiagnosis* d);
    void run_connect_attempt(const CCheckItem& item, CCheckParam& param, int n, ItemDiagnosis* d);
    // Returns false when the attempts are to end (the server answered with a
    // status other than 200).
    bool run_http_attempt(const CCheckItem& item, CCheckParam& param, int n, ItemDiagnosis* d);

    CheckRunView* m_view;
    mutable std::mutex m_outcomes_lock;
    std::vector<std::vector<ItemOutcome>> m_outcomes;
    int m_current_step = -1;     // current line of the step list
    int m_progress_position = 0; // position of the progress bar
};
