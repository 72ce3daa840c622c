#include "diag/report/check_report.h"

#include "common/format.h"
#include "common/size_format.h"
#include "common/text_convert.h"
#include "diag/collect/diag_section.h"
#include "diag/collect/event_filter.h"

#include <algorithm>
#include <cwchar>

std::vector<std::size_t> collect_failed_rows(const std::vector<CheckReportRow>& rows)
{
    std::vector<std::size_t> failed;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const std::wstring& verdict = rows[r].cells[5];
        if (verdict == L"Fail" || verdict.rfind(L"Ok (", 0) == 0)
            failed.push_back(r);
    }
    return failed;
}

std::int32_t code_column(const CheckReportRow& row)
{
    const std::wstring& text = row.cells[6];
    if (text.empty())
        return 0;
    wchar_t* end = nullptr;
    const long long value = std::wcstoll(text.c_str(), &end, 10);
    if (end == text.c_str())
        return 0;
    return static_cast<std::int32_t>(std::clamp<long long>(value, INT32_MIN, INT32_MAX));
}

std::wstring gigabytes_text(std::uint64_t bytes)
{
    return format_size(bytes, 3, 1, true, true, false);
}

std::wstring directory_test_lines(const DirectoryTestOutcome& o)
{
    std::wstring out;
    out += format_text(L"folder create test (%s) : %s\n", o.folder.c_str(), o.folder_created ? L"success" : L"failed");
    out += format_text(L"folder create test (%s) : %s\n", o.file.c_str(), o.file_written ? L"success" : L"failed");
    if (o.file_deleted)
        out += format_text(L"DeleteFile(%s) success\n", o.file.c_str());
    else
        out += format_text(L"DeleteFile(%s) failed. error code : %d\n", o.file.c_str(),
                           static_cast<int>(o.file_delete_error));
    if (o.folder_deleted)
        out += format_text(L"DeleteFile(%s) success\n", o.folder.c_str());
    else
        out += format_text(L"DeleteFile(%s) failed. error code : %d\n", o.folder.c_str(),
                           static_cast<int>(o.folder_delete_error));
    return out;
}

std::wstring result_table_text(const std::vector<CheckReportRow>& rows,
                               const std::function<std::size_t(const std::wstring&)>& ansi_length)
{
    auto bytes = [&](const std::wstring& t) -> std::size_t {
        return (ansi_length ? ansi_length(t) : to_system_narrow(t).size()) + 1;
    };
    std::array<std::size_t, 7> width{};
    for (const CheckReportRow& row : rows)
        for (std::size_t j = 0; j < 7; ++j)
            width[j] = std::max(width[j], bytes(row.cells[j]));

    std::wstring out;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        out += format_text(L"%03d  ", static_cast<int>(r));
        for (std::size_t j = 0; j < 7; ++j) {
            const std::wstring& t = rows[r].cells[j];
            // Pad to the widest cell in ANSI bytes, so a double-byte character
            // takes the two columns it occupies in a fixed-width font.
            const std::size_t field = t.size() + width[j] - bytes(t) + 4;
            out += t;
            out.append(field - t.size(), L' ');
        }
        out += L"\n";
    }
    return out;
}

std::wstring check_result_text(const CheckReportInput& in, const CheckReportFacts& facts)
{
    std::wstring out;
    out += format_text(L"[%s Check Tool]\n", in.product_name.c_str());
    out += format_text(L"version : %s\n", facts.version.c_str());
    out += format_text(L"built time : %s\n\n", facts.built_time.c_str());

    const std::vector<std::size_t> failed = collect_failed_rows(in.rows);
    out += format_text(L"[Failed / Unstable Items] %d / %d\n", static_cast<int>(failed.size()),
                       static_cast<int>(in.rows.size()));
    for (std::size_t r : failed) {
        const CheckReportRow& row = in.rows[r];
        const std::int32_t code = code_column(row);
        const std::wstring text = in.result_text ? in.result_text(code, row.web_check) : std::wstring();
        out += format_text(L"%-10s  %s  %s:%s  error %d  %s\n", row.cells[5].c_str(), row.cells[0].c_str(),
                           row.cells[1].c_str(), row.cells[2].c_str(), static_cast<int>(code), text.c_str());
    }
    out += L"\n";

    out += format_text(L"memory : available = %s / total = %s\n", gigabytes_text(facts.memory_available).c_str(),
                       gigabytes_text(facts.memory_total).c_str());
    out += format_text(L"disk C:\\ : %s / %s\n\n", gigabytes_text(facts.disk_free).c_str(),
                       gigabytes_text(facts.disk_total).c_str());

    out += L"[Directory Auth]\n";
    out += facts.directory_auth;

    out += L"\n[Monitor Info]\n";
    for (std::size_t i = 0; i < facts.monitors.size(); ++i) {
        const MonitorArea& m = facts.monitors[i];
        const std::wstring area = format_text(L"(%d, %d)~(%d, %d) (%d x %d)", m.left, m.top, m.right, m.bottom,
                                              m.right - m.left, m.bottom - m.top);
        out += format_text(L"[%d] %s\n", static_cast<int>(i), area.c_str());
    }
    out += L"\n";

    out += in.security_text;

    out += L"[Server Check Result]\n";
    out += result_table_text(in.rows, facts.ansi_length);
    out += L"\n";

    out += facts.service_failure_section;

    std::wstring events = filter_events(in.scm_events_text, in.product_processes);
    if (events.empty())
        events = L"해당 이벤트가 없습니다.";
    const std::wstring note =
        L"  대상 : " + join_process_names(in.product_processes) + L"\n  전체 목록은 eventlog.txt 참고";
    out += format_section(L"Service Control Manager Events", note, events);
    out += in.diagnosis_section;
    return out;
}

std::string utf8_file_bytes(const std::wstring& text)
{
    std::wstring crlf;
    crlf.reserve(text.size() + text.size() / 16);
    for (wchar_t c : text) {
        if (c == L'\n')
            crlf += L'\r';
        crlf += c;
    }
    return "\xEF\xBB\xBF" + to_utf8(crlf);
}
