#include "bench_game.h"

#include <cstdlib>
#include <stdexcept>
#include <string>

#include "shell/form.h"
#include "shell/main_loop.h"

namespace kb::bench {

const char* AssetDir() {
    const char* env = std::getenv("KB_ASSET_DIR");
    return env && *env ? env : KB_ASSET_DIR;
}

BenchGame::BenchGame(RecordStore* record, bool replays) {
    std::string error;
    if (!fonts_.Open(TtfFontEngine::FindFontFile(AssetDir()), error))
        throw std::runtime_error(error);
    Services sv = Lend();
    sv.clock = &clock_;
    if (replays) sv.clock = &recorder_.emplace(clock_);
    sv.record = record;
    game_ = std::make_unique<Game>(sv);
    if (recorder_) recorder_->Attach(*game_);
    if (!Form_Load(*game_)) throw std::runtime_error("start-up failed");
    Frames(20);  // past the first second, so Fps is measured
}

Services BenchGame::Lend() {
    Services sv;
    sv.fonts = &fonts_;
    sv.images = &images_;
    sv.programDir = AssetDir();
    return sv;
}

void BenchGame::Frames(int n) {
    for (int i = 0; i < n; ++i) {
        clock_.Advance(67);
        FramePass(*game_, clock_.TimeGetTime());
    }
}

}  // namespace kb::bench
