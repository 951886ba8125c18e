// The headless driver's music: the real command interpreter over a silent player.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "sim_runner.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::string> MusicLines(const std::string& script, int& status) {
    const kb::test::SimRun r = kb::test::RunSim(script);
    status = r.status;
    std::vector<std::string> lines = r.LinesStartingWith("music ");
    for (const std::string& error : r.LinesStartingWith("kanaburst-sim")) lines.push_back(error);
    return lines;
}

TEST(SimMusic, TitlePieceStartsOnceAndIsNotRestartedWhenItEnds) {
    int status = 0;
    const auto lines = MusicLines("frames 2\nmusicend\nframes 30\n", status);
    EXPECT_EQ(status, 0);
    const std::vector<std::string> expected = {
        "music stop Media", "music close Media",
        "music open \"" + (fs::path(KB_BINARY_DIR) / "title.mid").string() + "\" alias Media",
        "music play Media"};
    EXPECT_EQ(lines, expected);
}

}  // namespace
