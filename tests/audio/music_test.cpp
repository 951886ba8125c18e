// The music routines: which command strings they send, and the looping of a match piece.
#include "audio/music.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/mci_commands.h"
#include "platform/midi_player.h"

namespace kb {
namespace {

namespace fs = std::filesystem;

// Answers every status query with a set mode.
class ScriptedMusicDevice : public MusicDevice {
  public:
    std::string mode = "stopped";
    std::vector<std::string> sent;
    int32_t SendString(const std::string& command, std::string& answer) override {
        sent.push_back(command);
        answer = command.rfind("status", 0) == 0 ? mode : "";
        return 0;
    }
};

struct Traced {
    explicit Traced(MusicDevice& device) {
        Services sv;
        sv.music = &device;
        sv.trace = [this](std::string_view line) { lines.emplace_back(line); };
        game = std::make_unique<Game>(sv);
    }
    std::unique_ptr<Game> game;
    std::vector<std::string> lines;
};

using Lines = std::vector<std::string>;

TEST(MusicRoutines, SendTheirCommandsInOrderAndTraceEachOne) {
    struct Case {
        const char* name;
        std::string mode;
        void (*routine)(Game&);
        Lines sent;
    };
    const std::vector<Case> cases = {
        {"play",
         "",
         [](Game& g) { MusicPlay(g, "/games/kb/title.mid"); },
         {"open \"/games/kb/title.mid\" alias Media", "play Media"}},
        {"pause", "", MusicPause, {"stop Media", "seek media to start"}},
        {"close", "", MusicClose, {"stop Media", "close Media"}},
        {"loop while playing", "playing", MusicLoop, {"status Media mode"}},
        {"loop when stopped",
         "stopped",
         MusicLoop,
         {"status Media mode", "seek Media to start", "play Media"}},
        // Only the first seven characters of the answer count.
        {"loop on a longer answer", "playing now", MusicLoop, {"status Media mode"}},
        {"loop with no answer",
         "",
         MusicLoop,
         {"status Media mode", "seek Media to start", "play Media"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedMusicDevice device;
        device.mode = c.mode;
        Traced t(device);
        c.routine(*t.game);
        EXPECT_EQ(device.sent, c.sent);
        Lines traced;
        for (const auto& s : c.sent) traced.push_back("music " + s);
        EXPECT_EQ(t.lines, traced);
    }
}

class MusicWithInterpreter : public ::testing::Test {
  protected:
    void SetUp() override {
        piece_ = fs::temp_directory_path() / ("kb-music-" + std::to_string(::getpid()) + ".mid");
        std::ofstream(piece_, std::ios::binary) << "MThd";
    }
    void TearDown() override { fs::remove(piece_); }

    fs::path piece_;
    SilentMidiPlayer player_;
    MciMusicDevice device_{player_};
};

TEST_F(MusicWithInterpreter, MatchPieceIsHeldAtItsStartThenLoopsWhenItEnds) {
    Traced t(device_);
    Game& g = *t.game;
    MusicClose(g);  // nothing open yet: fails without effect
    MusicPlay(g, piece_.string());
    MusicPause(g);
    EXPECT_FALSE(player_.Playing());

    MusicLoop(g);  // the first frame after the count-down starts it
    EXPECT_TRUE(player_.Playing());
    t.lines.clear();
    MusicLoop(g);  // still playing: only the question
    EXPECT_EQ(t.lines, Lines{"music status Media mode"});

    player_.EndPiece();
    t.lines.clear();
    MusicLoop(g);
    EXPECT_EQ(t.lines,
              (Lines{"music status Media mode", "music seek Media to start", "music play Media"}));
    EXPECT_TRUE(player_.Playing());
}

TEST_F(MusicWithInterpreter, MissingPieceLeavesEveryLaterCommandWithoutEffect) {
    Traced t(device_);
    Game& g = *t.game;
    MusicPlay(g, (piece_.parent_path() / "no-such-piece.mid").string());
    MusicLoop(g);
    MusicLoop(g);
    EXPECT_FALSE(player_.Playing());
    // Every frame asks again and tries again, without effect.
    EXPECT_EQ(std::count(t.lines.begin(), t.lines.end(), "music play Media"), 3);
}

}  // namespace
}  // namespace kb
