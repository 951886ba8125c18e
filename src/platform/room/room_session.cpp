#include "platform/room/room_session.h"

#include <algorithm>
#include <utility>

#include "platform/room/room_code.h"

namespace kb {

namespace {

constexpr int64_t kAnswerMs = 5000;        // a peer asked whether it is there answers by then
constexpr int64_t kStrangerNoteMs = 1000;  // a flood of strangers gives one log line a second
constexpr int64_t kListingGapMs = 1000;    // a listed room answers the lobby this often at most
constexpr size_t kMostKnocks = 4096;       // seats remembered; knocks beyond are not taken
constexpr size_t kMostWaiting = 16;        // knocks waiting to be raised

}  // namespace

RoomSession::RoomSession(std::unique_ptr<MqttLink> link, std::string code, RoomClock now)
    : link_(std::move(link)), code_(std::move(code)), me_(NewClientId()), now_(std::move(now)) {}

RoomSession::~RoomSession() {
    link_->Close();
}

void RoomSession::Pump() {
    std::vector<MqttLink::Message> in;
    link_->Poll(in);
    for (const MqttLink::Message& m : in) Sort(m);
    const int64_t now = now_();
    if (askedUntil_ && now >= *askedUntil_) {
        askedUntil_.reset();
        peerGone_ = true;
        Note("Relay: the peer did not answer");
    }
    if (strangers_ > 0 && (!strangersNoted_ || now - *strangersNoted_ >= kStrangerNoteMs)) {
        Note("Relay: dropped " + std::to_string(strangers_) + " message" +
             (strangers_ > 1 ? "s" : "") + " from strangers");
        strangers_ = 0;
        strangersNoted_ = now;
    }
    if (link_->LinkState() == MqttLink::State::kDown && !down_) {
        down_ = true;
        Note("Relay: " + link_->Why());
    }
}

void RoomSession::SendData(std::string_view data) {
    SendFrame(kData, data);
}

std::string RoomSession::TakeData() {
    return std::exchange(data_, {});
}

void RoomSession::WakeWhenDue(const Waker& wake) {
    link_->WakeWhenDue(wake);
}

std::vector<std::string> RoomSession::TakeNotices() {
    return std::exchange(notices_, {});
}

std::optional<RoomSession::Where> RoomSession::Split(std::string_view topic) const {
    const std::string prefix = "kb/" + code_ + "/";
    if (!topic.starts_with(prefix)) return std::nullopt;
    std::vector<std::string> levels;
    for (size_t start = prefix.size();;) {
        const size_t slash = topic.find('/', start);
        levels.emplace_back(topic.substr(start, slash - start));
        if (slash == std::string_view::npos) break;
        start = slash + 1;
    }
    if (levels.size() == 1 && levels[0] == "room") return Where{Where::kRoom, "", "", ""};
    if (levels.size() == 2 && levels[0] == "knock") return Where{Where::kKnock, levels[1], "", ""};
    if (levels.size() == 3 && levels[0] == "in")
        return Where{Where::kInbox, "", levels[1], levels[2]};
    return std::nullopt;
}

void RoomSession::FromPeer(char kind, std::string_view body) {
    askedUntil_.reset();  // whatever it says, it is there
    if (kind == kData) {
        data_ += body;
    } else if (kind == kLeaving && !peerGone_) {
        peerGone_ = true;
        Note("Relay: the peer left");
    } else if (kind == kAsk) {
        SendFrame(kHere);
    }
}

void RoomSession::Hint() {
    if (!PeerChannel() || peerGone_ || askedUntil_) return;
    SendFrame(kAsk);
    askedUntil_ = now_() + kAnswerMs;
    Note("Relay: asking the peer whether it is still there");
}

void RoomSession::SendFrame(char kind, std::string_view body) {
    if (RoomChannel* channel = PeerChannel())
        link_->Publish(PeerTopic(), channel->Seal(kind, body), false);
}

void RoomSession::ForgetPeer() {
    data_.clear();
    peerGone_ = false;
    askedUntil_.reset();
}

HostSession::HostSession(std::unique_ptr<MqttLink> link, RoomKeyPair keys, std::string code,
                         RoomClock now, std::unique_ptr<MqttLink> lobby, RoomListing listing)
    : RoomSession(std::move(link), std::move(code), std::move(now)),
      keys_(std::move(keys)),
      room_(std::string(kRoomVersion) + KeyBytes(keys_.pub)),
      lobby_(std::move(lobby)),
      listing_(std::move(listing)),
      openedAt_(now_()) {
    // The will empties the room, which a guest takes as a sign that the host may be gone.
    link_->Open(code_, me_, RoomTopic(), true);
    link_->Subscribe(RoomTopic());
    link_->Subscribe(KnockTopic("+"));
    link_->Subscribe(Inbox(me_, "+"));
    link_->Publish(RoomTopic(), room_, true);
    if (lobby_) {
        lobby_->Open(code_, NewClientId(), ListingTopic(code_), false);
        lobby_->Subscribe(std::string(kLobbyAsk));
    }
}

HostSession::~HostSession() {
    if (lobby_) lobby_->Close();
}

void HostSession::Pump() {
    RoomSession::Pump();
    PumpLobby();
}

void HostSession::WakeWhenDue(const Waker& wake) {
    RoomSession::WakeWhenDue(wake);
    if (lobby_) lobby_->WakeWhenDue(wake);
}

void HostSession::StopListening() {
    if (!listening_) return;
    listening_ = false;
    link_->Publish(RoomTopic(), "", true);
    while (const std::optional<std::string> seat = NextKnock()) TurnAway(*seat);
    Unlist();
}

std::optional<std::string> HostSession::NextKnock() {
    while (!knocks_.empty()) {
        std::string seat = std::move(knocks_.front());
        knocks_.pop_front();
        if (guests_.count(seat)) return seat;
    }
    return std::nullopt;
}

void HostSession::Take(const std::string& seat) {
    LeavePeer();
    if (!guests_.count(seat)) return;  // it left meanwhile
    std::erase(knocks_, seat);
    peer_ = seat;
    ForgetPeer();
    SendFrame(kTaken, me_);
    // The room waits no more: a look at the lobby under way leaves it out.
    if (lobby_) lobby_->Publish(ListingTopic(code_), "", false);
}

void HostSession::TurnAway(const std::string& seat) {
    const auto guest = guests_.find(seat);
    if (guest == guests_.end() || seat == peer_) return;
    link_->Publish(Inbox(guest->second.id, "host"), guest->second.channel.Seal(kTurnedAway, ""),
                   false);
    Forget(seat);
}

void HostSession::LeavePeer() {
    if (peer_.empty()) return;
    SendFrame(kLeaving);
    Forget(std::exchange(peer_, ""));
    ForgetPeer();
}

void HostSession::Sort(const MqttLink::Message& m) {
    const std::optional<Where> where = Split(m.topic);
    if (!where) return;
    if (where->kind == Where::kRoom) {
        // Someone else wrote the room while it takes guests: put it back.
        if (listening_ && m.payload != room_) {
            Stranger();
            link_->Publish(RoomTopic(), room_, true);
        }
    } else if (where->kind == Where::kKnock && m.payload.empty()) {
        if (!peer_.empty() && where->seat == peer_) Hint();  // the guest's will
    } else if (where->kind == Where::kKnock) {
        Knock(where->seat, m.payload);
    } else if (where->id == me_) {
        FromGuest(where->from, m.payload);
    }
}

RoomChannel* HostSession::PeerChannel() {
    const auto guest = guests_.find(peer_);
    return peer_.empty() || guest == guests_.end() ? nullptr : &guest->second.channel;
}

std::string HostSession::PeerTopic() const {
    const auto guest = guests_.find(peer_);
    return Inbox(guest == guests_.end() ? "" : guest->second.id, "host");
}

void HostSession::Knock(const std::string& seat, std::string_view knock) {
    const std::optional<RoomKey> key = KeyFrom(knock.substr(0, 32));
    // A seat is its key's: a knock under another's seat, or a knock heard before, is a
    // stranger's.
    if (!key || SeatOf(*key) != seat || knocked_.count(seat)) return Stranger();
    if (knocked_.size() >= kMostKnocks) return;
    knocked_.insert(seat);
    std::optional<RoomChannel> channel = RoomChannel::ForHost(keys_, *key);
    std::optional<std::string> inbox;
    if (channel) inbox = channel->Open(knock.substr(32));
    if (!inbox || (*inbox)[0] != kInboxIs || !IsClientId(inbox->substr(1))) return Stranger();
    guests_.insert_or_assign(seat, Guest{std::move(*channel), inbox->substr(1)});
    if (listening_ && knocks_.size() < kMostWaiting)
        knocks_.push_back(seat);
    else
        TurnAway(seat);
}

void HostSession::FromGuest(const std::string& seat, std::string_view frame) {
    const auto guest = guests_.find(seat);
    if (guest == guests_.end()) return Stranger();
    const std::optional<std::string> plain = guest->second.channel.Open(frame);
    if (!plain) return Stranger();
    const char kind = (*plain)[0];
    if (seat == peer_) return FromPeer(kind, std::string_view(*plain).substr(1));
    // A guest not yet answered asks whether the host is there, or leaves.
    if (kind == kAsk)
        link_->Publish(Inbox(guest->second.id, "host"), guest->second.channel.Seal(kHere, ""),
                       false);
    else if (kind == kLeaving)
        Forget(seat);
}

void HostSession::Forget(const std::string& seat) {
    guests_.erase(seat);
    std::erase(knocks_, seat);
}

void HostSession::PumpLobby() {
    if (!lobby_) return;
    std::vector<MqttLink::Message> in;
    lobby_->Poll(in);
    for (const MqttLink::Message& m : in) asked_ = asked_ || m.topic == kLobbyAsk;
    const int64_t now = now_();
    if (asked_ && listening_ && peer_.empty() &&
        (!answered_ || now - *answered_ >= kListingGapMs)) {
        lobby_->Publish(ListingTopic(code_),
                        ListingPayload(static_cast<int>((now - openedAt_) / 1000), listing_),
                        false);
        answered_ = now;
        asked_ = false;
    }
}

void HostSession::Unlist() {
    if (!lobby_) return;
    lobby_->Publish(ListingTopic(code_), "", false);
    lobby_->Close();
    lobby_.reset();
}

GuestSession::GuestSession(std::unique_ptr<MqttLink> link, std::string code, RoomClock now)
    : RoomSession(std::move(link), std::move(code), std::move(now)), keys_(NewRoomKeyPair()) {
    if (!keys_) return;
    seat_ = SeatOf(keys_->pub);
    // The will, an empty knock, tells the host that the guest may be gone.
    link_->Open(code_, me_, KnockTopic(seat_), false);
    link_->Subscribe(RoomTopic());
    link_->Subscribe(Inbox(me_, "+"));
    // Sent once the link is up, behind the subscriptions: its echo comes after the room.
    link_->Publish(Inbox(me_, "ping"), "", false);
}

GuestSession::~GuestSession() = default;

void GuestSession::Pump() {
    if (!keys_) return;
    RoomSession::Pump();
    Step();
}

void GuestSession::Leave() {
    SendFrame(kLeaving);
}

std::string GuestSession::Refusal() const {
    if (!keys_) return "The room's keys could not be made";
    if (Down()) return Why();
    if (refused_) return "This room is already playing";
    if (peerGone_) return "The host closed the room";
    if (synced_ && !host_ && room_.empty()) return "No open room with this code";
    return "";
}

void GuestSession::Sort(const MqttLink::Message& m) {
    const std::optional<Where> where = Split(m.topic);
    if (!where) return;
    if (where->kind == Where::kRoom) {
        room_ = m.payload;
        if (host_ && room_ != std::string(kRoomVersion) + KeyBytes(*host_)) Hint();
        return;
    }
    if (where->kind != Where::kInbox || where->id != me_) return;  // not ours to read
    if (where->from == "ping") synced_ = true;
    if (where->from != "host") return;
    std::optional<std::string> plain;
    if (knocked_) plain = channel_->Open(m.payload);
    if (!plain) return Stranger();
    const char kind = (*plain)[0];
    if (kind == kTaken && !joined_ && IsClientId(plain->substr(1))) {
        joined_ = true;
        hostId_ = plain->substr(1);
        Note("Relay: joined the room");
    } else if (kind == kTurnedAway && !joined_) {
        refused_ = true;
    }
    FromPeer(kind, std::string_view(*plain).substr(1));
}

void GuestSession::Step() {
    if (!host_ && room_ != checked_) {
        // One check at a time: each costs the fingerprint's hash.
        checked_ = room_;
        const std::optional<RoomKey> key = room_.starts_with(kRoomVersion)
                                               ? KeyFrom(room_.substr(kRoomVersion.size()))
                                               : std::nullopt;
        if (key && RoomCodeOf(*key) == code_) channel_ = RoomChannel::ForGuest(*keys_, *key);
        if (channel_)
            host_ = key;
        else if (!room_.empty())
            Stranger();  // a room under this code that is not its host's
    }
    if (synced_ && host_ && !knocked_) {
        knocked_ = true;
        link_->Publish(KnockTopic(seat_), KeyBytes(keys_->pub) + channel_->Seal(kInboxIs, me_),
                       false);
    }
}

}  // namespace kb
