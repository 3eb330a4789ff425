// Opens a real window (under Xvfb with Mesa's software renderer in CTest), draws small scenes and
// checks the pixels that came out.
#include "scene/Scene.h"
#include "scene/render/Renderer.h"
#include "render/AllocationCounter.h"

#include <epoxy/gl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>


namespace vlm::render {
namespace {

using namespace vlm::scene;

constexpr int kWidth = 320;
constexpr int kHeight = 240;

struct Rgb {
    int r, g, b;
};

std::ostream& operator<<(std::ostream& os, const Rgb& c) { return os << "(" << c.r << ", " << c.g << ", " << c.b << ")"; }

TRGBAImage Solid(int w, int h, std::array<std::uint8_t, 4> rgba) {
    TRGBAImage img;
    img.Width = w;
    img.Height = h;
    img.Pixels.resize(static_cast<std::size_t>(w) * h * 4);
    for (int i = 0; i < w * h; ++i)
        for (int c = 0; c < 4; ++c) img.Pixels[static_cast<std::size_t>(i) * 4 + c] = rgba[c];
    return img;
}

class WindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // The video system stays up until the process ends, so the GL driver is still loaded when
        // the leak checker looks at what it keeps (see lsan.supp).
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
            error_ = std::string("cannot start SDL's video system: ") + SDL_GetError();
            return;
        }
        renderer_ = Renderer::Create("Velmora 2 window test", kWidth, kHeight, false, false, &error_).release();
    }
    static void TearDownTestSuite() {
        delete renderer_;
        renderer_ = nullptr;
    }

    void SetUp() override {
        // No display or no OpenGL is a failure here, never a skip: this test exists to draw.
        ASSERT_NE(renderer_, nullptr) << "cannot open the test window: " << error_;
        renderer_->TakeGlErrors();
    }
    void TearDown() override {
        if (renderer_) {
            EXPECT_EQ(renderer_->TakeGlErrors(), "");
        }
    }

    // A point `depth` units in front of the camera, shifted `right` and `up` along the screen.
    glm::vec3 InFront(float depth, float right = 0.0f, float up = 0.0f) const {
        const TViewProjection vp = View();
        return vp.CameraPosition + vp.CameraForward * depth + vp.CameraRight * right + vp.CameraUp * up;
    }
    TViewProjection View() const { return ComputeViewProjection(scene_.Camera(), kWidth, kHeight); }
    glm::vec2 OnScreen(const glm::vec3& world) const {
        glm::vec3 w;
        EXPECT_TRUE(WorldToWindow(View(), world, w));
        return {w.x, w.y};
    }

    TGLSprite* AddSprite(const glm::vec3& position, float size, const TColor& color,
                         TBlendingMode blending = TBlendingMode::Opaque) {
        auto* s = scene_.Objects().AddNewChild<TGLSprite>();
        s->Position = position;
        s->SetSize(size, size);
        s->Material.FrontProperties.Diffuse = color;
        s->Material.BlendingMode = blending;
        return s;
    }

    // The camera as in the game, looking along +Y: cloud planes face it and are drawn as stacks.
    void LookAlongY() {
        TGLCamera& camera = scene_.Camera();
        camera.Position = {0, 0, 0};
        camera.Direction = {0, 1, 0};
        camera.Up = {1, 0, 0};
    }
    // A cloud plane over the whole window showing `img` (a material of `library` named `name`).
    TGLSkyBox* AddCloudPlane(TGLMaterialLibrary& library, const char* name, TRGBAImage img, TBlendingMode mode,
                             float alpha) {
        TGLLibMaterial* m = library.AddTextureMaterial(name);
        m->Material.Texture.SetImage(std::move(img));
        m->Material.BlendingMode = mode;
        m->Material.FrontProperties.Diffuse = {1, 1, 1, alpha};
        auto* box = scene_.Objects().AddNewChild<TGLSkyBox>();
        box->MaterialLibrary = &library;
        box->MatNameClouds = name;
        box->CloudsPlaneOffset = 0.15f;
        box->CloudsPlaneSize = 1.0f;
        return box;
    }

    TRGBAImage Draw(double time = 0.0) {
        renderer_->Render(scene_, kWidth, kHeight, time);
        renderer_->Present();
        TRGBAImage img = renderer_->ReadPixels();
        return img;
    }

    static Rgb At(const TRGBAImage& img, float x, float y) {
        const int ix = static_cast<int>(std::floor(x)), iy = static_cast<int>(std::floor(y));
        if (ix < 0 || iy < 0 || ix >= img.Width || iy >= img.Height) return {-1, -1, -1};
        const std::uint8_t* p = img.Pixel(ix, iy);
        return {p[0], p[1], p[2]};
    }
    static Rgb At(const TRGBAImage& img, glm::vec2 p) { return At(img, p.x, p.y); }

    static void ExpectNear(const Rgb& got, const Rgb& want, int tolerance = 3) {
        EXPECT_NEAR(got.r, want.r, tolerance) << "got " << got << ", want " << want;
        EXPECT_NEAR(got.g, want.g, tolerance) << "got " << got << ", want " << want;
        EXPECT_NEAR(got.b, want.b, tolerance) << "got " << got << ", want " << want;
    }

    static Renderer* renderer_;
    static std::string error_;
    TGLScene scene_;
};

Renderer* WindowTest::renderer_ = nullptr;
std::string WindowTest::error_;

TEST_F(WindowTest, ContextIsTheOneAskedFor) {
    // CTest also runs this suite with the driver capped at older versions to exercise the fallback
    // contexts; it names the shading language it expects then.
    const std::string description = renderer_->Description();
    if (const char* glsl = std::getenv("VLM_EXPECT_GLSL")) {
        EXPECT_NE(description.find(std::string("GLSL ") + glsl), std::string::npos) << description;
    }
    int w = 0, h = 0;
    renderer_->DrawableSize(w, h);
    EXPECT_EQ(w, kWidth);
    EXPECT_EQ(h, kHeight);
}

TEST_F(WindowTest, DriverErrorsAreReportedOnce) {
    glEnable(0x1234);  // not a capability: the driver raises GL_INVALID_ENUM
    EXPECT_EQ(renderer_->TakeGlErrors(), "OpenGL error 0x0500");
    EXPECT_EQ(renderer_->TakeGlErrors(), "");
}

TEST_F(WindowTest, RedSpriteLandsWhereTheCameraProjectsIt) {
    // Off-centre, so a mirrored or transposed projection would miss.
    const glm::vec3 pos = InFront(5.0f, 2.0f, 1.0f);
    TGLSprite* sprite = AddSprite(pos, 0.5f, {1, 0, 0, 1});
    const TRGBAImage img = Draw();
    ASSERT_EQ(img.Width, kWidth);
    ASSERT_EQ(img.Height, kHeight);
    const glm::vec2 centre = OnScreen(pos);
    ASSERT_GT(centre.x, kWidth / 2 + 40.0f);  // right of and above the middle
    ASSERT_LT(centre.y, kHeight / 2 - 20.0f);
    ExpectNear(At(img, centre), {255, 0, 0});
    ExpectNear(At(img, kWidth - centre.x, kHeight - centre.y), {0, 0, 0});  // the opposite side stays black
    ExpectNear(At(img, 5, 5), {0, 0, 0});
    // Drawing and picking agree on where the sprite is.
    EXPECT_EQ(scene_.GetPickedObject(static_cast<int>(centre.x), static_cast<int>(centre.y), kWidth, kHeight), sprite);
    EXPECT_EQ(renderer_->Stats().textureUploads, 0);
}

TEST_F(WindowTest, HiddenParentsAndFreedObjectsAreNotDrawn) {
    auto* group = scene_.Objects().AddNewChild<TGLDummyCube>();
    auto* hidden = group->AddNewChild<TGLSprite>();
    hidden->Position = InFront(5.0f, -1.0f);
    hidden->Material.FrontProperties.Diffuse = {0, 1, 0, 1};
    TGLSprite* freed = AddSprite(InFront(5.0f, 1.0f), 0.5f, {0, 0, 1, 1});
    group->Visible = false;
    freed->Free();
    const TRGBAImage img = Draw();
    ExpectNear(At(img, OnScreen(InFront(5.0f, -1.0f))), {0, 0, 0});
    ExpectNear(At(img, OnScreen(InFront(5.0f, 1.0f))), {0, 0, 0});
}

TEST_F(WindowTest, TextureOrientationAndMirroring) {
    // Top half red, bottom half blue, left column of the top half green.
    TRGBAImage pic = Solid(8, 8, {0, 0, 255, 255});
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x) {
            std::uint8_t* p = pic.Pixel(x, y);
            p[0] = x < 2 ? 0 : 255;
            p[1] = x < 2 ? 255 : 0;
            p[2] = 0;
        }
    const glm::vec3 pos = InFront(5.0f);
    TGLSprite* sprite = AddSprite(pos, 1.0f, {1, 1, 1, 1});
    sprite->Material.Texture.SetImage(pic);
    sprite->Material.Texture.MinFilter = TGLMinFilter::Nearest;
    sprite->Material.Texture.MagFilter = TGLMagFilter::Nearest;
    const glm::vec2 c = OnScreen(pos);
    const float q = 0.25f * View().FocalPixels / 5.0f;  // a quarter of the sprite in pixels

    struct Case {
        bool mirrorU, mirrorV;
        Rgb top, bottom, topLeft, topRight;
    };
    const Case cases[] = {
        {false, false, {255, 0, 0}, {0, 0, 255}, {0, 255, 0}, {255, 0, 0}},
        {false, true, {0, 0, 255}, {255, 0, 0}, {0, 0, 255}, {0, 0, 255}},
        {true, false, {255, 0, 0}, {0, 0, 255}, {255, 0, 0}, {0, 255, 0}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(testing::Message() << "MirrorU " << k.mirrorU << ", MirrorV " << k.mirrorV);
        sprite->MirrorU = k.mirrorU;
        sprite->MirrorV = k.mirrorV;
        const TRGBAImage img = Draw();
        ExpectNear(At(img, c.x + q * 0.3f, c.y - q), k.top);
        ExpectNear(At(img, c.x, c.y + q), k.bottom);
        ExpectNear(At(img, c.x - q * 1.8f, c.y - q), k.topLeft);
        ExpectNear(At(img, c.x + q * 1.8f, c.y - q), k.topRight);
    }
    // Rotation turns the picture counter-clockwise: a quarter turn brings its top to the left.
    sprite->MirrorU = sprite->MirrorV = false;
    sprite->Rotation = 90.0f;
    const TRGBAImage turned = Draw();
    ExpectNear(At(turned, c.x - q, c.y), {255, 0, 0});
    ExpectNear(At(turned, c.x + q, c.y), {0, 0, 255});
}

TEST_F(WindowTest, SpritesCutToTheirPictureLookTheSameAsWholeOnes) {
    // A lopsided picture on a clear ground: an L in the upper left, a dot touching the right edge
    // (which a wrapping texture carries over to the left edge).
    TRGBAImage pic = Solid(16, 16, {0, 0, 0, 0});
    auto show = [&](int x, int y, std::array<std::uint8_t, 4> c) {
        std::uint8_t* p = pic.Pixel(x, y);
        for (int i = 0; i < 4; ++i) p[i] = c[static_cast<std::size_t>(i)];
    };
    for (int i = 2; i < 9; ++i) {
        show(3, i, {255, 60, 0, 255});
        show(i, 8, {0, 200, 255, 160});
    }
    show(15, 5, {255, 255, 255, 255});
    const glm::vec3 pos = InFront(2.0f);  // about 120 pixels across
    // Behind it and drawn before it, something for the blending to show through.
    AddSprite(InFront(7.0f), 8.0f, {0.2f, 0.3f, 0.4f, 1});
    TGLSprite* sprite = AddSprite(pos, 1.6f, {1, 1, 1, 1}, TBlendingMode::Transparency);
    sprite->Material.Texture.SetImage(pic);
    sprite->Material.Texture.MinFilter = TGLMinFilter::Linear;

    struct Case {
        bool mirrorU, mirrorV;
        float rotation;
        TGLTextureWrap wrap;
    };
    const Case cases[] = {
        {false, false, 0.0f, TGLTextureWrap::Repeat},
        {true, false, 0.0f, TGLTextureWrap::Repeat},
        {false, true, 30.0f, TGLTextureWrap::Clamp},
        {true, true, 200.0f, TGLTextureWrap::Repeat},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(testing::Message() << "MirrorU " << k.mirrorU << ", MirrorV " << k.mirrorV << ", rotation "
                                        << k.rotation);
        sprite->MirrorU = k.mirrorU;
        sprite->MirrorV = k.mirrorV;
        sprite->Rotation = k.rotation;
        sprite->Material.Texture.TextureWrap = k.wrap;
        sprite->Material.TextureOffset = {0.0f, 0.0f};
        const TRGBAImage cut = Draw();
        EXPECT_EQ(renderer_->Stats().objectsTrimmed, 1);
        // A shift far below a texel maps the picture "differently", which keeps the whole square.
        sprite->Material.TextureOffset = {0.0f, 1e-6f};
        const TRGBAImage whole = Draw();
        EXPECT_EQ(renderer_->Stats().objectsTrimmed, 0);
        ASSERT_EQ(cut.Pixels.size(), whole.Pixels.size());
        int worst = 0, lit = 0;
        for (std::size_t i = 0; i < cut.Pixels.size(); ++i) {
            worst = std::max(worst, std::abs(int(cut.Pixels[i]) - int(whole.Pixels[i])));
            if (i % 4 == 0 && whole.Pixels[i] > 200) ++lit;
        }
        EXPECT_LE(worst, 2);
        EXPECT_GT(lit, 20);  // the picture is there to compare
    }
}

TEST_F(WindowTest, NoZWriteLetsLaterObjectsBehindShowThrough) {
    const glm::vec3 front = InFront(5.0f), back = InFront(7.0f);
    TGLSprite* near = AddSprite(front, 0.5f, {1, 0, 0, 1});
    AddSprite(back, 1.0f, {0, 1, 0, 1});  // drawn after the red one, behind it
    ExpectNear(At(Draw(), OnScreen(front)), {255, 0, 0});
    near->NoZWrite = true;
    ExpectNear(At(Draw(), OnScreen(front)), {0, 255, 0});
}

TEST_F(WindowTest, BlendedSpritesHideNothingBehindTheirSeeThroughParts) {
    // A near blended picture that is black (additive) or faint (transparency) everywhere, then a
    // green sprite behind it drawn later: the green shows through the whole near picture.
    TRGBAImage black = Solid(4, 4, {0, 0, 0, 255});
    TRGBAImage faint = Solid(4, 4, {255, 255, 255, 8});
    TGLMaterialLibrary library("Blended");
    for (const char* name : {"black", "faint"}) {
        TGLLibMaterial* m = library.AddTextureMaterial(name);
        m->Material.Texture.SetImage(std::string(name) == "black" ? black : faint);
        m->Material.FrontProperties.Diffuse = {1, 1, 1, 1};
        m->Material.BlendingMode = std::string(name) == "black" ? TBlendingMode::Additive : TBlendingMode::Transparency;
    }
    const glm::vec3 front = InFront(5.0f), back = InFront(7.0f);
    struct Case {
        const char* name;
        bool animated;
        const char* material;
    };
    const Case cases[] = {
        {"sprite, additive black", false, "black"},
        {"sprite, faint", false, "faint"},
        {"animated sprite, additive black", true, "black"},
        {"animated sprite, faint", true, "faint"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        TGLBaseSceneObject* made = nullptr;
        if (k.animated) {
            auto* anim = scene_.Objects().AddNewChild<TGLAnimatedSprite>();
            anim->MaterialLibrary = &library;
            anim->PixelRatio = 4.0f;
            TSpriteAnimation& a = anim->AddAnimation();
            a.FrameWidth = a.FrameHeight = 4;
            a.LibMaterialName = k.material;
            anim->SetAnimationIndex(0);
            anim->Position = front;
            made = anim;
        } else {
            TGLSprite* near = AddSprite(front, 1.0f, {1, 1, 1, 1});
            near->Material.SetLibMaterial(&library, k.material);
            made = near;
        }
        TGLSprite* green = AddSprite(back, 2.0f, {0, 1, 0, 1});
        const Rgb got = At(Draw(), OnScreen(front));
        EXPECT_LE(got.r, 20) << got;
        EXPECT_GE(got.g, 235) << got;
        made->Free();
        green->Free();
        scene_.SweepFreed();
    }
}

TEST_F(WindowTest, TextureOffsetScaleAndTiles) {
    // Left half red, right half green.
    TRGBAImage pic = Solid(8, 8, {0, 255, 0, 255});
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 4; ++x) pic.Pixel(x, y)[0] = 255, pic.Pixel(x, y)[1] = 0;
    const glm::vec3 pos = InFront(5.0f);
    TGLSprite* sprite = AddSprite(pos, 1.0f, {1, 1, 1, 1});
    sprite->Material.Texture.SetImage(pic);
    sprite->Material.Texture.MinFilter = TGLMinFilter::Nearest;
    sprite->Material.Texture.MagFilter = TGLMagFilter::Nearest;
    auto* hud = scene_.Objects().AddNewChild<TGLHUDSprite>();
    hud->Position = {60, 30, 0};
    hud->SetSize(100, 20);
    hud->Material.FrontProperties.Diffuse = {1, 1, 1, 1};
    hud->Material.Texture.SetImage(pic);
    hud->Material.Texture.MinFilter = TGLMinFilter::Nearest;
    hud->Material.Texture.MagFilter = TGLMagFilter::Nearest;
    const glm::vec2 c = OnScreen(pos);
    const float w = View().FocalPixels / 5.0f;  // the sprite's width in pixels

    struct Case {
        const char* name;
        glm::vec2 offset, scale;
        int tiles;
        Rgb at30, at80;       // sprite, at 30 % and 80 % of its width
        Rgb hud20, hud80;     // HUD sprite, at 20 % and 80 % of its width
    };
    const Rgb red{255, 0, 0}, green{0, 255, 0};
    const Case cases[] = {
        {"plain", {0, 0}, {1, 1}, 1, red, green, red, green},
        {"offset by half", {0.5f, 0}, {1, 1}, 1, green, red, green, red},
        {"scaled twice", {0, 0}, {2, 1}, 1, green, green, red, green},
        {"two tiles across", {0, 0}, {1, 1}, 2, red, green, red, green},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        sprite->Material.TextureOffset = hud->Material.TextureOffset = k.offset;
        sprite->Material.TextureScale = hud->Material.TextureScale = k.scale;
        hud->XTiles = k.tiles;
        const TRGBAImage img = Draw();
        ExpectNear(At(img, c.x - w * 0.2f, c.y), k.at30);
        ExpectNear(At(img, c.x + w * 0.3f, c.y), k.at80);
        if (k.tiles == 2) {
            // Two copies across: 40 % of the width lies in the first copy's right half.
            ExpectNear(At(img, 10 + 40, 30), green);
            ExpectNear(At(img, 10 + 60, 30), red);
        } else {
            ExpectNear(At(img, 10 + 20, 30), k.hud20);
            ExpectNear(At(img, 10 + 80, 30), k.hud80);
        }
    }
}

TEST_F(WindowTest, AnimatedSpriteShowsItsCurrentFrame) {
    // A 2 x 2 grid of 4 x 4 frames: red, green / blue, white.
    TRGBAImage sheet = Solid(8, 8, {255, 255, 255, 255});
    const std::array<std::array<std::uint8_t, 3>, 4> colours{{{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}}};
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            const auto& col = colours[static_cast<std::size_t>((y / 4) * 2 + x / 4)];
            std::copy(col.begin(), col.end(), sheet.Pixel(x, y));
        }
    TGLMaterialLibrary library("Anim");
    TGLLibMaterial* mat = library.AddTextureMaterial("grid");
    mat->Material.Texture.SetImage(sheet);
    mat->Material.FrontProperties.Diffuse = {1, 1, 1, 1};
    auto* anim = scene_.Objects().AddNewChild<TGLAnimatedSprite>();
    anim->MaterialLibrary = &library;
    anim->PixelRatio = 4.0f;  // a 4-pixel frame is one unit across
    TSpriteAnimation& a = anim->AddAnimation();
    a.FrameWidth = a.FrameHeight = 4;
    a.EndFrame = 3;
    a.LibMaterialName = "grid";
    anim->SetAnimationIndex(0);
    const glm::vec3 pos = InFront(5.0f, 0.7f);
    anim->Position = pos;
    const glm::vec2 c = OnScreen(pos);
    const float half = 0.5f * View().FocalPixels / 5.0f;
    for (int frame = 0; frame < 4; ++frame) {
        SCOPED_TRACE(testing::Message() << "frame " << frame);
        anim->CurrentAnimation()->CurrentFrame = frame;
        const TRGBAImage img = Draw();
        const auto& col = colours[static_cast<std::size_t>(frame)];
        ExpectNear(At(img, c), {col[0], col[1], col[2]});
        ExpectNear(At(img, c.x + half + 3.0f, c.y), {0, 0, 0});  // one unit across, no more
    }
}

TEST_F(WindowTest, PolygonFillsTheShapeOfItsNodes) {
    // Under a playfield group scaled like the game's (6, 0.1, 8): X up the screen, Z to the left.
    auto* field = scene_.Objects().AddNewChild<TGLDummyCube>();
    field->Position = InFront(5.0f);
    field->Scale = {6.0f, 0.1f, 8.0f};
    auto* poly = field->AddNewChild<TGLPolygon>();
    poly->Material.FrontProperties.Diffuse = {1, 0.5f, 0, 1};
    for (glm::vec3 p : {glm::vec3(0.1f, 0, 0), glm::vec3(-0.1f, 0, 0.1f), glm::vec3(-0.1f, 0, -0.1f)}) poly->AddNode(p);
    const TRGBAImage img = Draw();
    auto screen = [&](float x, float z) { return OnScreen(field->LocalToAbsolute({x, 0, z})); };
    ExpectNear(At(img, screen(-0.03f, 0)), {255, 128, 0});    // inside, near the centroid
    ExpectNear(At(img, screen(0.08f, 0.0f)), {255, 128, 0});  // towards the tip
    ExpectNear(At(img, screen(0.08f, 0.08f)), {0, 0, 0});     // beside the tip
    ExpectNear(At(img, screen(-0.12f, 0)), {0, 0, 0});        // below the base
    // The tip points up the screen.
    EXPECT_LT(screen(0.1f, 0).y, screen(-0.1f, 0).y);
}

TEST_F(WindowTest, AnImageShortOfPixelsDrawsUntextured) {
    TRGBAImage broken = Solid(64, 64, {0, 0, 255, 255});
    broken.Pixels.resize(100);  // far fewer than 64 x 64 pixels
    const glm::vec3 pos = InFront(5.0f);
    TGLSprite* sprite = AddSprite(pos, 0.5f, {1, 1, 0, 1});
    sprite->Material.Texture.SetImage(broken);
    ExpectNear(At(Draw(), OnScreen(pos)), {255, 255, 0});
    EXPECT_EQ(renderer_->Stats().textureUploads, 0);
}

TEST_F(WindowTest, BlendingModesCombineWithWhatIsBeneath) {
    struct Case {
        const char* name;
        TBlendingMode mode;
        TColor front;
        Rgb expected;
    };
    // The back sprite is (0.4, 0.2, 0) opaque.
    const Case cases[] = {
        {"additive adds", TBlendingMode::Additive, {0.4f, 0.2f, 0.5f, 1.0f}, {204, 102, 128}},
        {"additive scales by alpha", TBlendingMode::Additive, {0.4f, 0.4f, 0.4f, 0.5f}, {153, 102, 51}},
        {"transparency mixes", TBlendingMode::Transparency, {0.0f, 0.0f, 1.0f, 0.5f}, {51, 26, 128}},
        {"opaque covers", TBlendingMode::Opaque, {0.0f, 1.0f, 0.0f, 0.5f}, {0, 255, 0}},
    };
    const glm::vec3 back = InFront(6.0f), front = InFront(5.0f);
    AddSprite(back, 1.0f, {0.4f, 0.2f, 0.0f, 1.0f});
    TGLSprite* top = AddSprite(front, 0.5f, {1, 1, 1, 1});
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        top->Material.BlendingMode = k.mode;
        top->Material.FrontProperties.Diffuse = k.front;
        const TRGBAImage img = Draw();
        ExpectNear(At(img, OnScreen(front)), k.expected);
    }
}

TEST_F(WindowTest, AlphaChannelReplacesTheMaterialAlpha) {
    const glm::vec3 pos = InFront(5.0f);
    TGLSprite* s = AddSprite(pos, 0.5f, {1, 1, 1, 0.2f}, TBlendingMode::Transparency);
    ExpectNear(At(Draw(), OnScreen(pos)), {51, 51, 51});
    s->AlphaChannel = 0.6f;
    ExpectNear(At(Draw(), OnScreen(pos)), {153, 153, 153});
}

TEST_F(WindowTest, FogDarkensDistantObjects) {
    scene_.Viewer.FogEnabled = true;
    scene_.Viewer.FogStart = 5.0f;
    scene_.Viewer.FogEnd = 30.0f;
    const glm::vec3 nearPos = InFront(4.0f, -0.6f), midPos = InFront(10.0f, 0.0f), farPos = InFront(25.0f, 3.0f);
    AddSprite(nearPos, 0.4f, {1, 1, 1, 1});
    AddSprite(midPos, 1.0f, {1, 1, 1, 1});
    AddSprite(farPos, 2.5f, {1, 1, 1, 1});
    TRGBAImage img = Draw();
    ExpectNear(At(img, OnScreen(nearPos)), {255, 255, 255});  // before the fog starts
    ExpectNear(At(img, OnScreen(midPos)), {204, 204, 204});   // (30 - 10) / 25
    ExpectNear(At(img, OnScreen(farPos)), {51, 51, 51});      // (30 - 25) / 25
    scene_.Viewer.FogEnabled = false;
    img = Draw();
    ExpectNear(At(img, OnScreen(farPos)), {255, 255, 255});
}

TEST_F(WindowTest, SortingModesOrderTheBlendedObjects) {
    // In scene order: a half-transparent blue sprite in front, a half-transparent red one behind
    // it, an opaque green one at the back.
    const glm::vec3 front = InFront(5.0f), middle = InFront(7.0f), back = InFront(9.0f);
    AddSprite(front, 0.5f, {0, 0, 1, 0.5f}, TBlendingMode::Transparency);
    AddSprite(middle, 1.0f, {1, 0, 0, 0.5f}, TBlendingMode::Transparency);
    AddSprite(back, 2.0f, {0, 1, 0, 1});
    struct Case {
        TGLObjectsSorting sorting;
        const char* name;
        Rgb expected;
    };
    const Case cases[] = {
        // Scene order: blended sprites leave no depth, so the opaque one drawn last covers both.
        {TGLObjectsSorting::None, "none", {0, 255, 0}},
        // Opaque first: green, then blue over it, then red over both in scene order.
        {TGLObjectsSorting::RenderBlendedLast, "blended last", {128, 64, 64}},
        // Opaque first, then the blended ones from the farthest: green, red over it, blue over both.
        {TGLObjectsSorting::RenderFarthestFirst, "farthest first", {64, 64, 128}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        scene_.ObjectsSorting = k.sorting;
        ExpectNear(At(Draw(), OnScreen(front)), k.expected);
    }
}

TEST_F(WindowTest, HudIsDrawnOverTheWorldInSceneOrder) {
    auto* hud1 = scene_.Objects().AddNewChild<TGLHUDSprite>();
    auto* hud2 = scene_.Objects().AddNewChild<TGLHUDSprite>();
    // The world sprite comes last in scene order and sits right in front of the camera.
    AddSprite(InFront(1.0f), 2.0f, {1, 0, 0, 1});
    hud1->Position = {100, 60, 0};
    hud1->SetSize(60, 40);
    hud1->Material.FrontProperties.Diffuse = {0, 1, 0, 1};
    hud2->Position = {120, 60, 0};
    hud2->SetSize(20, 20);
    hud2->Material.FrontProperties.Diffuse = {0, 0, 1, 1};
    const TRGBAImage img = Draw();
    ExpectNear(At(img, 80, 60), {0, 255, 0});   // HUD over the world
    ExpectNear(At(img, 120, 60), {0, 0, 255});  // the later HUD sprite over the earlier
    ExpectNear(At(img, 100, 90), {255, 0, 0});  // the world around it
    // Window pixels with y down: the sprite's top edge is at 40.
    ExpectNear(At(img, 80, 41), {0, 255, 0});
    ExpectNear(At(img, 80, 38), {255, 0, 0});
}

TEST_F(WindowTest, HudTextDrawsGlyphsFromTheFontSheet) {
    // Sheet of 8 x 7 cells; glyph 0 ("A" and "a") is solid in its left half, glyph 26 ("0") in
    // its top half.
    TRGBAImage sheet = Solid(8 * 64, 7 * 64, {0, 0, 0, 0});
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 32; ++x) {
            std::uint8_t* p = sheet.Pixel(x, y);
            p[0] = p[1] = p[2] = p[3] = 255;
        }
    for (int y = 3 * 64; y < 3 * 64 + 32; ++y)
        for (int x = 2 * 64; x < 3 * 64; ++x) {
            std::uint8_t* p = sheet.Pixel(x, y);
            p[0] = p[1] = p[2] = p[3] = 255;
        }
    TGLBitmapFont font;
    font.Glyphs.SetImage(sheet);
    font.Glyphs.MinFilter = TGLMinFilter::Nearest;
    font.Glyphs.MagFilter = TGLMagFilter::Nearest;

    auto* text = scene_.Objects().AddNewChild<TGLHUDText>();
    text->BitmapFont = &font;
    text->Text = "a0";
    text->Position = {40, 50, 0};
    text->ModulateColor = {1, 0.5f, 0, 1};
    TRGBAImage img = Draw();
    // "a": 40..104 across, 50..114 down, lit in its left half only.
    ExpectNear(At(img, 50, 80), {255, 128, 0});
    ExpectNear(At(img, 90, 80), {0, 0, 0});
    // "0": 104..168 across, lit in its top half only.
    ExpectNear(At(img, 136, 60), {255, 128, 0});
    ExpectNear(At(img, 136, 100), {0, 0, 0});

    // Right-aligned, half size, faded to half by the colour's alpha.
    text->Text = "a";
    text->Alignment = TTextAlignment::Right;
    text->Scale = {0.5f, 0.5f, 1.0f};
    text->ModulateColor = {1, 1, 1, 0.5f};
    img = Draw();
    ExpectNear(At(img, 10, 60), {128, 128, 128});  // 8..40 across, lit 8..24
    ExpectNear(At(img, 30, 60), {0, 0, 0});
    ExpectNear(At(img, 50, 80), {0, 0, 0});
}

TEST_F(WindowTest, ParticlesAreDrawnAdditively) {
    AddSprite(InFront(8.0f), 4.0f, {0, 0, 0.5f, 1});
    auto* fx = scene_.Objects().AddNewChild<TGLParticleFXRenderer>();
    auto* manager = scene_.AddParticleManager<TGLPolygonPFXManager>("sparks", 16);
    manager->SetRenderer(fx);
    manager->ParticleSize = 0.6f;
    manager->ColorInner = {0.5f, 0.25f, 0, 1};
    manager->ColorOuter = {0.5f, 0.25f, 0, 1};
    const glm::vec3 pos = InFront(5.0f);
    ASSERT_TRUE(manager->CreateParticle(pos, glm::vec3(0)));
    ASSERT_TRUE(manager->CreateParticle(pos, glm::vec3(0)));
    const TRGBAImage img = Draw();
    // Two particles at the same place add up over the blue backdrop.
    ExpectNear(At(img, OnScreen(pos)), {255, 128, 128});
    // 0.6 across at 5 units is 18 pixels: 15 pixels aside there is only the backdrop.
    ExpectNear(At(img, OnScreen(pos) + glm::vec2(15.0f, 0.0f)), {0, 0, 128});
    EXPECT_EQ(renderer_->Stats().particlesDrawn, 2);
}

TEST_F(WindowTest, LightSourceBrightensMeshes) {
    auto* sphere = scene_.Objects().AddNewChild<TGLSphere>();
    const glm::vec3 pos = InFront(6.0f);
    sphere->Position = pos;
    sphere->Radius = 1.0f;
    sphere->Slices = 28;
    sphere->Material.FrontProperties.Diffuse = {0.2f, 0.2f, 0.8f, 1.0f};
    auto* light = scene_.Objects().AddNewChild<TGLLightSource>();
    light->Position = InFront(3.0f);
    light->Shining = false;
    const Rgb dark = At(Draw(), OnScreen(pos));
    EXPECT_GT(dark.b, dark.r + 20) << dark;  // lit by the fixed key light in its own colour
    light->Shining = true;
    const Rgb bright = At(Draw(), OnScreen(pos));
    EXPECT_GT(bright.b, dark.b + 40) << dark << " -> " << bright;
    light->ConstAttenuation = 20.0f;  // the explosion flash fades by raising the attenuation
    const Rgb faded = At(Draw(), OnScreen(pos));
    EXPECT_LT(faded.b, bright.b - 20) << bright << " -> " << faded;
}

TEST_F(WindowTest, SecondTextureReflectsOnMeshes) {
    TGLMaterialLibrary library("Models");
    TGLLibMaterial* hull = library.AddTextureMaterial("Hull");
    hull->Material.FrontProperties.Diffuse = {0.5f, 0.5f, 0.5f, 1.0f};
    library.AddTextureMaterial("Env")->Material.Texture.SetImage(Solid(4, 4, {255, 0, 0, 255}));
    auto* sphere = scene_.Objects().AddNewChild<TGLSphere>();
    const glm::vec3 pos = InFront(6.0f);
    sphere->Position = pos;
    sphere->Radius = 1.0f;
    sphere->Material.SetLibMaterial(&library, "Hull");
    const Rgb plain = At(Draw(), OnScreen(pos));
    EXPECT_NEAR(plain.r, plain.b, 3) << plain;  // grey without the reflection
    hull->Texture2Name = "Env";
    const Rgb shiny = At(Draw(), OnScreen(pos));
    EXPECT_GT(shiny.r, plain.r + 30) << plain << " -> " << shiny;
    EXPECT_LT(shiny.b, plain.b) << plain << " -> " << shiny;
}

TEST_F(WindowTest, FlatFacesLitPerVertexLookAsLitPerPixel) {
    // One large square of a textured, reflecting, shiny hull, lit by the key light and a lamp
    // behind the viewer. It is turned so that the key light's highlight falls in its middle, far
    // from its corners: a highlight worked out per vertex would miss it.
    TGLMaterialLibrary library("Models");
    TGLLibMaterial* hull = library.AddTextureMaterial("Hull");
    TRGBAImage checker = Solid(8, 8, {200, 200, 200, 255});
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            if ((x + y) % 2 != 0) checker.Pixels[static_cast<std::size_t>((y * 8 + x) * 4)] = 90;
    hull->Material.Texture.SetImage(std::move(checker));
    TGLFaceProperties& face = hull->Material.FrontProperties;
    face.Diffuse = {0.4f, 0.4f, 0.4f, 1.0f};
    face.Specular = {0.6f, 0.6f, 0.6f, 1.0f};
    face.Shininess = 128.0f;
    library.AddTextureMaterial("Env")->Material.Texture.SetImage(Solid(4, 4, {40, 90, 160, 255}));
    hull->Texture2Name = "Env";

    const TViewProjection vp = View();
    const glm::vec3 key = glm::normalize(glm::vec3(-0.35f, 0.55f, 0.75f));  // the renderer's, in eye space
    const glm::vec3 half = glm::normalize(key + glm::vec3(0.0f, 0.0f, 1.0f));
    const glm::vec3 normal =
        glm::normalize(vp.CameraRight * half.x + vp.CameraUp * half.y - vp.CameraForward * half.z);
    const glm::vec3 centre = InFront(5.0f);
    const glm::vec3 side = glm::normalize(glm::cross(normal, vp.CameraUp));
    const glm::vec3 up = glm::cross(side, normal);
    TMeshData data;
    const float r = 1.6f;
    for (auto [s, u] : {std::pair{-1.0f, -1.0f}, {1.0f, -1.0f}, {1.0f, 1.0f}, {-1.0f, 1.0f}}) {
        data.Vertices.push_back(centre + side * (s * r) + up * (u * r));
        data.Normals.push_back(normal);
        data.TexCoords.push_back({(s + 1.0f) * 0.5f, (u + 1.0f) * 0.5f});
    }
    data.Groups.push_back({"Hull", {0, 1, 2, 0, 2, 3}});
    auto* mesh = scene_.Objects().AddNewChild<TGLFreeForm>();
    mesh->MaterialLibrary = &library;
    mesh->SetMesh(data);
    auto* lamp = scene_.Objects().AddNewChild<TGLLightSource>();
    lamp->Position = InFront(-2.0f, 1.0f, 0.5f);
    lamp->Diffuse = {0.2f, 0.15f, 0.1f, 1.0f};

    renderer_->SetVertexLighting(false);
    const TRGBAImage perPixel = Draw();
    renderer_->SetVertexLighting(true);
    const TRGBAImage perVertex = Draw();
    ASSERT_EQ(perPixel.Pixels.size(), perVertex.Pixels.size());
    const glm::vec2 middle = OnScreen(centre);
    const Rgb shine = At(perPixel, middle), dull = At(perPixel, OnScreen(centre + side * 1.2f + up * 1.2f));
    EXPECT_GT(shine.g, dull.g + 60) << "the highlight is in the middle: " << shine << " against " << dull;
    long total = 0, counted = 0;
    int worst = 0;
    for (std::size_t i = 0; i < perPixel.Pixels.size(); ++i) {
        if (i % 4 == 3) continue;
        const int d = std::abs(int(perPixel.Pixels[i]) - int(perVertex.Pixels[i]));
        total += d;
        ++counted;
        worst = std::max(worst, d);
    }
    EXPECT_LT(double(total) / double(counted), 0.25) << "mean difference per channel";
    EXPECT_LE(worst, 4) << "largest difference of a channel";
}

TEST_F(WindowTest, FreeFormDrawsEachFaceGroupWithItsMaterial) {
    TGLMaterialLibrary library("MeshLib");
    // Lit by their emission alone, so each shows its own colour.
    for (const auto& [name, emission] : {std::pair{"Left", TColor{1, 0, 0, 1}}, std::pair{"Right", TColor{0, 1, 0, 1}}}) {
        TGLFaceProperties& face = library.AddTextureMaterial(name)->Material.FrontProperties;
        face.Emission = emission;
        face.Diffuse = {0, 0, 0, 1};
        face.Ambient = {0, 0, 0, 1};
    }
    auto* mesh = scene_.Objects().AddNewChild<TGLFreeForm>();
    mesh->MaterialLibrary = &library;
    const TViewProjection vp = View();
    // Two squares facing the camera, side by side, 5 units ahead, built directly in world space.
    TMeshData data;
    auto corner = [&](float r, float u) { return InFront(5.0f, r, u); };
    const glm::vec3 toCamera = -vp.CameraForward;
    for (int side = 0; side < 2; ++side) {
        const float x0 = side == 0 ? -1.0f : 0.1f, x1 = side == 0 ? -0.1f : 1.0f;
        const auto base = static_cast<std::uint32_t>(data.Vertices.size());
        for (glm::vec3 p : {corner(x0, -0.5f), corner(x1, -0.5f), corner(x1, 0.5f), corner(x0, 0.5f)}) {
            data.Vertices.push_back(p);
            data.Normals.push_back(toCamera);
            data.TexCoords.push_back({0, 0});
        }
        data.Groups.push_back({side == 0 ? "Left" : "Right", {base, base + 1, base + 2, base, base + 2, base + 3}});
    }
    mesh->SetMesh(data);
    TRGBAImage img = Draw();
    const Rgb left = At(img, OnScreen(corner(-0.5f, 0))), right = At(img, OnScreen(corner(0.5f, 0)));
    EXPECT_GT(left.r, 200) << left;
    EXPECT_LT(left.g, left.r - 100) << left;
    EXPECT_GT(right.g, 200) << right;
    EXPECT_LT(right.r, right.g - 100) << right;
    EXPECT_EQ(renderer_->Stats().meshUploads, 1);
    img = Draw();
    EXPECT_EQ(renderer_->Stats().meshUploads, 0);  // uploaded once
    EXPECT_EQ(renderer_->Stats().meshDraws, 2);
    // A new mesh in the same object is uploaded again: here the squares swap materials.
    std::swap(data.Groups[0].MaterialName, data.Groups[1].MaterialName);
    mesh->SetMesh(data);
    img = Draw();
    EXPECT_EQ(renderer_->Stats().meshUploads, 1);
    EXPECT_GT(At(img, OnScreen(corner(-0.5f, 0))).g, 200);
    EXPECT_GT(At(img, OnScreen(corner(0.5f, 0))).r, 200);
}

TEST_F(WindowTest, FreeFormFacesOverOneAnotherShowTheNearestWhateverTheirOrder) {
    // An opaque mesh lays down its depth before it is shaded: the picture must stay that of
    // drawing the groups one by one, see-through ones included, in either order.
    TGLMaterialLibrary library("MeshLib");
    struct Look {
        const char* name;
        TColor emission;
        TBlendingMode mode;
        float alpha;
    };
    for (const Look& l : {Look{"Near", {1, 0, 0, 1}, TBlendingMode::Opaque, 1.0f},
                          Look{"Far", {0, 1, 0, 1}, TBlendingMode::Opaque, 1.0f},
                          Look{"Glass", {0, 0, 1, 1}, TBlendingMode::Transparency, 0.5f}}) {
        TGLLibMaterial* m = library.AddTextureMaterial(l.name);
        m->Material.FrontProperties.Emission = l.emission;
        m->Material.FrontProperties.Diffuse = {0, 0, 0, l.alpha};
        m->Material.FrontProperties.Ambient = {0, 0, 0, 1};
        m->Material.BlendingMode = l.mode;
    }
    auto* mesh = scene_.Objects().AddNewChild<TGLFreeForm>();
    mesh->MaterialLibrary = &library;
    const TViewProjection vp = View();
    const glm::vec3 toCamera = -vp.CameraForward;
    // name, depth, left and right edge: the far square is wide, the near one and the glass narrow.
    struct Square {
        const char* name;
        float depth, x0, x1;
    };
    const Square near{"Near", 5.0f, -0.6f, 0.0f}, far{"Far", 6.0f, -1.2f, 1.2f}, glass{"Glass", 4.0f, -0.2f, 0.4f};
    for (bool nearFirst : {true, false}) {
        SCOPED_TRACE(nearFirst ? "near group first" : "far group first");
        TMeshData data;
        for (const Square& q : nearFirst ? std::array{near, far, glass} : std::array{glass, far, near}) {
            const auto base = static_cast<std::uint32_t>(data.Vertices.size());
            for (glm::vec3 p : {InFront(q.depth, q.x0, -0.5f), InFront(q.depth, q.x1, -0.5f), InFront(q.depth, q.x1, 0.5f),
                                InFront(q.depth, q.x0, 0.5f)}) {
                data.Vertices.push_back(p);
                data.Normals.push_back(toCamera);
                data.TexCoords.push_back({0, 0});
            }
            data.Groups.push_back({q.name, {base, base + 1, base + 2, base, base + 2, base + 3}});
        }
        mesh->SetMesh(data);
        const TRGBAImage img = Draw();
        // Where only the near face is (left of the glass), it shows; the far face shows at its ends.
        const Rgb nearOnly = At(img, OnScreen(InFront(5.0f, -0.4f, 0.0f)));
        EXPECT_GT(nearOnly.r, 200) << nearOnly;
        EXPECT_LT(nearOnly.g, 50) << nearOnly;
        const Rgb farOnly = At(img, OnScreen(InFront(6.0f, 0.9f, 0.0f)));
        EXPECT_GT(farOnly.g, 200) << farOnly;
        // The glass drawn last: half blue over the near face and over the far face. Drawn first
        // (it leaves no depth), the opaque faces drawn after it cover it, as drawn one by one.
        const Rgb glassNear = At(img, OnScreen(InFront(4.0f, -0.1f, 0.0f)));
        ExpectNear(glassNear, nearFirst ? Rgb{128, 0, 128} : Rgb{255, 0, 0});
        const Rgb glassFar = At(img, OnScreen(InFront(4.0f, 0.3f, 0.0f)));
        ExpectNear(glassFar, nearFirst ? Rgb{0, 128, 128} : Rgb{0, 255, 0});
    }
}

TEST_F(WindowTest, SkyBoxCloudsFillTheBackground) {
    TGLMaterialLibrary library("Clouds");
    auto* clouds = library.AddTextureMaterial("c1");
    clouds->Material.FrontProperties.Diffuse = {0.2f, 0.4f, 0.6f, 1.0f};
    auto* sky = scene_.Objects().AddNewChild<TGLSkyBox>();
    sky->MaterialLibrary = &library;
    sky->CloudsPlaneOffset = 0.15f;
    sky->CloudsPlaneSize = 0.86f;
    sky->MatNameClouds = "missing";
    ExpectNear(At(Draw(), kWidth / 2.0f, kHeight / 2.0f), {0, 0, 0});  // an unknown name shows nothing
    sky->MatNameClouds = "c1";
    // Drawn first, with no depth, it stays behind a sprite that comes after it.
    AddSprite(InFront(20.0f), 1.0f, {1, 1, 0, 1});
    const TRGBAImage img = Draw();
    ExpectNear(At(img, 10, 10), {51, 102, 153});
    ExpectNear(At(img, kWidth / 2.0f, kHeight / 2.0f), {255, 255, 0});
}

TEST_F(WindowTest, BlurLeavesAFadingTrailBehindAMovingSprite) {
    const glm::vec3 a = InFront(5.0f, -1.2f), b = InFront(5.0f, 0.0f), c = InFront(5.0f, 1.2f);
    TGLSprite* sprite = AddSprite(a, 0.6f, {1, 1, 1, 1});
    auto* blur = scene_.Objects().AddNewChild<TGLBlur>();
    blur->Material.BlendingMode = TBlendingMode::Additive;
    blur->Material.FrontProperties.Diffuse = {1, 1, 1, 0.7f};
    blur->BlurDeltaTime = 0.02;
    blur->BlurLeft = blur->BlurRight = blur->BlurTop = blur->BlurBottom = 0.0f;

    Draw(0.0);  // the first frame only fills the blur's picture
    sprite->Position = b;
    Draw(0.05);
    sprite->Position = c;
    const TRGBAImage img = Draw(0.10);
    const Rgb atA = At(img, OnScreen(a)), atB = At(img, OnScreen(b)), atC = At(img, OnScreen(c));
    ExpectNear(atC, {255, 255, 255});
    // One refresh ago the sprite was at b (0.7), two ago at a (0.7 * 0.7).
    EXPECT_NEAR(atB.g, 178, 12) << atB;
    EXPECT_NEAR(atA.g, 125, 12) << atA;

    // Between refreshes (0.02 s apart) the overlay keeps showing the same picture.
    const Rgb first = At(Draw(0.11), OnScreen(a));
    const Rgb second = At(Draw(0.115), OnScreen(a));
    EXPECT_NEAR(first.g, 87, 12) << first;  // 0.7 of what a showed at the last refresh
    ExpectNear(second, first, 1);

    // Without the overlay nothing trails.
    blur->Visible = false;
    const TRGBAImage plain = Draw(0.2);
    ExpectNear(At(plain, OnScreen(a)), {0, 0, 0});
    ExpectNear(At(plain, OnScreen(b)), {0, 0, 0});
}

TEST_F(WindowTest, BlurInsetsStretchTheTrailOutwards) {
    // A sprite off-centre; with insets the blur's copy is magnified about the window's centre,
    // so after the sprite disappears its echo sits farther out than the sprite was.
    const glm::vec3 pos = InFront(5.0f, 1.0f);
    TGLSprite* sprite = AddSprite(pos, 0.3f, {1, 1, 1, 1});
    auto* blur = scene_.Objects().AddNewChild<TGLBlur>();
    blur->Material.BlendingMode = TBlendingMode::Additive;
    blur->Material.FrontProperties.Diffuse = {1, 1, 1, 1};
    blur->BlurLeft = blur->BlurRight = 0.1f;
    blur->BlurTop = blur->BlurBottom = 0.0f;
    Draw(0.0);
    sprite->Visible = false;
    const TRGBAImage img = Draw(0.05);
    const glm::vec2 p = OnScreen(pos);
    // The sprite covered [p.x - 13.5, p.x + 13.5]; magnified by 1 / 0.8 about the centre.
    const float echo = kWidth / 2.0f + (p.x - kWidth / 2.0f) / 0.8f;
    EXPECT_GT(At(img, echo, p.y).g, 150) << "echo at " << echo;
    EXPECT_LT(At(img, p.x - 12.0f, p.y).g, 60);
}

TEST_F(WindowTest, BatchesSpritesAndUploadsTexturesOnlyWhenTheyChange) {
    TGLMaterialLibrary library("Lib");
    TGLLibMaterial* mat = library.AddTextureMaterial("dot");
    mat->Material.Texture.SetImage(Solid(4, 4, {255, 255, 255, 255}));
    mat->Material.BlendingMode = TBlendingMode::Transparency;
    for (int i = 0; i < 1000; ++i) {
        auto* s = scene_.Objects().AddNewChild<TGLSprite>();
        s->Position = InFront(10.0f + (i % 10), (i % 40) * 0.1f - 2.0f, (i / 40) * 0.08f - 1.0f);
        s->SetSize(0.05f, 0.05f);
        s->Material.SetLibMaterial(&library, "dot");
    }
    Draw();
    EXPECT_EQ(renderer_->Stats().textureUploads, 1);
    Draw();
    EXPECT_EQ(renderer_->Stats().textureUploads, 0);
    EXPECT_EQ(renderer_->Stats().drawCalls, 1);  // one material, one draw
    EXPECT_EQ(renderer_->Stats().batchedPrimitives, 1000);
    mat->Material.Texture.SetImage(Solid(4, 4, {255, 0, 0, 255}));
    const TRGBAImage img = Draw();
    EXPECT_EQ(renderer_->Stats().textureUploads, 1);
    const Rgb c = At(img, OnScreen(InFront(10.0f, -2.0f, -1.0f)));
    EXPECT_EQ(c.g, 0) << c;  // the new picture is the one drawn
}

TEST_F(WindowTest, ASteadyFrameAllocatesNothing) {
    // One of every kind that draws.
    TGLMaterialLibrary library("Lib");
    TGLLibMaterial* mat = library.AddTextureMaterial("pic");
    mat->Material.Texture.SetImage(Solid(8, 8, {200, 100, 50, 255}));
    mat->Material.BlendingMode = TBlendingMode::Transparency;
    for (int i = 0; i < 50; ++i) {
        TGLSprite* s = AddSprite(InFront(6.0f + i % 3, (i % 10) * 0.3f - 1.5f, (i / 10) * 0.3f - 0.7f), 0.2f, {1, 1, 1, 1});
        s->Material.SetLibMaterial(&library, "pic");
    }
    auto* poly = scene_.Objects().AddNewChild<TGLPolygon>();
    for (glm::vec3 p : {InFront(8, -1, -1), InFront(8, 1, -1), InFront(8, 0, 1)}) poly->AddNode(p);
    auto* sphere = scene_.Objects().AddNewChild<TGLSphere>();
    sphere->Position = InFront(10.0f, 2.0f);
    auto* light = scene_.Objects().AddNewChild<TGLLightSource>();
    light->Position = InFront(4.0f);
    auto* anim = scene_.Objects().AddNewChild<TGLAnimatedSprite>();
    anim->MaterialLibrary = &library;
    TSpriteAnimation& a = anim->AddAnimation();
    a.FrameWidth = a.FrameHeight = 4;
    a.EndFrame = 3;
    a.LibMaterialName = "pic";
    anim->SetAnimationIndex(0);
    anim->Position = InFront(5.0f, -1.0f);
    auto* sky = scene_.Objects().AddNewChild<TGLSkyBox>();
    sky->MaterialLibrary = &library;
    sky->MatNameClouds = "pic";
    auto* fx = scene_.Objects().AddNewChild<TGLParticleFXRenderer>();
    auto* smoke = scene_.AddParticleManager<TGLPerlinPFXManager>("smoke", 64);
    auto* sparks = scene_.AddParticleManager<TGLPolygonPFXManager>("sparks", 64);
    smoke->SetRenderer(fx);
    sparks->SetRenderer(fx);
    for (int i = 0; i < 20; ++i) {
        smoke->CreateParticle(InFront(5.0f, i * 0.1f), glm::vec3(0));
        sparks->CreateParticle(InFront(5.0f, -i * 0.1f), glm::vec3(0));
    }
    scene_.Objects().AddNewChild<TGLLensFlare>()->Position = InFront(5.0f, 0.5f, 0.5f);
    auto* blur = scene_.Objects().AddNewChild<TGLBlur>();
    blur->Material.BlendingMode = TBlendingMode::Additive;
    TGLBitmapFont font;
    font.Glyphs.SetImage(Solid(512, 512, {255, 255, 255, 255}));
    auto* text = scene_.Objects().AddNewChild<TGLHUDText>();
    text->BitmapFont = &font;
    text->Text = "score: 12345";
    auto* hud = scene_.Objects().AddNewChild<TGLHUDSprite>();
    hud->Position = {50, 50, 0};
    hud->Material.SetLibMaterial(&library, "pic");
    scene_.ObjectsSorting = TGLObjectsSorting::RenderFarthestFirst;

    for (int i = 0; i < 3; ++i) renderer_->Render(scene_, kWidth, kHeight, i * 0.05);  // first uploads
    long allocations = 0;
    {
        AllocationCounter counter;
        for (int i = 3; i < 6; ++i) renderer_->Render(scene_, kWidth, kHeight, i * 0.05);
        allocations = counter.Count();
    }
    EXPECT_EQ(allocations, 0);
    EXPECT_EQ(renderer_->TakeGlErrors(), "");  // every kind drawn without a driver complaint
    EXPECT_EQ(renderer_->Stats().textureUploads, 0);
    EXPECT_EQ(renderer_->Stats().objectsDrawn, 59);  // everything but the light source

    // Without the blur overlay the frames go straight into the window: just as quiet.
    blur->Visible = false;
    for (int i = 6; i < 9; ++i) renderer_->Render(scene_, kWidth, kHeight, i * 0.05);
    {
        AllocationCounter counter;
        for (int i = 9; i < 12; ++i) {
            renderer_->Render(scene_, kWidth, kHeight, i * 0.05);
            renderer_->Present();
        }
        allocations = counter.Count();
    }
    EXPECT_EQ(allocations, 0);
    EXPECT_EQ(renderer_->Stats().objectsDrawn, 58);
}

TEST_F(WindowTest, CloudPlanesComposeAsIfDrawnOneByOne) {
    // The camera looks along +Y as in the game, so the planes face it and are drawn as one stack.
    LookAlongY();
    TGLMaterialLibrary library("Clouds");
    auto plane = [&](const char* name, std::array<std::uint8_t, 4> rgba, TBlendingMode mode, float alpha) {
        return AddCloudPlane(library, name, Solid(4, 4, rgba), mode, alpha);
    };
    plane("Space", {51, 102, 153, 255}, TBlendingMode::Transparency, 1.0f);
    plane("Red", {255, 0, 0, 255}, TBlendingMode::Transparency, 0.5f);
    TGLSkyBox* missing = plane("Gone", {0, 0, 255, 255}, TBlendingMode::Transparency, 1.0f);
    missing->MatNameClouds = "NotInTheLibrary";  // shows nothing, breaks nothing
    plane("Green", {0, 102, 0, 255}, TBlendingMode::Additive, 0.5f);
    plane("Veil", {255, 255, 255, 128}, TBlendingMode::Transparency, 1.0f);  // texel alpha ~0.5

    // (0.2, 0.4, 0.6), half red over it, plus half of 0.4 green, then the white veil at 128/255.
    const float veil = 128.0f / 255.0f;
    auto expect = [&](float r, float g, float b) {
        return Rgb{int(std::lround(255 * (r * (1 - veil) + veil))), int(std::lround(255 * (g * (1 - veil) + veil))),
                   int(std::lround(255 * (b * (1 - veil) + veil)))};
    };
    TRGBAImage img = Draw();
    ExpectNear(At(img, kWidth / 2.0f, kHeight / 2.0f), expect(0.6f, 0.4f, 0.3f));
    ExpectNear(At(img, 3, 3), expect(0.6f, 0.4f, 0.3f));
    // Four planes of one colour each (soft, however drawn): composed at half size, then one pass
    // over the window.
    EXPECT_EQ(renderer_->Stats().drawCalls, 2) << "four planes, two passes";

    // An opaque object between the planes splits the stack: the upper planes still cover it.
    const glm::vec3 pos = InFront(5.0f);
    TGLSprite* sprite = AddSprite(pos, 1.0f, {0, 0, 1, 1});
    sprite->MoveToIndex(2);
    img = Draw();
    ExpectNear(At(img, OnScreen(pos)), expect(0.0f, 0.2f, 1.0f));
    ExpectNear(At(img, 3, 3), expect(0.6f, 0.4f, 0.3f));
}

TEST_F(WindowTest, PlanesUnderAndOverAnOpaqueSphereLookAsIfDrawnOneByOne) {
    // The level's backdrop: a space plane, the planet, then planes over both. A small planet is
    // drawn over the planes and the planes above it drawn again over it; a large one is drawn first
    // and the planes fill the pixels it left empty. Either way the picture is that of drawing
    // them one by one.
    LookAlongY();
    TGLMaterialLibrary library("Clouds");
    std::vector<TGLSkyBox*> boxes;
    auto plane = [&](const char* name, std::array<std::uint8_t, 4> rgba, TBlendingMode mode, float alpha) {
        boxes.push_back(AddCloudPlane(library, name, Solid(4, 4, rgba), mode, alpha));
    };
    plane("Space", {51, 102, 153, 255}, TBlendingMode::Transparency, 1.0f);
    auto* planet = scene_.Objects().AddNewChild<TGLSphere>();
    planet->Radius = 1.0f;
    planet->Material.FrontProperties.Diffuse = {0.9f, 0.6f, 0.1f, 1.0f};
    plane("Red", {255, 0, 0, 255}, TBlendingMode::Transparency, 0.5f);
    plane("Green", {0, 102, 0, 255}, TBlendingMode::Additive, 0.5f);
    plane("Veil", {255, 255, 255, 128}, TBlendingMode::Transparency, 1.0f);  // texel alpha ~0.5
    const float veil = 128.0f / 255.0f;
    auto over = [&](float r, float g, float b) {  // half red, half of 0.4 green, the veil
        r = r * 0.5f + 0.5f;
        g = g * 0.5f + 0.2f;
        b = b * 0.5f;
        return Rgb{int(std::lround(255 * (r * (1 - veil) + veil))), int(std::lround(255 * (g * (1 - veil) + veil))),
                   int(std::lround(255 * (b * (1 - veil) + veil)))};
    };
    auto* blur = scene_.Objects().AddNewChild<TGLBlur>();
    blur->Material.BlendingMode = TBlendingMode::Transparency;
    blur->Material.FrontProperties.Diffuse = {1, 1, 1, 0};  // takes part, shows nothing

    // At 6 units the planet covers a thirtieth of the window; at 2 units its square is a third.
    for (float depth : {6.0f, 2.0f}) {
        SCOPED_TRACE(depth == 6.0f ? "a small planet" : "a large planet");
        const float k = depth / 6.0f;  // off centre, at the same place on screen
        auto at = [&](float right, float up) { return InFront(depth, right * k, up * k); };
        const glm::vec3 pos = at(1.2f, 0.8f);
        planet->Position = pos;
        blur->Visible = false;
        for (TGLSkyBox* box : boxes) box->Visible = false;
        const Rgb bare = At(Draw(), OnScreen(pos));  // the lit planet alone
        for (TGLSkyBox* box : boxes) box->Visible = true;
        // Straight into the window, and through the offscreen target (a blur overlay needs it).
        for (bool withBlur : {false, true}) {
            SCOPED_TRACE(withBlur ? "through the offscreen target" : "straight into the window");
            blur->Visible = withBlur;
            for (TGLObjectsSorting sorting : {TGLObjectsSorting::None, TGLObjectsSorting::RenderBlendedLast}) {
                scene_.ObjectsSorting = sorting;
                const TRGBAImage img = Draw();
                ExpectNear(At(img, OnScreen(pos)), over(bare.r / 255.0f, bare.g / 255.0f, bare.b / 255.0f));
                // The planet's rim, above and below, left and right: the planes over it reach its edge.
                for (const glm::vec3 rim : {at(1.2f, 1.7f), at(1.2f, -0.1f), at(2.1f, 0.8f), at(0.3f, 0.8f)}) {
                    const Rgb got = At(img, OnScreen(rim));
                    EXPECT_GT(got.r, 140) << "half red and the veil over the planet's edge: " << got;
                }
                ExpectNear(At(img, 3, 3), over(0.2f, 0.4f, 0.6f));
                ExpectNear(At(img, kWidth - 4, kHeight - 4), over(0.2f, 0.4f, 0.6f));
            }
        }
    }
    blur->Visible = false;
    // Moved off screen, the planet leaves the whole window to the planes.
    const glm::vec3 pos = InFront(6.0f, 1.2f, 0.8f);
    planet->Position = InFront(-6.0f);
    ExpectNear(At(Draw(), OnScreen(pos)), over(0.2f, 0.4f, 0.6f));
}

TEST_F(WindowTest, SoftPlanesComposedAtHalfSizeLookAsAtFullSize) {
    // A sharp plane (a texel to a pixel: never halved), a planet, and three soft planes over both
    // (a texel to many pixels), all of noise, so a composed picture that were shifted, flipped or
    // mixed with the sharp plane would show.
    LookAlongY();
    std::uint32_t seed = 7;
    auto noise = [&](int size, bool withAlpha) {
        TRGBAImage img = Solid(size, size, {0, 0, 0, 255});
        for (std::size_t i = 0; i < img.Pixels.size(); ++i) {
            seed = seed * 1664525u + 1013904223u;
            if (i % 4 != 3 || withAlpha) img.Pixels[i] = static_cast<std::uint8_t>(seed >> 24);
        }
        return img;
    };
    TGLMaterialLibrary library("Clouds");
    auto plane = [&](const char* name, TRGBAImage img, TBlendingMode mode, float alpha) {
        AddCloudPlane(library, name, std::move(img), mode, alpha);
    };
    plane("Stars", noise(768, false), TBlendingMode::Transparency, 1.0f);  // about a texel to a pixel
    auto* planet = scene_.Objects().AddNewChild<TGLSphere>();
    planet->Position = InFront(6.0f, 1.2f, 0.8f);
    planet->Radius = 1.0f;
    planet->Material.FrontProperties.Diffuse = {0.9f, 0.6f, 0.1f, 1.0f};
    plane("Mist", noise(12, true), TBlendingMode::Transparency, 0.6f);
    plane("Glow", noise(10, false), TBlendingMode::Additive, 0.3f);
    plane("Haze", noise(16, true), TBlendingMode::Transparency, 0.4f);

    for (bool withPlanet : {true, false}) {
        SCOPED_TRACE(withPlanet ? "planes under and over a planet" : "planes alone");
        planet->Visible = withPlanet;
        renderer_->SetHalfSizeSoftPlanes(false);
        const TRGBAImage full = Draw();
        const int fullCalls = renderer_->Stats().drawCalls;
        renderer_->SetHalfSizeSoftPlanes(true);
        const TRGBAImage half = Draw();
        EXPECT_EQ(renderer_->Stats().drawCalls, fullCalls + 1) << "the soft planes composed in a pass of their own";
        ASSERT_EQ(full.Pixels.size(), half.Pixels.size());
        long total = 0;
        int worst = 0;
        for (std::size_t i = 0; i < full.Pixels.size(); ++i) {
            if (i % 4 == 3) continue;
            const int d = std::abs(int(full.Pixels[i]) - int(half.Pixels[i]));
            total += d;
            worst = std::max(worst, d);
        }
        const double mean = double(total) / double(full.Pixels.size() / 4 * 3);
        EXPECT_LT(mean, 1.0) << "mean difference per channel";
        EXPECT_LE(worst, 12) << "largest difference of a channel";
    }
    renderer_->SetHalfSizeSoftPlanes(true);
}

TEST_F(WindowTest, MinifiedPicturesAreDrawnFromEveryMipmapLevel) {
    // A picture of odd size, red on the left and blue on the right, shrunk well below its size:
    // sampled from the smaller levels, which must be there (a texture short of a level draws
    // black) and hold the picture's colours where they were.
    TRGBAImage img = Solid(75, 41, {0, 0, 255, 255});
    for (int y = 0; y < img.Height; ++y)
        for (int x = 0; x < 37; ++x) {
            std::uint8_t* p = img.Pixels.data() + (static_cast<std::size_t>(y) * img.Width + x) * 4;
            p[0] = 255;
            p[2] = 0;
        }
    const glm::vec3 pos = InFront(5.0f);
    TGLSprite* sprite = AddSprite(pos, 0.5f, {1, 1, 1, 1});  // about 15 pixels for 75 texels
    sprite->Material.Texture.SetImage(std::move(img));
    for (TGLMinFilter filter : {TGLMinFilter::LinearMipmapLinear, TGLMinFilter::NearestMipmapNearest}) {
        sprite->Material.Texture.MinFilter = filter;
        const TRGBAImage frame = Draw();
        const glm::vec2 centre = OnScreen(pos);
        ExpectNear(At(frame, centre - glm::vec2(4.0f, 0.0f)), {255, 0, 0}, 8);
        ExpectNear(At(frame, centre + glm::vec2(4.0f, 0.0f)), {0, 0, 255}, 8);
    }
}

TEST_F(WindowTest, PicturesLetGoOfTheirPixelsOnceUploaded) {
    const glm::vec3 pos = InFront(5.0f);
    TGLSprite* sprite = AddSprite(pos, 1.0f, {1, 1, 1, 1});
    sprite->Material.Texture.SetImage(Solid(8, 8, {0, 255, 0, 255}));
    sprite->Material.Texture.MinFilter = TGLMinFilter::Linear;
    ExpectNear(At(Draw(), OnScreen(pos)), {0, 255, 0});
    EXPECT_TRUE(sprite->Material.Texture.Image(false)->Data.Pixels.empty());
    ExpectNear(At(Draw(), OnScreen(pos)), {0, 255, 0});
    EXPECT_EQ(renderer_->Stats().textureUploads, 0);
    // New settings: the picture is processed and uploaded afresh.
    sprite->Material.Texture.ImageBrightness = 0.5f;
    ExpectNear(At(Draw(), OnScreen(pos)), {0, 128, 0});
    EXPECT_EQ(renderer_->Stats().textureUploads, 1);
}

TEST_F(WindowTest, ReadPixelsSeesTheLastFrameBeforeAndAfterPresent) {
    // Once straight into the window, once through the offscreen target (a blur overlay needs it).
    const glm::vec3 pos = InFront(5.0f);
    TGLSprite* sprite = AddSprite(pos, 1.0f, {1, 0, 0, 1});
    auto* blur = scene_.Objects().AddNewChild<TGLBlur>();
    blur->Material.BlendingMode = TBlendingMode::Transparency;
    blur->Material.FrontProperties.Diffuse = {1, 1, 1, 0};  // takes part, shows nothing
    for (bool withBlur : {false, true}) {
        SCOPED_TRACE(withBlur ? "through the offscreen target" : "straight into the window");
        blur->Visible = withBlur;
        for (const TColor& color : {TColor{1, 0, 0, 1}, TColor{0, 1, 0, 1}}) {
            sprite->Material.FrontProperties.Diffuse = color;
            const Rgb want{color.r > 0 ? 255 : 0, color.g > 0 ? 255 : 0, 0};
            renderer_->Render(scene_, kWidth, kHeight, 0.0);
            const TRGBAImage before = renderer_->ReadPixels();
            renderer_->Present();
            const TRGBAImage after = renderer_->ReadPixels();
            ASSERT_EQ(before.Width, kWidth);
            ASSERT_EQ(before.Height, kHeight);
            ExpectNear(At(before, OnScreen(pos)), want);
            EXPECT_EQ(before.Pixels, after.Pixels);
        }
    }
}

TEST_F(WindowTest, ABlurOverlayLooksTheSameDrawnInTheWindowAsThroughTheOffscreenTarget) {
    // In the window the blur shrinks a half-size copy of the back buffer; through the offscreen
    // target it shrinks the frame itself. Stripes one pixel wide tell a copy that skipped pixels
    // (they would come out all dark or all bright) from one that averaged them.
    TRGBAImage stripes = Solid(64, 64, {0, 0, 0, 255});
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; x += 2) {
            std::uint8_t* p = &stripes.Pixels[static_cast<std::size_t>(y * 64 + x) * 4];
            p[0] = p[1] = p[2] = 255;
        }
    auto* hud = scene_.Objects().AddNewChild<TGLHUDSprite>();
    hud->Position = {kWidth / 2.0f, kHeight / 2.0f, 0};
    hud->SetSize(64, 64);  // a texel to a pixel
    hud->Material.Texture.SetImage(stripes);
    hud->Material.Texture.MinFilter = TGLMinFilter::Nearest;
    hud->Material.Texture.MagFilter = TGLMagFilter::Nearest;
    const glm::vec3 pos = InFront(5.0f, 1.5f);
    AddSprite(pos, 1.0f, {0.2f, 0.8f, 0.4f, 1});
    auto* blur = scene_.Objects().AddNewChild<TGLBlur>();
    blur->Material.BlendingMode = TBlendingMode::Transparency;
    blur->Material.FrontProperties.Diffuse = {1, 1, 1, 0.8f};
    blur->RenderWidth = blur->RenderHeight = 64;
    blur->BlurDeltaTime = 0.0;
    auto frames = [&](bool inWindow) {
        renderer_->SetReadAfterPresent(!inWindow);
        TRGBAImage img;
        // The overlay takes in its own last picture (a fifth of it stays each frame): let it settle.
        for (int i = 0; i < 30; ++i) {
            renderer_->Render(scene_, kWidth, kHeight, i * 0.05);
            img = renderer_->ReadPixels();
            renderer_->Present();
        }
        return img;
    };
    const TRGBAImage window = frames(true), offscreen = frames(false);
    renderer_->SetReadAfterPresent(true);
    const glm::vec2 centre(kWidth / 2.0f, kHeight / 2.0f);
    for (const glm::vec2 p : {OnScreen(pos), centre, centre + glm::vec2(40, 0), glm::vec2(5, 5)})
        ExpectNear(At(window, p), At(offscreen, p), 4);
    // The overlay shows: the stripes' middle is evened out towards grey, the sprite's green spreads.
    const Rgb mid = At(window, centre.x + 0.5f, centre.y);
    EXPECT_GT(mid.r, 60);
    EXPECT_LT(mid.r, 230);
}

TEST_F(WindowTest, SpritesDrawnAfterTheStreamingBuffersWrapAroundShow) {
    // More quads a frame than the streaming buffers hold on a software rasterizer (one batch of
    // 65536 corners): the second flush starts the buffers over, three frames in a row.
    // Overlapping red squares in rows from the bottom up; those of the top rows come after the
    // start-over (16384 quads fill a batch).
    for (int i = 0; i < 17000; ++i)
        AddSprite(InFront(6.0f, float(i % 130) * 0.02f - 1.3f, float(i / 130) * 0.02f - 1.3f), 0.05f, {1, 0, 0, 1});
    const glm::vec3 last = InFront(4.0f, 0.5f, 0.0f);
    AddSprite(last, 0.3f, {0, 1, 0, 1});
    for (int frame = 0; frame < 3; ++frame) {
        SCOPED_TRACE(frame);
        const TRGBAImage img = Draw(frame * 0.05);
        ExpectNear(At(img, OnScreen(last)), Rgb{0, 255, 0});
        ExpectNear(At(img, OnScreen(InFront(6.0f, -0.5f, -1.2f))), Rgb{255, 0, 0});  // before
        ExpectNear(At(img, OnScreen(InFront(6.0f, -0.5f, 1.26f))), Rgb{255, 0, 0});  // after
    }
}

TEST_F(WindowTest, AFrameReadOnlyBeforeItsSwapIsReadWhereverItWasDrawn) {
    // A program that reads its frames only before the swap lets them go straight into the window
    // on any driver: what it reads then is the frame just drawn, with or without a blur overlay.
    renderer_->SetReadAfterPresent(false);
    const glm::vec3 pos = InFront(5.0f);
    TGLSprite* sprite = AddSprite(pos, 1.0f, {1, 0, 0, 1});
    auto* blur = scene_.Objects().AddNewChild<TGLBlur>();
    blur->Material.BlendingMode = TBlendingMode::Transparency;
    blur->Material.FrontProperties.Diffuse = {1, 1, 1, 0};
    for (bool withBlur : {false, true, false}) {
        SCOPED_TRACE(withBlur ? "with a blur overlay" : "without");
        blur->Visible = withBlur;
        for (const TColor& color : {TColor{0, 0, 1, 1}, TColor{0, 1, 0, 1}}) {
            sprite->Material.FrontProperties.Diffuse = color;
            renderer_->Render(scene_, kWidth, kHeight, 0.0);
            const Rgb want{0, color.g > 0 ? 255 : 0, color.b > 0 ? 255 : 0};
            ExpectNear(At(renderer_->ReadPixels(), OnScreen(pos)), want);
            ExpectNear(At(renderer_->ReadWindowPixels(), OnScreen(pos)), want);
            renderer_->Present();
        }
    }
    renderer_->SetReadAfterPresent(true);
}

} // namespace
} // namespace vlm::render
