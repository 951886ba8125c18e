#include "screens/connection_screen.h"

#include <gtest/gtest.h>

#include <string>

#include "screen_game.h"
#include "text/ustr.h"

namespace kb {
namespace {

using test::ScreenGame;

// Seconds are compared as numbers: "09" is the second 9.
void Connecting(ScreenGame& t, Long mode) {
    t.g.s.GameMode = mode;
    t.g.s.PlaySec = 0;
    t.g.s.StartSec = u"09";
}

// The status line after one frame in the given second.
std::string StatusIn(ScreenGame& t, int second) {
    t.SetSecond(second);
    t.prints.printed.clear();
    DIS_Connection(t.g);
    const auto row = t.prints.AtRow(16);
    return row.empty() ? "(none)" : ToUtf8(row[0]);
}

// The dots cycle once a second; the server waits for ever, the client gives up once more than
// 30 seconds have passed.
TEST(ConnectionScreen, DotsEachSecondAndTheClientsTimeOut) {
    const char* dots[] = {"", ".", "..", "..."};
    for (Long mode : {kModeServer, kModeClient}) {
        SCOPED_TRACE(mode);
        ScreenGame t;
        Connecting(t, mode);
        const std::string status = mode == kModeServer ? "接続要求待 " : "接続中 ";
        EXPECT_EQ(StatusIn(t, 9), status);
        EXPECT_EQ(StatusIn(t, 9), status) << "same second, same dots";
        for (int second = 1; second <= 30; ++second)
            EXPECT_EQ(StatusIn(t, 9 + second), status + dots[second % 4]) << second;
        EXPECT_EQ(t.g.s.GameMode, mode);
        EXPECT_FALSE(t.Traced("msgbox Kanaburst|Connection TimeOut."));
        StatusIn(t, 40);
        EXPECT_EQ(t.Traced("msgbox Kanaburst|Connection TimeOut."), mode == kModeClient);
        EXPECT_EQ(t.g.s.GameMode, mode == kModeClient ? kModeNone : mode);
        EXPECT_EQ(t.g.s.SceneNo, kSceneTitle);
    }
}

// While the address window is open the client asks for the address and its clock stands.
TEST(ConnectionScreen, AddressWindowHoldsTheClientsClock) {
    ScreenGame t;
    Connecting(t, kModeClient);
    t.form2.Show();
    for (int second = 10; second <= 50; ++second)
        EXPECT_EQ(StatusIn(t, second), "接続先のＩＰを入力して下さい") << second;
    EXPECT_EQ(t.g.s.PlaySec, 0);
    EXPECT_EQ(t.g.s.GameMode, kModeClient);
    t.form2.Hide();
    EXPECT_EQ(StatusIn(t, 51), "接続中 .");
}

}  // namespace
}  // namespace kb
