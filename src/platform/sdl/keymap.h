#pragma once
#include <cstdint>

#include "typing/key_codes.h"

namespace kb {

// The Windows virtual-key code of an SDL key: by the character it types where the game knows
// it, otherwise by the key's place on the keyboard; kVkNoCode when it has none.
int VirtualKeyFromSdl(int32_t sdlKeycode, int sdlScancode);

// Shift-state bits as the game's mouse routine expects them: 1 Shift, 2 Ctrl, 4 Alt.
int ShiftBitsFromSdl(uint16_t sdlMod);

// SDL's text input hands keys to the input method, which swallows them while it composes kana.
// The game wants every key, so text input is on only while a text box has the focus.
void UseTextInput(bool on);

}  // namespace kb
