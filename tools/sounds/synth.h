#pragma once
// Building blocks for the sound effects: a seeded noise source, band-limited
// oscillators, a sweepable filter, envelopes and the final level/edge pass.
// Everything is a pure function of its inputs, so every run writes the same bytes.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace kb::sfx {

using Buffer = std::vector<double>;

inline constexpr double kPi = 3.14159265358979323846;

std::size_t FramesFor(double seconds);
double SecondsAt(std::size_t frame);

// xorshift32: white noise that is the same on every machine for one seed.
class Noise {
  public:
    explicit Noise(std::uint32_t seed) : state_(seed) {}
    double Next();  // uniform in [-1, 1)
    bool Chance(double probability);

  private:
    std::uint32_t state_;
};

// Phase accumulator whose frequency may change on every sample. Saw and square
// are summed from the harmonics below Nyquist so high notes do not alias.
class Oscillator {
  public:
    double Sine(double hz);
    double Saw(double hz);
    double Square(double hz);

  private:
    double Advance(double hz);
    double phase_ = 0.0;
};

// Two-pole state-variable filter; cutoff and Q may change on every sample.
class Filter {
  public:
    struct Outputs {
        double low;
        double band;
        double high;
    };
    Outputs Run(double in, double cutoffHz, double q);

  private:
    double s1_ = 0.0;
    double s2_ = 0.0;
};

// exp(-t / tau) from t = 0 on, silence before.
double Decay(double t, double tau);
// Full level until `hold`, then exp(-(t - hold) / tau).
double HoldDecay(double t, double hold, double tau);
// Raised-cosine rise from 0 at `start` to 1 at `start + length`.
double Rise(double t, double start, double length);
// Raised-cosine fall from 1 at `start` to 0 at `start + length`.
double Fall(double t, double start, double length);
// Exponential glide from `from` towards `to` with time constant `tau`.
double Glide(double from, double to, double t, double tau);
double MidiHz(double note);

// Removes DC, fades both edges so the sound starts and ends on silence, scales
// the peak to `peakDbfs` and rounds to 16 bits.
std::vector<std::int16_t> Finish(Buffer samples, double peakDbfs, double fadeInSeconds,
                                 double fadeOutSeconds);

}  // namespace kb::sfx
