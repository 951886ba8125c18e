// Any key sequence into a match against the computer: key presses and releases go through the
// romaji conversion and the typing judgement, frames let missiles fly, the match end and the
// result screen return to the title, so every scene sees the keys.
//
// Each input byte is one event: 0xF0..0xFD run a frame, 0xFE a second of frames, 0xFF ends the
// match as a missile getting through would (so the fuzzer reaches the result screen and the
// title without flying a missile across); otherwise bit 6 chooses press or release, bit 7
// the Shift state passed along, and the low six bits one of the keys below.
#include <cstddef>
#include <cstdint>

#include "shell/scenes.h"
#include "started_game.h"
#include "typing/key_codes.h"
#include "typing/key_input.h"

namespace {

// The keys the low six bits choose; 0 stands for no code at all.
// clang-format off
constexpr int kKeys[64] = {
    'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', 'I', 'J', 'K', 'L', 'M', 'N', 'O', 'P',
    'Q', 'R', 'S', 'T', 'U', 'V', 'W', 'X', 'Y', 'Z', '0', '1', '2', '3', '4', '5',
    '6', '7', '8', '9',
    kb::kVkOemComma, kb::kVkOemPeriod, kb::kVkOemSlash, kb::kVkOemMinus, kb::kVkOemSemicolon,
    kb::kVkOemPlus, kb::kVkOemOpenBracket, kb::kVkOemCloseBracket, kb::kVkOemQuote,
    kb::kVkOemBackslash, kb::kVkReturn, kb::kVkBack, kb::kVkUp, kb::kVkDown, kb::kVkLeft,
    kb::kVkRight, kb::kVkEscape, kb::kVkSpace, kb::kVkShift, kb::kVkControl, kb::kVkTab,
    kb::kVkDelete, kb::kVkF1, 0, kb::kVkNoCode, kb::kVkApps, kb::kVkNumpad0, kb::kVkDecimal,
};
// clang-format on

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    kb::fuzz::StartedGame& f = kb::fuzz::StartedGame::Fresh();
    f.EnterMatch();
    kb::Game& g = f.G();
    for (size_t i = 0; i < size && !g.ended; ++i) {
        const uint8_t b = data[i];
        if (b == 0xFF) {
            if (g.s.SceneNo == kb::kSceneMatch) kb::Game_End(g, u"LOSE");
            continue;
        }
        if (b >= 0xF0) {
            f.Frames(b == 0xFE ? 15 : 1);
            continue;
        }
        const int code = kKeys[b & 0x3F];
        const int shift = (b & 0x80) ? 1 : 0;
        if (b & 0x40)
            kb::Display_KeyUp(g, code, shift);
        else
            kb::Display_KeyDown(g, code, shift);
    }
    f.Frames(1);
    return 0;
}
