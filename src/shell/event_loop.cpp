#include "shell/event_loop.h"

#include <algorithm>
#include <chrono>

#include "net/connection.h"
#include "shell/main_loop.h"

namespace kb {

void QuietLoopHost::Sleep(uint32_t ms) {
    std::unique_lock lock(mutex_);
    woken_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return wake_; });
    wake_ = false;
}

void QuietLoopHost::Wake() {
    {
        std::lock_guard lock(mutex_);
        wake_ = true;
    }
    woken_.notify_one();
}

EventLoop::EventLoop(Game& g, LoopHost& host) : g_(g), host_(host) {
    if (host.WatchesSockets()) watcher_.emplace([&host] { host.Wake(); });
}

bool EventLoop::Pass(uint32_t maxSleep, uint32_t lead) {
    // The sockets are watched anew each pass: what they wait for changes with every event.
    if (watcher_) watcher_->Watch({g_.sv.winsock->Readiness(), g_.sv.winsockL->Readiness()});
    const uint32_t due = std::min(UntilNextFrame(g_, g_.sv.clock->TimeGetTime()), maxSleep);
    if (due > 0) host_.Sleep(due);
    host_.PumpEvents(g_);
    PollNetwork(g_);
    const uint32_t now = g_.sv.clock->TimeGetTime();
    const uint32_t left = UntilNextFrame(g_, now);
    const bool frameRan = !g_.ended && FramePass(g_, left <= lead ? now + left : now);
    if (!g_.ended) host_.PassDone(g_, frameRan);
    return frameRan;
}

void EventLoop::Run() {
    while (!g_.ended) Pass();
}

}  // namespace kb
