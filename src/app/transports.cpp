// The ways two games meet, chosen in this one place for every program of both builds.
#include "app/machine.h"
#include "platform/room/room_transport.h"
#ifdef __EMSCRIPTEN__
#include <emscripten.h>

#include "platform/web/web_mqtt_link.h"
#include "platform/web/web_socket_control.h"
#else
#include "platform/mosquitto/mosquitto_link.h"
#include "platform/tcp/posix_socket.h"
#endif

namespace kb {

#ifdef __EMSCRIPTEN__
namespace {

// The port of the WebSocket bridge on the server's machine: the page's "?bridge=N", or 1002.
int BridgePort() {
    const int port = EM_ASM_INT({
        const port = new URLSearchParams(location.search).get('bridge');
        return port ? parseInt(port, 10) : 1002;
    });
    return port > 0 && port < 65536 ? port : 1002;
}

}  // namespace
#endif

// An address goes the way of the first transport whose Reaches takes it, so a transport that
// knows its addresses by their form (a room code) comes before one that takes any host name.
void ChooseTransports(Switchboard& board, const MachineOptions& options) {
#ifdef __EMSCRIPTEN__
    // Rooms on the relay of the host that served the page (or the page's ?relay=), and a
    // WebSocket bridge in front of a desktop game's TCP port. A page cannot listen: the server
    // item opens a room only.
    (void)options;
    board.Add(std::make_unique<RoomTransport>(std::make_unique<WebMqttLinkMaker>()));
    board.Add(std::make_unique<WebSocketTransport>(BridgePort(), false));
#else
    // Rooms on a relay when one is given, and plain TCP.
    if (!options.relay.empty())
        board.Add(
            std::make_unique<RoomTransport>(std::make_unique<MosquittoLinkMaker>(options.relay)));
    board.Add(std::make_unique<TcpTransport>());
#endif
}

}  // namespace kb
