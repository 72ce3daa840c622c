// The formatter gives the Windows meaning to wide formats in both trees.
#include "common/format.h"
#include "common/text_convert.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>

namespace {

bool rejects(const wchar_t* fmt, ...)
{
    va_list args;
    va_start(args, fmt);
    std::wstring out = L"untouched";
    const bool ok = try_vformat_text(out, fmt, args);
    va_end(args);
    return !ok && out == L"untouched";
}

}  // namespace

TEST(FormatText, StringsFollowTheWindowsConvention)
{
    EXPECT_EQ(format_text(L"%s=%d", L"가나", 42), L"가나=42");
    EXPECT_EQ(format_text(L"[%s][%s]", L"", L"x"), L"[][x]");
    EXPECT_EQ(format_text(L"%S and %s", "narrow", L"wide"), L"narrow and wide");
    EXPECT_EQ(format_text(L"%hs|%ls|%ws", "a", L"b", L"c"), L"a|b|c");
    EXPECT_EQ(format_text(L"%c%C%lc%hc", L'가', 'b', L'c', 'd'), L"가bcd");
    EXPECT_EQ(format_text(L"(%5s)(%-5s)(%.2s)(%05s)", L"ab", L"ab", L"abcdef", L"ab"), L"(   ab)(ab   )(ab)(000ab)");
    EXPECT_EQ(format_text(L"(%*s)(%-*s)(%.*s)", 4, L"a", 3, L"b", 1, L"xyz"), L"(   a)(b  )(x)");
    EXPECT_EQ(format_text(L"%s %S", static_cast<const wchar_t*>(nullptr), static_cast<const char*>(nullptr)),
              L"(null) (null)");
}

TEST(FormatText, NumbersAndPercent)
{
    EXPECT_EQ(format_text(L"%d %i %u %x %X %o", -7, 8, 9u, 255, 255, 8), L"-7 8 9 ff FF 10");
    EXPECT_EQ(format_text(L"%02d/%03d/%5d/%-4d|", 5, 42, 12, 3), L"05/042/   12/3   |");
    EXPECT_EQ(format_text(L"%lld %I64d %llu", -5000000000LL, 6000000000LL, 18446744073709551615ULL),
              L"-5000000000 6000000000 18446744073709551615");
    EXPECT_EQ(format_text(L"%ld %lu", 123456L, 654321UL), L"123456 654321");
    EXPECT_EQ(format_text(L"%zu %Iu", static_cast<std::size_t>(77), static_cast<std::size_t>(88)), L"77 88");
    EXPECT_EQ(format_text(L"%hd %hu", 70000, 70000), L"4464 4464");
    EXPECT_EQ(format_text(L"%.2f %0.1f %e", 1.5, 0.06, 1000.0), L"1.50 0.1 1.000000e+03");
    EXPECT_EQ(format_text(L"100%% %s", L"done"), L"100% done");
    EXPECT_EQ(format_text(L"%%0.%df", 3), L"%0.3f");
    EXPECT_EQ(format_text(L"%p", reinterpret_cast<void*>(static_cast<std::uintptr_t>(0xABCD))).size(),
              sizeof(void*) * 2);
}

TEST(FormatText, RejectedFormatsFailWithoutCrashing)
{
    int written = 0;
    EXPECT_TRUE(rejects(L"%n", &written));
    EXPECT_TRUE(rejects(L"%y", 1));
    EXPECT_TRUE(rejects(L"ends in %"));
    EXPECT_TRUE(rejects(nullptr));
    EXPECT_EQ(format_text(L"%k"), L"");
    EXPECT_EQ(written, 0);
    // Widths and precisions beyond a million are refused, written or handed in,
    // instead of asking for gigabytes of padding.
    EXPECT_TRUE(rejects(L"%2000000s", L"a"));
    EXPECT_TRUE(rejects(L"%*s", 1677721600, L"a"));
    EXPECT_TRUE(rejects(L"%*s", INT_MIN, L"a"));
    EXPECT_TRUE(rejects(L"%.*d", 2000000000, 5));
    EXPECT_EQ(format_text(L"%*s|%.*d", -3, L"a", 3, 7), L"a  |007");
}

TEST(FormatText, LongTextIsNotCut)
{
    const std::wstring long_text(10000, L'가');
    EXPECT_EQ(format_text(L"<%s>", long_text.c_str()), L"<" + long_text + L">");
    EXPECT_EQ(format_text(L"%.3f", 1e300).size(), 305u);
}

TEST(TextConvert, Utf8RoundTripAndRepairs)
{
    const std::wstring korean = L"진단 결과 check_result.txt";
    EXPECT_EQ(from_utf8(to_utf8(korean)), korean);
    EXPECT_EQ(to_utf8(L"가"), "\xEA\xB0\x80");
    EXPECT_EQ(from_utf8("\xF0\x9F\x98\x80"), std::wstring(sizeof(wchar_t) == 2 ? L"\xD83D\xDE00" : L"\U0001F600"));
    EXPECT_EQ(to_utf8(from_utf8("\xF0\x9F\x98\x80")), "\xF0\x9F\x98\x80");
    EXPECT_EQ(from_utf8("a\xFF" "b"), L"a\xFFFD" L"b");
    EXPECT_EQ(from_utf8("a\xEA\xB0"), L"a\xFFFD");
    EXPECT_EQ(from_utf8("\xC0\xAF"), L"\xFFFD\xFFFD");  // over-long "/"
    EXPECT_EQ(from_utf8(""), L"");
    EXPECT_EQ(to_utf8(L""), "");
}
