#pragma once
// The driver's `record` commands: the player's record opened, drawn, used and listed.
#include <optional>
#include <ostream>
#include <string>

#include "record_view/record_screen.h"
#include "shell/game.h"

namespace kb {

// Runs one `record ...` line (args: what follows "record "), printing to out. Returns what was
// wrong with the line, or empty.
std::string SimRecord(Game& g, std::optional<RecordScreen>& screen, const std::string& args,
                      std::ostream& out);

}  // namespace kb
