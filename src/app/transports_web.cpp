// The ways a page meets another game: rooms on the relay of the host that served it (or the
// page's ?relay=), and a WebSocket bridge in front of a desktop game's TCP port.
#include <emscripten.h>

#include "app/machine.h"
#include "platform/room/room_transport.h"
#include "platform/web/web_mqtt_link.h"
#include "platform/web/web_socket_control.h"

namespace kb {

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

void ChooseTransports(Switchboard& board, const MachineOptions& options,
                      std::function<std::string()> wordList) {
    board.Add(std::make_unique<RoomTransport>(
        std::make_unique<WebMqttLinkMaker>(),
        RoomOptions{.publicName = options.publicRoom, .wordList = std::move(wordList)}));
    // A page cannot listen: the server item opens a room only.
    board.Add(std::make_unique<WebSocketTransport>(BridgePort(), false));
}

}  // namespace kb
