// Checks the sound bank and the soundtrack the forge put into the build's content folder.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <libopenmpt/libopenmpt.hpp>
#include <set>
#include <sstream>

#include "data/Archive.h"
#include "data/FileIo.h"
#include "sound/SoundNames.h"
#include "sound/WaveFile.h"

namespace vlm::sound {
namespace {

std::filesystem::path SoundFolder() { return VLM_AUDIO_SOUND_DIR; }

TEST(ForgeOutput, EveryBankNameIsThereAndCleanAtBothEnds) {
    data::Archive bank = data::Archive::Open(SoundFolder() / "snd.tor");
    std::set<std::string> seen;
    for (std::string_view name : kSoundNames) {
        const std::string entry = std::string(name) + ".wav";
        ASSERT_TRUE(bank.Contains(entry)) << entry;
        Wave w;
        std::string error;
        ASSERT_TRUE(DecodeWave(bank.Read(entry), w, error)) << entry << ": " << error;
        ASSERT_GT(w.Frames(), 1000u) << entry;
        EXPECT_EQ(w.sampleRate, 44100u) << entry;
        EXPECT_LT(std::fabs(w.samples.front()), 0.01f) << entry << " starts with a click";
        EXPECT_LT(std::fabs(w.samples.back()), 0.01f) << entry << " ends with a click";
        float peak = 0;
        for (float s : w.samples) peak = std::max(peak, std::fabs(s));
        // The guns fire twenty times a second and are mixed low on purpose, under the music.
        const float floor = name.starts_with("shoot") ? 0.15f : 0.3f;
        EXPECT_GT(peak, floor) << entry << " is too quiet";
        std::ostringstream fingerprint;
        for (size_t i = 0; i < w.samples.size(); i += 97) fingerprint << w.samples[i];
        EXPECT_TRUE(seen.insert(fingerprint.str()).second) << entry << " is a copy of another sound";
    }
}

TEST(ForgeOutput, TheSoundtrackHasItsTunesAtTheirOrders) {
    std::optional<std::vector<uint8_t>> bytes = data::ReadWholeFile(SoundFolder() / "main.mo3");
    ASSERT_TRUE(bytes);
    std::ostringstream log;
    openmpt::module mod(*bytes, log);
    mod.set_repeat_count(-1);
    // Order 0 cut-scene, order 1 menu, then the level themes at the orders docs/music.md lists.
    const int starts[] = {0, 1, 5, 9, 14, 19};
    ASSERT_GE(mod.get_num_orders(), 24);
    double total = 0;
    const int subsongs = mod.get_num_subsongs();
    for (int s = 0; s < subsongs; ++s) {
        mod.select_subsong(s);
        total += mod.get_duration_seconds();
    }
    EXPECT_GE(subsongs, 6);
    EXPECT_GE(total, 180.0) << "the tunes last " << total << " s together";

    // From each tune's first order, a long run stays inside the tune and makes sound.
    std::vector<float> buffer(4096 * 2);
    for (size_t t = 0; t < std::size(starts); ++t) {
        mod.set_position_order_row(starts[t], 0);
        const int next = t + 1 < std::size(starts) ? starts[t + 1] : mod.get_num_orders() - 1;
        float peak = 0;
        for (int chunk = 0; chunk < 44100 * 100 / 4096; ++chunk) {
            ASSERT_EQ(mod.read_interleaved_stereo(44100, 4096, buffer.data()), 4096u);
            for (float s : buffer) peak = std::max(peak, std::fabs(s));
            const int order = mod.get_current_order();
            if (t == 0) {
                ASSERT_TRUE(order == 0 || order >= starts[std::size(starts) - 1] + 4) << "cut-scene at " << order;
            } else {
                ASSERT_TRUE(order >= starts[t] && order < next) << "tune at " << starts[t] << " wandered to " << order;
            }
        }
        EXPECT_GT(peak, 0.1f) << "tune at order " << starts[t];
        EXPECT_LT(peak, 1.0f) << "tune at order " << starts[t] << " clips";
    }
}

// Each tune fades out over its last rows before it jumps back to its start, so the ringing
// notes do not carry into the restart: one pass played on a loop has no step at the seam.
TEST(ForgeOutput, EveryTuneFadesIntoItsLoop) {
    std::optional<std::vector<uint8_t>> bytes = data::ReadWholeFile(SoundFolder() / "main.mo3");
    ASSERT_TRUE(bytes);
    std::ostringstream log;
    openmpt::module mod(*bytes, log);
    mod.set_repeat_count(-1);
    // The last order of each tune (docs/music.md): it jumps back to the tune's first order.
    const std::pair<int, int> lastAndFirst[] = {{23, 0}, {4, 1}, {8, 5}, {13, 9}, {18, 14}, {22, 19}};
    std::vector<float> buffer(64 * 2);
    for (auto [last, first] : lastAndFirst) {
        const int rows = mod.get_pattern_num_rows(mod.get_order_pattern(last));
        mod.set_position_order_row(last, rows - 4);
        float loudBefore = 0, lastRow = 0;
        bool jumped = false;
        for (int block = 0; block < 44100 / 64 && !jumped; ++block) {
            ASSERT_EQ(mod.read_interleaved_stereo(44100, 64, buffer.data()), 64u);
            float peak = 0;
            for (float v : buffer) peak = std::max(peak, std::fabs(v));
            jumped = mod.get_current_order() != last;
            if (jumped) {
                EXPECT_EQ(mod.get_current_order(), first) << "order " << last;
            } else if (mod.get_current_row() == rows - 4) {
                loudBefore = std::max(loudBefore, peak);
            } else if (mod.get_current_row() == rows - 1) {
                lastRow = std::max(lastRow, peak);
            }
        }
        ASSERT_TRUE(jumped) << "order " << last << " never jumped back";
        EXPECT_GT(loudBefore, 0.05f) << "order " << last;  // still playing before the fade
        EXPECT_LT(lastRow, 0.05f) << "order " << last << ": the last row still rings at " << lastRow;
    }
}

}  // namespace
}  // namespace vlm::sound
