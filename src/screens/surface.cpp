#include "screens/surface.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace kb {

void Surface::Resize(int wPx, int hPx) {
    w_ = std::max(0, wPx);
    h_ = std::max(0, hPx);
    px_.assign(static_cast<size_t>(w_) * h_, back_);
}

void Surface::SetPicture(int wPx, int hPx, const std::vector<uint32_t>& px) {
    w_ = wPx;
    h_ = hPx;
    px_ = px;
    px_.resize(static_cast<size_t>(w_) * h_, back_);
}

void Surface::SetBackColor(uint32_t rgb) {
    back_ = rgb & 0xFFFFFF;
    Cls();
}

void Surface::Cls() {
    std::fill(px_.begin(), px_.end(), back_);
    CurrentX = 0;
    CurrentY = 0;
}

double Surface::TextWidth(std::u16string_view text) const {
    if (!fonts_) return 0;
    int w = 0, h = 0;
    fonts_->Measure(text, FontSize, FontBold, w, h);
    return static_cast<double>(w) * kTwipsPerPixel;
}

double Surface::TextHeight(std::u16string_view text) const {
    if (!fonts_) return 0;
    int w = 0, h = 0;
    fonts_->Measure(text, FontSize, FontBold, w, h);
    return static_cast<double>(h) * kTwipsPerPixel;
}

void Surface::Print(std::u16string_view text) {
    if (!fonts_) return;
    const TextRun& run = fonts_->Render(text, FontSize, FontBold);
    // The picture box snaps twips to the pixel grid by truncation.
    const int x0 = static_cast<int>(std::floor(CurrentX / kTwipsPerPixel));
    const int y0 = static_cast<int>(std::floor(CurrentY / kTwipsPerPixel));
    const uint32_t fr = (ForeColor >> 16) & 0xFF, fg = (ForeColor >> 8) & 0xFF,
                   fb = ForeColor & 0xFF;
    for (int ry = 0; ry < run.h; ++ry) {
        const int y = y0 + ry;
        if (y < 0 || y >= h_) continue;
        for (int rx = 0; rx < run.w; ++rx) {
            const int x = x0 + rx;
            if (x < 0 || x >= w_) continue;
            const uint32_t a = run.coverage[static_cast<size_t>(ry) * run.w + rx];
            if (a == 0) continue;
            uint32_t& d = px_[static_cast<size_t>(y) * w_ + x];
            const uint32_t dr = (d >> 16) & 0xFF, dg = (d >> 8) & 0xFF, db = d & 0xFF;
            const uint32_t r = (fr * a + dr * (255 - a) + 127) / 255;
            const uint32_t g = (fg * a + dg * (255 - a) + 127) / 255;
            const uint32_t b = (fb * a + db * (255 - a) + 127) / 255;
            d = (r << 16) | (g << 8) | b;
        }
    }
    // Like the picture box, the next print starts on the following line.
    CurrentX = 0;
    CurrentY += static_cast<double>(run.h) * kTwipsPerPixel;
}

namespace {

// One axis of a copy of len pixels from `from` in a source of fromSize to `to` in a target of
// toSize: whatever lies before either start or past either end is cut, moving the other with it.
void ClipAxis(int& from, int& to, int& len, int fromSize, int toSize) {
    if (from < 0) {
        to -= from;
        len += from;
        from = 0;
    }
    if (to < 0) {
        from -= to;
        len += to;
        to = 0;
    }
    len = std::min({len, fromSize - from, toSize - to});
}

}  // namespace

bool Surface::Blit(RasterOp op, int x, int y, int w, int h, const Surface& src, int sx, int sy) {
    ClipAxis(sx, x, w, src.w_, w_);
    ClipAxis(sy, y, h, src.h_, h_);
    if (w <= 0 || h <= 0) return false;

    const bool overlapDown = &src == this && sy < y;
    for (int i = 0; i < h; ++i) {
        const int row = overlapDown ? h - 1 - i : i;
        uint32_t* d = px_.data() + static_cast<size_t>(y + row) * w_ + x;
        const uint32_t* s = src.px_.data() + static_cast<size_t>(sy + row) * src.w_ + sx;
        switch (op) {
            case RasterOp::kCopy:
                std::memmove(d, s, static_cast<size_t>(w) * sizeof(uint32_t));
                break;
            case RasterOp::kOr:
                for (int k = 0; k < w; ++k) d[k] |= s[k];
                break;
            case RasterOp::kAnd:
                for (int k = 0; k < w; ++k) d[k] &= s[k];
                break;
        }
    }
    return true;
}

}  // namespace kb
