#pragma once
// What the network tests share: a TCP peer played by hand over loopback, a listener for the
// game to connect to, and polling games until something has happened.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <thread>

#include "net/connection.h"
#include "platform/address_window.h"
#include "platform/tcp/posix_socket.h"
#include "platform/tcp/socket_watcher.h"
#include "shell/game.h"
#include "typing/key_codes.h"

namespace kb::test {

using Clock = std::chrono::steady_clock;

// One end of a TCP connection on 127.0.0.1, driven by the test.
class RawPeer {
  public:
    ~RawPeer() { Close(); }

    bool ConnectTo(int port) {
        fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(static_cast<uint16_t>(port));
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        return connect(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    }
    void Send(std::string_view bytes) const {
        ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    }
    // What arrives within ms (stops early once `want` bytes are in).
    std::string Receive(int ms, size_t want = SIZE_MAX) {
        const auto end = Clock::now() + std::chrono::milliseconds(ms);
        do {
            pollfd p{fd_, POLLIN, 0};
            if (poll(&p, 1, ms > 0 ? 10 : 0) <= 0) continue;
            char buf[4096];
            const ssize_t n = recv(fd_, buf, sizeof buf, 0);
            eof_ = n <= 0;
            if (n > 0) got_.append(buf, static_cast<size_t>(n));
        } while (got_.size() < want && !eof_ && Clock::now() < end);
        return got_;
    }
    // True when the other side has closed the connection within ms (0: has closed by now).
    bool SeesClose(int ms) {
        Receive(ms, SIZE_MAX);
        return eof_;
    }
    void Close() {
        if (fd_ >= 0) close(fd_);
        fd_ = -1;
    }
    // Closes with a reset, as a service does that drops what it cannot read.
    void Reset() {
        const linger now{1, 0};
        if (fd_ >= 0) setsockopt(fd_, SOL_SOCKET, SO_LINGER, &now, sizeof now);
        Close();
    }
    const std::string& Received() const { return got_; }

  private:
    friend class RawListener;
    int fd_ = -1;
    std::string got_;
    bool eof_ = false;
};

// A listening socket on 127.0.0.1 and a port the system picks.
class RawListener {
  public:
    RawListener() {
        fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a);
        listen(fd_, 4);
        socklen_t len = sizeof a;
        getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len);
        port_ = ntohs(a.sin_port);
    }
    ~RawListener() { close(fd_); }
    int Port() const { return port_; }
    // Takes a connection that has come in, if one has.
    bool TryAccept(RawPeer& peer) {
        peer.fd_ = accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
        return peer.fd_ >= 0;
    }

  private:
    int fd_ = -1;
    int port_ = 0;
};

// A port on which nothing listens (as long as nobody takes it in the meantime).
inline int UnusedPort() {
    RawListener l;
    return l.Port();
}

// A game's services with these controls, this address window and this port.
inline Services WithSockets(SocketControl& winsock, SocketControl& winsockL, AddressWindow& form2,
                            int port) {
    Services sv;
    sv.winsock = &winsock;
    sv.winsockL = &winsockL;
    sv.form2 = &form2;
    sv.gamePort = port;
    return sv;
}

// A game's own TCP sockets and address window, on a port the system picks (tests read it back).
struct RealSockets {
    SocketWatcher watcher;
    PosixSocket winsock{watcher}, winsockL{watcher};
    HeadlessAddressWindow form2;
    Services Make() { return WithSockets(winsock, winsockL, form2, 0); }
};

// The client item chosen, the address typed and Enter pressed (an empty one: the window left
// open, the address still to come).
inline void JoinAt(Game& g, HeadlessAddressWindow& form2, const std::u16string& address) {
    g.s.GameMode = kModeClient;
    ShowAddressWindow(g);
    if (address.empty()) return;
    form2.SetText(address);
    Text1_KeyDown(g, kVkReturn, 0);
}

// Delivers the games' socket events (no frames) until done() holds; false after ms.
inline bool PollGames(std::initializer_list<Game*> games, const std::function<bool()>& done,
                      int ms = 3000) {
    const auto end = Clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        for (Game* g : games) PollNetwork(*g);
        if (done()) return true;
        if (Clock::now() >= end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

}  // namespace kb::test
