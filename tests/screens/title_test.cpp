#include "screens/title.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "screen_game.h"
#include "screens/title_menu.h"
#include "text/ustr.h"
#include "typing/key_codes.h"
#include "typing/word_list.h"

namespace kb {
namespace {

using test::ScreenGame;

// A frame of the title in which Enter is released on the item.
void Choose(ScreenGame& t, int item) {
    t.g.s.MenuNo = static_cast<Integer>(item);
    t.g.s.LastKeyUp = kVkReturn;
    t.g.s.KeyState = 2;
    Dis_Title(t.g);
}

TEST(TitleMenu, ItemTextsAndLabels) {
    const struct {
        int item, level;
        const char16_t* text;
    } items[] = {
        {5, 0, u"Chng to Normal Mode"},
        {5, 1, u"Chng to   Easy Mode"},
        {5, 2, u"Chng to   Easy Mode"},
        {6, 0, u"Chng to   Hard Mode"},
        {6, 1, u"Chng to   Hard Mode"},
        {6, 2, u"Chng to Normal Mode"},
        {7, 2, u"VS. Player [Server]"},
        {8, 1, u"VS. Player [Client]"},
        {9, 0, u""},
        {-1, 0, u""},
        {5, 3, u""},
    };
    for (const auto& c : items)
        EXPECT_EQ(ToUtf8(MenuText(c.item, c.level)), ToUtf8(c.text)) << c.item << " " << c.level;
    for (int speed = 1; speed <= 5; ++speed)  // items 0 to 4, at any level
        EXPECT_EQ(ToUtf8(MenuText(speed - 1, speed % 3)),
                  "VS. Com [" + std::to_string(speed) + "type/sec]");
    const struct {
        const char16_t* label;
        uint32_t color;
    } labels[] = {{u"   Easy Mode", Rgb(0, 0, 0)},
                  {u" Normal Mode", Rgb(0, 0, 255)},
                  {u"   Hard Mode", Rgb(255, 0, 0)}};
    for (int level = 0; level < 3; ++level) {
        EXPECT_EQ(ToUtf8(LevelLabel(level)), ToUtf8(labels[level].label));
        EXPECT_EQ(LevelColor(level), labels[level].color) << level;
    }
}

// The difficulty items change the level, put the cursor back on the first item, and leave
// the music alone.
TEST(TitleMenu, DifficultyChangeOnEnterRelease) {
    const struct {
        int item, before, after;
    } cases[] = {{5, 0, 1}, {5, 1, 0}, {5, 2, 0}, {6, 0, 2}, {6, 1, 2}, {6, 2, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "item " << c.item << " from " << c.before);
        ScreenGame t;
        t.g.s.GameLevel = c.before;
        Choose(t, c.item);
        EXPECT_EQ(t.g.s.GameLevel, c.after);
        EXPECT_EQ(t.g.s.MenuNo, 0);
        EXPECT_EQ(t.g.s.KeyState, 0);
        EXPECT_EQ(t.g.s.GameMode, kModeNone);
        EXPECT_TRUE(t.TracedStartingWith("music ").empty());
        EXPECT_TRUE(t.Traced("sound play 10"));
    }
}

// Choosing a match opens one of the two pieces of match music at random and pauses it at its
// start, for the match screen to play when the count-down ends.
TEST(TitleMenu, MatchMusicIsEitherPiecePausedAtItsStart) {
    std::set<std::string> opened;
    for (uint32_t seed = 1; seed <= 100 && opened.size() < 2; ++seed) {
        ScreenGame t(nullptr, seed);
        t.WriteFile("music01.mid", "MThd");
        t.WriteFile("music02.mid", "MThd");
        Choose(t, seed % 2 ? 0 : kMenuClient);
        const auto lines = t.TracedStartingWith("music ");
        ASSERT_EQ(lines.size(), 6u);
        opened.insert(lines[2].substr(lines[2].rfind('/') + 1));
        EXPECT_EQ(lines[3], "music play Media");
        EXPECT_EQ(lines[5], "music seek media to start");
    }
    EXPECT_EQ(opened,
              (std::set<std::string>{"music01.mid\" alias Media", "music02.mid\" alias Media"}));
}

// The credit line counts the words of the list in use and says when it is the player's own, and
// when a practice list from the player's record is in play.
TEST(TitleCredit, CountsTheWordsAndNamesThePlayersList) {
    const char* two = "a,\x82\xa0\r\nb,\x82\xa2\r\n";
    const char* three = "c,\x82\xa4\r\nd,\x82\xa6\r\ne,\x82\xa8\r\n";
    const struct {
        const char* program;  // str.dat in each folder, nullptr for none
        const char* own;
        const char16_t* credit;
        bool practising = false;
    } cases[] = {
        {nullptr, nullptr, u"(C) 2026 Kanaburst  Registration[0 words]"},
        {two, nullptr, u"(C) 2026 Kanaburst  Registration[2 words]"},
        {two, three, u"(C) 2026 Kanaburst  Your list  Registration[3 words]"},
        {two, "", u"(C) 2026 Kanaburst  Your list  Registration[0 words]"},
        {two, nullptr, u"(C) 2026 Kanaburst  Practice  Registration[2 words]", true},
        {two, three, u"(C) 2026 Kanaburst  Your list  Practice  Registration[3 words]", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.credit));
        ScreenGame t;
        test::TempDir own;
        t.g.sv.userDir = own.Path().string();
        if (c.program) t.WriteFile("str.dat", c.program);
        if (c.own) own.WriteFile("str.dat", c.own);
        Read_File(t.g);
        t.g.keeping.practising = c.practising;
        Dis_Title(t.g);
        std::vector<std::u16string> credits;  // a background square may land on the row too
        for (const auto& text : t.prints.AtRow(5))
            if (text.starts_with(u"(C)")) credits.push_back(text);
        EXPECT_EQ(credits, std::vector<std::u16string>{c.credit});
    }
}

}  // namespace
}  // namespace kb
