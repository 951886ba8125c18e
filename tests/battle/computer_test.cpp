#include "battle/computer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "battle/missiles.h"
#include "battle_game.h"
#include "shell/main_loop.h"
#include "shell/scenes.h"

namespace kb {
namespace {

using test::BattleGame;

// Grows by 1 at every launch and by 2 at every reinforcement of the computer's side, so any
// change means the computer has fired.
int ShotsWeight(const GameState& s) {
    int sum = 0;
    for (int i = 0; i < kLanes; ++i)
        if (s.EnMisState[i] == kMisFlying) sum += s.EnMisPower[i];
    return sum;
}

// A computer match past its count-down, with `readings` as the word list.
void StartComMatch(BattleGame& t, const std::vector<std::u16string>& readings, Integer menuNo,
                   Long level = 0, Long fps = 15) {
    t.g.Goku = readings;
    t.g.Yomi = readings;
    t.g.s.MenuNo = menuNo;
    t.g.s.GameLevel = level;
    t.StartMatch(kModeCom, fps);
    Com_Init(t.g);
}

// The frames (counted from 1) in which the computer fired, over `frames` frames.
std::vector<int> ShotFrames(BattleGame& t, int frames) {
    std::vector<int> shots;
    for (int frame = 1; frame <= frames; ++frame) {
        const int before = ShotsWeight(t.g.s);
        Com_AI(t.g);
        if (ShotsWeight(t.g.s) != before) shots.push_back(frame);
    }
    return shots;
}

TEST(ComInitTest, WaitPerCharacterFollowsTheMenuSpeed) {
    const std::vector<std::pair<Integer, Integer>> cases = {
        {0, 15}, {1, 7}, {2, 5}, {3, 3}, {4, 3}};
    for (const auto& [menuNo, wait] : cases) {
        BattleGame t;
        StartComMatch(t, {u"あいう"}, menuNo);
        EXPECT_EQ(t.g.s.ComWait, wait) << "MenuNo " << menuNo;
        EXPECT_EQ(t.g.s.ComTimer, 45);
        EXPECT_EQ(t.g.s.ComPos, 0);
        EXPECT_EQ(t.g.s.ComWordLen, 3);
        EXPECT_EQ(t.g.s.ComWordNo, 0);
    }
}

TEST(ComInitTest, FirstWordIsARandomEntryAndTheRestComeFromTheEnd) {
    BattleGame t;
    const std::vector<std::u16string> readings = {u"あ", u"いい", u"ううう", u"ええええ",
                                                  u"おおおおお"};
    Random probe = t.g.rng;
    const int first = static_cast<int>(probe.Rnd() * 5.0 + 1.0) - 1;
    StartComMatch(t, readings, 0);
    EXPECT_EQ(t.g.s.ComWordLen, first + 1);
    EXPECT_EQ(t.g.s.ComWordNo, 4);
}

TEST(ComAITest, FirstShotOfA4KanaReadingAtSpeed1ComesAfter90Frames) {
    BattleGame t;
    StartComMatch(t, {u"かなかな", u"ことばあ"}, 0);
    const std::vector<int> shots = ShotFrames(t, 90);
    EXPECT_EQ(shots, std::vector<int>{90});
}

TEST(ComAITest, FramesPerCharacterAndPauseBetweenWords) {
    struct Case {
        const char* name;
        Integer menuNo;
        Long level;
        std::vector<int> shots;  // 45 + 2 waits, then pause + 2 waits each
    };
    const std::vector<Case> cases = {
        {"speed 4, Easy", 3, 0, {51, 87, 123}},
        {"speed 5 types as fast as speed 4", 4, 0, {51, 87, 123}},
        {"speed 3, Normal", 2, 1, {55, 90, 125}},
        {"speed 2, Hard", 1, 2, {59, 95, 131}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BattleGame t;
        StartComMatch(t, {u"かなか", u"ことば", u"さくら"}, c.menuNo, c.level);
        EXPECT_EQ(ShotFrames(t, 140), c.shots);
    }
}

TEST(ComAITest, PauseAfterAWordByDifficultyRoundsTiesToEven) {
    struct Case {
        Long fps, level;
        Integer pause;
    };
    const std::vector<Case> cases = {
        {15, 0, 30}, {15, 1, 25}, {15, 2, 22},  // 30 - 7.5 = 22.5 goes to the even 22
        {13, 2, 20},                            // 26 - 6.5 = 19.5 goes to the even 20
        {14, 1, 23},                            // 28 - 4.67
        {16, 1, 27},                            // 32 - 5.33
        {0, 2, 0},
    };
    for (const Case& c : cases) {
        BattleGame t;
        StartComMatch(t, {u"あ"}, 0, c.level, c.fps);
        t.g.s.ComTimer = 1;
        Com_AI(t.g);
        ASSERT_EQ(ShotsWeight(t.g.s), 1);
        EXPECT_EQ(t.g.s.ComTimer, c.pause) << "Fps " << c.fps << " level " << c.level;
    }
}

TEST(ComAITest, AimsAtThePlayersMostAdvancedUncoveredMissile) {
    struct Case {
        const char* name;
        std::vector<std::pair<int, Integer>> mine;     // lane, x
        std::vector<std::pair<int, Integer>> covered;  // lane, computer's state there
        int lane;
    };
    const std::vector<Case> cases = {
        {"lane 4 is nearer but covered", {{2, 200}, {4, 150}}, {{4, kMisFlying}}, 2},
        {"nearest wins", {{0, 300}, {1, 120}, {5, 250}}, {}, 1},
        {"equal x: the lower lane", {{3, 180}, {1, 180}}, {}, 1},
        {"an explosion covers its lane too", {{0, 100}, {2, 300}}, {{0, kMisExploding}}, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BattleGame t;
        StartComMatch(t, {u"あ"}, 0);
        GameState& s = t.g.s;
        for (auto [lane, x] : c.mine) {
            s.MyMisState[lane] = kMisFlying;
            s.MyMisX[lane] = x;
            s.MyMisPower[lane] = 1;
        }
        for (auto [lane, state] : c.covered) {
            s.EnMisState[lane] = state;
            s.EnMisX[lane] = 60;
            s.EnMisPower[lane] = state == kMisFlying ? 1 : 20;
        }
        const auto draws = t.g.rng.Draws();
        s.ComTimer = 1;
        Com_AI(t.g);
        EXPECT_EQ(s.EnMisState[c.lane], kMisFlying);
        EXPECT_EQ(s.EnMisX[c.lane], 32);
        EXPECT_EQ(t.g.rng.Draws(), draws) << "an aimed shot draws no random number";
    }
}

TEST(ComAITest, RandomLaneWhenNothingIsLeftToBlock) {
    BattleGame t;
    StartComMatch(t, {u"あ"}, 0);
    GameState& s = t.g.s;
    s.MyMisState[3] = kMisFlying;
    s.MyMisX[3] = 200;
    s.EnMisState[3] = kMisFlying;
    s.EnMisX[3] = 100;
    s.EnMisPower[3] = 1;
    for (int shot = 0; shot < 20; ++shot) {
        Random probe = t.g.rng;
        const int lane = static_cast<int>(probe.Rnd() * 6.0 + 1.0) - 1;
        const GameState before = s;
        s.ComTimer = 1;
        Com_AI(t.g);
        // A random lane may hold the computer's own missile, which is then reinforced.
        const Integer expected =
            before.EnMisState[lane] == kMisFlying ? before.EnMisPower[lane] + 2 : 1;
        EXPECT_EQ(s.EnMisPower[lane], expected) << "shot " << shot << " lane " << lane;
        EXPECT_EQ(s.EnMisState[lane], kMisFlying);
    }
}

TEST(ComAITest, IdleDuringTheCountDownAndOutsideAComputerMatch) {
    struct Case {
        const char* name;
        Long mode;
        Single startCount;
    };
    const std::vector<Case> cases = {
        {"count-down running", kModeCom, 1.0f},
        {"network server", kModeServer, 0.0f},
        {"network client", kModeClient, 0.0f},
        {"no match", kModeNone, 0.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BattleGame t;
        StartComMatch(t, {u"あ"}, 0);
        t.g.s.GameMode = c.mode;
        t.g.s.StartCount = c.startCount;
        EXPECT_TRUE(ShotFrames(t, 100).empty());
        EXPECT_EQ(t.g.s.ComTimer, 45);
    }
}

TEST(ComAITest, EmptyReadingsAreFinishedWithTheFirstCharacter) {
    BattleGame t;
    StartComMatch(t, {}, 0);
    EXPECT_EQ(t.g.s.ComWordLen, 0);
    EXPECT_EQ(t.g.s.ComWordNo, -1);
    // The first character after 45 frames, then one shot per two-second pause.
    EXPECT_EQ(ShotFrames(t, 120), (std::vector<int>{45, 75, 105}));
    EXPECT_EQ(t.g.s.ComWordNo, -1);
}

TEST(ComAITest, ReadingsAreTakenFromTheLastEntryBackwardsAndWrap) {
    BattleGame t;
    StartComMatch(t, {u"あ", u"いいい", u"ううううう"}, 3);
    const std::vector<Integer> expectedLengths = {5, 3, 1, 5, 3};
    for (Integer length : expectedLengths) {
        int frames = 0;
        while (ShotFrames(t, 1).empty() && ++frames < 100) {
        }
        EXPECT_EQ(t.g.s.ComWordLen, length);
    }
}

TEST(ComMatchTest, ComputerWinsAMatchThePlayerNeverAnswers) {
    BattleGame t;
    t.g.Goku = t.g.Yomi = {u"かなかな", u"ことば", u"さくらんぼ"};
    t.g.s.MenuNo = 4;
    t.g.s.GameMode = kModeCom;
    t.g.loop.Fps = 15;
    GameStartInit(t.g);
    t.g.s.StartCount = 0;  // the count-down is the match screen's; skip it
    int frames = 0;
    while (t.g.s.SceneNo == kSceneMatch && frames < 2000) {
        Main_Loop(t.g);
        ++frames;
    }
    EXPECT_EQ(t.g.s.SceneNo, kSceneOver);
    EXPECT_EQ(t.g.s.GameResult, u"LOSE");
    EXPECT_EQ(t.g.s.GameMode, kModeNone);
    // Even a fresh missile that nobody reinforces would be through after 50 + 385 frames.
    EXPECT_LE(frames, 435);
    EXPECT_TRUE(t.Traced("sound playex 3 8000 14000"));
}

}  // namespace
}  // namespace kb
