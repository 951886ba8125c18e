#include "test_game.h"

#include <gtest/gtest.h>

namespace kb::test {
namespace {

TEST(TestGameTest, ProgramDirectoryIsFreshAndSeen) {
    TestGame t;
    EXPECT_FALSE(FilePresent(t.g, "str.dat"));
    t.WriteFile("str.dat", "a,b\r\n");
    EXPECT_TRUE(FilePresent(t.g, "str.dat"));
    TestGame other;
    EXPECT_FALSE(FilePresent(other.g, "str.dat"));
}

TEST(TestGameTest, CollectsTraceLinesInOrder) {
    TestGame t;
    MsgBox(t.g, u"一");
    EndProgram(t.g);
    EXPECT_EQ(t.trace, (std::vector<std::string>{"msgbox Kanaburst|一", "exit"}));
    EXPECT_TRUE(t.Traced("exit"));
    EXPECT_EQ(t.TracedStartingWith("msgbox ").size(), 1u);
}

TEST(TestGameTest, ClockOnlyMovesWhenTold) {
    TestGame t;
    const int second = WallSecond(t.g);
    EXPECT_EQ(WallSecond(t.g), second);
    t.clock.Advance(1000);
    EXPECT_EQ(WallSecond(t.g), (second + 1) % 60);
}

}  // namespace
}  // namespace kb::test
