#include "shell/scenes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "shell/ustr.h"
#include "test_game.h"

namespace kb::test {
namespace {

using Lists = std::vector<std::u16string>;

// Every field the scene moves set, given values they must overwrite.
void Dirty(GameState& s) {
    s.SceneNo = 7;
    s.InputOn = 5;
    s.KanaPos = 3;
    s.WordNo = 2;
    s.InputStr = u"KA";
    s.TypeCount = 40;
    s.PlaySec = 12;
    s.StartSec = u"x";
    s.LaneNo = 4;
    s.GameMode = kModeServer;
    s.StartCount = 2;
    s.KeyState = 2;
    s.KeyHold = 1;
    s.MissCount = 6;
    s.MissFlag = 1;
    s.SpeedBonus = 3;
    s.TypeSeNo = 4;
    s.GameLevel = 2;
    s.MenuNo = 6;
    s.WaveRowPhase = s.WaveColPhase = s.WaveRowAmp = s.WaveColAmp = 1.5f;
    s.WaveRowStart = s.WaveColStart = 2.5f;
    s.WaveLeft = 9;
    s.WaveHold = 9;
    s.ResultSec = 9;
    s.EndSec = 99;
    s.SendList[0] = u"0401";
    s.SendList[500] = u"99";
}

TEST(StartInitTest, FreshTitleWithReloadedShuffledList) {
    TestGame t;
    t.WriteFile("str.dat", "a,x\r\nb,y\r\nc,z\r\nd,w\r\n");
    Game& g = t.g;
    GameState& s = g.s;
    Dirty(s);
    g.Goku = {u"old"};
    g.Yomi = {u"old"};
    g.Wrong = {u"0001:か:KI  "};
    g.SortW = {u"0001:か:KI  "};
    t.clock.Set(3600000 + 17 * 1000);
    const auto draws = g.rng.Draws();

    Start_Init(g);

    EXPECT_EQ(s.SceneNo, kSceneTitle);
    EXPECT_EQ(s.InputOn, 1);
    EXPECT_EQ(s.KanaPos, 0);
    EXPECT_EQ(s.WordNo, 0);
    EXPECT_EQ(s.InputStr, u"");
    EXPECT_EQ(s.TypeCount, 0);
    EXPECT_EQ(s.PlaySec, 0);
    EXPECT_EQ(s.StartSec, u"17");
    EXPECT_EQ(s.LaneNo, 0);
    EXPECT_EQ(s.GameMode, kModeNone);
    EXPECT_EQ(s.StartCount, 0.0f);
    EXPECT_TRUE(
        std::all_of(s.SendList.begin(), s.SendList.end(), [](auto& m) { return m.empty(); }));
    EXPECT_TRUE(g.Wrong.empty());
    EXPECT_EQ(g.SortW,
              (Lists{u"0001:か:KI  "}));  // the last result stays until the next match ends
    // Left for the callers: key state, difficulty and menu cursor.
    EXPECT_EQ(s.KeyState, 2);
    EXPECT_EQ(s.KeyHold, 1);
    EXPECT_EQ(s.GameLevel, 2);
    EXPECT_EQ(s.MenuNo, 6);
    EXPECT_EQ(s.MissCount, 6);

    ASSERT_EQ(g.Goku.size(), 4u);
    EXPECT_EQ(g.rng.Draws() - draws, 4u);
    Lists sorted = g.Goku;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted, (Lists{u"a", u"b", u"c", u"d"}));
    EXPECT_TRUE(t.TracedStartingWith("msgbox ").empty());
}

TEST(StartInitTest, TwiceGivesTheSameEntriesInANewOrder) {
    TestGame t;
    std::string bytes;
    for (int i = 0; i < 30; ++i)
        bytes += "w" + std::to_string(i) + ",r" + std::to_string(i) + "\r\n";
    t.WriteFile("str.dat", bytes);
    Start_Init(t.g);
    const Lists first = t.g.Goku;
    Start_Init(t.g);
    ASSERT_EQ(t.g.Goku.size(), 30u);
    EXPECT_NE(t.g.Goku, first);
    Lists a = first, b = t.g.Goku;
    std::sort(a.begin(), a.end());
    std::sort(b.begin(), b.end());
    EXPECT_EQ(a, b);
    for (std::size_t i = 0; i < t.g.Goku.size(); ++i)
        EXPECT_EQ(t.g.Goku[i].substr(1), t.g.Yomi[i].substr(1));
}

TEST(StartInitTest, MissingWordListGivesAnEmptyListAndABox) {
    TestGame t;
    Start_Init(t.g);
    EXPECT_TRUE(t.g.Goku.empty());
    EXPECT_TRUE(t.g.Yomi.empty());
    EXPECT_EQ(t.TracedStartingWith("msgbox "), (std::vector<std::string>{"msgbox Kanaburst|"}));
}

TEST(GameStartInitTest, MatchSceneWithCountDown) {
    TestGame t;
    t.WriteFile("str.dat", "a,x\r\nb,y\r\n");
    Game& g = t.g;
    GameState& s = g.s;
    Start_Init(g);
    const Lists goku = g.Goku;
    Dirty(s);
    s.WordNo = 1;
    s.KanaPos = 1;
    s.TypeCount = 40;
    t.clock.Set(3600000 + 42 * 1000);

    GameStartInit(g);

    EXPECT_EQ(s.SceneNo, kSceneMatch);
    EXPECT_EQ(s.InputOn, 0);
    EXPECT_EQ(s.KeyState, 0);
    EXPECT_EQ(s.InputStr, u"");
    EXPECT_EQ(s.LaneNo, 0);
    EXPECT_EQ(s.PlaySec, 0);
    EXPECT_EQ(s.MissCount, 0);
    EXPECT_EQ(s.MissFlag, 0);
    EXPECT_EQ(s.StartCount, 4.0f);
    EXPECT_EQ(s.StartSec, u"42");
    EXPECT_EQ(s.SpeedBonus, 0);
    EXPECT_EQ(s.TypeSeNo, 0);
    EXPECT_EQ(g.Display.BackColor(), Rgb(0, 0, 0));
    // The typing position and the word list carry over from the title.
    EXPECT_EQ(s.WordNo, 1);
    EXPECT_EQ(s.KanaPos, 1);
    EXPECT_EQ(s.TypeCount, 40);
    EXPECT_EQ(g.Goku, goku);
    EXPECT_EQ(s.GameMode, kModeServer);
    EXPECT_EQ(s.GameLevel, 2);
}

TEST(GameEndTest, MatchOverWithSortedMistypes) {
    for (const char16_t* result : {u"WIN", u"LOSE", u"win", u"draw"}) {
        SCOPED_TRACE(ToUtf8(result));
        TestGame t;
        Game& g = t.g;
        GameState& s = g.s;
        Dirty(s);
        s.SceneNo = kSceneMatch;
        s.GameMode = kModeCom;
        g.Wrong = {u"0001:あ:A   ", u"0003:い:I     I     I   "};
        t.clock.Set(3600000 + 59 * 1000);

        Game_End(g, result);

        EXPECT_EQ(s.SceneNo, kSceneOver);
        EXPECT_EQ(s.GameResult, result);  // stored as given, not upper-cased
        EXPECT_EQ(s.GameMode, kModeNone);
        EXPECT_EQ(s.InputOn, 0);
        EXPECT_EQ(s.KeyState, 0);
        EXPECT_EQ(s.WaveLeft, -1);
        EXPECT_EQ(s.WaveHold, 30);
        EXPECT_EQ(s.ResultSec, 0);
        EXPECT_EQ(s.EndSec, 59);
        for (float v : {s.WaveRowPhase, s.WaveColPhase, s.WaveRowAmp, s.WaveColAmp, s.WaveRowStart,
                        s.WaveColStart})
            EXPECT_EQ(v, 0.0f);
        EXPECT_TRUE(g.Wrong.empty());
        EXPECT_EQ(g.SortW, (Lists{u"0003:い:I     I     I   ", u"0001:あ:A   "}));
        // Typing counters stay for the result screen.
        EXPECT_EQ(s.TypeCount, 40);
        EXPECT_EQ(s.MissCount, 6);
        EXPECT_EQ(s.KeyHold, 1);
    }
}

}  // namespace
}  // namespace kb::test
