// Writes the sprite sheets drawn by sprite_art.cpp as PNG files, plain and enlarged, and a
// mock battlefield that draws them the way the game does (OR with the shape, AND with the
// picture), so the art can be judged without starting a match.
#include <SDL.h>
#include <SDL_image.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "screens/sprite_art.h"

namespace {

struct Picture {
    int w, h;
    std::vector<uint32_t> px;
    Picture(int width, int height, uint32_t fill = 0)
        : w(width), h(height), px(static_cast<size_t>(width * height), fill) {}
    uint32_t& At(int x, int y) { return px[static_cast<size_t>(y * w + x)]; }
};

bool SavePng(const Picture& p, int scale, const std::string& path) {
    SDL_Surface* s =
        SDL_CreateRGBSurfaceWithFormat(0, p.w * scale, p.h * scale, 32, SDL_PIXELFORMAT_RGB888);
    if (!s) return false;
    for (int y = 0; y < p.h * scale; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(s->pixels) + y * s->pitch);
        for (int x = 0; x < p.w * scale; ++x) {
            row[x] = p.px[static_cast<size_t>((y / scale) * p.w + x / scale)];
        }
    }
    const bool ok = IMG_SavePNG(s, path.c_str()) == 0;
    SDL_FreeSurface(s);
    if (!ok) std::fprintf(stderr, "cannot write %s: %s\n", path.c_str(), IMG_GetError());
    return ok;
}

// The game's two-step masked draw, clipped to the target.
void MaskedBlit(Picture& dst, int dx, int dy, int w, int h, const Picture& sheet, int sx, int sy) {
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const int tx = dx + x, ty = dy + y;
            if (tx < 0 || ty < 0 || tx >= dst.w || ty >= dst.h) continue;
            uint32_t& t = dst.At(tx, ty);
            t |= sheet.px[static_cast<size_t>((sy + h + y) * sheet.w + sx + x)];
            t &= sheet.px[static_cast<size_t>((sy + y) * sheet.w + sx + x)];
        }
    }
}

void Copy(Picture& dst, int dx, int dy, const Picture& src) {
    for (int y = 0; y < src.h; ++y) {
        for (int x = 0; x < src.w; ++x)
            dst.At(dx + x, dy + y) = src.px[static_cast<size_t>(y * src.w + x)];
    }
}

// Every sprite of a sheet drawn masked over a checkerboard, in a row.
Picture OnChecker(const Picture& sheet, int cell) {
    Picture out(sheet.w, cell);
    for (int y = 0; y < out.h; ++y) {
        for (int x = 0; x < out.w; ++x) out.At(x, y) = ((x / 4 + y / 4) % 2) ? 0x9A9A9A : 0x6A6A6A;
    }
    for (int c = 0; c * cell < sheet.w; ++c)
        MaskedBlit(out, c * cell, 0, cell, cell, sheet, c * cell, 0);
    return out;
}

// A match in progress over a dark night sky, and a swarm of explosions on the left.
Picture Battlefield(const Picture& pic, const Picture& exp, const Picture& waku) {
    Picture out(480, 320);
    for (int y = 0; y < 224; ++y) {
        for (int x = 0; x < 480; ++x) {
            const uint32_t b = static_cast<uint32_t>(0x30 + y / 5);
            out.At(x, y) = (b / 4) << 16 | (b / 3) << 8 | b;
        }
    }
    for (int lane = 0; lane < 6; ++lane) {
        const int y = 16 + 32 * lane;
        MaskedBlit(out, 300 - lane * 23, y, 32, 32, pic, 32 * (lane % 2), 0);
        MaskedBlit(out, 130 + lane * 19, y, 32, 32, pic, 32 * (2 + lane % 2), 0);
    }
    MaskedBlit(out, 360, 16, 32, 32, pic, 32 * 4, 0);
    MaskedBlit(out, 360, 48, 32, 32, pic, 32 * 5, 0);
    MaskedBlit(out, 90, 112, 32, 32, pic, 32 * 6, 0);
    MaskedBlit(out, 90, 144, 32, 32, pic, 32 * 7, 0);
    MaskedBlit(out, 448, 16 + 32 * 2, 32, 32, pic, 32 * 8, 0);
    MaskedBlit(out, 400, 176, 32, 32, pic, 32 * 9, 0);
    const int swarm[][3] = {{-20, 10, 1}, {30, 60, 2}, {5, 120, 3}, {60, 150, 4},  {-10, 190, 5},
                            {40, 240, 1}, {80, 20, 3}, {0, 270, 2}, {100, 100, 5}, {70, 200, 4}};
    for (const auto& e : swarm) MaskedBlit(out, e[0], e[1], 64, 64, exp, 64 * (e[2] - 1), 0);
    Copy(out, 15, 266, waku);
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string dir = argc > 1 ? std::string(argv[1]) + "/" : std::string();
    Picture pic(320, 64), exp(320, 128), waku(36, 36);
    kb::DrawPicSheet(pic.px.data());
    kb::DrawExpSheet(exp.px.data());
    kb::DrawWakuFrame(waku.px.data());

    const Picture picOnChecker = OnChecker(pic, 32);
    const Picture expOnChecker = OnChecker(exp, 64);
    Picture wakuOnGrey(44, 44, 0x808080);
    Copy(wakuOnGrey, 4, 4, waku);
    const Picture field = Battlefield(pic, exp, waku);

    struct Out {
        const Picture& p;
        const char* name;
    };
    const Out outs[] = {{pic, "pic"},         {picOnChecker, "pic_checker"},
                        {exp, "exp"},         {expOnChecker, "exp_checker"},
                        {wakuOnGrey, "waku"}, {field, "battlefield"}};
    bool ok = true;
    for (const Out& o : outs) {
        ok = SavePng(o.p, 1, dir + o.name + "_1x.png") && ok;
        // Sheets at 4x to see single pixels; the whole screen at 2x, as a player would see it.
        const int zoom = o.p.w > 320 ? 2 : 4;
        ok = SavePng(o.p, zoom, dir + o.name + "_" + std::to_string(zoom) + "x.png") && ok;
    }
    return ok ? 0 : 1;
}
