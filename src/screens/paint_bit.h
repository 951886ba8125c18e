#pragma once
// Block transfers between surfaces; a masked sprite is BlitPaint of the mask then BlitAnd of the
// image.
#include <cstdint>
#include <string>

#include "shell/game.h"

namespace kb {

void BlitCopy(Surface& dst, int x, int y, int w, int h, const Surface& src, int sx, int sy);
void BlitPaint(Surface& dst, int x, int y, int w, int h, const Surface& src, int sx, int sy);
void BlitAnd(Surface& dst, int x, int y, int w, int h, const Surface& src, int sx, int sy);

}  // namespace kb
