#include "synth.h"

#include <algorithm>
#include <cmath>

#include "wav_file.h"

namespace kb::sfx {

std::size_t FramesFor(double seconds) {
    return static_cast<std::size_t>(std::lround(seconds * kSampleRate));
}

double SecondsAt(std::size_t frame) {
    return static_cast<double>(frame) / kSampleRate;
}

double Noise::Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return static_cast<double>(state_) / 2147483648.0 - 1.0;
}

bool Noise::Chance(double probability) {
    return (Next() + 1.0) * 0.5 < probability;
}

double Oscillator::Advance(double hz) {
    const double at = phase_;
    phase_ += hz / kSampleRate;
    phase_ -= std::floor(phase_);
    return at;
}

double Oscillator::Sine(double hz) {
    return std::sin(2.0 * kPi * Advance(hz));
}

double Oscillator::Saw(double hz) {
    const double phase = Advance(hz);
    const int harmonics = std::max(1, static_cast<int>(0.45 * kSampleRate / hz));
    double sum = 0.0;
    for (int k = 1; k <= harmonics; ++k) sum += std::sin(2.0 * kPi * k * phase) / k;
    return sum * (2.0 / kPi);
}

double Oscillator::Square(double hz) {
    const double phase = Advance(hz);
    const int harmonics = std::max(1, static_cast<int>(0.45 * kSampleRate / hz));
    double sum = 0.0;
    for (int k = 1; k <= harmonics; k += 2) sum += std::sin(2.0 * kPi * k * phase) / k;
    return sum * (4.0 / kPi);
}

Filter::Outputs Filter::Run(double in, double cutoffHz, double q) {
    // Zavalishin's trapezoidal SVF: stable for any cutoff below Nyquist.
    const double g = std::tan(kPi * std::min(cutoffHz, 0.45 * kSampleRate) / kSampleRate);
    const double k = 1.0 / q;
    const double a1 = 1.0 / (1.0 + g * (g + k));
    const double v3 = in - s2_;
    const double v1 = a1 * s1_ + g * a1 * v3;
    const double v2 = s2_ + g * v1;
    s1_ = 2.0 * v1 - s1_;
    s2_ = 2.0 * v2 - s2_;
    return {v2, v1, in - k * v1 - v2};
}

double Decay(double t, double tau) {
    return t < 0.0 ? 0.0 : std::exp(-t / tau);
}

double HoldDecay(double t, double hold, double tau) {
    return t < hold ? 1.0 : std::exp(-(t - hold) / tau);
}

double Rise(double t, double start, double length) {
    if (t <= start) return 0.0;
    if (t >= start + length) return 1.0;
    return 0.5 - 0.5 * std::cos(kPi * (t - start) / length);
}

double Fall(double t, double start, double length) {
    return 1.0 - Rise(t, start, length);
}

double Glide(double from, double to, double t, double tau) {
    return to + (from - to) * std::exp(-t / tau);
}

double MidiHz(double note) {
    return 440.0 * std::pow(2.0, (note - 69.0) / 12.0);
}

std::vector<std::int16_t> Finish(Buffer samples, double peakDbfs, double fadeInSeconds,
                                 double fadeOutSeconds) {
    // One-pole DC blocker (about 18 Hz): noise and pitch drops leave an offset.
    double lastIn = 0.0;
    double lastOut = 0.0;
    for (double& s : samples) {
        const double out = s - lastIn + 0.995 * lastOut;
        lastIn = s;
        lastOut = out;
        s = out;
    }
    const double end = SecondsAt(samples.empty() ? 0 : samples.size() - 1);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const double t = SecondsAt(i);
        samples[i] *= Rise(t, 0.0, fadeInSeconds) * Fall(t, end - fadeOutSeconds, fadeOutSeconds);
    }
    double peak = 0.0;
    for (double s : samples) peak = std::max(peak, std::abs(s));
    const double gain = peak > 0.0 ? std::pow(10.0, peakDbfs / 20.0) * 32767.0 / peak : 0.0;
    std::vector<std::int16_t> out(samples.size());
    for (std::size_t i = 0; i < samples.size(); ++i) {
        out[i] = static_cast<std::int16_t>(std::lround(samples[i] * gain));
    }
    return out;
}

}  // namespace kb::sfx
