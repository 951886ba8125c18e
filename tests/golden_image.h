#pragma once
// Compares a picture pixel for pixel with its reference in tests/golden/NAME.png. A mismatch
// writes NAME-Actual.png beside the reference to look at; KB_UPDATE_GOLDEN=1 rewrites the
// references (only on purpose, after looking at them).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/sdl/sdl_images.h"
#include "screens/surface.h"

namespace kb::test {

inline void ExpectGolden(const Surface& shot, const std::string& name) {
    const std::filesystem::path dir = std::filesystem::path(KB_SOURCE_DIR) / "tests" / "golden";
    const std::string expected = (dir / (name + ".png")).string();
    const std::string actual = (dir / (name + "-Actual.png")).string();
    std::string error;
    std::error_code ec;
    const char* update = std::getenv("KB_UPDATE_GOLDEN");
    if (update && std::string(update) == "1") {
        ASSERT_TRUE(SavePng(shot.View(), expected, error)) << error;
        std::filesystem::remove(actual, ec);
        return;
    }
    int w = 0, h = 0;
    std::vector<uint32_t> px;
    SdlImageLoader loader;
    if (!loader.Load(expected, w, h, px, error)) {
        SavePng(shot.View(), actual, error);
        FAIL() << "no reference " << expected << " (" << error << "); wrote " << actual
               << "; look at it, then run with KB_UPDATE_GOLDEN=1 to keep it";
    }
    long differing = 0;
    int firstX = -1, firstY = -1;
    if (w == shot.W() && h == shot.H()) {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                if (px[static_cast<size_t>(y) * w + x] != shot.At(x, y) && differing++ == 0)
                    firstX = x, firstY = y;
    }
    if (w != shot.W() || h != shot.H() || differing > 0) {
        SavePng(shot.View(), actual, error);
        FAIL() << name << ": " << differing << " pixels differ (first at " << firstX << ","
               << firstY << "; size " << shot.W() << "x" << shot.H() << " against " << w << "x" << h
               << "); see " << actual;
    }
    std::filesystem::remove(actual, ec);
}

// The same for a PNG file someone else wrote (the headless driver's `shot`).
inline void ExpectGoldenFile(const std::filesystem::path& png, const std::string& name) {
    int w = 0, h = 0;
    std::vector<uint32_t> px;
    std::string error;
    SdlImageLoader loader;
    ASSERT_TRUE(loader.Load(png.string(), w, h, px, error)) << png << ": " << error;
    Surface shot;
    shot.SetPicture(w, h, px);
    ExpectGolden(shot, name);
}

}  // namespace kb::test
