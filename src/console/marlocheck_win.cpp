// marlocheck.exe: runs the check list once without a window, for management
// tools and scheduled tasks. Same engine, check list, result texts, diagnostics
// and archive as the dialog; prints instead of drawing.
#include <winsock2.h>

#include "check/http/checklist_download.h"
#include "check/http/http_request.h"
#include "diag/report/run_report_of_run.h"
#include "steps/check_list_source.h"
#include "steps/save_input.h"
#include "check/run/check_run.h"
#include "check/run/result_text.h"
#include "common/date_time.h"
#include "common/log.h"
#include "common/text_file_platform.h"
#include "common/text_convert.h"
#include "console/check_list_file.h"
#include "console/console_options.h"
#include "console/console_output_win.h"
#include "console/console_save_host_win.h"
#include "console/console_stop_win.h"
#include "console/console_view.h"
#include "console/results_json.h"
#include "diag/archive/product_identity.h"
#include "diag/archive/redact_archive.h"
#include "diag/archive/save_logs.h"
#include "steps/redaction_request.h"
#include "diag/collect/diagnostics.h"
#include "pages/download_help_text.h"

#include <windows.h>

#include <atomic>
#include <clocale>
#include <future>
#include <memory>
#include <thread>

#ifndef VANTU_WEB_HOST
#define VANTU_WEB_HOST "www.vantu.co.kr"
#endif

namespace {

const wchar_t kDownloadFailed[] = L"서버에서 checklist.json 파일을 다운로드하지 못했습니다.";
const wchar_t kStopNotice[] = L"중지 요청을 받았습니다. 진행 중인 항목이 끝나면 진단을 멈춥니다.";
const wchar_t kSaving[] = L"시스템 정보 및 로그를 수집중입니다.";
const wchar_t kNotSaved[] = L"진단이 취소되어 로그를 저장하지 않았습니다.";

// The start-up diagnostics on a thread of their own. The state is shared with
// the thread, so a run that ends without saving does not wait for them.
struct Diagnostics
{
    DiagTexts texts;
    std::promise<void> done;
};

std::shared_ptr<Diagnostics> start_diagnostics(std::future<void>& finished)
{
    auto state = std::make_shared<Diagnostics>();
    finished = state->done.get_future();
    std::thread([state] {
        collect_diagnostics(state->texts);
        state->done.set_value();
    }).detach();
    return state;
}

// A check list to parse, or why there is none.
struct ListArrival
{
    CheckListSource list;
    std::wstring error;
};

ListArrival read_local_check_list(const std::wstring& path, ConsoleOutput& output)
{
    ListArrival out;
    std::wstring error;
    std::string body;
    if (!read_check_list_file(path, body, error)) {
        SCLOG(3, L"%s", error.c_str());
        output.err(L"marlocheck: " + error);
        out.list.source = path;
        out.error = error;
        return out;
    }
    wchar_t full[MAX_PATH * 4] = {};
    const DWORD n = GetFullPathNameW(path.c_str(), MAX_PATH * 4, full, nullptr);
    out.list = check_list_from_file(n > 0 && n < MAX_PATH * 4 ? std::wstring(full, n) : path, std::move(body));
    return out;
}

ListArrival download_check_list(const ConsoleOptions& options, ConsoleOutput& output)
{
    HttpRequest request;
    download_checklist(request, options.web_host, options.web_port);
    SCLOG(0, L"request_url : %s", request.describe().c_str());
    ListArrival out;
    out.list = check_list_from_download(request);
    if (!out.list.ok) {
        const std::wstring line = help_error_line(request.m_status, error_text(request.m_status));
        out.error = std::wstring(kDownloadFailed) + L" " + line;
        output.err(kDownloadFailed);
        output.err(line);
        output.err(L"URL : " + request.m_url);
    }
    return out;
}

// The console never opens a window: it may run where nobody sees the screen
// (a management tool's job as SYSTEM), and a window there waits for ever. The
// system's own error boxes are off for the process, and what would show a
// message box is one line on standard error and in the log instead.
void keep_windows_away(ConsoleOutput& output)
{
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    set_unreadable_file_reporter([&output](const std::wstring& path) {
        SCLOG(3, L"%s cannot be opened: it may be in use by another process", path.c_str());
        output.err(L"marlocheck: " + unreadable_file_line(path));
    });
}

int run_console(const ConsoleOptions& options, ConsoleOutput& output)
{
    std::atomic<bool> stop{false};
    ConsoleCheckView view([&output](const std::wstring& line) { output.out(line); });
    CCheckRun run(&view);
    const StopHandlerScope stop_handler(&stop, &run.m_checking, [&output] { output.err(kStopNotice); },
                                        [&output] { output.restore_code_page(); }, kExitStopped);

    ResultsJsonInfo info;
    info.started = current_local_time();
    const ListArrival arrival = options.checklist_file.empty() ? download_check_list(options, output)
                                                               : read_local_check_list(options.checklist_file, output);
    const CheckListSource& list = arrival.list;
    info.source = list.source;
    std::wstring list_error = arrival.error;
    if (list.ok) {
        const InitCheckListResult init = run.init_check_list(list.body_utf8, list.shown_text);
        if (!init.ok) {
            output.err(init.message);
            list_error = init.message;
        }
    }
    if (!list_error.empty()) {
        info.ended = current_local_time();
        if (!options.json_file.empty() && !write_bytes_file(options.json_file, failure_json(info, list_error))) {
            SCLOG(3, L"cannot write %s", options.json_file.c_str());
            output.err(L"marlocheck: cannot write the JSON file \"" + options.json_file + L"\".");
        }
        return kExitNoCheckList;
    }

    std::future<void> diagnostics_done;
    std::shared_ptr<Diagnostics> diagnostics;
    if (options.save)
        diagnostics = start_diagnostics(diagnostics_done);

    view.watch(run, &stop);
    info.started = current_local_time();
    if (!stop)
        run.thread_check(); // on this thread: Ctrl+C is handled on a thread of its own
    info.ended = current_local_time();
    output.out(view.summary_line());

    int status = kExitAllPassed;
    if (!view.completed())
        status = kExitStopped;
    else if (view.failed_count() + view.unstable_count() > 0)
        status = kExitItemsFailed;

    if (options.save) {
        if (!view.completed()) {
            output.err(kNotSaved);
        } else {
            output.err(kSaving);
            // The console has no list: its rows are spelled from the outcomes.
            SaveLogsInput input = save_input_of(run, check_report_rows(run));
            ConsoleSaveHost host(output, diagnostics_done, diagnostics->texts);
            const SaveLogsOutcome saved = save_logs(input, host);
            info.save_tried = true;
            info.archive_path = saved.archive_path;
            info.archive_created = saved.archive_created;
            info.manifest = saved.manifest;
            if (saved.archive_created) {
                output.out(saved.archive_path);
            } else if (status != kExitStopped) {
                status = kExitOutputFailed;
            }
            // A stop asked for while saving is honoured once the archive is whole.
            if (stop)
                status = kExitStopped;
        }
    }

    // Written after the save, so that it can name the archive.
    if (!options.json_file.empty()) {
        if (!write_bytes_file(options.json_file, results_json(info, run, view))) {
            SCLOG(3, L"cannot write %s", options.json_file.c_str());
            output.err(L"marlocheck: cannot write the JSON file \"" + options.json_file + L"\".");
            if (status != kExitStopped)
                status = kExitOutputFailed;
        }
    }
    SCLOG(0, L"exit status %d", status);
    return status;
}

// --redact-archive: no check, no diagnostics; one line on success or failure.
int run_redact_archive(const ConsoleOptions& options, ConsoleOutput& output)
{
    const RedactArchiveResult r = redact_archive(options.redact_archive_in, options.redact_archive_out);
    if (!r.ok) {
        output.err(L"marlocheck: " + r.error);
        return kExitOutputFailed;
    }
    output.out(options.redact_archive_out);
    return kExitAllPassed;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    ConsoleOutput output;
    std::vector<std::wstring> args;
    for (int i = 1; i < argc; ++i)
        args.emplace_back(argv[i]);
    const ConsoleOptions options = parse_console_options(args, from_utf8(VANTU_WEB_HOST), 80);
    if (!options.error.empty()) {
        output.err(L"marlocheck: " + options.error);
        output.err(console_usage());
        return kExitUsage;
    }
    if (options.help) {
        output.out(console_usage());
        return kExitAllPassed;
    }

    keep_windows_away(output);
    setlocale(LC_ALL, "korean");
    if (!options.redact_archive_in.empty())
        return run_redact_archive(options, output);
    if (options.redact)
        request_redaction(RedactionAsker::command_line);
    WSADATA wsa{};
    if (WSAStartup(MAKEWORD(2, 2), &wsa) != 0) {
        output.err(L"WSAStartup() failed.");
        return kExitItemsFailed;
    }
    if (g_log) {
        g_log->m_show_function = false;
        g_log->write_start_log();
    }
    const int status = run_console(options, output);
    // Diagnostics still running on their own thread may yet report a file.
    set_unreadable_file_reporter([](const std::wstring&) {});
    WSACleanup();
    return status;
}
