// Rooms on a relay, through a real mosquitto started for each test: two games meeting by code
// and playing to the result screen, the rooms' privacy, and the ends a match can come to.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "app/machine.h"
#include "battle/missiles.h"
#include "net/connection.h"
#include "net/protocol.h"
#include "net/relay_broker.h"
#include "net/room_game.h"
#include "net/test_certificates.h"
#include "platform/address_window.h"
#include "platform/mosquitto/mosquitto_link.h"
#include "platform/room/room_code.h"
#include "platform/switchboard.h"
#include "shell/main_loop.h"
#include "shell/scenes.h"
#include "sim_runner.h"
#include "text/ustr.h"
#include "typing/key_codes.h"

namespace kb::test {
namespace {

// The guest's missile, reinforced five times, gets through: the host's game decides the match
// and both sides end on the result screen. A third player with the code is turned away while
// the match goes on, and a code of no room is said to be one at once.
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
    EXPECT_TRUE(PollGames({&third.g, &lost.g, &host.g}, [&] {
        return NetworkProblem(third.g) == u"This room is already playing" &&
               NetworkProblem(lost.g) == u"No open room with this code";
    }));

    ASSERT_TRUE(PlayUntil(host, guest, [&] { return guest.g.s.StartCount == 0; }));
    for (int i = 0; i < 5; ++i) Fire_Mis(guest.g, 0, kMySide);
    ASSERT_TRUE(PlayUntil(host, guest, [&] {
        return host.g.s.SceneNo == kSceneOver && guest.g.s.SceneNo == kSceneOver;
    }));
    EXPECT_EQ(host.g.s.GameResult, u"LOSE");
    EXPECT_EQ(guest.g.s.GameResult, u"WIN");
    EXPECT_FALSE(host.g.ended || guest.g.ended);
}

// Strangers see nothing of a room: another room's code, wildcard user names, no user name, and
// codes guessed; and one who has the code cannot speak in the host's name.
TEST(Rooms, NoOneReadsOrWritesARoomWithoutItsCode) {
    Broker broker;
    RoomGame host(broker.Url()), guest(broker.Url());
    const std::string code = RoomCodeIn(host.Host());
    std::vector<std::unique_ptr<RawMqtt>> strangers;
    for (const char* user : {"123456789012", "#", "+", "kb/#", static_cast<const char*>(nullptr)}) {
        strangers.push_back(
            std::make_unique<RawMqtt>(broker, user, "s" + std::to_string(strangers.size())));
        strangers.back()->Subscribe("#");
    }
    for (int i = 0; i < 20; ++i) {
        const std::string guess = NewRoomCode();
        strangers.push_back(std::make_unique<RawMqtt>(broker, guess.c_str(), "g" + guess));
        strangers.back()->Subscribe("kb/" + guess + "/#");
    }
    RawMqtt insider(broker, code.c_str(), "insider");
    insider.Subscribe("kb/" + code + "/#");
    guest.Join(code);
    ASSERT_TRUE(InMatch(host, guest));
    ASSERT_TRUE(PollGames({&host.g, &guest.g}, [&] { return insider.Got().size() >= 5; }));
    // The host's id is in the topics of its room: the insider writes as the host.
    const std::string hostTopic = insider.Got().front().substr(0, insider.Got().front().rfind('/'));
    insider.Publish(hostTopic + "/d", "051");
    insider.Publish("kb/" + code + "/insider/d", "051");
    SendDataAdd(host.g, kCodeLaunch, u"3");
    ASSERT_TRUE(
        PollGames({&host.g, &guest.g}, [&] { return guest.g.s.EnMisState[3] == kMisFlying; }));
    EXPECT_EQ(guest.g.s.EnMisState[1], kMisEmpty) << "only the host's own bytes count";
    for (auto& s : strangers) EXPECT_TRUE(s->Connected() && s->Got().empty()) << s->Got().front();
}

// A driver in a process of its own on the relay: the client with a room's code, or (without
// one) the server, whose script prints its state so that its room's code can be read back.
std::unique_ptr<Process> Driver(const Broker& broker, const std::string& code,
                                const std::string& log = "/dev/null") {
    std::string script = "frames 2\n";
    const int downs = code.empty() ? 7 : 8;  // the server item, or the client item
    for (int i = 0; i < downs; ++i) script += "key 40\n";
    script +=
        "key 13\nframes 2\n" + (code.empty() ? "state" : "address " + code) + "\nwait 60000\n";
    return std::make_unique<Process>(
        std::vector<std::string>{std::string(KB_BINARY_DIR) + "/kanaburst-sim", "--realtime",
                                 "--relay", broker.Url()},
        script, log);
}

// The next message finds the connection gone: the Connect Lost box, and the program ends.
bool EndsAsLost(RoomGame& game) {
    if (!PollGames(
            {&game.g}, [&] { return game.g.sv.winsock->State() == SocketState::kFailed; }, 15000))
        return false;
    Fire_Mis(game.g, 0, kMySide);
    return game.g.ended && !game.TracedStartingWith("msgbox Kanaburst|Connect Lost").empty();
}

// A peer that is killed, and a broker that goes away, end the match as a lost TCP connection
// does: the next message the game sends finds no connection.
TEST(Rooms, LostPeerOrBrokerEndsTheMatchAsALostConnection) {
    Broker broker;
    {
        RoomGame host(broker.Url());
        const auto guest = Driver(broker, host.Host());
        ASSERT_TRUE(PollGames(
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
        std::string code;
        ASSERT_TRUE(PollGames(
            {},
            [&] {
                std::ifstream in(log);
                const std::string text{std::istreambuf_iterator<char>(in), {}};
                std::smatch found;
                if (std::regex_search(text, found, std::regex(R"re("RoomCode":"([0-9 ]{14})")re")))
                    code = found[1];
                return !code.empty();
            },
            10000));
        RoomGame guest(broker.Url());
        guest.Join(code);
        ASSERT_TRUE(PollGames(
            {&guest.g}, [&] { return guest.g.s.SceneNo == kSceneMatch; }, 10000));
        host->Kill();
        EXPECT_TRUE(EndsAsLost(guest));
    }
    RoomGame host(broker.Url()), guest(broker.Url());
    guest.Join(host.Host());
    ASSERT_TRUE(InMatch(host, guest));
    ASSERT_TRUE(PollGames({&host.g, &guest.g}, [&] { return host.g.s.SendList[0].empty(); }));
    broker.Kill();
    EXPECT_TRUE(EndsAsLost(host));
    EXPECT_TRUE(EndsAsLost(guest));
}

// A host played by hand sends what no game would: the guest reads it as it reads such bytes
// over TCP, and a burst of ninety launches arrives whole and in order.
TEST(Rooms, BadBytesAndBurstsFromThePeerAsOverTcp) {
    Broker broker;
    const std::string code = NewRoomCode(), room = "kb/" + code + "/";
    RawMqtt host(broker, code.c_str(), "rawhost");
    host.Subscribe(room + "#");
    host.Publish(room + "rawhost/room", "open", true);
    RoomGame guest(broker.Url());
    guest.Join(code);
    std::string knock;
    ASSERT_TRUE(PollGames({&guest.g}, [&] {
        for (const std::string& m : host.Got())
            if (m.ends_with("/knock "))
                knock = m.substr(room.size(), m.find('/', room.size()) - room.size());
        return !knock.empty();
    }));
    host.Publish(room + "rawhost/accept", knock);
    host.Publish(room + "rawhost/d", "00");
    host.Publish(room + "rawhost/d", "50");
    ASSERT_TRUE(PollGames({&guest.g}, [&] { return guest.g.s.SceneNo == kSceneMatch; }));
    guest.trace.clear();
    // A fault drops the rest of its arrival, as over TCP: the burst waits for it to be read.
    host.Publish(room + "rawhost/d", "07x");
    EXPECT_TRUE(
        PollGames({&guest.g}, [&] { return guest.TracedStartingWith("log 2 ").size() == 2; }));
    EXPECT_EQ(guest.TracedStartingWith("log 2 "),
              (std::vector<std::string>{"log 2 No Command : 7 : x", "log 2 GetDataEr : x"}));
    // As many as the relay lets one client send at once.
    for (int i = 0; i < 90; ++i) host.Publish(room + "rawhost/d", "041");
    EXPECT_TRUE(PollGames({&guest.g}, [&] { return guest.g.s.EnMisPower[1] == 1 + 2 * 89; }));
}

// A room's code: twelve digits from the whole range, shown in fours, read back from what a
// player types with spaces, dashes or tabs between, and nothing else.
TEST(Rooms, CodesDrawnShownAndTyped) {
    std::string seen;
    for (int i = 0; i < 200; ++i) {
        const std::string code = NewRoomCode();
        ASSERT_EQ(RoomCodeIn(code), code);
        seen += code;
    }
    for (char digit = '0'; digit <= '9'; ++digit) EXPECT_NE(seen.find(digit), std::string::npos);
    EXPECT_EQ(ShownRoomCode("123456789012"), "1234 5678 9012");
    const std::pair<const char*, const char*> typed[] = {
        {"1234 5678 9012", "123456789012"},
        {"1234-5678-9012", "123456789012"},
        {"\t123456789012 ", "123456789012"},
        {"1234 5678 901", ""},
        {"1234 5678 90123", ""},
        {"1234.5678.9012", ""},
    };
    for (const auto& [text, digits] : typed) EXPECT_EQ(RoomCodeIn(text), digits) << text;
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
    EXPECT_TRUE(PollGames({&host.g}, [&] {
        return NetworkProblem(host.g).starts_with(u"Cannot reach the relay mqtt://127.0.0.1:");
    }));
    RawPeer peer;
    ASSERT_TRUE(peer.ConnectTo(host.g.sv.gamePort));
    EXPECT_TRUE(PollGames({&host.g}, [&] { return peer.Receive(0, 2) == "00"; }));
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
        const std::u16string expected = FromUtf8(
            "Cannot reach the relay mqtts://127.0.0.1:" + std::to_string(port) + ": " + why);
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
            FromUtf8("Cannot reach the relay mqtts://127.0.0.1:" + std::to_string(service.Port()) +
                     ": it does not answer in TLS (is that its mqtts port?)");
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
