#pragma once
// The player's record as plain data: one entry per finished match and one per practice run.
// Everything here is what the desktop's database and the export file hold, field for field.
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kb {

// One kana as the player types it (a single kana, or a combined one such as きゃ) in a match.
struct KanaCount {
    std::u16string kana;
    int typed = 0;   // times it was typed to its end
    int missed = 0;  // times a miss was counted on it, at most one each time it came up
    // What was typed instead (the keys in the buffer at the miss), with how often, most first.
    std::vector<std::pair<std::u16string, int>> instead;
    bool operator==(const KanaCount&) const = default;
};

// The opponent of a match, as recorded.
inline constexpr std::string_view kOpponentCom = "com";        // the computer
inline constexpr std::string_view kOpponentServer = "server";  // a player; this game listened
inline constexpr std::string_view kOpponentClient = "client";  // a player; this game joined

// How a match ended for this player.
inline constexpr std::string_view kResultWin = "WIN";
inline constexpr std::string_view kResultLose = "LOSE";
inline constexpr std::string_view kResultLost = "LOST";  // the connection was lost mid-match

struct MatchRecord {
    std::string id;         // 16 hex digits drawn at random: two matches alike stay two
    int64_t at = 0;         // when the match ended, seconds since 1970 (UTC)
    int utcOffset = 0;      // minutes east of UTC where it was played, to show its local time
    std::string opponent;   // one of the kOpponent names
    int speed = 0;          // the computer's kana per second, 1..5; 0 against a player
    int level = 0;          // 0 Easy, 1 Normal, 2 Hard
    std::u16string list;    // the word list's name
    std::string digest;     // 16 hex digits made from the words, so that lists can be told apart
    bool practice = false;  // played on a practice list
    std::string result;     // one of the kResult names
    int playSec = 0;        // seconds of play, the count-down included, as the result screen says
    int keys = 0;           // keys typed
    int misses = 0;         // misses counted
    int score = 0;          // the result screen's score
    int rate = 0;           // the result screen's keys per second, in hundredths
    int ratio = 0;          // the result screen's keys per miss, in hundredths (0: no miss)
    std::vector<KanaCount> kana;  // in the order of their text
    bool operator==(const MatchRecord&) const = default;
};

// The player asked for practice on these kana: matches after `at` show what it did.
struct PracticeRun {
    std::string id;                    // 16 hex digits drawn at random
    int64_t at = 0;                    // seconds since 1970 (UTC)
    int utcOffset = 0;                 // minutes east of UTC where it was asked for
    std::vector<std::u16string> kana;  // the weak kana the list was built for, weakest first
    int words = 0;                     // how many words the list had
    bool operator==(const PracticeRun&) const = default;
};

struct PlayerRecord {
    std::vector<MatchRecord> matches;   // oldest first
    std::vector<PracticeRun> practice;  // oldest first
    // The matches' replays (their text) by match id: only what a record file carries, from
    // export to import; a store keeps its own.
    std::map<std::string, std::string> replays;
    bool operator==(const PlayerRecord&) const = default;
};

// A number as 16 lower-case hex digits.
std::string Hex16(uint64_t bits);
// A fresh random id of 16 hex digits (from the system's random source, not the game's
// generator, so that keeping a record never changes a match).
std::string NewRecordId();

// Puts matches and practice runs in the order the record keeps: by time, then by id.
void SortRecord(PlayerRecord& record);

}  // namespace kb
