#include "scene/render/FrameStats.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace vlm::render {

namespace {
constexpr std::size_t kBucketCount = static_cast<std::size_t>(FrameStats::RangeSeconds / FrameStats::BucketSeconds + 0.5);
}

FrameStats::FrameStats() : buckets_(kBucketCount, 0) {}

void FrameStats::AddFrame(double seconds) {
    if (!(seconds > 0.0)) seconds = 0.0;  // also catches NaN
    ++count_;
    sum_ += seconds;
    max_ = std::max(max_, seconds);
    const double index = std::floor(seconds / BucketSeconds);
    if (index >= static_cast<double>(kBucketCount))
        ++overflow_;
    else
        ++buckets_[static_cast<std::size_t>(index)];
}

void FrameStats::Clear() {
    std::fill(buckets_.begin(), buckets_.end(), 0u);
    overflow_ = count_ = 0;
    sum_ = max_ = 0.0;
}

double FrameStats::MeanSeconds() const { return count_ ? sum_ / static_cast<double>(count_) : 0.0; }

double FrameStats::PercentileSeconds(double p) const {
    if (count_ == 0) return 0.0;
    p = std::clamp(p, 0.0, 1.0);
    // Rank of the wanted frame, 1-based: the smallest rank r with r >= p * count.
    std::uint64_t rank = static_cast<std::uint64_t>(std::ceil(p * static_cast<double>(count_)));
    rank = std::clamp<std::uint64_t>(rank, 1, count_);
    std::uint64_t seen = 0;
    for (std::size_t i = 0; i < buckets_.size(); ++i) {
        seen += buckets_[i];
        if (seen >= rank) return std::min(max_, static_cast<double>(i + 1) * BucketSeconds);
    }
    return max_;  // in the overflow bucket
}

long FrameStats::ParseVmHwmKiB(const std::string& statusText) {
    std::istringstream in(statusText);
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("VmHWM:", 0) != 0) continue;
        long value = -1;
        char unit[8] = {};
        if (std::sscanf(line.c_str() + 6, " %ld %7s", &value, unit) == 2 && value >= 0 && std::string(unit) == "kB")
            return value;
        return -1;
    }
    return -1;
}

long FrameStats::PeakResidentKiB() {
    std::ifstream in("/proc/self/status");
    if (!in) return -1;
    std::stringstream text;
    text << in.rdbuf();
    return ParseVmHwmKiB(text.str());
}

std::string FrameStats::Summary() const {
    char line[160];
    const long rss = PeakResidentKiB();
    if (rss >= 0)
        std::snprintf(line, sizeof line, "frames: %llu, mean: %.3f ms, p99: %.3f ms, peak RSS: %.1f MiB",
                      static_cast<unsigned long long>(count_), MeanSeconds() * 1e3, PercentileSeconds(0.99) * 1e3,
                      rss / 1024.0);
    else
        std::snprintf(line, sizeof line, "frames: %llu, mean: %.3f ms, p99: %.3f ms, peak RSS: unknown",
                      static_cast<unsigned long long>(count_), MeanSeconds() * 1e3, PercentileSeconds(0.99) * 1e3);
    return line;
}

} // namespace vlm::render
