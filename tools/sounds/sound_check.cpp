#include "sound_check.h"

#include <algorithm>
#include <cstdlib>

#include "wav_file.h"

namespace kb::sfx {

std::vector<std::string> CheckWavImage(const std::vector<std::uint8_t>& image) {
    std::string error;
    const std::vector<std::int16_t> samples = DecodeWav(image, error);
    if (!error.empty()) return {error};
    std::vector<std::string> faults;
    const double seconds = static_cast<double>(samples.size()) / kSampleRate;
    if (seconds < kMinSeconds || seconds > kMaxSeconds) {
        faults.push_back("length " + std::to_string(seconds) + " s outside 0.05 to 1.5 s");
    }
    int peak = 0;
    for (std::int16_t s : samples) peak = std::max(peak, std::abs(static_cast<int>(s)));
    if (peak > kMaxPeak) faults.push_back("peak " + std::to_string(peak) + " above -1 dBFS");
    if (peak == 0) faults.push_back("silent");
    if (!samples.empty() &&
        (std::abs(samples.front()) > kMaxEdge || std::abs(samples.back()) > kMaxEdge)) {
        faults.push_back("does not start and end on silence");
    }
    return faults;
}

}  // namespace kb::sfx
