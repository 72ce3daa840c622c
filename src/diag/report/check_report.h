// The report check_result.txt: what failed and why, the machine's figures, the
// folder access test, the monitors, the security diagnostics, the whole result
// table and the product's service events. The dialog or a console front end fills
// CheckReportInput; the machine's figures are gathered by write_check_result.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

// One row of the log page: category, target, port, check time, duration,
// verdict, code; and whether the row's item is a web (HTTP) check.
struct CheckReportRow
{
    std::array<std::wstring, 7> cells;
    bool web_check = false;
};

struct CheckReportInput
{
    std::wstring product_name;
    std::vector<CheckReportRow> rows;
    std::wstring security_text;
    std::wstring scm_events_text;
    std::deque<std::wstring> product_processes;
    std::wstring service_name; // empty: no "Service Failure Config" section
    // Text of a result code for the failed-items lines (code, web check).
    std::function<std::wstring(std::int32_t, bool)> result_text;
    // Written after everything else: why each server item passed or failed.
    std::wstring diagnosis_section;
};

struct MonitorArea
{
    int left = 0, top = 0, right = 0, bottom = 0;
};

// What write_check_result learns from the machine while it writes.
struct CheckReportFacts
{
    std::wstring version;
    std::wstring built_time;
    std::uint64_t memory_available = 0;
    std::uint64_t memory_total = 0;
    std::uint64_t disk_free = 0;
    std::uint64_t disk_total = 0;
    std::wstring directory_auth; // the lines of the folder access test
    std::vector<MonitorArea> monitors; // primary first
    std::wstring service_failure_section;
    // Bytes of a text in the ANSI code page, without a terminating zero.
    std::function<std::size_t(const std::wstring&)> ansi_length;
    // Not in the report: the front page names the system ("Windows 11 Pro 23H2
    // (22631)").
    std::wstring windows_version;
};

// The report's and the result page's reading of the log page's rows, as they
// are described: the rows whose column 5 is "Fail" or begins with "Ok (" (the
// list's own collect_failed_rows, on the rows the save copied), and column 6
// read as a decimal number (0 when empty or not a number). Nothing else reads
// a cell's text: the rest of the program reads the run's outcomes.
std::vector<std::size_t> collect_failed_rows(const std::vector<CheckReportRow>& rows);
std::int32_t code_column(const CheckReportRow& row);

// Sizes in gigabytes with one decimal, rounded up: "3.2GB", "1,863.0GB".
std::wstring gigabytes_text(std::uint64_t bytes);

// The lines of the folder access test.
struct DirectoryTestOutcome
{
    std::wstring folder;
    std::wstring file;
    bool folder_created = false;
    bool file_written = false;
    bool file_deleted = false;
    std::uint32_t file_delete_error = 0;
    bool folder_deleted = false;
    std::uint32_t folder_delete_error = 0;
};
std::wstring directory_test_lines(const DirectoryTestOutcome& outcome);

// The result table with every column padded to its widest cell in ANSI bytes.
std::wstring result_table_text(const std::vector<CheckReportRow>& rows,
                               const std::function<std::size_t(const std::wstring&)>& ansi_length);

// The whole report as text ("\n" line ends).
std::wstring check_result_text(const CheckReportInput& input, const CheckReportFacts& facts);

inline constexpr const wchar_t* kReportCreateFailed =
    L"진단결과 저장을 위한 check_result.txt 파일을 생성할 수 없습니다.";

// Gathers the machine's figures, runs the folder access test and writes the
// report as UTF-8 with byte-order mark and CR LF line ends. False (and nothing
// written, no test run) when the file cannot be created; the caller shows
// kReportCreateFailed.
// `facts_out` (may be null) receives the figures the report was written with.
bool write_check_result(const std::wstring& path, const CheckReportInput& input,
                        CheckReportFacts* facts_out = nullptr);

// The UTF-8 file form of a text: byte-order mark, "\n" as CR LF.
std::string utf8_file_bytes(const std::wstring& text);
// Writes the bytes to a new file; false when it cannot be created or written.
bool write_bytes_file(const std::wstring& path, const std::string& bytes);
