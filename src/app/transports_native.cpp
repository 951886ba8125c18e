// The ways a desktop game meets another.
#include "app/machine.h"
#include "platform/posix/posix_socket.h"

namespace kb {

void ChooseTransports(Switchboard& board, const MachineSpec&) {
    board.Add(std::make_unique<TcpTransport>());
}

}  // namespace kb
