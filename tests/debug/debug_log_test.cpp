// The debug console as the game drives it: the opening gesture, the log, COPY, the command box,
// and the number reading its commands rely on.
#include "debug/debug_log.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "debug/basic_val.h"
#include "platform/console_log.h"
#include "platform/debug_console.h"
#include "test_game.h"
#include "text/ustr.h"
#include "typing/key_codes.h"

namespace kb {
namespace {

using Lines = std::vector<std::string>;

Services WithConsole(DebugConsole& win) {
    Services sv;
    sv.debugWin = &win;
    return sv;
}

// The right button with Shift alone, within 32 pixels (480 twips) of the corner.
TEST(DebugGesture, OpensOnlyWithTheRightButtonAndShiftInTheCorner) {
    const struct {
        int button, shift;
        float x, y;
        bool opens;
    } cases[] = {
        {2, 1, 479.9f, 479.9f, true}, {2, 1, 0, 0, true},  {2, 1, 480, 0, false},
        {2, 1, 0, 480, false},        {2, 3, 0, 0, false}, {2, 0, 0, 0, false},
        {1, 1, 0, 0, false},          {4, 1, 0, 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.button << " " << c.shift << " " << c.x << "," << c.y);
        HeadlessDebugConsole win;
        test::TestGame t(WithConsole(win));
        Display_MouseDown(t.g, c.button, c.shift, c.x, c.y);
        EXPECT_EQ(win.Visible(), c.opens);
        EXPECT_EQ(win.Loaded(), c.opens) << "a press that is not the gesture creates nothing";
    }
}

TEST(DebugLog, KindsGetTheirPrefixesAndEveryCallIsTraced) {
    HeadlessDebugConsole win;
    test::TestGame t(WithConsole(win));
    DebugAdd(t.g, 1, u"dropped");  // hidden: traced, never kept for later
    EXPECT_TRUE(win.Loaded());
    EXPECT_FALSE(win.Visible());
    Display_MouseDown(t.g, 2, 1, 0, 0);
    DebugAdd(t.g, 0, u"0401");
    DebugAdd(t.g, 1, u"51");
    DebugAdd(t.g, 2, u"GAME START");
    DebugAdd(t.g, 255, u"y");
    EXPECT_EQ(win.Log().Text(), u"← SND : 0401\r\n→ GET : 51\r\nGAME START\r\ny\r\n");
    EXPECT_EQ(t.trace,
              (Lines{"log 1 dropped", "log 0 0401", "log 1 51", "log 2 GAME START", "log 255 y"}));
    win.clipboard = u"something before";
    Command1_Click(t.g);
    EXPECT_EQ(win.clipboard, win.Log().Text());
}

// The first two characters are the code, read as BASIC's Val and rounded to even as a number
// stored in an integer is; the rest is its parameter.
TEST(DebugCommand, EnterQueuesTheMessageLogsTheCommandAndEmptiesTheBox) {
    const struct {
        std::u16string box, queued;
    } cases[] = {
        {u"993", u"993"},   {u"4", u"04"},    {u"x12", u"002"}, {u" 5x", u"05x"},
        {u"51 2", u"51 2"}, {u"1.5", u"015"}, {u".9", u"01"},   {u".5", u"00"},
    };
    for (const bool shown : {true, false}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(ToUtf8(c.box));
            HeadlessDebugConsole win;
            test::TestGame t(WithConsole(win));
            if (shown) Display_MouseDown(t.g, 2, 1, 0, 0);
            SndTxt_KeyDown(t.g, kVkReturn, 0);  // an empty box does nothing
            win.SetCommandText(c.box);
            for (int key : {kVkA, kVkEscape, kVkSpace, int{'\n'}, kVkBack})
                SndTxt_KeyDown(t.g, key, 0);  // and no other key does anything
            EXPECT_EQ(t.trace, std::vector<std::string>{});
            SndTxt_KeyDown(t.g, kVkReturn, 0);
            EXPECT_EQ(t.g.s.SendList[0], c.queued);
            EXPECT_TRUE(t.Traced("log 2 DEBUG : " + ToUtf8(c.box)));
            EXPECT_EQ(win.CommandText(), u"");
            const std::u16string logged =
                u"← SND : " + c.queued + u"\r\nDEBUG : " + c.box + u"\r\n";
            EXPECT_EQ(win.Log().Text(), shown ? logged : u"");
        }
    }
}

// CR LF, a lone CR and a lone LF inside an entry each start a line of their own.
TEST(ConsoleLog, EntriesEndWithCrLfAndBreaksInsideThemStartLines) {
    ConsoleLog log;
    for (const char16_t* entry : {u"← SND", u"", u"a\r\nb", u"c\nd", u"e\rf", u"g\r", u"\n"})
        log.Append(entry);
    EXPECT_EQ(log.Text(), u"← SND\r\n\r\na\r\nb\r\nc\nd\r\ne\rf\r\ng\r\r\n\n\r\n");
    std::vector<std::u16string> lines;
    for (size_t i = 0; i < log.LineCount(); ++i) lines.emplace_back(log.Line(i));
    EXPECT_EQ(lines, (std::vector<std::u16string>{u"← SND", u"", u"a", u"b", u"c", u"d", u"e", u"f",
                                                  u"g", u"", u"", u""}));
}

TEST(Val, ReadsTheLeadingNumberAsBasicDoes) {
    const struct {
        std::u16string_view text;
        double value;
    } cases[] = {
        {u"99", 99},   {u"9x", 9},     {u"x1", 0},  {u"", 0},        {u" 5", 5}, {u"5 ", 5},
        {u"1 2", 12},  {u"\t7", 7},    {u"\n4", 4}, {u"-1", -1},     {u"+3", 3}, {u"-", 0},
        {u"+-1", 0},   {u".5", 0.5},   {u"1.", 1},  {u"1.2.3", 1.2}, {u"1e", 1}, {u"1e2", 100},
        {u"1D2", 100}, {u"2e-1", 0.2}, {u"e5", 0},  {u"12abc", 12},  {u"&H", 0}, {u"0401", 401},
    };
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(Val(c.text), c.value) << std::string(c.text.begin(), c.text.end());
}

}  // namespace
}  // namespace kb
