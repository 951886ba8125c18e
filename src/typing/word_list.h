#pragma once
// The word list: loading str.dat and shuffling it.
#include <cstdint>
#include <string>

#include "shell/game.h"

namespace kb {

// Reads str.dat into Goku and Yomi; an unreadable or broken file gets its box, and the entries
// read before the fault stay.
void Read_File(Game& g);
// Appends one entry: its display form and its reading.
void addStr(Game& g, std::u16string gStr, std::u16string yStr);
// Shuffles the entries, display forms and readings alike.
void rndSort(Game& g);
// The reading of entry i, or "" when there is none.
std::u16string ReadingAt(const Game& g, int i);

}  // namespace kb
