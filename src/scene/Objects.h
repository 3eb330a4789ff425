// The scene object kinds.
#pragma once

#include <climits>
#include <string>
#include <vector>

#include "scene/BitmapFont.h"
#include "scene/Material.h"
#include "scene/Mesh.h"
#include "scene/SceneObject.h"

namespace vlm::scene {

class TGLParticleFXManager;

// Invisible grouping node.
class TGLDummyCube : public TGLBaseSceneObject {
public:
    TGLDummyCube() : TGLBaseSceneObject(TObjectKind::DummyCube) {}
    float CubeSize = 1.0f;
    bool VisibleAtRunTime = false;  // never drawn in this game
};

// Camera-facing textured quad centred on the position, Width x Height in the object's
// (scaled) frame.  See SpriteCorners() in Projection.h for the exact geometry.
class TGLSprite : public TGLBaseSceneObject {
public:
    TGLSprite() : TGLBaseSceneObject(TObjectKind::Sprite) {}
    float Width = 1.0f;
    float Height = 1.0f;
    float Rotation = 0.0f;  // degrees about the view axis
    // Clamped 0..1; when it differs from 1 it replaces the material's diffuse alpha.
    TAlphaChannel AlphaChannel;
    bool MirrorU = false;
    bool MirrorV = false;
    bool NoZWrite = false;
    // An overlay: drawn over whatever the scene drew before it, whatever its depth (menus that
    // open over play).
    bool NoDepthTest = false;
    TGLMaterial Material;

    void SetSize(float w, float h) { Width = w; Height = h; }
    // The alpha to draw with: AlphaChannel when it is not 1, else the material's diffuse alpha.
    float DrawAlpha() const;

protected:
    explicit TGLSprite(TObjectKind kind) : TGLBaseSceneObject(kind) {}
};

// Screen-space quad.  Position.x, Position.y are window pixels of the centre (origin at
// the top-left corner, y down); Width, Height in pixels.  The parent's transform does not
// apply (only its visibility).  Pixels are scaled by the screen's DPI / 96, which is 1 on
// our platform.  Drawn without depth test, over the world, in scene order.
class TGLHUDSprite : public TGLSprite {
public:
    TGLHUDSprite() : TGLSprite(TObjectKind::HUDSprite) {}
    int XTiles = 1;
    int YTiles = 1;
};

// Flat polygon through Nodes (local frame); with fewer than 3 nodes it draws nothing.
// Base of many game objects that are never drawn themselves.
class TGLPolygon : public TGLBaseSceneObject {
public:
    TGLPolygon() : TGLBaseSceneObject(TObjectKind::Polygon) {}
    std::vector<glm::vec3> Nodes;
    TGLMaterial Material;
    void AddNode(const glm::vec3& p) { Nodes.push_back(p); }
};

// Screen-space text in a bitmap font.  Position.x, .y in window pixels; Scale.x, .y
// multiply the glyph size.  ModulateColor multiplies the glyphs (its alpha fades them).
class TGLHUDText : public TGLBaseSceneObject {
public:
    TGLHUDText() : TGLBaseSceneObject(TObjectKind::HUDText) {}
    std::string Text;
    TGLBitmapFont* BitmapFont = nullptr;
    TTextAlignment Alignment = TTextAlignment::Left;
    TTextLayout Layout = TTextLayout::Top;
    TColor ModulateColor{1.0f, 1.0f, 1.0f, 1.0f};
    float Rotation = 0.0f;  // degrees, about Position

    // Bounding rectangle of the text in window pixels (rotation ignored); false when the
    // text draws nothing or there is no font.
    bool TextRect(glm::vec2& topLeft, glm::vec2& bottomRight) const;
};

enum class TSpriteAnimationMode { None, PlayOnce, Loop, BounceForward, BounceBackward, LoopBackward };
enum class TSpriteAnimDimensions { Auto, Manual };

// One animation of an animated sprite: frames StartFrame..EndFrame of a texture grid.
struct TSpriteAnimation {
    std::string Name;
    int StartFrame = 0;
    int EndFrame = 0;
    int CurrentFrame = 0;
    int FrameWidth = 64;   // pixels of one frame on the sheet
    int FrameHeight = 64;
    // Auto: the grid has (image width / FrameWidth) columns.  Manual: Columns is used.
    TSpriteAnimDimensions Dimensions = TSpriteAnimDimensions::Auto;
    int Columns = 1;
    int Interval = 100;    // milliseconds per frame (copied to the sprite when it becomes current)
    std::string LibMaterialName;  // in the sprite's MaterialLibrary

    void SetFrameRate(float framesPerSecond);  // Interval := round(1000 / fps)
    // Counted in 64 bits and kept within int: the frame numbers come from data files.
    int FrameCount() const {
        const long long n = static_cast<long long>(EndFrame) - StartFrame + 1;
        return n > INT_MAX ? INT_MAX : n < INT_MIN ? INT_MIN : static_cast<int>(n);
    }
};

// Sprite whose picture is a frame of a texture grid, advanced by time.
// Size on screen: FrameWidth / PixelRatio by FrameHeight / PixelRatio (object units).
class TGLAnimatedSprite : public TGLBaseSceneObject {
public:
    TGLAnimatedSprite() : TGLBaseSceneObject(TObjectKind::AnimatedSprite) {}
    std::vector<TSpriteAnimation> Animations;
    TGLMaterialLibrary* MaterialLibrary = nullptr;
    TSpriteAnimationMode AnimationMode = TSpriteAnimationMode::None;
    // Milliseconds per frame driving the current animation; <= 0 stops it.
    int Interval = 100;
    float PixelRatio = 100.0f;
    float Rotation = 0.0f;
    bool MirrorU = false;
    bool MirrorV = false;
    TAlphaChannel AlphaChannel;
    TGLMaterial Material;  // used when the current animation names no library material

    TSpriteAnimation& AddAnimation() { Animations.emplace_back(); return Animations.back(); }
    int GetAnimationIndex() const { return mAnimationIndex; }
    // Selects an animation (-1 none); copies its Interval into the sprite's and restarts
    // the frame timer.  Out-of-range indices select none.
    void SetAnimationIndex(int index);
    TSpriteAnimation* CurrentAnimation();
    const TSpriteAnimation* CurrentAnimation() const;
    void SetFrameRate(float framesPerSecond);  // Interval := round(1000 / fps)

    // Width and height in object units of the current animation's frames (0 without one).
    float SpriteWidth() const;
    float SpriteHeight() const;
    // The library material of the current animation, or nullptr (then Material is used).
    const TGLLibMaterial* CurrentLibMaterial() const;
    // Texture rectangle of the current frame (v = 0 at the top); false without animation
    // or image.
    bool FrameTexRect(float& u0, float& v0, float& u1, float& v1) const;

    void DoProgress(double deltaTime, double newTime) override;

private:
    void NextFrame();
    int mAnimationIndex = -1;
    double mTimerMs = 0.0;
    int mBounceDir = 1;
};

// Mesh loaded from a 3DS file.
class TGLFreeForm : public TGLBaseSceneObject {
public:
    TGLFreeForm() : TGLBaseSceneObject(TObjectKind::FreeForm) {}
    // Where the mesh's materials land: for each 3DS material not yet in the library, a
    // library material of that name is added with its colours and its texture (through the
    // library's TexturePaths).  nullptr: faces use Material.
    TGLMaterialLibrary* MaterialLibrary = nullptr;
    TGLMaterial Material;
    TMeshData Mesh;
    // Version of Mesh, increased on every load, for the renderer's buffers.
    std::uint64_t MeshVersion() const { return mMeshVersion; }

    // Loads the mesh (throws EMeshLoadError naming the file, mesh unchanged).  Missing
    // textures of its materials throw EImageLoadError after the mesh is in place.
    void LoadFromFile(const std::string& fileName);
    void SetMesh(TMeshData mesh);

private:
    std::uint64_t mMeshVersion = 0;
};

class TGLSphere : public TGLBaseSceneObject {
public:
    TGLSphere() : TGLBaseSceneObject(TObjectKind::Sphere) {}
    float Radius = 0.5f;
    int Slices = 16;
    int Stacks = 16;
    TGLMaterial Material;
};

// Sky box centred on the camera; this game uses its cloud plane only.
class TGLSkyBox : public TGLBaseSceneObject {
public:
    TGLSkyBox() : TGLBaseSceneObject(TObjectKind::SkyBox) {}
    TGLMaterialLibrary* MaterialLibrary = nullptr;
    std::string MatNameClouds;  // a name the library does not have shows no clouds
    std::string MatNameTop, MatNameBottom, MatNameLeft, MatNameRight, MatNameFront, MatNameBack;
    float CloudsPlaneOffset = 0.2f;
    float CloudsPlaneSize = 32.0f;
};

// Additive overlay showing a blurred, trailing copy of what is drawn beneath it.
// The blur strength is Material's diffuse alpha.
class TGLBlur : public TGLSprite {
public:
    TGLBlur() : TGLSprite(TObjectKind::Blur) {}
    double BlurDeltaTime = 0.02;  // seconds between blur updates
    float BlurLeft = 0.01f;
    float BlurTop = 0.01f;
    float BlurRight = 0.01f;
    float BlurBottom = 0.01f;
    int RenderWidth = 256;
    int RenderHeight = 256;
};

enum class TLightStyle { Omni, Spot, Parallel };

class TGLLightSource : public TGLBaseSceneObject {
public:
    TGLLightSource() : TGLBaseSceneObject(TObjectKind::LightSource) {}
    bool Shining = true;
    float ConstAttenuation = 1.0f;
    float LinearAttenuation = 0.0f;
    float QuadraticAttenuation = 0.0f;
    TColor Ambient{0.0f, 0.0f, 0.0f, 1.0f};
    TColor Diffuse{1.0f, 1.0f, 1.0f, 1.0f};
    TColor Specular{1.0f, 1.0f, 1.0f, 1.0f};
    TLightStyle LightStyle = TLightStyle::Omni;
    float SpotCutOff = 180.0f;
};

struct TGLFlareGradient {
    TColor FromColor{1.0f, 1.0f, 1.0f, 1.0f};
    TColor ToColor{1.0f, 1.0f, 1.0f, 0.0f};
};

class TGLLensFlare : public TGLBaseSceneObject {
public:
    TGLLensFlare() : TGLBaseSceneObject(TObjectKind::LensFlare) {}
    float Size = 50.0f;       // pixels
    int Seed = 1465;
    float Squeeze = 1.0f;
    int NumStreaks = 4;
    float StreakWidth = 2.0f;
    int NumSecs = 8;
    bool ShowGlow = true, ShowRing = true, ShowStreaks = true, ShowRays = true, ShowSecondaries = true;
    TGLFlareGradient GlowGradient{{1.0f, 1.0f, 0.8f, 0.3f}, {1.0f, 0.2f, 0.0f, 0.0f}};
    TGLFlareGradient RingGradient{{0.5f, 0.2f, 0.0f, 0.1f}, {0.5f, 0.4f, 0.0f, 0.1f}};
    TGLFlareGradient StreaksGradient{{1.0f, 1.0f, 1.0f, 0.2f}, {0.2f, 0.0f, 1.0f, 0.0f}};
    TGLFlareGradient RaysGradient{{1.0f, 0.8f, 0.5f, 0.05f}, {0.5f, 0.2f, 0.0f, 0.0f}};
    TGLFlareGradient SecondariesGradient{{0.0f, 0.2f, 1.0f, 0.0f}, {0.0f, 0.8f, 0.2f, 0.15f}};
};

// Draws the live particles of the managers attached to it (TGLParticleFXManager::Renderer).
class TGLParticleFXRenderer : public TGLBaseSceneObject {
public:
    TGLParticleFXRenderer() : TGLBaseSceneObject(TObjectKind::ParticleFXRenderer) {}
    // Managers whose Renderer is this one (kept by TGLParticleFXManager::SetRenderer).
    const std::vector<TGLParticleFXManager*>& Managers() const { return mManagers; }
    ~TGLParticleFXRenderer() override;

private:
    friend class TGLParticleFXManager;
    std::vector<TGLParticleFXManager*> mManagers;
};

// The camera.  Defaults are the game's start values.  The view and projection it gives
// are computed in Projection.h.
class TGLCamera : public TGLBaseSceneObject {
public:
    TGLCamera();
    float DepthOfView = 450.0f;
    float FocalLength = 40.0f;
    float SceneScale = 0.5f;
    float NearPlaneBias = 0.2f;
};

}  // namespace vlm::scene
