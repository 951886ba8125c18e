#pragma once
// A game started the way the window program starts it (the real typeface, the bundled files),
// but on a virtual clock and without a window, so one frame can be timed on its own.
#include <memory>
#include <optional>

#include "platform/clock.h"
#include "platform/sdl/sdl_images.h"
#include "platform/sdl/ttf_fonts.h"
#include "replay/recorder.h"
#include "shell/game.h"

namespace kb::bench {

class BenchGame {
  public:
    // record: where its matches are kept (none: in memory); replays: every match is recorded
    // as a replay, as the window program records it.
    explicit BenchGame(RecordStore* record = nullptr, bool replays = false);
    Game& G() { return *game_; }
    // The game's typeface, for pictures of its own.
    TtfFontEngine& Fonts() { return fonts_; }
    // What a second game (one playing a replay) borrows: the typeface, pictures, files.
    Services Lend();
    // Runs n frames 67 ms apart, as the frame loop would.
    void Frames(int n);

  private:
    VirtualClock clock_;
    std::optional<Recorder> recorder_;
    TtfFontEngine fonts_;
    SdlImageLoader images_;
    std::unique_ptr<Game> game_;
};

// Where the bundled files are: the build directory, or KB_ASSET_DIR from the environment.
const char* AssetDir();

}  // namespace kb::bench
