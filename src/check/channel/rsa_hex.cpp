#include "check/channel/rsa_hex.h"

#include <cryptopp/filters.h>
#include <cryptopp/hex.h>
#include <cryptopp/osrng.h>
#include <cryptopp/queue.h>
#include <cryptopp/rsa.h>

namespace {

bool is_hex_digit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

CryptoPP::ByteQueue queue_of(const std::string& bytes)
{
    CryptoPP::ByteQueue queue;
    queue.Put(reinterpret_cast<const CryptoPP::byte*>(bytes.data()), bytes.size());
    queue.MessageEnd();
    return queue;
}

} // namespace

std::string hex_encode(const unsigned char* data, std::size_t length)
{
    std::string out;
    try {
        CryptoPP::StringSource source(data, length, true,
                                      new CryptoPP::HexEncoder(new CryptoPP::StringSink(out), true));
    } catch (const std::exception&) {
        out.clear();
    }
    return out;
}

bool hex_decode(std::string_view text, std::string& bytes)
{
    bytes.clear();
    if (text.size() % 2 != 0)
        return false;
    for (char c : text) {
        if (!is_hex_digit(c))
            return false;
    }
    try {
        CryptoPP::StringSource source(reinterpret_cast<const CryptoPP::byte*>(text.data()), text.size(), true,
                                      new CryptoPP::HexDecoder(new CryptoPP::StringSink(bytes)));
    } catch (const std::exception&) {
        bytes.clear();
        return false;
    }
    return bytes.size() * 2 == text.size();
}

bool GenerateRsaKeyPair(std::string& private_hex, std::string& public_hex)
{
    private_hex.clear();
    public_hex.clear();
    try {
        CryptoPP::AutoSeededRandomPool pool;
        CryptoPP::InvertibleRSAFunction parameters;
        parameters.Initialize(pool, rsa_modulus_bits, CryptoPP::Integer(rsa_public_exponent));
        const CryptoPP::RSA::PrivateKey private_key(parameters);
        const CryptoPP::RSA::PublicKey public_key(parameters);

        std::string private_der, public_der;
        CryptoPP::StringSink private_sink(private_der);
        private_key.DEREncode(private_sink); // PKCS #8 PrivateKeyInfo
        CryptoPP::StringSink public_sink(public_der);
        public_key.DEREncode(public_sink); // X.509 SubjectPublicKeyInfo

        private_hex = hex_encode(reinterpret_cast<const unsigned char*>(private_der.data()), private_der.size());
        public_hex = hex_encode(reinterpret_cast<const unsigned char*>(public_der.data()), public_der.size());
    } catch (const std::exception&) {
        private_hex.clear();
        public_hex.clear();
    }
    return !private_hex.empty() && !public_hex.empty();
}

std::string RsaEncryptHex(std::string_view public_hex, std::string_view plaintext)
{
    try {
        std::string der;
        if (!hex_decode(public_hex, der) || der.empty())
            return {};
        CryptoPP::ByteQueue queue = queue_of(der);
        CryptoPP::RSA::PublicKey key;
        key.BERDecode(queue);
        if (!queue.IsEmpty())
            return {};
        CryptoPP::AutoSeededRandomPool pool;
        // Rejects keys a peer made up: even or tiny moduli, bad exponents.
        if (!key.Validate(pool, 1))
            return {};
        CryptoPP::RSAES_OAEP_SHA_Encryptor encryptor(key);
        if (plaintext.size() > encryptor.FixedMaxPlaintextLength())
            return {};
        std::string ciphertext(encryptor.FixedCiphertextLength(), '\0');
        encryptor.Encrypt(pool, reinterpret_cast<const CryptoPP::byte*>(plaintext.data()), plaintext.size(),
                          reinterpret_cast<CryptoPP::byte*>(ciphertext.data()));
        return hex_encode(reinterpret_cast<const unsigned char*>(ciphertext.data()), ciphertext.size());
    } catch (const std::exception&) {
        return {};
    }
}

bool RsaDecryptHex(std::string_view private_hex, std::string_view ciphertext_hex, std::string& plaintext)
{
    plaintext.clear();
    try {
        std::string der, ciphertext;
        if (!hex_decode(private_hex, der) || der.empty() || !hex_decode(ciphertext_hex, ciphertext))
            return false;
        CryptoPP::ByteQueue queue = queue_of(der);
        CryptoPP::RSA::PrivateKey key;
        key.BERDecode(queue);
        CryptoPP::AutoSeededRandomPool pool;
        CryptoPP::RSAES_OAEP_SHA_Decryptor decryptor(key);
        // The decryptor reads exactly this many bytes, whatever it is given.
        if (ciphertext.size() != decryptor.FixedCiphertextLength())
            return false;
        std::string out(decryptor.FixedMaxPlaintextLength(), '\0');
        const CryptoPP::DecodingResult result =
            decryptor.Decrypt(pool, reinterpret_cast<const CryptoPP::byte*>(ciphertext.data()), ciphertext.size(),
                              reinterpret_cast<CryptoPP::byte*>(out.data()));
        if (!result.isValidCoding || result.messageLength > out.size())
            return false;
        out.resize(result.messageLength);
        plaintext = std::move(out);
        return true;
    } catch (const std::exception&) {
        plaintext.clear();
        return false;
    }
}
