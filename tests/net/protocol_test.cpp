// The send queue and the dispatcher, against a peer played by hand over loopback.
#include "net/protocol.h"

#include <gtest/gtest.h>

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

int Occupied(const Game& g) {
    int n = 0;
    for (const auto& slot : g.s.SendList) n += !slot.empty();
    return n;
}

// --- the queue --------------------------------------------------------------------------------

TEST(SendQueue, DelListMovesEveryMessageUpOne) {
    TestGame t;
    auto& list = t.g.s.SendList;
    list[0] = u"0401";
    list[1] = u"0502";
    list[2] = u"99";
    Del_List(t.g);
    EXPECT_EQ(list[0], u"0502");
    EXPECT_EQ(list[1], u"99");
    EXPECT_EQ(Occupied(t.g), 2);
    Del_List(t.g);
    Del_List(t.g);
    EXPECT_EQ(Occupied(t.g), 0);
    Del_List(t.g);  // an empty queue stays empty
    EXPECT_EQ(Occupied(t.g), 0);
}

TEST(SendQueue, DelListOnAFullQueueFreesTheLastSlot) {
    TestGame t;
    auto& list = t.g.s.SendList;
    for (int i = 0; i < kSendSlots; ++i) list[i] = Num(i);
    Del_List(t.g);
    EXPECT_EQ(list[0], u"1");
    EXPECT_EQ(list[499], u"500");
    EXPECT_EQ(list[500], u"");
}

TEST(SendQueue, ThreeMessagesGoOutOneAfterAnotherInOnePoll) {
    NetGame n;
    RawPeer peer;
    ASSERT_TRUE(n.ServeAndAccept(peer));
    ASSERT_TRUE(n.PollUntil([&] { return n.g.s.SendList[0].empty(); })) << "00 completes";
    n.trace.clear();
    SendDataAdd(n.g, kCodeLaunch, u"1");
    SendDataAdd(n.g, kCodeReinforce, u"1");
    SendDataAdd(n.g, kCodeCountDown, u"3");
    EXPECT_EQ(n.TracedStartingWith("send "), std::vector<std::string>{"send 041"});
    EXPECT_EQ(n.TracedStartingWith("log 0 "), std::vector<std::string>{"log 0 041"});
    EXPECT_EQ(Occupied(n.g), 3);
    PollNetwork(n.g);
    EXPECT_EQ(n.TracedStartingWith("send "),
              (std::vector<std::string>{"send 041", "send 051", "send 993"}));
    EXPECT_EQ(Occupied(n.g), 0);
    EXPECT_EQ(peer.Receive(2000, 10), "00041051993");
}

TEST(SendQueue, The502ndMessageIsRefused) {
    NetGame n;
    RawPeer peer;
    ASSERT_TRUE(n.ServeAndAccept(peer));
    ASSERT_TRUE(n.PollUntil([&] { return n.g.s.SendList[0].empty(); }));
    // One on the wire and 500 waiting behind it.
    for (int i = 0; i < kSendSlots; ++i) SendDataAdd(n.g, kCodeLaunch, Num(i % 6));
    EXPECT_EQ(Occupied(n.g), kSendSlots);
    EXPECT_FALSE(n.Traced("msgbox Kanaburst|送信データが多すぎます。"));
    const auto before = n.g.s.SendList;
    SendDataAdd(n.g, kCodeReinforce, u"2");
    EXPECT_TRUE(n.Traced("msgbox Kanaburst|送信データが多すぎます。"));
    EXPECT_EQ(n.g.s.SendList, before);
    EXPECT_FALSE(n.g.ended);
}

TEST(SendQueue, CodesAreWrittenWithTwoDigits) {
    NetGame n;
    RawPeer peer;
    ASSERT_TRUE(n.ServeAndAccept(peer));
    for (int code : {kCodeServerHello, 7, kCodeStart, 123}) {
        ASSERT_TRUE(n.PollUntil([&] { return n.g.s.SendList[0].empty(); }));
        SendDataAdd(n.g, code, u"x");
    }
    ASSERT_TRUE(n.PollUntil([&] { return n.g.s.SendList[0].empty(); }));
    EXPECT_EQ(peer.Receive(2000, 14), "0000x07x50x123x");
}

TEST(SendQueue, DecidingMessageSentEndsTheConnection) {
    NetGame n;
    RawPeer peer;
    ASSERT_TRUE(n.ServeAndAccept(peer));
    ASSERT_TRUE(n.PollUntil([&] { return n.g.s.SendList[0].empty(); }));
    SendDataAdd(n.g, kCodeDecided, u"12");
    SendDataAdd(n.g, kCodeLaunch, u"3");  // waits behind the result and is never sent
    ASSERT_TRUE(n.PollUntilTraced("log 2 Connection Tarminated"));
    EXPECT_EQ(Occupied(n.g), 0);
    EXPECT_EQ(n.winsock.State(), SocketState::kClosed);
    EXPECT_EQ(n.winsockL.State(), SocketState::kClosed);
    EXPECT_FALSE(n.Traced("send 043"));
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
        ASSERT_TRUE(n.ServeAndAccept(peer));
        ASSERT_TRUE(n.PollUntil([&] { return n.g.s.SendList[0].empty(); }));
        peer.Close();
        ASSERT_TRUE(n.PollUntil([&] { return n.winsock.State() == SocketState::kFailed; }));
        r.send(n);
        EXPECT_TRUE(n.Traced(std::string("msgbox Kanaburst|Connect Lost\r\n→SendDataAdd(") +
                             r.message + ")"));
        EXPECT_EQ(n.trace.back(), "exit");
        EXPECT_TRUE(n.TracedStartingWith("send ").size() == 1u) << "only the 00";
    }
}

// --- the dispatcher -------------------------------------------------------------------------

// A client in a running match against a peer that plays the server by hand.
class Dispatch : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(n_.ClientInMatch(listener_, peer_));
        ASSERT_TRUE(n_.PollUntil([&] { return n_.g.s.SendList[0].empty(); }));
        n_.trace.clear();
    }
    // The peer sends bytes; the game has received them as one arrival.
    void Arrive(const std::string& bytes) {
        peer_.Send(bytes);
        ASSERT_TRUE(n_.PollUntilTraced("recv " + bytes)) << bytes;
    }
    GameState& S() { return n_.g.s; }

    NetGame n_;
    RawListener listener_;
    RawPeer peer_;
};

TEST_F(Dispatch, HandshakeStartedTheMatchOnTheClient) {
    NetGame fresh;
    RawListener l;
    RawPeer p;
    ASSERT_TRUE(fresh.ConnectTo(l, p));
    EXPECT_FALSE(fresh.form2.Visible()) << "Enter hides the address window";
    p.Send("00");
    ASSERT_TRUE(fresh.PollUntilTraced("send 01"));
    EXPECT_EQ(fresh.g.s.SceneNo, kSceneTitle) << "the client waits for 50";
    p.Send("50");
    ASSERT_TRUE(fresh.PollUntilTraced("log 2 GAME START"));
    EXPECT_EQ(fresh.g.s.SceneNo, kSceneMatch);
    EXPECT_EQ(fresh.g.s.GameMode, kModeClient);
    EXPECT_EQ(fresh.g.s.StartCount, 4.0f);
    EXPECT_TRUE(fresh.Traced("log 1 00"));
    EXPECT_TRUE(fresh.Traced("log 1 50"));
}

TEST_F(Dispatch, LaunchAndReinforcementInOneArrival) {
    Arrive("041053");
    EXPECT_EQ(S().EnMisState[1], kMisFlying);
    EXPECT_EQ(S().EnMisState[3], kMisFlying);
    EXPECT_EQ(S().EnMisX[1], 32);
    Arrive("051");  // lane 1 is flying: this one reinforces it
    EXPECT_EQ(S().EnMisPower[1], 3);
    EXPECT_EQ(S().MyMisState, (std::array<Integer, kLaneSlots>{}));
}

// Text goes out and comes in in code page 932; a byte that is no character reads as one ・ and
// keeps the digits behind it.
TEST_F(Dispatch, TextOnTheWireIsCodePage932BothWays) {
    enum { kBoth, kOut, kIn };
    const struct {
        const char* text;
        std::string bytes;
        int way;
    } rows[] = {
        {"04あ", "04\x82\xA0", kBoth},
        {"99ｶ", "99\xB6", kBoth},
        {"04\U0001F600", "04?", kOut},  // no such character in code page 932
        {"・041", "\xE3\x30\x34\x31", kIn},
        {"・・0", "\xEB\x40\x82\x30", kIn},  // a lead and trail byte that name nothing: one
    };
    std::string sent = peer_.Received();
    for (const auto& r : rows) {
        SCOPED_TRACE(r.text);
        if (r.way != kIn) {
            DebugWin(n_.g).SetCommandText(FromUtf8(r.text));
            SndTxt_KeyDown(n_.g, kVkReturn, 0);
            sent += r.bytes;
            EXPECT_EQ(peer_.Receive(2000, sent.size()), sent);
            ASSERT_TRUE(n_.PollUntil([&] { return n_.g.s.SendList[0].empty(); }));
        }
        if (r.way != kOut) {
            peer_.Send(r.bytes);
            EXPECT_TRUE(n_.PollUntilTraced(std::string("log 1 ") + r.text));
        }
    }
}

TEST_F(Dispatch, MessageSplitByTcpIsAppliedWhenItsRestArrives) {
    Arrive("0");
    EXPECT_EQ(S().EnMisState[2], kMisEmpty);
    Arrive("42");
    EXPECT_EQ(S().EnMisState[2], kMisFlying);
    Arrive("040");
    Arrive("0");  // a lone first digit waits for the second
    Arrive("5");
    EXPECT_EQ(S().EnMisPower[0], 1) << "05 still needs its lane";
    Arrive("0");
    EXPECT_EQ(S().EnMisPower[0], 3);
    Arrive("9");
    Arrive("92");
    EXPECT_EQ(S().StartCount, 2.0f);
    EXPECT_TRUE(n_.TracedStartingWith("log 2 ").empty()) << "no error on the way";
}

TEST_F(Dispatch, UnknownCodeThenSomethingThatIsNoNumber) {
    Arrive("07x");
    EXPECT_EQ(n_.TracedStartingWith("log 2 "),
              (std::vector<std::string>{"log 2 No Command : 7 : x", "log 2 GetDataEr : x"}));
}

TEST_F(Dispatch, LaneAboveSixIsAnErrorAndDropsTheRest) {
    Arrive("041047053");
    EXPECT_EQ(S().EnMisState[1], kMisFlying) << "what came before the error stays";
    EXPECT_EQ(S().EnMisState[3], kMisEmpty) << "what came after it is dropped";
    EXPECT_EQ(n_.TracedStartingWith("log 2 "), std::vector<std::string>{"log 2 GetDataEr : 7053"});
    Arrive("046");  // the tables hold lane 6: it takes the missile, no error
    EXPECT_EQ(S().EnMisState[6], kMisFlying);
    EXPECT_EQ(n_.TracedStartingWith("log 2 ").size(), 1u);
}

TEST_F(Dispatch, CollisionExplodesBothFlyingMissiles) {
    Fire_Mis(n_.g, 2, kMySide);
    Arrive("042");
    Arrive("044");
    Arrive("062064");
    EXPECT_EQ(S().MyMisState[2], kMisExploding);
    EXPECT_EQ(S().MyMisPower[2], 30);
    EXPECT_EQ(S().EnMisState[2], kMisExploding);
    EXPECT_EQ(S().EnMisPower[2], 30);
    EXPECT_EQ(S().EnMisState[4], kMisExploding);
    EXPECT_EQ(S().MyMisState[4], kMisEmpty) << "an empty lane stays empty";
}

TEST_F(Dispatch, CountDownFollowsTheServer) {
    S().PlaySec = 5;
    S().InputStr = u"KA";
    Arrive("993");
    EXPECT_EQ(S().StartCount, 3.0f);
    EXPECT_EQ(S().PlaySec, 0);
    EXPECT_EQ(S().InputOn, 0);
    EXPECT_EQ(S().InputStr, u"KA");
    Arrive("990");
    EXPECT_EQ(S().StartCount, 0.0f);
    EXPECT_EQ(S().InputOn, 1);
    EXPECT_EQ(S().InputStr, u"");
}

TEST_F(Dispatch, DecidingMessageEndsTheMatchAndIgnoresTheRest) {
    // Fired from this side and the other before the result arrives.
    Fire_Mis(n_.g, 2, kMySide);
    Arrive("042");
    Arrive("51027x");
    EXPECT_EQ(S().SceneNo, kSceneOver);
    EXPECT_EQ(S().GameResult, u"WIN");
    EXPECT_EQ(S().MyMisState[2], kMisExploding) << "our missile got through";
    EXPECT_EQ(S().EnMisState[2], kMisFlying);
    EXPECT_EQ(S().GameMode, kModeNone);
    EXPECT_EQ(Occupied(n_.g), 0);
    EXPECT_EQ(n_.winsock.State(), SocketState::kClosed);
    EXPECT_EQ(n_.TracedStartingWith("log 2 Connection"),
              std::vector<std::string>{"log 2 Connection Tarminated"});
    EXPECT_TRUE(n_.TracedStartingWith("log 2 No Command").empty()) << "07x is not read";
    EXPECT_TRUE(peer_.SeesClose(2000));
}

TEST_F(Dispatch, ServerMissileThroughMeansTheClientLoses) {
    Arrive("045");
    Arrive("5115");
    EXPECT_EQ(S().GameResult, u"LOSE");
    EXPECT_EQ(S().EnMisState[5], kMisExploding);
    EXPECT_EQ(S().EnMisPower[5], 30);
}

TEST_F(Dispatch, DecidingMessageWithItsLaneStillToCome) {
    Arrive("51");
    Arrive("1");
    EXPECT_EQ(S().SceneNo, kSceneMatch);
    Arrive("3");
    EXPECT_EQ(S().GameResult, u"LOSE");
}

TEST_F(Dispatch, PeerDisconnectingMidMatchIsNoticedAtTheNextSend) {
    peer_.Close();
    ASSERT_TRUE(n_.PollUntil([&] { return n_.winsock.State() == SocketState::kFailed; }));
    EXPECT_FALSE(n_.g.ended) << "a close is not an event of its own";
    Fire_Mis(n_.g, 0, kMySide);
    EXPECT_TRUE(n_.Traced("msgbox Kanaburst|Connect Lost\r\n→SendDataAdd(040)"));
    EXPECT_TRUE(n_.g.ended);
}

// --- the server's side ----------------------------------------------------------------------

TEST(ServerDispatch, ClientAnswerStartsTheMatch) {
    NetGame n;
    RawPeer peer;
    ASSERT_TRUE(n.ServeAndAccept(peer));
    EXPECT_TRUE(n.Traced("log 2 ConnectionRequest"));
    peer.Send("01");
    ASSERT_TRUE(n.PollUntilTraced("send 50"));
    EXPECT_EQ(n.g.s.SceneNo, kSceneMatch);
    EXPECT_EQ(n.g.s.GameMode, kModeServer);
    EXPECT_TRUE(n.Traced("log 2 GAME START"));
    EXPECT_EQ(peer.Receive(2000, 4), "0050");
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
    Fire_Mis(n.g, 1, kMySide);
    EXPECT_EQ(first.Receive(2000, 7), "0050041");
}

TEST(ServerDispatch, SecondClientDuringTheHandshakeIsTurnedAway) {
    NetGame n;
    RawPeer first, second;
    ASSERT_TRUE(n.ServeAndAccept(first));
    ASSERT_TRUE(second.ConnectTo(n.winsockL.BoundPort()));
    EXPECT_TRUE(n.PollUntil([&] { return second.SeesClose(0); }));
    first.Send("01");
    ASSERT_TRUE(n.PollUntilTraced("send 50"));
}

TEST(ServerDispatch, DataOnTheTitleIsOnlyLogged) {
    NetGame n;
    RawPeer peer;
    ASSERT_TRUE(n.ServeAndAccept(peer));
    // Escape on the waiting screen closes the listener and goes back to the title.
    n.g.s.GameMode = kModeNone;
    CloseWinsockL(n.g);
    peer.Send("01041");
    ASSERT_TRUE(n.PollUntilTraced("recv 01041"));
    EXPECT_TRUE(n.Traced("log 1 01041"));
    EXPECT_EQ(n.g.s.SceneNo, kSceneTitle);
    EXPECT_FALSE(n.Traced("send 50"));
    EXPECT_EQ(n.g.s.EnMisState[1], kMisEmpty);
    EXPECT_TRUE(n.TracedStartingWith("log 2 ").size() == 1u) << "only the connection request";
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
