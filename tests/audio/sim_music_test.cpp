// The headless driver's music: the real command interpreter over a silent player.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::vector<std::string> MusicLines(const std::string& script, int& status) {
    const fs::path file =
        fs::temp_directory_path() / ("kb-sim-music-" + std::to_string(::getpid()) + ".txt");
    std::ofstream(file) << script;
    const std::string cmd =
        std::string(KB_BINARY_DIR) + "/kanaburst-sim " + file.string() + " 2>&1";
    std::string out;
    FILE* p = popen(cmd.c_str(), "r");
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    const int raw = pclose(p);
    status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    fs::remove(file);
    std::vector<std::string> lines;
    std::istringstream in(out);
    for (std::string line; std::getline(in, line);)
        if (line.rfind("music ", 0) == 0 || line.rfind("kanaburst-sim", 0) == 0)
            lines.push_back(line);
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
