#include <SDL_image.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/sdl/sdl_images.h"
#include "shell/form.h"
#include "shell/game.h"

namespace kb {
namespace {

namespace fs = std::filesystem;

class Startup : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("kb-startup-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    bool Load() {
        Services sv;
        sv.clock = &clock_;
        sv.images = &images_;
        sv.programDir = dir_.string();
        sv.trace = [this](std::string_view line) { lines_.emplace_back(line); };
        game_ = std::make_unique<Game>(sv);
        return Form_Load(*game_);
    }
    bool Said(const std::string& line) const {
        return std::find(lines_.begin(), lines_.end(), line) != lines_.end();
    }

    fs::path dir_;
    VirtualClock clock_;
    SdlImageLoader images_;
    std::unique_ptr<Game> game_;
    std::vector<std::string> lines_;
};

TEST_F(Startup, WithoutBackgroundRunsOnBlack) {
    ASSERT_TRUE(Load());
    const GameState& s = game_->s;
    EXPECT_EQ(s.BackLoaded, 0);
    EXPECT_EQ(s.DispW, 480);
    EXPECT_EQ(s.DispH, 320);
    EXPECT_EQ(s.TwipsX, 15);
    EXPECT_EQ(s.MenuMax, 8);
    EXPECT_EQ(game_->loop.FrameInterval, 67);
    EXPECT_EQ(game_->EF.BackColor(), Rgb(240, 240, 240));
    EXPECT_EQ(game_->PIC.W(), 320);
    EXPECT_EQ(game_->EXPpic.H(), 128);
    EXPECT_EQ(game_->Waku.W(), 36);
    EXPECT_FALSE(game_->ended);
}

TEST_F(Startup, LoadsBackgroundPictureAtItsNaturalSize) {
    SDL_Surface* pic = SDL_CreateRGBSurfaceWithFormat(0, 64, 32, 32, SDL_PIXELFORMAT_ARGB8888);
    ASSERT_NE(pic, nullptr);
    SDL_FillRect(pic, nullptr, SDL_MapRGB(pic->format, 200, 40, 40));
    ASSERT_EQ(IMG_SaveJPG(pic, (dir_ / "back.jpg").c_str(), 95), 0);
    SDL_FreeSurface(pic);
    ASSERT_TRUE(Load());
    EXPECT_EQ(game_->s.BackLoaded, 1);
    const uint32_t c = game_->BACKpic.At(10, 10);
    EXPECT_NEAR(static_cast<int>(c >> 16), 200, 8);
    EXPECT_NEAR(static_cast<int>(c & 0xFF), 40, 8);
    EXPECT_EQ(game_->BACKpic.W(), 480);  // the surface keeps the Display's size
}

TEST_F(Startup, BackgroundThatIsNoPictureFailsStartUp) {
    std::ofstream(dir_ / "back.jpg") << "this is not a JPEG";
    EXPECT_FALSE(Load());
    EXPECT_TRUE(Said("msgbox Kanaburst|ゲーム起動に失敗しました"));
    EXPECT_TRUE(Said("exit"));
    EXPECT_TRUE(game_->ended);
}

TEST_F(Startup, BackgroundNameIsCaseSensitive) {
    std::ofstream(dir_ / "Back.jpg") << "not looked at";
    ASSERT_TRUE(Load());
    EXPECT_EQ(game_->s.BackLoaded, 0);
}

}  // namespace
}  // namespace kb
