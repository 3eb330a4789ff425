#pragma once
// The game's one random generator: xoshiro256** seeded through splitmix64, so a seed gives
// the same draws on every machine and compiler.

#include <cstdint>

namespace vlm::data {

class Random {
public:
    Random() { Seed(0); }
    explicit Random(uint64_t seed) { Seed(seed); }

    void Seed(uint64_t seed);
    // Seeds from the system clock (start-up does this once).
    void SeedFromClock();

    // A uniform integer from 0 to n - 1; 0 when n <= 0.
    int32_t operator()(int32_t n);
    // A uniform double in [0, 1).
    double NextDouble();
    // The next raw 64 bits.
    uint64_t Next();

private:
    uint64_t state_[4] = {};
};

} // namespace vlm::data
