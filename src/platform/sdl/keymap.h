#pragma once
#include <cstdint>

namespace kb {

// The Windows virtual-key code the game's key routines expect for an SDL key, or 0 when the
// key has none the game knows.
int VirtualKeyFromSdl(int32_t sdlKeycode);

// Shift-state bits as the game's mouse routine expects them: 1 Shift, 2 Ctrl, 4 Alt.
int ShiftBitsFromSdl(uint16_t sdlMod);

}  // namespace kb
