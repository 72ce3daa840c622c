// marlocheck.exe never waits on a window or on a server that does not answer:
// a hosts file another process holds without sharing is one line on standard
// error, and a web item to an HTTPS server that accepts and never answers ends
// by the program's own bound. Runs in a Wine prefix of its own (OWN_PREFIX):
// holding the hosts file would trip every test beside it.
#include "console/marlocheck_test_support.h"

namespace {

using namespace console_test;

// Long enough for three attempts at their full bound (3 x 67 s) and the rest.
constexpr DWORD kSilentRunLimitMs = 420000;

std::wstring hosts_path()
{
    wchar_t windows[MAX_PATH] = {};
    GetSystemWindowsDirectoryW(windows, MAX_PATH);
    return std::wstring(windows) + L"\\System32\\drivers\\etc\\hosts";
}

using MarlocheckNoWindow = ConsoleServerTest;

} // namespace

TEST_F(MarlocheckNoWindow, AHostsFileHeldByAnotherProcessIsOneLineAndTheSaveGoesOn)
{
    const std::wstring hosts = hosts_path();
    if (GetFileAttributesW(hosts.c_str()) == INVALID_FILE_ATTRIBUTES)
        archive_test::write_file(hosts, "127.0.0.1 localhost\r\n");
    // Held as a hosts-file manager or a scan holds it: open, shared with nobody.
    HANDLE held = CreateFileW(hosts.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE) << "cannot hold " << to_utf8(hosts) << ", error " << GetLastError();

    serve_checklist(check_list(" \"session\": [" + entry(L"VANTU_TS_TQS_OK_PORT") + "]"));
    Marlocheck m;
    ASSERT_TRUE(m.start(web_host_option() + L" --save"));
    const bool ended = m.finish();
    CloseHandle(held);
    ASSERT_TRUE(ended) << "marlocheck waited on something; error output so far:\n" << m.err();
    EXPECT_EQ(m.exit_code(), 0u) << m.out() << m.err();
    EXPECT_TRUE(contains(m.err(), L"marlocheck: " + hosts + L": 파일을 열 수 없습니다. 다른 프로세스에 의해 사용중일 수 있습니다."))
        << m.err();
    // The archive was still made: its path is the last line.
    const std::vector<std::string> lines = m.out_lines();
    ASSERT_FALSE(lines.empty());
    EXPECT_NE(lines.back().find(".zip"), std::string::npos) << m.out();
}

TEST_F(MarlocheckNoWindow, AWebItemToAServerThatNeverAnswersEndsAsATimeOut)
{
    const std::wstring silent = env(L"VANTU_TS_SILENT_443_HOST");
    ASSERT_FALSE(silent.empty()) << "the test server serves no silent HTTPS address";
    serve_checklist(check_list(" \"web\": [\"https://" + to_utf8(silent) + "\"]"));
    const std::wstring json = scratch / L"silent.json";
    Marlocheck m;
    ASSERT_TRUE(m.start(web_host_option() + L" --json \"" + json + L"\""));
    ASSERT_TRUE(m.finish(kSilentRunLimitMs)) << "the run did not end; output so far:\n" << m.out() << m.err();
    EXPECT_EQ(m.exit_code(), 1u) << m.out() << m.err();
    // The item failed with WinINet's time-out code, and its cause says so.
    const std::string out = m.out();
    EXPECT_TRUE(contains(out, L"Fail")) << out;
    EXPECT_NE(out.find("12002"), std::string::npos) << out;
    EXPECT_TRUE(contains(out, L"응답하지 않았습니다")) << out;
    const std::string results = archive_test::read_file(json);
    EXPECT_NE(results.find("\"timed-out\""), std::string::npos) << results;
}
