#include "limits/limits.h"

#include <algorithm>
#include <cstdlib>

namespace kb::relay {

namespace {

// A number from its whole text, at least least; false for anything else.
bool Number(const std::string& text, double least, double& out) {
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !(value >= least) || value > 1e9) return false;
    out = value;
    return true;
}

}  // namespace

std::string ReadSetting(LimitSettings& s, const std::string& key, const std::string& value) {
    double n = 0;
    const auto need = [&](double least, double& into) {
        if (!Number(value, least, n))
            return "plugin_opt_" + key + " wants a number of at least " +
                   std::to_string(static_cast<int>(least)) + ", not '" + value + "'";
        into = n;
        return std::string();
    };
    if (key == "connections" || key == "connections_per_address") {
        double count = 0;
        const std::string why = need(1, count);
        if (why.empty())
            (key == "connections" ? s.connections : s.connectionsPerAddress) =
                static_cast<int>(count);
        return why;
    }
    if (key == "messages_per_second") return need(1, s.messagesPerSecond);
    if (key == "message_burst") return need(1, s.messageBurst);
    if (key == "subscriptions_per_minute") return need(1, s.subscriptionsPerMinute);
    if (key == "subscription_burst") return need(1, s.subscriptionBurst);
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
