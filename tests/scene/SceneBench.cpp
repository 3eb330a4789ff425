// Per-frame cost of the scene layer: progressing and picking over about a thousand objects.
#include <benchmark/benchmark.h>

#include "scene/Scene.h"

using namespace vlm::scene;

namespace {

void Populate(TGLScene& scene, int count) {
    scene.Camera().SceneScale = 0.64f;
    auto* mgr = scene.AddParticleManager<TGLPolygonPFXManager>("fx", 4096);
    auto* field = scene.Objects().AddNewChild<TGLDummyCube>();
    field->Position = {1.11f, 5.0f, -4.65f};
    field->Scale = {6.0f, 0.1f, 8.0f};
    for (int i = 0; i < count; ++i) {
        const float u = static_cast<float>(i % 40) / 40.0f - 0.5f;
        const float v = static_cast<float>(i / 40) / 25.0f - 0.5f;
        if (i % 10 == 0) {
            auto* p = field->AddNewChild<TGLPolygon>();
            p->Position = {u, 0.0f, v};
            p->AddSourceEffect(mgr, 0.05);
        } else {
            auto* s = field->AddNewChild<TGLSprite>();
            s->Position = {u, -0.001f * static_cast<float>(i), v};
            s->Scale = {0.02f, 0.01f, 0.015f};
        }
    }
    auto* hud = scene.Objects().AddNewChild<TGLDummyCube>();
    for (int i = 0; i < 40; ++i) {
        auto* h = hud->AddNewChild<TGLHUDSprite>();
        h->Position = {static_cast<float>(i * 25), 20.0f, 0.0f};
        h->SetSize(20, 20);
    }
}

void BM_Progress(benchmark::State& state) {
    TGLScene scene;
    Populate(scene, static_cast<int>(state.range(0)));
    double t = 0.0;
    for (auto _ : state) {
        t += 0.016;
        scene.Progress(0.016, t);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_Progress)->Arg(1000);

void BM_Pick(benchmark::State& state) {
    TGLScene scene;
    Populate(scene, static_cast<int>(state.range(0)));
    int x = 0;
    for (auto _ : state) {
        x = (x + 37) % 1024;
        benchmark::DoNotOptimize(scene.GetPickedObject(x, 384, 1024, 768));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_Pick)->Arg(1000);

}  // namespace

BENCHMARK_MAIN();
