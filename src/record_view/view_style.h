#pragma once
// The record view's colours and panel frame, shared by its pages.
#include <cstdint>
#include <string_view>

#include "screens/surface.h"

namespace kb::view {

constexpr uint32_t kBack = Rgb(16, 20, 32);
constexpr uint32_t kPanel = Rgb(28, 34, 50);
constexpr uint32_t kPanelEdge = Rgb(48, 58, 84);
constexpr uint32_t kGrid = Rgb(44, 52, 74);
constexpr uint32_t kText = Rgb(232, 236, 246);
constexpr uint32_t kDim = Rgb(140, 150, 172);
constexpr uint32_t kFaint = Rgb(84, 94, 118);
constexpr uint32_t kAccent = Rgb(100, 50, 255);  // the title's violet
constexpr uint32_t kSpeed = Rgb(80, 200, 255);
constexpr uint32_t kMisses = Rgb(255, 150, 70);
constexpr uint32_t kWin = Rgb(90, 200, 120);
constexpr uint32_t kLoss = Rgb(228, 84, 84);
constexpr uint32_t kLost = Rgb(130, 136, 150);
constexpr uint32_t kPractice = Rgb(190, 130, 255);
constexpr uint32_t kGold = Rgb(255, 206, 84);
constexpr uint32_t kProblem = Rgb(255, 110, 110);
constexpr uint32_t kEmptyCell = Rgb(36, 42, 60);

// A panel with its caption at the top left; returns the y below the caption.
int Panel(Surface& d, int x, int y, int w, int h, std::u16string_view caption);

}  // namespace kb::view
