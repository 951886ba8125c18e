// Leaving the result screen: only a key released once two seconds have been counted goes back
// to the title; one released sooner is dropped, and one still held waits for its release.
#include "screens/result_screen.h"

#include <gtest/gtest.h>

#include "screen_game.h"
#include "shell/scenes.h"
#include "typing/key_codes.h"
#include "typing/key_input.h"

namespace kb::test {
namespace {

TEST(ResultScreen, ReleaseAfterTwoCountedSecondsLeavesForTheTitle) {
    const struct {
        const char* what;
        int secondsBefore;  // counted seconds when the key goes down
        bool released;
        bool leaves;  // on the next frame; otherwise not in the next second either
    } rows[] = {
        {"released in the first second: dropped", 1, true, false},
        {"released after two seconds", 2, true, true},
        {"held after two seconds, not yet released", 2, false, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        ScreenGame t;
        t.WriteFile("str.dat", "柿,かき\r\n");
        GameState& s = t.g.s;
        s.SceneNo = kSceneOver;
        s.GameResult = u"WIN";
        s.TypeCount = 9;
        s.EndSec = static_cast<Integer>(t.Second());
        auto frameAfter = [&](uint32_t ms) {
            t.clock.Advance(ms);
            Dis_Result(t.g);
        };
        for (int i = 0; i < row.secondsBefore; ++i) frameAfter(1000);
        ASSERT_EQ(s.ResultSec, row.secondsBefore);
        Display_KeyDown(t.g, kVkReturn, 0);
        if (row.released) Display_KeyUp(t.g, kVkReturn, 0);
        frameAfter(67);
        if (!row.leaves) frameAfter(1000);
        EXPECT_EQ(s.SceneNo, row.leaves ? kSceneTitle : kSceneOver);
        EXPECT_EQ(s.TypeCount, row.leaves ? 0 : 9);
    }
}

}  // namespace
}  // namespace kb::test
