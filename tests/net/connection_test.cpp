// Joining two games: the address window, the handshake between two games in one process, the
// cancel key and the client's time-out.
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

TEST(AddressWindow, OnlyEnterWithTextConnects) {
    NetGame n;
    n.g.s.GameMode = kModeClient;
    ShowAddressWindow(n.g);
    EXPECT_TRUE(AddressWindowVisible(n.g));
    Text1_KeyDown(n.g, kVkReturn, 0);
    EXPECT_TRUE(AddressWindowVisible(n.g)) << "Enter on an empty box does nothing";
    EXPECT_EQ(n.winsock.State(), SocketState::kClosed);
    n.form2.SetText(u"127.0.0.1");
    Text1_KeyDown(n.g, kVkA, 0);
    Text1_KeyDown(n.g, kVkBack, 0);
    EXPECT_TRUE(AddressWindowVisible(n.g));
    EXPECT_EQ(n.winsock.State(), SocketState::kClosed);
    Text1_KeyDown(n.g, kVkReturn, 0);
    EXPECT_FALSE(AddressWindowVisible(n.g));
    EXPECT_NE(n.winsock.State(), SocketState::kClosed);
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
        ASSERT_TRUE(server.PollUntil([&] {
            PollNetwork(client.g);
            return server.g.s.SceneNo == kSceneMatch && client.g.s.SceneNo == kSceneMatch;
        }));
        EXPECT_EQ(server.TracedStartingWith("send "),
                  (std::vector<std::string>{"send 00", "send 50"}));
        EXPECT_EQ(client.TracedStartingWith("send "), std::vector<std::string>{"send 01"});
        EXPECT_EQ(client.TracedStartingWith("recv "),
                  (std::vector<std::string>{"recv 00", "recv 50"}));
        EXPECT_TRUE(server.Traced("log 2 GAME START"));
        EXPECT_TRUE(client.Traced("log 2 GAME START"));
    }
}

// The loop both programs run wakes for the peer's bytes and answers at once; each "00" is
// answered with "01", and five replies queued by one arrival follow each other without waiting
// for frames (one per frame would take 270 ms). The window program does it in under 5 and 20 ms;
// the limit here leaves room for a loaded machine.
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
    for (const int replies : {1, 5}) {
        SCOPED_TRACE(replies);
        std::string sent;
        for (int i = 0; i < replies; ++i) sent += "00";
        const auto start = Clock::now();
        peer.Send(sent);
        std::string expect = peer.Received();
        for (int i = 0; i < replies; ++i) expect += "01";
        EXPECT_EQ(peer.Receive(2000, expect.size()), expect);
        EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(50));
    }
    stop = true;
    host.Wake();
    game.join();
}

TEST(Cancel, EscapeWhileTypingTheAddressClosesTheWindow) {
    NetGame n;
    n.g.s.GameMode = kModeClient;
    ShowAddressWindow(n.g);
    Display_KeyDown(n.g, kVkEscape, 0);
    EXPECT_FALSE(AddressWindowVisible(n.g));
    EXPECT_EQ(n.g.s.GameMode, kModeNone);
    EXPECT_EQ(n.g.s.KeyHold, 1);
}

TEST(Cancel, EscapeOnTheWaitingServerStopsListening) {
    NetGame n;
    const int port = n.Serve();
    Press(n.g, kVkEscape);
    EXPECT_EQ(n.g.s.GameMode, kModeNone);
    EXPECT_EQ(n.winsockL.State(), SocketState::kClosed);
    RawPeer late;
    EXPECT_FALSE(late.ConnectTo(port));
}

TEST(Cancel, ServerChosenAgainTakesANewClient) {
    NetGame n;
    RawPeer first;
    ASSERT_TRUE(n.ServeAndAccept(first));
    Press(n.g, kVkEscape);  // the half-made connection is left behind
    RawPeer second;
    ASSERT_TRUE(n.ServeAndAccept(second));
    EXPECT_TRUE(n.PollUntil([&] { return first.SeesClose(0); }));
}

// Frames with a clock that jumps, sockets polled before each as the programs do.
void RunFrames(NetGame& n, int count) {
    for (int i = 0; i < count && !n.g.ended; ++i) {
        n.clock.Advance(67);
        PollNetwork(n.g);
        FramePass(n.g, n.clock.TimeGetTime());
    }
}

TEST(TimeOut, ClientGivesUpWhereNothingListens) {
    NetGame n;
    n.g.sv.gamePort = UnusedPort();
    n.g.s.GameMode = kModeClient;
    ShowAddressWindow(n.g);
    RunFrames(n, 100);  // time spent typing does not count
    n.form2.SetText(u"127.0.0.1");
    Text1_KeyDown(n.g, kVkReturn, 0);
    ASSERT_TRUE(n.PollUntil([&] { return n.winsock.State() == SocketState::kFailed; }));
    RunFrames(n, 15 * 30);
    EXPECT_FALSE(n.Traced("msgbox Kanaburst|Connection TimeOut.")) << "30 seconds still wait";
    RunFrames(n, 15 * 2);
    EXPECT_TRUE(n.Traced("msgbox Kanaburst|Connection TimeOut."));
    EXPECT_TRUE(n.Traced("log 2 Connection TimeOut"));
    EXPECT_EQ(n.g.s.GameMode, kModeNone);
    EXPECT_EQ(n.g.s.SceneNo, kSceneTitle);
    EXPECT_EQ(n.g.s.KeyHold, 1);
    EXPECT_EQ(n.winsock.State(), SocketState::kClosed);
}

}  // namespace
}  // namespace kb::test
