#pragma once
// Mistype records: per expected kana, a count and up to three samples.
#include <cstdint>
#include <string>

#include "shell/game.h"

namespace kb {

// Counts one miss of the kana expected, keeping up to three samples of what was typed.
void addWrong(Game& g, std::u16string expected, std::u16string typed);
// At the match end: the records into SortW, most frequent first, ties in the order first missed.
void SortWrong(Game& g);

}  // namespace kb
