#include "app/lobby_look.h"

#include <poll.h>

#include "platform/mosquitto/mosquitto_link.h"

namespace kb {

std::vector<LobbyEntry> LookAtLobby(const std::string& relay, std::string& problem) {
    problem.clear();
    MosquittoLinkMaker maker(relay);
    LobbyQuery lobby(maker.NewLink(""), SteadyMilliseconds);
    const int64_t giveUp = SteadyMilliseconds() + 10000;
    for (lobby.Pump(); !lobby.Done(); lobby.Pump()) {
        if (SteadyMilliseconds() > giveUp) {
            problem = "The relay " + relay + " did not answer";
            return {};
        }
        poll(nullptr, 0, 10);
    }
    problem = lobby.Problem();
    return problem.empty() ? lobby.Rooms() : std::vector<LobbyEntry>{};
}

std::string WaitedText(int seconds) {
    const auto two = [](int n) { return std::string(n < 10 ? "0" : "") + std::to_string(n); };
    const int h = seconds / 3600, m = seconds / 60 % 60, s = seconds % 60;
    return h > 0 ? std::to_string(h) + ":" + two(m) + ":" + two(s)
                 : std::to_string(m) + ":" + two(s);
}

}  // namespace kb
