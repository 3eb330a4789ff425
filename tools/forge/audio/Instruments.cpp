#include "forge/audio/Instruments.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <initializer_list>
#include <tuple>

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
XmInstrument Looped(const std::string& name, int loopCycles, std::vector<int> voices, int headCycles,
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

XmInstrument OneShot(const std::string& name, Buffer b, double peak, double rate = kRate) {
    // FadeEdges counts milliseconds at 44100 Hz; scale so a slower sample fades as long.
    FadeEdges(b, 0.3 * kRate / rate, 15 * kRate / rate);
    XmInstrument ins;
    ins.name = name;
    ins.sample = ToPcm(b, peak);
    TuneForRate(rate, ins.relativeNote, ins.finetune);
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

// A sound made sample by sample: `f(t)` at time t seconds, for `seconds`, at `rate` Hz.
// Low drums are made at half rate: they lose nothing a listener hears and take half the room.
Buffer Render(double seconds, double rate, const std::function<double(double)>& f) {
    Buffer b(size_t(seconds * rate));
    for (size_t n = 0; n < b.size(); ++n) b[n] = float(f(double(n) / rate));
    return b;
}

constexpr double kHalfRate = kRate / 2;
// Cymbal tails are made at 32 kHz: they keep their air up to 16 kHz in less room.
constexpr double kCymbalRate = 32000;

// A sine whose pitch glides from `from` to `to` Hz with time constant `glide`; keeps its phase.
struct Glide {
    double from, to, glide, phase = 0, last = 0;
    double At(double t, double rate) {
        const double f = to + (from - to) * ExpDecay(t, glide);
        phase += f / rate;
        return std::sin(2 * kPi * phase);
    }
};

// Inharmonic metal: square waves at unrelated frequencies, as in an analogue drum machine.
double Metal(double t, std::initializer_list<double> freqs) {
    double s = 0;
    for (double f : freqs) s += std::fmod(t * f, 1.0) < 0.5 ? 1.0 : -1.0;
    return s / double(freqs.size());
}

double Clamp01(double x) { return std::clamp(x, 0.0, 1.0); }

// The drum kits: each tune picks one with its "kit" line. A kit's sounds are named
// "<kit>-kick", "-snare", "-hat", "-ohat", "-crash" and "-tom" (the tom pitched at middle C so
// a score can tune it); the first kit, "bright", keeps the plain names.
void AddKits(std::vector<XmInstrument>& list) {
    // tight: a dry drum machine. Short pitched kick with a click, hand clap, metallic hats.
    {
        Glide g{180, 52, 0.018};
        Buffer b = Render(0.3, kHalfRate, [&](double t) { return g.At(t, kHalfRate) * ExpDecay(t, 0.09); });
        Noise n(31);
        for (size_t i = 0; i < 40; ++i) b[i] += float(n.Next() * 0.5 * (1.0 - i / 40.0));
        Saturate(b, 2.2);
        list.push_back(OneShot("tight-kick", b, 0.95, kHalfRate));
    }
    {  // clap: three quick noise bursts and a short tail through a band around 1.2 kHz
        Noise n(37);
        Svf bp;
        bp.Set(1200, 0.55);
        Buffer b = Render(0.22, kRate, [&](double t) {
            double env = ExpDecay(t - 0.022, 0.05) * (t >= 0.022);
            for (double at : {0.0, 0.008, 0.015}) env = std::max(env, (t >= at && t < at + 0.007) ? ExpDecay(t - at, 0.003) : 0.0);
            return bp.Band(n.Next()) * 2.5 * env;
        });
        list.push_back(OneShot("tight-snare", b, 0.85));
    }
    for (auto [name, len, decay] : {std::tuple{"tight-hat", 0.05, 0.012}, std::tuple{"tight-ohat", 0.3, 0.09}}) {
        Svf hp, hp2;  // two high-passes in a row leave only the sizzle of the metal
        hp.Set(7500, 0.2);
        hp2.Set(7000, 0.3);
        Buffer b = Render(len, kRate, [&](double t) {
            return hp2.High(hp.High(float(Metal(t, {205.3, 304.4, 369.6, 522.7, 540.0, 800.0})))) * ExpDecay(t, decay);
        });
        list.push_back(OneShot(name, b, 0.6));
    }
    {  // a short electronic splash
        Svf hp;
        hp.Set(5000, 0.3);
        Noise n(41);
        Buffer b = Render(0.7, kCymbalRate, [&](double t) {
            return hp.High(float(0.6 * Metal(t, {205.3, 304.4, 369.6, 522.7, 540.0, 800.0}) + 0.5 * n.Next())) *
                   ExpDecay(t, 0.2);
        });
        list.push_back(OneShot("tight-crash", b, 0.6, kCymbalRate));
    }
    {
        Glide g{kMiddleC * 1.6, kMiddleC, 0.04};
        Buffer b = Render(0.35, kHalfRate, [&](double t) { return g.At(t, kHalfRate) * ExpDecay(t, 0.1); });
        list.push_back(OneShot("tight-tom", b, 0.9, kHalfRate));
    }

    // brushed: soft and round. A felt kick, brushes swishing on the snare, a ride for the open hat.
    {
        Glide g{95, 62, 0.03};
        Svf lp;
        lp.Set(300, 0.1);
        Buffer b = Render(0.4, kHalfRate, [&](double t) {
            return g.At(t, kHalfRate) * Clamp01(t / 0.004) * ExpDecay(t, 0.12);
        });
        list.push_back(OneShot("brushed-kick", b, 0.9, kHalfRate));
    }
    {  // brush: noise swelling in over 12 ms and sweeping out, low-passed, with a faint body
        Noise n(43);
        Svf lp;
        Buffer b = Render(0.32, kRate, [&](double t) {
            lp.Set(5200 - 3000 * Clamp01(t / 0.3), 0.15);
            const double env = Clamp01(t / 0.012) * ExpDecay(t, 0.09);
            return lp.Low(n.Next()) * env + 0.25 * std::sin(2 * kPi * 200 * t) * ExpDecay(t, 0.04);
        });
        list.push_back(OneShot("brushed-snare", b, 0.7));
    }
    {
        Noise n(47);
        Svf bp;
        bp.Set(6000, 0.4);
        Buffer b = Render(0.07, kRate, [&](double t) { return bp.Band(n.Next()) * Clamp01(t / 0.003) * ExpDecay(t, 0.02); });
        list.push_back(OneShot("brushed-hat", b, 0.5));
    }
    {  // ride: a bell of inharmonic partials over a soft wash
        Noise n(53);
        Svf hp;
        hp.Set(6000, 0.1);
        Buffer b = Render(0.6, kCymbalRate, [&](double t) {
            double bell = 0;
            for (auto [f, a] : {std::pair{2380.0, 1.0}, {3410.0, 0.7}, {4950.0, 0.5}, {6210.0, 0.3}}) bell += a * std::sin(2 * kPi * f * t);
            return (0.25 * bell * ExpDecay(t, 0.18) + 0.6 * hp.High(n.Next()) * ExpDecay(t, 0.22)) * Clamp01(t / 0.002);
        });
        list.push_back(OneShot("brushed-ohat", b, 0.5, kCymbalRate));
    }
    {  // a swelling cymbal played with a soft mallet
        Noise n(59);
        Svf bp;
        bp.Set(5000, 0.2);
        Buffer b = Render(0.9, kCymbalRate, [&](double t) { return bp.Band(n.Next()) * Clamp01(t / 0.08) * ExpDecay(t, 0.28); });
        list.push_back(OneShot("brushed-crash", b, 0.55, kCymbalRate));
    }
    {
        Buffer b = Render(0.45, kHalfRate, [](double t) {
            return (std::sin(2 * kPi * kMiddleC * t) + 0.3 * std::sin(2 * kPi * kMiddleC * 1.5 * t) * ExpDecay(t, 0.05)) *
                   Clamp01(t / 0.004) * ExpDecay(t, 0.14);
        });
        list.push_back(OneShot("brushed-tom", b, 0.8, kHalfRate));
    }

    // heavy: a factory floor. A deep distorted kick, a snare with a clanging plate, clanks for hats.
    {
        Glide g{140, 38, 0.05};
        Noise n(61);
        Buffer b = Render(0.55, kHalfRate, [&](double t) {
            return g.At(t, kHalfRate) * ExpDecay(t, 0.22) + n.Next() * 0.3 * ExpDecay(t, 0.004);
        });
        Saturate(b, 3.5);
        list.push_back(OneShot("heavy-kick", b, 0.95, kHalfRate));
    }
    {
        Noise n(67);
        Svf bp;
        bp.Set(2200, 0.3);
        Buffer b = Render(0.4, kRate, [&](double t) {
            double plate = 0;
            for (auto [f, a] : {std::pair{540.0, 1.0}, {873.0, 0.8}, {1327.0, 0.6}, {2113.0, 0.4}}) plate += a * std::sin(2 * kPi * f * t);
            return 0.5 * plate * ExpDecay(t, 0.12) + bp.Band(n.Next()) * 1.6 * ExpDecay(t, 0.08) +
                   0.6 * std::sin(2 * kPi * 150 * t) * ExpDecay(t, 0.05);
        });
        Saturate(b, 2.5);
        list.push_back(OneShot("heavy-snare", b, 0.9));
    }
    for (auto [name, len, decay] : {std::tuple{"heavy-hat", 0.1, 0.025}, std::tuple{"heavy-ohat", 0.45, 0.14}}) {
        Noise n(71);
        Svf bp;
        bp.Set(3400, 0.7);
        Buffer b = Render(len, kRate, [&](double t) {
            // Ring modulation of two tones makes the clank of metal on metal.
            const double ring = std::sin(2 * kPi * 1870 * t) * std::sin(2 * kPi * 2630 * t);
            return (0.8 * ring + 0.5 * bp.Band(n.Next())) * ExpDecay(t, decay);
        });
        list.push_back(OneShot(name, b, 0.55));
    }
    {  // a struck steel sheet: low inharmonic partials beating against each other
        Noise n(73);
        Svf hp;
        hp.Set(1500, 0.2);
        Buffer b = Render(0.9, kCymbalRate, [&](double t) {
            double metal = 0;
            for (auto [f, a] : {std::pair{311.0, 1.0}, {467.0, 0.9}, {739.0, 0.7}, {1093.0, 0.6}, {1637.0, 0.4}, {2570.0, 0.3}})
                metal += a * std::sin(2 * kPi * f * t + 1.5 * std::sin(2 * kPi * f * 0.37 * t));
            return (0.35 * metal * ExpDecay(t, 0.3) + 0.5 * hp.High(n.Next()) * ExpDecay(t, 0.2)) * Clamp01(t / 0.001);
        });
        Saturate(b, 1.6);
        list.push_back(OneShot("heavy-crash", b, 0.7, kCymbalRate));
    }
    {  // a low, overdriven floor tom
        Glide g{kMiddleC * 1.3, kMiddleC * 0.92, 0.06};
        Buffer b = Render(0.6, kHalfRate, [&](double t) { return g.At(t, kHalfRate) * ExpDecay(t, 0.2); });
        Saturate(b, 2.8);
        list.push_back(OneShot("heavy-tom", b, 0.9, kHalfRate));
    }

    // glass: cold and small. A sub thump, an icy crack, glass ticks and a shimmer of ice.
    {
        Buffer b = Render(0.45, kHalfRate, [](double t) {
            return std::sin(2 * kPi * (44 + 20 * ExpDecay(t, 0.04)) * t) * Clamp01(t / 0.006) * ExpDecay(t, 0.15);
        });
        list.push_back(OneShot("glass-kick", b, 0.85, kHalfRate));
    }
    {  // crack: a very short high burst, then a glassy ping a fifth apart
        Noise n(79);
        Svf hp;
        hp.Set(6500, 0.3);
        Buffer b = Render(0.35, kRate, [&](double t) {
            const double ping = std::sin(2 * kPi * 1760 * t + 1.2 * ExpDecay(t, 0.05) * std::sin(2 * kPi * 1760 * 2.76 * t)) +
                                0.6 * std::sin(2 * kPi * 2637 * t);
            return hp.High(n.Next()) * 1.4 * ExpDecay(t, 0.015) + 0.35 * ping * ExpDecay(t, 0.12);
        });
        list.push_back(OneShot("glass-snare", b, 0.7));
    }
    for (auto [name, len, decay, seed] : {std::tuple{"glass-hat", 0.09, 0.02, 83u}, std::tuple{"glass-ohat", 0.45, 0.14, 89u}}) {
        Noise n(seed);
        Svf hp;
        hp.Set(9000, 0.5);
        Buffer b = Render(len, kRate, [&](double t) {
            const double tick = std::sin(2 * kPi * 5270 * t + 2.0 * std::sin(2 * kPi * 5270 * 1.41 * t));
            return (0.6 * tick + 0.4 * hp.High(n.Next())) * ExpDecay(t, decay);
        });
        list.push_back(OneShot(name, b, 0.45));
    }
    {  // ice shattering: many tiny high grains scattered over a second
        Noise n(97);
        Buffer b(size_t(0.8 * kCymbalRate));
        for (int k = 0; k < 90; ++k) {
            const double at = 0.5 * std::pow(0.5 + 0.5 * n.Next(), 2.0);
            const double f = 2500 + 4500 * (0.5 + 0.5 * n.Next());
            const size_t start = size_t(at * kCymbalRate);
            for (size_t i = 0; i < size_t(0.08 * kCymbalRate) && start + i < b.size(); ++i) {
                const double t = double(i) / kCymbalRate;
                b[start + i] += float(std::sin(2 * kPi * f * t) * ExpDecay(t, 0.02) * ExpDecay(at, 0.4));
            }
        }
        list.push_back(OneShot("glass-crash", b, 0.5, kCymbalRate));
    }
    {  // a wood block, hollow and dry
        Buffer b = Render(0.25, kHalfRate, [](double t) {
            return (std::sin(2 * kPi * kMiddleC * t) + 0.5 * std::sin(2 * kPi * kMiddleC * 2.71 * t) * ExpDecay(t, 0.01)) *
                   ExpDecay(t, 0.05);
        });
        list.push_back(OneShot("glass-tom", b, 0.85, kHalfRate));
    }

    // orchestra: a concert bass drum, a field snare, suspended cymbals and timpani for the toms.
    {
        Noise n(101);
        Svf lp;
        lp.Set(180, 0.1);
        Buffer b = Render(0.9, kHalfRate, [&](double t) {
            return (std::sin(2 * kPi * 52 * t) + 0.5 * std::sin(2 * kPi * 83 * t) * ExpDecay(t, 0.2) + 1.5 * lp.Low(n.Next())) *
                   Clamp01(t / 0.01) * ExpDecay(t, 0.35);
        });
        list.push_back(OneShot("orchestra-kick", b, 0.9, kHalfRate));
    }
    {  // field snare: a taut skin and a long snare-wire rattle
        Noise n(103);
        Svf bp;
        bp.Set(3200, 0.25);
        Buffer b = Render(0.45, kRate, [&](double t) {
            return 0.6 * std::sin(2 * kPi * 240 * t) * ExpDecay(t, 0.03) + bp.Band(n.Next()) * 1.6 * ExpDecay(t, 0.15);
        });
        list.push_back(OneShot("orchestra-snare", b, 0.8));
    }
    for (auto [name, len, decay, seed] : {std::tuple{"orchestra-hat", 0.12, 0.03, 107u}, std::tuple{"orchestra-ohat", 0.5, 0.17, 109u}}) {
        Noise n(seed);
        Svf hp;
        hp.Set(5500, 0.2);
        Buffer b = Render(len, kRate, [&](double t) { return hp.High(n.Next()) * Clamp01(t / 0.004) * ExpDecay(t, decay); });
        list.push_back(OneShot(name, b, 0.45));
    }
    {  // clashed cymbals: a wide wash with a slow bloom of partials
        Noise n(113);
        Svf hp;
        hp.Set(3000, 0.1);
        Buffer b = Render(1.2, kCymbalRate, [&](double t) {
            double metal = 0;
            for (double f : {2210.0, 2870.0, 3930.0, 4710.0, 5820.0}) metal += std::sin(2 * kPi * f * t);
            return (hp.High(n.Next()) + 0.04 * metal * Clamp01(t / 0.2)) * ExpDecay(t, 0.4);
        });
        list.push_back(OneShot("orchestra-crash", b, 0.6, kCymbalRate));
    }
    {  // timpani: a skin's partials (1, 1.5, 2, 2.44) over a soft thud, ringing long
        Noise n(127);
        Svf lp;
        lp.Set(400, 0.1);
        Buffer b = Render(1.0, kHalfRate, [&](double t) {
            double skin = 0;
            for (auto [r, a, d] : {std::tuple{1.0, 1.0, 0.6}, {1.5, 0.5, 0.35}, {1.99, 0.35, 0.25}, {2.44, 0.2, 0.15}})
                skin += a * std::sin(2 * kPi * kMiddleC * r * t) * ExpDecay(t, d);
            return (skin + 1.2 * lp.Low(n.Next()) * ExpDecay(t, 0.03)) * Clamp01(t / 0.003);
        });
        list.push_back(OneShot("orchestra-tom", b, 0.9, kHalfRate));
    }

    // deep: the dark below. A long sub boom, a snare drowned in a dark room, muffled ticks and
    // a sonar ping for the toms.
    {
        Glide g{70, 41, 0.08};
        Buffer b = Render(0.8, kHalfRate, [&](double t) { return g.At(t, kHalfRate) * Clamp01(t / 0.003) * ExpDecay(t, 0.3); });
        Saturate(b, 1.3);
        list.push_back(OneShot("deep-kick", b, 0.95, kHalfRate));
    }
    {
        Noise n(131);
        Svf lp;
        lp.Set(1800, 0.3);
        Buffer b = Render(0.5, kHalfRate, [&](double t) {
            const double room = 0.35 * ExpDecay(t, 0.18) * (t > 0.02);
            return lp.Low(n.Next()) * (ExpDecay(t, 0.03) + room) + 0.5 * std::sin(2 * kPi * 170 * t) * ExpDecay(t, 0.04);
        });
        list.push_back(OneShot("deep-snare", b, 0.85, kHalfRate));
    }
    for (auto [name, len, decay, seed] : {std::tuple{"deep-hat", 0.06, 0.015, 137u}, std::tuple{"deep-ohat", 0.35, 0.1, 139u}}) {
        Noise n(seed);
        Svf bp;
        bp.Set(3800, 0.5);
        Buffer b = Render(len, kCymbalRate, [&](double t) { return bp.Band(n.Next()) * ExpDecay(t, decay); });
        list.push_back(OneShot(name, b, 0.45, kCymbalRate));
    }
    {  // a dark swell that breaks: noise rising through a closing low-pass
        Noise n(149);
        Svf lp;
        Buffer b = Render(0.9, kCymbalRate, [&](double t) {
            lp.Set(6000 * ExpDecay(t, 0.35) + 400, 0.4);
            return lp.Low(n.Next()) * Clamp01(t / 0.005) * ExpDecay(t, 0.3);
        });
        list.push_back(OneShot("deep-crash", b, 0.6, kCymbalRate));
    }
    {  // sonar ping: a pure tone rising a little, ringing long
        Buffer b = Render(0.9, kHalfRate, [](double t) {
            return std::sin(2 * kPi * kMiddleC * (t + 0.004 * t * t)) * Clamp01(t / 0.002) * ExpDecay(t, 0.3);
        });
        list.push_back(OneShot("deep-tom", b, 0.8, kHalfRate));
    }
}

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
    {  // pulse: a thin quarter-duty pulse, the drum machine's lead
        XmInstrument i = Looped("pulse", 128, {128, 129}, 0, 0.9, [](double p, double b) {
            return SoftSaw(p, b, 30) - SoftSaw(p + 0.25 - std::floor(p + 0.25), b, 30);
        });
        i.envelope = {{0, 0}, {1, 64}, {6, 44}, {26, 0}};
        i.sustainPoint = 2;
        i.fadeout = 1400;
        i.vibratoSweep = 20;
        i.vibratoDepth = 4;
        i.vibratoRate = 14;
        list.push_back(i);
    }
    {  // sawpad: five detuned saws, bright and wide
        XmInstrument i = Looped("sawpad", 128, {128, 129, 127, 130, 126}, 0, 0.55,
                                [](double p, double b) { return SoftSaw(p, b, 30); });
        i.envelope = {{0, 0}, {10, 64}, {30, 54}, {80, 0}};
        i.sustainPoint = 2;
        i.fadeout = 500;
        list.push_back(i);
    }
    {  // choir: harmonics weighted by the formants of an "ah" (at middle C), slow to breathe in
        XmInstrument i = Looped("choir", 128, {128, 129, 127}, 0, 1.0, [](double p, double) {
            double s = 0;
            for (int k = 1; k <= 14; ++k) {
                const double f = kMiddleC * k;
                double a = 0;
                for (auto [centre, width, gain] : {std::tuple{700.0, 130.0, 1.0}, {1150.0, 150.0, 0.6}, {2700.0, 250.0, 0.25}})
                    a += gain * std::exp(-0.5 * std::pow((f - centre) / width, 2.0));
                s += (a + 0.15 / k) * std::sin(2 * kPi * k * p);
            }
            return s;
        });
        i.envelope = {{0, 0}, {24, 64}, {40, 58}, {110, 0}};
        i.sustainPoint = 2;
        i.fadeout = 300;
        i.vibratoSweep = 60;
        i.vibratoDepth = 3;
        i.vibratoRate = 8;
        list.push_back(i);
    }
    {  // reese: three saws beating slowly, dark, over a sine sub
        XmInstrument i = Looped("reese", 128, {128, 127, 129}, 0, 0.3, [](double p, double b) {
            return SoftSaw(p, b, 24) + 0.4 * std::sin(2 * kPi * p);
        });
        i.envelope = {{0, 64}, {8, 56}, {30, 48}, {40, 0}};
        i.sustainPoint = 2;
        i.fadeout = 1600;
        list.push_back(i);
    }
    {  // glass: FM with a high ratio, the index dying away after the strike; loops cleanly
        XmInstrument i = Looped("glass", 128, {128, 129}, 96, 0.12, [](double p, double b) {
            return std::sin(2 * kPi * p + 2.8 * b * std::sin(2 * kPi * 4 * p) + 0.8 * b * std::sin(2 * kPi * 7 * p));
        });
        i.envelope = {{0, 64}, {6, 40}, {30, 18}, {90, 0}};
        i.sustainPoint = 2;
        i.fadeout = 700;
        list.push_back(i);
    }
    {  // brass: a bright saw edge that settles, for the fanfares of the last battle
        XmInstrument i = Looped("brass", 128, {128, 129, 127}, 48, 0.6, [](double p, double b) {
            return SoftSaw(p, b, 30) + 0.3 * SoftSquare(p, b, 15);
        });
        i.envelope = {{0, 0}, {3, 64}, {12, 52}, {40, 0}};
        i.sustainPoint = 2;
        i.fadeout = 1000;
        i.vibratoSweep = 50;
        i.vibratoDepth = 5;
        i.vibratoRate = 9;
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
    AddKits(list);
    return list;
}

const std::vector<std::string>& DrumKits() {
    static const std::vector<std::string> kits = {"bright", "tight", "brushed", "heavy", "glass", "orchestra", "deep"};
    return kits;
}

std::string KitPiece(std::string_view kit, std::string_view piece) {
    if (kit == "bright") return std::string(piece);
    return std::string(kit) + "-" + std::string(piece);
}

int InstrumentNumber(const std::vector<XmInstrument>& instruments, std::string_view name) {
    for (size_t i = 0; i < instruments.size(); ++i)
        if (instruments[i].name == name) return int(i) + 1;
    return 0;
}

}  // namespace vlm::forge::audio
