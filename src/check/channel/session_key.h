#pragma once
// The AES-128 session key of a channel and its IV, with their hexadecimal forms as
// they travel in the key exchange. Every message is encrypted by a newly keyed
// AES-128-CFB cipher (full 128-bit feedback), so equal messages give equal bytes.
#include <cstddef>
#include <string>
#include <string_view>

struct SessionKey {
    static constexpr std::size_t size = 16;
    static constexpr std::size_t hex_size = 2 * size;

    unsigned char key[size] = {};
    unsigned char iv[size] = {};
    char key_hex[hex_size] = {};
    char iv_hex[hex_size] = {};

    // Fresh random key and IV from an automatically seeded pool. False only when
    // the system's random source fails (the key is then all zeroes).
    bool Generate();
    // The 32 upper-case hexadecimal digits of `key` / `iv`, recomputed.
    std::string KeyHex();
    std::string IvHex();
    // Zero the key (IV), then decode the first 32 characters of `text` in either
    // case. False, with the key left zero, unless they are 32 hexadecimal digits.
    bool SetKeyHex(std::string_view text);
    bool SetIvHex(std::string_view text);
    // AES-128-CFB from `key` and `iv`; `out` may equal `in`. False on a cipher failure.
    bool Encrypt(unsigned char* out, const unsigned char* in, std::size_t length) const;
    bool Decrypt(unsigned char* out, const unsigned char* in, std::size_t length) const;
};
