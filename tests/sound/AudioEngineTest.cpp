#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "data/Archive.h"
#include "sound/AudioEngine.h"
#include "sound/SoundNames.h"
#include "sound/SoundUnit.h"

namespace vlm::sound {
namespace {

Wave Constant(float value, size_t frames, uint32_t rate = 44100) {
    Wave w;
    w.sampleRate = rate;
    w.samples.assign(frames, value);
    return w;
}

std::vector<uint8_t> Bank(const std::vector<std::pair<std::string, Wave>>& waves) {
    std::vector<data::ArchiveInput> files;
    for (const auto& [name, wave] : waves) files.push_back({name, EncodeWave16(wave)});
    return data::BuildArchive(files, false);
}

// An engine on the null output whose messages are collected instead of shown.
class Engine : public ::testing::Test {
protected:
    void SetUp() override {
        engine.SetMessageHandler([this](AudioMessageKind kind, std::string_view caption, std::string_view text) {
            (kind == AudioMessageKind::Error ? boxes : notes).push_back(std::string(caption) + "|" + std::string(text));
        });
        ASSERT_TRUE(engine.Init(AudioOutput::Null));
    }
    // Loads a bank from archive bytes the way the game does.
    void LoadBank(std::vector<uint8_t> bytes) {
        data::Archive archive = data::Archive::FromBytes(std::move(bytes), "snd.tor");
        contents.clear();
        contents.reserve(archive.Entries().size());
        std::vector<BankEntry> entries;
        for (size_t i = 0; i < archive.Entries().size(); ++i) {
            contents.push_back(archive.ReadEntry(i));
            entries.push_back({archive.Entries()[i].name, contents.back()});
        }
        engine.LoadBank(entries, "snd.tor");
    }
    std::vector<float> Render(size_t frames) {
        std::vector<float> out(frames * 2, 7.0f);  // Render must overwrite, not add
        engine.Render(out.data(), frames);
        return out;
    }

    AudioEngine engine;
    std::vector<std::string> boxes, notes;
    std::vector<std::vector<uint8_t>> contents;
};

TEST_F(Engine, VolumeBecomesHundredthsOfADecibel) {
    LoadBank(Bank({{"click.wav", Constant(0.5f, 100)}}));
    struct Case {
        int volume;
        bool plays;
        int hundredthsDb;
        double gain;
    };
    const Case cases[] = {
        {-5, false, 0, 0}, {0, false, 0, 0},           {1, true, -3960, 0.01047},
        {50, true, -2000, 0.1}, {100, true, 0, 1.0}, {250, true, 0, 1.0},  // louder than full is full
    };
    for (const Case& c : cases) {
        const uint64_t before = engine.StartCount();
        engine.PlaySound("click", c.volume, 0);
        ASSERT_EQ(engine.StartCount() - before, c.plays ? 1u : 0u) << "volume " << c.volume;
        if (!c.plays) continue;
        EXPECT_EQ(engine.RecentStart(0).volume, c.hundredthsDb) << "volume " << c.volume;
        std::vector<float> out = Render(4);
        EXPECT_NEAR(out[0], 0.5 * c.gain, 0.5 * c.gain * 0.01 + 1e-5) << "volume " << c.volume;
        Render(200);  // let it finish
    }
}

TEST_F(Engine, PanAttenuatesTheFarChannel) {
    LoadBank(Bank({{"click.wav", Constant(0.5f, 100)}}));
    struct Case {
        int pan;
        double left, right;
    };
    const Case cases[] = {
        {0, 0.5, 0.5}, {-2000, 0.5, 0.05}, {2000, 0.05, 0.5}, {-10000, 0.5, 0.0}, {10000, 0.0, 0.5},
        {-30000, 0.5, 0.0},  // beyond the device range: clamped to full left
    };
    for (const Case& c : cases) {
        engine.PlaySound("click", 100, c.pan);
        std::vector<float> out = Render(2);
        EXPECT_NEAR(out[0], c.left, 1e-3) << "pan " << c.pan;
        EXPECT_NEAR(out[1], c.right, 1e-3) << "pan " << c.pan;
        Render(200);
    }
    EXPECT_EQ(engine.RecentStart(0).pan, -10000);
}

TEST_F(Engine, SlowMotionLowersTheFrequencyOnlyWhileItRuns) {
    struct Case {
        double multiplier;
        int seconds;
        int frequency;
    };
    const Case cases[] = {
        {0.5, 3, 22050}, {0.5, 1, 22050}, {0.5, 0, 44100}, {0.5, -2, 44100},
        {0.75, 5, 33075}, {0.48, 2, 21168},  // the multiplier may dip below 0.5
        {1.0, 5, 44100},  {0.0, 5, 100},     // never below what a device accepts
    };
    LoadBank(Bank({{"click.wav", Constant(0.5f, 100)}}));
    for (const Case& c : cases) {
        engine.SetSlowMotion(c.multiplier, c.seconds);
        engine.PlaySound("click", 100, 0);
        EXPECT_EQ(engine.RecentStart(0).frequency, c.frequency) << c.multiplier << " " << c.seconds;
    }
}

TEST_F(Engine, HalfFrequencyPlaysTwiceAsLong) {
    LoadBank(Bank({{"click.wav", Constant(0.5f, 100)}, {"slow.wav", Constant(0.5f, 100, 22050)}}));
    struct Case {
        const char* name;
        double multiplier;
        int seconds;
        size_t frames;  // output frames the wave lasts
    };
    const Case cases[] = {
        {"click", 1.0, 0, 100},
        {"click", 0.5, 5, 200},
        {"slow", 1.0, 0, 200},  // a 22050 Hz wave keeps its own pitch
    };
    for (const Case& c : cases) {
        engine.SetSlowMotion(c.multiplier, c.seconds);
        engine.PlaySound(c.name, 100, 0);
        Render(c.frames - 2);
        EXPECT_EQ(engine.ActiveVoices(), 1) << c.name << " " << c.multiplier;
        Render(4);
        EXPECT_EQ(engine.ActiveVoices(), 0) << c.name << " " << c.multiplier;
    }
}

TEST_F(Engine, CopiesOverlapAndTheOldestGivesWay) {
    LoadBank(Bank({{"click.wav", Constant(0.25f, 1000)}}));
    engine.PlaySound("click", 100, 0);
    Render(10);
    engine.PlaySound("click", 100, 0);
    EXPECT_EQ(engine.ActiveVoices(), 2);
    std::vector<float> out = Render(1);
    EXPECT_NEAR(out[0], 0.5, 1e-3);

    for (int i = 0; i < Mixer::kVoices + 5; ++i) engine.PlaySound("click", 100, 0);
    EXPECT_EQ(engine.ActiveVoices(), Mixer::kVoices);
    // 64 copies of 0.25 clip at full scale instead of wrapping round.
    out = Render(1);
    EXPECT_FLOAT_EQ(out[0], 1.0f);
}

TEST_F(Engine, UnknownNamesRaiseWaveNotFound) {
    try {
        engine.PlaySound("laser9", 100, 0);
        FAIL() << "no exception";
    } catch (const EWaveNotFound& e) {
        EXPECT_STREQ(e.what(), "Wave 'laser9' not found");
    }
    // Volume 0 returns before the name is looked at.
    EXPECT_NO_THROW(engine.PlaySound("laser9", 0, 0));
}

TEST_F(Engine, WithoutABankEveryGameSoundIsSilent) {
    for (std::string_view name : kSoundNames) EXPECT_NO_THROW(engine.PlaySound(name, 100, 0)) << name;
    EXPECT_EQ(engine.StartCount(), kSoundNames.size());
    EXPECT_FALSE(engine.RecentStart(0).audible);
    for (float s : Render(64)) EXPECT_EQ(s, 0.0f);
}

TEST_F(Engine, ABankWithGapsKeepsTheGameRunning) {
    std::vector<uint8_t> broken = {'R', 'I', 'F', 'F', 0, 0};
    std::vector<data::ArchiveInput> files = {{"sound/shop.wav", EncodeWave16(Constant(0.5f, 10))},
                                             {"bonus3.wav", broken},
                                             {"readme.txt", {'h', 'i'}},
                                             {"extra.wav", EncodeWave16(Constant(0.5f, 10))}};
    LoadBank(data::BuildArchive(files, false));
    EXPECT_TRUE(engine.Bank().Find("shop")->audible);  // folders inside the bank are ignored
    EXPECT_TRUE(engine.Bank().Find("extra")->audible);
    EXPECT_FALSE(engine.Bank().Find("bonus3")->audible);
    EXPECT_FALSE(engine.Bank().Find("click")->audible);
    EXPECT_EQ(engine.Bank().Find("readme"), nullptr);
    EXPECT_NO_THROW(engine.PlaySound("bonus3", 100, 0));
    EXPECT_NO_THROW(engine.PlaySound("click", 100, 0));

    auto noted = [&](const std::string& part) {
        for (const std::string& n : notes)
            if (n.find(part) != std::string::npos) return true;
        return false;
    };
    EXPECT_TRUE(noted("snd.tor: wave \"bonus3.wav\" cannot be read"));
    EXPECT_TRUE(noted("snd.tor: no wave \"click.wav\""));
    EXPECT_TRUE(boxes.empty());
}

TEST_F(Engine, AudioErrorAddsTheErrorCode) {
    engine.AudioError("Error initializing audio!");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], "Error|Error initializing audio!\r\n(Error code: 0)");
}

TEST_F(Engine, StartLogKeepsTheLastNamesWithoutAllocating) {
    LoadBank(Bank({{"click.wav", Constant(0.5f, 4)}, {"a-very-long-name-for-a-wave-indeed-yes.wav", Constant(0.5f, 4)}}));
    engine.PlaySound("a-very-long-name-for-a-wave-indeed-yes", 100, 0);
    engine.PlaySound("click", 100, 0);
    EXPECT_EQ(engine.RecentStart(0).Name(), "click");
    EXPECT_EQ(engine.RecentStart(1).Name(), "a-very-long-name-for-a-wave-ind");  // cut to 31
}

// The game-facing routines on the shared engine.
TEST(SoundUnit, MissingOrDamagedBankLeavesEffectsSilent) {
    std::vector<std::string> notes;
    Audio().SetMessageHandler([&](AudioMessageKind, std::string_view, std::string_view text) {
        notes.push_back(std::string(text));
    });
    ASSERT_EQ(InitAudio(AudioOutput::Null), AudioInitResult::Ok);
    EXPECT_FALSE(LoadSoundBank(std::vector<uint8_t>{'J', 'U', 'N', 'K'}, "sound/snd.tor"));
    EXPECT_FALSE(LoadSoundBank(std::filesystem::path("/nonexistent/sound/snd.tor")));
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_NE(notes[0].find("sound/snd.tor"), std::string::npos) << notes[0];
    EXPECT_NE(notes[1].find("/nonexistent/sound/snd.tor"), std::string::npos) << notes[1];
    EXPECT_NO_THROW(PlaySound("explosion2", 80, 300));
    EXPECT_THROW(PlaySound("explosion9", 80, 300), EWaveNotFound);
    Audio().SetMessageHandler(nullptr);
}

}  // namespace
}  // namespace vlm::sound

namespace vlm::sound {
namespace {

// Through SDL's dummy driver the mixer runs in SDL's callback thread; the game thread's calls
// and a hand pull must share it without trouble.
TEST(EngineOnSdl, RunsOnTheDummyDriver) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    AudioEngine engine;
    std::vector<std::string> boxes;
    engine.SetMessageHandler([&](AudioMessageKind kind, std::string_view, std::string_view text) {
        if (kind == AudioMessageKind::Error) boxes.push_back(std::string(text));
    });
    ASSERT_TRUE(engine.Init(AudioOutput::Device)) << (boxes.empty() ? "" : boxes[0]);
    EXPECT_EQ(engine.Output(), AudioOutput::Device);
    for (int i = 0; i < 100; ++i) engine.PlaySound("click", 100, 0);
    engine.SetMusicVolume(50);
    std::vector<float> out(512 * 2);
    engine.Render(out.data(), 512);
    engine.Shutdown();
    EXPECT_EQ(engine.Output(), AudioOutput::Null);
    EXPECT_TRUE(boxes.empty());
}

}  // namespace
}  // namespace vlm::sound
