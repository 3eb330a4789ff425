#include "scene/render/SpriteOutline.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vlm::render {

namespace {

// A rectangle covering more than this share of the square saves too little to bother.
constexpr float kWorthIt = 0.9f;

} // namespace

SpriteOutline ComputeSpriteOutline(const std::uint8_t* rgba, int width, int height, bool repeat) {
    SpriteOutline out;
    if (!rgba || width <= 0 || height <= 0) return out;
    constexpr float kInf = std::numeric_limits<float>::infinity();
    float minU = kInf, maxU = -kInf, minV = kInf, maxV = -kInf;
    const float w = static_cast<float>(width), h = static_cast<float>(height);
    // A bilinear sample picks up texel (x, y) anywhere within half a texel beyond its square, so
    // each texel that shows reaches over [x - 0.5, x + 1.5] in texel units.
    auto reach = [&](int x, int y) {
        minU = std::min(minU, (static_cast<float>(x) - 0.5f) / w);
        maxU = std::max(maxU, (static_cast<float>(x) + 1.5f) / w);
        minV = std::min(minV, (static_cast<float>(y) - 0.5f) / h);
        maxV = std::max(maxV, (static_cast<float>(y) + 1.5f) / h);
    };
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* row = rgba + static_cast<std::size_t>(y) * static_cast<std::size_t>(width) * 4;
        for (int x = 0; x < width; ++x) {
            if (row[static_cast<std::size_t>(x) * 4 + 3] == 0) continue;
            reach(x, y);
            if (!repeat) continue;
            // A wrapping texture repeats its edge texels just beyond the opposite edge.
            const int xs[2] = {x == 0 ? width : x, x == width - 1 ? -1 : x};
            const int ys[2] = {y == 0 ? height : y, y == height - 1 ? -1 : y};
            for (int ix : xs)
                for (int iy : ys)
                    if (ix != x || iy != y) reach(ix, iy);
        }
    }
    if (minU > maxU) {  // not one texel shows
        out.trimmed = true;
        return out;
    }
    minU = std::max(minU, 0.0f);
    minV = std::max(minV, 0.0f);
    maxU = std::min(maxU, 1.0f);
    maxV = std::min(maxV, 1.0f);
    if (minU >= maxU || minV >= maxV) {
        out.trimmed = true;
        return out;
    }
    // The rectangle only: a software rasterizer shades whole 4 x 4 pixel blocks, and every edge
    // between two triangles shades the blocks along it twice. Cutting the corners off as well (eight
    // corners, six triangles) costs more along those inner edges than it saves at game sprite sizes.
    out.uv[0] = {minU, minV};
    out.uv[1] = {maxU, minV};
    out.uv[2] = {maxU, maxV};
    out.uv[3] = {minU, maxV};
    out.count = 4;
    float area = 0.0f;
    for (int i = 0; i < out.count; ++i) {
        const glm::vec2 a = out.uv[i], b = out.uv[(i + 1) % out.count];
        area += a.x * b.y - b.x * a.y;
    }
    area = std::abs(area) * 0.5f;
    out.trimmed = out.count >= 3 && area < kWorthIt;
    if (!out.trimmed) out.count = 0;
    return out;
}

} // namespace vlm::render
