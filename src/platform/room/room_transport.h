#pragma once
// Rooms on a relay: two games that each connect out to an MQTT broker meet in a room named by a
// code, and the game's own bytes travel as message payloads, unchanged. The host's listener
// opens a room; a guest who types its code knocks; the host's game takes the knock as it takes
// a TCP connection request.
//
// Every client writes only below its own id, kb/CODE/ID/..., and the broker lets a client read
// and write only in the room whose code is its user name:
//   kb/CODE/HOST/room    retained "open" while the room takes guests; emptied when it stops,
//                        and by the host's will when its link dies
//   kb/CODE/GUEST/knock  a guest asks in
//   kb/CODE/HOST/accept  the guest taken (its id); kb/CODE/HOST/refuse a guest turned away
//   kb/CODE/ID/d         the game's bytes from ID to its peer
//   kb/CODE/HOST/bye     the host ends its connection with that guest (its id)
//   kb/CODE/GUEST/gone   the guest leaves; also its will
//   kb/CODE/GUEST/ping   a guest's own echo: once it is back, every retained room has arrived
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/room/mqtt_link.h"
#include "platform/socket_control.h"

namespace kb {

struct RoomSession;

class RoomTransport : public Transport {
  public:
    // Rooms on the relays maker links to.
    explicit RoomTransport(std::unique_ptr<MqttLinkMaker> maker);
    ~RoomTransport() override;
    // A room code, as the player may type it.
    bool Reaches(const std::string& address) const override;
    std::unique_ptr<SocketControl> NewListener() override;
    std::unique_ptr<SocketControl> NewConnection() override;

  private:
    friend class RoomListener;
    friend class RoomConnection;
    std::unique_ptr<MqttLinkMaker> maker_;
    // The room the listener keeps open, which the connection joins when it takes a guest.
    std::shared_ptr<RoomSession> hosting_;
};

}  // namespace kb
