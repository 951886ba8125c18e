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

EventLoop::EventLoop(Game& g, LoopHost& host) : g_(g), host_(host) {}

EventLoop::~EventLoop() {
    // The sockets must not wake a host that is gone.
    g_.sv.winsockL->WakeWhenDue({});
    g_.sv.winsock->WakeWhenDue({});
}

bool EventLoop::Pass(uint32_t maxSleep, uint32_t lead) {
    // What the sockets wait for changes with every event, so they are asked anew each pass.
    const Waker wake = [this] { host_.Wake(); };
    g_.sv.winsockL->WakeWhenDue(wake);
    g_.sv.winsock->WakeWhenDue(wake);
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
