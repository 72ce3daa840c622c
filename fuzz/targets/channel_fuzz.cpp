// What a product server (or anything listening on its port) sends on the
// encrypted channel: hexadecimal key texts, the session-key message, a public
// key to encrypt for, and command messages, fed both to the decoding functions
// and to a channel reading them from a connected socket.
#include "fuzz_input.h"
#include "fuzz_targets.h"

#include <sys/socket.h>
#include <unistd.h>

#include "check/channel/blastsock.h"
#include "check/channel/rsa_hex.h"
#include "check/channel/session_key.h"

namespace {

struct KeyPair
{
    std::string private_hex, public_hex;
    KeyPair() { GenerateRsaKeyPair(private_hex, public_hex); }
};

// The bytes a peer sends, then its sending direction shut; the peer's end is
// returned for the caller to close (the channel's replies stay unread there).
int peer_sends(blastsock& channel, std::string_view bytes)
{
    int ends[2];
    if (socketpair(AF_UNIX, SOCK_STREAM, 0, ends) != 0)
        return -1;
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(ends[1], bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0)
            break;
        sent += static_cast<std::size_t>(n);
    }
    ::shutdown(ends[1], SHUT_WR);
    channel.Attach(ends[0]);
    channel.SetTimeouts(2000, 2000);
    return ends[1];
}

} // namespace

int fuzz_channel(const std::uint8_t* data, std::size_t size)
{
    static const KeyPair keys;
    FuzzInput in(data, size);
    const std::uint8_t mode = in.byte();
    const std::string_view first = in.part();
    const std::string_view rest = in.rest();

    std::string bytes;
    if (hex_decode(first, bytes)) {
        FUZZ_REQUIRE(first.size() % 2 == 0 && bytes.size() * 2 == first.size());
        const auto* raw = reinterpret_cast<const unsigned char*>(bytes.data());
        std::string upper(first);
        for (char& c : upper)
            if (c >= 'a' && c <= 'f')
                c = static_cast<char>(c - 'a' + 'A');
        FUZZ_REQUIRE(hex_encode(raw, bytes.size()) == upper);
    }
    SessionKey key;
    if (key.SetKeyHex(first) && key.SetIvHex(rest)) {
        unsigned char buffer[64] = {};
        const std::size_t n = rest.size() < sizeof buffer ? rest.size() : sizeof buffer;
        key.Decrypt(buffer, reinterpret_cast<const unsigned char*>(rest.data()), n);
    }

    std::string plaintext;
    switch (mode % 5) {
    case 0: // the session-key message under our key
        RsaDecryptHex(keys.private_hex, first, plaintext);
        break;
    case 1: // a private key text that is not ours
        RsaDecryptHex(first, rest, plaintext);
        break;
    case 2: // a public key to encrypt for
        RsaEncryptHex(first, "0123456789ABCDEF0123456789ABCDEF0123456789ABCDEF0123456789ABCDEF");
        break;
    case 3: { // the accepting side reads the peer's public-key message, then commands
        blastsock channel;
        const int peer = peer_sends(channel, rest);
        if (channel.CryptAccept()) {
            std::uint16_t command = 0;
            while (channel.RecvCommand(command)) {
            }
        }
        FUZZ_REQUIRE(!channel.is_open());
        ::close(peer);
        break;
    }
    default: { // plain commands until the peer is done
        blastsock channel;
        channel.set_role(blastsock::role_plain);
        const int peer = peer_sends(channel, rest);
        std::uint16_t command = 0;
        std::size_t count = 0;
        while (channel.RecvCommand(command))
            ++count;
        FUZZ_REQUIRE(peer < 0 || count == rest.size() / 2);
        FUZZ_REQUIRE(!channel.is_open());
        ::close(peer);
        break;
    }
    }
    return 0;
}
