// Joining two games: the address window, the handshake between two games in one process, the
// cancel key, the loop's replies and the client's time-out.
#include "net/connection.h"

#include <gtest/gtest.h>

#include <atomic>

#include "net_fixture.h"
#include "shell/event_loop.h"
#include "shell/main_loop.h"
#include "shell/ustr.h"
#include "test_keys.h"

namespace kb::test {
namespace {

using Lines = std::vector<std::string>;

// Enter on an empty box and other keys do nothing; Escape closes the window.
TEST(AddressWindow, OnlyEnterWithTextConnects) {
    NetGame n;
    n.g.s.GameMode = kModeClient;
    ShowAddressWindow(n.g);
    Text1_KeyDown(n.g, kVkReturn, 0);
    n.form2.SetText(u"127.0.0.1");
    Text1_KeyDown(n.g, kVkA, 0);
    EXPECT_TRUE(AddressWindowVisible(n.g));
    EXPECT_EQ(n.winsock.State(), SocketState::kClosed);
    Display_KeyDown(n.g, kVkEscape, 0);
    EXPECT_FALSE(AddressWindowVisible(n.g));
    EXPECT_EQ(n.g.s.GameMode, kModeNone);
    EXPECT_EQ(n.g.s.KeyHold, 1);
}

// Two games in one process, the client typing each form of address.
TEST(Handshake, TwoGamesStartTheirMatchTogether) {
    for (const char16_t* host : {u"127.0.0.1", u"::1", u"[::1]", u" localhost "}) {
        SCOPED_TRACE(ToUtf8(host));
        NetGame server, client;
        client.g.sv.gamePort = server.Serve();
        client.g.s.GameMode = kModeClient;
        ShowAddressWindow(client.g);
        client.form2.SetText(host);
        Text1_KeyDown(client.g, kVkReturn, 0);
        EXPECT_FALSE(AddressWindowVisible(client.g));
        ASSERT_TRUE(server.PollUntil([&] {
            PollNetwork(client.g);
            return server.g.s.SceneNo == kSceneMatch && client.g.s.SceneNo == kSceneMatch;
        }));
        EXPECT_EQ(server.TracedStartingWith("send "), (Lines{"send 00", "send 50"}));
        EXPECT_EQ(client.TracedStartingWith("send "), Lines{"send 01"});
        EXPECT_EQ(client.TracedStartingWith("recv "), (Lines{"recv 00", "recv 50"}));
        EXPECT_EQ(server.TracedStartingWith("log 2 "),
                  (Lines{"log 2 ConnectionRequest", "log 2 GAME START"}));
        EXPECT_EQ(client.TracedStartingWith("log 2 "), Lines{"log 2 GAME START"});
        EXPECT_EQ(client.g.s.GameMode, kModeClient);
        EXPECT_EQ(client.g.s.StartCount, 4.0f);
    }
}

// The loop wakes for the peer's bytes and answers at once: five replies queued by one arrival
// follow each other without waiting for frames (one per frame would take 270 ms).
TEST(Loop, RepliesGoOutAsSoonAsTheirMessageArrives) {
    NetGame n;
    RawPeer peer;
    ASSERT_TRUE(n.ServeAndAccept(peer));
    n.g.loop.LastFrameTime = n.clock.TimeGetTime();  // the clock stands still: no frame is due
    QuietLoopHost host;
    EventLoop loop(n.g, host);
    std::atomic<bool> stop = false;
    std::thread game([&] {
        while (!stop) loop.Pass();
    });
    const auto start = Clock::now();
    peer.Send("0000000000");
    EXPECT_EQ(peer.Receive(2000, 12), "000101010101");
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(50));
    stop = true;
    host.Wake();
    game.join();
}

// Escape on the waiting server stops listening and leaves a half-made connection behind; the
// server chosen again takes a new client.
TEST(Cancel, EscapeOnTheWaitingServerStopsListening) {
    NetGame n;
    RawPeer first, late, second;
    ASSERT_TRUE(n.ServeAndAccept(first));
    const int port = n.winsockL.BoundPort();
    Press(n.g, kVkEscape);
    EXPECT_EQ(n.g.s.GameMode, kModeNone);
    EXPECT_FALSE(late.ConnectTo(port));
    ASSERT_TRUE(n.ServeAndAccept(second));
    EXPECT_TRUE(n.PollUntil([&] { return first.SeesClose(0); }));
}

TEST(TimeOut, ClientGivesUpThirtySecondsAfterEnterWhereNothingListens) {
    NetGame n;
    const auto frames = [&](int count) {
        for (int i = 0; i < count && !n.g.ended; ++i) {
            n.clock.Advance(67);
            PollNetwork(n.g);
            FramePass(n.g, n.clock.TimeGetTime());
        }
    };
    n.g.sv.gamePort = UnusedPort();
    n.g.s.GameMode = kModeClient;
    ShowAddressWindow(n.g);
    frames(100);  // time spent typing does not count
    n.form2.SetText(u"127.0.0.1");
    Text1_KeyDown(n.g, kVkReturn, 0);
    ASSERT_TRUE(n.PollUntil([&] { return n.winsock.State() == SocketState::kFailed; }));
    frames(15 * 30);
    EXPECT_FALSE(n.Traced("msgbox Kanaburst|Connection TimeOut.")) << "30 seconds still wait";
    frames(15 * 2);
    EXPECT_TRUE(n.Traced("msgbox Kanaburst|Connection TimeOut."));
    EXPECT_TRUE(n.Traced("log 2 Connection TimeOut"));
    EXPECT_EQ(n.g.s.GameMode, kModeNone);
    EXPECT_EQ(n.g.s.KeyHold, 1);
    EXPECT_EQ(n.winsock.State(), SocketState::kClosed);
}

}  // namespace
}  // namespace kb::test
