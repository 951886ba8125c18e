#pragma once
// A replay as a file of its own: what the player saves, sends and opens.
#include <string>
#include <string_view>

#include "replay/replay.h"

namespace kb {

// A replay file's name ends so; the desktop knows such files as Kanaburst replays.
inline constexpr std::string_view kReplayExtension = ".kbreplay";

// Reads a replay file, never more of it than a replay can hold. False with the reason (for the
// player) when it cannot be read or played.
bool ReadReplayFile(const std::string& path, Replay& out, std::string& why);
// Whether text is a replay this game plays, as the player's record takes one from a record
// file: false with the reason when it is not.
bool ReplayPlays(std::string_view text, std::string& why);

}  // namespace kb
