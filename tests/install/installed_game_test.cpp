// The installed game: `cmake --install` into a fresh prefix puts the program beside its files in
// lib/kanaburst/ with a link in bin/. The menu entry, the store entry and running the installed
// game are checked on the Debian package (tests/package/round_trip.sh), made by the same rules.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "test_game.h"

namespace kb::test {
namespace {

namespace fs = std::filesystem;

TEST(InstalledGame, LinksToTheProgramBesideItsFiles) {
    TempDir prefix;
    const std::string install = "cmake --install " + std::string(KB_BINARY_DIR) + " --prefix " +
                                prefix.Path().string() + " >/dev/null";
    ASSERT_EQ(std::system(install.c_str()), 0);

    // lib/kanaburst and bin, or where the build was told to put them (the Debian package's).
    const fs::path link = prefix.Path() / KB_BIN_DIR / "kanaburst";
    ASSERT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(fs::read_symlink(link), fs::path("..") / KB_INSTALL_DIR / "kanaburst");
    for (const char* file : {"str.dat", "fire.wav", "title.mid", "back.jpg"})
        EXPECT_TRUE(fs::is_regular_file(prefix.Path() / KB_INSTALL_DIR / file)) << file;
}

}  // namespace
}  // namespace kb::test
