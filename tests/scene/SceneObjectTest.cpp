#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "scene/Scene.h"

using namespace vlm::scene;

namespace {

// A game-like object: runs the base operation, then logs itself and runs an action.
class TLogged : public TGLSprite {
public:
    TLogged(std::vector<std::string>* log, std::string name, bool* deleted = nullptr) : mLog(log), mDeleted(deleted) {
        Name = std::move(name);
    }
    ~TLogged() override {
        if (mDeleted) *mDeleted = true;
    }
    void DoProgress(double dt, double t) override {
        TGLSprite::DoProgress(dt, t);
        mLog->push_back(Name);
        if (Action) Action(*this);
    }
    std::function<void(TLogged&)> Action;

private:
    std::vector<std::string>* mLog;
    bool* mDeleted;
};

struct AlphaCase {
    float in;
    float stored;
};

}  // namespace

TEST(AlphaChannel, ClampsOnEveryAssignment) {
    const AlphaCase cases[] = {{1.5f, 1.0f}, {-0.2f, 0.0f}, {0.25f, 0.25f}, {1.0f, 1.0f}, {0.0f, 0.0f}, {NAN, 0.0f}};
    for (const AlphaCase& c : cases) {
        TGLSprite s;
        s.AlphaChannel = c.in;
        EXPECT_FLOAT_EQ(s.AlphaChannel, c.stored) << "assigned " << c.in;
    }
    TGLSprite s;
    s.AlphaChannel = 0.9f;
    s.AlphaChannel += 0.5f;
    EXPECT_FLOAT_EQ(s.AlphaChannel, 1.0f);
    s.AlphaChannel -= 3.0f;
    EXPECT_FLOAT_EQ(s.AlphaChannel, 0.0f);
}

TEST(AlphaChannel, ReplacesMaterialAlphaOnlyWhenNotOne) {
    TGLSprite s;
    s.Material.FrontProperties.Diffuse.a = 0.4f;
    EXPECT_FLOAT_EQ(s.DrawAlpha(), 0.4f);
    s.AlphaChannel = 0.7f;
    EXPECT_FLOAT_EQ(s.DrawAlpha(), 0.7f);
}

class Traversal : public ::testing::Test {
protected:
    TGLScene scene;
    std::vector<std::string> log;
    TLogged* Add(TGLBaseSceneObject& parent, const char* name, bool* deleted = nullptr) {
        return parent.AddNewChild<TLogged>(&log, name, deleted);
    }
};

TEST_F(Traversal, ChildrenLastToFirstDepthFirst) {
    TLogged* a = Add(scene.Objects(), "A");
    Add(*a, "A1");
    Add(*a, "A2");
    Add(scene.Objects(), "B");
    scene.Progress(0.01, 0.01);
    EXPECT_EQ(log, (std::vector<std::string>{"B", "A2", "A1", "A"}));
}

TEST_F(Traversal, HiddenObjectsAreProgressed) {
    TLogged* a = Add(scene.Objects(), "A");
    a->Visible = false;
    Add(*a, "A1");
    scene.Progress(0.01, 0.01);
    EXPECT_EQ(log, (std::vector<std::string>{"A1", "A"}));
}

TEST_F(Traversal, ObjectFreesItselfDuringTraversal) {
    bool deleted = false;
    Add(scene.Objects(), "A");
    TLogged* b = Add(scene.Objects(), "B", &deleted);
    Add(scene.Objects(), "C");
    b->Action = [](TLogged& self) { self.Free(); };
    scene.Progress(0.01, 0.01);
    EXPECT_EQ(log, (std::vector<std::string>{"C", "B", "A"}));
    EXPECT_FALSE(deleted) << "deleted only at the sweep";
    EXPECT_TRUE(b->IsFreed());
    scene.SweepFreed();
    EXPECT_TRUE(deleted);
    EXPECT_EQ(scene.Objects().Count(), 2u);
}

TEST_F(Traversal, FreeingSiblingsBeforeAndAfterTheirTurn) {
    bool aDeleted = false, cDeleted = false;
    TLogged* a = Add(scene.Objects(), "A", &aDeleted);
    TLogged* b = Add(scene.Objects(), "B");
    TLogged* c = Add(scene.Objects(), "C", &cDeleted);
    // B frees A (not yet visited) and C (already visited).
    b->Action = [a, c](TLogged&) {
        a->Free();
        c->Free();
    };
    scene.Progress(0.01, 0.01);
    EXPECT_EQ(log, (std::vector<std::string>{"C", "B"}));
    scene.SweepFreed();
    EXPECT_TRUE(aDeleted);
    EXPECT_TRUE(cDeleted);
    ASSERT_EQ(scene.Objects().Count(), 1u);
    EXPECT_EQ(scene.Objects().Child(0), b);
}

TEST_F(Traversal, FreeingAParentDropsItsSubtreeAtOnce) {
    TLogged* a = Add(scene.Objects(), "A");
    Add(*a, "A1");
    Add(scene.Objects(), "B")->Action = [a](TLogged&) { a->Free(); };
    scene.Progress(0.01, 0.01);
    EXPECT_EQ(log, (std::vector<std::string>{"B"}));
    EXPECT_TRUE(a->Child(0)->IsFreed());
}

TEST_F(Traversal, ChildrenAddedDuringPassWaitForTheNextOne) {
    TLogged* a = Add(scene.Objects(), "A");
    TLogged* b = Add(scene.Objects(), "B");
    b->Action = [this](TLogged& self) {
        if (log.size() == 1) {
            Add(scene.Objects(), "New");
            // Made first child, like a freshly fired shot: must not make A be skipped.
            TLogged* first = Add(scene.Objects(), "NewFirst");
            first->MoveFirst();
        }
    };
    (void)a;
    scene.Progress(0.01, 0.01);
    EXPECT_EQ(log, (std::vector<std::string>{"B", "A"}));
    log.clear();
    scene.Progress(0.01, 0.02);
    EXPECT_EQ(log, (std::vector<std::string>{"New", "B", "A", "NewFirst"}));
}

TEST_F(Traversal, MovementMayBeFreedFromItsOwnNotification) {
    TGLPolygon* follower = scene.Objects().AddNewChild<TGLPolygon>();
    TGLMovement* m = follower->GetOrCreateMovement();
    TGLMovementPath* p = m->AddPath();
    p->AddNode().Speed = 1.0f;
    p->AddNode().Position = {0, 0, 1};
    m->SetActivePathIndex(0);
    ASSERT_TRUE(m->StartPathTravel());
    int calls = 0;
    m->OnPathTravelStop = [&](TGLMovement&, TGLMovementPath&) {
        ++calls;
        follower->FreeMovement();
    };
    m->PathClock = 0.5;
    scene.Progress(0.0, 0.0);
    m->PathClock = 5.0;
    scene.Progress(0.0, 0.0);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(follower->GetMovement(), nullptr);
    EXPECT_FLOAT_EQ(follower->Position.z, 1.0f);
}

TEST(SceneObject, AnglesRotateAboutOwnAxesAndReadBack) {
    TGLDummyCube o;
    o.SetTurnAngle(90.0f);
    EXPECT_FLOAT_EQ(o.GetTurnAngle(), 90.0f);
    // Turning 90 degrees about Up (0,1,0) swings Direction from +Z to +X.
    EXPECT_NEAR(o.Direction.x, 1.0f, 1e-5f);
    EXPECT_NEAR(o.Direction.z, 0.0f, 1e-5f);
    o.SetTurnAngle(0.0f);
    EXPECT_NEAR(o.Direction.z, 1.0f, 1e-5f);
    o.SetPitchAngle(90.0f);
    EXPECT_NEAR(std::fabs(o.Direction.y), 1.0f, 1e-5f);
    EXPECT_NEAR(glm::length(o.Up), 1.0f, 1e-5f);
    EXPECT_NEAR(glm::dot(o.Up, o.Direction), 0.0f, 1e-5f);
}

TEST(SceneObject, PointToAndMoveWorkInTheScaledParentFrame) {
    TGLScene scene;
    auto* field = scene.Objects().AddNewChild<TGLDummyCube>();
    field->Scale = {6.0f, 0.1f, 8.0f};
    auto* shot = field->AddNewChild<TGLPolygon>();
    auto* target = field->AddNewChild<TGLPolygon>();
    target->Position = {0.3f, 0.0f, 0.4f};
    shot->PointTo(*target, {0, 1, 0});
    EXPECT_NEAR(shot->Direction.x, 0.6f, 1e-5f);
    EXPECT_NEAR(shot->Direction.z, 0.8f, 1e-5f);
    shot->Move(0.25f);
    EXPECT_NEAR(shot->Position.x, 0.15f, 1e-5f);
    EXPECT_NEAR(shot->Position.z, 0.2f, 1e-5f);
    EXPECT_NEAR(shot->AbsolutePosition().z, 1.6f, 1e-5f);
}

TEST(SceneObject, FindChildAndReparenting) {
    TGLScene scene;
    auto* a = scene.Objects().AddNewChild<TGLDummyCube>();
    a->Name = "MainMenuDummy";
    auto* b = a->AddNewChild<TGLSprite>();
    b->Name = "MM_StartGame";
    EXPECT_EQ(scene.FindObject("MM_StartGame"), b);
    EXPECT_EQ(scene.FindObject("GLCamera1"), &scene.Camera());
    b->MoveTo(&scene.Objects());
    EXPECT_EQ(b->Parent(), &scene.Objects());
    EXPECT_EQ(a->Count(), 0u);
    a->MoveTo(a);  // no cycles
    EXPECT_EQ(a->Parent(), &scene.Objects());
    b->Free();
    EXPECT_EQ(scene.FindObject("MM_StartGame"), nullptr);
}
