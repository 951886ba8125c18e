#pragma once
// Replays in the game's window, the desktop's and the page's: every match's replay kept with
// the match in the player's record, and a replay watched in the window while the game waits
// behind it.
#include <SDL.h>

#include <cstdint>
#include <memory>
#include <string>

#include "app/machine.h"
#include "replay/playback.h"
#include "replay/replay_viewer.h"

namespace kb {

// From now on the replay of every match g plays is kept with the match in g's record.
void KeepReplays(Machine& machine, Game& g);

// A replay shown in the machine's window, with the watcher's status in its corner; the
// watcher's keys steer it. When it closes, the window shows the machine's game again.
class ReplayWatch {
  public:
    // behind: the machine's game, which the window shows again afterwards.
    ReplayWatch(Machine& machine, Game& behind, Replay replay);
    ~ReplayWatch();
    ReplayWatch(const ReplayWatch&) = delete;
    ReplayWatch& operator=(const ReplayWatch&) = delete;

    // Loads the replay's game and shows its first frame. False, with the reason, when the
    // replay cannot be played.
    bool Start(std::string& why);
    // An event of the window: a key steers the watching, an exposed window is drawn again.
    void Handle(const SDL_Event& ev);
    // Runs the frames due now; returns the milliseconds until the next one is.
    uint32_t Tick() { return viewer_.Tick(SDL_GetTicks()); }
    // The watcher has left with Escape.
    bool Closed() const { return viewer_.Closed(); }
    // The game being played back (its state record, for the tests).
    Game& game() { return playback_.game(); }

  private:
    MainWindow& window_;
    Game& behind_;
    Playback playback_;
    ReplayViewer viewer_{playback_};
    Surface shown_;
};

// Shows the replay in FILE in the window until the watcher leaves it with Escape (or closes
// the window, which ends g); then g's title is shown again. A file that cannot be played gets a
// message box that says why.
void WatchReplay(Machine& machine, Game& g, const std::string& file);
// The same for a replay as its text (one the record keeps), in front of the other windows.
void WatchReplayText(Machine& machine, Game& g, const std::string& text);

}  // namespace kb
