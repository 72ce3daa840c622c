// The server check against the test server: the handshake on ports up to 8000, the
// plain connect above, the relay item, and (on Windows) the web test.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "check/run/check_codes.h"
#include "check/run/check_run.h"
#include "checkrun/recording_view.h"
#include "common/log.h"
#include "common/text_convert.h"
#ifdef _WIN32
#include "check/http/http_request.h"
#endif

namespace {

int env_port(const char* name)
{
    const char* v = std::getenv(name);
    return v ? std::atoi(v) : 0;
}

// One item in group 1 of a fresh run, checked with the real check_server.
class CheckServerTest : public testing::Test
{
protected:
    RecordingView view;
    CCheckRun run{&view};

    CCheckParam check(const std::wstring& title, const std::wstring& host, int port, bool socket_test,
                      bool* passed = nullptr)
    {
        run.m_check_groups.clear();
        run.m_check_groups.push_back({CCheckItem{}});
        CCheckItem item;
        item.title = title;
        item.host = host;
        item.port = port;
        item.kind_index = socket_test ? 4 : 6;
        item.socket_test = socket_test;
        run.m_check_groups.push_back({item});
        CCheckParam param(1, 0);
        const bool ok = run.check_server(param);
        if (passed)
            *passed = ok;
        EXPECT_EQ(ok, param.success_count > 0);
        return param;
    }

    static int port(const char* name)
    {
        const int p = env_port(name);
        EXPECT_GT(p, 0) << name << " is not set: run this test through tests/support/with-testserver";
        return p;
    }
};

} // namespace

TEST_F(CheckServerTest, HandshakeAnsweredThreeTimes)
{
    const int p = port("VANTU_TS_TQS_OK_PORT");
    ASSERT_LE(p, kHandshakeMaxPort);
    bool passed = false;
    const CCheckParam r = check(L"세션 서버", L"127.0.0.1", p, true, &passed);
    EXPECT_TRUE(passed);
    EXPECT_EQ(r.result_code, 0);
    EXPECT_EQ(r.success_count, 3);
    EXPECT_EQ(r.attempt_count, 3);
    EXPECT_EQ(r.last_failure, 0);
    EXPECT_GE(r.total_ms, r.longest_ms);
    EXPECT_GE(r.longest_ms, 0);
}

TEST_F(CheckServerTest, WrongCommandGivesWrongAnswerAndTheLastMessage)
{
    const int p = port("VANTU_TS_TQS_WRONG_COMMAND_PORT");
    bool passed = true;
    const CCheckParam r = check(L"세션 서버", L"127.0.0.1", p, true, &passed);
    EXPECT_FALSE(passed);
    EXPECT_EQ(r.result_code, CHECK_WRONG_ANSWER);
    EXPECT_EQ(r.last_failure, CHECK_WRONG_ANSWER);
    EXPECT_EQ(r.success_count, 0);
    EXPECT_EQ(r.attempt_count, 3);
    EXPECT_EQ(r.message, L"TQS protocol error : could not recv NMS_C_START_OK (command : 0). retry_count : 3/3");
}

TEST_F(CheckServerTest, SuccessThenRefusalIsPartlyOk)
{
    const int p = port("VANTU_TS_TQS_OK_ONCE_PORT");
    bool passed = false;
    const CCheckParam r = check(L"스트리밍 서버", L"127.0.0.1", p, true, &passed);
    EXPECT_TRUE(passed);
    EXPECT_EQ(r.result_code, 0);
    EXPECT_EQ(r.success_count, 1);
    EXPECT_EQ(r.attempt_count, 3);
    EXPECT_EQ(r.last_failure, CHECK_CONNECT);
    EXPECT_EQ(r.message, L"스트리밍 서버 connect fail. retry_count : 3/3");

    // What the log page shows for it.
    view.add_log_row(L"x");
    run.show_result(0, r);
    EXPECT_EQ(view.rows[0].cells[LOG_COL_RESULT], L"Ok (1/3)");
    EXPECT_EQ(view.rows[0].cells[LOG_COL_NOTE], L"90103");
}

TEST_F(CheckServerTest, KeyExchangeFailuresAreConnectionFailures)
{
    for (const char* name : {"VANTU_TS_TQS_CLOSE_AFTER_KEY_PORT", "VANTU_TS_TQS_BAD_SESSION_KEY_PORT"}) {
        const CCheckParam r = check(L"세션 서버", L"127.0.0.1", port(name), true);
        EXPECT_EQ(r.result_code, CHECK_CONNECT) << name;
        EXPECT_EQ(r.attempt_count, 3) << name;
        EXPECT_EQ(r.message, L"세션 서버 connect fail. retry_count : 3/3") << name;
    }
}

TEST_F(CheckServerTest, RelayPassesAfterTheKeyExchange)
{
    // The wrong-command server completes the key exchange; the relay item sends
    // no handshake, so it passes where a session item fails.
    const int p = port("VANTU_TS_TQS_WRONG_COMMAND_PORT");
    bool passed = false;
    const CCheckParam r = check(L"중계 서버", L"127.0.0.1", p, true, &passed);
    EXPECT_TRUE(passed);
    EXPECT_EQ(r.success_count, 3);
    EXPECT_EQ(r.attempt_count, 3);
    // But it still needs the key exchange.
    const CCheckParam closed = check(L"중계 서버", L"127.0.0.1", port("VANTU_TS_TQS_CLOSE_AFTER_KEY_PORT"), true);
    EXPECT_EQ(closed.result_code, CHECK_CONNECT);
    EXPECT_EQ(closed.success_count, 0);
}

TEST_F(CheckServerTest, PortsAbove8000GetAPlainConnect)
{
    // The plain server accepts and closes at once: a handshake there would fail.
    const int p = port("VANTU_TS_PLAIN_PORT");
    ASSERT_GT(p, kHandshakeMaxPort);
    bool passed = false;
    const CCheckParam r = check(L"세션 서버", L"127.0.0.1", p, true, &passed);
    EXPECT_TRUE(passed);
    EXPECT_EQ(r.result_code, 0);
    EXPECT_EQ(r.success_count, 3);
    EXPECT_EQ(r.message,
              L"socket create() ok for connection test to 127.0.0.1:" + std::to_wstring(p) + L". retry_count : 3/3");
}

TEST_F(CheckServerTest, ClosedPortFailsEveryAttempt)
{
    const int p = port("VANTU_TS_CLOSED_PORT");
    ASSERT_GT(p, kHandshakeMaxPort);
    bool passed = true;
    const CCheckParam r = check(L"세션 서버", L"127.0.0.1", p, true, &passed);
    EXPECT_FALSE(passed);
    EXPECT_EQ(r.result_code, CHECK_CONNECT);
    EXPECT_EQ(r.attempt_count, 3);
    EXPECT_EQ(r.success_count, 0);
    EXPECT_EQ(r.message, L"socket Connect() fail for connection test to 세션 서버. retry_count : 3/3");

    // A record asking for no attempts still gets one, and fails with its code.
    CCheckParam none(1, 0);
    none.retry_count = 0;
    EXPECT_FALSE(run.check_server(none));
    EXPECT_EQ(none.attempt_count, 1);
    EXPECT_EQ(none.result_code, CHECK_CONNECT);
}

TEST_F(CheckServerTest, UnknownHostAndImpossiblePortFail)
{
    const CCheckParam name = check(L"세션 서버", L"no-such-host.invalid", 7002, true);
    EXPECT_EQ(name.result_code, CHECK_CONNECT);
    EXPECT_EQ(name.attempt_count, 3);
    // 65536 + the plain port would wrap onto the plain server's port.
    const CCheckParam wrap = check(L"세션 서버", L"127.0.0.1", 65536 + port("VANTU_TS_PLAIN_PORT"), true);
    EXPECT_EQ(wrap.result_code, CHECK_CONNECT);
    EXPECT_EQ(wrap.success_count, 0);
}

TEST_F(CheckServerTest, ItemOutsideTheListHasNoServerInformation)
{
    run.m_check_groups.clear();
    CCheckParam param(3, 0);
    EXPECT_FALSE(run.check_server(param));
    EXPECT_EQ(param.result_code, CHECK_NO_SERVER_INFO);
    EXPECT_EQ(param.attempt_count, 0);
}

TEST_F(CheckServerTest, RunWritesItsLogLines)
{
    const int p = port("VANTU_TS_TQS_OK_PORT");
    ASSERT_NE(g_log, nullptr);
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "vantu_checkrun_log";
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
    std::filesystem::create_directories(folder);
    const std::wstring folder_before = g_log->m_folder, base_before = g_log->m_base_name;
    g_log->close_file();
    g_log->m_folder = folder.wstring();
    g_log->m_base_name = L"checkrun";

    const std::string body = R"({"product path agent": "a", "product path viewer": "v", "agent log path": "l",
        "session": ["127.0.0.1:)" + std::to_string(p) + R"("]})";
    ASSERT_TRUE(run.init_check_list(body, L"").ok);
    run.thread_check();
    EXPECT_TRUE(view.finished_completed);
    const std::wstring path = g_log->get_log_path();
    g_log->close_file();
    g_log->m_folder = folder_before;
    g_log->m_base_name = base_before;

    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    ASSERT_TRUE(in) << "no log file";
    std::stringstream bytes;
    bytes << in.rdbuf();
    in.close();
    const std::string log = bytes.str();
    const std::string port_text = std::to_string(p);
    for (const std::string& expected : {
             std::string("[CMarloCheckToolDlg::init_check_list]"),
             std::string("CMarloCheckToolDlg::init_check_list finished."),
             "[info] " + to_utf8(L"세션 서버") + "(127****1:" + port_text + ")...",
             std::string("[CCheckRun::check_server]"),
             "127****1:" + port_text + " checking... retry_count : 1/3",
             "127****1:" + port_text + " checking... retry_count : 3/3",
             to_utf8(L"세션 서버") + " connect() ok. retry_count : 2/3",
             std::string("send NMS_C_START"),
             std::string("recv NMS_C_START_OK"),
             std::string("checking completed."),
         })
        EXPECT_NE(log.find(expected), std::string::npos) << "missing: " << expected;
    // The address itself never reaches the log.
    EXPECT_EQ(log.find("127.0.0.1"), std::string::npos);
    std::filesystem::remove_all(folder, ec);
    EXPECT_FALSE(ec) << ec.message();
}

TEST_F(CheckServerTest, WebTargetRules)
{
    CCheckItem item;
    item.host = L"netapi.vantu.test";
    item.port = 443;
    WebTestTarget t = web_test_target(item);
    EXPECT_TRUE(t.https);
    EXPECT_EQ(t.path, L"/api/v1.0/pelvarosta/GetApiTest");
    item.host = L"www.vantu.test";
    item.port = 80;
    t = web_test_target(item);
    EXPECT_FALSE(t.https);
    EXPECT_EQ(t.path, L"");
    item.port = 8443;
    EXPECT_FALSE(web_test_target(item).https);

    EXPECT_EQ(web_attempt_result(200), 0);
    EXPECT_EQ(web_attempt_result(404), 404);
    EXPECT_EQ(web_attempt_result(0), CHECK_WRONG_ANSWER);
    EXPECT_EQ(web_attempt_result(12029), 12029);
    EXPECT_EQ(web_attempt_result(-1), -1);
    EXPECT_TRUE(web_attempt_is_final(404));
    EXPECT_TRUE(web_attempt_is_final(100));
    EXPECT_TRUE(web_attempt_is_final(599));
    EXPECT_FALSE(web_attempt_is_final(200));
    EXPECT_FALSE(web_attempt_is_final(0));
    EXPECT_FALSE(web_attempt_is_final(12029));
    EXPECT_FALSE(web_attempt_is_final(600));
}

#ifdef _WIN32
namespace {

// Sets up an answer of the test server for `path`.
void add_rule(int http_port, const std::wstring& query)
{
    HttpRequest control(L"127.0.0.1", http_port, L"/__control/rule?" + query, L"POST", false);
    control.perform(false);
    ASSERT_EQ(control.m_status, 200) << std::string(control.m_text.begin(), control.m_text.end());
}

int count_requests(int http_port, const std::wstring& line_start)
{
    HttpRequest log(L"127.0.0.1", http_port, L"/__control/requests", L"GET", false);
    log.perform(false);
    EXPECT_EQ(log.m_status, 200);
    int n = 0;
    size_t pos = 0;
    while ((pos = log.m_text.find(line_start, pos)) != std::wstring::npos) {
        ++n;
        pos += line_start.size();
    }
    return n;
}

void reset_server(int http_port)
{
    HttpRequest reset(L"127.0.0.1", http_port, L"/__control/reset", L"POST", false);
    reset.perform(false);
    ASSERT_EQ(reset.m_status, 200);
}

} // namespace

TEST_F(CheckServerTest, WebAnswered200ThreeTimes)
{
    const int p = port("VANTU_TS_HTTP_PORT");
    reset_server(p);
    add_rule(p, L"path=/&status=200&body=ok");
    bool passed = false;
    const CCheckParam r = check(L"웹 서버", L"127.0.0.1", p, false, &passed);
    EXPECT_TRUE(passed);
    EXPECT_EQ(r.result_code, 0);
    EXPECT_EQ(r.success_count, 3);
    EXPECT_EQ(r.attempt_count, 3);
    EXPECT_EQ(count_requests(p, L"GET / HTTP/1.0"), 3);
}

TEST_F(CheckServerTest, WebAnswered404IsTriedOnce)
{
    const int p = port("VANTU_TS_HTTP_PORT");
    reset_server(p);
    bool passed = true;
    const CCheckParam r = check(L"웹 서버", L"127.0.0.1", p, false, &passed);
    EXPECT_FALSE(passed);
    EXPECT_EQ(r.result_code, 404);
    EXPECT_EQ(r.attempt_count, 1);
    EXPECT_EQ(r.success_count, 0);
    EXPECT_EQ(r.message.rfind(L"not found: /", 0), 0u) << std::string(r.message.begin(), r.message.end());
    EXPECT_EQ(count_requests(p, L"GET / "), 1);
}

TEST_F(CheckServerTest, WebNetworkErrorIsTriedThreeTimes)
{
    const int p = port("VANTU_TS_CLOSED_PORT");
    bool passed = true;
    const CCheckParam r = check(L"웹 서버", L"127.0.0.1", p, false, &passed);
    EXPECT_FALSE(passed);
    EXPECT_EQ(r.attempt_count, 3);
    // WinINet's own error code, not an HTTP status.
    EXPECT_GE(r.result_code, 12000);
    EXPECT_LE(r.result_code, 12174);
    EXPECT_EQ(r.last_failure, r.result_code);
}

TEST_F(CheckServerTest, WebOverHttpsWithASelfSignedCertificate)
{
    // Port 443 cannot be bound here: the HTTPS listener on its own port is asked
    // for through the https:// host form, which the client takes as HTTPS.
    const int http = port("VANTU_TS_HTTP_PORT");
    const int https = port("VANTU_TS_HTTPS_PORT");
    reset_server(http);
    add_rule(http, L"path=/&status=200&body=ok");
    const CCheckParam r = check(L"API 서버", L"https://127.0.0.1", https, false);
    EXPECT_EQ(r.result_code, 0);
    EXPECT_EQ(r.success_count, 3);
    // The same listener asked over plain HTTP does not answer as HTTP.
    const CCheckParam plain = check(L"API 서버", L"127.0.0.1", https, false);
    EXPECT_NE(plain.result_code, 0);
}

TEST_F(CheckServerTest, WebPortBeyondTcpFails)
{
    const CCheckParam r = check(L"웹 서버", L"127.0.0.1", 65536 + port("VANTU_TS_HTTP_PORT"), false);
    EXPECT_EQ(r.result_code, 12005);
    EXPECT_EQ(r.success_count, 0);
}
#else
TEST_F(CheckServerTest, WebTestIsAClearFailureWithoutWinInet)
{
    const CCheckParam r = check(L"웹 서버", L"127.0.0.1", port("VANTU_TS_HTTP_PORT"), false);
    EXPECT_EQ(r.result_code, -1);
    EXPECT_EQ(r.success_count, 0);
    EXPECT_NE(r.message.find(L"not available"), std::wstring::npos);
}
#endif
