// Whole network matches between two games over loopback: with no console opened every log
// call is traced and not one line reaches a log; with one opened it shows the traffic.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "battle/missiles.h"
#include "debug/debug_log.h"
#include "net/net_fixture.h"
#include "platform/debug_console.h"
#include "shell/form.h"
#include "shell/main_loop.h"
#include "shell/ustr.h"

namespace kb::test {
namespace {

constexpr char kWords[] = "\xEF\xBB\xBF猫,ねこ\r\n犬,いぬ\r\n";

class Player : public NetGame {
  public:
    Player() {
        WriteFile("str.dat", kWords);
        Form_Load(g);
    }
    void Frame() {
        clock.Advance(67);
        PollNetwork(g);
        FramePass(g, clock.TimeGetTime());
    }
};

// Joins the two, lets the client launch one missile once the count-down is over, and runs
// both until the missile has got through and the server has hung up.
void PlayMatch(Player& server, Player& client) {
    const int port = server.Serve();
    ASSERT_GT(port, 0);
    client.g.sv.gamePort = port;
    client.g.s.GameMode = kModeClient;
    ShowAddressWindow(client.g);
    client.form2.SetText(u"127.0.0.1");
    Text1_KeyDown(client.g, kVkReturn, 0);

    bool fired = false;
    for (int i = 0; i < 3000; ++i) {
        server.Frame();
        client.Frame();
        if (server.g.s.SceneNo == kSceneOver && client.g.s.SceneNo == kSceneOver) break;
        if (!fired && client.g.s.SceneNo == kSceneMatch && client.g.s.InputOn == 1) {
            Fire_Mis(client.g, 2, kMySide);
            fired = true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_TRUE(fired);
    ASSERT_EQ(server.g.s.SceneNo, kSceneOver);
    ASSERT_EQ(client.g.s.SceneNo, kSceneOver);
    // The server hangs up once its result message has gone out completely.
    ASSERT_TRUE(server.PollUntilTraced("log 2 Connection Tarminated"));
}

TEST(NetworkMatchLog, NothingIsLoggedWithTheConsoleNeverOpened) {
    Player server, client;
    ASSERT_NO_FATAL_FAILURE(PlayMatch(server, client));
    for (Player* p : {&server, &client}) {
        const DebugConsole& win = *p->g.sv.debugWin;
        EXPECT_FALSE(win.Visible());
        EXPECT_EQ(win.Log().Text(), u"");
        EXPECT_TRUE(p->Traced("log 2 GAME START"));
        EXPECT_TRUE(p->Traced("log 2 Connection Tarminated"));
    }
    EXPECT_TRUE(server.Traced("log 2 ConnectionRequest"));
    EXPECT_TRUE(server.Traced("log 0 00"));
    EXPECT_TRUE(server.Traced("log 1 042"));
    EXPECT_TRUE(client.Traced("log 0 042"));
    EXPECT_TRUE(client.Traced("log 1 00"));
}

TEST(NetworkMatchLog, AnOpenConsoleShowsTheTrafficWithItsPrefixes) {
    Player server, client;
    Display_MouseDown(server.g, 2, 1, 0, 0);
    ASSERT_NO_FATAL_FAILURE(PlayMatch(server, client));
    const std::u16string& log = server.g.sv.debugWin->Log().Text();
    for (const char16_t* line :
         {u"ConnectionRequest\r\n", u"← SND : 00\r\n", u"→ GET : 01\r\n", u"← SND : 50\r\n",
          u"GAME START\r\n", u"→ GET : 042\r\n", u"Connection Tarminated\r\n"})
        EXPECT_NE(log.find(line), std::u16string::npos) << ToUtf8(line) << " in\n" << ToUtf8(log);
    EXPECT_EQ(client.g.sv.debugWin->Log().Text(), u"");
}

}  // namespace
}  // namespace kb::test
