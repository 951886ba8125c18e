#include "battle/explosions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "battle_game.h"
#include "shell/scenes.h"
#include "shell/ustr.h"

namespace kb {
namespace {

using test::BattleGame;

constexpr int kW = 480;
constexpr int kH = 320;
constexpr uint32_t kGrey = Rgb(240, 240, 240);
constexpr uint32_t kBlack = Rgb(0, 0, 0);

// A background in which every pixel tells where it came from; never black, never grey.
uint32_t Pattern(int x, int y) {
    return 0x100000u | (static_cast<uint32_t>(x) << 9) | y;
}

void LoadPatternBackground(Game& g) {
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) g.BACKpic.Pixels()[y * kW + x] = Pattern(x, y);
    g.s.BackLoaded = 1;
}

// The match has just been decided: the effect is armed, the picture is the pattern.
void EndMatch(BattleGame& t, const std::u16string& result) {
    t.StartMatch(kModeCom);
    Game_End(t.g, result);
    LoadPatternBackground(t.g);
}

// One frame of the match-over scene as far as the effect goes.
void EffectFrame(Game& g) {
    g.Display.Cls();
    DIS_IM(g);
}

int CountPixels(const Surface& s, uint32_t colour) {
    return static_cast<int>(std::count(s.Pixels(), s.Pixels() + s.W() * s.H(), colour));
}

struct Ranges {
    std::set<int> x, y, speed, state;
};

Ranges Draw(int result, int count) {
    BattleGame t;
    Ranges r;
    for (int k = 0; k < count; ++k) {
        const int i = k % kParticles;
        ExpInit(t.g, i, result);
        r.x.insert(t.g.s.ExpX[i]);
        r.y.insert(t.g.s.ExpY[i]);
        r.speed.insert(t.g.s.ExpSpeed[i]);
        r.state.insert(t.g.s.ExpState[i]);
    }
    return r;
}

TEST(ExpInitTest, AfterAWinFlamesStartAtTheLeftAndFlyRight) {
    const Ranges r = Draw(0, 20000);
    EXPECT_EQ(*r.x.begin(), -31);
    EXPECT_EQ(*r.x.rbegin(), 128);
    EXPECT_EQ(r.x.size(), 160u);
    EXPECT_EQ(*r.y.begin(), 1);
    EXPECT_EQ(*r.y.rbegin(), 320);
    EXPECT_EQ(*r.speed.begin(), 10);
    EXPECT_EQ(*r.speed.rbegin(), 89);
    EXPECT_EQ(r.state, std::set<int>{1});
}

TEST(ExpInitTest, AfterALossFlamesStartAtTheRightAndFlyLeft) {
    const Ranges r = Draw(1, 20000);
    EXPECT_EQ(*r.x.begin(), 352);
    EXPECT_EQ(*r.x.rbegin(), 511);
    EXPECT_EQ(r.x.size(), 160u);
    EXPECT_EQ(*r.y.begin(), 1);
    EXPECT_EQ(*r.y.rbegin(), 320);
    EXPECT_EQ(*r.speed.begin(), -89);
    EXPECT_EQ(*r.speed.rbegin(), -10);
    EXPECT_EQ(r.state, std::set<int>{1});
}

TEST(ExpInitTest, AnyOtherCodeClearsTheParticle) {
    for (int code : {2, 3, 255}) {
        BattleGame t;
        ExpInit(t.g, 17, 1);
        ExpInit(t.g, 17, code);
        EXPECT_EQ(t.g.s.ExpX[17] | t.g.s.ExpY[17] | t.g.s.ExpSpeed[17] | t.g.s.ExpState[17], 0)
            << "code " << code;
    }
}

std::vector<int> SlotsInState(const GameState& s, int state) {
    std::vector<int> slots;
    for (int i = 0; i < kParticles; ++i)
        if (s.ExpState[i] == state) slots.push_back(i);
    return slots;
}

std::vector<int> Range(int first, int last) {
    std::vector<int> v;
    for (int i = first; i <= last; ++i) v.push_back(i);
    return v;
}

TEST(MovExpTest, SixNewFlamesAFrameInTheLowestFreeSlots) {
    BattleGame t;
    EndMatch(t, u"WIN");
    GameState& s = t.g.s;
    MOV_EXP(t.g);
    EXPECT_EQ(SlotsInState(s, 1), Range(0, 5));
    EXPECT_EQ(SlotsInState(s, 0), Range(6, 50));
    const Integer x0 = s.ExpX[0], speed0 = s.ExpSpeed[0];
    MOV_EXP(t.g);
    EXPECT_EQ(SlotsInState(s, 2), Range(0, 5));
    EXPECT_EQ(SlotsInState(s, 1), Range(6, 11));
    EXPECT_EQ(s.ExpX[0], x0 + speed0);
    for (int frame = 3; frame <= 5; ++frame) MOV_EXP(t.g);
    EXPECT_EQ(SlotsInState(s, 5), Range(0, 5));
    EXPECT_EQ(SlotsInState(s, 1), Range(24, 29));
    // Frame 6: the first flames are done and their slots are the first taken again.
    MOV_EXP(t.g);
    EXPECT_EQ(SlotsInState(s, 1), Range(0, 5));
    EXPECT_EQ(SlotsInState(s, 5), Range(6, 11));
    EXPECT_EQ(SlotsInState(s, 0), Range(30, 50));
    MOV_EXP(t.g);
    EXPECT_EQ(SlotsInState(s, 1), Range(6, 11));
    EXPECT_EQ(SlotsInState(s, 2), Range(0, 5));
}

TEST(MovExpTest, FreedSlotsAreReusedLowestFirst) {
    BattleGame t;
    EndMatch(t, u"LOSE");
    GameState& s = t.g.s;
    const std::set<int> free = {7, 20, 33, 40, 45, 48, 50};
    for (int i = 0; i < kParticles; ++i) s.ExpState[i] = free.count(i) ? 0 : 1 + i % 4;
    s.ExpState[3] = 5;  // finishes this frame
    MOV_EXP(t.g);
    EXPECT_EQ(SlotsInState(s, 1), (std::vector<int>{3, 7, 20, 33, 40, 45}));
    EXPECT_EQ(SlotsInState(s, 0), (std::vector<int>{48, 50}));
    for (int i : SlotsInState(s, 1)) {
        EXPECT_GE(s.ExpX[i], 352);
        EXPECT_LT(s.ExpSpeed[i], 0);
    }
}

TEST(MovExpTest, ResultIsComparedInUpperCaseAndOtherTextsStartNothing) {
    struct Case {
        const char16_t* result;
        int started;
        bool left;
    };
    const std::vector<Case> cases = {
        {u"win", 6, true}, {u"Lose", 6, false}, {u"DRAW", 0, true}, {u"", 0, true}};
    for (const Case& c : cases) {
        BattleGame t;
        EndMatch(t, c.result);
        MOV_EXP(t.g);
        const std::vector<int> started = SlotsInState(t.g.s, 1);
        ASSERT_EQ(static_cast<int>(started.size()), c.started) << ToUtf8(c.result);
        for (int i : started) EXPECT_EQ(t.g.s.ExpSpeed[i] > 0, c.left);
        MOV_EXP(t.g);
        EXPECT_EQ(static_cast<int>(SlotsInState(t.g.s, 1).size()), c.started);
    }
}

// A sheet whose frame k is a solid 10 x 10 square of its own colour at (20, 20) of its cell.
uint32_t FrameColour(int k) {
    return Rgb(40 * k, 200, 90);
}

void LoadSquareSheet(Game& g) {
    std::vector<uint32_t> px(320 * 128, Rgb(255, 255, 255));
    for (int y = 64; y < 128; ++y)
        for (int x = 0; x < 320; ++x) px[y * 320 + x] = kBlack;
    for (int k = 1; k <= 5; ++k)
        for (int y = 20; y < 30; ++y)
            for (int x = 20; x < 30; ++x) {
                px[y * 320 + 64 * (k - 1) + x] = FrameColour(k);
                px[(64 + y) * 320 + 64 * (k - 1) + x] = Rgb(255, 255, 255);
            }
    g.EXPpic.SetPicture(320, 128, px);
}

TEST(DisImTest, FirstFrameShowsFlamesAsMaskedSpritesOverTheUndistortedPicture) {
    BattleGame t;
    EndMatch(t, u"WIN");
    LoadSquareSheet(t.g);
    GameState& s = t.g.s;
    s.ExpState[4] = 3;
    s.ExpX[4] = 100;
    s.ExpY[4] = 50;
    s.ExpState[9] = 5;
    s.ExpX[9] = -25;  // partly off the left edge
    s.ExpY[9] = 200;
    EffectFrame(t.g);
    for (int y = 0; y < kH; ++y) {
        for (int x = 0; x < kW; ++x) {
            uint32_t expected = Pattern(x, y);
            if (x >= 120 && x < 130 && y >= 70 && y < 80) expected = FrameColour(3);
            if (x < 5 && y >= 220 && y < 230) expected = FrameColour(5);
            ASSERT_EQ(t.g.Display.At(x, y), expected) << x << "," << y;
        }
    }
}

TEST(DisImTest, WithoutABackgroundOnlyTheFlamesAreOnTheClearedGround) {
    BattleGame t;
    EndMatch(t, u"LOSE");
    LoadSquareSheet(t.g);
    t.g.s.BackLoaded = 0;
    t.g.IM.SetBackColor(kBlack);
    t.g.s.ExpState[0] = 1;
    t.g.s.ExpX[0] = 400;
    t.g.s.ExpY[0] = 0;
    EffectFrame(t.g);
    EXPECT_EQ(CountPixels(t.g.Display, FrameColour(1)), 100);
    EXPECT_EQ(CountPixels(t.g.Display, kBlack), kW * kH - 100);
    EXPECT_EQ(t.g.Display.At(425, 25), FrameColour(1));
}

// Sets the wave so that the first row strip and the first column strip shift by known amounts:
// start angles are raised by 10 and 15 before use.
void OneWaveFrame(BattleGame& t, Single rowStart, Single rowAmp, Single colStart, Single colAmp) {
    EndMatch(t, u"WIN");
    t.g.s.WaveRowStart = rowStart;
    t.g.s.WaveRowAmp = rowAmp;
    t.g.s.WaveColStart = colStart;
    t.g.s.WaveColAmp = colAmp;
    EffectFrame(t.g);
}

TEST(DisImTest, RowStripsShiftCyclically) {
    struct Case {
        const char* name;
        Single start, amp;
        int shift;
    };
    const std::vector<Case> cases = {
        // sin(270 deg) x 3 = -2.999999: floor gives -3, away from 0.
        {"s = -3", 260, 3, -3},
        // sin(90 deg with pi as 3.14) x 7.5 = 7.4999976.
        {"s = 7", 80, 7.5f, 7},
        {"no amplitude", 80, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BattleGame t;
        OneWaveFrame(t, c.start, c.amp, 0, 0);
        for (int y : {0, 1}) {
            for (int x = 0; x < kW; ++x) {
                const int from = ((x - c.shift) % kW + kW) % kW;
                ASSERT_EQ(t.g.Display.At(x, y), Pattern(from, y)) << "x " << x << " y " << y;
            }
        }
    }
}

TEST(DisImTest, RowShiftOfMinus3MovesPixels3To479ToTheLeftEdge) {
    BattleGame t;
    OneWaveFrame(t, 260, 3, 0, 0);
    EXPECT_EQ(t.g.Display.At(0, 0), Pattern(3, 0));
    EXPECT_EQ(t.g.Display.At(476, 0), Pattern(479, 0));
    EXPECT_EQ(t.g.Display.At(477, 0), Pattern(0, 0));
    EXPECT_EQ(t.g.Display.At(479, 1), Pattern(2, 1));
}

TEST(DisImTest, ColumnStripsShiftCyclically) {
    struct Case {
        const char* name;
        Single start, amp;
        int shift;
    };
    const std::vector<Case> cases = {
        // 345 + 15 = 360 stays 360 (only above 360 wraps); cos(360 deg with pi as 3.14) x 10
        // = 9.99999 gives 9, where an exact cosine or a wrap to 0 would give 10.
        {"c = 9", 345, 10, 9},
        // cos(180 deg) x 4.5 = -4.49999: floor gives -5.
        {"c = -5", 165, 4.5f, -5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BattleGame t;
        OneWaveFrame(t, 0, 0, c.start, c.amp);
        for (int x : {0, 1}) {
            for (int y = 0; y < kH; ++y) {
                const int from = ((y - c.shift) % kH + kH) % kH;
                ASSERT_EQ(t.g.Display.At(x, y), Pattern(x, from)) << "x " << x << " y " << y;
            }
        }
    }
}

TEST(DisImTest, EachRowStripAdvancesThePhaseBy5Degrees) {
    BattleGame t;
    // Strip 0 at 270 degrees shifts by -20. Strip 18 (y 36) is at 360 degrees, where the sine
    // with pi as 3.14 is -0.003 rather than 0, so floor gives -1.
    OneWaveFrame(t, 260, 20, 0, 0);
    EXPECT_EQ(t.g.Display.At(0, 0), Pattern(20, 0));
    EXPECT_EQ(t.g.Display.At(0, 36), Pattern(1, 36));
    EXPECT_EQ(t.g.Display.At(0, 37), Pattern(1, 37));
}

enum class Look { kWave, kCurtain, kNothing };

Look Classify(const Surface& d) {
    if (CountPixels(d, kBlack) == kW * kH) return Look::kNothing;
    bool evenGrey = true, oddPicture = true;
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            const uint32_t p = d.At(x, y);
            if (y % 2 == 0 && p != kGrey) evenGrey = false;
            if (y % 2 == 1 && (p == kGrey || p == kBlack)) oddPicture = false;
        }
    if (evenGrey && oddPicture) return Look::kCurtain;
    EXPECT_EQ(CountPixels(d, kBlack), 0);
    EXPECT_EQ(CountPixels(d, kGrey), 0);
    return Look::kWave;
}

TEST(DisImTest, WaveForThirtyFramesThenFourteenOfCurtainThenNothing) {
    BattleGame t;
    EndMatch(t, u"LOSE");
    for (int frame = 1; frame <= 50; ++frame) {
        EffectFrame(t.g);
        const Look expected = frame <= 30   ? Look::kWave
                              : frame <= 44 ? Look::kCurtain
                                            : Look::kNothing;
        ASSERT_EQ(Classify(t.g.Display), expected) << "frame " << frame;
        if (frame == 1) {
            for (int y = 0; y < kH; ++y)
                for (int x = 0; x < kW; ++x)
                    ASSERT_EQ(t.g.Display.At(x, y), Pattern(x, y)) << "undistorted at " << x;
        }
    }
    // The work picture is wiped when the effect ends.
    EXPECT_EQ(CountPixels(t.g.IM, t.g.IM.BackColor()), kW * kH);
}

TEST(DisImTest, CurtainLinesAreThePlainSurfacesDefaultGrey) {
    BattleGame t;
    EXPECT_EQ(t.g.EF.W(), kW);
    EXPECT_EQ(t.g.EF.BackColor(), kGrey);
    EXPECT_EQ(CountPixels(t.g.EF, kGrey), kW * kH);
}

TEST(DisImTest, AmplitudesGrowAfterUseUpToTheirLimit) {
    BattleGame t;
    EndMatch(t, u"WIN");
    GameState& s = t.g.s;
    for (int frame = 1; frame <= 42; ++frame) EffectFrame(t.g);
    EXPECT_FLOAT_EQ(s.WaveRowAmp, 63);
    EffectFrame(t.g);
    EXPECT_FLOAT_EQ(s.WaveRowAmp, 64);
    EffectFrame(t.g);
    EXPECT_FLOAT_EQ(s.WaveRowAmp, 64);
    EXPECT_FLOAT_EQ(s.WaveColAmp, 22);
    // Over: nothing moves any more.
    for (int frame = 45; frame <= 60; ++frame) EffectFrame(t.g);
    EXPECT_FLOAT_EQ(s.WaveColAmp, 22);
    EXPECT_EQ(s.WaveLeft, 0);
}

TEST(DisImTest, StartAnglesWrapOnlyAbove360) {
    BattleGame t;
    EndMatch(t, u"WIN");
    GameState& s = t.g.s;
    s.WaveRowStart = 350;
    s.WaveColStart = 346;
    EffectFrame(t.g);
    EXPECT_FLOAT_EQ(s.WaveRowStart, 360);
    EXPECT_FLOAT_EQ(s.WaveColStart, 1);
}

}  // namespace
}  // namespace kb
