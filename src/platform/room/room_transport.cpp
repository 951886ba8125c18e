#include "platform/room/room_transport.h"

#include <deque>
#include <utility>
#include <vector>

#include "platform/room/room_code.h"
#include "platform/room/room_crypto.h"
#include "platform/room/room_session.h"

namespace kb {

namespace {

constexpr int64_t kQuickTryMs = 8000;  // a public room that has not taken us by then is left

void RaiseNotices(RoomSession& session, SocketEvents& events) {
    for (const std::string& n : session.TakeNotices()) events.Notice(n);
}

}  // namespace

bool IsQuickMatch(std::string_view address) {
    while (!address.empty() && (address.front() == ' ' || address.front() == '\t'))
        address.remove_prefix(1);
    while (!address.empty() && (address.back() == ' ' || address.back() == '\t'))
        address.remove_suffix(1);
    static constexpr std::string_view kWord = "quick";
    if (address.size() != kWord.size()) return false;
    for (size_t i = 0; i < kWord.size(); ++i)
        if ((address[i] | 0x20) != kWord[i]) return false;
    return true;
}

// The host's side: opens a room and raises a connection request for every guest who knocks.
// The request id counts the knocks; the room's connection takes it during its event.
class RoomListener : public ListenerControl {
  public:
    explicit RoomListener(RoomTransport& transport) : transport_(transport) {}
    ~RoomListener() override { Close(); }

    void SetLocalPort(int) override {}
    bool Listen(std::string& why) override {
        Close();
        std::optional<RoomKeyPair> keys = NewRoomKeyPair();
        const std::string code = keys ? RoomCodeOf(keys->pub) : "";
        if (code.empty()) {
            why = "The room's key could not be made";
            return false;
        }
        const RoomOptions& o = transport_.options_;
        std::optional<RoomListing> listing;
        if (o.listing) listing = o.listing();
        std::unique_ptr<MqttLink> lobby;
        if (listing) lobby = transport_.maker_->NewLink("");
        auto session =
            std::make_shared<HostSession>(transport_.maker_->NewLink(code), std::move(*keys), code,
                                          o.now, std::move(lobby), listing.value_or(RoomListing{}));
        session->Note("Relay: room " + ShownRoomCode(code) + " open");
        if (listing) session->Note("Relay: listed in the lobby as " + ListableText(listing->name));
        transport_.hosting_ = session;
        return true;
    }
    void Close() override {
        // The room takes no more guests; a connection to its guest goes on.
        if (auto session = std::exchange(transport_.hosting_, nullptr)) session->StopListening();
    }
    SocketState State() const override {
        const auto& session = transport_.hosting_;
        if (!session) return SocketState::kClosed;
        return session->Down() ? SocketState::kFailed : SocketState::kListening;
    }
    std::string LocalIP() override { return ""; }
    std::string RoomCode() const override {
        return transport_.hosting_ ? ShownRoomCode(transport_.hosting_->Code()) : "";
    }
    std::string Problem() const override {
        const auto& session = transport_.hosting_;
        return session && session->Down() ? session->Why() : "";
    }
    void Poll(SocketEvents& events) override {
        std::shared_ptr<HostSession> session = transport_.hosting_;
        if (!session) return;
        session->Pump();
        RaiseNotices(*session, events);
        while (transport_.hosting_ == session) {
            const std::optional<std::string> seat = session->NextKnock();
            if (!seat) break;
            transport_.offered_ = seat;
            transport_.offerTaken_ = false;
            events.Notice("Relay: knock from seat " + *seat);
            events.ConnectionRequest(++transport_.offerId_);
            if (!transport_.offerTaken_) session->TurnAway(*seat);
            transport_.offered_.reset();
        }
    }
    void WakeWhenDue(const Waker& wake) override {
        if (transport_.hosting_) transport_.hosting_->WakeWhenDue(wake);
    }

  private:
    RoomTransport& transport_;
};

// The data connection: a guest's way into a room (by its code, or the lobby's quick match),
// or the host's connection to the guest it took.
class RoomConnection : public SocketControl {
  public:
    explicit RoomConnection(RoomTransport& transport) : transport_(transport) {}
    ~RoomConnection() override { Close(); }

    void SetLocalPort(int) override {}
    bool Listen(std::string&) override { return false; }
    void Accept(int32_t requestID) override {
        Close();
        const std::shared_ptr<HostSession>& session = transport_.hosting_;
        if (!session || !transport_.offered_ || transport_.offerId_ != requestID) {
            failed_ = true;
            return;
        }
        transport_.offerTaken_ = true;
        session->Take(*transport_.offered_);
        host_ = session;
    }
    void SetRemoteHost(const std::string& host) override { target_ = host; }
    void SetRemotePort(int) override {}
    void Connect() override {
        Close();
        if (IsQuickMatch(target_)) {
            quick_ = true;
            lobby_ = std::make_unique<LobbyQuery>(transport_.maker_->NewLink(""),
                                                  transport_.options_.now);
        } else {
            Join(RoomCodeIn(target_));
        }
    }
    bool SendData(const std::string& data) override {
        if (State() != SocketState::kConnected) return false;
        Session()->SendData(data);
        ++unreported_;
        return true;
    }
    std::string GetData() override {
        announced_ = false;
        return Session() ? Session()->TakeData() : std::string();
    }
    void Close() override {
        if (host_) host_->LeavePeer();
        if (guest_) guest_->Leave();
        host_.reset();
        guest_.reset();
        lobby_.reset();
        rooms_.clear();
        quick_ = false;
        quickProblem_.clear();
        failed_ = false;
        unreported_ = 0;
        announced_ = false;
    }
    SocketState State() const override {
        if (failed_) return SocketState::kFailed;
        if (host_)
            return host_->Down() || host_->PeerGone() || host_->Peer().empty()
                       ? SocketState::kFailed
                       : SocketState::kConnected;
        if (guest_) {
            if (Trying()) return SocketState::kConnecting;  // a room that fails: the next one
            if (!guest_->Refusal().empty()) return SocketState::kFailed;
            return guest_->Joined() ? SocketState::kConnected : SocketState::kConnecting;
        }
        if (quick_) return quickProblem_.empty() ? SocketState::kConnecting : SocketState::kFailed;
        return SocketState::kClosed;
    }
    std::string LocalIP() override { return ""; }
    std::string Problem() const override {
        if (guest_ && !Trying()) return guest_->Refusal();
        return quickProblem_;
    }
    void Poll(SocketEvents& events) override {
        if (quick_) Match(events);
        RoomSession* session = Session();
        if (!session) return;
        session->Pump();
        RaiseNotices(*session, events);
        // A send the link has handed to the network is complete; so is one that never can be,
        // the peer or the relay being gone, as a TCP send to a dead peer completes and the next
        // one fails.
        while (Session() == session && unreported_ > 0 &&
               (session->Flushed() || State() == SocketState::kFailed)) {
            --unreported_;
            events.SendComplete();
        }
        // Bytes that came before the peer left are still read, as a closed TCP connection's are.
        if (Session() == session && session->DataWaiting() > 0 && !announced_) {
            announced_ = true;
            events.DataArrival(static_cast<int32_t>(session->DataWaiting()));
        }
    }
    void WakeWhenDue(const Waker& wake) override {
        if (RoomSession* session = Session()) {
            if (wake && unreported_ > 0 && (session->Flushed() || State() == SocketState::kFailed))
                return wake();
            session->WakeWhenDue(wake);
        } else if (lobby_) {
            lobby_->WakeWhenDue(wake);
        }
    }

  private:
    // A quick match tries a room that has not taken us yet.
    bool Trying() const { return quick_ && guest_ && !guest_->Joined(); }
    RoomSession* Session() const {
        return host_ ? static_cast<RoomSession*>(host_.get()) : guest_.get();
    }
    void Join(const std::string& code) {
        guest_ = std::make_unique<GuestSession>(transport_.maker_->NewLink(code), code,
                                                transport_.options_.now);
    }
    // A quick match: the lobby's rooms, longest waiting first, until one takes us.
    void Match(SocketEvents& events) {
        if (lobby_) {
            lobby_->Pump();
            if (!lobby_->Done()) return;
            quickProblem_ = lobby_->Problem();
            const std::vector<LobbyEntry> rooms = lobby_->Rooms();
            rooms_.assign(rooms.begin(), rooms.end());
            lobby_.reset();
            events.Notice("Relay: " + std::to_string(rooms_.size()) + " public room" +
                          (rooms_.size() == 1 ? "" : "s") + " waiting");
            if (!quickProblem_.empty()) return;
        } else if (!guest_ || guest_->Joined() ||
                   (guest_->Refusal().empty() && transport_.options_.now() < tryUntil_)) {
            return;
        }
        if (guest_) guest_->Leave();
        guest_.reset();
        if (rooms_.empty()) {
            quickProblem_ = "No public room is waiting";
            return;
        }
        const LobbyEntry room = rooms_.front();
        rooms_.pop_front();
        events.Notice("Relay: trying room " + ShownRoomCode(room.code) + " of " + room.name);
        Join(room.code);
        tryUntil_ = transport_.options_.now() + kQuickTryMs;
    }

    RoomTransport& transport_;
    std::shared_ptr<HostSession> host_;    // the host's, shared with its listener
    std::unique_ptr<GuestSession> guest_;  // a guest's
    std::string target_;                   // the address typed: a code, or the quick word
    bool quick_ = false;
    std::unique_ptr<LobbyQuery> lobby_;  // a quick match's look at the lobby
    std::deque<LobbyEntry> rooms_;       // the public rooms not yet tried
    int64_t tryUntil_ = 0;               // when the room being tried is given up
    std::string quickProblem_;           // why no quick match can be had
    bool failed_ = false;                // asked to take a request that was not there to take
    int unreported_ = 0;                 // sends not yet reported complete
    bool announced_ = false;             // DataArrival raised for the bytes waiting
};

RoomTransport::RoomTransport(std::unique_ptr<MqttLinkMaker> maker, RoomOptions options)
    : maker_(std::move(maker)), options_(std::move(options)) {}

RoomTransport::~RoomTransport() = default;

bool RoomTransport::Reaches(const std::string& address) const {
    return !RoomCodeIn(address).empty() || IsQuickMatch(address);
}

std::unique_ptr<SocketControl> RoomTransport::NewListener() {
    return std::make_unique<RoomListener>(*this);
}

std::unique_ptr<SocketControl> RoomTransport::NewConnection() {
    return std::make_unique<RoomConnection>(*this);
}

}  // namespace kb
