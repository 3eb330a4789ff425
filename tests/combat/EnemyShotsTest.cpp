#include "combat/EnemyShots.h"

#include <cmath>

#include "combat/Enemies.h"
#include "combat/Explosions.h"
#include "combat/ExplosionsTestFixture.h"

namespace vlm::test {
namespace {

using combat::MakeEnemyShot;
using combat::TEnemyClipSprite;

class EnemyShotsTest : public AftermathTest {
 protected:
  // Steps until the one shot is gone, remembering where it was last seen.
  bool RunUntilGone(double maxSeconds) {
    for (double t = 0.0; t < maxSeconds; t += 0.02) {
      TEnemyClipSprite* s = First<TEnemyClipSprite>();
      if (!s) return true;
      lastPos_ = s->Position;
      Frame();
    }
    return false;
  }
  glm::vec3 lastPos_{};
};

TEST_F(EnemyShotsTest, SpeedAndDamageComeFromTheKindAndTheDifficulty) {
  struct Case {
    double D;
    int32_t strength;
    double clipspeed;
    int32_t damage;
    double speed;
  };
  const Case cases[] = {
      {2.0, 5, 0.6, 5, 1.0},   // Trunc(5 x 2 / 2), 2 / 1.2 x 0.6
      {1.5, 7, 0.6, 5, 0.75},  // Trunc(5.25)
      {1.0, 3, 1.2, 1, 1.0},   // Trunc(1.5)
      {0.5, 1, 0.6, 0, 0.25},  // a weak shot at an easy level does no damage
  };
  for (const Case& c : cases) {
    ctx->Level.Difficulty = c.D;
    TEnemyClipSprite* s = MakeEnemyShot(*ctx, Kind(c.strength, c.clipspeed, 0.25), 0.1, 0.3, 0.1, 0, 0, 0, false);
    EXPECT_EQ(s->Damage, c.damage) << "D " << c.D << " Strength " << c.strength;
    EXPECT_NEAR(s->Speed, c.speed, 1e-12);
    EXPECT_DOUBLE_EQ(s->Acceleration, 0.25);
    EXPECT_EQ(s->Parent(), field);
    EXPECT_EQ(s->Index(), 0) << "the shot is its parent's first child";
    EXPECT_FLOAT_EQ(s->Sprite->Width, 1.0f);
    EXPECT_FLOAT_EQ(s->Trail->Position.x, 0.45f) << "the trail starts 0.15 above the shot";
  }
}

TEST_F(EnemyShotsTest, TargetPlacementByPattern) {
  L().PlayerDummy->Position = {-0.47f, 0.0f, 0.21f};
  struct Case {
    int32_t pattern;
    float x, z;  // where the aim point is put
  };
  const Case cases[] = {
      {1, -0.47f, 0.21f}, {2, -0.47f, 0.21f},                    // at the ship now
      {-2, -0.35f, 0.3f}, {3, -0.35f, 0.3f}, {4, -0.35f, 0.3f},  // at the passed point
      {5, -0.35f, 0.3f},  {7, -0.35f, 0.3f}, {9, -0.35f, 0.3f}, {8, -0.35f, 0.3f},
      {-1, 0.0f, 0.0f},   {0, 0.0f, 0.0f},   {6, 0.0f, 0.0f},  // none
  };
  for (const Case& c : cases) {
    TEnemyClipSprite* s = MakeEnemyShot(*ctx, Kind(), 0.1, 0.2, 0.05, c.pattern, 0.3, -0.35, false);
    EXPECT_FLOAT_EQ(s->Target->Position.x, c.x) << "pattern " << c.pattern;
    EXPECT_FLOAT_EQ(s->Target->Position.z, c.z) << "pattern " << c.pattern;
    EXPECT_FLOAT_EQ(s->Target->Position.y, 0.05f);
    EXPECT_FLOAT_EQ(s->Scale.x, c.pattern == 8 ? 0.03f : 1.0f);
  }
}

TEST_F(EnemyShotsTest, StraightShotFallsAtItsSpeedAndLeavesPastTheBorder) {
  ctx->Level.Difficulty = 1.2;
  L().PlayerDummy->Position = {-0.47f, 0.0f, 0.4f};  // out of its way
  TEnemyClipSprite* s = MakeEnemyShot(*ctx, Kind(4, 0.5), 0.0, 0.0, 0.1, 0, 0, 0, false);
  RunFor(1.0);
  ASSERT_EQ(Count<TEnemyClipSprite>(), 1);
  EXPECT_NEAR(s->Position.x, -0.5, 1e-4);
  EXPECT_NEAR(s->Sprite->Position.x, -0.5 + 0.01, 1e-4) << "the sprite shows last frame's place";
  EXPECT_NEAR(s->Trail->Position.x, -0.5, 1e-4);
  const size_t children = field->Count();
  RunFor(0.38);  // X -0.69
  EXPECT_EQ(Count<TEnemyClipSprite>(), 1);
  RunFor(0.04);  // X -0.71
  EXPECT_EQ(Count<TEnemyClipSprite>(), 0);
  EXPECT_EQ(field->Count(), children - 4) << "the sprite, aim point and trail go with the shot";
}

TEST_F(EnemyShotsTest, SlowMotionSlowsAShot) {
  ctx->TimeScale = 0.5;
  L().PlayerDummy->Position = {-0.47f, 0.0f, 0.4f};
  TEnemyClipSprite* s = MakeEnemyShot(*ctx, Kind(4, 1.2), 0.0, 0.0, 0.1, 0, 0, 0, false);
  RunFor(0.5);
  EXPECT_NEAR(s->Position.x, -0.25, 1e-4);
}

TEST_F(EnemyShotsTest, ShotsStandStillInThePauseMenuAndResume) {
  L().PlayerDummy->Position = {-0.47f, 0.0f, 0.4f};
  TEnemyClipSprite* s = MakeEnemyShot(*ctx, Kind(4, 1.2, 0.5), 0.0, 0.2, 0.1, 3, 0.1, -1, false);
  RunFor(0.2);
  const glm::vec3 at = s->Position;
  const double speed = s->Speed;
  for (const char* state : {"pausemenu", "pause", "pm_options", "levelintro2", "cutscene"}) {
    ctx->GameState = state;
    RunFor(0.5);
    EXPECT_EQ(s->Position, at) << state;
    EXPECT_EQ(s->Speed, speed) << state;
  }
  ctx->GameState = "game";
  Frame();
  EXPECT_LT(s->Position.x, at.x);
}

TEST_F(EnemyShotsTest, StatisticsAndLeavingTheLevelRemoveShots) {
  for (const char* state : {"statistics", "loading"}) {
    MakeEnemyShot(*ctx, Kind(), 0.0, 0.2, 0.1, 0, 0, 0, false);
    ctx->GameState = state;
    Frame();
    EXPECT_EQ(Count<TEnemyClipSprite>(), 0) << state;
    ctx->GameState = "game";
  }
  MakeEnemyShot(*ctx, Kind(), 0.0, 0.2, 0.1, -1, 0, 0, false);
  L().MainMenuDummy->Visible = true;
  Frame();
  EXPECT_EQ(Count<TEnemyClipSprite>(), 0);
}

TEST_F(EnemyShotsTest, RingShotEndsAtItsAimPoint) {
  TEnemyClipSprite* s = MakeEnemyShot(*ctx, Kind(4, 0.6), 0.0, 0.2, 0.1, combat::kShotRing, 0.2, 0.4, false);
  Frame();
  EXPECT_GT(s->Position.z, 0.0f);
  EXPECT_GT(s->Position.x, 0.2f);
  ASSERT_TRUE(RunUntilGone(2.0));
  EXPECT_LT(std::fabs(lastPos_.z - 0.2f), 0.02f);
  EXPECT_LT(std::fabs(lastPos_.x - 0.4f), 0.02f);
}

TEST_F(EnemyShotsTest, HomingShotFollowsTheShipAcross) {
  L().PlayerDummy->Position = {-0.47f, 0.0f, 0.0f};
  TEnemyClipSprite* s = MakeEnemyShot(*ctx, Kind(4, 0.6), 0.0, 0.3, 0.1, 2, 0, 0, false);
  L().PlayerDummy->Position.z = 0.3f;
  Frame();
  EXPECT_FLOAT_EQ(s->Target->Position.z, 0.3f);
  RunFor(0.3);
  EXPECT_GT(s->Position.z, 0.02f) << "it turns toward the ship's new place";
}

TEST_F(EnemyShotsTest, ShotThatReachesTheShipHitsItOnce) {
  struct Case {
    int32_t strength;
    int32_t armor;
    uint8_t hitShield;
    int32_t shield;
    int32_t armorAfter;
    double healthAfter;
  };
  const Case cases[] = {
      {14, 5, 0, 0, 0, 98.0},    // 7 damage: the armour takes 5, health the other 2
      {14, 20, 0, 0, 13, 100.0}, // armour alone
      {14, 5, 2, 0, 5, 100.0},   // within 3 s of the last hit: no harm
      {14, 5, 0, 4, 5, 100.0},   // shield bonus: no harm
  };
  for (const Case& c : cases) {
    ctx->Player.Armor = c.armor;
    ctx->Player.Health = 100.0;
    ctx->Player.HitShieldSeconds = c.hitShield;
    ctx->Player.ShieldSeconds = c.shield;
    MakeEnemyShot(*ctx, Kind(c.strength, 1.2), 0.0, -0.38, 0.1, 0, 0, 0, false);
    RunFor(0.2);
    EXPECT_EQ(Count<TEnemyClipSprite>(), 0) << "the shot is removed either way";
    EXPECT_EQ(ctx->Player.Armor, c.armorAfter) << "armour " << c.armor;
    EXPECT_DOUBLE_EQ(ctx->Player.Health, c.healthAfter) << "armour " << c.armor;
  }
}

TEST_F(EnemyShotsTest, ShotPassesBesideTheShipAndDuringTheGameOver) {
  L().PlayerDummy->Position = {-0.47f, 0.0f, 0.03f};  // 0.03 across: outside the 0.022 half width
  MakeEnemyShot(*ctx, Kind(14, 1.2), 0.0, -0.38, 0.1, 0, 0, 0, false);
  RunFor(0.3);
  EXPECT_DOUBLE_EQ(ctx->Player.Health, 100.0);
  L().PlayerDummy->Position.z = 0.0f;
  L().GomSprite->Visible = true;
  MakeEnemyShot(*ctx, Kind(14, 1.2), 0.0, -0.38, 0.1, 0, 0, 0, false);
  RunFor(0.3);
  EXPECT_DOUBLE_EQ(ctx->Player.Health, 100.0);
}

TEST_F(EnemyShotsTest, HealingShotHealsTheEnemyWhereItArrives) {
  ctx->Level.Difficulty = 2.0;
  combat::TEnemyState& es = ctx->Enemies;
  const int32_t box = combat::AllocateHitBox(es);
  combat::SetHitBox(es, box, true, false, 3.0, 0.05, 0.05, 0.3, 0.1);
  MakeEnemyShot(*ctx, Kind(3, 0.6), 0.0, 0.0, 0.1, combat::kShotHeal, 0.1, 0.3, true);
  ASSERT_TRUE(RunUntilGone(2.0));
  ASSERT_EQ(es.PendingHits.size(), 1u);
  EXPECT_EQ(es.PendingHits[0].HitBox, box);
  EXPECT_TRUE(es.PendingHits[0].Heal);
  EXPECT_DOUBLE_EQ(es.PendingHits[0].Amount, 3.0 * 2.0);  // Trunc(3 x 2 / 2) x D
  EXPECT_EQ(Count<combat::TExplosionSplinter>(), 3);
}

TEST_F(EnemyShotsTest, HealingShotWithoutAnEnemyOnlyMakesItsSplinters) {
  MakeEnemyShot(*ctx, Kind(3, 0.6), 0.0, 0.0, 0.1, combat::kShotHeal, 0.1, 0.3, true);
  ASSERT_TRUE(RunUntilGone(2.0));
  EXPECT_TRUE(ctx->Enemies.PendingHits.empty());
  EXPECT_EQ(Count<combat::TExplosionSplinter>(), 3);
}

}  // namespace
}  // namespace vlm::test
