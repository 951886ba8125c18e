#pragma once
// Games that meet in rooms on a relay, as the desktop game does with a relay given, played frame
// by frame in step.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/machine.h"
#include "net/connection.h"
#include "net/net_game.h"
#include "net/relay_broker.h"
#include "platform/address_window.h"
#include "platform/room/room_code.h"
#include "platform/switchboard.h"
#include "shell/main_loop.h"
#include "shell/scenes.h"
#include "test_game.h"
#include "text/ustr.h"
#include "typing/key_codes.h"

namespace kb::test {

// The desktop's ways to meet, as the programs choose them with a relay given.
struct RoomSockets {
    explicit RoomSockets(const std::string& relay) { ChooseTransports(board, {.relay = relay}); }
    Services Make() {
        Services sv;
        sv.winsock = &board.Connection();
        sv.winsockL = &board.Listener();
        sv.form2 = &form2;
        sv.gamePort = UnusedPort();
        return sv;
    }
    Switchboard board;
    HeadlessAddressWindow form2;
};

class RoomGame : public RoomSockets, public TestGame {
  public:
    explicit RoomGame(const std::string& relay) : RoomSockets(relay), TestGame(Make()) {
        g.loop.FrameInterval = 67;
    }
    // The server item: listening, and a room open. Returns its code.
    std::string Host() {
        g.s.GameMode = kModeServer;
        StartServer(g);
        return ToUtf8(RoomCode(g));
    }
    // The client item, the code typed and Enter pressed.
    void Join(const std::string& code) {
        g.s.GameMode = kModeClient;
        ShowAddressWindow(g);
        form2.SetText(FromUtf8(code));
        Text1_KeyDown(g, kVkReturn, 0);
    }
    void Frame() {
        clock.Advance(67);
        FramePass(g, clock.TimeGetTime());
    }
};

inline bool InMatch(RoomGame& a, RoomGame& b) {
    return PollGames({&a.g, &b.g},
                     [&] { return a.g.s.SceneNo == kSceneMatch && b.g.s.SceneNo == kSceneMatch; });
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
// one sent to arrive, since the broker's hop may lag far behind the virtual clock.
inline bool PlayUntil(RoomGame& a, RoomGame& b, const std::function<bool()>& done,
                      int frames = 600) {
    for (int i = 0; i < frames && !done(); ++i) {
        a.Frame();
        b.Frame();
        PollGames({&a.g, &b.g}, [&] { return done() || (Delivered(a, b) && Delivered(b, a)); });
    }
    return done();
}

// Whether a hosting game's room has reached the relay, as a client on the relay's plain port
// sees it: the room's "open" is there for guests to read. False once the game has a problem
// with the relay.
inline bool RoomOpened(RoomGame& host, const std::string& code, int plainPort) {
    RawMqtt watcher(plainPort, code.c_str(), "watcher");
    watcher.Subscribe("kb/" + code + "/#");
    bool open = false;
    PollGames({&host.g}, [&] {
        for (const std::string& m : watcher.Got()) open = open || m.ends_with("/room open");
        return open || !NetworkProblem(host.g).empty();
    });
    return open;
}

}  // namespace kb::test
