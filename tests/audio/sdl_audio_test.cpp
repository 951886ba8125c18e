// SDL_mixer behind the sound library and the music interpreter: what it refuses, the bundled
// effects, and a piece's end and how long the frame thread is kept waiting.
#include <SDL.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <utility>
#include <vector>

#include "audio/sound_effects.h"
#include "platform/desktop/mixer_midi_player.h"
#include "platform/mci_commands.h"
#include "platform/sdl/mixer_audio.h"
#include "platform/sdl/mixer_sound.h"
#include "test_game.h"

namespace kb {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
constexpr double kFrameMs = 67;

// A bundled effect: a mono wave of 16-bit samples at 22050 Hz.
std::string Effect(const char* name) {
    return ReadFileBytes(std::string(KB_BINARY_DIR) + "/" + name).bytes;
}

// Of what is no wave nothing is made, nor of a good one for a device not open.
TEST(MixerSound, RejectsWhatIsNoWave) {
    test::ScopedEnv driver("SDL_AUDIODRIVER", "dummy");
    MixerSoundDevice device;
    const int32_t d = device.Initialize();
    ASSERT_NE(d, 0) << SDL_GetError();
    const std::string good = Effect("Hit.wav");
    std::string corrupt = good;
    corrupt[20] = 0x77;  // an unknown sample encoding
    for (const auto& [dev, bytes] : std::vector<std::pair<int32_t, std::string>>{
             {d, corrupt},
             {d, good.substr(0, 30)},
             {d, good.substr(0, 44)},
             {d, std::string("MThd\0\0\0\6\0\0\0\1\1\xE0", 14)},
             {d, "RIFF....AVI LIST"},
             {d, ""},
             {d + 1, good}}) {
        const auto* image = reinterpret_cast<const uint8_t*>(bytes.data());
        EXPECT_EQ(device.CreateBuffer(dev, image, bytes.size(), 1), 0) << bytes.substr(0, 4);
    }
    const auto* image = reinterpret_cast<const uint8_t*>(good.data());
    EXPECT_NE(device.CreateBuffer(d, image, good.size(), 1), 0);
}

// Every bundled effect loads; with no output at all the game warns once and goes on silent.
TEST(MixerSound, GameLoadsEveryBundledEffectOrGoesOnSilent) {
    for (const char* name : {"dummy", "no-such-driver"}) {
        SCOPED_TRACE(name);
        test::ScopedEnv driver("SDL_AUDIODRIVER", name);
        MixerSoundDevice device;
        Services sv;
        sv.sound = &device;
        test::TestGame t(sv);
        t.g.sv.programDir = KB_BINARY_DIR;
        SndInit(t.g);
        seInit(t.g);
        const bool none = t.g.DsHandle == 0;
        EXPECT_EQ(none, std::string(name) != "dummy");
        for (int slot = 0; slot < kSeLoadedSlots; ++slot) EXPECT_EQ(t.g.s.SeBuf[slot] == 0, none);
        PlaySe(t.g, kSeCollision, 7333);
        FreeSounds(t.g);
        EXPECT_EQ(t.TracedStartingWith("msgbox ").size(), none ? 1u : 0u);
    }
}

// What the mixer really sends out for one bundled effect, caught with SDL's disk driver (a file
// in place of a sound card, filled at the real pace): left and right samples, interleaved.
std::vector<int16_t> Rendered(int32_t pan, int32_t frequency) {
    const fs::path file = fs::temp_directory_path() / ("kb-disk-" + std::to_string(::getpid()));
    test::ScopedEnv driver("SDL_AUDIODRIVER", "disk"), disk("SDL_DISKAUDIOFILE", file.c_str());
    {
        MixerSoundDevice device;
        const int32_t d = device.Initialize();
        const std::string wave = Effect("Hit.wav");
        const auto* image = reinterpret_cast<const uint8_t*>(wave.data());
        device.PlayEx(device.CreateBuffer(d, image, wave.size(), 1), 0, pan, frequency);
        SDL_Delay(900);
        device.Terminate(d);
    }
    const std::string raw = ReadFileBytes(file.string()).bytes;
    fs::remove(file);
    std::vector<int16_t> out(raw.size() / 2);
    std::memcpy(out.data(), raw.data(), out.size() * 2);
    return out;
}

// A pan lowers the far side by the linear balance law; a lower frequency plays the effect slower.
TEST(MixerSound, PanAndFrequencyReachTheOutput) {
    auto loudness = [](const std::vector<int16_t>& s, size_t side) {
        double sum = 0;
        size_t first = s.size(), last = 0;
        for (size_t i = side; i < s.size(); i += 2) {
            sum += std::abs(static_cast<double>(s[i]));
            if (std::abs(s[i]) > 300) first = std::min(first, i), last = i;
        }
        return std::pair(sum, first < last ? static_cast<double>(last - first) : 0.0);
    };
    const auto [centreSum, centreSpan] = loudness(Rendered(0, 22050), 0);
    ASSERT_GT(centreSum, 1e5) << "silent";
    for (const auto& [pan, quietOverLoud] :
         std::vector<std::pair<int32_t, double>>{{-10000, 0.0}, {-8667, 0.1333}, {7333, 0.2667}}) {
        SCOPED_TRACE(pan);
        const auto out = Rendered(pan, 22050);
        const double left = loudness(out, 0).first, right = loudness(out, 1).first;
        EXPECT_NEAR((pan < 0 ? right / left : left / right), quietOverLoud, 0.02);
    }
    EXPECT_NEAR(loudness(Rendered(0, 14000), 0).second / centreSpan, 22050.0 / 14000, 0.05);
}

// One short note on a General MIDI piano, which the synthesiser lets ring on for seconds after
// the piece's written end.
std::string ShortMidiPiece() {
    const std::string track = std::string("\x00\xC0\x00", 3) +      // program 1
                              std::string("\x00\x90\x3C\x64", 4) +  // note on
                              std::string("\x60\x80\x3C\x00", 4) +  // 96 ticks later, off
                              std::string("\x00\xFF\x2F\x00", 4);   // end of track
    return std::string("MThd\0\0\0\6\0\0\0\1\x01\xE0MTrk\0\0\0", 21) +
           static_cast<char>(track.size()) + track;
}

// Sends a command as the game does and fails when it keeps the frame thread waiting.
std::string Send(MusicDevice& music, const std::string& command, int32_t result = kMciOk) {
    std::string answer;
    const auto begin = Clock::now();
    EXPECT_EQ(music.SendString(command, answer), result) << command;
    const std::chrono::duration<double, std::milli> took = Clock::now() - begin;
    EXPECT_LT(took.count(), kFrameMs) << command;
    return answer;
}

TEST(MidiMusic, StopsAtItsWrittenEndAndStartsAgainOnTheSameSynthesiser) {
    if (!fs::exists(kMidiSoundFont)) GTEST_SKIP() << "no General MIDI bank installed";
    test::ScopedEnv driver("SDL_AUDIODRIVER", "dummy");
    MixerSoundDevice sound;
    ASSERT_NE(sound.Initialize(), 0) << SDL_GetError();  // the effects open the output first
    test::TempDir dir;
    dir.WriteFile("short.mid", ShortMidiPiece());
    MixerMidiPlayer player;
    MciMusicDevice music(player);
    Send(music, "open \"" + (dir.Path() / "short.mid").string() + "\" alias Media");
    for (int pass = 0; pass < 2; ++pass) {
        Send(music, "play Media");
        EXPECT_EQ(Send(music, "status Media mode"), "playing");  // while it loads as well
        int waited = 0;
        while (Send(music, "status Media mode") != "stopped" && waited < 10000) {
            SDL_Delay(20);
            waited += 20;
        }
        EXPECT_LT(waited, 10000) << "the piece never ended";
        EXPECT_TRUE(Mix_PlayingMusic()) << "the synthesiser still rings";
        Send(music, "seek Media to start");
    }
    EXPECT_EQ(player.Loads(), 1);
    Send(music, "stop Media");
    EXPECT_EQ(Send(music, "status Media mode"), "stopped");
    Send(music, "close Media");
}

}  // namespace
}  // namespace kb
