#pragma once
// Keyboard input and the typing judgement. Key codes are Windows virtual-key codes.
#include <cstdint>
#include <string>

#include "shell/game.h"

namespace kb {

void Display_KeyDown(Game& g, int keyCode, int shift);
void Display_KeyUp(Game& g, int keyCode, int shift);

}  // namespace kb
