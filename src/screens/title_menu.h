#pragma once
// What the title's one-line menu shows and what its difficulty items do.
#include <cstdint>
#include <string>

namespace kb {

constexpr int kMenuDifficultyA = 5;  // offers the first of the two difficulties not in force
constexpr int kMenuDifficultyB = 6;  // offers the second
constexpr int kMenuServer = 7;
constexpr int kMenuClient = 8;

// The item text; "" for an item or a difficulty that has none.
std::u16string MenuText(int menuNo, int gameLevel);

// The difficulty label beside items 0..6, and its colour.
std::u16string LevelLabel(int gameLevel);
uint32_t LevelColor(int gameLevel);

// The difficulty after choosing item 5 or 6 at gameLevel.
int LevelAfterChange(int menuNo, int gameLevel);

}  // namespace kb
