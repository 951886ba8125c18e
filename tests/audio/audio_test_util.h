#pragma once
// Wave images made in the test, and the audio driver switch for tests that use SDL's audio.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace kb::test {

// A whole RIFF/WAVE file image of 16-bit samples.
inline std::vector<uint8_t> WaveImage(int rate, int channels, const std::vector<int16_t>& samples) {
    std::vector<uint8_t> w;
    w.reserve(44 + samples.size() * 2);
    auto u32 = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i) w.push_back(static_cast<uint8_t>(v >> (8 * i)));
    };
    auto u16 = [&](uint32_t v) {
        for (int i = 0; i < 2; ++i) w.push_back(static_cast<uint8_t>(v >> (8 * i)));
    };
    auto tag = [&](const char* t) {
        for (int i = 0; i < 4; ++i) w.push_back(static_cast<uint8_t>(t[i]));
    };
    const uint32_t data = static_cast<uint32_t>(samples.size() * 2);
    tag("RIFF");
    u32(36 + data);
    tag("WAVE");
    tag("fmt ");
    u32(16);
    u16(1);
    u16(static_cast<uint32_t>(channels));
    u32(static_cast<uint32_t>(rate));
    u32(static_cast<uint32_t>(rate * channels * 2));
    u16(static_cast<uint32_t>(channels * 2));
    u16(16);
    tag("data");
    u32(data);
    for (int16_t s : samples) u16(static_cast<uint16_t>(s));
    return w;
}

// A mono tone of the given length.
inline std::vector<int16_t> Tone(int rate, double hz, double seconds, double level = 0.5) {
    std::vector<int16_t> s(static_cast<size_t>(rate * seconds));
    for (size_t i = 0; i < s.size(); ++i)
        s[i] = static_cast<int16_t>(level * 32767 * std::sin(2 * M_PI * hz * i / rate));
    return s;
}

// A standard MIDI file of one short note (100 ms) on a General MIDI piano, which the
// synthesiser lets ring on for seconds after the piece's written end.
inline std::string ShortMidiPiece() {
    const std::string track = std::string("\x00\xC0\x00", 3) +      // program 1
                              std::string("\x00\x90\x3C\x64", 4) +  // note on
                              std::string("\x60\x80\x3C\x00", 4) +  // 96 ticks later, off
                              std::string("\x00\xFF\x2F\x00", 4);   // end of track
    return std::string("MThd\0\0\0\6\0\0\0\1\x01\xE0MTrk\0\0\0", 21) +
           static_cast<char>(track.size()) + track;
}

// Chooses SDL's audio driver for the devices a test opens, and puts the old one back after.
class AudioDriver {
  public:
    explicit AudioDriver(const std::string& name) {
        const char* old = std::getenv("SDL_AUDIODRIVER");
        old_ = old ? old : "";
        setenv("SDL_AUDIODRIVER", name.c_str(), 1);
    }
    ~AudioDriver() {
        if (old_.empty())
            unsetenv("SDL_AUDIODRIVER");
        else
            setenv("SDL_AUDIODRIVER", old_.c_str(), 1);
    }
    AudioDriver(const AudioDriver&) = delete;
    AudioDriver& operator=(const AudioDriver&) = delete;

  private:
    std::string old_;
};

}  // namespace kb::test
