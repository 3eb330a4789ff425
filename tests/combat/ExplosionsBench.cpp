// Frame cost of a busy battle's aftermath: enemy shots in flight, explosions, splinters with
// their trails, sparks and capsules, all stepped through the scene as the game does.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "combat/Bonuses.h"
#include "combat/EnemyCatalogue.h"
#include "combat/EnemyShots.h"
#include "combat/Explosions.h"
#include "context/GameContext.h"
#include "shell/Game.h"

namespace {

using namespace vlm;

struct World {
  World() {
    root = std::filesystem::temp_directory_path() / ("vlm_aftermath_bench_" + std::to_string(::getpid()));
    std::filesystem::create_directories(root / "game");
    std::filesystem::create_directories(root / "user");
    GameContextConfig cfg;
    cfg.WorkingFolder = root / "game";
    cfg.AppDataFolder = root / "user";
    ctx = shell::MakeGame(cfg);
    if (!ctx->Scene.FindObject("MainDummy")) {
      auto* d = ctx->L.GLDummyCube2->AddNewChild<scene::TGLDummyCube>();
      d->Name = "MainDummy";
      d->Scale = {6.0f, 0.1f, 8.0f};
    }
    ctx->GameState = "game";
    ctx->L.MainMenuDummy->Visible = false;
    ctx->L.SceneDummyCube->Visible = true;
    ctx->L.PlayerDummy->Position = {-0.47f, 0.0f, 0.6f};  // out of the way of the shots
    ctx->Player.Lifes = 3;
  }
  ~World() {
    ctx.reset();
    std::error_code ec;
    std::filesystem::remove_all(root, ec);
  }
  void Frame(double dt) {
    now += dt;
    ctx->DeltaTime = dt;
    ctx->FrameTime = now;
    ctx->Scene.Progress(dt, now);
    ctx->Scene.SweepFreed();
  }
  std::filesystem::path root;
  std::unique_ptr<GameContext> ctx;
  double now = 0.0;
};

// Shots that stand (pattern -1) and explosions frozen in the pause keep the population steady,
// so each iteration is one frame over the same objects; splinters fly on in the pause.
void BM_PausedBattleFrame(benchmark::State& state) {
  World w;
  combat::TEnemyModelData kind;
  kind.Strength = 4;
  kind.clipspeed = 0.6;
  kind.fx = 0;
  kind.clip = "EnemyClip1.bmp";
  const int n = int(state.range(0));
  for (int i = 0; i < n; ++i) {
    combat::MakeEnemyShot(*w.ctx, kind, -0.4 + 0.8 * i / n, 0.3, 0.1, -1, 0, 0, false);
    combat::Explode(*w.ctx, "exp1", 0.0, 0.0, -0.1, 0.1, 0.1);
    combat::DropBonus(*w.ctx, 1 + i % 12, 0.11, 0.085, 0.3, -0.4 + 0.8 * i / n);
  }
  w.ctx->GameState = "pausemenu";
  for (auto _ : state) w.Frame(0.016);
  state.SetItemsProcessed(state.iterations() * n * 3);
}
BENCHMARK(BM_PausedBattleFrame)->Arg(50)->Arg(200);

// A burst of an enemy's death in play: one explosion, five splinters and three sparks made
// and run to their end.
void BM_DeathBurstLifetime(benchmark::State& state) {
  World w;
  for (auto _ : state) {
    combat::Explode(*w.ctx, "exp1", 0.1, 0.2, -0.1, 0.1, 0.1);
    for (int i = 0; i < 5; ++i) combat::Splinter(*w.ctx, 1, 0.2, 0.1);
    for (int i = 0; i < 3; ++i) combat::Spark(*w.ctx, "PlayerClipExplosionParticle", 0.2, 0.1);
    for (int f = 0; f < 50; ++f) w.Frame(0.016);
  }
}
BENCHMARK(BM_DeathBurstLifetime);

}  // namespace

BENCHMARK_MAIN();
