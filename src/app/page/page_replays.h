#pragma once
// Replays in the page: each match's replay handed to the page's scripts (web/replays.js), which
// keep the last few, save them as files and copy them as links; and a replay the player opens
// (a file, a link) watched in the canvas, with the window's keys, while the game waits behind.
#include "app/machine.h"

namespace kb {

// From now on every match the machine's game plays goes to the page as a replay.
void HandReplaysToPage(Machine& machine, Game& g);
// For each pass of the page: while a replay is watched, its frames run in the game's place and
// the keys go to it. False when none is watched (the game's own pass is due).
bool WatchingPass();
// Whether a replay is watched now (the game waits behind it).
bool Watching();

}  // namespace kb
