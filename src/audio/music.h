#pragma once
// Background music through text commands to the one open piece, alias Media.
#include <cstdint>
#include <string>

#include "shell/game.h"

namespace kb {

// Opens the piece at path as the one music piece and starts it.
void MusicPlay(Game& g, const std::string& path);
// Stops the piece and winds it back to its start, ready for the next MusicLoop.
void MusicPause(Game& g);
// Called every match frame: a piece that has reached its end starts again from the top.
void MusicLoop(Game& g);
// Stops and closes the piece; harmless when none is open.
void MusicClose(Game& g);

}  // namespace kb
