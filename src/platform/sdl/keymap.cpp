#include "platform/sdl/keymap.h"

#include <SDL.h>

#include <initializer_list>

namespace kb {

namespace {

// Keys SDL knows only by their place: the Japanese (and Korean) keyboard's own keys. The ro
// key also types a backslash, but Windows gives it the code of the extra key left of Z.
int ByJapaneseKeyPlace(int scancode) {
    switch (scancode) {
        case SDL_SCANCODE_INTERNATIONAL1:
            return kVkOem102;  // ろ
        case SDL_SCANCODE_INTERNATIONAL2:
            return kVkKana;  // カタカナひらがな (Kana)
        case SDL_SCANCODE_INTERNATIONAL3:
            return kVkOemBackslash;  // ¥
        case SDL_SCANCODE_INTERNATIONAL4:
            return kVkConvert;  // 変換 (Convert)
        case SDL_SCANCODE_INTERNATIONAL5:
            return kVkNonConvert;  // 無変換 (NonConvert)
        case SDL_SCANCODE_LANG1:
            return kVkKana;  // Kana / Hangul
        case SDL_SCANCODE_LANG2:
            return kVkKanji;  // Kanji / Hanja
        case SDL_SCANCODE_LANG3:
        case SDL_SCANCODE_LANG4:
            return kVkKana;  // Katakana, Hiragana
        case SDL_SCANCODE_LANG5:
            return kVkKanji;  // 半角/全角
        default:
            return 0;
    }
}

int ByKey(int32_t k) {
    if (k >= SDLK_a && k <= SDLK_z) return kVkA + (k - SDLK_a);
    if (k >= SDLK_0 && k <= SDLK_9) return kVk0 + (k - SDLK_0);
    if (k >= SDLK_KP_1 && k <= SDLK_KP_9) return kVkNumpad1 + (k - SDLK_KP_1);
    if (k >= SDLK_F1 && k <= SDLK_F12) return kVkF1 + (k - SDLK_F1);
    if (k >= SDLK_F13 && k <= SDLK_F24) return kVkF13 + (k - SDLK_F13);
    switch (k) {
        case SDLK_RETURN:
        case SDLK_RETURN2:
        case SDLK_KP_ENTER:
            return kVkReturn;
        case SDLK_BACKSPACE:
            return kVkBack;
        case SDLK_TAB:
            return kVkTab;
        case SDLK_ESCAPE:
            return kVkEscape;
        case SDLK_SPACE:
            return kVkSpace;
        case SDLK_CANCEL:
            return kVkCancel;
        case SDLK_CLEAR:
        case SDLK_KP_CLEAR:
            return kVkClear;
        case SDLK_LSHIFT:
        case SDLK_RSHIFT:
            return kVkShift;
        case SDLK_LCTRL:
        case SDLK_RCTRL:
            return kVkControl;
        case SDLK_LALT:
        case SDLK_RALT:
        case SDLK_MODE:
            return kVkMenu;
        case SDLK_PAUSE:
            return kVkPause;
        case SDLK_CAPSLOCK:
            return kVkCapital;
        case SDLK_PAGEUP:
        case SDLK_PRIOR:
            return kVkPrior;
        case SDLK_PAGEDOWN:
            return kVkNext;
        case SDLK_END:
            return kVkEnd;
        case SDLK_HOME:
            return kVkHome;
        case SDLK_LEFT:
            return kVkLeft;
        case SDLK_UP:
            return kVkUp;
        case SDLK_RIGHT:
            return kVkRight;
        case SDLK_DOWN:
            return kVkDown;
        case SDLK_SELECT:
            return kVkSelect;
        case SDLK_EXECUTE:
            return kVkExecute;
        case SDLK_PRINTSCREEN:
            return kVkSnapshot;
        case SDLK_INSERT:
            return kVkInsert;
        case SDLK_DELETE:
            return kVkDelete;
        case SDLK_HELP:
            return kVkHelp;
        case SDLK_LGUI:
            return kVkLWin;
        case SDLK_RGUI:
            return kVkRWin;
        case SDLK_APPLICATION:
        case SDLK_MENU:
            return kVkApps;
        case SDLK_SLEEP:
            return kVkSleep;
        case SDLK_KP_0:
            return kVkNumpad0;
        case SDLK_KP_MULTIPLY:
            return kVkMultiply;
        case SDLK_KP_PLUS:
            return kVkAdd;
        case SDLK_SEPARATOR:
            return kVkSeparator;
        case SDLK_KP_MINUS:
            return kVkSubtract;
        case SDLK_KP_PERIOD:
        case SDLK_KP_DECIMAL:
            return kVkDecimal;
        case SDLK_KP_DIVIDE:
            return kVkDivide;
        case SDLK_NUMLOCKCLEAR:
            return kVkNumLock;
        case SDLK_SCROLLLOCK:
            return kVkScroll;
        case SDLK_KP_EQUALS:
            return kVkOemNecEqual;  // the NEC keyboard's keypad =
        case SDLK_AC_BACK:
            return kVkBrowserBack;
        case SDLK_AC_FORWARD:
            return kVkBrowserForward;
        case SDLK_AC_REFRESH:
            return kVkBrowserRefresh;
        case SDLK_AC_STOP:
            return kVkBrowserStop;
        case SDLK_AC_SEARCH:
            return kVkBrowserSearch;
        case SDLK_AC_BOOKMARKS:
            return kVkBrowserFavorites;
        case SDLK_AC_HOME:
        case SDLK_WWW:
            return kVkBrowserHome;
        case SDLK_MUTE:
        case SDLK_AUDIOMUTE:
            return kVkVolumeMute;
        case SDLK_VOLUMEDOWN:
            return kVkVolumeDown;
        case SDLK_VOLUMEUP:
            return kVkVolumeUp;
        case SDLK_AUDIONEXT:
            return kVkMediaNextTrack;
        case SDLK_AUDIOPREV:
            return kVkMediaPrevTrack;
        case SDLK_AUDIOSTOP:
            return kVkMediaStop;
        case SDLK_AUDIOPLAY:
            return kVkMediaPlayPause;
        case SDLK_MAIL:
            return kVkLaunchMail;
        case SDLK_MEDIASELECT:
            return kVkLaunchMediaSelect;
        case SDLK_COMPUTER:
        case SDLK_APP1:
            return kVkLaunchApp1;
        case SDLK_CALCULATOR:
        case SDLK_APP2:
            return kVkLaunchApp2;
        case SDLK_KP_COMMA:
            return kVkAbntC2;
        case SDLK_CRSEL:
            return kVkCrSel;
        case SDLK_EXSEL:
            return kVkExSel;
        // Punctuation: the US keyboard's codes, and for the marks only the Japanese one has
        // unshifted (: @ ^) that keyboard's codes; ! is the French keyboard's.
        case SDLK_SEMICOLON:
        case SDLK_COLON:
            return kVkOemSemicolon;
        case SDLK_EQUALS:
            return kVkOemPlus;
        case SDLK_COMMA:
            return kVkOemComma;
        case SDLK_MINUS:
            return kVkOemMinus;
        case SDLK_PERIOD:
            return kVkOemPeriod;
        case SDLK_SLASH:
            return kVkOemSlash;
        case SDLK_BACKQUOTE:
        case SDLK_AT:
            return kVkOemBackquote;
        case SDLK_LEFTBRACKET:
            return kVkOemOpenBracket;
        case SDLK_BACKSLASH:
            return kVkOemBackslash;
        case SDLK_RIGHTBRACKET:
            return kVkOemCloseBracket;
        case SDLK_QUOTE:
        case SDLK_CARET:
            return kVkOemQuote;
        case SDLK_EXCLAIM:
            return kVkOem8;
        case SDLK_LESS:
            return kVkOem102;
        default:
            return 0;
    }
}

// Other layouts' characters (ü, é, Cyrillic letters, ...) get the code of the key's place on
// a US keyboard, as Windows gives most of them.
int ByKeyPlace(int32_t k, int scancode) {
    if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z)
        return kVkA + (scancode - SDL_SCANCODE_A);
    if (scancode >= SDL_SCANCODE_1 && scancode <= SDL_SCANCODE_9)
        return kVk1 + (scancode - SDL_SCANCODE_1);
    switch (scancode) {
        case SDL_SCANCODE_0:
            return kVk0;
        case SDL_SCANCODE_SEMICOLON:
            return kVkOemSemicolon;
        case SDL_SCANCODE_EQUALS:
            return kVkOemPlus;
        case SDL_SCANCODE_COMMA:
            return kVkOemComma;
        case SDL_SCANCODE_MINUS:
            return kVkOemMinus;
        case SDL_SCANCODE_PERIOD:
            return kVkOemPeriod;
        case SDL_SCANCODE_SLASH:
            return kVkOemSlash;
        // Typing no character there, it is the Japanese keyboard's 半角/全角 (Kanji).
        case SDL_SCANCODE_GRAVE:
            return k == SDLK_UNKNOWN || (k & SDLK_SCANCODE_MASK) ? kVkKanji : kVkOemBackquote;
        case SDL_SCANCODE_LEFTBRACKET:
            return kVkOemOpenBracket;
        case SDL_SCANCODE_BACKSLASH:
        case SDL_SCANCODE_NONUSHASH:
            return kVkOemBackslash;
        case SDL_SCANCODE_RIGHTBRACKET:
            return kVkOemCloseBracket;
        case SDL_SCANCODE_APOSTROPHE:
            return kVkOemQuote;
        case SDL_SCANCODE_NONUSBACKSLASH:
            return kVkOem102;
        default:
            return 0;
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
