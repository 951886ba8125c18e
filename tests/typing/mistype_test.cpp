#include "typing/mistype.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/scenes.h"
#include "test_game.h"
#include "test_keys.h"
#include "typing/word_list.h"

namespace kb::test {
namespace {

using Lists = std::vector<std::u16string>;

TEST(AddWrongTest, RecordLayoutGrowsForThreeMissesThenOnlyCounts) {
    TestGame t;
    const std::vector<std::pair<const char16_t*, const char16_t*>> steps = {
        {u"KI", u"0001:か:KI  "},
        {u"KO", u"0002:か:KI    KO  "},
        {u"KYA", u"0003:か:KI    KO    KYA "},
        {u"KE", u"0004:か:KI    KO    KYA "},
        {u"KU", u"0005:か:KI    KO    KYA "},
    };
    for (const auto& [typed, record] : steps) {
        SCOPED_TRACE(std::u16string(typed).size());
        addWrong(t.g, u"か", typed);
        EXPECT_EQ(t.g.Wrong, (Lists{record}));
    }
    EXPECT_EQ(t.g.Wrong[0].size(), 23u);
}

TEST(AddWrongTest, SamplesAreCutOrPaddedToFour) {
    TestGame t;
    addWrong(t.g, u"あ", u"KYAKU");
    addWrong(t.g, u"い", u"");
    addWrong(t.g, u"う", u"TCHI");
    EXPECT_EQ(t.g.Wrong, (Lists{u"0001:あ:KYAK", u"0001:い:    ", u"0001:う:TCHI"}));
}

TEST(AddWrongTest, OneRecordPerKanaInFirstMissOrder) {
    TestGame t;
    addWrong(t.g, u"き", u"KA");
    addWrong(t.g, u"か", u"KI");
    addWrong(t.g, u"き", u"KO");
    EXPECT_EQ(t.g.Wrong, (Lists{u"0002:き:KA    KO  ", u"0001:か:KI  "}));
}

TEST(AddWrongTest, CountStopsAtFourDigits) {
    TestGame t;
    t.g.Wrong = {u"9998:か:KI    KO    KYA "};
    addWrong(t.g, u"か", u"KE");
    addWrong(t.g, u"か", u"KE");
    EXPECT_EQ(t.g.Wrong, (Lists{u"9999:か:KI    KO    KYA "}));
}

// A reading going on with きゃ and one going on with き both record き.
TEST(AddWrongTest, KanaUnitsShareTheRecordOfTheirFirstKana) {
    TestGame t;
    Start_Init(t.g);
    t.g.Goku = {u"客", u"木"};
    t.g.Yomi = {u"きゃく", u"き"};
    GameStartInit(t.g);
    t.g.s.StartCount = 0;
    TypeKeys(t.g, "KA");
    Press(t.g, kVkBack);
    Press(t.g, kVkBack);
    TypeKeys(t.g, "KYAKU");
    Press(t.g, kVkReturn);
    ASSERT_EQ(t.g.s.WordNo, 1);
    TypeKeys(t.g, "KO");
    EXPECT_EQ(t.g.Wrong, (Lists{u"0002:き:KA    KO  "}));
    EXPECT_EQ(t.g.s.MissCount, 2);
}

TEST(SortWrongTest, MostMissedFirstAndEqualCountsKeepTheirOrder) {
    TestGame t;
    t.g.SortW = {u"stale"};
    t.g.Wrong = {u"0001:あ:A   ", u"0002:い:I   ", u"0001:う:U   ", u"0010:え:E   ",
                 u"0002:お:O   "};
    SortWrong(t.g);
    EXPECT_TRUE(t.g.Wrong.empty());
    EXPECT_EQ(t.g.SortW, (Lists{u"0010:え:E   ", u"0002:い:I   ", u"0002:お:O   ", u"0001:あ:A   ",
                                u"0001:う:U   "}));
}

TEST(SortWrongTest, NoMissesLeaveSortWEmpty) {
    TestGame t;
    t.g.SortW = {u"0001:か:KI  "};
    SortWrong(t.g);
    EXPECT_TRUE(t.g.SortW.empty());
}

}  // namespace
}  // namespace kb::test
