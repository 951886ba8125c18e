// The relay's limits, through a real mosquitto with the relay's configuration and plugin (its
// numbers made small here): connections from one address and on each listener, messages a
// second and subscriptions a minute for each client.
#include <gtest/gtest.h>
#include <mosquitto.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "net/relay_broker.h"
#include "net/test_certificates.h"

namespace kb::test {
namespace {

using Clock = std::chrono::steady_clock;

// One MQTT client run on the test's own thread, from a loopback address of its choosing, that
// never connects again once dropped.
class Client {
  public:
    Client(int port, const std::string& user, const std::string& id,
           const std::string& from = "127.0.0.1", const std::string& trust = "") {
        mosq_ = mosquitto_new(id.c_str(), true, this);
        mosquitto_username_pw_set(mosq_, user.c_str(), nullptr);
        if (!trust.empty())
            mosquitto_tls_set(mosq_, trust.c_str(), nullptr, nullptr, nullptr, nullptr);
        mosquitto_connect_callback_set(mosq_, [](mosquitto*, void* self, int rc) {
            static_cast<Client*>(self)->answer_ = rc;
        });
        mosquitto_message_callback_set(mosq_,
                                       [](mosquitto*, void* self, const mosquitto_message* m) {
                                           static_cast<Client*>(self)->got_.emplace_back(m->topic);
                                       });
        const char* host = trust.empty() ? "127.0.0.1" : "localhost";
        if (mosquitto_connect_bind(mosq_, host, port, 30, from.c_str()) != MOSQ_ERR_SUCCESS)
            closed_ = true;
    }
    ~Client() { mosquitto_destroy(mosq_); }
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;

    // Runs the connection for ms, or until done() holds.
    void Run(
        int ms, const std::function<bool()>& done = [] { return false; }) {
        const auto until = Clock::now() + std::chrono::milliseconds(ms);
        while (!closed_ && !done() && Clock::now() < until)
            closed_ = mosquitto_loop(mosq_, 10, 1) != MOSQ_ERR_SUCCESS;
    }
    // The broker's answer to the connection: 0 taken in, 5 not authorised, -1 closed unanswered.
    int Answer() {
        Run(5000, [&] { return answer_ >= 0; });
        return answer_;
    }
    void Publish(const std::string& topic, int count, bool retain = false) {
        for (int i = 0; i < count; ++i)
            mosquitto_publish(mosq_, nullptr, topic.c_str(), 1, "x", 0, retain);
    }
    void Subscribe(const std::string& filter) {
        mosquitto_subscribe(mosq_, nullptr, filter.c_str(), 0);
    }
    void Leave() {
        mosquitto_disconnect(mosq_);
        Run(100);
    }
    // Topics of what came in.
    const std::vector<std::string>& Got() const { return got_; }

  private:
    mosquitto* mosq_;
    int answer_ = -1;
    bool closed_ = false;
    std::vector<std::string> got_;
};

const std::string kRoom = "123456789012";

// Up to three at once from one address; another address has places of its own, and a place
// is free again when its client leaves.
TEST(RelayLimits, ConnectionsFromOneAddress) {
    mosquitto_lib_init();
    const Broker broker({.settings = {{"plugin_opt_connections_per_address", "3"}}});
    std::vector<std::unique_ptr<Client>> clients;
    for (int i = 0; i < 4; ++i)
        clients.push_back(std::make_unique<Client>(broker.Port(), kRoom, "a" + std::to_string(i)));
    std::vector<int> answers;
    for (auto& c : clients) answers.push_back(c->Answer());
    EXPECT_EQ(answers, (std::vector<int>{0, 0, 0, 5}));
    Client elsewhere(broker.Port(), kRoom, "b", "127.0.0.2");
    EXPECT_EQ(elsewhere.Answer(), 0);
    clients[0]->Leave();
    Client again(broker.Port(), kRoom, "c");
    EXPECT_EQ(again.Answer(), 0) << broker.Log();
    Client over(broker.Port(), kRoom, "d");
    EXPECT_EQ(over.Answer(), 5);
}

// So many at once in all, on every listener together, counted right however often clients
// come and go (mosquitto's own count of a listener's clients loses one each time one leaves).
TEST(RelayLimits, ConnectionsInAll) {
    mosquitto_lib_init();
    TestAuthority authority;
    const Broker broker({.settings = {{"plugin_opt_connections", "3"}},
                         .tls = authority.Issue("relay", "DNS:localhost")});
    // Each from an address of its own: only the relay's limit is met.
    int next = 0;
    const auto connect = [&](bool tls) {
        ++next;
        return std::make_unique<Client>(
            tls ? broker.TlsPort() : broker.Port(), kRoom, "c" + std::to_string(next),
            "127.0.1." + std::to_string(next), tls ? authority.Certificate() : "");
    };
    for (int i = 0; i < 4; ++i) {
        auto passing = connect(i % 2 == 1);
        ASSERT_EQ(passing->Answer(), 0);
        passing->Leave();
    }
    std::vector<std::unique_ptr<Client>> clients;
    std::vector<int> answers;
    for (const bool tls : {false, true, false, true, false}) {
        clients.push_back(connect(tls));
        answers.push_back(clients.back()->Answer());
    }
    EXPECT_EQ(answers, (std::vector<int>{0, 0, 0, 5, 5}));
    clients[1]->Leave();
    auto again = connect(false);
    EXPECT_EQ(again->Answer(), 0);
}

// A flood from one client is cut to its allowance (ten at once, then five a second) while its
// room's other player sends all it sends.
TEST(RelayLimits, MessagesFromEachClient) {
    mosquitto_lib_init();
    const Broker broker({.settings = {{"plugin_opt_messages_per_second", "5"},
                                      {"plugin_opt_message_burst", "10"}}});
    const std::string room = "kb/" + kRoom + "/";
    Client reader(broker.Port(), kRoom, "reader"), flooder(broker.Port(), kRoom, "flooder"),
        player(broker.Port(), kRoom, "player");
    ASSERT_EQ(reader.Answer(), 0);
    ASSERT_EQ(flooder.Answer(), 0);
    ASSERT_EQ(player.Answer(), 0);
    // Both write to the reader's inbox, as a room's players write to each other's.
    reader.Subscribe(room + "in/reader/#");
    reader.Run(200);
    const auto start = Clock::now();
    flooder.Publish(room + "in/reader/flooder", 100);
    player.Publish(room + "in/reader/player", 8);
    flooder.Run(300);
    player.Run(300);
    reader.Run(1000);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    int flooded = 0, played = 0;
    for (const std::string& topic : reader.Got()) {
        flooded += topic == room + "in/reader/flooder";
        played += topic == room + "in/reader/player";
    }
    EXPECT_EQ(played, 8);
    EXPECT_GE(flooded, 10);
    EXPECT_LE(flooded, 10 + static_cast<int>(5 * seconds) + 1);
}

// Subscriptions, a lobby's listing among them, come three at once and then one a second.
TEST(RelayLimits, SubscriptionsFromEachClient) {
    mosquitto_lib_init();
    const Broker broker({.settings = {{"plugin_opt_subscriptions_per_minute", "60"},
                                      {"plugin_opt_subscription_burst", "3"}}});
    const std::string room = "kb/" + kRoom + "/";
    Client host(broker.Port(), kRoom, "host"), lister(broker.Port(), kRoom, "lister");
    ASSERT_EQ(host.Answer(), 0);
    ASSERT_EQ(lister.Answer(), 0);
    host.Publish(room + "room", 1, true);
    host.Run(200);
    // Each subscription granted brings the retained message again.
    for (int i = 0; i < 6; ++i) lister.Subscribe(room + "room");
    lister.Run(500);
    EXPECT_EQ(lister.Got().size(), 3u);
    lister.Run(1200);
    lister.Subscribe(room + "room");
    lister.Run(500);
    EXPECT_EQ(lister.Got().size(), 4u);
}

}  // namespace
}  // namespace kb::test
