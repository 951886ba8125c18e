// The game in a browser page: the window program's loop and routines, with the page's animation
// frames in place of the sleep between passes. The network goes through a WebSocket bridge in
// front of a desktop game (the page can only be the client). The address box and the debug
// console are page elements under the canvas.
#include <SDL.h>
#include <emscripten.h>

#include <memory>
#include <optional>
#include <string>

#include "app/machine.h"
#include "app/page/page_features.h"
#include "app/sim_state.h"
#include "app/window_events.h"
#include "debug/debug_log.h"
#include "net/connection.h"
#include "platform/sdl/mixer_audio.h"
#include "platform/web/web_address_window.h"
#include "platform/web/web_debug_console.h"
#include "platform/web/web_midi_player.h"
#include "shell/event_loop.h"

namespace {

// Where the page's packaged files are mounted: the bundled files and the typeface.
constexpr char kProgramDir[] = "/kanaburst";

// The page calls a pass for every animation frame; a pass never sleeps, the browser does.
class PageLoopHost : public kb::LoopHost {
  public:
    explicit PageLoopHost(kb::MainWindow& window) : window_(window) {}
    void Sleep(uint32_t) override {}
    void Wake() override {}
    void PumpEvents(kb::Game& g) override {
        SDL_Event ev;
        while (!g.ended && SDL_PollEvent(&ev)) kb::HandleMainWindowEvent(g, window_, ev);
    }

  private:
    kb::MainWindow& window_;
};

// The page's "?seed=N" fixes the random sequence, so that a test knows the order of the words.
std::optional<uint32_t> PageSeed() {
    const int seed = EM_ASM_INT({
        const seed = new URLSearchParams(location.search).get('seed');
        return seed ? parseInt(seed, 10) : -1;
    });
    if (seed < 0) return std::nullopt;
    return static_cast<uint32_t>(seed);
}

// Everything the game runs on, alive for as long as the page.
struct Page {
    std::unique_ptr<kb::Machine> machine;
    kb::WebAddressWindow form2;
    kb::WebDebugConsole debugWin;
    kb::WebMidiPlayer midi;
    kb::Game* game = nullptr;
    std::unique_ptr<PageLoopHost> host;
    std::unique_ptr<kb::EventLoop> loop;
    bool titleUp = false;  // the first frame has been drawn
};

Page page;

// The page's frames come every 16.7 ms: a game frame due within half of that runs in this one.
constexpr uint32_t kHalfAnimationFrame = 8;

void Pass(void* arg) {
    Page& page = *static_cast<Page*>(arg);
    page.loop->Pass(0, kHalfAnimationFrame);
    if (page.game->ended) return emscripten_cancel_main_loop();
    // The synthesiser loads once the title is up, so that it never holds up its first frame.
    if (!page.titleUp && page.game->loop.FpsCount + page.game->loop.Fps > 0) {
        page.titleUp = true;
        EM_ASM(kanaburstMusic.begin());
    }
}

bool Start(Page& page) {
    // The effects' output the page opened (page.js), at the rate the sounds are made at.
    const int rate = EM_ASM_INT({
        const output = Module['SDL2'] && Module['SDL2'].audioContext;
        return output ? output.sampleRate : 0;
    });
    if (rate > 0) kb::SetMixerRate(rate);
    page.machine = std::make_unique<kb::Machine>(kb::MachineOptions{
        .programDir = kProgramDir, .userDir = kb::kPlayerDir, .seed = PageSeed()});
    if (!page.machine->Open(nullptr)) return false;
    page.game = page.machine->StartGame(
        {.midi = &page.midi, .form2 = &page.form2, .debugWin = &page.debugWin});
    if (!page.game) return false;
    kb::StartPageFeatures(*page.game, page.machine->Fonts());
    page.host = std::make_unique<PageLoopHost>(page.machine->Window());
    page.loop = std::make_unique<kb::EventLoop>(*page.game, *page.host);
    return true;
}

}  // namespace

// The state record as the headless driver prints it, for the page's tests to read.
extern "C" EMSCRIPTEN_KEEPALIVE const char* kanaburst_state() {
    static std::string json;
    json = page.game ? kb::StateJson(*page.game) : "{}";
    return json.c_str();
}

// Enter and Escape typed in the page's address box.
extern "C" EMSCRIPTEN_KEEPALIVE void kanaburst_address_key(int keyCode) {
    if (page.game && !page.game->ended) kb::Text1_KeyDown(*page.game, keyCode, 0);
}

// Enter in the debug console's command box, its COPY button, and closing it.
extern "C" EMSCRIPTEN_KEEPALIVE void kanaburst_console_key(int keyCode) {
    if (page.game && !page.game->ended) kb::SndTxt_KeyDown(*page.game, keyCode, 0);
}
extern "C" EMSCRIPTEN_KEEPALIVE void kanaburst_console_copy() {
    if (page.game && !page.game->ended) kb::Command1_Click(*page.game);
}
extern "C" EMSCRIPTEN_KEEPALIVE void kanaburst_console_close() {
    page.debugWin.Unload();
}

int main(int, char**) {
    if (!Start(page)) return 1;
    // Called at the page's frame rate; the game's own pacing decides which passes run a frame.
    emscripten_set_main_loop_arg(Pass, &page, 0, false);
    return 0;
}
