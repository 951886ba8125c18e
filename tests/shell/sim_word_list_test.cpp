// The word list and the key routines through the headless driver, as a player's session runs.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "test_game.h"

namespace kb::test {
namespace {

struct SimRun {
    int status = -1;
    std::vector<std::string> states;  // the JSON of each `state` line, in order
    std::string out;
};

SimRun RunSim(const TempDir& dir, const std::string& script) {
    dir.WriteFile("script.txt", script);
    const std::string cmd = std::string(KB_BINARY_DIR) + "/kanaburst-sim --dir " +
                            dir.Path().string() + " " + (dir.Path() / "script.txt").string() +
                            " 2>&1";
    SimRun r;
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return r;
    char buf[4096];
    std::size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
    const int raw = pclose(p);
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    std::istringstream lines(r.out);
    for (std::string line; std::getline(lines, line);)
        if (line.starts_with("state ")) r.states.push_back(line.substr(6));
    return r;
}

// The raw JSON value of a field: a number, a quoted string or a whole list.
std::string Field(const std::string& json, const std::string& name) {
    const auto at = json.find("\"" + name + "\":");
    if (at == std::string::npos) return "<missing>";
    const auto start = at + name.size() + 3;
    if (json[start] == '[') return json.substr(start, json.find(']', start) + 1 - start);
    if (json[start] == '"') return json.substr(start, json.find('"', start + 1) + 1 - start);
    return json.substr(start, json.find_first_of(",}", start) - start);
}

TEST(SimWordList, OneEntryFileIsLoadedAndKeysCollectOnTheTitle) {
    TempDir dir;
    dir.WriteFile("str.dat", "\x8a\x60,\x82\xa9\x82\xab\r\n");  // 柿,かき in code page 932
    const SimRun r = RunSim(dir, "state\ntype ki\nkey 38\nstate\n");
    ASSERT_EQ(r.status, 0) << r.out;
    ASSERT_EQ(r.states.size(), 2u) << r.out;
    EXPECT_EQ(r.out.find("msgbox"), std::string::npos) << r.out;
    EXPECT_EQ(Field(r.states[0], "Goku"), "[\"柿\"]");
    EXPECT_EQ(Field(r.states[0], "Yomi"), "[\"かき\"]");
    EXPECT_EQ(Field(r.states[0], "SceneNo"), "0");
    // On the title letters collect unjudged, and Up moves the cursor and the lane.
    EXPECT_EQ(Field(r.states[1], "InputStr"), "\"KI\"");
    EXPECT_EQ(Field(r.states[1], "MissCount"), "0");
    EXPECT_EQ(Field(r.states[1], "Wrong"), "[]");
    EXPECT_EQ(Field(r.states[1], "MenuNo"), "8");
    EXPECT_EQ(Field(r.states[1], "LaneNo"), "5");
    EXPECT_EQ(Field(r.states[1], "LastKeyStr"), "\"38\"");
    EXPECT_EQ(Field(r.states[1], "LastKeyUp"), "38");
}

TEST(SimWordList, MissingFileShowsAnEmptyBoxAndTheGameGoesOn) {
    TempDir dir;
    const SimRun r = RunSim(dir, "frames 3\nstate\n");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("msgbox Kanaburst|\n"), std::string::npos) << r.out;
    ASSERT_EQ(r.states.size(), 1u);
    EXPECT_EQ(Field(r.states[0], "Yomi"), "[]");
}

}  // namespace
}  // namespace kb::test
