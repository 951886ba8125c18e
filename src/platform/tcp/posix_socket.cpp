#include "platform/tcp/posix_socket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <mutex>
#include <thread>
#include <utility>

namespace kb {

namespace {

constexpr size_t kReadChunk = 4096;
constexpr size_t kMaxReadPerPoll = 1 << 20;  // keeps one poll from starving the frame

void SetNoDelay(int fd) {
    // The game sends a few bytes at a time and waits for each to complete.
    int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

}  // namespace

PosixSocket::~PosixSocket() {
    watcher_.Watch(this, -1, 0, {});
    Close();
}

bool PosixSocket::BindListener(int family, std::string& why) {
    const int fd = socket(family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        why = std::strerror(errno);
        return false;
    }
    int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_storage addr{};
    socklen_t len = 0;
    if (family == AF_INET6) {
        int off = 0;  // one socket for both IPv6 and IPv4 clients
        setsockopt(fd, IPPROTO_IPV6, IPV6_V6ONLY, &off, sizeof off);
        auto* a6 = reinterpret_cast<sockaddr_in6*>(&addr);
        a6->sin6_family = AF_INET6;
        a6->sin6_addr = in6addr_any;
        a6->sin6_port = htons(static_cast<uint16_t>(localPort_));
        len = sizeof *a6;
    } else {
        auto* a4 = reinterpret_cast<sockaddr_in*>(&addr);
        a4->sin_family = AF_INET;
        a4->sin_addr.s_addr = htonl(INADDR_ANY);
        a4->sin_port = htons(static_cast<uint16_t>(localPort_));
        len = sizeof *a4;
    }
    if (bind(fd, reinterpret_cast<sockaddr*>(&addr), len) != 0 || listen(fd, 8) != 0) {
        why = std::strerror(errno);
        close(fd);
        return false;
    }
    fd_ = fd;
    state_ = SocketState::kListening;
    return true;
}

bool PosixSocket::Listen(std::string& why) {
    Close();
    if (BindListener(AF_INET6, why)) return true;
    // A machine without IPv6 still serves IPv4. Keep the IPv6 reason when IPv4 fails the
    // same way (port in use, no permission), since both say the same thing.
    std::string why4;
    if (BindListener(AF_INET, why4)) return true;
    if (why.empty()) why = why4;
    return false;
}

int PosixSocket::BoundPort() const {
    sockaddr_storage addr{};
    socklen_t len = sizeof addr;
    if (fd_ < 0 || getsockname(fd_, reinterpret_cast<sockaddr*>(&addr), &len) != 0) return 0;
    if (addr.ss_family == AF_INET6) return ntohs(reinterpret_cast<sockaddr_in6*>(&addr)->sin6_port);
    return ntohs(reinterpret_cast<sockaddr_in*>(&addr)->sin_port);
}

void PosixSocket::Adopt(int fd) {
    fd_ = fd;
    SetNoDelay(fd);
    state_ = SocketState::kConnected;
}

// The request id is the listener's descriptor of the new connection, valid during its event.
// The data control takes its own duplicate; the listener closes the original when the event
// returns, so a request nobody accepts is closed and an accepted one lives on.
void PosixSocket::Accept(int32_t requestID) {
    Close();
    const int fd = fcntl(requestID, F_DUPFD_CLOEXEC, 0);
    if (fd < 0) {
        state_ = SocketState::kFailed;
        return;
    }
    Adopt(fd);
}

void PosixSocket::Connect() {
    Close();
    state_ = SocketState::kResolving;
    lookup_.emplace(remoteHost_, remotePort_);
}

void PosixSocket::PollLookup() {
    std::optional<HostLookup::Answer> answer = lookup_->Take();
    if (!answer) return;
    addresses_ = std::move(answer->addresses);
    lookup_.reset();
    nextAddress_ = 0;
    TryNextAddress();
}

void PosixSocket::TryNextAddress() {
    while (nextAddress_ < addresses_.size()) {
        const Address& a = addresses_[nextAddress_++];
        const int fd = socket(a.addr.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd < 0) continue;
        if (connect(fd, reinterpret_cast<const sockaddr*>(&a.addr), a.len) == 0) {
            Adopt(fd);
            return;
        }
        if (errno == EINPROGRESS) {
            fd_ = fd;
            state_ = SocketState::kConnecting;
            return;
        }
        close(fd);
    }
    state_ = SocketState::kFailed;
}

void PosixSocket::PollConnecting() {
    pollfd p{fd_, POLLOUT, 0};
    if (poll(&p, 1, 0) <= 0) return;
    int err = 0;
    socklen_t len = sizeof err;
    if (getsockopt(fd_, SOL_SOCKET, SO_ERROR, &err, &len) != 0) err = errno;
    if (err == 0) {
        Adopt(fd_);
        return;
    }
    close(fd_);
    fd_ = -1;
    TryNextAddress();
}

bool PosixSocket::SendData(const std::string& data) {
    if (state_ != SocketState::kConnected) return false;
    out_ += data;
    queued_ += data.size();
    ends_.push_back(queued_);
    return Flush();
}

bool PosixSocket::Flush() {
    while (!out_.empty()) {
        const ssize_t n = send(fd_, out_.data(), out_.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            out_.erase(0, static_cast<size_t>(n));
            written_ += static_cast<uint64_t>(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            return true;
        } else {
            Fail();
            return false;
        }
    }
    return true;
}

void PosixSocket::Fail() {
    // The connection is gone: nothing more goes out, and sends in flight never complete.
    state_ = SocketState::kFailed;
    out_.clear();
    ends_.clear();
}

std::string PosixSocket::GetData() {
    return std::exchange(in_, {});
}

void PosixSocket::Close() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
    state_ = SocketState::kClosed;
    ++generation_;
    lookup_.reset();
    addresses_.clear();
    out_.clear();
    queued_ = written_ = 0;
    ends_.clear();
    in_.clear();
}

void PosixSocket::PollListener(SocketEvents& events) {
    const uint64_t generation = generation_;
    for (;;) {
        const int fd = accept4(fd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED) continue;
            return;
        }
        events.ConnectionRequest(fd);
        close(fd);                              // an accepting control holds a duplicate
        if (generation != generation_) return;  // closed by the event
    }
}

// Completions of sends whose bytes are all with the kernel. Returns true when one was raised.
bool PosixSocket::RaiseCompletions(SocketEvents& events, uint64_t generation) {
    bool raised = false;
    while (state_ == SocketState::kConnected && !ends_.empty() && ends_.front() <= written_) {
        ends_.pop_front();
        raised = true;
        events.SendComplete();
        if (generation != generation_) break;
    }
    return raised;
}

// Reads what has arrived, up to the per-poll limit. Returns true when bytes came in.
bool PosixSocket::Receive(size_t& got) {
    const size_t before = got;
    char buf[kReadChunk];
    while (got < kMaxReadPerPoll) {
        const ssize_t n = recv(fd_, buf, sizeof buf, MSG_DONTWAIT);
        if (n > 0) {
            in_.append(buf, static_cast<size_t>(n));
            got += static_cast<size_t>(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            break;
        } else {
            Fail();  // the peer closed or reset the connection
            break;
        }
    }
    return got > before;
}

void PosixSocket::Poll(SocketEvents& events) {
    switch (state_) {
        case SocketState::kListening:
            PollListener(events);
            return;
        case SocketState::kResolving:
            PollLookup();
            break;
        case SocketState::kConnecting:
            PollConnecting();
            break;
        default:
            break;
    }
    if (state_ != SocketState::kConnected) return;

    // Events follow each other as they become due, all within this poll: a completion lets the
    // game hand over its next queued message, which goes to the kernel at once and completes
    // here too; an arrival may answer with a message of its own.
    const uint64_t generation = generation_;
    size_t got = 0;
    for (;;) {
        Flush();
        const bool completed = RaiseCompletions(events, generation);
        if (generation != generation_ || state_ != SocketState::kConnected) return;
        const bool arrived = Receive(got);
        if (arrived) {
            events.DataArrival(static_cast<int32_t>(in_.size()));
            if (generation != generation_ || state_ != SocketState::kConnected) return;
        }
        if (!completed && !arrived) return;
    }
}

bool PosixSocket::CompletionDue() const {
    return state_ == SocketState::kConnected && !ends_.empty() && ends_.front() <= written_;
}

void PosixSocket::WakeWhenDue(const Waker& wake) {
    // A send the kernel took whole is complete now: the loop must not sleep on it until the
    // next frame, or the message queued behind it would leave a frame late.
    if (wake && CompletionDue()) {
        watcher_.Watch(this, -1, 0, {});
        wake();
        return;
    }
    int fd = -1;
    short events = 0;
    switch (state_) {
        case SocketState::kListening:
            fd = fd_, events = POLLIN;
            break;
        case SocketState::kResolving:
            fd = lookup_ ? lookup_->ReadyFd() : -1, events = POLLIN;
            break;
        case SocketState::kConnecting:
            fd = fd_, events = POLLOUT;
            break;
        case SocketState::kConnected:
            // Room to write matters only while bytes are still waiting to go out.
            fd = fd_, events = static_cast<short>(POLLIN | (out_.empty() ? 0 : POLLOUT));
            break;
        default:
            break;
    }
    watcher_.Watch(this, fd, events, wake);
}

std::string PosixSocket::LocalIP() {
    return MainLocalAddress();
}

std::unique_ptr<SocketControl> TcpTransport::NewListener() {
    return std::make_unique<PosixSocket>(watcher_);
}

std::unique_ptr<SocketControl> TcpTransport::NewConnection() {
    return std::make_unique<PosixSocket>(watcher_);
}

std::string MainLocalAddress() {
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return "127.0.0.1";
    std::string v4, v6;
    for (ifaddrs* i = list; i; i = i->ifa_next) {
        if (!i->ifa_addr || !(i->ifa_flags & IFF_UP) || (i->ifa_flags & IFF_LOOPBACK)) continue;
        char text[INET6_ADDRSTRLEN] = {};
        if (i->ifa_addr->sa_family == AF_INET && v4.empty()) {
            const auto* a = reinterpret_cast<const sockaddr_in*>(i->ifa_addr);
            if (inet_ntop(AF_INET, &a->sin_addr, text, sizeof text)) v4 = text;
        } else if (i->ifa_addr->sa_family == AF_INET6 && v6.empty()) {
            const auto* a = reinterpret_cast<const sockaddr_in6*>(i->ifa_addr);
            // A link-local address only works with its interface named: useless to type in.
            if (IN6_IS_ADDR_LINKLOCAL(&a->sin6_addr)) continue;
            if (inet_ntop(AF_INET6, &a->sin6_addr, text, sizeof text)) v6 = text;
        }
    }
    freeifaddrs(list);
    if (!v4.empty()) return v4;
    if (!v6.empty()) return v6;
    return "127.0.0.1";
}

}  // namespace kb
