#pragma once
// Frame-time statistics for --stats: the shell feeds one duration per frame and prints a summary
// at exit. Feeding a frame never allocates; the percentile comes from a fixed histogram.
#include <cstdint>
#include <string>
#include <vector>

namespace vlm::render {

class FrameStats {
public:
    // Bucket width of the histogram and the largest time it resolves; longer frames land in an
    // overflow bucket and are represented by the longest one seen.
    static constexpr double BucketSeconds = 10e-6;
    static constexpr double RangeSeconds = 1.0;

    FrameStats();

    // Adds one frame of the given duration in seconds (negative durations count as 0).
    void AddFrame(double seconds);
    void Clear();

    std::uint64_t Count() const { return count_; }
    double MeanSeconds() const;  // 0 with no frames
    double MaxSeconds() const { return max_; }
    // Smallest frame time t such that at least p (0..1) of the frames took <= t, to the histogram's
    // resolution (upper bucket edge, capped by the longest frame). 0 with no frames.
    double PercentileSeconds(double p) const;

    // Peak resident set size of this process in KiB (VmHWM), or -1 when it cannot be read.
    static long PeakResidentKiB();
    // Parses the VmHWM line out of the text of /proc/<pid>/status; -1 when missing or malformed.
    static long ParseVmHwmKiB(const std::string& statusText);

    // "frames: N, mean: X ms, p99: Y ms, peak RSS: Z MiB" (one line, no newline).
    std::string Summary() const;

private:
    std::vector<std::uint32_t> buckets_;
    std::uint64_t overflow_ = 0;
    std::uint64_t count_ = 0;
    double sum_ = 0.0;
    double max_ = 0.0;
};

} // namespace vlm::render
