// The report's text, the result page rows and the folder access test with fixed inputs.
#include "diag/archive/archive_test_support.h"

#include "diag/report/check_report.h"
#include "diag/report/check_report_facts.h"
#include "diag/report/result_summary.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace archive_test;
using testing::HasSubstr;

namespace {

std::wstring pad(const std::wstring& text, int blanks)
{
    return text + std::wstring(static_cast<std::size_t>(blanks), L' ');
}

// Code page 949 counts: two bytes for every Korean (non-ASCII) character.
std::size_t cp949_length(const std::wstring& text)
{
    std::size_t n = 0;
    for (wchar_t c : text)
        n += static_cast<unsigned>(c) < 0x80 ? 1 : 2;
    return n;
}

CheckReportRow row(std::array<std::wstring, 7> cells, bool web = false)
{
    CheckReportRow r;
    r.cells = std::move(cells);
    r.web_check = web;
    return r;
}

std::wstring fake_result_text(std::int32_t code, bool web)
{
    return L"text of " + std::to_wstring(code) + (web ? L" (web)" : L"");
}

CheckReportInput sample_input()
{
    CheckReportInput in;
    in.product_name = L"Vantu";
    in.rows = {
        row({L"계정", L"admin", L"", L"", L"", L"Ok", L""}),
        row({L"session", L"se.vantu", L"7002", L"t1", L"120ms", L"Ok (2/3)", L"10060"}),
        row({L"web", L"www", L"443", L"t2", L"3001ms", L"Fail", L"404"}, true),
    };
    in.security_text = L"[Windows Firewall State]\nON\n\n";
    in.scm_events_text = L"Event[0]:\n  Description: The VantuHostSvr.exe service stopped.\n"
                         L"Event[1]:\n  Description: another service stopped.\n";
    in.product_processes = {L"VantuHostSvr.exe", L"VantuServer.exe"};
    in.result_text = fake_result_text;
    return in;
}

CheckReportFacts sample_facts()
{
    CheckReportFacts f;
    f.version = L"1.0.0.1";
    f.built_time = L"2025-05-02 14:03:09";
    f.memory_available = (3ull << 30) + (100ull << 20); // 3.1 GB after rounding up
    f.memory_total = 16ull << 30;
    f.disk_free = 1;
    f.disk_total = 1863ull << 30;
    f.directory_auth = L"folder create test (X) : success\n";
    f.monitors = {{0, 0, 1920, 1080}, {-1280, 0, 0, 1024}};
    f.ansi_length = cp949_length;
    return f;
}

} // namespace

TEST(CheckReport, WholeReportLineByLine)
{
    const std::wstring text = check_result_text(sample_input(), sample_facts());
    std::wstring expected;
    expected += L"[Vantu Check Tool]\n";
    expected += L"version : 1.0.0.1\n";
    expected += L"built time : 2025-05-02 14:03:09\n\n";
    expected += L"[Failed / Unstable Items] 2 / 3\n";
    expected += L"Ok (2/3)    session  se.vantu:7002  error 10060  text of 10060\n";
    expected += L"Fail        web  www:443  error 404  text of 404 (web)\n";
    expected += L"\n";
    expected += L"memory : available = 3.1GB / total = 16.0GB\n";
    expected += L"disk C:\\ : 0.1GB / 1,863.0GB\n\n";
    expected += L"[Directory Auth]\n";
    expected += L"folder create test (X) : success\n";
    expected += L"\n[Monitor Info]\n";
    expected += L"[0] (0, 0)~(1920, 1080) (1920 x 1080)\n";
    expected += L"[1] (-1280, 0)~(0, 1024) (1280 x 1024)\n";
    expected += L"\n";
    expected += L"[Windows Firewall State]\nON\n\n";
    expected += L"[Server Check Result]\n";
    // Widths in ANSI bytes with the terminating zero: 8, 9, 5, 3, 7, 9, 6.
    expected += L"000  " + pad(L"계정", 7) + pad(L"admin", 7) + pad(L"", 8) + pad(L"", 6) + pad(L"", 10) +
                pad(L"Ok", 10) + pad(L"", 9) + L"\n";
    expected += L"001  " + pad(L"session", 4) + pad(L"se.vantu", 4) + pad(L"7002", 4) + pad(L"t1", 4) +
                pad(L"120ms", 5) + pad(L"Ok (2/3)", 4) + pad(L"10060", 4) + L"\n";
    expected += L"002  " + pad(L"web", 8) + pad(L"www", 9) + pad(L"443", 5) + pad(L"t2", 4) + pad(L"3001ms", 4) +
                pad(L"Fail", 8) + pad(L"404", 6) + L"\n";
    expected += L"\n";
    expected += L"[Service Control Manager Events]\n";
    expected += L"  대상 : VantuHostSvr.exe, VantuServer.exe\n  전체 목록은 eventlog.txt 참고\n";
    expected += L"Event[0]:\n  Description: The VantuHostSvr.exe service stopped.\n\n";
    EXPECT_EQ(expected, text);
}

TEST(CheckReport, NoFailuresNoEventsAndAServiceSection)
{
    CheckReportInput in = sample_input();
    in.rows = {row({L"계정", L"admin", L"", L"", L"", L"Ok", L""})};
    in.scm_events_text = L"Event[0]:\n  Description: unrelated.\n";
    CheckReportFacts facts = sample_facts();
    facts.service_failure_section = L"[Service Failure Config]\n> sc qfailure X\nok\n\n";
    const std::wstring text = check_result_text(in, facts);
    EXPECT_THAT(text, HasSubstr(L"[Failed / Unstable Items] 0 / 1\n\nmemory : "));
    EXPECT_THAT(text, HasSubstr(L"\n\n[Service Failure Config]\n> sc qfailure X\nok\n\n[Service Control Manager Events]\n"));
    EXPECT_THAT(text, HasSubstr(L"참고\n해당 이벤트가 없습니다.\n\n"));
    EXPECT_EQ(text.size() - std::wstring(L"해당 이벤트가 없습니다.\n\n").size(), text.rfind(L"해당 이벤트가 없습니다."));

    // Zero figures print as zero sizes; an empty code column reads as 0.
    EXPECT_EQ(L"0.0GB", gigabytes_text(0));
    EXPECT_EQ(0, code_column(row({L"", L"", L"", L"", L"", L"Fail", L""})));
    EXPECT_EQ(0, code_column(row({L"", L"", L"", L"", L"", L"Fail", L"abc"})));
    EXPECT_EQ(-5, code_column(row({L"", L"", L"", L"", L"", L"Fail", L"-5"})));
}

TEST(CheckReport, FileIsUtf8WithMarkAndCrLf)
{
    EXPECT_EQ("\xEF\xBB\xBF" "a\r\n\r\n\xEA\xB0\x80\r\n", utf8_file_bytes(L"a\n\n\xAC00\n"));
}

TEST(CheckReport, ResultPageRowsForFailedAndUnstableItems)
{
    const auto rows = build_result_summary(
        sample_input().rows, fake_result_text, [](std::int32_t code) { return L"hint " + std::to_wstring(code); });
    ASSERT_EQ(2u, rows.size());
    EXPECT_EQ(L"불안정 (2/3)", rows[0].status);
    EXPECT_EQ(0x507FFFu, rows[0].colour);
    EXPECT_EQ(L"session", rows[0].category);
    EXPECT_EQ(L"se.vantu:7002 (10060 text of 10060) hint 10060", rows[0].content);
    EXPECT_EQ(L"실패", rows[1].status);
    EXPECT_EQ(0xFFB22222u, rows[1].colour);
    EXPECT_EQ(L"www:443 (404 text of 404 (web)) hint 404", rows[1].content);

    // No port: the target has no colon; a "|" in a cell does not shift the columns.
    const auto odd = build_result_summary({row({L"a|b", L"host", L"", L"", L"", L"Fail", L"90002"})}, nullptr, nullptr);
    ASSERT_EQ(1u, odd.size());
    EXPECT_EQ(L"a|b", odd[0].category);
    EXPECT_EQ(L"host (90002 ) ", odd[0].content);
}

TEST(CheckReport, DirectoryTestCreatesWritesAndRemoves)
{
    ScratchFolder scratch;
    const DirectoryTestOutcome o = run_directory_test(scratch.path());
    EXPECT_TRUE(o.folder_created);
    EXPECT_TRUE(o.file_written);
    EXPECT_TRUE(o.file_deleted);
    EXPECT_TRUE(o.folder_deleted);
    EXPECT_FALSE(exists(o.folder));
    EXPECT_EQ(scratch / L"__test_for_create_folder__", o.folder);

    const std::wstring lines = directory_test_lines(o);
    EXPECT_EQ(L"folder create test (" + o.folder + L") : success\nfolder create test (" + o.file +
                  L") : success\nDeleteFile(" + o.file + L") success\nDeleteFile(" + o.folder + L") success\n",
              lines);

    // Below a plain file nothing can be created: every step reports its failure.
    write_file(scratch / L"plain", "x");
    const DirectoryTestOutcome bad = run_directory_test(scratch / L"plain");
    EXPECT_FALSE(bad.folder_created);
    EXPECT_FALSE(bad.file_written);
    EXPECT_FALSE(bad.file_deleted);
    const std::wstring bad_lines = directory_test_lines(bad);
    EXPECT_THAT(bad_lines, HasSubstr(L"__test_for_create_folder__) : failed\n"));
    EXPECT_THAT(bad_lines, HasSubstr(L"__test_for_create_file__.txt) failed. error code : "));
}

TEST(CheckReport, WriteCheckResultRefusesAnUncreatableFile)
{
    ScratchFolder scratch;
    EXPECT_FALSE(write_check_result(scratch / L"missing/check_result.txt", sample_input()));
    const std::wstring path = scratch / L"check_result.txt";
    ASSERT_TRUE(write_check_result(path, sample_input()));
    const std::string bytes = read_file(path);
    EXPECT_EQ(0u, bytes.rfind("\xEF\xBB\xBF[Vantu Check Tool]\r\nversion : ", 0));
    EXPECT_THAT(bytes, HasSubstr("[Directory Auth]\r\nfolder create test ("));
    EXPECT_THAT(bytes, HasSubstr("[Server Check Result]\r\n000  "));
}
