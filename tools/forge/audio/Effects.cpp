#include "forge/audio/Effects.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace vlm::forge::audio {

namespace {

enum class Shape { Sine, Triangle, Saw, Square, Pulse25 };

using Curve = std::function<double(double t)>;  // t in seconds

size_t Samples(double seconds) { return size_t(seconds * kRate); }

// An oscillator whose frequency and amplitude follow curves; band-limited by construction.
Buffer Tone(double seconds, Shape shape, const Curve& freq, const Curve& amp) {
    Buffer b(Samples(seconds));
    double phase = 0;
    for (size_t i = 0; i < b.size(); ++i) {
        const double t = double(i) / kRate;
        const double f = std::max(1.0, freq(t));
        const int h = std::clamp(int(18000.0 / f), 1, 40);
        double v = 0;
        switch (shape) {
            case Shape::Sine: v = std::sin(2 * kPi * phase); break;
            case Shape::Triangle: {
                for (int k = 1; k <= h; k += 2) v += ((k / 2) % 2 ? -1.0 : 1.0) * std::sin(2 * kPi * k * phase) / (k * k);
                v *= 8.0 / (kPi * kPi);
                break;
            }
            case Shape::Saw: v = SawBl(phase, h); break;
            case Shape::Square: v = PulseBl(phase, 0.5, h); break;
            case Shape::Pulse25: v = PulseBl(phase, 0.25, h); break;
        }
        b[i] = float(v * amp(t));
        phase += f / kRate;
        phase -= std::floor(phase);
    }
    return b;
}

// Noise through a low-pass whose cutoff follows a curve.
Buffer FilteredNoise(double seconds, uint32_t seed, const Curve& cutoff, double resonance, const Curve& amp,
                     bool highPass = false) {
    Buffer b(Samples(seconds));
    Noise n(seed);
    Svf f;
    for (size_t i = 0; i < b.size(); ++i) {
        const double t = double(i) / kRate;
        f.Set(cutoff(t), resonance);
        const float x = n.Next();
        b[i] = float((highPass ? f.High(x) : f.Low(x)) * amp(t));
    }
    return b;
}

Curve Const(double v) { return [v](double) { return v; }; }
// Exponential glide from a to b over `seconds`, then held.
Curve Glide(double a, double b, double seconds) {
    return [=](double t) { return a * std::pow(b / a, std::min(t / seconds, 1.0)); };
}
// Attack then exponential decay.
Curve Perc(double attack, double decay) {
    return [=](double t) { return t < attack ? t / attack : ExpDecay(t - attack, decay); };
}
// Attack, hold, release (linear).
Curve Ahr(double attack, double hold, double release) {
    return [=](double t) {
        if (t < attack) return t / attack;
        if (t < attack + hold) return 1.0;
        return std::max(0.0, 1.0 - (t - attack - hold) / release);
    };
}

double Note(int midi) { return 440.0 * std::pow(2.0, (midi - 69) / 12.0); }

Buffer Finish(Buffer b, double fadeOutMs = 8.0, double peak = 0.89) {
    Normalise(b, peak);
    FadeEdges(b, 1.5, fadeOutMs);
    return b;
}

// A sequence of short notes (pickup jingles).
Buffer Arpeggio(const std::vector<int>& notes, double step, double noteLength, Shape shape, double decay,
                double vibrato = 0.0) {
    Buffer out;
    for (size_t i = 0; i < notes.size(); ++i) {
        const double f = Note(notes[i]);
        Buffer n = Tone(noteLength, shape,
                        [=](double t) { return f * (1.0 + vibrato * std::sin(2 * kPi * 6.0 * t)); },
                        Perc(0.003, decay));
        FadeEdges(n, 1.0, 6.0);
        MixInto(out, n, Samples(step * double(i)), 1.0f);
    }
    return out;
}

// A little bell: a few inharmonic partials decaying at different rates.
Buffer Bell(double f, double seconds, double decay) {
    Buffer b(Samples(seconds));
    const double partials[][3] = {{1.0, 1.0, 1.0}, {2.76, 0.5, 0.6}, {5.40, 0.25, 0.35}, {8.93, 0.12, 0.2}};
    for (size_t i = 0; i < b.size(); ++i) {
        const double t = double(i) / kRate;
        double v = 0;
        for (auto& p : partials) v += p[1] * std::sin(2 * kPi * f * p[0] * t) * ExpDecay(t, decay * p[2]);
        b[i] = float(v * std::min(1.0, t / 0.002));
    }
    return b;
}

Buffer Laser(double from, double to, double seconds, Shape shape, double vibratoDepth) {
    Curve glide = Glide(from, to, seconds * 0.8);
    Buffer b = Tone(seconds, shape,
                    [=](double t) { return glide(t) * (1.0 + vibratoDepth * std::sin(2 * kPi * 45.0 * t)); },
                    Perc(0.002, seconds * 0.35));
    // A breath of noise at the muzzle for attack.
    MixInto(b, FilteredNoise(0.04, 7, Const(6000), 0.2, Perc(0.001, 0.012), true), 0, 0.35f);
    return b;
}

Buffer Explosion(double seconds, uint32_t seed, double cutoffFrom, double cutoffTo, double thumpHz, double body,
                 double crackle) {
    Buffer b = FilteredNoise(seconds, seed, Glide(cutoffFrom, cutoffTo, seconds * 0.7), 0.35,
                             Perc(0.004, seconds * 0.28));
    // The low thump that makes it hit.
    Buffer thump = Tone(std::min(seconds, 0.6), Shape::Sine, Glide(thumpHz * 2.2, thumpHz, 0.12),
                        Perc(0.002, 0.16));
    MixInto(b, thump, 0, float(body));
    if (crackle > 0) {
        Noise n(seed * 3 + 1);
        Buffer c(b.size());
        for (size_t i = 0; i < c.size(); ++i) {
            const double t = double(i) / kRate;
            const float r = n.Next();
            c[i] = (std::fabs(r) > 0.996f ? r * 3.0f : 0.0f) * float(ExpDecay(t, seconds * 0.25));
        }
        Svf hp;
        hp.Set(2500, 0.1);
        for (float& s : c) s = hp.High(s);
        MixInto(b, c, 0, float(crackle));
    }
    Saturate(b, 1.6);
    return b;
}

}  // namespace

std::map<std::string, Buffer> MakeEffects() {
    std::map<std::string, Buffer> fx;

    // Interface: a soft rising blip when the mouse comes over a button, a firm tick for a press.
    {
        Buffer b = Tone(0.07, Shape::Sine, Glide(1400, 2100, 0.05), Perc(0.004, 0.02));
        MixInto(b, Tone(0.07, Shape::Sine, Glide(2800, 4200, 0.05), Perc(0.004, 0.012)), 0, 0.2f);
        fx["overbutton"] = Finish(b, 10, 0.6);
    }
    {
        Buffer b = Tone(0.09, Shape::Triangle, Glide(900, 600, 0.05), Perc(0.001, 0.018));
        MixInto(b, FilteredNoise(0.02, 3, Const(5000), 0.3, Perc(0.0005, 0.004), true), 0, 0.6f);
        MixInto(b, Tone(0.09, Shape::Sine, Const(1800), Perc(0.001, 0.01)), 0, 0.3f);
        fx["click"] = Finish(b, 10, 0.75);
    }

    // Primary shots: three takes of the same zap so rapid fire does not drone. The guns fire
    // twenty times a second for minutes on end, so they sit well under the music: held fire
    // mixes at about 3 dB below a level tune at the default volumes.
    constexpr double kShotPeak = 0.2, kBonusShotPeak = 0.26;
    fx["shoot0a"] = Finish(Laser(2200, 420, 0.16, Shape::Square, 0.0), 12, kShotPeak);
    fx["shoot0b"] = Finish(Laser(2000, 380, 0.17, Shape::Pulse25, 0.0), 12, kShotPeak);
    fx["shoot0c"] = Finish(Laser(2450, 460, 0.15, Shape::Square, 0.02), 12, kShotPeak);
    // Weapon bonuses: heavier, then plasma, then a crackling ion burst.
    {
        Buffer b = Laser(1600, 180, 0.24, Shape::Saw, 0.0);
        MixInto(b, Laser(1630, 185, 0.24, Shape::Saw, 0.0), 0, 0.8f);
        fx["shoot1"] = Finish(b, 14, kBonusShotPeak);
    }
    {
        Buffer b = Tone(0.28, Shape::Saw, Glide(900, 120, 0.22), Perc(0.003, 0.09));
        Svf f;
        for (size_t i = 0; i < b.size(); ++i) {
            f.Set(4000 * ExpDecay(double(i) / kRate, 0.08) + 300, 0.75);
            b[i] = f.Low(b[i]);
        }
        MixInto(b, FilteredNoise(0.2, 11, Glide(8000, 800, 0.15), 0.5, Perc(0.002, 0.05)), 0, 0.5f);
        fx["shoot2"] = Finish(b, 14, kBonusShotPeak);
    }
    {
        Buffer b;
        for (int k = 0; k < 3; ++k) {
            Buffer z = Laser(3200 - 300 * k, 900 - 100 * k, 0.07, Shape::Pulse25, 0.05);
            FadeEdges(z, 0.5, 5);
            MixInto(b, z, Samples(0.045 * k), 1.0f - 0.15f * k);
        }
        fx["shoot3"] = Finish(b, 12, kBonusShotPeak);
    }
    // Secondary shot: a rocket's whoosh with a kick at launch.
    {
        Buffer b = FilteredNoise(0.45, 21, Glide(400, 3500, 0.35), 0.6, Ahr(0.02, 0.12, 0.3));
        MixInto(b, Tone(0.2, Shape::Sine, Glide(160, 50, 0.12), Perc(0.002, 0.06)), 0, 0.9f);
        fx["2shoot0"] = Finish(b, 30, 0.5);
    }

    // Explosions, each its own character: a deep rolling blast with falling debris, a metallic
    // crunch of torn hull, a sharp electric pop, and the special heavy one.
    {
        Buffer b = Explosion(1.6, 101, 3000, 120, 48, 1.6, 0.2);
        // The roll: a second, darker burst a moment later, then debris ticking down.
        MixInto(b, FilteredNoise(1.3, 111, Glide(1200, 90, 1.0), 0.5, Ahr(0.08, 0.25, 0.9)), Samples(0.15), 0.7f);
        Noise n(113);
        for (int k = 0; k < 9; ++k) {
            Buffer tick = FilteredNoise(0.03, 120 + k, Const(3500 - 250 * k), 0.6, Perc(0.001, 0.008), true);
            MixInto(b, tick, Samples(0.45 + 0.09 * k + 0.03 * n.Next()), 0.35f - 0.03f * k);
        }
        fx["explosion1"] = Finish(b, 60, 0.9);
    }
    {
        // Torn metal: a short noise crunch, an inharmonic clang that rings, and a grinding buzz.
        Buffer b = FilteredNoise(0.5, 202, Glide(6000, 700, 0.3), 0.45, Perc(0.002, 0.09));
        MixInto(b, Bell(140, 0.9, 0.22), 0, 0.9f);
        MixInto(b, Bell(233, 0.7, 0.15), Samples(0.01), 0.6f);
        Buffer grind = Tone(0.45, Shape::Saw, Glide(95, 55, 0.4), Perc(0.004, 0.12));
        Svf lp;
        lp.Set(900, 0.5);
        for (float& v : grind) v = lp.Low(v);
        MixInto(b, grind, 0, 0.6f);
        Saturate(b, 1.8);
        fx["explosion2"] = Finish(b, 40, 0.85);
    }
    {
        // A sharp electric pop: a bright crack, a pitch that drops like a burst capacitor, fizz.
        Buffer b = FilteredNoise(0.08, 303, Const(9000), 0.3, Perc(0.0005, 0.015), true);
        MixInto(b, Tone(0.3, Shape::Square, Glide(1800, 90, 0.18), Perc(0.001, 0.06)), 0, 0.5f);
        MixInto(b, Tone(0.3, Shape::Sine, Glide(420, 60, 0.1), Perc(0.001, 0.08)), 0, 0.8f);
        MixInto(b, FilteredNoise(0.35, 304, Glide(7000, 2500, 0.3), 0.7, Perc(0.01, 0.08), true), Samples(0.03),
                0.35f);
        fx["explosion3"] = Finish(b, 30, 0.8);
    }
    {
        Buffer b = Explosion(2.4, 404, 3500, 90, 42, 1.5, 0.4);
        MixInto(b, Explosion(1.2, 405, 6000, 250, 60, 0.8, 0.9), Samples(0.18), 0.7f);
        fx["explosion4"] = Finish(b, 80, 0.9);
    }

    // Bonuses, one character each.
    {  // score: a bright coin, two quick high notes with a ringing shimmer
        Buffer b = Arpeggio({83, 88}, 0.07, 0.3, Shape::Square, 0.1);
        MixInto(b, Bell(Note(100), 0.5, 0.12), Samples(0.07), 0.35f);
        fx["bonus1"] = Finish(b, 20, 0.6);
    }
    {  // health: a warm sine that swells and rises, a soft major chord blooming under it
        Buffer b = Tone(0.7, Shape::Sine, [](double t) { return Note(60) * std::pow(2.0, std::min(t / 0.5, 1.0)) *
                                                                (1.0 + 0.01 * std::sin(2 * kPi * 6.0 * t)); },
                        Ahr(0.12, 0.25, 0.3));
        for (int n : {60, 64, 67}) MixInto(b, Tone(0.7, Shape::Triangle, Const(Note(n)), Ahr(0.2, 0.2, 0.3)), 0, 0.25f);
        fx["bonus2"] = Finish(b, 40, 0.7);
    }
    {  // armour: plates locking on, a low clank then a firm latch
        Buffer b = Bell(110, 0.6, 0.12);
        MixInto(b, FilteredNoise(0.05, 51, Const(2500), 0.5, Perc(0.001, 0.012)), 0, 0.7f);
        MixInto(b, Tone(0.2, Shape::Square, Glide(220, 110, 0.05), Perc(0.002, 0.05)), 0, 0.3f);
        MixInto(b, Bell(165, 0.5, 0.1), Samples(0.16), 0.8f);
        MixInto(b, FilteredNoise(0.04, 52, Const(4000), 0.5, Perc(0.001, 0.01), true), Samples(0.16), 0.6f);
        fx["bonus3"] = Finish(b, 30, 0.75);
    }
    {  // shield: a resonant sweep that rises and rings
        Buffer b = Tone(0.7, Shape::Saw, Glide(110, 220, 0.5), Ahr(0.02, 0.3, 0.35));
        Svf f;
        for (size_t i = 0; i < b.size(); ++i) {
            const double t = double(i) / kRate;
            f.Set(300 * std::pow(20.0, std::min(t / 0.5, 1.0)), 0.85);
            b[i] = f.Low(b[i]);
        }
        fx["bonus4"] = Finish(b, 40, 0.8);
    }
    {  // satellite: two tones orbiting each other
        Buffer b = Tone(0.6, Shape::Sine, [](double t) { return 880 + 220 * std::sin(2 * kPi * 9 * t); },
                        Ahr(0.01, 0.3, 0.28));
        MixInto(b, Tone(0.6, Shape::Triangle, [](double t) { return 1320 - 220 * std::sin(2 * kPi * 9 * t); },
                        Ahr(0.01, 0.3, 0.28)), 0, 0.6f);
        fx["bonus5"] = Finish(b, 30, 0.75);
    }
    {  // rockets: a metallic clunk and a loading click
        Buffer b = Bell(220, 0.5, 0.15);
        MixInto(b, Arpeggio({60, 67}, 0.09, 0.12, Shape::Square, 0.03), Samples(0.02), 0.5f);
        fx["bonus6"] = Finish(b, 30, 0.8);
    }
    {  // rocket wall: a rising ripple of launches
        Buffer b;
        for (int k = 0; k < 7; ++k) {
            Buffer z = Tone(0.12, Shape::Square, Glide(300 + 60 * k, 900 + 150 * k, 0.1), Perc(0.002, 0.04));
            FadeEdges(z, 0.5, 6);
            MixInto(b, z, Samples(0.035 * k), 0.8f);
        }
        fx["bonus7"] = Finish(b, 20, 0.8);
    }
    {  // rocket fan: five quick launches spreading downwards
        Buffer b;
        for (int k = 0; k < 5; ++k) {
            Buffer z = Tone(0.14, Shape::Saw, Glide(1400 - 150 * k, 400, 0.12), Perc(0.002, 0.05));
            FadeEdges(z, 0.5, 6);
            MixInto(b, z, Samples(0.045 * k), 0.8f);
        }
        fx["bonus8"] = Finish(b, 20, 0.8);
    }
    {  // double damage: a power chord stab
        Buffer b;
        for (int n : {45, 52, 57, 64}) MixInto(b, Tone(0.55, Shape::Saw, Const(Note(n)), Perc(0.005, 0.18)), 0, 0.5f);
        Saturate(b, 2.0);
        fx["bonus9"] = Finish(b, 40, 0.85);
    }
    {  // burning shots: a hiss that flares upwards
        Buffer b = FilteredNoise(0.6, 31, Glide(600, 7000, 0.45), 0.7, Ahr(0.05, 0.25, 0.3), true);
        MixInto(b, Tone(0.6, Shape::Saw, Glide(200, 800, 0.45), Ahr(0.05, 0.25, 0.3)), 0, 0.3f);
        fx["bonus10"] = Finish(b, 40, 0.8);
    }
    {  // freezing shots: glassy bells tumbling down
        Buffer b;
        const int notes[] = {100, 96, 91, 88, 84};
        for (int k = 0; k < 5; ++k) MixInto(b, Bell(Note(notes[k]) / 2, 0.6, 0.2), Samples(0.05 * k), 0.6f);
        fx["bonus11"] = Finish(b, 40, 0.8);
    }
    {  // slow motion: everything winds down
        Buffer b = Tone(0.9, Shape::Saw, Glide(700, 90, 0.8), Ahr(0.02, 0.5, 0.35));
        Svf f;
        for (size_t i = 0; i < b.size(); ++i) {
            f.Set(2500 * ExpDecay(double(i) / kRate, 0.4) + 200, 0.6);
            b[i] = f.Low(b[i]);
        }
        MixInto(b, Tone(0.9, Shape::Sine, Glide(350, 45, 0.8), Ahr(0.02, 0.5, 0.35)), 0, 0.5f);
        fx["bonus12"] = Finish(b, 50, 0.85);
    }

    // Screens: a chime for the statistics, a till for the shop, a falling phrase for game over.
    {
        Buffer b;
        const int notes[] = {72, 76, 79, 84};
        for (int k = 0; k < 4; ++k) MixInto(b, Bell(Note(notes[k]), 1.3, 0.5), Samples(0.09 * k), 0.5f);
        fx["stats"] = Finish(b, 80, 0.8);
    }
    {
        Buffer b = Bell(Note(88), 0.9, 0.3);
        MixInto(b, Bell(Note(93), 0.8, 0.3), Samples(0.12), 0.9f);
        MixInto(b, FilteredNoise(0.35, 41, Const(9000), 0.4, Perc(0.01, 0.09), true), Samples(0.1), 0.3f);
        fx["shop"] = Finish(b, 60, 0.8);
    }
    {
        Buffer b;
        const int notes[] = {64, 62, 58, 55};
        const double at[] = {0.0, 0.35, 0.7, 1.05};
        for (int k = 0; k < 4; ++k) {
            const double f = Note(notes[k]);
            const double len = k == 3 ? 1.6 : 0.4;
            Buffer n = Tone(len, Shape::Saw, [=](double t) { return f * (1 + 0.006 * std::sin(2 * kPi * 5 * t)); },
                            Ahr(0.02, len * 0.5, len * 0.45));
            Svf lp;
            lp.Set(1800, 0.3);
            for (float& s : n) s = lp.Low(s);
            MixInto(b, n, Samples(at[k]), 0.8f);
            MixInto(b, Tone(len, Shape::Sine, Const(f / 2), Ahr(0.02, len * 0.5, len * 0.45)), Samples(at[k]), 0.5f);
        }
        fx["gameover"] = Finish(b, 100, 0.85);
    }
    return fx;
}

}  // namespace vlm::forge::audio
