#include "forge/audio/Synth.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace vlm::forge::audio {

float Noise::Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return float(state_ >> 8) / 8388608.0f - 1.0f;
}

void Svf::Set(double cutoffHz, double resonance) {
    cutoffHz = std::clamp(cutoffHz, 10.0, kRate * 0.24);
    f_ = float(2.0 * std::sin(kPi * cutoffHz / (kRate * 2.0)));
    q_ = float(2.0 * (1.0 - std::clamp(resonance, 0.0, 0.97)));
}

void Svf::Run(float in) {
    for (int i = 0; i < 2; ++i) {
        low_ += f_ * band_;
        high_ = in - low_ - q_ * band_;
        band_ += f_ * high_;
    }
}
float Svf::Low(float in) { Run(in); return low_; }
float Svf::High(float in) { Run(in); return high_; }
float Svf::Band(float in) { Run(in); return band_; }

double SawBl(double phase, int harmonics) {
    double s = 0;
    for (int k = 1; k <= harmonics; ++k) s += std::sin(2 * kPi * k * phase) / k;
    return s * (2.0 / kPi);
}

double PulseBl(double phase, double duty, int harmonics) {
    return SawBl(phase, harmonics) - SawBl(phase + duty, harmonics);
}

double ExpDecay(double t, double seconds) { return std::exp(-t / seconds); }

void FadeEdges(Buffer& b, double msIn, double msOut) {
    const size_t nIn = std::min(b.size(), size_t(msIn * kRate / 1000.0));
    const size_t nOut = std::min(b.size(), size_t(msOut * kRate / 1000.0));
    for (size_t i = 0; i < nIn; ++i) b[i] *= float(0.5 - 0.5 * std::cos(kPi * double(i) / nIn));
    for (size_t i = 0; i < nOut; ++i) {
        b[b.size() - 1 - i] *= float(0.5 - 0.5 * std::cos(kPi * double(i) / nOut));
    }
}

void Normalise(Buffer& b, double peak) {
    if (b.empty()) return;
    double mean = 0;
    for (float s : b) mean += s;
    mean /= double(b.size());
    double top = 0;
    for (float& s : b) {
        s = float(s - mean);
        top = std::max(top, double(std::fabs(s)));
    }
    if (top <= 0) return;
    const float g = float(peak / top);
    for (float& s : b) s *= g;
}

void MixInto(Buffer& dst, const Buffer& src, size_t offset, float gain) {
    if (dst.size() < offset + src.size()) dst.resize(offset + src.size(), 0.0f);
    for (size_t i = 0; i < src.size(); ++i) dst[offset + i] += src[i] * gain;
}

void Saturate(Buffer& b, double drive) {
    const double norm = std::tanh(drive);
    for (float& s : b) s = float(std::tanh(s * drive) / norm);
}

Levels Measure(const float* samples, size_t count, size_t stride) {
    Levels l;
    if (!count) return l;
    double sum = 0, sq = 0;
    float prev = 0;
    for (size_t i = 0; i < count; ++i) {
        const float s = samples[i * stride];
        sum += s;
        sq += double(s) * s;
        l.peak = std::max(l.peak, double(std::fabs(s)));
        if (i) l.maxStep = std::max(l.maxStep, double(std::fabs(s - prev)));
        prev = s;
    }
    l.dc = sum / double(count);
    l.rms = std::sqrt(sq / double(count));
    l.startJump = std::fabs(samples[0]);
    l.endJump = std::fabs(samples[(count - 1) * stride]);
    l.seconds = double(count) / kRate;
    return l;
}

static double Db(double x) { return x > 0 ? 20.0 * std::log10(x) : -120.0; }

std::string Describe(const Levels& l) {
    char text[200];
    std::snprintf(text, sizeof text, "%6.2f s  peak %6.1f dB  rms %6.1f dB  dc %+.4f  edges %.4f/%.4f", l.seconds,
                  Db(l.peak), Db(l.rms), l.dc, l.startJump, l.endJump);
    return text;
}

}  // namespace vlm::forge::audio
