#include "data/Random.h"

#include <gtest/gtest.h>

#include <array>
#include <limits>
#include <vector>

namespace vlm::data {
namespace {

std::vector<uint64_t> Draws(Random& random, int count)
{
    std::vector<uint64_t> out;
    for (int i = 0; i < count; ++i)
        out.push_back(random.Next());
    return out;
}

TEST(Random, ASeedGivesOneSequence)
{
    Random a(42), b(7);
    b.Seed(42);
    EXPECT_EQ(Draws(a, 20), Draws(b, 20));
    Random c(43);
    a.Seed(42);
    EXPECT_NE(Draws(a, 20), Draws(c, 20));
}

// Saved games and replays of a seed must not change with the compiler or the machine:
// these are the generator's first draws for seed 0, recorded once.
TEST(Random, DrawsForASeedNeverChange)
{
    Random random(0);
    EXPECT_EQ(Draws(random, 3), (std::vector<uint64_t>{0x99EC5F36CB75F2B4ull, 0xBF6E1F784956452Aull, 0x1A5F849D4933E6E0ull}));
    random.Seed(12345);
    std::vector<int32_t> small;
    for (int i = 0; i < 8; ++i)
        small.push_back(random(100));
    EXPECT_EQ(small, (std::vector<int32_t>{83, 98, 56, 95, 44, 96, 9, 10}));
}

TEST(Random, DrawsStayInRange)
{
    Random random(1);
    EXPECT_EQ(random(0), 0);
    EXPECT_EQ(random(-5), 0);
    for (int i = 0; i < 1000; ++i) {
        EXPECT_EQ(random(1), 0);
        const int32_t r = random(84);
        EXPECT_GE(r, 0);
        EXPECT_LT(r, 84);
        const double d = random.NextDouble();
        EXPECT_GE(d, 0.0);
        EXPECT_LT(d, 1.0);
    }
    EXPECT_LT(random(std::numeric_limits<int32_t>::max()), std::numeric_limits<int32_t>::max());
}

TEST(Random, EveryValueIsAboutEquallyLikely)
{
    Random random(2024);
    std::array<int, 10> counts{};
    const int draws = 100000;
    for (int i = 0; i < draws; ++i)
        ++counts[random(10)];
    double chiSquare = 0;
    for (int count : counts)
        chiSquare += (count - draws / 10.0) * (count - draws / 10.0) / (draws / 10.0);
    // 9 degrees of freedom: 27.9 is the 0.1 % point. The seed is fixed, so this never flickers.
    EXPECT_LT(chiSquare, 27.9);
}

} // namespace
} // namespace vlm::data
