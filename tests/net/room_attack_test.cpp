// A stranger who has a room's code, played with a plain MQTT client against a real broker: it
// reads every topic and payload the room shows, takes every name it sees for its own client
// id, writes forged and replayed messages everywhere, knocks, and sets up a host of its own.
// No match breaks and nothing of it is read.
#include <gtest/gtest.h>
#include <sodium.h>

#include <algorithm>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "net/hand_room.h"
#include "net/protocol.h"
#include "net/room_game.h"

namespace kb::test {
namespace {

// Everything a room has shown an attacker that could be a name: each level of each topic, and
// each payload as it is and in hex.
std::set<std::string> NamesIn(const std::vector<RawMqtt::Message>& seen) {
    std::set<std::string> names;
    for (const RawMqtt::Message& m : seen) {
        for (size_t start = 0;;) {
            const size_t slash = m.topic.find('/', start);
            names.insert(m.topic.substr(start, slash - start));
            if (slash == std::string::npos) break;
            start = slash + 1;
        }
        if (m.payload.empty()) continue;
        names.insert(m.payload);
        names.insert(Hex(m.payload));
    }
    std::erase_if(names, [](const std::string& n) { return n.empty() || n.size() > 64; });
    return names;
}

std::string RandomBytes(size_t n) {
    static std::mt19937 rng(7);
    std::string bytes(n, '\0');
    for (char& c : bytes) c = static_cast<char>(rng());
    return bytes;
}

// What a stranger writes on each topic: the game's own bytes in the clear (a launch, the end of
// the match, a countdown), nothing, and noise of a frame's sizes.
std::vector<std::string> Forgeries() {
    return {"",
            "040",
            "5110",
            "5100",
            "990",
            "00",
            "01",
            "50",
            RandomBytes(17),
            RandomBytes(19),
            RandomBytes(32),
            RandomBytes(35),
            RandomBytes(48)};
}

bool Lost(const RoomGame& game) {
    for (const std::string& line : game.TracedStartingWith("log 2 Relay: "))
        if (line.find("Lost the relay") != std::string::npos ||
            line.find("did not answer") != std::string::npos ||
            line.find("left") != std::string::npos)
            return true;
    return false;
}

// The whole attack on a match under way; then the match is played to its result.
TEST(RoomAttacks, AStrangerWithTheCodeBreaksNoMatchAndReadsNothing) {
    Broker broker;
    RoomGame host(broker.Url()), guest(broker.Url()), third(broker.Url());
    const std::string code = RoomCodeIn(host.Host());
    const std::string room = "kb/" + code + "/";
    // It listens from before the guest comes, under the room's code and under none.
    RawMqtt spy(broker, code.c_str(), "spy");
    spy.Subscribe("#");
    spy.Subscribe(room + "in/#");
    spy.Subscribe("$SYS/#");
    RawMqtt nameless(broker, nullptr, "nameless");
    nameless.Subscribe("#");
    guest.Join(code);
    ASSERT_TRUE(InMatch(host, guest));
    // Each side sends a text that only the other may read.
    SendDataAdd(host.g, 7, u"SECRETFROMHOST");
    SendDataAdd(guest.g, 7, u"SECRETFROMGUEST");
    ASSERT_TRUE(Await({&host.g, &guest.g}, [&] {
        return guest.Traced("log 2 No Command : 7 : SECRETFROMHOST") &&
               host.Traced("log 2 No Command : 7 : SECRETFROMGUEST");
    }));
    const std::vector<RawMqtt::Message> seen = spy.Got();
    // All it sees is the host's key and the guest's knock.
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].topic, room + "room");
    EXPECT_TRUE(seen[1].topic.starts_with(room + "knock/")) << seen[1].topic;

    // Every name seen, as a client id: with the code, with another code, with none.
    std::vector<std::unique_ptr<RawMqtt>> takers;
    for (const std::string& name : NamesIn(seen)) {
        takers.push_back(std::make_unique<RawMqtt>(broker, code.c_str(), name));
        takers.push_back(std::make_unique<RawMqtt>(broker, nullptr, name + "x"));
    }
    RawMqtt taker(broker, "000000000000", "spy2");
    // Forged messages on every topic seen and on the ones the protocol names, under every seat
    // seen; the room emptied and set to a key of the stranger's; the guest's will.
    std::set<std::string> topics;
    for (const RawMqtt::Message& m : seen) topics.insert(m.topic);
    for (const std::string& name : NamesIn(seen)) {
        if (name.size() != 16 && name.size() != 32) continue;  // a seat, or an id's length
        topics.insert(room + "knock/" + name);
        topics.insert(room + "in/" + name + "/host");
        for (const std::string& other : NamesIn(seen))
            if (other.size() == 16) topics.insert(room + "in/" + name + "/" + other);
        for (const char* kind : {"h", "g", "d", "gone", "bye", "accept", "refuse"})
            topics.insert(room + name + "/" + kind);
    }
    for (const std::string& topic : topics)
        for (const std::string& forged : Forgeries()) spy.Publish(topic, forged);
    Key fake{}, fakeSecret{};
    crypto_kx_keypair(fake.data(), fakeSecret.data());
    spy.Publish(room + "room", "", true);
    spy.Publish(room + "room", "kb1" + Bytes(fake), true);
    // Every message seen, again, in order and then backwards.
    for (const RawMqtt::Message& m : seen) spy.Publish(m.topic, m.payload, m.retained);
    for (auto m = seen.rbegin(); m != seen.rend(); ++m) spy.Publish(m->topic, m->payload);
    // A third player knocks.
    third.Join(code);

    // Long enough for any side that took the noise for its peer leaving to give up on it.
    Idle({&host.g, &guest.g, &third.g}, 6000);
    EXPECT_EQ(NetworkProblem(third.g), u"This room is already playing");
    EXPECT_EQ(host.g.sv.winsock->State(), SocketState::kConnected);
    EXPECT_EQ(guest.g.sv.winsock->State(), SocketState::kConnected);
    // A client that took a game's id would have dropped the game's link: none did.
    EXPECT_FALSE(Lost(host) || Lost(guest));
    EXPECT_EQ(guest.g.s.EnMisState, host.g.s.MyMisState) << "a forged launch was taken";
    EXPECT_EQ(host.g.s.EnMisState, guest.g.s.MyMisState) << "a forged launch was taken";
    // The host heard the forged knocks and put its room back; nothing reached the guest.
    EXPECT_FALSE(host.TracedStartingWith("log 2 Relay: dropped").empty());
    PlayToTheResult(host, guest);

    // Nothing any of them received holds a secret, or the game's bytes as they were sent.
    std::vector<RawMqtt::Message> all = spy.Got();
    for (RawMqtt* r : {&nameless, &taker}) {
        const auto got = r->Got();
        all.insert(all.end(), got.begin(), got.end());
    }
    for (const auto& t : takers) {
        const auto got = t->Got();
        all.insert(all.end(), got.begin(), got.end());
    }
    for (const RawMqtt::Message& m : all) {
        EXPECT_EQ(m.payload.find("SECRET"), std::string::npos) << m.topic;
        EXPECT_FALSE(m.topic.starts_with("$SYS")) << m.topic;
        // What the games send each other goes where no stranger reads.
        EXPECT_FALSE(m.topic.starts_with(room + "in/") && !m.topic.ends_with("/ping")) << m.topic;
    }
    for (const std::string& line : host.TracedStartingWith("send "))
        for (const RawMqtt::Message& m : seen) EXPECT_NE(m.payload, line.substr(5)) << m.topic;
}

// A guest's will is an empty knock under its seat, which anyone with the code can send: under
// another seat it makes the host ask nothing; under the guest's own the host asks the guest
// whether it is still there (and the guest answers: the whole attack above waits that out).
TEST(RoomAttacks, AWillUnderAnotherSeatAsksNothing) {
    Broker broker;
    RoomGame host(broker.Url()), guest(broker.Url());
    const std::string code = RoomCodeIn(host.Host());
    RawMqtt spy(broker, code.c_str(), "spy");
    spy.Subscribe("kb/" + code + "/knock/+");
    guest.Join(code);
    ASSERT_TRUE(InMatch(host, guest));
    std::string seat;
    ASSERT_TRUE(Await({&host.g, &guest.g}, [&] {
        for (const RawMqtt::Message& m : spy.Got())
            if (!m.payload.empty()) seat = m.topic.substr(m.topic.rfind('/') + 1);
        return !seat.empty();
    }));
    const auto asked = [&] { return !host.TracedStartingWith("log 2 Relay: asking").empty(); };
    spy.Publish("kb/" + code + "/knock/0123456789abcdef", "");
    Idle({&host.g, &guest.g}, 500);
    EXPECT_FALSE(asked());
    spy.Publish("kb/" + code + "/knock/" + seat, "");
    EXPECT_TRUE(Await({&host.g, &guest.g}, asked));
}

// A stranger with a code and no room behind it sets up a host of its own under that code and
// plays it to the letter for any guest that knocks: the guest never takes it for the room's
// host, whose key alone has the code's fingerprint, and never knocks.
TEST(RoomAttacks, AHostOfAStrangersOwnUnderAnotherCodeIsNeverJoined) {
    Broker broker;
    const std::string code = GuessedCode();
    HandHost impostor(broker, code);
    RoomGame guest(broker.Url());
    guest.Join(code);
    bool knocked = false;
    const auto answerKnocks = [&] {
        if (!knocked && impostor.Knocked()) {
            knocked = true;
            impostor.Take();
            impostor.Send('d', "00");
            impostor.Send('d', "50");
        }
    };
    // The guest weighs the stranger's key and drops it; a second more for a knock to show.
    EXPECT_TRUE(Await(
        {&guest.g},
        [&] {
            answerKnocks();
            return knocked || !guest.TracedStartingWith("log 2 Relay: dropped").empty();
        },
        10000));
    Await(
        {&guest.g},
        [&] {
            answerKnocks();
            return false;
        },
        1000);
    EXPECT_FALSE(knocked) << "the guest knocked on a stranger's key";
    EXPECT_NE(guest.g.s.SceneNo, kSceneMatch);
}

// A stranger who has a waiting room's code writes a key of its own over the room just before a
// guest comes: the host puts its room back, and the guest joins the host.
TEST(RoomAttacks, ARoomOverwrittenBeforeTheGuestComesIsPutBack) {
    Broker broker;
    RoomGame host(broker.Url()), guest(broker.Url());
    const std::string code = RoomCodeIn(host.Host());
    ASSERT_TRUE(Await({&host.g}, [&] {
        return host.Traced("log 2 Relay: room " + ShownRoomCode(code) + " open");
    }));
    RawMqtt stranger(broker, code.c_str(), "stranger");
    Key key{}, secret{};
    crypto_kx_keypair(key.data(), secret.data());
    stranger.Publish("kb/" + code + "/room", "", true);
    stranger.Publish("kb/" + code + "/room", "kb1" + Bytes(key), true);
    Idle({&host.g}, 300);
    guest.Join(code);
    EXPECT_TRUE(InMatch(host, guest));
    EXPECT_TRUE(host.Traced("log 2 ConnectionRequest"));
}

}  // namespace
}  // namespace kb::test
