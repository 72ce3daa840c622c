// Encodings: detection, UTF-16 both ways round, code page 949, broken UTF-8;
// the output keeps the input's encoding, mark and line endings.
#include "diag/redact/code_page.h"
#include "diag/redact/redactor.h"

#include <gtest/gtest.h>

#include <string>

using namespace vantu::redact;
using namespace std::literals;

namespace {

std::string utf16(std::u16string_view text, bool big_endian)
{
    std::string bytes;
    for (char16_t u : text) {
        const char hi = static_cast<char>(u >> 8), lo = static_cast<char>(u & 0xff);
        bytes.push_back(big_endian ? hi : lo);
        bytes.push_back(big_endian ? lo : hi);
    }
    return bytes;
}

RedactNames korean_user()
{
    RedactNames names;
    names.users = {"\xED\x99\x8D\xEA\xB8\xB8\xEB\x8F\x99", "ab"}; // 홍길동
    return names;
}

std::string redact_as(std::string_view bytes, std::optional<TextEncoding> encoding, const RedactNames& names,
                      TextEncoding* detected = nullptr)
{
    PseudonymTable table;
    RedactOptions options;
    options.encoding = encoding;
    Redactor redactor(table, names, options);
    std::string out;
    redactor.feed(bytes, out);
    redactor.finish(out);
    if (detected)
        *detected = redactor.encoding();
    return out;
}

} // namespace

TEST(RedactEncoding, DetectionByMarkAndContent)
{
    struct Case
    {
        std::string_view head;
        TextEncoding encoding;
        std::size_t bom;
    };
    const Case cases[] = {
        {"\xEF\xBB\xBFlog", TextEncoding::utf8, 3},
        {"\xFF\xFEl\0o\0"sv, TextEncoding::utf16le, 2},
        {"\xFE\xFF\0l\0o"sv, TextEncoding::utf16be, 2},
        {"l\0o\0g\0 \0\x5C\xD5"sv, TextEncoding::utf16le, 0},
        {"\0l\0o\0g\0 \xD5\x5C"sv, TextEncoding::utf16be, 0},
        {"plain ascii", TextEncoding::utf8, 0},
        {"\xED\x99\x8D\xEA\xB8\xB8\xEB\x8F", TextEncoding::utf8, 0}, // cut at the end of the head
        {"C:\\Users\\\xC8\xAB\xB1\xE6\xB5\xBF", TextEncoding::ansi, 0},
    };
    for (const Case& c : cases) {
        const DetectedEncoding d = detect_encoding(c.head);
        EXPECT_EQ(d.encoding, c.encoding) << c.head;
        EXPECT_EQ(d.bom_bytes, c.bom) << c.head;
    }
}

TEST(RedactEncoding, Utf16LittleEndianWithMark)
{
    const std::string in = "\xFF\xFE" + utf16(u"C:\\Users\\홍길동\\x 10.1.2.3\r\nab\r\n", false);
    TextEncoding detected{};
    EXPECT_EQ(redact_as(in, std::nullopt, korean_user(), &detected),
              "\xFF\xFE" + utf16(u"C:\\Users\\[USER-1]\\x [IP-1]\r\n[USER-2]\r\n", false));
    EXPECT_EQ(detected, TextEncoding::utf16le);
}

TEST(RedactEncoding, Utf16WithoutMarkBothOrders)
{
    for (bool big : {false, true}) {
        const std::string in = utf16(u"mail a.b@corp.co.kr, 홍길동, fe80::1\n", big);
        TextEncoding detected{};
        EXPECT_EQ(redact_as(in, std::nullopt, korean_user(), &detected),
                  utf16(u"mail [EMAIL-1], [USER-1], [IP-1]\n", big));
        EXPECT_EQ(detected, big ? TextEncoding::utf16be : TextEncoding::utf16le);
    }
}

TEST(RedactEncoding, Utf16OddLastBytePassesThrough)
{
    const std::string in = utf16(u"ip 10.1.2.3", false) + "\x41";
    EXPECT_EQ(redact_as(in, TextEncoding::utf16le, {}), utf16(u"ip [IP-1]", false) + "\x41");
}

TEST(RedactEncoding, CodePage949NamesAndTrailBytes)
{
    // 홍길동 in code page 949, then two characters whose trail bytes are the
    // letters "a" (0x81 0x61) and "p" (0x81 0x70): no name, no key on them.
    const std::string in = "C:\\Users\\\xC8\xAB\xB1\xE6\xB5\xBF\\Temp \xC8\xAB\xB1\xE6\xB5\xBF\xB4\xD4 "
                           "\x81\x61" "b \x81\x70" "ass=1 ab 10.1.2.3\r\n";
    const std::string out = "C:\\Users\\[USER-1]\\Temp [USER-1]\xB4\xD4 "
                            "\x81\x61" "b \x81\x70" "ass=1 [USER-2] [IP-1]\r\n";
    TextEncoding detected{};
    EXPECT_EQ(redact_as(in, std::nullopt, korean_user(), &detected), out);
    EXPECT_EQ(detected, TextEncoding::ansi);
}

TEST(RedactEncoding, CodePage949LeadByteAtTheEndPassesThrough)
{
    EXPECT_EQ(redact_as("10.1.2.3 \xC8", TextEncoding::ansi, {}), "[IP-1] \xC8");
}

TEST(RedactEncoding, InvalidUtf8DoesNotStopTheRest)
{
    const std::string in = "bad \xC3\x28 then 10.1.2.3 \xE2\x82 ab \xFF\xC0\x80 a@b.kr \xED\x99";
    EXPECT_EQ(redact_as(in, TextEncoding::utf8, korean_user()),
              "bad \xC3\x28 then [IP-1] \xE2\x82 [USER-1] \xFF\xC0\x80 [EMAIL-1] \xED\x99");
}

TEST(RedactEncoding, KoreanNameInUtf8)
{
    EXPECT_EQ(redact_as("/home/\xED\x99\x8D\xEA\xB8\xB8\xEB\x8F\x99/ \xED\x99\x8D\xEA\xB8\xB8\xEB\x8F\x99\xEB\x8B\x98",
                        std::nullopt, korean_user()),
              "/home/[USER-1]/ [USER-1]\xEB\x8B\x98");
}

TEST(RedactEncoding, NamesConvertedIntoTheCodePage)
{
    EXPECT_EQ(utf8_to_code_page("\xED\x99\x8D\xEA\xB8\xB8\xEB\x8F\x99", 949), "\xC8\xAB\xB1\xE6\xB5\xBF");
    EXPECT_EQ(utf8_to_code_page("\xF0\x9F\x98\x80", 949), std::nullopt); // an emoji has no form there
    EXPECT_EQ(utf8_to_utf16("a\xED\x99\x8D\xF0\x9F\x98\x80\xFF"), u"a\uD64D\U0001F600\uFFFD");
    // A name with no form in the file's code page is simply not looked for.
    RedactNames names;
    names.users = {"x\xF0\x9F\x98\x80", "ab"};
    EXPECT_EQ(redact_as("x? ab", TextEncoding::ansi, names), "x? [USER-1]");
}
