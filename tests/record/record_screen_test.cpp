// The record's keys and actions as every front end uses them.
#include "record_view/record_screen.h"

#include <gtest/gtest.h>

#include <string>

#include "record_samples.h"
#include "shell/scenes.h"
#include "test_game.h"

namespace kb::test {
namespace {

using Request = RecordScreen::Request;

TEST(RecordScreenTest, KeysTurnPagesAskForExportAndWipeOnlyOnYes) {
    TestGame t;
    t.g.sv.record->Keep(Match(1));
    RecordScreen r(t.g);
    r.Open();
    const struct {
        int key;
        Request request;
        RecordPage page;
        std::size_t matches;  // kept after the key
    } steps[] = {
        {'2', Request::kNone, RecordPage::kKana, 1},
        {'1', Request::kNone, RecordPage::kMatches, 1},
        {kVkRight, Request::kNone, RecordPage::kKana, 1},
        {kVkTab, Request::kNone, RecordPage::kMatches, 1},
        {kVkNumpad0 + 2, Request::kNone, RecordPage::kKana, 1},
        {'E', Request::kExport, RecordPage::kKana, 1},
        {'W', Request::kNone, RecordPage::kKana, 1},
        {'N', Request::kNone, RecordPage::kKana, 1},  // anything but Y keeps the record
        {'Y', Request::kNone, RecordPage::kKana, 1},  // Y alone, without W first, does nothing
        {'W', Request::kNone, RecordPage::kKana, 1},
        {'Y', Request::kNone, RecordPage::kKana, 0},
        {kVkEscape, Request::kClose, RecordPage::kKana, 0},
    };
    for (std::size_t i = 0; i < std::size(steps); ++i) {
        EXPECT_EQ(r.KeyDown(steps[i].key), steps[i].request) << "step " << i;
        EXPECT_EQ(r.Page(), steps[i].page) << "step " << i;
        EXPECT_EQ(t.g.sv.record->Load(true).matches.size(), steps[i].matches) << "step " << i;
    }
    EXPECT_FALSE(r.IsOpen());
    EXPECT_EQ(r.KeyDown(kRecordKey), Request::kClose);
}

// Up and Down choose among the latest matches (the newest first, none beyond the last), a click
// chooses the row under it; Enter, S and a click ask for the replay only of a match with one.
TEST(RecordScreenTest, ChoosesALatestMatchAndAsksForItsReplayOnlyWhereThereIsOne) {
    TestGame t;
    for (int at : {1, 2, 3}) t.g.sv.record->Keep(Match(at));
    t.g.sv.record->KeepReplay(Match(3).id, "newest");
    t.g.sv.record->KeepReplay(Match(1).id, "oldest");
    RecordScreen r(t.g);
    r.Open();
    // Rows of the latest matches begin 30 pixels into their panel at (636, 412), 21 apart.
    const struct {
        int key;  // 0: a click at (x, y)
        int x, y;
        Request request;
        const char* replay;  // the chosen match's afterwards
    } steps[] = {
        {kVkReturn, 0, 0, Request::kWatch, "newest"},
        {kVkUp, 0, 0, Request::kNone, "newest"},
        {kVkDown, 0, 0, Request::kNone, ""},
        {kVkReturn, 0, 0, Request::kNone, ""},
        {'S', 0, 0, Request::kNone, ""},
        {kVkDown, 0, 0, Request::kNone, "oldest"},
        {kVkDown, 0, 0, Request::kNone, "oldest"},
        {'S', 0, 0, Request::kSaveReplay, "oldest"},
        {0, 640, 442, Request::kWatch, "newest"},
        {0, 940, 470, Request::kNone, ""},
        {0, 700, 440, Request::kNone, ""},  // above the rows: the choice stays
        {0, 700, 504, Request::kWatch, "oldest"},
        {0, 700, 505, Request::kNone, "oldest"},  // a row with no match
        {0, 635, 442, Request::kNone, "oldest"},
    };
    for (std::size_t i = 0; i < std::size(steps); ++i) {
        const auto& s = steps[i];
        EXPECT_EQ(s.key ? r.KeyDown(s.key) : r.Click(s.x, s.y), s.request) << "step " << i;
        EXPECT_EQ(r.ChosenReplay(), s.replay) << "step " << i;
    }
    r.KeyDown(kVkUp);
    EXPECT_TRUE(Holds(r.Status(), u"this match has no replay"));
    EXPECT_EQ(r.Page(), RecordPage::kMatches);
    r.SetPage(RecordPage::kKana);
    EXPECT_EQ(r.Click(640, 442), Request::kNone);  // the rows are on the matches page only
}

// Practice needs a weak kana and a word at hand that holds one.
TEST(RecordScreenTest, PracticeTakesTheWordsOnTheTitleAtOnceAndElsewhereOnReturn) {
    TestGame t;
    t.WriteFile("str.dat", "\xEF\xBB\xBF猫,ねこ\n");
    Start_Init(t.g);
    RecordScreen r(t.g);
    r.TogglePractice();
    EXPECT_TRUE(Holds(r.Status(), u"Nothing to practise yet"));
    t.g.sv.record->Keep(Match(1, "WIN", {{u"しゃ", 2, 1, {{u"SA", 1}}}}));
    r.TogglePractice();
    EXPECT_TRUE(Holds(r.Status(), u"None of the words at hand holds your weakest kana (しゃ)"));
    EXPECT_FALSE(t.g.keeping.practising);
    EXPECT_EQ(t.g.Yomi, std::vector<std::u16string>{u"ねこ"});

    t.WriteFile("str.dat", "\xEF\xBB\xBF猫,ねこ\n写真,しゃしん\n新聞,しんぶん\n");
    Start_Init(t.g);
    r.TogglePractice();
    EXPECT_TRUE(t.g.keeping.practising);
    EXPECT_EQ(t.g.Yomi, std::vector<std::u16string>{u"しゃしん"});
    EXPECT_EQ(r.Page(), RecordPage::kKana);
    ASSERT_EQ(t.g.sv.record->Load(true).practice.size(), 1u);
    EXPECT_EQ(t.g.sv.record->Load(true).practice[0].kana, std::vector<std::u16string>{u"しゃ"});

    // Off after a match: the result screen stays as it is; the title brings the whole list.
    t.g.s.SceneNo = kSceneOver;
    r.TogglePractice();
    EXPECT_EQ(t.g.Yomi, std::vector<std::u16string>{u"しゃしん"});
    Start_Init(t.g);
    EXPECT_EQ(t.g.Yomi.size(), 3u);
}

}  // namespace
}  // namespace kb::test
