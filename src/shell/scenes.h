#pragma once
// Moves between the title, the match and the match-over scenes.
#include <cstdint>
#include <string>

#include "shell/game.h"

namespace kb {

// To the title: resets the record, reloads and shuffles the word list, empties the mistype list
// and the send queue, and starts the title music.
void Start_Init(Game& g);
// To the match: resets the missiles and the computer, plays the start sound and starts the
// count-down at 4.
void GameStartInit(Game& g);
// To the match over, with "WIN" or "LOSE": keeps the last picture, arms the explosion and wave,
// starts the result music and sorts and logs the mistypes.
void Game_End(Game& g, const std::u16string& result);

}  // namespace kb
