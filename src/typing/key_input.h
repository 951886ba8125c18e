#pragma once
// Keyboard input and the typing judgement. Key codes are Windows virtual-key codes.
#include <cstdint>
#include <string>

#include "shell/game.h"

namespace kb {

// A key pressed on the game's window (a Windows virtual-key code): typing, Enter, the lane and
// menu keys, Escape.
void Display_KeyDown(Game& g, int keyCode, int shift);
// A key released: the title and the result screen act on releases.
void Display_KeyUp(Game& g, int keyCode, int shift);

}  // namespace kb
