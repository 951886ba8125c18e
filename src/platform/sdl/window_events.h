#pragma once
// What the game's own window does with an SDL event: keys and mouse clicks go to the game's
// routines, closing ends the game, exposure redraws. Every front end (the window program, the
// browser page) routes its main window's events here.
#include <SDL.h>

#include "platform/sdl/main_window.h"
#include "shell/game.h"

namespace kb {

void HandleMainWindowEvent(Game& g, MainWindow& window, const SDL_Event& ev);

}  // namespace kb
