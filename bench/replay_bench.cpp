// Replays: what recording adds to a frame, and how long skipping through a replay of a
// three-minute match takes.
#include <benchmark/benchmark.h>

#include <fstream>
#include <iterator>
#include <string>

#include "battle/missiles.h"
#include "bench_game.h"
#include "replay/long_match.h"
#include "replay/playback.h"
#include "replay/replay_text.h"
#include "shell/main_loop.h"
#include "shell/scenes.h"
#include "typing/key_codes.h"
#include "typing/key_input.h"

namespace kb::bench {
namespace {

// A frame of a match with a letter typed and erased before it, recorded or not: the same work
// as FrameMatchTwelveMissiles plus the four key events, and with recording, every hook.
void FrameMatchWithKeys(benchmark::State& state) {
    BenchGame b(nullptr, state.range(0) != 0);
    Game& g = b.G();
    g.s.MenuNo = 4;
    g.s.GameMode = kModeCom;
    GameStartInit(g);
    g.s.StartCount = 0;
    g.s.InputOn = 1;
    b.Frames(30);
    for (auto _ : state) {
        Display_KeyDown(g, kVkA, 0);
        Display_KeyUp(g, kVkA, 0);
        Display_KeyDown(g, kVkBack, 0);
        Display_KeyUp(g, kVkBack, 0);
        g.s.SceneNo = kSceneMatch;
        g.s.GameMode = kModeCom;
        Main_Loop(g);
    }
    state.SetLabel(state.range(0) ? "recording" : "not recording");
}

// The recording's own work in a frame of typing: its hooks for a frame and four key events,
// the game not run (fewer iterations than an hour of frames, after which a recording ends).
void RecordingHooksPerFrame(benchmark::State& state) {
    BenchGame b(nullptr, true);
    Game& g = b.G();
    g.s.GameMode = kModeCom;
    GameStartInit(g);
    b.Frames(1);
    MatchRecorder& r = *g.recorder;
    for (auto _ : state) {
        r.KeyDown(kVkA);
        r.KeyUp(kVkA);
        r.KeyDown(kVkBack);
        r.KeyUp(kVkBack);
        r.Frame();
    }
}

// The replay of a match of about three minutes against the computer on the bundled words, the
// player typing all the way.
const Replay& ThreeMinutes() {
    static const Replay replay = [] {
        std::ifstream in(std::string(AssetDir()) + "/str.dat", std::ios::binary);
        const std::string words(std::istreambuf_iterator<char>(in), {});
        const test::LongMatch m =
            test::RecordLongMatch(words, 2, 180 * 15, [](const Game&) { return std::string(); });
        Replay r;
        std::string why;
        if (!ReadReplay(m.replay, r, why)) throw std::runtime_error(why);
        return r;
    }();
    return replay;
}

// Skipping to the end, the frames unseen and unheard and the last drawn in full; loading the
// replay's game (start-up, its first frame) is left out of the time.
void SkipThreeMinutes(benchmark::State& state) {
    BenchGame lender;
    const Replay& replay = ThreeMinutes();
    for (auto _ : state) {
        state.PauseTiming();
        Playback p(replay, lender.Lend());
        std::string why;
        if (!p.Start(why)) state.SkipWithError(why.c_str());
        state.ResumeTiming();
        if (state.range(0) != 0) {
            p.SkipToEnd();
        } else {
            while (p.NextFrame()) {
            }
        }
        benchmark::DoNotOptimize(p.FramesRun());
    }
    state.SetLabel(std::to_string(replay.Frames()) + " frames, " +
                   (state.range(0) ? "skipped" : "each drawn"));
}

BENCHMARK(FrameMatchWithKeys)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(RecordingHooksPerFrame)->Iterations(50000)->Unit(benchmark::kMicrosecond);
BENCHMARK(SkipThreeMinutes)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
}  // namespace kb::bench
