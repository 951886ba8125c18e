#include "screens/match_screen.h"

#include <gtest/gtest.h>

#include "battle/missiles.h"
#include "screen_game.h"
#include "shell/ustr.h"

namespace kb {
namespace {

using test::Printed;
using test::ScreenGame;

// A match in progress with the count-down over, on the clock's second 0.
void InMatch(ScreenGame& t) {
    t.g.s.SceneNo = kSceneMatch;
    t.g.s.GameMode = kModeCom;
    t.g.s.StartCount = 0;
    t.g.s.StartSec = Num(t.Second());
}

// The next second of the wall clock, so that the match clock counts one.
void NextSecond(ScreenGame& t) {
    t.SetSecond((t.Second() + 1) % 60);
}

const Printed* Find(const ScreenGame& t, std::u16string_view text) {
    for (const auto& p : t.prints.printed)
        if (p.text == text) return &p;
    return nullptr;
}

// What a masked 32 x 32 cell of PIC drawn over `under` gives at (dx, dy) inside the cell.
uint32_t Masked(const Surface& pic, int cell, int dx, int dy, uint32_t under) {
    return (under | pic.At(32 * cell + dx, 32 + dy)) & pic.At(32 * cell + dx, dy);
}

void ExpectCell(const Surface& d, const Surface& pic, int x, int y, int cell, uint32_t under) {
    for (int dy = 0; dy < 32; ++dy)
        for (int dx = 0; dx < 32; ++dx)
            ASSERT_EQ(d.At(x + dx, y + dy), Masked(pic, cell, dx, dy, under))
                << "cell " << cell << " at +" << dx << ",+" << dy;
}

struct NoticeCase {
    int playSec;  // after this frame's count
    bool shown;
};

void PrintTo(const NoticeCase& c, std::ostream* os) {
    *os << "second " << c.playSec;
}

class NoticeTest : public testing::TestWithParam<NoticeCase> {};

TEST_P(NoticeTest, ForFourSecondsFromEachHalfMinute) {
    const NoticeCase& c = GetParam();
    ScreenGame t;
    InMatch(t);
    t.g.s.PlaySec = static_cast<Integer>(c.playSec - 1);
    NextSecond(t);
    Dis_Str(t.g);
    ASSERT_EQ(t.g.s.PlaySec, c.playSec);
    const std::u16string text = u"Now " + Num(c.playSec) + u" sec.";
    const Printed* p = Find(t, text);
    EXPECT_EQ(p != nullptr, c.shown) << c.playSec;
    if (!p) return;
    EXPECT_EQ(p->points, 12);
    EXPECT_TRUE(p->bold);
    EXPECT_EQ(p->color, Rgb(255, 150, 100));
    // Centred on the whole screen: 8-pixel letters, a 16-pixel line.
    EXPECT_EQ(p->x, (480 - 8 * static_cast<int>(text.size())) / 2);
    EXPECT_EQ(p->y, (320 - 16) / 2);
    EXPECT_FALSE(t.g.Display.FontBold) << "bold is switched off after the notice";
}

INSTANTIATE_TEST_SUITE_P(MatchScreen, NoticeTest,
                         testing::Values(NoticeCase{1, false}, NoticeCase{3, false},
                                         NoticeCase{10, false}, NoticeCase{29, false},
                                         NoticeCase{30, true}, NoticeCase{31, true},
                                         NoticeCase{32, true}, NoticeCase{33, true},
                                         NoticeCase{34, false}, NoticeCase{59, false},
                                         NoticeCase{60, true}, NoticeCase{63, true},
                                         NoticeCase{64, false}, NoticeCase{90, true}));

TEST(MatchClockTest, SpeedsUpOnceAtEachHalfMinute) {
    ScreenGame t;
    InMatch(t);
    t.g.s.PlaySec = 29;
    NextSecond(t);
    for (int frame = 0; frame < 15; ++frame) Dis_Str(t.g);
    EXPECT_EQ(t.g.s.PlaySec, 30);
    EXPECT_EQ(t.g.s.SpeedBonus, 1) << "raised once, not once a frame";
    EXPECT_EQ(t.TracedStartingWith("sound play 6").size(), 1u) << "one speed-up sound";
    for (int second = 31; second <= 59; ++second) {
        NextSecond(t);
        Dis_Str(t.g);
        Dis_Str(t.g);
    }
    EXPECT_EQ(t.g.s.PlaySec, 59);
    EXPECT_EQ(t.g.s.SpeedBonus, 1) << "not again while the notice stays";
    NextSecond(t);
    Dis_Str(t.g);
    EXPECT_EQ(t.g.s.SpeedBonus, 2);
    EXPECT_EQ(t.TracedStartingWith("sound play 6").size(), 2u);
}

TEST(MatchClockTest, CountsOnlyChangesOfTheSecond) {
    ScreenGame t;
    InMatch(t);
    t.g.s.PlaySec = 5;
    Dis_Str(t.g);
    Dis_Str(t.g);
    EXPECT_EQ(t.g.s.PlaySec, 5);
    t.SetSecond(42);  // any change counts one, however far the clock moved
    Dis_Str(t.g);
    EXPECT_EQ(t.g.s.PlaySec, 6);
    EXPECT_EQ(ToUtf8(t.g.s.StartSec), "42");
}

struct CountDownCase {
    Long mode;
    int menuNo;
    const char16_t* line;  // nullptr: no opponent line
    int lineX;
};

void PrintTo(const CountDownCase& c, std::ostream* os) {
    *os << "mode " << c.mode << " item " << c.menuNo;
}

class CountDownLineTest : public testing::TestWithParam<CountDownCase> {};

TEST_P(CountDownLineTest, DigitAndOpponent) {
    const CountDownCase& c = GetParam();
    ScreenGame t;
    t.g.s.GameMode = c.mode;
    t.g.s.MenuNo = static_cast<Integer>(c.menuNo);
    t.g.s.StartCount = 3;
    t.g.s.StartSec = Num(t.Second());
    t.g.s.PlaySec = 7;
    Dis_Str(t.g);
    const auto digit = t.prints.AtRow(192);
    ASSERT_EQ(digit.size(), 1u);
    EXPECT_EQ(ToUtf8(digit[0].text), " 3 ") << "a blank before and after the number";
    EXPECT_EQ(digit[0].points, 14);
    EXPECT_TRUE(digit[0].bold);
    EXPECT_EQ(digit[0].color, Rgb(200, 100, 250));
    EXPECT_EQ(digit[0].x, 235) << "placed by the width of one digit: (480 - 9) / 2";
    const auto line = t.prints.AtRow(96);
    if (!c.line) {
        EXPECT_TRUE(line.empty());
    } else {
        ASSERT_EQ(line.size(), 1u);
        EXPECT_EQ(ToUtf8(line[0].text), ToUtf8(c.line));
        EXPECT_EQ(line[0].color, Rgb(20, 180, 250));
        EXPECT_TRUE(line[0].bold);
        EXPECT_EQ(line[0].x, c.lineX);
    }
    EXPECT_EQ(t.g.s.PlaySec, 0) << "match seconds start after the count-down";
    EXPECT_FALSE(t.g.Display.FontBold);
    for (const auto& p : t.prints.printed) EXPECT_NE(p.y, 234) << "no word during the count-down";
}

// Opponent lines are centred by "VS. Com 0keys/sec" (17 letters of 9 pixels) or by themselves.
INSTANTIATE_TEST_SUITE_P(MatchScreen, CountDownLineTest,
                         testing::Values(CountDownCase{kModeCom, 0, u"VS. Com 1keys/sec", 163},
                                         CountDownCase{kModeCom, 1, u"VS. Com 2keys/sec", 163},
                                         CountDownCase{kModeCom, 4, u"VS. Com 5keys/sec", 163},
                                         CountDownCase{kModeClient, 8, u"VS. Network", 190},
                                         CountDownCase{kModeServer, 7, u"VS. Network", 190},
                                         CountDownCase{kModeNone, 0, nullptr, 0}));

TEST(CountDownTest, FromMatchStartToTyping) {
    ScreenGame t;
    t.g.s.GameMode = kModeCom;
    t.g.s.StartCount = 4;
    t.g.s.StartSec = Num(t.Second());
    t.g.s.InputOn = 0;
    t.g.s.InputStr = u"X";
    Dis_Str(t.g);
    EXPECT_TRUE(t.prints.Texts().empty()) << "the first second shows the battlefield alone";
    for (const char* digit : {" 3 ", " 2 ", " 1 "}) {
        t.prints.printed.clear();
        NextSecond(t);
        Dis_Str(t.g);
        const auto row = t.prints.AtRow(192);
        ASSERT_EQ(row.size(), 1u) << digit;
        EXPECT_EQ(ToUtf8(row[0].text), digit);
        EXPECT_EQ(t.g.s.InputOn, 0);
    }
    NextSecond(t);
    Dis_Str(t.g);
    EXPECT_EQ(t.g.s.StartCount, 0.0f);
    EXPECT_EQ(t.g.s.InputOn, 1);
    EXPECT_TRUE(t.g.s.InputStr.empty());
    EXPECT_EQ(t.g.s.PlaySec, 1) << "the second in which the count-down ended counts";
}

TEST(CountDownTest, ClientWaitsForTheServersDigits) {
    ScreenGame t;
    t.g.s.GameMode = kModeClient;
    t.g.s.StartCount = 3;
    t.g.s.StartSec = Num(t.Second());
    for (int i = 0; i < 5; ++i) {
        NextSecond(t);
        Dis_Str(t.g);
    }
    EXPECT_EQ(t.g.s.StartCount, 3.0f);
    EXPECT_EQ(t.g.s.InputOn, 0);
}

TEST(CountDownTest, ServerSendsEachDigitToTheClient) {
    ScreenGame t;
    t.g.s.GameMode = kModeServer;
    t.g.s.StartCount = 4;
    t.g.s.StartSec = Num(t.Second());
    for (int i = 0; i < 6; ++i) {
        NextSecond(t);
        Dis_Str(t.g);
    }
    // The first goes out at once; the rest wait in the queue for its completion.
    EXPECT_TRUE(t.Traced("send 993"));
    const auto& queue = t.g.s.SendList;
    EXPECT_EQ(ToUtf8(queue[0]), "993");
    EXPECT_EQ(ToUtf8(queue[1]), "992");
    EXPECT_EQ(ToUtf8(queue[2]), "991");
    EXPECT_EQ(ToUtf8(queue[3]), "990");
    EXPECT_TRUE(queue[4].empty()) << "nothing once the count-down is over";
}

TEST(CountDownTest, ComputerMatchSendsNothing) {
    ScreenGame t;
    t.g.s.GameMode = kModeCom;
    t.g.s.StartCount = 4;
    t.g.s.StartSec = Num(t.Second());
    for (int i = 0; i < 6; ++i) {
        NextSecond(t);
        Dis_Str(t.g);
    }
    EXPECT_TRUE(t.TracedStartingWith("send").empty());
    EXPECT_TRUE(t.g.s.SendList[0].empty());
}

TEST(CountDownTest, MusicKeptLoopingOnlyOnceTypingStarts) {
    ScreenGame t;
    t.g.s.GameMode = kModeCom;
    t.g.s.StartCount = 1;
    t.g.s.StartSec = Num(t.Second());
    Dis_Str(t.g);
    EXPECT_TRUE(t.TracedStartingWith("music ").empty()) << "silent during the count-down";
    NextSecond(t);
    Dis_Str(t.g);
    Dis_Str(t.g);
    EXPECT_EQ(t.TracedStartingWith("music status Media mode").size(), 2u) << "asked every frame";
}

struct TypingCase {
    const char* what;
    int kanaPos;
    const char16_t* input;
    int frameX;             // -1: no frame
    const char16_t* typed;  // nullptr: nothing in the typed colour
    const char16_t* next;   // the large kana ("" when complete)
    int nextX;
    int restX;
    const char16_t* rest;
};

void PrintTo(const TypingCase& c, std::ostream* os) {
    *os << c.what;
}

class TypingLineTest : public testing::TestWithParam<TypingCase> {};

// Reading かきく: 16-pixel kana at 12 points.
TEST_P(TypingLineTest, Layout) {
    const TypingCase& c = GetParam();
    ScreenGame t;
    InMatch(t);
    t.g.Goku = {u"柿句"};
    t.g.Yomi = {u"かきく"};
    t.g.s.KanaPos = static_cast<Integer>(c.kanaPos);
    t.g.s.InputStr = c.input;
    Dis_Str(t.g);

    const Printed* word = Find(t, u"柿句");
    ASSERT_NE(word, nullptr);
    EXPECT_EQ(word->x, 16);
    EXPECT_EQ(word->y, 234);
    EXPECT_EQ(word->points, 16);
    EXPECT_TRUE(word->bold);
    EXPECT_EQ(word->color, Rgb(255, 200, 50));

    // The recorder draws no glyphs, so below the battlefield only the frame can be seen.
    const Surface& d = t.g.Display;
    for (int y = 224; y < 320; ++y) {
        for (int x = 0; x < 480; ++x) {
            const bool inFrame =
                c.frameX >= 0 && x >= c.frameX && x < c.frameX + 36 && y >= 266 && y < 302;
            const uint32_t expected = inFrame ? t.g.Waku.At(x - c.frameX, y - 266) : Rgb(0, 0, 0);
            ASSERT_EQ(d.At(x, y), expected) << c.what << " at " << x << "," << y;
        }
    }

    std::vector<Printed> typed;
    for (const auto& p : t.prints.printed)
        if (p.color == Rgb(180, 255, 50)) typed.push_back(p);
    if (!c.typed) {
        EXPECT_TRUE(typed.empty()) << c.what;
    } else {
        ASSERT_EQ(typed.size(), 1u) << c.what;
        EXPECT_EQ(ToUtf8(typed[0].text), ToUtf8(c.typed));
        EXPECT_EQ(typed[0].x, 16);
        EXPECT_EQ(typed[0].y, 268);
        EXPECT_EQ(typed[0].points, 12);
        EXPECT_FALSE(typed[0].bold);
    }

    const auto row268 = t.prints.AtRow(268);
    const Printed& next = row268.back();
    EXPECT_EQ(ToUtf8(next.text), ToUtf8(c.next)) << c.what;
    EXPECT_EQ(next.x, c.nextX);
    EXPECT_EQ(next.points, 25);
    EXPECT_TRUE(next.bold);
    EXPECT_EQ(next.color, Rgb(255, 30, 80));

    const auto romaji = t.prints.AtRow(263);
    if (*c.input == 0) {
        EXPECT_TRUE(romaji.empty());
    } else {
        ASSERT_EQ(romaji.size(), 1u);
        EXPECT_EQ(ToUtf8(romaji[0].text), ToUtf8(c.input));
        EXPECT_EQ(romaji[0].x, c.restX);
        EXPECT_EQ(romaji[0].points, 12);
        EXPECT_FALSE(romaji[0].bold);
        EXPECT_EQ(romaji[0].color, Rgb(150, 180, 255));
    }
    const auto rest = t.prints.AtRow(285);
    ASSERT_EQ(rest.size(), 1u);
    EXPECT_EQ(ToUtf8(rest[0].text), ToUtf8(c.rest));
    EXPECT_EQ(rest[0].x, c.restX);
    EXPECT_EQ(rest[0].points, 12);
    EXPECT_FALSE(rest[0].bold);
    EXPECT_EQ(rest[0].color, Rgb(255, 100, 100));
}

INSTANTIATE_TEST_SUITE_P(
    MatchScreen, TypingLineTest,
    testing::Values(
        TypingCase{"nothing typed", 0, u"", 15, nullptr, u"か", 16, 52, u"きく"},
        TypingCase{"one kana typed, romaji pending", 1, u"K", 31, u"か", u"き", 32, 68, u"く"},
        TypingCase{"last kana next", 2, u"KU", 47, u"かき", u"く", 48, 84, u""},
        TypingCase{"complete: no frame, no large kana", 3, u"", -1, u"かきく", u"", 64, 84, u""}));

TEST(MatchScreenTest, LaneCursorAtTheRightEdge) {
    for (int lane = 0; lane < kLanes; ++lane) {
        ScreenGame t;
        InMatch(t);
        t.g.s.LaneNo = static_cast<Integer>(lane);
        Dis_Str(t.g);
        ExpectCell(t.g.Display, t.g.PIC, 448, 32 * lane + 16, 8, Rgb(0, 0, 0));
    }
}

TEST(MatchScreenTest, NoCursorBeforeTheCountDownEnds) {
    ScreenGame t;
    t.g.s.GameMode = kModeCom;
    t.g.s.StartCount = 2;
    t.g.s.StartSec = Num(t.Second());
    Dis_Str(t.g);
    for (int y = 0; y < 320; ++y)
        for (int x = 440; x < 480; ++x) ASSERT_EQ(t.g.Display.At(x, y), Rgb(0, 0, 0));
}

TEST(BattlefieldTest, MissileCellsByStateAndPhase) {
    ScreenGame t;
    GameState& s = t.g.s;
    s.MyMisState[0] = kMisFlying, s.MyMisAnim[0] = 0, s.MyMisX[0] = 400, s.MyMisY[0] = 16;
    s.MyMisState[1] = kMisFlying, s.MyMisAnim[1] = 1, s.MyMisX[1] = 300, s.MyMisY[1] = 48;
    s.MyMisState[2] = kMisExploding, s.MyMisAnim[2] = 0, s.MyMisX[2] = 200, s.MyMisY[2] = 80;
    s.MyMisState[3] = kMisExploding, s.MyMisAnim[3] = 1, s.MyMisX[3] = 100, s.MyMisY[3] = 112;
    s.EnMisState[4] = kMisFlying, s.EnMisAnim[4] = 0, s.EnMisX[4] = 40, s.EnMisY[4] = 144;
    s.EnMisState[5] = kMisFlying, s.EnMisAnim[5] = 1, s.EnMisX[5] = 90, s.EnMisY[5] = 176;
    s.EnMisState[0] = kMisExploding, s.EnMisAnim[0] = 0, s.EnMisX[0] = 150, s.EnMisY[0] = 16;
    s.EnMisState[1] = kMisExploding, s.EnMisAnim[1] = 1, s.EnMisX[1] = 200, s.EnMisY[1] = 48;
    s.MyMisState[6] = kMisFlying, s.MyMisX[6] = 0,
    s.MyMisY[6] = 250;  // the spare element is never drawn
    Dis_Mis(t.g);
    const Surface& d = t.g.Display;
    const uint32_t black = Rgb(0, 0, 0);
    ExpectCell(d, t.g.PIC, 400, 16, 0, black);
    ExpectCell(d, t.g.PIC, 300, 48, 1, black);
    ExpectCell(d, t.g.PIC, 200, 80, 4, black);
    ExpectCell(d, t.g.PIC, 100, 112, 5, black);
    ExpectCell(d, t.g.PIC, 40, 144, 2, black);
    ExpectCell(d, t.g.PIC, 90, 176, 3, black);
    ExpectCell(d, t.g.PIC, 150, 16, 6, black);
    ExpectCell(d, t.g.PIC, 200, 48, 7, black);
    for (int y = 250; y < 282; ++y)
        for (int x = 0; x < 32; ++x) ASSERT_EQ(d.At(x, y), black);
}

TEST(BattlefieldTest, OpponentsMissilesAreDrawnOverThePlayers) {
    ScreenGame t;
    GameState& s = t.g.s;
    s.EnMisState[0] = kMisFlying, s.EnMisX[0] = 200,
    s.EnMisY[0] = 16;  // lane 0 of the opponent ...
    s.MyMisState[5] = kMisFlying, s.MyMisX[5] = 200,
    s.MyMisY[5] = 16;  // ... under a later lane of ours
    Dis_Mis(t.g);
    for (int dy = 0; dy < 32; ++dy)
        for (int dx = 0; dx < 32; ++dx) {
            const uint32_t mine = Masked(t.g.PIC, 0, dx, dy, Rgb(0, 0, 0));
            ASSERT_EQ(t.g.Display.At(200 + dx, 16 + dy), Masked(t.g.PIC, 2, dx, dy, mine));
        }
}

TEST(BattlefieldTest, BackgroundCoversTheTop224RowsWhenLoaded) {
    for (int loaded : {0, 1}) {
        ScreenGame t;
        t.g.BACKpic.SetBackColor(Rgb(10, 60, 30));
        t.g.s.BackLoaded = static_cast<Integer>(loaded);
        t.g.s.MyMisState[2] = kMisFlying, t.g.s.MyMisX[2] = 240, t.g.s.MyMisY[2] = 80;
        Dis_Mis(t.g);
        const uint32_t ground = loaded ? Rgb(10, 60, 30) : Rgb(0, 0, 0);
        EXPECT_EQ(t.g.Display.At(0, 0), ground);
        EXPECT_EQ(t.g.Display.At(479, 223), ground);
        EXPECT_EQ(t.g.Display.At(0, 224), Rgb(0, 0, 0)) << "the typing rows stay black";
        ExpectCell(t.g.Display, t.g.PIC, 240, 80, 0, ground);
    }
}

}  // namespace
}  // namespace kb
