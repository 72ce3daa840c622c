// The key material of the channel: RSA key and ciphertext formats, the session
// key's hexadecimal forms and the AES-128-CFB message cipher.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>

#include "check/channel/rsa_hex.h"
#include "check/channel/session_key.h"

namespace {

bool is_upper_hex(const std::string& s)
{
    return std::all_of(s.begin(), s.end(), [](char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); });
}

std::string lower(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

class RsaKeys : public testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(GenerateRsaKeyPair(private_hex, public_hex)); }
    static std::string private_hex, public_hex;
};
std::string RsaKeys::private_hex, RsaKeys::public_hex;

} // namespace

TEST_F(RsaKeys, PublicKeyIs160BytesOfX509DerWithExponent17)
{
    ASSERT_EQ(public_hex.size(), rsa_public_key_hex_size);
    EXPECT_TRUE(is_upper_hex(public_hex));
    std::string der;
    ASSERT_TRUE(hex_decode(public_hex, der));
    ASSERT_EQ(der.size(), 160u);
    // SEQUENCE { SEQUENCE { rsaEncryption, NULL }, BIT STRING { SEQUENCE { n, e } } }
    EXPECT_EQ(public_hex.substr(0, 6), "30819D");
    EXPECT_NE(public_hex.find("2A864886F70D010101"), std::string::npos);
    EXPECT_EQ(public_hex.substr(public_hex.size() - 6), "020111"); // INTEGER 17
}

TEST_F(RsaKeys, PrivateKeyIsPkcs8DerThatFitsItsBuffer)
{
    EXPECT_TRUE(is_upper_hex(private_hex));
    EXPECT_LE(private_hex.size(), 1300u);
    EXPECT_GT(private_hex.size(), 1200u);
    // PrivateKeyInfo: SEQUENCE { INTEGER 0, AlgorithmIdentifier, OCTET STRING }
    EXPECT_EQ(private_hex.substr(0, 4), "3082");
    EXPECT_EQ(private_hex.substr(8, 6), "020100");
}

TEST_F(RsaKeys, EveryPairIsNew)
{
    std::string other_private, other_public;
    ASSERT_TRUE(GenerateRsaKeyPair(other_private, other_public));
    EXPECT_NE(other_public, public_hex);
    EXPECT_NE(other_private, private_hex);
}

TEST_F(RsaKeys, OaepRoundTripInEitherCase)
{
    const std::string plaintext(64, 'A');
    const std::string ciphertext = RsaEncryptHex(public_hex, plaintext);
    ASSERT_EQ(ciphertext.size(), rsa_ciphertext_hex_size);
    EXPECT_TRUE(is_upper_hex(ciphertext));
    // OAEP is randomised: the same plaintext encrypts differently every time.
    EXPECT_NE(RsaEncryptHex(public_hex, plaintext), ciphertext);

    std::string out;
    ASSERT_TRUE(RsaDecryptHex(private_hex, ciphertext, out));
    EXPECT_EQ(out, plaintext);
    ASSERT_TRUE(RsaDecryptHex(lower(private_hex), lower(ciphertext), out));
    EXPECT_EQ(out, plaintext);
    ASSERT_TRUE(RsaEncryptHex(lower(public_hex), "x").size() == rsa_ciphertext_hex_size);
}

TEST_F(RsaKeys, BadInputGivesEmptyResultsNotExceptions)
{
    std::string out;
    // Public keys that do not decode or are not usable.
    EXPECT_EQ(RsaEncryptHex("", "secret"), "");
    EXPECT_EQ(RsaEncryptHex(std::string(320, 'Z'), "secret"), "");
    EXPECT_EQ(RsaEncryptHex(std::string(320, '0'), "secret"), "");
    EXPECT_EQ(RsaEncryptHex(public_hex.substr(0, 318), "secret"), "");
    EXPECT_EQ(RsaEncryptHex(public_hex + "00", "secret"), "");
    // Too long for one OAEP block of a 1024-bit key.
    EXPECT_EQ(RsaEncryptHex(public_hex, std::string(87, 'A')), "");
    EXPECT_EQ(RsaEncryptHex(public_hex, std::string(86, 'A')).size(), rsa_ciphertext_hex_size);

    const std::string ciphertext = RsaEncryptHex(public_hex, "secret");
    ASSERT_FALSE(ciphertext.empty());
    EXPECT_FALSE(RsaDecryptHex(private_hex, "", out));
    EXPECT_FALSE(RsaDecryptHex(private_hex, ciphertext.substr(0, 254), out));
    EXPECT_FALSE(RsaDecryptHex(private_hex, ciphertext + "00", out));
    EXPECT_FALSE(RsaDecryptHex(private_hex, std::string(256, 'G'), out));
    EXPECT_FALSE(RsaDecryptHex(private_hex, std::string(256, 'F'), out)); // above the modulus
    std::string tampered = ciphertext;
    tampered[100] = tampered[100] == '0' ? '1' : '0';
    EXPECT_FALSE(RsaDecryptHex(private_hex, tampered, out));
    EXPECT_FALSE(RsaDecryptHex("3082", ciphertext, out));
    EXPECT_FALSE(RsaDecryptHex(public_hex, ciphertext, out));
    EXPECT_TRUE(out.empty());
    // Under another key pair the ciphertext does not decrypt.
    std::string other_private, other_public;
    ASSERT_TRUE(GenerateRsaKeyPair(other_private, other_public));
    EXPECT_FALSE(RsaDecryptHex(other_private, ciphertext, out));
}

TEST(Hex, EncodesUpperCaseAndDecodesStrictly)
{
    const unsigned char bytes[] = {0x00, 0x2C, 0x01, 0xAB, 0xFF};
    EXPECT_EQ(hex_encode(bytes, sizeof bytes), "002C01ABFF");
    std::string out;
    ASSERT_TRUE(hex_decode("002c01abFF", out));
    EXPECT_EQ(out, std::string(reinterpret_cast<const char*>(bytes), sizeof bytes));
    EXPECT_FALSE(hex_decode("0", out));
    EXPECT_FALSE(hex_decode("0G", out));
    EXPECT_FALSE(hex_decode("00 1", out));
    EXPECT_TRUE(hex_decode("", out));
    EXPECT_TRUE(out.empty());
}

TEST(SessionKeyTest, HexFormsFollowTheBytes)
{
    SessionKey k;
    ASSERT_TRUE(k.Generate());
    const std::string key_hex = k.KeyHex(), iv_hex = k.IvHex();
    ASSERT_EQ(key_hex.size(), 32u);
    ASSERT_EQ(iv_hex.size(), 32u);
    EXPECT_TRUE(is_upper_hex(key_hex));
    EXPECT_TRUE(is_upper_hex(iv_hex));
    EXPECT_NE(key_hex, iv_hex);
    EXPECT_EQ(std::string(k.key_hex, 32), key_hex);
    EXPECT_EQ(std::string(k.iv_hex, 32), iv_hex);

    SessionKey copy;
    // Only the first 32 characters count; case does not matter.
    ASSERT_TRUE(copy.SetKeyHex(lower(key_hex) + "trailing text"));
    ASSERT_TRUE(copy.SetIvHex(iv_hex));
    EXPECT_EQ(copy.KeyHex(), key_hex);
    EXPECT_EQ(copy.IvHex(), iv_hex);

    SessionKey fresh;
    ASSERT_TRUE(fresh.Generate());
    EXPECT_NE(fresh.KeyHex(), key_hex);
}

TEST(SessionKeyTest, RejectsShortOrNonHexTextAndLeavesZero)
{
    SessionKey k;
    ASSERT_TRUE(k.Generate());
    EXPECT_FALSE(k.SetKeyHex(std::string(31, 'A')));
    EXPECT_EQ(k.KeyHex(), std::string(32, '0'));
    ASSERT_TRUE(k.Generate());
    EXPECT_FALSE(k.SetIvHex(std::string(30, 'A') + "Q!"));
    EXPECT_EQ(k.IvHex(), std::string(32, '0'));
}

TEST(SessionKeyTest, Aes128CfbMatchesTheStandardVector)
{
    // AES-128 CFB128, first block of the standard CFB test vector.
    SessionKey k;
    ASSERT_TRUE(k.SetKeyHex("2B7E151628AED2A6ABF7158809CF4F3C"));
    ASSERT_TRUE(k.SetIvHex("000102030405060708090A0B0C0D0E0F"));
    std::string plain, expected;
    ASSERT_TRUE(hex_decode("6BC1BEE22E409F96E93D7E117393172AAE2D8A571E03AC9C9EB76FAC45AF8E51", plain));
    ASSERT_TRUE(hex_decode("3B3FD92EB72DAD20333449F8E83CFB4AC8A64537A0B3A93FCDE3CDAD9F1CE58B", expected));
    std::string out(plain.size(), '\0');
    ASSERT_TRUE(k.Encrypt(reinterpret_cast<unsigned char*>(out.data()),
                          reinterpret_cast<const unsigned char*>(plain.data()), plain.size()));
    EXPECT_EQ(hex_encode(reinterpret_cast<const unsigned char*>(out.data()), out.size()),
              hex_encode(reinterpret_cast<const unsigned char*>(expected.data()), expected.size()));
    std::string back(out.size(), '\0');
    ASSERT_TRUE(k.Decrypt(reinterpret_cast<unsigned char*>(back.data()),
                          reinterpret_cast<const unsigned char*>(out.data()), out.size()));
    EXPECT_EQ(back, plain);
}

TEST(SessionKeyTest, EveryMessageRestartsFromTheIv)
{
    SessionKey k;
    ASSERT_TRUE(k.Generate());
    const unsigned char command[2] = {0x2C, 0x01};
    unsigned char first[2], second[2], in_place[2] = {0x2C, 0x01};
    ASSERT_TRUE(k.Encrypt(first, command, 2));
    ASSERT_TRUE(k.Encrypt(second, command, 2));
    EXPECT_EQ(first[0], second[0]);
    EXPECT_EQ(first[1], second[1]);
    ASSERT_TRUE(k.Encrypt(in_place, in_place, 2));
    EXPECT_EQ(in_place[0], first[0]);
    EXPECT_EQ(in_place[1], first[1]);
    unsigned char back[2];
    ASSERT_TRUE(k.Decrypt(back, first, 2));
    EXPECT_EQ(back[0], 0x2C);
    EXPECT_EQ(back[1], 0x01);
}
