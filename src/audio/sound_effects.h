#pragma once
// Sound-effect slots on the sound library.
#include <cstdint>
#include <string>

#include "shell/game.h"

namespace kb {

void SndInit(Game& g);
int32_t SndLoad(Game& g, const std::string& path, int32_t flags);
void SndPlayEx(Game& g, int32_t handle, int32_t value, int32_t pan, int32_t shift);
void SndTerm(Game& g);
void SndError(Game& g, const std::u16string& text);
void seInit(Game& g);
void PlaySe(Game& g, int seJ, int pan);
void PlayNormal(Game& g, int seLine);
// Stops a slot's buffer so that playing it again restarts the sound.
void StopSe(Game& g, int slot);
// Frees the loaded slots up to the first empty one, then shuts the library down.
void FreeSounds(Game& g);

}  // namespace kb
