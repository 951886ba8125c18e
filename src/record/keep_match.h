#pragma once
// Where the game meets the player's record: the words loaded, the end of a match, a lost
// connection. Each is one call from the game's own routines.
#include <string>

#include "record/match_record.h"
#include "shell/game.h"

namespace kb {

// The words at hand were loaded (every return to the title): notes their name and digest,
// starts a fresh kana tally, and puts the practice list in their place while practising.
void RecordWordsLoaded(Game& g);
// Puts the practice list, or while not practising the words at hand, in the word lists, in the
// order of their file (the caller shuffles them).
void PutWordsInPlay(Game& g);
// A match ends with result ("WIN" or "LOSE"): it is kept. Called before the end changes the
// mode, so the opponent is still known.
void KeepMatch(Game& g, const std::u16string& result);
// The connection was lost: a network match in play is kept as lost.
void KeepLostMatch(Game& g);
// A match's replay is complete (its text): it is kept with the match kept last, under its id.
// A replay of a match that was never kept (left before its end) is not.
void KeepReplayOfMatch(Game& g, std::string text);

// The match in play as a record, ended with result.
MatchRecord MatchFromGame(Game& g, std::string_view result);

}  // namespace kb
