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
#include "platform/sdl/main_window.h"
#include "platform/sdl/mixer_sound.h"
#include "platform/sdl/sdl_dialogs.h"
#include "platform/sdl/sdl_images.h"
#include "platform/sdl/ttf_fonts.h"
#include "platform/switchboard.h"
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
    // The relay that rooms meet on (one address, or several: a room's code picks one); empty:
    // KB_RELAY, and without it no rooms.
    std::string relay = {};
    // The name the rooms this game opens are listed under in the relay's lobby; empty: their
    // codes are the only way in.
    std::string publicRoom = {};
    // Where the game goes once started: the title, or straight to hosting a room or to a quick
    // match (both need a relay).
    enum class Start { kTitle, kHost, kQuickMatch } start = Start::kTitle;
};

// What only the program has.
struct ProgramParts {
    MidiPlayer* midi = nullptr;  // behind the music commands; none: no music
    AddressWindow* form2 = nullptr;
    DebugConsole* debugWin = nullptr;
    std::function<void(std::string_view)> trace = {};
};

// Picks the transports of this platform (the one place where they are chosen); wordList names
// the word list in play, for a public room's listing.
void ChooseTransports(Switchboard& board, const MachineOptions& options,
                      std::function<std::string()> wordList);

class Machine {
  public:
    explicit Machine(MachineOptions options);
    ~Machine();
    Machine(const Machine&) = delete;
    Machine& operator=(const Machine&) = delete;

    // Opens SDL, the typeface and the window. A failure is told, in a message box where there
    // is a window and on stderr otherwise, and gives false.
    bool Open(const char* argv0);
    // Makes the game on this machine and loads it (Form_Load); null when that failed.
    Game* StartGame(const ProgramParts& parts);

    const std::string& ProgramDir() const { return options_.programDir; }
    std::string FontFile() const;
    TtfFontEngine& Fonts() { return fonts_; }
    MainWindow& Window() { return window_; }
    Clock& GameClock() { return *clock_; }
    // The clock as the loop moves it on, or null on the machine's own time.
    VirtualClock* Virtual() { return virtual_; }

  private:
    // The word list in play, as a public room's listing names it.
    std::string WordListName() const;
    // Quits SDL after everything else is gone: declared first, so destroyed last.
    struct SdlSession {
        bool started = false;
        ~SdlSession();
    };
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
    std::unique_ptr<Game> game_;
};

}  // namespace kb
