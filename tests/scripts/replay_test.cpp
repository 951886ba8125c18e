// Every replay in tests/scripts/ played through kanaburst-sim: the states it must show, and its
// screenshots against tests/golden/<name>.png. One test per script file.
#include "scripts/replay.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "golden_image.h"
#include "scripts/reading_keys.h"
#include "shell/ustr.h"

namespace kb::test {
namespace {

namespace fs = std::filesystem;

fs::path ScriptsDir() {
    return fs::path(KB_SOURCE_DIR) / "tests" / "scripts";
}

std::vector<std::string> ScriptNames() {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(ScriptsDir()))
        if (entry.path().extension() == ".txt") names.push_back(entry.path().stem().string());
    std::sort(names.begin(), names.end());
    return names;
}

void ExpectStates(const Replay& r, const SimRun& run) {
    ASSERT_EQ(run.states.size(), r.states.size()) << run.out;
    for (size_t i = 0; i < r.states.size(); ++i) {
        for (const Expectation& x : r.states[i]) {
            const auto actual = StateValue(run.states[i], x.field, x.index);
            const std::string name =
                x.field + (x.index >= 0 ? "[" + std::to_string(x.index) + "]" : "");
            EXPECT_EQ(actual.value_or("<missing>"), x.value)
                << r.path.filename().string() << ":" << x.line << ": " << name << " in state "
                << i + 1;
        }
    }
}

class ReplayTest : public ::testing::TestWithParam<std::string> {};

TEST_P(ReplayTest, ShowsWhatItSays) {
    const Replay r = ParseReplay(ScriptsDir() / (GetParam() + ".txt"));
    ASSERT_FALSE(r.words.empty()) << "a replay names its word list with #@ words";
    ASSERT_FALSE(r.states.empty()) << "a replay checks something";
    TempDir programDir, work;
    const SimRun run = PlayReplay(r, programDir, work.Path());
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(run.out.find("msgbox"), std::string::npos) << run.out;
    ExpectStates(r, run);
    for (const std::string& shot : r.shots)
        ExpectGoldenFile(work.Path() / shot, fs::path(shot).stem().string());
}

INSTANTIATE_TEST_SUITE_P(Scripts, ReplayTest, ::testing::ValuesIn(ScriptNames()),
                         [](const auto& info) { return info.param; });

TEST(ReplayFormat, ExpectationsFollowTheirStateAndCommentsEndLines) {
    const Replay r = ParseReplayText(
        "#@ words kaki.dat\nframes 2   # two\nstate\n#= SceneNo 1\n#= MyMisX[3] 40\n"
        "state  # again\n#= Wrong [\"0001:か:KI  \"]\nshot a.png\n");
    EXPECT_EQ(r.words, "kaki.dat");
    ASSERT_EQ(r.states.size(), 2u);
    ASSERT_EQ(r.states[0].size(), 2u);
    EXPECT_EQ(r.states[0][1].field, "MyMisX");
    EXPECT_EQ(r.states[0][1].index, 3);
    EXPECT_EQ(r.states[0][1].value, "40");
    EXPECT_EQ(r.states[1][0].value, "[\"0001:か:KI  \"]");
    EXPECT_EQ(r.shots, std::vector<std::string>{"a.png"});
    EXPECT_THROW(ParseReplayText("#= SceneNo 1\n"), std::runtime_error);
}

TEST(ReplayFormat, StateValuesAreRawJson) {
    const std::string json = R"({"A":12,"B":"x,\"]y","C":[1,-2,3],"D":["p","q]"],"E":2.5})";
    EXPECT_EQ(StateValue(json, "A"), "12");
    EXPECT_EQ(StateValue(json, "B"), R"("x,\"]y")");
    EXPECT_EQ(StateValue(json, "C"), "[1,-2,3]");
    EXPECT_EQ(StateValue(json, "C", 1), "-2");
    EXPECT_EQ(StateValue(json, "D", 1), R"("q]")");
    EXPECT_EQ(StateValue(json, "E"), "2.5");
    EXPECT_EQ(StateValue(json, "C", 3), std::nullopt);
    EXPECT_EQ(StateValue(json, "Z"), std::nullopt);
}

// The match-over shots show what their names say, whatever the references hold.
TEST(ReplayShots, CurtainThenTheResultAlone) {
    const Replay r = ParseReplay(ScriptsDir() / "match_over_shots.txt");
    TempDir programDir, work;
    const SimRun run = PlayReplay(r, programDir, work.Path());
    ASSERT_EQ(run.status, 0) << run.out;
    auto load = [&](const std::string& name, std::vector<uint32_t>& px) {
        int w = 0, h = 0;
        std::string error;
        SdlImageLoader loader;
        ASSERT_TRUE(loader.Load((work.Path() / name).string(), w, h, px, error)) << error;
        ASSERT_EQ(w * h, 480 * 320);
    };
    std::vector<uint32_t> wave, curtain, result;
    load("replay_over_frame20.png", wave);
    load("replay_over_frame35.png", curtain);
    load("replay_over_frame50.png", result);
    // Below the texts (the last, "Press any key", ends near row 292) every even row of the
    // curtain frame is the curtain's grey, and the result screen stands on black.
    for (int y = 296; y < 320; ++y) {
        for (int x = 0; x < 480; ++x) {
            if (y % 2 == 0) {
                ASSERT_EQ(curtain[y * 480 + x], Rgb(240, 240, 240)) << x << "," << y;
            }
            ASSERT_EQ(result[y * 480 + x], 0u) << x << "," << y;
        }
    }
    // Right of the figures and above the key prompt the result screen has no text: the flames
    // of the lost base burn there in frame 20, and nothing is left of them in frame 50.
    long burning = 0, left = 0;
    for (int y = 0; y < 260; ++y) {
        for (int x = 240; x < 480; ++x) {
            burning += wave[y * 480 + x] != 0u;
            left += result[y * 480 + x] != 0u;
        }
    }
    EXPECT_GT(burning, 5000);
    EXPECT_EQ(left, 0);
}

// The player's win again, on the bundled list: the words come in the shuffled order, so the
// keys are worked out from the list the game loaded. The frame is the same as with kaki5.dat
// (player_wins_typing_every_word.txt): it depends on when the words are fired, not on which.
TEST(ReplayBundled, PlayerTypesEveryWordAndWins) {
    const SimRun list = RunSim("state\n");
    ASSERT_EQ(list.states.size(), 1u) << list.out;

    std::string script = "frames 15\nkey 13\nframes 60\n";
    int keys = 0;
    for (int word = 0; word < 9; ++word) {
        const std::string quoted = StateValue(list.states[0], "Yomi", word).value_or("");
        ASSERT_GE(quoted.size(), 2u) << "the bundled list has fewer than 9 words";
        const std::string utf8 = quoted.substr(1, quoted.size() - 2);
        const std::u16string reading = FromUtf8(utf8);
        const auto typed = KeysForReading(reading);
        ASSERT_TRUE(typed.has_value()) << "no keys type the reading " << utf8;
        keys += typed->keys;
        script += "# " + utf8 + "\n" + typed->lines + "key 13\n";
        script += word < 8 ? "frames 5\n" : "frames 2\nstate\nframes 1\nstate\n";
    }
    const SimRun run = RunSim(script);
    ASSERT_EQ(run.status, 0) << run.out;
    ASSERT_EQ(run.states.size(), 2u) << script << run.out;
    EXPECT_EQ(StateValue(run.states[0], "SceneNo"), "1");
    EXPECT_EQ(StateValue(run.states[0], "MyMisX", 0), "40");
    EXPECT_EQ(StateValue(run.states[1], "SceneNo"), "2");
    EXPECT_EQ(StateValue(run.states[1], "GameResult"), "\"WIN\"");
    EXPECT_EQ(StateValue(run.states[1], "MissCount"), "0");
    EXPECT_EQ(StateValue(run.states[1], "TypeCount"), std::to_string(keys));
}

}  // namespace
}  // namespace kb::test
