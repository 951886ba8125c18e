// The relay's limits on a clock of the test's own: allowances that refill at their rate and
// never past their burst, connections counted by address, and the settings as written.
#include "limits/limits.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace kb::relay {
namespace {

constexpr int64_t kMs = 1'000'000;

// Three at once, then one a second: what is let through at each moment.
TEST(RelayLimits, AllowanceRefillsAtItsRateUpToItsBurst) {
    const struct {
        const char* what;
        std::vector<int64_t> at;  // ms
        std::vector<bool> taken;
    } rows[] = {
        {"a full burst, then none", {0, 0, 0, 0}, {true, true, true, false}},
        {"one back after a whole second, not before",
         {0, 0, 0, 999, 1000, 1000},
         {true, true, true, false, true, false}},
        {"a long quiet gives back the burst and no more",
         {0, 0, 0, 60000, 60000, 60000, 60000},
         {true, true, true, true, true, true, false}},
        {"half seconds add up", {0, 0, 0, 500, 1000}, {true, true, true, false, true}},
        {"a clock that goes back gives nothing",
         {0, 0, 0, 5000, 2000, 2000, 2000, 2000},
         {true, true, true, true, true, true, false, false}},
    };
    for (const auto& row : rows) {
        Allowance a(3);
        std::vector<bool> taken;
        for (int64_t ms : row.at) taken.push_back(a.Take(ms * kMs, 1, 3));
        EXPECT_EQ(taken, row.taken) << row.what;
    }
}

TEST(RelayLimits, ConnectionsCountedByAddress) {
    LimitSettings s;
    s.connectionsPerAddress = 2;
    Limits limits(s);
    int a = 0, b = 0, c = 0, d = 0, e = 0, page[100] = {};
    EXPECT_TRUE(limits.Admit(&a, "192.0.2.1"));
    EXPECT_TRUE(limits.Admit(&a, "192.0.2.1")) << "the same client counts once";
    EXPECT_TRUE(limits.Admit(&b, "192.0.2.1"));
    EXPECT_FALSE(limits.Admit(&c, "192.0.2.1"));
    EXPECT_EQ(limits.From("192.0.2.1"), 2);
    EXPECT_TRUE(limits.Admit(&d, "192.0.2.2")) << "another address has places of its own";
    limits.Leave(&c);  // turned away: it held no place
    EXPECT_EQ(limits.From("192.0.2.1"), 2);
    limits.Leave(&a);
    limits.Leave(&a);
    limits.Leave(&d);
    EXPECT_EQ(limits.From("192.0.2.1"), 1);
    EXPECT_EQ(limits.From("192.0.2.2"), 0) << "its last client gone, an address holds none";
    EXPECT_EQ(limits.From("192.0.2.9"), 0);
    EXPECT_TRUE(limits.Admit(&e, "192.0.2.1"));
    for (int& p : page) EXPECT_TRUE(limits.Admit(&p, "")) << "pages are not counted by address";
    EXPECT_EQ(limits.Connected(), 102);
}

TEST(RelayLimits, ConnectionsCountedInAll) {
    LimitSettings s;
    s.connections = 3;
    Limits limits(s);
    int a = 0, b = 0, c = 0, d = 0;
    EXPECT_TRUE(limits.Admit(&a, "192.0.2.1"));
    EXPECT_TRUE(limits.Admit(&b, ""));
    EXPECT_TRUE(limits.Admit(&c, "192.0.2.2"));
    EXPECT_FALSE(limits.Admit(&d, "192.0.2.3")) << "a page counts in all";
    EXPECT_FALSE(limits.Admit(&d, ""));
    EXPECT_TRUE(limits.Admit(&a, "192.0.2.1")) << "one already in asks again";
    for (int i = 0; i < 5; ++i) {
        limits.Leave(&b);
        limits.Leave(&b);
        EXPECT_TRUE(limits.Admit(&b, ""));
    }
    EXPECT_FALSE(limits.Admit(&d, "")) << "leaving frees one place, however often said";
    EXPECT_EQ(limits.Connected(), 3);
}

TEST(RelayLimits, EachClientHasItsOwnAllowances) {
    LimitSettings s;
    s.messagesPerSecond = 10;
    s.messageBurst = 5;
    s.subscriptionsPerMinute = 6;
    s.subscriptionBurst = 2;
    Limits limits(s);
    int flooder = 0, player = 0, stranger = 0;
    limits.Admit(&flooder, "192.0.2.1");
    limits.Admit(&player, "192.0.2.1");
    int sent = 0;
    for (int i = 0; i < 50; ++i) sent += limits.Message(&flooder, 0);
    EXPECT_EQ(sent, 5);
    EXPECT_TRUE(limits.Message(&player, 0)) << "one client's flood leaves the other's allowance";
    EXPECT_FALSE(limits.Message(&flooder, 99 * kMs));
    EXPECT_TRUE(limits.Message(&flooder, 100 * kMs)) << "ten a second: one every 100 ms";
    EXPECT_TRUE(limits.FirstRefusal(&flooder));
    EXPECT_FALSE(limits.FirstRefusal(&flooder)) << "logged once";

    EXPECT_TRUE(limits.Subscription(&player, 0));
    EXPECT_TRUE(limits.Subscription(&player, 0));
    EXPECT_FALSE(limits.Subscription(&player, 9999 * kMs));
    EXPECT_TRUE(limits.Subscription(&player, 10000 * kMs)) << "six a minute: one every 10 s";
    EXPECT_TRUE(limits.Message(&stranger, 0)) << "a client never admitted is not limited";
    limits.Leave(&flooder);
    limits.Admit(&flooder, "192.0.2.1");
    EXPECT_TRUE(limits.Message(&flooder, 100 * kMs)) << "a new connection starts full";
}

TEST(RelayLimits, SettingsAsWritten) {
    const std::pair<const char*, const char*> refused[] = {
        {"connections", "0"},           {"connections_per_address", "0"},
        {"messages_per_second", "20x"}, {"message_burst", ""},
        {"message_burst", "-3"},        {"subscriptions_per_minute", "nan"},
        {"connections_per_adress", "8"}};
    for (const auto& [key, value] : refused) {
        LimitSettings s;
        EXPECT_NE(ReadSetting(s, key, value), "") << key << " " << value;
    }
    LimitSettings s;
    EXPECT_EQ(ReadSetting(s, "connections", "12"), "");
    EXPECT_EQ(ReadSetting(s, "connections_per_address", "8"), "");
    EXPECT_EQ(ReadSetting(s, "messages_per_second", "2.5"), "");
    EXPECT_EQ(ReadSetting(s, "message_burst", "7"), "");
    EXPECT_EQ(ReadSetting(s, "subscriptions_per_minute", "4"), "");
    EXPECT_EQ(ReadSetting(s, "subscription_burst", "1"), "");
    EXPECT_EQ(s.connections, 12);
    EXPECT_EQ(s.connectionsPerAddress, 8);
    EXPECT_EQ(s.messagesPerSecond, 2.5);
    EXPECT_EQ(s.messageBurst, 7);
    EXPECT_EQ(s.subscriptionsPerMinute, 4);
    EXPECT_EQ(s.subscriptionBurst, 1);
}

}  // namespace
}  // namespace kb::relay
