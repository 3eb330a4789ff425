// The ship: steering along its row, hits through armour, death and respawn, game over,
// extra lives, the one-second upkeep, new-game values and the ship code.
#include "combat/PlayerTestFixture.h"

#include <string>
#include <vector>

namespace vlm::test {
namespace {

struct SteerCase {
  const char* Name;
  float StartZ;
  int32_t Dx;
  double MouseSpeed;
  float StartX;        // the ship's height: steering needs it on its row
  const char* State;
  float ExpectedZ;
};

class ShipSteering : public ShipTest, public ::testing::WithParamInterface<SteerCase> {};

TEST_P(ShipSteering, MovesByTheMouseScaledBySensitivityWithinTheRow) {
  const SteerCase& c = GetParam();
  ctx->GameState = c.State;
  ctx->Options.MouseSpeed = c.MouseSpeed;
  Ship().Position = {c.StartX, 0.0f, c.StartZ};
  Steer(c.Dx);
  Frame();
  EXPECT_NEAR(Ship().Position.z, c.ExpectedZ, 1e-6) << c.Name;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ShipSteering,
    ::testing::Values(SteerCase{"left", 0.0f, -100, 0.8, -0.47f, "game", 0.08f},
                      SteerCase{"right, doubled sensitivity", 0.0f, 50, 1.6, -0.47f, "game", -0.08f},
                      SteerCase{"right edge exactly", -0.47f, 1000, 1.0, -0.47f, "game", -0.48f},
                      SteerCase{"left edge exactly", 0.47f, -1000, 1.0, -0.47f, "game", 0.48f},
                      SteerCase{"at the left edge stays", 0.48f, -20, 1.0, -0.47f, "game", 0.48f},
                      SteerCase{"rising below the row", 0.1f, -100, 1.0, -0.6f, "game", 0.1f},
                      SteerCase{"not in play", 0.1f, -100, 1.0, -0.47f, "levelintro2", 0.1f}),
    [](const auto& info) { return std::to_string(info.index); });

TEST_F(ShipTest, BanksIntoATurnAndLevelsOutWhenTheMouseRests) {
  Steer(-10);
  for (int i = 0; i < 20; ++i) Frame();
  const float banked = ctx->Ship.PlayerModel->GetPitchAngle();
  EXPECT_GT(banked, 20.0f);
  EXPECT_LE(banked, 35.0f);
  Steer(0);
  RunFor(2.0);
  EXPECT_LE(std::fabs(ctx->Ship.PlayerModel->GetPitchAngle()), 0.5f + 1e-3f);
}

TEST_F(ShipTest, RisesBackToItsRowAndRegenerates) {
  Ship().Position.x = -0.72f;
  ctx->Player.RegenLevel = 2;
  ctx->Player.Health = 50.0;
  RunFor(1.0);
  EXPECT_NEAR(Ship().Position.x, -0.62f, 0.002f);  // 0.1 a second
  EXPECT_NEAR(ctx->Player.Health, 51.0, 1e-6);     // level 2: one a second
  RunFor(2.0);
  EXPECT_FLOAT_EQ(Ship().Position.x, -0.47f);
  ctx->Player.Health = 99.9;
  RunFor(1.0);
  EXPECT_DOUBLE_EQ(ctx->Player.Health, 100.0);
}

struct HitCase {
  int32_t Armor;
  double Health, Damage;
  int32_t ExpectedArmor;
  double ExpectedHealth;
};

class ShipHit : public ShipTest, public ::testing::WithParamInterface<HitCase> {};

TEST_P(ShipHit, ArmourTakesTheDamageFirst) {
  const HitCase& c = GetParam();
  ctx->Player.Armor = c.Armor;
  ctx->Player.Health = c.Health;
  combat::HitPlayer(*ctx, c.Damage, -0.4, 0.0);
  EXPECT_EQ(ctx->Player.Armor, c.ExpectedArmor);
  EXPECT_DOUBLE_EQ(ctx->Player.Health, c.ExpectedHealth);
  EXPECT_EQ(ctx->Player.Lifes, 3);
  EXPECT_EQ(ctx->HitShakeTicks, 4);
  EXPECT_EQ(ctx->Player.HitShieldSeconds, 3);
  EXPECT_TRUE(ctx->Ship.PlayerHitSphere->Visible);
  EXPECT_TRUE(L().PlayerHitBlur->Visible);
}

INSTANTIATE_TEST_SUITE_P(Cases, ShipHit,
                         ::testing::Values(HitCase{20, 50.0, 30.0, 0, 40.0}, HitCase{25, 100.0, 10.0, 15, 100.0},
                                           HitCase{0, 50.0, 12.5, 0, 37.5}, HitCase{10, 30.0, 10.0, 0, 30.0}));

TEST_F(ShipTest, ARespawnShieldStaysSeeThrough) {
  // Seven seconds of shield after a respawn would be an opacity of 7 / 3: a white disc over the
  // ship. Opacities stay within 0..1, and the bubble shows and fades with the shields.
  ctx->Player.Lifes = 3;
  combat::KillPlayer(*ctx);
  ASSERT_TRUE(ctx->Ship.PlayerHitSphere->Visible);
  for (scene::TGLSphere* sphere : {ctx->Ship.PlayerHitSphere, ctx->Ship.PlayerHitSphere2}) {
    EXPECT_LE(sphere->Material.FrontProperties.Diffuse.a, 1.0f);
    EXPECT_GE(sphere->Material.FrontProperties.Diffuse.a, 0.0f);
  }
  RunFor(0.1);
  EXPECT_TRUE(ctx->Ship.PlayerShieldSprite->Visible);
  EXPECT_LE(ctx->Ship.PlayerShieldSprite->AlphaChannel.Value(), 1.0f);
  EXPECT_GT(ctx->Ship.PlayerShieldSprite->AlphaChannel.Value(), 0.5f);
  for (int s = 0; s < 7; ++s) combat::PlayerSecondTick(*ctx);
  RunFor(0.1);
  EXPECT_FALSE(ctx->Ship.PlayerHitSphere->Visible);
  EXPECT_FALSE(ctx->Ship.PlayerShieldSprite->Visible);
}

TEST_F(ShipTest, ShieldsMakeTheShipUntouchable) {
  ctx->Player.Armor = 0;
  combat::HitPlayer(*ctx, 10.0, -0.4, 0.0);
  EXPECT_DOUBLE_EQ(ctx->Player.Health, 90.0);
  combat::HitPlayer(*ctx, 10.0, -0.4, 0.0);  // within the three seconds
  EXPECT_DOUBLE_EQ(ctx->Player.Health, 90.0);
  for (int s = 0; s < 3; ++s) combat::PlayerSecondTick(*ctx);
  EXPECT_EQ(ctx->Player.HitShieldSeconds, 0);
  EXPECT_FALSE(ctx->Ship.PlayerHitSphere->Visible);
  ctx->Player.ShieldSeconds = 2;
  combat::HitPlayer(*ctx, 10.0, -0.4, 0.0);
  EXPECT_DOUBLE_EQ(ctx->Player.Health, 90.0);
  combat::PlayerSecondTick(*ctx);
  combat::PlayerSecondTick(*ctx);
  combat::HitPlayer(*ctx, 10.0, -0.4, 0.0);
  EXPECT_DOUBLE_EQ(ctx->Player.Health, 80.0);
}

TEST_F(ShipTest, DeathWithLivesLeftRespawnsBelowTheRowShielded) {
  data::TPlayer& p = ctx->Player;
  p.ArmorLevel = 3;
  p.Armor = 0;
  p.Health = 5.0;
  p.DoubleDamageSeconds = 8;
  p.ShieldSeconds = 0;
  Ship().Position.z = 0.3f;
  combat::HitPlayer(*ctx, 20.0, -0.4, 0.3);
  EXPECT_EQ(p.Lifes, 2);
  EXPECT_DOUBLE_EQ(p.Health, 100.0);
  EXPECT_EQ(p.Armor, 37);
  EXPECT_EQ(p.HitShieldSeconds, 7);
  EXPECT_EQ(p.DoubleDamageSeconds, 0);
  EXPECT_FLOAT_EQ(Ship().Position.x, -0.72f);
  EXPECT_FLOAT_EQ(Ship().Position.z, 0.0f);
  EXPECT_FALSE(L().GomSprite->Visible);
  EXPECT_EQ(ctx->Aftermath.LiveExplosions, 5);
  // It cannot steer until it is back on its row.
  Steer(-100);
  Frame();
  EXPECT_FLOAT_EQ(Ship().Position.z, 0.0f);
}

TEST_F(ShipTest, LastDeathGrowsTheGameOverMessageThenLeavesThePlay) {
  data::TPlayer& p = ctx->Player;
  p.Lifes = 1;
  p.Armor = 0;
  p.Scores = 12345;
  combat::HitPlayer(*ctx, 200.0, -0.4, 0.0);
  EXPECT_EQ(p.Lifes, 0);
  EXPECT_DOUBLE_EQ(p.Health, 0.0);
  EXPECT_TRUE(L().GomSprite->Visible);
  EXPECT_EQ(ctx->HitShakeTicks, 0);
  // No firing while the message grows.
  HoldLeft(true);
  const int64_t shots = ctx->Hud.LevelStats.Shots;
  RunFor(5.0);
  EXPECT_EQ(ctx->Hud.LevelStats.Shots, shots);
  EXPECT_EQ(ctx->GameState, "game");
  EXPECT_GT(L().GomSprite->AlphaChannel, 0.4f);
  RunFor(6.0);  // 1.1 at 0.11 a second
  EXPECT_FALSE(L().GomSprite->Visible);
  EXPECT_EQ(ctx->GameState, "topranks");  // the end of the game shows the top ranks
  EXPECT_EQ(p.Scores, 12345);  // no lives left to add
}

struct LifeCase {
  int64_t Scores;
  int32_t Index;
  int32_t ExpectedLifeGain;
  int32_t ExpectedIndex;
};

class ExtraLife : public ShipTest, public ::testing::WithParamInterface<LifeCase> {};

TEST_P(ExtraLife, OneLifePerCheckAtTheThresholds) {
  const LifeCase& c = GetParam();
  ctx->Player.Scores = c.Scores;
  ctx->Player.BonusLifeIndex = c.Index;
  combat::CheckExtraLife(*ctx);
  EXPECT_EQ(ctx->Player.Lifes, 3 + c.ExpectedLifeGain);
  EXPECT_EQ(ctx->Player.BonusLifeIndex, c.ExpectedIndex);
}

INSTANTIATE_TEST_SUITE_P(Cases, ExtraLife,
                         ::testing::Values(LifeCase{9999, 1, 0, 1}, LifeCase{10000, 1, 1, 2},
                                           LifeCase{40000, 1, 1, 2},  // both crossed: one life
                                           LifeCase{40000, 2, 1, 3}, LifeCase{1999999, 20, 0, 20},
                                           LifeCase{2000000, 20, 1, 21},
                                           LifeCase{9000000, 21, 0, 21},  // past the table: none
                                           LifeCase{500, 0, 0, 1}));

TEST_F(ShipTest, TheTableGivesTwentyLivesAndNoMore) {
  ctx->Player.Scores = 100000000;
  for (int i = 0; i < 100; ++i) combat::CheckExtraLife(*ctx);
  EXPECT_EQ(ctx->Player.Lifes, 3 + 20);
}

TEST_F(ShipTest, NewGameAndShipCodeSetTheGunsAndArmour) {
  data::TPlayer& p = ctx->Player;
  EXPECT_DOUBLE_EQ(p.PrimaryInterval, 0.05);
  EXPECT_DOUBLE_EQ(p.PrimaryDamage, 0.7);
  EXPECT_EQ(p.Rockets, 6);
  EXPECT_EQ(p.RocketLevel, 1);
  EXPECT_EQ(p.Armor, 0);
  levels::TShipConfig c;
  c.CurrentSkin = 3;
  c.PrimaryLevel = 3;
  c.MegaLevel = 2;
  c.AutoaimLevel = 4;
  c.RocketLevel = 2;
  c.ArmorLevel = 5;
  c.Rockets = 9;
  c.TimeFreezeOwned = true;
  combat::ApplyShipConfig(*ctx, c);
  EXPECT_DOUBLE_EQ(p.PrimaryDamage, 1.2);
  EXPECT_DOUBLE_EQ(p.MegaInterval, 0.09);
  EXPECT_DOUBLE_EQ(p.AutoaimDamage, 1.4);
  EXPECT_EQ(p.Armor, 125);
  EXPECT_EQ(combat::CurrentShipConfig(*ctx), c);
}

TEST_F(ShipTest, MissingShipMeshesAreReportedByName) {
  auto& platform = static_cast<HeadlessPlatform&>(ctx->Platform());
  combat::LoadShipMeshes(*ctx);
  std::string all;
  for (const std::string& m : platform.Errors()) all += m + "\n";
  EXPECT_NE(all.find("1Player4.3DS"), std::string::npos) << all;
  EXPECT_NE(all.find("pw1.3ds"), std::string::npos) << all;
  EXPECT_NE(all.find("abv0.3ds"), std::string::npos) << all;
}

}  // namespace
}  // namespace vlm::test
