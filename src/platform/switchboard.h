#pragma once
// The ways two games can meet, behind the one listener and the one data connection the game
// knows. The listener waits on every transport at once, so whichever peer arrives first is
// the opponent; the connection goes the way of the first transport that reaches the address
// the player typed. The game never learns which transport carries its bytes.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/socket_control.h"

namespace kb {

class Switchboard {
  public:
    // With no transport yet: the listener listens on nothing and nothing is reached.
    Switchboard();
    ~Switchboard();
    Switchboard(const Switchboard&) = delete;
    Switchboard& operator=(const Switchboard&) = delete;

    // Adds a way to meet; addresses are offered to the transports in the order they were added.
    void Add(std::unique_ptr<Transport> transport);

    // The two controls the game sees: the listener, and the one data connection.
    SocketControl& Listener();
    SocketControl& Connection();

  private:
    class SwitchListener;
    class SwitchConnection;

    // The connection request being raised: valid during its event only. Its id as the game sees
    // it is `token`, which Accept on the switchboard's connection gives back.
    struct Request {
        size_t transport;
        int32_t id;  // the transport's own id of the request
        int32_t token;
    };

    std::vector<std::unique_ptr<Transport>> transports_;  // outlive the controls they made
    std::optional<Request> request_;
    int32_t lastToken_ = 0;
    std::unique_ptr<SwitchListener> listener_;
    std::unique_ptr<SwitchConnection> connection_;
};

}  // namespace kb
