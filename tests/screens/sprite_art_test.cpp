#include "screens/sprite_art.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <ostream>
#include <string>
#include <vector>

#include "screens/surface.h"

namespace kb {
namespace {

constexpr uint32_t kWhite = 0xFFFFFF;
// Whatever a sheet leaves undrawn keeps this, and its top byte gives it away.
constexpr uint32_t kGarbage = 0xA5A5A5A5;

int R(uint32_t c) {
    return static_cast<int>((c >> 16) & 0xFF);
}
int G(uint32_t c) {
    return static_cast<int>((c >> 8) & 0xFF);
}
int B(uint32_t c) {
    return static_cast<int>(c & 0xFF);
}
bool Bluish(uint32_t c) {
    return B(c) > R(c) + 64;
}
bool Reddish(uint32_t c) {
    return R(c) > B(c) + 64;
}
bool Greyish(uint32_t c) {
    return std::max({R(c), G(c), B(c)}) - std::min({R(c), G(c), B(c)}) < 0x30;
}

// A sheet of square cells: pictures in the upper row, their shapes in the row below.
struct Sheet {
    int width, cell;
    std::vector<uint32_t> px;

    Sheet(int w, int cellSize, void (*draw)(uint32_t*))
        : width(w), cell(cellSize), px(static_cast<size_t>(w * cellSize * 2), kGarbage) {
        draw(px.data());
    }
    int Cells() const { return width / cell; }
    uint32_t Image(int c, int x, int y) const {
        return px[static_cast<size_t>(y * width + c * cell + x)];
    }
    uint32_t Mask(int c, int x, int y) const {
        return px[static_cast<size_t>((y + cell) * width + c * cell + x)];
    }
    bool In(int c, int x, int y) const {
        return x >= 0 && y >= 0 && x < cell && y < cell && Mask(c, x, y) == kWhite;
    }
};

// Size and placement of one cell's shape.
struct Shape {
    int area = 0;
    int left, right, top, bottom;
    double cx = 0, cy = 0;

    Shape(const Sheet& s, int c) : left(s.cell), right(-1), top(s.cell), bottom(-1) {
        for (int y = 0; y < s.cell; ++y) {
            for (int x = 0; x < s.cell; ++x) {
                if (!s.In(c, x, y)) continue;
                ++area;
                cx += x;
                cy += y;
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
        cx /= std::max(area, 1);
        cy /= std::max(area, 1);
    }
    int W() const { return right - left + 1; }
    int H() const { return bottom - top + 1; }
};

const Sheet& Pic() {
    static const Sheet kSheet(320, 32, DrawPicSheet);
    return kSheet;
}
const Sheet& Exp() {
    static const Sheet kSheet(320, 64, DrawExpSheet);
    return kSheet;
}

// ---- Both masked sheets -----------------------------------------------------------------------

struct SheetCase {
    const char* name;
    const Sheet& (*sheet)();
    void (*draw)(uint32_t*);
};

void PrintTo(const SheetCase& c, std::ostream* os) {
    *os << c.name;
}

class MaskedSheetTest : public testing::TestWithParam<SheetCase> {};

TEST_P(MaskedSheetTest, EveryPixelIsDrawnWithTopByteZero) {
    for (uint32_t p : GetParam().sheet().px) ASSERT_EQ(p >> 24, 0u);
}

TEST_P(MaskedSheetTest, MaskIsPureBlackOrWhite) {
    const Sheet& s = GetParam().sheet();
    for (int c = 0; c < s.Cells(); ++c) {
        for (int y = 0; y < s.cell; ++y) {
            for (int x = 0; x < s.cell; ++x) {
                const uint32_t m = s.Mask(c, x, y);
                ASSERT_TRUE(m == 0 || m == kWhite) << "cell " << c << " at " << x << "," << y;
            }
        }
    }
}

TEST_P(MaskedSheetTest, ImageIsWhiteExactlyOutsideTheShape) {
    const Sheet& s = GetParam().sheet();
    for (int c = 0; c < s.Cells(); ++c) {
        for (int y = 0; y < s.cell; ++y) {
            for (int x = 0; x < s.cell; ++x) {
                // A white pixel inside the shape would vanish against a white ground on paper,
                // and outside it must be white or the AND step would darken the background.
                ASSERT_EQ(s.Image(c, x, y) == kWhite, !s.In(c, x, y))
                    << "cell " << c << " at " << x << "," << y;
            }
        }
    }
}

TEST_P(MaskedSheetTest, EveryCellHoldsASpriteSmallerThanItsCell) {
    const Sheet& s = GetParam().sheet();
    for (int c = 0; c < s.Cells(); ++c) {
        const Shape shape(s, c);
        EXPECT_GT(shape.area, 10) << "cell " << c;
        EXPECT_LT(shape.area, s.cell * s.cell * 3 / 4) << "cell " << c;
    }
}

TEST_P(MaskedSheetTest, IsTheSameOnEveryStart) {
    const Sheet& s = GetParam().sheet();
    const Sheet again(s.width, s.cell, GetParam().draw);
    EXPECT_EQ(again.px, s.px);
}

// The game's own blits, OR with the shape then AND with the picture, over two grounds.
TEST_P(MaskedSheetTest, MaskedDrawShowsTheImageInsideAndTheGroundOutside) {
    const Sheet& s = GetParam().sheet();
    Surface sheet;
    sheet.SetPicture(s.width, s.cell * 2, s.px);
    for (uint32_t ground : {0x000000u, 0x141E50u}) {
        for (int c = 0; c < s.Cells(); ++c) {
            Surface target(s.cell, s.cell);
            target.SetBackColor(ground);
            target.Blit(RasterOp::kOr, 0, 0, s.cell, s.cell, sheet, c * s.cell, s.cell);
            target.Blit(RasterOp::kAnd, 0, 0, s.cell, s.cell, sheet, c * s.cell, 0);
            for (int y = 0; y < s.cell; ++y) {
                for (int x = 0; x < s.cell; ++x) {
                    const uint32_t want = s.In(c, x, y) ? s.Image(c, x, y) : ground;
                    ASSERT_EQ(target.At(x, y), want)
                        << "ground " << ground << " cell " << c << " at " << x << "," << y;
                }
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Sheets, MaskedSheetTest,
                         testing::Values(SheetCase{"PIC", Pic, DrawPicSheet},
                                         SheetCase{"EXPpic", Exp, DrawExpSheet}),
                         [](const testing::TestParamInfo<SheetCase>& info) {
                             return std::string(info.param.name);
                         });

// ---- PIC ----------------------------------------------------------------------------------------

struct MissileCase {
    int cell;
    bool flameAtRight;  // the player's missiles fly right to left
    bool (*flameHue)(uint32_t);
    bool (*otherHue)(uint32_t);
};

void PrintTo(const MissileCase& m, std::ostream* os) {
    *os << "cell " << m.cell;
}

class MissileTest : public testing::TestWithParam<MissileCase> {};

TEST_P(MissileTest, IsAGreyRocketWithItsFlameAtTheTail) {
    const MissileCase& m = GetParam();
    const Sheet& s = Pic();
    const Shape shape(s, m.cell);
    const int tail = m.flameAtRight ? shape.right : shape.left;
    const int nose = m.flameAtRight ? shape.left : shape.right;
    int grey = 0, flameAtTail = 0;
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            if (!s.In(m.cell, x, y)) continue;
            const uint32_t c = s.Image(m.cell, x, y);
            EXPECT_FALSE(m.otherHue(c)) << "the other side's colour at " << x << "," << y;
            if (Greyish(c)) ++grey;
            EXPECT_TRUE(x != nose || Greyish(c)) << "nose at " << x << "," << y;
            if (x == tail && m.flameHue(c)) ++flameAtTail;
        }
    }
    EXPECT_GT(flameAtTail, 0);
    EXPECT_GT(grey * 2, shape.area);
    // Flat and wide, in the middle of its lane.
    EXPECT_GT(shape.W(), 24);
    EXPECT_LT(shape.H(), 20);
    EXPECT_NEAR(shape.cy, 15.5, 1.5);
}

INSTANTIATE_TEST_SUITE_P(Pic, MissileTest,
                         testing::Values(MissileCase{0, true, Bluish, Reddish},
                                         MissileCase{1, true, Bluish, Reddish},
                                         MissileCase{2, false, Reddish, Bluish},
                                         MissileCase{3, false, Reddish, Bluish}));

TEST(PicSheet, MissileFlamesFlickerBetweenTheTwoFrames) {
    const Sheet& s = Pic();
    for (int first : {0, 2}) {
        int differ = 0;
        for (int y = 0; y < 32; ++y) {
            for (int x = 0; x < 32; ++x) differ += s.Image(first, x, y) != s.Image(first + 1, x, y);
        }
        EXPECT_GT(differ, 4) << "cells " << first << " and " << first + 1;
    }
}

struct BallCase {
    int cell;
    bool orange;
};

void PrintTo(const BallCase& b, std::ostream* os) {
    *os << "cell " << b.cell;
}

class BallTest : public testing::TestWithParam<BallCase> {};

TEST_P(BallTest, IsARoundBallOfItsColourInTheMiddle) {
    const BallCase& b = GetParam();
    const Sheet& s = Pic();
    const Shape shape(s, b.cell);
    EXPECT_LE(std::abs(shape.W() - shape.H()), 1);
    EXPECT_NEAR(shape.area, std::numbers::pi * shape.W() * shape.H() / 4, shape.area * 0.12);
    EXPECT_NEAR(shape.cx, 15.5, 1.0);
    EXPECT_NEAR(shape.cy, 15.5, 1.0);
    long r = 0, g = 0, bl = 0;
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            if (!s.In(b.cell, x, y)) continue;
            r += R(s.Image(b.cell, x, y));
            g += G(s.Image(b.cell, x, y));
            bl += B(s.Image(b.cell, x, y));
        }
    }
    if (b.orange) {
        EXPECT_GT(r, g);
        EXPECT_GT(g, bl * 2);
    } else {
        EXPECT_GT(bl, r * 2);
        EXPECT_GT(bl, g);
    }
}

INSTANTIATE_TEST_SUITE_P(Pic, BallTest,
                         testing::Values(BallCase{4, true}, BallCase{5, true}, BallCase{6, false},
                                         BallCase{7, false}));

TEST(PicSheet, TheFirstBallOfEachPairIsTheLargeOne) {
    for (int first : {4, 6}) {
        const Shape large(Pic(), first), small(Pic(), first + 1);
        EXPECT_GT(large.W(), 20);
        EXPECT_GT(large.area, small.area * 5 / 2) << "cells " << first << " and " << first + 1;
    }
}

TEST(PicSheet, LaneCursorIsABlueTrianglePointingLeft) {
    const Sheet& s = Pic();
    constexpr int kCell = 8;
    const Shape shape(s, kCell);
    // Each column's height grows from the tip at the left to the base at the right.
    int last = 0;
    for (int x = shape.left; x <= shape.right; ++x) {
        int height = 0;
        for (int y = 0; y < 32; ++y) height += s.In(kCell, x, y);
        EXPECT_GE(height, last) << "column " << x;
        last = height;
    }
    EXPECT_GT(last, 20);
    EXPECT_GT(shape.W(), 20);
    EXPECT_GT(shape.cx, 15.5);  // the wide end holds most of the area
    EXPECT_NEAR(shape.cy, 15.5, 1.0);
    int blue = 0;
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) blue += s.In(kCell, x, y) && Bluish(s.Image(kCell, x, y));
    }
    EXPECT_GT(blue * 10, shape.area * 9);
}

TEST(PicSheet, LastCellIsAnEmptyPurpleSquare) {
    const Sheet& s = Pic();
    constexpr int kCell = 9;
    const Shape shape(s, kCell);
    EXPECT_EQ(shape.W(), shape.H());
    EXPECT_GT(shape.W(), 24);
    // Only a border: the middle is open and the frame crosses each side of the middle lines.
    EXPECT_FALSE(s.In(kCell, 16, 16));
    EXPECT_LT(shape.area, shape.W() * 4 * 4);
    for (int i = 0; i < 32; ++i) {
        EXPECT_TRUE(!s.In(kCell, i, 16) || i - shape.left < 4 || shape.right - i < 4) << i;
        EXPECT_TRUE(!s.In(kCell, 16, i) || i - shape.top < 4 || shape.bottom - i < 4) << i;
    }
    EXPECT_TRUE(s.In(kCell, shape.left, 16) && s.In(kCell, shape.right, 16));
    EXPECT_TRUE(s.In(kCell, 16, shape.top) && s.In(kCell, 16, shape.bottom));
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            if (!s.In(kCell, x, y)) continue;
            const uint32_t c = s.Image(kCell, x, y);
            EXPECT_TRUE(R(c) > G(c) + 32 && B(c) > G(c) + 32) << "not purple at " << x << "," << y;
        }
    }
}

// ---- EXPpic -------------------------------------------------------------------------------------

int WarmPixels(const Sheet& s, int c) {
    int warm = 0;
    for (int y = 0; y < s.cell; ++y) {
        for (int x = 0; x < s.cell; ++x) {
            const uint32_t p = s.Image(c, x, y);
            warm += s.In(c, x, y) && R(p) >= G(p) && G(p) >= B(p) && R(p) - B(p) > 64;
        }
    }
    return warm;
}

TEST(ExpSheet, FirstFrameIsARingAroundAHollowCentre) {
    const Sheet& s = Exp();
    EXPECT_FALSE(s.In(0, 32, 32));
    for (int i = 0; i < 16; ++i) {
        const double a = i * std::numbers::pi / 8;
        bool hit = false;
        for (int d = 4; d < 30 && !hit; ++d) {
            hit = s.In(0, static_cast<int>(32 + d * std::cos(a)),
                       static_cast<int>(32 + d * std::sin(a)));
        }
        EXPECT_TRUE(hit) << "no ring towards " << i * 22.5 << " degrees";
    }
}

TEST(ExpSheet, FireballsAreFieryAndTheFragmentIsSmall) {
    const Sheet& s = Exp();
    for (int c = 0; c < 3; ++c) {
        EXPECT_GT(WarmPixels(s, c) * 2, Shape(s, c).area) << "frame " << c + 1;
    }
    EXPECT_GT(WarmPixels(s, 3), 20);  // embers in the smoke
    EXPECT_GT(WarmPixels(s, 4), 10);  // the fragment still glows
    const Shape fireball(s, 1), fragment(s, 4);
    EXPECT_GT(fireball.W(), 40);
    EXPECT_LT(fragment.area * 6, fireball.area);
    for (int c = 0; c < 4; ++c) EXPECT_GT(Shape(s, c).area, fragment.area) << "frame " << c + 1;
}

// ---- Waku ---------------------------------------------------------------------------------------

TEST(WakuFrame, IsAThinYellowGreenBorderOnBlack) {
    std::vector<uint32_t> px(36 * 36, kGarbage);
    DrawWakuFrame(px.data());
    for (int y = 0; y < 36; ++y) {
        for (int x = 0; x < 36; ++x) {
            const uint32_t c = px[static_cast<size_t>(y * 36 + x)];
            ASSERT_EQ(c >> 24, 0u);
            const int ring = std::min({x, 35 - x, y, 35 - y});
            if (ring == 0) {
                EXPECT_TRUE(G(c) > 160 && G(c) > R(c) && R(c) > B(c) + 64) << x << "," << y;
            } else if (ring >= 2) {
                EXPECT_EQ(c, 0u) << x << "," << y;
            }
        }
    }
}

}  // namespace
}  // namespace kb
