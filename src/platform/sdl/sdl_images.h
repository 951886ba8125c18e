#pragma once
#include "platform/images.h"

namespace kb {

// Pictures through SDL_image (JPEG and PNG), and PNG output of a surface.
class SdlImageLoader : public ImageLoader {
  public:
    bool Load(const std::string& path, int& w, int& h, std::vector<uint32_t>& px,
              std::string& error) override;
};

// Writes the picture to path as PNG; false with the reason in error.
bool SavePng(const PixelView& surface, const std::string& path, std::string& error);

}  // namespace kb
