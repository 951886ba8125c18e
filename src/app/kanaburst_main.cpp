// The game: one window, the frame loop at 15 frames per second, events between frames.
#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/machine.h"
#include "app/record_window.h"
#include "app/replay_window.h"
#include "app/window_events.h"
#include "debug/debug_log.h"
#include "net/connection.h"
#include "platform/desktop/mixer_midi_player.h"
#include "platform/desktop/sdl_address_window.h"
#include "platform/desktop/sdl_debug_console.h"
#include "platform/mosquitto/lobby_look.h"
#include "platform/posix/environment.h"
#include "platform/posix/system_clock.h"
#include "platform/room/room_code.h"
#include "platform/sdl/keymap.h"
#include "platform/sqlite/sqlite_record_store.h"
#include "record/record_actions.h"
#include "replay/replay_file.h"
#include "shell/event_loop.h"
#include "text/ustr.h"

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

// --lobby: the public rooms waiting on the relay, printed for the player to pick one.
int PrintLobby(std::string relay) {
    if (relay.empty())
        if (const char* given = std::getenv("KB_RELAY")) relay = given;
    if (relay.empty()) {
        std::fprintf(stderr, "kanaburst: --lobby needs a relay: --relay URL or KB_RELAY\n");
        return kb::kBadUsage;
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

constexpr char kUsage[] =
    "usage: kanaburst [--relay URL] [--quick] [--host-public NAME] [--lobby] [--record] "
    "[--export FILE] [--import FILE] [--help] [--version] [[--replay] FILE]";

// --help: the options, the environment, and where this copy reads its files.
std::string Help(const char* argv0) {
    const std::string dir = kb::ExecutableDir(argv0);
    const std::string own = kb::PlayerDataDir(dir, KB_INSTALL_DIR);
    std::string text = std::string(kUsage) + R"(

A Japanese typing battle game: type each word's reading in romaji, and every finished word
fires a missile into one of six lanes; the first missile through wins. Play the computer, a
second player over TCP port 1001, or anyone through a room on a relay.

Options:
  --relay URL  meet in rooms on this relay: mqtt://HOST[:PORT], HOST[:PORT] or [IPV6]:PORT,
               on port 1883 unless given, or over TLS mqtts://HOST[:PORT], on 8883; several,
               separated by commas, spread the rooms over relays (both players give the same
               list)
  --quick      join at once the public room that has waited longest on the relay (the
               address window takes "quick" for the same)
  --host-public NAME  host at once, and list every room this game opens in the relay's
               lobby under NAME (at most 24 characters are shown); otherwise rooms are private
  --lobby      print the public rooms waiting on the relay (code, time waited, host's name,
               word list) and exit
  --record     open your record beside the game as it starts, as F2 does on the title
  --export FILE
               write your record to FILE (a record file) and exit, without the game
  --import FILE
               add the matches of the record file FILE to your record and exit
  --replay FILE watch the replay in FILE first (S in the record saves a match's replay; a
               FILE.kbreplay alone does the same): Space pauses, 1, 2 and 4 set the speed,
               Right steps a frame while paused, End skips to the match's end and then the
               replay's, Escape goes on to the title
  --help       print this help and exit
  --version    print the version and exit

Environment:
  KB_RELAY=URL       the relay when --relay is not given
  KB_PORT=PORT       the network match's TCP port instead of 1001, the same in both games
                     (a port from 1024 up needs no privilege)
  KB_TRACE=FILE      write the game's effect lines to FILE: each word list read, sounds,
                     music, message boxes, network messages
  KB_FRAME_LOG=FILE  write the timer value of every frame start to FILE, one a line
  XDG_DATA_HOME      the player's own folder is $XDG_DATA_HOME/kanaburst/ (unset or not an
                     absolute path: ~/.local/share/kanaburst/); the record is kept there,
                     with the replays of the last 100 matches
  SSL_CERT_FILE, SSL_CERT_DIR
                     the authorities a relay's certificate over mqtts:// may be signed by,
                     instead of the system's (/etc/ssl/certs)
  SDL_VIDEODRIVER, SDL_AUDIODRIVER
                     SDL's own; "dummy" runs without a display or a sound device

Files:
  The word list str.dat, the background back.jpg, the sound effects (*.wav) and the music
  (*.mid) come from the game's own directory,
    )" + dir + "\n";
    if (own.empty()) {
        text += "  This copy is not installed (its directory is not PREFIX/" KB_INSTALL_DIR
                "), so it\n  reads that directory only.\n";
    } else {
        text +=
            "  but a file of one of those names in the player's own folder is read instead:\n"
            "    " +
            own + "\n";
    }
    return text + R"(  The typeface is ipag.ttf in the game's directory, otherwise IPA Gothic from
  fonts-ipafont-gothic. The game keeps no settings. It keeps every match in your record,
    )" + kb::DataHomeDir() +
           R"(record.sqlite3
  with the replays of the last 100 matches (F2 on the title or after a match shows it;
  Enter there watches the chosen match again, S saves its replay in your home folder), and
  writes no other files but those KB_TRACE and KB_FRAME_LOG name.

More: man 6 kanaburst
)";
}

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
                                : kb::ImportRecord(store, file, kb::ReplayPlays, message);
    if (!store.Problem().empty()) std::fprintf(stderr, "kanaburst: %s\n", store.Problem().c_str());
    std::fprintf(done ? stdout : stderr, "%s\n", kb::ToUtf8(message).c_str());
    return done ? 0 : 1;
}

int main(int argc, char** argv) {
    kb::MachineOptions options{.installDir = KB_INSTALL_DIR, .replays = true};
    std::string exportFile, importFile, replayPath;
    bool lobby = false, openRecord = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--relay" && i + 1 < argc) {
            options.relay = argv[++i];
        } else if (a == "--quick" && options.publicRoom.empty()) {
            options.room = "quick";
        } else if (a == "--host-public" && i + 1 < argc && options.room.empty()) {
            const auto name = kb::PublicRoomName("kanaburst", argv[++i]);
            if (!name) return kb::kBadUsage;
            options.publicRoom = *name;
        } else if (a == "--lobby") {
            lobby = true;
        } else if (a == "--record") {
            openRecord = true;
        } else if (a == "--export" && i + 1 < argc) {
            exportFile = argv[++i];
        } else if (a == "--import" && i + 1 < argc) {
            importFile = argv[++i];
        } else if (a == "--replay" && i + 1 < argc) {
            replayPath = argv[++i];
        } else if (auto status =
                       kb::AnswerInfoOption(a, "kanaburst", [&] { return Help(argv[0]); })) {
            return *status;
        } else if (a.ends_with(kb::kReplayExtension) && replayPath.empty()) {
            replayPath = a;  // a replay file opened from the desktop
        } else {
            return kb::BadUsage(kUsage);
        }
    }
    if (lobby) return PrintLobby(options.relay);
    // Every match is kept in the player's data folder, wherever the game runs from.
    options.recordDir = kb::DataHomeDir();
    if (!exportFile.empty() || !importFile.empty())
        return RecordFileCommand(options.recordDir, !exportFile.empty(),
                                 exportFile.empty() ? importFile : exportFile);
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
        kb::KeepReplays(machine, *g);
        if (!replayPath.empty()) kb::WatchReplay(machine, *g, replayPath);
        debugWin.onCommandKey = [g](int key) { kb::SndTxt_KeyDown(*g, key, 0); };
        debugWin.onCopy = [g] { kb::Command1_Click(*g); };
        // KB_FRAME_LOG=FILE records the timer value at every frame start, for measuring pacing.
        const char* frameLogPath = std::getenv("KB_FRAME_LOG");
        std::FILE* frameLog = frameLogPath ? std::fopen(frameLogPath, "w") : nullptr;
        kb::RecordWindow record(*g, machine.Window());
        record.watch = [&machine, g](const std::string& replay) {
            kb::WatchReplayText(machine, *g, replay);
        };
        if (openRecord) record.Open();
        WindowLoopHost host(machine.Window(), form2, debugWin, record, frameLog);
        kb::EventLoop(*g, host).Run();
        machine.Replays()->Finish();  // a match the window was closed on is kept too
        if (frameLog) std::fclose(frameLog);
    }
    debugWin.Unload();  // its renderer and textures must go before SDL does
    return 0;
}
