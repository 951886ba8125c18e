#pragma once
#include "platform/clock.h"

namespace kb {

// The machine's clocks: monotonic milliseconds and the local wall clock.
class SystemClock : public Clock {
  public:
    uint32_t TimeGetTime() override;
    int WallSecond() override;
    uint32_t RandomSeed() override;
    WallTime Now() override;
};

}  // namespace kb
