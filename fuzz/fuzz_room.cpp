// Any traffic a relay can bring into a room, against both sides of it: a host whose listener
// is offered every knock, and a guest that typed the code. The relay is an in-memory broker
// that carries what the two publish to each other; the input adds to it, record by record:
// forged messages under any topic of the room, every message seen so far replayed (on its own
// topic or another), knocks of strangers with keys of their own, links going down, time
// passing, and the sides closing and starting again. Checked: nothing is read but what the
// peer sent, and never more of it than was sent (a replay that opened would show); a
// connection counts as connected only while sends are taken.
#include <sodium.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/room/room_code.h"
#include "platform/room/room_crypto.h"
#include "platform/room/room_transport.h"

namespace {

// The same keys for the same input: libsodium's randomness, drawn from a seed that each input
// starts again.
uint64_t g_draws = 0;
void DrawBytes(void* buf, size_t size) {
    unsigned char seed[randombytes_SEEDBYTES] = {};
    std::memcpy(seed, &g_draws, sizeof g_draws);
    ++g_draws;
    randombytes_buf_deterministic(buf, size, seed);
}
uint32_t DrawNumber() {
    uint32_t n;
    DrawBytes(&n, sizeof n);
    return n;
}
const char* DrawName() {
    return "fuzz";
}
randombytes_implementation g_deterministic = {DrawName, DrawNumber, nullptr,
                                              nullptr,  DrawBytes,  nullptr};
// Before the library starts, which the rooms do on first use.
const int kDeterministic = randombytes_set_implementation(&g_deterministic);

class ScriptedLink;

// The broker between the links: what one publishes reaches every link that is up (its own echo
// included), the last retained message of each topic reaches a link that comes later, and
// everything is logged for replays.
struct Relay {
    std::vector<ScriptedLink*> links;
    std::vector<kb::MqttLink::Message> retained, log;
    void Publish(const std::string& topic, const std::string& payload, bool retain);
};

class ScriptedLink : public kb::MqttLink {
  public:
    explicit ScriptedLink(Relay& relay) : relay_(relay) { relay_.links.push_back(this); }
    ~ScriptedLink() override { std::erase(relay_.links, this); }
    void Open(const std::string&, const std::string& id, const std::string& will, bool) override {
        id_ = id;
        will_ = will;
        inbox = relay_.retained;
    }
    State LinkState() const override { return state_; }
    std::string Why() const override { return "gone"; }
    void Subscribe(const std::string&) override {}
    void Publish(const std::string& topic, const std::string& payload, bool retain) override {
        if (state_ != State::kDown) relay_.Publish(topic, payload, retain);
    }
    bool Flushed() const override { return state_ == State::kUp; }
    void Poll(std::vector<Message>& in) override {
        if (state_ == State::kDown) inbox.clear();
        for (Message& m : inbox) in.push_back(std::move(m));
        inbox.clear();
    }
    void WakeWhenDue(const kb::Waker&) override {}
    void Close() override { state_ = State::kDown; }

    const std::string& Id() const { return id_; }
    const std::string& Will() const { return will_; }
    State state_ = State::kUp;
    std::vector<Message> inbox;

  private:
    Relay& relay_;
    std::string id_, will_;
};

void Relay::Publish(const std::string& topic, const std::string& payload, bool retain) {
    for (ScriptedLink* link : links)
        if (link->state_ != kb::MqttLink::State::kDown) link->inbox.push_back({topic, payload});
    if (log.size() < 4096) log.push_back({topic, payload});
    if (!retain) return;
    std::erase_if(retained, [&](const kb::MqttLink::Message& m) { return m.topic == topic; });
    if (!payload.empty()) retained.push_back({topic, payload});
}

// The links each side made last: the room's, and the guest's.
ScriptedLink* g_lastLink = nullptr;

class ScriptedMaker : public kb::MqttLinkMaker {
  public:
    explicit ScriptedMaker(Relay& relay) : relay_(relay) {}
    std::unique_ptr<kb::MqttLink> NewLink(const std::string&) override {
        auto link = std::make_unique<ScriptedLink>(relay_);
        g_lastLink = link.get();
        return link;
    }

  private:
    Relay& relay_;
};

// The game's side of one control: the host takes a knock when the round says so.
class Events : public kb::SocketEvents {
  public:
    explicit Events(kb::SocketControl* taker) : taker_(taker) {}
    void ConnectionRequest(int32_t id) override {
        if (taker_ && take) taker_->Accept(id);
    }
    bool take = false;
    void SendComplete() override {}
    void DataArrival(int32_t) override {}
    void Notice(const std::string&) override {}

  private:
    kb::SocketControl* taker_;
};

// One side: its control, what it has sent and what it has read.
struct Side {
    kb::SocketControl* control;
    size_t sent = 0, read = 0;
};

// Sends go through exactly while connected; every byte read is one the other side sent.
void Check(Side& side, const Side& other) {
    const std::string data = side.control->GetData();
    if (data.find_first_not_of('P') != std::string::npos) std::abort();
    side.read += data.size();
    if (side.read > other.sent) std::abort();
    const bool connected = side.control->State() == kb::SocketState::kConnected;
    if (side.control->SendData("P") != connected) std::abort();
    if (connected) ++side.sent;
}

// The host's key, from its retained room; none once the room has closed.
std::optional<kb::RoomKey> HostKeyIn(const Relay& relay, const std::string& room) {
    for (const kb::MqttLink::Message& m : relay.retained)
        if (m.topic == room + "room" && m.payload.starts_with("kb1"))
            return kb::KeyFrom(std::string_view(m.payload).substr(3));
    return std::nullopt;
}

// The seat of a guest's link, from its will (kb/CODE/knock/SEAT).
std::string SeatOf(const ScriptedLink* link) {
    return link->Will().substr(link->Will().rfind('/') + 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (kDeterministic != 0) std::abort();
    g_draws = 0;
    int64_t now = 0;
    Relay relay;
    const kb::RoomOptions options{.now = [&now] { return now; }};
    kb::RoomTransport hostSide(std::make_unique<ScriptedMaker>(relay), options);
    kb::RoomTransport guestSide(std::make_unique<ScriptedMaker>(relay), options);
    auto listener = hostSide.NewListener();
    auto hostConnection = hostSide.NewConnection();
    auto guest = guestSide.NewConnection();
    std::string why;
    listener->Listen(why);
    ScriptedLink* hostLink = g_lastLink;
    const std::string hostId = hostLink->Id();
    const std::string code = kb::RoomCodeIn(listener->RoomCode());
    guest->SetRemoteHost(listener->RoomCode());
    guest->Connect();
    ScriptedLink* guestLink = g_lastLink;
    std::string guestId = guestLink->Id(), guestSeat = SeatOf(guestLink);
    Events hostEvents(hostConnection.get()), plain(nullptr);
    Side host{hostConnection.get()}, visitor{guest.get()};

    for (size_t i = 0; i + 3 <= size;) {
        const uint8_t what = data[i], parts = data[i + 1];
        const size_t length = std::min<size_t>(data[i + 2] % 48, size - i - 3);
        std::string payload(reinterpret_cast<const char*>(data + i + 3), length);
        i += 3 + length;
        ScriptedLink* link = what & 1 ? guestLink : hostLink;
        // A link its side has closed is gone from the relay: nothing reaches it any more.
        if (std::find(relay.links.begin(), relay.links.end(), link) == relay.links.end())
            link = nullptr;
        // A topic of the room: its key, a knock, an inbox (the host's, the guest's, a
        // stranger's) from someone (the host, the guest's seat, a stranger), or none.
        const std::string room = "kb/" + code + "/";
        const std::string names[] = {guestSeat,
                                     "0123456789abcdef",
                                     hostId,
                                     guestId,
                                     "host",
                                     "ping",
                                     payload.size() >= 16 ? payload.substr(0, 16) : "+"};
        const std::string& name = names[(parts & 7) % std::size(names)];
        const std::string& from = names[(parts >> 3 & 7) % std::size(names)];
        const std::string topics[] = {room + "room", room + "knock/" + name,
                                      room + "in/" + name + "/" + from, room + name};
        const std::string& topic = topics[parts >> 6];
        switch ((what >> 1) & 7) {
            case 1:  // a forgery
                if (link) link->inbox.push_back({topic, payload});
                break;
            case 2:  // a message seen before, again
                if (link && !relay.log.empty())
                    link->inbox.push_back(relay.log[parts % relay.log.size()]);
                break;
            case 3:  // a message seen before, under another topic
                if (link && !relay.log.empty())
                    link->inbox.push_back({topic, relay.log[parts % relay.log.size()].payload});
                break;
            case 4:
                if (link) link->state_ = kb::MqttLink::State::kDown;
                break;
            case 5:
                now += 100 * (parts & 0x7F);
                break;
            case 6:  // a stranger knocks with a key of its own, as a guest would
                if (const auto keys = kb::NewRoomKeyPair()) {
                    std::optional<kb::RoomChannel> channel;
                    if (const auto hostKey = HostKeyIn(relay, room))
                        channel = kb::RoomChannel::ForGuest(*keys, *hostKey);
                    if (channel)
                        relay.Publish(
                            room + "knock/" + kb::SeatOf(keys->pub),
                            kb::KeyBytes(keys->pub) + channel->Seal('i', kb::NewClientId()), false);
                }
                break;
            case 7:  // raw bytes for a topic
                if (link) link->inbox.push_back({payload, payload});
                break;
            default:
                break;
        }
        hostEvents.take = (what & 0x10) != 0;
        listener->Poll(hostEvents);
        hostConnection->Poll(plain);
        guest->Poll(plain);
        Check(host, visitor);
        Check(visitor, host);
        if (what & 0x20) hostConnection->Close();
        if (what & 0x40) listener->Close();
        if (what & 0x80) {
            // The guest starts again: what it reads from now on is counted anew.
            guest->Close();
            guest->Connect();
            guestLink = g_lastLink;
            guestId = guestLink->Id();
            guestSeat = SeatOf(guestLink);
            visitor.read = 0;
            host.sent = 0;
        }
    }
    return 0;
}
