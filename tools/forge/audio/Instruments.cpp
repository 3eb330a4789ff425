#include "forge/audio/Instruments.h"

#include <algorithm>
#include <cmath>
#include <functional>

#include "forge/audio/Synth.h"

namespace vlm::forge::audio {

namespace {

constexpr int kPeriod = 128;                       // frames per cycle of a tonal loop at C-4
constexpr double kMiddleC = 261.6255653;
constexpr double kLoopRate = kMiddleC * kPeriod;   // the rate that makes that cycle middle C

std::vector<int16_t> ToPcm(const Buffer& b, double peak) {
    double top = 0;
    for (float s : b) top = std::max(top, double(std::fabs(s)));
    const double g = top > 0 ? peak / top : 0;
    std::vector<int16_t> out(b.size());
    for (size_t i = 0; i < b.size(); ++i) out[i] = int16_t(std::lround(std::clamp(b[i] * g, -1.0, 1.0) * 32767.0));
    return out;
}

// A looped instrument made of `cycles` cycles of a periodic wave; the voices (cycles-per-loop
// offsets) give detuned chorus while every voice still closes the loop exactly.
// `wave(phase, brightness)` returns one voice's value; a head of `headCycles` cycles with
// brightness falling from 1 to `sustainBrightness` precedes the loop.
XmInstrument Looped(const char* name, int loopCycles, std::vector<int> voices, int headCycles,
                    double sustainBrightness, const std::function<double(double, double)>& wave) {
    XmInstrument ins;
    ins.name = name;
    const int headFrames = headCycles * kPeriod;
    const int loopFrames = loopCycles * kPeriod;
    Buffer b(size_t(headFrames + loopFrames));
    for (int i = 0; i < headFrames + loopFrames; ++i) {
        const bool inHead = i < headFrames;
        const double brightness =
            inHead ? 1.0 + (sustainBrightness - 1.0) * double(i) / std::max(1, headFrames) : sustainBrightness;
        const int li = inHead ? i : i - headFrames;
        double v = 0;
        for (int c : voices) {
            // Voice c completes c cycles per loop: the base voice has loopCycles.
            const double phase = double(li) * c / double(loopFrames);
            v += wave(phase - std::floor(phase), brightness);
        }
        b[size_t(i)] = float(v / voices.size());
    }
    ins.sample = ToPcm(b, 0.9);
    ins.loop = true;
    ins.loopStart = uint32_t(headFrames);
    ins.loopLength = uint32_t(loopFrames);
    TuneForRate(kLoopRate, ins.relativeNote, ins.finetune);
    return ins;
}

XmInstrument OneShot(const char* name, Buffer b, double peak) {
    FadeEdges(b, 0.3, 15);
    XmInstrument ins;
    ins.name = name;
    ins.sample = ToPcm(b, peak);
    TuneForRate(kRate, ins.relativeNote, ins.finetune);
    // Rings out after a key off instead of stopping dead.
    ins.envelope = {{0, 64}, {2, 64}};
    ins.sustainPoint = 1;
    ins.fadeout = 1800;
    return ins;
}

// A saw whose harmonics are rolled off by `brightness` (0 dull .. 1 full).
double SoftSaw(double phase, double brightness, int harmonics) {
    double s = 0;
    for (int k = 1; k <= harmonics; ++k) {
        const double roll = std::pow(double(k), -1.0 - 2.5 * (1.0 - brightness));
        s += std::sin(2 * kPi * k * phase) * roll;
    }
    return s;
}

double SoftSquare(double phase, double brightness, int harmonics) {
    double s = 0;
    for (int k = 1; k <= harmonics; k += 2) s += std::sin(2 * kPi * k * phase) * std::pow(double(k), -1.0 - 2.0 * (1.0 - brightness));
    return s;
}

size_t N(double seconds) { return size_t(seconds * kRate); }

}  // namespace

std::vector<XmInstrument> MakeInstruments() {
    std::vector<XmInstrument> list;

    {  // lead: two saws a few cents apart, auto-vibrato after a moment
        XmInstrument i = Looped("lead", 128, {128, 129}, 0, 0.8, [](double p, double b) { return SoftSaw(p, b, 36); });
        i.envelope = {{0, 0}, {1, 64}, {10, 50}, {40, 0}};
        i.sustainPoint = 2;
        i.fadeout = 900;
        i.vibratoType = 0;
        i.vibratoSweep = 40;
        i.vibratoDepth = 6;
        i.vibratoRate = 10;
        list.push_back(i);
    }
    {  // square: a hollow lead for brighter tunes
        XmInstrument i = Looped("square", 128, {128, 127}, 0, 0.85, [](double p, double b) { return SoftSquare(p, b, 31); });
        i.envelope = {{0, 0}, {1, 64}, {8, 46}, {30, 0}};
        i.sustainPoint = 2;
        i.fadeout = 1200;
        i.vibratoSweep = 30;
        i.vibratoDepth = 5;
        i.vibratoRate = 12;
        list.push_back(i);
    }
    {  // strings: a wide saw ensemble, softened
        XmInstrument i = Looped("strings", 128, {128, 129, 127, 130}, 0, 0.45,
                                [](double p, double b) { return SoftSaw(p, b, 24); });
        i.envelope = {{0, 0}, {14, 64}, {20, 58}, {70, 0}};
        i.sustainPoint = 2;
        i.fadeout = 400;
        list.push_back(i);
    }
    {  // pad: soft and slow
        XmInstrument i = Looped("pad", 128, {128, 129, 127}, 0, 0.2, [](double p, double b) {
            return SoftSaw(p, b, 16) * 0.6 + std::sin(2 * kPi * p) * 0.6;
        });
        i.envelope = {{0, 0}, {30, 64}, {40, 60}, {140, 0}};
        i.sustainPoint = 2;
        i.fadeout = 250;
        list.push_back(i);
    }
    {  // bass: bright attack closing to a round loop, with a sub octave
        XmInstrument i = Looped("bass", 4, {4}, 24, 0.35, [](double p, double b) {
            return SoftSaw(p, b, 40) + 0.5 * std::sin(2 * kPi * p);
        });
        i.envelope = {{0, 64}, {6, 54}, {20, 48}, {28, 0}};
        i.sustainPoint = 2;
        i.fadeout = 2000;
        list.push_back(i);
    }
    {  // softbass: a plain round bass for calm tunes
        XmInstrument i = Looped("softbass", 4, {4}, 6, 0.1, [](double p, double b) {
            return std::sin(2 * kPi * p) + 0.25 * SoftSaw(p, b, 12);
        });
        i.envelope = {{0, 64}, {10, 56}, {24, 0}};
        i.sustainPoint = 1;
        i.fadeout = 1500;
        list.push_back(i);
    }
    {  // pluck: harmonics dying faster the higher they are
        Buffer b(N(1.4));
        for (size_t n = 0; n < b.size(); ++n) {
            const double t = double(n) / kRate;
            double v = 0;
            for (int k = 1; k <= 24; ++k) v += std::sin(2 * kPi * kMiddleC * k * t) / k * ExpDecay(t, 0.5 / (1 + 0.6 * k));
            b[n] = float(v * std::min(1.0, t / 0.001));
        }
        list.push_back(OneShot("pluck", b, 0.9));
    }
    {  // bell: FM, a little glassy
        Buffer b(N(2.5));
        for (size_t n = 0; n < b.size(); ++n) {
            const double t = double(n) / kRate;
            const double index = 2.2 * ExpDecay(t, 0.4);
            b[n] = float(std::sin(2 * kPi * kMiddleC * t + index * std::sin(2 * kPi * kMiddleC * 3.5 * t)) *
                         ExpDecay(t, 0.9) * std::min(1.0, t / 0.002));
        }
        list.push_back(OneShot("bell", b, 0.85));
    }
    {  // kick
        Buffer b(N(0.45));
        double phase = 0;
        for (size_t n = 0; n < b.size(); ++n) {
            const double t = double(n) / kRate;
            const double f = 48 + 110 * ExpDecay(t, 0.035);
            phase += f / kRate;
            b[n] = float(std::sin(2 * kPi * phase) * ExpDecay(t, 0.16));
        }
        Noise noise(5);
        for (size_t n = 0; n < N(0.006); ++n) b[n] += noise.Next() * 0.4f * float(1.0 - double(n) / N(0.006));
        Saturate(b, 1.8);
        list.push_back(OneShot("kick", b, 0.95));
    }
    {  // snare: a body tone and a bright rattle
        Buffer b(N(0.35));
        Noise noise(9);
        Svf band;
        band.Set(4500, 0.2);
        for (size_t n = 0; n < b.size(); ++n) {
            const double t = double(n) / kRate;
            const double tone = std::sin(2 * kPi * (185 + 60 * ExpDecay(t, 0.02)) * t) * ExpDecay(t, 0.05);
            b[n] = float(0.7 * tone + band.Band(noise.Next()) * 1.4 * ExpDecay(t, 0.09));
        }
        Saturate(b, 1.4);
        list.push_back(OneShot("snare", b, 0.9));
    }
    {  // closed hat
        Buffer b(N(0.08));
        Noise noise(13);
        Svf hp;
        hp.Set(8000, 0.3);
        for (size_t n = 0; n < b.size(); ++n) b[n] = float(hp.High(noise.Next()) * ExpDecay(double(n) / kRate, 0.018));
        list.push_back(OneShot("hat", b, 0.7));
    }
    {  // open hat
        Buffer b(N(0.5));
        Noise noise(17);
        Svf hp;
        hp.Set(7000, 0.4);
        for (size_t n = 0; n < b.size(); ++n) b[n] = float(hp.High(noise.Next()) * ExpDecay(double(n) / kRate, 0.14));
        list.push_back(OneShot("ohat", b, 0.7));
    }
    {  // crash: noise ringing through a few metallic partials
        Buffer b(N(2.2));
        Noise noise(19);
        Svf hp;
        hp.Set(4000, 0.1);
        for (size_t n = 0; n < b.size(); ++n) {
            const double t = double(n) / kRate;
            double metal = 0;
            for (double f : {3120.0, 4260.0, 5410.0, 6870.0}) metal += std::sin(2 * kPi * f * t);
            b[n] = float((hp.High(noise.Next()) + 0.05 * metal) * ExpDecay(t, 0.6));
        }
        list.push_back(OneShot("crash", b, 0.75));
    }
    {  // tom: pitched at middle C so the score can tune it
        Buffer b(N(0.5));
        double phase = 0;
        for (size_t n = 0; n < b.size(); ++n) {
            const double t = double(n) / kRate;
            phase += kMiddleC * (1.0 + 0.5 * ExpDecay(t, 0.03)) / kRate;
            b[n] = float(std::sin(2 * kPi * phase) * ExpDecay(t, 0.15));
        }
        list.push_back(OneShot("tom", b, 0.9));
    }
    return list;
}

int InstrumentNumber(const std::vector<XmInstrument>& instruments, std::string_view name) {
    for (size_t i = 0; i < instruments.size(); ++i)
        if (instruments[i].name == name) return int(i) + 1;
    return 0;
}

}  // namespace vlm::forge::audio
