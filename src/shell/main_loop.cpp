#include "shell/main_loop.h"

#include "battle/computer.h"
#include "battle/explosions.h"
#include "battle/missiles.h"
#include "screens/match_screen.h"
#include "screens/result_screen.h"
#include "screens/title.h"

namespace kb {

void Main_Loop(Game& g) {
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
    // Unsigned differences are taken modulo 2^32, so the timer's wrap does not disturb pacing.
    if (now - f.LastFrameTime < static_cast<uint32_t>(f.FrameInterval)) return false;
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
    const uint32_t elapsed = now - g.loop.LastFrameTime;
    const uint32_t interval = static_cast<uint32_t>(g.loop.FrameInterval);
    return elapsed >= interval ? 0 : interval - elapsed;
}

}  // namespace kb
