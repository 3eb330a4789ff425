// Picking rules objects out by a cheap bound before the exact test; these cases put the
// pick right on the extremes of each kind's geometry (corner tips of turned sprites under
// skewing parents, polygon nodes far from the object's origin, mesh boxes off centre),
// across the near and far planes, and below objects the bound throws out, where a bound
// that is too tight would lose the hit.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "scene/Scene.h"

using namespace vlm::scene;

namespace {

constexpr int kW = 1024, kH = 768;

class PickingBounds : public ::testing::Test {
protected:
    TGLScene scene;
    void SetUp() override {
        scene.Camera().SceneScale = kW / 1000.0f * 0.625f;
        // A long lens, so that every case covers enough pixels to tell its edges apart.
        scene.Camera().FocalLength = 120.0f;
    }

    glm::vec3 Ahead(float ahead, float up = 0.0f, float left = 0.0f) const {
        const glm::vec3 cam = scene.Camera().Position;
        return {cam.x + up, cam.y + ahead, cam.z + left};
    }
    TViewProjection VP() const { return ComputeViewProjection(scene.Camera(), kW, kH); }
    glm::vec2 Window(const glm::vec3& world) const {
        glm::vec3 w;
        EXPECT_TRUE(WorldToWindow(VP(), world, w));
        return {w.x, w.y};
    }
    TGLBaseSceneObject* Pick(glm::vec2 at) {
        return scene.GetPickedObject(static_cast<int>(std::lround(at.x)), static_cast<int>(std::lround(at.y)), kW, kH);
    }

    // Picks just inside every extreme point (towards their middle): the object must be
    // found there.  Three pixels past the leftmost, rightmost, top and bottom ones, where
    // the 3x3 square no longer reaches the shape, nothing may be found.
    void ExpectExtremesPicked(const TGLBaseSceneObject* obj, const std::vector<glm::vec2>& extremes) {
        glm::vec2 mid(0.0f), lo(1e30f), hi(-1e30f);
        for (const glm::vec2& e : extremes) {
            mid += e;
            lo = glm::min(lo, e);
            hi = glm::max(hi, e);
        }
        mid /= static_cast<float>(extremes.size());
        for (const glm::vec2& e : extremes) {
            ASSERT_GT(glm::length(mid - e), 8.0f) << "the case is too small on screen to mean anything";
            EXPECT_EQ(Pick(e + glm::normalize(mid - e) * 1.5f), obj) << "just inside the extreme at " << e.x << ", " << e.y;
            const glm::vec2 beyond[4] = {{lo.x - 3.0f, e.y}, {hi.x + 3.0f, e.y}, {e.x, lo.y - 3.0f}, {e.x, hi.y + 3.0f}};
            for (const glm::vec2& b : beyond) EXPECT_EQ(Pick(b), nullptr) << "beyond the shape at " << b.x << ", " << b.y;
        }
    }

    std::vector<glm::vec2> SpriteExtremes(const TGLBaseSceneObject& s, float w, float h, float rotation) const {
        glm::vec3 c[4];
        SpriteCorners(VP(), s.AbsoluteMatrix(), w, h, rotation, c);
        return {Window(c[0]), Window(c[1]), Window(c[2]), Window(c[3])};
    }
};

// A group in front of the camera, turned and scaled unevenly so that the screen axes
// seen in a child's frame are skewed and stretched.
struct TFrameCase {
    const char* Name;
    glm::vec3 GroupScale;
    float GroupTurn, GroupPitch, GroupRoll;
    glm::vec3 ChildScale;
    // A turned child in a stretched group is skewed.
    glm::vec3 ChildDirection, ChildUp;
    float Rotation;  // sprites only, degrees
};

// A child frame whose three axes lean equally on the group's Z axis.
const glm::vec3 kLeanDirection{0.0f, -0.81649658f, 0.57735027f};
const glm::vec3 kLeanUp{-0.70710678f, 0.40824829f, 0.57735027f};
const glm::vec3 kZ{0, 0, 1}, kY{0, 1, 0};

const TFrameCase kFrames[] = {
    {"plain", {1, 1, 1}, 0, 0, 0, {1, 1, 1}, kZ, kY, 0},
    {"playfield scale, turned sprite", {6, 0.1f, 8}, 0, 0, 0, {0.2f, 1, 0.15f}, kZ, kY, 30},
    {"skewing group, sprite at 45", {3, 0.5f, 1.5f}, 35, 20, 0, {1, 1, 1}, kZ, kY, 45},
    {"skewing group, sprite at 100", {0.5f, 2, 3}, -50, 10, 25, {1.5f, 0.5f, 1}, kZ, kY, 100},
    {"thin and turned", {8, 1, 0.3f}, 60, -30, 0, {1, 1, 2}, kZ, kY, -75},
    // The stretch along the screen comes from all three of the child's axes at once.
    {"stretched group, leaning child", {0.2f, 0.2f, 4}, 0, 0, 0, {1, 1, 1}, kLeanDirection, kLeanUp, 0},
    // Both screen axes fall on the one long axis: a turned sprite's tips reach furthest.
    {"nearly flat group, sprite at 45", {4, 0.05f, 0.05f}, 45, 0, 0, {1, 1, 1}, kZ, kY, 45},
};

class PickingBoundsFrames : public PickingBounds, public ::testing::WithParamInterface<TFrameCase> {
protected:
    void TurnChild(TGLBaseSceneObject& child) {
        child.Scale = GetParam().ChildScale;
        child.Direction = GetParam().ChildDirection;
        child.Up = GetParam().ChildUp;
    }
    TGLDummyCube* Group() {
        const TFrameCase& c = GetParam();
        auto* g = scene.Objects().AddNewChild<TGLDummyCube>();
        g->Position = Ahead(6.0f, 0.3f, -0.4f);
        g->Scale = c.GroupScale;
        g->Turn(c.GroupTurn);
        g->Pitch(c.GroupPitch);
        g->Roll(c.GroupRoll);
        return g;
    }
};

}  // namespace

TEST_P(PickingBoundsFrames, SpriteCornerTips) {
    auto* s = Group()->AddNewChild<TGLSprite>();
    s->Position = {0.1f, 0.05f, -0.1f};
    TurnChild(*s);
    s->SetSize(1.2f, 0.3f);
    s->Rotation = GetParam().Rotation;
    ExpectExtremesPicked(s, SpriteExtremes(*s, s->Width, s->Height, s->Rotation));
}

TEST_P(PickingBoundsFrames, AnimatedSpriteCornerTips) {
    auto* a = Group()->AddNewChild<TGLAnimatedSprite>();
    TurnChild(*a);
    auto& anim = a->AddAnimation();
    anim.FrameWidth = 90;
    anim.FrameHeight = 30;
    a->SetAnimationIndex(0);
    a->Rotation = GetParam().Rotation;
    ExpectExtremesPicked(a, SpriteExtremes(*a, a->SpriteWidth(), a->SpriteHeight(), a->Rotation));
}

TEST_P(PickingBoundsFrames, PolygonNodesFarFromTheOrigin) {
    // All of the polygon lies well to one side of its own position.
    auto* p = Group()->AddNewChild<TGLPolygon>();
    p->Scale = GetParam().ChildScale;
    p->Direction = {0.3f, -1.0f, 0.2f};
    p->Up = {1.0f, 0.0f, 0.0f};
    p->Nodes = {{0.9f, 0.2f, 0}, {1.5f, 0.3f, 0}, {1.6f, 0.9f, 0}, {0.8f, 0.7f, 0}};
    const glm::mat4 abs = p->AbsoluteMatrix();
    std::vector<glm::vec2> extremes;
    for (const glm::vec3& n : p->Nodes) extremes.push_back(Window(glm::vec3(abs * glm::vec4(n, 1.0f))));
    ExpectExtremesPicked(p, extremes);
}

TEST_P(PickingBoundsFrames, MeshBoxOffCentre) {
    auto* f = Group()->AddNewChild<TGLFreeForm>();
    f->Scale = GetParam().ChildScale;
    f->Turn(20.0f);
    TMeshData mesh;
    mesh.Vertices = {{1.0f, 0.5f, 0.2f}, {1.6f, 0.9f, 0.5f}};
    mesh.BoundsMin = mesh.Vertices[0];
    mesh.BoundsMax = mesh.Vertices[1];
    f->SetMesh(mesh);
    const glm::mat4 abs = f->AbsoluteMatrix();
    std::vector<glm::vec2> extremes;
    for (int k = 0; k < 8; ++k) {
        const glm::vec3 corner((k & 1) ? 1.6f : 1.0f, (k & 2) ? 0.9f : 0.5f, (k & 4) ? 0.5f : 0.2f);
        extremes.push_back(Window(glm::vec3(abs * glm::vec4(corner, 1.0f))));
    }
    ExpectExtremesPicked(f, extremes);
}

INSTANTIATE_TEST_SUITE_P(Frames, PickingBoundsFrames, ::testing::ValuesIn(kFrames),
                         [](const ::testing::TestParamInfo<TFrameCase>& info) {
                             std::string n = info.param.Name;
                             for (char& ch : n)
                                 if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
                             return n;
                         });

TEST_F(PickingBounds, TurnedHudSpriteTips) {
    // The parent's transform does not move HUD objects.
    auto* g = scene.Objects().AddNewChild<TGLDummyCube>();
    g->Scale = {3, 3, 3};
    g->Turn(40.0f);
    const struct {
        float W, H, Rotation;
    } kCases[] = {{160, 24, 0}, {160, 24, 30}, {100, 90, 45}, {-60, 70, 45}, {100, 90, -120}};
    for (const auto& k : kCases) {
        auto* h = g->AddNewChild<TGLHUDSprite>();
        h->Position = {300, 200, 0};
        h->SetSize(k.W, k.H);
        h->Rotation = k.Rotation;
        glm::vec2 c[4];
        HUDCorners(h->Position.x, h->Position.y, h->Width, h->Height, h->Rotation, c);
        ExpectExtremesPicked(h, {c[0], c[1], c[2], c[3]});
        h->Free();
        scene.SweepFreed();
    }
}

TEST_F(PickingBounds, ObjectsAcrossTheNearAndFarPlanes) {
    // A tilted plate whose own position is behind the camera but which reaches in front
    // of it: its near part is under the centre of the window.
    auto* plate = scene.Objects().AddNewChild<TGLPolygon>();
    plate->Position = Ahead(-5.0f);
    for (const glm::vec3& w : {Ahead(-1, -2, -1), Ahead(-1, -2, 1), Ahead(3, 1, 1), Ahead(3, 1, -1)})
        plate->Nodes.push_back(w - plate->Position);
    EXPECT_EQ(Pick({kW / 2.0f, kH / 2.0f}), plate);
    plate->Free();
    scene.SweepFreed();

    // Wholly beyond the far plane: gone.  Reaching back into range: picked, even where
    // the part under the pointer is beyond it (the nearest depth decides).
    const float far = VP().FarPlane;
    auto* distant = scene.Objects().AddNewChild<TGLSprite>();
    distant->Position = Ahead(far + 20.0f);
    distant->SetSize(40.0f, 40.0f);
    EXPECT_EQ(Pick({kW / 2.0f, kH / 2.0f}), nullptr);
    auto* reaching = scene.Objects().AddNewChild<TGLPolygon>();
    reaching->Position = Ahead(far + 40.0f);
    for (const glm::vec3& w : {Ahead(far - 5, -30, -30), Ahead(far - 5, -30, 30), Ahead(far + 30, 40, 30),
                               Ahead(far + 30, 40, -30)})
        reaching->Nodes.push_back(w - reaching->Position);
    EXPECT_EQ(Pick({kW / 2.0f, kH / 2.0f}), reaching);

    // Wholly between the eye and the near plane: gone.
    auto* tooClose = scene.Objects().AddNewChild<TGLSprite>();
    tooClose->Position = Ahead(VP().NearPlane * 0.25f);
    tooClose->SetSize(0.001f, 0.001f);
    EXPECT_EQ(Pick({kW / 2.0f, kH / 2.0f}), reaching);
}

TEST_F(PickingBounds, ChildrenOfObjectsThatAreNeverHitAreStillFound) {
    // Each parent is out of the picture or cannot be picked itself; its child sits in the
    // middle of the window.
    std::vector<TGLBaseSceneObject*> parents;
    auto* offScreen = scene.Objects().AddNewChild<TGLSprite>();
    offScreen->Position = Ahead(4.5f, 0, 100.0f);
    parents.push_back(offScreen);
    auto* unpickable = scene.Objects().AddNewChild<TGLSprite>();
    unpickable->Position = Ahead(4.5f, 0, 100.0f);
    unpickable->Pickable = false;
    parents.push_back(unpickable);
    auto* light = scene.Objects().AddNewChild<TGLLightSource>();
    light->Position = Ahead(4.5f, 0, 100.0f);
    parents.push_back(light);
    auto* bare = scene.Objects().AddNewChild<TGLPolygon>();  // no nodes: never drawn
    bare->Position = Ahead(4.5f, 0, 100.0f);
    parents.push_back(bare);
    for (TGLBaseSceneObject* p : parents) {
        auto* child = p->AddNewChild<TGLSprite>();
        child->Position = {0, 0, -100.0f};
        EXPECT_EQ(Pick({kW / 2.0f, kH / 2.0f}), child);
        child->Free();
        scene.SweepFreed();
    }
}

TEST_F(PickingBounds, HitsStopAtTheLimitAcrossRootAndCamera) {
    for (int i = 0; i < 5; ++i) {
        auto* s = scene.Objects().AddNewChild<TGLSprite>();
        s->Position = Ahead(5.0f + static_cast<float>(i));
    }
    auto* onCamera = scene.Camera().AddNewChild<TGLSprite>();
    onCamera->Position = {0, 0, 3.0f};  // the camera's own Z is its direction
    TGLScene::TPickHit hits[7];
    for (auto& h : hits) h = {nullptr, -1.0f};
    EXPECT_EQ(scene.PickHits(kW / 2, kH / 2, kW, kH, hits, 5), 5u);
    EXPECT_EQ(hits[5].Object, nullptr) << "nothing written past the limit";
    EXPECT_EQ(scene.PickHits(kW / 2, kH / 2, kW, kH, hits, 7), 6u);
    EXPECT_EQ(hits[5].Object, onCamera);
    EXPECT_EQ(scene.GetPickedObject(kW / 2, kH / 2, kW, kH), onCamera);
}
