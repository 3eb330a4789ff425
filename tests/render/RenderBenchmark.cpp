// Frame time of a heavy scene drawn offscreen at 1024 x 768: 1000 sprites over a few materials,
// 2000 particles, 50 HUD texts, a cloud plane, a lit sphere and a blur overlay. Needs a display
// (run it as: xvfb-run -a -s "-screen 0 1280x1024x24" ./render_benchmark).
#include "scene/Scene.h"
#include "scene/render/FrameStats.h"
#include "scene/render/Renderer.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

namespace {

using namespace vlm::scene;
using vlm::render::FrameStats;
using vlm::render::Renderer;

constexpr int kWidth = 1024;
constexpr int kHeight = 768;

TRGBAImage Checker(int size, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    TRGBAImage img;
    img.Width = img.Height = size;
    img.Pixels.resize(static_cast<std::size_t>(size) * size * 4);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            std::uint8_t* p = img.Pixel(x, y);
            const bool on = ((x / 8) + (y / 8)) % 2 == 0;
            p[0] = on ? r : r / 3;
            p[1] = on ? g : g / 3;
            p[2] = on ? b : b / 3;
            p[3] = 255;
        }
    return img;
}

enum Part : int { kSprites = 1, kParticles = 2, kTexts = 4, kBackdrop = 8, kAll = 15 };

struct HeavyScene {
    TGLScene scene;
    TGLMaterialLibrary library{"Bench"};
    TGLBitmapFont font;

    explicit HeavyScene(int parts) {
        const char* names[4] = {"a", "b", "c", "d"};
        for (int i = 0; i < 4; ++i) {
            TGLLibMaterial* m = library.AddTextureMaterial(names[i]);
            m->Material.Texture.SetImage(Checker(64, 60 * i + 60, 200 - 40 * i, 120));
            m->Material.BlendingMode = i % 2 ? TBlendingMode::Additive : TBlendingMode::Transparency;
        }
        library.AddTextureMaterial("sky")->Material.Texture.SetImage(Checker(256, 40, 60, 120));
        font.Glyphs.SetImage(Checker(512, 255, 255, 255));
        scene.Viewer.FogEnabled = true;
        scene.ObjectsSorting = TGLObjectsSorting::RenderBlendedLast;

        const TViewProjection vp = ComputeViewProjection(scene.Camera(), kWidth, kHeight);
        auto ahead = [&](float d, float r, float u) {
            return vp.CameraPosition + vp.CameraForward * d + vp.CameraRight * r + vp.CameraUp * u;
        };
        if (parts & kBackdrop) {
        auto* sky = scene.Objects().AddNewChild<TGLSkyBox>();
        sky->MaterialLibrary = &library;
        sky->MatNameClouds = "sky";
        sky->CloudsPlaneOffset = 0.15f;
        sky->CloudsPlaneSize = 0.86f;

        auto* sphere = scene.Objects().AddNewChild<TGLSphere>();
        sphere->Position = ahead(30, 5, -3);
        sphere->Radius = 4;
        sphere->Slices = 28;

        auto* blur = scene.Objects().AddNewChild<TGLBlur>();
        blur->Material.BlendingMode = TBlendingMode::Additive;
        blur->Material.FrontProperties.Diffuse = {1, 1, 1, 0.5f};
        }

        // Sprites in runs of 25 sharing a material, as the game's families of objects come.
        auto* group = scene.Objects().AddNewChild<TGLDummyCube>();
        for (int i = 0; i < ((parts & kSprites) ? 1000 : 0); ++i) {
            auto* s = group->AddNewChild<TGLSprite>();
            s->Position = ahead(5.0f + (i % 7), ((i * 37) % 100) / 10.0f - 5.0f, ((i * 53) % 70) / 10.0f - 3.5f);
            s->SetSize(0.3f, 0.3f);
            s->Rotation = static_cast<float>(i % 360);
            s->Material.SetLibMaterial(&library, names[(i / 25) % 4]);
        }

        auto* fx = scene.Objects().AddNewChild<TGLParticleFXRenderer>();
        auto* perlin = scene.AddParticleManager<TGLPerlinPFXManager>("smoke", 1000);
        auto* sparks = scene.AddParticleManager<TGLPolygonPFXManager>("sparks", 1000);
        perlin->SetRenderer(fx);
        sparks->SetRenderer(fx);
        for (int i = 0; i < ((parts & kParticles) ? 1000 : 0); ++i) {
            perlin->CreateParticle(ahead(6.0f + (i % 5), (i % 50) / 5.0f - 5.0f, (i / 50) / 3.0f - 3.0f), glm::vec3(0));
            sparks->CreateParticle(ahead(6.0f + (i % 3), (i % 40) / 4.0f - 5.0f, (i / 40) / 4.0f - 3.0f), glm::vec3(0));
        }

        for (int i = 0; i < ((parts & kTexts) ? 50 : 0); ++i) {
            auto* t = scene.Objects().AddNewChild<TGLHUDText>();
            t->BitmapFont = &font;
            t->Text = "score: " + std::to_string(i * 1234);
            t->Position = {20.0f + (i % 5) * 200.0f, 20.0f + (i / 5) * 70.0f, 0.0f};
            t->Scale = {0.3f, 0.3f, 1.0f};
        }
    }
};

void BM_HeavyFrame(benchmark::State& state) {
    std::string error;
    static auto renderer = Renderer::CreateOffscreen(kWidth, kHeight, &error);
    static const bool described = renderer && std::printf("%s\n", renderer->Description().c_str()) > 0;
    (void)described;
    if (!renderer) {
        state.SkipWithError(("no OpenGL: " + error).c_str());
        return;
    }
    HeavyScene heavy(static_cast<int>(state.range(0)));
    double t = 0.0;
    renderer->Render(heavy.scene, kWidth, kHeight, t);  // uploads happen here, not in the loop
    renderer->Finish();
    FrameStats frames;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        t += 1.0 / 60.0;
        renderer->Render(heavy.scene, kWidth, kHeight, t);
        renderer->Finish();
        frames.AddFrame(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    const auto& stats = renderer->Stats();
    state.counters["draw_calls"] = stats.drawCalls;
    state.counters["primitives"] = stats.batchedPrimitives;
    state.counters["uploads"] = stats.textureUploads + stats.meshUploads;
    state.counters["mean_ms"] = frames.MeanSeconds() * 1e3;
    state.counters["p99_ms"] = frames.PercentileSeconds(0.99) * 1e3;
    state.SetLabel(frames.Summary());
}
// The whole scene, then each part alone: 1000 sprites, 2000 particles, 50 texts, and the backdrop
// (cloud plane, sphere, blur overlay).
BENCHMARK(BM_HeavyFrame)
    ->ArgName("parts")
    ->Arg(kAll)
    ->Arg(kSprites)
    ->Arg(kParticles)
    ->Arg(kTexts)
    ->Arg(kBackdrop)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(2.0);

} // namespace

BENCHMARK_MAIN();
