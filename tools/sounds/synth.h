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

std::size_t frames_for(double seconds);
double seconds_at(std::size_t frame);

// xorshift32: white noise that is the same on every machine for one seed.
class Noise {
  public:
    explicit Noise(std::uint32_t seed) : state_(seed) {}
    double next();  // uniform in [-1, 1)
    bool chance(double probability);

  private:
    std::uint32_t state_;
};

// Phase accumulator whose frequency may change on every sample. Saw and square
// are summed from the harmonics below Nyquist so high notes do not alias.
class Oscillator {
  public:
    double sine(double hz);
    double saw(double hz);
    double square(double hz);

  private:
    double advance(double hz);
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
    Outputs run(double in, double cutoff_hz, double q);

  private:
    double s1_ = 0.0;
    double s2_ = 0.0;
};

// exp(-t / tau) from t = 0 on, silence before.
double decay(double t, double tau);
// Full level until `hold`, then exp(-(t - hold) / tau).
double hold_decay(double t, double hold, double tau);
// Raised-cosine rise from 0 at `start` to 1 at `start + length`.
double rise(double t, double start, double length);
// Raised-cosine fall from 1 at `start` to 0 at `start + length`.
double fall(double t, double start, double length);
// Exponential glide from `from` towards `to` with time constant `tau`.
double glide(double from, double to, double t, double tau);
double midi_hz(double note);

// Removes DC, fades both edges so the sound starts and ends on silence, scales
// the peak to `peak_dbfs` and rounds to 16 bits.
std::vector<std::int16_t> finish(Buffer samples, double peak_dbfs, double fade_in_s,
                                 double fade_out_s);

}  // namespace kb::sfx
