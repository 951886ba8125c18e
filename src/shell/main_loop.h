#pragma once
// The frame: per-scene dispatch and the loop pass that paces it.
#include <cstdint>
#include <string>

#include "shell/game.h"

namespace kb {

// One frame: clears the Display, runs the current scene's routines and shows the result.
void Main_Loop(Game& g);
// One pass of the frame loop at timer value now: runs a frame when its time has come.
// Returns true when a frame ran.
bool FramePass(Game& g, uint32_t now);
// Milliseconds until the next frame is due (0 when it is due now).
uint32_t UntilNextFrame(const Game& g, uint32_t now);

}  // namespace kb
