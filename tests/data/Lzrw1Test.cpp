#include "data/Lzrw1.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace vlm::data {
namespace {

std::vector<uint8_t> Repeat(std::string_view unit, size_t total)
{
    std::vector<uint8_t> out;
    while (out.size() < total)
        out.push_back(static_cast<uint8_t>(unit[out.size() % unit.size()]));
    return out;
}

std::vector<uint8_t> Noise(size_t total, uint32_t seed)
{
    std::mt19937 gen(seed);
    std::vector<uint8_t> out(total);
    for (uint8_t& b : out)
        b = static_cast<uint8_t>(gen());
    return out;
}

struct RoundTripCase {
    const char* name;
    std::vector<uint8_t> plain;
};

class Lzrw1RoundTrip : public ::testing::TestWithParam<RoundTripCase> {};

TEST_P(Lzrw1RoundTrip, DecompressesToTheInput)
{
    const std::vector<uint8_t>& plain = GetParam().plain;
    const std::vector<uint8_t> frame = Lzrw1Compress(plain);
    // Never more than the 8-byte frame header over the input.
    EXPECT_LE(frame.size(), plain.size() + 8);
    std::string problem;
    auto back = Lzrw1Decompress(frame, problem);
    ASSERT_TRUE(back) << problem;
    EXPECT_EQ(*back, plain);
}

std::vector<uint8_t> LongMatchesAtWindowEdge()
{
    // A block repeated exactly 4095 and 4096 bytes later: the first is in reach of a copy, the second not.
    std::vector<uint8_t> out = Noise(4095, 7);
    std::vector<uint8_t> head(out.begin(), out.begin() + 40);
    out.insert(out.end(), head.begin(), head.end());
    out.push_back(0);
    out.insert(out.end(), head.begin(), head.end());
    return out;
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, Lzrw1RoundTrip,
    ::testing::Values(RoundTripCase{"Empty", {}}, RoundTripCase{"OneByte", {0x42}},
                      RoundTripCase{"TwoBytes", {1, 2}}, RoundTripCase{"Run", Repeat("a", 1000)},
                      RoundTripCase{"ExactlySixteenItems", Repeat("ab", 16)},
                      RoundTripCase{"Text", Repeat("[OPTIONS]\r\nGamma=0,9\r\nBrightness=1,2\r\n", 5000)},
                      RoundTripCase{"Noise", Noise(10000, 1)},
                      RoundTripCase{"NoiseWithRepeats", [] {
                                        auto v = Noise(3000, 2);
                                        auto w = Repeat("xyzxyzxyz", 500);
                                        v.insert(v.end(), w.begin(), w.end());
                                        return v;
                                    }()},
                      RoundTripCase{"WindowEdge", LongMatchesAtWindowEdge()}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Lzrw1, RepetitiveDataShrinks)
{
    const auto plain = Repeat("[0]\r\nint=1\r\nspeed=0,5\r\n", 20000);
    EXPECT_LT(Lzrw1Compress(plain).size(), plain.size() / 4);
}

TEST(Lzrw1, IncompressibleDataIsStoredNotGrown)
{
    const auto plain = Noise(5000, 3);
    const auto frame = Lzrw1Compress(plain);
    EXPECT_EQ(frame.size(), plain.size() + 8);
    EXPECT_EQ(frame[4], 1); // stored method
}

std::vector<uint8_t> Frame(uint32_t declared, uint32_t method, std::vector<uint8_t> body)
{
    std::vector<uint8_t> out;
    for (uint32_t v : {declared, method})
        for (int i = 0; i < 4; ++i)
            out.push_back(static_cast<uint8_t>(v >> (8 * i)));
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

struct HostileCase {
    const char* name;
    std::vector<uint8_t> frame;
    const char* problem; // a piece of the reason
};

class Lzrw1Hostile : public ::testing::TestWithParam<HostileCase> {};

TEST_P(Lzrw1Hostile, IsRefusedWithAReason)
{
    std::string problem;
    EXPECT_FALSE(Lzrw1Decompress(GetParam().frame, problem));
    EXPECT_NE(problem.find(GetParam().problem), std::string::npos) << problem;
}

INSTANTIATE_TEST_SUITE_P(
    Frames, Lzrw1Hostile,
    ::testing::Values(
        HostileCase{"ShorterThanHeader", {1, 0, 0}, "shorter than its 8-byte header"},
        HostileCase{"UnknownMethod", Frame(0, 7, {}), "unknown compression method 7"},
        HostileCase{"StoredLongerThanDeclared", Frame(2, 1, {1, 2, 3}), "declares 2"},
        HostileCase{"StoredShorterThanDeclared", Frame(9, 1, {1, 2, 3}), "declares 9"},
        // Three literals that claim to be ten bytes.
        HostileCase{"ClaimsMoreThanItHolds", Frame(10, 0, {0, 0, 'a', 'b', 'c'}), "decompresses to 3 bytes"},
        // Three literals that claim to be two.
        HostileCase{"ClaimsLessThanItHolds", Frame(2, 0, {0, 0, 'a', 'b', 'c'}), "more than the declared 2"},
        // A copy item in first place reaches before the start.
        HostileCase{"CopyBeforeStart", Frame(4, 0, {1, 0, 0x03, 0x01}), "before the start"},
        HostileCase{"CopyWithOffsetZero", Frame(5, 0, {2, 0, 'a', 0x03, 0x00}), "before the start"},
        HostileCase{"CopyCutOff", Frame(5, 0, {2, 0, 'a', 0x03}), "inside a copy item"},
        HostileCase{"ControlWordCutOff", Frame(16, 0, {0, 0, 'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h', 'i', 'j', 'k', 'l',
                                                       'm', 'n', 'o', 'p', 0}),
                    "inside a control word"},
        // A gigantic claim is refused before anything is allocated for it.
        HostileCase{"HugeClaim", Frame(0xFFFFFFF0u, 0, {0, 0, 'a'}), "more than 3 compressed bytes can hold"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace vlm::data
