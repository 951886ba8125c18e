#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace kb {

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
