#pragma once
// Replays: driver scripts in tests/scripts/ played through kanaburst-sim, with what they must
// show written into them. Besides the driver's own lines a script may hold
//   #@ words FILE      the word list (from tests/scripts/) installed as str.dat in a fresh
//                      program directory; "bundled" runs in the build directory instead
//   #= FIELD VALUE     what the `state` line above shows for FIELD, as its JSON writes it;
//                      FIELD[i] picks element i of a list
// The driver reads both as comments, so a replay also runs by hand.
//
// Every replay is also held to its transcript, tests/golden/<name>.trace: the effect lines the
// game traced (sounds, music, message boxes) and, frame by frame, every field of the state
// record that changed. A replay on the bundled list records only its own `state` lines there:
// the list itself would fill every frame's state. Frames run by `wait` are left out too.
#include <filesystem>
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

struct ReplayRun {
    SimRun sim;
    std::vector<std::string> states;  // the JSON of the script's own `state` lines
    std::string transcript;
};

// Where two transcripts first differ, the two lines side by side; empty when they are the same.
std::string DescribeChanges(const std::string& expected, const std::string& actual);

// Plays a replay: its word list is installed in `programDir` (unless it runs on the bundled
// one) and its `shot` files are written into `work`.
ReplayRun PlayReplay(const Replay& r, const TempDir& programDir, const std::filesystem::path& work);

}  // namespace kb::test
