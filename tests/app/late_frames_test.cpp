// A host that runs the loop late (a hidden page): the clock it reads as of a while ago, and the
// late passes that run every frame that came due, each seeing the time it was due at.
#include "app/late_frames.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/lagging_clock.h"
#include "shell/event_loop.h"
#include "shell/form.h"
#include "shell/scenes.h"
#include "test_game.h"

namespace kb::test {
namespace {

constexpr uint32_t kStart = 3600000;

// A wall clock 250 ms into its second when the machine's clock reads a whole second.
constexpr int64_t kWallOffset = 1'700'000'000'250;

TEST(LaggingClock, ReadsAsItWasAWhileAgo) {
    const struct {
        uint32_t now, lag;
        uint32_t time;
        int second;
    } rows[] = {
        {kStart, 0, kStart, 0},                   // unlagged: the machine's own second
        {kStart + 1000, 1000, kStart, 20},        // wall 1700000001.250 - 1 s
        {kStart + 1000, 1250, kStart - 250, 20},  // exactly on the second before
        {kStart + 1000, 1251, kStart - 251, 19},
        {kStart + 5000, 60000, kStart - 55000, 25},  // a minute back: the same second
        {100, 200, 0xFFFFFFFF - 99, 20},             // the timer wraps as it would have
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::Message() << r.now << " lagging " << r.lag);
        auto inner = std::make_unique<VirtualClock>(r.now, 7);
        VirtualClock& machine = *inner;
        LaggingClock clock(std::move(inner),
                           [&machine] { return kWallOffset + machine.TimeGetTime() - kStart; });
        clock.Lag(r.lag);
        EXPECT_EQ(clock.TimeGetTime(), r.time);
        if (r.lag != 0) {
            EXPECT_EQ(clock.WallSecond(), r.second);
        }
        EXPECT_EQ(clock.RandomSeed(), 7u);
        EXPECT_EQ(clock.Now().unixSeconds, machine.Now().unixSeconds - r.lag / 1000);
        clock.Lag(0);
        EXPECT_EQ(clock.TimeGetTime(), r.now);
        EXPECT_EQ(clock.WallSecond(), machine.WallSecond());
    }
}

// A game on a lagging clock whose machine clock the test moves, with what each frame saw.
struct LateGame {
    VirtualClock* machine;
    LaggingClock clock;
    TestGame t;
    QuietLoopHost host;
    EventLoop loop;
    std::vector<uint32_t> seen;  // the clock as each frame's picture went out

    LateGame() : LateGame(std::make_unique<VirtualClock>(kStart)) {}
    explicit LateGame(std::unique_ptr<VirtualClock> inner)
        : machine(inner.get()),
          clock(std::move(inner), [m = machine] { return int64_t{m->TimeGetTime()}; }),
          t([this] {
              Services sv;
              sv.clock = &clock;
              return sv;
          }()),
          loop(t.g, host) {
        Form_Load(t.g);
        t.g.loop.LastFrameTime = kStart;
        t.g.Display.onRefresh = [this](const Surface&) { seen.push_back(clock.TimeGetTime()); };
    }
};

TEST(LateFrames, EveryFrameThatCameDueRunsOnItsOwnTime) {
    const struct {
        uint32_t late;  // since the last frame
        int most;
        int frames;
    } rows[] = {{0, 100, 0},   {66, 100, 0},    {67, 100, 1},       {133, 100, 1},
                {134, 100, 2}, {1000, 100, 14}, {60000, 2000, 895}, {60000, 100, 100}};
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::Message() << r.late << " ms late, at most " << r.most);
        LateGame late;
        late.machine->Set(kStart + r.late);
        EXPECT_EQ(RunLateFrames(late.loop, late.t.g, late.clock, r.most), r.frames);
        ASSERT_EQ(late.seen.size(), static_cast<size_t>(r.frames));
        for (int i = 0; i < r.frames; ++i)
            ASSERT_EQ(late.seen[i], kStart + 67u * static_cast<uint32_t>(i + 1)) << "frame " << i;
        EXPECT_EQ(late.t.g.loop.LastFrameTime, kStart + 67u * static_cast<uint32_t>(r.frames));
        EXPECT_EQ(late.clock.TimeGetTime(), kStart + r.late) << "the clock reads now again";
    }
}

// What the match counts by the wall clock's seconds comes out as if every frame had run on
// time: ten seconds held back are ten seconds of the match, where a late ordinary pass counts
// one.
TEST(LateFrames, AMatchHeldBackCountsEverySecond) {
    for (const bool late : {true, false}) {
        SCOPED_TRACE(late ? "late passes" : "an ordinary pass");
        LateGame game;
        Game& g = game.t.g;
        g.s.GameMode = kModeCom;
        GameStartInit(g);
        const Long before = g.s.PlaySec;
        game.machine->Advance(10000);
        if (late)
            RunLateFrames(game.loop, g, game.clock, 1000);
        else
            game.loop.Pass(0);
        // Late passes: the count-down's four seconds, then six of the match (its seconds start
        // when the count-down ends). An ordinary pass: one second of the count-down.
        EXPECT_EQ(g.s.SceneNo, kSceneMatch);
        EXPECT_EQ(g.s.StartCount, late ? 0.0f : 3.0f);
        EXPECT_EQ(g.s.PlaySec - before, late ? 6 : 0);
    }
}

}  // namespace
}  // namespace kb::test
