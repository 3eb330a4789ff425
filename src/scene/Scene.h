// The scene: root of the object tree, the camera, viewer settings, particle managers,
// picking.
#pragma once

#include <memory>
#include <string_view>
#include <vector>

#include "scene/Movement.h"
#include "scene/Objects.h"
#include "scene/Particles.h"
#include "scene/Projection.h"

namespace vlm::scene {

enum class TGLObjectsSorting { None, RenderBlendedLast, RenderFarthestFirst };

struct TGLViewerSettings {
    TColor BackgroundColor = clrBlack;
    TColor AmbientColor = clrWhite;
    bool FaceCulling = false;
    bool SmoothShading = true;
    bool AntiAliasing = false;
    bool FogEnabled = false;
    float FogStart = 50.0f;
    float FogEnd = 250.0f;
    TColor FogColor = clrBlack;
};

// Picking looks at most this many hits.
inline constexpr size_t kMaxPickHits = 64;

class TGLScene {
public:
    TGLScene();
    ~TGLScene();
    TGLScene(const TGLScene&) = delete;
    TGLScene& operator=(const TGLScene&) = delete;

    // The root; the layout's top-level objects are its children.
    TGLBaseSceneObject& Objects() { return *mRoot; }
    const TGLBaseSceneObject& Objects() const { return *mRoot; }
    // The camera (not among Objects' children; its own children are drawn after the root's).
    TGLCamera& Camera() { return *mCamera; }
    const TGLCamera& Camera() const { return *mCamera; }

    TGLObjectsSorting ObjectsSorting = TGLObjectsSorting::None;
    TGLViewerSettings Viewer;

    // Finds an object by name in the root tree, then in the camera's subtree.
    TGLBaseSceneObject* FindObject(std::string_view name) const;

    // ---- particle managers (advanced by the cadencer after the objects) ----
    template <class T>
    T* AddParticleManager(std::string name, size_t capacity = 1024) {
        auto m = std::make_unique<T>(std::move(name), capacity);
        T* raw = m.get();
        mManagers.push_back(std::move(m));
        return raw;
    }
    TGLParticleFXManager* FindParticleManager(std::string_view name) const;
    size_t ParticleManagerCount() const { return mManagers.size(); }
    TGLParticleFXManager* ParticleManager(size_t i) const { return mManagers[i].get(); }

    // One tick: the root's per-frame operation, then the camera's, then the particle
    // managers.  (The cadencer then calls its handler and sweeps.)
    void Progress(double deltaTime, double newTime);
    bool InProgress() const { return mInProgress; }
    // Deletes the objects freed since the last sweep.  Ignored during Progress().
    void SweepFreed();

    // ---- picking ----
    // The nearest visible, drawn, pickable object whose geometry covers any pixel of the
    // 3x3 square centred on (x, y) (window pixels, origin top-left) in a viewport of the
    // given size, or nullptr.  Up to kMaxPickHits hits are collected in scene order; the one
    // with the smallest minimum depth wins, HUD objects counting as depth 0 (the first in
    // scene order wins a tie).  Computed from geometry; allocates nothing.
    TGLBaseSceneObject* GetPickedObject(int x, int y, int viewportWidth, int viewportHeight) const;

    struct TPickHit {
        TGLBaseSceneObject* Object;
        float MinDepth;
    };
    // All hits (at most kMaxPickHits) in scene order; returns the count.
    size_t PickHits(int x, int y, int viewportWidth, int viewportHeight, TPickHit* out, size_t maxHits) const;

private:
    std::unique_ptr<TGLBaseSceneObject> mRoot;
    std::unique_ptr<TGLCamera> mCamera;
    std::vector<std::unique_ptr<TGLParticleFXManager>> mManagers;
    bool mInProgress = false;
};

}  // namespace vlm::scene
