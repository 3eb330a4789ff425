#include "combat/Bonuses.h"

#include "combat/Explosions.h"
#include "combat/ExplosionsTestFixture.h"
#include "combat/Player.h"
#include "combat/Weapons.h"
#include "sound/SoundUnit.h"

namespace vlm::test {
namespace {

using combat::TBonusInterFaceSprite;
using combat::TBonusSprite;

class BonusesTest : public AftermathTest {
 protected:
  // A capsule dropped right on the ship is taken on the next frame of play.
  void Take(int32_t kind) {
    const glm::vec3 p = L().PlayerDummy->Position;
    combat::DropBonus(*ctx, kind, 0.11, 0.085, p.x, p.z);
    Frame();
  }
  // The one-second timer's upkeep of play: the ship's shields, then the bonus timers.
  void Seconds(int n) {
    for (int i = 0; i < n; ++i) {
      combat::PlayerSecondTick(*ctx);
      combat::CountDownBonusTimers(*ctx);
      Frame();
    }
  }
  std::vector<TBonusInterFaceSprite*> Icons() {
    std::vector<TBonusInterFaceSprite*> out;
    for (size_t i = 0; i < L().InterFaceDummyCube->Count(); ++i)
      if (auto* icon = dynamic_cast<TBonusInterFaceSprite*>(L().InterFaceDummyCube->Child(i)))
        if (!icon->IsFreedSelf()) out.push_back(icon);
    return out;
  }
};

TEST_F(BonusesTest, TimedBonusesLastLongerWithBonusStrength) {
  const int32_t expected[] = {10, 11, 12, 14, 15, 16, 18, 19, 20};
  for (int32_t level = 0; level <= 8; ++level) EXPECT_EQ(combat::BonusDuration(level), expected[level]) << level;
  EXPECT_EQ(combat::BonusDuration(200), 20) << "a damaged save's level reads as the last row";
}

TEST_F(BonusesTest, FollowerAlwaysLeavesOneOfSixKinds) {
  std::array<int, 13> seen{};
  for (int i = 0; i < 600; ++i) ++seen[size_t(combat::ChooseBonus(*ctx, true))];
  for (int k : {2, 3, 6, 9, 10, 11}) EXPECT_GT(seen[size_t(k)], 50) << k;
  EXPECT_EQ(seen[2] + seen[3] + seen[6] + seen[9] + seen[10] + seen[11], 600);
}

TEST_F(BonusesTest, ArmorIsNeverChosenWithoutArmorFitted) {
  ctx->Level.BonusDropChances.fill(0);
  ctx->Level.BonusDropChances[2] = 200;  // armour alone, almost every time
  ctx->Player.ArmorLevel = 0;
  for (int i = 0; i < 300; ++i) EXPECT_EQ(combat::ChooseBonus(*ctx, false), 0);
  ctx->Player.ArmorLevel = 1;
  int armour = 0;
  for (int i = 0; i < 300; ++i) armour += combat::ChooseBonus(*ctx, false) == combat::kBonusArmor;
  EXPECT_GT(armour, 290) << "a draw of 0 gives nothing";
}

TEST_F(BonusesTest, DropChancesFollowTheLevelsTable) {
  ctx->Level.BonusDropChances.fill(0);
  EXPECT_EQ(combat::ChooseBonus(*ctx, false), 0);
  ctx->Level.BonusDropChances[11] = 200;
  int slowMotion = 0;
  for (int i = 0; i < 200; ++i) slowMotion += combat::ChooseBonus(*ctx, false) == combat::kBonusSlowMotion;
  EXPECT_GT(slowMotion, 190);
}

TEST_F(BonusesTest, DropSetsUpTheCapsuleAndCountsIt) {
  ctx->Aftermath.LiveExplosions = 2;
  TBonusSprite* a = combat::DropBonus(*ctx, 7, 0.11, 0.085, 0.2, -0.1);
  TBonusSprite* b = combat::DropBonus(*ctx, 2, 0.11, 0.085, 0.2, -0.1);
  EXPECT_EQ(combat::DropBonus(*ctx, 0, 0.11, 0.085, 0.2, -0.1), nullptr);
  EXPECT_EQ(ctx->Aftermath.LiveBonuses, 2);
  EXPECT_EQ(ctx->Hud.LevelStats.BonusesTotal, 2);
  EXPECT_FLOAT_EQ(a->Sprite->Scale.z, 0.085f * 1.23f);
  EXPECT_FLOAT_EQ(b->Sprite->Scale.x, 0.11f * 1.15f);
  EXPECT_FLOAT_EQ(b->Position.y, 0.501f);
  EXPECT_FLOAT_EQ(b->Sprite->Position.y, -0.001f - 0.02f);
  EXPECT_EQ(b->Sprite->CurrentAnimation()->LibMaterialName, "bonus2.bmp");
  EXPECT_EQ(b->Sprite->MaterialLibrary, &ctx->BonusMaterialLibrary);
  EXPECT_EQ(b->Sprite->AnimationMode, scene::TSpriteAnimationMode::Loop);
}

TEST_F(BonusesTest, CapsuleDriftsOutAndNoLongerHoldsBackTheLevel) {
  ctx->TimeScale = 0.5;
  L().PlayerDummy->Position.z = 0.3f;  // not in its way
  TBonusSprite* b = combat::DropBonus(*ctx, 1, 0.11, 0.085, 0.0, 0.0);
  RunFor(1.0);
  EXPECT_NEAR(b->Sprite->Position.x, -0.14f, 1e-4f) << "it drifts at frame speed";
  ctx->GameState = "pausemenu";
  RunFor(1.0);
  EXPECT_NEAR(b->Sprite->Position.x, -0.14f, 1e-4f) << "it waits during the pause";
  ctx->GameState = "game";
  RunFor(3.9);  // X -0.686
  EXPECT_EQ(ctx->Aftermath.LiveBonuses, 1);
  RunFor(0.2);
  EXPECT_EQ(Count<TBonusSprite>(), 0);
  EXPECT_EQ(ctx->Aftermath.LiveBonuses, 0);
  EXPECT_EQ(ctx->Hud.LevelStats.BonusesTaken, 0);
  EXPECT_EQ(ctx->Player.Scores, 0);
}

TEST_F(BonusesTest, LeavingTheLevelClearsTheCapsules) {
  for (int i = 0; i < 3; ++i) combat::DropBonus(*ctx, 2, 0.11, 0.085, 0.3, 0.3);
  ctx->GameState = "loading";
  Frame();
  EXPECT_EQ(Count<TBonusSprite>(), 0);
  EXPECT_EQ(ctx->Aftermath.LiveBonuses, 0);
}

TEST_F(BonusesTest, PickUpPlaysItsSoundAndLeavesSplinters) {
  ctx->Options.SoundVolume = 0.5;
  L().PlayerDummy->Position.z = 0.1f;
  const uint64_t before = Audio().StartCount();
  Take(combat::kBonusRockets);
  ASSERT_EQ(Audio().StartCount(), before + 1);
  const sound::SoundStart& s = Audio().RecentStart(0);
  EXPECT_EQ(s.Name(), "bonus6");
  EXPECT_EQ(s.volume, 50 * 40 - 4000);
  EXPECT_EQ(s.pan, -100) << "pan follows the capsule across the screen";
  EXPECT_EQ(ctx->Player.Rockets, 6 + 4);
  EXPECT_EQ(ctx->Hud.LevelStats.BonusesTaken, 1);
  EXPECT_EQ(ctx->Aftermath.LiveBonuses, 0);
  EXPECT_EQ(Count<TBonusSprite>(), 0);
  EXPECT_EQ(Count<combat::TExplosionSplinter>(), 3);
}

TEST_F(BonusesTest, NoPickUpDuringTheGameOver) {
  L().GomSprite->Visible = true;
  Take(combat::kBonusRockets);
  EXPECT_EQ(Count<TBonusSprite>(), 1);
  EXPECT_EQ(ctx->Player.Rockets, 6);
}

TEST_F(BonusesTest, HealthArmorAndScore) {
  data::TPlayer& p = ctx->Player;
  struct Case {
    int32_t kind;
    uint8_t strength, armorLevel;
    double health;
    int32_t armor, satellite;
    double healthAfter;
    int32_t armorAfter;
    int64_t scoreAfter;
    int splinters;
  };
  const Case cases[] = {
      {combat::kBonusHealth, 0, 0, 95.0, 0, 0, 100.0, 0, 0, 3},   // capped at 100
      {combat::kBonusHealth, 2, 0, 40.0, 0, 0, 70.0, 0, 0, 3},    // 0.3 of 100
      {combat::kBonusArmor, 2, 3, 50.0, 10, 0, 50.0, 41, 0, 3},   // Round(75 x 0.35) + 5
      {combat::kBonusArmor, 5, 1, 50.0, 20, 0, 50.0, 25, 0, 3},   // capped at the maximum
      {combat::kBonusArmor, 5, 0, 50.0, 0, 0, 50.0, 0, 0, 0},     // nothing without armour
      {combat::kBonusScore, 0, 0, 50.0, 0, 0, 50.0, 0, 100, 3},
      {combat::kBonusScore, 0, 0, 50.0, 0, 3, 50.0, 0, 200, 3},   // doubled with the satellite
  };
  for (const Case& c : cases) {
    p.BonusStrengthLevel = c.strength;
    p.ArmorLevel = c.armorLevel;
    p.Health = c.health;
    p.Armor = c.armor;
    p.SatelliteSeconds = c.satellite;
    p.Scores = 0;
    Take(c.kind);
    EXPECT_DOUBLE_EQ(p.Health, c.healthAfter) << "kind " << c.kind;
    EXPECT_EQ(p.Armor, c.armorAfter) << "kind " << c.kind;
    EXPECT_EQ(p.Scores, c.scoreAfter) << "kind " << c.kind;
    EXPECT_EQ(Count<combat::TExplosionSplinter>(), c.splinters) << "kind " << c.kind;
    ctx->GameState = "loading";  // clear the splinters
    Frame();
    ctx->GameState = "game";
  }
}

TEST_F(BonusesTest, SecondShieldAddsToTheFirstWithOneIcon) {
  ctx->Player.BonusStrengthLevel = 2;
  Take(combat::kBonusShield);
  EXPECT_EQ(ctx->Player.ShieldSeconds, 12);
  EXPECT_TRUE(ctx->Ship.PlayerHitSphere->Visible);
  Seconds(5);
  EXPECT_EQ(ctx->Player.ShieldSeconds, 7);
  Take(combat::kBonusShield);
  EXPECT_EQ(ctx->Player.ShieldSeconds, 19);
  Frame();
  ASSERT_EQ(Icons().size(), 1u);
  EXPECT_EQ(ctx->Aftermath.BonusIconCount, 1);
  EXPECT_EQ(Icons()[0]->Text->Text, "19");
  Seconds(19);
  EXPECT_EQ(ctx->Player.ShieldSeconds, 0);
  EXPECT_TRUE(Icons().empty());
  EXPECT_EQ(ctx->Aftermath.BonusIconCount, 0);
}

TEST_F(BonusesTest, ShotColoursExcludeEachOtherAndShareOneIcon) {
  data::TPlayer& p = ctx->Player;
  Take(combat::kBonusDoubleDamage);
  EXPECT_EQ(p.DoubleDamageSeconds, 10);
  ASSERT_EQ(Icons().size(), 1u);
  EXPECT_EQ(Icons()[0]->Material.GetLibMaterialName(), "bonus9border.bmp");
  Seconds(3);
  Take(combat::kBonusFreezeShot);
  EXPECT_EQ(p.DoubleDamageSeconds, 0);
  EXPECT_EQ(p.FreezeShotSeconds, 10);
  Frame();
  ASSERT_EQ(Icons().size(), 1u);
  EXPECT_EQ(Icons()[0]->Material.GetLibMaterialName(), "bonus11border.bmp");
  EXPECT_EQ(Icons()[0]->Text->Text, "10");
  Take(combat::kBonusBurnShot);
  Frame();
  EXPECT_EQ(p.FreezeShotSeconds, 0);
  EXPECT_EQ(p.BurnShotSeconds, 10);
  ASSERT_EQ(Icons().size(), 1u);
  EXPECT_EQ(Icons()[0]->Material.GetLibMaterialName(), "bonus10border.bmp");
}

TEST_F(BonusesTest, IconsMoveUpAsTimersEnd) {
  data::TPlayer& p = ctx->Player;
  Take(combat::kBonusShield);      // slot 1
  Take(combat::kBonusSatellite);   // slot 2
  Take(combat::kBonusSlowMotion);  // slot 3
  EXPECT_TRUE(ctx->Ship.Bonus5Sprite->Visible);
  EXPECT_TRUE(L().SlowMotionBlur->Visible);
  ASSERT_EQ(Icons().size(), 3u);
  EXPECT_EQ(ctx->Aftermath.BonusIconKinds[3], combat::kBonusSlowMotion);
  TBonusInterFaceSprite* slow = Icons()[2];
  EXPECT_FLOAT_EQ(slow->Position.y, combat::BonusIconSlotY(*ctx, 3));
  EXPECT_FLOAT_EQ(slow->Position.x, 980.0f * ctx->ViewportWidth / 1024.0f);
  p.ShieldSeconds = 0;  // the ship was destroyed
  Frame();
  ASSERT_EQ(Icons().size(), 2u);
  EXPECT_EQ(ctx->Aftermath.BonusIconCount, 2);
  EXPECT_EQ(ctx->Aftermath.BonusIconKinds[1], combat::kBonusSatellite);
  EXPECT_EQ(ctx->Aftermath.BonusIconKinds[2], combat::kBonusSlowMotion);
  EXPECT_EQ(ctx->Aftermath.BonusIconKinds[3], 0);
  Frame();
  EXPECT_FLOAT_EQ(slow->Position.y, combat::BonusIconSlotY(*ctx, 2));
  EXPECT_FLOAT_EQ(slow->Text->Position.y, combat::BonusIconSlotY(*ctx, 2) - 8.0f * ctx->ViewportHeight / 768.0f);
  // The satellite is hidden on the first tick after its time has run out.
  p.SatelliteSeconds = 1;
  Seconds(1);
  EXPECT_TRUE(ctx->Ship.Bonus5Sprite->Visible);
  Seconds(1);
  EXPECT_FALSE(ctx->Ship.Bonus5Sprite->Visible);
  L().MainMenuDummy->Visible = true;
  Frame();
  EXPECT_TRUE(Icons().empty());
  EXPECT_EQ(ctx->Aftermath.BonusIconCount, 0);
}

TEST_F(BonusesTest, RocketWallAndFan) {
  const int before = Count<combat::TPlayerSecondaryClipSprite>();
  Take(combat::kBonusRocketWall);
  EXPECT_EQ(Count<combat::TPlayerSecondaryClipSprite>(), before + 7);
  EXPECT_EQ(Count<combat::TExplosionSplinter>(), 0) << "rocket barrages leave no splinters";
  Take(combat::kBonusRocketFan);
  EXPECT_EQ(Count<combat::TPlayerSecondaryClipSprite>(), before + 12);
  int aimed = 0;
  for (size_t i = 0; i < ctx->Ship.MainDummy2->Count(); ++i)
    if (auto* r = dynamic_cast<combat::TPlayerSecondaryClipSprite*>(ctx->Ship.MainDummy2->Child(i)))
      if (!r->IsFreedSelf() && r->Target) {
        ++aimed;
        EXPECT_GT(r->Target->Position.x, 0.4f) << "aimed at the top of the screen";
      }
  EXPECT_EQ(aimed, 5);
}

TEST_F(BonusesTest, SlowMotionBonusStartsTheBlurFromClear) {
  SetMaterialAlpha(*L().SlowMotionBlur, 0.7f);
  Take(combat::kBonusSlowMotion);
  EXPECT_EQ(ctx->Player.SlowMotionSeconds, 10);
  EXPECT_FLOAT_EQ(MaterialAlpha(*L().SlowMotionBlur), 0.0f);
  EXPECT_TRUE(L().SlowMotionBlur->Visible);
}

}  // namespace
}  // namespace vlm::test
