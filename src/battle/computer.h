#pragma once
// The computer opponent.
#include <cstdint>
#include <string>

#include "shell/game.h"

namespace kb {

// Resets the computer at every match start: its first word, its typing speed from the menu
// item, and the wait before its first character.
void Com_Init(Game& g);
// One frame of the computer in a match against it: types a character when its timer runs out
// and, at the end of a word, pauses and fires at the player's nearest missile it can block.
void Com_AI(Game& g);

}  // namespace kb
