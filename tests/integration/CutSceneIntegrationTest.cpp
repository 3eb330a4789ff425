// The story through the real game without a window: the opening before level 1 when a game is
// started as from the menu, and a cut-scene after a level's statistics that leads on to the next
// level, with the music moved (or not) by the order held before the cut-scene. Clicks are aimed
// where the buttons are drawn.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "data/Archive.h"
#include "integration/HeadlessGame.h"
#include "levels/CutScene.h"
#include "levels/LevelRun.h"
#include "scene/Projection.h"
#include "context/GameContext.h"
#include "shell/HeadlessDriver.h"
#include "shell/InputScript.h"
#include "sound/SoundUnit.h"

namespace vlm::test {
namespace {

namespace fs = std::filesystem;
using shell::InputEvent;

std::string ReadEntry(const data::Archive& a, std::string_view name) {
  const std::vector<uint8_t> bytes = a.Read(name);
  return std::string(bytes.begin(), bytes.end());
}

// The text with the first "key=..." line of its MAIN section given a new value.
std::string WithKey(std::string text, const std::string& key, const std::string& value) {
  const size_t at = text.find("\n" + key + "=");
  if (at == std::string::npos) ADD_FAILURE() << key << " not found";
  const size_t end = text.find('\n', at + 1);
  return text.substr(0, at + 1) + key + "=" + value + text.substr(end);
}

class CutSceneIntegration : public ::testing::Test, protected HeadlessGame {
 protected:
  // Fixture archives: the built one with level 2 sending no one to the shop (its cut-scene then
  // leads straight to the fly-out), and level 3 playing either its own tune or level 2's.
  static void SetUpTestSuite() {
    suiteRoot_ = fs::temp_directory_path() / ("vlm_cutscenes_" + std::to_string(::getpid()));
    fs::create_directories(suiteRoot_);
    if (!fs::exists(BuiltArchive())) return;
    const data::Archive original = data::Archive::Open(BuiltArchive());
    const std::string level2 = WithKey(ReadEntry(original, "Data/t_data/levels/2.ini"), "shop", "0");
    const std::string level3 = ReadEntry(original, "Data/t_data/levels/3.ini");
    for (const auto& [name, music3] : std::map<std::string, std::string>{{"own", ""}, {"same", "9"}}) {
      std::map<std::string, std::string> overrides;
      overrides["data/t_data/levels/2.ini"] = level2;
      if (!music3.empty()) overrides["data/t_data/levels/3.ini"] = WithKey(level3, "music", music3);
      std::vector<data::ArchiveInput> files;
      for (size_t i = 0; i < original.Entries().size(); ++i) {
        data::ArchiveInput in{original.Entries()[i].name, {}};
        const auto o = overrides.find(data::FoldArchiveName(in.name));
        if (o != overrides.end())
          in.bytes.assign(o->second.begin(), o->second.end());
        else
          in.bytes = original.ReadEntry(i);
        files.push_back(std::move(in));
      }
      fs::create_directories(suiteRoot_ / name);
      data::WriteArchive(suiteRoot_ / name / "original.vlm", files, false);
    }
  }
  static void TearDownTestSuite() {
    std::error_code ec;
    fs::remove_all(suiteRoot_, ec);
  }
  void TearDown() override { Close(); }

  void StartWith(const fs::path& archive) {
    Lay(TestFolder("vlm_cutscene_"), archive);
    if (!HasFatalFailure()) Start(9);
  }

  // Pages through the cut-scene: waits for Next and clicks it until the cut-scene is over.
  // Returns the number of clicks.
  int PageThrough() {
    int clicks = 0;
    while (ctx->GameState == "cutscene" && clicks < 20) {
      if (!driver->RunUntil([&] { return ctx->CutScene.NextButtonSprite->Visible; }, 5000)) {
        ADD_FAILURE() << "Next never showed on page " << ctx->CutScene.CutScenePage;
        return clicks;
      }
      const scene::TViewProjection vp =
          scene::ComputeViewProjection(ctx->Scene.Camera(), ctx->ViewportWidth, ctx->ViewportHeight);
      glm::vec3 w;
      EXPECT_TRUE(scene::WorldToWindow(vp, ctx->CutScene.NextButtonSprite->AbsolutePosition(), w));
      ClickAt({w.x, w.y}, 200);
      ++clicks;
    }
    return clicks;
  }
  // Plays the level out (what is left of it is taken off the board) to its statistics, and
  // clicks on once the count-up has finished.
  void ClearLevelAndClickOn() {
    ASSERT_TRUE(RunUntilState("game", 30000)) << ctx->GameState;
    ASSERT_TRUE(driver->RunUntil(
        [&] {
          ctx->Level.LevelEnemyCount = 0;
          ctx->Player.HitShieldSeconds = 5;
          return ctx->GameState == "statistics";
        },
        120000))
        << ctx->GameState;
    for (int i = 0; i < 40 && ctx->GameState == "statistics"; ++i) ClickAt({512, 384}, 500);
  }

  static inline fs::path suiteRoot_;
};

TEST_F(CutSceneIntegration, AGameStartedAsFromTheMenuOpensWithTheStory) {
  StartWith(BuiltArchive());
  ctx->Options.MusicVolume = 0.8;
  levels::NewGamePlayer(*ctx, 3);
  ctx->Level.CurrentLevel = 1;
  levels::StartLevelFromMenu(*ctx);
  ASSERT_TRUE(RunUntilState("cutscene", 5000)) << ctx->GameState;
  EXPECT_EQ(ctx->Level.CutSceneName, "opening.ini");
  EXPECT_EQ(ctx->CutScene.CutScenePagesLeft, 3);
  // The loading screen gives way to the story; the level's tune is already playing under it.
  driver->RunFor(1200);
  EXPECT_FALSE(ctx->L.LogoHudSprite->Visible);
  EXPECT_EQ(CurrentMusicOrder, 5);
  EXPECT_EQ(PageThrough(), 3);
  EXPECT_EQ(ctx->GameState, "levelintro2");
  ASSERT_TRUE(RunUntilState("game", 8000)) << ctx->GameState;
  EXPECT_EQ(ctx->Level.CurrentLevel, 1);
  EXPECT_TRUE(ctx->L.InterFaceDummyCube->Visible);
}

// Every story told before a level plays when that level is started as from the menu: its file
// is the one the level names, every page is shown, and the level follows.
TEST_F(CutSceneIntegration, EveryStoryBeforeALevelPlaysAndLeadsIntoIt) {
  const data::Archive archive = data::Archive::Open(BuiltArchive());
  const struct {
    int level;
    const char* story;
    int pages;
  } cases[] = {{1, "opening.ini", 3}, {7, "hollowstar.ini", 2}, {13, "armada.ini", 2}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.story);
    const std::string file = ReadEntry(archive, "Data/t_data/levels/" + std::to_string(c.level) + ".ini");
    EXPECT_NE(file.find(std::string("\ncutscene=") + c.story), std::string::npos);
    StartWith(BuiltArchive());
    if (HasFatalFailure()) return;
    levels::NewGamePlayer(*ctx, 3);
    ctx->Level.CurrentLevel = c.level;
    levels::StartLevelFromMenu(*ctx);
    ASSERT_TRUE(RunUntilState("cutscene", 5000)) << ctx->GameState;
    EXPECT_EQ(ctx->Level.CutSceneName, c.story);
    EXPECT_EQ(ctx->CutScene.CutScenePagesLeft, c.pages);
    EXPECT_EQ(PageThrough(), c.pages);
    ASSERT_TRUE(RunUntilState("game", 8000)) << ctx->GameState;
    EXPECT_EQ(ctx->Level.CurrentLevel, c.level);
    Close();
  }
}

// After level 2 the story restarts the music at order 0, keeping the order on record; level 3
// moves the music to its own tune, or, when its tune is level 2's, leaves the story's playing.
TEST_F(CutSceneIntegration, AStoryAfterALevelLeadsOnToTheNextLevel) {
  const struct {
    const char* archive;
    int levelMusic;
    bool storyTuneGoesOn;
  } cases[] = {{"own", 14, false}, {"same", 9, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.archive);
    StartWith(suiteRoot_ / c.archive / "original.vlm");
    if (HasFatalFailure()) return;
    ASSERT_TRUE(Audio().HasMusic());
    ctx->Options.MusicVolume = 0.8;
    ctx->Player.Lifes = 50;
    levels::StartLevelDirect(*ctx, 2);
    ClearLevelAndClickOn();
    ASSERT_EQ(ctx->GameState, "cutscene");
    EXPECT_EQ(ctx->Level.CutSceneName, "cinderbelt.ini");
    EXPECT_FALSE(ctx->L.SceneDummyCube->Visible);
    EXPECT_FALSE(ctx->L.StatisticsDummyCube->Visible);
    EXPECT_EQ(Audio().MusicOrder(), 0) << "the story's tune from the top";
    EXPECT_EQ(CurrentMusicOrder, 9) << "the order on record is level 2's";
    EXPECT_EQ(PageThrough(), 3);
    EXPECT_EQ(ctx->GameState, "levelintro");
    ASSERT_TRUE(RunUntilState("game", 20000)) << ctx->GameState;
    EXPECT_EQ(ctx->Level.CurrentLevel, 3);
    EXPECT_EQ(CurrentMusicOrder, c.levelMusic);
    const int32_t playing = Audio().MusicOrder();
    if (c.storyTuneGoesOn) {
      EXPECT_TRUE(playing == 0 || playing == 23) << playing;
    } else {
      EXPECT_GE(playing, 14);
      EXPECT_LT(playing, 19);
    }
    Close();
  }
}

}  // namespace
}  // namespace vlm::test
