#include "app/web_host_option.h"

#include <gtest/gtest.h>

namespace {
WebHostOption parse(std::vector<std::wstring> args)
{
    return parse_web_host_option(args, L"www.vantu.co.kr", 80);
}
} // namespace

TEST(WebHostOption, WithoutTheOptionTheBuiltInHostOnPort80IsUsed)
{
    WebHostOption o = parse({});
    EXPECT_EQ(o.host, L"www.vantu.co.kr");
    EXPECT_EQ(o.port, 80);
    EXPECT_TRUE(o.error.empty());
    o = parse({L"--other", L"x"});
    EXPECT_EQ(o.host, L"www.vantu.co.kr");
}

TEST(WebHostOption, HostAndPortAreTakenFromEitherSpelling)
{
    WebHostOption o = parse({L"--web-host", L"127.0.0.1:34567"});
    EXPECT_EQ(o.host, L"127.0.0.1");
    EXPECT_EQ(o.port, 34567);
    o = parse({L"--web-host=example.test"});
    EXPECT_EQ(o.host, L"example.test");
    EXPECT_EQ(o.port, 80);
    o = parse({L"--web-host", L"example.test:443"});
    EXPECT_EQ(o.port, 443);
}

TEST(WebHostOption, SchemeDecidesTheDefaultPortAndStaysWithTheHost)
{
    WebHostOption o = parse({L"--web-host", L"https://secure.test"});
    EXPECT_EQ(o.host, L"https://secure.test");
    EXPECT_EQ(o.port, 443);
    o = parse({L"--web-host", L"http://plain.test:8080/"});
    EXPECT_EQ(o.host, L"http://plain.test");
    EXPECT_EQ(o.port, 8080);
}

TEST(WebHostOption, MalformedValuesKeepTheDefaultsAndSayWhy)
{
    for (const wchar_t* bad : {L"", L":80", L"host:", L"host:0", L"host:65536", L"host:12ab", L"ho st",
                               L"host/path:80", L"host:123456"}) {
        WebHostOption o = parse({L"--web-host", bad});
        EXPECT_EQ(o.host, L"www.vantu.co.kr") << bad;
        EXPECT_EQ(o.port, 80) << bad;
        EXPECT_FALSE(o.error.empty()) << bad;
    }
    WebHostOption missing = parse({L"--web-host"});
    EXPECT_EQ(missing.host, L"www.vantu.co.kr");
    EXPECT_FALSE(missing.error.empty());
}

TEST(WebHostOption, TheLastGoodValueWins)
{
    WebHostOption o = parse({L"--web-host", L"a.test:1000", L"--web-host", L"b.test:2000"});
    EXPECT_EQ(o.host, L"b.test");
    EXPECT_EQ(o.port, 2000);
}
