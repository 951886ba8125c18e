#pragma once
// A recorded match: what the game held when the step that began the match came in, the words
// it was played on, and every step from then on (frames, keys, the peer's bytes, the clock's
// second and the measured frame rate as they changed), in the order they came.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "shell/game.h"
#include "shell/game_state.h"
#include "typing/word_file.h"

namespace kb {

// The version of the format, and of the rules a replay is played by: any change to either
// makes a new version, and a replay of another version is refused rather than played wrong.
inline constexpr int kReplayFormat = 1;
// The version of the game that records (its --version).
std::string_view GameVersion();

// The fields of the state record that the match's first step reads and does not set: the key
// state (the title acts on a released Enter, Shift may be held), the word the player is on,
// the menu item (the computer's speed), the difficulty and the opponent.
#define KB_REPLAY_START_FIELDS(X) \
    X(KeyState)                   \
    X(KeyHold)                    \
    X(LastKeyUp)                  \
    X(ShiftDown)                  \
    X(LastKeyStr)                 \
    X(WordNo)                     \
    X(MenuNo)                     \
    X(GameLevel)                  \
    X(GameMode)

// What the match's first step reads of the game that the step itself does not set.
struct ReplayStart {
#define KB_DECLARE_START_FIELD(name) decltype(GameState::name) name{};
    KB_REPLAY_START_FIELDS(KB_DECLARE_START_FIELD)
#undef KB_DECLARE_START_FIELD
    std::vector<std::u16string> queue;  // the send queue's occupied slots, in order
    std::u16string held;                // received text that ended inside a message
    uint32_t rng = 0;                   // the random sequence's place
    int second = 0;                     // the wall clock's second as the first step read it
    Long fps = 0;                       // the measured frame rate
};

// A word list entry the player met: shown, typed, judged.
struct ReplayWord {
    int index = 0;
    std::u16string display;
    std::u16string reading;
};

// An entry the player met that is an entry of the word list the game comes with: named by its
// place there, as the file holds it (before any shuffle).
struct ReplayBundled {
    int index = 0;
    int bundled = 0;
};

// An entry only the computer read: it needs the reading's length, nothing more.
struct ReplayLength {
    int index = 0;
    int length = 0;
};

struct ReplayStep {
    enum Kind : uint8_t {
        kFrames,             // value frames run
        kKeyDown,            // key value goes down
        kKeyUp,              // key value comes up
        kSecond,             // the wall clock's second is value from this step on
        kFps,                // the measured frame rate is value from this step on
        kArrival,            // bytes arrive from the peer
        kSendComplete,       // the message on the wire has gone out
        kConnectionRequest,  // a connection knocks on the listener
        kRefuse,             // the connection refuses the next step's message
        kConsole,            // bytes (UTF-8) are entered on the debug console's line
    };
    Kind kind = kFrames;
    int32_t value = 0;
    std::string bytes;

    bool operator==(const ReplayStep&) const = default;
};

struct Replay {
    int format = kReplayFormat;
    std::string gameVersion = std::string(GameVersion());
    ReplayStart start;
    int wordCount = 0;                   // entries in the word list it was played on
    std::vector<ReplayWord> words;       // sorted by index
    std::vector<ReplayBundled> bundled;  // sorted by index
    uint32_t bundledCheck = 0;           // the check of the list they are in (ReplayCheck)
    std::vector<ReplayLength> lengths;   // sorted by index
    // No index is in more than one of the three.
    std::vector<ReplayStep> steps;

    // Frames in all the steps.
    long Frames() const;
};

// The word list the game comes with, in its own directory (not a player's own list).
std::string BundledList(const Game& g);

// Limits a replay must keep, so that no file can make the game hold or run without end.
inline constexpr size_t kReplayMaxBytes = 1 << 20;
inline constexpr long kReplayMaxFrames = 15L * 60 * 60;  // an hour of frames
inline constexpr int kReplayMaxWords = static_cast<int>(kMaxWordEntries);
inline constexpr size_t kReplayMaxText = 1 << 16;  // one arrival, one word, one command

}  // namespace kb
