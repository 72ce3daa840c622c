// The channel's bytes on the wire, seen from a scripted peer: the key-exchange
// messages, the encrypted and plain commands, and round trips in both roles.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>
#include <thread>

#include "channel/raw_peer.h"
#include "check/channel/blastsock.h"
#include "check/channel/rsa_hex.h"
#include "check/channel/tqs_command.h"

namespace {

struct Observed {
    std::string public_message;
    std::string session_plaintext;
    unsigned char commands[4] = {};
    bool ok = false;
};

// Plays the accepting side by hand: keeps the public-key message, answers with a
// session key (in lower case when asked) and records two command messages.
RawPeer::Script accepting_by_hand(Observed& seen, bool lower_case)
{
    return [&seen, lower_case](Socket& peer) {
        char message[blastsock::public_key_message_size];
        if (!peer.RecvExact(message, sizeof message))
            return;
        seen.public_message.assign(message, sizeof message);
        SessionKey key;
        key.Generate();
        seen.session_plaintext = key.KeyHex() + key.IvHex();
        std::string ciphertext = RsaEncryptHex(std::string(message, 320), seen.session_plaintext);
        if (ciphertext.size() != 256)
            return;
        if (lower_case) {
            for (char& c : ciphertext)
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
        ciphertext.push_back('\0');
        if (!peer.SendAll(ciphertext.data(), ciphertext.size()))
            return;
        seen.ok = peer.RecvExact(seen.commands, sizeof seen.commands);
    };
}

} // namespace

TEST(ChannelWire, PublicKeyMessageAndLowerCaseSessionKey)
{
    Observed seen;
    RawPeer peer(accepting_by_hand(seen, true));
    blastsock channel;
    ASSERT_TRUE(channel.Create());
    ASSERT_TRUE(channel.Connect("127.0.0.1", peer.port()));
    ASSERT_TRUE(channel.CryptInit());
    EXPECT_EQ(channel.role(), blastsock::role_connecting);

    // 321 bytes: 320 upper-case hexadecimal digits of a 160-byte DER key and a zero.
    ASSERT_EQ(seen.public_message.size(), 321u);
    EXPECT_EQ(seen.public_message.back(), '\0');
    const std::string hex = seen.public_message.substr(0, 320);
    EXPECT_TRUE(std::all_of(hex.begin(), hex.end(),
                            [](char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); }));
    std::string der;
    EXPECT_TRUE(hex_decode(hex, der));
    EXPECT_EQ(der.size(), 160u);

    // The session key sent in lower case was taken.
    ASSERT_NE(channel.session_key(), nullptr);
    SessionKey installed = *channel.session_key();
    EXPECT_EQ(installed.KeyHex() + installed.IvHex(), seen.session_plaintext);

    // The same command twice gives the same two bytes: AES-CFB restarted per message.
    ASSERT_TRUE(channel.SendCommand(NMS_C_START));
    ASSERT_TRUE(channel.SendCommand(NMS_C_START));
    ASSERT_TRUE(peer.wait_done());
    ASSERT_TRUE(seen.ok);
    EXPECT_EQ(seen.commands[0], seen.commands[2]);
    EXPECT_EQ(seen.commands[1], seen.commands[3]);
    unsigned char plain[2];
    ASSERT_TRUE(installed.Decrypt(plain, seen.commands, 2));
    EXPECT_EQ(plain[0], 0x2C); // 300, little-endian
    EXPECT_EQ(plain[1], 0x01);
    EXPECT_FALSE(plain[0] == seen.commands[0] && plain[1] == seen.commands[1]);
}

TEST(ChannelWire, PlainRoleSendsLittleEndianBytes)
{
    unsigned char received[2] = {};
    bool got = false;
    RawPeer peer([&](Socket& s) {
        got = s.RecvExact(received, 2);
        const unsigned char answer[2] = {0x2D, 0x01};
        s.SendAll(answer, 2);
        unsigned char rest;
        s.RecvExact(&rest, 1); // until the client closes
    });
    blastsock channel;
    EXPECT_EQ(channel.role(), blastsock::role_plain);
    ASSERT_TRUE(channel.Create());
    ASSERT_TRUE(channel.Connect("localhost", peer.port()));
    ASSERT_TRUE(channel.SendCommand(NMS_C_START));
    std::uint16_t answer = 0;
    ASSERT_TRUE(channel.RecvCommand(answer));
    EXPECT_EQ(answer, NMS_C_START_OK);
    channel.Close();
    EXPECT_FALSE(channel.is_open());
    ASSERT_TRUE(peer.wait_done());
    ASSERT_TRUE(got);
    EXPECT_EQ(received[0], 0x2C);
    EXPECT_EQ(received[1], 0x01);
}

TEST(ChannelWire, EncryptedRoundTripBetweenBothSides)
{
    std::uint16_t server_got[3] = {};
    bool server_ok = false;
    RawPeer peer([&](Socket& raw) {
        // Move the accepted socket into a channel in the accepting role.
        blastsock server;
        server.Attach(raw.Detach());
        if (!server.CryptAccept())
            return;
        server_ok = server.RecvCommand(server_got[0]) && server.SendCommand(NMS_C_START_OK) &&
                    server.RecvCommand(server_got[1]) && server.SendCommand(0xFFFF) &&
                    server.RecvCommand(server_got[2]) && server.SendCommand(0);
        std::uint16_t rest;
        server.RecvCommand(rest); // until the client closes
    });
    blastsock channel;
    ASSERT_TRUE(channel.Create());
    ASSERT_TRUE(channel.Connect("127.0.0.1", peer.port()));
    ASSERT_TRUE(channel.CryptInit());
    std::uint16_t a = 1, b = 1, c = 1;
    ASSERT_TRUE(channel.SendCommand(NMS_C_START));
    ASSERT_TRUE(channel.RecvCommand(a));
    ASSERT_TRUE(channel.SendCommand(0x8000));
    ASSERT_TRUE(channel.RecvCommand(b));
    ASSERT_TRUE(channel.SendCommand(0));
    ASSERT_TRUE(channel.RecvCommand(c));
    EXPECT_EQ(a, NMS_C_START_OK);
    EXPECT_EQ(b, 0xFFFF);
    EXPECT_EQ(c, 0);
    channel.Close();
    ASSERT_TRUE(peer.wait_done());
    EXPECT_TRUE(server_ok);
    EXPECT_EQ(server_got[0], NMS_C_START);
    EXPECT_EQ(server_got[1], 0x8000);
    EXPECT_EQ(server_got[2], 0);
}

TEST(ChannelWire, EachKeyExchangeInstallsANewKey)
{
    // One channel object, opened twice, as the check does for every attempt.
    blastsock channel;
    std::string plaintexts[2];
    for (std::string& plaintext : plaintexts) {
        Observed seen;
        RawPeer peer(accepting_by_hand(seen, false));
        ASSERT_TRUE(channel.Create());
        ASSERT_TRUE(channel.Connect("127.0.0.1", peer.port()));
        ASSERT_TRUE(channel.CryptInit());
        channel.SendCommand(1);
        channel.SendCommand(2);
        ASSERT_TRUE(peer.wait_done());
        plaintext = seen.session_plaintext;
    }
    EXPECT_EQ(plaintexts[0].size(), 64u);
    EXPECT_NE(plaintexts[0], plaintexts[1]);
}

TEST(ChannelWire, LockedChannelSendsAndReceivesFromTwoThreads)
{
    constexpr int count = 200;
    // Echoes every 2-byte message back.
    RawPeer peer([](Socket& s) {
        unsigned char message[2];
        for (int i = 0; i < count && s.RecvExact(message, 2); ++i)
            s.SendAll(message, 2);
    });
    blastsock channel(true);
    ASSERT_TRUE(channel.Create());
    ASSERT_TRUE(channel.Connect("127.0.0.1", peer.port()));
    ASSERT_TRUE(channel.SetTimeouts(20000, 20000));
    bool sent_all = true;
    std::thread sender([&] {
        for (int i = 0; i < count; ++i)
            sent_all = channel.SendCommand(static_cast<std::uint16_t>(i * 257)) && sent_all;
    });
    int in_order = 0;
    for (int i = 0; i < count; ++i) {
        std::uint16_t echoed = 0;
        if (!channel.RecvCommand(echoed))
            break;
        in_order += echoed == static_cast<std::uint16_t>(i * 257);
    }
    sender.join();
    EXPECT_TRUE(sent_all);
    EXPECT_EQ(in_order, count);
    channel.Close();
    EXPECT_TRUE(peer.wait_done());
}
