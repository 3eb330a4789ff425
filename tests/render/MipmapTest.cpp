// Mipmap levels built on the processor: each texel the mean of the texels it covers, odd rows and
// columns folded into the last texel, never read past the picture.
#include "scene/render/TextureCache.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace vlm::render {
namespace {

// A picture whose red channel is `red(x, y)`, green 10, blue 200, alpha 255.
template <typename Red>
std::vector<std::uint8_t> Picture(int w, int h, Red red) {
    std::vector<std::uint8_t> p(static_cast<std::size_t>(w) * h * 4);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            std::uint8_t* t = p.data() + (static_cast<std::size_t>(y) * w + x) * 4;
            t[0] = static_cast<std::uint8_t>(red(x, y));
            t[1] = 10;
            t[2] = 200;
            t[3] = 255;
        }
    return p;
}

TEST(HalvePicture, EachTexelIsTheMeanOfTheTexelsItCovers) {
    struct Case {
        int w, h, outW, outH;
        std::vector<int> red;  // the expected red channel, row by row
    };
    // Red is 10 * x + 100 * y: the means show which texels were taken.
    const Case cases[] = {
        {4, 2, 2, 1, {55, 75}},            // pairs of columns, the two rows
        {3, 3, 1, 1, {110}},               // odd both ways: all nine in the one texel
        {5, 4, 2, 2, {55, 80, 230, 243}},  // the last column takes three (red stops at 255)
        {1, 5, 1, 2, {50, 237}},           // a single column: pairs of rows, the last takes three
        {6, 1, 3, 1, {5, 25, 45}},         // a single row
        {1, 1, 1, 1, {0}},                 // the smallest level stays 1 x 1
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.w) + " x " + std::to_string(c.h));
        const auto in = Picture(c.w, c.h, [](int x, int y) { return std::min(255, 10 * x + 100 * y); });
        std::vector<std::uint8_t> out;
        const auto [w, h] = HalvePicture(in.data(), c.w, c.h, out);
        ASSERT_EQ(w, c.outW);
        ASSERT_EQ(h, c.outH);
        ASSERT_EQ(out.size(), static_cast<std::size_t>(w) * h * 4);
        for (int i = 0; i < w * h; ++i) {
            EXPECT_EQ(out[i * 4 + 0], c.red[static_cast<std::size_t>(i)]) << "texel " << i;
            EXPECT_EQ(out[i * 4 + 1], 10);
            EXPECT_EQ(out[i * 4 + 2], 200);
            EXPECT_EQ(out[i * 4 + 3], 255);
        }
    }
}

} // namespace
} // namespace vlm::render
