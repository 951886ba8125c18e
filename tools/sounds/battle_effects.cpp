// Launch, explosion and power-up sounds: heard at 14000 Hz, so written bright.
#include <algorithm>
#include <cmath>

#include "effects.h"
#include "synth.h"

namespace kb::sfx {

std::vector<std::int16_t> MakeFire() {
    constexpr double kLength = 0.40;
    Noise noise(0x1f2e3d4c);
    Oscillator thump;
    Oscillator whistle;
    Filter air;
    Buffer out(FramesFor(kLength));
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = SecondsAt(i);
        // The air rushes up in pitch as the missile leaves, then trails off.
        const double centre = 1300.0 + 4200.0 * std::sin(kPi * std::min(t / 0.22, 0.5)) *
                                           (0.55 + 0.45 * HoldDecay(t, 0.11, 0.12));
        const double whoosh =
            air.Run(noise.Next(), centre, 1.4).band * Rise(t, 0.0, 0.03) * HoldDecay(t, 0.05, 0.11);
        const double kick = thump.Sine(Glide(260.0, 90.0, t, 0.025)) * Decay(t, 0.035);
        const double tone =
            whistle.Sine(Glide(900.0, 2300.0, t, 0.09)) * Rise(t, 0.0, 0.02) * Decay(t, 0.09);
        out[i] = 1.0 * whoosh + 0.45 * kick + 0.10 * tone;
    }
    return Finish(out, -3.0, 0.002, 0.03);
}

std::vector<std::int16_t> MakeExp() {
    constexpr double kLength = 0.60;
    Noise noise(0x5eed0e4b);
    Oscillator boom;
    Filter body;
    Filter crackle;
    Buffer out(FramesFor(kLength));
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = SecondsAt(i);
        const double white = noise.Next();
        // The blast darkens as it dies: the cutoff falls with the level.
        const double blast =
            body.Run(white, 300.0 + 7000.0 * Decay(t, 0.09), 0.8).low * Decay(t, 0.14);
        const double grit = crackle.Run(white, 3500.0, 2.0).band * Decay(t, 0.05);
        const double low = boom.Sine(Glide(170.0, 45.0, t, 0.07)) * Decay(t, 0.13);
        out[i] = 1.0 * blast + 0.35 * grit + 0.8 * low;
    }
    return Finish(out, -2.5, 0.002, 0.06);
}

std::vector<std::int16_t> MakeExp2() {
    constexpr double kLength = 1.35;
    Noise noise(0xb16b0033);
    Noise sparks(0x0ddba11);
    Oscillator boom;
    Filter rumble;
    Filter rumbleWarm;
    Filter second;
    Filter crack;
    Buffer out(FramesFor(kLength));
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = SecondsAt(i);
        const double white = noise.Next();
        const double roar = rumbleWarm
                                .Run(rumble.Run(white, 180.0 + 4200.0 * Decay(t, 0.22), 0.7).low,
                                     250.0 + 3000.0 * Decay(t, 0.35), 0.7)
                                .low *
                            Decay(t, 0.42);
        // A second, later blast makes it read as big rather than just long.
        const double t2 = t - 0.11;
        const double aftershock =
            t2 < 0.0 ? 0.0
                     : second.Run(white, 200.0 + 2500.0 * Decay(t2, 0.15), 0.9).low *
                           Rise(t2, 0.0, 0.01) * Decay(t2, 0.3);
        const double low = boom.Sine(Glide(120.0, 30.0, t, 0.12)) * Decay(t, 0.38);
        // Sparse debris crackle that thins out over time.
        const double impulse = sparks.Chance(0.012 * Decay(t, 0.4)) ? sparks.Next() : 0.0;
        const double debris = crack.Run(impulse, 2600.0, 3.0).band;
        out[i] = 1.0 * roar + 0.7 * aftershock + 0.9 * low + 0.9 * debris;
    }
    return Finish(out, -2.0, 0.002, 0.15);
}

std::vector<std::int16_t> MakeSpup() {
    // A quick major arpeggio up two octaves over a rising shimmer.
    constexpr double kStep = 0.045;
    constexpr double kSteps[] = {76, 80, 83, 88, 92, 95, 100};
    constexpr int kCount = 7;
    constexpr double kLength = kStep * kCount + 0.16;
    Oscillator tone;
    Oscillator sparkle;
    Filter soften;
    Buffer out(FramesFor(kLength));
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = SecondsAt(i);
        const int step = std::min(kCount - 1, static_cast<int>(t / kStep));
        const double since = t - step * kStep;
        const double note = soften.Run(tone.Square(MidiHz(kSteps[step])), 5000.0, 0.7).low *
                            (0.6 + 0.4 * Rise(since, 0.0, 0.004) * Decay(since, 0.02));
        const double sweep = sparkle.Sine(Glide(700.0, 3000.0, t, 0.18) *
                                          (1.0 + 0.01 * std::sin(2.0 * kPi * 30.0 * t)));
        const double tail = Fall(t, kStep * (kCount - 1), kLength - kStep * (kCount - 1));
        out[i] = (0.7 * note + 0.25 * sweep) * tail;
    }
    return Finish(out, -7.5, 0.002, 0.02);
}

}  // namespace kb::sfx
