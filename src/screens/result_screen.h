#pragma once
// The result screen after a match.
#include <cstdint>
#include <string>

#include "shell/game.h"

namespace kb {

void Dis_Result(Game& g);

}  // namespace kb
