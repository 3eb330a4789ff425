// The scene object base class: hierarchy, transform, visibility, per-frame operation.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <glm/glm.hpp>

#include "scene/SceneTypes.h"

namespace vlm::scene {

class TGLMovement;
class TGLSourcePFXEffect;
class TGLParticleFXManager;
class TGLScene;

// What an object is, so the renderer and picking can dispatch without dynamic_cast.
// Game classes derived from a kind keep that kind.
enum class TObjectKind : std::uint8_t {
    Base,                // plain TGLBaseSceneObject (the scene root)
    DummyCube,
    Sprite,
    Polygon,
    HUDSprite,
    HUDText,
    AnimatedSprite,
    FreeForm,
    Sphere,
    SkyBox,
    Blur,
    LightSource,
    LensFlare,
    ParticleFXRenderer,
    Camera,
};

class TGLBaseSceneObject {
public:
    TGLBaseSceneObject() : TGLBaseSceneObject(TObjectKind::Base) {}
    virtual ~TGLBaseSceneObject();
    TGLBaseSceneObject(const TGLBaseSceneObject&) = delete;
    TGLBaseSceneObject& operator=(const TGLBaseSceneObject&) = delete;

    const TObjectKind Kind;

    // ---- properties the game sets ----
    std::string Name;
    // A hidden object hides its whole subtree (not drawn, not picked) but is still progressed.
    bool Visible = true;
    // Objects that are drawn but must never be returned by picking (for example the cursor).
    bool Pickable = true;
    glm::vec3 Position{0.0f, 0.0f, 0.0f};
    glm::vec3 Scale{1.0f, 1.0f, 1.0f};
    // Orientation: the object's local Z axis points along Direction, its Y axis along Up.
    // They are plain vectors the game may edit; the transform normalises them when used.
    glm::vec3 Direction{0.0f, 0.0f, 1.0f};
    glm::vec3 Up{0.0f, 1.0f, 0.0f};
    int Tag = 0;

    // Degrees, rotating about the object's own axes (pitch: its X axis, turn: its Y (Up)
    // axis, roll: its Z (Direction) axis).  Setting rotates by the difference from the stored
    // value; the getters return the stored value.
    float GetPitchAngle() const { return mRotation.x; }
    float GetTurnAngle() const { return mRotation.y; }
    float GetRollAngle() const { return mRotation.z; }
    void SetPitchAngle(float degrees);
    void SetTurnAngle(float degrees);
    void SetRollAngle(float degrees);
    void Pitch(float degrees);
    void Turn(float degrees);
    void Roll(float degrees);
    // Direction (0,0,1), Up (0,1,0), stored angles 0.
    void ResetRotations();

    // Moves by distance along Direction (normalised), in the parent's frame.
    void Move(float distance);
    // Points Direction at the target's position, both seen in this object's parent frame;
    // up is given in that frame too (for example (0,1,0) for the depth axis Y).
    void PointTo(const TGLBaseSceneObject& target, const glm::vec3& up);
    void PointTo(const glm::vec3& absolutePosition, const glm::vec3& up);

    // ---- transform ----
    glm::mat4 LocalMatrix() const;
    glm::mat4 AbsoluteMatrix() const;            // parent chain applied
    glm::vec3 AbsolutePosition() const;
    void SetAbsolutePosition(const glm::vec3& p);
    glm::vec3 AbsoluteToLocal(const glm::vec3& absolutePoint) const;  // into this object's frame
    glm::vec3 LocalToAbsolute(const glm::vec3& localPoint) const;

    // ---- hierarchy ----
    TGLBaseSceneObject* Parent() const { return mParent; }
    size_t Count() const { return mChildren.size(); }
    TGLBaseSceneObject* Child(size_t i) const { return mChildren[i]; }
    int IndexOfChild(const TGLBaseSceneObject* child) const;  // -1 when not a child
    int Index() const { return mParent ? mParent->IndexOfChild(this) : -1; }

    // Creates a child of class T (constructor arguments forwarded), attaches it as the last
    // child and returns it.  The parent owns it.
    template <class T, class... Args>
    T* AddNewChild(Args&&... args) {
        T* obj = new T(std::forward<Args>(args)...);
        AttachChild(obj);
        return obj;
    }
    // Takes ownership of a heap object made with new, attaching it as the last child.
    void AttachChild(TGLBaseSceneObject* child);
    // Moves this object to another parent (last child); keeps its local transform.
    void MoveTo(TGLBaseSceneObject* newParent);
    void MoveFirst();               // first child of its parent
    void MoveLast();                // last child of its parent
    void MoveToIndex(size_t index); // position in the parent's list (clamped)

    // First descendant (depth first, in child order) with this name; nullptr if none.
    TGLBaseSceneObject* FindChild(std::string_view name, bool recursive = true) const;

    // Frees the object and its subtree.  Safe at any time, also during the per-frame
    // traversal (on itself or on any other object): the object is marked freed, drops out
    // of drawing, picking and progress at once, and is deleted at the next sweep (after the
    // cadencer's tick, or TGLScene::SweepFreed()).  An object with no parent is deleted at
    // once.  Freeing twice is harmless.
    void Free();
    // True once Free() was called on it or on one of its ancestors.
    bool IsFreed() const;
    // True once Free() was called on this object itself (cheap; for top-down walks that
    // already skip freed parents).
    bool IsFreedSelf() const { return mFreed; }
    // Visible, not freed, and every ancestor visible.
    bool IsVisibleInTree() const;

    // ---- per-frame operation ----
    // Base operation: children from the last to the first (freed children skipped; children
    // added during the pass wait for the next one), then the movement behaviour, then the
    // particle source effects.  Game classes override it and call the base first.
    virtual void DoProgress(double deltaTime, double newTime);

    // ---- behaviours and effects ----
    TGLMovement* GetMovement() const { return mMovementFreePending ? nullptr : mMovement.get(); }
    TGLMovement* GetOrCreateMovement();
    void FreeMovement();

    size_t EffectCount() const { return mEffects.size(); }
    TGLSourcePFXEffect* Effect(size_t i) const { return mEffects[i].get(); }
    // Adds a particle source effect emitting from this object.
    TGLSourcePFXEffect* AddSourceEffect(TGLParticleFXManager* manager, double particleInterval);
    void RemoveEffect(TGLSourcePFXEffect* effect);
    void ClearEffects();

    // The scene this object belongs to (through its root), or nullptr.
    TGLScene* Scene() const;

protected:
    explicit TGLBaseSceneObject(TObjectKind kind);
    // Deletes freed children (recursively where marked).  Not during a traversal.
    void SweepFreedChildren();

private:
    friend class TGLScene;
    void DetachFromParent();
    void MarkSweepPending();
    void ProgressChildren(double deltaTime, double newTime);

    TGLBaseSceneObject* mParent = nullptr;
    std::vector<TGLBaseSceneObject*> mChildren;  // owned
    std::unique_ptr<TGLMovement> mMovement;
    std::vector<std::unique_ptr<TGLSourcePFXEffect>> mEffects;
    glm::vec3 mRotation{0.0f};       // stored pitch, turn, roll
    TGLScene* mScene = nullptr;      // set on the root only
    std::uint32_t mChildPass = 0;    // serial of this object's child traversals
    std::uint32_t mSeenPass = 0;     // parent's serial when this child was last visited
    std::uint32_t mChildEdits = 0;   // changes to mChildren (detects edits during a pass)
    bool mFreed = false;
    bool mSweepPending = false;      // a freed object is somewhere below
    bool mMovementBusy = false;      // the movement is running its per-frame operation
    bool mMovementFreePending = false;
};

}  // namespace vlm::scene
