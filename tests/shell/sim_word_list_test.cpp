// The word list and the key routines through the headless driver, as a player's session runs.
#include <gtest/gtest.h>

#include <string>

#include "sim_runner.h"
#include "test_game.h"

namespace kb::test {
namespace {

SimRun RunIn(const TempDir& dir, const std::string& script) {
    return RunSim(script, "--dir " + dir.Path().string());
}

TEST(SimWordList, OneEntryFileIsLoadedAndKeysCollectOnTheTitle) {
    TempDir dir;
    dir.WriteFile("str.dat", "\x8a\x60,\x82\xa9\x82\xab\r\n");  // 柿,かき in code page 932
    const SimRun r = RunIn(dir, "state\ntype ki\nkey 38\nstate\n");
    ASSERT_EQ(r.status, 0) << r.out;
    ASSERT_EQ(r.states.size(), 2u) << r.out;
    EXPECT_EQ(r.out.find("msgbox"), std::string::npos) << r.out;
    EXPECT_EQ(JsonField(r.states[0], "Goku"), "[\"柿\"]");
    EXPECT_EQ(JsonField(r.states[0], "Yomi"), "[\"かき\"]");
    EXPECT_EQ(JsonField(r.states[0], "SceneNo"), "0");
    // On the title letters collect unjudged, and Up moves the cursor and the lane.
    EXPECT_EQ(JsonField(r.states[1], "InputStr"), "\"KI\"");
    EXPECT_EQ(JsonField(r.states[1], "MissCount"), "0");
    EXPECT_EQ(JsonField(r.states[1], "Wrong"), "[]");
    EXPECT_EQ(JsonField(r.states[1], "MenuNo"), "8");
    EXPECT_EQ(JsonField(r.states[1], "LaneNo"), "5");
    EXPECT_EQ(JsonField(r.states[1], "LastKeyStr"), "\"38\"");
    EXPECT_EQ(JsonField(r.states[1], "LastKeyUp"), "38");
}

TEST(SimWordList, MissingFileShowsAnEmptyBoxAndTheGameGoesOn) {
    TempDir dir;
    const SimRun r = RunIn(dir, "frames 3\nstate\n");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("msgbox Kanaburst|\n"), std::string::npos) << r.out;
    ASSERT_EQ(r.states.size(), 1u);
    EXPECT_EQ(JsonField(r.states[0], "Yomi"), "[]");
}

}  // namespace
}  // namespace kb::test
