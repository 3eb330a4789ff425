#include "scene/SceneObject.h"

#include <algorithm>
#include <cmath>

#include <glm/gtc/matrix_transform.hpp>

#include "scene/Movement.h"
#include "scene/Particles.h"

namespace vlm::scene {

namespace {

constexpr float kDegToRad = 3.14159265358979323846f / 180.0f;

glm::vec3 RotateAround(const glm::vec3& v, const glm::vec3& axis, float radians) {
    const float c = std::cos(radians), s = std::sin(radians);
    return v * c + glm::cross(axis, v) * s + axis * glm::dot(axis, v) * (1.0f - c);
}

glm::vec3 SafeNormalize(const glm::vec3& v, const glm::vec3& fallback) {
    const float len = glm::length(v);
    if (!(len > 1e-12f) || !std::isfinite(len)) return fallback;
    return v / len;
}

// Orthonormal frame (left, up, direction) from possibly unnormalised, non-orthogonal vectors.
void Frame(const glm::vec3& direction, const glm::vec3& up, glm::vec3& l, glm::vec3& u, glm::vec3& d) {
    d = SafeNormalize(direction, glm::vec3(0, 0, 1));
    glm::vec3 left = glm::cross(up, d);
    if (glm::length(left) < 1e-6f) {
        // Up parallel to the direction: pick any perpendicular.
        left = glm::cross(std::fabs(d.y) < 0.9f ? glm::vec3(0, 1, 0) : glm::vec3(1, 0, 0), d);
    }
    l = glm::normalize(left);
    u = glm::cross(d, l);
}

}  // namespace

TGLBaseSceneObject::TGLBaseSceneObject(TObjectKind kind) : Kind(kind) {}

TGLBaseSceneObject::~TGLBaseSceneObject() {
    for (TGLBaseSceneObject* c : mChildren) {
        c->mParent = nullptr;
        delete c;
    }
    mChildren.clear();
    if (mParent) DetachFromParent();
}

// ---------------------------------------------------------------- orientation

void TGLBaseSceneObject::Pitch(float degrees) {
    glm::vec3 l, u, d;
    Frame(Direction, Up, l, u, d);
    const float a = degrees * kDegToRad;
    Direction = RotateAround(d, l, a);
    Up = RotateAround(u, l, a);
    mRotation.x += degrees;
}

void TGLBaseSceneObject::Turn(float degrees) {
    glm::vec3 l, u, d;
    Frame(Direction, Up, l, u, d);
    Direction = RotateAround(d, u, degrees * kDegToRad);
    Up = u;
    mRotation.y += degrees;
}

void TGLBaseSceneObject::Roll(float degrees) {
    glm::vec3 l, u, d;
    Frame(Direction, Up, l, u, d);
    Up = RotateAround(u, d, degrees * kDegToRad);
    Direction = d;
    mRotation.z += degrees;
}

void TGLBaseSceneObject::SetPitchAngle(float degrees) {
    if (degrees != mRotation.x) Pitch(degrees - mRotation.x);
    mRotation.x = degrees;
}
void TGLBaseSceneObject::SetTurnAngle(float degrees) {
    if (degrees != mRotation.y) Turn(degrees - mRotation.y);
    mRotation.y = degrees;
}
void TGLBaseSceneObject::SetRollAngle(float degrees) {
    if (degrees != mRotation.z) Roll(degrees - mRotation.z);
    mRotation.z = degrees;
}

void TGLBaseSceneObject::ResetRotations() {
    Direction = {0, 0, 1};
    Up = {0, 1, 0};
    mRotation = glm::vec3(0.0f);
}

void TGLBaseSceneObject::Move(float distance) {
    Position += SafeNormalize(Direction, glm::vec3(0.0f)) * distance;
}

void TGLBaseSceneObject::PointTo(const TGLBaseSceneObject& target, const glm::vec3& up) {
    PointTo(target.AbsolutePosition(), up);
}

void TGLBaseSceneObject::PointTo(const glm::vec3& absolutePosition, const glm::vec3& up) {
    const glm::vec3 local = mParent ? mParent->AbsoluteToLocal(absolutePosition) : absolutePosition;
    const glm::vec3 delta = local - Position;
    const float len = glm::length(delta);
    if (!(len > 1e-12f) || !std::isfinite(len)) return;  // on the target: keep the facing
    const glm::vec3 dir = delta / len;
    glm::vec3 right = glm::cross(dir, up);
    if (glm::length(right) < 1e-6f) right = glm::cross(dir, std::fabs(dir.z) < 0.9f ? glm::vec3(0, 0, 1) : glm::vec3(1, 0, 0));
    right = glm::normalize(right);
    Direction = dir;
    Up = glm::cross(right, dir);
}

// ---------------------------------------------------------------- transform

glm::mat4 TGLBaseSceneObject::LocalMatrix() const {
    glm::vec3 l, u, d;
    Frame(Direction, Up, l, u, d);
    glm::mat4 m(1.0f);
    m[0] = glm::vec4(l * Scale.x, 0.0f);
    m[1] = glm::vec4(u * Scale.y, 0.0f);
    m[2] = glm::vec4(d * Scale.z, 0.0f);
    m[3] = glm::vec4(Position, 1.0f);
    return m;
}

glm::mat4 TGLBaseSceneObject::AbsoluteMatrix() const {
    glm::mat4 m = LocalMatrix();
    for (const TGLBaseSceneObject* p = mParent; p; p = p->mParent) m = p->LocalMatrix() * m;
    return m;
}

glm::vec3 TGLBaseSceneObject::AbsolutePosition() const {
    if (!mParent) return Position;
    return glm::vec3(mParent->AbsoluteMatrix() * glm::vec4(Position, 1.0f));
}

void TGLBaseSceneObject::SetAbsolutePosition(const glm::vec3& p) {
    Position = mParent ? mParent->AbsoluteToLocal(p) : p;
}

glm::vec3 TGLBaseSceneObject::AbsoluteToLocal(const glm::vec3& absolutePoint) const {
    const glm::mat4 m = AbsoluteMatrix();
    const float det = glm::determinant(m);
    if (!(std::fabs(det) > 1e-20f)) return glm::vec3(0.0f);  // collapsed frame (scale 0)
    return glm::vec3(glm::inverse(m) * glm::vec4(absolutePoint, 1.0f));
}

glm::vec3 TGLBaseSceneObject::LocalToAbsolute(const glm::vec3& localPoint) const {
    return glm::vec3(AbsoluteMatrix() * glm::vec4(localPoint, 1.0f));
}

// ---------------------------------------------------------------- hierarchy

int TGLBaseSceneObject::IndexOfChild(const TGLBaseSceneObject* child) const {
    for (size_t i = 0; i < mChildren.size(); ++i)
        if (mChildren[i] == child) return static_cast<int>(i);
    return -1;
}

void TGLBaseSceneObject::AttachChild(TGLBaseSceneObject* child) {
    if (!child || child == this) return;
    for (const TGLBaseSceneObject* p = this; p; p = p->mParent)
        if (p == child) return;  // would make a cycle
    if (child->mParent) child->DetachFromParent();
    child->mParent = this;
    child->mSeenPass = mChildPass;  // added during a pass: waits for the next one
    mChildren.push_back(child);
    ++mChildEdits;
    if (child->mFreed || child->mSweepPending) MarkSweepPending();
}

void TGLBaseSceneObject::DetachFromParent() {
    TGLBaseSceneObject* p = mParent;
    if (!p) return;
    auto it = std::find(p->mChildren.begin(), p->mChildren.end(), this);
    if (it != p->mChildren.end()) p->mChildren.erase(it);
    ++p->mChildEdits;
    mParent = nullptr;
}

void TGLBaseSceneObject::MoveTo(TGLBaseSceneObject* newParent) {
    if (!newParent || newParent == mParent) return;
    newParent->AttachChild(this);
}

void TGLBaseSceneObject::MoveToIndex(size_t index) {
    if (!mParent) return;
    auto& list = mParent->mChildren;
    const int cur = mParent->IndexOfChild(this);
    if (cur < 0) return;
    index = std::min(index, list.size() - 1);
    if (static_cast<size_t>(cur) == index) return;
    list.erase(list.begin() + cur);
    list.insert(list.begin() + static_cast<std::ptrdiff_t>(index), this);
    ++mParent->mChildEdits;
}

void TGLBaseSceneObject::MoveFirst() { MoveToIndex(0); }
void TGLBaseSceneObject::MoveLast() {
    if (mParent) MoveToIndex(mParent->mChildren.size() - 1);
}

TGLBaseSceneObject* TGLBaseSceneObject::FindChild(std::string_view name, bool recursive) const {
    for (TGLBaseSceneObject* c : mChildren)
        if (!c->mFreed && c->Name == name) return c;
    if (recursive)
        for (TGLBaseSceneObject* c : mChildren)
            if (!c->mFreed)
                if (TGLBaseSceneObject* f = c->FindChild(name, true)) return f;
    return nullptr;
}

TGLScene* TGLBaseSceneObject::Scene() const {
    const TGLBaseSceneObject* p = this;
    while (p->mParent) p = p->mParent;
    return p->mScene;
}

// ---------------------------------------------------------------- freeing

void TGLBaseSceneObject::Free() {
    if (mFreed) return;
    if (!mParent) {
        if (mScene) return;  // the scene's root and camera live as long as the scene
        delete this;
        return;
    }
    mFreed = true;
    if (mMovement) mMovement->StopPathTravel();
    mParent->MarkSweepPending();
}

bool TGLBaseSceneObject::IsFreed() const {
    for (const TGLBaseSceneObject* p = this; p; p = p->mParent)
        if (p->mFreed) return true;
    return false;
}

bool TGLBaseSceneObject::IsVisibleInTree() const {
    for (const TGLBaseSceneObject* p = this; p; p = p->mParent)
        if (p->mFreed || !p->Visible) return false;
    return true;
}

void TGLBaseSceneObject::MarkSweepPending() {
    for (TGLBaseSceneObject* p = this; p && !p->mSweepPending; p = p->mParent) p->mSweepPending = true;
}

void TGLBaseSceneObject::SweepFreedChildren() {
    if (!mSweepPending) return;
    mSweepPending = false;
    // Detach every freed child in one pass, keeping the order of the others, then delete them.
    // Many shots and sparks end in the same frame: erasing them one by one would shift long
    // child lists again and again. The list of the dead is reused, so a steady frame allocates nothing.
    static thread_local std::vector<TGLBaseSceneObject*> dead;
    const size_t base = dead.size();  // a destructor may sweep again; its entries follow ours
    size_t kept = 0;
    for (size_t i = 0; i < mChildren.size(); ++i) {
        TGLBaseSceneObject* c = mChildren[i];
        if (c->mFreed) {
            c->mParent = nullptr;
            dead.push_back(c);
        } else {
            mChildren[kept++] = c;
        }
    }
    if (kept != mChildren.size()) {
        mChildren.resize(kept);
        ++mChildEdits;
    }
    // Its destructor may free or add other objects; they are seen by this or the next sweep.
    for (size_t k = base; k < dead.size(); ++k) delete dead[k];
    dead.resize(base);
    for (size_t i = 0; i < mChildren.size(); ++i)
        if (mChildren[i]->mSweepPending) mChildren[i]->SweepFreedChildren();
}

// ---------------------------------------------------------------- progress

void TGLBaseSceneObject::ProgressChildren(double deltaTime, double newTime) {
    const std::uint32_t pass = ++mChildPass;
    std::uint32_t edits;
    do {
        edits = mChildEdits;
        size_t i = mChildren.size();
        while (i > 0) {
            --i;
            if (i >= mChildren.size()) {
                i = mChildren.size();
                continue;
            }
            TGLBaseSceneObject* c = mChildren[i];
            if (c->mSeenPass == pass) continue;
            c->mSeenPass = pass;
            if (!c->mFreed) c->DoProgress(deltaTime, newTime);
            if (i >= mChildren.size() || mChildren[i] != c) {
                // The list changed under us: carry on below the child's new place.
                const int at = IndexOfChild(c);
                i = at >= 0 ? static_cast<size_t>(at) : mChildren.size();
            }
        }
        // An edit during the pass may have moved an unvisited child above the cursor;
        // scan again (visited children and children added during the pass are skipped).
    } while (edits != mChildEdits);
}

void TGLBaseSceneObject::DoProgress(double deltaTime, double newTime) {
    ProgressChildren(deltaTime, newTime);
    if (mFreed) return;
    if (mMovement && !mMovementFreePending) {
        // A notification may free the movement: keep it alive until it returns.
        mMovementBusy = true;
        mMovement->DoProgress(deltaTime, newTime);
        mMovementBusy = false;
        if (mMovementFreePending) {
            mMovementFreePending = false;
            mMovement.reset();
        }
    }
    for (size_t i = 0; i < mEffects.size(); ++i) mEffects[i]->DoProgress(*this, deltaTime, newTime);
}

// ---------------------------------------------------------------- behaviours and effects

TGLMovement* TGLBaseSceneObject::GetOrCreateMovement() {
    if (mMovementFreePending && !mMovementBusy) {
        mMovementFreePending = false;
        mMovement.reset();
    }
    if (mMovementFreePending) {
        // Freed and asked for again from its own notification: it stays.
        mMovementFreePending = false;
        return mMovement.get();
    }
    if (!mMovement) mMovement = std::make_unique<TGLMovement>(this);
    return mMovement.get();
}

void TGLBaseSceneObject::FreeMovement() {
    if (!mMovement) return;
    if (mMovementBusy) {
        mMovementFreePending = true;
        return;
    }
    mMovement.reset();
}

TGLSourcePFXEffect* TGLBaseSceneObject::AddSourceEffect(TGLParticleFXManager* manager, double particleInterval) {
    auto e = std::make_unique<TGLSourcePFXEffect>();
    e->Manager = manager;
    e->ParticleInterval = particleInterval;
    TGLSourcePFXEffect* raw = e.get();
    mEffects.push_back(std::move(e));
    return raw;
}

void TGLBaseSceneObject::RemoveEffect(TGLSourcePFXEffect* effect) {
    for (size_t i = 0; i < mEffects.size(); ++i)
        if (mEffects[i].get() == effect) {
            mEffects.erase(mEffects.begin() + static_cast<std::ptrdiff_t>(i));
            return;
        }
}

void TGLBaseSceneObject::ClearEffects() { mEffects.clear(); }

}  // namespace vlm::scene
