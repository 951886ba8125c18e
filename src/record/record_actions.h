#pragma once
// What the player does with the record: practise the weak kana, export it, import a file,
// wipe it. Each says what it did in a line for the player.
#include <string>

#include "record/record_json.h"
#include "record/record_store.h"
#include "shell/game.h"

namespace kb {

// Builds the practice list from the weakest kana of the record and the words at hand, and
// plays it from the next match on (at once when on the title). False when there is nothing to
// practise yet.
bool StartPractice(Game& g, std::u16string& message);
// Brings back the whole list of words.
void StopPractice(Game& g, std::u16string& message);

// The name an export takes, with the local date and time: kanaburst-record-2026-01-01-09h00.json.
std::string RecordFileName(const WallTime& now);
// Writes the whole record to path as a record file, stamped with the time now, with the
// replays the record keeps.
bool ExportRecord(RecordStore& store, int64_t now, const std::string& path,
                  std::u16string& message);
// Adds the matches of a record file that the record does not hold yet, with their replays,
// each read by readReplay. A file that is not a good record file changes nothing, and the
// message says why.
bool ImportRecord(RecordStore& store, const std::string& path, ReplayReader readReplay,
                  std::u16string& message);
// The name a match's replay is saved under, with the match's local date and time:
// kanaburst-replay-2026-01-01-09h00.kbreplay.
std::string ReplayFileName(const MatchRecord& match);
// Writes a match's replay (its text) to path as a replay file.
bool SaveReplayFile(const std::string& text, const std::string& path, std::u16string& message);
// Forgets every match and practice run.
bool WipeRecord(RecordStore& store, std::u16string& message);

}  // namespace kb
