#pragma once
// A room's protocol, on one link to the relay: the host's side and a guest's.
//
// Every client gives its room's code as its MQTT user name and a random client id (32 hex
// digits) that no one else learns but its peer, inside a sealed frame. The broker lets it read,
// of its room, only the room's key, the knocks and its own inbox, the topics under its client
// id; so no one else can take its connection over, write to it, or see what it is sent.
//   kb/CODE/room          retained "kb1" and the host's public key (32 bytes) while the room
//                         takes guests; emptied when it stops, and by the host's will
//   kb/CODE/knock/SEAT    a guest asks in: its public key (32 bytes) and its first frame, of
//                         kind 'i' with its client id; empty, the guest's will. SEAT is the
//                         first 8 bytes of the key in hex (room_crypto.h)
//   kb/CODE/in/ID/FROM    frames to client ID: from the host (FROM "host") or from the guest at
//                         seat FROM; a guest's echo to itself (FROM "ping", empty), which once
//                         back says that the retained room has arrived
// A frame (room_crypto.h) holds one kind byte and a body:
//   'i' the guest's client id (in its knock)   'a' the knock is taken; the host's client id
//   'r' the knock is turned away               'd' the game's bytes
//   'q' the sender leaves                      'p' are you there?   'k' here (answers 'p')
// A guest knocks only on a room whose key has the code's fingerprint. Anyone with the code can
// write the room and knocks, and nothing of theirs that does not open as the next frame of a
// peer counts: such a message is dropped and noted as a stranger's. An empty or changed room,
// or a guest's will, says only that the peer may be gone: the other side asks ('p'), and takes
// the peer for gone when no frame of it opens within five seconds. A host whose room is
// overwritten while it takes guests puts it back.
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/room/mqtt_link.h"
#include "platform/room/room_crypto.h"
#include "platform/room/room_lobby.h"

namespace kb {

// What one side of a room does whatever its role: the link, the peer's frames, the checks on a
// peer that may be gone, and the notes for the debug log.
class RoomSession {
  public:
    RoomSession(std::unique_ptr<MqttLink> link, std::string code, RoomClock now);
    virtual ~RoomSession();
    RoomSession(const RoomSession&) = delete;
    RoomSession& operator=(const RoomSession&) = delete;

    // Runs the link and acts on what came in.
    virtual void Pump();
    // The room's code, digits only.
    const std::string& Code() const { return code_; }
    // The link to the relay has gone down; Why says why.
    bool Down() const { return down_; }
    std::string Why() const { return link_->Why(); }
    // The peer said it leaves, or did not answer when asked.
    bool PeerGone() const { return peerGone_; }
    // Sends the game's bytes to the peer, if there is one.
    void SendData(std::string_view data);
    // The peer's bytes received and not yet taken.
    std::string TakeData();
    size_t DataWaiting() const { return data_.size(); }
    // Everything sent so far has been handed to the network.
    bool Flushed() const { return link_->Flushed(); }
    // Wakes the loop when the link has something.
    virtual void WakeWhenDue(const Waker& wake);
    // Adds a line for the debug log.
    void Note(std::string text) { notices_.push_back(std::move(text)); }
    // The lines for the debug log since the last call.
    std::vector<std::string> TakeNotices();

  protected:
    // Frame kinds.
    static constexpr char kInboxIs = 'i', kTaken = 'a', kTurnedAway = 'r', kData = 'd',
                          kLeaving = 'q', kAsk = 'p', kHere = 'k';
    static constexpr std::string_view kRoomVersion = "kb1";

    // Acts on one message of the room.
    virtual void Sort(const MqttLink::Message& m) = 0;
    // The channel to the peer and where its frames go; null while there is no peer.
    virtual RoomChannel* PeerChannel() = 0;
    // The topic the peer's frames are published to.
    virtual std::string PeerTopic() const = 0;

    // What a topic of this room is: the room, a knock (`seat`), or a frame to client `id` from
    // `from`.
    struct Where {
        enum Kind { kRoom, kKnock, kInbox } kind;
        std::string seat, id, from;
    };
    std::string RoomTopic() const { return "kb/" + code_ + "/room"; }
    std::string KnockTopic(const std::string& seat) const {
        return "kb/" + code_ + "/knock/" + seat;
    }
    std::string Inbox(const std::string& id, const std::string& from) const {
        return "kb/" + code_ + "/in/" + id + "/" + from;
    }
    // None for a topic of another room, or of none.
    std::optional<Where> Split(std::string_view topic) const;
    // A frame of the peer's, opened: the kinds both sides take.
    void FromPeer(char kind, std::string_view body);
    // Something says the peer may be gone: ask it.
    void Hint();
    // Seals a frame of this kind and publishes it to the peer.
    void SendFrame(char kind, std::string_view body = {});
    // A message that is nobody's we know.
    void Stranger() { ++strangers_; }
    // A clean start with a new peer.
    void ForgetPeer();

    std::unique_ptr<MqttLink> link_;
    const std::string code_;
    const std::string me_;  // our client id
    RoomClock now_;
    std::string data_;
    bool peerGone_ = false;

  private:
    bool down_ = false;
    std::optional<int64_t> askedUntil_;      // the peer was asked and must answer by then
    int strangers_ = 0;                      // dropped, not yet noted
    std::optional<int64_t> strangersNoted_;  // when the last note about them was made
    std::vector<std::string> notices_;
};

// The host's side: a room that takes knocks, and the guest it took.
class HostSession : public RoomSession {
  public:
    // Opens the room on the link with these keys (code: the public key's fingerprint). With a
    // lobby link the room is also listed, for as long as it waits for a guest.
    HostSession(std::unique_ptr<MqttLink> link, RoomKeyPair keys, std::string code, RoomClock now,
                std::unique_ptr<MqttLink> lobby = {}, RoomListing listing = {});
    ~HostSession() override;

    void Pump() override;
    void WakeWhenDue(const Waker& wake) override;
    // Takes no more guests: the room is emptied, knocks not yet raised are turned away and the
    // listing ends. A guest already taken stays.
    void StopListening();
    // The next knock to raise, by seat.
    std::optional<std::string> NextKnock();
    // The guest at this seat becomes the peer (told with 'a'); the one before is left first.
    void Take(const std::string& seat);
    // The guest at this seat is turned away (told with 'r').
    void TurnAway(const std::string& seat);
    // Leaves the peer (told with 'q').
    void LeavePeer();
    // The peer's seat; empty for none.
    const std::string& Peer() const { return peer_; }

  private:
    void Sort(const MqttLink::Message& m) override;
    RoomChannel* PeerChannel() override;
    std::string PeerTopic() const override;
    // A guest knocks from its seat with its key; a seat not its key's, or a second knock, is a
    // stranger's.
    void Knock(const std::string& seat, std::string_view knock);
    // A sealed frame from a seat, opened with that guest's channel: the peer's go to the game.
    void FromGuest(const std::string& seat, std::string_view frame);
    // Drops the seat's guest and its knock.
    void Forget(const std::string& seat);
    // Answers the lobby's asks with the room's listing while it waits; Unlist takes it down.
    void PumpLobby();
    void Unlist();

    const RoomKeyPair keys_;
    const std::string room_;  // the retained room message
    bool listening_ = true;
    struct Guest {
        RoomChannel channel;
        std::string id;  // its client id: its inbox
    };
    std::map<std::string, Guest> guests_;  // by seat: knocked, not yet answered; the peer
    std::set<std::string> knocked_;        // every seat that knocked, once only
    std::deque<std::string> knocks_;       // not yet raised
    std::string peer_;

    std::unique_ptr<MqttLink> lobby_;
    const RoomListing listing_;
    const int64_t openedAt_;
    std::optional<int64_t> answered_;  // when the lobby last had an answer
    // An ask not yet answered. A room that opens tells the lobby once unasked: a look already
    // under way may have asked before the room could hear it.
    bool asked_ = true;
};

// A guest's side: finds the room's host, knocks, and once taken talks to it.
class GuestSession : public RoomSession {
  public:
    GuestSession(std::unique_ptr<MqttLink> link, std::string code, RoomClock now);
    ~GuestSession() override;

    void Pump() override;
    // Leaves: the host is told ('q') if it had the knock.
    void Leave();
    // The host took the knock.
    bool Joined() const { return joined_; }
    // Why the room cannot be joined; empty while it still may be.
    std::string Refusal() const;

  private:
    void Sort(const MqttLink::Message& m) override;
    // The host is reached once it has said where: in the frame that takes the knock.
    RoomChannel* PeerChannel() override { return joined_ ? &*channel_ : nullptr; }
    std::string PeerTopic() const override { return Inbox(hostId_, seat_); }
    // Checks the latest room seen against the code, and knocks once it may.
    void Step();

    std::optional<RoomKeyPair> keys_;
    std::string seat_;
    std::string room_;     // the latest retained room message seen
    std::string checked_;  // the last one checked against the code
    std::optional<RoomKey> host_;
    std::optional<RoomChannel> channel_;
    std::string hostId_;  // the host's client id, once it has taken the knock
    bool synced_ = false, knocked_ = false, joined_ = false, refused_ = false;
};

}  // namespace kb
