#include "platform/lagging_clock.h"

#include <chrono>
#include <utility>

namespace kb {

int64_t WallMilliseconds() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

LaggingClock::LaggingClock(std::unique_ptr<Clock> inner, std::function<int64_t()> wallMs)
    : inner_(std::move(inner)), wallMs_(std::move(wallMs)) {}

uint32_t LaggingClock::TimeGetTime() {
    return inner_->TimeGetTime() - lag_;
}

int LaggingClock::WallSecond() {
    if (lag_ == 0) return inner_->WallSecond();
    // Every time zone's offset is whole minutes: the second of the minute is the same in all.
    return static_cast<int>((wallMs_() - lag_) / 1000 % 60);
}

uint32_t LaggingClock::RandomSeed() {
    return inner_->RandomSeed();
}

WallTime LaggingClock::Now() {
    WallTime now = inner_->Now();
    now.unixSeconds -= lag_ / 1000;
    return now;
}

}  // namespace kb
