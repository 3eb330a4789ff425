#pragma once
// Small building blocks for synthesising sounds: oscillators, noise, filters, envelopes and
// the level checks the forge prints. Everything works on mono float buffers at 44100 Hz.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vlm::forge::audio {

inline constexpr double kRate = 44100.0;
inline constexpr double kPi = 3.14159265358979323846;

using Buffer = std::vector<float>;

// Deterministic noise (the forge must make the same bytes on every run).
class Noise {
public:
    explicit Noise(uint32_t seed = 1) : state_(seed ? seed : 1) {}
    float Next();  // uniform in [-1, 1)
private:
    uint32_t state_;
};

// A state-variable filter (Chamberlin, 2x oversampled); cutoff may change per sample.
class Svf {
public:
    void Set(double cutoffHz, double resonance);  // resonance 0 (none) .. ~0.95
    float Low(float in);
    float High(float in);
    float Band(float in);

private:
    void Run(float in);
    float f_ = 0.1f, q_ = 1.0f, low_ = 0, band_ = 0, high_ = 0;
};

// Sum of harmonics 1..n of a sawtooth (band-limited), phase in cycles.
double SawBl(double phase, int harmonics);
// Band-limited pulse with the given duty cycle.
double PulseBl(double phase, double duty, int harmonics);

// Envelope pieces.
double ExpDecay(double t, double seconds);  // e^(-t/seconds)

// Fades the first and last `ms` milliseconds in and out (raised cosine) so a sound starts and
// ends at zero without a click.
void FadeEdges(Buffer& b, double msIn, double msOut);
// Scales to the peak given; removes the DC offset first.
void Normalise(Buffer& b, double peak);
// Mixes `src` into `dst` at `offset` samples with gain; grows dst when needed.
void MixInto(Buffer& dst, const Buffer& src, size_t offset, float gain);
// Soft saturation for punch.
void Saturate(Buffer& b, double drive);

struct Levels {
    double peak = 0, rms = 0, dc = 0;
    double startJump = 0, endJump = 0;  // |first sample|, |last sample|
    double maxStep = 0;                 // largest jump between neighbouring samples
    double seconds = 0;
};
Levels Measure(const float* samples, size_t count, size_t stride = 1);
std::string Describe(const Levels& l);

}  // namespace vlm::forge::audio
