// The channel against the test server in each of its modes, through the same
// connect the check uses: a working handshake and every failure it must report.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "channel_server.h"
#include "check/channel/channel_connect.h"
#include "check/channel/tqs_command.h"

namespace {

class RecordingListener : public CSessionEventListener {
public:
    void on_session_message(int code, const std::wstring&) override { messages.push_back(code); }
    void on_session_event(int event, int value) override { events.push_back({event, value}); }
    void on_session_closed() override { ++closed; }
    void on_session_progress(int) override {}

    std::vector<int> messages;
    std::vector<std::pair<int, int>> events;
    int closed = 0;
};

struct Server {
    explicit Server(ChannelMode mode) : server(mode)
    {
        listening = server.listen("127.0.0.1", 0);
        server.start();
    }
    ChannelServer server;
    bool listening = false;
};

// A loopback port on which nothing listens.
int closed_port()
{
    ChannelServer probe(ChannelMode::ok);
    if (!probe.listen("127.0.0.1", 0))
        return 0;
    const int port = probe.port();
    probe.stop();
    return port;
}

// One attempt of the start handshake on an open channel: the answer, or -1.
int handshake(blastsock& channel)
{
    std::uint16_t answer = 0;
    if (!channel.SendCommand(NMS_C_START) || !channel.RecvCommand(answer))
        return -1;
    return answer;
}

} // namespace

TEST(ChannelModeNames, ParseEveryModeAndNothingElse)
{
    const std::pair<const char*, ChannelMode> names[] = {
        {"ok", ChannelMode::ok},
        {"ok-once", ChannelMode::ok_once},
        {"wrong-command", ChannelMode::wrong_command},
        {"close-after-key", ChannelMode::close_after_key},
        {"bad-session-key", ChannelMode::bad_session_key},
        {"silent", ChannelMode::silent},
        {"plain", ChannelMode::plain},
        {"silent-after-key", ChannelMode::silent_after_key},
        {"close-after-exchange", ChannelMode::close_after_exchange},
    };
    for (const auto& [name, expected] : names) {
        ChannelMode mode = ChannelMode::plain == expected ? ChannelMode::ok : ChannelMode::plain;
        EXPECT_TRUE(parse_channel_mode(name, mode)) << name;
        EXPECT_EQ(mode, expected) << name;
        EXPECT_EQ(std::string(channel_mode_name(mode)), name);
    }
    ChannelMode mode = ChannelMode::silent;
    for (const char* bad : {"", "OK", "ok_once", "ok-once ", "refuse"})
        EXPECT_FALSE(parse_channel_mode(bad, mode)) << bad;
    EXPECT_EQ(mode, ChannelMode::silent);
}

TEST(ChannelServerListen, LoopbackOnly)
{
    ChannelServer server(ChannelMode::ok);
    EXPECT_FALSE(server.listen("0.0.0.0", 0));
    EXPECT_FALSE(server.listen("localhost", 0));
    EXPECT_FALSE(server.listen("127.0.0.1", 70000));
    EXPECT_EQ(server.port(), 0);
    ASSERT_TRUE(server.listen("127.0.0.1", 0));
    EXPECT_GT(server.port(), 0);
    ChannelServer second(ChannelMode::ok);
    EXPECT_FALSE(second.listen("127.0.0.1", server.port())); // port taken
}

TEST(ChannelHandshake, OkServerAnswersEveryAttempt)
{
    Server s(ChannelMode::ok);
    ASSERT_TRUE(s.listening);
    RecordingListener listener;
    blastsock channel;
    for (int attempt = 1; attempt <= 3; ++attempt) {
        ASSERT_EQ(connect_channel(channel, L"127.0.0.1", s.server.port(), &listener), channel_result::ok);
        EXPECT_TRUE(channel.is_open());
        EXPECT_EQ(handshake(channel), NMS_C_START_OK) << attempt;
        channel.Close();
    }
    // A connect leaves the previous connection closed behind it.
    ASSERT_EQ(connect_channel(channel, L"localhost", s.server.port(), &listener), channel_result::ok);
    ASSERT_EQ(connect_channel(channel, L"127.0.0.1", s.server.port(), &listener), channel_result::ok);
    EXPECT_EQ(handshake(channel), NMS_C_START_OK);
    channel.Close();
    EXPECT_TRUE(listener.events.empty());
    s.server.stop();
    EXPECT_EQ(s.server.handshake_count(), 4);
    EXPECT_EQ(s.server.accepted_count(), 5);
}

TEST(ChannelHandshake, OkOnceServerRefusesAfterOneHandshake)
{
    Server s(ChannelMode::ok_once);
    ASSERT_TRUE(s.listening);
    blastsock channel;
    ASSERT_EQ(connect_channel(channel, L"127.0.0.1", s.server.port(), nullptr), channel_result::ok);
    EXPECT_EQ(handshake(channel), NMS_C_START_OK);
    channel.Close();
    for (int attempt = 2; attempt <= 3; ++attempt) {
        EXPECT_EQ(connect_channel(channel, L"127.0.0.1", s.server.port(), nullptr), channel_result::no_connection);
        EXPECT_FALSE(channel.is_open());
    }
}

TEST(ChannelHandshake, WrongCommandIsReceivedAsItIs)
{
    Server s(ChannelMode::wrong_command);
    blastsock channel;
    ASSERT_EQ(connect_channel(channel, L"127.0.0.1", s.server.port(), nullptr), channel_result::ok);
    EXPECT_EQ(handshake(channel), 0);
}

TEST(ChannelHandshake, CloseAfterKeyFailsTheKeyExchangeAndLeavesNoSocket)
{
    Server s(ChannelMode::close_after_key);
    RecordingListener listener;
    blastsock channel;
    EXPECT_EQ(connect_channel(channel, L"127.0.0.1", s.server.port(), &listener), channel_result::key_exchange_failed);
    EXPECT_FALSE(channel.is_open());
    ASSERT_EQ(listener.events.size(), 1u);
    EXPECT_EQ(listener.events[0], std::make_pair(112, 0));

    // The same through the channel's own calls.
    ASSERT_TRUE(channel.Create());
    ASSERT_TRUE(channel.Connect("127.0.0.1", s.server.port()));
    EXPECT_FALSE(channel.CryptInit());
    EXPECT_FALSE(channel.is_open());
    EXPECT_FALSE(channel.SendCommand(NMS_C_START)); // a closed channel fails every call
    std::uint16_t c;
    EXPECT_FALSE(channel.RecvCommand(c));
}

TEST(ChannelHandshake, BadSessionKeyGivesKeyExchangeFailure)
{
    Server s(ChannelMode::bad_session_key);
    RecordingListener listener;
    blastsock channel;
    for (int attempt = 1; attempt <= 2; ++attempt) {
        EXPECT_EQ(connect_channel(channel, L"127.0.0.1", s.server.port(), &listener),
                  channel_result::key_exchange_failed);
        EXPECT_FALSE(channel.is_open());
    }
    EXPECT_EQ(listener.events.size(), 2u);
}

TEST(ChannelHandshake, SilentServerRunsIntoTheTimeOut)
{
    Server s(ChannelMode::silent);
    blastsock channel;
    EXPECT_EQ(connect_channel(channel, L"127.0.0.1", s.server.port(), nullptr), channel_result::key_exchange_failed);
    EXPECT_FALSE(channel.is_open());
    EXPECT_EQ(s.server.accepted_count(), 1);
}

TEST(ChannelHandshake, PlainServerAcceptsButHasNoKeyExchange)
{
    Server s(ChannelMode::plain);
    blastsock channel;
    ASSERT_TRUE(channel.Create());
    EXPECT_TRUE(channel.Connect("127.0.0.1", s.server.port()));
    EXPECT_TRUE(channel.is_open());
    channel.Close();
    EXPECT_EQ(connect_channel(channel, L"127.0.0.1", s.server.port(), nullptr), channel_result::key_exchange_failed);
    EXPECT_FALSE(channel.is_open());
}

TEST(ChannelConnect, RefusedOrUnknownHostIsNoConnection)
{
    const int port = closed_port();
    ASSERT_GT(port, 0);
    RecordingListener listener;
    blastsock channel;
    EXPECT_EQ(connect_channel(channel, L"127.0.0.1", port, &listener), channel_result::no_connection);
    EXPECT_FALSE(channel.is_open());
    const int result = connect_channel(channel, L"no-such-host.invalid", port, &listener);
    const int error = socket_api::last_error();
    EXPECT_EQ(result, channel_result::no_connection);
    EXPECT_EQ(error, socket_api::error_invalid_argument());
    EXPECT_FALSE(channel.is_open());
    EXPECT_EQ(connect_channel(channel, L"127.0.0.1", 0, &listener), channel_result::no_connection);
    EXPECT_EQ(connect_channel(channel, L"127.0.0.1", 65536, &listener), channel_result::no_connection);
    EXPECT_EQ(connect_channel(channel, L"", port, &listener), channel_result::no_connection);
    EXPECT_EQ(connect_channel(channel, L"서버", port, &listener), channel_result::no_connection);
    EXPECT_FALSE(channel.is_open());
    EXPECT_TRUE(listener.events.empty());
}

TEST(ChannelServerLifecycle, StopEndsOpenConnections)
{
    // A client that connects and then says nothing must not keep stop() waiting.
    auto s = std::make_unique<Server>(ChannelMode::ok);
    blastsock idle;
    ASSERT_TRUE(idle.Create());
    ASSERT_TRUE(idle.Connect("127.0.0.1", s->server.port()));
    blastsock silent_peer;
    Server silent(ChannelMode::silent);
    ASSERT_TRUE(silent_peer.Create());
    ASSERT_TRUE(silent_peer.Connect("127.0.0.1", silent.server.port()));
    s->server.stop();
    silent.server.stop();
    // Both servers have hung up: the next receive sees the close, not a time-out.
    ASSERT_TRUE(idle.SetTimeouts(20000, 20000));
    unsigned char byte;
    EXPECT_FALSE(idle.RecvExact(&byte, 1));
    EXPECT_FALSE(idle.is_open());
    ASSERT_TRUE(silent_peer.SetTimeouts(20000, 20000));
    EXPECT_FALSE(silent_peer.RecvExact(&byte, 1));
    s.reset();
}
