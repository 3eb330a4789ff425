#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <string>

#include "forge/audio/Instruments.h"
#include "forge/audio/Score.h"

namespace vlm::forge::audio {
namespace {

CompiledMusic Compile(const std::string& text) {
    static const std::vector<XmInstrument> instruments = MakeInstruments();
    return CompileScores({{"t.txt", text}}, instruments);
}

TEST(Score, NotesChordsAndDrumsLandOnTheirRows) {
    CompiledMusic m = Compile(R"(
tune t
bpm 120
voice bass bass 40 0 2
section A 1
  chords Am . C .      # two chords of half a bar each
  lead c4:8 r:4 e5!:4
  bass R.......3.......
  kick x...*4
arrange A
)");
    const XmPattern& p = m.module.patterns.at(m.module.orders.at(0));
    const int lead = 0, bass = 3, kick = 8;
    EXPECT_EQ(p.At(0, lead).note, 49);      // C-4
    EXPECT_EQ(p.At(8, lead).note, 97);      // the rest is a key off
    EXPECT_EQ(p.At(12, lead).note, 65);     // E-5
    EXPECT_EQ(p.At(12, lead).volume, 0x10 + 55);  // accented: 44 * 5 / 4
    EXPECT_EQ(p.At(0, bass).note, 1 + 24 + 9);     // A-2, the root of Am
    EXPECT_EQ(p.At(8, bass).note, 1 + 24 + 0 + 4);  // the third of C
    for (int row : {0, 4, 8, 12}) EXPECT_EQ(p.At(row, kick).instrument, InstrumentNumber(m.module.instruments, "kick"));
    EXPECT_EQ(p.At(2, kick).note, 0);
    // The last row jumps back to the tune's own first order.
    EXPECT_EQ(p.At(15, 9).effect, 0x0B);
    EXPECT_EQ(p.At(15, 9).param, 0);
    EXPECT_DOUBLE_EQ(m.tunes.at(0).seconds, 16 * 6 * 2.5 / 120);
}

TEST(Score, MistakesNameTheFileAndLine) {
    struct Case {
        const char* text;
        const char* message;
    };
    const Case cases[] = {
        {"tune t\nsection A 1\n  chords Am\n  lead c4:8 d4:4\narrange A\n", "t.txt:4: lead: the line lasts 12 steps"},
        {"tune t\nsection A 1\n  chords Am\n  lead c4:8 | d4:8\narrange A\n", "t.txt:4: lead: a bar ending at step 8 holds 8"},
        {"tune t\nsection A 1\n  chords Hm\narrange A\n", "t.txt:3: \"Hm\" is not a chord"},
        {"tune t\nsection A 1\n  chords Am\n  kick x..q\narrange A\n", "t.txt:4: \"q\" is not allowed in a kick line"},
        {"tune t\nsection A 1\n  chords Am\n  bass R......\narrange A\n", "t.txt:4: bass: 7 steps do not divide"},
        {"tune t\nvoice lead kazoo\nsection A 1\n  chords Am\narrange A\n", "t.txt:2: unknown instrument \"kazoo\""},
        {"tune t\nsection A 1\n  chords Am\narrange A Z\n", "t.txt:4: no section \"Z\""},
        {"tune t\nsection A 1\n  chords Am\n  lead c9:16\narrange A\n", "t.txt:4: lead: \"c9:16\" is out of range"},
        {"tune t\nbpm fast\n", "t.txt:2: \"fast\" is not a whole number"},
        {"tune t\norder 4\nsection A 1\n  chords Am\narrange A\n", "t.txt: the tune says it starts at order 4 but lands at order 0"},
        {"tune t\nsection A 1\n  lead c4:16\narrange A\n", "t.txt:2: section \"A\" has no chords"},
        {"section A 1\n  chords Am\n", "t.txt:1: no \"tune\" line"},
        {"tune t\nkit tin\nsection A 1\n  chords Am\narrange A\n", "t.txt:2: unknown kit \"tin\""},
        {"tune t\nsection A 1\n  kit heavy\n  chords Am\narrange A\n", "t.txt:3: \"kit\" belongs before the first section"},
    };
    for (const Case& c : cases) {
        try {
            Compile(c.text);
            ADD_FAILURE() << "compiled: " << c.text;
        } catch (const ScoreError& e) {
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
        }
    }
}

// A tune's kit gives every drum its own sound: the kick, snare and hat lines, the open hat,
// the crash and the toms of the perc line.
TEST(Score, TheKitPicksEveryDrumSound) {
    for (const std::string& kit : DrumKits()) {
        CompiledMusic m = Compile("tune t\nkit " + kit + R"(
section A 1
  chords Am
  kick x...............
  snare ....x...........
  hat ........x.o.....
  perc ........C..l....
arrange A
)");
        const XmPattern& p = m.module.patterns.at(m.module.orders.at(0));
        const auto& ins = m.module.instruments;
        const int kick = 8, snare = 9, hat = 10, perc = 11;
        const std::pair<int, int> cells[] = {{0, kick}, {4, snare}, {8, hat}, {10, hat}, {8, perc}, {11, perc}};
        const char* pieces[] = {"kick", "snare", "hat", "ohat", "crash", "tom"};
        for (size_t i = 0; i < std::size(cells); ++i) {
            const int number = p.At(cells[i].first, cells[i].second).instrument;
            ASSERT_GT(number, 0) << kit << " " << pieces[i];
            EXPECT_EQ(ins.at(size_t(number - 1)).name, KitPiece(kit, pieces[i])) << kit;
        }
    }
}

// Every instrument is its own sound (no kit borrows another's sample), every kit is complete,
// and a looped instrument's loop closes without a step a listener hears as a buzz.
TEST(Instruments, EveryKitIsCompleteAndEveryLoopCloses) {
    const std::vector<XmInstrument> instruments = MakeInstruments();
    for (const std::string& kit : DrumKits())
        for (const char* piece : {"kick", "snare", "hat", "ohat", "crash", "tom"})
            EXPECT_GT(InstrumentNumber(instruments, KitPiece(kit, piece)), 0) << kit << " lacks " << piece;
    std::set<std::vector<int16_t>> seen;
    for (const XmInstrument& i : instruments) {
        EXPECT_TRUE(seen.insert(i.sample).second) << i.name << " is a copy of another instrument";
        ASSERT_FALSE(i.sample.empty()) << i.name;
        if (!i.loop) continue;
        ASSERT_LE(i.loopStart + i.loopLength, i.sample.size()) << i.name;
        int maxStep = 0;
        for (size_t n = i.loopStart + 1; n < i.loopStart + i.loopLength; ++n)
            maxStep = std::max(maxStep, std::abs(i.sample[n] - i.sample[n - 1]));
        const int seam = std::abs(i.sample[i.loopStart] - i.sample[i.loopStart + i.loopLength - 1]);
        EXPECT_LE(seam, maxStep) << i.name << ": the loop jumps by " << seam << " at its seam";
    }
}

}  // namespace
}  // namespace vlm::forge::audio
