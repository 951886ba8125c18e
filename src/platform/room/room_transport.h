#pragma once
// Rooms on a relay: two games that each connect out to an MQTT broker meet in a room named by a
// code, and the game's own bytes travel inside the room's frames, unchanged and readable by no
// one else (room_session.h has the protocol). The host's listener opens a room; a guest who
// types its code knocks; the host's game takes the knock as it takes a TCP connection request.
// A guest who types "quick" instead of a code joins the public room that has waited longest in
// the relay's lobby (room_lobby.h), trying the next one when a room turns it away.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/room/mqtt_link.h"
#include "platform/room/room_lobby.h"
#include "platform/socket_control.h"

namespace kb {

class HostSession;

struct RoomOptions {
    // How a room opening now is listed in the lobby: the host's chosen name and the word
    // list's. None, or no function: unlisted (the default).
    std::function<std::optional<RoomListing>()> listing = {};
    // The steady clock the rooms time their waits by, in milliseconds.
    RoomClock now = SteadyMilliseconds;
};

// Whether the address the player typed asks for a quick match ("quick", in any case).
bool IsQuickMatch(std::string_view address);

class RoomTransport : public Transport {
  public:
    // Rooms on the relays maker links to.
    explicit RoomTransport(std::unique_ptr<MqttLinkMaker> maker, RoomOptions options = {});
    ~RoomTransport() override;
    // A room code as the player may type it, or the word for a quick match.
    bool Reaches(const std::string& address) const override;
    std::unique_ptr<SocketControl> NewListener() override;
    std::unique_ptr<SocketControl> NewConnection() override;

  private:
    friend class RoomListener;
    friend class RoomConnection;
    std::unique_ptr<MqttLinkMaker> maker_;
    RoomOptions options_;
    // The room the listener keeps open, which the connection joins when it takes a guest.
    std::shared_ptr<HostSession> hosting_;
    // The knock being raised (its seat), its request id, and whether the connection took it.
    std::optional<std::string> offered_;
    int32_t offerId_ = 0;
    bool offerTaken_ = false;
};

}  // namespace kb
