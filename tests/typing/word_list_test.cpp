#include "typing/word_list.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "test_game.h"

namespace kb::test {
namespace {

using Lists = std::vector<std::u16string>;

// str.dat is appended to what the lists hold; a file that cannot be read, or ends inside a
// pair, gives the box with the display form read last and keeps the entries before it.
TEST(ReadFileTest, AppendsStrDatFromTheProgramDirectory) {
    struct Case {
        const char* name;
        const char* bytes;  // nullptr: no such file; "/": a directory of that name
        Lists goku;
        std::vector<std::string> boxes;
    };
    const std::vector<Case> cases = {
        {"missing", nullptr, {u"a"}, {"msgbox Kanaburst|"}},
        {"a directory", "/", {u"a"}, {"msgbox Kanaburst|"}},
        {"empty", "", {u"a"}, {}},
        {"code page 932",
         "\x8a\x60,\x82\xa9\x82\xab\r\n\x8c\xa2,\x82\xa2",
         {u"a", u"柿", u"犬"},
         {}},
        {"ends inside a pair", "b,y\r\nlast\r\n", {u"a", u"b"}, {"msgbox Kanaburst|last"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestGame t;
        if (c.bytes && std::string(c.bytes) == "/")
            std::filesystem::create_directory(t.dir.Path() / "str.dat");
        else if (c.bytes)
            t.WriteFile("str.dat", c.bytes);
        addStr(t.g, u"a", u"x");
        Read_File(t.g);
        EXPECT_EQ(t.g.Goku, c.goku);
        EXPECT_EQ(t.g.Yomi.size(), c.goku.size());
        EXPECT_EQ(t.TracedStartingWith("msgbox "), c.boxes);
    }
}

// Seed 1 draws 3, 2, 1, 1, 4 for five entries. The second 1 collides and is probed for from
// i + 1 = 4, storing the drawn 1 there; the 4 then collides and wraps round to slot 0. Slot 3
// was given the value 0 and so still counts as free. Table 4 2 1 0 1, then five exchanges.
TEST(RndSortTest, KeepsTheTraditionalProbeOrder) {
    TestGame t(1);
    for (const char16_t* w : {u"A", u"B", u"C", u"D", u"E"})
        addStr(t.g, w, std::u16string(w) + u"!");
    const auto before = t.g.rng.Draws();
    rndSort(t.g);
    EXPECT_EQ(t.g.Goku, (Lists{u"D", u"A", u"C", u"E", u"B"}));
    EXPECT_EQ(t.g.Yomi, (Lists{u"D!", u"A!", u"C!", u"E!", u"B!"}));
    EXPECT_EQ(t.g.rng.Draws() - before, 5u);  // one number per entry
}

}  // namespace
}  // namespace kb::test
