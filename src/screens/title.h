#pragma once
// The title screen and its one-line menu.
#include <cstdint>
#include <string>

#include "shell/game.h"

namespace kb {

void Dis_Title(Game& g);

}  // namespace kb
