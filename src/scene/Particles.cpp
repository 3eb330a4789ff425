#include "scene/Particles.h"

#include <algorithm>
#include <cmath>

#include "scene/Objects.h"
#include "scene/SceneObject.h"

namespace vlm::scene {

TGLParticleFXManager::TGLParticleFXManager(TPFXManagerKind kind, std::string name, size_t capacity)
    : ManagerKind(kind), Name(std::move(name)), mPool(capacity) {
    // Different managers draw different sequences.
    for (char c : Name) mRandom = (mRandom ^ static_cast<unsigned char>(c)) * 16777619u;
    if (mRandom == 0) mRandom = 1;
}

TGLParticleFXManager::~TGLParticleFXManager() { SetRenderer(nullptr); }

void TGLParticleFXManager::SetRenderer(TGLParticleFXRenderer* renderer) {
    if (renderer == mRenderer) return;
    if (mRenderer) {
        auto& list = mRenderer->mManagers;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
    }
    mRenderer = renderer;
    if (mRenderer) mRenderer->mManagers.push_back(this);
}

void TGLParticleFXManager::SetCapacity(size_t capacity) {
    mPool.assign(capacity, TGLParticle{});
    mCount = 0;
}

float TGLParticleFXManager::Random01() {
    // xorshift32
    std::uint32_t x = mRandom;
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    mRandom = x;
    return static_cast<float>(x >> 8) * (1.0f / 16777216.0f);
}

bool TGLParticleFXManager::CreateParticle(const glm::vec3& position, const glm::vec3& velocity) {
    if (mCount >= mPool.size()) return false;
    TGLParticle& p = mPool[mCount++];
    p.Position = position;
    p.Velocity = velocity;
    p.Age = 0.0f;
    p.LifeTime = ParticleLife;
    p.Rotation = Random01() * 360.0f;
    return true;
}

void TGLParticleFXManager::Progress(double deltaTime, double) {
    const float dt = static_cast<float>(deltaTime);
    const float friction = (Friction == 1.0f || dt <= 0.0f) ? 1.0f : std::pow(std::max(Friction, 0.0f), dt);
    size_t i = 0;
    while (i < mCount) {
        TGLParticle& p = mPool[i];
        p.Age += dt;
        if (!(p.Age < p.LifeTime)) {
            mPool[i] = mPool[--mCount];  // order does not matter
            continue;
        }
        p.Velocity = p.Velocity * friction + Acceleration * dt;
        p.Position += p.Velocity * dt;
        ++i;
    }
}

void TGLParticleFXManager::ComputeLook(const TGLParticle& p, TColor& inner, TColor& outer, float& size) const {
    const float age = p.Age;
    size = ParticleSize;
    // Keyframes: birth (ColorInner/Outer, scale 1), the LifeColors, then death (alpha 0).
    TColor prevIn = ColorInner, prevOut = ColorOuter;
    float prevT = 0.0f, prevScale = 1.0f;
    for (const TPFXLifeColor& lc : LifeColors) {
        if (age <= lc.LifeTime) {
            const float span = lc.LifeTime - prevT;
            const float f = span > 0.0f ? (age - prevT) / span : 1.0f;
            inner = glm::mix(prevIn, lc.ColorInner, f);
            outer = glm::mix(prevOut, lc.ColorOuter, f);
            size = ParticleSize * (prevScale + (lc.SizeScale - prevScale) * f);
            return;
        }
        prevIn = lc.ColorInner;
        prevOut = lc.ColorOuter;
        prevT = lc.LifeTime;
        prevScale = lc.SizeScale;
    }
    const float span = p.LifeTime - prevT;
    const float f = span > 0.0f ? std::clamp((age - prevT) / span, 0.0f, 1.0f) : 1.0f;
    inner = prevIn;
    outer = prevOut;
    inner.a = prevIn.a * (1.0f - f);
    outer.a = prevOut.a * (1.0f - f);
    size = ParticleSize * prevScale;
}

void TGLSourcePFXEffect::DoProgress(const TGLBaseSceneObject& owner, double deltaTime, double) {
    if (!Enabled || !Manager || !(ParticleInterval > 0.0)) {
        mTimeRemainder = 0.0;
        return;
    }
    mTimeRemainder += deltaTime;
    if (mTimeRemainder < ParticleInterval) return;
    const glm::vec3 origin = owner.AbsolutePosition() + InitialPosition;
    // Bounded: a long stall does not flood the pool.
    int budget = 64;
    while (mTimeRemainder >= ParticleInterval && budget-- > 0) {
        mTimeRemainder -= ParticleInterval;
        glm::vec3 pos = origin;
        glm::vec3 vel = InitialVelocity;
        if (PositionDispersion != 0.0f)
            pos += glm::vec3(Manager->Random01() - 0.5f, Manager->Random01() - 0.5f, Manager->Random01() - 0.5f) *
                   (2.0f * PositionDispersion);
        if (VelocityDispersion != 0.0f)
            vel += glm::vec3(Manager->Random01() - 0.5f, Manager->Random01() - 0.5f, Manager->Random01() - 0.5f) *
                   (2.0f * VelocityDispersion);
        Manager->CreateParticle(pos, vel);
    }
    if (mTimeRemainder >= ParticleInterval) mTimeRemainder = 0.0;
}

}  // namespace vlm::scene
