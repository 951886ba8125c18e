#pragma once
// The game's five pieces, each as a complete standard MIDI file image.
#include <cstdint>
#include <vector>

namespace kb::midi {

std::vector<std::uint8_t> ComposeTitle();        // title screen, plays once
std::vector<std::uint8_t> ComposeMatchBright();  // match loop, major and driving
std::vector<std::uint8_t> ComposeMatchDark();    // match loop, minor and tense
std::vector<std::uint8_t> ComposeVictory();      // after a win
std::vector<std::uint8_t> ComposeDefeat();       // after a loss

}  // namespace kb::midi
