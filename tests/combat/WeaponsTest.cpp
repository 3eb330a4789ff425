// The weapons: each gun's firing rate and damage by level, shots hitting enemy boxes with the
// bonus colours, the leader's protection, self-guided shots, rockets and salvos.
#include "combat/PlayerTestFixture.h"
#include "combat/Explosions.h"

#include <string>
#include <vector>

namespace vlm::test {
namespace {

using combat::TGun;

struct GunCase {
  TGun Gun;
  int32_t Level;
  double Interval, Damage;
  int ShotsPerFire;
};

class GunByLevel : public ShipTest, public ::testing::WithParamInterface<GunCase> {};

// Held down, a gun fires every Interval / 0.2 seconds of game time.
TEST_P(GunByLevel, FiresAtItsIntervalWithItsDamage) {
  const GunCase& c = GetParam();
  data::TPlayer& p = ctx->Player;
  p.PrimaryLevel = p.MegaLevel = p.AutoaimLevel = 0;
  (c.Gun == TGun::Front ? p.PrimaryLevel : c.Gun == TGun::Mega ? p.MegaLevel : p.AutoaimLevel) = uint8_t(c.Level);
  combat::ApplyWeaponSettings(*ctx);
  double interval = 0, damage = 0;
  ASSERT_TRUE(combat::GunParameters(c.Gun, c.Level, interval, damage));
  EXPECT_DOUBLE_EQ(interval, c.Interval);
  EXPECT_DOUBLE_EQ(damage, c.Damage);

  const double dt = 0.001;
  RunFor(1.0, dt);  // released: the timer fills up to the interval
  HoldLeft(true);
  std::vector<double> fireTimes;
  int64_t shots = ctx->Hud.LevelStats.Shots;
  for (int i = 0; i < 2000; ++i) {
    Frame(dt);
    if (ctx->Hud.LevelStats.Shots != shots) {
      EXPECT_EQ(ctx->Hud.LevelStats.Shots - shots, c.ShotsPerFire);
      shots = ctx->Hud.LevelStats.Shots;
      fireTimes.push_back(i * dt);
    }
  }
  ASSERT_GE(fireTimes.size(), 3u);
  EXPECT_DOUBLE_EQ(fireTimes[0], 0.0);  // the first shot comes at once
  const double period = c.Interval / 0.2;
  for (size_t i = 1; i < fireTimes.size(); ++i) EXPECT_NEAR(fireTimes[i] - fireTimes[i - 1], period, 2.5 * dt);
  // Every shot carries the gun's damage.
  int seen = 0;
  for (size_t i = 0; i < ctx->Ship.ParticlesDummy->Count(); ++i)
    if (auto* s = dynamic_cast<combat::TPlayerClipSprite*>(ctx->Ship.ParticlesDummy->Child(i))) {
      EXPECT_DOUBLE_EQ(s->Damage, c.Damage);
      ++seen;
    }
  EXPECT_GT(seen, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Table, GunByLevel,
    ::testing::Values(GunCase{TGun::Front, 1, 0.05, 0.7, 1}, GunCase{TGun::Front, 2, 0.045, 0.5, 2},
                      GunCase{TGun::Front, 3, 0.045, 1.2, 1}, GunCase{TGun::Front, 4, 0.05, 1.1, 2},
                      GunCase{TGun::Mega, 1, 0.1, 0.8, 2}, GunCase{TGun::Mega, 2, 0.09, 0.9, 2},
                      GunCase{TGun::Mega, 3, 0.1, 1.4, 2}, GunCase{TGun::Mega, 4, 0.092, 1.8, 2},
                      GunCase{TGun::Autoaim, 1, 0.1, 0.6, 1}, GunCase{TGun::Autoaim, 2, 0.095, 0.8, 1},
                      GunCase{TGun::Autoaim, 3, 0.09, 1.1, 1}, GunCase{TGun::Autoaim, 4, 0.085, 1.4, 1}),
    [](const auto& info) { return std::to_string(info.index); });

TEST_F(ShipTest, ALevelOutsideTheTableKeepsTheGunsValues) {
  combat::SetGunLevel(*ctx, TGun::Mega, 3);
  ctx->Player.MegaTimer = 0.05;
  combat::SetGunLevel(*ctx, TGun::Mega, 0);
  EXPECT_DOUBLE_EQ(ctx->Player.MegaInterval, 0.1);
  EXPECT_DOUBLE_EQ(ctx->Player.MegaDamage, 1.4);
  EXPECT_DOUBLE_EQ(ctx->Player.MegaTimer, 0.0);
  double i = 7, d = 7;
  EXPECT_FALSE(combat::GunParameters(TGun::Front, 5, i, d));
  EXPECT_EQ(i, 7);
}

TEST_F(ShipTest, NoFireOutsidePlayOrWhileTheLevelEnds) {
  HoldLeft(true);
  ctx->Level.LevelEndTicks = 1;
  RunFor(0.5);
  EXPECT_EQ(ctx->Hud.LevelStats.Shots, 0);
  ctx->Level.LevelEndTicks = 0;
  ctx->GameState = "levelintro2";
  RunFor(0.5);
  EXPECT_EQ(ctx->Hud.LevelStats.Shots, 0);
  ctx->GameState = "game";
  Frame();
  EXPECT_EQ(ctx->Hud.LevelStats.Shots, 1);
  EXPECT_FLOAT_EQ(ctx->Ship.PlayerPrimaryWeapon->Position.x, -0.1f + 0.01f);  // kicked back, easing
}

struct HitColourCase {
  const char* Name;
  int32_t DoubleDamage, Burn, Freeze;
  double Amount;
  uint8_t Effect;
  int32_t TrailType;
};

class ShotHit : public ShipTest, public ::testing::WithParamInterface<HitColourCase> {};

TEST_P(ShotHit, QueuesAPendingHitWithTheColoursDamageAndEffect) {
  const HitColourCase& c = GetParam();
  ctx->Player.DoubleDamageSeconds = c.DoubleDamage;
  ctx->Player.BurnShotSeconds = c.Burn;
  ctx->Player.FreezeShotSeconds = c.Freeze;
  AddBox(0.0, 0.1);
  AddBox(0.2, 0.0);  // the one in the shot's way
  combat::TShotParams s;
  s.Material = "PlayerClip1";
  s.Speed = 0.7;
  s.Acceleration = 1.8;
  s.Damage = 1.2;
  s.ScaleX = 0.07;
  s.ScaleZ = 0.017;
  s.StartX = -0.37;
  s.StartZ = 0.0;
  combat::TPlayerClipSprite* shot = combat::MakePlayerShot(*ctx, s);
  EXPECT_EQ(shot->TrailType, c.TrailType) << c.Name;
  for (int i = 0; i < 200 && ctx->Enemies.PendingHits.empty(); ++i) Frame();
  ASSERT_EQ(ctx->Enemies.PendingHits.size(), 1u) << c.Name;
  const combat::TPendingHit& hit = ctx->Enemies.PendingHits.back();
  EXPECT_EQ(hit.HitBox, 1);
  EXPECT_DOUBLE_EQ(hit.Amount, c.Amount) << c.Name;
  EXPECT_EQ(hit.Effect, c.Effect) << c.Name;
  EXPECT_EQ(hit.Impact, 1);
  EXPECT_FALSE(hit.Heal);
  EXPECT_EQ(ctx->Hud.LevelStats.Hits, 1);
  Frame();
  EXPECT_EQ(Count<combat::TPlayerClipSprite>(), 0);
  EXPECT_EQ(Count<combat::TPlayerClipSpriteExplosion>(), 3);
}

INSTANTIATE_TEST_SUITE_P(Colours, ShotHit,
                         ::testing::Values(HitColourCase{"plain", 0, 0, 0, 1.2, 0, 1},
                                           HitColourCase{"double damage", 5, 0, 0, 2.4, 1, 9},
                                           HitColourCase{"burning", 0, 5, 0, 1.2, 2, 10},
                                           HitColourCase{"freezing", 0, 0, 5, 1.2, 3, 11}),
                         [](const auto& info) { return std::to_string(info.index); });

TEST_F(ShipTest, AProtectedLeaderIsNeitherHitNorChosen) {
  AddBox(0.1, 0.0, 0.05, 0.05, /*leader=*/true);
  ctx->Level.FollowerCount = 2;
  for (int i = 0; i < 20; ++i) EXPECT_EQ(combat::ChooseAutoaimTarget(*ctx), -1);
  combat::TShotParams s;
  s.Material = "PlayerClip1";
  s.Speed = 0.7;
  s.Acceleration = 1.8;
  s.Damage = 1.0;
  s.StartX = -0.37;
  combat::MakePlayerShot(*ctx, s);
  RunFor(2.0);
  EXPECT_TRUE(ctx->Enemies.PendingHits.empty());
  EXPECT_EQ(Count<combat::TPlayerClipSprite>(), 0);  // left at the top
  ctx->Level.FollowerCount = 0;
  EXPECT_EQ(combat::ChooseAutoaimTarget(*ctx), 0);
}

TEST_F(ShipTest, AutoaimTakesOnlyActiveBoxesInsideTheField) {
  EXPECT_EQ(combat::ChooseAutoaimTarget(*ctx), -1);  // no enemy
  AddBox(0.8, 0.0);                                   // above the field
  for (int i = 0; i < 10; ++i) EXPECT_EQ(combat::ChooseAutoaimTarget(*ctx), -1);
  AddBox(0.0, 0.0);
  ctx->Enemies.EnemyHitBoxes.push_back({});           // an inactive slot
  ctx->Level.LevelEnemyCount = 3;
  for (int i = 0; i < 20; ++i) {
    const int32_t t = combat::ChooseAutoaimTarget(*ctx);
    EXPECT_TRUE(t == 1 || t == -1) << t;  // the box above the field is refused when drawn
  }
}

TEST_F(ShipTest, ASelfGuidedShotFollowsItsTargetAndGoesOnUpWhenItIsGone) {
  const size_t box = AddBox(0.2, 0.3);
  combat::TShotParams s;
  s.Material = "PlayerClip3";
  s.SelfGuided = true;
  s.Speed = 0.7;
  s.Acceleration = 1.8;
  s.Damage = 0.6;
  s.TargetX = 1.0;
  s.StartX = -0.37;
  combat::TPlayerClipSprite* shot = combat::MakePlayerShot(*ctx, s);
  EXPECT_EQ(shot->TargetBox, int32_t(box));
  Frame();
  EXPECT_GT(shot->Position.z, 0.0f);  // turned toward the box on the left
  // The enemy dies: the box is cleared and released before the shot arrives.
  ctx->Enemies.EnemyHitBoxes[box] = {};
  ctx->Enemies.EnemyHitBoxes[box].Released = true;
  ctx->Level.LevelEnemyCount = 0;
  Frame();
  EXPECT_EQ(shot->TargetBox, -1);
  RunFor(2.0);
  EXPECT_EQ(Count<combat::TPlayerClipSprite>(), 0);  // freed above the field
  EXPECT_TRUE(ctx->Enemies.PendingHits.empty());
}

TEST_F(ShipTest, RocketSalvosCountDownTheStockAndHitHard) {
  data::TPlayer& p = ctx->Player;
  p.RocketLevel = 2;
  p.Rockets = 3;
  ctx->RightClick = true;
  const double dt = 0.001;
  std::vector<double> salvos;
  int32_t stock = p.Rockets;
  for (int i = 0; i < 1500; ++i) {
    Frame(dt);
    if (p.Rockets != stock) {
      EXPECT_EQ(stock - p.Rockets, 1);
      stock = p.Rockets;
      salvos.push_back(i * dt);
      EXPECT_EQ(Count<combat::TPlayerSecondaryClipSprite>() % 2, 0);
    }
  }
  ASSERT_EQ(salvos.size(), 3u);
  EXPECT_DOUBLE_EQ(salvos[0], 0.0);
  EXPECT_NEAR(salvos[1] - salvos[0], 0.425, 3 * dt);
  EXPECT_NEAR(salvos[2] - salvos[1], 0.425, 3 * dt);
  EXPECT_EQ(p.Rockets, 0);
  // With the stock empty nothing more leaves, and rocket hits are not counted as shots.
  RunFor(1.0);
  EXPECT_EQ(p.Rockets, 0);
  EXPECT_EQ(ctx->Hud.LevelStats.Shots, 0);
  ctx->RightClick = false;

  AddBox(0.0, 0.0, 0.1, 0.1);
  combat::FireRockets(*ctx, "PlayerRocket2", -0.37, 0.0);
  for (int i = 0; i < 3000 && ctx->Enemies.PendingHits.size() < 2; ++i) Frame(dt);
  ASSERT_EQ(ctx->Enemies.PendingHits.size(), 2u);
  for (const combat::TPendingHit& hit : ctx->Enemies.PendingHits) {
    EXPECT_DOUBLE_EQ(hit.Amount, 24.0);
    EXPECT_EQ(hit.Impact, combat::kImpactExplosion);
  }
  EXPECT_EQ(ctx->Hud.LevelStats.Hits, 0);
}

TEST_F(ShipTest, ShotsStandStillInThePauseAndGoWhenTheLevelIsLeft) {
  RunFor(0.6);  // the gun's timer fills
  HoldLeft(true);
  Frame();
  ASSERT_EQ(Count<combat::TPlayerClipSprite>(), 1);
  ctx->GameState = "pause";
  combat::TPlayerClipSprite* shot = nullptr;
  for (size_t i = 0; i < ctx->Ship.ParticlesDummy->Count(); ++i)
    if ((shot = dynamic_cast<combat::TPlayerClipSprite*>(ctx->Ship.ParticlesDummy->Child(i)))) break;
  ASSERT_NE(shot, nullptr);
  const float x = shot->Position.x;
  RunFor(0.3);
  EXPECT_FLOAT_EQ(shot->Position.x, x);
  ctx->GameState = "loading";
  Frame();
  EXPECT_EQ(Count<combat::TPlayerClipSprite>(), 0);
  EXPECT_EQ(ctx->Ship.ParticlesDummy->Count(), 0u);  // targets and trails went with them
}

}  // namespace
}  // namespace vlm::test
