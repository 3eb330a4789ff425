#include <gtest/gtest.h>

#include "scene/Particles.h"
#include "scene/Scene.h"

using namespace vlm::scene;

namespace {

class Particles : public ::testing::Test {
protected:
    TGLScene scene;
    TGLPerlinPFXManager* mgr = nullptr;
    TGLPolygon* trail = nullptr;
    void SetUp() override {
        auto* renderer = scene.Objects().AddNewChild<TGLParticleFXRenderer>();
        mgr = scene.AddParticleManager<TGLPerlinPFXManager>("EnemyPFXManager0", 8);
        mgr->SetRenderer(renderer);
        mgr->ParticleLife = 0.5f;
        auto* field = scene.Objects().AddNewChild<TGLDummyCube>();
        field->Scale = {6.0f, 0.1f, 8.0f};
        trail = field->AddNewChild<TGLPolygon>();
        trail->Position = {0.1f, 0.0f, 0.25f};
    }
    void Run(int frames, double dt) {
        for (int i = 0; i < frames; ++i) scene.Progress(dt, 0.0);
    }
};

}  // namespace

TEST_F(Particles, SourceEmitsEveryIntervalFromTheAbsolutePosition) {
    trail->AddSourceEffect(mgr, 0.05);
    Run(6, 0.02);  // 0.12 s: two particles
    ASSERT_EQ(mgr->ParticleCount(), 2u);
    const glm::vec3 p = mgr->Particle(0).Position;
    EXPECT_NEAR(p.x, 0.6f, 1e-5f);
    EXPECT_NEAR(p.z, 2.0f, 1e-5f);
    EXPECT_EQ(scene.FindParticleManager("EnemyPFXManager0"), mgr);
    ASSERT_EQ(static_cast<TGLParticleFXRenderer*>(scene.Objects().Child(0))->Managers().size(), 1u);
}

TEST_F(Particles, IntervalZeroStopsAndPoolCapHolds) {
    TGLSourcePFXEffect* fx = trail->AddSourceEffect(mgr, 0.0);
    Run(10, 0.02);
    EXPECT_EQ(mgr->ParticleCount(), 0u);
    fx->ParticleInterval = 0.001;  // far more than the pool holds
    Run(3, 0.02);
    EXPECT_EQ(mgr->ParticleCount(), mgr->Capacity());
}

TEST_F(Particles, ParticlesOutliveTheirSourceThenDie) {
    trail->AddSourceEffect(mgr, 0.05);
    Run(3, 0.02);
    ASSERT_EQ(mgr->ParticleCount(), 1u);
    trail->Free();
    scene.SweepFreed();
    Run(1, 0.02);
    EXPECT_EQ(mgr->ParticleCount(), 1u) << "still alive, no new ones";
    Run(30, 0.02);
    EXPECT_EQ(mgr->ParticleCount(), 0u) << "retired after their life";
}

TEST_F(Particles, LookFadesOutOverTheLife) {
    mgr->ColorInner = {1, 0.5f, 0, 1};
    mgr->ParticleSize = 0.2f;
    mgr->CreateParticle({0, 0, 0}, {0, 0, 0});
    TColor in, out;
    float size;
    mgr->ComputeLook(mgr->Particle(0), in, out, size);
    EXPECT_FLOAT_EQ(in.a, 1.0f);
    EXPECT_FLOAT_EQ(size, 0.2f);
    mgr->Progress(0.25, 0.0);
    mgr->ComputeLook(mgr->Particle(0), in, out, size);
    EXPECT_NEAR(in.a, 0.5f, 1e-5f);
    EXPECT_FLOAT_EQ(in.g, 0.5f);
}
