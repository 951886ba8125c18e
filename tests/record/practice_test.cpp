// Practice lists picked from the words at hand, and the digest that tells word lists apart.
#include "record/practice.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "text/ustr.h"

namespace kb::test {
namespace {

std::vector<WordEntry> Words(std::initializer_list<const char16_t*> readings) {
    std::vector<WordEntry> words;
    for (const char16_t* r : readings) words.push_back({u"w" + std::u16string(r), r});
    return words;
}

std::vector<std::u16string> Readings(const std::vector<WordEntry>& words) {
    std::vector<std::u16string> out;
    for (const WordEntry& w : words) out.push_back(w.reading);
    return out;
}

TEST(PracticeList, PicksTheRichestWordsForEachWeakKanaInTurn) {
    const auto words = Words({u"さくら", u"かき", u"きょう", u"かかし", u"しか", u"うみ", u"きかい",
                              u"きょうか", u"ききょう"});
    const struct {
        std::vector<std::u16string> weak;
        std::size_t most;
        std::vector<std::u16string> picked;
    } cases[] = {
        // Richness is weak kana over all kana: かかし and きょうか 2 of 3, かき and きょう 1 of 2,
        // ききょう 1 of 3. In turn: か's richest, then きょ's, then the next of each.
        {{u"か", u"きょ"}, 4, {u"かかし", u"きょうか", u"かき", u"きょう"}},
        // Equal richness: the earlier word wins (かき before きかい).
        {{u"き"}, 2, {u"かき", u"きかい"}},
        // Only words holding a weak kana, however many are asked for.
        {{u"み"}, 10, {u"うみ"}},
        // The combined kana is its own kana: き does not count in きょう.
        {{u"き", u"ょ"}, 10, {u"かき", u"きかい", u"ききょう"}},
        {{u"ぬ"}, 10, {}},
        {{}, 10, {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Readings(PracticeWords(words, c.weak, c.most)), c.picked)
            << ToUtf8(c.weak.empty() ? u"" : c.weak[0]);
}

TEST(PracticeList, EveryWeakKanaGetsWordsBeforeAnyGetsMore) {
    // あ has many rich words, ん only one poor one: ん still gets its word in a list of three.
    const auto words = Words({u"ああ", u"あい", u"あう", u"あえ", u"にほんご"});
    EXPECT_EQ(Readings(PracticeWords(words, {u"あ", u"ん"}, 3)),
              (std::vector<std::u16string>{u"ああ", u"にほんご", u"あい"}));
}

TEST(PracticeList, DigestTellsListsApart) {
    // FNV-1a of nothing is its offset basis: the page and the desktop must agree on this.
    EXPECT_EQ(WordsDigest({}), "cbf29ce484222325");
    const auto a = Words({u"かき", u"さくら"}), b = Words({u"さくら", u"かき"});
    EXPECT_EQ(WordsDigest(a), WordsDigest(Words({u"かき", u"さくら"})));
    EXPECT_NE(WordsDigest(a), WordsDigest(b));
    auto c = a;
    c[0].display = u"柿";
    EXPECT_NE(WordsDigest(a), WordsDigest(c));
    // The separators count: "ab"+"c" is not "a"+"bc".
    EXPECT_NE(WordsDigest({{u"ab", u"c"}}), WordsDigest({{u"a", u"bc"}}));
}

}  // namespace
}  // namespace kb::test
