// Addresses compared as addresses, and which of them block a name in the hosts file.
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
