#pragma once
// Replays in the page: each match's replay kept with the match in the player's record, and the
// last one handed to the page's scripts (web/replays.js), which save it as a file and copy it as
// a link; and a replay the player opens (a file, a link, a match of the record) watched in the
// canvas, with the window's keys, while the game waits behind.
#include <string>

#include "app/machine.h"

namespace kb {

// From now on every match g plays is kept with its replay, and goes to the page as one.
void HandReplaysToPage(Machine& machine, Game& g);
// Watches a replay (its text, one the record keeps) in the canvas. False, with why, when it
// cannot be played.
bool WatchKeptReplay(const std::string& text, std::string& why);
// For each pass of the page: while a replay is watched, its frames run in the game's place and
// the keys go to it. False when none is watched (the game's own pass is due).
bool WatchingPass();
// Whether a replay is watched now (the game waits behind it).
bool Watching();

}  // namespace kb
