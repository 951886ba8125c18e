#pragma once
// What the game keeps for the player's record beside its state record: the kana tally of the
// match in play, the words at hand and the practice list.
#include <string>
#include <vector>

#include "record/kana_tally.h"
#include "record/practice.h"

namespace kb {

struct RecordKeeping {
    KanaTally tally;               // the match in play, kana by kana
    std::vector<WordEntry> words;  // the words at hand as loaded, in the file's order
    std::u16string listName;       // their list's name
    std::string listDigest;        // and its digest
    bool practising = false;       // the practice list replaces the words at hand
    std::vector<WordEntry> practiceWords;
    std::string playedDigest;  // digest of the words the coming match is played on
    std::string keptMatchId;   // the match just kept, whose replay is still to come
};

}  // namespace kb
