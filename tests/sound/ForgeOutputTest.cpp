// Checks the sound bank and the soundtrack the forge put into the build's content folder.
#include <gtest/gtest.h>

#include <cmath>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
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
    const int starts[] = {0, 1, 5, 9, 14, 19, 23, 28, 33};
    ASSERT_EQ(mod.get_num_orders(), 39);
    double total = 0;
    const int subsongs = mod.get_num_subsongs();
    for (int s = 0; s < subsongs; ++s) {
        mod.select_subsong(s);
        total += mod.get_duration_seconds();
    }
    EXPECT_GE(subsongs, 9);
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
                ASSERT_TRUE(order == 0 || order == mod.get_num_orders() - 1) << "cut-scene at " << order;
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
    const std::pair<int, int> lastAndFirst[] = {{38, 0}, {4, 1},   {8, 5},   {13, 9}, {18, 14},
                                                {22, 19}, {27, 23}, {32, 28}, {37, 33}};
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

// The tunes as the module holds them: each tune's last order jumps back to its first, so the
// jump targets are where tunes start, and following the orders from a start until the jump back
// walks the tune.
struct ModuleTune {
    int first = 0;
    std::vector<int> orders;
    std::set<int> instruments;      // every instrument the tune strikes
    std::set<int> drumInstruments;  // those on the kick, snare, hat and perc channels (8 to 11)
};

std::vector<ModuleTune> TunesOf(openmpt::module& mod) {
    auto jumpOf = [&](int order) {
        const int pattern = mod.get_order_pattern(order);
        for (int row = 0; row < mod.get_pattern_num_rows(pattern); ++row)
            for (int ch = 0; ch < mod.get_num_channels(); ++ch)
                // The effect as the format writes it: "B" is the jump to an order.
                if (mod.format_pattern_row_channel_command(pattern, row, ch, openmpt::module::command_effect) == "B")
                    return int(mod.get_pattern_row_channel_command(pattern, row, ch, openmpt::module::command_parameter));
        return -1;
    };
    std::set<int> starts;
    for (int o = 0; o < mod.get_num_orders(); ++o)
        if (int j = jumpOf(o); j >= 0 && j <= o) starts.insert(j);
    std::vector<ModuleTune> tunes;
    for (int first : starts) {
        ModuleTune t;
        t.first = first;
        int order = first;
        do {
            t.orders.push_back(order);
            const int pattern = mod.get_order_pattern(order);
            for (int row = 0; row < mod.get_pattern_num_rows(pattern); ++row)
                for (int ch = 0; ch < mod.get_num_channels(); ++ch)
                    if (int i = mod.get_pattern_row_channel_command(pattern, row, ch, openmpt::module::command_instrument)) {
                        t.instruments.insert(i);
                        if (ch >= 8 && ch <= 11) t.drumInstruments.insert(i);
                    }
            const int jump = jumpOf(order);
            order = jump >= 0 ? jump : order + 1;
        } while (order != first && t.orders.size() < 64 && order < mod.get_num_orders());
        EXPECT_EQ(order, first) << "the tune at order " << first << " never comes back to its start";
        tunes.push_back(t);
    }
    return tunes;
}

// The "music" key of a level file in the source tree ("" when it has none).
std::string MusicKeyOf(int level) {
    std::ifstream in(std::filesystem::path(VLM_LEVELS_DIR) / (std::to_string(level) + ".ini"));
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("music=", 0) == 0) {
            while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
            return line.substr(6);
        }
        if (line.rfind("[0]", 0) == 0) break;  // past the MAIN block
    }
    return "";
}

// Every level starts a tune at its first order; each group of three levels has a tune of its own,
// and the tunes the levels play differ in sound, not only in notes: no two of them share a drum
// sound, and no two strike the same set of instruments.
TEST(ForgeOutput, EveryLevelStartsATuneOfItsOwnSound) {
    std::optional<std::vector<uint8_t>> bytes = data::ReadWholeFile(SoundFolder() / "main.mo3");
    ASSERT_TRUE(bytes);
    std::ostringstream log;
    openmpt::module mod(*bytes, log);
    const std::vector<ModuleTune> tunes = TunesOf(mod);
    ASSERT_GE(tunes.size(), 9u);
    EXPECT_EQ(tunes[0].first, 0);  // the cut-scene theme
    EXPECT_EQ(tunes[1].first, 1);  // the menu theme
    std::map<int, const ModuleTune*> byStart;
    for (const ModuleTune& t : tunes) byStart[t.first] = &t;

    std::map<int, std::set<int>> levelsOfTune;
    int groupTune[5] = {-1, -1, -1, -1, -1};
    for (int level = 1; level <= 15; ++level) {
        const std::string key = MusicKeyOf(level);
        ASSERT_FALSE(key.empty()) << "level " << level << " has no music key";
        const int order = std::stoi(key);
        ASSERT_TRUE(byStart.count(order)) << "level " << level << " plays order " << order << ", where no tune starts";
        EXPECT_GT(order, 1) << "level " << level << " plays the cut-scene or menu theme";
        levelsOfTune[order].insert(level);
        const int group = (level - 1) / 3;
        if (group > 0) {
            if (groupTune[group] < 0) groupTune[group] = order;
            EXPECT_EQ(order, groupTune[group]) << "level " << level << " plays another tune than its group";
        }
    }
    // From level 4 on, a group's tune is its own: no other level plays it.
    for (int group = 1; group < 5; ++group) {
        EXPECT_EQ(levelsOfTune[groupTune[group]].size(), 3u) << "the tune at order " << groupTune[group];
    }
    for (auto a = levelsOfTune.begin(); a != levelsOfTune.end(); ++a) {
        for (auto b = std::next(a); b != levelsOfTune.end(); ++b) {
            const ModuleTune& x = *byStart[a->first];
            const ModuleTune& y = *byStart[b->first];
            EXPECT_NE(x.instruments, y.instruments) << "orders " << x.first << " and " << y.first;
            std::vector<int> shared;
            std::set_intersection(x.drumInstruments.begin(), x.drumInstruments.end(), y.drumInstruments.begin(),
                                  y.drumInstruments.end(), std::back_inserter(shared));
            EXPECT_TRUE(shared.empty()) << "the tunes at orders " << x.first << " and " << y.first << " share "
                                        << shared.size() << " drum sound(s), the first is instrument "
                                        << (shared.empty() ? 0 : shared[0]);
        }
    }
}

}  // namespace
}  // namespace vlm::sound
