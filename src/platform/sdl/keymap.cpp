#include "platform/sdl/keymap.h"

#include <SDL.h>

#include <initializer_list>

namespace kb {

namespace {

// Keys SDL knows only by their place: the Japanese (and Korean) keyboard's own keys. The ro
// key also types a backslash, but Windows gives it the code of the extra key left of Z.
int ByJapaneseKeyPlace(int scancode) {
    switch (scancode) {
        case SDL_SCANCODE_INTERNATIONAL1: return 226;  // ろ
        case SDL_SCANCODE_INTERNATIONAL2: return 21;   // カタカナひらがな (Kana)
        case SDL_SCANCODE_INTERNATIONAL3: return 220;  // ¥
        case SDL_SCANCODE_INTERNATIONAL4: return 28;   // 変換 (Convert)
        case SDL_SCANCODE_INTERNATIONAL5: return 29;   // 無変換 (NonConvert)
        case SDL_SCANCODE_LANG1: return 21;            // Kana / Hangul
        case SDL_SCANCODE_LANG2: return 25;            // Kanji / Hanja
        case SDL_SCANCODE_LANG3:
        case SDL_SCANCODE_LANG4: return 21;            // Katakana, Hiragana
        case SDL_SCANCODE_LANG5: return 25;            // 半角/全角
        default: return 0;
    }
}

int ByKey(int32_t k) {
    if (k >= SDLK_a && k <= SDLK_z) return 'A' + (k - SDLK_a);
    if (k >= SDLK_0 && k <= SDLK_9) return '0' + (k - SDLK_0);
    if (k >= SDLK_KP_1 && k <= SDLK_KP_9) return 97 + (k - SDLK_KP_1);
    if (k >= SDLK_F1 && k <= SDLK_F12) return 112 + (k - SDLK_F1);
    if (k >= SDLK_F13 && k <= SDLK_F24) return 124 + (k - SDLK_F13);
    switch (k) {
        case SDLK_RETURN: case SDLK_RETURN2: case SDLK_KP_ENTER: return 13;
        case SDLK_BACKSPACE: return 8;
        case SDLK_TAB: return 9;
        case SDLK_ESCAPE: return 27;
        case SDLK_SPACE: return 32;
        case SDLK_CANCEL: return 3;
        case SDLK_CLEAR: case SDLK_KP_CLEAR: return 12;
        case SDLK_LSHIFT: case SDLK_RSHIFT: return 16;
        case SDLK_LCTRL: case SDLK_RCTRL: return 17;
        case SDLK_LALT: case SDLK_RALT: case SDLK_MODE: return 18;
        case SDLK_PAUSE: return 19;
        case SDLK_CAPSLOCK: return 20;
        case SDLK_PAGEUP: case SDLK_PRIOR: return 33;
        case SDLK_PAGEDOWN: return 34;
        case SDLK_END: return 35;
        case SDLK_HOME: return 36;
        case SDLK_LEFT: return 37;
        case SDLK_UP: return 38;
        case SDLK_RIGHT: return 39;
        case SDLK_DOWN: return 40;
        case SDLK_SELECT: return 41;
        case SDLK_EXECUTE: return 43;
        case SDLK_PRINTSCREEN: return 44;
        case SDLK_INSERT: return 45;
        case SDLK_DELETE: return 46;
        case SDLK_HELP: return 47;
        case SDLK_LGUI: return 91;
        case SDLK_RGUI: return 92;
        case SDLK_APPLICATION: case SDLK_MENU: return 93;
        case SDLK_SLEEP: return 95;
        case SDLK_KP_0: return 96;
        case SDLK_KP_MULTIPLY: return 106;
        case SDLK_KP_PLUS: return 107;
        case SDLK_SEPARATOR: return 108;
        case SDLK_KP_MINUS: return 109;
        case SDLK_KP_PERIOD: case SDLK_KP_DECIMAL: return 110;
        case SDLK_KP_DIVIDE: return 111;
        case SDLK_NUMLOCKCLEAR: return 144;
        case SDLK_SCROLLLOCK: return 145;
        case SDLK_KP_EQUALS: return 146;  // the NEC keyboard's keypad =
        case SDLK_AC_BACK: return 166;
        case SDLK_AC_FORWARD: return 167;
        case SDLK_AC_REFRESH: return 168;
        case SDLK_AC_STOP: return 169;
        case SDLK_AC_SEARCH: return 170;
        case SDLK_AC_BOOKMARKS: return 171;
        case SDLK_AC_HOME: case SDLK_WWW: return 172;
        case SDLK_MUTE: case SDLK_AUDIOMUTE: return 173;
        case SDLK_VOLUMEDOWN: return 174;
        case SDLK_VOLUMEUP: return 175;
        case SDLK_AUDIONEXT: return 176;
        case SDLK_AUDIOPREV: return 177;
        case SDLK_AUDIOSTOP: return 178;
        case SDLK_AUDIOPLAY: return 179;
        case SDLK_MAIL: return 180;
        case SDLK_MEDIASELECT: return 181;
        case SDLK_COMPUTER: case SDLK_APP1: return 182;
        case SDLK_CALCULATOR: case SDLK_APP2: return 183;
        case SDLK_KP_COMMA: return 194;
        case SDLK_CRSEL: return 247;
        case SDLK_EXSEL: return 248;
        // Punctuation: the US keyboard's codes, and for the marks only the Japanese one has
        // unshifted (: @ ^) that keyboard's codes; ! is the French keyboard's.
        case SDLK_SEMICOLON: case SDLK_COLON: return 186;
        case SDLK_EQUALS: return 187;
        case SDLK_COMMA: return 188;
        case SDLK_MINUS: return 189;
        case SDLK_PERIOD: return 190;
        case SDLK_SLASH: return 191;
        case SDLK_BACKQUOTE: case SDLK_AT: return 192;
        case SDLK_LEFTBRACKET: return 219;
        case SDLK_BACKSLASH: return 220;
        case SDLK_RIGHTBRACKET: return 221;
        case SDLK_QUOTE: case SDLK_CARET: return 222;
        case SDLK_EXCLAIM: return 223;
        case SDLK_LESS: return 226;
        default: return 0;
    }
}

// Other layouts' characters (ü, é, Cyrillic letters, ...) get the code of the key's place on
// a US keyboard, as Windows gives most of them.
int ByKeyPlace(int32_t k, int scancode) {
    if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z)
        return 'A' + (scancode - SDL_SCANCODE_A);
    if (scancode >= SDL_SCANCODE_1 && scancode <= SDL_SCANCODE_9)
        return '1' + (scancode - SDL_SCANCODE_1);
    switch (scancode) {
        case SDL_SCANCODE_0: return '0';
        case SDL_SCANCODE_SEMICOLON: return 186;
        case SDL_SCANCODE_EQUALS: return 187;
        case SDL_SCANCODE_COMMA: return 188;
        case SDL_SCANCODE_MINUS: return 189;
        case SDL_SCANCODE_PERIOD: return 190;
        case SDL_SCANCODE_SLASH: return 191;
        // Typing no character there, it is the Japanese keyboard's 半角/全角 (Kanji).
        case SDL_SCANCODE_GRAVE: return k == SDLK_UNKNOWN || (k & SDLK_SCANCODE_MASK) ? 25 : 192;
        case SDL_SCANCODE_LEFTBRACKET: return 219;
        case SDL_SCANCODE_BACKSLASH: case SDL_SCANCODE_NONUSHASH: return 220;
        case SDL_SCANCODE_RIGHTBRACKET: return 221;
        case SDL_SCANCODE_APOSTROPHE: return 222;
        case SDL_SCANCODE_NONUSBACKSLASH: return 226;
        default: return 0;
    }
}

}  // namespace

int VirtualKeyFromSdl(int32_t k, int scancode) {
    for (int code : {ByJapaneseKeyPlace(scancode), ByKey(k), ByKeyPlace(k, scancode)})
        if (code != 0) return code;
    return kVkNoCode;
}

int ShiftBitsFromSdl(uint16_t mod) {
    int bits = 0;
    if (mod & KMOD_SHIFT) bits |= 1;
    if (mod & KMOD_CTRL) bits |= 2;
    if (mod & KMOD_ALT) bits |= 4;
    return bits;
}

void UseTextInput(bool on) {
    // Starting or stopping resets the input method: only do it on a change.
    if (on == static_cast<bool>(SDL_IsTextInputActive())) return;
    if (on)
        SDL_StartTextInput();
    else
        SDL_StopTextInput();
}

}  // namespace kb
