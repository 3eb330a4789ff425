#include "scene/render/FrameStats.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

namespace vlm::render {
namespace {

TEST(FrameStats, EmptyReportsZeros) {
    FrameStats stats;
    EXPECT_EQ(stats.Count(), 0u);
    EXPECT_EQ(stats.MeanSeconds(), 0.0);
    EXPECT_EQ(stats.PercentileSeconds(0.99), 0.0);
}

TEST(FrameStats, MeanAndP99OfASteadyRunWithHitches) {
    FrameStats stats;
    // 990 frames of 16 ms and 10 hitches of 50 ms: the 99th percentile is still a 16 ms frame,
    // one more hitch pushes it onto the hitches.
    for (int i = 0; i < 990; ++i) stats.AddFrame(0.016);
    for (int i = 0; i < 10; ++i) stats.AddFrame(0.050);
    EXPECT_EQ(stats.Count(), 1000u);
    EXPECT_NEAR(stats.MeanSeconds(), (990 * 0.016 + 10 * 0.050) / 1000.0, 1e-9);
    EXPECT_NEAR(stats.PercentileSeconds(0.99), 0.016, FrameStats::BucketSeconds);
    stats.AddFrame(0.050);
    EXPECT_NEAR(stats.PercentileSeconds(0.99), 0.050, FrameStats::BucketSeconds);
    EXPECT_NEAR(stats.PercentileSeconds(1.0), 0.050, 1e-12);
}

TEST(FrameStats, FramesBeyondTheHistogramUseTheLongestSeen) {
    FrameStats stats;
    stats.AddFrame(0.010);
    stats.AddFrame(2.5);  // a stall longer than the histogram's range
    EXPECT_DOUBLE_EQ(stats.PercentileSeconds(0.99), 2.5);
    EXPECT_DOUBLE_EQ(stats.MaxSeconds(), 2.5);
}

TEST(FrameStats, NegativeAndNaNDurationsCountAsZero) {
    FrameStats stats;
    stats.AddFrame(-1.0);
    stats.AddFrame(std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(stats.Count(), 2u);
    EXPECT_EQ(stats.MeanSeconds(), 0.0);
    stats.Clear();
    EXPECT_EQ(stats.Count(), 0u);
}

TEST(FrameStats, ParsesVmHwmFromStatusText) {
    struct Case {
        const char* text;
        long expected;
    };
    const Case cases[] = {
        {"Name:\tvelmora2\nVmPeak:\t  300000 kB\nVmHWM:\t   123456 kB\nVmRSS:\t 100000 kB\n", 123456},
        {"VmHWM: 0 kB\n", 0},
        {"Name:\tx\nVmRSS:\t 100 kB\n", -1},  // no VmHWM line
        {"VmHWM:\tlots kB\n", -1},            // not a number
        {"VmHWM:\t12 MB\n", -1},              // unexpected unit
        {"", -1},
    };
    for (const Case& c : cases) EXPECT_EQ(FrameStats::ParseVmHwmKiB(c.text), c.expected) << c.text;
}

TEST(FrameStats, SummaryNamesEveryFigure) {
    FrameStats stats;
    stats.AddFrame(0.004);
    const std::string line = stats.Summary();
    EXPECT_NE(line.find("frames: 1"), std::string::npos) << line;
    EXPECT_NE(line.find("mean: 4.000 ms"), std::string::npos) << line;
    EXPECT_NE(line.find("p99: 4.000 ms"), std::string::npos) << line;
    // This test process has a real peak RSS on Linux.
    EXPECT_GT(FrameStats::PeakResidentKiB(), 0);
    EXPECT_NE(line.find("peak RSS: "), std::string::npos) << line;
    EXPECT_EQ(line.find("unknown"), std::string::npos) << line;
}

} // namespace
} // namespace vlm::render
