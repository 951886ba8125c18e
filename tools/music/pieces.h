#pragma once
// The game's five pieces, each as a complete standard MIDI file image.
#include <cstdint>
#include <vector>

namespace kb::midi {

std::vector<std::uint8_t> compose_title();         // title screen, plays once
std::vector<std::uint8_t> compose_match_bright();  // match loop, major and driving
std::vector<std::uint8_t> compose_match_dark();    // match loop, minor and tense
std::vector<std::uint8_t> compose_victory();       // after a win
std::vector<std::uint8_t> compose_defeat();        // after a loss

}  // namespace kb::midi
