// The game: one window, the frame loop at 15 frames per second, events between frames.
#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/machine.h"
#include "app/window_events.h"
#include "debug/debug_log.h"
#include "net/connection.h"
#include "platform/desktop/mixer_midi_player.h"
#include "platform/desktop/sdl_address_window.h"
#include "platform/desktop/sdl_debug_console.h"
#include "platform/posix/environment.h"
#include "platform/sdl/keymap.h"
#include "shell/event_loop.h"

namespace {

// The address window edits its own text; its key presses also reach the game's Text1_KeyDown.
void HandleAddressEvent(kb::Game& g, kb::SdlAddressWindow& form2, const SDL_Event& ev) {
    form2.HandleEvent(ev);
    if (ev.type == SDL_KEYDOWN) {
        const int code = kb::VirtualKeyFromSdl(ev.key.keysym.sym, ev.key.keysym.scancode);
        kb::Text1_KeyDown(g, code, kb::ShiftBitsFromSdl(ev.key.keysym.mod));
    }
}

void HandleEvent(kb::Game& g, kb::MainWindow& window, kb::SdlAddressWindow& form2,
                 kb::SdlDebugConsole& debugWin, const SDL_Event& ev) {
    if (form2.Id() != 0 && kb::EventWindowId(ev) == form2.Id())
        return HandleAddressEvent(g, form2, ev);
    if (debugWin.Id() != 0 && kb::EventWindowId(ev) == debugWin.Id())
        return debugWin.HandleEvent(ev);
    kb::HandleMainWindowEvent(g, window, ev);
}

// The window's events: keys, mouse and windows come from SDL's queue, and the socket watcher
// wakes the sleep with an event of our own.
class WindowLoopHost : public kb::LoopHost {
  public:
    WindowLoopHost(kb::MainWindow& window, kb::SdlAddressWindow& form2,
                   kb::SdlDebugConsole& debugWin, std::FILE* frameLog)
        : window_(window),
          form2_(form2),
          debugWin_(debugWin),
          frameLog_(frameLog),
          wakeEvent_(SDL_RegisterEvents(1)) {}

    void Sleep(uint32_t ms) override { SDL_WaitEventTimeout(nullptr, static_cast<int>(ms)); }
    void Wake() override {
        SDL_Event ev{};
        ev.type = wakeEvent_;
        SDL_PushEvent(&ev);
    }
    void PumpEvents(kb::Game& g) override {
        SDL_Event ev;
        while (!g.ended && SDL_PollEvent(&ev))
            if (ev.type != wakeEvent_) HandleEvent(g, window_, form2_, debugWin_, ev);
    }
    void PassDone(kb::Game& g, bool frameRan) override {
        if (frameRan && frameLog_) {
            std::fprintf(frameLog_, "%u\n", g.loop.LastFrameTime);
            std::fflush(frameLog_);
        }
        debugWin_.Redraw();
    }

  private:
    kb::MainWindow& window_;
    kb::SdlAddressWindow& form2_;
    kb::SdlDebugConsole& debugWin_;
    std::FILE* frameLog_;
    const uint32_t wakeEvent_;
};

}  // namespace

int main(int argc, char** argv) {
    std::string relay;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--relay" && i + 1 < argc) {
            relay = argv[++i];
        } else {
            std::fprintf(stderr, "usage: kanaburst [--relay URL]\n");
            return 2;
        }
    }
    // Installed, the game reads the player's own folder before its own directory.
    kb::Machine machine({.installDir = KB_INSTALL_DIR, .relay = relay});
    if (!machine.Open(argv[0])) return 1;
    std::string error;
    kb::SdlAddressWindow form2(machine.Fonts());
    if (!form2.Create("Kanaburst", error)) SDL_Log("No address window: %s", error.c_str());
    kb::MixerMidiPlayer midi;
    kb::SdlDebugConsole debugWin(machine.FontFile());
    kb::Game* g = machine.StartGame({.midi = &midi,
                                     .form2 = &form2,
                                     .debugWin = &debugWin,
                                     .trace = kb::TraceFromEnvironment()});
    if (g) {
        debugWin.onCommandKey = [g](int key) { kb::SndTxt_KeyDown(*g, key, 0); };
        debugWin.onCopy = [g] { kb::Command1_Click(*g); };
        // KB_FRAME_LOG=FILE records the timer value at every frame start, for measuring pacing.
        const char* frameLogPath = std::getenv("KB_FRAME_LOG");
        std::FILE* frameLog = frameLogPath ? std::fopen(frameLogPath, "w") : nullptr;
        WindowLoopHost host(machine.Window(), form2, debugWin, frameLog);
        kb::EventLoop(*g, host).Run();
        if (frameLog) std::fclose(frameLog);
    }
    debugWin.Unload();  // its renderer and textures must go before SDL does
    return 0;
}
