#include "typing/roma_to_kana.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace kb {
namespace {

// Keys and their kana written out by hand: a sample of every kind of key, either case, the
// doubled first letter, and the buffers that are not (or not yet) one unit.
TEST(RomaToKanaTest, KeysAndTraps) {
    struct Case {
        std::u16string_view keys, kana;
    };
    // clang-format off
    const std::vector<Case> cases = {
        // Single keys: vowels, digits, punctuation.
        {u"a", u"あ"}, {u"o", u"お"}, {u"0", u"０"}, {u"9", u"９"}, {u",", u"、"}, {u"/", u"・"},
        // Two letters, y-combinations and the longer keys.
        {u"ka", u"か"}, {u"zo", u"ぞ"}, {u"ye", u"いぇ"}, {u"wi", u"うぃ"}, {u"ci", u"し"},
        {u"nn", u"ん"}, {u"kya", u"きゃ"}, {u"tya", u"ちゃ"}, {u"xyo", u"ょ"}, {u"shi", u"し"},
        {u"tsu", u"つ"}, {u"whe", u"うぇ"}, {u"dhi", u"でぃ"}, {u"ltu", u"っ"}, {u"xtu", u"っ"},
        {u"ltsu", u"っ"},
        // Either case.
        {u"KA", u"か"}, {u"Ka", u"か"}, {u"NN", u"ん"}, {u"SHO", u"しょ"}, {u"LTSU", u"っ"},
        // Nothing yet: no vowel, or ん still waiting for its second n.
        {u"", u""}, {u"k", u""}, {u"ky", u""}, {u"sh", u""}, {u"n", u""}, {u"nka", u""},
        // A doubled first letter adds っ to a real kana, once; n is never a doubled letter.
        {u"kka", u"っか"}, {u"kKa", u"っか"}, {u"ttsu", u"っつ"}, {u"kkya", u"っきゃ"},
        {u"aa", u"っあ"}, {u"11", u"っ１"}, {u"lltsu", u"っっ"}, {u"kk", u""}, {u"kkka", u""},
        {u"nna", u""},
        // No such series, a prefix on its own, too long, full-width letters.
        {u"zya", u""}, {u"aya", u""}, {u"tchi", u""}, {u"kak", u""}, {u"shaa", u""},
        {u"ltsuu", u""}, {u"kkyaa", u""}, {u"abcde", u""}, {u"ｋａ", u""},
    };
    // clang-format on
    for (const Case& c : cases)
        EXPECT_EQ(RomaToKana(c.keys), c.kana) << testing::PrintToString(std::u16string(c.keys));
}

}  // namespace
}  // namespace kb
