// The switchboard behind the game's two controls, with peers played by hand (the driver's script
// peer, one per transport): which transport an address goes to, which of several peers knocking
// at once the game gets, and what an address no transport reaches gives.
#include "platform/switchboard.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/script_peer/script_peer.h"

namespace kb::test {
namespace {

// Two ways to meet, each reached at its own address.
struct TwoWays {
    TwoWays() {
        board.Add(std::make_unique<ScriptPeerTransport>(first));
        board.Add(std::make_unique<ScriptPeerTransport>(second));
    }
    ScriptPeer first{"first peer"}, second{"second peer"};
    Switchboard board;
};

// Events as the game takes them: the first connection request of each poll is accepted on the
// board's connection, the others are left to close.
class Events : public SocketEvents {
  public:
    explicit Events(Switchboard& board) : board_(board) {}
    void ConnectionRequest(int32_t requestID) override {
        requests.push_back(requestID);
        if (requests.size() == 1) board_.Connection().Accept(requestID);
    }
    void SendComplete() override { ++completed; }
    void DataArrival(int32_t) override { arrived += board_.Connection().GetData(); }

    std::vector<int32_t> requests;
    int completed = 0;
    std::string arrived;

  private:
    Switchboard& board_;
};

TEST(Switchboard, AnAddressGoesToTheTransportThatReachesIt) {
    const struct {
        const char* address;
        const char* heardByFirst;
        const char* heardBySecond;
        SocketState state;
    } rows[] = {
        {"first peer", "hello", "", SocketState::kConnected},
        {"second peer", "", "hello", SocketState::kConnected},
        {"third peer", "", "", SocketState::kFailed},
        {"", "", "", SocketState::kFailed},
    };
    for (const auto& row : rows) {
        TwoWays ways;
        SocketControl& connection = ways.board.Connection();
        connection.SetRemoteHost(row.address);
        connection.Connect();
        EXPECT_EQ(connection.State(), row.state) << row.address;
        EXPECT_EQ(connection.SendData("hello"), row.state == SocketState::kConnected)
            << row.address;
        EXPECT_EQ(ways.first.Heard(), row.heardByFirst) << row.address;
        EXPECT_EQ(ways.second.Heard(), row.heardBySecond) << row.address;
    }
}

// A connection that goes another way closes the one it had, and closing it clears a failure.
TEST(Switchboard, ConnectingAgainLeavesTheFirstWay) {
    TwoWays ways;
    SocketControl& connection = ways.board.Connection();
    connection.SetRemoteHost("first peer");
    connection.Connect();
    connection.SetRemoteHost("second peer");
    connection.Connect();
    EXPECT_FALSE(ways.first.Say("late")) << "the first peer's connection is closed";
    ASSERT_TRUE(ways.second.Say("00"));
    Events events(ways.board);
    connection.Poll(events);
    EXPECT_EQ(events.arrived, "00");

    connection.SetRemoteHost("nobody");
    connection.Connect();
    EXPECT_EQ(connection.State(), SocketState::kFailed);
    EXPECT_FALSE(ways.second.Say("late"));
    connection.Close();
    EXPECT_EQ(connection.State(), SocketState::kClosed);
}

// The listener waits on every transport; whichever peer's request is raised first is the one
// the game accepts, and the game's bytes then go to it alone.
TEST(Switchboard, TheFirstPeerToArriveIsTheOpponent) {
    const struct {
        bool firstKnocks, secondKnocks;
        const char* opponent;  // who hears the game's greeting
    } rows[] = {
        {true, true, "first peer"},
        {false, true, "second peer"},
        {true, false, "first peer"},
        {false, false, ""},
    };
    for (const auto& row : rows) {
        TwoWays ways;
        std::string why;
        ASSERT_TRUE(ways.board.Listener().Listen(why));
        EXPECT_EQ(ways.board.Listener().State(), SocketState::kListening);
        EXPECT_EQ(row.firstKnocks && ways.first.Knock(), row.firstKnocks);
        EXPECT_EQ(row.secondKnocks && ways.second.Knock(), row.secondKnocks);
        Events events(ways.board);
        ways.board.Listener().Poll(events);
        ASSERT_EQ(events.requests.size(), size_t{row.firstKnocks} + size_t{row.secondKnocks});
        if (events.requests.size() == 2) {
            EXPECT_NE(events.requests[0], events.requests[1]) << "each request its own number";
        }

        const bool met = ways.board.Connection().SendData("00");
        EXPECT_EQ(met, *row.opponent != '\0') << row.opponent;
        const std::string opponent = !ways.first.Heard().empty()    ? "first peer"
                                     : !ways.second.Heard().empty() ? "second peer"
                                                                    : "";
        EXPECT_EQ(opponent, row.opponent);
        ways.board.Connection().Poll(events);
        EXPECT_EQ(events.completed, met ? 1 : 0);
    }
}

// A request can be taken only during its own event: its number means nothing after.
TEST(Switchboard, ARequestIsTakenDuringItsEventOnly) {
    class Ignoring : public SocketEvents {
      public:
        void ConnectionRequest(int32_t requestID) override { id = requestID; }
        void SendComplete() override {}
        void DataArrival(int32_t) override {}
        int32_t id = 0;
    } ignoring;
    TwoWays ways;
    std::string why;
    ways.board.Listener().Listen(why);
    ways.first.Knock();
    ways.board.Listener().Poll(ignoring);
    ASSERT_NE(ignoring.id, 0);
    ways.board.Connection().Accept(ignoring.id);
    EXPECT_EQ(ways.board.Connection().State(), SocketState::kClosed);
    EXPECT_FALSE(ways.first.Say("01"));
}

// A peer cannot knock while the game does not listen, and one that hangs up fails the game's
// next send, as a lost TCP connection does.
TEST(Switchboard, ThePeerKnocksOnlyWhileListenedForAndMayLeave) {
    TwoWays ways;
    EXPECT_FALSE(ways.first.Knock());
    std::string why;
    ways.board.Listener().Listen(why);
    ASSERT_TRUE(ways.first.Knock());
    ways.board.Listener().Close();
    EXPECT_FALSE(ways.first.Knock());
    EXPECT_EQ(ways.board.Listener().State(), SocketState::kClosed);
    // A knock the game never heard before it stopped listening is gone with it.
    ways.board.Listener().Listen(why);
    Events unheard(ways.board);
    ways.board.Listener().Poll(unheard);
    EXPECT_TRUE(unheard.requests.empty());

    SocketControl& connection = ways.board.Connection();
    connection.SetRemoteHost("first peer");
    connection.Connect();
    ASSERT_TRUE(connection.SendData("01"));
    ways.first.HangUp();
    EXPECT_EQ(connection.State(), SocketState::kFailed);
    EXPECT_FALSE(connection.SendData("04"));
    EXPECT_FALSE(ways.first.Say("50"));
    Events events(ways.board);
    connection.Poll(events);
    EXPECT_EQ(events.completed, 0) << "a send left unreported when the peer went stays so";
}

}  // namespace
}  // namespace kb::test
