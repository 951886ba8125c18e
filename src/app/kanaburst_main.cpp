// The game: one window, the frame loop at 15 frames per second, events between frames.
#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

#include "app/machine.h"
#include "debug/debug_log.h"
#include "net/connection.h"
#include "platform/posix/environment.h"
#include "platform/sdl/keymap.h"
#include "platform/sdl/mixer_midi_player.h"
#include "platform/sdl/sdl_address_window.h"
#include "platform/sdl/sdl_debug_console.h"
#include "platform/sdl/window_events.h"
#include "replay/playback.h"
#include "replay/replay_shelf.h"
#include "replay/replay_viewer.h"
#include "shell/event_loop.h"
#include "shell/form.h"
#include "shell/ustr.h"

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

// Every match is kept in the player's folder as a replay.
void KeepReplay(const std::string& dir, const std::string& text) {
    std::string why;
    if (dir.empty() || !kb::ReplayShelf(dir).Keep(text, std::time(nullptr), why))
        SDL_Log("The match's replay is not kept: %s", dir.empty() ? "no home folder" : why.c_str());
}

// Shows a replay in the window until the watcher leaves it with Escape; then the game's title
// comes back. A replay that cannot be played gets a box that says why.
void Watch(kb::Machine& machine, kb::Game& g, const std::string& path) {
    kb::Replay replay;
    std::string why;
    if (!kb::ReadReplayFile(path, replay, why)) {
        kb::MsgBox(g, u"This replay cannot be played:\n" + kb::FromUtf8(why));
        return;
    }
    kb::Playback p(std::move(replay), machine.Lend());
    kb::ReplayViewer viewer(p);
    kb::Surface shown;
    shown.SetFonts(&machine.Fonts());
    kb::MainWindow& window = machine.Window();
    p.game().Display.onRefresh = [&](const kb::Surface& d) {
        kb::ComposeWithStatus(d, viewer.Status(), shown);
        window.Present(shown.View());
    };
    if (!p.Start(why)) {
        kb::MsgBox(g, u"This replay cannot be played:\n" + kb::FromUtf8(why));
        return;
    }
    uint32_t wait = 0;
    while (!viewer.Closed() && !g.ended) {
        SDL_WaitEventTimeout(nullptr, static_cast<int>(wait));
        SDL_Event ev;
        while (SDL_PollEvent(&ev)) {
            if (ev.type == SDL_QUIT ||
                (ev.type == SDL_WINDOWEVENT && ev.window.windowID == window.Id() &&
                 ev.window.event == SDL_WINDOWEVENT_CLOSE)) {
                kb::Form_Unload(g);
            } else if (ev.type == SDL_WINDOWEVENT && ev.window.windowID == window.Id()) {
                window.Redraw();
            } else if ((ev.type == SDL_KEYDOWN || ev.type == SDL_KEYUP) &&
                       ev.key.windowID == window.Id() && !window.TakeKey(ev.key) &&
                       ev.type == SDL_KEYDOWN) {
                // The watcher's keys steer the watching; the game plays the recorded ones.
                viewer.KeyDown(kb::VirtualKeyFromSdl(ev.key.keysym.sym, ev.key.keysym.scancode));
                p.game().Display.Refresh();  // the corner shows what the key did
            }
        }
        wait = viewer.Tick(SDL_GetTicks());
    }
    window.Present(g.Display.View());
}

}  // namespace

int main(int argc, char** argv) {
    std::string relay, replayPath;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--relay" && i + 1 < argc) {
            relay = argv[++i];
        } else if (a == "--replay" && i + 1 < argc) {
            replayPath = argv[++i];
        } else if (!a.empty() && a[0] != '-' && replayPath.empty()) {
            replayPath = a;  // a replay file opened from the desktop
        } else {
            std::fprintf(stderr, "usage: kanaburst [--relay URL] [[--replay] FILE]\n");
            return 2;
        }
    }
    // Installed, the game reads the player's own folder before its own directory.
    kb::Machine machine({.installDir = KB_INSTALL_DIR, .relay = relay, .record = true});
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
        machine.Recording()->onRecorded = [dir = kb::PlayerReplayDir()](const std::string& text) {
            KeepReplay(dir, text);
        };
        if (!replayPath.empty()) Watch(machine, *g, replayPath);
        debugWin.onCommandKey = [g](int key) { kb::SndTxt_KeyDown(*g, key, 0); };
        debugWin.onCopy = [g] { kb::Command1_Click(*g); };
        // KB_FRAME_LOG=FILE records the timer value at every frame start, for measuring pacing.
        const char* frameLogPath = std::getenv("KB_FRAME_LOG");
        std::FILE* frameLog = frameLogPath ? std::fopen(frameLogPath, "w") : nullptr;
        WindowLoopHost host(machine.Window(), form2, debugWin, frameLog);
        kb::EventLoop(*g, host).Run();
        machine.Recording()->Finish();  // a match the window was closed on is kept too
        if (frameLog) std::fclose(frameLog);
    }
    debugWin.Unload();  // its renderer and textures must go before SDL does
    return 0;
}
