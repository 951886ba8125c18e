#pragma once
// The match-over picture: explosion particles and the wave.
#include <cstdint>
#include <string>

#include "shell/game.h"

namespace kb {

// What ExpInit does with a particle.
inline constexpr int kExpStartLeft = 0;   // a flame on the left, flying right: after a win
inline constexpr int kExpStartRight = 1;  // a flame on the right, flying left: after a loss
inline constexpr int kExpClear = 2;       // no flame

// Starts or clears explosion particle i (0 to 50).
void ExpInit(Game& g, int i, int what);
// Each match-over frame: moves and animates the flames and starts up to six new ones.
void MOV_EXP(Game& g);
// Each match-over frame: draws the flames over the last match picture, shaken by the wave,
// then the closing curtain.
void DIS_IM(Game& g);

}  // namespace kb
