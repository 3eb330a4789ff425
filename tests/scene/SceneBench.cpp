// Per-frame cost of the scene layer: advancing a frame and picking under the mouse.
//
// The two goal figures are BM_Progress/2000 (under 100 us, no allocation) and
// BM_Pick/2000 (under 50 us); the other sizes show how the cost grows.  Each run
// also reports the allocations made inside the timed loop (allocs/frame, allocs/pick),
// which must be 0.  How to run: docs/benchmarks.md, section "Scene".
#include <benchmark/benchmark.h>

#if defined(__GNUC__) && !defined(__clang__)
// The replaced operator new pairs with free(); GCC cannot see that across the calls.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

#include <atomic>
#include <cstdlib>
#include <new>

#include "scene/Scene.h"

namespace {
std::atomic<bool> gWatching{false};
std::atomic<long> gAllocations{0};
}  // namespace

void* operator new(std::size_t n) {
    if (gWatching.load(std::memory_order_relaxed)) gAllocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(n ? n : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

using namespace vlm::scene;

namespace {

constexpr int kW = 1024, kH = 768;

// A frame's worth of objects as a level shows them: `count` sprites, polygons, animated
// explosions, HUD sprites and texts spread over a few groups like the game's, a tenth of
// them inside a hidden pause menu.  Groups are not counted.
struct TBenchScene {
    TGLScene scene;
    TGLBitmapFont font;

    explicit TBenchScene(int count) {
        scene.Camera().SceneScale = kW / 1000.0f * 0.625f;
        auto* fx = scene.AddParticleManager<TGLPolygonPFXManager>("fx", 4096);
        fx->ParticleLife = 0.5f;

        // The playfield as the layout makes it: X up the screen, Z to the left.
        auto* field = scene.Objects().AddNewChild<TGLDummyCube>();
        field->Name = "PlayfieldDummy";
        field->Position = {1.11f, 5.0f, -4.65f};
        field->Scale = {6.0f, 0.1f, 8.0f};
        auto* enemies = field->AddNewChild<TGLDummyCube>();
        auto* shots = field->AddNewChild<TGLDummyCube>();
        auto* effects = field->AddNewChild<TGLDummyCube>();
        auto* hud = scene.Objects().AddNewChild<TGLDummyCube>();
        auto* pause = scene.Objects().AddNewChild<TGLDummyCube>();
        pause->Name = "PauseMenuDummyCube";
        pause->Visible = false;
        auto* menuWorld = pause->AddNewChild<TGLDummyCube>();
        menuWorld->Position = {1.11f, 1.5f, -4.65f};

        for (int i = 0; i < count; ++i) {
            // Spread over the field: 40 columns, rows as many as needed.
            const float u = static_cast<float>(i % 40) / 40.0f - 0.5f;
            const float v = static_cast<float>((i / 40) % 50) / 50.0f - 0.5f;
            const float layer = -0.001f * static_cast<float>(i % 97);
            switch (i % 20) {
                case 0: case 1: case 2: case 3: case 4: case 5:
                case 6: case 7: case 8: case 9: case 10: {  // shots and sparks
                    auto* s = shots->AddNewChild<TGLSprite>();
                    s->Position = {u, layer, v};
                    s->Scale = {0.02f, 0.01f, 0.015f};
                    s->Rotation = static_cast<float>(i % 8) * 45.0f;
                    break;
                }
                case 11: {  // a drawn polygon (a facing plate)
                    auto* p = enemies->AddNewChild<TGLPolygon>();
                    p->Position = {u, layer, v};
                    p->Scale = {0.03f, 1.0f, 0.03f};
                    p->Direction = {0.0f, -1.0f, 0.0f};
                    p->Up = {1.0f, 0.0f, 0.0f};
                    p->Nodes = {{-0.5f, -0.5f, 0}, {0.5f, -0.5f, 0}, {0.5f, 0.5f, 0}, {-0.5f, 0.5f, 0}};
                    break;
                }
                case 12: {  // an enemy: an undrawn polygon with an engine trail
                    auto* p = enemies->AddNewChild<TGLPolygon>();
                    p->Position = {u, layer, v};
                    p->AddSourceEffect(fx, 0.05);
                    auto* body = p->AddNewChild<TGLSprite>();
                    body->Scale = {0.05f, 0.01f, 0.04f};
                    ++i;  // the body counts as an object too
                    break;
                }
                case 14: {  // an explosion
                    auto* e = effects->AddNewChild<TGLAnimatedSprite>();
                    e->Position = {u, layer, v};
                    e->Scale = {0.05f, 0.01f, 0.04f};
                    auto& a = e->AddAnimation();
                    a.EndFrame = 15;
                    a.Interval = 40;
                    e->AnimationMode = TSpriteAnimationMode::Loop;
                    e->SetAnimationIndex(0);
                    break;
                }
                case 15: {  // hidden pause menu: world buttons
                    auto* s = menuWorld->AddNewChild<TGLSprite>();
                    s->Position = {u, 0.0f, v};
                    s->SetSize(0.4f, 0.1f);
                    break;
                }
                case 16: {  // hidden pause menu: HUD texts
                    auto* t = pause->AddNewChild<TGLHUDText>();
                    t->BitmapFont = &font;
                    t->Text = "resume game";
                    t->Scale = {0.4f, 0.4f, 1.0f};
                    t->Position = {static_cast<float>(i % kW), static_cast<float>((i * 7) % kH), 0.0f};
                    break;
                }
                case 17: case 18: {  // HUD sprites: icons, gauges
                    auto* h = hud->AddNewChild<TGLHUDSprite>();
                    h->Position = {static_cast<float>((i * 13) % kW), static_cast<float>(20 + (i / 20) % 3 * 24), 0.0f};
                    h->SetSize(20, 20);
                    break;
                }
                default: {  // HUD texts: score, statistics
                    auto* t = hud->AddNewChild<TGLHUDText>();
                    t->BitmapFont = &font;
                    t->Text = "score:12345";
                    t->Scale = {0.25f, 0.25f, 1.0f};
                    t->Position = {static_cast<float>((i * 29) % kW), static_cast<float>(kH - 40), 0.0f};
                    break;
                }
            }
        }
    }
};

// Advancing every object one frame (plus the particle managers, as the cadencer does).
void BM_Progress(benchmark::State& state) {
    TBenchScene bench(static_cast<int>(state.range(0)));
    double t = 0.0;
    for (int i = 0; i < 120; ++i) bench.scene.Progress(0.016, t += 0.016);  // particle pool filled
    gAllocations = 0;
    gWatching = true;
    for (auto _ : state) bench.scene.Progress(0.016, t += 0.016);
    gWatching = false;
    state.counters["allocs/frame"] =
        benchmark::Counter(static_cast<double>(gAllocations.load()), benchmark::Counter::kAvgIterations);
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_Progress)->Arg(500)->Arg(1000)->Arg(2000)->Arg(4000)->Unit(benchmark::kMicrosecond);

// One pick, at points all over the window (HUD rows, the playfield, empty corners).
void BM_Pick(benchmark::State& state) {
    TBenchScene bench(static_cast<int>(state.range(0)));
    bench.scene.Progress(0.016, 0.016);
    TGLScene::TPickHit hits[kMaxPickHits];
    long found = 0, considered = 0;
    int x = 0, y = 0;
    gAllocations = 0;
    gWatching = true;
    for (auto _ : state) {
        x = (x + 37) % kW;
        y = (y + 53) % kH;
        TGLBaseSceneObject* o = bench.scene.GetPickedObject(x, y, kW, kH);
        benchmark::DoNotOptimize(o);
        if (o) ++found;
    }
    gWatching = false;
    state.counters["allocs/pick"] =
        benchmark::Counter(static_cast<double>(gAllocations.load()), benchmark::Counter::kAvgIterations);
    // How busy the picks were: the share that found something, hits per pick.
    for (int k = 0; k < 256; ++k) {
        x = (x + 37) % kW;
        y = (y + 53) % kH;
        considered += static_cast<long>(bench.scene.PickHits(x, y, kW, kH, hits, kMaxPickHits));
    }
    state.counters["found"] = benchmark::Counter(static_cast<double>(found), benchmark::Counter::kAvgIterations);
    state.counters["hits/pick"] = static_cast<double>(considered) / 256.0;
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_Pick)->Arg(500)->Arg(1000)->Arg(2000)->Arg(4000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
