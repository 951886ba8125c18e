#include "battle/explosions.h"

#include <cmath>
#include <cstdlib>

#include "screens/paint_bit.h"
#include "text/ustr.h"

namespace kb {

namespace {

constexpr int kW = 480;  // the Display and its work surfaces
constexpr int kH = 320;
constexpr int kCell = 64;  // one explosion frame of EXPpic
constexpr int kLastFrame = 5;
constexpr int kNewPerFrame = 6;
constexpr Single kMaxAmp = 64;
constexpr Integer kLeftWhileHeld = 15;  // WaveLeft while the wave is held: 14 curtain frames follow

// Degrees to radians with pi taken as 3.14, deliberately: the waves drift a little against
// their 360-degree wrap, which is part of their look. The fields are single precision, and so
// is the product.
constexpr Single kDegToRad = 0.017444444444444446f;

// A draw of floor(r * n + base) with a fresh random number.
int Draw(Game& g, int n, int base) {
    return static_cast<int>(std::floor(static_cast<double>(g.Rnd()) * n + base));
}

// Phases wrap only when above 360: a value of exactly 360 stays.
void Wrap(Single& degrees) {
    if (degrees > 360) degrees -= 360;
}

void Grow(Single& amp, Single by) {
    amp += by;
    if (amp > kMaxAmp) amp = kMaxAmp;
}

// Shifts of the wave: floor, so negative shifts round away from 0.
int RowShift(const GameState& s) {
    return static_cast<int>(std::floor(std::sin(s.WaveRowPhase * kDegToRad) * s.WaveRowAmp));
}
int ColShift(const GameState& s) {
    return static_cast<int>(std::floor(std::cos(s.WaveColPhase * kDegToRad) * s.WaveColAmp));
}

// Copies the two-pixel row strip at y from src to dst, cyclically shifted right by sh pixels.
void RowStrip(Surface& dst, const Surface& src, int y, int sh) {
    const int a = std::abs(sh);
    if (sh >= 0) {
        BlitCopy(dst, sh, y, kW - a, 2, src, 0, y);
        BlitCopy(dst, 0, y, a, 2, src, kW - a, y);
    } else {
        BlitCopy(dst, 0, y, kW - a, 2, src, a, y);
        BlitCopy(dst, kW - a, y, a, 2, src, 0, y);
    }
}

// Copies the two-pixel column strip at x from src to dst, cyclically shifted down by sh pixels.
void ColStrip(Surface& dst, const Surface& src, int x, int sh) {
    const int a = std::abs(sh);
    if (sh >= 0) {
        BlitCopy(dst, x, sh, 2, kH - a, src, x, 0);
        BlitCopy(dst, x, 0, 2, a, src, x, kH - a);
    } else {
        BlitCopy(dst, x, 0, 2, kH - a, src, x, a);
        BlitCopy(dst, x, kH - a, 2, a, src, x, 0);
    }
}

// The picture to be shaken: background and flames, composed in IM.
void Compose(Game& g) {
    const GameState& s = g.s;
    g.IM.Cls();
    if (s.BackLoaded == 1) BlitCopy(g.IM, 0, 0, kW, kH, g.BACKpic, 0, 0);
    for (int i = 0; i < kParticles; ++i) {
        if (s.ExpState[i] == 0) continue;
        const int cellX = kCell * (s.ExpState[i] - 1);
        BlitPaint(g.IM, s.ExpX[i], s.ExpY[i], kCell, kCell, g.EXPpic, cellX, kCell);
        BlitAnd(g.IM, s.ExpX[i], s.ExpY[i], kCell, kCell, g.EXPpic, cellX, 0);
    }
    g.IM.Refresh();
}

}  // namespace

void ExpInit(Game& g, int i, int what) {
    GameState& s = g.s;
    switch (what) {
        case kExpStartLeft:  // a win: the opponent's base at the left burns, flames fly right
            s.ExpX[i] = static_cast<Integer>(Draw(g, 160, 1) - 32);
            s.ExpY[i] = static_cast<Integer>(Draw(g, 320, 1));
            s.ExpSpeed[i] = static_cast<Integer>(Draw(g, 80, 10));
            s.ExpState[i] = 1;
            break;
        case kExpStartRight:  // a loss: the player's base at the right burns, flames fly left
            s.ExpX[i] = static_cast<Integer>(512 - Draw(g, 160, 1));
            s.ExpY[i] = static_cast<Integer>(Draw(g, 320, 1));
            s.ExpSpeed[i] = static_cast<Integer>(-Draw(g, 80, 10));
            s.ExpState[i] = 1;
            break;
        default:
            s.ExpX[i] = s.ExpY[i] = s.ExpSpeed[i] = s.ExpState[i] = 0;
            break;
    }
}

void MOV_EXP(Game& g) {
    GameState& s = g.s;
    for (int i = 0; i < kParticles; ++i) {
        if (s.ExpState[i] == 0) continue;
        s.ExpState[i] = static_cast<Integer>(s.ExpState[i] + 1);
        if (s.ExpState[i] > kLastFrame) s.ExpState[i] = 0;
        s.ExpX[i] = static_cast<Integer>(s.ExpX[i] + s.ExpSpeed[i]);
    }
    // At most six new flames a frame, in the lowest free slots. A free slot counts even when
    // the result is neither word and nothing starts in it.
    const std::u16string result = UpperAscii(s.GameResult);
    int count = 0;
    for (int i = 0; i < kParticles && count < kNewPerFrame; ++i) {
        if (s.ExpState[i] != 0) continue;
        if (result == u"WIN") {
            ExpInit(g, i, kExpStartLeft);
        } else if (result == u"LOSE") {
            ExpInit(g, i, kExpStartRight);
        }
        ++count;
    }
}

void DIS_IM(Game& g) {
    GameState& s = g.s;
    if (s.WaveLeft == 0) return;  // the effect is over; the result screen stands alone

    Compose(g);

    s.WaveRowStart += 10;
    s.WaveColStart += 15;
    Wrap(s.WaveRowStart);
    Wrap(s.WaveColStart);
    s.WaveRowPhase = s.WaveRowStart;
    s.WaveColPhase = s.WaveColStart;

    // Rows sway sideways into IM2. The amplitudes grow after use, so the first frame is still.
    g.IM2.Cls();
    for (int y = 0; y <= kH; y += 2) {
        RowStrip(g.IM2, g.IM, y, RowShift(s));
        s.WaveRowPhase += 5;
        Wrap(s.WaveRowPhase);
    }
    Grow(s.WaveRowAmp, 1.5f);
    g.IM2.Refresh();

    // Columns sway up and down onto the Display.
    for (int x = 0; x <= kW; x += 2) {
        ColStrip(g.Display, g.IM2, x, ColShift(s));
        s.WaveColPhase += 3;
        Wrap(s.WaveColPhase);
    }
    Grow(s.WaveColAmp, 0.5f);

    // Held for 30 frames, then closed with a curtain of plain lines on every even row.
    if (s.WaveHold > 0) {
        s.WaveHold = static_cast<Integer>(s.WaveHold - 1);
        s.WaveLeft = kLeftWhileHeld;
    } else {
        for (int y = 0; y <= kH; y += 2) BlitCopy(g.Display, 0, y, kW, 1, g.EF, 0, 0);
    }
    if (s.WaveLeft > 0) {
        s.WaveLeft = static_cast<Integer>(s.WaveLeft - 1);
        if (s.WaveLeft == 0) g.IM.Cls();
    }
    g.IM.Refresh();
}

}  // namespace kb
