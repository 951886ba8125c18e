#include "record_view/draw_kit.h"

#include <algorithm>
#include <cmath>

#include "screens/print_at.h"

namespace kb {

namespace {

void Plot(Surface& d, int x, int y, uint32_t rgb, double alpha) {
    if (x < 0 || y < 0 || x >= d.W() || y >= d.H() || alpha <= 0) return;
    uint32_t& p = d.Pixels()[static_cast<size_t>(y) * d.W() + x];
    p = Mix(p, rgb, std::min(alpha, 1.0));
}

}  // namespace

uint32_t Mix(uint32_t a, uint32_t b, double t) {
    t = std::clamp(t, 0.0, 1.0);
    auto channel = [&](int shift) {
        const double ca = (a >> shift) & 0xFF, cb = (b >> shift) & 0xFF;
        return static_cast<uint32_t>(std::lround(ca + (cb - ca) * t)) << shift;
    };
    return channel(16) | channel(8) | channel(0);
}

void FillRect(Surface& d, int x, int y, int w, int h, uint32_t rgb) {
    const int x0 = std::max(0, x), y0 = std::max(0, y);
    const int x1 = std::min(d.W(), x + w), y1 = std::min(d.H(), y + h);
    for (int yy = y0; yy < y1; ++yy)
        std::fill_n(d.Pixels() + static_cast<size_t>(yy) * d.W() + x0, std::max(0, x1 - x0), rgb);
}

void BlendRect(Surface& d, int x, int y, int w, int h, uint32_t rgb, int alpha) {
    for (int yy = std::max(0, y); yy < std::min(d.H(), y + h); ++yy)
        for (int xx = std::max(0, x); xx < std::min(d.W(), x + w); ++xx)
            Plot(d, xx, yy, rgb, alpha / 255.0);
}

void FrameRect(Surface& d, int x, int y, int w, int h, uint32_t rgb) {
    FillRect(d, x, y, w, 1, rgb);
    FillRect(d, x, y + h - 1, w, 1, rgb);
    FillRect(d, x, y, 1, h, rgb);
    FillRect(d, x + w - 1, y, 1, h, rgb);
}

void DrawLine(Surface& d, double x0, double y0, double x1, double y1, uint32_t rgb) {
    // Each pixel near the line is covered by how close its centre is to it (width 2, a soft
    // edge of one pixel).
    const double dx = x1 - x0, dy = y1 - y0;
    const double len2 = dx * dx + dy * dy;
    const int left = static_cast<int>(std::floor(std::min(x0, x1))) - 2;
    const int right = static_cast<int>(std::ceil(std::max(x0, x1))) + 2;
    const int top = static_cast<int>(std::floor(std::min(y0, y1))) - 2;
    const int bottom = static_cast<int>(std::ceil(std::max(y0, y1))) + 2;
    for (int y = top; y <= bottom; ++y) {
        for (int x = left; x <= right; ++x) {
            const double px = x + 0.5 - x0, py = y + 0.5 - y0;
            const double t = len2 > 0 ? std::clamp((px * dx + py * dy) / len2, 0.0, 1.0) : 0.0;
            const double ex = px - t * dx, ey = py - t * dy;
            const double dist = std::sqrt(ex * ex + ey * ey);
            Plot(d, x, y, rgb, 1.5 - dist);
        }
    }
}

void FillDisc(Surface& d, double cx, double cy, double r, uint32_t rgb) {
    for (int y = static_cast<int>(cy - r) - 1; y <= static_cast<int>(cy + r) + 1; ++y)
        for (int x = static_cast<int>(cx - r) - 1; x <= static_cast<int>(cx + r) + 1; ++x) {
            const double dist = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
            Plot(d, x, y, rgb, r + 0.5 - dist);
        }
}

int TextWidthPx(Surface& d, int points, std::u16string_view text, bool bold) {
    d.FontSize = points;
    d.FontBold = bold;
    return static_cast<int>(d.TextWidth(text) / kTwipsPerPixel);
}

void Text(Surface& d, int x, int y, int points, uint32_t rgb, std::u16string_view text, Align align,
          bool bold) {
    const int w = TextWidthPx(d, points, text, bold);
    if (align == Align::kCentre) x -= w / 2;
    if (align == Align::kRight) x -= w;
    d.ForeColor = rgb;
    PrintAt(d, static_cast<double>(x) * kTwipsPerPixel, static_cast<double>(y) * kTwipsPerPixel,
            text);
}

int TextWrapped(Surface& d, int x, int y, int width, int points, uint32_t rgb,
                std::u16string_view text, int lineHeight) {
    std::u16string line;
    auto flush = [&] {
        if (line.empty()) return;
        Text(d, x, y, points, rgb, line);
        y += lineHeight;
        line.clear();
    };
    while (!text.empty()) {
        const auto blank = text.find(u' ');
        const std::u16string_view word = text.substr(0, blank);
        const std::u16string longer =
            line.empty() ? std::u16string(word) : line + u" " + std::u16string(word);
        if (!line.empty() && TextWidthPx(d, points, longer) > width) flush();
        line = line.empty() ? std::u16string(word) : line + u" " + std::u16string(word);
        text = blank == std::u16string_view::npos ? u"" : text.substr(blank + 1);
    }
    flush();
    return y;
}

}  // namespace kb
