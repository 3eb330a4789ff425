#include "sound/Mixer.h"

#include <algorithm>
#include <cmath>

namespace vlm::sound {

double HundredthsDbToGain(int hundredthsDb) {
    if (hundredthsDb <= -10000) return 0.0;
    return std::pow(10.0, hundredthsDb / 2000.0);
}

void PanToGains(int pan, float& left, float& right) {
    pan = std::clamp(pan, -10000, 10000);
    left = 1.0f;
    right = 1.0f;
    if (pan < 0) right = float(HundredthsDbToGain(pan));
    if (pan > 0) left = float(HundredthsDbToGain(-pan));
}

int Mixer::Start(const Wave* wave, double step, float gainLeft, float gainRight) {
    int slot = 0;
    for (int i = 0; i < kVoices; ++i) {
        if (!voices_[i].wave) {
            slot = i;
            break;
        }
        if (voices_[i].started < voices_[slot].started) slot = i;
    }
    Voice& v = voices_[slot];
    v.wave = wave;
    v.position = 0.0;
    v.step = step;
    v.gainLeft = gainLeft;
    v.gainRight = gainRight;
    v.started = ++sequence_;
    return slot;
}

void Mixer::StopAll() {
    for (Voice& v : voices_) v.wave = nullptr;
}

int Mixer::ActiveVoices() const {
    int n = 0;
    for (const Voice& v : voices_) n += v.wave != nullptr;
    return n;
}

void Mixer::MixAdd(float* stereo, size_t frames) {
    for (Voice& v : voices_) {
        if (!v.wave) continue;
        const Wave& w = *v.wave;
        const size_t count = w.Frames();
        const float* s = w.samples.data();
        const bool mono = w.channels == 1;
        float* out = stereo;
        for (size_t i = 0; i < frames; ++i, out += 2) {
            if (v.position >= double(count)) break;
            const size_t index = size_t(v.position);
            const float frac = float(v.position - double(index));
            const bool last = index + 1 >= count;
            float l, r;
            if (mono) {
                const float a = s[index];
                const float b = last ? 0.0f : s[index + 1];
                l = r = a + (b - a) * frac;
            } else {
                const float al = s[index * 2], ar = s[index * 2 + 1];
                const float bl = last ? 0.0f : s[index * 2 + 2];
                const float br = last ? 0.0f : s[index * 2 + 3];
                l = al + (bl - al) * frac;
                r = ar + (br - ar) * frac;
            }
            out[0] += l * v.gainLeft;
            out[1] += r * v.gainRight;
            v.position += v.step;
        }
        if (v.position >= double(count)) v.wave = nullptr;
    }
}

}  // namespace vlm::sound
