// Menu, match-start, speed-up, error and typing sounds: played at their own rate.
#include <cmath>
#include <initializer_list>

#include "effects.h"
#include "synth.h"
#include "wav_file.h"

namespace kb::sfx {
namespace {

struct Note {
    double start;
    double length;
    double midi;
};

// One brass-like voice: a saw whose filter opens at each note's attack.
class BrassLine {
  public:
    explicit BrassLine(std::initializer_list<Note> notes) : notes_(notes) {}

    double At(double t) {
        for (const Note& n : notes_) {
            if (t < n.start || t >= n.start + n.length) continue;
            const double since = t - n.start;
            const double vibrato =
                1.0 + 0.006 * Rise(since, 0.2, 0.2) * std::sin(2 * kPi * 5.5 * t);
            const double cutoff =
                900.0 + 3200.0 * Rise(since, 0.0, 0.02) * (0.6 + 0.4 * Decay(since, 0.08));
            const double level =
                Rise(since, 0.0, 0.012) * Fall(t, n.start + n.length - 0.035, 0.035);
            return filter_.Run(osc_.Saw(MidiHz(n.midi) * vibrato), cutoff, 0.9).low * level;
        }
        return filter_.Run(0.0, 900.0, 0.9).low;
    }

  private:
    std::vector<Note> notes_;
    Oscillator osc_;
    Filter filter_;
};

// A struck bell: a few partials, the higher ones dying sooner.
double Bell(double t, double hz) {
    if (t < 0.0) return 0.0;
    constexpr double kRatio[] = {1.0, 2.0, 3.0, 4.16};
    constexpr double kLevel[] = {1.0, 0.45, 0.22, 0.12};
    constexpr double kTau[] = {0.32, 0.18, 0.10, 0.05};
    double sum = 0.0;
    for (int p = 0; p < 4; ++p) {
        if (hz * kRatio[p] > 0.45 * kSampleRate) break;  // would fold back as a harsh alias
        sum += kLevel[p] * std::sin(2 * kPi * hz * kRatio[p] * t) * Decay(t, kTau[p]);
    }
    return sum * Rise(t, 0.0, 0.002);
}

}  // namespace

std::vector<std::int16_t> MakeOpen() {
    // Three quick rising strikes: "faster now".
    constexpr double kLength = 0.95;
    Buffer out(FramesFor(kLength));
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = SecondsAt(i);
        out[i] = 0.8 * Bell(t, MidiHz(88)) + 0.8 * Bell(t - 0.075, MidiHz(92)) +
                 1.0 * Bell(t - 0.15, MidiHz(95)) + 0.5 * Bell(t - 0.15, MidiHz(100));
    }
    return Finish(out, -4.0, 0.002, 0.08);
}

std::vector<std::int16_t> MakeSelect() {
    constexpr double kLength = 0.06;
    Oscillator tick;
    Buffer out(FramesFor(kLength));
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = SecondsAt(i);
        const double hz = Glide(1900.0, 1500.0, t, 0.02);
        out[i] = tick.Sine(hz) * Decay(t, 0.013);
    }
    return Finish(out, -6.0, 0.001, 0.01);
}

std::vector<std::int16_t> MakeFrame() {
    // "Ta-ta-ta-taaa" in C major, three voices over a bass.
    constexpr double kLength = 1.3;
    constexpr double kShort = 0.105;
    constexpr double kGap = 0.125;
    constexpr double kLong = 3 * kGap;
    constexpr double kHeld = kLength - kLong - 0.01;
    auto line = [&](double a, double b) {
        return BrassLine{
            {0 * kGap, kShort, a}, {1 * kGap, kShort, a}, {2 * kGap, kShort, a}, {kLong, kHeld, b}};
    };
    BrassLine top = line(79, 84);
    BrassLine middle = line(76, 79);
    BrassLine low = line(72, 76);
    BrassLine bass = line(48, 48);
    Noise noise(0xc0ffee11);
    Filter shimmer;
    Buffer out(FramesFor(kLength));
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = SecondsAt(i);
        const double cymbal = shimmer.Run(noise.Next(), 7000.0, 0.7).high * Rise(t, kLong, 0.004) *
                              Decay(t - kLong, 0.3);
        out[i] = 0.5 * top.At(t) + 0.4 * middle.At(t) + 0.4 * low.At(t) + 0.45 * bass.At(t) +
                 0.12 * cymbal;
    }
    return Finish(out, -3.0, 0.002, 0.12);
}

std::vector<std::int16_t> MakeEncounter() {
    // A rising rush, then "da-DAAA" on a trembling A minor stab.
    constexpr double kLength = 1.15;
    constexpr double kStab = 0.2;
    constexpr double kBlow = 0.32;
    constexpr double kChord[] = {57, 64, 69, 72, 76};
    Noise noise(0xe4c0de42);
    Filter rush;
    Oscillator riser;
    Oscillator voices[5][2];
    Filter tone;
    Buffer out(FramesFor(kLength));
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = SecondsAt(i);
        const double swell = rush.Run(noise.Next(), Glide(500.0, 6500.0, t, 0.15), 2.0).band *
                             Rise(t, 0.0, 0.18) * Fall(t, kStab - 0.02, 0.06);
        const double climb = riser.Saw(Glide(180.0, 900.0, t, 0.12)) * Rise(t, 0.0, 0.15) *
                             Fall(t, kStab - 0.01, 0.03);
        double chord = 0.0;
        for (int v = 0; v < 5; ++v) {
            // Two detuned saws per note for width.
            const double hz = MidiHz(kChord[v]);
            chord += voices[v][0].Saw(hz * 0.997) + voices[v][1].Saw(hz * 1.003);
        }
        const double first = Rise(t, kStab, 0.006) * Fall(t, kStab + 0.07, 0.03);
        const double second = Rise(t, kBlow, 0.006) * Decay(t - kBlow, 0.35);
        const double tremolo =
            1.0 - 0.3 * Rise(t, kBlow + 0.15, 0.1) * (0.5 + 0.5 * std::sin(2 * kPi * 13.0 * t));
        const double since = t < kBlow ? t - kStab : t - kBlow;
        const double cutoff = 1200.0 + 4500.0 * Decay(since, 0.12);
        const double stab = tone.Run(chord, cutoff, 0.8).low * (first + second) * tremolo;
        out[i] = 0.6 * swell + 0.25 * climb + 0.18 * stab;
    }
    return Finish(out, -3.0, 0.002, 0.1);
}

std::vector<std::int16_t> MakeEr() {
    // Two low, rounded buzzes: noticeable without being harsh on every miss.
    constexpr double kLength = 0.24;
    Oscillator a;
    Oscillator b;
    Filter round;
    Buffer out(FramesFor(kLength));
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = SecondsAt(i);
        const double gate = Rise(t, 0.0, 0.006) * Fall(t, 0.075, 0.02) +
                            Rise(t, 0.12, 0.006) * Fall(t, 0.195, 0.02);
        const double buzz = a.Square(155.0) + b.Square(156.6);
        out[i] = round.Run(buzz, 1100.0, 0.7).low * gate;
    }
    return Finish(out, -14.0, 0.002, 0.02);
}

std::vector<std::int16_t> MakeHit() {
    // A short wooden tick with a soft ping: heard on every kana, so kept gentle.
    constexpr double kLength = 0.06;
    Noise noise(0x7a9b1c2d);
    Filter click;
    Buffer out(FramesFor(kLength));
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = SecondsAt(i);
        const double ping = std::sin(2 * kPi * 1760.0 * t) * Decay(t, 0.012) +
                            0.2 * std::sin(2 * kPi * 3520.0 * t) * Decay(t, 0.006);
        const double body = std::sin(2 * kPi * 620.0 * t) * Decay(t, 0.007);
        const double snap = click.Run(noise.Next(), 3800.0, 0.7).high * Decay(t, 0.0025);
        out[i] = 0.6 * ping + 0.5 * body + 0.5 * snap;
    }
    return Finish(out, -8.0, 0.0008, 0.01);
}

}  // namespace kb::sfx
