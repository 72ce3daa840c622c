#include "diag/archive/save_logs.h"

#include "common/date_time.h"
#include "common/file_utils.h"
#include "common/format.h"
#include "common/log.h"
#include "common/text_convert.h"
#include "diag/archive/archive_name.h"
#include "diag/archive/base64.h"
#include "diag/archive/file_info_listing.h"
#include "diag/archive/zip_folder.h"
#include "diag/archive/zip_platform.h"
#include "diag/collect/event_filter.h"

#include <cwctype>

namespace {

constexpr const wchar_t* kWorkFolderUnusable =
    L"로그를 저장할 작업 폴더에 파일을 만들 수 없습니다.\n\n%s";
constexpr const wchar_t* kArchiveFailed =
    L"로그 압축 파일을 만들 수 없습니다.\n\n%s";

const wchar_t* const kWorkFileNames[7] = {
    L"fileinfo_agent_app.txt", L"fileinfo_agent_web.txt", L"fileinfo_customer.txt", L"systeminfo.txt",
    L"tasklist.txt", L"network_info.txt", L"eventlog.txt",
};

std::wstring lower(std::wstring s)
{
    for (auto& c : s)
        c = static_cast<wchar_t>(std::towlower(c));
    return s;
}

// Enables the owner and hides the wait window however the save ends.
class HostRestorer
{
public:
    explicit HostRestorer(SaveLogsHost& host) : m_host(host) {}
    ~HostRestorer()
    {
        m_host.reset_and_hide();
        m_host.set_owner_enabled(true);
    }

private:
    SaveLogsHost& m_host;
};

bool folder_accepts_files(const std::wstring& folder)
{
    const std::wstring probe = folder + path_separator + L"_write_test_.tmp";
    if (!write_bytes_file(probe, "test"))
        return false;
    vantu::zip::delete_file(probe);
    return true;
}

void write_text(const std::wstring& path, const std::string& bytes)
{
    if (!write_bytes_file(path, bytes))
        SCLOG(3, L"cannot write %s", path.c_str());
}

} // namespace

std::string ansi_bytes(const std::wstring& text)
{
    return to_system_narrow(text);
}

std::string systeminfo_file_bytes(const std::wstring& systeminfo_text)
{
    std::string bytes = base64_encode(ansi_bytes(systeminfo_text));
    bytes.push_back('\0');
    return bytes;
}

SaveLogsOutcome save_logs(const SaveLogsInput& input, SaveLogsHost& host)
{
    SaveLogsOutcome out;
    host.set_owner_enabled(false);
    HostRestorer restore(host);
    const DiagTexts& texts = host.wait_for_diagnostics();

    const std::wstring work = input.work_folder.empty() ? default_work_folder() : input.work_folder;
    out.work_folder = work;
    const wchar_t sep = path_separator;
    if (work.empty() || !ensure_folder(work)) {
        SCLOG(3, L"cannot create the work folder %s", work.c_str());
        host.show_message(format_text(kWorkFolderUnusable, work.c_str()));
        return out;
    }
    host.step();

    const std::wstring report = work + sep + L"check_result.txt";
    std::vector<std::wstring> paths;
    for (const wchar_t* name : kWorkFileNames)
        paths.push_back(work + sep + name);
    const std::wstring agent_zip = work + sep + input.product_name + L"_log.zip";
    const std::wstring viewer_zip = work + sep + input.product_name + L"_log_viewer.zip";
    // What an earlier, failed run left behind must not be packed as this run's.
    for (const std::wstring& stale : paths)
        vantu::zip::delete_file(stale);
    vantu::zip::delete_file(report);
    vantu::zip::delete_file(agent_zip);
    vantu::zip::delete_file(viewer_zip);

    CheckReportInput report_input;
    report_input.product_name = input.product_name;
    report_input.rows = input.rows;
    report_input.security_text = texts.security_text;
    report_input.scm_events_text = texts.scm_events_text;
    report_input.product_processes = input.product_processes;
    report_input.service_name = input.service_name;
    report_input.result_text = input.result_text;
    report_input.diagnosis_section = input.diagnosis_section;
    if (!write_check_result(report, report_input)) {
        if (!folder_accepts_files(work)) {
            SCLOG(3, L"the work folder %s takes no files", work.c_str());
            host.show_message(format_text(kWorkFolderUnusable, work.c_str()));
            return out;
        }
        host.show_message(kReportCreateFailed);
    }
    host.step();

    for (int i = 0; i < 3; ++i) {
        if (write_file_info_listing(paths[i], input.product_name, input.product_paths[i]) ==
            ListingOutcome::cannot_create)
            host.show_message(kListingCreateFailed);
        host.step();
    }
    write_text(paths[3], systeminfo_file_bytes(texts.systeminfo_text));
    host.step();
    write_text(paths[4], utf8_file_bytes(texts.tasklist_text));
    host.step();
    write_text(paths[5], utf8_file_bytes(texts.network_text));
    host.step();
    write_text(paths[6], utf8_file_bytes(build_eventlog_text(input.product_name, input.product_processes, texts)));
    host.step();

    const vantu::zip::ZipFolderReport agent = vantu::zip::zip_folder(input.log_paths[0], agent_zip);
    for (const std::wstring& missing : agent.missing)
        SCLOG(3, L"not packed: %s", missing.c_str());
    bool viewer_formed = false;
    if (!input.log_paths[1].empty() && lower(input.log_paths[1]) != lower(input.log_paths[0])) {
        viewer_formed = true;
        const vantu::zip::ZipFolderReport viewer = vantu::zip::zip_folder(input.log_paths[1], viewer_zip);
        for (const std::wstring& missing : viewer.missing)
            SCLOG(3, L"not packed: %s", missing.c_str());
    }

    out.archive_path = work + sep + input.product_name + L"_" +
                       archive_time_stamp(current_local_time(), current_ui_language()) + L".zip";
    vantu::zip::ZipArchivePtr archive = vantu::zip::zip_create(out.archive_path);
    out.archive_created = archive != nullptr;
    host.step();

    // Work files are deleted only once the archive that holds them is complete.
    std::vector<std::wstring> packed_work_files;
    auto add = [&](const std::wstring& name, const std::wstring& source) {
        const std::uint32_t result = vantu::zip::zip_add_file(archive.get(), name, source);
        if (result != vantu::zip::kZipOk) {
            SCLOG(3, L"adding %s failed: 0x%x", source.c_str(), result);
            return false;
        }
        out.entries.push_back(name);
        return true;
    };

    if (add(L"check_result.txt", report))
        packed_work_files.push_back(report);
    for (const std::wstring& path : paths) {
        if (!file_exists(path))
            continue;
        if (add(path_part(path, path_part_file_name), path))
            packed_work_files.push_back(path);
    }
    host.step();

    std::vector<std::wstring> crash_logs;
    for (const std::wstring& folder : input.product_paths) {
        if (folder.empty() || !folder_exists(folder))
            continue;
        const std::vector<std::wstring> found = find_files(folder, L"CrashHandler*", L"log", false, L"", true, true);
        crash_logs.insert(crash_logs.end(), found.begin(), found.end());
    }
    for (const std::wstring& log : crash_logs)
        add(path_part(log, path_part_last_folder) + L"_" + path_part(log, path_part_file_name), log);
    host.step();

    if (add(path_part(agent_zip, path_part_file_name), agent_zip))
        packed_work_files.push_back(agent_zip);
    if (viewer_formed && add(path_part(viewer_zip, path_part_file_name), viewer_zip))
        packed_work_files.push_back(viewer_zip);
    host.step();

    const std::uint32_t closed = vantu::zip::zip_close(archive.get());
    archive.reset();
    if (out.archive_created && closed == vantu::zip::kZipOk) {
        for (const std::wstring& path : packed_work_files)
            vantu::zip::delete_file(path);
        if (file_exists(out.archive_path))
            out.shown = host.show_archive(out.archive_path);
    } else {
        SCLOG(3, L"the archive %s could not be made (0x%x)", out.archive_path.c_str(), closed);
        if (out.archive_created)
            vantu::zip::delete_file(out.archive_path); // unfinished: not an archive anyone can read
        out.archive_created = false;
        host.show_message(format_text(kArchiveFailed, out.archive_path.c_str()));
    }
    for (const std::wstring& path : paths)
        if (file_exists(path))
            out.left_over.push_back(path);
    if (file_exists(report))
        out.left_over.push_back(report);
    return out;
}
