// The send queue and the dispatcher, against a peer played by hand over loopback.
#include "net/protocol.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "battle/missiles.h"
#include "debug/debug_log.h"
#include "net_fixture.h"
#include "shell/main_loop.h"
#include "shell/scenes.h"
#include "shell/ustr.h"

namespace kb::test {
namespace {

using Lines = std::vector<std::string>;

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

TEST(SendQueue, The502ndMessageIsRefused) {
    NetGame n;
    RawPeer peer;
    ASSERT_TRUE(Served(n, peer));
    // One on the wire and 500 waiting behind it.
    for (int i = 0; i < kSendSlots; ++i) SendDataAdd(n.g, kCodeLaunch, Num(i % 6));
    EXPECT_FALSE(n.Traced("msgbox Kanaburst|送信データが多すぎます。"));
    const auto before = n.g.s.SendList;
    SendDataAdd(n.g, kCodeReinforce, u"2");
    EXPECT_TRUE(n.Traced("msgbox Kanaburst|送信データが多すぎます。"));
    EXPECT_EQ(n.g.s.SendList, before);
    EXPECT_FALSE(n.g.ended);
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

// The Connect Lost box ends the program: nothing after it runs, whether the failed send came
// from the console's command line or from a frame deciding the match.
TEST(SendQueue, SendingOnALostConnectionEndsTheProgram) {
    const struct {
        std::function<void(NetGame&)> send;
        const char* message;
    } rows[] = {
        {[](NetGame& n) {
             DebugWin(n.g).SetCommandText(u"042");
             SndTxt_KeyDown(n.g, kVkReturn, 0);
         },
         "042"},
        {[](NetGame& n) {
             n.g.s.SceneNo = kSceneMatch;
             n.g.s.MyMisState[2] = kMisFlying;
             n.g.s.MyMisX[2] = 31;  // past the line: the server decides the match
             n.clock.Advance(67);
             FramePass(n.g, n.clock.TimeGetTime());
         },
         "5112"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.message);
        NetGame n;
        RawPeer peer;
        ASSERT_TRUE(Served(n, peer));
        peer.Close();
        ASSERT_TRUE(n.PollUntil([&] { return n.winsock.State() == SocketState::kFailed; }));
        EXPECT_FALSE(n.g.ended) << "a close is not an event of its own";
        r.send(n);
        EXPECT_TRUE(n.Traced(std::string("msgbox Kanaburst|Connect Lost\r\n→SendDataAdd(") +
                             r.message + ")"));
        EXPECT_EQ(n.trace.back(), "exit");
        EXPECT_EQ(n.TracedStartingWith("send ").size(), 1u) << "only the 00";
    }
}

// A client in a running match receives what a peer playing the server sends, in arrivals cut
// anywhere; `check` looks at the game afterwards.
TEST(Dispatch, ArrivalsFromTheServer) {
    const struct {
        std::function<void(Game&)> before;
        std::vector<std::string> arrivals;
        std::function<void(NetGame&, RawPeer&)> check;
    } rows[] = {
        {nullptr,
         {"041053", "051"},  // lane 1 is flying: 05 reinforces it
         [](NetGame& n, RawPeer&) {
             EXPECT_EQ(n.g.s.EnMisState[3], kMisFlying);
             EXPECT_EQ(n.g.s.EnMisX[1], 32);
             EXPECT_EQ(n.g.s.EnMisPower[1], 3);
             EXPECT_EQ(n.g.s.MyMisState, (std::array<Integer, kLaneSlots>{}));
         }},
        {nullptr,
         {"0", "42", "040", "0", "5", "0", "9", "92"},  // a message waits for its rest
         [](NetGame& n, RawPeer&) {
             EXPECT_EQ(n.g.s.EnMisState[2], kMisFlying);
             EXPECT_EQ(n.g.s.EnMisPower[0], 3);
             EXPECT_EQ(n.g.s.StartCount, 2.0f);
             EXPECT_EQ(n.TracedStartingWith("log 2 "), Lines{});
         }},
        {nullptr,
         {"07x"},
         [](NetGame& n, RawPeer&) {
             EXPECT_EQ(n.TracedStartingWith("log 2 "),
                       (Lines{"log 2 No Command : 7 : x", "log 2 GetDataEr : x"}));
         }},
        {nullptr,
         {"041047053", "046"},  // lane 7 drops the rest; the tables hold lane 6
         [](NetGame& n, RawPeer&) {
             EXPECT_EQ(n.g.s.EnMisState[1], kMisFlying);
             EXPECT_EQ(n.g.s.EnMisState[3], kMisEmpty);
             EXPECT_EQ(n.g.s.EnMisState[6], kMisFlying);
             EXPECT_EQ(n.TracedStartingWith("log 2 "), Lines{"log 2 GetDataEr : 7053"});
         }},
        {[](Game& g) { Fire_Mis(g, 2, kMySide); },
         {"042", "044", "062064"},
         [](NetGame& n, RawPeer&) {
             EXPECT_EQ(n.g.s.MyMisState[2], kMisExploding);
             EXPECT_EQ(n.g.s.MyMisPower[2], 30);
             EXPECT_EQ(n.g.s.EnMisState[2], kMisExploding);
             EXPECT_EQ(n.g.s.EnMisPower[2], 30);
             EXPECT_EQ(n.g.s.EnMisState[4], kMisExploding);
             EXPECT_EQ(n.g.s.MyMisState[4], kMisEmpty) << "an empty lane stays empty";
         }},
        {[](Game& g) {
             g.s.PlaySec = 5;
             g.s.InputStr = u"KA";
         },
         {"993"},
         [](NetGame& n, RawPeer&) {
             EXPECT_EQ(n.g.s.StartCount, 3.0f);
             EXPECT_EQ(n.g.s.PlaySec, 0);
             EXPECT_EQ(n.g.s.InputOn, 0);
             EXPECT_EQ(n.g.s.InputStr, u"KA");
         }},
        {[](Game& g) { g.s.InputStr = u"KA"; },
         {"990"},
         [](NetGame& n, RawPeer&) {
             EXPECT_EQ(n.g.s.InputOn, 1);
             EXPECT_EQ(n.g.s.InputStr, u"");
         }},
        {[](Game& g) { Fire_Mis(g, 2, kMySide); },
         {"042", "51027x"},  // the result ends the match; what follows it is not read
         [](NetGame& n, RawPeer& peer) {
             EXPECT_EQ(n.g.s.SceneNo, kSceneOver);
             EXPECT_EQ(n.g.s.GameResult, u"WIN");
             EXPECT_EQ(n.g.s.MyMisState[2], kMisExploding) << "our missile got through";
             EXPECT_EQ(n.g.s.EnMisState[2], kMisFlying);
             EXPECT_EQ(n.g.s.GameMode, kModeNone);
             EXPECT_EQ(Occupied(n.g), 0);
             EXPECT_EQ(n.winsock.State(), SocketState::kClosed);
             EXPECT_EQ(n.TracedStartingWith("log 2 "), Lines{"log 2 Connection Tarminated"});
             EXPECT_TRUE(peer.SeesClose(2000));
         }},
        {nullptr,
         {"045", "5", "11", "5"},
         [](NetGame& n, RawPeer&) {
             EXPECT_EQ(n.g.s.GameResult, u"LOSE");
             EXPECT_EQ(n.g.s.EnMisState[5], kMisExploding);
             EXPECT_EQ(n.g.s.EnMisPower[5], 30);
         }},
        // A byte that is no character reads as one ・ and keeps the digits behind it.
        {nullptr,
         {"04\x82\xA0", "\xE3\x30\x34\x31", "\xEB\x40\x82\x30"},
         [](NetGame& n, RawPeer&) {
             EXPECT_EQ(n.TracedStartingWith("log 1 "),
                       (Lines{"log 1 04あ", "log 1 ・041", "log 1 ・・0"}));
         }},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.arrivals.front());
        NetGame n;
        RawListener listener;
        RawPeer peer;
        ASSERT_TRUE(n.ClientInMatch(listener, peer));
        ASSERT_TRUE(n.PollUntil([&] { return n.g.s.SendList[0].empty(); }));
        if (r.before) r.before(n.g);
        n.trace.clear();
        for (size_t i = 0; i < r.arrivals.size(); ++i) {
            peer.Send(r.arrivals[i]);  // one arrival each: the next waits for this one
            ASSERT_TRUE(n.PollUntil([&] { return n.TracedStartingWith("recv ").size() > i; }));
        }
        r.check(n, peer);
    }
}

TEST(ServerDispatch, SecondClientDuringAMatchIsTurnedAway) {
    NetGame n;
    RawPeer first, second;
    ASSERT_TRUE(n.ServeAndAccept(first));
    first.Send("01");
    ASSERT_TRUE(n.PollUntil([&] { return n.g.s.SceneNo == kSceneMatch; }));
    ASSERT_TRUE(second.ConnectTo(n.winsockL.BoundPort()));
    EXPECT_TRUE(n.PollUntil([&] { return second.SeesClose(0); }));
    EXPECT_EQ(second.Received(), "");
    EXPECT_EQ(n.TracedStartingWith("log 2 ConnectionRequest").size(), 1u);
    first.Send("043");
    ASSERT_TRUE(n.PollUntilTraced("recv 043"));
    EXPECT_EQ(n.g.s.EnMisState[3], kMisFlying) << "the match goes on with the first client";
}

TEST(ServerDispatch, DataOnTheTitleIsOnlyLogged) {
    NetGame n;
    RawPeer peer;
    ASSERT_TRUE(n.ServeAndAccept(peer));
    // Escape on the waiting screen closes the listener and goes back to the title.
    n.g.s.GameMode = kModeNone;
    CloseWinsockL(n.g);
    peer.Send("01041");
    ASSERT_TRUE(n.PollUntilTraced("log 1 01041"));
    EXPECT_EQ(n.g.s.SceneNo, kSceneTitle);
    EXPECT_FALSE(n.Traced("send 50"));
    EXPECT_EQ(n.g.s.EnMisState[1], kMisEmpty);
    EXPECT_EQ(n.TracedStartingWith("log 2 ").size(), 1u) << "only the connection request";
}

TEST(ServerDispatch, ListeningFailureIsKeptForTheScreen) {
    NetGame a, b;
    a.Serve();
    b.g.sv.gamePort = a.winsockL.BoundPort();
    b.g.s.GameMode = kModeServer;
    StartServer(b.g);
    EXPECT_EQ(b.g.listenError,
              u"Cannot listen on port " + Num(b.g.sv.gamePort) + u": Address already in use");
    EXPECT_EQ(b.g.s.GameMode, kModeServer) << "the waiting state stays; Escape leaves it";
    CloseWinsockL(b.g);
    EXPECT_EQ(b.g.listenError, u"");
}

}  // namespace
}  // namespace kb::test
