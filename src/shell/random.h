#pragma once
#include <cstdint>

namespace kb {

// The game's one uniform generator in [0, 1): a 24-bit linear congruential sequence, so a
// seed replays the same game on any machine.
class Random {
  public:
    // Starts the sequence from seed (its low 24 bits).
    void Seed(uint32_t seed) { x_ = seed & 0xFFFFFF; }
    // The next number, in [0, 1).
    float Rnd() {
        x_ = (x_ * 1140671485u + 12820163u) & 0xFFFFFF;
        ++draws_;
        return static_cast<float>(x_) / 16777216.0f;
    }
    uint64_t Draws() const { return draws_; }  // how many numbers were drawn
    uint32_t State() const { return x_; }      // the sequence's place: Seed(State()) returns there

  private:
    uint32_t x_ = 0x50000;
    uint64_t draws_ = 0;
};

}  // namespace kb
