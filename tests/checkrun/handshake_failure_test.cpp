// The ways a server check fails after the connection, against the test server:
// no answer after the key exchange, a reset right after it, a socket that cannot
// be created; and the channel events the check run hands its listener.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "check/channel/session_event_listener.h"
#include "check/run/check_run.h"
#include "checkrun/recording_view.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace {

class RecordingListener : public CSessionEventListener {
public:
    std::vector<std::pair<int, int>> events;
    void on_session_message(int, const std::wstring&) override {}
    void on_session_event(int event, int value) override { events.emplace_back(event, value); }
    void on_session_closed() override {}
    void on_session_progress(int) override {}
};

int server_port(const char* name)
{
    const char* v = std::getenv(name);
    const int port = v ? std::atoi(v) : 0;
    EXPECT_GT(port, 0) << name << " is not set: run this test through tests/support/with-testserver";
    return port;
}

class HandshakeFailureTest : public testing::Test {
protected:
    RecordingView view;
    RecordingListener listener;
    CCheckRun run{&view};

    void SetUp() override { run.m_listener = &listener; }

    CCheckParam check(const std::wstring& title, int port, int attempts)
    {
        run.m_check_groups.clear();
        run.m_check_groups.push_back({CCheckItem{}});
        CCheckItem item;
        item.title = title;
        item.host = L"127.0.0.1";
        item.port = port;
        item.kind_index = 4;
        item.socket_test = true;
        run.m_check_groups.push_back({item});
        CCheckParam param(1, 0);
        param.retry_count = attempts;
        run.check_server(param);
        return param;
    }
};

}  // namespace

TEST_F(HandshakeFailureTest, ResetAfterTheKeyExchangeFailsTheStartExchange)
{
    // The server resets right after the key exchange. Whether the reset arrives
    // before the client's send of the start (the send fails) or just after it
    // (the receive of the answer fails) is up to the scheduler: both are the
    // start exchange failing, each with its own code and text.
    const CCheckParam r = check(L"세션 서버", server_port("VANTU_TS_TQS_CLOSE_AFTER_EXCHANGE_PORT"), 3);
    ASSERT_TRUE(r.result_code == 90104 || r.result_code == 90105) << r.result_code;
    EXPECT_EQ(r.last_failure, r.result_code);
    EXPECT_EQ(r.attempt_count, 3);
    EXPECT_EQ(r.success_count, 0);
    const wchar_t* expected_start = r.result_code == 90104 ? L"send NMS_C_START. error : " : L"recv NMS_C_START_OK. error : ";
    EXPECT_EQ(r.message.rfind(expected_start, 0), 0u) << r.message;
    EXPECT_NE(r.message.find(L". retry_count : 3/3"), std::wstring::npos) << r.message;
    // Each failed handshake is told to the listener.
    EXPECT_EQ(listener.events, (std::vector<std::pair<int, int>>{{202, 0}, {202, 0}, {202, 0}}));
}

TEST_F(HandshakeFailureTest, SilenceAfterTheKeyExchangeIsNoAnswer)
{
    // One attempt: the receive waits out its 10-second limit.
    const CCheckParam r = check(L"게이트웨이 서버", server_port("VANTU_TS_TQS_SILENT_AFTER_KEY_PORT"), 1);
    EXPECT_EQ(r.result_code, 90105);
    EXPECT_EQ(r.attempt_count, 1);
    EXPECT_EQ(r.message.rfind(L"recv NMS_C_START_OK. error : ", 0), 0u) << r.message;
    EXPECT_NE(r.message.find(L". retry_count : 1/1"), std::wstring::npos) << r.message;
    EXPECT_EQ(listener.events, (std::vector<std::pair<int, int>>{{202, 0}}));
}

TEST_F(HandshakeFailureTest, KeyExchangeFailuresAndWrongAnswersReachTheListener)
{
    const CCheckParam key = check(L"세션 서버", server_port("VANTU_TS_TQS_CLOSE_AFTER_KEY_PORT"), 2);
    EXPECT_EQ(key.result_code, 90103);
    EXPECT_EQ(listener.events, (std::vector<std::pair<int, int>>{{112, 0}, {112, 0}}));

    listener.events.clear();
    const CCheckParam wrong = check(L"세션 서버", server_port("VANTU_TS_TQS_WRONG_COMMAND_PORT"), 1);
    EXPECT_EQ(wrong.result_code, 90106);
    EXPECT_EQ(listener.events, (std::vector<std::pair<int, int>>{{202, 0}}));

    // A full handshake tells nothing.
    listener.events.clear();
    const CCheckParam ok = check(L"세션 서버", server_port("VANTU_TS_TQS_OK_PORT"), 2);
    EXPECT_EQ(ok.result_code, 0);
    EXPECT_TRUE(listener.events.empty());
}

#ifndef _WIN32
TEST_F(HandshakeFailureTest, NoFreeDescriptorMeansTheSocketIsNotCreated)
{
    const int port = server_port("VANTU_TS_PLAIN_PORT");
    // Every descriptor the limit allows is taken, so socket() has none left.
    rlimit before{};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &before), 0);
    rlimit low = before;
    low.rlim_cur = 256;
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &low), 0);
    std::vector<int> taken;
    for (int fd; (fd = open("/dev/null", O_RDONLY | O_CLOEXEC)) >= 0;)
        taken.push_back(fd);
    const CCheckParam r = check(L"세션 서버", port, 2);
    for (int fd : taken)
        close(fd);
    setrlimit(RLIMIT_NOFILE, &before);

    EXPECT_EQ(r.result_code, 90102);
    EXPECT_EQ(r.attempt_count, 2);
    EXPECT_EQ(r.message, L"socket create() fail for connection test to 세션 서버. retry_count : 2/2");
    // With descriptors back the same item passes.
    EXPECT_EQ(check(L"세션 서버", port, 1).result_code, 0);
}
#endif
