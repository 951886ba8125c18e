#pragma once
// A game for fuzz targets: started like the real one (surfaces, sprite sheets, title), with a
// small word list of its own in a private directory, no font and no sound. Starting takes
// milliseconds, so it is done once per process; each input begins from a copy of the game as
// it stood after start-up, which makes every input replay alike.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/socket_control.h"
#include "shell/game.h"

namespace kb::fuzz {

// Stops the run where an input breaks what the target checks.
inline void Check(bool ok) {
    if (!ok) __builtin_trap();
}

// A fresh program directory under the system's temporary one, holding `words` as str.dat
// (none when empty).
std::string NewProgramDir(const std::string& words);

class StartedGame {
  public:
    // The one game of this process, put back to its state just after start-up. A data socket
    // given on the first call is the game's for the whole process.
    static StartedGame& Fresh(SocketControl* winsock = nullptr);
    Game& G() { return *game_; }
    // Runs n frames 67 ms apart.
    void Frames(int n);
    // Puts the game into a computer match with typing enabled.
    void EnterMatch();

  private:
    explicit StartedGame(SocketControl* winsock);
    void Save();
    void Restore();

    VirtualClock clock_;
    std::unique_ptr<Game> game_;
    struct Saved {
        uint32_t now = 0;
        GameState s;
        FrameLoop loop;
        Random rng;
        std::vector<Surface> surfaces;
        std::vector<std::u16string> Goku, Yomi, Wrong, SortW;
    } saved_;
};

}  // namespace kb::fuzz
