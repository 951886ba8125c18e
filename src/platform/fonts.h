#pragma once
// Text measuring and rasterising for the drawing surfaces. The game's one typeface is a
// fixed-pitch gothic; only size (points at 96 dpi), weight and colour change.
#include <cstdint>
#include <string_view>
#include <vector>

namespace kb {

struct TextRun {
    int w = 0, h = 0;
    std::vector<uint8_t> coverage;  // w * h anti-aliasing coverage, 0..255
};

class FontEngine {
  public:
    virtual ~FontEngine() = default;
    // Size in pixels that the text takes; height is the font's line height.
    virtual void Measure(std::u16string_view text, int points, bool bold, int& w, int& h) = 0;
    // The rendered glyphs; the reference stays valid until the next call.
    virtual const TextRun& Render(std::u16string_view text, int points, bool bold) = 0;
};

// Measures every character as half or full width of a cell and draws nothing: lets game
// logic run where no font is wanted.
class NullFontEngine : public FontEngine {
  public:
    void Measure(std::u16string_view text, int points, bool bold, int& w, int& h) override;
    const TextRun& Render(std::u16string_view text, int points, bool bold) override;

  private:
    TextRun empty_;
};

}  // namespace kb
