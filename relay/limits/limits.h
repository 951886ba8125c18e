#pragma once
// What a public relay allows each client, beyond the settings mosquitto has: connections from
// one address, messages a second, and subscriptions (a lobby's listing is one) a minute. Kept
// apart from the broker, so that tests can run it on a clock of their own.
#include <cstdint>
#include <string>
#include <unordered_map>

namespace kb::relay {

struct LimitSettings {
    // Clients connected at once in all (mosquitto's own max_connections loses count as clients
    // leave, so the relay counts them here).
    int connections = 10000;
    // Clients connected at once from one address (a club behind one router shares one);
    // pages come through the web server, one address for all, and are not counted here.
    int connectionsPerAddress = 64;
    // A game sends a few messages a second; a burst after a quiet spell is let through whole.
    double messagesPerSecond = 20;
    double messageBurst = 100;
    // Each subscription makes the broker look through its retained messages.
    double subscriptionsPerMinute = 30;
    double subscriptionBurst = 10;
};

// Sets the setting named key (as after plugin_opt_) from its text; returns why not, or "".
std::string ReadSetting(LimitSettings& settings, const std::string& key, const std::string& value);

// So many a second on average, and up to burst at once.
class Allowance {
  public:
    explicit Allowance(double burst) : tokens_(burst) {}
    // Takes one at nowNs (a steady clock's nanoseconds) if one is left.
    bool Take(int64_t nowNs, double perSecond, double burst);

  private:
    double tokens_;
    int64_t lastNs_ = -1;  // none taken yet: the allowance starts full
};

class Limits {
  public:
    explicit Limits(const LimitSettings& settings) : settings_(settings) {}
    // A client asks in from address (empty: a page behind the web server, not counted by
    // address); false turns it away, when the relay or the address is full. The same client
    // asking again counts once.
    bool Admit(const void* client, const std::string& address);
    // The client has gone; its address's place is free again.
    void Leave(const void* client);
    // Whether the client may send another message, or subscribe once more, at nowNs.
    bool Message(const void* client, int64_t nowNs);
    bool Subscription(const void* client, int64_t nowNs);
    // True the first time only that a client has a message refused: one line in the log each.
    bool FirstRefusal(const void* client);
    // Clients connected now from address, and in all.
    int From(const std::string& address) const;
    int Connected() const { return static_cast<int>(clients_.size()); }

  private:
    struct Client {
        std::string address;
        Allowance messages, subscriptions;
        bool warned = false;
    };

    LimitSettings settings_;
    std::unordered_map<const void*, Client> clients_;
    std::unordered_map<std::string, int> perAddress_;
};

}  // namespace kb::relay
