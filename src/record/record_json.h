#pragma once
// The record as one JSON file, the same on every platform: what export writes and import reads.
//
//   {"format":"kanaburst-record","version":1,"exported":1767225600,
//    "matches":[{"id":"9f3a0c1d2e4b5a67","at":1767225600,"utc_offset":540,"opponent":"com",
//                "speed":3,"level":1,"list":"str.dat","digest":"a1b2c3d4e5f60718",
//                "practice":false,"result":"WIN","play_sec":62,"keys":120,"misses":4,
//                "score":120,"rate":193,"ratio":3000,
//                "kana":[["か",12,1,[["KI",1]]],["きょ",3,0,[]]],
//                "replay":"kanaburst-replay 1 1.1\nstart rng=5592405 ..."}],
//    "practice":[{"id":"0b1c2d3e4f506172","at":1767229200,"utc_offset":540,
//                 "kana":["きょ","か"],"words":40}]}
//
// A kana entry is [kana, times typed, times missed, [[typed instead, times], ...]]. A match's
// "replay", when the record keeps one, is the text of its replay file. Fields a reader does not
// know are skipped (so an older game reads a file with replays, leaving them out); a file of a
// newer version is refused.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "record/match_record.h"

namespace kb {

inline constexpr int kRecordFormatVersion = 1;
inline constexpr std::size_t kMaxRecordFileBytes = 64u << 20;

// The whole record as the file's text.
std::string RecordToJson(const PlayerRecord& record, int64_t exportedAt);

// Reads a replay's text as the game would play it: false, with why, when it cannot.
using ReplayReader = bool (*)(std::string_view text, std::string& why);

// Reads a record file, each match's replay read by readReplay (without one, a replay in the file
// is refused). On any fault nothing is taken: false, with why in a line for the player
// ("match 3: level 7 is not 0, 1 or 2").
bool RecordFromJson(std::string_view text, PlayerRecord& record, std::string& why,
                    ReplayReader readReplay = nullptr);

// One match, or one practice run, as the file writes it (one JSON object), for stores that keep
// each entry on its own; and read back, refused with why on any fault as a whole file is.
std::string MatchToJson(const MatchRecord& match);
std::string PracticeToJson(const PracticeRun& run);
bool MatchFromJson(std::string_view text, MatchRecord& match, std::string& why);
bool PracticeFromJson(std::string_view text, PracticeRun& run, std::string& why);

// One match's kana as the file writes them, for stores that keep them as text.
std::string KanaToJson(const std::vector<KanaCount>& kana);
bool KanaFromJson(std::string_view text, std::vector<KanaCount>& kana, std::string& why);

}  // namespace kb
