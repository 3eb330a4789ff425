// The shop in the real game without a window: level 1 (which sends the player to the shop) is
// played to its end, the statistics clicked away, upgrades bought with clicks on the shop's
// arrows, and level 2 starts with the guns that were bought: their levels, their parameters, the
// guns' mesh on the ship and the shots they fire.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

#include "combat/Enemies.h"
#include "combat/Weapons.h"
#include "integration/HeadlessGame.h"
#include "interface/Shop.h"
#include "levels/LevelRun.h"
#include "scene/Mesh.h"
#include "context/GameContext.h"
#include "shell/InputScript.h"

namespace vlm::test {
namespace {

using interface::TUpgrade;

class ShopFlowIntegration : public ::testing::Test, protected HeadlessGame {
 protected:
  void SetUp() override {
    Lay(TestFolder("vlm_shopflow_"), BuiltArchive());
    if (!HasFatalFailure()) Start(23);
  }
  void TearDown() override { Close(); }

  // Fire held and the ship swept from side to side for `lengthMs`.
  static std::string SweepScript(int64_t startMs, int64_t lengthMs) {
    std::string s = std::to_string(startMs) + " down left\n";
    int dir = 1;
    for (int64_t t = startMs + 50; t < startMs + lengthMs; t += 50) {
      if ((t - startMs) % 1600 < 50) dir = -dir;
      s += std::to_string(t) + " rel " + std::to_string(dir * 40) + " 0\n";
    }
    return s + std::to_string(startMs + lengthMs) + " up left\n";
  }

  // Counts the live player shots of a gun by their picture.
  size_t ShotsOf(const char* material) {
    size_t n = 0;
    Count(ctx->Scene.Objects(), material, n);
    return n;
  }
  static void Count(const scene::TGLBaseSceneObject& o, const char* material, size_t& n) {
    if (const auto* shot = dynamic_cast<const combat::TPlayerClipSprite*>(&o))
      n += !shot->IsFreed() && shot->Material.GetLibMaterialName() == material;
    for (size_t i = 0; i < o.Count(); ++i) Count(*o.Child(i), material, n);
  }
};

TEST_F(ShopFlowIntegration, UpgradesBoughtInTheShopFlyInTheNextLevel) {
  levels::StartLevelDirect(*ctx, 1);
  ctx->Player.Lifes = 50;  // the sweeping pilot is no ace: the test is about what comes after
  ASSERT_TRUE(RunUntilState("game", 10000)) << ctx->GameState;
  EXPECT_TRUE(ctx->Level.ShopAfterLevel);
  const int32_t points = ctx->Player.UpgradePoints;
  ASSERT_GE(points, 3) << "level 1 gives the points the shop after it spends";

  // Play: the waves come and the pilot sweeps and fires; whoever is left when the last wave has
  // had its time is finished off through the hit queue, as a volley would.
  driver->Feed(shell::ParseInputScript(SweepScript(driver->NowMs(), 130000), "sweep"));
  ASSERT_TRUE(driver->RunUntil(
      [&] { return ctx->Level.LevelEndTicks > 0 || ctx->GameState != "game" || ctx->Level.LevelTime > 60.0; },
      200000));
  for (size_t box = 0; box < ctx->Enemies.EnemyHitBoxes.size(); ++box) {
    const combat::TEnemyHitBox& b = ctx->Enemies.EnemyHitBoxes[box];
    if (b.ZMax != 0.0 || b.ZMin != 0.0 || b.XMax != 0.0 || b.XMin != 0.0)
      ctx->Enemies.PendingHits.push_back(combat::TPendingHit{int64_t(box), 100000.0, 0, 0, false});
  }
  ASSERT_TRUE(RunUntilState("statistics", 120000)) << ctx->GameState;
  ASSERT_TRUE(driver->RunUntil([&] { return ctx->Player.ShownScore >= double(ctx->Player.Scores); }, 20000));
  driver->RunFor(500);  // the sweep's button is long up

  // A click on the statistics opens the shop.
  ClickOn(*ctx->Hud.StatisticsPanelSprite);
  ASSERT_EQ(ctx->GameState, "shop");
  EXPECT_TRUE(ctx->L.ShopDummyCube->Visible);
  EXPECT_FALSE(ctx->L.SceneDummyCube->Visible);
  EXPECT_EQ(ctx->Player.UpgradePoints, points);
  driver->RunFor(200);
  EXPECT_EQ(ctx->Shop.UpgradePointsText->Text, "upgrade points left:" + std::to_string(points));

  // Two levels of mega bullets and one of autoaim bullets; a try at a second autoaim level with
  // the points gone changes nothing.
  const int32_t primary = ctx->Player.PrimaryLevel;
  ctx->Player.UpgradePoints = 3;  // whatever the bonuses of the run added, three to spend
  ClickOn(*ctx->Shop.Rows[size_t(TUpgrade::Mega)].Plus);
  ClickOn(*ctx->Shop.Rows[size_t(TUpgrade::Mega)].Plus);
  ClickOn(*ctx->Shop.Rows[size_t(TUpgrade::Autoaim)].Plus);
  ClickOn(*ctx->Shop.Rows[size_t(TUpgrade::Autoaim)].Plus);
  EXPECT_EQ(ctx->Player.MegaLevel, 2);
  EXPECT_EQ(ctx->Player.AutoaimLevel, 1);
  EXPECT_EQ(ctx->Player.UpgradePoints, 0);
  EXPECT_EQ(ctx->Shop.Rows[size_t(TUpgrade::Mega)].Cubes[1]->Material.GetLibMaterialName(), "Filled");
  EXPECT_EQ(ctx->Shop.Rows[size_t(TUpgrade::Mega)].Cubes[2]->Material.GetLibMaterialName(), "Empty");

  // The ship in the shop and in play wear the guns of the new sum.
  const scene::TMeshData guns =
      scene::Load3DSFile("Data\\Models\\Player\\pw" + std::to_string(primary + 2 + 1) + ".3ds");
  EXPECT_EQ(ctx->Ship.ShopPlayerPrimaryWeapon->Mesh.Vertices.size(), guns.Vertices.size());
  EXPECT_EQ(ctx->Ship.PlayerPrimaryWeapon->Mesh.Vertices.size(), guns.Vertices.size());

  // Continue with no points left goes straight on.
  ClickOn(*ctx->Shop.ContinueButtonSprite, 100);
  EXPECT_EQ(ctx->GameState, "levelintro");
  EXPECT_FALSE(ctx->L.MessageDummy->Visible);
  ASSERT_TRUE(RunUntilState("game", 30000)) << ctx->GameState;
  EXPECT_EQ(ctx->Level.CurrentLevel, 2);

  // Level 2 starts with the bought guns.
  EXPECT_EQ(ctx->Player.MegaLevel, 2);
  EXPECT_EQ(ctx->Player.AutoaimLevel, 1);
  double interval = 0, damage = 0;
  ASSERT_TRUE(combat::GunParameters(combat::TGun::Mega, 2, interval, damage));
  EXPECT_DOUBLE_EQ(ctx->Player.MegaInterval, interval);
  EXPECT_DOUBLE_EQ(ctx->Player.MegaDamage, damage);
  EXPECT_EQ(ctx->Ship.PlayerPrimaryWeapon->Mesh.Vertices.size(), guns.Vertices.size());
  driver->Feed(shell::ParseInputScript(SweepScript(driver->NowMs() + 20, 3000), "fire"));
  size_t mega = 0, autoaim = 0;
  driver->RunUntil(
      [&] {
        mega = std::max(mega, ShotsOf("PlayerClip2"));
        autoaim = std::max(autoaim, ShotsOf("PlayerClip3"));
        return false;
      },
      3000);
  EXPECT_GT(mega, 0u) << "no mega bullets in level 2";
  EXPECT_GT(autoaim, 0u) << "no autoaim bullets in level 2";
}

}  // namespace
}  // namespace vlm::test
