// The installed game: `cmake --install` into a fresh prefix, then the program started through
// its link in bin/ from another directory must find its own files in lib/kanaburst/ and run.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "test_game.h"

namespace kb::test {
namespace {

namespace fs = std::filesystem;

std::string Slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(InstalledGame, RunsThroughItsLinkAndFindsItsFiles) {
    TempDir prefix;
    const std::string install = "cmake --install " + std::string(KB_BINARY_DIR) + " --prefix " +
                                prefix.Path().string() + " >/dev/null";
    ASSERT_EQ(std::system(install.c_str()), 0);

    const fs::path link = prefix.Path() / "bin" / "kanaburst";
    ASSERT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(fs::read_symlink(link), fs::path("../lib/kanaburst/kanaburst"));
    for (const char* file : {"str.dat", "fire.wav", "title.mid", "back.jpg"})
        EXPECT_TRUE(fs::is_regular_file(prefix.Path() / "lib/kanaburst" / file)) << file;
    const std::string desktop = Slurp(prefix.Path() / "share/applications/kanaburst.desktop");
    EXPECT_NE(desktop.find("Exec=" + link.string() + "\n"), std::string::npos) << desktop;
    EXPECT_NE(desktop.find("Icon=kanaburst\n"), std::string::npos);
    EXPECT_TRUE(fs::is_regular_file(prefix.Path() / "share/icons/hicolor/scalable/apps/kanaburst.svg"));
    EXPECT_TRUE(fs::is_regular_file(prefix.Path() / "share/icons/hicolor/48x48/apps/kanaburst.png"));

    // Run from elsewhere for two seconds. A missing word list would show its box (printed to
    // standard error without a display), a failed start-up would end before any frame.
    TempDir elsewhere;
    const fs::path frames = elsewhere.Path() / "frames.txt", err = elsewhere.Path() / "err.txt";
    const std::string run = "cd " + elsewhere.Path().string() +
                            " && SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy KB_FRAME_LOG=" +
                            frames.string() + " timeout -s TERM 2 " + link.string() + " 2>" +
                            err.string() + " >/dev/null";
    std::system(run.c_str());
    const std::string log = Slurp(frames);
    EXPECT_GE(std::count(log.begin(), log.end(), '\n'), 10) << Slurp(err);
    EXPECT_EQ(Slurp(err).find("Kanaburst:"), std::string::npos) << Slurp(err);
}

}  // namespace
}  // namespace kb::test
