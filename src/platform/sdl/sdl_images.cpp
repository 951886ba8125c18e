#include "platform/sdl/sdl_images.h"

#include <SDL.h>
#include <SDL_image.h>

namespace kb {

bool SdlImageLoader::Load(const std::string& path, int& w, int& h, std::vector<uint32_t>& px,
                          std::string& error) {
    SDL_Surface* loaded = IMG_Load(path.c_str());
    if (!loaded) {
        error = IMG_GetError();
        return false;
    }
    SDL_Surface* argb = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_ARGB8888, 0);
    SDL_FreeSurface(loaded);
    if (!argb) {
        error = SDL_GetError();
        return false;
    }
    w = argb->w;
    h = argb->h;
    px.resize(static_cast<size_t>(w) * h);
    SDL_LockSurface(argb);
    for (int y = 0; y < h; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(
            static_cast<const uint8_t*>(argb->pixels) + static_cast<size_t>(y) * argb->pitch);
        for (int x = 0; x < w; ++x) px[static_cast<size_t>(y) * w + x] = row[x] & 0xFFFFFF;
    }
    SDL_UnlockSurface(argb);
    SDL_FreeSurface(argb);
    return true;
}

bool SavePng(const PixelView& surface, const std::string& path, std::string& error) {
    SDL_Surface* out =
        SDL_CreateRGBSurfaceWithFormat(0, surface.W(), surface.H(), 32, SDL_PIXELFORMAT_ARGB8888);
    if (!out) {
        error = SDL_GetError();
        return false;
    }
    SDL_LockSurface(out);
    for (int y = 0; y < surface.H(); ++y) {
        auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(out->pixels) +
                                                static_cast<size_t>(y) * out->pitch);
        for (int x = 0; x < surface.W(); ++x) row[x] = 0xFF000000u | surface.At(x, y);
    }
    SDL_UnlockSurface(out);
    const bool ok = IMG_SavePNG(out, path.c_str()) == 0;
    if (!ok) error = IMG_GetError();
    SDL_FreeSurface(out);
    return ok;
}

}  // namespace kb
