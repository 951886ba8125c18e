// The network over real loopback TCP: the send queue and the dispatcher against a peer played
// by hand, two games joining, the cancel key, the loop's replies and the client's time-out.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "battle/missiles.h"
#include "net/connection.h"
#include "net/net_game.h"
#include "net/protocol.h"
#include "platform/address_window.h"
#include "platform/tcp/posix_socket.h"
#include "shell/event_loop.h"
#include "shell/main_loop.h"
#include "shell/scenes.h"
#include "test_game.h"
#include "test_keys.h"
#include "text/ustr.h"
#include "typing/key_codes.h"

namespace kb::test {
namespace {

using Lines = std::vector<std::string>;

class NetGame : public RealSockets, public TestGame {
  public:
    NetGame() : TestGame(Make()) {}

    // Polls the sockets (no frames) until done() holds; false after ms.
    bool PollUntil(const std::function<bool()>& done, int ms = 3000) {
        return PollGames({&g}, done, ms);
    }
    bool PollUntilTraced(std::string_view line) {
        return PollUntil([&] { return Traced(line); });
    }

    // The server entry of the title: waiting for a client. Returns the port it listens on.
    int Serve() {
        g.s.GameMode = kModeServer;
        StartServer(g);
        return winsockL.BoundPort();
    }

    // A server that has accepted `peer` and sent it "00".
    bool ServeAndAccept(RawPeer& peer) {
        const int port = Serve();
        return port > 0 && peer.ConnectTo(port) && PollUntilTraced("send 00") &&
               peer.Receive(2000, 2) == "00";
    }

    // A client that typed the address of `listener`, was accepted as `peer` and is in a match.
    bool ClientInMatch(RawListener& listener, RawPeer& peer) {
        g.sv.gamePort = listener.Port();
        JoinAt(g, form2, u"127.0.0.1");
        if (!PollUntil([&] { return listener.TryAccept(peer); })) return false;
        peer.Send("00");
        if (!PollUntilTraced("send 01") || peer.Receive(2000, 2) != "01") return false;
        if (g.s.SceneNo != kSceneTitle) return false;  // the client waits for 50
        peer.Send("50");
        return PollUntil([&] { return g.s.SceneNo == kSceneMatch; });
    }
};

int Occupied(const Game& g) {
    int n = 0;
    for (const auto& slot : g.s.SendList) n += !slot.empty();
    return n;
}

// A server that has accepted `peer` and finished sending it "00".
bool Served(NetGame& n, RawPeer& peer) {
    return n.ServeAndAccept(peer) && n.PollUntil([&] { return n.g.s.SendList[0].empty(); });
}

// One message goes on the wire; the rest wait and follow within the same poll. Codes are
// written with two digits and text in code page 932.
TEST(SendQueue, MessagesGoOutInOrderOneAtATime) {
    NetGame n;
    RawPeer peer;
    ASSERT_TRUE(Served(n, peer));
    n.trace.clear();
    SendDataAdd(n.g, kCodeLaunch, u"1");
    SendDataAdd(n.g, 7, u"x");
    SendDataAdd(n.g, kCodeCountDown, u"3");
    SendDataAdd(n.g, 123, u"あ");
    EXPECT_EQ(n.TracedStartingWith("send "), Lines{"send 041"});
    EXPECT_EQ(n.TracedStartingWith("log 0 "), Lines{"log 0 041"});
    EXPECT_EQ(Occupied(n.g), 4);
    PollNetwork(n.g);
    EXPECT_EQ(n.TracedStartingWith("send "),
              (Lines{"send 041", "send 07x", "send 993", "send 123あ"}));
    EXPECT_EQ(Occupied(n.g), 0);
    EXPECT_EQ(peer.Receive(2000, 16), "0004107x993123\x82\xA0");
}

// A full queue says so and turns the next message away; the ones queued all go, the last too.
TEST(SendQueue, FullQueueRefusesTheNextMessageAndLosesNoneItHolds) {
    NetGame n;
    RawPeer peer;
    ASSERT_TRUE(Served(n, peer));
    std::string expected = "00";
    for (int i = 0; i <= kSendSlots; ++i) {
        SendDataAdd(n.g, 7, FromUtf8(std::to_string(i)));
        if (i < kSendSlots) expected += "07" + std::to_string(i);
    }
    EXPECT_EQ(Occupied(n.g), kSendSlots);
    EXPECT_TRUE(n.Traced("msgbox Kanaburst|送信データが多すぎます。"));
    ASSERT_TRUE(n.PollUntil([&] { return Occupied(n.g) == 0; }));
    EXPECT_EQ(peer.Receive(2000, expected.size()), expected);
}

TEST(SendQueue, DecidingMessageSentEndsTheConnection) {
    NetGame n;
    RawPeer peer;
    ASSERT_TRUE(Served(n, peer));
    SendDataAdd(n.g, kCodeDecided, u"12");
    SendDataAdd(n.g, kCodeLaunch, u"3");  // waits behind the result and is never sent
    ASSERT_TRUE(n.PollUntilTraced("log 2 Connection Tarminated"));
    EXPECT_EQ(Occupied(n.g), 0);
    EXPECT_EQ(n.winsock.State(), SocketState::kClosed);
    EXPECT_EQ(n.winsockL.State(), SocketState::kClosed);
    EXPECT_EQ(peer.Receive(2000, 100), "005112");
    EXPECT_TRUE(peer.SeesClose(2000));
}

// The Connect Lost box ends the program: nothing after it runs, even in a frame deciding the
// match.
TEST(SendQueue, SendingOnALostConnectionEndsTheProgram) {
    NetGame n;
    RawPeer peer;
    ASSERT_TRUE(Served(n, peer));
    peer.Close();
    ASSERT_TRUE(n.PollUntil([&] { return n.winsock.State() == SocketState::kFailed; }));
    EXPECT_FALSE(n.g.ended) << "a close is not an event of its own";
    n.g.s.SceneNo = kSceneMatch;
    n.g.s.MyMisState[2] = kMisFlying;
    n.g.s.MyMisX[2] = 31;  // past the line: the server decides the match
    n.clock.Advance(67);
    FramePass(n.g, n.clock.TimeGetTime());
    EXPECT_TRUE(n.Traced("msgbox Kanaburst|Connect Lost\r\n→SendDataAdd(5112)"));
    EXPECT_EQ(n.trace.back(), "exit");
    EXPECT_EQ(n.TracedStartingWith("send ").size(), 1u) << "only the 00";
}

// A client in a running match, with a missile of its own in lane 2, receives what a peer
// playing the server sends, in arrivals cut anywhere; `check` looks at the game afterwards.
TEST(Dispatch, ArrivalsFromTheServer) {
    const struct {
        std::vector<std::string> arrivals;
        std::function<void(NetGame&, RawPeer&)> check;
    } rows[] = {
        // Lane 1 is flying: 05 reinforces it. A message waits for its rest.
        {{"041053", "051", "0", "42", "0", "5", "1", "9", "92"},
         [](NetGame& n, RawPeer&) {
             EXPECT_EQ(n.g.s.EnMisState[3], kMisFlying);
             EXPECT_EQ(n.g.s.EnMisState[2], kMisFlying);
             EXPECT_EQ(n.g.s.EnMisX[1], 32);
             EXPECT_EQ(n.g.s.EnMisPower[1], 5);
             EXPECT_EQ(n.g.s.MyMisState[1], kMisEmpty) << "theirs, not ours";
             EXPECT_EQ(n.g.s.StartCount, 2.0f);
         }},
        // Lane 7 drops the rest of its arrival; the tables hold lane 6.
        {{"041047053", "046", "07x", "990"},
         [](NetGame& n, RawPeer&) {
             EXPECT_EQ(n.g.s.EnMisState[1], kMisFlying);
             EXPECT_EQ(n.g.s.EnMisState[3], kMisEmpty);
             EXPECT_EQ(n.g.s.EnMisState[6], kMisFlying);
             EXPECT_EQ(n.TracedStartingWith("log 2 "),
                       (Lines{"log 2 GetDataEr : 7053", "log 2 No Command : 7 : x",
                              "log 2 GetDataEr : x"}));
             EXPECT_EQ(n.g.s.InputOn, 1);
         }},
        // Our missile in lane 2 meets theirs; lane 4 has none of ours.
        {{"042", "044", "062064"},
         [](NetGame& n, RawPeer&) {
             EXPECT_EQ(n.g.s.MyMisState[2], kMisExploding);
             EXPECT_EQ(n.g.s.EnMisState[2], kMisExploding);
             EXPECT_EQ(n.g.s.EnMisPower[2], 30);
             EXPECT_EQ(n.g.s.EnMisState[4], kMisExploding);
             EXPECT_EQ(n.g.s.MyMisState[4], kMisEmpty);
         }},
        // The result ends the match; what follows it is not read.
        {{"51027x"},
         [](NetGame& n, RawPeer& peer) {
             EXPECT_EQ(n.g.s.GameResult, u"WIN");
             EXPECT_EQ(n.g.s.MyMisState[2], kMisExploding);
             EXPECT_EQ(n.g.s.SceneNo, kSceneOver);
             EXPECT_EQ(n.TracedStartingWith("log 2 "), Lines{"log 2 Connection Tarminated"});
             EXPECT_TRUE(peer.SeesClose(2000));
         }},
        {{"045", "5", "11", "5"},
         [](NetGame& n, RawPeer&) {
             EXPECT_EQ(n.g.s.GameResult, u"LOSE");
             EXPECT_EQ(n.g.s.EnMisState[5], kMisExploding);
         }},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.arrivals.front());
        NetGame n;
        RawListener listener;
        RawPeer peer;
        ASSERT_TRUE(n.ClientInMatch(listener, peer));
        ASSERT_TRUE(n.PollUntil([&] { return n.g.s.SendList[0].empty(); }));
        Fire_Mis(n.g, 2, kMySide);
        n.trace.clear();
        for (size_t i = 0; i < r.arrivals.size(); ++i) {
            peer.Send(r.arrivals[i]);  // one arrival each: the next waits for this one
            ASSERT_TRUE(n.PollUntil([&] { return n.TracedStartingWith("recv ").size() > i; }));
        }
        r.check(n, peer);
    }
}

// A client that never answers the greeting is replaced by the next one, even when both come
// in at once; once the match runs, a further client is turned away and the match goes on.
TEST(ServerDispatch, NewerClientReplacesASilentOneUntilTheMatchStarts) {
    NetGame n;
    RawPeer silent, player, late;
    const int port = n.Serve();
    ASSERT_TRUE(silent.ConnectTo(port) && player.ConnectTo(port));
    EXPECT_TRUE(n.PollUntil([&] { return player.Receive(0, 2) == "00"; }));
    EXPECT_TRUE(silent.SeesClose(2000));
    player.Send("01");
    ASSERT_TRUE(n.PollUntil([&] { return n.g.s.SceneNo == kSceneMatch; }));
    EXPECT_EQ(player.Receive(2000, 4), "0050");
    ASSERT_TRUE(late.ConnectTo(n.winsockL.BoundPort()));
    EXPECT_TRUE(n.PollUntil([&] { return late.SeesClose(0); }));
    EXPECT_EQ(late.Received(), "");
    SendDataAdd(n.g, kCodeLaunch, u"2");
    EXPECT_TRUE(n.PollUntil([&] { return player.Receive(0, 7) == "0050042"; }));
}

// Two games in one process, the client typing each form of address.
TEST(Handshake, TwoGamesStartTheirMatchTogether) {
    for (const char16_t* host : {u"127.0.0.1", u"::1", u"[::1]", u" localhost "}) {
        SCOPED_TRACE(ToUtf8(host));
        NetGame server, client;
        client.g.sv.gamePort = server.Serve();
        JoinAt(client.g, client.form2, host);
        ASSERT_TRUE(server.PollUntil([&] {
            PollNetwork(client.g);
            return server.g.s.SceneNo == kSceneMatch && client.g.s.SceneNo == kSceneMatch;
        }));
        EXPECT_EQ(server.TracedStartingWith("send "), (Lines{"send 00", "send 50"}));
        EXPECT_EQ(client.TracedStartingWith("send "), Lines{"send 01"});
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
    n.g.loop.FrameInterval = 67;
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

// A message queued behind one the kernel took whole leaves at once, not a frame later: the
// loop, on a clock that moves only while it sleeps, sees its completion and does not sleep.
TEST(Loop, MessageQueuedBehindAnotherLeavesWithoutWaitingForAFrame) {
    NetGame n;
    RawPeer peer;
    ASSERT_TRUE(Served(n, peer));
    n.g.loop.FrameInterval = 67;
    n.g.loop.LastFrameTime = n.clock.TimeGetTime();
    VirtualLoopHost host(n.clock);
    EventLoop loop(n.g, host);
    SendDataAdd(n.g, kCodeLaunch, u"1");
    SendDataAdd(n.g, kCodeLaunch, u"2");
    EXPECT_FALSE(loop.Pass()) << "no frame ran in between";
    EXPECT_EQ(peer.Receive(2000, 8), "00041042");
    // Both out and reported, nothing is due but the next frame: the loop sleeps until then.
    int passes = 1;
    while (!loop.Pass() && passes < 10) ++passes;
    EXPECT_LT(passes, 10);
}

// In the address window Enter on an empty box and other keys do nothing, and Escape closes it.
// Escape on the waiting server stops listening and leaves a half-made connection behind; the
// server chosen again takes a new client.
TEST(Cancel, EscapeLeavesTheAddressWindowAndTheWaitingServer) {
    NetGame n;
    JoinAt(n.g, n.form2, u"");
    Text1_KeyDown(n.g, kVkReturn, 0);
    n.form2.SetText(u"127.0.0.1");
    Text1_KeyDown(n.g, kVkA, 0);
    EXPECT_EQ(n.winsock.State(), SocketState::kClosed);
    Display_KeyDown(n.g, kVkEscape, 0);
    EXPECT_FALSE(AddressWindowVisible(n.g));
    EXPECT_EQ(n.g.s.GameMode, kModeNone);
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
    JoinAt(n.g, n.form2, u"");
    frames(100);  // time spent typing does not count
    n.form2.SetText(u"127.0.0.1");
    Text1_KeyDown(n.g, kVkReturn, 0);
    ASSERT_TRUE(n.PollUntil([&] { return n.winsock.State() == SocketState::kFailed; }));
    frames(15 * 30);
    EXPECT_FALSE(n.Traced("msgbox Kanaburst|Connection TimeOut.")) << "30 seconds still wait";
    frames(15 * 2);
    EXPECT_TRUE(n.Traced("msgbox Kanaburst|Connection TimeOut."));
    EXPECT_EQ(n.g.s.GameMode, kModeNone);
}

}  // namespace
}  // namespace kb::test
