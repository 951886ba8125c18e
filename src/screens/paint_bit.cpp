#include "screens/paint_bit.h"

namespace kb {

void BlitCopy(Surface& dst, int x, int y, int w, int h, const Surface& src, int sx, int sy) {
    dst.Blit(RasterOp::kCopy, x, y, w, h, src, sx, sy);
}

void BlitPaint(Surface& dst, int x, int y, int w, int h, const Surface& src, int sx, int sy) {
    dst.Blit(RasterOp::kOr, x, y, w, h, src, sx, sy);
}

void BlitAnd(Surface& dst, int x, int y, int w, int h, const Surface& src, int sx, int sy) {
    dst.Blit(RasterOp::kAnd, x, y, w, h, src, sx, sy);
}

}  // namespace kb
