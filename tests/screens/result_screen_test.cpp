#include "screens/result_screen.h"

#include <gtest/gtest.h>

#include "screen_game.h"
#include "shell/ustr.h"

namespace kb {
namespace {

using test::Printed;
using test::ScreenGame;

// The match of the worked example: a win with 120 keys, 4 misses in 60 s, on Normal against
// the 3 type/sec computer, ended on the clock's second 0.
void AfterExampleMatch(ScreenGame& t) {
    GameState& s = t.g.s;
    s.SceneNo = kSceneOver;
    s.GameResult = u"WIN";
    s.TypeCount = 120;
    s.MissCount = 4;
    s.PlaySec = 60;
    s.GameLevel = 1;
    s.MenuNo = 2;
    s.ResultSec = 0;
    s.EndSec = static_cast<Integer>(t.Second());
}

Printed OnlyAtRow(const ScreenGame& t, int y) {
    const auto row = t.prints.AtRow(y);
    return row.size() == 1 ? row[0] : Printed{};
}

struct LineCase {
    int y, points;
    uint32_t color;
    const char16_t* text;
};

TEST(ResultScreenTest, WorkedExampleLines) {
    ScreenGame t;
    AfterExampleMatch(t);
    Dis_Result(t.g);
    const uint32_t label = Rgb(150, 150, 255);
    // Ideographic spaces and fullwidth colons spelled out, so a lookalike cannot slip in.
    const LineCase lines[] = {
        {16, 20, Rgb(255, 100, 0), u"RESULT : WIN"},
        {64, 10, label, u"総入力数       \uFF1A\u3000120字"},
        {80, 10, label, u"総入力時間\u3000   \uFF1A\u300060秒"},
        {96, 10, label, u"ミスタイプ\u3000   \uFF1A\u30004字"},
        {112, 10, label, u"平均入力数     \uFF1A\u30001.93字\uFF0F秒"},
        {128, 10, label, u"平均ミス数\u3000   \uFF1A\u300030字中に\uFF11回"},
        {176, 10, label, u"あなたが最もミスした入力"},
        {256, 12, Rgb(255, 150, 255), u"SCORE\u3000\uFF1A\u3000120pts"},
    };
    for (const auto& l : lines) {
        const Printed p = OnlyAtRow(t, l.y);
        EXPECT_EQ(ToUtf8(p.text), ToUtf8(l.text)) << "row " << l.y;
        EXPECT_EQ(p.x, 16) << "row " << l.y;
        EXPECT_EQ(p.points, l.points) << "row " << l.y;
        EXPECT_FALSE(p.bold) << "row " << l.y;
        EXPECT_EQ(p.color, l.color) << "row " << l.y;
    }
    const Printed press = OnlyAtRow(t, 272);
    EXPECT_EQ(ToUtf8(press.text), "Press any key");
    EXPECT_EQ(press.points, 14);
    EXPECT_EQ(press.color, Rgb(255, 0, 0));
    EXPECT_EQ(press.x, 448 - 13 * 9) << "its right edge at 448";
}

TEST(ResultScreenTest, NoMissesShowsZeroInAllKeys) {
    ScreenGame t;
    AfterExampleMatch(t);
    t.g.s.MissCount = 0;
    t.g.s.TypeCount = 50;
    Dis_Result(t.g);
    EXPECT_EQ(ToUtf8(OnlyAtRow(t, 128).text),
              ToUtf8(u"平均ミス数\u3000   \uFF1A\u300050字中に0回"));
}

TEST(ResultScreenTest, LoseAndAZeroScore) {
    ScreenGame t;
    AfterExampleMatch(t);
    t.g.s.GameResult = u"LOSE";
    t.g.s.TypeCount = 3;
    t.g.s.MissCount = 9;
    t.g.s.GameLevel = 0;
    t.g.s.MenuNo = 0;
    Dis_Result(t.g);
    EXPECT_EQ(ToUtf8(OnlyAtRow(t, 16).text), "RESULT : LOSE");
    EXPECT_EQ(ToUtf8(OnlyAtRow(t, 112).text), ToUtf8(u"平均入力数     \uFF1A\u30000字\uFF0F秒"));
    EXPECT_EQ(ToUtf8(OnlyAtRow(t, 128).text),
              ToUtf8(u"平均ミス数\u3000   \uFF1A\u30000.33字中に\uFF11回"));
    EXPECT_EQ(ToUtf8(OnlyAtRow(t, 256).text), ToUtf8(u"SCORE\u3000\uFF1A\u30000pts"));
}

const char16_t* const kRecords[] = {
    u"0003:か:KI    KO    KYA ",
    u"0002:し:SA    SU  ",
    u"0001:ん:M   ",
    u"0001:て:TW  ",
};
const char16_t* const kRecordLines[] = {
    u"「か」\u3000\uFF1A 0003回\u3000\u3000ミスタイプ例 \uFF1A KI    KO    KYA ",
    u"「し」\u3000\uFF1A 0002回\u3000\u3000ミスタイプ例 \uFF1A SA    SU  ",
    u"「ん」\u3000\uFF1A 0001回\u3000\u3000ミスタイプ例 \uFF1A M   ",
};

class RecordLinesTest : public testing::TestWithParam<int> {};

TEST_P(RecordLinesTest, AtMostThreeMostMissed) {
    const int records = GetParam();
    ScreenGame t;
    AfterExampleMatch(t);
    for (int i = 0; i < records; ++i) t.g.SortW.push_back(kRecords[i]);
    Dis_Result(t.g);
    EXPECT_EQ(ToUtf8(OnlyAtRow(t, 176).text), "あなたが最もミスした入力")
        << "the heading is always there";
    for (int i = 0; i < 3; ++i) {
        const int y = 192 + 16 * i;
        const auto row = t.prints.AtRow(y);
        if (i >= records) {
            EXPECT_TRUE(row.empty()) << "row " << y << " with " << records << " records";
            continue;
        }
        ASSERT_EQ(row.size(), 1u) << "row " << y;
        EXPECT_EQ(ToUtf8(row[0].text), ToUtf8(kRecordLines[i]));
        EXPECT_EQ(row[0].x, 16);
        EXPECT_EQ(row[0].points, 10);
        EXPECT_EQ(row[0].color, Rgb(50, 200, 255));
    }
    EXPECT_TRUE(t.prints.AtRow(240).empty()) << "a fourth record is never listed";
}

INSTANTIATE_TEST_SUITE_P(ResultScreen, RecordLinesTest, testing::Values(0, 1, 2, 3, 4));

TEST(ResultScreenTest, KeyIsDiscardedInTheFirstCountedSeconds) {
    ScreenGame t;
    AfterExampleMatch(t);
    // Released in the second the match ended.
    t.g.s.KeyState = 2;
    Dis_Result(t.g);
    EXPECT_EQ(t.g.s.ResultSec, 0);
    EXPECT_EQ(t.g.s.KeyState, 0);
    EXPECT_EQ(t.g.s.SceneNo, kSceneOver);
    // Released in the next second.
    t.SetSecond(1);
    t.g.s.KeyState = 2;
    Dis_Result(t.g);
    EXPECT_EQ(t.g.s.ResultSec, 1);
    EXPECT_EQ(t.g.s.KeyState, 0);
    EXPECT_EQ(t.g.s.SceneNo, kSceneOver);
    // A key still held is no release.
    t.SetSecond(2);
    t.g.s.KeyState = 1;
    Dis_Result(t.g);
    EXPECT_EQ(t.g.s.ResultSec, 2);
    EXPECT_EQ(t.g.s.KeyState, 1) << "kept once the seconds have passed";
    EXPECT_EQ(t.g.s.SceneNo, kSceneOver);
    // Released now: back to the title.
    t.g.s.KeyState = 2;
    t.g.s.InputStr = u"KA";
    t.g.s.GameMode = kModeCom;
    Dis_Result(t.g);
    EXPECT_EQ(t.g.s.SceneNo, kSceneTitle);
    EXPECT_EQ(t.g.s.KeyState, 0);
    EXPECT_TRUE(t.g.s.InputStr.empty());
    EXPECT_EQ(t.g.s.GameMode, kModeNone) << "the title starts afresh";
    EXPECT_EQ(t.g.s.InputOn, 1);
}

TEST(ResultScreenTest, SecondsCountChangesOfTheClock) {
    ScreenGame t;
    AfterExampleMatch(t);
    for (int i = 0; i < 30; ++i) Dis_Result(t.g);
    EXPECT_EQ(t.g.s.ResultSec, 0);
    t.SetSecond(17);
    Dis_Result(t.g);
    Dis_Result(t.g);
    EXPECT_EQ(t.g.s.ResultSec, 1);
    EXPECT_EQ(t.g.s.EndSec, 17);
}

}  // namespace
}  // namespace kb
