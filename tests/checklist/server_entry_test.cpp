// Server entries of the check list and the display form of addresses.
#include <gtest/gtest.h>

#include <climits>

#include "checklist/mask_host.h"
#include "checklist/server_entry.h"
#include "checklist/server_kinds.h"

namespace {

struct EntryCase
{
    const wchar_t* entry;
    bool kept;
    const wchar_t* host;
    int port;
};

} // namespace

TEST(ServerEntry, HostColonPortAndUrls)
{
    const EntryCase cases[] = {
        {L"10.0.0.5:7002", true, L"10.0.0.5", 7002},
        {L"10.0.0.5", false, L"", 0},
        {L"https://example.test", true, L"https://example.test", 443},
        {L"http://a.test", true, L"http://a.test", 80},
        {L"http://a.test:8080", true, L"http://a.test:8080", 80}, // the URL's port is not used
        {L"HTTP://a.test", false, L"", 0},                        // prefixes are lower case only
        {L"Https://a.test", false, L"", 0},
        {L"host: 7002", true, L"host", 7002},                     // leading blanks
        {L"host:+7002", true, L"host", 7002},
        {L"host:7002abc", true, L"host", 7002},                   // text after the digits is ignored
        {L"host:7002:9", true, L"host", 7002},
        {L"host:0", false, L"", 0},
        {L"host:-80", false, L"", 0},
        {L"host:", false, L"", 0},
        {L"host:abc", false, L"", 0},
        {L":7002", false, L"", 0},
        {L"", false, L"", 0},
        {L"7002", false, L"", 0},                                 // no colon: a number but no host
        {L"host:70000", true, L"host", 70000},                    // no upper limit when reading
    };
    for (const EntryCase& c : cases) {
        ServerEntry e;
        const bool kept = parse_server_entry(c.entry, e);
        EXPECT_EQ(kept, c.kept) << c.entry;
        if (kept && c.kept) {
            EXPECT_EQ(e.host, c.host) << c.entry;
            EXPECT_EQ(e.port, c.port) << c.entry;
        }
    }
}

TEST(ServerEntry, HugeNumbersSaturateLikeTheCRuntime)
{
    EXPECT_EQ(wtoi(L"99999999999999999999999"), INT_MAX);
    EXPECT_EQ(wtoi(L"-99999999999999999999999"), INT_MIN);
    EXPECT_EQ(wtoi(L"2147483647"), INT_MAX);
    EXPECT_EQ(wtoi(L"-2147483648"), INT_MIN);
    EXPECT_EQ(wtoi(L"\t\n 42x"), 42);
    EXPECT_EQ(wtoi(L"- 42"), 0);
    EXPECT_EQ(wtoi(L""), 0);
    ServerEntry e;
    ASSERT_TRUE(parse_server_entry(L"h:99999999999999999999", e));
    EXPECT_EQ(e.port, INT_MAX);
    EXPECT_FALSE(parse_server_entry(L"h:-99999999999999999999", e));
}

TEST(ServerKindsTest, OrderNamesAndSocketKinds)
{
    const ServerKinds kinds = default_server_kinds();
    std::vector<std::wstring> keys, names;
    for (const auto& [k, v] : kinds) {
        keys.push_back(k);
        names.push_back(v);
    }
    EXPECT_EQ(keys, (std::vector<std::wstring>{L"api", L"gateway", L"ios", L"proxy", L"session", L"update", L"web"}));
    EXPECT_EQ(names, (std::vector<std::wstring>{L"API", L"중계", L"스트리밍", L"프록시", L"세션", L"업데이트", L"웹"}));
    for (const std::wstring& k : keys)
        EXPECT_EQ(is_socket_kind(k), k == L"session" || k == L"gateway" || k == L"ios") << k;
}

TEST(MaskHost, Examples)
{
    EXPECT_EQ(mask_host(L"192.168.10.5"), L"192*******5");
    EXPECT_EQ(mask_host(L"example.test"), L"example*****");
    EXPECT_EQ(mask_host(L"localhost"), L"**********");
    EXPECT_EQ(mask_host(L""), L"");
    EXPECT_EQ(mask_host(L"10.0.0.5"), L"10****5");
    EXPECT_EQ(mask_host(L"12345"), L"12345");      // all digits, no dot: nothing to hide between dots
    EXPECT_EQ(mask_host(L"1.2"), L"12");            // the last dot is not kept
    EXPECT_EQ(mask_host(L"..."), L"***");           // no digits left: not numeric
    EXPECT_EQ(mask_host(L"a.b.c"), L"a****");
    EXPECT_EQ(mask_host(L"http://a.test"), L"http://a*****");
    EXPECT_EQ(mask_host(L"1.2."), L"1**");          // numeric, nothing after the last dot
}
