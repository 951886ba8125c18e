// The debug console as the game drives it: the opening gesture, the log, COPY, the command box.
#include "debug/debug_log.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/debug_console.h"
#include "shell/ustr.h"
#include "test_game.h"
#include "typing/key_codes.h"

namespace kb {
namespace {

Services WithConsole(DebugConsole& win) {
    Services sv;
    sv.debugWin = &win;
    return sv;
}

class DebugLog : public ::testing::Test {
  protected:
    Game& G() { return t_.g; }
    void Open() { Display_MouseDown(G(), 2, 1, 0, 0); }
    void Enter(const std::u16string& box) {
        win_.SetCommandText(box);
        SndTxt_KeyDown(G(), kVkReturn, 0);
    }

    HeadlessDebugConsole win_;
    test::TestGame t_{WithConsole(win_)};
    std::vector<std::string>& lines_ = t_.trace;
};

TEST_F(DebugLog, GestureOpensOnlyWithTheRightButtonAndShiftInTheCorner) {
    const struct {
        int button, shift;
        float x, y;  // twips, 15 to the pixel
        bool opens;
    } cases[] = {
        {2, 1, 31 * 15, 31 * 15, true},
        {2, 1, 0, 0, true},
        {2, 1, 479.9f, 479.9f, true},
        {2, 1, 32 * 15, 0, false},
        {2, 1, 0, 32 * 15, false},
        {2, 1, 480, 480, false},
        {2, 3, 31 * 15, 31 * 15, false},
        {2, 5, 0, 0, false},
        {2, 0, 0, 0, false},
        {1, 1, 0, 0, false},
        {4, 1, 0, 0, false},
        {3, 1, 0, 0, false},
    };
    for (const auto& c : cases) {
        HeadlessDebugConsole win;
        test::TestGame t(WithConsole(win));
        Display_MouseDown(t.g, c.button, c.shift, c.x, c.y);
        EXPECT_EQ(win.Visible(), c.opens) << c.button << " " << c.shift << " " << c.x << "," << c.y;
        // A press that is not the gesture leaves the window uncreated.
        EXPECT_EQ(win.Loaded(), c.opens) << c.button << " " << c.shift << " " << c.x << "," << c.y;
    }
}

TEST_F(DebugLog, KindsGetTheirPrefixesAndEveryCallIsTraced) {
    Open();
    const struct {
        int kind;
        std::u16string text, line;
        std::string trace;
    } cases[] = {
        {0, u"0401", u"← SND : 0401\r\n", "log 0 0401"},
        {1, u"51", u"→ GET : 51\r\n", "log 1 51"},
        {2, u"GAME START", u"GAME START\r\n", "log 2 GAME START"},
        {3, u"x", u"x\r\n", "log 3 x"},
        {255, u"y", u"y\r\n", "log 255 y"},
    };
    std::u16string expected;
    for (const auto& c : cases) {
        lines_.clear();
        DebugAdd(G(), c.kind, c.text);
        expected += c.line;
        EXPECT_EQ(win_.Log().Text(), expected) << c.kind;  // the log only grows
        EXPECT_EQ(lines_, std::vector<std::string>{c.trace});
    }
}

TEST_F(DebugLog, NothingIsLoggedWhileHiddenAndDroppedLinesStayDropped) {
    DebugAdd(G(), 1, u"51");
    DebugAdd(G(), 2, u"ConnectionRequest");
    EXPECT_TRUE(win_.Loaded());  // the first use creates the window, hidden
    EXPECT_FALSE(win_.Visible());
    EXPECT_EQ(win_.Log().Text(), u"");
    EXPECT_EQ(lines_, (std::vector<std::string>{"log 1 51", "log 2 ConnectionRequest"}));
    Open();
    DebugAdd(G(), 0, u"00");
    EXPECT_EQ(win_.Log().Text(), u"← SND : 00\r\n");
}

TEST_F(DebugLog, CopyPutsTheWholeLogOnTheClipboardAndKeepsIt) {
    win_.clipboard = u"something before";
    Command1_Click(G());
    EXPECT_EQ(win_.clipboard, u"");  // an empty log copies as an empty text
    Open();
    DebugAdd(G(), 0, u"0401");
    DebugAdd(G(), 1, u"05");
    Command1_Click(G());
    EXPECT_EQ(win_.clipboard, u"← SND : 0401\r\n→ GET : 05\r\n");
    EXPECT_EQ(win_.Log().Text(), win_.clipboard);
}

TEST_F(DebugLog, ClosingDiscardsTheLogAndTheNextOpeningStartsEmpty) {
    Open();
    DebugAdd(G(), 2, u"GAME START");
    win_.SetCommandText(u"04");
    win_.Unload();
    DebugAdd(G(), 2, u"after closing");
    EXPECT_TRUE(win_.Loaded());
    EXPECT_FALSE(win_.Visible());
    Open();
    EXPECT_EQ(win_.Log().Text(), u"");
    EXPECT_EQ(win_.CommandText(), u"");
    Command1_Click(G());
    EXPECT_EQ(win_.clipboard, u"");
}

TEST_F(DebugLog, EnterLogsTheCommandAndEmptiesTheBox) {
    Open();
    Enter(u"993");
    EXPECT_EQ(win_.CommandText(), u"");
    // The message is logged as it goes out, then the command as typed.
    EXPECT_EQ(win_.Log().Text(), u"← SND : 993\r\nDEBUG : 993\r\n");
    EXPECT_EQ(G().s.SendList[0], u"993");
}

TEST(DebugCommand, FirstTwoCharactersAreTheCodeAndTheRestItsParameter) {
    const struct {
        std::u16string box, queued;
    } cases[] = {
        {u"993", u"993"},
        {u"0401", u"0401"},
        {u"4", u"04"},
        {u"x1", u"00"},
        {u"x12", u"002"},
        {u" 5x", u"05x"},
        {u"51 2", u"51 2"},
        {u"9", u"09"},
        {u"1.5", u"015"},
        {u".9", u"01"},
        // Half-way codes go to the even neighbour, as a number stored in an integer does.
        {u".5", u"00"},
    };
    for (const auto& c : cases) {
        HeadlessDebugConsole win;
        test::TestGame t(WithConsole(win));
        win.SetCommandText(c.box);
        SndTxt_KeyDown(t.g, kVkReturn, 0);
        EXPECT_EQ(t.g.s.SendList[0], c.queued) << ToUtf8(c.box);
        EXPECT_TRUE(t.Traced("send " + ToUtf8(c.queued))) << ToUtf8(c.box);
        EXPECT_TRUE(t.Traced("log 2 DEBUG : " + ToUtf8(c.box))) << ToUtf8(c.box);
        EXPECT_EQ(win.CommandText(), u"");
    }
}

TEST_F(DebugLog, CommandWhileHiddenIsTracedButNotLogged) {
    Enter(u"0401");
    EXPECT_FALSE(win_.Visible());
    EXPECT_EQ(win_.Log().Text(), u"");
    EXPECT_EQ(win_.CommandText(), u"");
    EXPECT_NE(std::find(lines_.begin(), lines_.end(), "log 2 DEBUG : 0401"), lines_.end());
}

TEST_F(DebugLog, EmptyBoxAndOtherKeysDoNothing) {
    Open();
    Enter(u"");
    win_.SetCommandText(u"0401");
    for (int key : {kVkA, kVkEscape, kVkSpace, int{'\n'}, kVkBack}) SndTxt_KeyDown(G(), key, 0);
    EXPECT_EQ(win_.CommandText(), u"0401");
    EXPECT_EQ(win_.Log().Text(), u"");
    EXPECT_TRUE(lines_.empty());
    EXPECT_TRUE(G().s.SendList[0].empty());
}

// A log window that breaks while logging: the command is dropped and the box still emptied.
class BrokenConsole : public HeadlessDebugConsole {
  public:
    void AppendLog(std::u16string_view) override { throw std::runtime_error("broken"); }
};

TEST(DebugLogFailure, AFailingStepEmptiesTheBox) {
    BrokenConsole win;
    test::TestGame t(WithConsole(win));
    Display_MouseDown(t.g, 2, 1, 0, 0);
    win.SetCommandText(u"993");
    SndTxt_KeyDown(t.g, kVkReturn, 0);
    EXPECT_EQ(win.CommandText(), u"");
}

TEST_F(DebugLog, AppendingDoesNotCopyTheLogPerLine) {
    Open();
    const std::u16string line = u"← SND : 0401";
    size_t moves = 0;
    const char16_t* at = win_.Log().Text().data();
    for (int i = 0; i < 100000; ++i) {
        DebugAdd(G(), 2, line);
        if (win_.Log().Text().data() != at) {
            ++moves;
            at = win_.Log().Text().data();
        }
    }
    EXPECT_EQ(win_.Log().LineCount(), 100000u);
    EXPECT_EQ(win_.Log().Text().size(), 100000u * (line.size() + 2));
    // Growing by doubling moves the text a few dozen times at most; a copy per line would
    // move it on every append.
    EXPECT_LT(moves, 40u);
}

}  // namespace
}  // namespace kb
