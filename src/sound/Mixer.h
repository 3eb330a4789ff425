#pragma once
// The effect mixer: a fixed pool of voices, each playing one wave once at its own rate,
// volume and pan, added into a stereo float buffer. Nothing here allocates after
// construction, so the audio callback and PlaySound stay allocation-free.

#include <array>
#include <cstddef>
#include <cstdint>

#include "sound/WaveFile.h"

namespace vlm::sound {

// Output format of everything the engine renders: 44100 Hz, stereo, interleaved float.
inline constexpr int kOutputRate = 44100;

// Gain for a level in hundredths of a decibel (0 = full, -2000 = -20 dB = 0.1).
double HundredthsDbToGain(int hundredthsDb);

// Per-channel gains for a pan in the device range: -10000 (full left) .. 10000 (full right).
// As on the usual sound devices the far channel is attenuated by |pan| hundredths of a decibel;
// the near one stays at full level, and the extremes silence the far channel completely.
void PanToGains(int pan, float& left, float& right);

class Mixer {
public:
    // A generous pool: when all voices are busy the oldest one is cut to make room.
    static constexpr int kVoices = 64;

    // Starts `wave` playing; `step` is how many source frames advance per output frame.
    // Returns the slot used.
    int Start(const Wave* wave, double step, float gainLeft, float gainRight);
    void StopAll();
    // Adds every playing voice into `stereo` (frames * 2 floats) and retires finished voices.
    void MixAdd(float* stereo, size_t frames);
    int ActiveVoices() const;

private:
    struct Voice {
        const Wave* wave = nullptr;
        double position = 0.0;
        double step = 1.0;
        float gainLeft = 0.0f;
        float gainRight = 0.0f;
        uint64_t started = 0;  // start sequence, to find the oldest
    };
    std::array<Voice, kVoices> voices_{};
    uint64_t sequence_ = 0;
};

}  // namespace vlm::sound
