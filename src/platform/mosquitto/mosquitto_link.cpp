#include "platform/mosquitto/mosquitto_link.h"

#include <mosquitto.h>
#include <poll.h>
#include <sys/socket.h>

#include <cstring>

#include "platform/room/relay_choice.h"

namespace kb {

namespace {

constexpr int kKeepAliveSeconds = 5;         // a silent peer is noticed in about 8 seconds
constexpr size_t kMaxReadPerPoll = 1 << 20;  // as much as a TCP socket reads in one poll

void InitLibrary() {
    static const int kInit = mosquitto_lib_init();
    (void)kInit;
}

}  // namespace

RelayAddress ParseRelayAddress(const std::string& text) {
    RelayAddress r;
    r.text = text;
    std::string rest = text;
    if (rest.rfind("mqtt://", 0) == 0) {
        rest = rest.substr(7);
    } else if (rest.rfind("mqtts://", 0) == 0) {
        rest = rest.substr(8);
        r.tls = true;
        r.port = 8883;
    }
    while (!rest.empty() && rest.back() == '/') rest.pop_back();
    std::string port;
    if (!rest.empty() && rest.front() == '[') {
        const auto close = rest.find(']');
        if (close == std::string::npos) return {};
        r.host = rest.substr(1, close - 1);
        if (close + 1 < rest.size() && rest[close + 1] == ':') port = rest.substr(close + 2);
    } else if (const auto colon = rest.find(':');
               colon != std::string::npos && rest.find(':', colon + 1) == std::string::npos) {
        r.host = rest.substr(0, colon);
        port = rest.substr(colon + 1);
    } else {
        r.host = rest;
    }
    if (!port.empty()) {
        r.port = 0;
        for (char c : port)
            r.port = c >= '0' && c <= '9' && r.port < 65536 ? r.port * 10 + (c - '0') : -1;
        if (r.port <= 0 || r.port > 65535) return {};
    }
    if (r.host.empty()) return {};
    return r;
}

MosquittoLink::MosquittoLink(RelayAddress relay, SocketWatcher& watcher)
    : relay_(std::move(relay)), watcher_(watcher) {
    InitLibrary();
}

MosquittoLink::~MosquittoLink() {
    Close();
}

void MosquittoLink::Open(const std::string& user, const std::string& clientId,
                         const std::string& willTopic, bool willRetained) {
    mosq_ = mosquitto_new(clientId.c_str(), true, this);
    if (!mosq_) return Down("The relay's client could not be made");
    mosquitto_int_option(mosq_, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311);
    mosquitto_int_option(mosq_, MOSQ_OPT_TCP_NODELAY, 1);  // each message is a few bytes
    mosquitto_username_pw_set(mosq_, user.c_str(), nullptr);
    if (!willTopic.empty())
        mosquitto_will_set(mosq_, willTopic.c_str(), 0, nullptr, 0, willRetained);
    if (relay_.tls) {
        tls_ = std::make_unique<RelayTls>(relay_.host);
        // The context as made, without libmosquitto's own settings and name check.
        if (!tls_->Context() ||
            mosquitto_int_option(mosq_, MOSQ_OPT_SSL_CTX_WITH_DEFAULTS, 0) != MOSQ_ERR_SUCCESS ||
            mosquitto_void_option(mosq_, MOSQ_OPT_SSL_CTX, tls_->Context()) != MOSQ_ERR_SUCCESS)
            return Down("Cannot reach the relay " + relay_.text + ": TLS is not available");
    }
    mosquitto_connect_callback_set(mosq_, OnConnect);
    mosquitto_disconnect_callback_set(mosq_, OnDisconnect);
    mosquitto_message_callback_set(mosq_, OnMessage);
    lookup_.emplace(relay_.host, relay_.port);
}

void MosquittoLink::StartConnect() {
    if (!found_) found_ = lookup_->Take();
    if (!found_ || (tls_ && !tls_->Ready())) return;
    lookup_.reset();
    const HostLookup::Answer answer = std::move(*found_);
    found_.reset();
    const std::string address =
        answer.addresses.empty() ? "" : NumericHost(answer.addresses.front());
    if (address.empty()) return Down("Cannot find the relay " + relay_.text + ": " + answer.error);
    // A numeric address: the connect itself does not block.
    const int rc = mosquitto_connect_async(mosq_, address.c_str(), relay_.port, kKeepAliveSeconds);
    // On loopback the whole handshake may be over before the call returns.
    if (rc == MOSQ_ERR_TLS) return Lost(rc);
    if (rc != MOSQ_ERR_SUCCESS && rc != MOSQ_ERR_CONN_PENDING)
        Down("Cannot reach the relay " + relay_.text + ": " +
             (rc == MOSQ_ERR_ERRNO ? std::strerror(errno) : mosquitto_strerror(rc)));
}

void MosquittoLink::OnConnect(mosquitto*, void* self, int rc) {
    auto& link = *static_cast<MosquittoLink*>(self);
    if (rc != 0)
        return link.Down("The relay " + link.relay_.text +
                         " refused: " + mosquitto_connack_string(rc));
    link.state_ = State::kUp;
    for (const Outgoing& o : link.waiting_) link.Send(o);
    link.waiting_.clear();
}

void MosquittoLink::OnDisconnect(mosquitto*, void* self, int rc) {
    static_cast<MosquittoLink*>(self)->Lost(rc);
}

void MosquittoLink::Lost(int rc) {
    const std::string refusal = tls_ ? tls_->Refusal() : "";
    if (!refusal.empty()) return Down("Cannot trust the relay " + relay_.text + ": " + refusal);
    // A handshake that failed with nothing wrong in the certificate: no TLS on that port.
    if (rc == MOSQ_ERR_TLS && state_ == State::kConnecting)
        return Down("Cannot reach the relay " + relay_.text +
                    ": it does not answer in TLS (is that its mqtts port?)");
    Down("Lost the relay " + relay_.text);
}

void MosquittoLink::Handshake() {
    const int rc = mosquitto_loop_read(mosq_, 1);
    if (rc != MOSQ_ERR_SUCCESS) return Lost(rc);
    const int fd = mosquitto_socket(mosq_);
    if (fd < 0 || !tls_->Handshaking()) return;
    // A connection refused or dropped shows only on the socket, or as the error of the
    // handshake's last step, which libmosquitto takes for a write to try again.
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, 0) <= 0 || !(p.revents & (POLLERR | POLLHUP))) return;
    int error = 0;
    socklen_t size = sizeof error;
    if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) != 0 || error == 0)
        error = tls_->SocketError();
    // Dropped once it had our greeting, before a word back: something else listens there.
    if (tls_->Unanswered()) return Lost(MOSQ_ERR_TLS);
    Down("Cannot reach the relay " + relay_.text + ": " +
         (error ? std::strerror(error) : "it closed the connection"));
}

void MosquittoLink::OnMessage(mosquitto*, void* self, const mosquitto_message* m) {
    auto& link = *static_cast<MosquittoLink*>(self);
    link.arrived_.push_back(
        {m->topic ? m->topic : "",
         std::string(static_cast<const char*>(m->payload), static_cast<size_t>(m->payloadlen))});
}

void MosquittoLink::Down(const std::string& why) {
    if (state_ == State::kDown) return;
    state_ = State::kDown;
    why_ = why;
    waiting_.clear();
}

void MosquittoLink::Send(const Outgoing& o) {
    const int rc = o.subscribe ? mosquitto_subscribe(mosq_, nullptr, o.topic.c_str(), 0)
                               : mosquitto_publish(mosq_, nullptr, o.topic.c_str(),
                                                   static_cast<int>(o.payload.size()),
                                                   o.payload.data(), 0, o.retain);
    if (rc != MOSQ_ERR_SUCCESS)
        Down("Lost the relay " + relay_.text + ": " + mosquitto_strerror(rc));
}

void MosquittoLink::Subscribe(const std::string& filter) {
    const Outgoing o{true, filter, "", false};
    if (state_ == State::kUp)
        Send(o);
    else if (state_ == State::kConnecting)
        waiting_.push_back(o);
}

void MosquittoLink::Publish(const std::string& topic, const std::string& payload, bool retain) {
    const Outgoing o{false, topic, payload, retain};
    if (state_ == State::kUp)
        Send(o);
    else if (state_ == State::kConnecting)
        waiting_.push_back(o);
}

bool MosquittoLink::Flushed() const {
    return state_ == State::kUp && !mosquitto_want_write(mosq_);
}

void MosquittoLink::Poll(std::vector<Message>& in) {
    if (lookup_) StartConnect();
    // A socket the library has closed without a word is a link lost all the same.
    if (state_ != State::kDown && !lookup_ && mosq_ && mosquitto_socket(mosq_) < 0)
        Lost(MOSQ_ERR_CONN_LOST);
    const auto open = [&] {
        return state_ != State::kDown && !lookup_ && mosq_ && mosquitto_socket(mosq_) >= 0;
    };
    // Nothing but TLS's own messages moves until its handshake is done.
    if (open() && tls_ && tls_->Handshaking()) Handshake();
    if (open() && !(tls_ && tls_->Handshaking())) {
        // Reads while the socket has bytes, up to as much as one poll of a TCP socket takes.
        const int fd = mosquitto_socket(mosq_);
        size_t got = 0;
        for (int packets = 0; state_ != State::kDown && got < kMaxReadPerPoll && packets < 10000;
             ++packets) {
            pollfd p{fd, POLLIN, 0};
            if (!(tls_ && tls_->Pending()) && poll(&p, 1, 0) <= 0) break;
            const size_t before = arrived_.size();
            if (const int rc = mosquitto_loop_read(mosq_, 1); rc != MOSQ_ERR_SUCCESS) {
                if (rc == MOSQ_ERR_TLS) Lost(rc);
                break;
            }
            for (size_t i = before; i < arrived_.size(); ++i) got += arrived_[i].payload.size();
        }
        if (state_ != State::kDown && mosquitto_want_write(mosq_)) mosquitto_loop_write(mosq_, 1);
        if (state_ != State::kDown) mosquitto_loop_misc(mosq_);
    }
    for (Message& m : arrived_) in.push_back(std::move(m));
    arrived_.clear();
}

void MosquittoLink::WakeWhenDue(const Waker& wake) {
    if (lookup_)
        return watcher_.Watch(this, found_ ? tls_->ReadyFd() : lookup_->ReadyFd(), POLLIN, wake);
    const int fd = state_ != State::kDown && mosq_ ? mosquitto_socket(mosq_) : -1;
    short events =
        static_cast<short>(POLLIN | (fd >= 0 && mosquitto_want_write(mosq_) ? POLLOUT : 0));
    if (fd >= 0 && tls_) {
        // While TLS shakes hands libmosquitto asks to write for as long as its first flight once
        // had to wait for the connection: once connected, only the relay's answer is worth a
        // wake. Bytes already decrypted are: a writable socket wakes the loop to read them.
        sockaddr_storage peer{};
        socklen_t size = sizeof peer;
        if (tls_->Handshaking() && getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &size) == 0)
            events = POLLIN;
        if (tls_->Pending()) events |= POLLOUT;
    }
    watcher_.Watch(this, fd, events, wake);
}

void MosquittoLink::Close() {
    watcher_.Watch(this, -1, 0, {});
    if (!mosq_) return;
    if (state_ == State::kUp) {
        // Whatever is queued (a leaving message among it) goes out before the goodbye; what
        // the socket cannot take now is lost, and the broker then sends the will instead.
        mosquitto_disconnect(mosq_);
        mosquitto_loop_write(mosq_, 1);
    }
    mosquitto_destroy(mosq_);
    mosq_ = nullptr;
    lookup_.reset();
    found_.reset();
    state_ = State::kDown;
}

MosquittoLinkMaker::MosquittoLinkMaker(const std::string& relays) {
    for (const std::string& text : RelayList(relays))
        if (RelayAddress r = ParseRelayAddress(text); !r.host.empty()) relays_.push_back(r);
}

std::unique_ptr<MqttLink> MosquittoLinkMaker::NewLink(const std::string& roomCode) {
    RelayAddress relay =
        relays_.empty() ? RelayAddress{} : relays_[RelayForRoom(roomCode, relays_.size())];
    return std::make_unique<MosquittoLink>(relay, watcher_);
}

}  // namespace kb
