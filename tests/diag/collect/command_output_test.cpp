// Decoding of what a console command printed.
#include "diag/collect/command_output.h"

#include <gtest/gtest.h>

namespace {

// Stands in for the OEM code page: every byte becomes the character of that
// value, so a test can see which bytes the OEM path received.
std::wstring latin1(std::string_view bytes)
{
    std::wstring text;
    for (char c : bytes)
        text += static_cast<wchar_t>(static_cast<unsigned char>(c));
    return text;
}

std::wstring decode(std::string_view bytes)
{
    return decode_command_output(bytes, latin1);
}

} // namespace

TEST(DecodeCommandOutput, LineEndsBecomeLfButALoneCrStays)
{
    EXPECT_EQ(decode("a\r\nb\r\n"), L"a\nb\n");
    EXPECT_EQ(decode("a\rb\n\r"), L"a\rb\n\r");
    EXPECT_EQ(decode("\r\r\n\n"), L"\r\n\n");
    // Leading and trailing blank lines are kept.
    EXPECT_EQ(decode("\r\n\r\nx\r\n\r\n"), L"\n\nx\n\n");
}

TEST(DecodeCommandOutput, NothingPrintedGivesEmptyText)
{
    EXPECT_EQ(decode(""), L"");
    EXPECT_EQ(decode(std::string(4, '\0')), L"");
}

TEST(DecodeCommandOutput, ZeroBytesAreRemovedSoUtf16AsciiIsReadable)
{
    std::string utf16("h\0e\0l\0l\0o\0\r\0\n\0", 14);
    EXPECT_EQ(decode(utf16), L"hello\n");
    EXPECT_EQ(decode(std::string("a\0\0b", 4)), L"ab");
}

TEST(DecodeCommandOutput, ValidUtf8IsDecodedAsUtf8)
{
    EXPECT_EQ(decode("\xEC\x84\xB1\xEA\xB3\xB5 ok\r\n"), L"성공 ok\n");
    EXPECT_EQ(decode("caf\xC3\xA9"), L"café");
    std::wstring emoji = decode("\xF0\x9F\x98\x80");
    EXPECT_EQ(emoji, sizeof(wchar_t) == 2 ? std::wstring(L"\xD83D\xDE00") : std::wstring(1, wchar_t(0x1F600)));
}

TEST(DecodeCommandOutput, InvalidUtf8GoesThroughTheOemCodePage)
{
    // "한글" in code page 949 is not valid UTF-8.
    std::string cp949 = "\xC7\xD1\xB1\xDB\r\n";
    EXPECT_EQ(decode(cp949), L"\xC7\xD1\xB1\xDB\n");
    // One broken sequence sends the whole text to the OEM path.
    EXPECT_EQ(decode("\xEC\x84\xB1 \xC7\xD1"), L"\xEC\x84\xB1 \xC7\xD1");
    // Plain ASCII takes the OEM path too; it reads the same in every code page.
    EXPECT_EQ(decode("plain"), L"plain");
}

TEST(DecodeUtf8Strict, RejectsWhatIsNotUtf8)
{
    std::wstring out = L"unchanged";
    EXPECT_FALSE(decode_utf8_strict("\xC0\xAF", out));          // overlong "/"
    EXPECT_FALSE(decode_utf8_strict("\xE0\x80\xAF", out));      // overlong
    EXPECT_FALSE(decode_utf8_strict("\xED\xA0\x80", out));      // surrogate
    EXPECT_FALSE(decode_utf8_strict("\xF4\x90\x80\x80", out));  // above U+10FFFF
    EXPECT_FALSE(decode_utf8_strict("\xEC\x84", out));          // truncated
    EXPECT_FALSE(decode_utf8_strict("\x80", out));              // lone continuation
    EXPECT_FALSE(decode_utf8_strict("\xFF", out));
    EXPECT_EQ(out, L"unchanged");
    EXPECT_TRUE(decode_utf8_strict("\xEA\xB0\x80", out));
    EXPECT_EQ(out, L"가");
}
