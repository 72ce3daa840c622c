// Peers that break the protocol: whatever they send, the channel fails cleanly,
// closes its socket and returns within its time-outs.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "channel/raw_peer.h"
#include "check/channel/blastsock.h"
#include "check/channel/rsa_hex.h"
#include "check/channel/tqs_command.h"

namespace {

// Reads the client's public key, then sends `reply` (as it is) and waits for the
// client to hang up.
RawPeer::Script answer_with(std::string reply)
{
    return [reply](Socket& peer) {
        char key[blastsock::public_key_message_size];
        if (!peer.RecvExact(key, sizeof key) || !peer.SendAll(reply.data(), reply.size()))
            return;
        char rest;
        peer.RecvExact(&rest, 1);
    };
}

// Answers with a correctly encrypted session-key message whose plaintext is `plaintext`.
RawPeer::Script answer_with_plaintext(std::string plaintext)
{
    return [plaintext](Socket& peer) {
        char key[blastsock::public_key_message_size];
        if (!peer.RecvExact(key, sizeof key))
            return;
        std::string ciphertext = RsaEncryptHex(std::string(key, 320), plaintext);
        ciphertext.resize(blastsock::session_key_message_size, '\0');
        if (!peer.SendAll(ciphertext.data(), ciphertext.size()))
            return;
        char rest;
        peer.RecvExact(&rest, 1);
    };
}

// CryptInit against the scripted peer: must fail and leave no socket.
void expect_key_exchange_fails(RawPeer& peer)
{
    blastsock channel;
    ASSERT_TRUE(channel.Create());
    ASSERT_TRUE(channel.Connect("127.0.0.1", peer.port()));
    ASSERT_TRUE(channel.SetTimeouts(10000, 10000));
    EXPECT_FALSE(channel.CryptInit());
    EXPECT_FALSE(channel.is_open());
    EXPECT_FALSE(channel.SendCommand(NMS_C_START));
    EXPECT_TRUE(peer.wait_done());
}

} // namespace

TEST(HostilePeer, SessionKeyMessagesThatDoNotDecode)
{
    std::string garbage(257, '\0');
    for (std::size_t i = 0; i < garbage.size(); ++i)
        garbage[i] = static_cast<char>((i * 37 + 11) & 0xFF);
    {
        RawPeer peer(answer_with(garbage)); // binary garbage
        expect_key_exchange_fails(peer);
    }
    {
        RawPeer peer(answer_with(std::string(256, 'Z') + '\0')); // not hexadecimal
        expect_key_exchange_fails(peer);
    }
    {
        RawPeer peer(answer_with(std::string(257, 'A'))); // no terminator at all
        expect_key_exchange_fails(peer);
    }
    {
        RawPeer peer(answer_with(std::string(257, '\0'))); // empty text
        expect_key_exchange_fails(peer);
    }
    {
        RawPeer peer(answer_with(std::string(200, 'A') + std::string(57, '\0'))); // too short to be a ciphertext
        expect_key_exchange_fails(peer);
    }
}

TEST(HostilePeer, SessionKeyPlaintextTooShortOrNotHex)
{
    {
        RawPeer peer(answer_with_plaintext(std::string(63, 'A')));
        expect_key_exchange_fails(peer);
    }
    {
        RawPeer peer(answer_with_plaintext(""));
        expect_key_exchange_fails(peer);
    }
    {
        RawPeer peer(answer_with_plaintext(std::string(32, 'A') + std::string(31, 'B') + "X"));
        expect_key_exchange_fails(peer);
    }
    {
        // Longer than 64 characters is fine: only the first 64 count.
        RawPeer peer(answer_with_plaintext(std::string(64, 'C') + "tail"));
        blastsock channel;
        ASSERT_TRUE(channel.Create());
        ASSERT_TRUE(channel.Connect("127.0.0.1", peer.port()));
        EXPECT_TRUE(channel.CryptInit());
        SessionKey key = *channel.session_key();
        EXPECT_EQ(key.KeyHex(), std::string(32, 'C'));
        EXPECT_EQ(key.IvHex(), std::string(32, 'C'));
        channel.Close();
        EXPECT_TRUE(peer.wait_done());
    }
}

TEST(HostilePeer, ShortMessagesThenClose)
{
    for (std::size_t sent : {std::size_t(0), std::size_t(1), std::size_t(256)}) {
        RawPeer peer([sent](Socket& s) {
            char key[blastsock::public_key_message_size];
            if (!s.RecvExact(key, sizeof key))
                return;
            const std::string part(sent, 'A');
            s.SendAll(part.data(), part.size());
            s.Close();
        });
        expect_key_exchange_fails(peer);
    }
    {
        // Closes in the middle of the public key.
        RawPeer peer([](Socket& s) {
            char some[100];
            s.RecvExact(some, sizeof some);
            s.Close();
        });
        expect_key_exchange_fails(peer);
    }
}

TEST(HostilePeer, SilentPeerHitsTheReceiveTimeOut)
{
    RawPeer peer([](Socket& s) {
        char key[blastsock::public_key_message_size];
        s.RecvExact(key, sizeof key);
        char rest;
        s.RecvExact(&rest, 1); // never answers; returns when the client gives up
    });
    blastsock channel;
    ASSERT_TRUE(channel.Create());
    ASSERT_TRUE(channel.Connect("127.0.0.1", peer.port()));
    ASSERT_TRUE(channel.SetTimeouts(500, 500));
    const bool exchanged = channel.CryptInit();
    const int error = socket_api::last_error();
    EXPECT_FALSE(exchanged);
    EXPECT_EQ(error, socket_api::error_timed_out());
    EXPECT_FALSE(channel.is_open());
    EXPECT_TRUE(peer.wait_done());
}

TEST(HostilePeer, ClosedInTheMiddleOfACommand)
{
    RawPeer peer([](Socket& s) {
        const unsigned char half = 0x2D;
        s.SendAll(&half, 1);
        s.Close();
    });
    blastsock channel;
    ASSERT_TRUE(channel.Create());
    ASSERT_TRUE(channel.Connect("127.0.0.1", peer.port()));
    std::uint16_t command = 0;
    EXPECT_FALSE(channel.RecvCommand(command));
    EXPECT_FALSE(channel.is_open());
    EXPECT_FALSE(channel.RecvCommand(command));
    EXPECT_TRUE(peer.wait_done());
}

TEST(HostilePeer, AcceptingSideRejectsBadPublicKeys)
{
    const std::string bad_keys[] = {
        std::string(321, '\0'),
        std::string(320, 'Q') + '\0',
        std::string(321, 'F'),
        std::string(320, '0') + '\0',
    };
    for (const std::string& bad : bad_keys) {
        bool accepted = true;
        bool left_open = true;
        bool sent_nothing = false;
        RawPeer peer([&](Socket& raw) {
            blastsock server;
            server.Attach(raw.Detach());
            accepted = server.CryptAccept();
            left_open = server.is_open();
        });
        Socket client;
        ASSERT_TRUE(client.Create());
        ASSERT_TRUE(client.Connect("127.0.0.1", peer.port()));
        ASSERT_TRUE(client.SetTimeouts(10000, 10000));
        ASSERT_TRUE(client.SendAll(bad.data(), bad.size()));
        char reply;
        sent_nothing = !client.RecvExact(&reply, 1); // the server hangs up without a word
        EXPECT_TRUE(peer.wait_done());
        EXPECT_FALSE(accepted);
        EXPECT_FALSE(left_open);
        EXPECT_TRUE(sent_nothing);
    }
}

TEST(ChannelSocket, OperationsWithoutASocketFail)
{
    blastsock channel;
    const bool connected = channel.Connect("127.0.0.1", 80);
    const int error = socket_api::last_error();
    EXPECT_FALSE(connected);
    EXPECT_EQ(error, socket_api::error_not_socket());
    EXPECT_FALSE(channel.SendAll("x", 1));
    char c;
    EXPECT_FALSE(channel.RecvExact(&c, 1));
    EXPECT_TRUE(channel.RecvExact(&c, 0)); // nothing to receive
    EXPECT_TRUE(channel.SendAll("", 0));
    EXPECT_FALSE(channel.SetTimeouts(1000, 1000));
    EXPECT_FALSE(channel.CryptInit());
    channel.Close();
    channel.Close();
    EXPECT_FALSE(channel.is_open());
}

TEST(HostilePeer, TricklingPeerCannotStretchTheTimeOut)
{
    // One byte of the session-key message every 200 ms: each byte would beat a
    // per-call time-out of 1 s, the whole message would take almost a minute.
    RawPeer peer([](Socket& s) {
        char key[blastsock::public_key_message_size];
        if (!s.RecvExact(key, sizeof key))
            return;
        for (std::size_t i = 0; i < blastsock::session_key_message_size; ++i) {
            if (!s.SendAll("A", 1))
                return;
            // Paces the bytes; returns at once when the client hangs up.
            if (socket_api::wait_readable(s.handle(), 200))
                return;
        }
    });
    blastsock channel;
    ASSERT_TRUE(channel.Create());
    ASSERT_TRUE(channel.Connect("127.0.0.1", peer.port()));
    ASSERT_TRUE(channel.SetTimeouts(1000, 1000));
    const bool exchanged = channel.CryptInit();
    const int error = socket_api::last_error();
    EXPECT_FALSE(exchanged);
    EXPECT_EQ(error, socket_api::error_timed_out());
    EXPECT_FALSE(channel.is_open());
    EXPECT_TRUE(peer.wait_done());
}
