#pragma once
// RSA for the channel's key exchange, over upper-case hexadecimal text: 1024-bit
// keys with public exponent 17, the public key as X.509 SubjectPublicKeyInfo DER,
// the private key as PKCS #8 DER, RSAES-OAEP with SHA-1. Nothing here throws.
#include <cstddef>
#include <string>
#include <string_view>

inline constexpr unsigned rsa_modulus_bits = 1024;
inline constexpr unsigned rsa_public_exponent = 17;
// 160 bytes of DER for such a public key, and 128 bytes of OAEP ciphertext.
inline constexpr std::size_t rsa_public_key_hex_size = 320;
inline constexpr std::size_t rsa_ciphertext_hex_size = 256;

// A new key pair; false (both texts empty) when generation fails.
bool GenerateRsaKeyPair(std::string& private_hex, std::string& public_hex);
// OAEP ciphertext of `plaintext` as upper-case hexadecimal text, empty on any failure
// (a public key that does not decode or is unusable, a plaintext too long for it).
std::string RsaEncryptHex(std::string_view public_hex, std::string_view plaintext);
// The plaintext, or false when the key or ciphertext does not decode or the
// ciphertext does not decrypt. Hexadecimal input is read in either case.
bool RsaDecryptHex(std::string_view private_hex, std::string_view ciphertext_hex, std::string& plaintext);

// Upper-case hexadecimal text of `data`, and its strict inverse (false for an odd
// length or any character that is not a hexadecimal digit).
std::string hex_encode(const unsigned char* data, std::size_t length);
bool hex_decode(std::string_view text, std::string& bytes);
