#include "platform/mosquitto/lobby_look.h"

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

}  // namespace kb
