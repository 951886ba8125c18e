// The music command interpreter over a player that records what it is told.
#include "platform/mci_commands.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace kb {
namespace {

namespace fs = std::filesystem;

class RecordingPlayer : public MidiPlayer {
  public:
    std::vector<std::string> calls;
    bool playing = false;
    bool Open(const std::string& path) override {
        calls.push_back("open " + path);
        std::vector<uint8_t> bytes;
        return ReadMidiFile(path, bytes);
    }
    void Play() override { calls.push_back("play"), playing = true; }
    void Stop() override { calls.push_back("stop"), playing = false; }
    void Rewind() override { calls.push_back("rewind"), playing = false; }
    bool Playing() override { return playing; }
    void Close() override { calls.push_back("close"), playing = false; }
};

using Calls = std::vector<std::string>;

class Interpreter : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("kb-mci-" + std::to_string(::getpid()) + " dir");
        fs::create_directories(dir_);
        piece_ = (dir_ / "title.mid").string();
        std::ofstream(piece_, std::ios::binary) << "MThd\0\0\0\6";
        std::ofstream(dir_ / "song.txt") << "not music";
    }
    void TearDown() override { fs::remove_all(dir_); }

    int32_t Send(const std::string& command) {
        answer_ = "left over";
        return device_.SendString(command, answer_);
    }
    void OpenPiece() {
        ASSERT_EQ(Send("open \"" + piece_ + "\" alias Media"), kMciOk);
        player_.calls.clear();
    }

    fs::path dir_;
    std::string piece_;
    RecordingPlayer player_;
    MciMusicDevice device_{player_};
    std::string answer_;
};

TEST_F(Interpreter, OpensAQuotedPathWithBlanks) {
    EXPECT_EQ(Send("open \"" + piece_ + "\" alias Media"), kMciOk);
    EXPECT_EQ(player_.calls, Calls{"open " + piece_});
    EXPECT_EQ(answer_, "");
}

TEST_F(Interpreter, AliasAndKeywordsIgnoreCase) {
    OpenPiece();
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"play Media", "play"},
        {"stop MEDIA", "stop"},
        {"seek media to start", "rewind"},
        {"Seek Media To Start", "rewind"},
        {"PLAY media", "play"},
        {"close mEdIa", "close"},
    };
    for (const auto& [command, call] : cases) {
        SCOPED_TRACE(command);
        player_.calls.clear();
        EXPECT_EQ(Send(command), kMciOk);
        EXPECT_EQ(player_.calls, Calls{call});
    }
}

TEST_F(Interpreter, StatusAnswersTheMode) {
    OpenPiece();
    EXPECT_EQ(Send("status Media mode"), kMciOk);
    EXPECT_EQ(answer_, "stopped");
    Send("play Media");
    EXPECT_EQ(Send("status media mode"), kMciOk);
    EXPECT_EQ(answer_, "playing");
    player_.playing = false;  // the piece came to its end
    Send("status Media mode");
    EXPECT_EQ(answer_, "stopped");
}

TEST_F(Interpreter, CommandsToAnAliasNotOpenFailAndDoNothing) {
    for (const std::string command :
         {"play Media", "stop Media", "seek media to start", "status Media mode", "close Media"}) {
        SCOPED_TRACE(command);
        EXPECT_EQ(Send(command), kMciNoSuchAlias);
        EXPECT_EQ(answer_, "");
    }
    OpenPiece();
    EXPECT_EQ(Send("play Music"), kMciNoSuchAlias);
    Send("close Media");
    player_.calls.clear();
    EXPECT_EQ(Send("play Media"), kMciNoSuchAlias);  // closed is gone
    EXPECT_TRUE(player_.calls.empty());
}

TEST_F(Interpreter, OpenThatCannotWorkFails) {
    const std::vector<std::pair<std::string, int32_t>> cases = {
        {"open \"" + (dir_ / "missing.mid").string() + "\" alias Media", kMciCannotOpen},
        {"open \"" + (dir_ / "song.txt").string() + "\" alias Media", kMciCannotOpen},
        {"open \"" + piece_ + "\" Media", kMciBadArguments},
        {"open \"" + piece_ + " alias Media", kMciBadArguments},
        {"open \"" + piece_ + "\" alias", kMciBadArguments},
    };
    for (const auto& [command, result] : cases) {
        SCOPED_TRACE(command);
        EXPECT_EQ(Send(command), result);
        EXPECT_EQ(Send("play Media"), kMciNoSuchAlias);
    }
}

TEST_F(Interpreter, SecondOpenWhileOneIsOpenFails) {
    OpenPiece();
    EXPECT_EQ(Send("open \"" + piece_ + "\" alias Other"), kMciAliasInUse);
    EXPECT_TRUE(player_.calls.empty());
    EXPECT_EQ(Send("play Media"), kMciOk);
}

TEST_F(Interpreter, UnknownOrMalformedCommandsFail) {
    OpenPiece();
    const std::vector<std::pair<std::string, int32_t>> cases = {
        {"", kMciBadArguments},
        {"pause Media", kMciUnknownCommand},
        {"status Media position", kMciBadArguments},
        {"seek Media to end", kMciBadArguments},
        {"play Media from 0", kMciBadArguments},
        {"play", kMciNoSuchAlias},
    };
    for (const auto& [command, result] : cases) {
        SCOPED_TRACE(command);
        EXPECT_EQ(Send(command), result);
    }
    EXPECT_TRUE(player_.calls.empty());
}

}  // namespace
}  // namespace kb
