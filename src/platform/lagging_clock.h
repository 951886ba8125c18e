#pragma once
// A clock that can be read as it was a while ago. A host that runs the game's frames late (a
// hidden page, whose timers the browser holds back) shows each frame the time it was due at, so
// that what the game counts by the clock (the match's seconds, the count-down) comes out as if
// every frame had run on time.
#include <cstdint>
#include <functional>
#include <memory>

#include "platform/clock.h"

namespace kb {

// Milliseconds of the wall clock since the epoch.
int64_t WallMilliseconds();

class LaggingClock : public Clock {
  public:
    // Over the machine's clock inner; wallMs gives the wall clock's milliseconds since the epoch.
    explicit LaggingClock(std::unique_ptr<Clock> inner,
                          std::function<int64_t()> wallMs = WallMilliseconds);
    uint32_t TimeGetTime() override;
    int WallSecond() override;
    uint32_t RandomSeed() override;
    WallTime Now() override;
    // Reads the clock as it was ms ago, until Lag(0).
    void Lag(uint32_t ms) { lag_ = ms; }

  private:
    std::unique_ptr<Clock> inner_;
    std::function<int64_t()> wallMs_;
    uint32_t lag_ = 0;
};

}  // namespace kb
