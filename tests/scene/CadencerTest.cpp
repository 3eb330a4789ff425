#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scene/Cadencer.h"
#include "scene/Scene.h"

using namespace vlm::scene;

namespace {

struct TTick {
    double delta;
    double time;
};

class CadencerFixture : public ::testing::Test {
protected:
    TGLScene scene;
    TGLCadencer cad{&scene};
    std::vector<TTick> ticks;
    void SetUp() override {
        cad.OnProgress = [this](double d, double t) { ticks.push_back({d, t}); };
        cad.Progress(100.0);  // reference
    }
};

}  // namespace

TEST_F(CadencerFixture, FirstTickOnlySetsTheReference) {
    ASSERT_EQ(ticks.size(), 1u);
    EXPECT_EQ(ticks[0].delta, 0.0);
    EXPECT_EQ(ticks[0].time, 0.0);
}

TEST_F(CadencerFixture, StallIsClampedAndTheExcessDropped) {
    struct Case {
        double multiplier;
        double raw;
        double expected;
    };
    // A 0.2 s stall plays as 0.035 s times the multiplier; short frames play in full.
    const Case cases[] = {{1.0, 0.2, 0.035}, {0.5, 0.2, 0.0175}, {1.0, 0.01, 0.01}, {0.5, 0.01, 0.005}};
    double raw = 100.0;
    for (const Case& c : cases) {
        cad.SetTimeMultiplier(c.multiplier);
        const double before = cad.CurrentTime();
        raw += c.raw;
        cad.Progress(raw);
        EXPECT_NEAR(ticks.back().delta, c.expected, 1e-12) << "multiplier " << c.multiplier << " raw " << c.raw;
        EXPECT_NEAR(ticks.back().time, before + c.expected, 1e-12);
    }
    // The dropped excess is not carried into the next frame.
    cad.SetTimeMultiplier(1.0);
    raw += 0.01;
    cad.Progress(raw);
    EXPECT_NEAR(ticks.back().delta, 0.01, 1e-12);
}

TEST_F(CadencerFixture, MultiplierChangeKeepsTimeContinuous) {
    cad.Progress(100.02);
    cad.Progress(100.04);
    const double t = cad.CurrentTime();
    cad.SetTimeMultiplier(0.25);
    EXPECT_DOUBLE_EQ(cad.CurrentTime(), t);
    cad.Progress(100.06);
    EXPECT_NEAR(cad.CurrentTime(), t + 0.005, 1e-12);
    cad.SetTimeMultiplier(2.0);
    cad.Progress(100.08);
    EXPECT_NEAR(cad.CurrentTime(), t + 0.045, 1e-12);
}

TEST_F(CadencerFixture, TimeGoingBackwardsDeliversNothing) {
    cad.Progress(99.0);
    EXPECT_EQ(ticks.back().delta, 0.0);
    cad.Progress(99.01);
    EXPECT_NEAR(ticks.back().delta, 0.01, 1e-12);
}

namespace {
class TProbe : public TGLDummyCube {
public:
    TProbe(std::vector<std::string>* log, bool* deleted) : mLog(log), mDeleted(deleted) {}
    ~TProbe() override { *mDeleted = true; }
    void DoProgress(double dt, double t) override {
        TGLDummyCube::DoProgress(dt, t);
        mLog->push_back("object");
        Free();
    }
    std::vector<std::string>* mLog;
    bool* mDeleted;
};
}  // namespace

TEST(Cadencer, TickOrderObjectsCameraParticlesHandlerThenSweep) {
    TGLScene scene;
    TGLCadencer cad(&scene);
    cad.Progress(1.0);  // reference
    std::vector<std::string> log;
    bool deleted = false;
    scene.Objects().AddNewChild<TProbe>(&log, &deleted);
    auto* mgr = scene.AddParticleManager<TGLPolygonPFXManager>("M");
    mgr->ParticleLife = 1.0f;
    mgr->CreateParticle({0, 0, 0}, {0, 0, 0});
    cad.OnProgress = [&](double, double) {
        log.push_back("handler");
        EXPECT_FALSE(deleted) << "freed objects are swept after the handler";
        EXPECT_GT(mgr->Particle(0).Age, 0.0f) << "particles advanced before the handler";
    };
    cad.Progress(1.02);
    EXPECT_EQ(log, (std::vector<std::string>{"object", "handler"}));
    EXPECT_TRUE(deleted);
    EXPECT_EQ(scene.Objects().Count(), 0u);
}
