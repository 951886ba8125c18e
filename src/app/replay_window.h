#pragma once
// Replays in the window program: every match kept in the player's folder, and a replay file
// watched in the game's window.
#include <string>

#include "app/machine.h"

namespace kb {

// From now on every match the machine's game plays is kept in the player's replays folder.
void KeepReplays(Machine& machine);

// Shows the replay in FILE in the window until the watcher leaves it with Escape (or closes
// the window, which ends g); then g's title is shown again. A file that cannot be played gets a
// message box that says why.
void WatchReplay(Machine& machine, Game& g, const std::string& file);

}  // namespace kb
