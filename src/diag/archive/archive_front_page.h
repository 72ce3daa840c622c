// The archive's first and last entries besides the report, listings and logs: report.html,
// the page an engineer opens first, and manifest.json, which proves what the
// archive holds. Built from what the save gathered.
#pragma once

#include <string>
#include <vector>

#include "diag/archive/archive_records.h"
#include "diag/report/check_report.h"
#include "diag/archive/save_logs.h"
#include "diag/collect/diag_texts.h"
#include "diag/page/manifest.h"
#include "diag/page/report_page.h"

inline constexpr const wchar_t* kFrontPageName = L"report.html";
inline constexpr const wchar_t* kManifestName = L"manifest.json";

// An entry the final archive is about to get: its name and the file it comes from.
struct PlannedEntry
{
    std::wstring name;
    std::wstring source;
};

// The page: the run's items, the machine's figures, the findings of the
// diagnostics that matter, and the archive's planned entries with their sizes
// (report.html and manifest.json are listed without one: they describe
// themselves) and the files not packed so far.
ReportPageInput front_page_input(const SaveLogsInput& input, const DiagTexts& texts, const CheckReportFacts& facts,
                                 const std::vector<PlannedEntry>& entries,
                                 const std::vector<vantu::zip::SkippedFile>& not_packed, const std::wstring& save_time);

// The manifest of the final archive's entries so far and of its inner archives.
ManifestInput manifest_input(const SaveLogsInput& input, const DiagTexts& texts, const CheckReportFacts& facts,
                             const SaveLogsOutcome& out, const std::vector<vantu::zip::ArchiveEntryRecord>& records,
                             const std::wstring& save_time);

// A record as the manifest lists it ("\" in names becomes "/", as stored).
ManifestEntry manifest_entry(const vantu::zip::ArchiveEntryRecord& record);
