#include "battle/computer.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "battle/missiles.h"
#include "battle_game.h"

namespace kb {
namespace {

using test::BattleGame;

// A computer match past its count-down, with `readings` as the word list.
void StartComMatch(BattleGame& t, const std::vector<std::u16string>& readings, Integer menuNo) {
    t.g.Goku = t.g.Yomi = readings;
    t.g.s.MenuNo = menuNo;
    t.StartMatch(kModeCom);
    Com_Init(t.g);
}

// The frames (counted from 1) in which the computer fired, heard by their sounds.
std::vector<int> ShotFrames(BattleGame& t, int frames) {
    std::vector<int> shots;
    for (int frame = 1; frame <= frames; ++frame) {
        const std::size_t before = t.trace.size();
        Com_AI(t.g);
        if (t.trace.size() != before) shots.push_back(frame);
    }
    return shots;
}

// The lane of the player's flying missile nearest the computer's base among the lanes where
// the computer has nothing; on equal x the lower lane. No random number is drawn for it.
TEST(ComAITest, AimsAtThePlayersMostAdvancedUncoveredMissile) {
    struct Case {
        const char* name;
        std::array<Integer, kLanes> mineX;  // 0: no missile of the player's
        int coveredLane;
        Integer coveredBy;
        int lane;
    };
    const std::vector<Case> cases = {
        {"lane 4 is nearer but covered", {0, 0, 200, 0, 150, 0}, 4, kMisFlying, 2},
        {"nearest wins", {300, 120, 0, 0, 0, 250}, 0, kMisEmpty, 1},
        {"equal x: the lower lane", {0, 180, 0, 180, 0, 0}, 0, kMisEmpty, 1},
        {"an explosion covers its lane too", {100, 0, 300, 0, 0, 0}, 0, kMisExploding, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BattleGame t;
        StartComMatch(t, {u"あ"}, 0);
        GameState& s = t.g.s;
        for (int i = 0; i < kLanes; ++i) s.MyMisState[i] = c.mineX[i] ? kMisFlying : kMisEmpty;
        s.MyMisX = {c.mineX[0], c.mineX[1], c.mineX[2], c.mineX[3], c.mineX[4], c.mineX[5]};
        s.EnMisState[c.coveredLane] = c.coveredBy;
        const auto draws = t.g.rng.Draws();
        s.ComTimer = 1;
        Com_AI(t.g);
        EXPECT_EQ(s.EnMisState[c.lane], kMisFlying);
        EXPECT_EQ(s.EnMisX[c.lane], 32);
        EXPECT_EQ(t.g.rng.Draws(), draws);
    }
}

TEST(ComAITest, IdleOutsideAComputerMatch) {
    for (Long mode : {kModeServer, kModeClient, kModeNone}) {
        BattleGame t;
        StartComMatch(t, {u"あ"}, 0);
        t.g.s.GameMode = mode;
        EXPECT_TRUE(ShotFrames(t, 100).empty()) << "mode " << mode;
        EXPECT_EQ(t.g.s.ComTimer, 45);
    }
}

TEST(ComAITest, ReadingsAreTakenFromTheLastEntryBackwardsAndWrap) {
    BattleGame t;
    StartComMatch(t, {u"あ", u"いいい", u"ううううう"}, 3);
    for (Integer length : {5, 3, 1, 5, 3}) {
        int frames = 0;
        while (ShotFrames(t, 1).empty() && ++frames < 100) {
        }
        EXPECT_EQ(t.g.s.ComWordLen, length);
    }
}

// An empty list (no str.dat) still gives a match: every word is finished at its first
// character, 45 frames in, then one shot per two-second pause.
TEST(ComAITest, AnEmptyListFiresAfterEveryPause) {
    BattleGame t;
    StartComMatch(t, {}, 0);
    EXPECT_EQ(ShotFrames(t, 120), (std::vector<int>{45, 75, 105}));
    EXPECT_EQ(t.g.s.ComWordNo, -1);
}

}  // namespace
}  // namespace kb
