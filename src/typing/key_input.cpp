#include "typing/key_input.h"

#include "audio/sound_effects.h"
#include "battle/missiles.h"
#include "net/connection.h"
#include "shell/scenes.h"
#include "text/ustr.h"
#include "typing/key_codes.h"
#include "typing/mistype.h"
#include "typing/roma_to_kana.h"
#include "typing/word_list.h"

namespace kb {
namespace {

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
    Fire_Mis(g, s.LaneNo, kMySide);
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
    if (keyCode >= kVkA - 5 && keyCode <= kVkZ) {
        // From five below A: the unassigned codes 60 to 64 append their own characters too.
        buffer += static_cast<char16_t>(keyCode);
    } else if (keyCode == kVkOemComma) {
        buffer += u',';
    } else if (keyCode == kVkOemPeriod) {
        buffer += u'.';
    } else if (keyCode == kVkOemSlash || keyCode == kVkDivide) {
        buffer += u'/';
    } else if (keyCode == kVkOemMinus || keyCode == kVkSubtract) {
        buffer += u'-';
    } else if (keyCode >= kVkNumpad0 && keyCode <= kVkNumpad9) {
        buffer += static_cast<char16_t>(u'0' + (keyCode - kVkNumpad0));
    } else if (keyCode >= kVk0 && keyCode <= kVk9) {
        buffer += static_cast<char16_t>(keyCode);
    } else if (keyCode == kVkBack) {
        if (!buffer.empty()) {
            buffer.pop_back();
            return false;
        }
    } else if (keyCode == kVkReturn) {
        FinishWord(g);
    } else if (keyCode == kVkUp) {
        if (s.InputOn == 1) Move(g, -1);
    } else if (keyCode == kVkDown) {
        if (s.InputOn == 1) Move(g, +1);
    }
    return true;
}

// With Shift held only "!" and "?" can be typed; every other key is ignored.
void TypeShiftedKey(Game& g, int keyCode) {
    if (keyCode == kVk1) g.s.InputStr += u'!';
    if (keyCode == kVkOemSlash) g.s.InputStr += u'?';
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
        g.keeping.tally.Accepted(reading, s.KanaPos, static_cast<int>(kana.size()));
        s.KanaPos = static_cast<Integer>(s.KanaPos + kana.size());
        s.TypeCount = static_cast<Integer>(s.TypeCount + s.InputStr.size());
        s.InputStr.clear();
        s.MissFlag = 0;
        PlayNormal(g, kSeHitFirst + s.TypeSeNo);
        // Rotating over five slots keeps quick keystrokes from cutting each other's sound off.
        ++s.TypeSeNo;
        if (s.TypeSeNo == kSeHitSlots) s.TypeSeNo = 0;
        return;
    }
    const bool miss = !kana.empty() || s.InputStr.size() >= kStuckLength;
    // One miss per stuck unit: the wrong letters stay until erased and count no further.
    if (!miss || s.MissFlag != 0) return;
    ++s.MissCount;
    s.MissFlag = 1;
    PlayNormal(g, kSeMiss);
    addWrong(g, reading.substr(s.KanaPos, 1), s.InputStr);
    g.keeping.tally.Missed(reading, s.KanaPos, s.InputStr);
}

}  // namespace

void Display_KeyDown(Game& g, int keyCode, int /*shift: Shift is followed through its own key*/) {
    if (g.recorder) g.recorder->KeyDown(keyCode);
    GameState& s = g.s;
    s.LastKeyStr = Num(keyCode);
    if (keyCode == kVkShift) s.ShiftDown = 1;
    s.KeyState = 1;
    bool judge = true;
    if (s.ShiftDown == 0) {
        if (keyCode == kVkEscape && s.SceneNo == kSceneTitle &&
            (s.GameMode == kModeClient || s.GameMode == kModeServer))
            CancelConnection(g);
        judge = TypeKey(g, keyCode);
    } else {
        TypeShiftedKey(g, keyCode);
    }
    if (judge) Judge(g);
}

void Display_KeyUp(Game& g, int keyCode, int /*shift*/) {
    if (g.recorder) g.recorder->KeyUp(keyCode);
    GameState& s = g.s;
    if (s.KeyState == 1 && s.KeyHold == 0) s.KeyState = 2;
    if (s.KeyHold != 0) s.KeyHold = 0;
    s.LastKeyUp = static_cast<Byte>(keyCode);
    if (keyCode == kVkShift) s.ShiftDown = 0;
}

}  // namespace kb
