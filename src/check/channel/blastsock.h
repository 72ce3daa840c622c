#pragma once
// The TQS channel: a Socket that opens with an RSA/AES key exchange and then
// carries AES-encrypted messages (or plain ones in role 3). There are no headers
// on the wire; each side knows the length of the next message.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "check/channel/session_key.h"
#include "check/channel/socket.h"

class blastsock : public Socket {
public:
    enum Role : std::int32_t {
        role_accepting = 0,
        role_connecting = 1,
        role_plain = 3, // messages travel unencrypted
    };

    // 320 hexadecimal digits of the public key and a zero byte.
    static constexpr std::size_t public_key_message_size = 321;
    // 256 hexadecimal digits of the encrypted session key and a zero byte.
    static constexpr std::size_t session_key_message_size = 257;
    // 32 hexadecimal digits of the key followed by 32 of the IV.
    static constexpr std::size_t session_plaintext_size = 64;
    static constexpr std::size_t buffer_size = 8192;

    explicit blastsock(bool use_locks = false);
    ~blastsock() override;

    // Key exchange as the connecting side: sends a new public key, reads the
    // session key. False, with the socket closed, when the key cannot be sent,
    // the answer does not arrive in full or does not decode to a session key.
    bool CryptInit();
    // Key exchange as the accepting side: reads the peer's public key, sends a new
    // session key under it. False, with the socket closed, on any failure.
    bool CryptAccept();

    // One 16-bit command as a 2-byte little-endian message.
    bool SendCommand(std::uint16_t command);
    bool RecvCommand(std::uint16_t& command);

    std::int32_t role() const { return m_role; }
    // Only the channel's own tests and tools pick a role by hand.
    void set_role(std::int32_t role) { m_role = role; }
    const SessionKey* session_key() const { return m_key.get(); }

private:
    bool prepare_key_and_buffers();
    // CryptInit / CryptAccept bodies; may throw, the public ones may not.
    bool crypt_init();
    bool crypt_accept();

    std::int32_t m_role = role_plain;
    std::unique_ptr<unsigned char[]> m_send_buffer;
    std::unique_ptr<unsigned char[]> m_recv_buffer;
    std::unique_ptr<SessionKey> m_key;
};
