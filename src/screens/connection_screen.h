#pragma once
// The screen shown while a network match is set up.
#include <cstdint>
#include <string>

#include "shell/game.h"

namespace kb {

// Each title frame while a connection is being set up: the waiting server's or connecting
// client's screen, and the client's time-out.
void DIS_Connection(Game& g);

}  // namespace kb
