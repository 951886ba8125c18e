#pragma once
// The loop every program runs: sleep until the next frame is due or something happens, let the
// events run, deliver the sockets' events, and run the frame when its time has come. The window
// program, the page and the headless driver differ only in their LoopHost: where events come
// from and how the sleep is done.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <limits>
#include <mutex>

#include "platform/clock.h"
#include "shell/game.h"

namespace kb {

class LoopHost {
  public:
    virtual ~LoopHost() = default;
    // Sleeps at most ms; returns sooner when an event comes in or Wake is called.
    virtual void Sleep(uint32_t ms) = 0;
    // Ends the current or next Sleep early. Any thread may call it.
    virtual void Wake() = 0;
    // Runs the events that have come in.
    virtual void PumpEvents(Game&) {}
    // After each pass; frameRan tells whether the pass ran a frame.
    virtual void PassDone(Game&, bool /*frameRan*/) {}
};

// A host whose own events arrive between passes (a script, a test): it sleeps on a condition.
class QuietLoopHost : public LoopHost {
  public:
    void Sleep(uint32_t ms) override;
    void Wake() override;

  private:
    std::mutex mutex_;
    std::condition_variable woken_;
    bool wake_ = false;
};

// A host on a virtual clock: sleeping moves the clock on, so a replay runs the players' loop
// frame for frame without waiting for real time. A wake ends the next sleep before any time
// has passed.
class VirtualLoopHost : public LoopHost {
  public:
    // Moves clock on as the loop sleeps.
    explicit VirtualLoopHost(VirtualClock& clock) : clock_(clock) {}
    void Sleep(uint32_t ms) override {
        if (!woken_.exchange(false)) clock_.Advance(ms);
    }
    void Wake() override { woken_ = true; }

  private:
    VirtualClock& clock_;
    std::atomic<bool> woken_ = false;
};

class EventLoop {
  public:
    // Runs g's frames with host's events and sleep; the sockets wake host.
    EventLoop(Game& g, LoopHost& host);
    ~EventLoop();
    EventLoop(const EventLoop&) = delete;
    EventLoop& operator=(const EventLoop&) = delete;

    // One pass, sleeping no longer than maxSleep ms. True when it ran a frame. A frame due
    // within lead ms runs now, timed as if on time: a host woken only at fixed ticks (a page's
    // 60 animation frames a second) would otherwise wait for the tick after and run slow.
    bool Pass(uint32_t maxSleep = std::numeric_limits<uint32_t>::max(), uint32_t lead = 0);
    // Passes until the game ends.
    void Run();

  private:
    Game& g_;
    LoopHost& host_;
};

}  // namespace kb
