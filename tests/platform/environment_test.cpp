#include "platform/posix/environment.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "test_game.h"

namespace kb {
namespace {

using test::ScopedEnv;

// Only the installed game, under whatever prefix, has a folder of the player's; it follows
// XDG_DATA_HOME when that is an absolute path and falls back on ~/.local/share.
TEST(PlayerDataDir, InstalledGameOnlyFollowingXdgDataHome) {
    const struct {
        const char* programDir;
        const char* installDir;
        const char* dataHome;  // nullptr: unset
        const char* home;
        const char* expected;
    } cases[] = {
        {"/usr/lib/games/kanaburst/", "lib/games/kanaburst", nullptr, "/home/p",
         "/home/p/.local/share/kanaburst/"},
        {"/home/p/.local/lib/kanaburst", "lib/kanaburst/", "/data", "/home/p", "/data/kanaburst/"},
        {"/opt/kb/lib/kanaburst/", "/lib/kanaburst", "", "/home/p",
         "/home/p/.local/share/kanaburst/"},
        {"/usr/lib/games/kanaburst/", "lib/games/kanaburst", "relative/data", "/home/p",
         "/home/p/.local/share/kanaburst/"},
        {"/usr/lib/games/kanaburst/", "lib/games/kanaburst", nullptr, nullptr, ""},
        {"/usr/lib/games/kanaburst/", "lib/games/kanaburst", nullptr, "", ""},
        // The build folder, a folder whose name merely ends the same way, no install folder.
        {"/home/p/kanaburst/build/", "lib/kanaburst", nullptr, "/home/p", ""},
        {"/usr/xlib/kanaburst/", "lib/kanaburst", nullptr, "/home/p", ""},
        {"/usr/lib/kanaburst/", "", nullptr, "/home/p", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.programDir) + " " + c.installDir);
        ScopedEnv data("XDG_DATA_HOME", c.dataHome), home("HOME", c.home);
        EXPECT_EQ(PlayerDataDir(c.programDir, c.installDir), c.expected);
    }
}

// KB_TRACE names the file the window program writes its effect lines to, a line each; unset,
// empty or not writable, there is no trace and the program goes on.
TEST(TraceFromEnvironment, WritesLinesOnlyWhereAFileIsNamed) {
    const test::TempDir dir;
    const std::string file = (dir.Path() / "trace.txt").string();
    const std::string unwritable = (dir.Path() / "no-such-folder" / "trace.txt").string();
    for (const char* path : {static_cast<const char*>(nullptr), "", unwritable.c_str()}) {
        const ScopedEnv trace("KB_TRACE", path);
        EXPECT_FALSE(TraceFromEnvironment()) << (path ? path : "unset");
    }
    const ScopedEnv trace("KB_TRACE", file.c_str());
    const auto write = TraceFromEnvironment();
    ASSERT_TRUE(write);
    write("words 3 /home/p/str.dat");
    write("sound play 2");
    EXPECT_EQ(ReadFileBytes(file).bytes, "words 3 /home/p/str.dat\nsound play 2\n");
}

}  // namespace
}  // namespace kb
