// Edge cases of the enemies, the weapons and the level load, played through the real game
// without a window. Each fixture game runs over its own working folder whose content archive is
// the built one with hand-written level and enemy files put in place of the originals, so the
// files go through the same loaders, catalogue and frame loop as the shipped content.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "combat/Enemies.h"
#include "combat/EnemyShots.h"
#include "combat/Weapons.h"
#include "data/Archive.h"
#include "integration/HeadlessGame.h"
#include "interface/Hud.h"
#include "levels/LevelRun.h"
#include "context/GameContext.h"
#include "shell/HeadlessDriver.h"
#include "shell/InputScript.h"
#include "context/Platform.h"

namespace vlm::test {
namespace {

namespace fs = std::filesystem;

std::string ReadEntry(const data::Archive& a, std::string_view name) {
  const std::vector<uint8_t> bytes = a.Read(name);
  return std::string(bytes.begin(), bytes.end());
}

// The MAIN section of a shipped level (its scenery and music) with the difficulty written as given.
std::string MainSection(const data::Archive& a, const std::string& difficulty) {
  std::string text = ReadEntry(a, "Data/t_data/levels/1.ini");
  text = text.substr(0, text.find("\n[0]"));
  const size_t at = text.find("difficulty=");
  const size_t end = text.find('\n', at);
  return text.substr(0, at) + "difficulty=" + difficulty + text.substr(end) + "\n";
}

std::string Placement(int section, int kind, int path, const char* x, const char* z, const char* appear) {
  return "\n[" + std::to_string(section) + "]\nindex=" + std::to_string(kind) + "\nsplineindex=" +
         std::to_string(path) + "\nx=" + x + "\nz=" + z + "\nsx=0\nsz=0\nAAT=" + appear + "\n";
}

// A hand-written kind added after the shipped ones: a hovering gunner that fires straight down
// in bursts of three one second apart at difficulty 1 (0,29 / (0,29 x 1) = 1 s), too tough to
// die in a test.
constexpr int kGunner = 24;  // after the shipped kinds
const char* kGunnerKind = R"(
[24]
name=Test gunner
kind=0
attackKind=0
attackcount=3
CreateEnemyIndex=0
CreateEnemyMaxCount=0
ImageName=Wasp.bmp
AnimMode=0
AnimCount=7
FrameWidth=64
FrameHeight=64
ScaleZ=0,055
ScaleX=0,073
AnimSpeed=90
speed=4
clipspeed=0,5
clipspeedUp=0
reloadspeed=0,29
Strength=2
cw=1,4
ch=1,4
fx=0
clip=EnemyClip1.bmp
maxlife=100000
HealthIndX=0,048
expScaleZ=0,128
expScaleX=0,124
expIndex=1
splineindex=-2
scores=50
)";

class EdgeCasesTest : public ::testing::Test, protected HeadlessGame {
 protected:
  // A fixture that cannot be made fails every test that uses it, rather than skipping it quietly.
  static void SetUpTestSuite() {
    try {
      MakeFixture();
    } catch (const std::exception& e) {
      suiteError_ = e.what();
    }
  }
  static void MakeFixture() {
    suiteRoot_ = fs::temp_directory_path() / ("vlm_edgecases_" + std::to_string(::getpid()));
    fs::create_directories(suiteRoot_);
    const fs::path built = BuiltArchive();
    if (!fs::exists(built)) return;
    const data::Archive original = data::Archive::Open(built);
    std::map<std::string, std::string> overrides;
    overrides["data/t_data/enemies.ini"] = ReadEntry(original, "Data/t_data/Enemies.ini") + kGunnerKind;
    // Level 1: placements "0", "1" and "3"; the list ends before "3".
    overrides["data/t_data/levels/1.ini"] = MainSection(original, "1") + Placement(0, 0, -2, "0,3", "-0,2", "0") +
                                            Placement(1, 0, -2, "0,3", "0,2", "0") +
                                            Placement(3, 0, -2, "0,3", "0", "0");
    // Level 2: one gunner hovering over the middle of the field.
    overrides["data/t_data/levels/2.ini"] = MainSection(original, "1") + Placement(0, kGunner, -2, "0,2", "0", "0");
    // Level 3: the difficulty written with a point.
    overrides["data/t_data/levels/3.ini"] = MainSection(original, "1.5") + Placement(0, 0, -2, "0,3", "0", "0");
    // Level 4: an enemy there from the start names a flight path the nav table does not have;
    // it never flies it, so the level loads and the enemy keeps its place.
    overrides["data/t_data/levels/4.ini"] = MainSection(original, "1") + Placement(0, 0, 99, "0,3", "0,1", "0");
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
    fs::create_directories(suiteRoot_ / "fixture");
    data::WriteArchive(suiteRoot_ / "fixture" / "original.vlm", files, false);
  }
  static void TearDownTestSuite() {
    std::error_code ec;
    fs::remove_all(suiteRoot_, ec);
  }

  // A game over the fixture archive (or the built one, for the shipped levels).
  void Start(bool shippedContent = false) {
    ASSERT_TRUE(suiteError_.empty()) << suiteError_;
    Lay(suiteRoot_ / ::testing::UnitTest::GetInstance()->current_test_info()->name(),
        shippedContent ? BuiltArchive() : suiteRoot_ / "fixture" / "original.vlm");
    if (!HasFatalFailure()) HeadlessGame::Start(5);
  }
  void TearDown() override { Close(); }
  void PlayLevel(int level) {
    levels::StartLevelDirect(*ctx, level);
    ASSERT_TRUE(driver->RunUntil([&] { return ctx->GameState == "game"; }, 8000)) << ctx->GameState;
  }

  template <class T>
  std::vector<T*> Live() {
    std::vector<T*> found;
    Collect(ctx->Scene.Objects(), found);
    return found;
  }
  template <class T>
  static void Collect(scene::TGLBaseSceneObject& o, std::vector<T*>& found) {
    for (size_t i = 0; i < o.Count(); ++i) {
      scene::TGLBaseSceneObject* c = o.Child(i);
      if (c->IsFreedSelf()) continue;
      if (auto* t = dynamic_cast<T*>(c)) found.push_back(t);
      Collect(*c, found);
    }
  }
  combat::TEnemyModel& OnlyEnemy() {
    const auto enemies = Live<combat::TEnemyModel>();
    EXPECT_EQ(enemies.size(), 1u);
    return *enemies.at(0);
  }

 private:
  static inline fs::path suiteRoot_;
  static inline std::string suiteError_;
};

TEST_F(EdgeCasesTest, PlacementSectionsZeroOneAndThreePlaceTwoEnemies) {
  Start();
  PlayLevel(1);
  EXPECT_EQ(ctx->Level.LevelEnemyCount, 2);
  driver->RunFor(500);
  EXPECT_EQ(Live<combat::TEnemyModel>().size(), 2u);
}

TEST_F(EdgeCasesTest, AnEnemyThereFromTheStartIgnoresAFlightPathBeyondTheTable) {
  Start();
  ASSERT_GE(ctx->Level.LevelCount, 4);
  PlayLevel(4);
  EXPECT_FALSE(ctx->Platform().QuitRequested());
  driver->RunFor(2000);
  EXPECT_EQ(ctx->GameState, "game");
  combat::TEnemyModel& e = OnlyEnemy();
  EXPECT_EQ(e.Follower, nullptr);
  EXPECT_NEAR(e.X(), 0.3, 1e-6);
  EXPECT_NEAR(e.Z(), 0.1, 1e-6);
}

TEST_F(EdgeCasesTest, DifficultyWrittenWithAPointStopsTheLoadNamingFileSectionAndKey) {
  Start();
  levels::StartLevelDirect(*ctx, 3);
  driver->RunFor(2500);
  auto* platform = dynamic_cast<HeadlessPlatform*>(&ctx->Platform());
  ASSERT_NE(platform, nullptr);
  ASSERT_FALSE(platform->Errors().empty());
  const std::string& message = platform->Errors().back();
  for (const char* part : {"3.ini", "MAIN", "difficulty", "1.5"})
    EXPECT_NE(message.find(part), std::string::npos) << part << " is missing from: " << message;
  EXPECT_NE(ctx->GameState, "game");
  EXPECT_EQ(ctx->Level.LevelEnemyCount, 0);
}

TEST_F(EdgeCasesTest, BurstsOfThreeOneSecondApartThenElevenSecondsOfRest) {
  Start();
  PlayLevel(2);
  ctx->Player.Lifes = 50;
  // The reload timer starts over at 0 on the frame after it fills, so every interval ends up to two
  // frames late: short frames keep that small.
  driver->SetFrameMs(4);
  std::vector<double> times;
  size_t shots = Live<combat::TEnemyClipSprite>().size();
  while (times.size() < 6 && driver->NowMs() < 40000) {
    driver->Step();
    const size_t n = Live<combat::TEnemyClipSprite>().size();
    if (n > shots) times.push_back(ctx->Level.LevelTime * 2.0);  // in game seconds
    shots = n;
  }
  ASSERT_EQ(times.size(), 6u);
  // Shots at 0, 1, 2 s, then 13, 14, 15 s.
  const double expected[] = {0, 1, 2, 13, 14, 15};
  for (size_t i = 0; i < 6; ++i) EXPECT_NEAR(times[i] - times[0], expected[i], 0.008 * double(i) + 0.001) << "shot " << i;
}

TEST_F(EdgeCasesTest, TwoHitsInOneFrameAreAppliedOnConsecutiveFrames) {
  Start();
  PlayLevel(2);
  driver->RunFor(200);
  combat::TEnemyModel& e = OnlyEnemy();
  const double life = e.Life;
  ASSERT_TRUE(combat::HitTestEnemies(*ctx, e.X(), e.Z()));
  ctx->Enemies.PendingHits.back().Amount = 3.0;
  ASSERT_TRUE(combat::HitTestEnemies(*ctx, e.X(), e.Z())) << "the box stays open until the enemy's frame";
  ctx->Enemies.PendingHits.back().Amount = 5.0;
  driver->Step();
  EXPECT_DOUBLE_EQ(e.Life, life - 3.0);
  EXPECT_FALSE(combat::HitTestEnemies(*ctx, e.X(), e.Z())) << "the box is cleared after a hit";
  EXPECT_EQ(ctx->Enemies.PendingHits.size(), 1u);
  driver->Step();
  EXPECT_DOUBLE_EQ(e.Life, life - 8.0);
  EXPECT_TRUE(ctx->Enemies.PendingHits.empty());
}

TEST_F(EdgeCasesTest, RocketsHitForEighteenTwentyFourOrThirtyByLevel) {
  Start();
  PlayLevel(2);
  driver->RunFor(200);
  struct Case {
    uint8_t level;
    double damage;
  };
  for (const Case c : {Case{1, 18.0}, Case{2, 24.0}, Case{3, 30.0}}) {
    combat::TEnemyModel& e = OnlyEnemy();
    const double life = e.Life;
    ctx->Player.RocketLevel = c.level;
    combat::FireRockets(*ctx, "PlayerRocket" + std::to_string(c.level), -0.37, e.Z());
    driver->RunUntil([&] { return Live<combat::TPlayerSecondaryClipSprite>().empty(); }, 4000);
    driver->Step();
    // The salvo is two rockets side by side: one or both hit the enemy above.
    const double taken = life - e.Life;
    EXPECT_TRUE(taken == c.damage || taken == 2.0 * c.damage) << "level " << int(c.level) << " took " << taken;
  }
}

// The starting guns against the first wave of the shipped level 1, with a pilot who keeps the
// ship under the lowest enemy: kills and score come within seconds, not minutes.
TEST_F(EdgeCasesTest, AnAimingPilotDestroysTheFirstEnemiesWithinSeconds) {
  Start(true);
  PlayLevel(1);
  ctx->Player.Lifes = 50;
  driver->Feed(shell::ParseInputScript(std::to_string(driver->NowMs()) + " down left\n", "fire"));
  // Keeps the ship under one target, leading it by the shot's flight time (a front shot covers
  // 0.7 t + 0.9 t^2 upward in t seconds), until it is gone; then takes the lowest enemy.
  const combat::TEnemyModel* target = nullptr;
  double lastZ = 0.0;
  auto aim = [&] {
    const auto enemies = Live<combat::TEnemyModel>();
    if (std::find(enemies.begin(), enemies.end(), target) == enemies.end()) target = nullptr;
    if (!target) {
      for (const combat::TEnemyModel* e : enemies)
        if (std::fabs(e->Z()) < 0.45 && e->X() < 0.6 && (!target || e->X() < target->X())) target = e;
      if (!target) return;
      lastZ = target->Z();
    }
    const double rise = target->X() - ctx->L.PlayerDummy->Position.x;
    const double flight = (-0.7 + std::sqrt(0.49 + 3.6 * std::max(rise, 0.0))) / 1.8;
    const double speedZ = (target->Z() - lastZ) / 0.016;
    lastZ = target->Z();
    ctx->L.PlayerDummy->Position.z = float(std::clamp(target->Z() + speedZ * flight, -0.47, 0.47));
  };
  // Something to shoot at appears.
  ASSERT_TRUE(driver->RunUntil([&] { return !Live<combat::TEnemyModel>().empty(); }, 5000));
  const int64_t start = driver->NowMs();
  ASSERT_TRUE(driver->RunUntil(
      [&] {
        aim();
        return ctx->Hud.LevelStats.EnemiesDestroyed > 0;
      },
      5000))
      << "no enemy destroyed after 5 s of aimed fire";
  const int64_t firstKill = driver->NowMs() - start;
  driver->RunUntil(
      [&] {
        aim();
        return false;
      },
      20000 - firstKill);
  EXPECT_LE(firstKill, 3000);
  EXPECT_GE(ctx->Hud.LevelStats.EnemiesDestroyed, 6) << "first kill after " << firstKill << " ms";
  std::printf("aimed fire: first kill after %lld ms, %lld destroyed in 20 s, %lld of %lld shots hit\n",
              static_cast<long long>(firstKill), static_cast<long long>(ctx->Hud.LevelStats.EnemiesDestroyed),
              static_cast<long long>(ctx->Hud.LevelStats.Hits), static_cast<long long>(ctx->Hud.LevelStats.Shots));
  EXPECT_GT(ctx->Player.Scores, 0);
}

}  // namespace
}  // namespace vlm::test
