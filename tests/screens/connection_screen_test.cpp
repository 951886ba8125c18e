#include "screens/connection_screen.h"

#include <gtest/gtest.h>

#include "screen_game.h"
#include "shell/ustr.h"

namespace kb {
namespace {

using test::Printed;
using test::ScreenGame;

void Connecting(ScreenGame& t, Long mode) {
    t.g.s.GameMode = mode;
    t.g.s.PlaySec = 0;
    t.g.s.StartSec = Num(t.Second());
    t.g.s.InputOn = 1;
}

std::u16string StatusAfterFrame(ScreenGame& t) {
    t.prints.printed.clear();
    DIS_Connection(t.g);
    const auto row = t.prints.AtRow(16);
    return row.empty() ? u"(none)" : row[0].text;
}

TEST(ConnectionScreenTest, ServerDotsCycleOncePerSecond) {
    ScreenGame t;
    Connecting(t, kModeServer);
    EXPECT_EQ(ToUtf8(StatusAfterFrame(t)), "接続要求待 ");
    EXPECT_EQ(ToUtf8(StatusAfterFrame(t)), "接続要求待 ") << "same second, same dots";
    const char* expected[] = {"接続要求待 .", "接続要求待 ..", "接続要求待 ...", "接続要求待 ",
                              "接続要求待 ."};
    for (int i = 0; i < 5; ++i) {
        t.SetSecond(i + 1);
        EXPECT_EQ(ToUtf8(StatusAfterFrame(t)), expected[i]) << "second " << i + 1;
    }
    for (int i = 6; i < 40; ++i) {
        t.SetSecond(i);
        StatusAfterFrame(t);
    }
    EXPECT_EQ(t.g.s.PlaySec, 39) << "the server waits for ever";
    EXPECT_EQ(t.g.s.GameMode, kModeServer);
}

TEST(ConnectionScreenTest, ClientConnectingWithDots) {
    // The address window is closed: the address has been entered.
    ScreenGame t;
    Connecting(t, kModeClient);
    EXPECT_EQ(ToUtf8(StatusAfterFrame(t)), "接続中 ");
    t.SetSecond(1);
    EXPECT_EQ(ToUtf8(StatusAfterFrame(t)), "接続中 .");
    t.SetSecond(2);
    EXPECT_EQ(ToUtf8(StatusAfterFrame(t)), "接続中 ..");
}

TEST(ConnectionScreenTest, StatusLineLooks) {
    ScreenGame t;
    Connecting(t, kModeServer);
    DIS_Connection(t.g);
    const auto row = t.prints.AtRow(16);
    ASSERT_EQ(row.size(), 1u);
    EXPECT_EQ(row[0].x, 16);
    EXPECT_EQ(row[0].points, 12);
    EXPECT_EQ(row[0].color, Rgb(255, 255, 255));
    EXPECT_EQ(t.g.Display.BackColor(), Rgb(50, 80, 200));
    EXPECT_EQ(t.g.Display.At(0, 0), Rgb(50, 80, 200)) << "cleared to the blue";
    EXPECT_EQ(t.g.s.InputOn, 0);
}

TEST(ConnectionScreenTest, CancelHintOnBothSides) {
    for (Long mode : {kModeServer, kModeClient}) {
        ScreenGame t;
        Connecting(t, mode);
        DIS_Connection(t.g);
        const auto row = t.prints.AtRow(288);
        ASSERT_EQ(row.size(), 1u);
        EXPECT_EQ(ToUtf8(row[0].text), "Cansel : ESC");
        EXPECT_EQ(row[0].points, 10);
        EXPECT_EQ(row[0].color, Rgb(200, 200, 200));
        // Placed as if two blanks followed: 14 letters of 6 pixels at 10 points.
        EXPECT_EQ(row[0].x, 480 - 14 * 6);
    }
}

TEST(ConnectionScreenTest, SecondsAreComparedAsNumbers) {
    // "05" and 5 are the same second: nothing is counted.
    ScreenGame t;
    Connecting(t, kModeServer);
    t.SetSecond(5);
    t.g.s.StartSec = u"05";
    DIS_Connection(t.g);
    EXPECT_EQ(t.g.s.PlaySec, 0);
    t.SetSecond(6);
    DIS_Connection(t.g);
    EXPECT_EQ(t.g.s.PlaySec, 1);
    EXPECT_EQ(ToUtf8(t.g.s.StartSec), "6");
}

TEST(ConnectionScreenTest, AddressWindowOpenAsksForTheAddressAndHoldsTheClock) {
    ScreenGame t;
    Connecting(t, kModeClient);
    t.form2.Show();
    for (int second = 1; second <= 40; ++second) {
        t.SetSecond(second);
        EXPECT_EQ(ToUtf8(StatusAfterFrame(t)), "接続先のＩＰを入力して下さい");
        EXPECT_EQ(t.g.s.PlaySec, 0);
    }
    EXPECT_EQ(t.g.s.GameMode, kModeClient) << "no time-out while the address is typed";
    t.form2.Hide();
    t.SetSecond(41);
    EXPECT_EQ(ToUtf8(StatusAfterFrame(t)), "接続中 .");
}

TEST(ConnectionScreenTest, ClientTimesOutWhenPastThirtySeconds) {
    ScreenGame t;
    Connecting(t, kModeClient);
    for (int second = 1; second <= 30; ++second) {
        t.SetSecond(second);
        DIS_Connection(t.g);
    }
    EXPECT_EQ(t.g.s.PlaySec, 30);
    EXPECT_EQ(t.g.s.GameMode, kModeClient) << "30 is not yet past 30";
    EXPECT_FALSE(t.Traced("msgbox Kanaburst|Connection TimeOut."));
    t.SetSecond(31);
    DIS_Connection(t.g);
    EXPECT_TRUE(t.Traced("msgbox Kanaburst|Connection TimeOut."));
    EXPECT_EQ(t.g.s.GameMode, kModeNone);
    EXPECT_EQ(t.g.s.SceneNo, kSceneTitle);
}

TEST(ConnectionScreenTest, ListenFailureShownInRedUnderTheStatus) {
    ScreenGame t;
    Connecting(t, kModeServer);
    DIS_Connection(t.g);
    EXPECT_TRUE(t.prints.AtRow(40).empty()) << "nothing while the server listens";
    t.g.listenError = u"Cannot listen on port 1001: Permission denied";
    t.prints.printed.clear();
    DIS_Connection(t.g);
    const auto row = t.prints.AtRow(40);
    ASSERT_EQ(row.size(), 1u);
    EXPECT_EQ(ToUtf8(row[0].text), "Cannot listen on port 1001: Permission denied");
    EXPECT_EQ(row[0].x, 16);
    EXPECT_EQ(row[0].points, 10);
    EXPECT_EQ(row[0].color, Rgb(255, 90, 90));
    EXPECT_EQ(ToUtf8(t.prints.AtRow(16)[0].text), "接続要求待 ") << "still waiting";
}

}  // namespace
}  // namespace kb
