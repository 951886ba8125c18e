#pragma once
// The screen shown while a network match is set up.
#include <cstdint>
#include <string>

#include "shell/game.h"

namespace kb {

void DIS_Connection(Game& g);

}  // namespace kb
