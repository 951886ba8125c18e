#pragma once
// The battlefield backdrop, painted in code: a night sky over a distant ridge, faint guides
// along the six lanes, the two bases glowing at the edges, and dark ground below.
#include <cstdint>
#include <vector>

namespace kb::backdrop {

constexpr int kWidth = 480;
constexpr int kHeight = 320;

// kWidth x kHeight pixels, 0x00RRGGBB, row by row. The same every time.
std::vector<uint32_t> Paint();

}  // namespace kb::backdrop
