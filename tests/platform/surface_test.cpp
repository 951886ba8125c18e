#include "screens/surface.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/fonts.h"
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

// Every edge of both surfaces: the copy keeps exactly the pixels inside both, and only those.
TEST(Blit, CopiesOnlyWhatLiesInsideBothSurfaces) {
    const struct {
        const char* name;
        int x, y, w, h, sx, sy;
    } cases[] = {
        {"inside", 1, 1, 3, 2, 1, 1},        {"target left", -2, 1, 4, 2, 0, 0},
        {"target top", 1, -3, 4, 4, 0, 0},   {"target right", 6, 1, 4, 2, 0, 0},
        {"target bottom", 1, 5, 3, 4, 0, 0}, {"source left", 2, 2, 3, 2, -2, 0},
        {"source top", 2, 2, 3, 3, 0, -2},   {"source right", 0, 0, 5, 2, 4, 0},
        {"source bottom", 0, 0, 3, 5, 0, 3}, {"all outside", 9, 9, 3, 3, 0, 0},
        {"zero width", 1, 1, 0, 3, 0, 0},    {"larger than both", -3, -3, 20, 20, -1, -1},
    };
    const Surface src = Numbered(6, 5);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Surface dst(8, 7);
        dst.SetBackColor(0);
        BlitCopy(dst, c.x, c.y, c.w, c.h, src, c.sx, c.sy);
        for (int y = 0; y < dst.H(); ++y) {
            for (int x = 0; x < dst.W(); ++x) {
                const int rx = x - c.x, ry = y - c.y;  // offset inside the blit rectangle
                const int sx = c.sx + rx, sy = c.sy + ry;
                const bool inside = rx >= 0 && ry >= 0 && rx < c.w && ry < c.h && sx >= 0 &&
                                    sy >= 0 && sx < src.W() && sy < src.H();
                ASSERT_EQ(dst.At(x, y), inside ? src.At(sx, sy) : 0u) << x << "," << y;
            }
        }
    }
}

// Without a typeface, text measures like a fixed-pitch face whose cell is the point size at
// 96 dpi, rounded down: half a cell for Latin letters, a whole one for the rest.
TEST(NullFont, MeasuresCellsOfThePointSize) {
    const struct {
        int points;
        std::u16string text;
        int w, h;
    } cases[] = {{12, u"Aか", 24, 16}, {19, u"A", 12, 25}, {25, u"か", 33, 33}, {16, u"", 0, 21}};
    NullFontEngine fonts;
    for (const auto& c : cases) {
        int w = -1, h = -1;
        fonts.Measure(c.text, c.points, false, w, h);
        EXPECT_EQ(w, c.w) << c.points;
        EXPECT_EQ(h, c.h) << c.points;
    }
}

}  // namespace
}  // namespace kb
