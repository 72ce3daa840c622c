// Addresses compared as addresses, and hosts-file lines that block a name.
#include "check/diagnosis/cause_line.h"
#include "check/diagnosis/diagnosis_text.h"
#include "check/diagnosis/ip_address.h"

#include <gtest/gtest.h>

TEST(IpAddress, OneAddressWrittenInEveryUsualWay)
{
    EXPECT_TRUE(same_ip_address("FE80::1", "fe80::1"));
    EXPECT_TRUE(same_ip_address("fe80::1%12", "fe80:0:0:0:0:0:0:1"));
    EXPECT_TRUE(same_ip_address("::ffff:10.0.0.5", "10.0.0.5"));
    EXPECT_TRUE(same_ip_address("::FFFF:0a00:0005", "10.0.0.5"));
    EXPECT_TRUE(same_ip_address("010.000.000.005", "10.0.0.5"));
    EXPECT_FALSE(same_ip_address("10.0.0.5", "10.0.0.50"));
    EXPECT_FALSE(same_ip_address("fe80::1", "fe80::2"));
    // What is no address is compared as text.
    EXPECT_TRUE(same_ip_address("gw.vantu.test", "gw.vantu.test"));
    for (const char* bad : {"", "1.2.3", "1.2.3.256", "1.2.3.4.5", "1..2.3", ":::", "1::2::3", "12345::", "g::1",
                            "1:2:3:4:5:6:7:8:9", "::1.2.3", "1.2.3.4:80"})
        EXPECT_FALSE(parse_ip_address(bad).has_value()) << bad;
}

TEST(IpAddress, UnspecifiedAndLoopbackAddressesBlock)
{
    for (const char* blocking : {"0.0.0.0", "127.0.0.1", "127.1.2.3", "::", "::1", "0:0:0:0:0:0:0:1", "::ffff:127.0.0.1"})
        EXPECT_TRUE(is_blocking_address(blocking)) << blocking;
    for (const char* reachable : {"10.0.0.1", "192.168.0.1", "fe80::1", "::2", "128.0.0.1", "localhost"})
        EXPECT_FALSE(is_blocking_address(reachable)) << reachable;
}

TEST(IpAddress, AHostsLineThatBlocksANameIsNamedAndTheServerIsNotBlamed)
{
    ItemDiagnosis d;
    d.diagnosed = true;
    d.name.host = L"gw.vantu.test";
    d.name.outcome = LookupOutcome::resolved;
    d.name.addresses = {"10.20.30.40"};
    d.hosts.state = HostsFileState::read;
    d.hosts.mapped = true;
    d.hosts.address = "0.0.0.0";
    d.hosts.line = 7;
    d.failure = FailureKind::refused;
    d.phase = FailurePhase::connect;
    d.port = 7002;
    EXPECT_TRUE(hosts_line_blocks(d));
    EXPECT_EQ(cause_line(d, AttemptTally{3, 0}), L"hosts 파일 7번째 줄이 이 이름을 막고 있습니다 (0.0.0.0).");
    EXPECT_EQ(hosts_match_text(d), L"line 7 -> 0.0.0.0, blocks the name");

    d.hosts.address = "::1";
    EXPECT_EQ(cause_line(d, AttemptTally{3, 1}), L"3번 중 2번 실패: hosts 파일 7번째 줄이 이 이름을 막고 있습니다 (::1).");

    // This PC's own names may point at loopback: that is no block.
    d.name.host = L"LocalHost.";
    d.hosts.address = "127.0.0.1";
    EXPECT_FALSE(hosts_line_blocks(d));
    d.name.host = L"agent.localhost";
    EXPECT_FALSE(hosts_line_blocks(d));
}
