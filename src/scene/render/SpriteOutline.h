#pragma once
// The part of a picture that can show: the rectangle (in texture coordinates, u to the right and v
// down from the top row) around every texel whose alpha is above zero, widened by the reach of
// bilinear filtering. Drawing a sprite whose see-through texels are dropped (blended or alpha-tested
// materials) as this rectangle instead of the whole square gives the same picture and spares the
// rasterizer the empty margins.
#include <glm/vec2.hpp>

#include <cstdint>

namespace vlm::render {

struct SpriteOutline {
    bool trimmed = false;  // false: draw the whole square (the outline would save too little)
    int count = 0;         // corners, clockwise on screen from the top left; 0 with trimmed: nothing shows
    glm::vec2 uv[4]{};
};

// `rgba` holds width x height texels, top row first. `repeat`: the texture wraps, so texels on one
// edge bleed into samples at the opposite edge. Only for textures sampled without mipmaps (smaller
// levels spread each texel further).
SpriteOutline ComputeSpriteOutline(const std::uint8_t* rgba, int width, int height, bool repeat);

} // namespace vlm::render
