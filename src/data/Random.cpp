#include "data/Random.h"

#include <chrono>

namespace vlm::data {

namespace {

uint64_t SplitMix(uint64_t& x)
{
    uint64_t z = (x += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

uint64_t Rotl(uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }

} // namespace

void Random::Seed(uint64_t seed)
{
    for (uint64_t& word : state_)
        word = SplitMix(seed);
}

void Random::SeedFromClock()
{
    Seed(static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
         static_cast<uint64_t>(std::chrono::system_clock::now().time_since_epoch().count()));
}

uint64_t Random::Next()
{
    const uint64_t result = Rotl(state_[1] * 5, 7) * 9;
    const uint64_t t = state_[1] << 17;
    state_[2] ^= state_[0];
    state_[3] ^= state_[1];
    state_[1] ^= state_[2];
    state_[0] ^= state_[3];
    state_[2] ^= t;
    state_[3] = Rotl(state_[3], 45);
    return result;
}

int32_t Random::operator()(int32_t n)
{
    if (n <= 0)
        return 0;
    // Rejection keeps every value equally likely.
    const uint64_t range = static_cast<uint64_t>(n);
    const uint64_t limit = UINT64_MAX - (UINT64_MAX % range);
    uint64_t x;
    do {
        x = Next();
    } while (x >= limit);
    return static_cast<int32_t>(x % range);
}

double Random::NextDouble() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }

} // namespace vlm::data
