#pragma once
// Compares a picture pixel for pixel with its reference in tests/golden/NAME.png. A mismatch
// writes NAME-Actual.png beside the reference to look at; KB_UPDATE_GOLDEN=NAME rewrites that
// reference (only on purpose, after looking at it) and still says what changed.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sdl/sdl_images.h"
#include "screens/surface.h"

namespace kb::test {

// Whether KB_UPDATE_GOLDEN names one of these references: it holds a comma-separated list of
// names (a replay's name covers its transcript and its pictures), or "all".
inline bool UpdateNamed(std::initializer_list<std::string_view> names) {
    const char* update = std::getenv("KB_UPDATE_GOLDEN");
    if (!update) return false;
    const std::string list = std::string(",") + update + ",";
    if (list == ",all,") return true;
    for (std::string_view name : names)
        if (!name.empty() && list.find("," + std::string(name) + ",") != std::string::npos)
            return true;
    return false;
}

// owner: the replay that took the picture, if one did.
inline void ExpectGolden(const Surface& shot, const std::string& name,
                         const std::string& owner = "") {
    const std::filesystem::path dir = std::filesystem::path(KB_SOURCE_DIR) / "tests" / "golden";
    const std::string expected = (dir / (name + ".png")).string();
    const std::string actual = (dir / (name + "-Actual.png")).string();
    std::string error;
    std::error_code ec;
    int w = 0, h = 0;
    std::vector<uint32_t> px;
    SdlImageLoader loader;
    const bool known = loader.Load(expected, w, h, px, error);
    long differing = 0;
    int firstX = -1, firstY = -1;
    if (known && w == shot.W() && h == shot.H()) {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                if (px[static_cast<size_t>(y) * w + x] != shot.At(x, y) && differing++ == 0)
                    firstX = x, firstY = y;
    }
    const bool same = known && w == shot.W() && h == shot.H() && differing == 0;
    const std::string change = std::to_string(differing) + " pixels differ (first at " +
                               std::to_string(firstX) + "," + std::to_string(firstY) + "; size " +
                               std::to_string(shot.W()) + "x" + std::to_string(shot.H()) +
                               " against " + std::to_string(w) + "x" + std::to_string(h) + ")";
    if (UpdateNamed({name, owner})) {
        ASSERT_TRUE(SavePng(shot.View(), expected, error)) << error;
        std::filesystem::remove(actual, ec);
        if (!same) std::cerr << "updated " << name << ".png: " << (known ? change : "new") << "\n";
        return;
    }
    if (same) {
        std::filesystem::remove(actual, ec);
        return;
    }
    SavePng(shot.View(), actual, error);
    if (!known)
        FAIL() << "no reference " << expected << " (" << error << "); wrote " << actual
               << "; look at it, then run with KB_UPDATE_GOLDEN=" << name << " to keep it";
    FAIL() << name << ": " << change << "; see " << actual;
}

// The same for a PNG file someone else wrote (the headless driver's `shot`).
inline void ExpectGoldenFile(const std::filesystem::path& png, const std::string& name,
                             const std::string& owner = "") {
    int w = 0, h = 0;
    std::vector<uint32_t> px;
    std::string error;
    SdlImageLoader loader;
    ASSERT_TRUE(loader.Load(png.string(), w, h, px, error)) << png << ": " << error;
    Surface shot;
    shot.SetPicture(w, h, px);
    ExpectGolden(shot, name, owner);
}

}  // namespace kb::test
