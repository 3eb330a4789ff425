// libFuzzer target: RIFF/WAVE decoding. Arbitrary bytes decode or give a reason; a decoded
// wave has whole frames of finite samples in [-1, 1], and re-encodes to bytes that decode.
#include "sound/WaveFile.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace vlm::sound;
    Wave wave;
    std::string error;
    if (!DecodeWave(std::span<const uint8_t>(data, size), wave, error)) {
        if (error.empty())
            std::abort();
        return 0;
    }
    if ((wave.channels != 1 && wave.channels != 2) || wave.samples.size() % wave.channels != 0)
        std::abort();
    for (float s : wave.samples)
        if (!std::isfinite(s) || s < -1.0f || s > 1.0f)
            std::abort();
    const std::vector<uint8_t> again = EncodeWave16(wave);
    Wave back;
    if (!DecodeWave(again, back, error) || back.Frames() != wave.Frames())
        std::abort();
    return 0;
}
