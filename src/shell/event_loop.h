#pragma once
// The loop both programs run: sleep until the next frame is due or something happens, let the
// events run, deliver the sockets' events, and run the frame when its time has come. The window
// program and the headless driver differ only in their LoopHost: where events come from and
// how the sleep is done.
#include <condition_variable>
#include <cstdint>
#include <limits>
#include <mutex>
#include <optional>

#include "platform/posix/socket_watcher.h"
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
    // Whether a thread should watch the sockets and call Wake; a host that never sleeps (the
    // browser page, run by the page's own frames) has no use for one.
    virtual bool WatchesSockets() const { return true; }
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

class EventLoop {
  public:
    EventLoop(Game& g, LoopHost& host);
    // One pass, sleeping no longer than maxSleep ms. True when it ran a frame. A frame due
    // within lead ms runs now, timed as if on time: a host woken only at fixed ticks (a page's
    // 60 animation frames a second) would otherwise wait for the tick after and run slow.
    bool Pass(uint32_t maxSleep = std::numeric_limits<uint32_t>::max(), uint32_t lead = 0);
    // Passes until the game ends.
    void Run();

  private:
    Game& g_;
    LoopHost& host_;
    std::optional<SocketWatcher> watcher_;
};

}  // namespace kb
