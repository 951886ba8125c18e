#include "screens/title.h"

#include <gtest/gtest.h>

#include <cmath>

#include "net/connection.h"
#include "screen_game.h"
#include "screens/title_menu.h"
#include "shell/ustr.h"
#include "typing/key_codes.h"

namespace kb {
namespace {

using test::Printed;
using test::ScreenGame;

// The one print on row y, or an empty record when there is none or several.
Printed OnlyAtRow(const ScreenGame& t, int y) {
    const auto row = t.prints.AtRow(y);
    return row.size() == 1 ? row[0] : Printed{};
}

struct MenuCase {
    int menuNo, gameLevel;
    const char16_t* item;
};

void PrintTo(const MenuCase& c, std::ostream* os) {
    *os << "item " << c.menuNo << " at level " << c.gameLevel;
}

class MenuTextTest : public testing::TestWithParam<MenuCase> {};

TEST_P(MenuTextTest, ShowsTheItemOnTheBlackBand) {
    const MenuCase& c = GetParam();
    ScreenGame t;
    t.g.s.MenuNo = static_cast<Integer>(c.menuNo);
    t.g.s.GameLevel = c.gameLevel;
    Dis_Title(t.g);
    const Printed p = OnlyAtRow(t, 224);
    EXPECT_EQ(ToUtf8(p.text), ToUtf8(c.item));
    EXPECT_EQ(p.points, 14);
    EXPECT_FALSE(p.bold);
    EXPECT_EQ(p.color, Rgb(255, 255, 255));
    // Every item starts where 19 letters would be centred: 240 - 171 / 2.
    EXPECT_EQ(p.x, 154);
    EXPECT_EQ(t.g.Display.At(240, 230), Rgb(0, 0, 0)) << "the band under the item";
    EXPECT_EQ(t.g.Display.At(240, 221), Rgb(255, 255, 255)) << "white above the band";
    EXPECT_EQ(t.g.Display.At(240, 244), Rgb(255, 255, 255)) << "white below the band";
}

INSTANTIATE_TEST_SUITE_P(
    Title, MenuTextTest,
    testing::Values(MenuCase{0, 0, u"VS. Com [1type/sec]"}, MenuCase{0, 2, u"VS. Com [1type/sec]"},
                    MenuCase{1, 0, u"VS. Com [2type/sec]"}, MenuCase{2, 1, u"VS. Com [3type/sec]"},
                    MenuCase{3, 2, u"VS. Com [4type/sec]"}, MenuCase{4, 0, u"VS. Com [5type/sec]"},
                    MenuCase{5, 0, u"Chng to Normal Mode"}, MenuCase{5, 1, u"Chng to   Easy Mode"},
                    MenuCase{5, 2, u"Chng to   Easy Mode"}, MenuCase{6, 0, u"Chng to   Hard Mode"},
                    MenuCase{6, 1, u"Chng to   Hard Mode"}, MenuCase{6, 2, u"Chng to Normal Mode"},
                    MenuCase{7, 0, u"VS. Player [Server]"}, MenuCase{7, 2, u"VS. Player [Server]"},
                    MenuCase{8, 1, u"VS. Player [Client]"}, MenuCase{9, 0, u""},
                    MenuCase{-1, 0, u""}, MenuCase{5, 3, u""}, MenuCase{6, 3, u""}));

TEST(TitleMenuTest, EveryItemAtEveryDifficulty) {
    // The two change items always offer the two difficulties not in force.
    const char16_t* names[] = {u"Easy", u"Normal", u"Hard"};
    for (int level = 0; level < 3; ++level) {
        for (int item = 0; item <= 8; ++item) {
            const std::u16string text = MenuText(item, level);
            EXPECT_EQ(text.size(), 19u) << item << " at " << level;
            if (item == 5 || item == 6) {
                EXPECT_EQ(text.find(names[level]), std::u16string::npos) << item << " at " << level;
            }
        }
        EXPECT_NE(MenuText(5, level), MenuText(6, level));
    }
}

struct LabelCase {
    int gameLevel;
    const char16_t* label;
    uint32_t color;
};

void PrintTo(const LabelCase& c, std::ostream* os) {
    *os << "level " << c.gameLevel;
}

class LevelLabelTest : public testing::TestWithParam<LabelCase> {};

TEST_P(LevelLabelTest, RightAlignedOnTwelveLetters) {
    const LabelCase& c = GetParam();
    for (int menuNo = 0; menuNo <= 8; ++menuNo) {
        ScreenGame t;
        t.g.s.MenuNo = static_cast<Integer>(menuNo);
        t.g.s.GameLevel = c.gameLevel;
        Dis_Title(t.g);
        const auto row = t.prints.AtRow(288);
        if (menuNo >= 7) {
            for (const auto& p : row) EXPECT_NE(ToUtf8(p.text), ToUtf8(c.label)) << menuNo;
            continue;
        }
        ASSERT_EQ(row.size(), 1u) << menuNo;
        EXPECT_EQ(ToUtf8(row[0].text), ToUtf8(c.label));
        EXPECT_EQ(row[0].color, c.color);
        EXPECT_EQ(row[0].points, 9);
        EXPECT_EQ(row[0].x, 480 - 10 - 12 * 6);  // 12 letters of 6 pixels at 9 points
    }
}

INSTANTIATE_TEST_SUITE_P(Title, LevelLabelTest,
                         testing::Values(LabelCase{0, u"   Easy Mode", Rgb(0, 0, 0)},
                                         LabelCase{1, u" Normal Mode", Rgb(0, 0, 255)},
                                         LabelCase{2, u"   Hard Mode", Rgb(255, 0, 0)}));

TEST(TitleTest, ServerItemShowsWaitingAndTheAddress) {
    ScreenGame t;
    t.g.s.MenuNo = 7;
    Dis_Title(t.g);
    const Printed waiting = OnlyAtRow(t, 288);
    EXPECT_EQ(ToUtf8(waiting.text), "◇ Waiting for clients connection");
    EXPECT_EQ(waiting.points, 9);
    EXPECT_EQ(waiting.color, Rgb(0, 0, 0));
    // 32 characters: 31 Latin of 6 pixels and the diamond of 12.
    EXPECT_EQ(waiting.x, 480 - 10 - (31 * 6 + 12));
    const Printed ip = OnlyAtRow(t, 272);
    const std::u16string expected = u"Your IP : " + LocalIP(t.g);
    EXPECT_EQ(ToUtf8(ip.text), ToUtf8(expected));
    EXPECT_EQ(ip.points, 10);
    EXPECT_EQ(ip.color, Rgb(255, 0, 0));
    EXPECT_EQ(ip.x,
              480 - 10 - 6 * static_cast<int>(expected.size()));  // 10 points: 6-pixel letters
}

TEST(TitleTest, ClientItemShowsConnectServer) {
    ScreenGame t;
    t.g.s.MenuNo = 8;
    Dis_Title(t.g);
    const Printed p = OnlyAtRow(t, 288);
    EXPECT_EQ(ToUtf8(p.text), "◇ Connect server");
    EXPECT_EQ(p.color, Rgb(0, 0, 0));
    EXPECT_EQ(p.x, 480 - 10 - (15 * 6 + 12));
    EXPECT_TRUE(t.prints.AtRow(272).empty());
}

TEST(TitleTest, TitleArrowsAndCredit) {
    ScreenGame t;
    Dis_Title(t.g);
    const Printed title = OnlyAtRow(t, 64);
    EXPECT_EQ(ToUtf8(title.text), "Kana Burst");
    EXPECT_EQ(title.points, 30);
    EXPECT_FALSE(title.bold);
    EXPECT_EQ(title.color, Rgb(100, 50, 255));
    EXPECT_EQ(title.x, 240 - 10 * 20 / 2);  // ten letters of 20 pixels at 30 points
    const Printed up = OnlyAtRow(t, 196);
    EXPECT_EQ(ToUtf8(up.text), "▲");
    EXPECT_EQ(up.points, 12);
    EXPECT_EQ(up.color, Rgb(0, 0, 0));
    EXPECT_EQ(up.x, 240 - 8);
    const Printed down = OnlyAtRow(t, 256);
    EXPECT_EQ(ToUtf8(down.text), "▼ ");
    EXPECT_EQ(down.x, 240 - 8) << "placed by the arrow alone, without the blank";
    const Printed credit = OnlyAtRow(t, 5);
    EXPECT_EQ(ToUtf8(credit.text), "(C) 2026 Kanaburst  Registration[0 words]");
    EXPECT_EQ(credit.points, 8);
    EXPECT_EQ(credit.color, Rgb(100, 100, 100));
    EXPECT_EQ(credit.x, 5);
    EXPECT_EQ(t.g.Display.BackColor(), Rgb(255, 255, 255));
    EXPECT_EQ(t.g.IM.BackColor(), Rgb(0, 0, 0));
}

TEST(TitleTest, CreditCountsTheReadings) {
    ScreenGame t;
    t.g.Yomi = {u"あ", u"い", u"う"};
    t.g.Goku = {u"亜", u"胃", u"鵜"};
    Dis_Title(t.g);
    EXPECT_EQ(ToUtf8(OnlyAtRow(t, 5).text), "(C) 2026 Kanaburst  Registration[3 words]");
}

TEST(TitleTest, SquaresDrawShadeSizeXYInThatOrder) {
    ScreenGame t(nullptr, 77);
    Random ref;
    ref.Seed(77);
    Dis_Title(t.g);
    ASSERT_GE(t.prints.printed.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        const int k = static_cast<int>(std::floor(ref.Rnd() * 30.0 + 1));
        const int size = static_cast<int>(std::floor(ref.Rnd() * 6.0 + 15));
        const int cell = (size * 96 + 36) / 72;
        const double x = std::floor(ref.Rnd() * 7200.0 + 1) - cell / 2 * 15;
        const double y = std::floor(ref.Rnd() * (15 * 192.0) + 1) - cell * 15;
        const Printed& p = t.prints.printed[i];
        EXPECT_EQ(ToUtf8(p.text), "□");
        EXPECT_TRUE(p.bold);
        EXPECT_EQ(p.points, size) << i;
        EXPECT_EQ(p.color, Rgb(240 - k, 240 - k, 240 - k)) << i;
        EXPECT_EQ(p.x, static_cast<int>(std::floor(x / 15))) << i;
        EXPECT_EQ(p.y, static_cast<int>(std::floor(y / 15))) << i;
        EXPECT_GE(k, 1);
        EXPECT_LE(k, 30);
    }
    EXPECT_EQ(t.g.rng.Draws(), 12u) << "four draws per square, nothing else";
}

TEST(TitleTest, ConnectionScreenReplacesTheTitle) {
    for (Long mode : {kModeClient, kModeServer}) {
        ScreenGame t;
        t.g.s.GameMode = mode;
        t.g.s.InputOn = 1;
        Dis_Title(t.g);
        EXPECT_EQ(t.g.rng.Draws(), 0u) << "no squares";
        EXPECT_EQ(t.g.Display.BackColor(), Rgb(50, 80, 200));
        for (const auto& text : t.prints.Texts()) EXPECT_NE(ToUtf8(text), "Kana Burst");
        EXPECT_EQ(t.g.s.InputOn, 0);
    }
}

struct ChangeCase {
    int item, before, after;
};

void PrintTo(const ChangeCase& c, std::ostream* os) {
    *os << "item " << c.item << " from " << c.before;
}

class DifficultyChangeTest : public testing::TestWithParam<ChangeCase> {};

TEST_P(DifficultyChangeTest, OnEnterRelease) {
    const ChangeCase& c = GetParam();
    EXPECT_EQ(LevelAfterChange(c.item, c.before), c.after);
    ScreenGame t;
    t.g.s.MenuNo = static_cast<Integer>(c.item);
    t.g.s.GameLevel = c.before;
    t.g.s.LastKeyUp = kVkReturn;
    t.g.s.KeyState = 2;
    Dis_Title(t.g);
    EXPECT_EQ(t.g.s.GameLevel, c.after);
    EXPECT_EQ(t.g.s.MenuNo, 0) << "the cursor goes back to the first item";
    EXPECT_EQ(t.g.s.KeyState, 0);
    EXPECT_EQ(t.g.s.GameMode, kModeNone);
    EXPECT_EQ(t.g.s.SceneNo, kSceneTitle);
    EXPECT_EQ(t.g.rng.Draws(), 12u) << "the difficulty items leave the music alone";
    // The next frame shows the new difficulty.
    t.prints.printed.clear();
    Dis_Title(t.g);
    EXPECT_EQ(ToUtf8(OnlyAtRow(t, 288).text), ToUtf8(LevelLabel(c.after)));
}

INSTANTIATE_TEST_SUITE_P(Title, DifficultyChangeTest,
                         testing::Values(ChangeCase{5, 0, 1}, ChangeCase{5, 1, 0},
                                         ChangeCase{5, 2, 0}, ChangeCase{6, 0, 2},
                                         ChangeCase{6, 1, 2}, ChangeCase{6, 2, 1}));

struct KeyCase {
    const char* what;
    int keyState, lastKeyUp;
    bool chooses;
};

void PrintTo(const KeyCase& c, std::ostream* os) {
    *os << c.what;
}

class ChoiceKeyTest : public testing::TestWithParam<KeyCase> {};

TEST_P(ChoiceKeyTest, OnlyAReleasedEnterOrSpaceChooses) {
    const KeyCase& c = GetParam();
    ScreenGame t;
    t.g.s.MenuNo = 2;
    t.g.s.KeyState = static_cast<Byte>(c.keyState);
    t.g.s.LastKeyUp = static_cast<Byte>(c.lastKeyUp);
    Dis_Title(t.g);
    if (c.chooses) {
        EXPECT_EQ(t.g.s.GameMode, kModeCom) << c.what;
        EXPECT_EQ(t.g.s.SceneNo, kSceneMatch) << c.what;
        EXPECT_EQ(t.g.s.KeyState, 0) << c.what;
        EXPECT_EQ(t.g.s.MenuNo, 2) << "the speed stays chosen";
        EXPECT_EQ(t.g.Display.BackColor(), Rgb(0, 0, 0)) << "the match clears the frame to black";
    } else {
        EXPECT_EQ(t.g.s.GameMode, kModeNone) << c.what;
        EXPECT_EQ(t.g.s.SceneNo, kSceneTitle) << c.what;
        EXPECT_EQ(t.g.s.KeyState, c.keyState) << c.what;
        EXPECT_EQ(t.g.rng.Draws(), 12u) << c.what;
    }
}

INSTANTIATE_TEST_SUITE_P(Title, ChoiceKeyTest,
                         testing::Values(KeyCase{"Enter released", 2, kVkReturn, true},
                                         KeyCase{"Space released", 2, kVkSpace, true},
                                         KeyCase{"Enter held down", 1, kVkReturn, false},
                                         KeyCase{"Space held down", 1, kVkSpace, false},
                                         KeyCase{"another key released", 2, kVkA, false},
                                         KeyCase{"Escape released", 2, kVkEscape, false},
                                         KeyCase{"no key", 0, kVkReturn, false}));

TEST(TitleTest, EverySpeedStartsAComputerMatch) {
    for (int item = 0; item <= 4; ++item) {
        ScreenGame t;
        t.g.s.MenuNo = static_cast<Integer>(item);
        t.g.s.LastKeyUp = kVkReturn;
        t.g.s.KeyState = 2;
        Dis_Title(t.g);
        EXPECT_EQ(t.g.s.GameMode, kModeCom) << item;
        EXPECT_EQ(t.g.s.SceneNo, kSceneMatch) << item;
        EXPECT_EQ(t.g.s.StartCount, 4.0f) << item;
    }
}

TEST(TitleTest, NetworkItemsSwitchToTheConnectionScreen) {
    for (auto [item, mode] : {std::pair{7, kModeServer}, std::pair{8, kModeClient}}) {
        ScreenGame t;
        t.g.s.MenuNo = static_cast<Integer>(item);
        t.g.s.LastKeyUp = kVkSpace;
        t.g.s.KeyState = 2;
        Dis_Title(t.g);
        EXPECT_EQ(t.g.s.GameMode, mode) << item;
        EXPECT_EQ(t.g.s.SceneNo, kSceneTitle) << item;
        EXPECT_EQ(t.g.s.KeyState, 2) << "left for the connection screen";
        EXPECT_EQ(t.g.rng.Draws(), 13u) << "the match music is prepared here too";
        t.prints.printed.clear();
        Dis_Title(t.g);
        EXPECT_EQ(t.g.Display.BackColor(), Rgb(50, 80, 200)) << item;
        EXPECT_EQ(t.g.rng.Draws(), 13u) << "the connection screen draws no squares";
    }
}

// The music lines a choice sends when piece r of the match music is wanted and `present` says
// which of the two files are there.
std::vector<std::string> ExpectedMusic(const ScreenGame& t, int r, bool present) {
    std::vector<std::string> lines = {"music stop Media", "music close Media"};
    if (present) {
        const std::string path = (t.dir.Path() / ("music0" + std::to_string(r) + ".mid")).string();
        lines.push_back("music open \"" + path + "\" alias Media");
        lines.push_back("music play Media");
    }
    lines.push_back("music stop Media");
    lines.push_back("music seek media to start");
    return lines;
}

// Which piece the 13th number of a seed picks (the squares take the first twelve).
int PieceForSeed(uint32_t seed) {
    Random ref;
    ref.Seed(seed);
    for (int i = 0; i < 12; ++i) ref.Rnd();
    return static_cast<int>(std::floor(ref.Rnd() * 2.0 + 1));
}

TEST(TitleMusicTest, MatchMusicIsOpenedAndPausedAtItsStart) {
    // Seeds that pick each piece, with the picked file present or absent.
    uint32_t seedFor[3] = {0, 0, 0};
    for (uint32_t seed = 1; seed < 100 && (!seedFor[1] || !seedFor[2]); ++seed)
        seedFor[PieceForSeed(seed)] = seed;
    ASSERT_TRUE(seedFor[1] && seedFor[2]);
    for (int piece : {1, 2}) {
        for (const char* file : {"", "music01.mid", "music02.mid"}) {
            for (int item : {0, 4, 7, 8}) {
                ScreenGame t(nullptr, seedFor[piece]);
                if (*file) t.WriteFile(file, "MThd");
                t.g.s.MenuNo = static_cast<Integer>(item);
                t.g.s.LastKeyUp = kVkReturn;
                t.g.s.KeyState = 2;
                Dis_Title(t.g);
                const bool present = std::string(file) == "music0" + std::to_string(piece) + ".mid";
                EXPECT_EQ(t.TracedStartingWith("music "), ExpectedMusic(t, piece, present))
                    << "piece " << piece << ", file '" << file << "', item " << item;
            }
        }
    }
}

TEST(TitleMusicTest, DifficultyItemsLeaveTheMusicAlone) {
    for (int item : {5, 6}) {
        ScreenGame t;
        t.WriteFile("music01.mid", "MThd");
        t.WriteFile("music02.mid", "MThd");
        t.g.s.MenuNo = static_cast<Integer>(item);
        t.g.s.LastKeyUp = kVkSpace;
        t.g.s.KeyState = 2;
        Dis_Title(t.g);
        EXPECT_TRUE(t.TracedStartingWith("music ").empty()) << item;
        EXPECT_TRUE(t.Traced("sound play 10")) << item;
    }
}

}  // namespace
}  // namespace kb
