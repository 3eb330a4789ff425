// The whole level run through the real game without a window: start level 1, fly in, play it
// with a recorded mouse path while firing, see enemies come, hits land both ways and score
// grow, the level end, the statistics count up, and a click fly out to level 2.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "combat/Enemies.h"
#include "integration/HeadlessGame.h"
#include "combat/Weapons.h"
#include "interface/Hud.h"
#include "interface/Statistics.h"
#include "levels/LevelRun.h"
#include "context/GameContext.h"
#include "shell/HeadlessDriver.h"
#include "shell/Input.h"
#include "shell/InputScript.h"
#include "sound/SoundUnit.h"

namespace vlm::test {
namespace {

namespace fs = std::filesystem;

class LevelRunIntegration : public ::testing::Test, protected HeadlessGame {
 protected:
  void SetUp() override {
    Lay(TestFolder("vlm_levelrun_"), BuiltArchive());
    if (!HasFatalFailure()) Start(7);
  }
  void TearDown() override { Close(); }

  // The mouse swept left and right across the row with the left button held, from `startMs`.
  std::string SweepScript(int64_t startMs, int64_t lengthMs) {
    std::string s = std::to_string(startMs) + " down left\n";
    int dir = 1;
    for (int64_t t = startMs + 50; t < startMs + lengthMs; t += 50) {
      if ((t - startMs) % 1600 < 50) dir = -dir;
      s += std::to_string(t) + " rel " + std::to_string(dir * 40) + " 0\n";
    }
    return s;
  }
};

TEST_F(LevelRunIntegration, ALevelFromLoadingToTheNextLevelsFlyIn) {
  ASSERT_GE(ctx->Level.LevelCount, 2);
  levels::StartLevelDirect(*ctx, 1);
  ctx->Player.Lifes = 50;  // the recorded pilot is no ace: keep the game going to the level end
  EXPECT_EQ(ctx->GameState, "loading");
  EXPECT_DOUBLE_EQ(ctx->TimeScale, 20.0);

  // The load comes on the second second tick; the fly-in takes about two seconds more.
  driver->RunFor(900);
  EXPECT_EQ(ctx->GameState, "loading");
  ASSERT_TRUE(RunUntilState("levelintro2", 2000));
  EXPECT_GT(ctx->Level.LevelEnemyCount, 0);
  ASSERT_TRUE(RunUntilState("game", 3000));
  EXPECT_FLOAT_EQ(ctx->L.PlayerDummy->Position.x, -0.47f);
  EXPECT_FALSE(ctx->L.LogoHudSprite->Visible);

  // Something to shoot within two seconds of play.
  EXPECT_TRUE(driver->RunUntil([&] { return ctx->Hud.LevelStats.EnemiesTotal > 0; }, 2000));

  driver->Feed(shell::ParseInputScript(SweepScript(driver->NowMs(), 200000), "sweep"));
  double lowestHealth = ctx->Player.Health;
  const int32_t lives = ctx->Player.Lifes;
  bool clearing = false;
  // Play until every wave has come and had time to fly (the last appears at level second 44).
  ASSERT_TRUE(driver->RunUntil(
      [&] {
        lowestHealth = std::min(lowestHealth, ctx->Player.Health);
        clearing = ctx->Level.LevelEndTicks > 0;
        return clearing || ctx->GameState != "game" || ctx->Level.LevelTime > 60.0;
      },
      200000));
  // Whoever the recorded pilot missed is finished off through the hit queue, as a volley would.
  for (size_t box = 0; box < ctx->Enemies.EnemyHitBoxes.size(); ++box) {
    const combat::TEnemyHitBox& b = ctx->Enemies.EnemyHitBoxes[box];
    if (b.ZMax != 0.0 || b.ZMin != 0.0 || b.XMax != 0.0 || b.XMin != 0.0)
      ctx->Enemies.PendingHits.push_back(combat::TPendingHit{int64_t(box), 100000.0, 0, 0, false});
  }
  ASSERT_TRUE(driver->RunUntil(
      [&] {
        lowestHealth = std::min(lowestHealth, ctx->Player.Health);
        clearing = ctx->Level.LevelEndTicks > 0;
        return clearing || ctx->GameState != "game";
      },
      200000))
      << "the level did not end: " << ctx->GameState << ", enemies " << ctx->Level.LevelEnemyCount
      << ", level time " << ctx->Level.LevelTime << ", explosions " << ctx->Aftermath.LiveExplosions
      << ", bonuses " << ctx->Aftermath.LiveBonuses << ", destroyed " << ctx->Hud.LevelStats.EnemiesDestroyed
      << " of " << ctx->Hud.LevelStats.EnemiesTotal << ", hits " << ctx->Hud.LevelStats.Hits << " of "
      << ctx->Hud.LevelStats.Shots;
  ASSERT_TRUE(clearing) << "left play in state " << ctx->GameState;
  const interface::TLevelStats played = ctx->Hud.LevelStats;
  EXPECT_GT(played.EnemiesTotal, 20);
  EXPECT_GT(played.EnemiesDestroyed, 0);
  EXPECT_GT(played.Shots, 0);
  EXPECT_GT(played.Hits, 0);
  EXPECT_GT(ctx->Player.Scores, 0);
  EXPECT_TRUE(lowestHealth < 100.0 || ctx->Player.Lifes < lives) << "the enemies never hit the ship";
  // Once clear, the level ends on the fourth qualifying tick of the 400 ms timer.
  EXPECT_EQ(ctx->GameState, "game");

  // Fix the counters the statistics will show: 75%, 25% and 25% are a bonus of 625, which
  // takes the shown score past 10 000 during the count-up.
  interface::TLevelStats& s = ctx->Hud.LevelStats;
  s.EnemiesDestroyed = 30;
  s.EnemiesTotal = 40;
  s.BonusesTaken = 2;
  s.BonusesTotal = 8;
  s.Hits = 150;
  s.Shots = 600;
  ctx->Player.Scores = 9500;
  ctx->Player.ShownScore = 9500;
  ctx->Player.BonusLifeIndex = 1;
  const int32_t livesBefore = ctx->Player.Lifes;
  ASSERT_TRUE(RunUntilState("statistics", 1700));
  EXPECT_EQ(ctx->Player.Scores, 9500 + 625);
  EXPECT_EQ(ctx->Level.CurrentLevel, 2);
  EXPECT_TRUE(ctx->L.StatisticsDummyCube->Visible);

  // A click during the count-up is used up and changes nothing.
  driver->Feed(shell::ParseInputScript(std::to_string(driver->NowMs() + 100) + " up left\n" +
                                           std::to_string(driver->NowMs() + 200) + " down left\n" +
                                           std::to_string(driver->NowMs() + 250) + " up left\n",
                                       "early click"));
  driver->RunFor(400);
  EXPECT_EQ(ctx->GameState, "statistics");
  ASSERT_TRUE(driver->RunUntil([&] { return ctx->Player.ShownScore >= double(ctx->Player.Scores); }, 5000));
  driver->Step();  // the frame after the catch-up shows the score itself
  EXPECT_EQ(ctx->Player.Lifes, livesBefore + 1);
  EXPECT_EQ(ctx->Hud.SPS_EnemiesDestroyedVal->Text, "75%");
  EXPECT_EQ(ctx->Hud.SPS_BonusesTakenVal->Text, "25%");
  EXPECT_EQ(ctx->Hud.SPS_AccuracyVal->Text, "25%");
  EXPECT_EQ(ctx->Hud.SPS_ScoresVal->Text, "10125");

  // The click moves on to the shop (level 1 sends the player there); Continue, with the points
  // kept, asks first. Then the ship flies out, and level 2 loads and flies in.
  driver->Feed(shell::ParseInputScript(std::to_string(driver->NowMs() + 50) + " down left\n" +
                                           std::to_string(driver->NowMs() + 100) + " up left\n",
                                       "click"));
  ASSERT_TRUE(RunUntilState("shop", 500));
  EXPECT_FALSE(ctx->L.StatisticsDummyCube->Visible);
  ClickOn(*ctx->Shop.ContinueButtonSprite);
  ASSERT_TRUE(ctx->L.MessageDummy->Visible);
  ClickOn(*ctx->Menus.MD_Ok.Sprite, 0);
  ASSERT_TRUE(RunUntilState("levelintro", 500));
  ASSERT_TRUE(RunUntilState("loading", 10000));
  ASSERT_TRUE(RunUntilState("levelintro2", 3000));
  EXPECT_EQ(ctx->Level.CurrentLevel, 2);
  EXPECT_EQ(ctx->Hud.LevelStats.EnemiesTotal, 0);
  ASSERT_TRUE(RunUntilState("game", 4000));
}

// Shot trails age with the scene: while the guns fire they trail their shots, and once the guns
// stop every trail particle dies within its life.
TEST_F(LevelRunIntegration, ShotTrailsFadeOnceTheGunsStop) {
  levels::StartLevelDirect(*ctx, 1);
  ctx->Player.Lifes = 50;
  ASSERT_TRUE(RunUntilState("game", 6000));
  const combat::TWeaponLooks& w = ctx->Ship.Weapons;
  const scene::TGLParticleFXManager* trails[] = {w.PlayerClipsPFXManager_i1, w.PlayerClipsPFXManager_i2,
                                                 w.PlayerClipsPFXManager_i3, w.PFXR_bonus9,
                                                 w.PFXR_bonus10,             w.PFXR_bonus11,
                                                 w.PlayerRocketsPFXManager_i1};
  auto alive = [&] {
    size_t n = 0;
    for (const auto* m : trails) n += m->ParticleCount();
    return n;
  };
  // Every trail is one of the scene's managers, so the scene ages it.
  for (const auto* m : trails) {
    bool found = false;
    for (size_t i = 0; i < ctx->Scene.ParticleManagerCount(); ++i) found |= ctx->Scene.ParticleManager(i) == m;
    EXPECT_TRUE(found) << m->Name;
  }
  driver->Feed(shell::ParseInputScript(SweepScript(driver->NowMs(), 20000) +
                                           std::to_string(driver->NowMs() + 20000) + " up left\n",
                                       "fire"));
  size_t most = 0;
  driver->RunUntil(
      [&] {
        most = std::max(most, alive());
        return false;
      },
      20000);
  EXPECT_GT(most, 5u);    // the shots did trail
  EXPECT_LT(most, 512u);  // and the pool never filled up
  driver->RunFor(2000);   // shots in flight leave the field; the last particles live under half a second
  EXPECT_EQ(alive(), 0u);
}

// A level started straight away plays its tune at the player's music volume.
TEST_F(LevelRunIntegration, ALevelStartedDirectlyPlaysItsMusicAtTheOptionsVolume) {
  ASSERT_TRUE(Audio().HasMusic());
  const struct {
    int level;
    double volume;
    int order;
  } cases[] = {{1, 0.8, 5}, {2, 0.35, 9}};
  for (const auto& c : cases) {
    ctx->Options.MusicVolume = c.volume;
    SetMusicVolume(0);  // as the start-up leaves it when no menu intro has run
    levels::StartLevelDirect(*ctx, c.level);
    ASSERT_TRUE(RunUntilState("game", 6000)) << c.level;
    EXPECT_EQ(Audio().MusicVolume(), int(std::lround(c.volume * 100))) << c.level;
    EXPECT_EQ(CurrentMusicOrder, c.order) << c.level;
    EXPECT_GE(Audio().MusicOrder(), c.order) << c.level;
    EXPECT_LT(Audio().MusicOrder(), c.order + 5) << c.level;
  }
}

// The player is back in the main menu, from where a sound level still plays; the run's exit status
// reports the failure.
TEST_F(LevelRunIntegration, ABrokenLevelFileStopsWithItsFileSectionAndKey) {
  // A level beyond the last one has no file: the load stops at its first read.
  ctx->Level.CurrentLevel = ctx->Level.LevelCount + 1;
  levels::NewGamePlayer(*ctx, 3);
  levels::StartLevelFromMenu(*ctx);
  driver->RunFor(2100);
  auto* platform = dynamic_cast<HeadlessPlatform*>(&ctx->Platform());
  ASSERT_NE(platform, nullptr);
  ASSERT_FALSE(platform->Errors().empty());
  const std::string& message = platform->Errors().back();
  EXPECT_NE(message.find(std::to_string(ctx->Level.LevelCount + 1) + ".ini"), std::string::npos) << message;
  EXPECT_NE(message.find("MAIN"), std::string::npos) << message;
  EXPECT_NE(message.find("difficulty"), std::string::npos) << message;
  EXPECT_FALSE(platform->QuitRequested());
  EXPECT_EQ(ctx->ExitStatus, 1);
  EXPECT_EQ(ctx->GameState, "mainmenu");
  EXPECT_FALSE(ctx->L.SceneDummyCube->Visible);
  EXPECT_FALSE(ctx->L.LogoHudSprite->Visible);

  const size_t shown = platform->Errors().size();
  levels::StartLevelDirect(*ctx, 1);
  ASSERT_TRUE(RunUntilState("game", 6000));
  EXPECT_TRUE(ctx->L.SceneDummyCube->Visible);
  EXPECT_EQ(platform->Errors().size(), shown);
}

// Every level of the campaign loads in the real game and plays to its end: all its waves come
// (the enemies that appear are at least the placements), nothing shows a message, and once the
// survivors are destroyed the level clears.
class EveryLevelIntegration : public ::testing::TestWithParam<int>, protected HeadlessGame {
 protected:
  void SetUp() override {
    Lay(TestFolder("vlm_everylevel_"), BuiltArchive());
    if (!HasFatalFailure()) Start(11);
  }
  void TearDown() override { Close(); }
};

TEST_P(EveryLevelIntegration, LoadsPlaysAndClears) {
  const int level = GetParam();
  ASSERT_LE(level, ctx->Level.LevelCount);
  levels::StartLevelDirect(*ctx, level);
  ctx->Player.Lifes = 50;  // a ship that only sweeps and fires: keep it in the game to the end
  ASSERT_TRUE(RunUntilState("levelintro2", 3000));
  const int32_t placements = ctx->Level.LevelEnemyCount;
  EXPECT_GT(placements, 0);
  ASSERT_TRUE(RunUntilState("game", 4000));

  std::string sweep = std::to_string(driver->NowMs()) + " down left\n";
  for (int64_t t = 50, dir = 1; t < 200000; t += 50) {
    if (t % 1600 < 50) dir = -dir;
    sweep += std::to_string(driver->NowMs() + t) + " rel " + std::to_string(dir * 40) + " 0\n";
  }
  driver->Feed(shell::ParseInputScript(sweep, "sweep"));
  // Every wave has appeared by level second 56; a few more seconds let the last ones arrive.
  ASSERT_TRUE(driver->RunUntil(
      [&] { return ctx->Level.LevelEndTicks > 0 || ctx->GameState != "game" || ctx->Level.LevelTime > 60.0; },
      200000));
  ASSERT_EQ(ctx->GameState, "game");
  EXPECT_GE(ctx->Hud.LevelStats.EnemiesTotal, placements);
  // The ship's fire reaches them (a new game's first gun kills little on the later levels: those
  // are meant for a ship the shop has fitted).
  EXPECT_GT(ctx->Hud.LevelStats.Hits, 0) << "shots " << ctx->Hud.LevelStats.Shots;
  // Survivors (hovering gunships, looping weavers, turrets, a boss) are finished off through the
  // hit queue, as volleys would; the level must then clear on its own.
  for (int round = 0; round < 20 && ctx->Level.LevelEndTicks == 0 && ctx->GameState == "game"; ++round) {
    for (size_t box = 0; box < ctx->Enemies.EnemyHitBoxes.size(); ++box) {
      const combat::TEnemyHitBox& b = ctx->Enemies.EnemyHitBoxes[box];
      if (b.ZMax != 0.0 || b.ZMin != 0.0 || b.XMax != 0.0 || b.XMin != 0.0)
        ctx->Enemies.PendingHits.push_back(combat::TPendingHit{int64_t(box), 100000.0, 0, 0, false});
    }
    driver->RunFor(1000);
  }
  EXPECT_GT(ctx->Level.LevelEndTicks, 0) << "level " << level << " does not clear: enemies " << ctx->Level.LevelEnemyCount;
  auto* platform = dynamic_cast<HeadlessPlatform*>(&ctx->Platform());
  ASSERT_NE(platform, nullptr);
  EXPECT_TRUE(platform->Errors().empty()) << platform->Errors().front();
}

INSTANTIATE_TEST_SUITE_P(Campaign, EveryLevelIntegration, ::testing::Range(1, 16),
                         [](const ::testing::TestParamInfo<int>& info) { return "Level" + std::to_string(info.param); });

}  // namespace
}  // namespace vlm::test
