#include "data/Numbers.h"

#include "data/Errors.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace vlm::data {
namespace {

struct IntCase {
    const char* text;
    bool ok;
    int32_t value;
};

class IntConversion : public ::testing::TestWithParam<IntCase> {};

TEST_P(IntConversion, FollowsTheGamesRules)
{
    const IntCase& c = GetParam();
    int32_t value = -999;
    EXPECT_EQ(TryStrToInt(c.text, value), c.ok) << "'" << c.text << "'";
    if (c.ok) {
        EXPECT_EQ(value, c.value);
        EXPECT_EQ(StrToInt(c.text), c.value);
    } else {
        EXPECT_EQ(value, -999) << "a failed conversion changed the target";
        try {
            StrToInt(c.text);
            FAIL();
        } catch (const EConvertError& error) {
            EXPECT_EQ(std::string(error.what()), "'" + std::string(c.text) + "' is not a valid integer value");
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, IntConversion,
                         ::testing::Values(IntCase{"12", true, 12}, IntCase{"  12", true, 12},
                                           IntCase{"+7", true, 7}, IntCase{"-7", true, -7},
                                           IntCase{"007", true, 7}, IntCase{"$1F", true, 31},
                                           IntCase{"0x1f", true, 31}, IntCase{"-$10", true, -16},
                                           IntCase{"2147483647", true, 2147483647},
                                           IntCase{"-2147483648", true, std::numeric_limits<int32_t>::min()},
                                           IntCase{"2147483648", false, 0}, IntCase{"-2147483649", false, 0},
                                           IntCase{"$FFFFFFFF", false, 0}, IntCase{"", false, 0},
                                           IntCase{"ini error", false, 0}, IntCase{"12 ", false, 0},
                                           IntCase{"1,5", false, 0}, IntCase{"1.5", false, 0},
                                           IntCase{"-", false, 0}, IntCase{"$", false, 0},
                                           IntCase{"0x", false, 0}, IntCase{"1e3", false, 0},
                                           IntCase{"--1", false, 0}));

TEST(Int64Conversion, CoversTheWholeRange)
{
    EXPECT_EQ(StrToInt64("9223372036854775807"), std::numeric_limits<int64_t>::max());
    EXPECT_EQ(StrToInt64("-9223372036854775808"), std::numeric_limits<int64_t>::min());
    EXPECT_EQ(StrToInt64("3000000000"), 3000000000LL);
    int64_t value = 0;
    EXPECT_FALSE(TryStrToInt64("9223372036854775808", value));
    // A score above the 32-bit range does not load as a 32-bit integer.
    EXPECT_THROW(StrToInt("3000000000"), EConvertError);
}

struct FloatCase {
    const char* text;
    bool ok;
    double value;
};

class FloatConversion : public ::testing::TestWithParam<FloatCase> {};

TEST_P(FloatConversion, UsesTheCommaOnly)
{
    const FloatCase& c = GetParam();
    double value = -999;
    EXPECT_EQ(TryStrToFloat(c.text, value), c.ok) << "'" << c.text << "'";
    if (c.ok) {
        EXPECT_EQ(value, c.value) << "'" << c.text << "'";
    } else {
        try {
            StrToFloat(c.text);
            FAIL() << "'" << c.text << "'";
        } catch (const EConvertError& error) {
            EXPECT_EQ(error.Text(), c.text);
            EXPECT_NE(std::string(error.what()).find(c.text), std::string::npos);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FloatConversion,
    ::testing::Values(FloatCase{"0,8", true, 0.8}, FloatCase{"0.8", false, 0}, FloatCase{" 1,5 ", true, 1.5},
                      FloatCase{"-2,25", true, -2.25}, FloatCase{"+3", true, 3}, FloatCase{"100", true, 100},
                      FloatCase{",5", true, 0.5}, FloatCase{"5,", true, 5}, FloatCase{"1E3", true, 1000},
                      FloatCase{"1,5e-2", true, 0.015}, FloatCase{"2E+2", true, 200}, FloatCase{"1e-400", true, 0},
                      FloatCase{"-0,001e-330", true, 0}, FloatCase{"-1e400", false, 0}, FloatCase{"1000e306", false, 0},
                      FloatCase{"0,001e311", true, 1e308},
                      FloatCase{",", false, 0}, FloatCase{"", false, 0}, FloatCase{"1,2,3", false, 0},
                      FloatCase{"1e", false, 0}, FloatCase{"1e+", false, 0}, FloatCase{"e5", false, 0},
                      FloatCase{"INF", false, 0}, FloatCase{"NAN", false, 0}, FloatCase{"1e400", false, 0},
                      FloatCase{"0x10", false, 0}, FloatCase{"ini error", false, 0}, FloatCase{"1 000", false, 0}));

struct FormatCase {
    double value;
    const char* text;
};

class FloatFormatting : public ::testing::TestWithParam<FormatCase> {};

TEST_P(FloatFormatting, WritesTheShortestFormWithAComma)
{
    EXPECT_EQ(FloatToStr(GetParam().value), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Cases, FloatFormatting,
                         ::testing::Values(FormatCase{0.8, "0,8"}, FormatCase{1.2, "1,2"}, FormatCase{100.0, "100"},
                                           FormatCase{-0.5, "-0,5"}, FormatCase{0.0, "0"},
                                           FormatCase{0.1 + 0.2, "0,30000000000000004"},
                                           FormatCase{1e20, "1E20"}, FormatCase{1e-7, "1E-7"},
                                           FormatCase{1.5e300, "1,5E300"}));

TEST(FloatFormatting, EveryWrittenValueReadsBackExactly)
{
    for (double value : {0.8, 0.9, 1.2, 1.0 / 3.0, 2.0 / 3.0 * 1e-5, 123456.789, -7.25e-12, 5e-324, 1.7976931348623157e308,
                         0.001, 1e16, 99.99999999999999}) {
        double back = 0;
        ASSERT_TRUE(TryStrToFloat(FloatToStr(value), back)) << FloatToStr(value);
        EXPECT_EQ(back, value) << FloatToStr(value);
    }
}

struct RoundCase {
    double value;
    int64_t rounded;
};

class Rounding : public ::testing::TestWithParam<RoundCase> {};

TEST_P(Rounding, HalvesGoToEven) { EXPECT_EQ(RoundHalfEven(GetParam().value), GetParam().rounded); }

INSTANTIATE_TEST_SUITE_P(
    Cases, Rounding,
    ::testing::Values(RoundCase{0.5, 0}, RoundCase{1.5, 2}, RoundCase{2.5, 2}, RoundCase{3.5, 4}, RoundCase{-0.5, 0},
                      RoundCase{-1.5, -2}, RoundCase{-2.5, -2}, RoundCase{2.4999999, 2}, RoundCase{2.5000001, 3},
                      RoundCase{-2.6, -3}, RoundCase{7.0, 7}, RoundCase{4503599627370497.0, 4503599627370497},
                      RoundCase{std::nan(""), 0}, RoundCase{1e300, std::numeric_limits<int64_t>::max()},
                      RoundCase{-1e300, std::numeric_limits<int64_t>::min()}));

} // namespace
} // namespace vlm::data
