#pragma once
// The match screen and the match clock.
#include <cstdint>
#include <string>

#include "shell/game.h"

namespace kb {

// Draws the background and both sides' missiles and explosions.
void Dis_Mis(Game& g);
// Draws the count-down, the word, the typing and the lane cursor, and runs the match clock
// (the count-down and the half-minute speed-ups).
void Dis_Str(Game& g);

}  // namespace kb
