#pragma once
// The game object: the state record plus everything the main window owns for the whole run.
#include <string>
#include <vector>

#include "platform/debug_console.h"
#include "record/keeping.h"
#include "screens/surface.h"
#include "shell/game_state.h"
#include "shell/match_recorder.h"
#include "shell/random.h"
#include "shell/services.h"

namespace kb {

struct Game {
    // A game on the machine services gives; what it leaves empty does nothing.
    explicit Game(Services services);
    Game(const Game&) = delete;
    Game& operator=(const Game&) = delete;

    NullServices defaults;  // what sv falls back on; declared first, so it outlives sv's use
    GameState s;            // the state record
    FrameLoop loop;         // the frame loop's timer values and measured frame rate
    Services sv;            // the machine: clock, sound, sockets, windows
    Random rng;             // the one random generator, seeded once at start-up
    RecordKeeping keeping;  // for the player's record: the match's kana, the practice list

    Surface Display;  // 480 x 320, the visible frame; shown on Refresh
    Surface PIC;      // 320 x 64 sprite sheet: missiles, lane cursor (images above masks)
    Surface IM;       // 480 x 320 work surface: the match-over picture; the title's black strip
    Surface IM2;      // 480 x 320 work surface of the match-over picture
    Surface EF;       // 480 x 320, never drawn into: the source of plain one-pixel lines
    Surface EXPpic;   // 320 x 128 explosion sheet: five 64 x 64 frames above their masks
    Surface BACKpic;  // 480 x 320 background from back.jpg; empty without the file
    Surface Waku;     // 36 x 36 typing frame: a thin yellow-green border on black

    std::vector<std::u16string> Goku;   // display form of each word entry
    std::vector<std::u16string> Yomi;   // reading of each word entry, same order as Goku
    std::vector<std::u16string> Wrong;  // mistype records "NNNN:kana:samples", in order met
    std::vector<std::u16string> SortW;  // the same records sorted, most frequent first

    int32_t DsHandle = 0;        // the sound library's device
    std::u16string recvBuf;      // received text that ends inside a message, kept for its rest
    std::u16string listenError;  // why the server could not listen; empty when it listens
    bool ownWords = false;       // the word list was read from the player's own folder
    bool ended = false;          // the program has ended itself
    MatchRecorder* recorder = nullptr;  // told of every input, so that matches can be replayed
    // The debug window when none is handed in: one per game, since it holds a log.
    HeadlessDebugConsole headlessDebugWin;

    // One observable effect for the driver and the tests; nothing in the game.
    void Trace(std::string_view line) const {
        if (sv.trace) sv.trace(line);
    }
    // The next number of the one random generator, in [0, 1).
    float Rnd() { return rng.Rnd(); }
};

// A random integer 0..n-1 drawn as floor(r * n + 1) - 1.
int RandomIndex(Game& g, int n);
// The same drawn from a generator of one's own (a copy, to see what the game will draw).
int RandomIndex(Random& rng, int n);

// The second of the wall clock, as the game compares it.
int WallSecond(Game& g);

// The file the game reads for a name: the player's own when their folder has anything by that
// name, else the one in the program's directory. PlayerFile says which; FilePresent whether the
// chosen file is there under exactly that name.
std::string ProgramFile(const Game& g, const std::string& name);
bool PlayerFile(const Game& g, const std::string& name);
bool FilePresent(const Game& g, const std::string& name);

// A file read whole. A file that opens but fails part-way (an I/O error, a directory of that
// name, no memory left) keeps what was read before the fault.
struct FileBytes {
    bool opened = false;
    int openError = 0;   // errno when it did not open
    bool whole = false;  // read to its end without an error
    std::string bytes;
};
// Reads the file at path whole.
FileBytes ReadFileBytes(const std::string& path);

// Ends the program after its own decision (a lost connection): the loop stops.
void EndProgram(Game& g);

// A message box with one OK button; the game waits until it is closed.
void MsgBox(Game& g, const std::u16string& text, const std::u16string& title = u"Kanaburst",
            Dialogs::Icon icon = Dialogs::Icon::kNone);

}  // namespace kb
