#pragma once
// The replays a player keeps: one file each in a folder of theirs, the newest so many of them.
#include <cstddef>
#include <ctime>
#include <string>
#include <string_view>

#include "replay/replay.h"

namespace kb {

// A replay file's name ends so; the desktop knows such files as Kanaburst replays.
inline constexpr std::string_view kReplayExtension = ".kbreplay";

// Reads a replay file, never more of it than a replay can hold. False with the reason (for the
// player) when it cannot be read or played.
bool ReadReplayFile(const std::string& path, Replay& out, std::string& why);

class ReplayShelf {
  public:
    explicit ReplayShelf(std::string dir, size_t keep = 100) : dir_(std::move(dir)), keep_(keep) {}

    // Keeps a replay recorded at local time `when`, named by it, and lets the oldest go beyond
    // the number kept. False, with the reason, when it cannot be written.
    bool Keep(const std::string& text, std::time_t when, std::string& why) const;

  private:
    std::string dir_;
    size_t keep_;
};

}  // namespace kb
