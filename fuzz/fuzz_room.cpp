// Any traffic a relay can bring into a room, against both sides of it: a host whose listener
// takes every knock it is offered, and a guest that typed the code. The relay is played by the
// input: each record delivers one message (a topic made from a few known parts or raw bytes,
// and a payload) to the host's link or the guest's, or takes a link down; the game's side sends
// and reads between records. Checked: nothing but the peer's own bytes is ever read, a
// connection counts as connected only with a peer, and nothing is sent on one that is not.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/room/room_code.h"
#include "platform/room/room_transport.h"

namespace {

class ScriptedLink;

// The broker between the links: what one publishes reaches every link that is up (its own
// echo included, as a subscription to the whole room gives it), and the last retained message
// of each topic reaches a link that comes later.
struct Relay {
    std::vector<ScriptedLink*> links;
    std::vector<kb::MqttLink::Message> retained;
    void Publish(const std::string& topic, const std::string& payload, bool retain);
    ScriptedLink* Find(const std::string& id);
};

class ScriptedLink : public kb::MqttLink {
  public:
    explicit ScriptedLink(Relay& relay) : relay_(relay) { relay_.links.push_back(this); }
    ~ScriptedLink() override { std::erase(relay_.links, this); }
    void Open(const std::string&, const std::string& id, const std::string&, bool) override {
        id_ = id;
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
    State state_ = State::kUp;
    std::vector<Message> inbox;

  private:
    Relay& relay_;
    std::string id_;
};

void Relay::Publish(const std::string& topic, const std::string& payload, bool retain) {
    for (ScriptedLink* link : links)
        if (link->state_ != kb::MqttLink::State::kDown) link->inbox.push_back({topic, payload});
    if (!retain) return;
    std::erase_if(retained, [&](const kb::MqttLink::Message& m) { return m.topic == topic; });
    if (!payload.empty()) retained.push_back({topic, payload});
}

// A link that the room closed is gone: look it up by its client id each time.
ScriptedLink* Relay::Find(const std::string& id) {
    for (ScriptedLink* link : links)
        if (link->Id() == id) return link;
    return nullptr;
}

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

// The game's side of one control: the host takes the knock of the guest it knows, and turns
// strangers away.
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

// A peer's bytes start with 'P'; anyone else's with 'X', which must never be read.
void CheckRead(kb::SocketControl& c) {
    const std::string data = c.GetData();
    if (data.find('X') != std::string::npos) std::abort();
}

void CheckState(kb::SocketControl& c) {
    if (c.State() == kb::SocketState::kConnected && !c.SendData("P")) std::abort();
    if (c.State() != kb::SocketState::kConnected && c.SendData("P")) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Relay relay;
    kb::RoomTransport hostSide(std::make_unique<ScriptedMaker>(relay));
    kb::RoomTransport guestSide(std::make_unique<ScriptedMaker>(relay));
    auto listener = hostSide.NewListener();
    auto hostConnection = hostSide.NewConnection();
    auto guest = guestSide.NewConnection();
    std::string why;
    listener->Listen(why);
    const std::string hostId = g_lastLink->Id();
    const std::string code = kb::RoomCodeIn(listener->RoomCode());
    guest->SetRemoteHost(listener->RoomCode());
    guest->Connect();
    const std::string guestId = g_lastLink->Id();
    Events hostEvents(hostConnection.get()), plain(nullptr);

    static const char* const kKinds[] = {"room", "knock", "accept", "refuse", "d",
                                         "bye",  "gone",  "ping",   "junk"};
    for (size_t i = 0; i + 3 <= size;) {
        const uint8_t what = data[i], parts = data[i + 1];
        const size_t length = std::min<size_t>(data[i + 2] % 16, size - i - 3);
        std::string payload(reinterpret_cast<const char*>(data + i + 3), length);
        std::replace(payload.begin(), payload.end(), 'X', '.');  // 'X' marks a stranger's bytes
        i += 3 + length;
        ScriptedLink* link = relay.Find(what & 1 ? guestId : hostId);
        const std::string& otherId = what & 1 ? hostId : guestId;
        hostEvents.take = false;
        if (!link) {
            // Its room has closed it: nothing reaches it any more.
        } else if ((what & 0x0E) == 0x0E) {
            link->state_ = kb::MqttLink::State::kDown;
        } else if ((what & 0x0E) != 0) {
            // A message from the other side, from ourselves, or from a stranger in the room; or
            // raw bytes as its topic.
            const std::string from = (parts & 3) == 0   ? otherId
                                     : (parts & 3) == 1 ? link->Id()
                                                        : "kbstranger" + std::to_string(parts & 3);
            const std::string kind = kKinds[(parts >> 2) % std::size(kKinds)];
            // The relay lets no one write in another's name: data under the other side's id is
            // that side's own (read once it is the peer), anyone else's must never be read.
            if (kind == "d") payload.insert(payload.begin(), from == otherId ? 'P' : 'X');
            // An accept, a refuse or a bye naming the guest in the room.
            if ((kind == "accept" || kind == "refuse" || kind == "bye") && (what & 0x10))
                payload = guestId;
            const std::string topic =
                (parts & 0xC0) == 0xC0 ? payload : "kb/" + code + "/" + from + "/" + kind;
            link->inbox.push_back({topic, payload});
        }
        // The host takes a knock only in a round that brought none but the guest's.
        hostEvents.take = true;
        if (ScriptedLink* host = relay.Find(hostId))
            for (const auto& m : host->inbox)
                if (m.topic.ends_with("/knock") &&
                    m.topic != "kb/" + code + "/" + guestId + "/knock")
                    hostEvents.take = false;
        listener->Poll(hostEvents);
        hostConnection->Poll(plain);
        guest->Poll(plain);
        CheckRead(*hostConnection);
        CheckRead(*guest);
        CheckState(*hostConnection);
        CheckState(*guest);
        if (what & 0x20) hostConnection->Close();
        if (what & 0x40) listener->Close();
    }
    return 0;
}
