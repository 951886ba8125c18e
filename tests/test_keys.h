#pragma once
// Pressing keys in tests the way the window does: a key-down then a key-up, Windows key codes;
// letters (either case), digits and , . / - typed as their unshifted keys.
#include <stdexcept>
#include <string>
#include <string_view>

#include "shell/game.h"
#include "typing/key_codes.h"
#include "typing/key_input.h"

namespace kb::test {

inline void Press(Game& g, int keyCode) {
    Display_KeyDown(g, keyCode, 0);
    Display_KeyUp(g, keyCode, 0);
}

inline void TypeKeys(Game& g, std::string_view text) {
    for (char c : text) {
        const int code = KeyCodeForChar(c);
        if (code == 0) throw std::invalid_argument(std::string("no key types '") + c + "'");
        Press(g, code);
    }
}

}  // namespace kb::test
