#pragma once
// The replays a player keeps: one file each in a folder of theirs, the newest so many of them.
#include <cstddef>
#include <ctime>
#include <string>
#include <string_view>

namespace kb {

// A replay file's name ends so; the desktop knows such files as Kanaburst replays.
inline constexpr std::string_view kReplayExtension = ".kbreplay";

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
