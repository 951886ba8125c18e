// One frame of the match scene as the frame routine runs it: the missiles move and the
// computer takes its turn before anything is drawn, the lane cursor and the texts go over the
// missiles, and a frame that ends the match still finishes as a match frame.
#include <gtest/gtest.h>

#include <algorithm>

#include "battle/missiles.h"
#include "screens/match_screen.h"
#include "screens/screen_game.h"
#include "shell/main_loop.h"
#include "shell/ustr.h"

namespace kb {
namespace {

using test::ScreenGame;

constexpr uint32_t kWhite = Rgb(255, 255, 255);

// A computer match whose count-down is over, with one word to type.
void InMatch(ScreenGame& t) {
    GameState& s = t.g.s;
    t.g.Goku = {u"柿"};
    t.g.Yomi = {u"かき"};
    s.SceneNo = kSceneMatch;
    s.GameMode = kModeCom;
    s.StartCount = 0;
    s.InputOn = 1;
    s.StartSec = Num(t.Second());
    s.PlaySec = 7;
    s.ComWordLen = 2;
    s.ComWait = 15;
    s.ComTimer = 5;
    t.g.loop.Fps = 15;
}

void Fly(GameState& s, bool mine, int lane, Integer x, Integer state = kMisFlying,
         Integer power = 1) {
    auto& st = mine ? s.MyMisState : s.EnMisState;
    auto& xs = mine ? s.MyMisX : s.EnMisX;
    auto& ys = mine ? s.MyMisY : s.EnMisY;
    auto& pw = mine ? s.MyMisPower : s.EnMisPower;
    st[lane] = state;
    xs[lane] = x;
    ys[lane] = static_cast<Integer>(32 * lane + 16);
    pw[lane] = power;
}

bool Printed(const ScreenGame& t, std::u16string_view text) {
    const auto& p = t.prints.printed;
    return std::any_of(p.begin(), p.end(), [&](const auto& x) { return x.text == text; });
}

TEST(FrameDispatch, MissilesMoveAndTheComputerFiresBeforeTheBattlefieldIsDrawn) {
    ScreenGame t;
    InMatch(t);
    GameState& s = t.g.s;
    Fly(s, true, 3, 300);
    s.ComPos = 1;  // its word's last kana comes in this frame
    s.ComTimer = 1;

    Main_Loop(t.g);

    EXPECT_EQ(s.MyMisX[3], 299);  // moved one pixel
    // The computer aims at the player's missile, and its shot is not moved in the frame it
    // was fired in: the missiles had moved before the computer's turn.
    EXPECT_EQ(s.EnMisState[3], kMisFlying);
    EXPECT_EQ(s.EnMisX[3], 32);

    // What the frame shows of the battlefield is the position at the end of the frame.
    ScreenGame ref;
    ref.g.s = s;
    ref.g.Display.Cls();
    Dis_Mis(ref.g);
    long differing = 0;
    for (int y = 0; y < 224; ++y)
        for (int x = 0; x < 448; ++x) differing += t.g.Display.At(x, y) != ref.g.Display.At(x, y);
    EXPECT_EQ(differing, 0);
}

TEST(FrameDispatch, TheLaneCursorIsDrawnOverTheMissiles) {
    ScreenGame t;
    InMatch(t);
    GameState& s = t.g.s;
    s.LaneNo = 2;
    Fly(s, false, 2, 440, kMisExploding, 10);  // the opponent's missile burning over our base

    Main_Loop(t.g);

    ASSERT_EQ(s.EnMisState[2], kMisExploding);
    const Surface& pic = t.g.PIC;
    const int blastCell = (kMisExploding - kMisFlying) * 4 + s.EnMisAnim[2] + 2;
    long underneath = 0;
    for (int dy = 0; dy < 32; ++dy) {
        for (int dx = 0; dx < 32; ++dx) {
            if (pic.At(256 + dx, 32 + dy) != kWhite) continue;  // outside the cursor's shape
            // The cursor's own picture wins wherever it has a shape ...
            ASSERT_EQ(t.g.Display.At(448 + dx, 80 + dy), pic.At(256 + dx, dy)) << dx << "," << dy;
            // ... also where the explosion, drawn earlier, had one.
            if (dx + 8 < 32 && pic.At(32 * blastCell + dx + 8, 32 + dy) == kWhite) ++underneath;
        }
    }
    EXPECT_GT(underneath, 20);
}

// The scene is read once: the frame in which a missile ends the match still runs the match's
// routines after the missiles, and the match-over routines start with the next frame.
TEST(FrameDispatch, TheFrameThatEndsTheMatchFinishesAsAMatchFrame) {
    ScreenGame t;
    InMatch(t);
    GameState& s = t.g.s;
    Fly(s, false, 0, 416);  // one pixel from our base
    t.SetSecond(10);        // a new second comes with this frame
    s.StartSec = Num(9);

    Main_Loop(t.g);

    ASSERT_EQ(s.SceneNo, kSceneOver);
    EXPECT_EQ(s.GameResult, u"LOSE");
    // The computer still had its turn, but with the match over it counts nothing down.
    EXPECT_EQ(s.ComTimer, 5);
    // The match clock ran after the match had ended, and the typing line was drawn.
    EXPECT_EQ(s.PlaySec, 8);
    EXPECT_EQ(s.StartSec, u"10");
    EXPECT_TRUE(Printed(t, u"柿"));
    EXPECT_TRUE(Printed(t, u"か"));
    EXPECT_NE(t.g.Display.At(15, 266), 0u);  // the typing frame's corner
    // Nothing of the match-over scene yet: no flames, the wave not started, no result.
    EXPECT_TRUE(
        std::all_of(s.ExpState.begin(), s.ExpState.end(), [](Integer e) { return e == 0; }));
    EXPECT_EQ(s.WaveHold, 30);
    EXPECT_EQ(s.WaveLeft, -1);
    EXPECT_FALSE(Printed(t, u"RESULT : LOSE"));

    t.prints.printed.clear();
    t.clock.Advance(67);
    Main_Loop(t.g);

    EXPECT_EQ(s.ExpState[0], 1);
    EXPECT_EQ(s.ExpState[5], 1);
    EXPECT_EQ(s.WaveHold, 29);
    EXPECT_TRUE(Printed(t, u"RESULT : LOSE"));
    EXPECT_FALSE(Printed(t, u"柿"));
    EXPECT_EQ(s.PlaySec, 8);
}

}  // namespace
}  // namespace kb
