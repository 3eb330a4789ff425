// vlm_forge_audio: makes the game's sound bank and soundtrack.
//
//   vlm_forge_audio --scores <dir> --out <content dir> [--listen <dir>] [--stamp <file>]
//
// Writes <content dir>/sound/snd.tor (a "PACK" archive of one WAV per effect) and
// <content dir>/sound/main.mo3 (an XM module compiled from the text scores), then renders both
// and prints their levels. With --listen every effect and every tune is also written as a WAV.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <libopenmpt/libopenmpt.hpp>
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
            }
        }
        std::printf("music: %.1f s in %zu tunes\n", total, music.tunes.size());
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
