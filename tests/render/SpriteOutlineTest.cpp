// The outline a sprite is cut down to must hold every pixel where its picture shows.
#include "scene/render/SpriteOutline.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace vlm::render {
namespace {

struct Picture {
    int width, height;
    std::vector<std::uint8_t> rgba;
    Picture(int w, int h) : width(w), height(h), rgba(static_cast<std::size_t>(w) * h * 4, 0) {}
    void Show(int x, int y) { rgba[(static_cast<std::size_t>(y) * width + x) * 4 + 3] = 255; }
};

// Inside or on the convex outline (corners clockwise on screen, v down).
bool Inside(const SpriteOutline& o, float u, float v) {
    for (int i = 0; i < o.count; ++i) {
        const glm::vec2 a = o.uv[i], b = o.uv[(i + 1) % o.count];
        const float cross = (b.x - a.x) * (v - a.y) - (b.y - a.y) * (u - a.x);
        if (cross < -1e-5f) return false;
    }
    return true;
}

// Where a bilinear sample could pick up a showing texel: every point within half a texel of its
// square, wrapped around for a repeating texture.
bool Reached(const Picture& p, bool repeat, float u, float v) {
    const float x = u * p.width - 0.5f, y = v * p.height - 0.5f;  // in texel centres
    const int x0 = static_cast<int>(std::floor(x)), y0 = static_cast<int>(std::floor(y));
    for (int dy = 0; dy <= 1; ++dy)
        for (int dx = 0; dx <= 1; ++dx) {
            int tx = x0 + dx, ty = y0 + dy;
            if (repeat) {
                tx = (tx % p.width + p.width) % p.width;
                ty = (ty % p.height + p.height) % p.height;
            } else {
                tx = std::clamp(tx, 0, p.width - 1);
                ty = std::clamp(ty, 0, p.height - 1);
            }
            const float wx = dx ? x - x0 : 1.0f - (x - x0), wy = dy ? y - y0 : 1.0f - (y - y0);
            if (wx * wy > 0.0f && p.rgba[(static_cast<std::size_t>(ty) * p.width + tx) * 4 + 3] != 0) return true;
        }
    return false;
}

struct Case {
    const char* name;
    int width, height;
    std::vector<std::pair<int, int>> shown;
    bool repeat;
    bool trimmed;  // expected: worth cutting down
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class SpriteOutlineCases : public ::testing::TestWithParam<Case> {};

TEST_P(SpriteOutlineCases, HoldsEverySampleThatShows) {
    const Case& c = GetParam();
    Picture p(c.width, c.height);
    for (auto [x, y] : c.shown) p.Show(x, y);
    const SpriteOutline o = ComputeSpriteOutline(p.rgba.data(), p.width, p.height, c.repeat);
    EXPECT_EQ(o.trimmed, c.trimmed);
    if (!o.trimmed) return;  // the whole square is drawn
    if (c.shown.empty()) {
        EXPECT_EQ(o.count, 0);
        return;
    }
    ASSERT_GE(o.count, 3);
    // A dense grid of sample points, edges included.
    constexpr int kSteps = 256;
    int missed = 0, inside = 0;
    for (int j = 0; j <= kSteps; ++j)
        for (int i = 0; i <= kSteps; ++i) {
            const float u = static_cast<float>(i) / kSteps, v = static_cast<float>(j) / kSteps;
            const bool in = Inside(o, u, v);
            inside += in;
            if (Reached(p, c.repeat, u, v) && !in) ++missed;
        }
    EXPECT_EQ(missed, 0) << "samples that show fall outside the outline";
    EXPECT_LT(inside, (kSteps + 1) * (kSteps + 1) * 9 / 10) << "the outline saves nothing";
}

std::vector<std::pair<int, int>> Disc(int size, float radius) {
    std::vector<std::pair<int, int>> out;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const float dx = x + 0.5f - size / 2.0f, dy = y + 0.5f - size / 2.0f;
            if (dx * dx + dy * dy < radius * radius) out.push_back({x, y});
        }
    return out;
}

INSTANTIATE_TEST_SUITE_P(
    Pictures, SpriteOutlineCases,
    ::testing::Values(Case{"nothing_shows", 16, 16, {}, true, true},
                      Case{"one_texel_in_the_middle", 16, 16, {{7, 8}}, false, true},
                      Case{"one_texel_in_a_corner_clamped", 16, 16, {{0, 0}}, false, true},
                      // Wrapping carries the corner texel into the three other corners.
                      Case{"one_texel_in_a_corner_repeated", 16, 16, {{0, 0}}, true, false},
                      Case{"edge_texel_repeated", 16, 8, {{15, 3}}, true, true},
                      Case{"disc_filling_the_square", 32, 32, Disc(32, 16.0f), true, false},
                      Case{"small_disc_off_centre", 32, 32, Disc(12, 5.0f), false, true},
                      Case{"diagonal_line", 16, 16, {{0, 0}, {5, 5}, {10, 10}, {15, 15}}, false, false},
                      Case{"margins_all_round", 32, 16, {{4, 3}, {20, 12}, {9, 9}}, true, true},
                      Case{"every_texel", 4, 4, Disc(4, 10.0f), false, false}),
    [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

TEST(SpriteOutline, NoPixelsNoOutline) {
    EXPECT_FALSE(ComputeSpriteOutline(nullptr, 4, 4, true).trimmed);
    const std::uint8_t texel[4] = {0, 0, 0, 255};
    EXPECT_FALSE(ComputeSpriteOutline(texel, 0, 1, true).trimmed);
}

} // namespace
} // namespace vlm::render
