#include "screens/result_figures.h"

#include <gtest/gtest.h>

#include "shell/ustr.h"

namespace kb {
namespace {

struct ScoreCase {
    const char* what;
    int typeCount, missCount, playSec, gameLevel, menuNo;
    int score;
};

void PrintTo(const ScoreCase& c, std::ostream* os) {
    *os << c.what;
}

class ScoreTest : public testing::TestWithParam<ScoreCase> {};

TEST_P(ScoreTest, Score) {
    const ScoreCase& c = GetParam();
    EXPECT_EQ(ResultScore(c.typeCount, c.missCount, c.playSec, c.gameLevel, c.menuNo), c.score)
        << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    ResultFigures, ScoreTest,
    testing::Values(
        // 100 + (60 - 80) = 80, + 15 for Normal, + 25 against speed 3.
        ScoreCase{"worked example", 120, 4, 60, 1, 2, 120},
        // 5 + 5 - 60 = -50; Hard makes it -20, shown as 0.
        ScoreCase{"bonus before the floor, still negative", 10, 3, 100, 2, 0, 0},
        // 5 + 5 - 20 = -10; Hard makes it 20.
        ScoreCase{"bonus before the floor, lifts above 0", 10, 1, 100, 2, 0, 20},
        ScoreCase{"negative without bonus", 0, 1, 60, 0, 0, 0},
        // 1/3 x 50 = 16.67 is cut to 16; 16 + 0.5 = 16.5 goes to the even 16.
        ScoreCase{"speed is cut, not rounded; half to even down", 1, 0, 3, 0, 0, 16},
        // 4/3 x 50 = 66.67 -> 66, + 2 = 68.
        ScoreCase{"speed cut", 4, 0, 3, 0, 0, 68},
        // 3/100 x 50 = 1.5 -> 1, + 1.5 = 2.5 -> 2 (even), not 3.
        ScoreCase{"half to even rounds down from 2.5", 3, 0, 100, 0, 0, 2},
        // 7/1000 x 50 = 0.35 -> 0, + 3.5 = 3.5 -> 4 (even).
        ScoreCase{"half to even rounds up from 3.5", 7, 0, 1000, 0, 0, 4},
        ScoreCase{"Easy adds nothing", 60, 0, 60, 0, 0, 80},
        ScoreCase{"Normal adds 15", 60, 0, 60, 1, 0, 95},
        ScoreCase{"Hard adds 30", 60, 0, 60, 2, 0, 110},
        ScoreCase{"speed 2 adds 10", 60, 0, 60, 0, 1, 90},
        ScoreCase{"speed 3 adds 25", 60, 0, 60, 0, 2, 105},
        ScoreCase{"speed 4 adds 40", 60, 0, 60, 0, 3, 120},
        ScoreCase{"speed 5 adds 60", 60, 0, 60, 0, 4, 140},
        ScoreCase{"network as server adds nothing", 60, 0, 60, 0, 7, 80},
        ScoreCase{"network as client adds nothing", 60, 0, 60, 0, 8, 80},
        ScoreCase{"both bonuses", 60, 0, 60, 2, 4, 170},
        ScoreCase{"no time counted: only half the keys", 10, 0, 0, 0, 0, 5}));

struct FigureCase {
    const char* what;
    int typeCount, missCount, playSec;
    const char16_t* rate;
    const char16_t* ratio;
};

void PrintTo(const FigureCase& c, std::ostream* os) {
    *os << c.what;
}

class FigureTest : public testing::TestWithParam<FigureCase> {};

TEST_P(FigureTest, RateAndRatio) {
    const FigureCase& c = GetParam();
    EXPECT_EQ(ToUtf8(HundredthsText(TypingRateHundredths(c.typeCount, c.missCount, c.playSec))),
              ToUtf8(c.rate))
        << c.what;
    EXPECT_EQ(ToUtf8(HundredthsText(MissRatioHundredths(c.typeCount, c.missCount))),
              ToUtf8(c.ratio))
        << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    ResultFigures, FigureTest,
    testing::Values(FigureCase{"worked example: 116/60 and 120/4", 120, 4, 60, u"1.93", u"30"},
                    FigureCase{"one trailing zero dropped", 150, 60, 60, u"1.5", u"2.5"},
                    FigureCase{"two trailing zeros dropped", 180, 60, 40, u"3", u"3"},
                    FigureCase{"no misses: ratio 0", 90, 0, 60, u"1.5", u"0"},
                    FigureCase{"as many misses as keys: rate 0", 4, 4, 60, u"0", u"1"},
                    FigureCase{"more misses than keys", 3, 6, 60, u"0", u"0.5"},
                    FigureCase{"no keys but misses: ratio is the misses", 0, 3, 60, u"0", u"3"},
                    FigureCase{"no time counted: rate 0", 10, 0, 0, u"0", u"0"},
                    FigureCase{"1/8 rounds its half up", 1, 0, 8, u"0.13", u"0"},
                    FigureCase{"2/3 rounds up", 2, 0, 3, u"0.67", u"0"},
                    FigureCase{"7/3 rounds down", 7, 3, 1, u"4", u"2.33"},
                    FigureCase{"below 0.005 shows 0", 1, 0, 201, u"0", u"0"},
                    FigureCase{"0.005 shows 0.01", 1, 0, 200, u"0.01", u"0"},
                    FigureCase{"a leading zero is kept", 3, 0, 50, u"0.06", u"0"},
                    FigureCase{"large figures", 999, 1, 2, u"499", u"999"}));

TEST(HundredthsTextTest, PlainDecimals) {
    EXPECT_EQ(ToUtf8(HundredthsText(250)), "2.5");
    EXPECT_EQ(ToUtf8(HundredthsText(300)), "3");
    EXPECT_EQ(ToUtf8(HundredthsText(193)), "1.93");
    EXPECT_EQ(ToUtf8(HundredthsText(5)), "0.05");
    EXPECT_EQ(ToUtf8(HundredthsText(1050)), "10.5");
    EXPECT_EQ(ToUtf8(HundredthsText(0)), "0");
}

}  // namespace
}  // namespace kb
