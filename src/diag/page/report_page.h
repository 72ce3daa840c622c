// report.html: the archive's front page. One self-contained file (inline style
// and drawings, no script, nothing fetched) that any browser opens offline: who
// and what was checked, the verdicts at a glance, one row per check item with
// its attempts drawn, the findings that matter and the archive's contents.
#pragma once

#include "common/item_verdict.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

struct ReportPageAttempt
{
    std::int32_t ms = 0;
    bool passed = false;
};

struct ReportPageItem
{
    std::wstring category;  // the log page's column 0
    std::wstring target;    // masked address as the report shows it
    std::wstring port;
    std::wstring verdict;   // "Ok", "Ok (2/3)", "Fail", "진단 중지", or empty when not run
    ItemVerdict kind = ItemVerdict::not_run; // what the verdict is: counted and coloured by it
    std::wstring duration;  // "35ms"
    std::int32_t code = 0;
    std::wstring result_text;
    std::wstring hint;
    std::wstring cause;     // the diagnosis's cause line
    std::wstring caution;   // what a passed item's check tolerated (a certificate outside this PC's clock)
    std::wstring diagnosis; // the diagnosis's report block
    std::vector<ReportPageAttempt> attempts;
};

struct ReportPageSection
{
    std::wstring title;
    std::wstring body;
};

struct ReportPageFile
{
    std::wstring name;
    std::uint64_t size = 0;
    bool size_known = true; // the page and the manifest cannot know their own
};

struct ReportPageSkipped
{
    std::wstring path;
    std::wstring reason;
};

// A redacted archive's note at the top of the page: what was replaced.
struct ReportPageRedaction
{
    bool on = false;
    std::vector<std::pair<std::wstring, std::uint64_t>> kinds; // ("IP", 3), only kinds that occurred
    int files = 0;       // files in which values were replaced
    std::uint64_t total = 0;
};

struct ReportPageInput
{
    std::wstring product_name;
    std::wstring tool_version;
    std::wstring windows_version;
    std::wstring run_time;   // when the check run ended
    std::wstring save_time;  // when the archive was made
    bool administrator = false;
    std::vector<ReportPageItem> items;
    std::vector<std::wstring> machine_lines; // memory, disk, monitors
    std::vector<ReportPageSection> findings;
    std::vector<ReportPageFile> contents;
    std::vector<ReportPageSkipped> not_packed;
    ReportPageRedaction redaction; // off: no note (the page as it always was)
};

// The page as UTF-8 bytes.
std::string report_page_html(const ReportPageInput& input);

// The note as markup of its own (inline style), placed right after <body>;
// also put into a page written earlier when an archive is redacted afterwards.
std::string redaction_note_html(const ReportPageRedaction& redaction);

// "[Title]\n...\n\n" blocks of a diagnostic text, in order.
std::vector<ReportPageSection> split_sections(const std::wstring& text);

