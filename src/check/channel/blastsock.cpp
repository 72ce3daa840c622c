#include "check/channel/blastsock.h"

#include <cstring>
#include <string>

#include "check/channel/rsa_hex.h"

namespace {

// The text of a zero-terminated message, never reading past its end.
std::string_view message_text(const unsigned char* message, std::size_t size)
{
    const char* text = reinterpret_cast<const char*>(message);
    const void* zero = std::memchr(text, 0, size);
    return {text, zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - text) : size};
}

void store_le16(unsigned char* out, std::uint16_t value)
{
    out[0] = static_cast<unsigned char>(value & 0xFF);
    out[1] = static_cast<unsigned char>(value >> 8);
}

std::uint16_t load_le16(const unsigned char* in)
{
    return static_cast<std::uint16_t>(in[0] | (in[1] << 8));
}

} // namespace

blastsock::blastsock(bool use_locks) : Socket(use_locks) {}

blastsock::~blastsock() = default;

bool blastsock::prepare_key_and_buffers()
{
    if (!m_key)
        m_key = std::make_unique<SessionKey>();
    if (!m_send_buffer)
        m_send_buffer = std::make_unique<unsigned char[]>(buffer_size);
    if (!m_recv_buffer)
        m_recv_buffer = std::make_unique<unsigned char[]>(buffer_size);
    return true;
}

bool blastsock::CryptInit()
{
    try {
        if (crypt_init())
            return true;
    } catch (...) {
    }
    close_after_failure();
    return false;
}

bool blastsock::crypt_init()
{
    m_role = role_connecting;
    prepare_key_and_buffers();
    if (!is_open()) {
        socket_api::set_last_error(socket_api::error_not_socket());
        return false;
    }

    std::string private_hex, public_hex;
    if (!GenerateRsaKeyPair(private_hex, public_hex) || public_hex.size() != rsa_public_key_hex_size)
        return false;
    unsigned char public_message[public_key_message_size] = {};
    std::memcpy(public_message, public_hex.data(), rsa_public_key_hex_size);
    if (!SendAll(public_message, sizeof public_message))
        return false;

    unsigned char reply[session_key_message_size] = {};
    if (!RecvExact(reply, sizeof reply))
        return false;

    std::string plaintext;
    if (!RsaDecryptHex(private_hex, message_text(reply, sizeof reply), plaintext))
        return false;
    if (plaintext.size() < session_plaintext_size)
        return false;
    const std::string_view text(plaintext);
    return m_key->SetKeyHex(text.substr(0, SessionKey::hex_size)) &&
           m_key->SetIvHex(text.substr(SessionKey::hex_size, SessionKey::hex_size));
}

bool blastsock::CryptAccept()
{
    try {
        if (crypt_accept())
            return true;
    } catch (...) {
    }
    close_after_failure();
    return false;
}

bool blastsock::crypt_accept()
{
    m_role = role_accepting;
    prepare_key_and_buffers();

    unsigned char public_message[public_key_message_size] = {};
    if (!RecvExact(public_message, sizeof public_message))
        return false;
    if (!m_key->Generate())
        return false;
    const std::string plaintext = m_key->KeyHex() + m_key->IvHex();
    const std::string ciphertext_hex = RsaEncryptHex(message_text(public_message, sizeof public_message), plaintext);
    if (ciphertext_hex.size() < rsa_ciphertext_hex_size)
        return false;
    unsigned char reply[session_key_message_size] = {};
    std::memcpy(reply, ciphertext_hex.data(), rsa_ciphertext_hex_size);
    return SendAll(reply, sizeof reply);
}

bool blastsock::SendCommand(std::uint16_t command)
{
    unsigned char plain[2];
    store_le16(plain, command);
    if (m_role == role_plain)
        return SendAll(plain, sizeof plain);
    if (!m_key || !m_send_buffer) {
        // No key exchange has run on this channel.
        close_after_failure();
        return false;
    }
    if (!m_key->Encrypt(m_send_buffer.get(), plain, sizeof plain)) {
        close_after_failure();
        return false;
    }
    return SendAll(m_send_buffer.get(), sizeof plain);
}

bool blastsock::RecvCommand(std::uint16_t& command)
{
    unsigned char plain[2] = {};
    if (m_role == role_plain) {
        if (!RecvExact(plain, sizeof plain))
            return false;
        command = load_le16(plain);
        return true;
    }
    if (!m_key || !m_recv_buffer) {
        close_after_failure();
        return false;
    }
    if (!RecvExact(m_recv_buffer.get(), sizeof plain))
        return false;
    if (!m_key->Decrypt(plain, m_recv_buffer.get(), sizeof plain)) {
        close_after_failure();
        return false;
    }
    command = load_le16(plain);
    return true;
}
