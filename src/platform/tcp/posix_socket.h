#pragma once
// The socket control on POSIX sockets: non-blocking, IPv4 and IPv6, driven by Poll between
// frames. Host names are looked up on a helper thread so that connecting never blocks a frame.
// A listener's request id is the descriptor of the connection that came in, which a data
// control duplicates in Accept; the listener closes its own copy when the event returns.
#include <sys/socket.h>

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/host_address.h"
#include "platform/socket_control.h"
#include "platform/tcp/host_lookup.h"
#include "platform/tcp/socket_watcher.h"

namespace kb {

class PosixSocket : public SocketControl {
  public:
    // The watcher wakes the loop for this control; it must outlive the control.
    explicit PosixSocket(SocketWatcher& watcher) : watcher_(watcher) {}
    ~PosixSocket() override;
    PosixSocket(const PosixSocket&) = delete;
    PosixSocket& operator=(const PosixSocket&) = delete;

    void SetLocalPort(int port) override { localPort_ = port; }
    bool Listen(std::string& why) override;
    void Accept(int32_t requestID) override;
    void SetRemoteHost(const std::string& host) override { remoteHost_ = host; }
    void SetRemotePort(int port) override { remotePort_ = port; }
    void Connect() override;
    bool SendData(const std::string& data) override;
    std::string GetData() override;
    void Close() override;
    SocketState State() const override { return state_; }
    std::string LocalIP() override;
    void Poll(SocketEvents& events) override;
    void WakeWhenDue(const Waker& wake) override;

    // The port a listener is bound to (useful when listening on port 0).
    int BoundPort() const;

  private:
    using Address = HostLookup::Address;

    // Listens on the local port for one address family; false with the reason in why.
    bool BindListener(int family, std::string& why);
    // Raises a connection request for each connection that came in.
    void PollListener(SocketEvents& events);
    // Takes the host's addresses once looked up, and starts on the first.
    void PollLookup();
    // Starts connecting to the next address of the host; fails when none is left.
    void TryNextAddress();
    // Learns how the connection attempt ended; on to the next address when it failed.
    void PollConnecting();
    // Writes what waits to go out as far as the socket takes it; false when the connection failed.
    bool Flush();
    // Raises SendComplete for every send written whole; true when it raised one.
    bool RaiseCompletions(SocketEvents& events, uint64_t generation);
    // Reads what has arrived, up to the per-poll limit, counting it in got; true when some came.
    bool Receive(size_t& got);
    // The connection is gone: nothing more goes out, and sends in flight never complete.
    void Fail();
    // Takes a connected descriptor as this control's connection.
    void Adopt(int fd);
    // Whether a send has been written whole and not yet reported.
    bool CompletionDue() const;

    SocketWatcher& watcher_;
    int fd_ = -1;
    SocketState state_ = SocketState::kClosed;
    int localPort_ = 0;
    std::string remoteHost_;
    int remotePort_ = 0;
    uint64_t generation_ = 0;  // changes whenever the control is closed or reused

    std::optional<HostLookup> lookup_;
    std::vector<Address> addresses_;
    size_t nextAddress_ = 0;

    std::string out_;            // bytes handed to SendData and not yet written
    uint64_t queued_ = 0;        // bytes handed to SendData since the connection began
    uint64_t written_ = 0;       // of those, bytes written to the connection
    std::deque<uint64_t> ends_;  // where each pending send ends, counted like queued_
    std::string in_;             // bytes received and not yet read
};

// This machine's main address: the first non-loopback IPv4 address of an interface that is
// up, else such an IPv6 address, else "127.0.0.1".
std::string MainLocalAddress();

// Plain TCP to any host a player can name; one watcher thread serves all its controls.
class TcpTransport : public Transport {
  public:
    bool Reaches(const std::string& address) const override { return IsHostAddress(address); }
    std::unique_ptr<SocketControl> NewListener() override;
    std::unique_ptr<SocketControl> NewConnection() override;

  private:
    SocketWatcher watcher_;
};

}  // namespace kb
