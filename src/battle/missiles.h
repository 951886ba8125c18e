#pragma once
// The two missile tables: launch, reinforcement, flight, collisions, base hits.
#include <cstdint>
#include <string>

#include "shell/game.h"

namespace kb {

void Init_Mis(Game& g);
void Fire_Mis(Game& g, int seLine, int pe);
void MOV_MIS(Game& g);

}  // namespace kb
