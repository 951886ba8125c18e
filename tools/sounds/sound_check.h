#pragma once
// What every effect file must satisfy to be loaded and heard cleanly.
#include <cstdint>
#include <string>
#include <vector>

namespace kb::sfx {

inline constexpr double kMinSeconds = 0.05;
inline constexpr double kMaxSeconds = 1.5;
inline constexpr int kMaxPeak = 29204;  // -1 dBFS: headroom for the mixer and resampling
inline constexpr int kMaxEdge = 64;     // first and last sample: no click on start or stop

// Faults of one wave file image, empty when it is fine.
std::vector<std::string> CheckWavImage(const std::vector<std::uint8_t>& image);

}  // namespace kb::sfx
