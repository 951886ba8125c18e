// Rooms on a relay, through a real mosquitto started for each test: two games meeting by code
// and playing to the result screen, the rooms' privacy, and the ends a match can come to.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "net/hand_room.h"
#include "net/protocol.h"
#include "net/room_game.h"
#include "net/test_certificates.h"

namespace kb::test {
namespace {

// Two games meet by code and play to the result. A third player with the code is turned away
// while the match goes on, and a code of no room is said to be one at once.
TEST(Rooms, TwoGamesMeetByCodeAndPlayToTheResult) {
    Broker broker;
    RoomGame host(broker.Url()), guest(broker.Url()), third(broker.Url()), lost(broker.Url());
    const std::string code = host.Host();
    ASSERT_EQ(RoomCodeIn(code).size(), 12u) << code;
    guest.Join(code);
    ASSERT_TRUE(InMatch(host, guest));
    EXPECT_EQ(host.TracedStartingWith("send "), (std::vector<std::string>{"send 00", "send 50"}));
    EXPECT_EQ(guest.TracedStartingWith("send "), std::vector<std::string>{"send 01"});

    third.Join(code);
    lost.Join("0000 0000 0001");
    EXPECT_TRUE(Await({&third.g, &lost.g, &host.g}, [&] {
        return NetworkProblem(third.g) == u"This room is already playing" &&
               NetworkProblem(lost.g) == u"No open room with this code";
    }));
    PlayToTheResult(host, guest);
}

// Strangers see nothing of a room: another room's code, wildcard user names, no user name, and
// codes guessed.
TEST(Rooms, NoOneReadsARoomWithoutItsCode) {
    Broker broker;
    RoomGame host(broker.Url()), guest(broker.Url());
    const std::string code = RoomCodeIn(host.Host());
    std::vector<std::unique_ptr<RawMqtt>> strangers;
    for (const char* user :
         {"123456789012", "#", "+", "kb/#", "lobby", "ask", static_cast<const char*>(nullptr)}) {
        strangers.push_back(
            std::make_unique<RawMqtt>(broker, user, "s" + std::to_string(strangers.size())));
        strangers.back()->Subscribe("#");
        strangers.back()->Subscribe("kb/" + code + "/#");
    }
    for (int i = 0; i < 20; ++i) {
        const std::string guess = GuessedCode();
        strangers.push_back(std::make_unique<RawMqtt>(broker, guess.c_str(), "g" + guess));
        strangers.back()->Subscribe("kb/" + guess + "/#");
        strangers.back()->Subscribe("kb/+/#");
    }
    guest.Join(code);
    ASSERT_TRUE(InMatch(host, guest));
    SendDataAdd(host.g, kCodeLaunch, u"3");
    ASSERT_TRUE(Await({&host.g, &guest.g}, [&] { return guest.g.s.EnMisState[3] == kMisFlying; }));
    for (auto& s : strangers) {
        EXPECT_TRUE(s->Connected());
        for (const RawMqtt::Message& m : s->Got()) ADD_FAILURE() << "a stranger read " << m.topic;
    }
}

// A peer that is killed, and a broker that goes away, end the match as a lost TCP connection
// does: the next message the game sends finds no connection.
TEST(Rooms, LostPeerOrBrokerEndsTheMatchAsALostConnection) {
    Broker broker;
    {
        RoomGame host(broker.Url());
        const auto guest = Driver(broker, host.Host());
        ASSERT_TRUE(Await(
            {&host.g},
            [&] { return host.g.s.SceneNo == kSceneMatch && host.g.s.SendList[0].empty(); },
            10000));
        guest->Kill();
        EXPECT_TRUE(EndsAsLost(host));
    }
    {
        TempDir dir;
        const std::string log = (dir.Path() / "host.log").string();
        const auto host = Driver(broker, "", log);
        const std::string code = CodeInLog(log);
        ASSERT_FALSE(code.empty());
        RoomGame guest(broker.Url());
        guest.Join(code);
        ASSERT_TRUE(Await(
            {&guest.g}, [&] { return guest.g.s.SceneNo == kSceneMatch; }, 10000));
        host->Kill();
        EXPECT_TRUE(EndsAsLost(guest));
    }
    RoomGame host(broker.Url()), guest(broker.Url());
    guest.Join(host.Host());
    ASSERT_TRUE(InMatch(host, guest));
    ASSERT_TRUE(Await({&host.g, &guest.g}, [&] { return host.g.s.SendList[0].empty(); }));
    broker.Kill();
    EXPECT_TRUE(EndsAsLost(host));
    EXPECT_TRUE(EndsAsLost(guest));
}

// A launch handed to the room just as the guest dies, before the host has heard of it,
// completes as a TCP send to a dead peer does; a later launch finds the connection gone and
// ends the match with Connect Lost, instead of queueing behind the first for ever.
TEST(Rooms, ASendInFlightWhenThePeerDiesCompletesAndALaterOneFails) {
    Broker broker;
    RoomGame host(broker.Url());
    const auto guest = Driver(broker, host.Host());
    ASSERT_TRUE(Await(
        {&host.g}, [&] { return host.g.s.SceneNo == kSceneMatch && host.g.s.SendList[0].empty(); },
        10000));
    guest->Kill();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));  // its will is at our door
    Fire_Mis(host.g, 0, kMySide);
    EXPECT_EQ(host.g.s.SendList[0], u"040");
    EXPECT_TRUE(Await({&host.g}, [&] { return host.g.s.SendList[0].empty(); }))
        << "the send in flight never completed";
    for (int i = 0; i < 15 && !host.g.ended; ++i) {
        Idle({&host.g}, 1000);
        Fire_Mis(host.g, 0, kMySide);
    }
    EXPECT_TRUE(host.g.ended);
    EXPECT_EQ(host.TracedStartingWith("msgbox Kanaburst|Connect Lost").size(), 1u);
}

// The same when the peer says it leaves just after a launch went out: the launch completes, and
// the next one ends the match.
TEST(Rooms, ASendInFlightWhenThePeerLeavesCompletesAndTheNextFails) {
    Broker broker;
    HandHost host(broker);
    RoomGame guest(broker.Url());
    guest.Join(host.Code());
    ASSERT_TRUE(Await({&guest.g}, [&] { return host.Knocked().has_value(); }));
    host.Take();
    host.Send('d', "00");
    host.Send('d', "50");
    ASSERT_TRUE(Await({&guest.g}, [&] {
        return guest.g.s.SceneNo == kSceneMatch && guest.g.s.SendList[0].empty() &&
               host.Received().size() == 1;
    }));
    Fire_Mis(guest.g, 2, kMySide);
    host.Send('q');
    std::this_thread::sleep_for(std::chrono::milliseconds(200));  // both are at the guest's door
    EXPECT_TRUE(Await({&guest.g}, [&] { return guest.g.s.SendList[0].empty(); }))
        << "the send in flight never completed";
    EXPECT_EQ(host.Received().back(), "d042");
    Fire_Mis(guest.g, 2, kMySide);
    EXPECT_TRUE(guest.g.ended);
    EXPECT_TRUE(guest.Traced("msgbox Kanaburst|Connect Lost\r\n→SendDataAdd(052)"));
}

// With every send out and reported and nothing come in, a room lets the loop sleep until
// something arrives instead of waking it at once (a busy loop).
TEST(Rooms, AConnectionAtRestLetsTheLoopSleep) {
    Broker broker;
    RoomGame host(broker.Url()), guest(broker.Url());
    guest.Join(host.Host());
    ASSERT_TRUE(InMatch(host, guest));
    ASSERT_TRUE(Await({&host.g, &guest.g},
                      [&] { return Delivered(host, guest) && Delivered(guest, host); }));
    for (RoomGame* side : {&host, &guest}) {
        std::atomic<int> wakes = 0;
        side->g.sv.winsock->WakeWhenDue([&] { ++wakes; });
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        side->g.sv.winsock->WakeWhenDue({});
        EXPECT_EQ(wakes, 0);
    }
}

// A host played by hand, from the protocol's description: the guest takes its bytes as it
// takes such bytes over TCP, even faulty ones, and a burst of ninety launches (as many as the
// relay lets one client send at once) arrives whole and in order; what the guest sends opens as
// the frames the host expects.
TEST(Rooms, AHostPlayedByHandAsOverTcp) {
    Broker broker;
    HandHost host(broker);
    RoomGame guest(broker.Url());
    guest.Join(host.Code());
    std::optional<std::string> seat;
    ASSERT_TRUE(Await({&guest.g}, [&] { return (seat = host.Knocked()).has_value(); }));
    host.Take();
    host.Send('d', "00");
    host.Send('d', "50");
    ASSERT_TRUE(Await({&guest.g}, [&] { return guest.g.s.SceneNo == kSceneMatch; }));
    ASSERT_TRUE(Await({&guest.g}, [&] { return host.Received().size() == 1; }));
    EXPECT_EQ(host.Received(), std::vector<std::string>{"d01"});
    guest.trace.clear();
    // A fault drops the rest of its arrival, as over TCP: the burst waits for it to be read.
    host.Send('d', "07x");
    EXPECT_TRUE(Await({&guest.g}, [&] { return guest.TracedStartingWith("log 2 ").size() == 2; }));
    EXPECT_EQ(guest.TracedStartingWith("log 2 "),
              (std::vector<std::string>{"log 2 No Command : 7 : x", "log 2 GetDataEr : x"}));
    for (int i = 0; i < 90; ++i) host.Send('d', "041");
    EXPECT_TRUE(Await({&guest.g}, [&] { return guest.g.s.EnMisPower[1] == 1 + 2 * 89; }));
    Fire_Mis(guest.g, 4, kMySide);
    EXPECT_TRUE(Await({&guest.g}, [&] { return host.Received().size() == 2; }));
    EXPECT_EQ(host.Received().back(), "d044");
    // Asked whether it is there, the guest answers; told the host leaves, its match is over.
    host.Send('p');
    EXPECT_TRUE(Await({&guest.g}, [&] { return host.Received().size() == 3; }));
    EXPECT_EQ(host.Received().back(), "k");
    host.Send('q');
    EXPECT_TRUE(EndsAsLost(guest));
}

// A room's code as a player types it: blanks, dashes or tabs between the digits, and nothing
// else; the quick word in any case.
TEST(Rooms, CodesAndTheQuickWordAsTyped) {
    const std::pair<const char*, const char*> typed[] = {
        {"1234 5678 9012", "123456789012"},
        {"1234-5678-9012", "123456789012"},
        {"\t123456789012 ", "123456789012"},
        {"1234 5678 901", ""},
        {"1234 5678 90123", ""},
        {"1234.5678.9012", ""},
    };
    for (const auto& [text, digits] : typed) EXPECT_EQ(RoomCodeIn(text), digits) << text;
    for (const char* word : {"quick", "Quick", " QUICK\t"}) EXPECT_TRUE(IsQuickMatch(word));
    for (const char* word : {"quic", "quickly", "q uick", "", "quick!"})
        EXPECT_FALSE(IsQuickMatch(word)) << word;
}

// The relay as a player writes it: host, port, brackets around IPv6, TLS with mqtts://;
// anything else names none.
TEST(Rooms, RelayAddressesAsWritten) {
    const struct {
        const char* text;
        const char* host;
        int port;
        bool tls;
    } rows[] = {
        {"relay.example", "relay.example", 1883, false},
        {"mqtt://relay.example:8883/", "relay.example", 8883, false},
        {"[::1]:1884", "::1", 1884, false},
        {"[::1]", "::1", 1883, false},
        {"::1", "::1", 1883, false},
        {"host:1", "host", 1, false},
        {"host:65535", "host", 65535, false},
        {"mqtts://relay.example", "relay.example", 8883, true},
        {"mqtts://relay.example:1883/", "relay.example", 1883, true},
        {"mqtts://[::1]", "::1", 8883, true},
    };
    for (const auto& row : rows) {
        const RelayAddress r = ParseRelayAddress(row.text);
        EXPECT_EQ(r.host, row.host) << row.text;
        EXPECT_EQ(r.port, row.port) << row.text;
        EXPECT_EQ(r.tls, row.tls) << row.text;
    }
    for (const char* none : {"host:65536", "host:0", "host:18a3", "host:-1", "[::1", ":1883",
                             "mqtts://", "mqtts://:1"})
        EXPECT_EQ(ParseRelayAddress(none).host, "") << none;
}

// Without a relay to reach the game says so and still serves over TCP.
TEST(Rooms, UnreachableRelayLeavesTcp) {
    RoomGame host("mqtt://127.0.0.1:" + std::to_string(UnusedPort()));
    host.Host();
    EXPECT_TRUE(Await({&host.g}, [&] {
        return NetworkProblem(host.g).starts_with(u"Cannot reach the relay mqtt://127.0.0.1:");
    }));
    RawPeer peer;
    ASSERT_TRUE(peer.ConnectTo(host.g.sv.gamePort));
    EXPECT_TRUE(Await({&host.g}, [&] { return peer.Receive(0, 2) == "00"; }));
}

// Over mqtts:// a game trusts the relay's certificate when an authority the machine trusts
// signed it for the name the player wrote: such a host meets a guest on plain MQTT and the
// match's bytes go both ways.
TEST(RoomsOverTls, AHostOverMqttsMeetsAGuestOverMqtt) {
    TestAuthority authority;
    const Broker broker({.tls = authority.Issue("relay", "DNS:localhost")});
    const ScopedEnv trust("SSL_CERT_FILE", authority.Certificate().c_str());
    RoomGame host(broker.TlsUrl("localhost")), guest(broker.Url());
    const std::string code = RoomCodeIn(host.Host());
    ASSERT_TRUE(RoomOpened(host, code, broker.Port())) << ToUtf8(NetworkProblem(host.g));
    guest.Join(code);
    ASSERT_TRUE(InMatch(host, guest)) << ToUtf8(NetworkProblem(host.g)) << broker.Log();
    ASSERT_TRUE(PlayUntil(host, guest, [&] { return guest.g.s.StartCount == 0; }));
    Fire_Mis(host.g, 2, kMySide);
    Fire_Mis(guest.g, 4, kMySide);
    EXPECT_TRUE(PlayUntil(host, guest, [&] {
        return guest.g.s.EnMisState[2] == kMisFlying && host.g.s.EnMisState[4] == kMisFlying;
    }));
}

// Every certificate a player must not trust, and a port that speaks no TLS, end the relay's
// link with a message saying which, where the relay's troubles show; the right certificate,
// for the name or the address the player wrote, opens the room.
TEST(RoomsOverTls, EachUntrustedCertificateSaysWhy) {
    TestAuthority authority;
    const ScopedEnv trust("SSL_CERT_FILE", authority.Certificate().c_str());
    const struct {
        const char* what;
        const char* names;  // the certificate's
        bool selfSigned;
        const char* host;  // as the player writes it
        const char* why;   // "" for a room opened
    } rows[] = {
        {"signed for the name", "DNS:localhost", false, "localhost", ""},
        {"signed for the address", "IP:127.0.0.1", false, "127.0.0.1", ""},
        {"another name", "DNS:relay.example", false, "localhost",
         "Cannot trust the relay mqtts://localhost:PORT: its certificate is for another name"},
        {"a name, not the address", "DNS:localhost", false, "127.0.0.1",
         "Cannot trust the relay mqtts://127.0.0.1:PORT: its certificate is for another name"},
        {"signed by itself", "DNS:localhost", true, "localhost",
         "Cannot trust the relay mqtts://localhost:PORT: its certificate is not signed by an "
         "authority this machine trusts"},
    };
    for (const auto& row : rows) {
        const Broker broker({.tls = authority.Issue("relay", row.names, row.selfSigned)});
        RoomGame host(broker.TlsUrl(row.host));
        const std::string code = RoomCodeIn(host.Host());
        const std::string port = std::to_string(broker.TlsPort());
        if (!*row.why) {
            EXPECT_TRUE(RoomOpened(host, code, broker.Port()))
                << row.what << ": " << ToUtf8(NetworkProblem(host.g));
            continue;
        }
        const std::u16string why = FromUtf8(std::regex_replace(row.why, std::regex("PORT"), port));
        EXPECT_TRUE(PollGames({&host.g}, [&] { return NetworkProblem(host.g) == why; }))
            << row.what << ": " << ToUtf8(NetworkProblem(host.g));
    }
    const auto unreachable = [](int port, const std::string& why) {
        return FromUtf8("Cannot reach the relay mqtts://127.0.0.1:" + std::to_string(port) + ": " +
                        why);
    };
    const Broker plain;
    const struct {
        int port;
        const char* why;
    } ports[] = {
        {plain.Port(), "it does not answer in TLS (is that its mqtts port?)"},
        {UnusedPort(), "Connection refused"},
    };
    for (const auto& [port, why] : ports) {
        RoomGame host("mqtts://127.0.0.1:" + std::to_string(port));
        host.Host();
        const std::u16string expected = unreachable(port, why);
        EXPECT_TRUE(PollGames({&host.g}, [&] { return NetworkProblem(host.g) == expected; }))
            << ToUtf8(NetworkProblem(host.g));
    }
    // Services that speak no TLS: one answers in plain text, one resets the connection once it
    // has the game's greeting.
    for (const bool reset : {false, true}) {
        RawListener service;
        RawPeer peer;
        RoomGame host("mqtts://127.0.0.1:" + std::to_string(service.Port()));
        host.Host();
        const std::u16string expected =
            unreachable(service.Port(), "it does not answer in TLS (is that its mqtts port?)");
        bool accepted = false, answered = false;
        EXPECT_TRUE(PollGames({&host.g},
                              [&] {
                                  accepted = accepted || service.TryAccept(peer);
                                  if (accepted && !answered && !peer.Receive(0).empty()) {
                                      if (reset) {
                                          peer.Reset();
                                      } else {
                                          peer.Send("HTTP/1.1 400 Bad Request\r\n\r\n");
                                          peer.Close();
                                      }
                                      answered = true;
                                  }
                                  return NetworkProblem(host.g) == expected;
                              }))
            << (reset ? "reset: " : "plain text: ") << ToUtf8(NetworkProblem(host.g));
    }
}

}  // namespace
}  // namespace kb::test
