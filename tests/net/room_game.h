#pragma once
// Games that meet in rooms on a real local broker, as the room tests play them: each with the
// desktop's ways to meet, frames on a virtual clock, and drivers in processes of their own.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <random>
#include <regex>
#include <string>
#include <vector>

#include "app/machine.h"
#include "battle/missiles.h"
#include "net/connection.h"
#include "net/net_game.h"
#include "net/relay_broker.h"
#include "platform/address_window.h"
#include "platform/mosquitto/mosquitto_link.h"
#include "platform/room/room_code.h"
#include "platform/room/room_transport.h"
#include "platform/switchboard.h"
#include "platform/tcp/posix_socket.h"
#include "shell/main_loop.h"
#include "shell/scenes.h"
#include "sim_runner.h"
#include "test_game.h"
#include "text/ustr.h"
#include "typing/key_codes.h"

namespace kb::test {

// The desktop's ways to meet, as the programs choose them with a relay given.
struct RoomSockets {
    RoomSockets(const std::string& relay, ListingSource listing) {
        ChooseTransports(board, {.relay = relay}, std::move(listing));
    }
    Services Make() {
        return WithSockets(board.Connection(), board.Listener(), form2, UnusedPort());
    }
    Switchboard board;
    HeadlessAddressWindow form2;
};

class RoomGame : public RoomSockets, public TestGame {
  public:
    // listing: how the rooms it opens are listed in the lobby (none: private).
    explicit RoomGame(const std::string& relay, ListingSource listing = {})
        : RoomSockets(relay, std::move(listing)), TestGame(Make()) {
        g.loop.FrameInterval = 67;
    }
    // The server item: listening, and a room open. Returns its code. The port picked for TCP
    // may have been taken by a test running beside this one before the game listens on it
    // (opening the room takes a moment): then the game listens on another.
    std::string Host() {
        g.s.GameMode = kModeServer;
        StartServer(g);
        for (int i = 0; i < 5 && !g.listenError.empty(); ++i) {
            g.sv.gamePort = UnusedPort();
            StartServer(g);
        }
        return ToUtf8(RoomCode(g));
    }
    // The client item, the address (a code, or the quick word) typed and Enter pressed.
    void Join(const std::string& address) { JoinAt(g, form2, FromUtf8(address)); }
    void Frame() {
        clock.Advance(67);
        FramePass(g, clock.TimeGetTime());
    }
};

// How long a room test waits for what the network should bring: long, since a machine busy with
// other work can be slow to run the broker and both games, and a passing test never waits it out.
inline constexpr int kRoomWaitMs = 10000;

// PollGames with the room tests' wait.
inline bool Await(std::initializer_list<Game*> games, const std::function<bool()>& done,
                  int ms = kRoomWaitMs) {
    return PollGames(games, done, ms);
}

// Polls the games for ms, whatever happens.
inline void Idle(std::initializer_list<Game*> games, int ms) {
    PollGames(
        games, [] { return false; }, ms);
}

inline bool InMatch(RoomGame& a, RoomGame& b, int ms = kRoomWaitMs) {
    return PollGames(
        {&a.g, &b.g}, [&] { return a.g.s.SceneNo == kSceneMatch && b.g.s.SceneNo == kSceneMatch; },
        ms);
}

// What a side's traced lines starting with prefix carry after it, all told.
inline size_t TracedBytes(const RoomGame& game, const std::string& prefix) {
    size_t bytes = 0;
    for (const std::string& line : game.TracedStartingWith(prefix))
        bytes += line.size() - prefix.size();
    return bytes;
}

// Every message one side has sent has reached the other (arrivals may run together).
inline bool Delivered(RoomGame& from, RoomGame& to) {
    return from.g.s.SendList[0].empty() && TracedBytes(from, "send ") == TracedBytes(to, "recv ");
}

// Frames on both sides in step until done() holds: each frame waits for the messages the last
// one sent to arrive, since the broker's hop may lag far behind the virtual clock. A frame
// whose messages never arrive ends it: the relay is gone.
inline bool PlayUntil(RoomGame& a, RoomGame& b, const std::function<bool()>& done,
                      int frames = 600) {
    for (int i = 0; i < frames && !done(); ++i) {
        a.Frame();
        b.Frame();
        if (!Await({&a.g, &b.g}, [&] { return done() || (Delivered(a, b) && Delivered(b, a)); }))
            break;
    }
    return done();
}

// The match from the count-down to the result: the guest's missile, reinforced five times,
// gets through, and the host's game decides it on both sides.
inline void PlayToTheResult(RoomGame& host, RoomGame& guest) {
    ASSERT_TRUE(PlayUntil(host, guest, [&] { return guest.g.s.StartCount == 0; }));
    for (int i = 0; i < 5; ++i) Fire_Mis(guest.g, 0, kMySide);
    ASSERT_TRUE(PlayUntil(host, guest, [&] {
        return host.g.s.SceneNo == kSceneOver && guest.g.s.SceneNo == kSceneOver;
    }));
    EXPECT_EQ(host.g.s.GameResult, u"LOSE");
    EXPECT_EQ(guest.g.s.GameResult, u"WIN");
    EXPECT_FALSE(host.g.ended || guest.g.ended);
}

// A driver in a process of its own on the relay: the client with an address (a room's code or
// the quick word), or (without one) the server, whose script prints its state so that its
// room's code can be read back. `options` go on its command line.
inline std::unique_ptr<Process> Driver(const Broker& broker, const std::string& address,
                                       const std::string& log = "/dev/null",
                                       std::vector<std::string> options = {}) {
    std::string script = "frames 2\n";
    const int downs = address.empty() ? 7 : 8;  // the server item, or the client item
    for (int i = 0; i < downs; ++i) script += "key 40\n";
    script += "key 13\nframes 2\n" + (address.empty() ? "state" : "address " + address) +
              "\nwait 60000\n";
    std::vector<std::string> args{std::string(KB_BINARY_DIR) + "/kanaburst-sim", "--realtime",
                                  "--relay", broker.Url()};
    args.insert(args.end(), options.begin(), options.end());
    return std::make_unique<Process>(args, script, log);
}

// What a program's log shows of `pattern` (its first group, if it has one) once it shows it
// within ms; empty if it never does.
inline std::string AwaitInLog(const std::string& log, const std::string& pattern, int ms = 10000) {
    std::string shown;
    PollGames(
        {},
        [&] {
            const std::string text = ReadText(log);
            std::smatch found;
            if (std::regex_search(text, found, std::regex(pattern)))
                shown = found[found.size() > 1 ? 1 : 0];
            return !shown.empty();
        },
        ms);
    return shown;
}

// The room code a driver's log shows in its state, once it does.
inline std::string CodeInLog(const std::string& log) {
    return AwaitInLog(log, R"re("RoomCode":"([0-9 ]{14})")re");
}

// The next message finds the connection gone: the Connect Lost box, and the program ends.
inline bool EndsAsLost(RoomGame& game) {
    if (!PollGames(
            {&game.g}, [&] { return game.g.sv.winsock->State() == SocketState::kFailed; }, 15000))
        return false;
    Fire_Mis(game.g, 0, kMySide);
    return game.g.ended && !game.TracedStartingWith("msgbox Kanaburst|Connect Lost").empty();
}

// Twelve digits no room was opened with (a guess).
inline std::string GuessedCode() {
    static std::mt19937_64 rng{std::random_device{}()};
    std::string code;
    for (size_t i = 0; i < kRoomCodeDigits; ++i) code += static_cast<char>('0' + rng() % 10);
    return code;
}

// Whether a hosting game's room has reached the relay, as a client on the relay's plain port
// sees it: the room's key is there for guests to read. False once the game has a problem with
// the relay.
inline bool RoomOpened(RoomGame& host, const std::string& code, int plainPort) {
    RawMqtt watcher(plainPort, code.c_str(), "watcher");
    watcher.Subscribe("kb/" + code + "/room");
    bool open = false;
    PollGames({&host.g}, [&] {
        for (const RawMqtt::Message& m : watcher.Got())
            open = open || (m.topic == "kb/" + code + "/room" && !m.payload.empty());
        return open || !NetworkProblem(host.g).empty();
    });
    return open;
}

}  // namespace kb::test
