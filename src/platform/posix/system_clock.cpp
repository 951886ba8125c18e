#include "platform/posix/system_clock.h"

#include <ctime>

namespace kb {

uint32_t SystemClock::TimeGetTime() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    // Truncated like a millisecond system timer: wraps every 49.7 days.
    return static_cast<uint32_t>(static_cast<uint64_t>(ts.tv_sec) * 1000u + ts.tv_nsec / 1000000);
}

int SystemClock::WallSecond() {
    time_t t = time(nullptr);
    tm local{};
    localtime_r(&t, &local);
    return local.tm_sec % 60;
}

uint32_t SystemClock::RandomSeed() {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    return static_cast<uint32_t>(ts.tv_sec * 1000 + ts.tv_nsec / 1000000);
}

WallTime SystemClock::Now() {
    const time_t t = time(nullptr);
    tm local{};
    localtime_r(&t, &local);
    return {static_cast<int64_t>(t), static_cast<int>(local.tm_gmtoff / 60)};
}

}  // namespace kb
