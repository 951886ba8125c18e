#pragma once
// The debug log window and its command line.
#include <cstdint>
#include <string>

#include "shell/game.h"

namespace kb {

class DebugConsole;

// The debug window, created hidden if this is its first use.
DebugConsole& DebugWin(Game& g);

// Appends a line to the log while the window is shown: kind 0 a message sent, 1 data received,
// anything else an event.
void DebugAdd(Game& g, int Pn, const std::u16string& DebugStr);
// Button 1 left, 2 right; shift 1 Shift, 2 Ctrl, 4 Alt; x, y in twips on the drawing surface.
void Display_MouseDown(Game& g, int button, int shift, float x, float y);
// A key pressed in the command box; Enter queues the typed message.
void SndTxt_KeyDown(Game& g, int KeyCode, int Shift);
// The COPY button.
void Command1_Click(Game& g);

}  // namespace kb
