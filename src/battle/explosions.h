#pragma once
// The match-over picture: explosion particles and the wave.
#include <cstdint>
#include <string>

#include "shell/game.h"

namespace kb {

void ExpInit(Game& g, int i, int result);
void MOV_EXP(Game& g);
void DIS_IM(Game& g);

}  // namespace kb
