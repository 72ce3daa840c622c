// Saving the logs: the report, the product file listings, the diagnostic texts,
// the crash-handler logs and the product's log folders packed into one archive
// in the work folder, then shown in Explorer.
#pragma once

#include "diag/archive/archive_records.h"
#include "diag/report/check_report.h"
#include "diag/report/run_report.h"
#include "diag/archive/folder_guard.h"
#include "diag/collect/diag_texts.h"
#include "diag/page/manifest.h"
#include "diag/page/report_page.h"
#include "diag/redact/name_match.h"

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

// What the dialog (or a console front end) does around the save: the wait window
// steps, the owner window is disabled and enabled, messages are shown and the
// archive is opened in Explorer.
class SaveLogsHost
{
public:
    virtual ~SaveLogsHost() = default;
    virtual void set_owner_enabled(bool enabled) = 0;
    // Blocks until the start-up diagnostics have finished and returns their texts.
    virtual const DiagTexts& wait_for_diagnostics() = 0;
    // The wait window's bar advances by one (it hides itself at its end).
    virtual void step() = 0;
    // The bar goes back to 0 and the wait window is hidden.
    virtual void reset_and_hide() = 0;
    virtual void show_message(const std::wstring& text) = 0;
    // Opens Explorer on the archive's folder with the archive selected.
    virtual bool show_archive(const std::wstring& archive_path) = 0;
};

// How many times save_logs advances the wait window's bar: size its range to it.
inline constexpr int kSaveLogsSteps = 13;

// The run's part (rows, result texts, diagnosis section, front page items,
// times, account) and where the product lives.
struct SaveLogsInput : RunReport
{
    std::wstring product_name;
    std::array<std::wstring, 3> product_paths;
    std::array<std::wstring, 2> log_paths;
    std::deque<std::wstring> product_processes;
    std::wstring service_name;
    // Off only for the benchmark that measures what the page and the manifest cost.
    bool front_page_and_manifest = true;
    // Empty: the local application data folder followed by "\Temp".
    std::wstring work_folder;
    // Personal values in every text entry and name replaced by pseudonyms; the
    // archive's name ends in "_redacted". The names looked for are this PC's
    // (this_pc_names) and these.
    bool redact = false;
    vantu::redact::RedactNames redact_names;

    void set_run(RunReport run) { static_cast<RunReport&>(*this) = std::move(run); }
};

struct SaveLogsOutcome
{
    std::wstring work_folder;
    std::wstring archive_path;         // the final archive's path (whether made or not)
    bool archive_created = false;
    bool shown = false;                // Explorer was asked to show it
    std::vector<std::wstring> entries; // names added to the final archive, in order
    std::vector<std::wstring> left_over; // work files that could not be packed

    // For a manifest: the final archive's entries, and each inner log archive's
    // (named as it is stored in the final archive) with the files it left out.
    struct InnerArchive
    {
        std::wstring name;
        std::vector<vantu::zip::ArchiveEntryRecord> records;
        std::vector<vantu::zip::SkippedFile> skipped;
    };
    std::vector<vantu::zip::ArchiveEntryRecord> records;
    std::vector<InnerArchive> inner;
    // Every file that was not packed, inner archives first, with its reason; also
    // listed in the report's "[Log Archive]" section and the log.
    std::vector<vantu::zip::SkippedFile> not_packed;
    // Check-list folders (and links met while packing) the folder guard refused.
    std::vector<vantu::zip::RefusedFolder> refused;
    // What manifest.json counts: entries of the final and inner archives, files
    // not packed, folders refused.
    ManifestSummary manifest;
    // Redacted saves: values replaced per kind and the files they were in.
    bool redacted = false;
    ReportPageRedaction redaction;
};

// The work folder: local application data followed by "\Temp".
std::wstring default_work_folder();

// Runs the whole save on the calling thread (the dialog starts it on its own
// thread). The owner is disabled from the start and enabled again at the end,
// whatever happens in between.
SaveLogsOutcome save_logs(const SaveLogsInput& input, SaveLogsHost& host);

// The ANSI code page the diagnostic texts are written in (949 in the native tree).
unsigned system_ansi_code_page();

// The part a redacted archive's name carries before ".zip".
inline constexpr const wchar_t* kRedactedNamePart = L"_redacted";

// The contents of systeminfo.txt: the text in the ANSI code page, as Base64,
// followed by one zero byte.
std::string systeminfo_file_bytes(const std::wstring& systeminfo_text);
// The ANSI code page form of a text (UTF-8 in the native tree).
std::string ansi_bytes(const std::wstring& text);
