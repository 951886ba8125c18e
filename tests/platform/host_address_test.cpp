// What the ways by host take: whatever can name a host, and never a room code.
#include "platform/host_address.h"

#include <gtest/gtest.h>

namespace kb::test {
namespace {

TEST(HostAddress, HostsAndAddressesButNoRoomCodes) {
    for (const char* host :
         {"localhost", "example.org", "example.org.", "my-pc", "zz", "pc_42.lan", "3com.example",
          "192.168.1.5", "0.0.0.0", "255.255.255.255", "::1", "::", "fe80::1%eth0",
          "2001:db8::8a2e:370:7334", "2001:db8:0:0:0:0:2:1", "::ffff:192.0.2.1"})
        EXPECT_TRUE(IsHostAddress(host)) << host;
    // Room codes, however typed, and what is neither.
    for (const char* none :
         {"482177301294", "4821 7730 1294", "4821-7730-1294", "", "256.1.1.1", "1.2.3", "1.2.3.4.5",
          "01.2.3.4", "1.2.3.4:1001", "-pc", "pc-", "a..b", ".", "my pc", "http://example.org"})
        EXPECT_FALSE(IsHostAddress(none)) << none;
    for (const char* none :
         {"1:2:3:4:5:6:7:8:9", "1::2::3", "12345::1", "fe80::1%", "fe80::g1", "ゲーム.jp", "12.34"})
        EXPECT_FALSE(IsHostAddress(none)) << none;
}

TEST(HostAddress, NameLengthsAsDnsAllows) {
    const std::string label63(63, 'a'), label64(64, 'a');
    EXPECT_TRUE(IsHostAddress(label63 + ".org"));
    EXPECT_FALSE(IsHostAddress(label64 + ".org"));
    std::string name;
    while (name.size() < 250) name += "abcdefghi.";
    name += "org";
    EXPECT_EQ(IsHostAddress(name), name.size() <= 253) << name.size();
}

}  // namespace
}  // namespace kb::test
