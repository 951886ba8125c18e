#pragma once
// The frames of a host that could not run the loop on time: a hidden page, whose animation
// frames stop and whose timers the browser slows to one a second, then one a minute.
#include "platform/lagging_clock.h"
#include "shell/event_loop.h"

namespace kb {

// Runs every frame that came due since the last one (at most `most`), in order, each on the
// clock as it read when the frame was due; with none due, one pass lets the events and the
// network's news in. The clock must be g's. Returns the frames run.
int RunLateFrames(EventLoop& loop, const Game& g, LaggingClock& clock, int most);

}  // namespace kb
