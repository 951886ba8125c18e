// The ways a desktop game meets another: rooms on a relay when one is given (a room code is
// never a host name), and plain TCP.
#include "app/machine.h"
#include "platform/mosquitto/mosquitto_link.h"
#include "platform/room/room_transport.h"
#include "platform/tcp/posix_socket.h"

namespace kb {

void ChooseTransports(Switchboard& board, const MachineOptions& options,
                      std::function<std::string()> wordList) {
    if (!options.relay.empty())
        board.Add(std::make_unique<RoomTransport>(
            std::make_unique<MosquittoLinkMaker>(options.relay),
            RoomOptions{.publicName = options.publicRoom, .wordList = std::move(wordList)}));
    board.Add(std::make_unique<TcpTransport>());
}

}  // namespace kb
