#pragma once
// The game object: the state record plus everything the main window owns for the whole run.
#include <string>
#include <vector>

#include "platform/debug_console.h"
#include "platform/surface.h"
#include "shell/game_state.h"
#include "shell/random.h"
#include "shell/services.h"

namespace kb {

struct Game {
    explicit Game(Services services);
    Game(const Game&) = delete;
    Game& operator=(const Game&) = delete;

    GameState s;
    FrameLoop loop;
    Services sv;
    Random rng;

    // The visible drawing surface and the off-screen ones.
    Surface Display, PIC, IM, IM2, EF, EXPpic, BACKpic, Waku;

    // Word entries (display form, reading) and mistype records.
    std::vector<std::u16string> Goku, Yomi, Wrong, SortW;

    int32_t DsHandle = 0;       // the sound library's device
    std::u16string RecvBuf;     // received text that ends inside a message, kept for its rest
    std::u16string ListenError; // why the server could not listen; empty when it listens
    bool ended = false;         // the program has ended itself
    // The debug window when none is handed in: one per game, since it holds a log.
    HeadlessDebugConsole headlessDebugWin;

    void Trace(std::string_view line) const {
        if (sv.trace) sv.trace(line);
    }
    float Rnd() { return rng.Rnd(); }
};

// A random integer 0..n-1 drawn as floor(r * n + 1) - 1.
int RandomIndex(Game& g, int n);

// The second of the wall clock, as the game compares it.
int WallSecond(Game& g);

// Full path of a file in the program's directory, and whether it is there under exactly that name.
std::string ProgramFile(const Game& g, const std::string& name);
bool FilePresent(const Game& g, const std::string& name);

// Ends the program after its own decision (a lost connection): the loop stops.
void EndProgram(Game& g);

void MsgBox(Game& g, const std::u16string& text, const std::u16string& title = u"Kanaburst",
            Dialogs::Icon icon = Dialogs::Icon::None);

}  // namespace kb
