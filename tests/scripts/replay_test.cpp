// Every replay in tests/scripts/ played through kanaburst-sim: the states it must show, its
// transcript against tests/golden/<name>.trace and its screenshots against
// tests/golden/<shot>.png. One test per script file.
#include "scripts/replay.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

#include "golden_image.h"

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

void ExpectStates(const Replay& r, const ReplayRun& run) {
    ASSERT_EQ(run.states.size(), r.states.size()) << run.sim.out;
    for (size_t i = 0; i < r.states.size(); ++i) {
        for (const Expectation& x : r.states[i]) {
            const std::string name =
                x.field + (x.index >= 0 ? "[" + std::to_string(x.index) + "]" : "");
            EXPECT_EQ(JsonField(run.states[i], x.field, x.index), x.value)
                << r.path.filename().string() << ":" << x.line << ": " << name << " in state "
                << i + 1;
        }
    }
}

// Like the pictures: a mismatch writes NAME-Actual.trace to compare; KB_UPDATE_GOLDEN=NAME
// rewrites the reference and still says what changed.
void ExpectTranscript(const std::string& actual, const std::string& name) {
    const fs::path dir = fs::path(KB_SOURCE_DIR) / "tests" / "golden";
    const fs::path expectedFile = dir / (name + ".trace"),
                   actualFile = dir / (name + "-Actual.trace");
    std::ifstream file(expectedFile, std::ios::binary);
    std::stringstream expected;
    expected << file.rdbuf();
    const std::string changes = DescribeChanges(expected.str(), actual);
    if (UpdateNamed({name})) {
        std::ofstream(expectedFile, std::ios::binary) << actual;
        if (!changes.empty()) std::cerr << "updated " << name << ".trace: " << changes << "\n";
    } else if (!changes.empty()) {
        std::ofstream(actualFile, std::ios::binary) << actual;
        ADD_FAILURE() << name << ".trace: " << changes << "\nsee " << actualFile;
        return;
    }
    fs::remove(actualFile);
}

class ReplayTest : public ::testing::TestWithParam<std::string> {};

TEST_P(ReplayTest, ShowsWhatItSays) {
    const Replay r = ParseReplay(ScriptsDir() / (GetParam() + ".txt"));
    ASSERT_FALSE(r.words.empty()) << "a replay names its word list with #@ words";
    TempDir programDir, work;
    const ReplayRun run = PlayReplay(r, programDir, work.Path());
    ASSERT_EQ(run.sim.status, 0) << run.sim.out;
    ExpectStates(r, run);
    ExpectTranscript(run.transcript, GetParam());
    for (const std::string& shot : r.shots)
        ExpectGoldenFile(work.Path() / shot, fs::path(shot).stem().string(), GetParam());
}

INSTANTIATE_TEST_SUITE_P(Scripts, ReplayTest, ::testing::ValuesIn(ScriptNames()),
                         [](const auto& info) { return info.param; });

}  // namespace
}  // namespace kb::test
