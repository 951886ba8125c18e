// Writes the battlefield backdrop the game loads as back.jpg, or checks a committed one.
//
//   gen_background OUT.jpg                   paint and save (JPEG, quality 90)
//   gen_background --check BACK.jpg WORK.jpg  save a fresh one as WORK.jpg and compare both
//                                             decoded pictures, and each with the painting
#include <SDL.h>
#include <SDL_image.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "backdrop.h"

namespace {

using kb::backdrop::kHeight;
using kb::backdrop::kWidth;

constexpr int kQuality = 90;
// Two encoders (or decoders) of different versions round differently, most of all around the
// one-pixel stars: allow a little on average and more in a few places (re-encoding the file at
// quality 85 instead of 90 differs by 0.8 on average and 34 at most).
constexpr int kMaxChannelDiff = 64;
constexpr double kMaxMeanDiff = 1.0;
// What the lossy encoding itself may cost against the painting.
constexpr double kMaxMeanLoss = 3.0;

bool Save(const std::vector<uint32_t>& px, const std::string& path) {
    SDL_Surface* s =
        SDL_CreateRGBSurfaceWithFormat(0, kWidth, kHeight, 32, SDL_PIXELFORMAT_ARGB8888);
    if (!s) return false;
    SDL_LockSurface(s);
    for (int y = 0; y < kHeight; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(s->pixels) +
                                                static_cast<size_t>(y) * s->pitch);
        for (int x = 0; x < kWidth; ++x)
            row[x] = 0xFF000000u | px[static_cast<size_t>(y) * kWidth + x];
    }
    SDL_UnlockSurface(s);
    const bool ok = IMG_SaveJPG(s, path.c_str(), kQuality) == 0;
    SDL_FreeSurface(s);
    if (!ok)
        std::fprintf(stderr, "gen_background: cannot write %s: %s\n", path.c_str(), IMG_GetError());
    return ok;
}

bool Load(const std::string& path, std::vector<uint32_t>& px) {
    SDL_Surface* loaded = IMG_Load(path.c_str());
    if (!loaded) {
        std::fprintf(stderr, "gen_background: cannot read %s: %s\n", path.c_str(), IMG_GetError());
        return false;
    }
    SDL_Surface* argb = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_ARGB8888, 0);
    SDL_FreeSurface(loaded);
    if (!argb) return false;
    const bool sized = argb->w == kWidth && argb->h == kHeight;
    if (!sized)
        std::fprintf(stderr, "gen_background: %s is %dx%d, not %dx%d\n", path.c_str(), argb->w,
                     argb->h, kWidth, kHeight);
    if (sized) {
        px.resize(static_cast<size_t>(kWidth) * kHeight);
        SDL_LockSurface(argb);
        for (int y = 0; y < kHeight; ++y) {
            const auto* row = reinterpret_cast<const uint32_t*>(
                static_cast<const uint8_t*>(argb->pixels) + static_cast<size_t>(y) * argb->pitch);
            for (int x = 0; x < kWidth; ++x)
                px[static_cast<size_t>(y) * kWidth + x] = row[x] & 0xFFFFFF;
        }
        SDL_UnlockSurface(argb);
    }
    SDL_FreeSurface(argb);
    return sized;
}

struct Difference {
    int maxChannel = 0;
    double mean = 0;
};

Difference Compare(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
    Difference d;
    long total = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        for (int shift : {16, 8, 0}) {
            const int diff = std::abs(static_cast<int>((a[i] >> shift) & 0xFF) -
                                      static_cast<int>((b[i] >> shift) & 0xFF));
            d.maxChannel = std::max(d.maxChannel, diff);
            total += diff;
        }
    }
    d.mean = static_cast<double>(total) / (a.size() * 3.0);
    return d;
}

int Check(const std::string& committed, const std::string& work) {
    const std::vector<uint32_t> painted = kb::backdrop::Paint();
    std::vector<uint32_t> theirs, ours;
    if (!Save(painted, work) || !Load(committed, theirs) || !Load(work, ours)) return 1;
    const Difference regenerated = Compare(theirs, ours), loss = Compare(painted, theirs);
    std::printf("regenerated: max %d, mean %.3f; committed against the painting: mean %.3f\n",
                regenerated.maxChannel, regenerated.mean, loss.mean);
    if (regenerated.maxChannel > kMaxChannelDiff || regenerated.mean > kMaxMeanDiff ||
        loss.mean > kMaxMeanLoss) {
        std::fprintf(stderr,
                     "gen_background: %s is not what the generator paints today; rebuild it with "
                     "gen_background %s\n",
                     committed.c_str(), committed.c_str());
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (!(args.size() == 1 && args[0][0] != '-') && !(args.size() == 3 && args[0] == "--check")) {
        std::fprintf(stderr,
                     "usage: gen_background OUT.jpg | gen_background --check BACK.jpg WORK.jpg\n");
        return 2;
    }
    if ((IMG_Init(IMG_INIT_JPG) & IMG_INIT_JPG) == 0) {
        std::fprintf(stderr, "gen_background: no JPEG support: %s\n", IMG_GetError());
        return 1;
    }
    const int status =
        args.size() == 3 ? Check(args[1], args[2]) : (Save(kb::backdrop::Paint(), args[0]) ? 0 : 1);
    IMG_Quit();
    return status;
}
