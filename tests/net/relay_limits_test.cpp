// The relay's limits, through a real mosquitto with the relay's configuration and plugin (its
// numbers made small here): connections from one address and on each listener, messages a
// second and subscriptions a minute for each client.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "net/relay_broker.h"
#include "net/test_certificates.h"

namespace kb::test {
namespace {

using Clock = std::chrono::steady_clock;

// A client of the room's user name, from a loopback address of its own choosing.
std::unique_ptr<RawMqtt> Client(int port, const std::string& id,
                                const std::string& from = "127.0.0.1",
                                const std::string& trust = "") {
    return std::make_unique<RawMqtt>(port, "123456789012", id, from, trust);
}

void Publish(RawMqtt& client, const std::string& topic, int count, bool retain = false) {
    for (int i = 0; i < count; ++i) client.Publish(topic, "x", retain);
}

void Wait(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

const std::string kRoom = "123456789012";

// Up to three at once from one address; another address has places of its own, and a place
// is free again when its client leaves.
TEST(RelayLimits, ConnectionsFromOneAddress) {
    const Broker broker({.settings = {{"plugin_opt_connections_per_address", "3"}}});
    std::vector<std::unique_ptr<RawMqtt>> clients;
    for (int i = 0; i < 4; ++i) clients.push_back(Client(broker.Port(), "a" + std::to_string(i)));
    std::vector<int> answers;
    for (auto& c : clients) answers.push_back(c->Answer());
    EXPECT_EQ(answers, (std::vector<int>{0, 0, 0, 5}));
    EXPECT_EQ(Client(broker.Port(), "b", "127.0.0.2")->Answer(), 0);
    clients[0]->Leave();
    const auto again = Client(broker.Port(), "c");
    EXPECT_EQ(again->Answer(), 0) << broker.Log();
    EXPECT_EQ(Client(broker.Port(), "d")->Answer(), 5);
}

// So many at once in all, on every listener together, counted right however often clients
// come and go (mosquitto's own count of a listener's clients loses one each time one leaves).
TEST(RelayLimits, ConnectionsInAll) {
    TestAuthority authority;
    const Broker broker({.settings = {{"plugin_opt_connections", "3"}},
                         .tls = authority.Issue("relay", "DNS:localhost")});
    // Each from an address of its own: only the relay's limit is met.
    int next = 0;
    const auto connect = [&](bool tls) {
        ++next;
        return Client(tls ? broker.TlsPort() : broker.Port(), "c" + std::to_string(next),
                      "127.0.1." + std::to_string(next), tls ? authority.Certificate() : "");
    };
    for (int i = 0; i < 4; ++i) {
        auto passing = connect(i % 2 == 1);
        ASSERT_EQ(passing->Answer(), 0);
        passing->Leave();
    }
    std::vector<std::unique_ptr<RawMqtt>> clients;
    std::vector<int> answers;
    for (const bool tls : {false, true, false, true, false}) {
        clients.push_back(connect(tls));
        answers.push_back(clients.back()->Answer());
    }
    EXPECT_EQ(answers, (std::vector<int>{0, 0, 0, 5, 5}));
    clients[1]->Leave();
    EXPECT_EQ(connect(false)->Answer(), 0);
}

// A flood from one client is cut to its allowance (ten at once, then five a second) while its
// room's other player sends all it sends.
TEST(RelayLimits, MessagesFromEachClient) {
    const Broker broker({.settings = {{"plugin_opt_messages_per_second", "5"},
                                      {"plugin_opt_message_burst", "10"}}});
    const std::string inbox = "kb/" + kRoom + "/in/reader/";
    const auto reader = Client(broker.Port(), "reader"), flooder = Client(broker.Port(), "flooder"),
               player = Client(broker.Port(), "player");
    for (RawMqtt* c : {reader.get(), flooder.get(), player.get()}) ASSERT_EQ(c->Answer(), 0);
    // Both write to the reader's inbox, as a room's players write to each other's.
    reader->Subscribe(inbox + "#");
    Wait(200);
    const auto start = Clock::now();
    Publish(*flooder, inbox + "flooder", 100);
    Publish(*player, inbox + "player", 8);
    Wait(1600);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    int flooded = 0, played = 0;
    for (const RawMqtt::Message& m : reader->Got()) {
        flooded += m.topic == inbox + "flooder";
        played += m.topic == inbox + "player";
    }
    EXPECT_EQ(played, 8);
    EXPECT_GE(flooded, 10);
    EXPECT_LE(flooded, 10 + static_cast<int>(5 * seconds) + 1);
}

// Subscriptions, a lobby's listing among them, come three at once and then one a second.
TEST(RelayLimits, SubscriptionsFromEachClient) {
    const Broker broker({.settings = {{"plugin_opt_subscriptions_per_minute", "60"},
                                      {"plugin_opt_subscription_burst", "3"}}});
    const std::string room = "kb/" + kRoom + "/room";
    const auto host = Client(broker.Port(), "host"), lister = Client(broker.Port(), "lister");
    ASSERT_EQ(host->Answer(), 0);
    ASSERT_EQ(lister->Answer(), 0);
    Publish(*host, room, 1, true);
    Wait(200);
    // Each subscription granted brings the retained message again.
    for (int i = 0; i < 6; ++i) lister->Subscribe(room);
    Wait(500);
    EXPECT_EQ(lister->Got().size(), 3u);
    Wait(1200);
    lister->Subscribe(room);
    Wait(500);
    EXPECT_EQ(lister->Got().size(), 4u);
}

}  // namespace
}  // namespace kb::test
