#include "typing/key_input.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "shell/scenes.h"
#include "test_game.h"
#include "test_keys.h"
#include "typing/word_list.h"

namespace kb::test {
namespace {

using Lists = std::vector<std::u16string>;

// Letters, digits and / as their keys; "<" is Backspace, "\n" Enter, "^" and "_" press and
// release Shift, and "|" puts the game in a running match.
void Play(Game& g, std::string_view keys) {
    for (char c : keys) {
        if (c == '<') {
            Press(g, kVkBack);
        } else if (c == '\n') {
            Press(g, kVkReturn);
        } else if (c == '^') {
            Display_KeyDown(g, kVkShift, 1);
        } else if (c == '_') {
            Display_KeyUp(g, kVkShift, 0);
        } else if (c == '|') {
            g.s.SceneNo = kSceneMatch;
            g.s.StartCount = 0;
        } else {
            TypeKeys(g, std::string(1, c));
        }
    }
}

TEST(JudgementTest, KeySequences) {
    struct Case {
        Lists readings;
        const char* keys;
        int wordNo, kanaPos, typeCount, missCount;
        const char16_t* input;
        int scene = kSceneMatch;  // where the keys start, and the count-down left there
        float startCount = 0;
    };
    // clang-format off
    const std::vector<Case> cases = {
        // A unit is judged once it converts, and may cover several kana.
        {{u"っか"}, "KKA", 0, 2, 3, 0, u""},
        {{u"がっこう"}, "GALTUKOU", 0, 4, 8, 0, u""},
        {{u"んか"}, "NKA", 0, 0, 0, 0, u"NKA"},
        // A wrong unit is one miss; its letters stay and count no further until erased.
        {{u"かき"}, "KIKA", 0, 0, 0, 1, u"KIKA"},
        {{u"かき"}, "KI<<KAKO", 0, 1, 2, 2, u"KO"},
        {{u"きか"}, "KYA", 0, 0, 0, 1, u"KYA"},
        {{u"んか"}, "NKAK", 0, 0, 0, 1, u"NKAK"},  // four letters that convert to nothing
        // Past the reading nothing is judged; Enter fires a whole word with an empty buffer.
        {{u"か", u"き"}, "KAKI\n", 0, 1, 2, 0, u"KI"},
        {{u"かき", u"いぬ"}, "KA\n", 0, 1, 2, 0, u""},
        {{u"かき", u"いぬ"}, "KAKI\nI", 1, 1, 5, 0, u""},
        {{u"か"}, "KA\n", 0, 0, 2, 0, u""},
        {{}, "\n\n", 0, 0, 0, 0, u""},
        // With Shift held only ! and ? are typed, and Enter and Backspace do nothing.
        {{u"か", u"き"}, "^A1/2<\n_", 0, 0, 0, 1, u"!?"},
        {{u"か", u"き"}, "KA^\n_", 0, 1, 2, 0, u""},
        // Only a running match judges; a Backspace that erases is no judgement either.
        {{u"かき"}, "KIKAX|<<<", 0, 0, 0, 0, u"KI", kSceneTitle},
        {{u"かき"}, "KIKAX|<<<", 0, 0, 0, 0, u"KI", kSceneOver},
        {{u"かき"}, "KIKAX|<<<", 0, 0, 0, 0, u"KI", kSceneMatch, 3},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.readings) + " " + c.keys);
        TestGame t;
        Start_Init(t.g);
        t.g.Goku = t.g.Yomi = c.readings;
        t.g.s.GameMode = kModeCom;
        GameStartInit(t.g);
        t.g.s.InputOn = 1;
        t.g.s.SceneNo = static_cast<Integer>(c.scene);
        t.g.s.StartCount = c.startCount;
        Play(t.g, c.keys);
        EXPECT_EQ(t.g.s.WordNo, c.wordNo);
        EXPECT_EQ(t.g.s.KanaPos, c.kanaPos);
        EXPECT_EQ(t.g.s.TypeCount, c.typeCount);
        EXPECT_EQ(t.g.s.MissCount, c.missCount);
        EXPECT_EQ(t.g.s.InputStr, c.input);
    }
}

// Unjudged outside a match, every key's character collects in the buffer: letters from five
// below A (the unassigned 60 to 64 add their own), digits of both rows, and , . / - of the
// main keyboard and the pad; other keys add nothing. Shift comes last: it shifts what follows.
TEST(KeyRowsTest, EachCodeAppendsItsCharacter) {
    TestGame t;
    for (int code : {kVkA,        kVkZ,        kVkA - 5,     kVkA - 1,    kVkA - 6,   kVkLWin,
                     kVk0,        kVk9,        kVk0 - 1,     kVk9 + 1,    kVkNumpad0, kVkNumpad9,
                     kVkMultiply, kVkOemComma, kVkOemPeriod, kVkOemSlash, kVkDivide,  kVkOemMinus,
                     kVkSubtract, kVkSpace,    kVkEscape,    kVkReturn,   kVkUp,      kVkShift})
        Display_KeyDown(t.g, code, 0);
    EXPECT_EQ(t.g.s.InputStr, u"AZ<@0909,.//--");
}

// Up and Down move the lane, wrapping over 0..5, and on the plain title the menu too; nothing
// moves while input is off.
TEST(ArrowTest, MoveAndWrap) {
    struct Step {
        Long mode;
        Integer inputOn;
        int key;
        Integer menu, lane;
    };
    TestGame t;
    GameState& s = t.g.s;
    s.MenuMax = 8;
    for (const Step& step : {Step{kModeNone, 1, kVkUp, 8, 5}, Step{kModeNone, 1, kVkDown, 0, 0},
                             Step{kModeCom, 1, kVkUp, 0, 5}, Step{kModeCom, 1, kVkUp, 0, 4},
                             Step{kModeCom, 1, kVkDown, 0, 5}, Step{kModeCom, 1, kVkDown, 0, 0},
                             Step{kModeNone, 0, kVkUp, 0, 0}}) {
        s.GameMode = step.mode;
        s.InputOn = step.inputOn;
        Press(t.g, step.key);
        EXPECT_EQ(s.MenuNo, step.menu) << "to lane " << step.lane;
        EXPECT_EQ(s.LaneNo, step.lane);
    }
}

// Escape cancels a connection being set up (see the connection tests); on the plain title and
// in a match it does nothing, and its release completes the press.
TEST(EscapeTest, DoesNothingOutsideAConnectionBeingSetUp) {
    for (const auto& [mode, scene] :
         {std::pair{kModeNone, kSceneTitle}, {kModeServer, kSceneMatch}}) {
        TestGame t;
        t.g.s.GameMode = mode;
        t.g.s.SceneNo = static_cast<Integer>(scene);
        t.g.s.InputStr = u"AB";
        Press(t.g, kVkEscape);
        EXPECT_EQ(t.g.s.GameMode, mode);
        EXPECT_EQ(t.g.s.InputStr, u"AB");
        EXPECT_EQ(t.g.s.KeyState, 2);
    }
}

}  // namespace
}  // namespace kb::test
