#pragma once
// Replays: driver scripts in tests/scripts/ played through kanaburst-sim, with what they must
// show written into them. Besides the driver's own lines a script may hold
//   #@ words FILE      the word list (from tests/scripts/) installed as str.dat in a fresh
//                      program directory; "bundled" runs in the build directory instead
//   #= FIELD VALUE     what the `state` line above shows for FIELD, as its JSON writes it;
//                      FIELD[i] picks element i of a list
// The driver reads both as comments, so a replay also runs by hand.
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "sim_runner.h"
#include "test_game.h"

namespace kb::test {

struct Expectation {
    int line = 0;
    std::string field;
    int index = -1;  // -1: the whole value
    std::string value;
};

struct Replay {
    std::filesystem::path path;
    std::string text;
    std::string words;                             // a file name, or "bundled"
    std::vector<std::vector<Expectation>> states;  // one group per `state` line, in order
    std::vector<std::string> shots;                // files named by `shot` lines, in order
};

Replay ParseReplay(const std::filesystem::path& path);
Replay ParseReplayText(const std::string& text);

// Plays a replay: its word list is installed in `programDir` (unless it runs on the bundled
// one) and its `shot` files are written into `work`.
SimRun PlayReplay(const Replay& r, const TempDir& programDir, const std::filesystem::path& work);

// The raw JSON text of a field of a state, or of one element of a list field; nullopt when
// there is no such field or element.
std::optional<std::string> StateValue(const std::string& json, const std::string& field,
                                      int index = -1);

}  // namespace kb::test
