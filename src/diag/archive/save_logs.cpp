#include "diag/archive/save_logs.h"

#include "diag/archive/archive_front_page.h"
#include "diag/archive/archive_redaction.h"

#include "common/date_time.h"
#include "common/file_utils.h"
#include "common/format.h"
#include "common/log.h"
#include "common/text_convert.h"
#include "diag/archive/archive_name.h"
#include "diag/archive/base64.h"
#include "diag/report/file_info_listing.h"
#include "diag/archive/folder_walk.h"
#include "diag/archive/zip_folder.h"
#include "diag/archive/zip_platform.h"
#include "diag/collect/event_filter.h"

#include <cstdio>
#include <cwctype>
#include <map>
#include <optional>

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

// The report's closing section on packing: folders refused and files not
// packed, one Korean line each; nothing when everything was packed.
std::wstring archive_section(const SaveLogsOutcome& out)
{
    if (out.refused.empty() && out.not_packed.empty())
        return std::wstring();
    std::wstring text = L"\n[Log Archive]\n";
    for (const vantu::zip::RefusedFolder& r : out.refused)
        text += format_text(L"압축하지 않은 폴더 : %s (%s)\n", r.path.c_str(), vantu::zip::guard_verdict_korean(r.verdict));
    for (const vantu::zip::SkippedFile& f : out.not_packed)
        text += format_text(L"압축하지 못한 파일 : %s (%s)\n", f.source_path.c_str(),
                            vantu::zip::skip_reason_korean(f).c_str());
    return text;
}

// Appends the section to the report already written (UTF-8, CR LF).
void append_to_report(const std::wstring& report, const std::wstring& text)
{
    if (text.empty() || !file_exists(report))
        return;
    std::string bytes = utf8_file_bytes(text).substr(3); // without a second byte-order mark
    if (FILE* f = open_file_stream(report, L"ab")) {
        if (std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size())
            SCLOG(3, L"cannot complete %s", report.c_str());
        std::fclose(f);
    }
}

// A check-list folder the guard refuses is left out of everything that reads it.
std::wstring guarded(const std::wstring& folder, SaveLogsOutcome& out)
{
    if (folder.empty() || !folder_exists(folder))
        return folder;
    vantu::zip::RefusedFolder verdict = vantu::zip::guard_folder(folder);
    if (verdict.verdict == vantu::zip::GuardVerdict::allowed)
        return folder;
    SCLOG(3, L"the check list names %s (%s, %s): refused by the folder guard, not packed", folder.c_str(),
          verdict.real_path.c_str(), vantu::zip::guard_verdict_text(verdict.verdict));
    out.refused.push_back(std::move(verdict));
    return std::wstring();
}

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

// The note at the top of a redacted page, right after <body>.
void insert_redaction_note(const std::wstring& page, const ReportPageRedaction& redaction)
{
    std::string html;
    const std::int64_t size = file_size(page);
    FILE* f = size >= 0 ? open_file_stream(page, L"rb") : nullptr;
    if (!f)
        return;
    html.resize(static_cast<std::size_t>(size));
    const bool read = std::fread(html.data(), 1, html.size(), f) == html.size();
    std::fclose(f);
    const std::size_t body = html.find("<body>");
    if (read && body != std::string::npos)
        write_text(page, html.insert(body + 6, redaction_note_html(redaction)));
}

// What a redacted save keeps beside the files it writes: the redacted copy each
// work file is packed from, and what the redactor found in it.
struct RedactedCopies
{
    std::map<std::wstring, std::wstring> copy_of;                        // original -> redacted copy
    std::map<std::wstring, vantu::zip::ArchiveEntryRecord> described;  // entry name -> counts, encoding
    std::vector<std::wstring> originals;                                 // unredacted work files to delete

    std::wstring source(const std::wstring& path) const
    {
        const auto it = copy_of.find(path);
        return it == copy_of.end() ? path : it->second;
    }
};

constexpr const wchar_t* kRedactedCopySuffix = L".redacted";

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

    // Folders from the check list, as the folder guard lets them through.
    std::array<std::wstring, 3> product_paths;
    for (int i = 0; i < 3; ++i)
        product_paths[i] = guarded(input.product_paths[i], out);
    std::array<std::wstring, 2> log_paths;
    for (int i = 0; i < 2; ++i)
        log_paths[i] = guarded(input.log_paths[i], out);

    CheckReportInput report_input;
    report_input.product_name = input.product_name;
    report_input.rows = input.rows;
    report_input.security_text = texts.security_text;
    report_input.scm_events_text = texts.scm_events_text;
    report_input.product_processes = input.product_processes;
    report_input.service_name = input.service_name;
    report_input.result_text = input.result_text;
    report_input.diagnosis_section = input.diagnosis_section;
    CheckReportFacts facts;
    if (!write_check_result(report, report_input, &facts)) {
        if (!folder_accepts_files(work)) {
            SCLOG(3, L"the work folder %s takes no files", work.c_str());
            host.show_message(format_text(kWorkFolderUnusable, work.c_str()));
            return out;
        }
        host.show_message(kReportCreateFailed);
    }
    host.step();

    for (int i = 0; i < 3; ++i) {
        if (write_file_info_listing(paths[i], input.product_name, product_paths[i]) ==
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

    std::optional<ArchiveRedaction> redaction;
    if (input.redact)
        redaction.emplace(merged_names(this_pc_names(), input.redact_names), system_ansi_code_page());
    vantu::zip::ZipFolderOptions folder_options;
    if (redaction) {
        folder_options.zip.filter = redaction->filter_maker();
        folder_options.zip.rename = redaction->namer();
    }
    auto pack_logs = [&](const std::wstring& folder, const std::wstring& zip) {
        vantu::zip::ZipFolderReport r = vantu::zip::zip_folder(folder, zip, folder_options);
        if (!r.created)
            return;
        if (redaction)
            for (const vantu::zip::ArchiveEntryRecord& record : r.records)
                redaction->count(record);
        out.inner.push_back({path_part(zip, path_part_file_name), r.records, r.skipped});
        out.not_packed.insert(out.not_packed.end(), r.skipped.begin(), r.skipped.end());
        out.refused.insert(out.refused.end(), r.refused.begin(), r.refused.end());
    };
    pack_logs(log_paths[0], agent_zip);
    // Whether a viewer archive is formed depends on the check list's text; a
    // refused folder is then simply not there.
    bool viewer_formed = false;
    if (!input.log_paths[1].empty() && lower(input.log_paths[1]) != lower(input.log_paths[0])) {
        viewer_formed = true;
        pack_logs(log_paths[1], viewer_zip);
    }
    append_to_report(report, archive_section(out));

    std::vector<std::wstring> crash_logs;
    for (const std::wstring& folder : product_paths) {
        if (folder.empty() || !folder_exists(folder))
            continue;
        // Subfolders named CrashHandler* are searched too, linked ones once.
        for (const std::wstring& found : vantu::zip::walk_guarded_folder(folder, L"CrashHandler*").files)
            if (lower(path_part(found, path_part_extension)) == L"log")
                crash_logs.push_back(found);
    }
    auto crash_log_name = [&](const std::wstring& log) {
        const std::wstring name = path_part(log, path_part_last_folder) + L"_" + path_part(log, path_part_file_name);
        return redaction ? redaction->redact_name(name) : name;
    };

    // Redacted, every text is packed from a redacted copy made now, so that
    // the front page, written before the archive, can say what was replaced.
    RedactedCopies copies;
    auto redact_work_file = [&](const std::wstring& name, const std::wstring& path, bool own) {
        if (!redaction || !file_exists(path))
            return true;
        const std::wstring copy = work + sep + path_part(path, path_part_file_name) + kRedactedCopySuffix;
        FileRedaction done = redaction->redact_file(path, copy, name == kSysteminfoName);
        if (own)
            copies.originals.push_back(path);
        if (!done.ok) {
            SCLOG(3, L"%s not redacted (%s): not packed", path.c_str(),
                  vantu::zip::skip_reason_text({path, name, done.reason, done.bytes_read}).c_str());
            out.not_packed.push_back({path, name, done.reason, done.bytes_read});
            return false;
        }
        copies.copy_of[path] = copy;
        copies.described[name] = done.described;
        return true;
    };
    if (redaction) {
        redact_work_file(L"check_result.txt", report, true);
        for (const std::wstring& path : paths)
            redact_work_file(path_part(path, path_part_file_name), path, true);
        std::vector<std::wstring> text_logs;
        for (const std::wstring& log : crash_logs)
            if (redact_work_file(crash_log_name(log), log, false))
                text_logs.push_back(log);
        crash_logs = std::move(text_logs);
    }
    auto packed_source = [&](const std::wstring& path) { return copies.source(path); };
    // A work file that could not be redacted is never packed as it is.
    auto packable = [&](const std::wstring& path) {
        return file_exists(path) && (!redaction || copies.copy_of.count(path) > 0);
    };

    // The front page is written before the archive, from what is about to be
    // packed, so that it can be the archive's first entry.
    const std::wstring save_time = sortable_date_time(current_local_time());
    std::vector<PlannedEntry> planned{{kFrontPageName, L""}};
    if (packable(report))
        planned.push_back({L"check_result.txt", packed_source(report)});
    for (const std::wstring& path : paths)
        if (packable(path))
            planned.push_back({path_part(path, path_part_file_name), packed_source(path)});
    for (const std::wstring& log : crash_logs)
        planned.push_back({crash_log_name(log), packed_source(log)});
    for (const std::wstring& zip : {agent_zip, viewer_zip})
        if ((zip == agent_zip || viewer_formed) && file_exists(zip))
            planned.push_back({path_part(zip, path_part_file_name), zip});
    planned.push_back({kManifestName, L""});
    // The work folder is the user's shared temporary folder: the page and the
    // manifest are written there under names of the product's own, and get
    // their plain names only inside the archive.
    const std::wstring page_path = work + sep + input.product_name + L"_check_report.html";
    vantu::zip::delete_file(page_path);
    if (input.front_page_and_manifest) {
        const ReportPageInput page = front_page_input(input, texts, facts, planned, out.not_packed, save_time);
        write_text(page_path, report_page_html(page));
        if (redaction) {
            // The note goes in once the page itself is redacted, so that its
            // counts include the page's own values (as --redact-archive's do).
            const bool page_redacted = redact_work_file(kFrontPageName, page_path, true);
            out.redacted = true;
            out.redaction = page_redaction(redaction->totals());
            if (page_redacted)
                insert_redaction_note(copies.copy_of[page_path], out.redaction);
        }
    }

    out.archive_path = work + sep + input.product_name + L"_" +
                       archive_time_stamp(current_local_time(), current_ui_language()) +
                       (redaction ? kRedactedNamePart : L"") + L".zip";
    vantu::zip::ZipArchivePtr archive = vantu::zip::zip_create(out.archive_path);
    out.archive_created = archive != nullptr;
    host.step();

    // Work files are deleted only once the archive that holds them is complete.
    std::vector<std::wstring> packed_work_files;
    auto add = [&](const std::wstring& name, const std::wstring& source) {
        if (redaction && !copies.copy_of.count(source) && source != agent_zip && source != viewer_zip)
            return false; // not redacted: never packed as it is
        const std::uint32_t result = vantu::zip::zip_add_file(archive.get(), name, packed_source(source));
        if (result != vantu::zip::kZipOk) {
            SCLOG(3, L"adding %s failed: 0x%x", source.c_str(), result);
            return false;
        }
        out.entries.push_back(name);
        return true;
    };

    if (input.front_page_and_manifest && add(kFrontPageName, page_path))
        packed_work_files.push_back(page_path);
    if (add(L"check_result.txt", report))
        packed_work_files.push_back(report);
    for (const std::wstring& path : paths) {
        if (!file_exists(path))
            continue;
        if (add(path_part(path, path_part_file_name), path))
            packed_work_files.push_back(path);
    }
    host.step();

    for (const std::wstring& log : crash_logs)
        add(crash_log_name(log), log);
    host.step();

    if (add(path_part(agent_zip, path_part_file_name), agent_zip))
        packed_work_files.push_back(agent_zip);
    if (viewer_formed && add(path_part(viewer_zip, path_part_file_name), viewer_zip))
        packed_work_files.push_back(viewer_zip);
    host.step();

    for (const vantu::zip::SkippedFile& s : vantu::zip::zip_skipped_files(archive.get())) {
        // An inner archive that was never made is no file left out.
        if (s.reason == vantu::zip::SkipReason::vanished && (s.source_path == agent_zip || s.source_path == viewer_zip))
            continue;
        SCLOG(3, L"%s not packed: %s", s.source_path.c_str(), vantu::zip::skip_reason_text(s).c_str());
        out.not_packed.push_back(s);
    }
    // The manifest comes last: it lists every entry before it.
    // A redacted entry's record names the file it came from and what was replaced in it.
    auto described_records = [&] {
        std::vector<vantu::zip::ArchiveEntryRecord> records = vantu::zip::zip_entry_records(archive.get());
        for (vantu::zip::ArchiveEntryRecord& r : records) {
            const auto it = copies.described.find(r.name);
            if (it == copies.described.end())
                continue;
            r.filtered = it->second.filtered;
            r.replaced = it->second.replaced;
            r.encoding = it->second.encoding;
            for (const auto& [original, copy] : copies.copy_of)
                if (copy == r.source_path)
                    r.source_path = original;
        }
        return records;
    };
    if (archive && input.front_page_and_manifest) {
        ManifestInput manifest = manifest_input(input, texts, facts, out, described_records(), save_time);
        if (redaction) {
            redact_manifest_strings(manifest, *redaction);
            manifest.redaction = manifest_redaction(*redaction);
        }
        const std::wstring manifest_path = work + sep + input.product_name + L"_check_manifest.json";
        vantu::zip::delete_file(manifest_path);
        write_text(manifest_path, manifest_json(manifest));
        if (redaction) {
            copies.copy_of[manifest_path] = manifest_path; // redacted as it was built
            copies.originals.push_back(manifest_path);
        }
        if (add(kManifestName, manifest_path))
            packed_work_files.push_back(manifest_path);
        out.manifest = manifest_summary(manifest);
    }
    out.records = described_records();
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
    // Unredacted texts and the redacted copies never stay behind a redacted save.
    for (const std::wstring& path : copies.originals)
        vantu::zip::delete_file(path);
    for (const auto& [original, copy] : copies.copy_of)
        vantu::zip::delete_file(copy);
    for (const std::wstring& path : paths)
        if (file_exists(path))
            out.left_over.push_back(path);
    if (file_exists(report))
        out.left_over.push_back(report);
    return out;
}
