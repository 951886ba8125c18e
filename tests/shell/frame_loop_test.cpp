#include <gtest/gtest.h>

#include <utility>

#include "shell/event_loop.h"
#include "shell/game.h"
#include "shell/main_loop.h"

namespace kb {
namespace {

constexpr uint32_t kStart = 3600000;

struct Paced {
    VirtualClock clock{kStart};
    Game g{[this] {
        Services sv;
        sv.clock = &clock;
        return sv;
    }()};
    int refreshes = 0;
    Paced() {
        g.loop.FrameInterval = 67;
        g.loop.LastFrameTime = kStart;
        g.s.SceneNo = 9;  // no scene: frames only clear and refresh
        g.Display.Resize(480, 320);
        g.Display.onRefresh = [this](const Surface&) { ++refreshes; };
    }
};

TEST(FrameLoop, FirstWindowMeasuresOneThenFifteen) {
    Paced p;
    EXPECT_FALSE(FramePass(p.g, kStart + 66));
    EXPECT_TRUE(FramePass(p.g, kStart + 67));
    // FpsTime starts at 0, so the very first frame closes a window.
    EXPECT_EQ(p.g.loop.Fps, 1);
    uint32_t now = kStart + 67;
    for (int i = 0; i < 14; ++i) ASSERT_TRUE(FramePass(p.g, now += 67));
    EXPECT_EQ(p.g.loop.Fps, 1) << "14 frames are 938 ms: the window is still open";
    ASSERT_TRUE(FramePass(p.g, now += 67));
    EXPECT_EQ(p.g.loop.Fps, 15) << "the frame that ends a window is counted in it";
    for (int i = 0; i < 15; ++i) ASSERT_TRUE(FramePass(p.g, now += 67));
    EXPECT_EQ(p.g.loop.Fps, 15);
    EXPECT_EQ(p.refreshes, 31);
}

TEST(FrameLoop, LatenessIsNeverCaughtUp) {
    Paced p;
    ASSERT_TRUE(FramePass(p.g, kStart + 300));  // a frame four intervals late
    EXPECT_FALSE(FramePass(p.g, kStart + 301));
    EXPECT_FALSE(FramePass(p.g, kStart + 366));
    EXPECT_TRUE(FramePass(p.g, kStart + 367));  // timed from the late frame's start
    EXPECT_EQ(p.refreshes, 2);
}

TEST(FrameLoop, TimerWrapDoesNotDisturbPacing) {
    Paced p;
    p.g.loop.LastFrameTime = 0xFFFFFFF0u;
    EXPECT_FALSE(FramePass(p.g, 0x00000020u));  // 48 ms after, across the wrap
    EXPECT_EQ(UntilNextFrame(p.g, 0x00000020u), 19u);
    EXPECT_TRUE(FramePass(p.g, 0x00000033u));  // 67 ms after
    EXPECT_EQ(p.g.loop.LastFrameTime, 0x33u);
}

// A host woken only every 16.7 ms, as a page is: frames due within the lead run on the tick
// before, timed as if on time, so that they keep 15 a second; without a lead they slip to 13.
TEST(FrameLoop, LeadKeepsFifteenFramesOnSixtyTicksASecond) {
    for (const auto& [lead, frames] : {std::pair{8u, 15}, std::pair{0u, 13}}) {
        SCOPED_TRACE(lead);
        Paced p;
        QuietLoopHost host;
        EventLoop loop(p.g, host);
        int ran = 0;
        for (int tick = 1; tick <= 60; ++tick) {
            p.clock.Set(kStart + static_cast<uint32_t>(tick * 1000 / 60));
            ran += loop.Pass(0, lead) ? 1 : 0;
        }
        EXPECT_EQ(ran, frames);
    }
}

}  // namespace
}  // namespace kb
