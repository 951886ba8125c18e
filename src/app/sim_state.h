#pragma once
#include <string>

#include "shell/game.h"

namespace kb {

// Every field of the state record under its own name, Fps, the word and mistype lists and the
// occupied part of the send queue, as one JSON object.
std::string StateJson(const Game& g);

}  // namespace kb
