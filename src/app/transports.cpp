// The ways two games meet, chosen in this one place for every program of both builds.
#include "app/machine.h"
#include "platform/room/room_transport.h"
#ifdef __EMSCRIPTEN__
#include "platform/web/web_mqtt_link.h"
#include "platform/web/web_socket_control.h"
#else
#include "platform/mosquitto/mosquitto_link.h"
#include "platform/tcp/posix_socket.h"
#endif

namespace kb {

// An address goes the way of the first transport whose Reaches takes it. Each of these knows its
// own addresses by their form (a room code is never a host name, platform/host_address.h), but
// for the quick match's word, which could name a host too: rooms come first, so that with a relay
// given it means a quick match.
void ChooseTransports(Switchboard& board, const MachineOptions& options, ListingSource listing) {
    if (options.scriptPeer) board.Add(std::make_unique<ScriptPeerTransport>(*options.scriptPeer));
    if (!options.network) return;
#ifdef __EMSCRIPTEN__
    // Rooms on a relay, the page's MQTT client over WebSocket; a WebSocket bridge in front of a
    // desktop game's TCP port. A page cannot listen: its server item opens a room only.
    using RelayLinkMaker = WebMqttLinkMaker;
    auto byHost = std::make_unique<WebSocketTransport>(options.bridgePort);
#else
    // Rooms on a relay through libmosquitto, and plain TCP.
    using RelayLinkMaker = MosquittoLinkMaker;
    auto byHost = std::make_unique<TcpTransport>();
#endif
    if (!options.relay.empty())
        board.Add(std::make_unique<RoomTransport>(std::make_unique<RelayLinkMaker>(options.relay),
                                                  RoomOptions{.listing = std::move(listing)}));
    board.Add(std::move(byHost));
}

}  // namespace kb
