#include "screens/sprite_art.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <span>
#include <string_view>
#include <vector>

namespace kb {
namespace {

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kBlack = 0x000000;
// Marks a pixel outside the sprite while it is being drawn; never reaches a sheet.
constexpr uint32_t kClear = 0xFF000000;

constexpr int kPicCell = 32;
constexpr int kPicWidth = 320;
constexpr int kExpCell = 64;
constexpr int kExpWidth = 320;
constexpr int kWakuSize = 36;

// One sprite while it is drawn; split into picture and shape when stamped on a sheet.
class Sprite {
  public:
    explicit Sprite(int size) : size_(size), px_(static_cast<size_t>(size * size), kClear) {}
    int Size() const { return size_; }
    uint32_t Get(int x, int y) const { return px_[static_cast<size_t>(y * size_ + x)]; }
    bool Inside(int x, int y) const {
        return x >= 0 && y >= 0 && x < size_ && y < size_ && Get(x, y) != kClear;
    }
    void Set(int x, int y, uint32_t c) {
        if (x >= 0 && y >= 0 && x < size_ && y < size_) px_[static_cast<size_t>(y * size_ + x)] = c;
    }
    void MirrorX() {
        for (int y = 0; y < size_; ++y) {
            auto row = px_.begin() + y * size_;
            std::reverse(row, row + size_);
        }
    }
    // A shape pixel touching the outside (4-neighbourhood): where the outline goes.
    bool OnEdge(int x, int y) const {
        return Inside(x, y) &&
               (!Inside(x - 1, y) || !Inside(x + 1, y) || !Inside(x, y - 1) || !Inside(x, y + 1));
    }

  private:
    int size_;
    std::vector<uint32_t> px_;
};

// Writes a sprite into cell `cell` of a sheet: the picture on white in the upper row, the shape
// in white on black in the row below.
void Stamp(uint32_t* sheet, int sheetWidth, int cell, const Sprite& s) {
    const int n = s.Size();
    for (int y = 0; y < n; ++y) {
        for (int x = 0; x < n; ++x) {
            const uint32_t c = s.Get(x, y);
            const bool in = c != kClear;
            const int sx = cell * n + x;
            sheet[y * sheetWidth + sx] = in ? c : kWhite;
            sheet[(y + n) * sheetWidth + sx] = in ? kWhite : kBlack;
        }
    }
}

struct Ink {
    char key;
    uint32_t colour;
};

// Paints rows of characters, one pixel each, from (left, top); '.' leaves the pixel clear.
void PaintRows(Sprite& s, int left, int top, std::initializer_list<std::string_view> rows,
               std::initializer_list<Ink> inks) {
    int y = top;
    for (std::string_view row : rows) {
        for (size_t i = 0; i < row.size(); ++i) {
            for (const Ink& ink : inks) {
                if (ink.key == row[i]) s.Set(left + static_cast<int>(i), y, ink.colour);
            }
        }
        ++y;
    }
}

// 4 x 4 ordered dither thresholds: gradients become pixel patterns instead of soft blends,
// which the OR/AND blits could not show anyway.
float Bayer(int x, int y) {
    static constexpr int kM[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
    return (static_cast<float>(kM[y & 3][x & 3]) + 0.5f) / 16.0f;
}

// Picks from a ramp of colours by t in [0, 1], dithering only near the band borders so the
// bands stay mostly solid.
using Ramp = std::span<const uint32_t>;

uint32_t RampPick(Ramp ramp, float t, int x, int y) {
    const int n = static_cast<int>(ramp.size());
    const float v = std::clamp(t, 0.0f, 1.0f) * static_cast<float>(n - 1);
    int i = static_cast<int>(v);
    const float f = std::clamp((v - static_cast<float>(i) - 0.3f) / 0.4f, 0.0f, 1.0f);
    if (f > Bayer(x, y)) ++i;
    return ramp[static_cast<size_t>(std::min(i, n - 1))];
}

// Smooth value noise in [0, 1): fixed seeds keep the art the same on every start.
float Hash(int x, int y, int seed) {
    uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u +
                 static_cast<uint32_t>(seed) * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return static_cast<float>(h & 0xFFFFFF) / 16777216.0f;
}

float Noise(float x, float y, int seed) {
    const int ix = static_cast<int>(std::floor(x));
    const int iy = static_cast<int>(std::floor(y));
    const float fx = x - static_cast<float>(ix);
    const float fy = y - static_cast<float>(iy);
    const float sx = fx * fx * (3 - 2 * fx);
    const float sy = fy * fy * (3 - 2 * fy);
    const float a = Hash(ix, iy, seed) + (Hash(ix + 1, iy, seed) - Hash(ix, iy, seed)) * sx;
    const float b =
        Hash(ix, iy + 1, seed) + (Hash(ix + 1, iy + 1, seed) - Hash(ix, iy + 1, seed)) * sx;
    return a + (b - a) * sy;
}

float Fbm(float x, float y, int seed) {
    return 0.65f * Noise(x, y, seed) + 0.35f * Noise(x * 2.1f, y * 2.1f, seed + 17);
}

float Dist(float x, float y, float cx, float cy) {
    return std::hypot(x - cx, y - cy);
}

// ---- PIC: missiles -------------------------------------------------------------------------

struct TeamColours {
    uint32_t bandLight, band, bandDark;                 // stripe behind the nose
    uint32_t flameCore, flameHot, flameMid, flameCool;  // exhaust, hottest first
};

constexpr TeamColours kPlayerTeam = {0x7CB4FF, 0x2E6CE0, 0x1A3C96, 0xE6F6FF,
                                     0x6CD4FF, 0x2A78F0, 0x1C34A8};
constexpr TeamColours kOpponentTeam = {0xFF9A88, 0xD83428, 0x8A1A16, 0xFFF4C4,
                                       0xFFB43C, 0xF04A1C, 0xA81C14};

constexpr uint32_t kOutline = 0x1A2230;
constexpr uint32_t kSteelDark = 0x536070;
constexpr uint32_t kSteel = 0x8A96A4;
constexpr uint32_t kSteelLight = 0xBCC6D2;
constexpr uint32_t kSteelShine = 0xEEF2F8;

// A rocket pointing left with its exhaust at the right; `frame` picks the flame's flicker.
Sprite Rocket(const TeamColours& team, int frame) {
    Sprite s(kPicCell);
    const std::initializer_list<Ink> inks = {
        {'K', kOutline},       {'D', kSteelDark},     {'G', kSteel},        {'L', kSteelLight},
        {'H', kSteelShine},    {'U', team.bandLight}, {'T', team.band},     {'V', team.bandDark},
        {'W', team.flameCore}, {'C', team.flameHot},  {'B', team.flameMid}, {'N', team.flameCool},
    };
    PaintRows(s, 0, 9,
              {
                  "...................KKKK..",  // 9: upper fin
                  "..................KLGGK..",
                  "................KLGGGGK..",
                  "..............KLGGGGGGK..",
                  ".......KKKKKKKKKKKKKKKKK.",  // 13: hull
                  ".....KKHHHUUHHHHHHHHHHKKK",
                  "...KKLLLLLTTLLLLLLLLLLKLG",
                  ".KKLLLLLLLTTLLLLLLLLLLKGD",  // 16: centre line, nose tip at x 1
                  "...KKGGGGGVVGGGGGGGGGGKDD",
                  ".....KKDDDVVDDDDDDDDDDKKK",
                  ".......KKKKKKKKKKKKKKKKK.",
                  "..............KGDDDDDDK..",  // 20: lower fin
                  "................KGDDDDK..",
                  "..................KGDDK..",
                  "...................KKKK..",
              },
              inks);
    if (frame == 0) {
        PaintRows(s, 25, 14,
                  {
                      "CBN....",
                      "WCCBN..",
                      "WWWCCBN",
                      "WCCBN..",
                      "CBN....",
                  },
                  inks);
    } else {
        PaintRows(s, 25, 13,
                  {
                      "BN.....",
                      "WCBN...",
                      "WWCBN.N",
                      "WWWCBN.",
                      "WWCBN..",
                      "WCBN...",
                      "BN.....",
                  },
                  inks);
    }
    return s;
}

// A glowing ball, brightest a little above-left of its centre, with a dark rim.
Sprite Ball(float radius, Ramp ramp, uint32_t rim) {
    Sprite s(kPicCell);
    const float c = (kPicCell - 1) / 2.0f;
    const float hx = c - radius * 0.3f;
    const float hy = c - radius * 0.3f;
    for (int y = 0; y < kPicCell; ++y) {
        for (int x = 0; x < kPicCell; ++x) {
            const float fx = static_cast<float>(x);
            const float fy = static_cast<float>(y);
            if (Dist(fx, fy, c, c) > radius) continue;
            const float t = Dist(fx, fy, hx, hy) / (radius * 1.25f);
            s.Set(x, y, RampPick(ramp, t, x, y));
        }
    }
    for (int y = 0; y < kPicCell; ++y) {
        for (int x = 0; x < kPicCell; ++x) {
            if (s.OnEdge(x, y)) s.Set(x, y, rim);
        }
    }
    return s;
}

// The lane cursor: a bevelled blue arrowhead pointing left, its base at the screen edge.
Sprite Cursor() {
    Sprite s(kPicCell);
    constexpr float kTipX = 3, kBaseX = 28, kMidY = 15.5f, kHalf = 12.5f;
    for (int y = 0; y < kPicCell; ++y) {
        for (int x = 0; x < kPicCell; ++x) {
            const float fx = static_cast<float>(x);
            const float half = (fx - kTipX) / (kBaseX - kTipX) * kHalf + 0.5f;
            if (fx < kTipX || fx > kBaseX || std::fabs(static_cast<float>(y) - kMidY) > half) {
                continue;
            }
            // Upper facet lit, lower facet shaded, split along the centre line.
            s.Set(x, y, static_cast<float>(y) < kMidY ? 0x3C8CFF : 0x1E5CD8);
        }
    }
    for (int y = 0; y < kPicCell; ++y) {
        for (int x = 0; x < kPicCell; ++x) {
            if (!s.Inside(x, y)) continue;
            if (s.OnEdge(x, y)) {
                s.Set(x, y, 0x0C1E64);
            } else if (!s.Inside(x, y - 1) || s.OnEdge(x, y - 1)) {
                if (static_cast<float>(y) < kMidY) s.Set(x, y, 0xA8D4FF);  // upper edge shine
            } else if (s.OnEdge(x + 1, y) && static_cast<float>(y) < kMidY) {
                s.Set(x, y, 0x6CB0FF);
            }
        }
    }
    return s;
}

// An empty square with a bevelled purple border.
Sprite PurpleSquare() {
    Sprite s(kPicCell);
    constexpr int kLo = 2, kHi = 29;
    for (int y = kLo; y <= kHi; ++y) {
        for (int x = kLo; x <= kHi; ++x) {
            const int ring = std::min({x - kLo, kHi - x, y - kLo, kHi - y});
            if (ring > 2) continue;
            uint32_t c = 0x3A1268;  // outer and inner outline
            if (ring == 1) c = kHi - x == 1 || kHi - y == 1 ? 0x8A3CD6 : 0xC88CFF;  // lit top-left
            s.Set(x, y, c);
        }
    }
    return s;
}

// ---- EXPpic: explosion frames -----------------------------------------------------------------

constexpr uint32_t kFire[] = {0xFFFCE6, 0xFFEC7C, 0xFFC832, 0xFF9422, 0xF05A14, 0xC0300E, 0x7C1A0C};
constexpr uint32_t kSmoke[] = {0x9C8A80, 0x74625A, 0x50423E, 0x342A2A};
constexpr uint32_t kFireRim = 0x5C120A;
constexpr uint32_t kSmokeRim = 0x1E1818;

// Darkens the border of a shape so it reads against any background; smoky pixels get a smoky
// rim, fiery ones a deep red one.
void RimExplosion(Sprite& s) {
    Sprite copy = s;
    for (int y = 0; y < s.Size(); ++y) {
        for (int x = 0; x < s.Size(); ++x) {
            if (!copy.OnEdge(x, y)) continue;
            const uint32_t c = copy.Get(x, y);
            const bool smoky = ((c >> 16) & 0xFF) - (c & 0xFF) < 0x40;
            s.Set(x, y, smoky ? kSmokeRim : kFireRim);
        }
    }
}

// A few hot sparks flung out around a frame, each a tiny cross or dot.
void Sparks(Sprite& s, int count, float minR, float maxR, int seed) {
    for (int i = 0; i < count; ++i) {
        const float a = Hash(i, 1, seed) * 6.2832f;
        const float r = minR + (maxR - minR) * Hash(i, 2, seed);
        const int x = static_cast<int>(31.5f + std::cos(a) * r);
        const int y = static_cast<int>(31.5f + std::sin(a) * r);
        s.Set(x, y, 0xFFEC7C);
        if (i % 2 == 0) {
            s.Set(x + 1, y, 0xFF9422);
            s.Set(x - 1, y, 0xFF9422);
            s.Set(x, y + 1, 0xFF9422);
            s.Set(x, y - 1, 0xFF9422);
        }
    }
}

// Frame 1: the flash, a bright shock ring with a hollow centre and tapering rays.
Sprite FlashRing() {
    Sprite s(kExpCell);
    constexpr int kRays = 9;
    constexpr float kTurn = 6.2832f;
    for (int y = 0; y < kExpCell; ++y) {
        for (int x = 0; x < kExpCell; ++x) {
            const float dx = static_cast<float>(x) - 31.5f;
            const float dy = static_cast<float>(y) - 31.5f;
            const float d = std::hypot(dx, dy);
            const float a = std::atan2(dy, dx) + kTurn / 2;
            const float ringR = 16.0f + 3.0f * Noise(a * 2.0f, 0.5f, 11);
            float heat = 1.0f - std::fabs(d - ringR) / 6.0f;
            for (int i = 0; i < kRays; ++i) {
                const float rayA = (static_cast<float>(i) + Hash(i, 0, 12) * 0.5f) * kTurn / kRays;
                const float len = 8.0f + 7.0f * Hash(i, 1, 12);
                const float along = 1.0f - (d - ringR) / len;
                float off = std::fabs(a - rayA);
                off = std::min(off, kTurn - off);
                if (d > ringR && along > 0.0f && off * d < 3.5f * along) {
                    heat = std::max(heat, 0.25f + 0.6f * along);
                }
            }
            if (heat <= 0.0f) continue;
            s.Set(x, y, RampPick(kFire, 1.0f - heat, x, y));
        }
    }
    RimExplosion(s);
    Sparks(s, 6, 26.0f, 30.0f, 5);
    return s;
}

struct Puff {
    float x, y, r;
};

// A lumpy cloud: the union of round puffs with a noisy border. Returns how deep inside the
// cloud (x, y) lies: 1 at a puff's centre, 0 at the border, negative outside.
float CloudDepth(float x, float y, std::initializer_list<Puff> puffs, float roughness, int seed) {
    float depth = -1.0f;
    for (const Puff& p : puffs) depth = std::max(depth, 1.0f - Dist(x, y, p.x, p.y) / p.r);
    return depth - roughness * (Fbm(x * 0.16f, y * 0.16f, seed) - 0.5f);
}

// Frame 2: the full fireball, white-hot inside.
Sprite Fireball() {
    Sprite s(kExpCell);
    for (int y = 0; y < kExpCell; ++y) {
        for (int x = 0; x < kExpCell; ++x) {
            const float fx = static_cast<float>(x), fy = static_cast<float>(y);
            const float depth = CloudDepth(fx, fy,
                                           {{32, 32, 22},
                                            {32, 15, 10},
                                            {47, 26, 10},
                                            {42, 45, 10},
                                            {21, 45, 10},
                                            {17, 25, 10}},
                                           0.5f, 21);
            if (depth <= 0.0f) continue;
            const float heat = depth * 1.35f + 0.3f * (Fbm(fx * 0.22f, fy * 0.22f, 22) - 0.5f);
            s.Set(x, y, RampPick(kFire, 1.0f - heat, x, y));
        }
    }
    RimExplosion(s);
    Sparks(s, 8, 27.0f, 31.0f, 23);
    return s;
}

// Frame 3: the fireball breaks up; its cooler outer parts turn to smoke.
Sprite BurningSmoke() {
    Sprite s(kExpCell);
    for (int y = 0; y < kExpCell; ++y) {
        for (int x = 0; x < kExpCell; ++x) {
            const float fx = static_cast<float>(x), fy = static_cast<float>(y);
            const float depth = CloudDepth(fx, fy,
                                           {{32, 33, 19},
                                            {30, 13, 11},
                                            {49, 24, 11},
                                            {45, 48, 11},
                                            {18, 47, 10},
                                            {14, 26, 11}},
                                           0.7f, 31);
            if (depth <= 0.0f) continue;
            const float heat = depth * 1.4f + 0.6f * (Fbm(fx * 0.2f, fy * 0.2f, 32) - 0.5f);
            if (heat > 0.45f) {
                s.Set(x, y, RampPick(kFire, 1.0f - (heat - 0.45f) * 0.9f - 0.25f, x, y));
            } else {
                s.Set(x, y, RampPick(kSmoke, 0.15f + (0.45f - heat) * 2.0f, x, y));
            }
        }
    }
    RimExplosion(s);
    Sparks(s, 6, 28.0f, 31.0f, 33);
    return s;
}

// Frame 4: drifting smoke puffs with embers still glowing in their folds.
Sprite EmberSmoke() {
    Sprite s(kExpCell);
    for (int y = 0; y < kExpCell; ++y) {
        for (int x = 0; x < kExpCell; ++x) {
            const float fx = static_cast<float>(x), fy = static_cast<float>(y);
            const float depth = CloudDepth(
                fx, fy, {{20, 22, 12}, {42, 20, 11}, {30, 37, 13}, {49, 42, 8}, {13, 45, 7}}, 1.1f,
                41);
            if (depth <= 0.0f) continue;
            const float ember = Fbm(fx * 0.3f, fy * 0.3f, 42) + depth * 0.4f;
            if (ember > 0.85f) {
                s.Set(x, y, RampPick(kFire, 0.45f + (1.0f - ember) * 1.2f, x, y));
            } else {
                // Lit from above: the upper side of each puff is lighter.
                const float shade = 0.55f - depth * 0.5f + (fy - 32.0f) / 64.0f * 0.8f;
                s.Set(x, y, RampPick(kSmoke, shade, x, y));
            }
        }
    }
    RimExplosion(s);
    return s;
}

// Frame 5: a chunk of the base flung out, glowing on one side, trailing sparks.
Sprite Fragment() {
    Sprite s(kExpCell);
    constexpr float kCx = 32, kCy = 30;
    for (int y = 0; y < kExpCell; ++y) {
        for (int x = 0; x < kExpCell; ++x) {
            const float dx = static_cast<float>(x) - kCx, dy = static_cast<float>(y) - kCy;
            const float a = std::atan2(dy, dx);
            // A jagged outline: the radius jumps between five corners.
            const int corner = static_cast<int>((a + 3.1416f) / 6.2832f * 5.0f) % 5;
            const float r = 6.0f + 3.0f * Hash(corner, 0, 51);
            if (std::hypot(dx, dy) > r) continue;
            const float lit = (-dx - dy) / (r * 1.4f);  // heat glow from the upper left
            uint32_t c = 0x3E3838;
            if (lit > 0.55f) {
                c = 0xFFC832;
            } else if (lit > 0.25f) {
                c = 0xF05A14;
            } else if (lit > -0.1f) {
                c = 0x6A5048;
            }
            s.Set(x, y, c);
        }
    }
    RimExplosion(s);
    // A short flame licking off the hot side and a trail of embers behind it.
    PaintRows(s, 21, 19, {"B.......", ".BCB....", ".CWCB...", "..BCWB..", "...BCB..", "....B..."},
              {{'W', 0xFFEC7C}, {'C', 0xFFAA2A}, {'B', 0xE0461A}});
    Sparks(s, 5, 14.0f, 20.0f, 53);
    return s;
}

}  // namespace

void DrawPicSheet(uint32_t* px) {
    Stamp(px, kPicWidth, 0, Rocket(kPlayerTeam, 0));
    Stamp(px, kPicWidth, 1, Rocket(kPlayerTeam, 1));
    for (int frame = 0; frame < 2; ++frame) {
        Sprite s = Rocket(kOpponentTeam, frame);
        s.MirrorX();  // the opponent fires from the left
        Stamp(px, kPicWidth, 2 + frame, s);
    }
    static constexpr uint32_t kOrange[] = {0xFFF2B4, 0xFFD25A, 0xFFA02C, 0xF06A18, 0xC8420E};
    static constexpr uint32_t kBlue[] = {0xE0F4FF, 0x8CCCFF, 0x4A94F8, 0x2A62DC, 0x1A3CA8};
    Stamp(px, kPicWidth, 4, Ball(13.5f, kOrange, 0x6E2408));
    Stamp(px, kPicWidth, 5, Ball(7.5f, kOrange, 0x6E2408));
    Stamp(px, kPicWidth, 6, Ball(13.5f, kBlue, 0x0E1E5C));
    Stamp(px, kPicWidth, 7, Ball(7.5f, kBlue, 0x0E1E5C));
    Stamp(px, kPicWidth, 8, Cursor());
    Stamp(px, kPicWidth, 9, PurpleSquare());
}

void DrawExpSheet(uint32_t* px) {
    Stamp(px, kExpWidth, 0, FlashRing());
    Stamp(px, kExpWidth, 1, Fireball());
    Stamp(px, kExpWidth, 2, BurningSmoke());
    Stamp(px, kExpWidth, 3, EmberSmoke());
    Stamp(px, kExpWidth, 4, Fragment());
}

void DrawWakuFrame(uint32_t* px) {
    for (int y = 0; y < kWakuSize; ++y) {
        for (int x = 0; x < kWakuSize; ++x) {
            const int ring = std::min({x, kWakuSize - 1 - x, y, kWakuSize - 1 - y});
            const bool corner =
                std::min(x, kWakuSize - 1 - x) < 3 && std::min(y, kWakuSize - 1 - y) < 3;
            uint32_t c = kBlack;
            if (ring == 0) c = corner ? 0xDCFF78 : 0xA4DC3C;
            if (ring == 1) c = 0x4E7C18;  // inner shadow line
            px[y * kWakuSize + x] = c;
        }
    }
}

}  // namespace kb
