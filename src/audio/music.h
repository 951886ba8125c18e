#pragma once
// Background music through text commands to the one open piece, alias Media.
#include <cstdint>
#include <string>

#include "shell/game.h"

namespace kb {

void MusicPlay(Game& g, const std::string& path);
void MusicPause(Game& g);
void MusicLoop(Game& g);
void MusicClose(Game& g);

}  // namespace kb
