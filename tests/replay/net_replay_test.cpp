// Network matches recorded on both sides over real loopback TCP and played back in
// kanaburst-sim: the peer's launches, collisions and the deciding message arrive in the frames
// they arrived in, and nothing is sent. And a match lost in its first second.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/connection.h"
#include "net/net_game.h"
#include "replay/recorded_game.h"
#include "replay/replay_states.h"
#include "shell/scenes.h"
#include "test_keys.h"
#include "typing/key_codes.h"

namespace kb::test {
namespace {

// A game on real sockets, recorded. Its word list is empty: every Enter fires a missile.
class NetPlayer : public RealSockets, public RecordedGame {
  public:
    NetPlayer() : RecordedGame(Make()) {}
    Game& G() { return t.g; }
    void Connect(int port) {
        G().sv.gamePort = port;
        G().s.GameMode = kModeClient;
        ShowAddressWindow(G());
        form2.SetText(u"127.0.0.1");
        Text1_KeyDown(G(), kVkReturn, 0);
    }
    // What this side's traced lines starting with prefix carry after it, all told.
    size_t Bytes(const std::string& prefix) const {
        size_t n = 0;
        for (const std::string& line : t.TracedStartingWith(prefix))
            n += line.size() - prefix.size();
        return n;
    }
};

bool Delivered(NetPlayer& from, NetPlayer& to) {
    return from.G().s.SendList[0].empty() && from.Bytes("send ") == to.Bytes("recv ");
}

// Plays the replay in the driver, in the player's program directory, and holds every frame to
// the one the match showed.
void ExpectPlaysBack(const RecordedGame& player, size_t atLeast) {
    const std::string replay = player.LastReplay();
    ASSERT_FALSE(replay.empty());
    const SimRun run =
        RunSim(replay, "--dir '" + player.t.dir.Path().string() + "' --frame-states");
    ASSERT_EQ(run.status, 0) << run.out;
    std::vector<std::string> live;
    for (const std::string& s : player.states) live.push_back(Comparable(s));
    ExpectSameFrames(live, FrameStates(run), atLeast);
}

// Both sides fire into lane 1, where the server decides a collision; then the client's missile,
// reinforced four times, gets through in lane 0. Frames run in step, each waiting for what the
// last one sent to arrive.
TEST(NetReplay, BothSidesOfAMatchOverTcpPlayBack) {
    NetPlayer server, client;
    ASSERT_TRUE(server.started && client.started);
    server.G().s.GameMode = kModeServer;
    StartServer(server.G());
    client.Connect(server.winsockL.BoundPort());
    ASSERT_TRUE(PollGames({&server.G(), &client.G()}, [&] {
        return server.G().s.SceneNo == kSceneMatch && client.G().s.SceneNo == kSceneMatch;
    }));
    for (int frame = 1; frame < 600; ++frame) {
        if (frame == 70) {
            Press(server.G(), kVkDown);
            Press(server.G(), kVkReturn);
        }
        if (frame == 75) {
            Press(client.G(), kVkDown);
            Press(client.G(), kVkReturn);
        }
        if (frame == 280) {  // after the missiles in lane 1 have met
            Press(client.G(), kVkUp);
            for (int i = 0; i < 5; ++i) Press(client.G(), kVkReturn);
        }
        server.Frame();
        client.Frame();
        PollGames({&server.G(), &client.G()},
                  [&] { return Delivered(server, client) && Delivered(client, server); });
        if (server.G().s.SceneNo == kSceneOver && client.G().s.SceneNo == kSceneOver &&
            server.G().s.ResultSec > 2)
            break;
    }
    EXPECT_EQ(server.G().s.GameResult, u"LOSE");
    EXPECT_EQ(client.G().s.GameResult, u"WIN");
    EXPECT_TRUE(client.t.Traced("recv 061")) << "the server decided the collision";
    server.recorder.Finish();
    client.recorder.Finish();
    // The first comment says what the match was.
    EXPECT_NE(server.LastReplay().find("\n# VS. Player [Server], Easy: LOSE after "),
              std::string::npos)
        << server.LastReplay();
    EXPECT_NE(client.LastReplay().find("\n# VS. Player [Client], Easy: WIN after "),
              std::string::npos)
        << client.LastReplay();
    ExpectPlaysBack(server, 150);
    ExpectPlaysBack(client, 150);
}

// The server starts the match and at once says its missile got through: the client loses before
// its count-down has counted a second, and its replay shows just that.
TEST(NetReplay, AMatchLostInItsFirstSecond) {
    RawListener listener;
    RawPeer peer;
    NetPlayer client;
    ASSERT_TRUE(client.started);
    client.Connect(listener.Port());
    ASSERT_TRUE(PollGames({&client.G()}, [&] { return listener.TryAccept(peer); }));
    peer.Send("00");
    ASSERT_TRUE(PollGames({&client.G()}, [&] { return client.t.Traced("send 01"); }));
    ASSERT_EQ(peer.Receive(2000, 2), "01");
    peer.Send("50");
    ASSERT_TRUE(PollGames({&client.G()}, [&] { return client.G().s.SceneNo == kSceneMatch; }));
    peer.Send("5113");
    ASSERT_TRUE(PollGames({&client.G()}, [&] { return client.G().s.SceneNo == kSceneOver; }));
    EXPECT_EQ(client.G().s.GameResult, u"LOSE");
    EXPECT_EQ(client.G().s.PlaySec, 0);
    client.Frames(60);
    client.recorder.Finish();
    ExpectPlaysBack(client, 60);
}

}  // namespace
}  // namespace kb::test
