#include "platform/room/relay_choice.h"

namespace kb {

std::vector<std::string> RelayList(std::string_view text) {
    std::vector<std::string> relays;
    while (!text.empty()) {
        const size_t comma = text.find(',');
        std::string_view relay = text.substr(0, comma);
        text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
        const size_t first = relay.find_first_not_of(" \t");
        if (first == std::string_view::npos) continue;
        relay = relay.substr(first, relay.find_last_not_of(" \t") + 1 - first);
        relays.emplace_back(relay);
    }
    return relays;
}

size_t RelayForRoom(std::string_view roomCode, size_t count) {
    constexpr size_t kDigits = 6;
    if (count == 0 || roomCode.size() < kDigits) return 0;
    size_t number = 0;
    for (char c : roomCode.substr(roomCode.size() - kDigits)) {
        if (c < '0' || c > '9') return 0;
        number = number * 10 + static_cast<size_t>(c - '0');
    }
    return number % count;
}

}  // namespace kb
