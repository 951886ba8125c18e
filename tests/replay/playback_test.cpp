// Watching a replay: skipping lands on the very frame that playing lands on, unseen and
// unheard on the way; the watcher's keys pace, pause, step and leave, and never reach the game;
// the status goes on a copy of the picture.
#include "replay/playback.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/sdl/ttf_fonts.h"
#include "replay/recorded_game.h"
#include "replay/replay_text.h"
#include "replay/replay_viewer.h"
#include "test_keys.h"
#include "typing/key_codes.h"

namespace kb::test {
namespace {

TtfFontEngine& Fonts() {
    static TtfFontEngine fonts;
    static const bool opened = [] {
        std::string error;
        return fonts.Open(TtfFontEngine::FindFontFile(KB_BINARY_DIR), error);
    }();
    EXPECT_TRUE(opened);
    return fonts;
}

class CountedSound : public SilentSoundDevice {
  public:
    void Play(int32_t) override { ++plays; }
    void PlayEx(int32_t, int32_t, int32_t, int32_t) override { ++plays; }
    int plays = 0;
};

// The slowest computer against a player who types nothing, recorded to ten seconds into the
// result: decided 679 frames after the choice.
class Watched : public ::testing::Test {
  protected:
    void SetUp() override {
        game_ = std::make_unique<RecordedGame>(
            Services{},
            ReadFileBytes(std::string(KB_SOURCE_DIR) + "/tests/scripts/jugemu.dat").bytes);
        ASSERT_TRUE(game_->started);
        game_->Frames(2);
        Press(game_->t.g, kVkReturn);
        game_->Frames(900);
        std::string why;
        ASSERT_TRUE(ReadReplay(game_->LastReplay(), replay_, why)) << why;
    }

    std::unique_ptr<Playback> Play(SoundDevice* sound = nullptr, FontEngine* fonts = nullptr) {
        Services sv;
        sv.programDir = game_->t.dir.Path().string();
        sv.sound = sound;
        sv.fonts = fonts;
        auto p = std::make_unique<Playback>(replay_, sv);
        std::string why;
        EXPECT_TRUE(p->Start(why)) << why;
        return p;
    }

    std::unique_ptr<RecordedGame> game_;
    kb::Replay replay_;
};

bool SamePicture(const Surface& a, const Surface& b) {
    return a.W() == b.W() && a.H() == b.H() &&
           std::equal(a.Pixels(), a.Pixels() + a.W() * a.H(), b.Pixels());
}

TEST_F(Watched, SkippingLandsOnTheFramePlayingLandsOnUnseenAndUnheardOnTheWay) {
    CountedSound quietSound, loudSound;
    auto skipped = Play(&quietSound, &Fonts()), played = Play(&loudSound, &Fonts());
    int shown = 0;
    skipped->game().Display.onRefresh = [&](const Surface&) { ++shown; };
    quietSound.plays = 0;
    std::vector<int> scenes;
    played->onFrame = [&] { scenes.push_back(played->game().s.SceneNo); };

    skipped->SkipToDecision();
    const long landed = skipped->FramesRun();
    EXPECT_EQ(shown, 1) << "only the frame landed on is shown";
    EXPECT_EQ(skipped->game().s.SceneNo, kSceneOver);
    while (played->FramesRun() < landed - 1) played->NextFrame();
    ASSERT_GE(scenes.size(), 2u);
    EXPECT_EQ(scenes[scenes.size() - 2], kSceneMatch) << "the match is decided in the frame before";
    EXPECT_EQ(scenes.back(), kSceneOver);
    const int before = loudSound.plays;
    played->NextFrame();
    EXPECT_EQ(quietSound.plays, loudSound.plays - before) << "only the landing frame is heard";
    EXPECT_GT(loudSound.plays, quietSound.plays);
    EXPECT_EQ(StateJson(skipped->game()), StateJson(played->game()));
    EXPECT_TRUE(SamePicture(skipped->game().Display, played->game().Display));

    skipped->SkipToEnd();
    played->RunTo(SIZE_MAX);
    EXPECT_TRUE(skipped->AtEnd());
    EXPECT_EQ(skipped->FramesRun(), replay_.Frames());
    EXPECT_EQ(StateJson(skipped->game()), StateJson(played->game()));
    EXPECT_TRUE(SamePicture(skipped->game().Display, played->game().Display));

    // At the end, a skip keeps the last picture as it is.
    shown = 0;
    skipped->SkipToEnd();
    skipped->SkipToDecision();
    EXPECT_EQ(shown, 0);
    EXPECT_TRUE(SamePicture(skipped->game().Display, played->game().Display));
}

// Frames run by ticks every 10 ms for `ms` from `from`; returns how many ran.
long TickFor(ReplayViewer& v, Playback& p, uint32_t& now, uint32_t ms) {
    const long before = p.FramesRun();
    for (const uint32_t end = now + ms; now < end;) v.Tick(now += 10);
    return p.FramesRun() - before;
}

// The driver's lines put into a replay run between steps: running to a step stops before it.
TEST_F(Watched, RunningToAStepStopsBeforeIt) {
    auto p = Play();  // the first step's first frame has run
    ASSERT_GE(replay_.steps.size(), 4u);
    long frames = 0;
    for (size_t i = 0; i < 3; ++i)
        if (replay_.steps[i].kind == ReplayStep::kFrames) frames += replay_.steps[i].value;
    p->RunTo(3);
    EXPECT_EQ(p->FramesRun(), frames);
    EXPECT_FALSE(p->AtEnd());
}

TEST_F(Watched, TheWatchersKeysPaceThePlayAndNeverReachTheGame) {
    auto p = Play();
    ReplayViewer v(*p);
    Game& g = p->game();
    const GameState keys = g.s;
    uint32_t now = 5000;
    EXPECT_EQ(v.Tick(now), 67u) << "the first frame is one interval away";
    EXPECT_EQ(TickFor(v, *p, now, 1005), 15) << "1x: 15 frames a second";
    EXPECT_EQ(v.Status(), u"REPLAY  ▶ 1x");
    // A change of speed times the frames afresh from the next tick.
    v.KeyDown(kVk2);
    v.Tick(now);
    EXPECT_EQ(TickFor(v, *p, now, 1005), 30);
    EXPECT_EQ(v.Status(), u"REPLAY  ▶ 2x");
    v.KeyDown(kVkNumpad0 + 4);
    v.Tick(now);
    EXPECT_EQ(TickFor(v, *p, now, 1005), 60);
    v.KeyDown(kVkNumpad1);
    v.Tick(now);
    EXPECT_EQ(TickFor(v, *p, now, 1005), 15);

    v.KeyDown(kVkSpace);
    EXPECT_TRUE(v.Paused());
    EXPECT_EQ(v.Status(), u"REPLAY  ||  Space  1 2 4  End  Esc");
    EXPECT_EQ(TickFor(v, *p, now, 3000), 0);
    const long at = p->FramesRun();
    v.KeyDown(kVkRight);
    EXPECT_EQ(p->FramesRun(), at + 1) << "Right runs one frame while paused";
    v.KeyDown(kVkSpace);
    v.KeyDown(kVkRight);
    EXPECT_EQ(p->FramesRun(), at + 1) << "and nothing while playing";

    // Eight frames behind (a busy moment) are caught up; nine are a held window: no catching
    // up, the next frame an interval on.
    v.Tick(now);
    now += 8 * 67;
    EXPECT_EQ(TickFor(v, *p, now, 10), 8);
    now += 9 * 67;
    EXPECT_EQ(TickFor(v, *p, now, 10), 0);
    EXPECT_EQ(TickFor(v, *p, now, 67), 1);

    for (int key : {kVkA, kVkReturn, kVkBack, kVkUp, kVkShift, kVkF1}) v.KeyDown(key);
    EXPECT_EQ(g.s.LastKeyStr, keys.LastKeyStr) << "no key of the watcher reaches the game";
    EXPECT_EQ(g.s.LastKeyUp, keys.LastKeyUp);
    EXPECT_EQ(g.s.InputStr, keys.InputStr);

    v.KeyDown(kVkEnd);
    EXPECT_EQ(g.s.SceneNo, kSceneOver);
    EXPECT_FALSE(p->AtEnd());
    v.KeyDown(kVkEnd);
    EXPECT_TRUE(p->AtEnd());
    EXPECT_EQ(v.Status(), u"REPLAY  END  Esc");
    EXPECT_FALSE(v.Closed());
    v.KeyDown(kVkEscape);
    EXPECT_TRUE(v.Closed());
}

TEST(ComposeWithStatus, TheStatusGoesOnACopyInTheTopRightCorner) {
    Surface display(480, 320), out;
    for (int i = 0; i < 480 * 320; ++i) display.Pixels()[i] = Rgb(i % 256, 40, 80);
    const Surface before = display;
    out.SetFonts(&Fonts());
    ComposeWithStatus(display, u"REPLAY  ▶ 2x", out);
    EXPECT_TRUE(SamePicture(display, before));
    ASSERT_EQ(out.W(), 480);
    int changedTop = 0, changedElsewhere = 0, changedLeft = 0;
    for (int y = 0; y < 320; ++y)
        for (int x = 0; x < 480; ++x) {
            if (out.At(x, y) == display.At(x, y)) continue;
            (y < 20 ? x >= 380 ? changedTop : changedLeft : changedElsewhere)++;
        }
    EXPECT_GT(changedTop, 20);
    EXPECT_EQ(changedLeft, 0);
    EXPECT_EQ(changedElsewhere, 0);
}

}  // namespace
}  // namespace kb::test
