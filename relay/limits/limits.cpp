#include "limits/limits.h"

#include <algorithm>
#include <cstdlib>
#include <optional>

namespace kb::relay {

namespace {

// A number from its whole text, at least 1 and at most a billion; none for anything else.
std::optional<double> Number(const std::string& text) {
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !(value >= 1) || value > 1e9) return std::nullopt;
    return value;
}

}  // namespace

std::string ReadSetting(LimitSettings& s, const std::string& key, const std::string& value) {
    // Each setting's name, and where it goes: a count of connections or a rate.
    const struct {
        const char* name;
        int* count;
        double* rate;
    } settings[] = {
        {"connections", &s.connections, nullptr},
        {"connections_per_address", &s.connectionsPerAddress, nullptr},
        {"messages_per_second", nullptr, &s.messagesPerSecond},
        {"message_burst", nullptr, &s.messageBurst},
        {"subscriptions_per_minute", nullptr, &s.subscriptionsPerMinute},
        {"subscription_burst", nullptr, &s.subscriptionBurst},
    };
    for (const auto& setting : settings) {
        if (key != setting.name) continue;
        const std::optional<double> n = Number(value);
        if (!n) return "plugin_opt_" + key + " wants a number of at least 1, not '" + value + "'";
        if (setting.count)
            *setting.count = static_cast<int>(*n);
        else
            *setting.rate = *n;
        return "";
    }
    return "no such setting: plugin_opt_" + key;
}

bool Allowance::Take(int64_t nowNs, double perSecond, double burst) {
    if (lastNs_ >= 0 && nowNs > lastNs_)
        tokens_ = std::min(burst, tokens_ + static_cast<double>(nowNs - lastNs_) * perSecond / 1e9);
    lastNs_ = std::max(lastNs_, nowNs);
    if (tokens_ < 1) return false;
    tokens_ -= 1;
    return true;
}

bool Limits::Admit(const void* client, const std::string& address) {
    Leave(client);
    if (Connected() >= settings_.connections) return false;
    if (!address.empty() && From(address) >= settings_.connectionsPerAddress) return false;
    if (!address.empty()) ++perAddress_[address];
    clients_.emplace(client, Client{address, Allowance(settings_.messageBurst),
                                    Allowance(settings_.subscriptionBurst)});
    return true;
}

void Limits::Leave(const void* client) {
    const auto it = clients_.find(client);
    if (it == clients_.end()) return;
    if (!it->second.address.empty() && --perAddress_[it->second.address] == 0)
        perAddress_.erase(it->second.address);
    clients_.erase(it);
}

bool Limits::Message(const void* client, int64_t nowNs) {
    const auto it = clients_.find(client);
    return it == clients_.end() ||
           it->second.messages.Take(nowNs, settings_.messagesPerSecond, settings_.messageBurst);
}

bool Limits::Subscription(const void* client, int64_t nowNs) {
    const auto it = clients_.find(client);
    return it == clients_.end() ||
           it->second.subscriptions.Take(nowNs, settings_.subscriptionsPerMinute / 60,
                                         settings_.subscriptionBurst);
}

bool Limits::FirstRefusal(const void* client) {
    const auto it = clients_.find(client);
    if (it == clients_.end() || it->second.warned) return false;
    it->second.warned = true;
    return true;
}

int Limits::From(const std::string& address) const {
    const auto it = perAddress_.find(address);
    return it == perAddress_.end() ? 0 : it->second;
}

}  // namespace kb::relay
