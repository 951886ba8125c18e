// What the ways by host take: whatever can name a host, and never a room code.
#include "platform/host_address.h"

#include <gtest/gtest.h>

namespace kb::test {
namespace {

TEST(HostAddress, HostsAndAddressesButNoRoomCodes) {
    const struct {
        const char* typed;
        bool host;
    } rows[] = {
        {"localhost", true},
        {"example.org", true},
        {"example.org.", true},
        {"my-pc", true},
        {"zz", true},
        {"pc_42.lan", true},
        {"3com.example", true},
        {"192.168.1.5", true},
        {"0.0.0.0", true},
        {"255.255.255.255", true},
        {"::1", true},
        {"::", true},
        {"fe80::1%eth0", true},
        {"2001:db8::8a2e:370:7334", true},
        {"2001:db8:0:0:0:0:2:1", true},
        {"::ffff:192.0.2.1", true},
        // Room codes, however typed.
        {"482177301294", false},
        {"4821 7730 1294", false},
        {"4821-7730-1294", false},
        // Neither.
        {"", false},
        {"256.1.1.1", false},
        {"1.2.3", false},
        {"1.2.3.4.5", false},
        {"01.2.3.4", false},
        {"1.2.3.4:1001", false},
        {"-pc", false},
        {"pc-", false},
        {"a..b", false},
        {".", false},
        {"my pc", false},
        {"http://example.org", false},
        {"1:2:3:4:5:6:7:8:9", false},
        {"1::2::3", false},
        {"12345::1", false},
        {"fe80::1%", false},
        {"ゲーム.jp", false},
        {"12.34", false},
    };
    for (const auto& row : rows) EXPECT_EQ(IsHostAddress(row.typed), row.host) << row.typed;
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
