#pragma once
// The one start-up of every program (the window, the page and the headless driver): SDL, the
// typeface, the window, the clock, the ways to meet and the game itself. Each program says what
// it wants in a MachineOptions, hands in what only it has (ProgramParts) and runs the loop.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/mci_commands.h"
#include "platform/midi_player.h"
#include "platform/room/room_lobby.h"
#include "platform/script_peer/script_peer.h"
#include "platform/sdl/main_window.h"
#include "platform/sdl/mixer_sound.h"
#include "platform/sdl/sdl_dialogs.h"
#include "platform/sdl/sdl_images.h"
#include "platform/sdl/ttf_fonts.h"
#include "platform/switchboard.h"
#include "replay/recorder.h"
#include "shell/game.h"

namespace kb {

struct MachineOptions {
    std::string name = "kanaburst";  // how messages on stderr begin
    std::string programDir = {};     // the game's files; empty: beside the executable
    // Where an installed game's directory lies under its prefix (lib/kanaburst): a game found
    // there reads the player's own folder first. Empty: never.
    std::string installDir = {};
    std::string userDir = {};           // the player's own folder, where the program knows it
    bool window = true;                 // a main window, message boxes and sound effects
    bool network = true;                // real transports; without, stand-ins that never connect
    bool virtualClock = false;          // time moves only as the loop sleeps
    std::optional<uint32_t> seed = {};  // a fixed random sequence; none: seeded from the clock
    // The relay that rooms meet on (one address, or several separated by commas: a room's code
    // picks one); empty: KB_RELAY, and without it no rooms.
    std::string relay = {};
    // The folder of the player's record; empty: the record lasts only as long as the program.
    std::string recordDir = {};
    // Where the WebSocket bridge in front of a desktop game listens, on the host the player
    // types: how a page reaches a desktop game.
    int bridgePort = 1002;
    // A room to join as soon as the game has started (a link to it), or "quick" for the public
    // room that has waited longest; empty: none.
    std::string room = {};
    // Host a room as soon as the game has started, and list every room this game opens in the
    // relay's lobby under this name; empty: rooms are private, known by their codes alone.
    std::string publicRoom = {};
    // A peer the headless driver's script plays (its `peer` lines); null: none.
    ScriptPeer* scriptPeer = nullptr;
    bool replays = false;  // every match is recorded as a replay (Replays() hands them out)
};

// What only the program has.
struct ProgramParts {
    MidiPlayer* midi = nullptr;  // behind the music commands; none: no music
    AddressWindow* form2 = nullptr;
    DebugConsole* debugWin = nullptr;
    std::function<void(std::string_view)> trace = {};  // the game's effect lines, one a call
    // The program's own store for the player's record (the page's); none: the one that
    // options.recordDir asks for, or memory.
    RecordStore* record = nullptr;
};

// How a room opening now is listed in the relay's lobby; none: it is private.
using ListingSource = std::function<std::optional<RoomListing>()>;

// Adds the ways to meet that the options ask for to the switchboard: the one place, for both
// builds, where they are chosen. listing says how the rooms this game opens are listed.
void ChooseTransports(Switchboard& board, const MachineOptions& options,
                      ListingSource listing = {});
// The platform's store for the player's record in dir; null where it has none yet.
std::unique_ptr<RecordStore> MakeRecordStore(const std::string& dir);

class Machine {
  public:
    // Makes the clock the options ask for; nothing opens before Open.
    explicit Machine(MachineOptions options);
    ~Machine();
    Machine(const Machine&) = delete;
    Machine& operator=(const Machine&) = delete;

    // Opens SDL, the typeface and the window. A failure is told, in a message box where there
    // is a window and on stderr otherwise, and gives false.
    bool Open(const char* argv0);
    // Makes the game on this machine and loads it (Form_Load); null when that failed.
    Game* StartGame(const ProgramParts& parts);
    // What the machine lends a second game, one that plays a replay: the typeface, pictures,
    // sound, music, the program's files and the trace (after StartGame).
    Services Lend() const;
    // The recording of the game's matches as replays; null unless asked for.
    Recorder* Replays() { return recorder_.get(); }

    // The typeface the game draws with: the game's own copy, or the system's.
    std::string FontFile() const;
    TtfFontEngine& Fonts() { return fonts_; }
    MainWindow& Window() { return window_; }
    // The clock as the loop moves it on, or null on the machine's own time.
    VirtualClock* Virtual() { return virtual_; }
    // The player's record, or null when the game keeps it in memory.
    RecordStore* Record() { return record_.get(); }

  private:
    // The word list in play, as a public room's listing names it.
    std::string WordListName() const;
    // Quits SDL after everything else is gone: declared first, so destroyed last.
    struct SdlSession {
        bool started = false;
        // Quits SDL if this session started it.
        ~SdlSession();
    };
    // Tells why the start failed: in a message box where there is a window, else on stderr.
    void Fail(const std::string& why);

    SdlSession sdl_;
    MachineOptions options_;
    SdlDialogs dialogs_;
    TtfFontEngine fonts_;
    MainWindow window_;
    SdlImageLoader images_;
    std::unique_ptr<Clock> clock_;
    VirtualClock* virtual_ = nullptr;
    std::optional<MixerSoundDevice> sound_;
    std::optional<MciMusicDevice> music_;
    Switchboard board_;
    std::unique_ptr<RecordStore> record_;  // outlives the game, which hands it matches
    Services lent_;
    std::unique_ptr<Recorder> recorder_;  // outlives the game that tells it everything
    std::unique_ptr<Game> game_;
};

}  // namespace kb
