// The game: one window, the frame loop at 15 frames per second, events between frames.
#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/lobby_look.h"
#include "app/machine.h"
#include "debug/debug_log.h"
#include "net/connection.h"
#include "platform/posix/environment.h"
#include "platform/room/room_code.h"
#include "platform/sdl/keymap.h"
#include "platform/sdl/mixer_midi_player.h"
#include "platform/sdl/sdl_address_window.h"
#include "platform/sdl/sdl_debug_console.h"
#include "platform/sdl/window_events.h"
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

// --lobby: the public rooms waiting on the relay, printed for the player to pick one.
int PrintLobby(std::string relay) {
    if (relay.empty())
        if (const char* given = std::getenv("KB_RELAY")) relay = given;
    if (relay.empty()) {
        std::fprintf(stderr, "kanaburst: --lobby needs a relay: --relay URL or KB_RELAY\n");
        return 2;
    }
    std::string problem;
    const std::vector<kb::LobbyEntry> rooms = kb::LookAtLobby(relay, problem);
    if (!problem.empty()) {
        std::fprintf(stderr, "kanaburst: %s\n", problem.c_str());
        return 1;
    }
    if (rooms.empty()) {
        std::printf("No public room is waiting on %s.\n", relay.c_str());
        return 0;
    }
    std::printf("Public rooms on %s, longest waiting first:\n", relay.c_str());
    for (const kb::LobbyEntry& room : rooms)
        std::printf("  %s  waiting %7s  %s  (%s)\n", kb::ShownRoomCode(room.code).c_str(),
                    kb::WaitedText(room.waited).c_str(), room.name.c_str(), room.words.c_str());
    std::printf(
        "To join one, choose the client item and type its code (or quick, for the "
        "first).\n");
    return 0;
}

int Usage() {
    std::fprintf(stderr,
                 "usage: kanaburst [--relay URL] [--quick | --host-public NAME | --lobby]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    kb::MachineOptions options{.installDir = KB_INSTALL_DIR};
    bool lobby = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--relay" && i + 1 < argc) {
            options.relay = argv[++i];
        } else if (a == "--quick" && options.start == kb::MachineOptions::Start::kTitle) {
            options.start = kb::MachineOptions::Start::kQuickMatch;
        } else if (a == "--host-public" && i + 1 < argc &&
                   options.start == kb::MachineOptions::Start::kTitle) {
            options.publicRoom = argv[++i];
            options.start = kb::MachineOptions::Start::kHost;
            if (kb::ListableText(options.publicRoom).empty()) {
                std::fprintf(stderr, "kanaburst: the name for --host-public shows nothing\n");
                return 2;
            }
        } else if (a == "--lobby") {
            lobby = true;
        } else {
            return Usage();
        }
    }
    if (lobby) return PrintLobby(options.relay);
    // Installed, the game reads the player's own folder before its own directory.
    kb::Machine machine(options);
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
