#include "scene/Objects.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "scene/Particles.h"

namespace vlm::scene {

// ---------------------------------------------------------------- sprite

float TGLSprite::DrawAlpha() const {
    if (AlphaChannel.Value() != 1.0f) return AlphaChannel.Value();
    return Material.Effective().FrontProperties.Diffuse.a;
}

// ---------------------------------------------------------------- HUD text

bool TGLHUDText::TextRect(glm::vec2& topLeft, glm::vec2& bottomRight) const {
    if (!BitmapFont) return false;
    return BitmapFont->TextBounds(Text, glm::vec2(Position.x, Position.y), glm::vec2(Scale.x, Scale.y), Alignment,
                                  Layout, topLeft, bottomRight);
}

// ---------------------------------------------------------------- animated sprite

void TSpriteAnimation::SetFrameRate(float framesPerSecond) {
    Interval = framesPerSecond > 0.0f ? static_cast<int>(std::lround(1000.0f / framesPerSecond)) : 0;
}

void TGLAnimatedSprite::SetFrameRate(float framesPerSecond) {
    Interval = framesPerSecond > 0.0f ? static_cast<int>(std::lround(1000.0f / framesPerSecond)) : 0;
}

void TGLAnimatedSprite::SetAnimationIndex(int index) {
    if (index < 0 || index >= static_cast<int>(Animations.size())) index = -1;
    mAnimationIndex = index;
    mTimerMs = 0.0;
    mBounceDir = AnimationMode == TSpriteAnimationMode::BounceBackward ? -1 : 1;
    if (index >= 0) Interval = Animations[static_cast<size_t>(index)].Interval;
}

TSpriteAnimation* TGLAnimatedSprite::CurrentAnimation() {
    if (mAnimationIndex < 0 || mAnimationIndex >= static_cast<int>(Animations.size())) return nullptr;
    return &Animations[static_cast<size_t>(mAnimationIndex)];
}
const TSpriteAnimation* TGLAnimatedSprite::CurrentAnimation() const {
    return const_cast<TGLAnimatedSprite*>(this)->CurrentAnimation();
}

float TGLAnimatedSprite::SpriteWidth() const {
    const TSpriteAnimation* a = CurrentAnimation();
    return (a && PixelRatio > 0.0f) ? static_cast<float>(a->FrameWidth) / PixelRatio : 0.0f;
}
float TGLAnimatedSprite::SpriteHeight() const {
    const TSpriteAnimation* a = CurrentAnimation();
    return (a && PixelRatio > 0.0f) ? static_cast<float>(a->FrameHeight) / PixelRatio : 0.0f;
}

const TGLLibMaterial* TGLAnimatedSprite::CurrentLibMaterial() const {
    const TSpriteAnimation* a = CurrentAnimation();
    if (!a || !MaterialLibrary || a->LibMaterialName.empty()) return nullptr;
    return MaterialLibrary->LibMaterialByName(a->LibMaterialName);
}

bool TGLAnimatedSprite::FrameTexRect(float& u0, float& v0, float& u1, float& v1) const {
    const TSpriteAnimation* a = CurrentAnimation();
    if (!a || a->FrameWidth <= 0 || a->FrameHeight <= 0) return false;
    const TGLLibMaterial* lm = CurrentLibMaterial();
    const TGLTexture& tex = lm ? lm->Material.Texture : Material.Effective().Texture;
    const int w = tex.ImageWidth(), h = tex.ImageHeight();
    if (w <= 0 || h <= 0) return false;
    const int cols = a->Dimensions == TSpriteAnimDimensions::Auto ? std::max(1, w / a->FrameWidth) : std::max(1, a->Columns);
    const int frame = std::max(0, a->CurrentFrame);
    const int col = frame % cols, row = frame / cols;
    u0 = static_cast<float>(col * a->FrameWidth) / static_cast<float>(w);
    u1 = static_cast<float>((col + 1) * a->FrameWidth) / static_cast<float>(w);
    v0 = static_cast<float>(row * a->FrameHeight) / static_cast<float>(h);
    v1 = static_cast<float>((row + 1) * a->FrameHeight) / static_cast<float>(h);
    return true;
}

void TGLAnimatedSprite::NextFrame() {
    TSpriteAnimation* a = CurrentAnimation();
    if (!a) return;
    const int s = a->StartFrame, e = std::max(a->StartFrame, a->EndFrame);
    int& f = a->CurrentFrame;
    switch (AnimationMode) {
        case TSpriteAnimationMode::None:
            break;
        case TSpriteAnimationMode::PlayOnce:
            if (f < e) ++f;
            break;
        case TSpriteAnimationMode::Loop:
            f = (f >= e || f < s) ? s : f + 1;
            break;
        case TSpriteAnimationMode::LoopBackward:
            f = (f <= s || f > e) ? e : f - 1;
            break;
        case TSpriteAnimationMode::BounceForward:
        case TSpriteAnimationMode::BounceBackward:
            if (e == s) {
                f = s;
                break;
            }
            f += mBounceDir;
            if (f > e) {
                f = e - 1;
                mBounceDir = -1;
            } else if (f < s) {
                f = s + 1;
                mBounceDir = 1;
            }
            break;
    }
}

void TGLAnimatedSprite::DoProgress(double deltaTime, double newTime) {
    TGLBaseSceneObject::DoProgress(deltaTime, newTime);
    if (AnimationMode == TSpriteAnimationMode::None || Interval <= 0 || !CurrentAnimation()) return;
    mTimerMs += deltaTime * 1000.0;
    const TSpriteAnimation* a = CurrentAnimation();
    int guard = 2 * std::max(1, a->FrameCount()) + 2;  // a long stall needs no more steps
    while (mTimerMs >= Interval && guard-- > 0) {
        mTimerMs -= Interval;
        NextFrame();
    }
    if (mTimerMs >= Interval) mTimerMs = std::fmod(mTimerMs, static_cast<double>(Interval));
}

// ---------------------------------------------------------------- free form

void TGLFreeForm::SetMesh(TMeshData mesh) {
    Mesh = std::move(mesh);
    ++mMeshVersion;
}

void TGLFreeForm::LoadFromFile(const std::string& fileName) {
    SetMesh(Load3DSFile(fileName));
    if (!MaterialLibrary) return;
    std::optional<EImageLoadError> firstError;
    for (const TMeshMaterial& mm : Mesh.Materials) {
        if (mm.Name.empty() || MaterialLibrary->LibMaterialByName(mm.Name)) continue;
        TGLLibMaterial* lm = MaterialLibrary->AddTextureMaterial(mm.Name);
        lm->Material.FrontProperties.Ambient = mm.Ambient;
        lm->Material.FrontProperties.Diffuse = mm.Diffuse;
        lm->Material.FrontProperties.Specular = mm.Specular;
        lm->Material.FrontProperties.Shininess = mm.Shininess;
        lm->Material.BackProperties = lm->Material.FrontProperties;
        if (mm.TextureFile.empty()) continue;
        try {
            lm->Material.Texture.LoadFromFile(MaterialLibrary->ResolveTexturePath(mm.TextureFile));
            lm->Material.FrontProperties.Diffuse = clrWhite;  // the texture carries the colour
        } catch (const EImageLoadError& e) {
            if (!firstError) firstError = e;
        }
    }
    if (firstError) throw *firstError;
}

// ---------------------------------------------------------------- particle renderer

TGLParticleFXRenderer::~TGLParticleFXRenderer() {
    // Managers outlive renderers; they simply lose their renderer.
    while (!mManagers.empty()) mManagers.back()->SetRenderer(nullptr);
}

// ---------------------------------------------------------------- camera

TGLCamera::TGLCamera() : TGLBaseSceneObject(TObjectKind::Camera) {
    Name = "GLCamera1";
    Position = {1.11f, -3.024f, -4.65f};
    Direction = {0.0f, 1.0f, 0.0f};
    Up = {1.0f, 0.0f, 0.0f};
}

}  // namespace vlm::scene
