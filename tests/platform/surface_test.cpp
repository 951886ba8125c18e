#include "screens/surface.h"

#include <gtest/gtest.h>

#include "screens/paint_bit.h"

namespace kb {
namespace {

// A w x h surface whose pixel (x, y) holds a value naming its position.
Surface Numbered(int w, int h) {
    Surface s(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) s.Pixels()[y * w + x] = static_cast<uint32_t>(y * 100 + x + 1);
    return s;
}

struct ClipCase {
    const char* name;
    int x, y, w, h, sx, sy;
};

class BlitClip : public ::testing::TestWithParam<ClipCase> {};

// Every edge of both surfaces: the copy keeps exactly the pixels inside both, and only those.
TEST_P(BlitClip, CopiesOnlyWhatLiesInsideBothSurfaces) {
    const ClipCase c = GetParam();
    const Surface src = Numbered(6, 5);
    Surface dst(8, 7);
    dst.SetBackColor(0);
    BlitCopy(dst, c.x, c.y, c.w, c.h, src, c.sx, c.sy);
    for (int y = 0; y < dst.H(); ++y) {
        for (int x = 0; x < dst.W(); ++x) {
            const int rx = x - c.x, ry = y - c.y;  // offset inside the blit rectangle
            const int sx = c.sx + rx, sy = c.sy + ry;
            const bool inside = rx >= 0 && ry >= 0 && rx < c.w && ry < c.h && sx >= 0 && sy >= 0 &&
                                sx < src.W() && sy < src.H();
            const uint32_t want = inside ? src.At(sx, sy) : 0u;
            ASSERT_EQ(dst.At(x, y), want) << c.name << " at " << x << "," << y;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Edges, BlitClip,
                         ::testing::Values(ClipCase{"inside", 1, 1, 3, 2, 1, 1},
                                           ClipCase{"target left", -2, 1, 4, 2, 0, 0},
                                           ClipCase{"target top", 1, -3, 4, 4, 0, 0},
                                           ClipCase{"target right", 6, 1, 4, 2, 0, 0},
                                           ClipCase{"target bottom", 1, 5, 3, 4, 0, 0},
                                           ClipCase{"source left", 2, 2, 3, 2, -2, 0},
                                           ClipCase{"source top", 2, 2, 3, 3, 0, -2},
                                           ClipCase{"source right", 0, 0, 5, 2, 4, 0},
                                           ClipCase{"source bottom", 0, 0, 3, 5, 0, 3},
                                           ClipCase{"all outside", 9, 9, 3, 3, 0, 0},
                                           ClipCase{"zero width", 1, 1, 0, 3, 0, 0},
                                           ClipCase{"larger than both", -3, -3, 20, 20, -1, -1}),
                         [](const auto& info) {
                             std::string n = info.param.name;
                             for (char& ch : n)
                                 if (ch == ' ') ch = '_';
                             return n;
                         });

TEST(Blit, PaintIsOrAndAndIsAnd) {
    Surface src(1, 1), dst(1, 1);
    src.Pixels()[0] = 0x00F0F00F;
    dst.Pixels()[0] = 0x000FF0F0;
    Surface ored = dst;
    BlitPaint(ored, 0, 0, 1, 1, src, 0, 0);
    EXPECT_EQ(ored.At(0, 0), 0x00FFF0FFu);
    Surface anded = dst;
    BlitAnd(anded, 0, 0, 1, 1, src, 0, 0);
    EXPECT_EQ(anded.At(0, 0), 0x0000F000u);
}

// A 2 x 1 sprite sheet cell: image row on white above its mask (shape white on black).
Surface OneSpriteSheet(uint32_t colour) {
    Surface sheet(2, 2);
    sheet.Pixels()[0] = colour;    // image: shape pixel
    sheet.Pixels()[1] = 0xFFFFFF;  // image: outside the shape
    sheet.Pixels()[2] = 0xFFFFFF;  // mask: shape
    sheet.Pixels()[3] = 0x000000;  // mask: outside
    return sheet;
}

TEST(MaskedSprite, ShowsTheSpriteOverBlackAndThePictureAroundIt) {
    const Surface sheet = OneSpriteSheet(0x123456);
    for (uint32_t ground : {0x000000u, 0x8899AAu}) {
        Surface target(2, 1);
        target.SetBackColor(ground);
        BlitPaint(target, 0, 0, 2, 1, sheet, 0, 1);
        BlitAnd(target, 0, 0, 2, 1, sheet, 0, 0);
        EXPECT_EQ(target.At(0, 0), 0x123456u) << std::hex << ground;
        EXPECT_EQ(target.At(1, 0), ground) << std::hex << ground;
    }
}

TEST(Surface, SizesAreTwipsAndBackColourClears) {
    Surface s;
    s.SetWidth(7200);
    s.SetHeight(4800);
    EXPECT_EQ(s.W(), 480);
    EXPECT_EQ(s.H(), 320);
    EXPECT_EQ(s.Width(), 7200);
    EXPECT_EQ(s.At(10, 10), kDefaultBackColor);  // a fresh surface is the desktop's light grey
    s.CurrentX = 300;
    s.SetBackColor(Rgb(1, 2, 3));
    EXPECT_EQ(s.At(479, 319), Rgb(1, 2, 3));
    EXPECT_EQ(s.CurrentX, 0);
}

TEST(Surface, CopyWithinOneSurfaceHandlesOverlap) {
    Surface s = Numbered(1, 4);
    BlitCopy(s, 0, 1, 1, 3, s, 0, 0);  // move every row down by one
    EXPECT_EQ(s.At(0, 1), 1u);
    EXPECT_EQ(s.At(0, 2), 101u);
    EXPECT_EQ(s.At(0, 3), 201u);
}

}  // namespace
}  // namespace kb
