// The window program plays a replay file in a virtual display (Xvfb), steered by keys sent as a
// player's: it ends on the very picture the driver shows at the replay's end, with the status
// in the corner, and Escape leads to the title.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/sdl/sdl_images.h"
#include "sim_runner.h"
#include "test_game.h"

namespace kb::test {
namespace {

namespace fs = std::filesystem;

bool Installed(const char* tool) {
    return std::system(("command -v " + std::string(tool) + " >/dev/null 2>&1").c_str()) == 0;
}

std::vector<uint32_t> Picture(const fs::path& file, int& w, int& h) {
    std::vector<uint32_t> px;
    std::string error;
    SdlImageLoader loader;
    EXPECT_TRUE(loader.Load(file.string(), w, h, px, error)) << error;
    return px;
}

TEST(WindowReplay, TheWindowPlaysAReplayFileToItsEndAndEscapeLeadsToTheTitle) {
    for (const char* tool : {"xvfb-run", "xdotool", "import"})
        if (!Installed(tool)) GTEST_SKIP() << tool << " is missing (make test installs it)";
    // A match lost to the slowest computer, on the bundled words, in the window program's
    // directory: the driver shows its last frame, as the window must.
    TempDir dir;
    const fs::path replay = dir.Path() / "lost.kbreplay", reference = dir.Path() / "end.png";
    ASSERT_EQ(RunSim("frames 15\nkey 13\nframes 3000\n", "--save-replay '" + replay.string() + "'")
                  .status,
              0);
    const std::string text = ReadFileBytes(replay.string()).bytes;
    const SimRun driver = RunSim(text + "shot " + reference.string() + "\n");
    ASSERT_EQ(driver.status, 0) << driver.out;

    const fs::path shot = dir.Path() / "window.png", frames = dir.Path() / "frames.log";
    const std::string cmd = "cd '" + dir.Path().string() + "' && XDG_DATA_HOME='" +
                            dir.Path().string() + "' xvfb-run -a -s '-screen 0 480x320x24' '" +
                            KB_SOURCE_DIR + "/tests/replay/watch_in_window.sh' '" + KB_BINARY_DIR +
                            "/kanaburst' '" + replay.string() + "' '" + shot.string() + "' '" +
                            frames.string() + "' 2>&1";
    ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;

    int w = 0, h = 0, rw = 0, rh = 0;
    const auto got = Picture(shot, w, h), want = Picture(reference, rw, rh);
    ASSERT_EQ(w, 480);
    ASSERT_EQ(h, 320);
    ASSERT_EQ(rw, w);
    ASSERT_EQ(rh, h);
    long below = 0, corner = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const size_t i = static_cast<size_t>(y) * w + x;
            if ((got[i] & 0xFFFFFF) == (want[i] & 0xFFFFFF)) continue;
            ++(y < 20 && x >= 380 ? corner : below);
        }
    EXPECT_EQ(below, 0) << "the picture is the match's own";
    EXPECT_GT(corner, 20) << "the status is shown in the corner";
}

}  // namespace
}  // namespace kb::test
