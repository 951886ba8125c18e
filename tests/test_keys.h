#pragma once
// Pressing keys in tests the way the window does: a key-down then a key-up, Windows key codes.
#include <stdexcept>
#include <string>
#include <string_view>

#include "shell/game.h"
#include "typing/key_input.h"

namespace kb::test {

inline constexpr int kVkBack = 8, kVkEnter = 13, kVkShift = 16, kVkEscape = 27;
inline constexpr int kVkUp = 38, kVkDown = 40;

inline void Press(Game& g, int keyCode) {
    Display_KeyDown(g, keyCode, 0);
    Display_KeyUp(g, keyCode, 0);
}

// Letters (either case), digits and , . / - as their unshifted keys.
inline int KeyCodeFor(char c) {
    if (c >= 'a' && c <= 'z') return c - 'a' + 'A';
    if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return c;
    switch (c) {
        case ',':
            return 188;
        case '.':
            return 190;
        case '/':
            return 191;
        case '-':
            return 189;
        default:
            throw std::invalid_argument(std::string("no key types '") + c + "'");
    }
}

inline void TypeKeys(Game& g, std::string_view text) {
    for (char c : text) Press(g, KeyCodeFor(c));
}

}  // namespace kb::test
