#pragma once
// What the game's own window does with an SDL event: keys and mouse clicks go to the game's
// routines, closing ends the game, exposure redraws. Every front end (the window program, the
// browser page) routes its main window's events here.
#include <SDL.h>

#include "platform/sdl/main_window.h"
#include "shell/game.h"

namespace kb {

// The id of the window an event belongs to, 0 for none: a program with several windows routes
// each event to its own.
uint32_t EventWindowId(const SDL_Event& ev);

// Runs one event of the game's main window: keys and clicks to the game, close, redraw.
void HandleMainWindowEvent(Game& g, MainWindow& window, const SDL_Event& ev);

}  // namespace kb
