#include "platform/room/room_transport.h"

#include <random>
#include <utility>

#include "platform/room/room_code.h"

namespace kb {

namespace {

std::string NewClientId() {
    std::random_device secure;
    static constexpr char kHex[] = "0123456789abcdef";
    std::string id = "kb";
    for (int i = 0; i < 16; ++i) id += kHex[secure() % 16];
    return id;
}

}  // namespace

// One link to the relay in one room, shared by the host's listener and the connection that
// took its guest; a guest's connection has one of its own.
struct RoomSession {
    RoomSession(std::unique_ptr<MqttLink> l, std::string c, bool isHost)
        : link(std::move(l)), code(std::move(c)), me(NewClientId()), host(isHost) {
        // A host's will empties its room, which its guest reads as the host gone.
        link->Open(code, me, Topic(host ? "room" : "gone"), host);
        link->Subscribe("kb/" + code + "/#");
    }
    ~RoomSession() { link->Close(); }

    std::string Topic(const char* kind) const { return Topic(me, kind); }
    std::string Topic(const std::string& id, const char* kind) const {
        return "kb/" + code + "/" + id + "/" + kind;
    }

    // Runs the link and sorts what came in for the controls.
    void Pump() {
        std::vector<MqttLink::Message> in;
        link->Poll(in);
        for (MqttLink::Message& m : in) Sort(m);
        if (link->LinkState() == MqttLink::State::kDown && !down) {
            down = true;
            notices.push_back("Relay: " + link->Why());
        }
    }

    void Sort(MqttLink::Message& m) {
        // kb/CODE/ID/KIND, the code being ours: the broker gives us no other room.
        const std::string prefix = "kb/" + code + "/";
        if (m.topic.compare(0, prefix.size(), prefix) != 0) return;
        const std::string rest = m.topic.substr(prefix.size());
        const auto slash = rest.find('/');
        if (slash == std::string::npos) return;
        const std::string from = rest.substr(0, slash), kind = rest.substr(slash + 1);
        if (from == me) {
            synced = synced || kind == "ping";
            return;
        }
        if (host) {
            if (kind == "knock" && listening) {
                knocks.push_back(from);
            } else if (kind == "knock") {
                link->Publish(Topic("refuse"), from, false);
            } else if (from == peer && kind == "d") {
                data += m.payload;
            } else if (from == peer && kind == "gone") {
                peerGone = true;
                notices.push_back("Relay: the guest left");
            }
            return;
        }
        if (kind == "room" && (roomHost.empty() || from == roomHost)) {
            if (!m.payload.empty()) {
                roomHost = from;
            } else if (!roomHost.empty()) {
                peerGone = true;  // the room closed, or its host's link died
            }
        } else if (from != roomHost) {
            return;
        } else if ((kind == "accept" || kind == "refuse") && knocked && peer.empty()) {
            if (kind == "accept" && m.payload == me) {
                peer = from;
                notices.push_back("Relay: joined the room");
            } else if (kind == "refuse" ? m.payload == me : !m.payload.empty()) {
                refused = true;  // turned away, or another guest was taken
            }
        } else if (kind == "d" && from == peer) {
            data += m.payload;
        } else if (kind == "bye" && from == peer && m.payload == me) {
            peerGone = true;
        }
    }

    std::unique_ptr<MqttLink> link;
    const std::string code, me;
    const bool host;
    bool listening = true;  // the host's room takes guests
    bool down = false;      // the link has gone down (noted once)
    std::vector<std::string> notices;

    // The host's: knocks not yet raised, and the one being raised now.
    std::vector<std::string> knocks;
    std::optional<std::string> offered;
    int32_t offerId = 0;
    bool offerTaken = false;

    // The connection's: the peer, its bytes not yet read, and whether it has gone.
    std::string peer;
    std::string data;
    bool peerGone = false;

    // A guest's way in: the room's host, our echo, our knock and its answer.
    std::string roomHost;
    bool synced = false, knocked = false, refused = false;
};

namespace {

void RaiseNotices(RoomSession& session, SocketEvents& events) {
    for (const std::string& n : session.notices) events.Notice(n);
    session.notices.clear();
}

}  // namespace

// The host's side: opens a room and raises a connection request for every guest who knocks.
// The request id counts the knocks; the room's connection takes it during its event.
class RoomListener : public ListenerControl {
  public:
    explicit RoomListener(RoomTransport& transport) : transport_(transport) {}
    ~RoomListener() override { Close(); }

    void SetLocalPort(int) override {}
    bool Listen(std::string&) override {
        Close();
        const std::string code = NewRoomCode();
        auto session = std::make_shared<RoomSession>(transport_.maker_->NewLink(code), code, true);
        session->link->Publish(session->Topic("room"), "open", true);
        session->notices.push_back("Relay: room " + ShownRoomCode(session->code) + " open");
        transport_.hosting_ = session;
        return true;
    }
    void Close() override {
        auto& session = transport_.hosting_;
        if (!session) return;
        // The room takes no more guests; a connection to its guest goes on.
        session->listening = false;
        session->link->Publish(session->Topic("room"), "", true);
        for (const std::string& guest : session->knocks)
            session->link->Publish(session->Topic("refuse"), guest, false);
        session->knocks.clear();
        session.reset();
    }
    SocketState State() const override {
        const auto& session = transport_.hosting_;
        if (!session) return SocketState::kClosed;
        return session->down ? SocketState::kFailed : SocketState::kListening;
    }
    std::string LocalIP() override { return ""; }
    std::string RoomCode() const override {
        return transport_.hosting_ ? ShownRoomCode(transport_.hosting_->code) : "";
    }
    std::string Problem() const override {
        const auto& session = transport_.hosting_;
        return session && session->down ? session->link->Why() : "";
    }
    void Poll(SocketEvents& events) override {
        std::shared_ptr<RoomSession> session = transport_.hosting_;
        if (!session) return;
        session->Pump();
        RaiseNotices(*session, events);
        while (transport_.hosting_ == session && !session->knocks.empty()) {
            const std::string guest = session->knocks.front();
            session->knocks.erase(session->knocks.begin());
            session->offered = guest;
            session->offerTaken = false;
            session->notices.push_back("Relay: knock from " + guest);
            RaiseNotices(*session, events);
            events.ConnectionRequest(++session->offerId);
            if (!session->offerTaken)
                session->link->Publish(session->Topic("refuse"), guest, false);
            session->offered.reset();
        }
    }
    void WakeWhenDue(const Waker& wake) override {
        if (transport_.hosting_) transport_.hosting_->link->WakeWhenDue(wake);
    }

  private:
    RoomTransport& transport_;
};

// The data connection: a guest's way into a room, or the host's connection to the guest it took.
class RoomConnection : public SocketControl {
  public:
    explicit RoomConnection(RoomTransport& transport) : transport_(transport) {}
    ~RoomConnection() override { Close(); }

    void SetLocalPort(int) override {}
    bool Listen(std::string&) override { return false; }
    void Accept(int32_t requestID) override {
        Close();
        std::shared_ptr<RoomSession> session = transport_.hosting_;
        if (!session || !session->offered || session->offerId != requestID) {
            failed_ = true;
            return;
        }
        session->offerTaken = true;
        session->peer = *session->offered;
        session->data.clear();
        session->peerGone = false;
        session->link->Publish(session->Topic("accept"), session->peer, false);
        session_ = session;
    }
    void SetRemoteHost(const std::string& host) override { code_ = RoomCodeIn(host); }
    void SetRemotePort(int) override {}
    void Connect() override {
        Close();
        session_ = std::make_shared<RoomSession>(transport_.maker_->NewLink(code_), code_, false);
    }
    bool SendData(const std::string& data) override {
        if (State() != SocketState::kConnected) return false;
        session_->link->Publish(session_->Topic("d"), data, false);
        ++unreported_;
        return true;
    }
    std::string GetData() override {
        if (!session_) return {};
        announced_ = false;
        return std::exchange(session_->data, {});
    }
    void Close() override {
        if (session_) {
            if (session_->host)
                session_->link->Publish(session_->Topic("bye"), session_->peer, false);
            else
                session_->link->Publish(session_->Topic("gone"), "", false);
            session_->peer.clear();
            session_->data.clear();
        }
        session_.reset();
        failed_ = false;
        pinged_ = false;
        unreported_ = 0;
        announced_ = false;
    }
    SocketState State() const override {
        if (failed_) return SocketState::kFailed;
        if (!session_) return SocketState::kClosed;
        const RoomSession& s = *session_;
        if (s.down || s.peerGone || s.refused || (!s.host && s.synced && s.roomHost.empty()))
            return SocketState::kFailed;
        return s.peer.empty() ? SocketState::kConnecting : SocketState::kConnected;
    }
    std::string LocalIP() override { return ""; }
    std::string Problem() const override {
        if (!session_ || session_->host) return "";
        const RoomSession& s = *session_;
        if (s.down) return s.link->Why();
        if (s.refused) return "This room is already playing";
        if (s.peerGone) return "The host closed the room";
        if (s.synced && s.roomHost.empty()) return "No open room with this code";
        return "";
    }
    void Poll(SocketEvents& events) override {
        std::shared_ptr<RoomSession> session = session_;
        if (!session) return;
        session->Pump();
        RaiseNotices(*session, events);
        if (!session->host) Knock(*session);
        // A publish the link has handed to the network is a send complete.
        while (session_ == session && unreported_ > 0 && session->link->Flushed() &&
               State() == SocketState::kConnected) {
            --unreported_;
            events.SendComplete();
        }
        // Bytes that came before the peer left are still read, as a closed TCP connection's are.
        if (session_ == session && !session->data.empty() && !announced_) {
            announced_ = true;
            events.DataArrival(static_cast<int32_t>(session->data.size()));
        }
    }
    void WakeWhenDue(const Waker& wake) override {
        if (!session_) return;
        if (wake && unreported_ > 0 && session_->link->Flushed()) return wake();
        session_->link->WakeWhenDue(wake);
    }

  private:
    // Once the link is up a guest sends its echo; once the echo is back every open room has
    // been seen, and it knocks on the one it found.
    void Knock(RoomSession& s) {
        if (s.link->LinkState() != MqttLink::State::kUp) return;
        if (!pinged_) {
            pinged_ = true;
            s.link->Publish(s.Topic("ping"), "", false);
        }
        if (s.synced && !s.roomHost.empty() && !s.knocked) {
            s.knocked = true;
            s.link->Publish(s.Topic("knock"), "", false);
        }
    }

    RoomTransport& transport_;
    std::shared_ptr<RoomSession> session_;
    std::string code_;
    bool failed_ = false;     // asked to take a request that was not there to take
    bool pinged_ = false;     // the guest's echo is out
    int unreported_ = 0;      // sends not yet reported complete
    bool announced_ = false;  // DataArrival raised for the bytes waiting
};

RoomTransport::RoomTransport(std::unique_ptr<MqttLinkMaker> maker) : maker_(std::move(maker)) {}

RoomTransport::~RoomTransport() = default;

bool RoomTransport::Reaches(const std::string& address) const {
    return !RoomCodeIn(address).empty();
}

std::unique_ptr<SocketControl> RoomTransport::NewListener() {
    return std::make_unique<RoomListener>(*this);
}

std::unique_ptr<SocketControl> RoomTransport::NewConnection() {
    return std::make_unique<RoomConnection>(*this);
}

}  // namespace kb
