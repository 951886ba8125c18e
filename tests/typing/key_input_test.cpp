#include "typing/key_input.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/scenes.h"
#include "test_game.h"
#include "test_keys.h"
#include "typing/word_list.h"

namespace kb::test {
namespace {

using Lists = std::vector<std::u16string>;

// A computer match on the given readings, in this order, with the count-down over (the
// match screen's clock would do that).
void StartMatchOn(TestGame& t, const Lists& readings) {
    Start_Init(t.g);
    t.g.Goku.clear();
    t.g.Yomi.clear();
    for (const auto& r : readings) addStr(t.g, u"w", r);
    t.g.s.GameMode = kModeCom;
    GameStartInit(t.g);
    t.g.s.StartCount = 0;
    t.g.s.InputOn = 1;
}

// The acceptance case, end to end from the file: one entry 柿,かき.
class OneWordMatch : public ::testing::Test {
  protected:
    void SetUp() override {
        t_.WriteFile("str.dat", "\x8a\x60,\x82\xa9\x82\xab\r\n");
        Start_Init(t_.g);
        ASSERT_EQ(t_.g.Yomi, (Lists{u"かき"}));
        GameStartInit(t_.g);
        t_.g.s.StartCount = 0;
        t_.g.s.InputOn = 1;
    }
    TestGame t_;
};

TEST_F(OneWordMatch, TypingTheReadingUnitByUnit) {
    const GameState& s = t_.g.s;
    TypeKeys(t_.g, "K");
    EXPECT_EQ(s.KanaPos, 0);
    EXPECT_EQ(s.InputStr, u"K");
    TypeKeys(t_.g, "A");
    EXPECT_EQ(s.KanaPos, 1);
    EXPECT_EQ(s.TypeCount, 2);
    EXPECT_EQ(s.InputStr, u"");
    TypeKeys(t_.g, "KI");
    EXPECT_EQ(s.KanaPos, 2);
    EXPECT_EQ(s.TypeCount, 4);
    EXPECT_EQ(s.MissCount, 0);
    EXPECT_EQ(s.TypeSeNo, 2);  // two accepted units, two hit slots used
    EXPECT_TRUE(t_.g.Wrong.empty());

    // Enter fires and, on a one-word list, wraps back to the same word.
    Press(t_.g, kVkReturn);
    EXPECT_EQ(s.WordNo, 0);
    EXPECT_EQ(s.KanaPos, 0);
}

TEST_F(OneWordMatch, AWrongUnitCountsOneMissUntilErased) {
    const GameState& s = t_.g.s;
    TypeKeys(t_.g, "KI");
    EXPECT_EQ(s.MissCount, 1);
    EXPECT_EQ(s.MissFlag, 1);
    EXPECT_EQ(s.KanaPos, 0);
    EXPECT_EQ(s.InputStr, u"KI");  // the wrong letters stay
    EXPECT_EQ(t_.g.Wrong, (Lists{u"0001:か:KI  "}));

    TypeKeys(t_.g, "KA");  // still stuck: no further miss, no further record
    EXPECT_EQ(s.MissCount, 1);
    EXPECT_EQ(t_.g.Wrong, (Lists{u"0001:か:KI  "}));

    for (int i = 0; i < 4; ++i) Press(t_.g, kVkBack);
    EXPECT_EQ(s.InputStr, u"");
    TypeKeys(t_.g, "KA");
    EXPECT_EQ(s.KanaPos, 1);
    EXPECT_EQ(s.MissFlag, 0);
    EXPECT_EQ(s.MissCount, 1);
    EXPECT_EQ(s.TypeCount, 2);  // only the accepted unit's keys count

    TypeKeys(t_.g, "KO");  // a new stuck unit counts again
    EXPECT_EQ(s.MissCount, 2);
    EXPECT_EQ(t_.g.Wrong, (Lists{u"0001:か:KI  ", u"0001:き:KO  "}));
}

TEST(JudgementTest, FourLettersThatConvertToNothingAreAMiss) {
    TestGame t;
    StartMatchOn(t, {u"ちか"});
    TypeKeys(t.g, "TCH");
    EXPECT_EQ(t.g.s.MissCount, 0);
    TypeKeys(t.g, "I");
    EXPECT_EQ(t.g.s.MissCount, 1);
    EXPECT_EQ(t.g.Wrong, (Lists{u"0001:ち:TCHI"}));
}

TEST(JudgementTest, UnitsThatCoverSeveralKana) {
    struct Case {
        const char16_t* reading;
        const char* keys;
        int kanaPos, typeCount, missCount;
    };
    const std::vector<Case> cases = {
        {u"っか", "KKA", 2, 3, 0},
        {u"きょう", "KYOU", 3, 4, 0},
        {u"がっこう", "GAKKOU", 4, 6, 0},
        {u"がっこう", "GALTUKOU", 4, 8, 0},
        {u"ん", "N", 0, 0, 0},
        {u"ん", "NN", 1, 2, 0},
        {u"んか", "NKA", 0, 0, 0},
        {u"んか", "NKAK", 0, 0, 1},
        // A unit of two kana must match both: きゃ against きか is a miss.
        {u"きか", "KYA", 0, 0, 1},
        // Past the end of the reading nothing is judged.
        {u"か", "KAKI", 1, 2, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keys);
        TestGame t;
        StartMatchOn(t, {c.reading});
        TypeKeys(t.g, c.keys);
        EXPECT_EQ(t.g.s.KanaPos, c.kanaPos);
        EXPECT_EQ(t.g.s.TypeCount, c.typeCount);
        EXPECT_EQ(t.g.s.MissCount, c.missCount);
    }
}

TEST(JudgementTest, HitSlotsRotateOverFive) {
    TestGame t;
    StartMatchOn(t, {u"あいうえおあいう"});
    std::vector<int> seen;
    for (char c : std::string("AIUEOAIU")) {
        TypeKeys(t.g, std::string(1, c));
        seen.push_back(t.g.s.TypeSeNo);
    }
    EXPECT_EQ(seen, (std::vector<int>{1, 2, 3, 4, 0, 1, 2, 3}));
}

TEST(JudgementTest, NothingIsJudgedOutsideARunningMatch) {
    struct Case {
        const char* name;
        int scene;
        float startCount;
    };
    for (const Case& c : {Case{"title", kSceneTitle, 0}, Case{"match over", kSceneOver, 0},
                          Case{"count-down", kSceneMatch, 3}}) {
        SCOPED_TRACE(c.name);
        TestGame t;
        StartMatchOn(t, {u"かき"});
        t.g.s.SceneNo = static_cast<Integer>(c.scene);
        t.g.s.StartCount = c.startCount;
        TypeKeys(t.g, "KAKIKO");
        EXPECT_EQ(t.g.s.InputStr, u"KAKIKO");
        EXPECT_EQ(t.g.s.KanaPos, 0);
        EXPECT_EQ(t.g.s.MissCount, 0);
        EXPECT_TRUE(t.g.Wrong.empty());
    }
}

TEST(JudgementTest, BackspaceThatErasesSkipsTheJudgement) {
    TestGame t;
    StartMatchOn(t, {u"かき"});
    t.g.s.StartCount = 1;  // letters collect unjudged during the count-down
    TypeKeys(t.g, "KA");
    t.g.s.StartCount = 0;
    TypeKeys(t.g, "X");  // KAX: three letters, no kana, not yet a miss
    Press(t.g, kVkBack);
    EXPECT_EQ(t.g.s.InputStr, u"KA");
    EXPECT_EQ(t.g.s.KanaPos, 0);  // KA is there but was not judged
    Press(t.g, kVkBack);          // erases again: still no judgement
    Press(t.g, kVkBack);
    EXPECT_EQ(t.g.s.InputStr, u"");
    Press(t.g, kVkBack);  // on an empty buffer the judgement runs and changes nothing
    EXPECT_EQ(t.g.s.KanaPos, 0);
    EXPECT_EQ(t.g.s.MissCount, 0);
}

TEST(EnterTest, OnlyAFullyTypedWordWithAnEmptyBufferIsFired) {
    TestGame t;
    StartMatchOn(t, {u"かき", u"いぬ", u"ねこ"});
    GameState& s = t.g.s;
    TypeKeys(t.g, "KA");
    Press(t.g, kVkReturn);  // half typed
    EXPECT_EQ(s.WordNo, 0);
    EXPECT_EQ(s.KanaPos, 1);
    TypeKeys(t.g, "KIA");  // a letter after the whole reading blocks Enter
    Press(t.g, kVkReturn);
    EXPECT_EQ(s.WordNo, 0);
    EXPECT_EQ(s.MissCount, 0);  // and is never judged
    Press(t.g, kVkBack);
    Press(t.g, kVkReturn);
    EXPECT_EQ(s.WordNo, 1);
    EXPECT_EQ(s.KanaPos, 0);
    TypeKeys(t.g, "INU");
    Press(t.g, kVkReturn);
    TypeKeys(t.g, "NEKO");
    Press(t.g, kVkReturn);
    EXPECT_EQ(s.WordNo, 0);  // past the last word
    EXPECT_EQ(s.TypeCount, 2 + 2 + 3 + 4);
}

TEST(EnterTest, AnEmptyListFiresOnEveryEnter) {
    TestGame t;
    StartMatchOn(t, {});
    Press(t.g, kVkReturn);
    EXPECT_EQ(t.g.s.WordNo, 0);
    EXPECT_EQ(t.g.s.KanaPos, 0);
}

TEST(KeyRowsTest, EachCodeAppendsItsCharacter) {
    struct Case {
        int code;
        const char16_t* appended;
    };
    const std::vector<Case> cases = {
        {kVkA, u"A"},        {kVkZ, u"Z"},         {'<', u"<"},
        {'@', u"@"},         {';', u""},           {kVkLWin, u""},
        {kVkOemComma, u","}, {kVkOemPeriod, u"."}, {kVkOemSlash, u"/"},
        {kVkDivide, u"/"},   {kVkOemMinus, u"-"},  {kVkSubtract, u"-"},
        {kVkNumpad0, u"0"},  {kVkNumpad9, u"9"},   {kVk0, u"0"},
        {kVk9, u"9"},        {kVkSpace, u""},      {kVkEscape, u""},
        {kVkMultiply, u""},  {kVkShift, u""},      {kVkOemSemicolon, u""},
        {kVkReturn, u""},    {kVkUp, u""},         {kVkDown, u""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        TestGame t;
        t.g.s.InputStr = u"Q";
        Display_KeyDown(t.g, c.code, 0);
        EXPECT_EQ(t.g.s.InputStr, u"Q" + std::u16string(c.appended));
    }
}

TEST(ShiftTest, OnlyExclamationAndQuestionWhileHeld) {
    TestGame t;
    StartMatchOn(t, {u"か"});
    GameState& s = t.g.s;
    Display_KeyDown(t.g, kVkShift, 1);
    EXPECT_EQ(s.ShiftDown, 1);
    for (int code : {kVkA, kVk1, kVkOemSlash, kVk2, kVkBack, kVkUp, kVkEscape}) {
        Display_KeyDown(t.g, code, 1);
        Display_KeyUp(t.g, code, 1);
    }
    EXPECT_EQ(s.InputStr, u"!?");  // Backspace did nothing either
    EXPECT_EQ(s.LaneNo, 0);
    EXPECT_EQ(s.MissCount, 1);  // the judgement still ran: ！ is not か
    Display_KeyUp(t.g, kVkShift, 0);
    EXPECT_EQ(s.ShiftDown, 0);
    Press(t.g, kVkBack);
    Press(t.g, kVkBack);
    TypeKeys(t.g, "KA");
    EXPECT_EQ(s.KanaPos, 1);
}

TEST(ShiftTest, EnterDoesNothingWhileShiftIsHeld) {
    TestGame t;
    StartMatchOn(t, {u"か", u"き"});
    TypeKeys(t.g, "KA");
    Display_KeyDown(t.g, kVkShift, 1);
    Press(t.g, kVkReturn);
    EXPECT_EQ(t.g.s.WordNo, 0);
    Display_KeyUp(t.g, kVkShift, 0);
    Press(t.g, kVkReturn);
    EXPECT_EQ(t.g.s.WordNo, 1);
}

TEST(ArrowTest, TitleMovesMenuAndLaneWithWrap) {
    TestGame t;
    Start_Init(t.g);
    GameState& s = t.g.s;
    s.MenuMax = 8;
    Press(t.g, kVkUp);
    EXPECT_EQ(s.MenuNo, 8);
    EXPECT_EQ(s.LaneNo, 5);
    Press(t.g, kVkDown);
    EXPECT_EQ(s.MenuNo, 0);
    EXPECT_EQ(s.LaneNo, 0);
    s.MenuNo = 8;
    s.LaneNo = 3;
    Press(t.g, kVkDown);
    EXPECT_EQ(s.MenuNo, 0);
    EXPECT_EQ(s.LaneNo, 4);
}

TEST(ArrowTest, MatchMovesOnlyTheLane) {
    TestGame t;
    StartMatchOn(t, {u"か"});
    GameState& s = t.g.s;
    s.MenuNo = 2;
    s.MenuMax = 8;
    Press(t.g, kVkDown);
    EXPECT_EQ(s.LaneNo, 1);
    Press(t.g, kVkUp);
    Press(t.g, kVkUp);
    EXPECT_EQ(s.LaneNo, 5);
    Press(t.g, kVkDown);
    EXPECT_EQ(s.LaneNo, 0);
    EXPECT_EQ(s.MenuNo, 2);
}

TEST(ArrowTest, NothingMovesWhileInputIsOff) {
    TestGame t;
    StartMatchOn(t, {u"か"});
    t.g.s.InputOn = 0;
    t.g.s.MenuMax = 8;
    Press(t.g, kVkUp);
    Press(t.g, kVkDown);
    Press(t.g, kVkDown);
    EXPECT_EQ(t.g.s.LaneNo, 0);
    EXPECT_EQ(t.g.s.MenuNo, 0);
}

TEST(KeyStateTest, PressAndRelease) {
    TestGame t;
    GameState& s = t.g.s;
    Display_KeyDown(t.g, kVkA, 0);
    EXPECT_EQ(s.KeyState, 1);
    EXPECT_EQ(s.LastKeyStr, u"65");
    Display_KeyUp(t.g, kVkA, 0);
    EXPECT_EQ(s.KeyState, 2);
    EXPECT_EQ(s.LastKeyUp, kVkA);

    // A release without a press, or a second release, changes nothing but LastKeyUp.
    s.KeyState = 0;
    Display_KeyUp(t.g, kVkReturn, 0);
    EXPECT_EQ(s.KeyState, 0);
    EXPECT_EQ(s.LastKeyUp, kVkReturn);
}

TEST(KeyStateTest, HeldReleaseOnlyClearsTheHold) {
    TestGame t;
    GameState& s = t.g.s;
    s.KeyHold = 1;
    Display_KeyDown(t.g, kVkReturn, 0);
    Display_KeyUp(t.g, kVkReturn, 0);
    EXPECT_EQ(s.KeyState, 1);
    EXPECT_EQ(s.KeyHold, 0);
    Display_KeyDown(t.g, kVkReturn, 0);
    Display_KeyUp(t.g, kVkReturn, 0);
    EXPECT_EQ(s.KeyState, 2);
}

TEST(EscapeTest, CancelsAConnectionBeingSetUp) {
    for (Long mode : {kModeClient, kModeServer}) {
        SCOPED_TRACE(mode);
        TestGame t;
        t.WriteFile("str.dat", "a,x\r\nb,y\r\n");
        Start_Init(t.g);
        GameState& s = t.g.s;
        s.GameMode = mode;
        s.InputOn = 0;
        s.WordNo = 1;
        s.InputStr = u"AB";
        Display_KeyDown(t.g, kVkEscape, 0);
        EXPECT_EQ(s.GameMode, kModeNone);
        EXPECT_EQ(s.SceneNo, kSceneTitle);
        EXPECT_EQ(s.KeyState, 0);
        EXPECT_EQ(s.KeyHold, 1);
        EXPECT_EQ(s.InputStr, u"");
        EXPECT_EQ(s.InputOn, 1);  // Start_Init ran
        EXPECT_EQ(s.WordNo, 0);
        EXPECT_EQ(t.g.Goku.size(), 2u);  // reloaded, not appended
        Display_KeyUp(t.g, kVkEscape, 0);
        EXPECT_EQ(s.KeyState, 0);  // the release does not complete a press
        EXPECT_EQ(s.KeyHold, 0);
    }
}

TEST(EscapeTest, DoesNothingElsewhere) {
    struct Case {
        const char* name;
        int scene;
        Long mode;
    };
    for (const Case& c : {Case{"plain title", kSceneTitle, kModeNone},
                          Case{"computer match", kSceneMatch, kModeCom},
                          Case{"network match", kSceneMatch, kModeServer}}) {
        SCOPED_TRACE(c.name);
        TestGame t;
        StartMatchOn(t, {u"か"});
        t.g.s.SceneNo = static_cast<Integer>(c.scene);
        t.g.s.GameMode = c.mode;
        t.g.s.InputStr = u"K";
        Display_KeyDown(t.g, kVkEscape, 0);
        EXPECT_EQ(t.g.s.GameMode, c.mode);
        EXPECT_EQ(t.g.s.SceneNo, c.scene);
        EXPECT_EQ(t.g.s.InputStr, u"K");
        EXPECT_EQ(t.g.s.KeyHold, 0);
    }
}

}  // namespace
}  // namespace kb::test
