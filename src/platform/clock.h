#pragma once
#include <cstdint>

namespace kb {

// The date and time of day: seconds since 1970 (UTC) and the local offset from UTC.
struct WallTime {
    int64_t unixSeconds = 0;
    int utcOffsetMinutes = 0;
};

// The timers the game paces itself on.
class Clock {
  public:
    virtual ~Clock() = default;
    virtual uint32_t TimeGetTime() = 0;  // milliseconds, 32 bits, wrapping
    virtual int WallSecond() = 0;        // second of the minute, 0..59
    virtual uint32_t RandomSeed() = 0;   // what the random generator is seeded with
    virtual WallTime Now() = 0;          // the date, for the player's record
};

// A clock that only moves when told to; its wall second follows its own milliseconds.
class VirtualClock : public Clock {
  public:
    // Starts at startMs (an hour, so that the wall second starts at 0), seeding with seed.
    explicit VirtualClock(uint32_t startMs = 3600000, uint32_t seed = 1)
        : now_(startMs), seed_(seed) {}
    uint32_t TimeGetTime() override { return now_; }
    int WallSecond() override { return static_cast<int>((now_ / 1000) % 60); }
    uint32_t RandomSeed() override { return seed_; }
    // 2026-01-01 00:00 UTC at the clock's zero, so that replayed matches keep the same dates.
    WallTime Now() override { return {1767225600 + now_ / 1000, 0}; }
    // Moves the clock on by ms, or to ms.
    void Advance(uint32_t ms) { now_ += ms; }
    void Set(uint32_t ms) { now_ = ms; }

  private:
    uint32_t now_;
    uint32_t seed_;
};

}  // namespace kb
