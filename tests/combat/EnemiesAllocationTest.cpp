// Living enemies allocate nothing frame to frame: counts every heap allocation while enemies of
// every motion fly, get hit, burn, freeze and heal. (Runs alone: it replaces operator new.)
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "combat/Enemies.h"
#include "context/GameContext.h"
#include "shell/ShellFixture.h"

namespace {
std::atomic<long> gAllocations{0};
}

void* operator new(std::size_t n) {
  ++gAllocations;
  if (void* p = std::malloc(n ? n : 1)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t n) { return operator new(n); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace vlm::combat {
namespace {

class EnemiesAllocationTest : public test::ShellTest {};

TEST_F(EnemiesAllocationTest, SteadyEnemyFramesAllocateNothing) {
  ctx->GameState = "game";
  ctx->L.SceneDummyCube->Visible = true;
  for (int kindClass : {0, kClassHealer, kClassTurret, kClassLeader}) {
    TEnemyModelData k;
    k.kind = kindClass;
    k.attackKind = -1;  // shots are objects created by the game: not steady state
    k.ImageName = "Quiet.bmp";
    k.AnimCount = 7;
    k.FrameWidth = k.FrameHeight = 64;
    k.AnimSpeed = 80;
    k.speed = 4.0;
    k.reloadspeed = 1.0;
    k.maxlife = 100000;
    ctx->EnemyKinds.push_back(k);
  }
  levels::TNodesPath path;
  path.Looped = true;
  path.Nodes.push_back({1.0, 0.3, 0.0, -0.3, 0.0, 0.0, 0.0});
  path.Nodes.push_back({1.0, 0.2, 0.0, 0.3, 0.0, 45.0, 0.0});
  path.Nodes.push_back({1.0, 0.3, 0.0, -0.3, 0.0, 0.0, 0.0});
  ctx->Level.NavPaths.push_back(path);
  AddEnemyPlaceholder(*ctx, -1, 3, 0.0, 0.35, 0, 0, 0, false);
  AddEnemyPlaceholder(*ctx, -5, 0, 0.1, -0.05, 0, 0, 0, false);
  AddEnemyPlaceholder(*ctx, -2, 0, 0.2, 0.2, 0, 0, 0, false);
  AddEnemyPlaceholder(*ctx, -3, 0, 0.0, 0.0, 0, 0, 0, false);
  AddEnemyPlaceholder(*ctx, -3, 1, -0.2, 0.1, 0, 0, 0, false);
  AddEnemyPlaceholder(*ctx, -2, 2, -0.3, 0.4, 0, 0, 0, false);
  AddEnemyPlaceholder(*ctx, -6, 0, 0.3, 0.2, -0.3, 0.7, 0, false);
  AddEnemyPlaceholder(*ctx, 0, 0, 0.0, 0.0, 0, 0, 0.5, false);
  ctx->Level.LevelTime = 1.0;

  double now = 0.0;
  int frame = 0;
  auto run = [&](int frames) {
    for (int i = 0; i < frames; ++i, ++frame) {
      // A hit every few frames on the hovering enemy, cycling red, burn and freeze.
      if (frame % 7 == 0 && HitTestEnemies(*ctx, 0.2, 0.2)) {
        ctx->Enemies.PendingHits.back().Amount = 1.0;
        ctx->Enemies.PendingHits.back().Effect = uint8_t(frame % 3 == 0 ? 0 : (frame % 3 == 1 ? 2 : 3));
      }
      now += 0.016;
      ctx->Scene.Progress(0.016, now);
      ctx->Scene.SweepFreed();
    }
  };
  run(300);  // spawning, the dive, first hits of every colour
  const long before = gAllocations.load();
  run(600);
  EXPECT_EQ(gAllocations.load() - before, 0);
  EXPECT_EQ(ctx->Level.LevelEnemyCount, 8);
}

}  // namespace
}  // namespace vlm::combat
