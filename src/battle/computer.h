#pragma once
// The computer opponent.
#include <cstdint>
#include <string>

#include "shell/game.h"

namespace kb {

void Com_Init(Game& g);
void Com_AI(Game& g);

}  // namespace kb
