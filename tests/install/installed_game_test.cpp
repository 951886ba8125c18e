// The installed game: `cmake --install` into a fresh prefix puts the program beside its files in
// lib/kanaburst/ with a link in bin/. The menu entry, the store entry and running the installed
// game are checked on the Debian package (tests/package/round_trip.sh), made by the same rules.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "run_command.h"
#include "test_game.h"

namespace kb::test {
namespace {

namespace fs = std::filesystem;

// Installed into a fresh prefix, the program sits in lib/kanaburst beside its files, linked from
// bin (or where the build was told to put them: the Debian package's). Its --help names where it
// reads: its directory under the prefix (found through the link), and the player's own folder as
// the environment places it.
TEST(InstalledGame, LinksToTheProgramBesideItsFilesAndItsHelpSaysWhere) {
    TempDir prefix;
    ASSERT_EQ(RunCommand("cmake --install " + std::string(KB_BINARY_DIR) + " --prefix " +
                         prefix.Path().string())
                  .status,
              0);
    const fs::path link = prefix.Path() / KB_BIN_DIR / "kanaburst";
    ASSERT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(fs::read_symlink(link), fs::path("..") / KB_INSTALL_DIR / "kanaburst");
    for (const char* file : {"str.dat", "fire.wav", "title.mid", "back.jpg"})
        EXPECT_TRUE(fs::is_regular_file(prefix.Path() / KB_INSTALL_DIR / file)) << file;

    const std::string command = link.string() + " --help";
    const struct {
        std::string environment, folder;
    } cases[] = {
        {"XDG_DATA_HOME=/srv/data HOME=/home/kb", "/srv/data/kanaburst/"},
        {"XDG_DATA_HOME=data HOME=/home/kb", "/home/kb/.local/share/kanaburst/"},
        {"-u XDG_DATA_HOME HOME=/home/kb", "/home/kb/.local/share/kanaburst/"},
    };
    for (const auto& c : cases) {
        const CommandRun r = RunCommand("env " + c.environment + " " + command);
        ASSERT_EQ(r.status, 0) << c.environment;
        const fs::path dir = fs::canonical(prefix.Path() / KB_INSTALL_DIR);
        EXPECT_NE(r.out.find("    " + dir.string() + "/\n"), std::string::npos) << r.out;
        EXPECT_NE(r.out.find("    " + c.folder + "\n"), std::string::npos) << c.environment << ":\n"
                                                                           << r.out;
    }

    // The manual page as installed: the project's version, every placeholder filled in.
    const std::string page =
        ReadFileBytes((prefix.Path() / "share/man/man6/kanaburst.6").string()).bytes;
    EXPECT_NE(page.find("\"Kanaburst " KB_PROJECT_VERSION "\""), std::string::npos);
    EXPECT_EQ(page.find('@'), std::string::npos) << "a placeholder left in the manual page";
}

}  // namespace
}  // namespace kb::test
