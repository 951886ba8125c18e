// The gap where the match music loops. Each piece named on the command line (default: the two
// match pieces) is played through SDL's disk audio driver in real time, driven as a match
// drives it: opened and held at its start, then on every 67 ms frame "status Media mode", and
// once it has ended "seek Media to start" and "play Media". The output clock at each "play"
// says where in the written output each pass starts; for every loop point the program prints
// how long after the piece's written end the next pass started, how alike the starts of the
// first and that pass sound (1 is the same), and the longest run of silence (below -60 dBFS)
// around the loop point.
//
//   kanaburst_music_loop [--passes N] [PIECE.mid ...]
#include <SDL.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "platform/desktop/mixer_midi_player.h"
#include "platform/mci_commands.h"
#include "platform/midi_player.h"
#include "platform/sdl/mixer_audio.h"

namespace {

namespace fs = std::filesystem;
constexpr int kRate = 44100;         // what the mixer asks the disk driver for
constexpr int kFrameMs = 67;         // the game's frame interval
constexpr int kBufferFrames = 1024;  // the mixer's buffer
constexpr int kQuiet = 33;           // -60 dBFS

std::string Send(kb::MciMusicDevice& music, const std::string& command) {
    std::string answer;
    music.SendString(command, answer);
    return answer;
}

struct Run {
    std::vector<int16_t> mono;   // the output, both channels averaged
    std::vector<size_t> passAt;  // the output frame where each pass starts
};

Run Render(const std::string& piece, int passes) {
    const fs::path out =
        fs::temp_directory_path() / ("kb-music-loop-" + std::to_string(::getpid()) + ".raw");
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", out.c_str(), 1);
    const uint64_t clockBefore = kb::MixerFramesMixed();  // left by an earlier piece
    std::vector<uint64_t> playAt;
    {
        kb::MixerMidiPlayer player;
        kb::MciMusicDevice music(player);
        Send(music, "open \"" + piece + "\" alias Media");
        Send(music, "play Media");
        Send(music, "stop Media");
        Send(music, "seek media to start");
        // The match's count-down gives the load four seconds.
        for (int i = 0; i < 400 && player.LastLoadMilliseconds() == 0; ++i) SDL_Delay(10);
        auto next = std::chrono::steady_clock::now();
        while (static_cast<int>(playAt.size()) <= passes) {
            std::this_thread::sleep_until(next);
            next += std::chrono::milliseconds(kFrameMs);
            if (Send(music, "status Media mode").substr(0, 7) == "playing") continue;
            if (static_cast<int>(playAt.size()) == passes) break;
            Send(music, "seek Media to start");
            Send(music, "play Media");
            playAt.push_back(kb::MixerFramesMixed());  // the next buffer mixed starts the pass
        }
        Send(music, "close Media");
    }
    const uint64_t counted = kb::MixerFramesMixed() - clockBefore;
    std::ifstream in(out, std::ios::binary);
    const std::vector<char> raw{std::istreambuf_iterator<char>(in), {}};
    fs::remove(out);
    Run run;
    run.mono.resize(raw.size() / 4);
    for (size_t i = 0; i < run.mono.size(); ++i) {
        int16_t l, r;
        std::memcpy(&l, &raw[4 * i], 2);
        std::memcpy(&r, &raw[4 * i + 2], 2);
        run.mono[i] = static_cast<int16_t>((l + r) / 2);
    }
    // The file holds every buffer mixed, the clock those mixed once it was counting.
    const uint64_t missed = run.mono.size() > counted ? run.mono.size() - counted : 0;
    for (uint64_t c : playAt) run.passAt.push_back(c - clockBefore + missed);
    return run;
}

// How alike `length` frames from a and from b are: 1 the same, 0 unrelated.
double Alike(const std::vector<int16_t>& x, size_t a, size_t b, size_t length) {
    double dot = 0, ea = 0, eb = 0;
    for (size_t i = 0; i < length && b + i < x.size(); ++i) {
        dot += double(x[a + i]) * x[b + i];
        ea += double(x[a + i]) * x[a + i];
        eb += double(x[b + i]) * x[b + i];
    }
    return ea > 0 && eb > 0 ? dot / std::sqrt(ea * eb) : 0;
}

double Ms(double frames) {
    return frames * 1000.0 / kRate;
}

}  // namespace

int main(int argc, char** argv) {
    int passes = 3;
    std::vector<std::string> pieces;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--passes" && i + 1 < argc)
            passes = std::max(2, std::atoi(argv[++i]));
        else
            pieces.push_back(argv[i]);
    }
    if (pieces.empty())
        pieces = {std::string(KB_ASSET_DIR) + "/music01.mid",
                  std::string(KB_ASSET_DIR) + "/music02.mid"};
    if (!fs::exists(kb::kMidiSoundFont)) {
        std::fprintf(stderr, "no General MIDI bank at %s\n", kb::kMidiSoundFont);
        return 1;
    }
    double latest = 0, longestSilence = 0;
    for (const std::string& piece : pieces) {
        std::vector<uint8_t> bytes;
        const double lengthMs = kb::ReadMidiFile(piece, bytes) ? kb::MidiLengthMs(bytes) : 0;
        if (lengthMs <= 0) {
            std::fprintf(stderr, "%s: not a MIDI file\n", piece.c_str());
            return 1;
        }
        std::printf("%s: %.0f ms as written, %d passes in real time\n",
                    fs::path(piece).filename().c_str(), lengthMs, passes);
        std::fflush(stdout);
        const Run run = Render(piece, passes);
        const auto& x = run.mono;
        const double length = lengthMs * kRate / 1000;
        for (size_t k = 1; k < run.passAt.size(); ++k) {
            const double end = double(run.passAt[k - 1]) + length;
            const size_t at = run.passAt[k];
            size_t quiet = 0, still = 0;
            for (size_t i = static_cast<size_t>(end) - kRate / 5; i < at + kRate; ++i) {
                still = i < x.size() && std::abs(x[i]) <= kQuiet ? still + 1 : 0;
                quiet = std::max(quiet, still);
            }
            const double late = Ms(double(at) - end);
            std::printf(
                "  loop %zu: next pass %.1f ms after the written end, starts %.3f alike, "
                "longest silence %.1f ms\n",
                k, late, Alike(x, run.passAt[0], at, kRate / 2), Ms(double(quiet)));
            latest = std::max(latest, late);
            longestSilence = std::max(longestSilence, Ms(double(quiet)));
        }
    }
    std::printf(
        "latest restart %.1f ms after the written end (one frame: %d ms, one buffer: "
        "%.1f ms); longest silence at a loop point %.1f ms\n",
        latest, kFrameMs, Ms(kBufferFrames), longestSilence);
    return 0;
}
