#pragma once
// The match screen and the match clock.
#include <cstdint>
#include <string>

#include "shell/game.h"

namespace kb {

void Dis_Mis(Game& g);
void Dis_Str(Game& g);

}  // namespace kb
