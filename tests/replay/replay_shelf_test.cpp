// The replays a player keeps: one file per match named by its time, the newest hundred, in
// the player's data folder; and a replay file read, never more of it than a replay holds.
#include "replay/replay_shelf.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/posix/environment.h"
#include "replay/replay_text.h"
#include "test_game.h"

namespace kb::test {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> Names(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(ReplayShelf, KeepsTheNewestHundredNamedByTheirTime) {
    // Names are in local time: here, the universal time.
    const char* zone = std::getenv("TZ");
    const std::string savedZone = zone ? zone : "";
    setenv("TZ", "UTC", 1);
    tzset();
    TempDir home;
    const fs::path dir = home.Path() / "kanaburst" / "replays";
    home.WriteFile("other.txt", "not a replay");
    const ReplayShelf shelf(dir.string());
    const std::time_t t0 = 1767800000;  // 2026-01-07 15:33:20
    std::string why;
    for (int i = 0; i < 103; ++i)
        ASSERT_TRUE(shelf.Keep("r" + std::to_string(i), t0 + 60 * i, why)) << why;
    std::vector<std::string> names = Names(dir);
    ASSERT_EQ(names.size(), 100u);
    EXPECT_EQ(names.front(), "20260107-153620.kbreplay") << "the three oldest went";
    EXPECT_EQ(names.back(), "20260107-171520.kbreplay");
    std::ifstream newest(dir / names.back());
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(newest), {}), "r102");

    // Two matches ended in one second: the second is numbered and sorts after the first.
    ASSERT_TRUE(shelf.Keep("again", t0 + 60 * 102, why)) << why;
    names = Names(dir);
    ASSERT_EQ(names.size(), 100u);
    EXPECT_EQ(names.back(), "20260107-171520_2.kbreplay");
    EXPECT_TRUE(fs::exists(home.Path() / "other.txt"));

    // A name that leads nowhere (a link into a folder that is not there): the file cannot be
    // written, and the reason is given.
    fs::create_symlink(dir / "missing" / "file", dir / "20260107-171521.kbreplay");
    EXPECT_FALSE(shelf.Keep("lost", t0 + 60 * 102 + 1, why));
    EXPECT_NE(why.find("cannot write"), std::string::npos) << why;

    // A file where the folder should be: nothing is kept, and the reason is given.
    home.WriteFile("blocked", "");
    EXPECT_FALSE(ReplayShelf((home.Path() / "blocked" / "replays").string()).Keep("x", t0, why));
    EXPECT_NE(why.find("cannot make"), std::string::npos) << why;
    zone ? setenv("TZ", savedZone.c_str(), 1) : unsetenv("TZ");
    tzset();
}

TEST(ReplayShelf, AReplayFileIsReadWithinWhatAReplayHolds) {
    TempDir dir;
    kb::Replay r;
    r.steps = {{ReplayStep::kFrames, 3, {}}};
    dir.WriteFile("good.kbreplay", WriteReplay(r));
    dir.WriteFile("big.kbreplay", std::string(kReplayMaxBytes + 1, '#'));
    const struct {
        std::string file, why;
    } cases[] = {
        {"good.kbreplay", ""},
        {"big.kbreplay", "too large to be a replay (a replay is at most 1024 KB)"},
        {"missing.kbreplay", "cannot open " + (dir.Path() / "missing.kbreplay").string() +
                                 ": No such file or directory"},
        {".", "cannot read"},
    };
    for (const auto& c : cases) {
        kb::Replay read;
        std::string why;
        EXPECT_EQ(ReadReplayFile((dir.Path() / c.file).string(), read, why), c.why.empty())
            << c.file;
        EXPECT_NE(why.find(c.why), std::string::npos) << c.file << ": " << why;
    }
}

// The folder is the player's data folder under XDG_DATA_HOME when that is absolute, else under
// the home folder; wherever the game runs from.
TEST(ReplayShelf, TheFolderIsThePlayersDataFolder) {
    const char* savedHome = std::getenv("HOME");
    const char* savedData = std::getenv("XDG_DATA_HOME");
    const std::string home = savedHome ? savedHome : "", data = savedData ? savedData : "";
    setenv("HOME", "/home/p", 1);
    setenv("XDG_DATA_HOME", "/data", 1);
    EXPECT_EQ(PlayerReplayDir(), "/data/kanaburst/replays/");
    setenv("XDG_DATA_HOME", "relative", 1);
    EXPECT_EQ(PlayerReplayDir(), "/home/p/.local/share/kanaburst/replays/");
    unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(PlayerReplayDir(), "/home/p/.local/share/kanaburst/replays/");
    unsetenv("HOME");
    EXPECT_EQ(PlayerReplayDir(), "");
    savedHome ? setenv("HOME", home.c_str(), 1) : unsetenv("HOME");
    savedData ? setenv("XDG_DATA_HOME", data.c_str(), 1) : unsetenv("XDG_DATA_HOME");
}

}  // namespace
}  // namespace kb::test
