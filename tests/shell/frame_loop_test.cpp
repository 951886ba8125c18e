#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

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

// A host woken only at a display's refresh ticks, as a page is: a frame due within the lead runs
// on the tick before, timed as if on time, so that the game keeps 15 frames a second; without a
// lead it slips to the tick after. An early frame's time lies ahead of
// the clock, and the ticks before it must not read as a frame long overdue.
TEST(FrameLoop, FifteenFramesAtLeast67MsApartOnEveryRefreshRate) {
    const struct {
        int ticksPerSecond;
        uint32_t lead;
        bool fifteen;
    } rows[] = {{60, 8, true},  {120, 8, true}, {144, 8, true},
                {165, 8, true}, {240, 8, true}, {60, 0, false}};
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::Message() << r.ticksPerSecond << " ticks, lead " << r.lead);
        Paced p;
        QuietLoopHost host;
        EventLoop loop(p.g, host);
        uint32_t shortest = UINT32_MAX, last = kStart;
        for (int tick = 1; tick <= 3 * r.ticksPerSecond; ++tick) {
            p.clock.Set(kStart + static_cast<uint32_t>(tick * 1000 / r.ticksPerSecond));
            if (!loop.Pass(0, r.lead)) continue;
            shortest = std::min(shortest, p.g.loop.LastFrameTime - last);
            last = p.g.loop.LastFrameTime;
        }
        EXPECT_GE(shortest, 67u);
        if (r.fifteen)
            EXPECT_EQ(p.g.loop.Fps, 15);
        else
            EXPECT_LT(p.g.loop.Fps, 15);
    }
}

}  // namespace
}  // namespace kb
