#include "debug/console_log.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kb {
namespace {

std::vector<std::u16string> Lines(const ConsoleLog& log) {
    std::vector<std::u16string> out;
    for (size_t i = 0; i < log.LineCount(); ++i) out.emplace_back(log.Line(i));
    return out;
}

TEST(ConsoleLog, EachEntryEndsWithCrLf) {
    ConsoleLog log;
    log.Append(u"← SND : 0401");
    log.Append(u"");
    log.Append(u"GAME START");
    EXPECT_EQ(log.Text(), u"← SND : 0401\r\n\r\nGAME START\r\n");
    EXPECT_EQ(Lines(log), (std::vector<std::u16string>{u"← SND : 0401", u"", u"GAME START"}));
}

TEST(ConsoleLog, BreaksInsideAnEntryStartLinesOfTheirOwn) {
    ConsoleLog log;
    log.Append(u"a\r\nb");
    log.Append(u"c\nd");
    log.Append(u"e\rf");
    log.Append(u"g\r");
    log.Append(u"\n");
    EXPECT_EQ(log.Text(), u"a\r\nb\r\nc\nd\r\ne\rf\r\ng\r\r\n\n\r\n");
    EXPECT_EQ(Lines(log), (std::vector<std::u16string>{u"a", u"b", u"c", u"d", u"e", u"f", u"g",
                                                       u"", u"", u""}));
}

TEST(ConsoleLog, ClearForgetsEverything) {
    ConsoleLog log;
    log.Append(u"x");
    log.Clear();
    EXPECT_EQ(log.Text(), u"");
    EXPECT_EQ(log.LineCount(), 0u);
    log.Append(u"y");
    EXPECT_EQ(Lines(log), (std::vector<std::u16string>{u"y"}));
}

}  // namespace
}  // namespace kb
