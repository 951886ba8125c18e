#pragma once
// The driver's `record` commands: the player's record opened, drawn, used and listed.
#include <functional>
#include <optional>
#include <ostream>
#include <string>

#include "record_view/record_screen.h"
#include "shell/game.h"

namespace kb {

// Plays a replay (its text) as the game's window does when the record asks it to.
using WatchReplayText = std::function<void(const std::string& replay)>;

// Runs one `record ...` line (args: what follows "record "), printing to out; a match chosen in
// the record is watched through watch. Returns what was wrong with the line, or empty.
std::string SimRecord(Game& g, std::optional<RecordScreen>& screen, const std::string& args,
                      const WatchReplayText& watch, std::ostream& out);

}  // namespace kb
