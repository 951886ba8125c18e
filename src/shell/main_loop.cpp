#include "shell/main_loop.h"

#include "battle/computer.h"
#include "battle/explosions.h"
#include "battle/missiles.h"
#include "screens/match_screen.h"
#include "screens/result_screen.h"
#include "screens/title.h"

namespace kb {

namespace {

// The difference is taken modulo 2^32, so the timer's wrap does not disturb pacing, and read as
// signed: a frame run early (a loop pass's lead) is stamped a little ahead of the clock, and
// the time before that stamp must count as no time at all, not as a wrapped-round eternity.
int32_t SinceLastFrame(const Game& g, uint32_t now) {
    return static_cast<int32_t>(now - g.loop.LastFrameTime);
}

}  // namespace

void Main_Loop(Game& g) {
    if (g.recorder) g.recorder->Frame();
    g.Display.Cls();
    // The scene is read once: a routine that changes it lets the old scene finish this frame.
    switch (g.s.SceneNo) {
        case kSceneTitle:
            Dis_Title(g);
            break;
        case kSceneMatch:
            MOV_MIS(g);
            // A failed send (Connect Lost) has ended the program: nothing more of it runs.
            if (g.ended) return;
            Com_AI(g);
            Dis_Mis(g);
            Dis_Str(g);
            if (g.ended) return;
            break;
        case kSceneOver:
            MOV_EXP(g);
            DIS_IM(g);
            Dis_Result(g);
            break;
        default:
            break;
    }
    g.Display.Refresh();
}

bool FramePass(Game& g, uint32_t now) {
    FrameLoop& f = g.loop;
    f.NowTime = now;
    if (SinceLastFrame(g, now) < f.FrameInterval) return false;
    // Timed from the start of this frame: lateness is never caught up.
    f.LastFrameTime = now;
    Main_Loop(g);
    f.FpsCount += 1;
    if (now - f.FpsTime > 1000u) {
        f.FpsTime = now;
        f.Fps = f.FpsCount;
        f.FpsCount = 0;
    }
    return true;
}

uint32_t UntilNextFrame(const Game& g, uint32_t now) {
    const int64_t left = int64_t{g.loop.FrameInterval} - SinceLastFrame(g, now);
    return left > 0 ? static_cast<uint32_t>(left) : 0;
}

}  // namespace kb
