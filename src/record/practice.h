#pragma once
// Practice lists: the words at hand that hold the player's weakest kana the most.
#include <cstdint>
#include <string>
#include <vector>

namespace kb {

inline constexpr std::size_t kPracticeWords = 40;  // words on a practice list, at most

struct WordEntry {
    std::u16string display;
    std::u16string reading;
    bool operator==(const WordEntry&) const = default;
};

// Picks up to maxWords words for practising the given kana (weakest first): in turn for each
// kana, the word not picked yet that is richest in weak kana for its length and holds this one,
// so that every weak kana gets its words. Among equally rich words the earlier one wins. Empty
// when no word holds any of the kana.
std::vector<WordEntry> PracticeWords(const std::vector<WordEntry>& words,
                                     const std::vector<std::u16string>& weakKana,
                                     std::size_t maxWords = kPracticeWords);

// 16 hex digits made from the words in their order, to tell word lists apart (an identifier,
// not a protection: FNV-1a over each word's UTF-8 text).
std::string WordsDigest(const std::vector<WordEntry>& words);

}  // namespace kb
