#pragma once
// Block transfers between surfaces; a masked sprite is BlitPaint of the mask then BlitAnd of the
// image.
#include <cstdint>
#include <string>

#include "shell/game.h"

namespace kb {

// Copies the w x h block at (sx, sy) of src to (x, y) of dst.
void BlitCopy(Surface& dst, int x, int y, int w, int h, const Surface& src, int sx, int sy);
// The same, each pixel ORed into dst.
void BlitPaint(Surface& dst, int x, int y, int w, int h, const Surface& src, int sx, int sy);
// The same, each pixel ANDed into dst.
void BlitAnd(Surface& dst, int x, int y, int w, int h, const Surface& src, int sx, int sy);

}  // namespace kb
