// The steady-state frame must not allocate: this binary replaces the global allocator
// to watch a window of frames after warm-up.
#include <gtest/gtest.h>

#if defined(__GNUC__) && !defined(__clang__)
// The replaced operator new pairs with free(); GCC cannot see that across the calls.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

#include <atomic>
#include <cstdlib>
#include <new>

#include "scene/Cadencer.h"
#include "scene/Scene.h"

namespace {
std::atomic<bool> gWatching{false};
std::atomic<long> gAllocations{0};
}  // namespace

void* operator new(std::size_t n) {
    if (gWatching) ++gAllocations;
    if (void* p = std::malloc(n ? n : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

using namespace vlm::scene;

namespace {

class TSpinner : public TGLSprite {
public:
    void DoProgress(double dt, double t) override {
        TGLSprite::DoProgress(dt, t);
        Rotation += static_cast<float>(dt) * 90.0f;
        AlphaChannel = 0.5f;
    }
};

}  // namespace

TEST(SteadyFrame, ProgressPickAndLayoutAllocateNothing) {
    TGLScene scene;
    TGLCadencer cad(&scene);
    TGLBitmapFont font;
    auto* mgr = scene.AddParticleManager<TGLPerlinPFXManager>("fx", 256);
    mgr->ParticleLife = 0.2f;
    auto* field = scene.Objects().AddNewChild<TGLDummyCube>();
    field->Position = {1.11f, 5.0f, -4.65f};
    field->Scale = {6.0f, 0.1f, 8.0f};
    for (int i = 0; i < 50; ++i) {
        auto* s = field->AddNewChild<TSpinner>();
        s->Position = {0.02f * static_cast<float>(i % 10) - 0.1f, 0.0f, 0.02f * static_cast<float>(i / 10)};
        s->AddSourceEffect(mgr, 0.01);
    }
    auto* follower = field->AddNewChild<TGLPolygon>();
    TGLMovement* mv = follower->GetOrCreateMovement();
    TGLMovementPath* path = mv->AddPath();
    path->Looped = true;
    path->AddNode().Speed = 1.0f;
    path->AddNode().Position = {0.0f, 0.0f, 1.0f};
    path->AddNode().Position = {1.0f, 0.0f, 1.0f};
    mv->SetActivePathIndex(0);
    mv->StartPathTravel();
    auto* text = scene.Objects().AddNewChild<TGLHUDText>();
    text->BitmapFont = &font;
    text->Text = "score:12345";
    text->Position = {512, 42, 0};
    int hits = 0;
    cad.OnProgress = [&](double dt, double) {
        mv->PathClock += dt;
        if (scene.GetPickedObject(512, 384, 1024, 768)) ++hits;
        if (scene.GetPickedObject(512, 42, 1024, 768) == text) ++hits;
    };
    double t = 0.0;
    for (int i = 0; i < 200; ++i) cad.Progress(t += 0.016);  // warm-up: loops rebuild splines once
    gWatching = true;
    for (int i = 0; i < 400; ++i) cad.Progress(t += 0.016);
    gWatching = false;
    EXPECT_EQ(gAllocations.load(), 0);
    EXPECT_GT(hits, 0);
    EXPECT_GT(mgr->ParticleCount(), 0u);
}
