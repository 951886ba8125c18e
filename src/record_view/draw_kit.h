#pragma once
// Shapes and text in pixels on a Surface, for the record's pictures.
#include <cstdint>
#include <string_view>

#include "screens/surface.h"

namespace kb {

// Fills a rectangle, clipped to the surface.
void FillRect(Surface& d, int x, int y, int w, int h, uint32_t rgb);
// Fills it with rgb over what is there, alpha 0..255.
void BlendRect(Surface& d, int x, int y, int w, int h, uint32_t rgb, int alpha);
// The one-pixel outline of a rectangle.
void FrameRect(Surface& d, int x, int y, int w, int h, uint32_t rgb);
// An anti-aliased line of width 2 from (x0, y0) to (x1, y1), in pixels.
void DrawLine(Surface& d, double x0, double y0, double x1, double y1, uint32_t rgb);
// A filled disc of radius r, anti-aliased at its edge.
void FillDisc(Surface& d, double cx, double cy, double r, uint32_t rgb);

// Colour a, or b, or between them: t from 0 (a) to 1 (b).
uint32_t Mix(uint32_t a, uint32_t b, double t);

enum class Align { kLeft, kCentre, kRight };
// Prints text at pixel (x, y) (its top; x is its left, centre or right by align), in points.
void Text(Surface& d, int x, int y, int points, uint32_t rgb, std::u16string_view text,
          Align align = Align::kLeft, bool bold = false);
// Prints text from (x, y) broken at blanks into lines no wider than width, lineHeight apart;
// returns the y below the last line.
int TextWrapped(Surface& d, int x, int y, int width, int points, uint32_t rgb,
                std::u16string_view text, int lineHeight);
// Width of the text in pixels at that size.
int TextWidthPx(Surface& d, int points, std::u16string_view text, bool bold = false);

}  // namespace kb
