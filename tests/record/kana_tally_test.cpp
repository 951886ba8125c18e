// The kana tally as the typing judgement feeds it: keys typed into a running match, then the
// counts the record keeps for each kana.
#include "record/kana_tally.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "record/keep_match.h"
#include "record_samples.h"
#include "shell/scenes.h"
#include "test_game.h"
#include "test_keys.h"
#include "text/ustr.h"

namespace kb::test {
namespace {

TEST(KanaTally, SplitsReadingsIntoTypedKana) {
    const struct {
        std::u16string reading;
        std::vector<std::u16string> kana;
    } cases[] = {
        {u"きょうと", {u"きょ", u"う", u"と"}},
        {u"がっこう", {u"が", u"っ", u"こ", u"う"}},
        {u"しぇふ", {u"しぇ", u"ふ"}},
        {u"ヴぁいおりん", {u"ヴぁ", u"い", u"お", u"り", u"ん"}},
        {u"ゃあ", {u"ゃ", u"あ"}},      // a small kana with nothing before it stands alone
        {u"きゃゃ", {u"きゃ", u"ゃ"}},  // and so does a second one
        {u"ちゃっきょ", {u"ちゃ", u"っ", u"きょ"}},
        {u"", {}},
    };
    for (const auto& c : cases) EXPECT_EQ(SplitKana(c.reading), c.kana) << ToUtf8(c.reading);
}

// Plays keys into a match on one word: letters as typed, '<' Backspace.
std::vector<KanaCount> Tally(const std::u16string& reading, const std::string& keys) {
    TestGame t;
    t.g.Goku = {u"word"};
    t.g.Yomi = {reading};
    RecordWordsLoaded(t.g);
    t.g.s.SceneNo = kSceneMatch;
    t.g.s.StartCount = 0;
    for (char c : keys) {
        if (c == '<')
            Press(t.g, kVkBack);
        else
            TypeKeys(t.g, std::string(1, c));
    }
    return t.g.keeping.tally.Counts();
}

TEST(KanaTally, CountsWhatTheJudgementAcceptsAndMisses) {
    using K = KanaCount;
    const struct {
        std::u16string reading;
        std::string keys;
        std::vector<KanaCount> counts;
    } cases[] = {
        {u"きょう", "kyou", {K{u"う", 1, 0, {}}, K{u"きょ", 1, 0, {}}}},
        // A combined kana typed in two units is still typed once.
        {u"きょう", "kixyou", {K{u"う", 1, 0, {}}, K{u"きょ", 1, 0, {}}}},
        // っか in one unit: both kana are typed.
        {u"っか", "kka", {K{u"か", 1, 0, {}}, K{u"っ", 1, 0, {}}}},
        // A miss on か with KI in the buffer, erased and typed right.
        {u"かき", "ki<<kaki", {K{u"か", 1, 1, {{u"KI", 1}}}, K{u"き", 1, 0, {}}}},
        // The judgement counts two misses in きゃ (one before き is accepted, one after); the
        // kana came up once, so it counts one, with the first slip.
        {u"きゃく", "kyu<<<kiyu<<xyaku", {K{u"きゃ", 1, 1, {{u"KYU", 1}}}, K{u"く", 1, 0, {}}}},
        // Each time a kana comes up it may count a miss; the slips are counted by kind.
        {u"かか", "ki<<kako<<ka", {K{u"か", 2, 2, {{u"KI", 1}, {u"KO", 1}}}}},
        {u"かかか", "ki<<kaki<<kako<<ka", {K{u"か", 3, 3, {{u"KI", 2}, {u"KO", 1}}}}},
        // A kana missed and never finished: missed, not typed.
        {u"かき", "kaku", {K{u"か", 1, 0, {}}, K{u"き", 0, 1, {{u"KU", 1}}}}},
        // Four letters that convert to nothing are a miss with all four as the slip.
        {u"んか", "nkak", {K{u"ん", 0, 1, {{u"NKAK", 1}}}}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Tally(c.reading, c.keys), c.counts) << ToUtf8(c.reading) << " " << c.keys;
}

TEST(KanaTally, KeepsAtMostEightKindsOfSlipPerKana) {
    KanaTally tally;
    const std::u16string reading = u"か";
    for (int i = 0; i < 10; ++i) {
        tally.Missed(reading, 0, u"Q" + Num(i));
        tally.Accepted(reading, 0, 1);
    }
    const auto counts = tally.Counts();
    ASSERT_EQ(counts.size(), 1u);
    EXPECT_EQ(counts[0].missed, 10);
    EXPECT_EQ(counts[0].instead.size(), 8u);
    tally.Missed(reading, 0, u"Q0");  // a kind already kept still counts
    EXPECT_EQ(tally.Counts()[0].instead[0], (std::pair<std::u16string, int>{u"Q0", 2}));
}

TEST(KanaTally, StartsAfreshOnTheTitle) {
    TestGame t;
    t.WriteFile("str.dat", "柿,かき\n");
    Start_Init(t.g);
    t.g.s.SceneNo = kSceneMatch;
    t.g.s.StartCount = 0;
    TypeKeys(t.g, "ka");
    EXPECT_EQ(t.g.keeping.tally.Counts().size(), 1u);
    Start_Init(t.g);
    EXPECT_TRUE(t.g.keeping.tally.Counts().empty());
}

}  // namespace
}  // namespace kb::test
