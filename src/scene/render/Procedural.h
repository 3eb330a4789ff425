#pragma once
// Images the renderer makes for itself. They are grey, with the shape in both alpha and brightness,
// so the caller tints them with the vertex colour and they work with additive blending too.
#include <cstdint>
#include <vector>

namespace vlm::render::procedural {

// Puff broken up by smooth value noise (the look of a Perlin particle manager): `amplitude` 0..1 is
// how much the noise darkens the puff, `smoothness` > 0 damps the finer octaves, brightness and
// gamma shape the result like an image's.
std::vector<std::uint8_t> NoisePuff(int size, std::uint32_t seed, float amplitude, float smoothness, float brightness,
                                    float gamma);

} // namespace vlm::render::procedural
