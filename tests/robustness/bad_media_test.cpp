// Missing, empty and corrupt sound, music and background files, no audio device, and no usable
// typeface: each gives its designed outcome or a clear message, and a game that starts keeps
// drawing every frame.
#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "robustness/whole_game.h"
#include "run_command.h"

namespace kb::test {
namespace {

namespace fs = std::filesystem;

const std::string kJunk = "RIFF\x04\x00\x00\x00WAVEjunk that is not a picture, a wave or a piece";

enum class Outcome { kSilent, kSoundBox, kStartUpFails };

struct MediaCase {
    const char* name;
    const char* file;
    const char* bytes;  // nullptr: the file is removed
    Outcome outcome;
    bool synthesise = false;
};

void PrintTo(const MediaCase& c, std::ostream* os) {
    *os << c.name;
}

class BadMedia : public ::testing::TestWithParam<MediaCase> {};

TEST_P(BadMedia, GivesItsOutcome) {
    const MediaCase& c = GetParam();
    WholeGame w(c.synthesise);
    if (c.bytes)
        w.dir.WriteFile(c.file, c.bytes);
    else
        fs::remove(w.dir.Path() / c.file);
    const bool started = w.Start();
    const std::vector<std::string> boxes = w.Boxes();
    switch (c.outcome) {
        case Outcome::kSilent:
            EXPECT_TRUE(started);
            EXPECT_TRUE(boxes.empty()) << boxes[0];
            break;
        case Outcome::kSoundBox:
            EXPECT_TRUE(started);
            ASSERT_EQ(boxes.size(), 1u);
            EXPECT_TRUE(boxes[0].starts_with("VbDSnd.Dll|")) << boxes[0];
            break;
        case Outcome::kStartUpFails:
            EXPECT_FALSE(started);
            EXPECT_EQ(boxes, std::vector<std::string>{"Kanaburst|ゲーム起動に失敗しました"});
            EXPECT_TRUE(w.g->ended);
            return;
    }
    EXPECT_TRUE(w.PlayAMatch());
}

INSTANTIATE_TEST_SUITE_P(
    Robustness, BadMedia,
    ::testing::Values(
        MediaCase{"MissingSound", "fire.wav", nullptr, Outcome::kSilent},
        MediaCase{"EmptySound", "exp.wav", "", Outcome::kSoundBox},
        // Readable but no wave: the library gives no buffer, the slot stays empty silently.
        MediaCase{"CorruptSound", "Hit.wav", kJunk.c_str(), Outcome::kSilent},
        MediaCase{"MissingMusic", "title.mid", nullptr, Outcome::kSilent},
        MediaCase{"EmptyMusic", "music01.mid", "", Outcome::kSilent},
        MediaCase{"CorruptTitleMusicSynthesised", "title.mid", kJunk.c_str(), Outcome::kSilent,
                  true},
        MediaCase{"CorruptMatchMusic", "music01.mid", kJunk.c_str(), Outcome::kSilent},
        // Without a background the battlefield is black; a file that is no picture stops the game.
        MediaCase{"MissingBackground", "back.jpg", nullptr, Outcome::kSilent},
        MediaCase{"EmptyBackground", "back.jpg", "", Outcome::kStartUpFails},
        MediaCase{"CorruptBackground", "back.jpg", kJunk.c_str(), Outcome::kStartUpFails}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(NoAudioDevice, OneBoxThenTheGamePlaysSilently) {
    const ScopedEnv driver("SDL_AUDIODRIVER", "no-such-driver");
    WholeGame w;
    EXPECT_TRUE(w.Start());
    EXPECT_EQ(w.Boxes(), std::vector<std::string>{
                             "VbDSnd.Dll|Direct Soundインターフェースが作成できません。"});
    EXPECT_TRUE(w.PlayAMatch());
}

// A program directory whose typeface file is not a font: the game's own ipag.ttf wins over the
// system's, so both programs must refuse to start and say why.
TEST(NoFont, DriverSaysWhichFileAndWhatToInstall) {
    TempDir dir;
    dir.WriteFile("ipag.ttf", "not a font");
    const CommandRun r = RunCommand("echo 'frames 1' | " + std::string(KB_BINARY_DIR) +
                                    "/kanaburst-sim --dir " + dir.Path().string() + " >/dev/null");
    const std::string& err = r.err;
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(err.find("cannot open the font " + (dir.Path() / "ipag.ttf").string()),
              std::string::npos)
        << err;
    EXPECT_NE(err.find("fonts-ipafont-gothic"), std::string::npos) << err;
}

TEST(NoFont, GameShowsTheStartUpFailureAndEnds) {
    TempDir dir;
    dir.WriteFile("ipag.ttf", "");
    fs::copy_file(fs::path(KB_BINARY_DIR) / "kanaburst", dir.Path() / "kanaburst");
    const CommandRun r = RunCommand("SDL_VIDEODRIVER=dummy timeout 30 " +
                                    (dir.Path() / "kanaburst").string() + " >/dev/null");
    const std::string& err = r.err;
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(err.find("ゲーム起動に失敗しました"), std::string::npos) << err;
    EXPECT_NE(err.find("ipag.ttf"), std::string::npos) << err;
}

}  // namespace
}  // namespace kb::test
