#include "sound/WaveFile.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace vlm::sound {

namespace {

uint32_t Le32(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t(p[3]) << 24); }
uint16_t Le16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }

void Put32(std::vector<uint8_t>& v, uint32_t x) {
    for (int i = 0; i < 4; ++i) v.push_back(uint8_t(x >> (8 * i)));
}
void Put16(std::vector<uint8_t>& v, uint16_t x) {
    v.push_back(uint8_t(x));
    v.push_back(uint8_t(x >> 8));
}
void PutTag(std::vector<uint8_t>& v, const char* tag) { v.insert(v.end(), tag, tag + 4); }

}  // namespace

bool DecodeWave(std::span<const uint8_t> bytes, Wave& out, std::string& error) {
    if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0 ||
        std::memcmp(bytes.data() + 8, "WAVE", 4) != 0) {
        error = "not a RIFF/WAVE file";
        return false;
    }
    bool haveFmt = false;
    uint16_t format = 0, channels = 0, bits = 0, blockAlign = 0;
    uint32_t rate = 0;
    const uint8_t* data = nullptr;
    size_t dataSize = 0;

    size_t pos = 12;
    while (pos + 8 <= bytes.size()) {
        const uint8_t* chunk = bytes.data() + pos;
        size_t size = Le32(chunk + 4);
        size_t available = bytes.size() - pos - 8;
        if (std::memcmp(chunk, "fmt ", 4) == 0) {
            if (size < 16 || size > available) {
                error = "damaged 'fmt ' chunk";
                return false;
            }
            format = Le16(chunk + 8);
            channels = Le16(chunk + 10);
            rate = Le32(chunk + 12);
            blockAlign = Le16(chunk + 20);
            bits = Le16(chunk + 22);
            if (format == 0xFFFE && size >= 40) format = Le16(chunk + 8 + 24);  // WAVE_FORMAT_EXTENSIBLE
            haveFmt = true;
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            data = chunk + 8;
            dataSize = std::min(size, available);  // a truncated data chunk keeps what is there
        }
        if (size > available) break;
        pos += 8 + size + (size & 1);
    }
    if (!haveFmt) {
        error = "no 'fmt ' chunk";
        return false;
    }
    if (!data) {
        error = "no 'data' chunk";
        return false;
    }
    const bool pcm = format == 1 && (bits == 8 || bits == 16 || bits == 24 || bits == 32);
    const bool flt = format == 3 && bits == 32;
    if (!pcm && !flt) {
        error = "unsupported sample format " + std::to_string(format) + " with " + std::to_string(bits) + " bits";
        return false;
    }
    if (channels < 1 || channels > 2) {
        error = "unsupported channel count " + std::to_string(channels);
        return false;
    }
    if (rate < 1000 || rate > 192000) {
        error = "unsupported sample rate " + std::to_string(rate);
        return false;
    }
    const size_t bytesPerSample = bits / 8;
    if (blockAlign != bytesPerSample * channels) {
        error = "inconsistent block alignment";
        return false;
    }
    const size_t frames = dataSize / blockAlign;
    out.sampleRate = rate;
    out.channels = channels;
    out.samples.resize(frames * channels);
    const uint8_t* p = data;
    for (size_t i = 0; i < frames * channels; ++i, p += bytesPerSample) {
        float v = 0.0f;
        if (flt) {
            uint32_t u = Le32(p);
            std::memcpy(&v, &u, 4);
            if (!std::isfinite(v)) v = 0.0f;
            v = std::clamp(v, -1.0f, 1.0f);
        } else if (bits == 8) {
            v = (int(p[0]) - 128) / 128.0f;
        } else if (bits == 16) {
            v = int16_t(Le16(p)) / 32768.0f;
        } else if (bits == 24) {
            int32_t s = int32_t((uint32_t(p[0]) << 8) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 24)) >> 8;
            v = s / 8388608.0f;
        } else {
            v = float(int32_t(Le32(p)) / 2147483648.0);
        }
        out.samples[i] = v;
    }
    return true;
}

std::vector<uint8_t> EncodeWave16(const Wave& wave) {
    const uint32_t dataBytes = uint32_t(wave.samples.size() * 2);
    std::vector<uint8_t> v;
    v.reserve(44 + dataBytes);
    PutTag(v, "RIFF");
    Put32(v, 36 + dataBytes);
    PutTag(v, "WAVE");
    PutTag(v, "fmt ");
    Put32(v, 16);
    Put16(v, 1);
    Put16(v, wave.channels);
    Put32(v, wave.sampleRate);
    Put32(v, wave.sampleRate * wave.channels * 2);
    Put16(v, uint16_t(wave.channels * 2));
    Put16(v, 16);
    PutTag(v, "data");
    Put32(v, dataBytes);
    for (float s : wave.samples) {
        // The same scale the decoder divides by, so a round trip keeps the value.
        const long q = std::clamp(std::lround(double(s) * 32768.0), -32768L, 32767L);
        Put16(v, uint16_t(int16_t(q)));
    }
    return v;
}

}  // namespace vlm::sound
