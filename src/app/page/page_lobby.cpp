#include "app/page/page_lobby.h"

#include <memory>
#include <vector>

#include "platform/room/room_lobby.h"
#include "platform/web/page_script.h"
#include "platform/web/web_mqtt_link.h"

namespace kb {
namespace {

std::unique_ptr<LobbyQuery> look;

}  // namespace

void LookAtPageLobby(const std::string& relays) {
    if (look) return;
    if (relays.empty()) return kb_lobby_rooms("", "The page knows no relay");
    look = std::make_unique<LobbyQuery>(WebMqttLinkMaker(relays).NewLink(""), SteadyMilliseconds);
}

void PumpPageLobby() {
    if (!look) return;
    look->Pump();
    if (!look->Done()) return;
    // A listing's texts are printable, with no tab or line end (ListableText).
    std::string lines;
    for (const LobbyEntry& room : look->Rooms())
        lines += room.code + "\t" + std::to_string(room.waited) + "\t" + room.name + "\t" +
                 room.words + "\n";
    const std::string problem = look->Problem();
    look.reset();
    kb_lobby_rooms(lines.c_str(), problem.c_str());
}

}  // namespace kb
