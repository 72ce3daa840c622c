#include "diag/archive/archive_front_page.h"

#include <algorithm>

#include "common/file_utils.h"
#include "common/format.h"
#include "diag/report/check_report.h"
#include "diag/redact/redact_kind.h"

namespace {

// The diagnostics' sections the page shows, in this order.
const wchar_t* const kFindingTitles[] = {
    L"Interference Software (요약)", L"Security Center Products", L"Third-party Kernel Drivers",
    L"File System Minifilters",      L"UAC (User Account Control)", L"Windows Firewall State",
    L"WinINet Proxy",                L"WinHTTP Proxy",
};

std::vector<ReportPageSection> findings_of(const DiagTexts& texts)
{
    std::vector<ReportPageSection> all = split_sections(texts.security_text);
    const std::vector<ReportPageSection> network = split_sections(texts.network_text);
    all.insert(all.end(), network.begin(), network.end());
    std::vector<ReportPageSection> chosen;
    for (const wchar_t* title : kFindingTitles) {
        for (const ReportPageSection& s : all)
            if (s.title == title)
                chosen.push_back(s);
    }
    return chosen;
}

std::vector<std::wstring> machine_lines(const CheckReportFacts& facts)
{
    std::vector<std::wstring> lines;
    lines.push_back(format_text(L"메모리 : 사용 가능 %s / 전체 %s", gigabytes_text(facts.memory_available).c_str(),
                                gigabytes_text(facts.memory_total).c_str()));
    lines.push_back(format_text(L"디스크 C:\\ : 남은 공간 %s / 전체 %s", gigabytes_text(facts.disk_free).c_str(),
                                gigabytes_text(facts.disk_total).c_str()));
    for (std::size_t i = 0; i < facts.monitors.size(); ++i) {
        const MonitorArea& m = facts.monitors[i];
        lines.push_back(format_text(L"모니터 %d : %d x %d (%d, %d)%s", static_cast<int>(i), m.right - m.left,
                                    m.bottom - m.top, m.left, m.top, i == 0 ? L" 주 모니터" : L""));
    }
    return lines;
}

std::wstring stored_name(std::wstring name)
{
    std::replace(name.begin(), name.end(), L'\\', L'/');
    return name;
}

} // namespace

ReportPageInput front_page_input(const SaveLogsInput& input, const DiagTexts& texts, const CheckReportFacts& facts,
                                 const std::vector<PlannedEntry>& entries,
                                 const std::vector<vantu::zip::SkippedFile>& not_packed, const std::wstring& save_time)
{
    ReportPageInput page;
    page.product_name = input.product_name;
    page.tool_version = facts.version;
    page.windows_version = facts.windows_version;
    page.run_time = input.run_ended.empty() ? input.run_started : input.run_started + L" ~ " + input.run_ended;
    page.save_time = save_time;
    page.administrator = input.administrator;
    page.items = input.page_items;
    page.machine_lines = machine_lines(facts);
    page.findings = findings_of(texts);
    for (const PlannedEntry& e : entries) {
        const std::int64_t size = e.source.empty() ? -1 : file_size(e.source);
        page.contents.push_back(ReportPageFile{stored_name(e.name), size < 0 ? 0 : static_cast<std::uint64_t>(size),
                                               size >= 0});
    }
    for (const vantu::zip::SkippedFile& s : not_packed)
        page.not_packed.push_back(ReportPageSkipped{s.source_path, vantu::zip::skip_reason_korean(s)});
    return page;
}

ManifestEntry manifest_entry(const vantu::zip::ArchiveEntryRecord& r)
{
    ManifestEntry e;
    e.name = stored_name(r.name);
    if (r.folder && (e.name.empty() || e.name.back() != L'/'))
        e.name += L'/';
    e.size = r.size;
    e.crc32 = r.crc32;
    e.sha256 = r.sha256;
    e.source = r.source_path;
    e.folder = r.folder;
    e.from_copy = r.from_copy;
    if (r.filtered) {
        e.redacted = true;
        e.encoding = r.encoding;
        for (std::size_t k = 0; k < r.replaced.size() && k < vantu::redact::kRedactKindCount; ++k) {
            std::string label(vantu::redact::kind_label(static_cast<vantu::redact::RedactKind>(k)));
            for (char& c : label)
                c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
            e.replaced.emplace_back(label, r.replaced[k]);
        }
    }
    return e;
}

ManifestInput manifest_input(const SaveLogsInput& input, const DiagTexts& texts, const CheckReportFacts& facts,
                             const SaveLogsOutcome& out, const std::vector<vantu::zip::ArchiveEntryRecord>& records,
                             const std::wstring& save_time)
{
    ManifestInput m;
    m.product_name = input.product_name;
    m.tool_version = facts.version;
    m.run_started = input.run_started;
    m.run_ended = input.run_ended;
    m.saved = save_time;
    for (const vantu::zip::ArchiveEntryRecord& r : records)
        m.entries.push_back(manifest_entry(r));
    for (const SaveLogsOutcome::InnerArchive& inner : out.inner) {
        ManifestInner listed{stored_name(inner.name), {}};
        for (const vantu::zip::ArchiveEntryRecord& r : inner.records)
            listed.entries.push_back(manifest_entry(r));
        m.inner.push_back(std::move(listed));
    }
    for (const vantu::zip::SkippedFile& s : out.not_packed)
        m.not_packed.push_back(ManifestSkipped{s.source_path, stored_name(s.name), vantu::zip::skip_reason_text(s)});
    for (const vantu::zip::RefusedFolder& r : out.refused)
        m.refused.push_back(ManifestRefused{r.path, r.real_path, vantu::zip::guard_verdict_text(r.verdict)});
    for (const CollectorRun& c : texts.runs)
        m.collectors.push_back(ManifestCollector{c.command, c.duration_ms, c.exit_code, c.started, c.timed_out});
    return m;
}
