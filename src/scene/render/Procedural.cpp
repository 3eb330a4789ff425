#include "scene/render/Procedural.h"

#include <algorithm>
#include <cmath>

namespace vlm::render::procedural {

namespace {

template <typename F>
std::vector<std::uint8_t> Make(int width, int height, F intensity) {
    std::vector<std::uint8_t> out(static_cast<std::size_t>(width) * height * 4);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            // Centre of the pixel in -1..1 on both axes.
            const float u = (x + 0.5f) / width * 2.0f - 1.0f;
            const float v = (y + 0.5f) / height * 2.0f - 1.0f;
            const float a = std::clamp(intensity(u, v), 0.0f, 1.0f);
            const auto byte = static_cast<std::uint8_t>(a * 255.0f + 0.5f);
            std::uint8_t* p = &out[(static_cast<std::size_t>(y) * width + x) * 4];
            p[0] = p[1] = p[2] = byte;  // brightness too, for additive blending
            p[3] = byte;
        }
    }
    return out;
}

} // namespace

namespace {

float Lattice(std::uint32_t seed, int x, int y) {
    std::uint32_t h = seed ^ (static_cast<std::uint32_t>(x) * 0x8da6b343u) ^ (static_cast<std::uint32_t>(y) * 0xd8163841u);
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    h ^= h >> 15;
    return static_cast<float>(h & 0xffffu) / 65535.0f;
}

// Smooth value noise on a lattice of `cells` per unit that wraps around, so the puff has no seam.
float ValueNoise(std::uint32_t seed, float x, float y, int cells) {
    const float fx = x * cells, fy = y * cells;
    const int x0 = static_cast<int>(std::floor(fx)), y0 = static_cast<int>(std::floor(fy));
    const float tx = fx - x0, ty = fy - y0;
    const float sx = tx * tx * (3 - 2 * tx), sy = ty * ty * (3 - 2 * ty);
    auto at = [&](int x, int y) { return Lattice(seed, ((x % cells) + cells) % cells, ((y % cells) + cells) % cells); };
    const float a = at(x0, y0), b = at(x0 + 1, y0), c = at(x0, y0 + 1), d = at(x0 + 1, y0 + 1);
    return (a + (b - a) * sx) * (1 - sy) + (c + (d - c) * sx) * sy;
}

} // namespace

std::vector<std::uint8_t> NoisePuff(int size, std::uint32_t seed, float amplitude, float smoothness, float brightness,
                                    float gamma) {
    amplitude = std::clamp(amplitude, 0.0f, 1.0f);
    smoothness = std::max(smoothness, 0.1f);
    gamma = std::max(gamma, 0.05f);
    return Make(size, size, [&](float u, float v) {
        const float r = std::sqrt(u * u + v * v);
        float t = std::max(0.0f, 1.0f - r);
        t = t * t * (3.0f - 2.0f * t);
        float noise = 0.0f, weight = 0.0f, w = 1.0f;
        for (int octave = 0; octave < 4; ++octave) {
            noise += w * ValueNoise(seed + octave * 977u, u * 0.5f + 0.5f, v * 0.5f + 0.5f, 4 << octave);
            weight += w;
            w *= std::pow(0.5f, smoothness);
        }
        noise /= weight;
        float value = t * (1.0f - amplitude + amplitude * noise) * brightness;
        value = std::pow(std::clamp(value, 0.0f, 1.0f), 1.0f / gamma);
        return value;
    });
}

} // namespace vlm::render::procedural
