// Processor time of one frame (Main_Loop) in each scene. The scene's state is put in place
// before each timed frame, so every iteration draws the same, fullest picture of that scene.
#include <benchmark/benchmark.h>

#include "battle/missiles.h"
#include "bench_game.h"
#include "shell/main_loop.h"
#include "shell/scenes.h"

namespace kb::bench {
namespace {

// Twelve missiles in flight: one of each side in every lane, well apart so none meets.
void ArmMissiles(GameState& s) {
    for (int lane = 0; lane < kLanes; ++lane) {
        s.MyMisState[lane] = kMisFlying;
        s.MyMisX[lane] = static_cast<Integer>(300 + 8 * lane);
        s.MyMisY[lane] = static_cast<Integer>(32 * lane + 16);
        s.MyMisPower[lane] = 3;
        s.EnMisState[lane] = kMisFlying;
        s.EnMisX[lane] = static_cast<Integer>(100 - 8 * lane);
        s.EnMisY[lane] = static_cast<Integer>(32 * lane + 16);
        s.EnMisPower[lane] = 3;
    }
}

// The heaviest moment of the match-over effect: every particle drawn, full wave amplitudes,
// and the scan-line curtain on top.
void ArmWave(GameState& s) {
    for (int i = 0; i < kParticles; ++i) {
        s.ExpState[i] = static_cast<Integer>(1 + i % 4);  // none runs out in this frame
        s.ExpX[i] = static_cast<Integer>(352 + (i * 37) % 160);
        s.ExpY[i] = static_cast<Integer>((i * 61) % 320);
        s.ExpSpeed[i] = static_cast<Integer>(-10 - i % 80);
    }
    s.WaveRowAmp = 64;
    s.WaveColAmp = 22;
    s.WaveHold = 0;
    s.WaveLeft = 14;
}

void FrameTitle(benchmark::State& state) {
    BenchGame b;
    for (auto _ : state) Main_Loop(b.G());
}

void FrameMatchTwelveMissiles(benchmark::State& state) {
    BenchGame b;
    Game& g = b.G();
    g.s.MenuNo = 4;
    g.s.GameMode = kModeCom;
    GameStartInit(g);
    g.s.StartCount = 0;  // the count-down is over: typing and the computer run
    g.s.InputOn = 1;
    b.Frames(30);
    for (auto _ : state) {
        g.s.SceneNo = kSceneMatch;
        g.s.GameMode = kModeCom;
        ArmMissiles(g.s);
        Main_Loop(g);
    }
}

void FrameMatchOverWave(benchmark::State& state) {
    BenchGame b;
    Game& g = b.G();
    g.s.GameMode = kModeCom;
    GameStartInit(g);
    ArmMissiles(g.s);
    Game_End(g, u"LOSE");
    for (auto _ : state) {
        g.s.SceneNo = kSceneOver;
        ArmWave(g.s);
        Main_Loop(g);
    }
}

void FrameResult(benchmark::State& state) {
    BenchGame b;
    Game& g = b.G();
    g.s.MenuNo = 2;
    g.s.GameLevel = 1;
    g.s.GameMode = kModeCom;
    GameStartInit(g);
    Game_End(g, u"WIN");
    g.s.TypeCount = 120;
    g.s.MissCount = 4;
    g.s.PlaySec = 60;
    g.SortW = {u"0003:し:su,sa,xi", u"0002:っ:k,t", u"0001:ゅ:yo"};
    for (auto _ : state) {
        g.s.SceneNo = kSceneOver;
        g.s.WaveLeft = 0;  // the effect is over: only the result text is drawn
        g.s.ResultSec = 0;
        Main_Loop(g);
    }
}

BENCHMARK(FrameTitle)->Unit(benchmark::kMicrosecond);
BENCHMARK(FrameMatchTwelveMissiles)->Unit(benchmark::kMicrosecond);
BENCHMARK(FrameMatchOverWave)->Unit(benchmark::kMicrosecond);
BENCHMARK(FrameResult)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace kb::bench
