#pragma once
// Moves between the title, the match and the match-over scenes.
#include <cstdint>
#include <string>

#include "shell/game.h"

namespace kb {

void Start_Init(Game& g);
void GameStartInit(Game& g);
void Game_End(Game& g, const std::u16string& result);

}  // namespace kb
