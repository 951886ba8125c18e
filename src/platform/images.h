#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace kb {

// A finished picture to show or save: 0x00RRGGBB pixels, row after row, w by h.
struct PixelView {
    const uint32_t* px = nullptr;
    int w = 0, h = 0;
    // Its size in pixels, its pixels, and the pixel at (x, y).
    int W() const { return w; }
    int H() const { return h; }
    const uint32_t* Pixels() const { return px; }
    uint32_t At(int x, int y) const { return px[static_cast<size_t>(y) * w + x]; }
};

// Decodes picture files (the JPEG background) to 0x00RRGGBB pixels.
class ImageLoader {
  public:
    virtual ~ImageLoader() = default;
    // False when the file cannot be read as a picture; error says why.
    virtual bool Load(const std::string& path, int& w, int& h, std::vector<uint32_t>& px,
                      std::string& error) = 0;
};

class NullImageLoader : public ImageLoader {
  public:
    bool Load(const std::string&, int&, int&, std::vector<uint32_t>&, std::string& error) override {
        error = "no picture decoder";
        return false;
    }
};

}  // namespace kb
