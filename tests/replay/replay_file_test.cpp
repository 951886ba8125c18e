// A replay file read, never more of it than a replay holds; and the player's data folder, where
// the record keeps each match with its replay.
#include "replay/replay_file.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/posix/environment.h"
#include "replay/replay_text.h"
#include "test_game.h"

namespace kb::test {
namespace {

TEST(ReplayFile, AReplayFileIsReadWithinWhatAReplayHolds) {
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
TEST(ReplayFile, TheRecordWithItsReplaysIsInThePlayersDataFolder) {
    ScopedEnv home("HOME", "/home/p"), data("XDG_DATA_HOME", "/data");
    EXPECT_EQ(DataHomeDir(), "/data/kanaburst/");
    setenv("XDG_DATA_HOME", "relative", 1);
    EXPECT_EQ(DataHomeDir(), "/home/p/.local/share/kanaburst/");
    unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(DataHomeDir(), "/home/p/.local/share/kanaburst/");
    unsetenv("HOME");
    EXPECT_EQ(DataHomeDir(), "");
}

}  // namespace
}  // namespace kb::test
