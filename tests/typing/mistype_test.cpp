#include "typing/mistype.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "test_game.h"

namespace kb::test {
namespace {

using Lists = std::vector<std::u16string>;

// One record per kana, in first-miss order: a count of four digits, then up to three samples
// of what was typed, each cut or padded to four characters.
TEST(AddWrongTest, RecordsPerKana) {
    TestGame t;
    const std::vector<std::pair<const char16_t*, Lists>> steps = {
        {u"KI", {u"0001:か:KI  "}},
        {u"KYAKU", {u"0002:か:KI    KYAK"}},
        {u"", {u"0003:か:KI    KYAK      "}},
        {u"KE", {u"0004:か:KI    KYAK      "}},
    };
    for (const auto& [typed, records] : steps) {
        addWrong(t.g, u"か", typed);
        EXPECT_EQ(t.g.Wrong, records);
    }
    addWrong(t.g, u"き", u"KA");
    t.g.Wrong[0].replace(0, 4, u"9998");
    addWrong(t.g, u"か", u"KO");
    addWrong(t.g, u"か", u"KO");
    EXPECT_EQ(t.g.Wrong, (Lists{u"9999:か:KI    KYAK      ", u"0001:き:KA  "}));
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

}  // namespace
}  // namespace kb::test
