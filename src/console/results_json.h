// The results of a console run as UTF-8 JSON, for management tools.
#pragma once

#include <string>

#include "common/date_time.h"
#include "diag/page/manifest.h"

class CCheckRun;
class ConsoleCheckView;

struct ResultsJsonInfo
{
    std::wstring source;  // the check list's URL or file
    local_time started;
    local_time ended;
    // With --save: the archive and what its manifest counts.
    bool save_tried = false;
    std::wstring archive_path;
    bool archive_created = false;
    ManifestSummary manifest;
};

// "2026-12-09T10:05:03", the local time without a zone.
std::wstring iso_local_time(const local_time& t);

// One object: "source", "start", "end", "completed", "failed", "unstable" and
// "items", one entry per check item in list order with its group, title, masked
// host, port, kind, attempts, successes, times, verdict, result code, its text
// and hint. Items a stopped run did not reach have "ran": false. After a save,
// "archive": its path, whether it was made and the manifest's counts.
std::string results_json(const ResultsJsonInfo& info, const CCheckRun& run, ConsoleCheckView& view);

// The file of a run that had no usable check list: "source", "start", "end",
// "completed" false, "error" with the reason and no items. A tool that reads the
// file after the run never takes an earlier run's results for this one's.
std::string failure_json(const ResultsJsonInfo& info, const std::wstring& error);
