#pragma once
#include "shell/game.h"

namespace kb {

// Fills PIC, EXPpic and Waku with the game's own artwork (each takes its picture's size).
void LoadSpriteSheets(Game& g);

}  // namespace kb
