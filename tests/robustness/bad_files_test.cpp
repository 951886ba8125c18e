// Bad files at every door the game reads from its own directory: the word list, the sound
// effects, the music and the background picture. Each gives its designed outcome (a box, a
// silent skip, or the start-up failure) and the game keeps drawing every frame.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "robustness/whole_game.h"

namespace kb::test {
namespace {

std::string Lines(int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += "word" + std::to_string(i) + ",\x82\xa9\x82\xab\r\n";  // かき
    return s;
}

std::string Binary() {
    std::string s;
    uint32_t x = 12345;
    for (int i = 0; i < 4096; ++i) {
        x = x * 1103515245u + 12345u;
        s.push_back(static_cast<char>(x >> 24));
    }
    return s;
}

struct WordListCase {
    const char* name;
    std::string bytes;
    size_t words;        // entries loaded
    const char* box;     // the box shown ("" for any text), or nullptr for none
    bool brief = false;  // a few frames of each scene only: drawing this list is slow
};

void PrintTo(const WordListCase& c, std::ostream* os) {
    *os << c.name;
}

class BadWordList : public ::testing::TestWithParam<WordListCase> {};

TEST_P(BadWordList, GivesItsOutcomeAndTheGameGoesOn) {
    const WordListCase& c = GetParam();
    WholeGame w;
    w.dir.WriteFile("str.dat", c.bytes);
    ASSERT_TRUE(w.Start());
    EXPECT_EQ(w.g->Goku.size(), c.words);
    const std::vector<std::string> boxes = w.Boxes();
    if (c.box) {
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_TRUE(boxes[0].starts_with("Kanaburst|"));
        if (*c.box) {
            EXPECT_EQ(boxes[0], c.box);
        }
    } else {
        EXPECT_TRUE(boxes.empty()) << boxes.size() << " boxes";
    }
    EXPECT_TRUE(w.PlayAMatch(c.brief));
}

INSTANTIATE_TEST_SUITE_P(
    Robustness, BadWordList,
    ::testing::Values(
        WordListCase{"Empty", "", 0, nullptr},
        // Random bytes: what is no text becomes stand-ins, and the whole file gives words.
        WordListCase{"Binary", Binary(), 22, nullptr},
        WordListCase{"TenThousandLines", Lines(10000), 3001, nullptr},
        // The word is kept whole, and the match screen shows it: every frame draws a megabyte
        // of text, which takes far longer than a frame's 67 ms.
        WordListCase{"OneMegabyteLine", std::string(1 << 20, 'a') + ",\x82\xa0\r\n", 1, nullptr,
                     true},
        // A display form without its reading: the box shows the (megabyte long) form.
        WordListCase{"OneMegabyteLineWithoutComma", std::string(1 << 20, 'a'), 0, ""},
        // 0x81 0x7F is no code page 932 character: a stand-in takes its place, no box.
        WordListCase{"InvalidCodePage932", "ok,\x82\xa0\r\nbad\x81\x7f,\x82\xa2\r\n", 2, nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kb::test
