#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "forge/audio/Instruments.h"
#include "forge/audio/Score.h"
#include "forge/audio/XmWriter.h"
#include "sound/AudioEngine.h"
#include "sound/SoundUnit.h"

namespace vlm::sound {
namespace {

using forge::audio::CompiledMusic;

// Three small tunes: the first has two sections, so its second one sits after the others.
CompiledMusic SmallMusic() {
    const char* one = R"(
tune one
order 0
bpm 200
section A 1
  chords Am
  lead a4:16
section B 1
  chords F
  lead f4:16
arrange A B
)";
    const char* two = R"(
tune two
order 1
bpm 200
section A 2
  chords C | G
  bass R.......5.......
  kick x...x...x...x...
arrange A A
)";
    const char* three = R"(
tune three
order 3
bpm 200
section A 1
  chords Dm
  arp 0120
section B 1
  chords E
  pad hold
arrange A B A
)";
    return forge::audio::CompileScores({{"one.txt", one}, {"two.txt", two}, {"three.txt", three}},
                                       forge::audio::MakeInstruments());
}

class Music : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        music = new CompiledMusic(SmallMusic());
        bytes = new std::vector<uint8_t>(forge::audio::WriteXm(music->module));
    }
    static void TearDownTestSuite() {
        delete music;
        delete bytes;
    }
    void SetUp() override {
        engine.SetMessageHandler([this](AudioMessageKind kind, std::string_view, std::string_view text) {
            if (kind == AudioMessageKind::Error) boxes.push_back(std::string(text));
        });
        ASSERT_TRUE(engine.Init(AudioOutput::Null));
        ASSERT_TRUE(engine.LoadMusic(*bytes, "main.mo3"));
    }
    std::vector<float> Render(size_t frames) {
        std::vector<float> out(frames * 2);
        engine.Render(out.data(), frames);
        return out;
    }
    static float Peak(const std::vector<float>& v) {
        float p = 0;
        for (float s : v) p = std::max(p, std::fabs(s));
        return p;
    }

    static CompiledMusic* music;
    static std::vector<uint8_t>* bytes;
    AudioEngine engine;
    std::vector<std::string> boxes;
};
CompiledMusic* Music::music = nullptr;
std::vector<uint8_t>* Music::bytes = nullptr;

TEST_F(Music, TheScoresLandAtTheirOrders) {
    ASSERT_EQ(music->tunes.size(), 3u);
    EXPECT_EQ(music->tunes[0].orders, (std::vector<int>{0, 6}));
    EXPECT_EQ(music->tunes[1].orders, (std::vector<int>{1, 2}));
    EXPECT_EQ(music->tunes[2].orders, (std::vector<int>{3, 4, 5}));
}

TEST_F(Music, LoadingStartsSilentlyAtOrderOne) {
    EXPECT_EQ(engine.MusicOrder(), 1);
    EXPECT_EQ(engine.MusicRow(), 0);
    EXPECT_EQ(engine.MusicVolume(), 0);
    EXPECT_EQ(Peak(Render(8000)), 0.0f);
    EXPECT_GT(engine.MusicRow(), 0);  // it plays on, silently
}

TEST_F(Music, VolumeIsClampedAndHeard) {
    engine.SetMusicVolume(250);
    EXPECT_EQ(engine.MusicVolume(), 100);
    Render(2000);  // past the glide from silence
    const float loud = Peak(Render(8000));
    EXPECT_GT(loud, 0.01f);
    engine.SetMusicVolume(-30);
    EXPECT_EQ(engine.MusicVolume(), 0);
    Render(2000);
    EXPECT_EQ(Peak(Render(4000)), 0.0f);
}

TEST_F(Music, OrderJumpsLandOnTheFirstRow) {
    for (int order : {3, 2, 0, 6, 1}) {
        Render(3000);
        ASSERT_TRUE(engine.SetMusicOrder(order));
        EXPECT_EQ(engine.MusicOrder(), order);
        EXPECT_EQ(engine.MusicRow(), 0);
    }
    for (int bad : {-1, 7, 200}) {
        EXPECT_FALSE(engine.SetMusicOrder(bad)) << bad;
        EXPECT_EQ(engine.MusicOrder(), 1) << bad;
    }
}

TEST_F(Music, EachTuneLoopsWithinItsOwnOrders) {
    for (const auto& tune : music->tunes) {
        ASSERT_TRUE(engine.SetMusicOrder(tune.firstOrder));
        std::set<int> seen;
        int wraps = 0, previous = tune.firstOrder;
        const size_t frames = size_t(tune.seconds * 3.5 * 44100);
        for (size_t done = 0; done < frames; done += 512) {
            Render(512);
            const int order = engine.MusicOrder();
            seen.insert(order);
            if (order == tune.firstOrder && previous != tune.firstOrder) ++wraps;
            previous = order;
        }
        const std::set<int> expected(tune.orders.begin(), tune.orders.end());
        EXPECT_EQ(seen, expected) << tune.name;
        EXPECT_GE(wraps, 2) << tune.name << " did not come back to its start";
    }
}

TEST_F(Music, ABrokenModuleIsReportedAndLeavesNoMusic) {
    const std::vector<uint8_t> junk(300, 0x42);
    EXPECT_FALSE(engine.LoadMusic(junk, "main.mo3"));
    EXPECT_FALSE(engine.HasMusic());
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], "Can't play file\r\n(Error code: 41)");
    EXPECT_FALSE(engine.SetMusicOrder(1));
    engine.SetMusicVolume(100);
    EXPECT_EQ(Peak(Render(1000)), 0.0f);
}

TEST(SoundUnitMusic, LoadingSetsTheCurrentOrderAndAMissingFileSaysSo) {
    std::vector<std::string> boxes;
    Audio().SetMessageHandler([&](AudioMessageKind kind, std::string_view, std::string_view text) {
        if (kind == AudioMessageKind::Error) boxes.push_back(std::string(text));
    });
    ASSERT_EQ(InitAudio(AudioOutput::Null), AudioInitResult::Ok);
    const std::vector<uint8_t> bytes = forge::audio::WriteXm(SmallMusic().module);
    CurrentMusicOrder = 7;
    ASSERT_TRUE(LoadMusic(bytes, "main.mo3"));
    EXPECT_EQ(CurrentMusicOrder, 1);
    SetMusicOrder(3);
    EXPECT_EQ(Audio().MusicOrder(), 3);
    EXPECT_EQ(CurrentMusicOrder, 1);  // moving the music is not the same as recording the order

    EXPECT_FALSE(LoadMusic(std::filesystem::path("/nonexistent/sound/main.mo3")));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], "Can't play file\r\n(Error code: 2)");
    SetMusicOrder(1);  // no music: nothing happens
    EXPECT_FALSE(Audio().HasMusic());
    Audio().SetMessageHandler(nullptr);
}

}  // namespace
}  // namespace vlm::sound
