// MIDI through SDL_mixer and FluidSynth behind the command interpreter: real pieces, real
// synthesis, and how long the frame thread is kept waiting.
#include "platform/sdl/mixer_midi_player.h"

#include <SDL.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "audio_test_util.h"
#include "platform/mci_commands.h"
#include "platform/sdl/mixer_audio.h"
#include "platform/sdl/mixer_sound.h"

namespace kb {
namespace {

namespace fs = std::filesystem;
using test::AudioDriver;
using Clock = std::chrono::steady_clock;

constexpr double kFrameMs = 67;

class MidiMusic : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!fs::exists(kMidiSoundFont)) GTEST_SKIP() << "no General MIDI bank installed";
        piece_ = fs::temp_directory_path() /
                 ("kb-midi-" + std::to_string(::getpid()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".mid");
        std::ofstream(piece_, std::ios::binary) << test::ShortMidiPiece();
        // As in the game, the effects have opened the output before the first piece comes.
        ASSERT_NE(sound_.Initialize(), 0) << SDL_GetError();
    }
    void TearDown() override { fs::remove(piece_); }

    // Sends a command as the game does, and keeps the longest time one took.
    std::string Send(const std::string& command, int32_t expected = kMciOk) {
        std::string answer;
        const auto begin = Clock::now();
        EXPECT_EQ(music_.SendString(command, answer), expected) << command;
        longestMs_ = std::max(
            longestMs_, std::chrono::duration<double, std::milli>(Clock::now() - begin).count());
        return answer;
    }
    std::string Status() { return Send("status Media mode"); }
    // Polls like the match frames do, until the mode becomes want or the time runs out.
    bool WaitForStatus(const std::string& want, int ms) {
        for (int waited = 0; waited < ms; waited += 20) {
            if (Status() == want) return true;
            SDL_Delay(20);
        }
        return false;
    }
    void WaitForLoad() {
        for (int i = 0; i < 500 && player_.LastLoadMilliseconds() == 0; ++i) SDL_Delay(10);
        ASSERT_GT(player_.LastLoadMilliseconds(), 0);
    }

    AudioDriver driver_{"dummy"};
    MixerSoundDevice sound_;
    MixerMidiPlayer player_;
    MciMusicDevice music_{player_};
    fs::path piece_;
    double longestMs_ = 0;
};

TEST_F(MidiMusic, PlaysToItsEndThenStatusSaysStoppedAndItCanStartAgain) {
    Send("open \"" + piece_.string() + "\" alias Media");
    Send("play Media");
    EXPECT_EQ(Status(), "playing");  // while it loads as well
    for (int pass = 0; pass < 2; ++pass) {
        EXPECT_TRUE(WaitForStatus("stopped", 10000)) << "the piece never ended";
        // At its written end, not once the synthesiser has stopped ringing.
        EXPECT_TRUE(Mix_PlayingMusic());
        // What the match does when its piece has ended: the same synthesiser starts over.
        Send("seek Media to start");
        Send("play Media");
        EXPECT_EQ(Status(), "playing");
        EXPECT_EQ(player_.Loads(), 1);
    }
    Send("close Media");
    EXPECT_LT(longestMs_, kFrameMs);
}

TEST_F(MidiMusic, HeldAtItsStartUntilPlayed) {
    Send("open \"" + piece_.string() + "\" alias Media");
    Send("play Media");
    Send("stop Media");
    Send("seek media to start");
    WaitForLoad();
    EXPECT_EQ(Status(), "stopped");
    SDL_Delay(200);
    EXPECT_EQ(Status(), "stopped");
    Send("play Media");
    EXPECT_EQ(Status(), "playing");
    Send("stop Media");
    EXPECT_EQ(Status(), "stopped");
    Send("play Media");  // carries on
    EXPECT_EQ(Status(), "playing");
    Send("close Media");
    Send("status Media mode", kMciNoSuchAlias);
}

TEST_F(MidiMusic, BundledPiecesLoadOffTheFrameThread) {
    for (const char* name :
         {"title.mid", "music01.mid", "music02.mid", "result01.mid", "result02.mid"}) {
        SCOPED_TRACE(name);
        const fs::path file = fs::path(KB_BINARY_DIR) / name;
        ASSERT_TRUE(fs::exists(file));
        MixerMidiPlayer player;
        MciMusicDevice music(player);
        std::string answer;
        const auto begin = Clock::now();
        ASSERT_EQ(music.SendString("open \"" + file.string() + "\" alias Media", answer), kMciOk);
        ASSERT_EQ(music.SendString("play Media", answer), kMciOk);
        const double callMs =
            std::chrono::duration<double, std::milli>(Clock::now() - begin).count();
        for (int i = 0; i < 500 && player.LastLoadMilliseconds() == 0; ++i) SDL_Delay(10);
        const double loadMs = player.LastLoadMilliseconds();
        ASSERT_GT(loadMs, 0) << "never loaded";
        music.SendString("status Media mode", answer);
        EXPECT_EQ(answer, "playing");
        const auto closing = Clock::now();
        music.SendString("stop Media", answer);
        music.SendString("close Media", answer);
        const double closeMs =
            std::chrono::duration<double, std::milli>(Clock::now() - closing).count();
        std::cout << "  " << name << ": open+play " << callMs << " ms on the frame thread, load "
                  << loadMs << " ms on the worker, stop+close " << closeMs << " ms\n";
        EXPECT_LT(callMs, kFrameMs);
        EXPECT_LT(closeMs, kFrameMs);
    }
}

TEST_F(MidiMusic, ClosingWhileItLoadsDropsThePiece) {
    Send("open \"" + piece_.string() + "\" alias Media");
    Send("play Media");
    Send("stop Media");
    Send("close Media");
    Send("open \"" + piece_.string() + "\" alias Media");
    WaitForLoad();
    SDL_Delay(100);  // the dropped load must not start anything either
    EXPECT_EQ(Status(), "stopped");
    EXPECT_LT(longestMs_, kFrameMs);
}

TEST(MidiMusicOutput, TitlePieceIsHeard) {
    if (!fs::exists(kMidiSoundFont)) GTEST_SKIP() << "no General MIDI bank installed";
    const fs::path file =
        fs::temp_directory_path() / ("kb-midi-disk-" + std::to_string(::getpid()));
    AudioDriver driver("disk");
    setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
    {
        MixerMidiPlayer player;
        MciMusicDevice music(player);
        std::string answer;
        const std::string title = std::string(KB_BINARY_DIR) + "/title.mid";
        ASSERT_EQ(music.SendString("open \"" + title + "\" alias Media", answer), kMciOk);
        music.SendString("play Media", answer);
        SDL_Delay(1500);
        music.SendString("close Media", answer);
    }
    std::ifstream in(file, std::ios::binary);
    const std::vector<char> raw{std::istreambuf_iterator<char>(in), {}};
    fs::remove(file);
    double energy = 0;
    for (size_t i = 0; i + 2 <= raw.size(); i += 2) {
        int16_t v;
        std::memcpy(&v, &raw[i], 2);
        energy += std::abs(static_cast<double>(v));
    }
    EXPECT_GT(raw.size(), 44100u);  // about a second of output
    EXPECT_GT(energy / static_cast<double>(raw.size() / 2), 30.0) << "silence";
}

TEST(MidiMusicNoDevice, OpenFailsAndEveryLaterCommandDoesNothing) {
    AudioDriver driver("no-such-driver");
    MixerMidiPlayer player;
    MciMusicDevice music(player);
    std::string answer;
    const std::string title = std::string(KB_BINARY_DIR) + "/title.mid";
    EXPECT_NE(music.SendString("open \"" + title + "\" alias Media", answer), kMciOk);
    EXPECT_EQ(music.SendString("play Media", answer), kMciNoSuchAlias);
    EXPECT_EQ(music.SendString("status Media mode", answer), kMciNoSuchAlias);
    EXPECT_EQ(answer, "");
}

}  // namespace
}  // namespace kb
