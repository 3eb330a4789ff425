// Frame times of the renderer at 1024 x 768. Needs a display (run it as:
// xvfb-run -a -s "-screen 0 1280x1024x24" ./render_benchmark).
// - BM_GameSprites: the frame rate goal, 2,000 game-sized sprites (24 to 64 pixels across, shots and
//   enemies over a few transparent and additive materials) drawn through a real window and presented.
// - BM_HeavyFrame: a heavy scene drawn offscreen: 1000 sprites over a few materials, 2000 particles,
//   50 HUD texts, a cloud plane, a lit sphere and a blur overlay, then each part alone.
#include "scene/Scene.h"
#include "scene/render/FrameStats.h"
#include "scene/render/Renderer.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <time.h>
#include <vector>

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

// A round, soft-edged picture like the game's shots and glows: bright core, alpha fading to nothing
// at the rim.
TRGBAImage Glow(int size, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    TRGBAImage img;
    img.Width = img.Height = size;
    img.Pixels.resize(static_cast<std::size_t>(size) * size * 4);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const float dx = (x + 0.5f) / size * 2.0f - 1.0f, dy = (y + 0.5f) / size * 2.0f - 1.0f;
            const float d = std::sqrt(dx * dx + dy * dy);
            const float a = std::clamp(1.0f - d, 0.0f, 1.0f);
            const float core = std::clamp(1.0f - d * 2.5f, 0.0f, 1.0f);
            std::uint8_t* p = img.Pixel(x, y);
            p[0] = static_cast<std::uint8_t>(std::min(255.0f, r + (255 - r) * core));
            p[1] = static_cast<std::uint8_t>(std::min(255.0f, g + (255 - g) * core));
            p[2] = static_cast<std::uint8_t>(std::min(255.0f, b + (255 - b) * core));
            p[3] = static_cast<std::uint8_t>(a * 255.0f);
        }
    return img;
}

// A hard-edged hull like an enemy's: a diamond with a darker outline, transparent around it.
TRGBAImage Hull(int size, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    TRGBAImage img;
    img.Width = img.Height = size;
    img.Pixels.resize(static_cast<std::size_t>(size) * size * 4);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const float dx = std::abs((x + 0.5f) / size * 2.0f - 1.0f), dy = std::abs((y + 0.5f) / size * 2.0f - 1.0f);
            const float d = dx + dy * 0.8f;
            std::uint8_t* p = img.Pixel(x, y);
            const bool inside = d < 0.95f, rim = d > 0.8f;
            const float shade = rim ? 0.45f : 1.0f - 0.3f * dy;
            p[0] = static_cast<std::uint8_t>(r * shade);
            p[1] = static_cast<std::uint8_t>(g * shade);
            p[2] = static_cast<std::uint8_t>(b * shade);
            p[3] = inside ? 255 : 0;
        }
    return img;
}

constexpr int kGoalSprites = 2000;

double ProcessCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

// The game's busiest moment: enemies (transparent hulls, 40 to 64 pixels) and their shots and
// glows (additive, 24 to 40 pixels) spread over the playfield at a few depths, all moving.
struct GameSprites {
    TGLScene scene;
    TGLMaterialLibrary library{"Bench"};
    std::vector<TGLSprite*> sprites;
    std::vector<glm::vec3> home;
    TViewProjection vp;

    GameSprites() {
        struct Kind {
            const char* name;
            TRGBAImage image;
            TBlendingMode blending;
            int minPixels, maxPixels;
        };
        const Kind kinds[] = {
            {"enemy", Hull(64, 120, 200, 90), TBlendingMode::Transparency, 40, 64},
            {"heavy", Hull(64, 200, 110, 80), TBlendingMode::Transparency, 48, 64},
            {"shot", Glow(32, 255, 200, 60), TBlendingMode::Additive, 24, 32},
            {"plasma", Glow(32, 80, 160, 255), TBlendingMode::Additive, 24, 40},
            {"spark", Glow(32, 255, 90, 200), TBlendingMode::Additive, 24, 32},
        };
        for (const Kind& k : kinds) {
            TGLLibMaterial* m = library.AddTextureMaterial(k.name);
            m->Material.Texture.SetImage(k.image);
            m->Material.BlendingMode = k.blending;
            m->Material.Texture.MinFilter = TGLMinFilter::Linear;  // as the game's effect materials
        }
        scene.ObjectsSorting = TGLObjectsSorting::RenderBlendedLast;
        vp = ComputeViewProjection(scene.Camera(), kWidth, kHeight);
        // World size of one pixel at depth d: measured, so the sizes hold whatever the camera's lens.
        auto pixelAt = [&](float d) {
            glm::vec3 a, b;
            const glm::vec3 p = vp.CameraPosition + vp.CameraForward * d;
            WorldToWindow(vp, p, a);
            WorldToWindow(vp, p + vp.CameraRight, b);
            return 1.0f / std::max(std::abs(b.x - a.x), 1e-6f);
        };
        auto* group = scene.Objects().AddNewChild<TGLDummyCube>();
        std::uint32_t seed = 12345;
        auto random = [&seed] {
            seed = seed * 1664525u + 1013904223u;
            return static_cast<float>((seed >> 8) & 0xffffffu) / 16777216.0f;
        };
        for (int i = 0; i < kGoalSprites; ++i) {
            // Families come in runs, as the game's waves and volleys do.
            const Kind& k = kinds[(i / 40) % 5];
            const float depth = 20.0f + 4.0f * static_cast<float>(i % 3);
            const float pixel = pixelAt(depth);
            const float halfW = kWidth * 0.5f * pixel, halfH = kHeight * 0.5f * pixel;
            const float size =
                (static_cast<float>(k.minPixels) + random() * static_cast<float>(k.maxPixels - k.minPixels)) * pixel;
            auto* s = group->AddNewChild<TGLSprite>();
            const glm::vec3 at = vp.CameraPosition + vp.CameraForward * depth +
                                 vp.CameraRight * ((random() * 2.0f - 1.0f) * halfW) +
                                 vp.CameraUp * ((random() * 2.0f - 1.0f) * halfH);
            s->Position = at;
            s->SetSize(size, size);
            s->Rotation = random() * 360.0f;
            s->Material.SetLibMaterial(&library, k.name);
            s->NoZWrite = k.blending == TBlendingMode::Additive;  // glows never hide what is behind them
            sprites.push_back(s);
            home.push_back(at);
        }
    }

    // Everything drifts and turns a little, as it would between two frames of play.
    void Move(double t) {
        for (std::size_t i = 0; i < sprites.size(); ++i) {
            const float phase = static_cast<float>(t) * 2.0f + static_cast<float>(i);
            sprites[i]->Position = home[i] + vp.CameraRight * (0.3f * std::sin(phase)) +
                                   vp.CameraUp * (0.3f * std::cos(phase * 0.7f));
            sprites[i]->Rotation += 1.0f;
        }
    }
};

// Frames per second of 2,000 game-sized sprites through a real 1024 x 768 window, each frame
// drawn and presented (no vertical sync), as the game's loop does.
void BM_GameSprites(benchmark::State& state) {
    std::string error;
    auto renderer = Renderer::Create("Velmora 2 render benchmark", kWidth, kHeight, false, false, &error);
    if (!renderer) {
        state.SkipWithError(("no OpenGL window: " + error).c_str());
        return;
    }
    std::printf("%s\n", renderer->Description().c_str());
    GameSprites game;
    double t = 0.0;
    for (int i = 0; i < 3; ++i) {  // uploads happen here, not in the loop
        renderer->Render(game.scene, kWidth, kHeight, t);
        renderer->Present();
    }
    renderer->Finish();
    FrameStats frames;
    const double cpuStart = ProcessCpuSeconds();
    auto last = std::chrono::steady_clock::now();
    for (auto _ : state) {
        t += 1.0 / 60.0;
        game.Move(t);
        renderer->Render(game.scene, kWidth, kHeight, t);
        renderer->Present();
        const auto now = std::chrono::steady_clock::now();
        frames.AddFrame(std::chrono::duration<double>(now - last).count());
        last = now;
    }
    renderer->Finish();
    const double cpuPerFrame = (ProcessCpuSeconds() - cpuStart) / std::max<double>(1.0, static_cast<double>(state.iterations()));
    // VLM_BENCH_PICTURE=<file.ppm> keeps the last frame, to look at what was measured.
    if (const char* picture = std::getenv("VLM_BENCH_PICTURE")) {
        renderer->Render(game.scene, kWidth, kHeight, t);
        const TRGBAImage img = renderer->ReadPixels();
        if (std::FILE* f = std::fopen(picture, "wb")) {
            std::fprintf(f, "P6\n%d %d\n255\n", img.Width, img.Height);
            for (std::size_t i = 0; i < img.Pixels.size(); i += 4) std::fwrite(&img.Pixels[i], 1, 3, f);
            std::fclose(f);
        }
    }
    const auto& stats = renderer->Stats();
    state.counters["sprites"] = stats.batchedPrimitives;
    state.counters["trimmed"] = stats.objectsTrimmed;
    state.counters["draw_calls"] = stats.drawCalls;
    state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["mean_ms"] = frames.MeanSeconds() * 1e3;
    state.counters["p99_ms"] = frames.PercentileSeconds(0.99) * 1e3;
    // All threads of the process (the driver's rasterizer threads included) per frame: what the frame
    // costs whatever else the machine is doing at the time.
    state.counters["cpu_ms"] = cpuPerFrame * 1e3;
    state.SetLabel(frames.Summary());
}
BENCHMARK(BM_GameSprites)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);

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
