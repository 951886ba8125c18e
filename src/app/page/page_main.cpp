// The game in a browser page: the window program's loop and routines, with the page's animation
// frames in place of the sleep between passes, and, while the page is hidden and the browser
// gives it no animation frames, passes that catch up on every frame that came due. The page
// meets other games in rooms on a relay (hosting or joining, by code or through the lobby) and
// reaches a desktop game's server through a WebSocket bridge. The address box and the debug
// console are page elements under the canvas, and the player's record has a canvas of its own
// over the game's. The page's settings come from its address bar, which web/page.js reads and
// hands over as arguments. When the game ends (after "Connect Lost", say) the page says so and
// offers to start again.
#include <SDL.h>
#include <emscripten.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <utility>

#include "app/late_frames.h"
#include "app/machine.h"
#include "app/page/page_calls.h"
#include "app/page/page_features.h"
#include "app/page/page_lobby.h"
#include "app/page/page_record.h"
#include "app/page/page_replays.h"
#include "app/sim_state.h"
#include "app/window_events.h"
#include "debug/debug_log.h"
#include "net/connection.h"
#include "platform/room/room_lobby.h"
#include "platform/sdl/mixer_audio.h"
#include "platform/web/page_script.h"
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
        while (!g.ended && SDL_PollEvent(&ev))
            if (!kb::TakeRecordKey(ev)) kb::HandleMainWindowEvent(g, window_, ev);
    }
    void PassDone(kb::Game& g, bool) override {
        kb::TellRoomChanges(g);
        kb::UpdatePageRecord();
        kb::PumpPageLobby();
    }

  private:
    kb::MainWindow& window_;
};

// A whole number from 0 up, or -1 for text that is none.
long Whole(const std::string& text) {
    char* end = nullptr;
    const long n = std::strtol(text.c_str(), &end, 10);
    return !text.empty() && *end == '\0' && n >= 0 ? n : -1;
}

// The page's settings, each as "--NAME VALUE" (web/page.js): --relay, the relay or relays that
// rooms meet on; --bridge, the port of the WebSocket bridge on a desktop game's host; --room, a
// room to join at once; --seed, a fixed random sequence, so that a test knows the order of the
// words. A setting the page cannot use is left at its default. Every match is recorded.
kb::MachineOptions PageOptions(int argc, char** argv) {
    // The clock a hidden page's passes read as of when each frame was due; every match recorded.
    kb::MachineOptions options{.programDir = kProgramDir,
                               .userDir = kb::kPlayerDir,
                               .laggingClock = true,
                               .replays = true};
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string name = argv[i], value = argv[i + 1];
        if (name == "--relay") {
            options.relay = value;
        } else if (name == "--bridge") {
            if (const long port = Whole(value); port > 0 && port < 65536)
                options.bridgePort = static_cast<int>(port);
        } else if (name == "--room") {
            options.room = value;
        } else if (name == "--seed") {
            if (const long seed = Whole(value); seed >= 0)
                options.seed = static_cast<uint32_t>(seed);
        }
    }
    return options;
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
    std::string relay;     // the relays rooms meet on, as the page gave them
    bool titleUp = false;  // the first frame has been drawn
    bool endTold = false;  // the page knows the game has ended
};

Page page;

// The page's frames come every 16.7 ms: a game frame due within half of that runs in this one.
constexpr uint32_t kHalfAnimationFrame = 8;
// The most frames one hidden pass catches up on, two minutes' worth: a page far behind hands the
// browser back its thread now and then.
constexpr int kMostLateFrames = 15 * 120;

// The loop stops with the game; the page offers to start it again.
void TellEnd(Page& page) {
    if (page.endTold) return;
    page.endTold = true;
    emscripten_cancel_main_loop();
    kb_game_ended();
}

void Pass(void* arg) {
    Page& page = *static_cast<Page*>(arg);
    // The game waits while a replay is watched (a link's, from the first pass on).
    const bool watching = kb::WatchingPass();
    if (!watching) page.loop->Pass(0, kHalfAnimationFrame);
    if (page.game->ended) return TellEnd(page);
    // The synthesiser loads, and the record is read back, once the title or a replay is up, so
    // that neither holds up the first frame.
    if (!page.titleUp && (watching || page.game->loop.FpsCount + page.game->loop.Fps > 0)) {
        page.titleUp = true;
        kb_music_begin();
        kb_record_begin();
    }
}

bool Start(Page& page, int argc, char** argv) {
    // The effects' output the page opened (page.js), at the rate the sounds are made at.
    if (const int rate = kb_effects_rate(); rate > 0) kb::SetMixerRate(rate);
    kb::MachineOptions options = PageOptions(argc, argv);
    page.relay = options.relay;
    page.machine = std::make_unique<kb::Machine>(std::move(options));
    if (!page.machine->Open(nullptr)) return false;
    page.game = page.machine->StartGame({.midi = &page.midi,
                                         .form2 = &page.form2,
                                         .debugWin = &page.debugWin,
                                         .record = &kb::PageRecord()});
    if (!page.game) return false;
    kb::StartPageFeatures(*page.game, page.machine->Fonts());
    kb::StartPageRecord(*page.game);
    kb::HandReplaysToPage(*page.machine, *page.game);
    page.host = std::make_unique<PageLoopHost>(page.machine->Window());
    page.loop = std::make_unique<kb::EventLoop>(*page.game, *page.host);
    return true;
}

}  // namespace

extern "C" const char* kanaburst_state() {
    static std::string json;
    json = page.game ? kb::StateJson(*page.game) : "{}";
    return json.c_str();
}

extern "C" void kanaburst_address_key(int keyCode) {
    if (page.game && !page.game->ended) kb::Text1_KeyDown(*page.game, keyCode, 0);
}

extern "C" void kanaburst_console_key(int keyCode) {
    if (page.game && !page.game->ended) kb::SndTxt_KeyDown(*page.game, keyCode, 0);
}

extern "C" void kanaburst_console_copy() {
    if (page.game && !page.game->ended) kb::Command1_Click(*page.game);
}

extern "C" void kanaburst_console_close() {
    page.debugWin.Unload();
}

extern "C" void kanaburst_hidden_pass() {
    // A watched replay holds the game still, as the visible passes do.
    if (!page.loop || page.game->ended || kb::Watching()) return;
    kb::RunLateFrames(*page.loop, *page.game, *page.machine->Lagging(), kMostLateFrames);
    if (page.game->ended) TellEnd(page);
}

extern "C" int kanaburst_host_public(const char* name) {
    if (kb::ListableText(name).empty()) return -1;
    return page.game && !page.game->ended && page.machine->HostRoom(name) ? 1 : 0;
}

extern "C" int kanaburst_join(const char* address) {
    return page.game && !page.game->ended && page.machine->JoinRoom(address) ? 1 : 0;
}

extern "C" void kanaburst_look_at_lobby() {
    kb::LookAtPageLobby(page.relay);
}

int main(int argc, char** argv) {
    if (!Start(page, argc, argv)) return 1;
    // Called at the page's frame rate; the game's own pacing decides which passes run a frame.
    emscripten_set_main_loop_arg(Pass, &page, 0, false);
    return 0;
}
