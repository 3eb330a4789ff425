#include <gtest/gtest.h>

#include "scene/Scene.h"

using namespace vlm::scene;

namespace {

constexpr int kW = 1024, kH = 768;

// A scene with the game's start camera; world X is up the screen, world Z to the left.
class Picking : public ::testing::Test {
protected:
    TGLScene scene;
    TGLBitmapFont font;
    void SetUp() override { scene.Camera().SceneScale = kW / 1000.0f * 0.625f; }

    // A point `ahead` units in front of the camera, shifted `up` and `left` in world units.
    glm::vec3 Ahead(float ahead, float up = 0.0f, float left = 0.0f) {
        const glm::vec3 cam = scene.Camera().Position;
        return {cam.x + up, cam.y + ahead, cam.z + left};
    }
    TGLSprite* Sprite(TGLBaseSceneObject& parent, const char* name, glm::vec3 at, float size = 1.0f) {
        auto* s = parent.AddNewChild<TGLSprite>();
        s->Name = name;
        s->Position = at;
        s->SetSize(size, size);
        return s;
    }
    TGLBaseSceneObject* Pick(int x, int y) { return scene.GetPickedObject(x, y, kW, kH); }
};

}  // namespace

TEST_F(Picking, TheLensShowsThePlayFieldAcrossTheWindow) {
    // Focal length 40 (millimetres at 96 dots per inch, doubled) and the scene scale of a 1024
    // wide window: 1.58 ahead, where the play field lies, the window spans 8.36 units across
    // (the field's 8 and a little) and 6.27 up (its 6 and a little).
    const TViewProjection vp = ComputeViewProjection(scene.Camera(), kW, kH);
    EXPECT_NEAR(vp.FocalPixels, 40.0f * 0.64f * 2.0f * 96.0f / 25.4f, 1e-3f);
    glm::vec3 left, right, top, centre;
    ASSERT_TRUE(WorldToWindow(vp, Ahead(1.58f, 0, 4.18f), left));
    ASSERT_TRUE(WorldToWindow(vp, Ahead(1.58f, 0, -4.18f), right));
    ASSERT_TRUE(WorldToWindow(vp, Ahead(1.58f, 3.135f), top));
    ASSERT_TRUE(WorldToWindow(vp, Ahead(1.58f), centre));
    EXPECT_NEAR(left.x, 0.0f, 1.0f);
    EXPECT_NEAR(right.x, kW, 1.0f);
    EXPECT_NEAR(top.y, 0.0f, 1.0f);
    EXPECT_NEAR(centre.x, kW / 2.0f, 1e-3f);
    EXPECT_NEAR(centre.y, kH / 2.0f, 1e-3f);
    EXPECT_NEAR(centre.z, 1.58f, 1e-4f);
    // The view keeps its angle at every window size: the scene scale follows the width.
    for (int w : {640, 800}) {
        scene.Camera().SceneScale = w / 1000.0f * 0.625f;
        glm::vec3 edge;
        ASSERT_TRUE(WorldToWindow(ComputeViewProjection(scene.Camera(), w, w * 3 / 4), Ahead(1.58f, 0, 4.18f), edge));
        EXPECT_NEAR(edge.x, 0.0f, 1.0f) << w;
    }
    scene.Camera().SceneScale = kW / 1000.0f * 0.625f;
    glm::vec3 up;
    ASSERT_TRUE(WorldToWindow(vp, Ahead(1.58f, 1.0f), up));
    EXPECT_LT(up.y, centre.y) << "world +X is up the screen";
    // Raising the focal length zooms in.
    scene.Camera().FocalLength = 41.0f;
    glm::vec3 zoomed;
    ASSERT_TRUE(WorldToWindow(ComputeViewProjection(scene.Camera(), kW, kH), Ahead(1.58f, 0, 4.18f), zoomed));
    EXPECT_LT(zoomed.x, left.x);
}

TEST_F(Picking, EmptyAreaGivesNone) {
    Sprite(scene.Objects(), "S", Ahead(4.5f));
    EXPECT_EQ(Pick(10, 10), nullptr);
    EXPECT_NE(Pick(kW / 2, kH / 2), nullptr);
}

TEST_F(Picking, NearestByDepthWinsWhateverTheOrder) {
    Sprite(scene.Objects(), "Near", Ahead(3.0f));
    Sprite(scene.Objects(), "Far", Ahead(6.0f));
    ASSERT_NE(Pick(kW / 2, kH / 2), nullptr);
    EXPECT_EQ(Pick(kW / 2, kH / 2)->Name, "Near");
    scene.Objects().Child(0)->MoveLast();
    EXPECT_EQ(Pick(kW / 2, kH / 2)->Name, "Near");
}

TEST_F(Picking, EdgeOfSpriteUsesTheThreeByThreeSquare) {
    // A 1-unit sprite at the distance where it is 128 pixels across spans x 448 to 576.
    const float focal = ComputeViewProjection(scene.Camera(), kW, kH).FocalPixels;
    Sprite(scene.Objects(), "S", Ahead(focal / 128.0f));
    EXPECT_NE(Pick(576, kH / 2), nullptr);
    EXPECT_EQ(Pick(578, kH / 2), nullptr);
    EXPECT_NE(Pick(447, kH / 2), nullptr) << "the square reaches one pixel out";
    EXPECT_EQ(Pick(445, kH / 2), nullptr);
}

TEST_F(Picking, HudObjectsWinOverTheWorld) {
    Sprite(scene.Objects(), "World", Ahead(2.0f, 0, 0), 3.0f);
    auto* hud = scene.Objects().AddNewChild<TGLHUDSprite>();
    hud->Name = "Hud";
    hud->Position = {kW / 2.0f, kH / 2.0f, 0};
    hud->SetSize(40, 20);
    EXPECT_EQ(Pick(kW / 2, kH / 2)->Name, "Hud");
    EXPECT_EQ(Pick(kW / 2 + 30, kH / 2)->Name, "World") << "outside the 40 pixel wide HUD sprite";
    hud->Pickable = false;
    EXPECT_EQ(Pick(kW / 2, kH / 2)->Name, "World");
}

TEST_F(Picking, HudTextIsPickedByItsTextRectangle) {
    auto* t = scene.Objects().AddNewChild<TGLHUDText>();
    t->Name = "CL_level1";
    t->BitmapFont = &font;
    t->Text = "level 1";  // 7 glyphs of 64 * 0.5 = 32 pixels: 224 wide
    t->Scale = {0.5f, 0.5f, 1.0f};
    t->Position = {200, 100, 0};
    t->Alignment = TTextAlignment::Left;
    EXPECT_EQ(Pick(210, 110), t);
    EXPECT_EQ(Pick(420, 130), t);
    EXPECT_EQ(Pick(430, 110), nullptr);
    EXPECT_EQ(Pick(150, 110), nullptr);
    t->Text.clear();
    EXPECT_EQ(Pick(210, 110), nullptr);
}

TEST_F(Picking, HiddenGroupUnpicksItsButtonsAndFreedObjectsAreGone) {
    auto* menu = scene.Objects().AddNewChild<TGLDummyCube>();
    auto* button = Sprite(*menu, "MM_StartGame", Ahead(4.5f));
    auto* hudButton = menu->AddNewChild<TGLHUDSprite>();
    hudButton->Position = {100, 100, 0};
    hudButton->SetSize(50, 50);
    EXPECT_EQ(Pick(kW / 2, kH / 2), button);
    EXPECT_EQ(Pick(100, 100), hudButton);
    menu->Visible = false;
    EXPECT_EQ(Pick(kW / 2, kH / 2), nullptr);
    EXPECT_EQ(Pick(100, 100), nullptr);
    menu->Visible = true;
    button->Free();
    EXPECT_EQ(Pick(kW / 2, kH / 2), nullptr);
}

TEST_F(Picking, SpriteSizeFollowsTheParentScale) {
    // The playfield group is scaled (6, 0.1, 8): a unit sprite shows 8 units wide, 6 high.
    auto* field = scene.Objects().AddNewChild<TGLDummyCube>();
    // Where a unit is 64 pixels: 512 pixels wide, 384 high.
    field->Position = Ahead(ComputeViewProjection(scene.Camera(), kW, kH).FocalPixels / 64.0f);
    field->Scale = {6.0f, 0.1f, 8.0f};
    Sprite(*field, "Wide", {0, 0, 0});
    EXPECT_NE(Pick(kW / 2 + 250, kH / 2), nullptr);
    EXPECT_EQ(Pick(kW / 2 + 262, kH / 2), nullptr);
    EXPECT_NE(Pick(kW / 2, kH / 2 + 186), nullptr);
    EXPECT_EQ(Pick(kW / 2, kH / 2 + 198), nullptr);
}

TEST_F(Picking, OtherPickableKinds) {
    auto* sphere = scene.Objects().AddNewChild<TGLSphere>();
    sphere->Position = Ahead(10.0f, 0, 3.0f);
    sphere->Radius = 0.5f;
    glm::vec3 at;
    const TViewProjection vp = ComputeViewProjection(scene.Camera(), kW, kH);
    ASSERT_TRUE(WorldToWindow(vp, sphere->Position, at));
    EXPECT_EQ(Pick(static_cast<int>(at.x), static_cast<int>(at.y)), sphere);

    auto* poly = scene.Objects().AddNewChild<TGLPolygon>();
    poly->Position = Ahead(5.0f, 0, -2.0f);
    poly->Direction = {0, -1, 0};  // face the camera
    poly->Up = {1, 0, 0};
    poly->Nodes = {{-0.5f, -0.5f, 0}, {0.5f, -0.5f, 0}, {0.5f, 0.5f, 0}, {-0.5f, 0.5f, 0}};
    ASSERT_TRUE(WorldToWindow(vp, poly->Position, at));
    EXPECT_EQ(Pick(static_cast<int>(at.x), static_cast<int>(at.y)), poly);

    auto* blur = scene.Objects().AddNewChild<TGLBlur>();
    blur->Position = Ahead(1.0f);
    blur->SetSize(100, 100);
    EXPECT_EQ(Pick(static_cast<int>(at.x), static_cast<int>(at.y)), poly) << "blur overlays are never picked";
}

TEST_F(Picking, AtMostSixtyFourHitsAreConsidered) {
    for (int i = 0; i < 70; ++i) Sprite(scene.Objects(), "S", Ahead(20.0f - 0.1f * static_cast<float>(i)));
    TGLScene::TPickHit hits[kMaxPickHits];
    EXPECT_EQ(scene.PickHits(kW / 2, kH / 2, kW, kH, hits, kMaxPickHits), kMaxPickHits);
    // The nearest of the first 64 in scene order, not of all 70.
    EXPECT_EQ(Pick(kW / 2, kH / 2), scene.Objects().Child(63));
}
