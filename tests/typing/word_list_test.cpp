#include "typing/word_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "shell/ustr.h"
#include "test_game.h"

namespace kb::test {
namespace {

using Lists = std::vector<std::u16string>;

struct LoadCase {
    const char* name;
    std::string bytes;
    int present;  // str.dat is 0 missing, 1 the file, 2 a directory
    Lists goku, yomi;
    std::vector<std::string> boxes;  // the msgbox lines, in order
};

TEST(ReadFileTest, LoadsThroughTheProgramDirectory) {
    // 柿,かき and 犬,いぬ in code page 932.
    const std::string cp932 = "\x8a\x60,\x82\xa9\x82\xab\r\n\x8c\xa2,\x82\xa2\x82\xca\r\n";
    const std::vector<LoadCase> cases = {
        {"missing file: a box with empty text", "", 0, {}, {}, {"msgbox Kanaburst|"}},
        {"code page 932 bytes", cp932, 1, {u"柿", u"犬"}, {u"かき", u"いぬ"}, {}},
        {"UTF-8 with byte-order mark", "\xEF\xBB\xBF柿,かき\r\n", 1, {u"柿"}, {u"かき"}, {}},
        {"quoted fields equal unquoted ones",
         "\"a,b\",\"x\"\r\nc,y\r\n",
         1,
         {u"a,b", u"c"},
         {u"x", u"y"},
         {}},
        {"empty fields skip the pair only", ",x\r\na,\r\nb,y\r\n", 1, {u"b"}, {u"y"}, {}},
        {"final line with one field: earlier entries kept, box names it",
         "a,x\r\nb,y\r\nlast\r\n",
         1,
         {u"a", u"b"},
         {u"x", u"y"},
         {"msgbox Kanaburst|last"}},
        {"bytes that are no text are stand-ins",
         "a,\x82\r\nb,y",
         1,
         {u"a", u"b"},
         {u"・", u"y"},
         {}},
        {"a directory: read error, the game goes on", "", 2, {}, {}, {"msgbox Kanaburst|"}},
        {"empty file", "", 1, {}, {}, {}},
    };
    for (const LoadCase& c : cases) {
        SCOPED_TRACE(c.name);
        TestGame t;
        if (c.present == 1) t.WriteFile("str.dat", c.bytes);
        if (c.present == 2) std::filesystem::create_directory(t.dir.Path() / "str.dat");
        Read_File(t.g);
        EXPECT_EQ(t.g.Goku, c.goku);
        EXPECT_EQ(t.g.Yomi, c.yomi);
        EXPECT_EQ(t.TracedStartingWith("msgbox "), c.boxes);
    }
}

TEST(ReadFileTest, FileNameIsCaseSensitive) {
    TestGame t;
    t.WriteFile("STR.DAT", "a,x\r\n");
    Read_File(t.g);
    EXPECT_TRUE(t.g.Goku.empty());
    EXPECT_TRUE(t.Traced("msgbox Kanaburst|"));
}

TEST(ReadFileTest, AppendsToWhatIsThere) {
    TestGame t;
    t.WriteFile("str.dat", "b,y\r\n");
    addStr(t.g, u"a", u"x");
    Read_File(t.g);
    EXPECT_EQ(t.g.Goku, (Lists{u"a", u"b"}));
    EXPECT_EQ(t.g.Yomi, (Lists{u"x", u"y"}));
}

TEST(ReadFileTest, KeepsAtMost3001Entries) {
    TestGame t;
    std::string bytes;
    for (int i = 0; i < 3005; ++i) bytes += "w" + std::to_string(i) + ",r\r\n";
    t.WriteFile("str.dat", bytes);
    Read_File(t.g);
    ASSERT_EQ(t.g.Goku.size(), 3001u);
    EXPECT_EQ(t.g.Goku.back(), u"w3000");
    EXPECT_TRUE(t.TracedStartingWith("msgbox ").empty());
}

TEST(AddStrTest, AppendsBothFieldsUnchanged) {
    TestGame t;
    addStr(t.g, u" Abc ", u"かき ");
    EXPECT_EQ(t.g.Goku, (Lists{u" Abc "}));
    EXPECT_EQ(t.g.Yomi, (Lists{u"かき "}));
}

TEST(ReadingAtTest, OutsideTheListIsEmpty) {
    TestGame t;
    addStr(t.g, u"柿", u"かき");
    EXPECT_EQ(ReadingAt(t.g, 0), u"かき");
    EXPECT_EQ(ReadingAt(t.g, 1), u"");
    EXPECT_EQ(ReadingAt(t.g, -1), u"");
}

void FillNumbered(Game& g, int n) {
    for (int i = 0; i < n; ++i) addStr(g, u"word" + Num(i), u"reading" + Num(i));
}

TEST(RndSortTest, PermutesAndKeepsPairsTogether) {
    for (uint32_t seed : {1u, 2u, 77u, 123456u}) {
        SCOPED_TRACE(seed);
        TestGame t(seed);
        FillNumbered(t.g, 200);
        rndSort(t.g);
        ASSERT_EQ(t.g.Goku.size(), 200u);
        ASSERT_EQ(t.g.Yomi.size(), 200u);
        for (std::size_t i = 0; i < t.g.Goku.size(); ++i)
            EXPECT_EQ(t.g.Goku[i].substr(4), t.g.Yomi[i].substr(7)) << "entry " << i;
        Lists sorted = t.g.Goku;
        std::sort(sorted.begin(), sorted.end());
        EXPECT_EQ(std::adjacent_find(sorted.begin(), sorted.end()), sorted.end());
        Lists original;
        for (int i = 0; i < 200; ++i) original.push_back(u"word" + Num(i));
        std::sort(original.begin(), original.end());
        EXPECT_EQ(sorted, original);
        EXPECT_NE(t.g.Goku[0] + t.g.Goku[1] + t.g.Goku[2], u"word0word1word2");
    }
}

TEST(RndSortTest, DrawsExactlyOneNumberPerEntry) {
    for (int n : {0, 1, 2, 7, 3001}) {
        SCOPED_TRACE(n);
        TestGame t;
        FillNumbered(t.g, n);
        const auto before = t.g.rng.Draws();
        rndSort(t.g);
        EXPECT_EQ(t.g.rng.Draws() - before, static_cast<uint64_t>(n));
    }
}

TEST(RndSortTest, OneEntryStaysInPlace) {
    TestGame t;
    addStr(t.g, u"柿", u"かき");
    rndSort(t.g);
    EXPECT_EQ(t.g.Goku, (Lists{u"柿"}));
    EXPECT_EQ(t.g.Yomi, (Lists{u"かき"}));
}

// Seed 1 draws 3, 2, 1, 1, 4 for five entries. The second 1 collides and is probed for from
// i + 1 = 4, storing the drawn 1 there; the 4 then collides and wraps round to slot 0. Slot 3
// was given the value 0 and so still counts as free. Table 4 2 1 0 1, then five exchanges.
// Probing from r + 1 or storing i instead would give another order.
TEST(RndSortTest, KeepsTheTraditionalProbeOrder) {
    TestGame t(1);
    for (const char16_t* w : {u"A", u"B", u"C", u"D", u"E"})
        addStr(t.g, w, std::u16string(w) + u"!");
    rndSort(t.g);
    EXPECT_EQ(t.g.Goku, (Lists{u"D", u"A", u"C", u"E", u"B"}));
    EXPECT_EQ(t.g.Yomi, (Lists{u"D!", u"A!", u"C!", u"E!", u"B!"}));
}

}  // namespace
}  // namespace kb::test
