#include "battle/missiles.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "audio/sound_effects.h"
#include "net/protocol.h"
#include "shell/scenes.h"
#include "text/ustr.h"

namespace kb {

namespace {

constexpr Integer kMyLaunchX = 416;  // the player's missiles start at the right
constexpr Integer kEnLaunchX = 32;   // the opponent's at the left
constexpr Integer kSprite = 32;
constexpr double kFieldWidth = 480.0;  // pixels from the left base to the right edge
constexpr Integer kBlastFrames = 30;   // counted down to -1: 31 frames drawn as exploding

// Any slot of the tables: a peer's message may name the spare lane 6, which takes the missile
// (and its sound) but is never moved or drawn.
bool IsLane(int lane) {
    return lane >= 0 && lane < kLaneSlots;
}

Integer LaneY(int lane) {
    return static_cast<Integer>(32 * lane + 16);
}

// One frame's flight: 16 pixels per second per speed level, spread over the measured frames,
// rounded to the nearest pixel with ties to even (the default rounding mode of nearbyint).
Integer Flown(const Game& g, Integer x, Integer power, int direction) {
    // Fps is 0 only before the first second has been counted, when no match can be running;
    // dividing by 1 then keeps the step finite.
    const double fps = g.loop.Fps > 0 ? static_cast<double>(g.loop.Fps) : 1.0;
    const double step = 32.0 / fps * (power + g.s.SpeedBonus) / 2.0;
    const double moved = std::nearbyint(x + direction * step);
    // A client's missile keeps flying past the base until the server's word arrives; keep
    // such a stray within the 16-bit field.
    return static_cast<Integer>(std::clamp(moved, double{std::numeric_limits<Integer>::min()},
                                           double{std::numeric_limits<Integer>::max()}));
}

// An explosion counts its frames down; below 0 the lane is empty again.
void Burn(Integer& state, Integer& power) {
    power = static_cast<Integer>(power - 1);
    if (power < 0) state = kMisEmpty;
}

void ToggleAnim(Integer& anim) {
    anim = static_cast<Integer>(anim + 1);
    if (anim > 1) anim = 0;
}

}  // namespace

void Init_Mis(Game& g) {
    GameState& s = g.s;
    for (int i = 0; i < kLanes; ++i) {
        s.MyMisState[i] = s.MyMisX[i] = s.MyMisY[i] = s.MyMisPower[i] = s.MyMisAnim[i] = 0;
        s.EnMisState[i] = s.EnMisX[i] = s.EnMisY[i] = s.EnMisPower[i] = s.EnMisAnim[i] = 0;
    }
}

void Fire_Mis(Game& g, int lane, int pe) {
    GameState& s = g.s;
    if (s.GameMode == kModeNone) return;  // no match running, or it has just ended
    if (!IsLane(lane)) return;
    if (pe == kMySide) {
        if (s.MyMisState[lane] == kMisFlying) {
            s.MyMisPower[lane] = static_cast<Integer>(s.MyMisPower[lane] + 2);
            StopSe(g, kSeMyPowerUp);
            PlaySe(g, kSeMyPowerUp, kPanFullRight);
            if (s.GameMode != kModeCom) SendDataAdd(g, kCodeReinforce, Num(lane));
        } else {
            // An explosion still burning in the lane gives way to the new missile.
            s.MyMisState[lane] = kMisFlying;
            s.MyMisX[lane] = kMyLaunchX;
            s.MyMisY[lane] = LaneY(lane);
            s.MyMisPower[lane] = 1;
            StopSe(g, kSeMyLaunch);
            PlaySe(g, kSeMyLaunch, kPanFullRight);
            if (s.GameMode != kModeCom) SendDataAdd(g, kCodeLaunch, Num(lane));
        }
    } else if (pe == kEnSide) {
        // The opponent's shots are never sent: the peer sends its own.
        if (s.EnMisState[lane] == kMisFlying) {
            s.EnMisPower[lane] = static_cast<Integer>(s.EnMisPower[lane] + 2);
            StopSe(g, kSeEnPowerUp);
            PlaySe(g, kSeEnPowerUp, kPanFullLeft);
        } else {
            s.EnMisState[lane] = kMisFlying;
            s.EnMisX[lane] = kEnLaunchX;
            s.EnMisY[lane] = LaneY(lane);
            s.EnMisPower[lane] = 1;
            StopSe(g, kSeEnLaunch);
            PlaySe(g, kSeEnLaunch, kPanFullLeft);
        }
    }
}

void Explode(Game& g, int pe, int lane) {
    GameState& s = g.s;
    if ((pe != kMySide && pe != kEnSide) || !IsLane(lane)) return;
    Integer& state = (pe == kMySide ? s.MyMisState : s.EnMisState)[lane];
    Integer& power = (pe == kMySide ? s.MyMisPower : s.EnMisPower)[lane];
    if (state != kMisFlying) return;
    state = kMisExploding;
    power = kBlastFrames;
}

void MOV_MIS(Game& g) {
    GameState& s = g.s;
    // A client never decides a hit itself: it waits for the server's messages. GameMode is
    // read afresh every time, since Game_End sets it to 0 in the middle of the frame.
    const auto decides = [&s] { return s.GameMode != kModeClient; };

    for (int i = 0; i < kLanes; ++i) {
        ToggleAnim(s.MyMisAnim[i]);
        if (s.MyMisState[i] == kMisFlying) {
            s.MyMisX[i] = Flown(g, s.MyMisX[i], s.MyMisPower[i], -1);
            if (s.MyMisX[i] < kEnLaunchX && decides()) {
                Explode(g, kMySide, i);
                PlaySe(g, kSeBaseHit, kPanEnBase);
                if (s.GameMode == kModeServer) SendDataAdd(g, kCodeDecided, u"1" + Num(i));
                if (g.ended) return;  // Connect Lost ended the program
                Game_End(g, u"WIN");
            }
        } else if (s.MyMisState[i] == kMisExploding) {
            Burn(s.MyMisState[i], s.MyMisPower[i]);
        }
    }

    // The opponent's loop runs second, so when both bases fall in one frame "LOSE" stands.
    for (int i = 0; i < kLanes; ++i) {
        ToggleAnim(s.EnMisAnim[i]);
        if (s.EnMisState[i] == kMisFlying) {
            s.EnMisX[i] = Flown(g, s.EnMisX[i], s.EnMisPower[i], +1);
            if (s.EnMisX[i] > kMyLaunchX && decides()) {
                Explode(g, kEnSide, i);
                PlaySe(g, kSeBaseHit, kPanMyBase);
                if (s.GameMode == kModeServer) SendDataAdd(g, kCodeDecided, u"0" + Num(i));
                if (g.ended) return;
                Game_End(g, u"LOSE");
            }
        } else if (s.EnMisState[i] == kMisExploding) {
            Burn(s.EnMisState[i], s.EnMisPower[i]);
        }

        // The sprites overlap: both go up, whatever their powers.
        if (s.MyMisState[i] == kMisFlying && s.EnMisState[i] == kMisFlying &&
            s.MyMisX[i] < s.EnMisX[i] + kSprite && decides()) {
            Explode(g, kMySide, i);
            Explode(g, kEnSide, i);
            // Heard where they meet: full left at the left edge, full right at the right one.
            constexpr double kPanWidth = kPanFullRight - kPanFullLeft;
            const int pan =
                static_cast<int>(std::floor(s.MyMisX[i] / kFieldWidth * kPanWidth)) + kPanFullLeft;
            PlaySe(g, kSeCollision, pan);
            if (s.GameMode == kModeServer) SendDataAdd(g, kCodeCollision, Num(i));
            if (g.ended) return;
        }
    }
}

}  // namespace kb
