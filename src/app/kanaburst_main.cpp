// The game: one window, the frame loop at 15 frames per second, events between frames.
#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/machine.h"
#include "app/record_window.h"
#include "debug/debug_log.h"
#include "net/connection.h"
#include "platform/posix/environment.h"
#include "platform/posix/system_clock.h"
#include "platform/sdl/keymap.h"
#include "platform/sdl/mixer_midi_player.h"
#include "platform/sdl/sdl_address_window.h"
#include "platform/sdl/sdl_debug_console.h"
#include "platform/sdl/window_events.h"
#include "platform/sqlite/sqlite_record_store.h"
#include "record/record_actions.h"
#include "shell/event_loop.h"
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
                 kb::SdlDebugConsole& debugWin, kb::RecordWindow& record, const SDL_Event& ev) {
    if (record.HandleEvent(ev)) return;
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
                   kb::SdlDebugConsole& debugWin, kb::RecordWindow& record, std::FILE* frameLog)
        : window_(window),
          form2_(form2),
          debugWin_(debugWin),
          record_(record),
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
            if (ev.type != wakeEvent_) HandleEvent(g, window_, form2_, debugWin_, record_, ev);
    }
    void PassDone(kb::Game& g, bool frameRan) override {
        if (frameRan && frameLog_) {
            std::fprintf(frameLog_, "%u\n", g.loop.LastFrameTime);
            std::fflush(frameLog_);
        }
        debugWin_.Redraw();
        record_.Update();
    }

  private:
    kb::MainWindow& window_;
    kb::SdlAddressWindow& form2_;
    kb::SdlDebugConsole& debugWin_;
    kb::RecordWindow& record_;
    std::FILE* frameLog_;
    const uint32_t wakeEvent_;
};

}  // namespace

// --export FILE and --import FILE: the record and a file, without the game.
int RecordFileCommand(const std::string& recordDir, bool exporting, const std::string& file) {
    if (recordDir.empty()) {
        std::fprintf(stderr,
                     "kanaburst: neither XDG_DATA_HOME nor HOME says where the record is\n");
        return 1;
    }
    kb::SqliteRecordStore store(recordDir);
    std::u16string message;
    kb::SystemClock clock;
    const bool done = exporting ? kb::ExportRecord(store, clock.Now().unixSeconds, file, message)
                                : kb::ImportRecord(store, file, message);
    if (!store.Problem().empty()) std::fprintf(stderr, "kanaburst: %s\n", store.Problem().c_str());
    std::fprintf(done ? stdout : stderr, "%s\n", kb::ToUtf8(message).c_str());
    return done ? 0 : 1;
}

int main(int argc, char** argv) {
    std::string relay, exportFile, importFile;
    bool openRecord = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--relay" && i + 1 < argc) {
            relay = argv[++i];
        } else if (a == "--record") {
            openRecord = true;
        } else if (a == "--export" && i + 1 < argc) {
            exportFile = argv[++i];
        } else if (a == "--import" && i + 1 < argc) {
            importFile = argv[++i];
        } else {
            std::fprintf(stderr,
                         "usage: kanaburst [--relay URL] [--record]\n"
                         "       kanaburst --export FILE | --import FILE\n"
                         "--record opens your record (F2 in the game) beside the game; --export "
                         "writes it to FILE, --import adds the matches of FILE to it\n");
            return 2;
        }
    }
    // Every match is kept in the player's data folder, wherever the game runs from.
    const std::string recordDir = kb::DataHomeDir();
    if (!exportFile.empty() || !importFile.empty())
        return RecordFileCommand(recordDir, !exportFile.empty(),
                                 exportFile.empty() ? importFile : exportFile);
    // Installed, the game reads the player's own folder before its own directory.
    kb::Machine machine({.installDir = KB_INSTALL_DIR, .relay = relay, .recordDir = recordDir});
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
        kb::RecordWindow record(*g, machine.Window());
        if (openRecord) record.Open();
        WindowLoopHost host(machine.Window(), form2, debugWin, record, frameLog);
        kb::EventLoop(*g, host).Run();
        if (frameLog) std::fclose(frameLog);
    }
    debugWin.Unload();  // its renderer and textures must go before SDL does
    return 0;
}
