// The game in a browser page: the window program's loop and routines, with the page's animation
// frames in place of the sleep between passes. The network goes through a WebSocket bridge in
// front of a desktop game (the page can only be the client). The address box and the debug
// console are page elements under the canvas.
#include <SDL.h>
#include <emscripten.h>

#include <memory>
#include <string>

#include "app/sim_state.h"
#include "debug/debug_log.h"
#include "net/connection.h"
#include "platform/mci_commands.h"
#include "platform/posix/system_clock.h"
#include "platform/sdl/main_window.h"
#include "platform/sdl/mixer_sound.h"
#include "platform/sdl/sdl_dialogs.h"
#include "platform/sdl/sdl_images.h"
#include "platform/sdl/ttf_fonts.h"
#include "platform/sdl/window_events.h"
#include "platform/web/page_features.h"
#include "platform/web/web_address_window.h"
#include "platform/web/web_debug_console.h"
#include "platform/web/web_midi_player.h"
#include "platform/web/web_socket_control.h"
#include "shell/event_loop.h"
#include "shell/form.h"
#include "shell/ustr.h"

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
    bool WatchesSockets() const override { return false; }

  private:
    kb::MainWindow& window_;
};

// The machine's clock; the random sequence follows the page's "?seed=N" when it has one, so
// that a test knows the order of the words.
class PageClock : public kb::SystemClock {
  public:
    uint32_t RandomSeed() override {
        const int seed = EM_ASM_INT({
            const seed = new URLSearchParams(location.search).get('seed');
            return seed ? parseInt(seed, 10) : -1;
        });
        return seed >= 0 ? static_cast<uint32_t>(seed) : kb::SystemClock::RandomSeed();
    }
};

// The port of the WebSocket bridge on the server's machine: the page's "?bridge=N", or 1002.
int BridgePort() {
    const int port = EM_ASM_INT({
        const port = new URLSearchParams(location.search).get('bridge');
        return port ? parseInt(port, 10) : 1002;
    });
    return port > 0 && port < 65536 ? port : 1002;
}

// Everything the game runs on, alive for as long as the page.
struct Page {
    kb::SdlDialogs dialogs;
    kb::TtfFontEngine fonts;
    kb::MainWindow window;
    PageClock clock;
    kb::SdlImageLoader images;
    kb::WebAddressWindow form2;
    kb::WebDebugConsole debugWin;
    kb::WebSocketControl winsock{BridgePort()}, winsockL{BridgePort()};
    kb::MixerSoundDevice sound;
    kb::WebMidiPlayer midi;
    kb::MciMusicDevice music{midi};
    std::unique_ptr<kb::Game> game;
    std::unique_ptr<PageLoopHost> host;
    std::unique_ptr<kb::EventLoop> loop;
};

Page page;

// The page's frames come every 16.7 ms: a game frame due within half of that runs in this one.
constexpr uint32_t kHalfAnimationFrame = 8;

void Pass(void* arg) {
    Page& page = *static_cast<Page*>(arg);
    page.loop->Pass(0, kHalfAnimationFrame);
    if (page.game->ended) emscripten_cancel_main_loop();
}

bool Start(Page& page) {
    std::string error;
    const bool ok = page.fonts.Open(kb::TtfFontEngine::FindFontFile(kProgramDir), error) &&
                    page.window.Create("Kanaburst Ver1.1", 480, 320, error);
    if (!ok) {
        page.dialogs.MessageBox(u"Kanaburst", u"ゲーム起動に失敗しました\n" + kb::FromUtf8(error),
                                kb::Dialogs::Icon::kWarning);
        return false;
    }
    page.dialogs.SetParent(page.window.Handle());
    kb::Services sv;
    sv.sound = &page.sound;
    sv.music = &page.music;
    sv.clock = &page.clock;
    sv.dialogs = &page.dialogs;
    sv.fonts = &page.fonts;
    sv.images = &page.images;
    sv.programDir = kProgramDir;
    sv.form2 = &page.form2;
    sv.winsock = &page.winsock;
    sv.winsockL = &page.winsockL;
    sv.debugWin = &page.debugWin;
    page.game = std::make_unique<kb::Game>(sv);
    page.game->Display.onRefresh = [&page](const kb::Surface& s) { page.window.Present(s.View()); };
    if (!kb::Form_Load(*page.game)) return false;
    kb::StartPageFeatures(*page.game, page.fonts);
    page.host = std::make_unique<PageLoopHost>(page.window);
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
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
        SDL_Log("Kanaburst cannot start: %s", SDL_GetError());
        return 1;
    }
    if (!Start(page)) return 1;
    // Called at the page's frame rate; the game's own pacing decides which passes run a frame.
    emscripten_set_main_loop_arg(Pass, &page, 0, false);
    return 0;
}
