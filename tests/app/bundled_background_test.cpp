// The bundled backdrop (assets/back.jpg, painted by tools/background): it is installed next to
// the programs, the game loads it at start-up, and it stays dark enough for what is drawn on it.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <vector>

#include "platform/sdl/sdl_images.h"
#include "shell/form.h"
#include "test_game.h"

namespace kb {
namespace {

namespace fs = std::filesystem;

int Luma(uint32_t rgb) {
    return (299 * static_cast<int>(rgb >> 16 & 0xFF) + 587 * static_cast<int>(rgb >> 8 & 0xFF) +
            114 * static_cast<int>(rgb & 0xFF)) /
           1000;
}

// The brightness below which the given share of the rows' pixels lie.
int LumaPercentile(const Surface& s, int top, int bottom, double share) {
    std::vector<int> l;
    for (int y = top; y < bottom; ++y)
        for (int x = 0; x < s.W(); ++x) l.push_back(Luma(s.At(x, y)));
    std::sort(l.begin(), l.end());
    return l[static_cast<size_t>(share * (l.size() - 1))];
}

class BundledBackground : public ::testing::Test {
  protected:
    void SetUp() override {
        const fs::path bundled = fs::path(KB_SOURCE_DIR) / "assets" / "back.jpg";
        std::ifstream in(bundled, std::ios::binary);
        ASSERT_TRUE(in) << bundled;
        t_.WriteFile("back.jpg", std::string(std::istreambuf_iterator<char>(in), {}));
        t_.g.sv.images = &images_;
        ASSERT_TRUE(Form_Load(t_.g));
    }

    SdlImageLoader images_;
    test::TestGame t_;
};

TEST_F(BundledBackground, IsInstalledBesideThePrograms) {
    EXPECT_TRUE(fs::exists(fs::path(KB_BINARY_DIR) / "back.jpg"));
}

TEST_F(BundledBackground, LoadsAtStartUpAsTheWholeBattlefield) {
    EXPECT_EQ(t_.g.s.BackLoaded, 1);
    ASSERT_EQ(t_.g.BACKpic.W(), 480);
    ASSERT_EQ(t_.g.BACKpic.H(), 320);
    // Not the black of an empty surface: the picture covers every corner.
    for (auto [x, y] : {std::pair{0, 0}, {479, 0}, {0, 319}, {479, 319}, {240, 112}})
        EXPECT_NE(t_.g.BACKpic.At(x, y), 0u) << x << "," << y;
}

// The grey rockets (about 180 bright) and the texts must stand out: the field is a night sky
// with only a few stars and the edges' glows brighter, and the ground under the result
// screen's texts is darker still.
TEST_F(BundledBackground, IsDarkUnderTheMissilesAndTheTexts) {
    const Surface& b = t_.g.BACKpic;
    EXPECT_LT(LumaPercentile(b, 0, 224, 0.5), 40);
    EXPECT_LT(LumaPercentile(b, 0, 224, 0.99), 100);
    EXPECT_LT(LumaPercentile(b, 224, 320, 0.99), 40);
}

}  // namespace
}  // namespace kb
