#pragma once
// The word list: loading str.dat and shuffling it.
#include <cstdint>
#include <string>

#include "shell/game.h"

namespace kb {

void Read_File(Game& g);
void addStr(Game& g, std::u16string gStr, std::u16string yStr);
void rndSort(Game& g);
// The reading of entry i, or "" when there is none.
std::u16string ReadingAt(const Game& g, int i);

}  // namespace kb
