#pragma once
// Start-up and shutdown of the main window.
#include <cstdint>
#include <string>

#include "shell/game.h"

namespace kb {

// Prepares surfaces, sound, the word list and the title. False when start-up failed (the
// failure box has been shown and the program has ended).
bool Form_Load(Game& g);
// The window closes: music and sounds are released and the program ends.
void Form_Unload(Game& g);

}  // namespace kb
