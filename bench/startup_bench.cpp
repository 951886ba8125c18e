// Start-up to the first shown frame: the typeface opened, Form_Load with the bundled files
// (word list, sounds, music present), and the first frame drawn. The window itself is not
// part of this; bench/measure-window.sh times the real program from exec to its first frame.
#include <benchmark/benchmark.h>

#include <string>

#include "bench_game.h"
#include "shell/form.h"
#include "shell/main_loop.h"

namespace kb::bench {
namespace {

void StartupToFirstFrame(benchmark::State& state) {
    for (auto _ : state) {
        VirtualClock clock;
        TtfFontEngine fonts;
        SdlImageLoader images;
        std::string error;
        if (!fonts.Open(TtfFontEngine::FindFontFile(AssetDir()), error)) {
            state.SkipWithError(error.c_str());
            break;
        }
        Services sv;
        sv.clock = &clock;
        sv.fonts = &fonts;
        sv.images = &images;
        sv.programDir = AssetDir();
        Game g(sv);
        if (!Form_Load(g)) {
            state.SkipWithError("start-up failed");
            break;
        }
        clock.Advance(67);
        FramePass(g, clock.TimeGetTime());
        benchmark::DoNotOptimize(g.s.SceneNo);
    }
}

BENCHMARK(StartupToFirstFrame)->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace
}  // namespace kb::bench
