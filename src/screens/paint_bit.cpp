#include "screens/paint_bit.h"

namespace kb {

void BlitCopy(Surface& dst, int x, int y, int w, int h, const Surface& src, int sx, int sy) {
    dst.Blit(RasterOp::Copy, x, y, w, h, src, sx, sy);
}

void BlitPaint(Surface& dst, int x, int y, int w, int h, const Surface& src, int sx, int sy) {
    dst.Blit(RasterOp::Or, x, y, w, h, src, sx, sy);
}

void BlitAnd(Surface& dst, int x, int y, int w, int h, const Surface& src, int sx, int sy) {
    dst.Blit(RasterOp::And, x, y, w, h, src, sx, sy);
}

}  // namespace kb
