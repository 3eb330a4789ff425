#pragma once
// Reading RIFF/WAVE files into float samples the mixer can play.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace vlm::sound {

// One decoded wave: interleaved float samples in [-1, 1].
struct Wave {
    uint32_t sampleRate = 44100;
    uint16_t channels = 1;        // 1 or 2
    std::vector<float> samples;   // frames * channels values

    size_t Frames() const { return channels ? samples.size() / channels : 0; }
};

// Decodes PCM (8, 16, 24, 32 bit) or 32-bit float WAVE data, mono or stereo.
// On failure returns false and puts a short reason into `error` ("no 'fmt ' chunk", ...).
bool DecodeWave(std::span<const uint8_t> bytes, Wave& out, std::string& error);

// Writes a wave as 16-bit PCM WAVE bytes (the format the forge puts into the bank).
std::vector<uint8_t> EncodeWave16(const Wave& wave);

}  // namespace vlm::sound
