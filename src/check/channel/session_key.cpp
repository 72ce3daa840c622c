#include "check/channel/session_key.h"

#include <cstring>

#include <cryptopp/aes.h>
#include <cryptopp/modes.h>
#include <cryptopp/osrng.h>

#include "check/channel/rsa_hex.h"

namespace {

bool decode_hex_into(std::string_view text, unsigned char (&out)[SessionKey::size])
{
    std::memset(out, 0, sizeof out);
    std::string bytes;
    if (text.size() < SessionKey::hex_size || !hex_decode(text.substr(0, SessionKey::hex_size), bytes))
        return false;
    std::memcpy(out, bytes.data(), sizeof out);
    return true;
}

template <typename Cipher>
bool run_cipher(const SessionKey& k, unsigned char* out, const unsigned char* in, std::size_t length)
{
    try {
        // A new cipher for every message: the stream restarts from the IV.
        Cipher cipher(k.key, sizeof k.key, k.iv);
        cipher.ProcessData(out, in, length);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

} // namespace

bool SessionKey::Generate()
{
    std::memset(key, 0, sizeof key);
    std::memset(iv, 0, sizeof iv);
    try {
        CryptoPP::AutoSeededRandomPool pool;
        pool.GenerateBlock(key, sizeof key);
        pool.GenerateBlock(iv, sizeof iv);
        return true;
    } catch (const std::exception&) {
        std::memset(key, 0, sizeof key);
        std::memset(iv, 0, sizeof iv);
        return false;
    }
}

std::string SessionKey::KeyHex()
{
    const std::string hex = hex_encode(key, sizeof key);
    std::memcpy(key_hex, hex.data(), sizeof key_hex);
    return hex;
}

std::string SessionKey::IvHex()
{
    const std::string hex = hex_encode(iv, sizeof iv);
    std::memcpy(iv_hex, hex.data(), sizeof iv_hex);
    return hex;
}

bool SessionKey::SetKeyHex(std::string_view text) { return decode_hex_into(text, key); }

bool SessionKey::SetIvHex(std::string_view text) { return decode_hex_into(text, iv); }

bool SessionKey::Encrypt(unsigned char* out, const unsigned char* in, std::size_t length) const
{
    return run_cipher<CryptoPP::CFB_Mode<CryptoPP::AES>::Encryption>(*this, out, in, length);
}

bool SessionKey::Decrypt(unsigned char* out, const unsigned char* in, std::size_t length) const
{
    return run_cipher<CryptoPP::CFB_Mode<CryptoPP::AES>::Decryption>(*this, out, in, length);
}
