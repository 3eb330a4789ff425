// vlm_forge_audio: makes the game's sound bank and soundtrack.
//
//   vlm_forge_audio --scores <dir> --out <content dir> [--listen <dir>] [--stamp <file>]
//
// Writes <content dir>/sound/snd.tor (a "PACK" archive of one WAV per effect) and
// <content dir>/sound/main.mo3 (an XM module compiled from the text scores), then renders both
// and prints their levels. With --listen every effect and every tune is also written as a WAV.

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <libopenmpt/libopenmpt.hpp>
#include <libopenmpt/libopenmpt_ext.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "data/Archive.h"
#include "data/Errors.h"
#include "data/FileIo.h"
#include "forge/audio/Effects.h"
#include "forge/audio/Instruments.h"
#include "forge/audio/Score.h"
#include "forge/audio/Synth.h"
#include "sound/SoundNames.h"
#include "sound/WaveFile.h"

namespace fs = std::filesystem;
using namespace vlm::forge::audio;

namespace {

std::string ReadText(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) throw ScoreError(file.string() + ": cannot be read");
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteWav(const fs::path& file, const vlm::sound::Wave& w) {
    std::vector<uint8_t> bytes = vlm::sound::EncodeWave16(w);
    vlm::data::WriteFileAtomically(file, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()),
                                   file.string());
}

// The tone colour of a sound: its spectral centroid and the share of its energy in six bands,
// from Hann-windowed 4096-point spectra of the mono mix. The forge prints it with --listen, so
// the tunes and the drum kits can be compared by ear and by figure.
struct Colour {
    double centroid = 0;
    double bands[6] = {};  // below 80 Hz, 80-250, 250-1k, 1k-4k, 4k-10k, above 10 kHz; fractions
};
constexpr double kBandTops[6] = {80, 250, 1000, 4000, 10000, 1e9};

void Fft(std::vector<std::complex<double>>& a) {
    const size_t n = a.size();
    for (size_t i = 1, j = 0; i < n; ++i) {
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) j ^= bit;
        j ^= bit;
        if (i < j) std::swap(a[i], a[j]);
    }
    for (size_t len = 2; len <= n; len <<= 1) {
        const std::complex<double> w = std::polar(1.0, -2 * kPi / double(len));
        for (size_t i = 0; i < n; i += len) {
            std::complex<double> wk = 1;
            for (size_t k = 0; k < len / 2; ++k, wk *= w) {
                const auto u = a[i + k], v = a[i + k + len / 2] * wk;
                a[i + k] = u + v;
                a[i + k + len / 2] = u - v;
            }
        }
    }
}

// `channels` interleaved channels are mixed to mono.
Colour ColourOf(const float* samples, size_t frames, int channels, double rate = kRate) {
    constexpr size_t kN = 4096;
    Colour c;
    double total = 0, weighted = 0;
    std::vector<std::complex<double>> a(kN);
    for (size_t start = 0; start + kN <= std::max(frames, kN); start += kN) {
        for (size_t i = 0; i < kN; ++i) {
            double v = 0;
            if (start + i < frames)
                for (int ch = 0; ch < channels; ++ch) v += samples[(start + i) * size_t(channels) + size_t(ch)];
            a[i] = v * (0.5 - 0.5 * std::cos(2 * kPi * double(i) / kN));
        }
        Fft(a);
        for (size_t k = 1; k < kN / 2; ++k) {
            const double f = double(k) * rate / kN, e = std::norm(a[k]);
            total += e;
            weighted += e * f;
            size_t b = 0;
            while (f >= kBandTops[b]) ++b;
            c.bands[b] += e;
        }
    }
    if (total > 0) {
        c.centroid = weighted / total;
        for (double& b : c.bands) b /= total;
    }
    return c;
}

std::string DescribeColour(const Colour& c) {
    char text[160];
    std::snprintf(text, sizeof text, "centroid %5.0f Hz  bands %%: %4.1f %4.1f %4.1f %4.1f %4.1f %4.1f", c.centroid,
                  100 * c.bands[0], 100 * c.bands[1], 100 * c.bands[2], 100 * c.bands[3], 100 * c.bands[4],
                  100 * c.bands[5]);
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    fs::path scoresDir, outDir, listenDir, stamp;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string a = argv[i];
        if (a == "--scores") scoresDir = argv[i + 1];
        else if (a == "--out") outDir = argv[i + 1];
        else if (a == "--listen") listenDir = argv[i + 1];
        else if (a == "--stamp") stamp = argv[i + 1];
        else {
            std::fprintf(stderr, "unknown option %s\n", a.c_str());
            return 2;
        }
    }
    if (scoresDir.empty() || outDir.empty()) {
        std::fprintf(stderr, "usage: vlm_forge_audio --scores <dir> --out <content dir> [--listen <dir>] [--stamp <file>]\n");
        return 2;
    }
    bool ok = true;
    try {
        fs::create_directories(outDir / "sound");
        if (!listenDir.empty()) fs::create_directories(listenDir);

        // Effects.
        std::printf("sound bank:\n");
        std::vector<vlm::data::ArchiveInput> files;
        const auto effects = MakeEffects();
        for (std::string_view name : vlm::sound::kSoundNames) {
            auto it = effects.find(std::string(name));
            if (it == effects.end()) {
                std::fprintf(stderr, "no recipe for the effect \"%s\"\n", std::string(name).c_str());
                ok = false;
                continue;
            }
            vlm::sound::Wave w;
            w.samples = it->second;
            const Levels l = Measure(w.samples.data(), w.samples.size());
            const bool clean = l.startJump < 0.01 && l.endJump < 0.01 && l.peak <= 1.0 && std::fabs(l.dc) < 0.01;
            std::printf("  %-11s %s%s\n", std::string(name).c_str(), Describe(l).c_str(), clean ? "" : "  <-- CHECK");
            ok = ok && clean;
            files.push_back({std::string(name) + ".wav", vlm::sound::EncodeWave16(w)});
            if (!listenDir.empty()) WriteWav(listenDir / ("fx-" + std::string(name) + ".wav"), w);
        }
        vlm::data::WriteArchive(outDir / "sound" / "snd.tor", files, false);

        // Music.
        std::vector<fs::path> scoreFiles;
        for (const auto& e : fs::directory_iterator(scoresDir))
            if (e.path().extension() == ".txt") scoreFiles.push_back(e.path());
        std::sort(scoreFiles.begin(), scoreFiles.end());
        std::vector<ScoreText> scores;
        for (const fs::path& f : scoreFiles) scores.push_back({f.filename().string(), ReadText(f)});
        CompiledMusic music = CompileScores(scores, MakeInstruments());
        std::vector<uint8_t> xm = WriteXm(music.module);
        vlm::data::WriteFileAtomically(outDir / "sound" / "main.mo3",
                                       std::string_view(reinterpret_cast<const char*>(xm.data()), xm.size()),
                                       (outDir / "sound" / "main.mo3").string());

        std::printf("music: %zu orders, %zu patterns, %zu instruments, %zu bytes\n", music.module.orders.size(),
                    music.module.patterns.size(), music.module.instruments.size(), xm.size());
        std::ostringstream quiet;
        openmpt::module mod(xm.data(), xm.size(), quiet);
        mod.set_repeat_count(-1);
        double total = 0;
        std::vector<float> buffer;
        std::vector<std::string> colours;
        for (const TuneInfo& t : music.tunes) {
            mod.set_position_order_row(t.firstOrder, 0);
            const size_t frames = size_t(t.seconds * kRate);
            buffer.assign(frames * 2, 0.0f);
            size_t done = 0;
            while (done < frames) {
                size_t got = mod.read_interleaved_stereo(44100, std::min<size_t>(4096, frames - done), buffer.data() + done * 2);
                if (!got) break;
                done += got;
            }
            // After one pass the tune must be back at its own start.
            const int orderAfter = mod.get_current_order();
            const bool loops = std::find(t.orders.begin(), t.orders.end(), orderAfter) != t.orders.end() &&
                               orderAfter == t.firstOrder;
            Levels left = Measure(buffer.data(), done, 2);
            Levels right = Measure(buffer.data() + 1, done, 2);
            Levels both = left;
            both.peak = std::max(left.peak, right.peak);
            both.rms = std::sqrt((left.rms * left.rms + right.rms * right.rms) / 2);
            both.dc = std::max(std::fabs(left.dc), std::fabs(right.dc));
            const bool clean = both.peak < 1.0 && both.dc < 0.01 && loops && done == frames;
            std::printf("  %-10s orders %3d..%-3d %s, loops back to %d%s\n", t.name.c_str(), t.orders.front(),
                        t.orders.back(), Describe(both).c_str(), orderAfter, clean ? "" : "  <-- CHECK");
            ok = ok && clean;
            total += t.seconds;
            if (!listenDir.empty()) {
                vlm::sound::Wave w;
                w.channels = 2;
                w.samples = buffer;
                WriteWav(listenDir / ("music-" + std::to_string(t.firstOrder) + "-" + t.name + ".wav"), w);
                colours.push_back("  " + t.name + std::string(std::max<size_t>(1, 11 - t.name.size()), ' ') +
                                  DescribeColour(ColourOf(buffer.data(), done, 2)));
            }
        }
        std::printf("music: %.1f s in %zu tunes\n", total, music.tunes.size());
        if (!listenDir.empty()) {
            std::printf("tone colour of the tunes (bands: <80, 80-250, 250-1k, 1k-4k, 4k-10k, >10k Hz):\n");
            for (const std::string& line : colours) std::printf("%s\n", line.c_str());
            // The drums alone (the kick, snare, hat and perc channels), 30 s of each tune: the kits
            // should tell the tunes apart even where the notes do not.
            std::printf("tone colour of the drums alone, 30 s of each tune:\n");
            openmpt::module_ext drums(xm.data(), xm.size(), quiet);
            auto* interactive = static_cast<openmpt::ext::interactive*>(drums.get_interface(openmpt::ext::interactive_id));
            if (interactive) {
                for (int c = 0; c < drums.get_num_channels(); ++c) interactive->set_channel_mute_status(c, c < 8 || c > 11);
                drums.set_repeat_count(-1);
                for (const TuneInfo& t : music.tunes) {
                    drums.set_position_order_row(t.firstOrder, 0);
                    std::vector<float> b(size_t(30 * kRate) * 2);
                    size_t got = 0;
                    while (got < b.size() / 2) {
                        const size_t n = drums.read_interleaved_stereo(44100, std::min<size_t>(4096, b.size() / 2 - got), b.data() + got * 2);
                        if (!n) break;
                        got += n;
                    }
                    const Levels l = Measure(b.data(), got, 2);
                    std::printf("  %-10s rms %6.1f dB  %s\n", t.name.c_str(), l.rms > 0 ? 20 * std::log10(l.rms) : -120.0,
                                DescribeColour(ColourOf(b.data(), got, 2)).c_str());
                }
            }
            std::printf("tone colour of the instruments:\n");
            for (const XmInstrument& ins : music.module.instruments) {
                std::vector<float> f(ins.sample.size());
                for (size_t i = 0; i < f.size(); ++i) f[i] = ins.sample[i] / 32768.0f;
                // Each at the rate that plays it at C-4 (XM: 8363 Hz, moved by the relative note and finetune).
                const double rate = 8363.0 * std::pow(2.0, (ins.relativeNote + ins.finetune / 128.0) / 12.0);
                std::printf("  %-16s %6zu frames at %5.0f Hz  %s\n", ins.name.c_str(), f.size(), rate,
                            DescribeColour(ColourOf(f.data(), f.size(), 1, rate)).c_str());
            }
        }
        if (total < 180.0) {
            std::fprintf(stderr, "the tunes last %.1f s together; at least 180 s are wanted\n", total);
            ok = false;
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vlm_forge_audio: %s\n", e.what());
        return 1;
    }
    if (!ok) {
        std::fprintf(stderr, "vlm_forge_audio: some checks failed (marked CHECK above)\n");
        return 1;
    }
    if (!stamp.empty()) std::ofstream(stamp) << "ok\n";
    return 0;
}
