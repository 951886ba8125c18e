#include "battle/explosions.h"

#include <gtest/gtest.h>

#include <vector>

#include "battle_game.h"
#include "shell/scenes.h"

namespace kb::test {
namespace {

// A background in which every pixel tells where it came from.
uint32_t Pattern(int x, int y) {
    return 0x100000u | (static_cast<uint32_t>(x) << 9) | y;
}

uint32_t FrameColour(int k) {
    return Rgb(40 * k, 200, 90);
}

// The first frame after a match shows the background undistorted, with each flame drawn as a
// cell of EXPpic masked by the cell below it. Here frame k is a 10 x 10 square of its own
// colour at (20, 20) of its cell.
TEST(DisImTest, FirstFrameShowsFlamesAsMaskedSpritesOnTheBackground) {
    BattleGame t;
    t.StartMatch(kModeCom);
    Game_End(t.g, u"WIN");
    for (int y = 0; y < 320; ++y)
        for (int x = 0; x < 480; ++x) t.g.BACKpic.Pixels()[y * 480 + x] = Pattern(x, y);
    t.g.s.BackLoaded = 1;
    std::vector<uint32_t> sheet;
    for (int y = 0; y < 128; ++y) {
        for (int x = 0; x < 320; ++x) {
            const bool square = x % 64 >= 20 && x % 64 < 30 && y % 64 >= 20 && y % 64 < 30;
            const uint32_t white = Rgb(255, 255, 255);
            if (y < 64)
                sheet.push_back(square ? FrameColour(x / 64 + 1) : white);
            else
                sheet.push_back(square ? white : Rgb(0, 0, 0));
        }
    }
    t.g.EXPpic.SetPicture(320, 128, sheet);
    GameState& s = t.g.s;
    s.ExpState[4] = 3;
    s.ExpX[4] = 100;
    s.ExpY[4] = 50;
    s.ExpState[9] = 5;
    s.ExpX[9] = -25;  // partly off the left edge
    s.ExpY[9] = 200;
    DIS_IM(t.g);
    for (int y = 0; y < 320; ++y) {
        for (int x = 0; x < 480; ++x) {
            uint32_t expected = Pattern(x, y);
            if (x >= 120 && x < 130 && y >= 70 && y < 80) expected = FrameColour(3);
            if (x < 5 && y >= 220 && y < 230) expected = FrameColour(5);
            ASSERT_EQ(t.g.Display.At(x, y), expected) << x << "," << y;
        }
    }
}

}  // namespace
}  // namespace kb::test
