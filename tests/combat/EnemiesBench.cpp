// The heavy-level benchmark: about 150 live enemies of every path code and kind class
// progressing in "game", hit now and then, with their shots, explosions and bonuses. Prints
// the time of one frame of the scene's objects; not a test.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <string>

#include <unistd.h>

#include "combat/Enemies.h"
#include "context/GameContext.h"
#include "shell/Game.h"

namespace {

using namespace vlm;
using namespace vlm::combat;

struct HeavyLevel {
  std::filesystem::path root;
  std::unique_ptr<GameContext> ctx;
  double now = 0.0;

  explicit HeavyLevel(int enemies) {
    root = std::filesystem::temp_directory_path() / ("vlm_enemies_bench_" + std::to_string(::getpid()));
    std::filesystem::create_directories(root / "game");
    std::filesystem::create_directories(root / "user");
    GameContextConfig cfg;
    cfg.WorkingFolder = root / "game";
    cfg.AppDataFolder = root / "user";
    ctx = shell::MakeGame(cfg);
    ctx->GameState = "game";
    ctx->Level.Difficulty = 1.5;
    ctx->L.SceneDummyCube->Visible = true;
    ctx->L.PlayerDummy->Position = glm::vec3(-0.47f, 0.0f, 0.0f);

    // Kinds: plain shooters of every attack kind, a ring, a healer, a spawner, a turret, a leader.
    const int attacks[] = {0, 1, 2, 3, 4, 5, 9, -1};
    for (int a : attacks) AddKind(0, a);
    const int ring = AddKind(kClassRing, 7);
    const int healer = AddKind(kClassHealer, 8);
    const int child = AddKind(0, 1);
    ctx->EnemyKinds[size_t(child)].splineindex = -1;
    const int spawner = AddKind(kClassSpawner, -1);
    ctx->EnemyKinds[size_t(spawner)].CreateEnemyIndex = child;
    ctx->EnemyKinds[size_t(spawner)].CreateEnemyMaxCount = 6;
    const int turret = AddKind(kClassTurret, -2);
    const int leader = AddKind(kClassLeader, 3);

    // A looping nav path across the screen.
    levels::TNodesPath path;
    path.Looped = true;
    path.Nodes.push_back({0.8, 0.4, 0.0, -0.45, 0.0, 90.0, 0.0});
    path.Nodes.push_back({1.0, 0.1, 0.0, 0.0, 0.0, 120.0, 0.0});
    path.Nodes.push_back({0.8, 0.4, 0.0, 0.45, 0.0, 90.0, 0.0});
    path.Nodes.push_back({1.0, 0.3, 0.0, -0.3, 0.0, 60.0, 0.0});
    ctx->Level.NavPaths.push_back(path);

    AddEnemyPlaceholder(*ctx, -1, leader, 0.0, 0.35, 0, 0, 0, false);
    for (int i = 0; i < enemies - 8; ++i) {
      const double z = -0.45 + 0.9 * double(i % 15) / 14.0;
      const double x = -0.1 + 0.05 * double(i / 15);
      const int kind = int(i % 8);
      switch (i % 6) {
        case 0: AddEnemyPlaceholder(*ctx, -2, kind, z, x, 0, 0, 0, false); break;
        case 1: AddEnemyPlaceholder(*ctx, -1, kind, z, x, 0, 0, 0, false); break;
        case 2: AddEnemyPlaceholder(*ctx, -3, kind, z, x, 0, 0, 0, false); break;
        case 3: AddEnemyPlaceholder(*ctx, -6, kind, z, x, z, 0.7, 0, false); break;
        case 4: AddEnemyPlaceholder(*ctx, 0, kind, z, x, 0, 0, 0.01 * i, false); break;
        default: AddEnemyPlaceholder(*ctx, -5, kind, 0.05 * (i % 5) - 0.1, -0.05 * (i % 3) - 0.05, 0, 0, 0, false);
      }
    }
    AddEnemyPlaceholder(*ctx, -2, ring, 0.2, 0.3, 0, 0, 0, false);
    AddEnemyPlaceholder(*ctx, -3, healer, -0.2, 0.3, 0, 0, 0, false);
    AddEnemyPlaceholder(*ctx, -3, spawner, 0.0, 0.2, 0, 0, 0, false);
    AddEnemyPlaceholder(*ctx, -2, turret, -0.3, 0.4, 0, 0, 0, false);
    ctx->Level.LevelTime = 10.0;
    for (int i = 0; i < 120; ++i) Frame();
  }
  ~HeavyLevel() {
    ctx.reset();
    std::error_code ec;
    std::filesystem::remove_all(root, ec);
  }

  int AddKind(int kindClass, int attack) {
    TEnemyModelData k;
    k.kind = kindClass;
    k.attackKind = attack;
    k.attackcount = 3;
    k.ImageName = "Bench.bmp";
    k.AnimCount = 7;
    k.FrameWidth = k.FrameHeight = 64;
    k.ScaleX = 0.073;
    k.ScaleZ = 0.055;
    k.AnimSpeed = 80;
    k.speed = 4.0;
    k.clipspeed = 0.6;
    k.clipspeedUp = 0.3;
    k.reloadspeed = 1.2;
    k.Strength = 6;
    k.cw = k.ch = 1.2;
    k.fx = attack & 3;
    k.clip = "EnemyClip1.bmp";
    k.maxlife = 1000000;  // they live through the whole run
    k.HealthIndX = 0.048;
    k.expScaleZ = k.expScaleX = 0.12;
    k.expIndex = 1 + (attack & 1);
    k.splineindex = -2;
    k.scores = 50;
    ctx->EnemyKinds.push_back(k);
    return int(ctx->EnemyKinds.size() - 1);
  }

  void Frame() {
    const double dt = 1.0 / 60.0;
    now += dt;
    // A stream of hits, as a firing ship makes.
    for (int i = 0; i < 4; ++i) {
      const double z = -0.45 + 0.9 * ctx->Rng(1000) / 1000.0;
      const double x = -0.1 + 0.5 * ctx->Rng(1000) / 1000.0;
      if (HitTestEnemies(*ctx, x, z)) {
        ctx->Enemies.PendingHits.back().Amount = 1.0;
        ctx->Enemies.PendingHits.back().Impact = uint8_t(i == 0 ? 2 : 0);
        ctx->Enemies.PendingHits.back().Effect = uint8_t(i == 1 ? 2 : (i == 2 ? 3 : 0));
      }
    }
    ctx->Level.LevelTime += dt / 2.0;
    ctx->Scene.Progress(dt, now);
    ctx->Scene.SweepFreed();
  }
};

void BM_HeavyLevelFrame(benchmark::State& state) {
  HeavyLevel level(int(state.range(0)));
  for (auto _ : state) level.Frame();
  state.counters["enemies"] = double(level.ctx->Level.LevelEnemyCount);
  state.counters["boxes"] = double(level.ctx->Enemies.EnemyHitBoxes.size());
}
BENCHMARK(BM_HeavyLevelFrame)->Arg(150)->Unit(benchmark::kMicrosecond);

void BM_HitTestEnemies(benchmark::State& state) {
  HeavyLevel level(150);
  double z = -0.5;
  for (auto _ : state) {
    z = z > 0.5 ? -0.5 : z + 0.001;
    benchmark::DoNotOptimize(HitTestEnemies(*level.ctx, -0.3, z));  // below the enemies: a full scan
  }
}
BENCHMARK(BM_HitTestEnemies)->Unit(benchmark::kNanosecond);

}  // namespace

BENCHMARK_MAIN();
