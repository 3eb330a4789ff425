// The pilot plays the real game headless through the player's own input: it clears the first
// levels of a new game (level 1 without losing a life), spends its points in the shop, and the
// same seed gives the same game to the last counter.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "context/GameContext.h"
#include "integration/HeadlessGame.h"
#include "interface/Shop.h"
#include "levels/LevelRun.h"
#include "shell/Autopilot.h"
#include "shell/HeadlessDriver.h"
#include "shell/StateDump.h"

namespace vlm::test {
namespace {

class PilotIntegration : public ::testing::Test, protected HeadlessGame {
 protected:
  void SetUp() override { Lay(TestFolder("vlm_pilot_"), BuiltArchive()); }
  void TearDown() override { Close(); }

  // A new game at `level` flown by a pilot of `seed` until the level is cleared (the statistics
  // screen) or the game is over; true when cleared.
  bool PlayLevel(int level, uint64_t seed) {
    Start(seed);
    if (!ctx) return false;
    pilot = std::make_unique<shell::TAutopilot>(seed);
    driver->SetPilot(pilot.get());
    levels::StartLevelDirect(*ctx, level);
    driver->RunUntil(
        [&] { return ctx->GameState == "statistics" || ctx->GameState == "mainmenu" || ctx->GameState == "topranks"; },
        600000);
    return ctx->GameState == "statistics";
  }

  std::unique_ptr<shell::TAutopilot> pilot;
};

TEST_F(PilotIntegration, ClearsTheFirstLevelsOfANewGameAndLevelOneWithoutLosingALife) {
  struct Case {
    int level;
    uint64_t seed;
  };
  for (const Case c : {Case{1, 1}, Case{1, 2}, Case{1, 3}, Case{2, 1}, Case{3, 1}}) {
    SCOPED_TRACE("level " + std::to_string(c.level) + " seed " + std::to_string(c.seed));
    ASSERT_TRUE(PlayLevel(c.level, c.seed)) << ctx->GameState << " at level second " << ctx->Level.LevelTime;
    const auto& st = ctx->Hud.LevelStats;
    // It fought: most of its shots land, and it destroyed a good part of what came.
    EXPECT_GT(st.EnemiesDestroyed * 4, st.EnemiesTotal) << st.EnemiesDestroyed << " of " << st.EnemiesTotal;
    EXPECT_LE(st.EnemiesDestroyed, st.EnemiesTotal);
    EXPECT_LE(st.Hits, st.Shots);
    EXPECT_LE(st.BonusesTaken, st.BonusesTotal);
    if (c.level == 1) EXPECT_EQ(ctx->Player.Lifes, 3);
    Close();
    Lay(TestFolder("vlm_pilot_"), BuiltArchive());
  }
}

TEST_F(PilotIntegration, SpendsItsPointsInTheShopAndFliesOn) {
  ASSERT_TRUE(PlayLevel(1, 4));
  const int32_t primary = interface::UpgradeLevel(*ctx, interface::TUpgrade::Primary);
  ASSERT_TRUE(driver->RunUntil([&] { return ctx->GameState == "shop"; }, 60000)) << ctx->GameState;
  ASSERT_GT(ctx->Player.UpgradePoints, 0);
  ASSERT_TRUE(driver->RunUntil([&] { return ctx->GameState != "shop"; }, 60000));
  EXPECT_EQ(ctx->Player.UpgradePoints, 0) << "every point spent before leaving";
  EXPECT_GT(interface::UpgradeLevel(*ctx, interface::TUpgrade::Primary), primary) << "the guns come first";
  EXPECT_TRUE(driver->RunUntil([&] { return ctx->Level.CurrentLevel == 2 && ctx->GameState == "game"; }, 120000))
      << ctx->GameState;
}

// The whole campaign as a player meets it: a new game at level 1, each level reached with what
// the previous ones left (lives, score, the upgrades bought in the shops between them), the
// story's screens clicked through, to the end of the last level.
TEST_F(PilotIntegration, PlaysTheWholeCampaignFromANewGameToTheEnd) {
  Start(2);
  ASSERT_NE(ctx, nullptr);
  pilot = std::make_unique<shell::TAutopilot>(2);
  driver->SetPilot(pilot.get());
  levels::StartLevelDirect(*ctx, 1);
  // The levels flown, in turn, and how many times a level's figures came (each level cleared).
  std::vector<int> played;
  int cleared = 0;
  bool gameOver = false, inStatistics = false;
  driver->RunUntil(
      [&] {
        if (ctx->GameState == "game" && (played.empty() || played.back() != ctx->Level.CurrentLevel))
          played.push_back(ctx->Level.CurrentLevel);
        const bool now = ctx->GameState == "statistics";
        if (now && !inStatistics) ++cleared;
        inStatistics = now;
        gameOver = gameOver || ctx->L.GomSprite->Visible;
        return ctx->GameState == "topranks" || ctx->GameState == "mainmenu";
      },
      int64_t(15) * 600000);
  std::vector<int> all(size_t(ctx->Level.LevelCount));
  for (size_t k = 0; k < all.size(); ++k) all[k] = int(k) + 1;
  EXPECT_EQ(played, all);
  EXPECT_EQ(cleared, ctx->Level.LevelCount);
  EXPECT_FALSE(gameOver) << "game over in level " << ctx->Level.CurrentLevel;
  EXPECT_EQ(ctx->GameState, "topranks");
  EXPECT_GT(ctx->Player.Lifes, 0);
}

TEST_F(PilotIntegration, TheSameSeedPlaysTheSameGame) {
  std::string first;
  for (int run = 0; run < 2; ++run) {
    Start(9);
    ASSERT_NE(ctx, nullptr);
    pilot = std::make_unique<shell::TAutopilot>(9);
    driver->SetPilot(pilot.get());
    levels::StartLevelDirect(*ctx, 2);
    driver->RunFor(40000);
    ASSERT_EQ(ctx->GameState, "game");
    const std::string state = shell::StateSnapshotJson(*ctx);
    if (run == 0)
      first = state;
    else
      EXPECT_EQ(state, first);
    driver.reset();
    ctx.reset();
  }
}

}  // namespace
}  // namespace vlm::test
