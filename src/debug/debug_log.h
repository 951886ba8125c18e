#pragma once
// The debug log window and its command line.
#include <cstdint>
#include <string>

#include "shell/game.h"

namespace kb {

void DebugAdd(Game& g, int Pn, const std::u16string& DebugStr);
// Button 1 left, 2 right; shift 1 Shift, 2 Ctrl, 4 Alt; x, y in twips on the drawing surface.
void Display_MouseDown(Game& g, int button, int shift, float x, float y);

}  // namespace kb
