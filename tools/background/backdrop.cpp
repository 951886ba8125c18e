#include "backdrop.h"

#include <algorithm>
#include <cmath>

namespace kb::backdrop {
namespace {

// The match shows rows 0 to 223; the lanes' sprites span rows 16 to 207.
constexpr int kFieldBottom = 224;
constexpr int kLaneTop = 16;
constexpr int kLaneHeight = 32;
constexpr int kLanes = 6;

struct Rgb {
    float r = 0, g = 0, b = 0;
};

Rgb operator+(Rgb a, Rgb b) {
    return {a.r + b.r, a.g + b.g, a.b + b.b};
}
Rgb operator*(Rgb a, float k) {
    return {a.r * k, a.g * k, a.b * k};
}
Rgb Mix(Rgb a, Rgb b, float t) {
    return a * (1 - t) + b * t;
}

// A fixed little generator, so the stars never move whatever the standard library does.
class Xorshift {
  public:
    uint32_t Next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }
    float Unit() { return static_cast<float>(Next() % 1000000) / 1000000.0f; }

  private:
    uint32_t state_ = 0x4b42u;  // "KB"
};

class Canvas {
  public:
    Canvas() : px_(static_cast<size_t>(kWidth) * kHeight) {}
    Rgb& At(int x, int y) { return px_[static_cast<size_t>(y) * kWidth + x]; }
    void Add(int x, int y, Rgb c) {
        if (x >= 0 && x < kWidth && y >= 0 && y < kHeight) At(x, y) = At(x, y) + c;
    }
    std::vector<uint32_t> Pixels() const {
        std::vector<uint32_t> out;
        out.reserve(px_.size());
        auto byte = [](float v) {
            return static_cast<uint32_t>(std::clamp(std::lround(v), 0l, 255l));
        };
        for (const Rgb& c : px_) out.push_back(byte(c.r) << 16 | byte(c.g) << 8 | byte(c.b));
        return out;
    }

  private:
    std::vector<Rgb> px_;
};

float Smooth(float edge0, float edge1, float x) {
    const float t = std::clamp((x - edge0) / (edge1 - edge0), 0.0f, 1.0f);
    return t * t * (3 - 2 * t);
}

// The far ridge's top edge: a few long waves, lowest in the middle of the field.
float RidgeY(float x) {
    return 203 - 7 * std::sin(x * 0.019f + 1.1f) - 4 * std::sin(x * 0.047f + 0.3f) -
           2 * std::sin(x * 0.11f + 2.0f) + 5 * std::exp(-std::pow((x - 240) / 90, 2.0f));
}

// Deep blue overhead, a violet haze towards the horizon, dark ground below it.
void Sky(Canvas& c) {
    const Rgb zenith{5, 7, 22}, haze{34, 24, 62}, ground{9, 10, 22}, deep{3, 4, 10};
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const float ridge = RidgeY(static_cast<float>(x));
            Rgb col;
            if (y < ridge) {
                col = Mix(zenith, haze, std::pow(y / ridge, 2.2f));
            } else {
                // Distant hills, then the plain fading to black at the bottom.
                col = Mix(ground, deep, Smooth(ridge, kHeight, static_cast<float>(y)));
            }
            c.At(x, y) = col;
        }
    }
}

// A thin line of light along the ridge, as of a far-off city.
void HorizonGlow(Canvas& c) {
    for (int x = 0; x < kWidth; ++x) {
        const float ridge = RidgeY(static_cast<float>(x));
        for (int y = 150; y < kFieldBottom; ++y) {
            const float d = (y - ridge) / 3.0f;
            c.Add(x, y, Rgb{46, 28, 52} * std::exp(-d * d) * (y < ridge ? 1.0f : 0.5f));
        }
    }
}

void Stars(Canvas& c) {
    Xorshift rnd;
    for (int i = 0; i < 260; ++i) {
        const int x = static_cast<int>(rnd.Next() % kWidth);
        const float depth = rnd.Unit();
        const int y = static_cast<int>(std::pow(depth, 1.5f) * 196);
        const float fade = 1 - Smooth(120, RidgeY(static_cast<float>(x)), static_cast<float>(y));
        const float bright = (40 + 110 * std::pow(rnd.Unit(), 2.0f)) * fade;
        const float warmth = rnd.Unit();
        const Rgb tint = Mix(Rgb{0.75f, 0.85f, 1.0f}, Rgb{1.0f, 0.9f, 0.75f}, warmth);
        c.Add(x, y, tint * bright);
        if (bright > 110) {
            // The brightest few get a soft cross.
            for (auto [dx, dy] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}})
                c.Add(x + dx, y + dy, tint * (bright * 0.3f));
        }
    }
}

// Faint dashed borders between the lanes and a slightly lighter band on every other lane, so
// the six rows read at a glance without drawing the eye.
void LaneGuides(Canvas& c) {
    for (int lane = 0; lane < kLanes; lane += 2) {
        for (int y = kLaneTop + lane * kLaneHeight; y < kLaneTop + (lane + 1) * kLaneHeight; ++y)
            for (int x = 0; x < kWidth; ++x) c.Add(x, y, Rgb{3, 4, 7});
    }
    for (int border = 0; border <= kLanes; ++border) {
        const int y = kLaneTop + border * kLaneHeight;
        for (int x = 0; x < kWidth; ++x) {
            if (x % 8 >= 4) continue;
            // Strongest near the bases, faint across the middle.
            const float edge = std::abs(x - kWidth / 2.0f) / (kWidth / 2.0f);
            c.Add(x, y, Rgb{12, 16, 30} * (0.45f + 0.55f * edge * edge));
        }
    }
}

// Our base burns blue at the right edge, the opponent's red at the left, over the lanes' height.
void BaseGlows(Canvas& c) {
    const Rgb ours{20, 70, 150}, theirs{150, 30, 50};
    for (int y = 0; y < kHeight; ++y) {
        const float span =
            Smooth(0, 24, static_cast<float>(y)) * (1 - Smooth(196, 236, static_cast<float>(y)));
        for (int x = 0; x < kWidth; ++x) {
            const float right = std::exp(-(kWidth - 1 - x) / 20.0f), left = std::exp(-x / 20.0f);
            c.Add(x, y, ours * (right * span * 0.7f));
            c.Add(x, y, theirs * (left * span * 0.7f));
        }
        // A bright seam at each edge: the shield line a missile has to pass.
        c.Add(kWidth - 1, y, Rgb{40, 110, 200} * (span * 0.6f));
        c.Add(0, y, Rgb{200, 50, 70} * (span * 0.6f));
    }
}

// A perspective grid on the plain below the field, seen only behind the match-over flames.
void GroundGrid(Canvas& c) {
    const float vx = kWidth / 2.0f, vy = 200;
    const Rgb line{12, 16, 34};
    for (int y = kFieldBottom + 2; y < kHeight; ++y) {
        const float depth = (y - vy) / (kHeight - vy);  // 0 at the horizon, 1 at the bottom
        // Rows: evenly spaced in depth, so they crowd towards the horizon.
        const float row = 1 / depth;
        const float nearRow = std::abs(row * 4 - std::round(row * 4));
        const float rowLine = std::max(0.0f, 1 - nearRow * 14 * depth);
        for (int x = 0; x < kWidth; ++x) {
            // Columns: lines through the vanishing point, 48 pixels apart at the bottom.
            const float u = (x - vx) / depth / 48;
            const float colLine = std::max(0.0f, 1 - std::abs(u - std::round(u)) * 48 * depth);
            c.Add(x, y, line * (std::max(rowLine, colLine) * (0.4f + 0.6f * depth)));
        }
    }
}

}  // namespace

std::vector<uint32_t> Paint() {
    Canvas c;
    Sky(c);
    HorizonGlow(c);
    Stars(c);
    LaneGuides(c);
    BaseGlows(c);
    GroundGrid(c);
    return c.Pixels();
}

}  // namespace kb::backdrop
