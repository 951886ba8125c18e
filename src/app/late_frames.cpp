#include "app/late_frames.h"

namespace kb {

int RunLateFrames(EventLoop& loop, const Game& g, LaggingClock& clock, int most) {
    // The frames due by now, not those that come due while these run.
    const uint32_t now = clock.TimeGetTime();
    int frames = 0;
    while (frames < most && !g.ended) {
        const uint32_t due = g.loop.LastFrameTime + static_cast<uint32_t>(g.loop.FrameInterval);
        const int32_t behind = static_cast<int32_t>(now - due);
        clock.Lag(behind > 0 ? static_cast<uint32_t>(behind) : 0);
        const bool ran = loop.Pass(0);
        clock.Lag(0);
        if (!ran) break;
        ++frames;
    }
    return frames;
}

}  // namespace kb
