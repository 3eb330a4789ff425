// Enemy behaviour through the real scene objects: placeholders, spawning, the hit protocol,
// motion by path code, kind classes, attacks, death and the level being left.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "combat/Enemies.h"
#include "combat/EnemyShots.h"
#include "levels/LevelLoader.h"
#include "context/GameContext.h"
#include "shell/ShellFixture.h"

namespace vlm::combat {
namespace {

constexpr double kFrame = 0.01;

class EnemiesTest : public test::ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    ctx->GameState = "game";
    ctx->Level.Difficulty = 1.0;
    L().SceneDummyCube->Visible = true;
    L().PlayerDummy->Position = glm::vec3(-0.47f, 0.0f, 0.0f);
    // Kind 0: a plain hovering target that never shoots.
    Plain();
  }

  TEnemyModelData& Plain() {
    TEnemyModelData k;
    k.name = "target";
    k.kind = 0;
    k.attackKind = -1;
    k.ImageName = "Target.bmp";
    k.AnimCount = 7;
    k.FrameWidth = 64;
    k.FrameHeight = 64;
    k.ScaleX = 0.073;
    k.ScaleZ = 0.055;
    k.AnimSpeed = 90;
    k.speed = 4.0;
    k.clipspeed = 0.01;  // shots that linger, so each one can be counted
    k.reloadspeed = 1.0;
    k.Strength = 8;
    k.cw = k.ch = 1.0;
    k.clip = "EnemyClip1.bmp";
    k.maxlife = 10;
    k.HealthIndX = 0.048;
    k.expScaleZ = k.expScaleX = 0.12;
    k.expIndex = 1;
    k.splineindex = -2;
    k.scores = 50;
    ctx->EnemyKinds.push_back(k);
    return ctx->EnemyKinds.back();
  }
  int32_t LastKind() const { return int32_t(ctx->EnemyKinds.size() - 1); }

  void Frame(double dt = kFrame) {
    now_ += dt;
    ctx->Scene.Progress(dt, now_);
    ctx->Scene.SweepFreed();
  }
  void Frames(int n, double dt = kFrame) {
    for (int i = 0; i < n; ++i) Frame(dt);
  }

  // A placeholder that spawns at once, and the enemy it becomes (visible from its second frame).
  TEnemyModel* Spawn(int32_t kind, int32_t path, double z, double x, double startZ = 0.0, double startX = 0.0) {
    const size_t before = Enemies().size();
    AddEnemyPlaceholder(*ctx, path, kind, z, x, startZ, startX, 0.0, false);
    Frame();
    const std::vector<TEnemyModel*> all = Enemies();
    EXPECT_EQ(all.size(), before + 1);
    return all.empty() ? nullptr : all.back();
  }

  template <class T>
  std::vector<T*> Live(scene::TGLBaseSceneObject& group) const {
    std::vector<T*> out;
    for (size_t i = 0; i < group.Count(); ++i)
      if (auto* o = dynamic_cast<T*>(group.Child(i)); o && !o->IsFreed()) out.push_back(o);
    return out;
  }
  std::vector<TEnemyModel*> Enemies() const {
    auto all = Live<TEnemyModel>(*ctx->Enemies.MainDummy);
    // In the order they were spawned (shots are put first, enemies keep their order).
    return all;
  }
  std::vector<TEnemyClipSprite*> Shots() const { return Live<TEnemyClipSprite>(*ctx->Enemies.MainDummy); }
  std::vector<TEmptyEnemyModel*> Placeholders() const { return Live<TEmptyEnemyModel>(*L_().EmptyEnemiesDummy); }
  const TLayout& L_() const { return ctx->L; }

  // Queues a hit on whatever box is at the enemy's centre.
  bool Hit(const TEnemyModel& e, double amount, uint8_t effect = 0) {
    if (!HitTestEnemies(*ctx, e.X(), e.Z())) return false;
    ctx->Enemies.PendingHits.back().Amount = amount;
    ctx->Enemies.PendingHits.back().Effect = effect;
    return true;
  }

  double now_ = 0.0;
};

// ------------------------------------------------------------------ placeholders and spawning

TEST_F(EnemiesTest, PlaceholderSpawnsOnTheFirstFrameTheLevelClockReachesItsTime) {
  AddEnemyPlaceholder(*ctx, -2, 0, 0.1, 0.2, 0.0, 0.0, 12.0, false);
  EXPECT_EQ(ctx->Level.LevelEnemyCount, 1);
  ctx->Level.LevelTime = 11.99;
  Frame();
  EXPECT_TRUE(Enemies().empty());
  EXPECT_EQ(Placeholders().size(), 1u);

  ctx->Level.LevelTime = 12.0;
  Frame();
  ASSERT_EQ(Enemies().size(), 1u);
  EXPECT_TRUE(Placeholders().empty());
  TEnemyModel* e = Enemies()[0];
  EXPECT_FALSE(e->Visible);
  EXPECT_FALSE(e->Sprite->Visible);
  EXPECT_EQ(ctx->Level.LevelEnemyCount, 1);
  EXPECT_EQ(ctx->Hud.LevelStats.EnemiesTotal, 1);

  Frame();
  EXPECT_TRUE(e->Visible);
  EXPECT_TRUE(e->Sprite->Visible);
}

TEST_F(EnemiesTest, SpawnTakesLifeReloadAndBoxFromTheKindAndDifficulty) {
  ctx->Level.Difficulty = 2.0;
  TEnemyModel* e = Spawn(0, -2, 0.1, 0.2);
  ASSERT_NE(e, nullptr);
  EXPECT_DOUBLE_EQ(e->MaxLife, 10 * 2.0 * 0.72);
  EXPECT_DOUBLE_EQ(e->Life, e->MaxLife);
  EXPECT_DOUBLE_EQ(e->ReloadInterval, 1.0 / (0.29 * 2.0));
  EXPECT_DOUBLE_EQ(e->HalfZ, 64 * 0.0005);
  EXPECT_DOUBLE_EQ(e->HalfX, 64 * 0.0004);
  EXPECT_DOUBLE_EQ(e->Speed, 4.0 * 0.925);
  EXPECT_EQ(e->HitBox, 0);
  EXPECT_FLOAT_EQ(float(e->Y()), 0.1f);
  const TEnemyHitBox& b = ctx->Enemies.EnemyHitBoxes[0];
  EXPECT_NEAR(b.ZMax - b.ZMin, 2 * e->HalfZ, 1e-6);
  EXPECT_NEAR((b.ZMax + b.ZMin) / 2, e->Z(), 1e-6);
  EXPECT_TRUE(b.HealTarget);
  EXPECT_FALSE(b.Leader);
}

// ------------------------------------------------------------------ hit boxes

TEST_F(EnemiesTest, AllocateHitBoxReusesOnlyFreeSlotsNoHitNames) {
  TEnemyState& s = ctx->Enemies;
  EXPECT_EQ(AllocateHitBox(s), 0);
  EXPECT_EQ(AllocateHitBox(s), 1);  // slot 0 is not released yet
  s.EnemyHitBoxes[0].Released = true;
  s.EnemyHitBoxes[1].Released = true;
  TPendingHit h;
  h.HitBox = 0;
  s.PendingHits.push_back(h);  // a hit still names slot 0
  EXPECT_EQ(AllocateHitBox(s), 1);
  SetHitBox(s, 1, true, false, 0.0, 0.01, 0.01, 0.2, 0.2);  // active again
  s.PendingHits.clear();
  EXPECT_EQ(AllocateHitBox(s), 0);
  s.EnemyHitBoxes[0].Released = false;
  EXPECT_EQ(AllocateHitBox(s), 2);
}

TEST_F(EnemiesTest, HitTestIsStrictAndTakesTheFirstBox) {
  TEnemyState& s = ctx->Enemies;
  s.EnemyHitBoxes.resize(3);
  SetHitBox(s, 0, true, false, 0.0, 0.1, 0.1, 0.0, 0.0);  // X -0.1..0.1, Z -0.1..0.1
  SetHitBox(s, 1, true, false, 0.0, 0.1, 0.1, 0.05, 0.05);
  struct Case {
    double x, z;
    int64_t box;  // -1: nothing hit
  } cases[] = {{0.0, 0.0, 0}, {0.12, 0.12, 1}, {0.1, 0.0, 1}, {-0.1, 0.0, -1}, {0.0, -0.1, -1}, {0.3, 0.3, -1}};
  for (const Case& c : cases) {
    s.PendingHits.clear();
    EXPECT_EQ(HitTestEnemies(*ctx, c.x, c.z), c.box >= 0) << c.x << ", " << c.z;
    if (c.box >= 0) {
      ASSERT_EQ(s.PendingHits.size(), 1u);
      EXPECT_EQ(s.PendingHits[0].HitBox, c.box);
      EXPECT_EQ(s.PendingHits[0].Amount, 0.0);
      EXPECT_FALSE(s.PendingHits[0].Heal);
    } else {
      EXPECT_TRUE(s.PendingHits.empty());
    }
  }
}

TEST_F(EnemiesTest, FindMostDamagedEnemyRules) {
  TEnemyState& s = ctx->Enemies;
  struct Box {
    double damage;
    bool healTarget;
    bool active;
  };
  struct Case {
    const char* what;
    std::vector<Box> boxes;
    int32_t enemyCount;
    int32_t expected;
  } cases[] = {
      {"nobody hurt", {{0, true, true}, {0, true, true}}, 2, -1},
      {"the most hurt", {{1, true, true}, {3, true, true}, {2, true, true}}, 3, 1},
      {"a tie goes to the later box", {{2, true, true}, {2, true, true}}, 2, 1},
      {"no heal target", {{1, true, true}, {5, false, true}}, 2, 0},
      {"an inactive box", {{1, true, true}, {5, true, false}}, 2, 0},
      {"boxes past the enemy count", {{1, true, true}, {5, true, true}}, 1, 0},
      {"an enemy count past the boxes", {{1, true, true}, {5, true, true}}, 9, 1},
      {"no enemies", {{1, true, true}}, 0, -1},
  };
  for (const Case& c : cases) {
    s.EnemyHitBoxes.assign(c.boxes.size(), TEnemyHitBox{});
    for (size_t i = 0; i < c.boxes.size(); ++i) {
      SetHitBox(s, int32_t(i), c.boxes[i].healTarget, false, c.boxes[i].damage, 0.02, 0.02, 0.1 * double(i), 0.1);
      if (!c.boxes[i].active) ClearHitBox(s, int32_t(i));
    }
    ctx->Level.LevelEnemyCount = c.enemyCount;
    EXPECT_EQ(FindMostDamagedEnemy(*ctx), c.expected) << c.what;
  }
}

TEST_F(EnemiesTest, AQueuedHitIsAppliedOnTheEnemysNextFrame) {
  TEnemyModel* e = Spawn(0, -2, 0.1, 0.2);
  Frame();
  const double life = e->Life;
  ASSERT_TRUE(Hit(*e, 1.5));
  ASSERT_TRUE(Hit(*e, 2.0));  // the box is still open until the enemy applies the first
  Frame();
  EXPECT_DOUBLE_EQ(e->Life, life - 1.5);
  ASSERT_EQ(ctx->Enemies.PendingHits.size(), 1u);
  EXPECT_EQ(ctx->Enemies.PendingHits[0].Amount, 2.0);
  EXPECT_FLOAT_EQ(e->StatusSprite->AlphaChannel, 1.0f);
  EXPECT_FLOAT_EQ(e->BarFrame->AlphaChannel, 1.0f);
  Frame();
  EXPECT_NEAR(e->Life, life - 3.5, 1e-9);
  EXPECT_TRUE(ctx->Enemies.PendingHits.empty());
  Frame();  // the box shows the damage once the enemy registers it again
  EXPECT_NEAR(ctx->Enemies.EnemyHitBoxes[size_t(e->HitBox)].DamageTaken, 3.5, 1e-9);
}

TEST_F(EnemiesTest, AHitClearsTheBoxForTheRestOfTheFrame) {
  TEnemyModel* e = Spawn(0, -2, 0.1, 0.2);
  Frame();
  ASSERT_TRUE(Hit(*e, 1.0));
  Frame();
  // The enemy applied the hit after re-registering: nothing can hit it until its next frame.
  EXPECT_FALSE(HitTestEnemies(*ctx, e->X(), e->Z()));
  Frame();
  EXPECT_TRUE(HitTestEnemies(*ctx, e->X(), e->Z()));
}

TEST_F(EnemiesTest, HealAddsWithDifficultyCapsAndDropsTheQueuedDamage) {
  ctx->Level.Difficulty = 2.0;
  TEnemyModel* e = Spawn(0, -2, 0.1, 0.2);
  Frame();
  e->Life = e->MaxLife - 5.0;
  ASSERT_TRUE(Hit(*e, 1.0));
  ctx->Enemies.PendingHits.back().Heal = true;
  ASSERT_TRUE(Hit(*e, 3.0));  // damage queued behind the heal is dropped
  Frame();
  EXPECT_DOUBLE_EQ(e->Life, e->MaxLife - 5.0 + 1.0 + 1.0 * 2.0);
  EXPECT_TRUE(ctx->Enemies.PendingHits.empty());
  ASSERT_TRUE(Hit(*e, 10.0));
  ctx->Enemies.PendingHits.back().Heal = true;
  Frame();
  EXPECT_DOUBLE_EQ(e->Life, e->MaxLife);
}

// ------------------------------------------------------------------ death

TEST_F(EnemiesTest, DeathScoresExactlyOnceAndClearsItsTraces) {
  TEnemyModel* e = Spawn(0, -2, 0.1, 0.2);
  Frame();
  const int32_t box = e->HitBox;
  ASSERT_TRUE(Hit(*e, 100.0));
  ASSERT_TRUE(Hit(*e, 100.0));
  ctx->Enemies.PendingHits.push_back(TPendingHit{-1, 5.0, 0, 0, false});  // someone else's
  Frame();
  EXPECT_TRUE(Enemies().empty());
  EXPECT_EQ(ctx->Player.Scores, 100);
  EXPECT_EQ(ctx->Level.LevelEnemyCount, 0);
  EXPECT_EQ(ctx->Hud.LevelStats.EnemiesDestroyed, 1);
  ASSERT_EQ(ctx->Enemies.PendingHits.size(), 1u);
  EXPECT_EQ(ctx->Enemies.PendingHits[0].HitBox, -1);
  const TEnemyHitBox& b = ctx->Enemies.EnemyHitBoxes[size_t(box)];
  EXPECT_TRUE(b.Released);
  EXPECT_EQ(b.ZMax, 0.0);
  EXPECT_FALSE(HitTestEnemies(*ctx, 0.2, 0.1));
  Frames(5);
  EXPECT_EQ(ctx->Player.Scores, 100);
  // The box is free for the next enemy.
  ctx->Enemies.PendingHits.clear();
  TEnemyModel* next = Spawn(0, -2, 0.3, 0.2);
  EXPECT_EQ(next->HitBox, box);
}

TEST_F(EnemiesTest, BonusDropsOnlyInsideTheFieldAndOnlyFromPlacedEnemies) {
  ctx->Level.BonusDropChances.fill(200);
  struct Case {
    double z;
    bool spawned;
    int64_t score;
    int32_t bonuses;
  } cases[] = {{0.3, false, 100, 1}, {-0.449, false, 100, 1}, {0.45, false, 100, 0}, {-0.47, false, 100, 0},
               {0.3, true, 0, 0}};
  for (const Case& c : cases) {
    ctx->Player.Scores = 0;
    ctx->Hud.LevelStats = {};
    AddEnemyPlaceholder(*ctx, -1, 0, c.z, 0.2, 0.0, 0.0, 0.0, c.spawned);
    Frame();
    ASSERT_EQ(Enemies().size(), 1u);
    TEnemyModel* e = Enemies()[0];
    EXPECT_EQ(e->Spawned, c.spawned);
    // Kill it where it stands, before the patrol moves it.
    ctx->Enemies.PendingHits.push_back(TPendingHit{e->HitBox, 1000.0, 0, 0, false});
    Frame();
    EXPECT_TRUE(Enemies().empty());
    EXPECT_EQ(ctx->Player.Scores, c.score) << c.z;
    EXPECT_EQ(ctx->Hud.LevelStats.BonusesTotal, c.bonuses) << c.z;
    EXPECT_EQ(ctx->Level.LiveSpawnCount, 0);
    Frames(100);  // let the capsules and explosions go
  }
}

TEST_F(EnemiesTest, ABurnThatTakesTheLastLifeKillsWithFullReward) {
  TEnemyModel* e = Spawn(0, -2, 0.1, 0.2);
  Frame();
  e->Life = 0.5;  // the burn takes 2 a second: gone within 0.25 s
  ASSERT_TRUE(Hit(*e, 0.1, kEffectBurn));
  Frame();
  EXPECT_DOUBLE_EQ(e->BurnTimer, 10.0);
  int frames = 0;
  while (!Enemies().empty() && frames < 100) {
    Frame();
    ++frames;
  }
  EXPECT_TRUE(Enemies().empty());
  EXPECT_NEAR(frames * kFrame, 0.4 / 2.0, 0.02);
  EXPECT_EQ(ctx->Player.Scores, 100);
  EXPECT_EQ(ctx->Level.LevelEnemyCount, 0);
}

TEST_F(EnemiesTest, FreezeStopsThePatrolForTwoSecondsOfGameTime) {
  TEnemyModel* e = Spawn(0, -1, 0.0, 0.2);
  Frame();
  ASSERT_TRUE(Hit(*e, 0.1, kEffectFreeze));
  Frame();
  const float z = e->Position.z;
  Frames(150);
  EXPECT_FLOAT_EQ(e->Position.z, z);
  EXPECT_GT(e->Sprite->Interval, 90);  // animates slowly
  Frames(60);
  EXPECT_NE(e->Position.z, z);
  EXPECT_EQ(e->Sprite->Interval, 90);
  EXPECT_NEAR(e->Life, e->MaxLife - 0.1 - 2.0, 0.05);
}

// ------------------------------------------------------------------ motion

TEST_F(EnemiesTest, PatrolReversesOnTheEdgeItCrossedAndComesBackIn) {
  TEnemyModel* e = Spawn(0, -1, 0.5, 0.2);
  const double speed = e->Speed;
  ASSERT_GT(speed, 0.0);
  Frame();
  EXPECT_DOUBLE_EQ(e->Speed, -speed);
  EXPECT_NEAR(e->Z(), 0.48 - speed * 0.08 * kFrame, 1e-6);
  Frame();
  EXPECT_NEAR(e->Z(), 0.48 - speed * 0.08 * kFrame - speed * 0.04 * kFrame, 1e-6);
  // And at the other edge.
  TEnemyModel* f = Spawn(0, -1, -0.49, 0.2);
  f->Speed = -speed;
  Frame();
  EXPECT_DOUBLE_EQ(f->Speed, speed);
  EXPECT_NEAR(f->Z(), -0.48 + speed * 0.08 * kFrame, 1e-6);
}

TEST_F(EnemiesTest, HoverCirclesItsAnchor) {
  TEnemyModel* e = Spawn(0, -2, 0.1, 0.2);
  double minZ = 1, maxZ = -1;
  for (int i = 0; i < 300; ++i) {
    Frame();
    EXPECT_NEAR(std::hypot(e->Z() - 0.1, e->X() - 0.2), 0.008, 1e-5);
    minZ = std::min(minZ, e->Z());
    maxZ = std::max(maxZ, e->Z());
  }
  EXPECT_GT(maxZ - minZ, 0.015);
}

TEST_F(EnemiesTest, RoamerEasesTowardItsWaypoint) {
  TEnemyModel* e = Spawn(0, -3, 0.0, 0.0);
  ASSERT_NE(e->Waypoint, nullptr);
  ASSERT_NE(e->Carrot, nullptr);
  e->Waypoint->Position = glm::vec3(0.3f, 0.0f, -0.3f);
  const double y = e->Y();
  const double start = std::hypot(e->X() - 0.3, e->Z() + 0.3);
  Frames(500);
  EXPECT_LT(std::hypot(e->X() - 0.3, e->Z() + 0.3), start * 0.6);  // slowing as it arrives
  Frames(2500);
  // It settles near the Carrot (0.015), which settles near the Waypoint (0.025).
  EXPECT_NEAR(e->X(), 0.3, 0.04);
  EXPECT_NEAR(e->Z(), -0.3, 0.04);
  EXPECT_DOUBLE_EQ(e->Y(), y);  // it stays on its layer
  EXPECT_FALSE(ctx->Enemies.EnemyHitBoxes[size_t(e->HitBox)].HealTarget);
}

TEST_F(EnemiesTest, FollowersHangFromTheLeaderWhichTheyShield) {
  TEnemyModelData& leader = Plain();
  leader.kind = kClassLeader;
  const int32_t leaderKind = LastKind();
  TEnemyModel* lead = Spawn(leaderKind, -1, 0.0, 0.3);
  TEnemyModel* f1 = Spawn(0, -5, 0.1, -0.05);
  TEnemyModel* f2 = Spawn(0, -5, -0.1, -0.05);
  EXPECT_EQ(ctx->Level.FollowerCount, 2);
  EXPECT_DOUBLE_EQ(f1->MaxLife, 10 * 0.65 * 3.2);
  Frames(20);
  // Followers take the leader's place of the frame before (they are progressed first).
  const double step = std::fabs(lead->Speed) * 0.04 * kFrame + 1e-6;
  EXPECT_NEAR(f1->Z(), lead->Z() + 0.1, step);
  EXPECT_NEAR(f1->X(), lead->X() - 0.05, 1e-6);
  EXPECT_NEAR(f2->Z(), lead->Z() - 0.1, step);

  // Shots pass through the leader while a follower lives.
  EXPECT_FALSE(HitTestEnemies(*ctx, lead->X(), lead->Z()));
  ctx->Enemies.PendingHits.push_back(TPendingHit{f1->HitBox, 1000.0, 0, 0, false});
  ctx->Enemies.PendingHits.push_back(TPendingHit{f2->HitBox, 1000.0, 0, 0, false});
  Frame();
  EXPECT_EQ(ctx->Level.FollowerCount, 0);
  Frame();
  EXPECT_TRUE(HitTestEnemies(*ctx, lead->X(), lead->Z()));
}

TEST_F(EnemiesTest, DiveFliesToItsTargetAndTurnsIntoAHover) {
  // (target z, target x, start z, start x): a slanting dive, and straight-down dives from right
  // above the target as the shipped levels place them, where the Carrot waits beyond the target.
  const double cases[][4] = {{0.2, 0.25, -0.4, 0.7}, {0.0, 0.34, 0.0, 0.65}, {0.0, 0.32, 0.0, 0.7},
                             {0.25, 0.3, 0.35, 0.65}, {-0.3, 0.36, -0.45, 0.65}, {0.0, 0.3, 0.0, 0.75}};
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << "target " << c[0] << "," << c[1] << " from " << c[2] << "," << c[3]);
    TEnemyModel* e = Spawn(0, -6, c[0], c[1], c[2], c[3]);
    EXPECT_NEAR(e->Z(), c[2], 1e-6);
    EXPECT_NEAR(e->X(), c[3], 1e-6);
    int frames = 0;
    while (e->PathCode == kPathDive && frames < 1000) {  // 16 s of play
      Frame();
      ++frames;
    }
    ASSERT_EQ(e->PathCode, kPathHover);
    EXPECT_EQ(e->Carrot, nullptr);
    EXPECT_EQ(e->Waypoint, nullptr);
    EXPECT_NEAR(e->Z(), c[0], 0.05);
    EXPECT_NEAR(e->X(), c[1], 0.05);
    const double x = e->X(), z = e->Z();
    Frames(100);
    EXPECT_NEAR(e->X(), x, 0.009);
    EXPECT_NEAR(e->Z(), z, 0.017);
  }
}

TEST_F(EnemiesTest, NavPathIsFlownAndAOneWayPathEndsWithoutReward) {
  levels::TNodesPath path;
  path.Looped = false;
  path.Nodes.push_back({1.0, 0.3, 0.0, -0.25, 0.0, 0.0, 0.0});
  path.Nodes.push_back({1.0, 0.3, 0.0, 0.25, 0.0, 0.0, 0.0});  // 4 world units: 4 s
  ctx->Level.NavPaths.push_back(path);
  AddEnemyPlaceholder(*ctx, 0, 0, 0.0, 0.0, 0.0, 0.0, 1.0, false);
  ctx->Level.LevelTime = 1.0;
  Frame();
  ASSERT_EQ(Enemies().size(), 1u);
  TEnemyModel* e = Enemies()[0];
  ASSERT_NE(e->Follower, nullptr);
  Frames(200);
  EXPECT_NEAR(e->X(), 0.3, 1e-4);
  EXPECT_NEAR(e->Z(), 0.0, 0.01);
  int frames = 0;
  while (!Enemies().empty() && frames < 1000) {
    Frame();
    ++frames;
  }
  EXPECT_TRUE(Enemies().empty());
  EXPECT_NEAR(200 + frames, 400, 5);
  EXPECT_EQ(ctx->Level.LevelEnemyCount, 0);
  EXPECT_EQ(ctx->Player.Scores, 0);
  EXPECT_EQ(ctx->Hud.LevelStats.EnemiesDestroyed, 0);
  EXPECT_TRUE(ctx->Enemies.EnemyHitBoxes[0].Released);
}

TEST_F(EnemiesTest, EnemiesStandStillOutsidePlay) {
  TEnemyModel* e = Spawn(0, -1, 0.0, 0.2);
  Frames(2);
  ctx->GameState = "pausemenu";
  const float z = e->Position.z;
  Frames(50);
  EXPECT_EQ(e->Position.z, z);
  EXPECT_EQ(e->Sprite->Interval, -1);
  ctx->GameState = "game";
  Frame();
  EXPECT_NE(e->Position.z, z);
}

// ------------------------------------------------------------------ classes and attacks

TEST_F(EnemiesTest, BurstsFireOneIntervalApartThenRestTen) {
  TEnemyModelData& k = Plain();
  k.attackKind = 0;
  k.attackcount = 3;
  ctx->Level.Difficulty = 1.0 / 0.29;  // reload interval 1 s
  Spawn(LastKind(), -2, 0.3, 0.3);
  std::vector<double> times;
  size_t shots = 0;
  for (int i = 0; i < 1700; ++i) {
    Frame();
    const size_t n = Shots().size();
    if (n > shots) times.push_back(i * kFrame);
    shots = n;
  }
  ASSERT_GE(times.size(), 6u);
  const double expected[] = {1, 1, 11, 1, 1};
  for (size_t i = 0; i < 5; ++i) EXPECT_NEAR(times[i + 1] - times[i], expected[i], 0.03) << i;
}

TEST_F(EnemiesTest, AttackKindsFireTheirShots) {
  struct Case {
    int32_t attackKind;
    size_t shots;
    std::vector<int32_t> patterns;
  } cases[] = {{-1, 0, {}}, {7, 0, {}}, {0, 1, {0}}, {1, 1, {1}}, {2, 1, {2}},
               {3, 2, {3, 3}}, {4, 3, {4, 4, 4}}, {5, 5, {5, 5, 5, 5, 5}}, {9, 3, {9, 9, 1}}};
  for (const Case& c : cases) {
    TEnemyModelData& k = Plain();
    k.attackKind = c.attackKind;
    TEnemyModel* e = Spawn(LastKind(), -2, 0.3, 0.3);
    e->ReloadTimer = e->ReloadInterval;  // fire on its next frame
    const size_t before = Shots().size();
    Frame();
    std::vector<TEnemyClipSprite*> shots = Shots();
    ASSERT_EQ(shots.size() - before, c.shots) << c.attackKind;
    std::vector<int32_t> patterns;
    // New shots are made first children of the playfield: the newest is first.
    for (size_t i = 0; i < c.shots; ++i) patterns.push_back(shots[c.shots - 1 - i]->Pattern);
    EXPECT_EQ(patterns, c.patterns) << c.attackKind;
    ctx->GameState = "loading";
    Frame();
    ctx->GameState = "game";
  }
}

TEST_F(EnemiesTest, ARingEnemyBurstsIntoEightShots) {
  TEnemyModelData& k = Plain();
  k.kind = kClassRing;
  TEnemyModel* e = Spawn(LastKind(), -2, 0.1, 0.2);
  Frame();
  ctx->Enemies.PendingHits.push_back(TPendingHit{e->HitBox, 1000.0, 0, 0, false});
  Frame();
  size_t ring = 0;
  for (TEnemyClipSprite* s : Shots()) ring += s->Pattern == 7;
  EXPECT_EQ(ring, 8u);
}

TEST_F(EnemiesTest, SpawnersLaunchChildrenUpToTheirLimit) {
  TEnemyModelData& child = Plain();
  child.splineindex = -1;
  const int32_t childKind = LastKind();
  TEnemyModelData& k = Plain();
  k.attackKind = 6;
  k.CreateEnemyIndex = childKind;
  k.CreateEnemyMaxCount = 2;
  k.reloadspeed = 0.29;  // one launch every 0.1 s... of which only two may live
  ctx->Level.Difficulty = 10.0;
  Spawn(LastKind(), -2, 0.1, 0.3);
  Frames(200);
  std::vector<TEnemyModel*> all = Enemies();
  ASSERT_EQ(all.size(), 3u);
  EXPECT_EQ(ctx->Level.LiveSpawnCount, 2);
  EXPECT_EQ(ctx->Level.LevelEnemyCount, 3);
  int children = 0;
  for (TEnemyModel* e : all)
    if (e->Spawned) {
      ++children;
      EXPECT_EQ(e->PathCode, -1);
      EXPECT_EQ(e->KindIndex, childKind);
    }
  EXPECT_EQ(children, 2);
  // A child's death frees a place for the next.
  for (TEnemyModel* e : all)
    if (e->Spawned) {
      ctx->Enemies.PendingHits.push_back(TPendingHit{e->HitBox, 1000.0, 0, 0, false});
      break;
    }
  Frame();
  EXPECT_EQ(ctx->Level.LiveSpawnCount, 1);
  EXPECT_EQ(ctx->Player.Scores, 0);
  Frames(100);
  EXPECT_EQ(ctx->Level.LiveSpawnCount, 2);
}

TEST_F(EnemiesTest, TurretTracksTheShipAcrossTheScreen) {
  TEnemyModelData& k = Plain();
  k.kind = kClassTurret;
  k.attackKind = -2;
  TEnemyModel* e = Spawn(LastKind(), -2, 0.0, 0.4);
  ASSERT_NE(e->Carrot, nullptr);
  L().PlayerDummy->Position.z = 0.3f;
  bool fired = false;
  for (int i = 0; i < 300 && !fired; ++i) {
    Frame();
    fired = !Shots().empty();
  }
  EXPECT_NEAR(e->Carrot->Position.z, 0.3, 0.03);
  EXPECT_FLOAT_EQ(e->Carrot->Position.x, L().PlayerDummy->Position.x);
  EXPECT_TRUE(fired);
}

TEST_F(EnemiesTest, HealerGoesToTheMostDamagedEnemy) {
  TEnemyModelData& k = Plain();
  k.kind = kClassHealer;
  TEnemyModel* patient = Spawn(0, -2, 0.3, 0.1);
  TEnemyModel* healer = Spawn(LastKind(), -3, -0.3, 0.3);
  ctx->Enemies.PendingHits.push_back(TPendingHit{patient->HitBox, 3.0, 0, 0, false});
  Frames(1500);
  EXPECT_EQ(healer->HealTargetBox, patient->HitBox);
  EXPECT_NEAR(healer->Z(), patient->Z(), 0.06);
  EXPECT_NEAR(healer->X(), patient->X(), 0.06);
}

// ------------------------------------------------------------------ leaving the level

TEST_F(EnemiesTest, LeavingTheLevelDiscardsEverythingAndZeroesTheCounters) {
  for (int way = 0; way < 2; ++way) {
    TEnemyModelData& leader = Plain();
    leader.kind = kClassLeader;
    Spawn(LastKind(), -1, 0.0, 0.3);
    Spawn(0, -5, 0.1, -0.05);
    Spawn(0, -3, 0.0, 0.0);
    AddEnemyPlaceholder(*ctx, -2, 0, 0.1, 0.1, 0.0, 0.0, 50.0, false);
    ctx->Level.LiveSpawnCount = 1;
    EXPECT_EQ(ctx->Level.LevelEnemyCount, 4);
    if (way == 0)
      ctx->GameState = "loading";
    else
      L().MainMenuDummy->Visible = true;
    Frame();
    EXPECT_TRUE(Enemies().empty()) << way;
    EXPECT_TRUE(Placeholders().empty()) << way;
    EXPECT_EQ(ctx->Level.LevelEnemyCount, 0);
    EXPECT_EQ(ctx->Level.LiveSpawnCount, 0);
    EXPECT_EQ(ctx->Level.FollowerCount, 0);
    // Nothing of theirs is left on the playfield.
    EXPECT_TRUE(Live<scene::TGLPolygon>(*ctx->Enemies.MainDummy).empty());
    EXPECT_EQ(ctx->L.EnemiesDummyCube->Count(), 0u);
    ctx->GameState = "game";
    L().MainMenuDummy->Visible = false;
  }
}

TEST_F(EnemiesTest, LoaderPlacementsBecomePlaceholders) {
  levels::TPlacement p;
  p.PathCode = -6;
  p.KindIndex = 0;
  p.Z = 0.1;
  p.X = 0.2;
  p.StartZ = -0.5;
  p.StartX = 0.7;
  p.AppearTime = 3.5;
  TEmptyEnemyModel* ph = AddEnemyPlaceholder(*ctx, p);
  EXPECT_EQ(ph->PathCode, -6);
  EXPECT_EQ(ph->StartX, 0.7);
  EXPECT_EQ(ph->AppearTime, 3.5);
  EXPECT_FALSE(ph->Spawned);
  EXPECT_EQ(ph->Parent(), L().EmptyEnemiesDummy);
  EXPECT_EQ(ctx->Level.LevelEnemyCount, 1);
}

}  // namespace
}  // namespace vlm::combat
