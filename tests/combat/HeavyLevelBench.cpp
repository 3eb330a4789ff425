// The heavy level: one whole frame of the real game (timers, the frame clock, the per-frame
// handler and every object of the scene) in the middle of a crowded fight, for 50 to 400
// live enemies with 500 player shots, 300 enemy shots, 40 explosions, 120 splinters and 12
// bonus capsules on screen. Prints microseconds and heap allocations per frame; not a test.
//
// The game is the real one started headless over the built content archive. Level 1 is
// replaced by a level whose placements are the crowd, all appearing at once on motions
// that keep them on screen; the enemies are made tough enough to live through the run and
// the ship is shielded, so nothing the measurement needs goes away. Shots, explosions,
// splinters and capsules that end during a frame are made again between frames, outside
// the timed region, with the same routines the game uses.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <new>
#include <string>

#include <unistd.h>

#include "combat/Bonuses.h"
#include "combat/Enemies.h"
#include "combat/EnemyShots.h"
#include "combat/Explosions.h"
#include "combat/Weapons.h"
#include "data/Archive.h"
#include "data/DataStore.h"
#include "levels/LevelRun.h"
#include "context/GameContext.h"
#include "shell/Game.h"
#include "shell/HeadlessDriver.h"
#include "shell/InputScript.h"

namespace {
std::atomic<long> gAllocations{0};
}

void* operator new(std::size_t n) {
  gAllocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(n ? n : 1)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t n) { return operator new(n); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace {

using namespace vlm;
using namespace vlm::combat;
namespace fs = std::filesystem;

constexpr int kPlayerShots = 500;
constexpr int kEnemyShots = 300;
constexpr int kExplosions = 40;
constexpr int kSplinters = 120;
constexpr int kBonuses = 12;

// Kinds of the catalogue that neither launch nor spawn others, so the crowd stays its size.
constexpr int kKinds[] = {0, 1, 2, 3, 4, 6, 8, 9, 10, 13};
// Patrol, hover, roam, and the looping flight path 8.
constexpr int kPaths[] = {-1, -2, -3, 8};

std::string Decimal(double v) {
  std::string s = std::to_string(v);
  for (char& c : s)
    if (c == '.') c = ',';
  return s;
}

// A level 1 whose placements are `enemies` enemies appearing in the first tenth of a second.
std::string CrowdLevel(const std::string& original, int enemies) {
  std::string text = original.substr(0, original.find("\n[0]"));
  for (int i = 0; i < enemies; ++i) {
    const double z = -0.42 + 0.84 * double(i % 21) / 20.0;
    const double x = -0.15 + 0.6 * double((i / 21) % 20) / 19.0;
    text += "\n[" + std::to_string(i) + "]\nindex=" + std::to_string(kKinds[i % std::size(kKinds)]) +
            "\nsplineindex=" + std::to_string(kPaths[(i / 3) % std::size(kPaths)]) + "\nx=" + Decimal(x) +
            "\nz=" + Decimal(z) + "\nsx=0\nsz=0\nAAT=" + Decimal(0.001 * (i % 100)) + "\n";
  }
  return text;
}

struct HeavyLevel {
  fs::path root;
  std::unique_ptr<GameContext> ctx;
  std::unique_ptr<shell::HeadlessDriver> driver;
  int wanted = 0;

  explicit HeavyLevel(int enemies) : wanted(enemies) {
    const char* build = std::getenv("VLM_BUILD_DIR");
    if (!build) build = VLM_BUILD_DIR_DEFAULT;
    root = fs::temp_directory_path() / ("vlm_heavy_level_" + std::to_string(::getpid()));
    fs::create_directories(root / "game");
    fs::create_directories(root / "user");
    // The content archive with level 1 replaced by the crowd.
    const data::Archive original = data::Archive::Open(fs::path(build) / "original.vlm");
    std::vector<data::ArchiveInput> files;
    for (size_t i = 0; i < original.Entries().size(); ++i) {
      data::ArchiveInput in{original.Entries()[i].name, original.ReadEntry(i)};
      if (data::FoldArchiveName(in.name) == "data/t_data/levels/1.ini") {
        const std::string level = CrowdLevel(std::string(in.bytes.begin(), in.bytes.end()), enemies);
        in.bytes.assign(level.begin(), level.end());
      }
      files.push_back(std::move(in));
    }
    data::WriteArchive(root / "game" / "original.vlm", files, false);

    shell::THeadlessGameConfig cfg;
    cfg.WorkingFolder = root / "game";
    cfg.AppDataFolder = root / "user";
    cfg.Seed = 11;
    std::string error;
    ctx = shell::CreateHeadlessGame(cfg, &error);
    if (!ctx) throw std::runtime_error("the game did not start: " + error);
    driver = std::make_unique<shell::HeadlessDriver>(*ctx, 16);
    levels::StartLevelDirect(*ctx, 1);
    if (!driver->RunUntil([&] { return ctx->GameState == "game"; }, 10000))
      throw std::runtime_error("the level did not start: " + ctx->GameState);
    // The guns fire for real all the time: the left button stays down.
    driver->Feed(shell::ParseInputScript(std::to_string(driver->NowMs()) + " down left\n", "bench"));
    ctx->Player.Lifes = 9;
    for (int i = 0; i < 30; ++i) {
      driver->Step();
      Keep();
    }
  }
  ~HeavyLevel() {
    driver.reset();
    ctx.reset();
    std::error_code ec;
    fs::remove_all(root, ec);
  }

  struct Counts {
    int enemies = 0, playerShots = 0, enemyShots = 0, explosions = 0, splinters = 0, bonuses = 0;
  };
  static void Count(scene::TGLBaseSceneObject& o, Counts& c) {
    for (size_t i = 0; i < o.Count(); ++i) {
      scene::TGLBaseSceneObject* child = o.Child(i);
      if (child->IsFreedSelf()) continue;
      if (auto* e = dynamic_cast<TEnemyModel*>(child)) {
        ++c.enemies;
        e->MaxLife = e->Life = 1e9;  // tough enough to live through the run
      } else if (dynamic_cast<TPlayerClipSprite*>(child)) {
        ++c.playerShots;
      } else if (dynamic_cast<TEnemyClipSprite*>(child)) {
        ++c.enemyShots;
      } else if (dynamic_cast<TExplosionSprite*>(child)) {
        ++c.explosions;
      } else if (dynamic_cast<TExplosionSplinter*>(child)) {
        ++c.splinters;
      } else if (dynamic_cast<TBonusSprite*>(child)) {
        ++c.bonuses;
      }
      Count(*child, c);
    }
  }

  double Random(double lo, double hi) { return lo + (hi - lo) * double(ctx->Rng(10000)) / 10000.0; }

  // Between frames: the ship stays shielded and whatever ended is made again.
  Counts Keep() {
    ctx->Player.ShieldSeconds = 100;
    ctx->Player.Health = 100.0;
    Counts c;
    Count(ctx->Scene.Objects(), c);
    for (int i = c.playerShots; i < kPlayerShots; ++i) {
      TShotParams p;
      p.Material = i % 2 ? "PlayerClip1" : "PlayerClip2";
      p.TrailType = 1 + i % 3;
      p.Speed = 0.7;  // the front gun's shot
      p.Acceleration = 1.8;
      p.Damage = 0.7;
      p.ScaleX = 0.03;
      p.ScaleZ = 0.01;
      p.StartX = Random(-0.45, 0.6);
      p.StartZ = Random(-0.47, 0.47);
      MakePlayerShot(*ctx, p);
    }
    const TEnemyModelData& shooter = ctx->EnemyKinds[0];
    for (int i = c.enemyShots; i < kEnemyShots; ++i)
      MakeEnemyShot(*ctx, shooter, Random(-0.47, 0.47), Random(-0.4, 0.6), 0.0, i % 3 == 0 ? 1 : 0, 0, 0, false);
    for (int i = c.explosions; i < kExplosions; ++i)
      Explode(*ctx, i % 2 ? "exp1" : "exp2", Random(-0.45, 0.45), Random(-0.3, 0.5), 0.0, 0.12, 0.12);
    for (int i = c.splinters; i < kSplinters; ++i) Splinter(*ctx, 1 + i % 6, Random(-0.3, 0.5), Random(-0.45, 0.45));
    // Capsules of extra score, away from the ship's row.
    for (int i = c.bonuses; i < kBonuses; ++i) DropBonus(*ctx, 3, 0.07, 0.07, Random(0.2, 0.6), Random(-0.45, 0.45));
    return c;
  }
};

void BM_HeavyLevelFrame(benchmark::State& state) {
  HeavyLevel level(int(state.range(0)));
  long allocations = 0;
  int64_t frames = 0;
  HeavyLevel::Counts ended;  // summed over the frames: what each frame ended, made again after it
  for (auto _ : state) {
    const long before = gAllocations.load(std::memory_order_relaxed);
    level.driver->Step();
    allocations += gAllocations.load(std::memory_order_relaxed) - before;
    ++frames;
    state.PauseTiming();
    const HeavyLevel::Counts left = level.Keep();
    ended.playerShots += kPlayerShots - left.playerShots;
    ended.enemyShots += kEnemyShots - left.enemyShots;
    ended.explosions += kExplosions - left.explosions;
    ended.splinters += kSplinters - left.splinters;
    ended.bonuses += kBonuses - left.bonuses;
    ended.enemies = left.enemies;
    state.ResumeTiming();
  }
  if (level.ctx->GameState != "game") state.SkipWithError(("the level left play: " + level.ctx->GameState).c_str());
  const double n = frames ? double(frames) : 1.0;
  state.counters["enemies"] = double(ended.enemies);
  state.counters["allocs_per_frame"] = double(allocations) / n;
  // Objects that ended per frame (hits, arrivals, the end of their animation).
  state.counters["shots_ended"] = double(ended.playerShots + ended.enemyShots) / n;
  state.counters["effects_ended"] = double(ended.explosions + ended.splinters + ended.bonuses) / n;
}
BENCHMARK(BM_HeavyLevelFrame)->Arg(50)->Arg(100)->Arg(200)->Arg(400)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
