#pragma once
// A socket control: either a listener that raises a connection request for every incoming
// connection, or one data connection (accepted or connected) that sends and receives text.
// Events are raised only from Poll, which the game calls between frames, so every event runs
// on the game's thread and never inside another call of the control. Each way of meeting (TCP,
// a page's WebSocket, a room on a relay) is a pair of these made by its Transport.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace kb {

enum class SocketState {
    kClosed,      // idle; closing again is harmless
    kListening,   // accepting connection requests
    kResolving,   // looking up the remote host
    kConnecting,  // connection attempt under way
    kConnected,   // usable for sending
    kFailed,      // the attempt failed or the peer went away; sends fail
};

// The loop's wake call: ends its sleep early. Any thread may call it.
using Waker = std::function<void()>;

class SocketEvents {
  public:
    virtual ~SocketEvents() = default;
    // A connection came in on a listener. requestID names it to Accept on a data control of the
    // same transport, during this event only (each transport says what the number is); a
    // request nobody accepts is closed when the event returns.
    virtual void ConnectionRequest(int32_t requestID) = 0;
    // A send handed to the control has gone out completely.
    virtual void SendComplete() = 0;
    // Bytes arrived; GetData returns them.
    virtual void DataArrival(int32_t bytesTotal) = 0;
    // Something worth a line in the debug log (a room opened, a guest knocked, a relay lost).
    virtual void Notice(const std::string& /*text*/) {}
};

class SocketControl {
  public:
    virtual ~SocketControl() = default;

    // The port Listen listens on.
    virtual void SetLocalPort(int port) = 0;
    // Starts listening on the local port (all addresses, IPv4 and IPv6). False when it
    // cannot, with the reason in why.
    virtual bool Listen(std::string& why) = 0;
    // Takes over the connection request of that id, during its ConnectionRequest event; a
    // connection the control held before is closed.
    virtual void Accept(int32_t requestID) = 0;

    // The host and port Connect connects to.
    virtual void SetRemoteHost(const std::string& host) = 0;
    virtual void SetRemotePort(int port) = 0;
    // Starts connecting to the remote host and port; returns at once. How it ends is learnt
    // from State() or from the peer's first message.
    virtual void Connect() = 0;

    // Hands text to the connection. False when the connection is not usable; true means the
    // text is on its way and one SendComplete will follow.
    virtual bool SendData(const std::string& data) = 0;
    // Everything received and not yet read.
    virtual std::string GetData() = 0;

    // Closes the connection or stops listening; the control can be used again.
    virtual void Close() = 0;
    // Where the control stands.
    virtual SocketState State() const = 0;

    // This machine's main address, as text; empty where the transport has no address to give.
    virtual std::string LocalIP() = 0;
    // The code of the room a listener keeps open, as the player reads it out; empty for none.
    virtual std::string RoomCode() const { return {}; }
    // Why the control cannot do what it was asked, in a line for the connection screen; empty
    // while all is well.
    virtual std::string Problem() const { return {}; }

    // Raises the events that are due.
    virtual void Poll(SocketEvents& events) = 0;
    // Called by the loop before it sleeps: the control calls wake (from any thread, once) as soon
    // as its next Poll has something to do, at once when that is already so. An empty wake
    // withdraws the request; after that call returns, the old one is never called.
    virtual void WakeWhenDue(const Waker& /*wake*/) {}
};

// A listener: the data connection's operations do nothing on it.
class ListenerControl : public SocketControl {
  public:
    void Accept(int32_t) override {}
    void SetRemoteHost(const std::string&) override {}
    void SetRemotePort(int) override {}
    void Connect() override {}
    bool SendData(const std::string&) override { return false; }
    std::string GetData() override { return {}; }
};

// One way for two games to meet. It makes the pair of controls the game sees, and says which
// addresses typed by a player it can reach.
class Transport {
  public:
    virtual ~Transport() = default;
    // Whether a connection to this address (as the player typed it, trimmed) goes this way.
    virtual bool Reaches(const std::string& address) const = 0;
    // The control that listens this way, and the one that connects this way.
    virtual std::unique_ptr<SocketControl> NewListener() = 0;
    virtual std::unique_ptr<SocketControl> NewConnection() = 0;
};

// A control with no network behind it: listening works, nothing ever arrives, sends are taken
// and never complete.
class NullSocketControl : public SocketControl {
  public:
    void SetLocalPort(int) override {}
    bool Listen(std::string&) override {
        state_ = SocketState::kListening;
        return true;
    }
    void Accept(int32_t) override { state_ = SocketState::kConnected; }
    void SetRemoteHost(const std::string&) override {}
    void SetRemotePort(int) override {}
    void Connect() override { state_ = SocketState::kConnecting; }
    bool SendData(const std::string&) override { return true; }
    std::string GetData() override { return {}; }
    void Close() override { state_ = SocketState::kClosed; }
    SocketState State() const override { return state_; }
    std::string LocalIP() override { return "127.0.0.1"; }
    void Poll(SocketEvents&) override {}

  private:
    SocketState state_ = SocketState::kClosed;
};

}  // namespace kb
