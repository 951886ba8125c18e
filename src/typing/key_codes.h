#pragma once
// Windows virtual-key codes: the codes every key routine of the game takes, whatever machine the
// keys come from. The SDL key map turns SDL's keys into these.

namespace kb {

inline constexpr int kVkCancel = 3;
inline constexpr int kVkBack = 8;  // Backspace
inline constexpr int kVkTab = 9;
inline constexpr int kVkClear = 12;
inline constexpr int kVkReturn = 13;  // Enter, on the main keyboard and the keypad
inline constexpr int kVkShift = 16;
inline constexpr int kVkControl = 17;
inline constexpr int kVkMenu = 18;  // Alt
inline constexpr int kVkPause = 19;
inline constexpr int kVkCapital = 20;  // Caps Lock
inline constexpr int kVkKana = 21;     // カタカナひらがな; Hangul
inline constexpr int kVkKanji = 25;    // 半角/全角; Hanja
inline constexpr int kVkEscape = 27;
inline constexpr int kVkConvert = 28;     // 変換
inline constexpr int kVkNonConvert = 29;  // 無変換
inline constexpr int kVkSpace = 32;
inline constexpr int kVkPrior = 33;  // Page Up
inline constexpr int kVkNext = 34;   // Page Down
inline constexpr int kVkEnd = 35;
inline constexpr int kVkHome = 36;
inline constexpr int kVkLeft = 37;
inline constexpr int kVkUp = 38;
inline constexpr int kVkRight = 39;
inline constexpr int kVkDown = 40;
inline constexpr int kVkSelect = 41;
inline constexpr int kVkExecute = 43;
inline constexpr int kVkSnapshot = 44;  // Print Screen
inline constexpr int kVkInsert = 45;
inline constexpr int kVkDelete = 46;
inline constexpr int kVkHelp = 47;

// The digit and letter keys are the codes of their characters, '0' to '9' and 'A' to 'Z'.
inline constexpr int kVk0 = '0';
inline constexpr int kVk1 = '1';
inline constexpr int kVk2 = '2';
inline constexpr int kVk9 = '9';
inline constexpr int kVkA = 'A';
inline constexpr int kVkZ = 'Z';

inline constexpr int kVkLWin = 91;
inline constexpr int kVkRWin = 92;
inline constexpr int kVkApps = 93;  // the context-menu key
inline constexpr int kVkSleep = 95;

// The numeric keypad: the digits 0 to 9 are kVkNumpad0 + digit.
inline constexpr int kVkNumpad0 = 96;
inline constexpr int kVkNumpad1 = 97;
inline constexpr int kVkNumpad9 = 105;
inline constexpr int kVkMultiply = 106;
inline constexpr int kVkAdd = 107;
inline constexpr int kVkSeparator = 108;
inline constexpr int kVkSubtract = 109;
inline constexpr int kVkDecimal = 110;
inline constexpr int kVkDivide = 111;

// The function keys: F1 to F24 are kVkF1 + number - 1.
inline constexpr int kVkF1 = 112;
inline constexpr int kVkF13 = 124;
inline constexpr int kVkF24 = 135;

inline constexpr int kVkNumLock = 144;
inline constexpr int kVkScroll = 145;       // Scroll Lock
inline constexpr int kVkOemNecEqual = 146;  // the NEC keyboard's keypad =

// Browser, volume, media and launch keys.
inline constexpr int kVkBrowserBack = 166;
inline constexpr int kVkBrowserForward = 167;
inline constexpr int kVkBrowserRefresh = 168;
inline constexpr int kVkBrowserStop = 169;
inline constexpr int kVkBrowserSearch = 170;
inline constexpr int kVkBrowserFavorites = 171;
inline constexpr int kVkBrowserHome = 172;
inline constexpr int kVkVolumeMute = 173;
inline constexpr int kVkVolumeDown = 174;
inline constexpr int kVkVolumeUp = 175;
inline constexpr int kVkMediaNextTrack = 176;
inline constexpr int kVkMediaPrevTrack = 177;
inline constexpr int kVkMediaStop = 178;
inline constexpr int kVkMediaPlayPause = 179;
inline constexpr int kVkLaunchMail = 180;
inline constexpr int kVkLaunchMediaSelect = 181;
inline constexpr int kVkLaunchApp1 = 182;
inline constexpr int kVkLaunchApp2 = 183;

// Punctuation keys, named by what they type unshifted on a US keyboard.
inline constexpr int kVkOemSemicolon = 186;  // ; (the Japanese keyboard's :)
inline constexpr int kVkOemPlus = 187;       // = (the Japanese keyboard's ;)
inline constexpr int kVkOemComma = 188;
inline constexpr int kVkOemMinus = 189;
inline constexpr int kVkOemPeriod = 190;
inline constexpr int kVkOemSlash = 191;
inline constexpr int kVkOemBackquote = 192;  // ` (the Japanese keyboard's @)
inline constexpr int kVkAbntC2 = 194;        // the Brazilian keypad's comma
inline constexpr int kVkOemOpenBracket = 219;
inline constexpr int kVkOemBackslash = 220;  // \ (the Japanese keyboard's ¥)
inline constexpr int kVkOemCloseBracket = 221;
inline constexpr int kVkOemQuote = 222;  // ' (the Japanese keyboard's ^)
inline constexpr int kVkOem8 = 223;      // the French keyboard's !
inline constexpr int kVkOem102 = 226;    // the extra key left of Z; the Japanese ろ
inline constexpr int kVkCrSel = 247;
inline constexpr int kVkExSel = 248;

// The code a key without a Windows virtual-key code is passed with. Windows keyboards report
// such keys as 0xFF too; no row of the game's key table matches it, so such a key only sets
// the key state and completes a press.
inline constexpr int kVkNoCode = 255;

// The key that types c unshifted: a letter (either case), a digit or one of , . / -; 0 when no
// key types it.
constexpr int KeyCodeForChar(char c) {
    if (c >= 'a' && c <= 'z') return kVkA + (c - 'a');
    if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return c;
    switch (c) {
        case ',':
            return kVkOemComma;
        case '.':
            return kVkOemPeriod;
        case '/':
            return kVkOemSlash;
        case '-':
            return kVkOemMinus;
        default:
            return 0;
    }
}

}  // namespace kb
