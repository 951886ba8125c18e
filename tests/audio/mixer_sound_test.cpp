// The SDL_mixer sound library: what it accepts, and what it really sends to the output, caught
// with SDL's disk audio driver (a file instead of a sound card, filled at the real pace).
#include "platform/sdl/mixer_sound.h"

#include <SDL.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

#include "audio/sound_effects.h"
#include "audio_test_util.h"

namespace kb {
namespace {

namespace fs = std::filesystem;
using test::AudioDriver;
using test::Tone;
using test::WaveImage;

constexpr int kRate = 22050;

struct Output {
    std::vector<int16_t> left, right;
};

// Runs play on a fresh library sending its output to a file, waits ms, and reads back what
// was mixed.
Output RenderToDisk(const std::function<void(SoundDevice&, int32_t)>& play, int ms) {
    const fs::path file = fs::temp_directory_path() /
                          ("kb-disk-" + std::to_string(::getpid()) + "-" +
                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    AudioDriver driver("disk");
    setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
    {
        MixerSoundDevice device;
        const int32_t d = device.Initialize();
        EXPECT_NE(d, 0) << SDL_GetError();
        play(device, d);
        SDL_Delay(static_cast<Uint32>(ms));
        device.Terminate(d);
    }
    std::ifstream in(file, std::ios::binary);
    const std::vector<char> raw{std::istreambuf_iterator<char>(in), {}};
    fs::remove(file);
    Output out;
    for (size_t i = 0; i + 4 <= raw.size(); i += 4) {
        int16_t l, r;
        std::memcpy(&l, &raw[i], 2);
        std::memcpy(&r, &raw[i + 2], 2);
        out.left.push_back(l);
        out.right.push_back(r);
    }
    return out;
}

double Energy(const std::vector<int16_t>& s) {
    double e = 0;
    for (int16_t v : s) e += std::abs(static_cast<double>(v));
    return e;
}

// Samples from the first to the last one that is clearly not silence.
size_t SoundingSpan(const std::vector<int16_t>& s) {
    auto loud = [](int16_t v) { return std::abs(v) > 300; };
    const auto first = std::find_if(s.begin(), s.end(), loud);
    if (first == s.end()) return 0;
    const auto last = std::find_if(s.rbegin(), s.rend(), loud).base();
    return static_cast<size_t>(last - first);
}

size_t ZeroCrossings(const std::vector<int16_t>& s) {
    size_t n = 0;
    for (size_t i = 1; i < s.size(); ++i)
        if ((s[i - 1] < 0) != (s[i] < 0) && std::abs(s[i] - s[i - 1]) > 300) ++n;
    return n;
}

TEST(MixerSound, PannedSoundIsHeardAndLouderOnItsSide) {
    struct Case {
        int32_t pan;
        double quietOverLoud;  // the linear balance law
    };
    for (const Case& c :
         std::vector<Case>{{-10000, 0.0}, {-8667, 0.1333}, {7333, 0.2667}, {10000, 0.0}}) {
        SCOPED_TRACE(c.pan);
        const Output out = RenderToDisk(
            [&](SoundDevice& dev, int32_t d) {
                std::vector<uint8_t> image = WaveImage(kRate, 1, Tone(kRate, 440, 0.2));
                const int32_t b = dev.CreateBuffer(d, image.data(), image.size(), 1);
                ASSERT_NE(b, 0);
                std::fill(image.begin(), image.end(), 0);  // the library keeps its own copy
                dev.PlayEx(b, 0, c.pan, 14000);
            },
            500);
        const double left = Energy(out.left), right = Energy(out.right);
        const double loud = c.pan < 0 ? left : right, quiet = c.pan < 0 ? right : left;
        EXPECT_GT(loud, 1e6) << "silent";
        EXPECT_NEAR(quiet / loud, c.quietOverLoud, 0.02);
    }
}

TEST(MixerSound, PlainPlayIsCentredAtFullLevel) {
    const Output out = RenderToDisk(
        [](SoundDevice& dev, int32_t d) {
            const auto image = WaveImage(kRate, 1, Tone(kRate, 440, 0.2));
            dev.Play(dev.CreateBuffer(d, image.data(), image.size(), 1));
        },
        400);
    EXPECT_GT(Energy(out.left), 1e6);
    EXPECT_DOUBLE_EQ(Energy(out.left), Energy(out.right));
    const auto peak = *std::max_element(out.left.begin(), out.left.end());
    EXPECT_NEAR(peak, 0.5 * 32767, 0.05 * 32767);
}

TEST(MixerSound, LowerFrequencyPlaysSlowerAndLower) {
    auto render = [](int32_t frequency) {
        return RenderToDisk(
            [&](SoundDevice& dev, int32_t d) {
                const auto image = WaveImage(kRate, 1, Tone(kRate, 440, 0.2));
                dev.PlayEx(dev.CreateBuffer(d, image.data(), image.size(), 1), 0, 0, frequency);
            },
            900);
    };
    const Output recorded = render(kRate), slow = render(14000);
    const double stretch = static_cast<double>(SoundingSpan(slow.left)) /
                           static_cast<double>(SoundingSpan(recorded.left));
    EXPECT_NEAR(stretch, static_cast<double>(kRate) / 14000, 0.03);
    // The same waves over a longer time: the pitch falls by the same factor.
    EXPECT_NEAR(static_cast<double>(ZeroCrossings(slow.left)),
                static_cast<double>(ZeroCrossings(recorded.left)), 4);
}

// The sounds are long against the waits, so that a busy machine cannot blur the outcome.
TEST(MixerSound, StoppingOneBufferLeavesAnotherSounding) {
    const Output out = RenderToDisk(
        [](SoundDevice& dev, int32_t d) {
            const auto image = WaveImage(kRate, 1, Tone(kRate, 440, 1.0));
            const int32_t left = dev.CreateBuffer(d, image.data(), image.size(), 1);
            const int32_t right = dev.CreateBuffer(d, image.data(), image.size(), 1);
            dev.PlayEx(left, 0, -10000, kRate);
            dev.PlayEx(right, 0, 10000, kRate);
            SDL_Delay(50);
            dev.Stop(left);
        },
        1400);
    EXPECT_GT(Energy(out.left), 0) << "the stopped one never started";
    EXPECT_LT(SoundingSpan(out.left), SoundingSpan(out.right) / 2);
    EXPECT_NEAR(static_cast<double>(SoundingSpan(out.right)), 44100, 0.01 * 44100);
}

TEST(MixerSound, PlayingASoundingBufferAgainDoesNotRestartIt) {
    const Output out = RenderToDisk(
        [](SoundDevice& dev, int32_t d) {
            const auto image = WaveImage(kRate, 1, Tone(kRate, 440, 0.6));
            const int32_t b = dev.CreateBuffer(d, image.data(), image.size(), 1);
            dev.Play(b);
            SDL_Delay(100);
            dev.Play(b);
        },
        1200);
    EXPECT_NEAR(static_cast<double>(SoundingSpan(out.left)), 0.6 * 44100, 0.01 * 44100);
}

class MixerSoundDummy : public ::testing::Test {
  protected:
    AudioDriver driver_{"dummy"};
    MixerSoundDevice device_;
};

TEST_F(MixerSoundDummy, RejectsWhatIsNoWave) {
    const int32_t d = device_.Initialize();
    ASSERT_NE(d, 0) << SDL_GetError();
    const auto good = WaveImage(kRate, 1, Tone(kRate, 440, 0.05));
    auto corrupt = good;
    corrupt[20] = 0x77;  // an unknown sample encoding
    const std::vector<uint8_t> truncated(good.begin(), good.begin() + 30);
    const auto empty = WaveImage(kRate, 1, {});
    const std::string midi = "MThd\0\0\0\6\0\0\0\1\1\xE0";
    const std::string text = "RIFF....AVI LIST";
    struct Case {
        const char* name;
        const uint8_t* data;
        size_t size;
    };
    for (const Case& c : std::vector<Case>{
             {"corrupt", corrupt.data(), corrupt.size()},
             {"truncated", truncated.data(), truncated.size()},
             {"no samples", empty.data(), empty.size()},
             {"midi", reinterpret_cast<const uint8_t*>(midi.data()), midi.size()},
             {"other RIFF", reinterpret_cast<const uint8_t*>(text.data()), text.size()},
             {"nothing", nullptr, 0}}) {
        EXPECT_EQ(device_.CreateBuffer(d, c.data, c.size, 1), 0) << c.name;
    }
    EXPECT_EQ(device_.CreateBuffer(0, good.data(), good.size(), 1), 0);
    EXPECT_EQ(device_.CreateBuffer(d + 1, good.data(), good.size(), 1), 0);
    EXPECT_NE(device_.CreateBuffer(d, good.data(), good.size(), 1), 0);
}

TEST_F(MixerSoundDummy, HandleZeroAndUnknownHandlesAreIgnored) {
    const int32_t d = device_.Initialize();
    ASSERT_NE(d, 0);
    const auto image = WaveImage(kRate, 2, Tone(kRate, 440, 0.1));
    const int32_t b = device_.CreateBuffer(d, image.data(), image.size(), 1);
    for (int32_t h : {0, b + 1, -1}) {
        device_.Play(h);
        device_.PlayEx(h, 0, 5000, 14000);
        device_.Stop(h);
        device_.Free(h);
    }
    device_.Terminate(0);
    device_.Free(b);
    device_.Play(b);  // freed: ignored as well
    device_.Terminate(d);
    EXPECT_EQ(device_.CreateBuffer(d, image.data(), image.size(), 1), 0);  // after the end
}

TEST_F(MixerSoundDummy, GameLoadsEveryBundledEffect) {
    Services sv;
    sv.sound = &device_;
    sv.programDir = KB_BINARY_DIR;
    std::vector<std::string> lines;
    sv.trace = [&](std::string_view line) { lines.emplace_back(line); };
    Game g(sv);
    SndInit(g);
    seInit(g);
    EXPECT_TRUE(lines.empty()) << lines[0];
    for (int slot = 0; slot < kSeLoadedSlots; ++slot) EXPECT_NE(g.s.SeBuf[slot], 0) << slot;
    PlaySe(g, kSeCollision, 7333);
    PlayNormal(g, kSeHitFirst);
    FreeSounds(g);
}

TEST(MixerSoundNoDevice, GameGoesOnSilent) {
    AudioDriver driver("no-such-driver");
    MixerSoundDevice device;
    Services sv;
    sv.sound = &device;
    sv.programDir = KB_BINARY_DIR;
    std::vector<std::string> lines;
    sv.trace = [&](std::string_view line) { lines.emplace_back(line); };
    Game g(sv);
    SndInit(g);
    EXPECT_EQ(g.DsHandle, 0);
    seInit(g);
    for (int slot = 0; slot < kSeSlots; ++slot) EXPECT_EQ(g.s.SeBuf[slot], 0) << slot;
    StopSe(g, kSeMyLaunch);
    PlaySe(g, kSeMyLaunch, kPanFullRight);
    PlayNormal(g, kSeMatchStart);
    FreeSounds(g);
    EXPECT_EQ(lines.front(), "msgbox VbDSnd.Dll|Direct Soundインターフェースが作成できません。");
    EXPECT_EQ(lines.size(), 4u);
}

}  // namespace
}  // namespace kb
