#pragma once
// A picture surface: 0x00RRGGBB pixels, a background colour, and the text state of a
// classic picture box (position in twips, font size, bold, colour).
#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

#include "platform/fonts.h"
#include "platform/images.h"

namespace kb {

constexpr int kTwipsPerPixel = 15;
// A colour as the surfaces hold it, 0x00RRGGBB.
constexpr uint32_t Rgb(int r, int g, int b) {
    return (static_cast<uint32_t>(r) << 16) | (static_cast<uint32_t>(g) << 8) |
           static_cast<uint32_t>(b);
}
// The light grey a fresh picture surface has on the desktop the game comes from.
constexpr uint32_t kDefaultBackColor = Rgb(240, 240, 240);

enum class RasterOp { kCopy, kOr, kAnd };

class Surface {
  public:
    Surface() = default;
    // A surface of that size in pixels, filled with its back colour.
    Surface(int wPx, int hPx) { Resize(wPx, hPx); }

    // The engine Print and the text measures use.
    void SetFonts(FontEngine* fonts) { fonts_ = fonts; }

    // Size in pixels, the pixels row after row, one pixel, and the finished picture to show.
    int W() const { return w_; }
    int H() const { return h_; }
    uint32_t* Pixels() { return px_.data(); }
    const uint32_t* Pixels() const { return px_.data(); }
    uint32_t At(int x, int y) const { return px_[static_cast<size_t>(y) * w_ + x]; }
    PixelView View() const { return {px_.data(), w_, h_}; }

    // Size in twips, as the game reads and sets it.
    int Width() const { return w_ * kTwipsPerPixel; }
    int Height() const { return h_ * kTwipsPerPixel; }
    void SetWidth(int twips) { Resize(twips / kTwipsPerPixel, h_); }
    void SetHeight(int twips) { Resize(w_, twips / kTwipsPerPixel); }
    void Resize(int wPx, int hPx);
    // Takes the picture's size (AutoSize) and content.
    void SetPicture(int wPx, int hPx, const std::vector<uint32_t>& px);

    // The colour Cls clears to; setting it also clears, as the picture box does.
    void SetBackColor(uint32_t rgb);
    // Clears to the back colour and puts the text position at the top left.
    void Cls();
    // Shows the surface: onRefresh gets it (the window presents it).
    void Refresh() {
        if (onRefresh) onRefresh(*this);
    }
    std::function<void(const Surface&)> onRefresh;

    uint32_t ForeColor = Rgb(255, 255, 255);
    int FontSize = 9;
    bool FontBold = false;
    double CurrentX = 0;  // twips
    double CurrentY = 0;  // twips

    // Draws text at the text position in the fore colour; the next print starts a line below.
    void Print(std::u16string_view text);
    double TextWidth(std::u16string_view text) const;   // twips
    double TextHeight(std::u16string_view text) const;  // twips

    // One block transfer, clipped against both surfaces. False when nothing was drawn.
    bool Blit(RasterOp op, int x, int y, int w, int h, const Surface& src, int sx, int sy);

  private:
    int w_ = 0, h_ = 0;
    std::vector<uint32_t> px_;
    uint32_t back_ = kDefaultBackColor;
    FontEngine* fonts_ = nullptr;
};

}  // namespace kb
