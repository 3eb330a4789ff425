#include "data/Options.h"

#include "data/Errors.h"
#include "data/TempFolder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <limits>

#include <unistd.h>

namespace vlm::data {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using vlm::testing::ReadFile;
using vlm::testing::TempFolder;
using vlm::testing::WriteFile;

constexpr const char* kFullFile =
    "[OPTIONS]\r\nResolution=2\r\nMusicVolume=0,5\r\nSoundVolume=0,25\r\nMouseSpeed=1,5\r\n"
    "LightingQuality=1\r\nGamma=0,7\r\nBrightness=1\r\nff=0\r\n[PLAYER]\r\nFileName=\r\n[TEST]\r\nFps=1\r\n";

class OptionsTest : public ::testing::Test {
protected:
    OptionsTest() : store(temp / "game", temp / "data" / "Quorvel Works" / "Velmora 2")
    {
        std::filesystem::create_directories(temp / "game");
    }

    std::filesystem::path User() const { return UserOptionsFile(store); }
    std::filesystem::path Template() const { return TemplateOptionsFile(store); }

    std::vector<std::string> Load()
    {
        store.ClearCache();
        return LoadOptions(store, options, cancel, player);
    }

    TempFolder temp;
    DataStore store;
    TOptions options;
    TOptions cancel;
    TPlayer player;
};

TEST_F(OptionsTest, FirstStartWithoutFilesUsesAndWritesTheDefaults)
{
    options.Gamma = 5;
    player.FileName = "stale.ini";
    EXPECT_THAT(Load(), IsEmpty());
    EXPECT_EQ(options.Resolution, 3);
    EXPECT_EQ(options.Gamma, 0.9);
    EXPECT_TRUE(options.FullScreen);
    EXPECT_FALSE(options.Fps);
    EXPECT_EQ(player.FileName, "");
    EXPECT_EQ(ReadFile(User()),
              "[OPTIONS]\r\nResolution=3\r\nMusicVolume=0,8\r\nSoundVolume=0,9\r\nMouseSpeed=0,8\r\n"
              "LightingQuality=0\r\nGamma=0,9\r\nBrightness=1,2\r\nff=1\r\n[PLAYER]\r\nFileName=\r\n"
              "[TEST]\r\nFps=0\r\n");
}

TEST_F(OptionsTest, FirstStartCopiesTheTemplate)
{
    WriteFile(Template(), kFullFile);
    EXPECT_THAT(Load(), IsEmpty());
    EXPECT_EQ(options.Resolution, 2);
    EXPECT_EQ(options.MusicVolume, 0.5);
    EXPECT_EQ(options.SoundVolume, 0.25);
    EXPECT_EQ(options.MouseSpeed, 1.5);
    EXPECT_EQ(options.LightingQuality, 1);
    EXPECT_FALSE(options.FullScreen); // ff=0 starts in a window
    EXPECT_TRUE(options.Fps);         // Fps=1 shows the frame counter
    EXPECT_EQ(ReadFile(User()), kFullFile);
    EXPECT_EQ(cancel.Resolution, 2);
}

TEST_F(OptionsTest, UsersFileIsReadAndLeftAlone)
{
    WriteFile(User(), kFullFile);
    WriteFile(Template(), "[OPTIONS]\nResolution=1\n");
    const auto before = std::filesystem::last_write_time(User());
    EXPECT_THAT(Load(), IsEmpty());
    EXPECT_EQ(options.Resolution, 2);
    EXPECT_EQ(std::filesystem::last_write_time(User()), before);
}

TEST_F(OptionsTest, UsersFileWithoutReadableResolutionIsReplaced)
{
    WriteFile(User(), "[OPTIONS]\r\nResolution=big\r\nGamma=0,5\r\n");
    const auto messages = Load();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_THAT(messages[0], HasSubstr("Resolution"));
    EXPECT_EQ(options.Gamma, 0.9);
    EXPECT_THAT(ReadFile(User()), HasSubstr("Resolution=3\r\n"));
}

struct BrokenKey {
    const char* section;
    const char* key;
    const char* badValue;
    const char* rewritten; // the line the file holds afterwards
};

class OptionsBrokenKey : public OptionsTest, public ::testing::WithParamInterface<BrokenKey> {};

// One broken value must not keep the game from starting: it falls back to its default,
// the player is told which key, and the file is mended so the next start is quiet.
TEST_P(OptionsBrokenKey, FallsBackToItsDefaultAndIsRewritten)
{
    const BrokenKey& c = GetParam();
    WriteFile(User(), kFullFile);
    store.WriteIniValue(User().string(), c.section, c.key, c.badValue);

    const auto messages = Load();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_THAT(messages[0], HasSubstr(std::string("[") + c.section + "] " + c.key));
    EXPECT_THAT(messages[0], HasSubstr(User().string()));
    EXPECT_THAT(ReadFile(User()), HasSubstr(std::string("\r\n") + c.rewritten + "\r\n"));
    // The rest of the file still counts.
    if (std::string(c.key) == "Gamma")
        EXPECT_EQ(options.Resolution, 2);
    else
        EXPECT_EQ(options.Gamma, 0.7);

    EXPECT_THAT(Load(), IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Keys, OptionsBrokenKey,
    ::testing::Values(BrokenKey{"OPTIONS", "Gamma", "0.8", "Gamma=0,9"},
                      BrokenKey{"OPTIONS", "MusicVolume", "", "MusicVolume=0,8"},
                      BrokenKey{"OPTIONS", "SoundVolume", "loud", "SoundVolume=0,9"},
                      BrokenKey{"OPTIONS", "MouseSpeed", "1.5", "MouseSpeed=0,8"},
                      BrokenKey{"OPTIONS", "Brightness", "1,2,3", "Brightness=1,2"},
                      BrokenKey{"OPTIONS", "LightingQuality", "0,5", "LightingQuality=0"},
                      BrokenKey{"OPTIONS", "ff", "yes", "ff=1"},
                      BrokenKey{"TEST", "Fps", "on", "Fps=0"},
                      BrokenKey{"OPTIONS", "Resolution", "7", "Resolution=3"}),
    [](const auto& info) { return std::string(info.param.key); });

struct OutOfRange {
    const char* key;
    const char* given;
    const char* rewritten; // the nearest value the game can use
};

class OptionsOutOfRange : public OptionsTest, public ::testing::WithParamInterface<OutOfRange> {};

// A value that converts but that the game cannot use goes to the nearest bound, is named in
// the one message, and the file is mended.
TEST_P(OptionsOutOfRange, IsBroughtToTheNearestBoundAndReported)
{
    const OutOfRange& c = GetParam();
    WriteFile(User(), kFullFile);
    store.WriteIniValue(User().string(), "OPTIONS", c.key, c.given);

    const auto messages = Load();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_THAT(messages[0], HasSubstr(std::string("[OPTIONS] ") + c.key + " = \"" + c.given + "\" is outside"));
    EXPECT_THAT(ReadFile(User()), HasSubstr(std::string("\r\n") + c.key + "=" + c.rewritten + "\r\n"));
    EXPECT_EQ(WhyOptionsOutOfRange(options), "");
    EXPECT_THAT(Load(), IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Keys, OptionsOutOfRange,
    ::testing::Values(OutOfRange{"MouseSpeed", "1E300", "5"}, OutOfRange{"MouseSpeed", "-3", "0,01"},
                      OutOfRange{"Gamma", "0", "0,1"}, OutOfRange{"Brightness", "-1E308", "0"},
                      OutOfRange{"MusicVolume", "2", "1"}, OutOfRange{"SoundVolume", "-0,5", "0"},
                      OutOfRange{"LightingQuality", "-2147483648", "0"},
                      OutOfRange{"LightingQuality", "2147483647", "10"}),
    [](const auto& info) { return std::string(info.param.key) + std::to_string(info.index); });

TEST_F(OptionsTest, RangeCheckNamesTheFirstValueOutside)
{
    EXPECT_EQ(WhyOptionsOutOfRange(TOptions{}), "");
    TOptions o;
    o.Resolution = 2147483647;
    EXPECT_EQ(WhyOptionsOutOfRange(o), "[OPTIONS] Resolution = 2147483647 is outside 1 to 3");
    o = TOptions{};
    o.SoundVolume = std::numeric_limits<double>::quiet_NaN();
    EXPECT_THAT(WhyOptionsOutOfRange(o), HasSubstr("[OPTIONS] SoundVolume = NAN is outside 0 to 1"));
}

// A player's folder that cannot be written must not keep the game from starting: the player is
// told once why, the settings of the run are the ones read, and nothing that exists is lost.
TEST_F(OptionsTest, AFolderThatCannotBeWrittenIsReportedOnceAndStartUpGoesOn)
{
    // game.ini is a folder (with a file of the player's in it).
    WriteFile(User() / "keep.txt", "mine");
    auto messages = Load();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_THAT(messages[0], HasSubstr("Unable to write to " + User().string()));
    EXPECT_THAT(messages[0], HasSubstr("a folder of that name is in the way"));
    EXPECT_THAT(messages[0], HasSubstr("will not be kept"));
    EXPECT_EQ(options.Resolution, 3);
    EXPECT_EQ(ReadFile(User() / "keep.txt"), "mine");

    // The folder's path is a file.
    std::filesystem::remove_all(temp / "data");
    WriteFile(temp / "data" / "Quorvel Works", "not a folder");
    WriteFile(Template(), kFullFile);
    messages = Load();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_THAT(messages[0], HasSubstr("Cannot create the folder"));
    EXPECT_EQ(options.Resolution, 2);  // the template's settings still count
    EXPECT_EQ(ReadFile(temp / "data" / "Quorvel Works"), "not a folder");
}

TEST_F(OptionsTest, AnUnreadableOptionsFileIsLeftAsItIs)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root reads any file";
    WriteFile(User(), kFullFile);
    std::filesystem::permissions(User(), std::filesystem::perms::none);
    const auto messages = Load();
    std::filesystem::permissions(User(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_THAT(messages[0], HasSubstr(User().string()));
    EXPECT_EQ(ReadFile(User()), kFullFile);
}

// Writes killed half-way leave ".game.ini.new123456" behind; the next start removes the old
// ones and leaves everything else (and a sibling young enough to be a write in progress).
TEST_F(OptionsTest, StaleTemporaryFilesAreRemovedAtStartUp)
{
    const auto folder = store.AppDataFolder();
    const auto old = std::filesystem::file_time_type::clock::now() - std::chrono::minutes(5);
    const char* stale[] = {".game.ini.new123456", "Saves/.a.ini.new7", "Saves/tr/.tr.ini.new42"};
    const char* kept[] = {".game.ini.new1234567", "game.ini.new12", ".game.ini.newer", "Saves/.x.ini.new"};
    for (const char* name : stale) {
        WriteFile(folder / name, "half");
        std::filesystem::last_write_time(folder / name, old);
    }
    for (const char* name : kept) {
        WriteFile(folder / name, "mine");
        std::filesystem::last_write_time(folder / name, old);
    }
    WriteFile(folder / ".game.ini.new99", "in progress");
    Load();
    for (const char* name : stale)
        EXPECT_FALSE(std::filesystem::exists(folder / name)) << name;
    for (const char* name : kept)
        EXPECT_TRUE(std::filesystem::exists(folder / name)) << name;
    EXPECT_TRUE(std::filesystem::exists(folder / ".game.ini.new99"));
}

TEST_F(OptionsTest, MissingKeyIsReportedAsMissing)
{
    WriteFile(User(), "[OPTIONS]\r\nResolution=1\r\n");
    const auto messages = Load();
    EXPECT_EQ(messages.size(), 8u);
    EXPECT_THAT(messages[0], HasSubstr("[OPTIONS] LightingQuality is missing"));
    EXPECT_EQ(options.Resolution, 1);
}

TEST_F(OptionsTest, OtherFlagValuesMeanFalse)
{
    WriteFile(User(), "[OPTIONS]\r\nResolution=1\r\nff=2\r\n[TEST]\r\nFps=-1\r\n");
    Load();
    EXPECT_FALSE(options.FullScreen);
    EXPECT_FALSE(options.Fps);
}

TEST_F(OptionsTest, SavedValuesReadBackExactly)
{
    options = TOptions{1, 0.123456789, 0.35, 1.05, 2, 1.0 / 3.0, 0.0, true, false};
    player.FileName = "09_12_2026_22_55_30.ini";
    SaveOptions(store, options, player);
    TOptions back;
    TPlayer backPlayer;
    store.ClearCache();
    EXPECT_THAT(ReadOptions(store, User(), back, backPlayer), IsEmpty());
    EXPECT_EQ(back.Resolution, options.Resolution);
    EXPECT_EQ(back.MouseSpeed, options.MouseSpeed);
    EXPECT_EQ(back.Gamma, options.Gamma);
    EXPECT_EQ(back.Brightness, options.Brightness);
    EXPECT_EQ(back.LightingQuality, options.LightingQuality);
    EXPECT_EQ(back.MusicVolume, options.MusicVolume);
    EXPECT_EQ(back.SoundVolume, options.SoundVolume);
    EXPECT_EQ(back.Fps, options.Fps);
    EXPECT_EQ(back.FullScreen, options.FullScreen);
    EXPECT_EQ(backPlayer.FileName, player.FileName);
}

TEST_F(OptionsTest, TheCurrentProfileGivesThePlayersName)
{
    WriteFile(User(), kFullFile);
    store.WriteIniValue(User().string(), "PLAYER", "FileName", "ace.ini");
    std::filesystem::create_directories(store.AppDataFolder() / "Saves");
    store.WriteSavedValue((store.AppDataFolder() / "Saves" / "ace.ini").string(), "MAIN", "Name", "Ace");
    EXPECT_THAT(Load(), IsEmpty());
    EXPECT_EQ(player.FileName, "ace.ini");
    EXPECT_EQ(player.Name, "Ace");
}

TEST_F(OptionsTest, ProfileThatIsGoneOrDamagedLeavesNoName)
{
    WriteFile(User(), kFullFile);
    store.WriteIniValue(User().string(), "PLAYER", "FileName", "gone.ini");
    player.Name = "stale";
    EXPECT_THAT(Load(), IsEmpty());
    EXPECT_EQ(player.Name, "");

    store.WriteIniValue(User().string(), "PLAYER", "FileName", "plain.ini");
    WriteFile(store.AppDataFolder() / "Saves" / "plain.ini", "[MAIN]\r\nName=Unscrambled\r\n");
    const auto messages = Load();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_THAT(messages[0], HasSubstr("plain.ini"));
    EXPECT_THAT(messages[0], HasSubstr("save file is damaged!"));
    EXPECT_EQ(player.Name, "");
    EXPECT_EQ(player.FileName, "plain.ini");
}

TEST_F(OptionsTest, DefaultsMatchTheScreenTables)
{
    DefaultOptions(options, player);
    EXPECT_EQ(ScreenWidths[options.Resolution], 1024);
    EXPECT_EQ(ScreenHeights[options.Resolution], 768);
    EXPECT_EQ(ScreenWidths[1], 640);
    EXPECT_EQ(ScreenHeights[2], 600);
}

} // namespace
} // namespace vlm::data
