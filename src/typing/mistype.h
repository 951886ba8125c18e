#pragma once
// Mistype records: per expected kana, a count and up to three samples.
#include <cstdint>
#include <string>

#include "shell/game.h"

namespace kb {

void addWrong(Game& g, std::u16string expected, std::u16string typed);
void SortWrong(Game& g);

}  // namespace kb
