#include "screens/result_figures.h"

#include <gtest/gtest.h>

#include "text/ustr.h"

namespace kb {
namespace {

TEST(ResultFigures, Score) {
    const struct {
        const char* what;
        int typeCount, missCount, playSec, gameLevel, menuNo;
        int score;
    } cases[] = {
        // 100 + (60 - 80) = 80, + 15 for Normal, + 25 against speed 3.
        {"worked example", 120, 4, 60, 1, 2, 120},
        // 5 + 5 - 60 = -50; Hard makes it -20, shown as 0.
        {"bonus before the floor, still negative", 10, 3, 100, 2, 0, 0},
        // 5 + 5 - 20 = -10; Hard makes it 20.
        {"bonus before the floor, lifts above 0", 10, 1, 100, 2, 0, 20},
        // 1/3 x 50 = 16.67 is cut to 16; 16 + 0.5 = 16.5 goes to the even 16.
        {"speed is cut, not rounded; half to even down", 1, 0, 3, 0, 0, 16},
        // 7/1000 x 50 = 0.35 -> 0, + 3.5 = 3.5 -> 4 (even).
        {"half to even rounds up from 3.5", 7, 0, 1000, 0, 0, 4},
        {"speed 2 adds 10", 60, 0, 60, 0, 1, 90},
        {"speed 4 adds 40", 60, 0, 60, 0, 3, 120},
        {"speed 5 and Hard add 60 and 30", 60, 0, 60, 2, 4, 170},
        {"network as client adds nothing", 60, 0, 60, 0, 8, 80},
        {"no time counted: only half the keys", 10, 0, 0, 0, 0, 5},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ResultScore(c.typeCount, c.missCount, c.playSec, c.gameLevel, c.menuNo), c.score)
            << c.what;
    }
}

TEST(ResultFigures, RateAndRatioInHundredths) {
    const struct {
        const char* what;
        int typeCount, missCount, playSec;
        const char16_t *rate, *ratio;
    } cases[] = {
        {"worked example: 116/60 and 120/4", 120, 4, 60, u"1.93", u"30"},
        {"one trailing zero dropped", 150, 60, 60, u"1.5", u"2.5"},
        {"more misses than keys", 3, 6, 60, u"0", u"0.5"},
        {"no keys but misses: ratio is the misses", 0, 3, 60, u"0", u"3"},
        {"no time counted: rate 0", 10, 0, 0, u"0", u"0"},
        {"1/8 rounds its half up", 1, 0, 8, u"0.13", u"0"},
        {"7/3 rounds down", 7, 3, 1, u"4", u"2.33"},
        {"below 0.005 shows 0", 1, 0, 201, u"0", u"0"},
        {"a leading zero is kept", 3, 0, 50, u"0.06", u"0"},
        {"large figures", 999, 1, 2, u"499", u"999"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const long long rate = TypingRateHundredths(c.typeCount, c.missCount, c.playSec);
        EXPECT_EQ(ToUtf8(HundredthsText(rate)), ToUtf8(c.rate));
        EXPECT_EQ(ToUtf8(HundredthsText(MissRatioHundredths(c.typeCount, c.missCount))),
                  ToUtf8(c.ratio));
    }
}

}  // namespace
}  // namespace kb
