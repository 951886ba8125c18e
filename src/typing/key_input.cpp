#include "typing/key_input.h"

#include "audio/sound_effects.h"
#include "battle/missiles.h"
#include "net/connection.h"
#include "shell/scenes.h"
#include "shell/ustr.h"
#include "typing/mistype.h"
#include "typing/roma_to_kana.h"
#include "typing/word_list.h"

namespace kb {
namespace {

constexpr int kKeyBack = 8;
constexpr int kKeyEnter = 13;
constexpr int kKeyShift = 16;
constexpr int kKeyEscape = 27;
constexpr int kKeyUp = 38;
constexpr int kKeyDown = 40;
constexpr int kKey1 = 49;
constexpr int kKeySlash = 191;

constexpr int kSeMove = 7;
constexpr int kSeMiss = 10;
constexpr int kSeHitFirst = 11;  // 11..15 hold the same hit sound
constexpr int kHitSlots = 5;
constexpr int kLastLane = kLanes - 1;
// A buffer this long that still converts to nothing can no longer become a kana unit.
constexpr std::size_t kStuckLength = 4;

// Escape while a connection is being set up drops it and goes back to a fresh title.
void CancelConnection(Game& g) {
    GameState& s = g.s;
    if (s.GameMode == kModeClient)
        CloseWinsock(g);
    else
        CloseWinsockL(g);
    s.GameMode = kModeNone;
    s.SceneNo = kSceneTitle;
    s.KeyState = 0;
    s.KeyHold = 1;  // the Escape's own release must not count as a press on the title
    s.InputStr.clear();
    Start_Init(g);
}

void FinishWord(Game& g) {
    GameState& s = g.s;
    if (s.KanaPos != static_cast<int>(ReadingAt(g, s.WordNo).size()) || !s.InputStr.empty()) return;
    ++s.WordNo;
    if (s.WordNo >= static_cast<int>(g.Yomi.size())) s.WordNo = 0;
    s.KanaPos = 0;
    s.InputStr.clear();
    Fire_Mis(g, s.LaneNo, 0);
}

// Up and Down move the title cursor only on the plain title; the lane moves with them always,
// so a match must start by resetting it.
void Move(Game& g, int step) {
    GameState& s = g.s;
    if (s.GameMode == kModeNone) {
        s.MenuNo = static_cast<Integer>(s.MenuNo + step);
        if (s.MenuNo < 0) s.MenuNo = s.MenuMax;
        if (s.MenuNo > s.MenuMax) s.MenuNo = 0;
    }
    s.LaneNo = static_cast<Integer>(s.LaneNo + step);
    if (s.LaneNo < 0) s.LaneNo = kLastLane;
    if (s.LaneNo > kLastLane) s.LaneNo = 0;
    PlayNormal(g, kSeMove);
}

// Returns false when the key was a Backspace that erased a character: then nothing is judged.
bool TypeKey(Game& g, int keyCode) {
    GameState& s = g.s;
    std::u16string& buffer = s.InputStr;
    if (keyCode >= 60 && keyCode <= 90) {
        // From 60, not 65: the five codes below A append their own characters too.
        buffer += static_cast<char16_t>(keyCode);
    } else if (keyCode == 188) {
        buffer += u',';
    } else if (keyCode == 190) {
        buffer += u'.';
    } else if (keyCode == kKeySlash || keyCode == 111) {
        buffer += u'/';
    } else if (keyCode == 189 || keyCode == 109) {
        buffer += u'-';
    } else if (keyCode >= 96 && keyCode <= 105) {
        buffer += static_cast<char16_t>(u'0' + (keyCode - 96));
    } else if (keyCode >= 48 && keyCode <= 57) {
        buffer += static_cast<char16_t>(keyCode);
    } else if (keyCode == kKeyBack) {
        if (!buffer.empty()) {
            buffer.pop_back();
            return false;
        }
    } else if (keyCode == kKeyEnter) {
        FinishWord(g);
    } else if (keyCode == kKeyUp) {
        if (s.InputOn == 1) Move(g, -1);
    } else if (keyCode == kKeyDown) {
        if (s.InputOn == 1) Move(g, +1);
    }
    return true;
}

// With Shift held only "!" and "?" can be typed; every other key is ignored.
void TypeShiftedKey(Game& g, int keyCode) {
    if (keyCode == kKey1) g.s.InputStr += u'!';
    if (keyCode == kKeySlash) g.s.InputStr += u'?';
}

void Judge(Game& g) {
    GameState& s = g.s;
    const std::u16string kana = RomaToKana(LowerAscii(s.InputStr));
    const std::u16string reading = ReadingAt(g, s.WordNo);
    if (s.KanaPos >= static_cast<int>(reading.size()) || s.InputStr.empty() ||
        s.SceneNo != kSceneMatch || s.StartCount != 0)
        return;

    const std::u16string expected = reading.substr(s.KanaPos, kana.size());
    if (!kana.empty() && kana == expected) {
        s.KanaPos = static_cast<Integer>(s.KanaPos + kana.size());
        s.TypeCount = static_cast<Integer>(s.TypeCount + s.InputStr.size());
        s.InputStr.clear();
        s.MissFlag = 0;
        PlayNormal(g, kSeHitFirst + s.TypeSeNo);
        // Rotating over five slots keeps quick keystrokes from cutting each other's sound off.
        ++s.TypeSeNo;
        if (s.TypeSeNo == kHitSlots) s.TypeSeNo = 0;
        return;
    }
    const bool miss = !kana.empty() || s.InputStr.size() >= kStuckLength;
    // One miss per stuck unit: the wrong letters stay until erased and count no further.
    if (!miss || s.MissFlag != 0) return;
    ++s.MissCount;
    s.MissFlag = 1;
    PlayNormal(g, kSeMiss);
    addWrong(g, reading.substr(s.KanaPos, 1), s.InputStr);
}

}  // namespace

void Display_KeyDown(Game& g, int keyCode, int /*shift: Shift is followed through its own key*/) {
    GameState& s = g.s;
    s.LastKeyStr = Num(keyCode);
    if (keyCode == kKeyShift) s.ShiftDown = 1;
    s.KeyState = 1;
    bool judge = true;
    if (s.ShiftDown == 0) {
        if (keyCode == kKeyEscape && s.SceneNo == kSceneTitle &&
            (s.GameMode == kModeClient || s.GameMode == kModeServer))
            CancelConnection(g);
        judge = TypeKey(g, keyCode);
    } else {
        TypeShiftedKey(g, keyCode);
    }
    if (judge) Judge(g);
}

void Display_KeyUp(Game& g, int keyCode, int /*shift*/) {
    GameState& s = g.s;
    if (s.KeyState == 1 && s.KeyHold == 0) s.KeyState = 2;
    if (s.KeyHold != 0) s.KeyHold = 0;
    s.LastKeyUp = static_cast<Byte>(keyCode);
    if (keyCode == kKeyShift) s.ShiftDown = 0;
}

}  // namespace kb
