#pragma once
// The result screen after a match.
#include <cstdint>
#include <string>

#include "shell/game.h"

namespace kb {

// Each match-over frame: the result screen once the wave is done, and back to the title on a
// key released after it has stood for a while.
void Dis_Result(Game& g);

}  // namespace kb
