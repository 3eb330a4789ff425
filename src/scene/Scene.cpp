#include "scene/Scene.h"

#include <algorithm>
#include <cmath>

namespace vlm::scene {

TGLScene::TGLScene() : mRoot(std::make_unique<TGLBaseSceneObject>()), mCamera(std::make_unique<TGLCamera>()) {
    mRoot->Name = "Objects";
    mRoot->mScene = this;
    mCamera->mScene = this;
}

TGLScene::~TGLScene() {
    mRoot.reset();
    mCamera.reset();
    mManagers.clear();
}

TGLBaseSceneObject* TGLScene::FindObject(std::string_view name) const {
    if (TGLBaseSceneObject* o = mRoot->FindChild(name, true)) return o;
    if (mCamera->Name == name) return mCamera.get();
    return mCamera->FindChild(name, true);
}

TGLParticleFXManager* TGLScene::FindParticleManager(std::string_view name) const {
    for (const auto& m : mManagers)
        if (m->Name == name) return m.get();
    return nullptr;
}

void TGLScene::Progress(double deltaTime, double newTime) {
    struct Guard {
        bool& flag;
        ~Guard() { flag = false; }
    } guard{mInProgress};
    mInProgress = true;
    mRoot->DoProgress(deltaTime, newTime);
    mCamera->DoProgress(deltaTime, newTime);
    for (size_t i = 0; i < mManagers.size(); ++i) mManagers[i]->Progress(deltaTime, newTime);
}

void TGLScene::SweepFreed() {
    if (mInProgress) return;
    mRoot->SweepFreedChildren();
    mCamera->SweepFreedChildren();
}

// ---------------------------------------------------------------- picking

namespace {

struct TRect {
    float X0, Y0, X1, Y1;
};

// Separating-axis test of a convex polygon (window pixels) against an axis-aligned
// rectangle.  Polygons of (nearly) no area are not hit.
bool ConvexOverlapsRect(const glm::vec2* poly, int n, const TRect& r) {
    if (n < 3) return false;
    float area = 0.0f;
    glm::vec2 lo = poly[0], hi = poly[0];
    for (int i = 0; i < n; ++i) {
        const glm::vec2& a = poly[i];
        const glm::vec2& b = poly[(i + 1) % n];
        area += a.x * b.y - b.x * a.y;
        lo = glm::min(lo, a);
        hi = glm::max(hi, a);
    }
    if (!(std::fabs(area) > 1e-6f)) return false;
    if (hi.x <= r.X0 || lo.x >= r.X1 || hi.y <= r.Y0 || lo.y >= r.Y1) return false;
    const glm::vec2 corners[4] = {{r.X0, r.Y0}, {r.X1, r.Y0}, {r.X1, r.Y1}, {r.X0, r.Y1}};
    for (int i = 0; i < n; ++i) {
        const glm::vec2 e = poly[(i + 1) % n] - poly[i];
        const glm::vec2 axis(-e.y, e.x);
        if (axis.x == 0.0f && axis.y == 0.0f) continue;
        float pMin = glm::dot(axis, poly[0]), pMax = pMin;
        for (int k = 1; k < n; ++k) {
            const float d = glm::dot(axis, poly[k]);
            pMin = std::min(pMin, d);
            pMax = std::max(pMax, d);
        }
        float rMin = glm::dot(axis, corners[0]), rMax = rMin;
        for (int k = 1; k < 4; ++k) {
            const float d = glm::dot(axis, corners[k]);
            rMin = std::min(rMin, d);
            rMax = std::max(rMax, d);
        }
        if (pMax <= rMin || rMax <= pMin) return false;
    }
    return true;
}

constexpr int kMaxClipVerts = 12;

// Clips a convex world polygon (up to 8 vertices) to the near plane, projects it and tests
// it against the rectangle; minDepth receives the nearest eye depth of the clipped polygon.
bool WorldConvexHit(const TViewProjection& vp, const glm::vec3* world, int n, const TRect& r, float& minDepth) {
    glm::vec3 eye[kMaxClipVerts];
    glm::vec3 clipped[kMaxClipVerts];
    n = std::min(n, 8);
    for (int i = 0; i < n; ++i) eye[i] = glm::vec3(vp.View * glm::vec4(world[i], 1.0f));
    // Keep the part with depth (-z) >= near.
    int m = 0;
    const float nearZ = -vp.NearPlane;
    for (int i = 0; i < n; ++i) {
        const glm::vec3& a = eye[i];
        const glm::vec3& b = eye[(i + 1) % n];
        const bool ain = a.z <= nearZ, bin = b.z <= nearZ;
        if (ain && m < kMaxClipVerts) clipped[m++] = a;
        if (ain != bin && m < kMaxClipVerts) {
            const float t = (nearZ - a.z) / (b.z - a.z);
            clipped[m++] = a + (b - a) * t;
        }
    }
    if (m < 3) return false;
    glm::vec2 screen[kMaxClipVerts];
    float depth = 1e30f;
    for (int i = 0; i < m; ++i) {
        const float d = -clipped[i].z;
        depth = std::min(depth, d);
        screen[i] = glm::vec2(static_cast<float>(vp.ViewportWidth) * 0.5f + clipped[i].x * vp.FocalPixels / d,
                              static_cast<float>(vp.ViewportHeight) * 0.5f - clipped[i].y * vp.FocalPixels / d);
    }
    if (depth > vp.FarPlane) return false;
    if (!ConvexOverlapsRect(screen, m, r)) return false;
    minDepth = depth;
    return true;
}

struct TPickContext {
    const TViewProjection* VP;
    TRect Rect;
    TGLScene::TPickHit* Out;
    size_t Max;
    size_t Count;
};

}  // namespace

// Walks the tree in drawing order (children first to last), skipping hidden and freed
// subtrees, and records hits.
static void PickWalk(const TGLBaseSceneObject& obj, const glm::mat4& parentAbs, TPickContext& ctx);

namespace {

bool HitObject(const TGLBaseSceneObject& obj, const glm::mat4& abs, TPickContext& ctx, float& depth) {
    const TViewProjection& vp = *ctx.VP;
    switch (obj.Kind) {
        case TObjectKind::Sprite: {
            const auto& s = static_cast<const TGLSprite&>(obj);
            glm::vec3 c[4];
            SpriteCorners(vp, abs, s.Width, s.Height, s.Rotation, c);
            return WorldConvexHit(vp, c, 4, ctx.Rect, depth);
        }
        case TObjectKind::AnimatedSprite: {
            const auto& s = static_cast<const TGLAnimatedSprite&>(obj);
            glm::vec3 c[4];
            SpriteCorners(vp, abs, s.SpriteWidth(), s.SpriteHeight(), s.Rotation, c);
            return WorldConvexHit(vp, c, 4, ctx.Rect, depth);
        }
        case TObjectKind::HUDSprite: {
            const auto& s = static_cast<const TGLHUDSprite&>(obj);
            glm::vec2 c[4];
            HUDCorners(s.Position.x, s.Position.y, s.Width, s.Height, s.Rotation, c);
            depth = 0.0f;
            return ConvexOverlapsRect(c, 4, ctx.Rect);
        }
        case TObjectKind::HUDText: {
            const auto& t = static_cast<const TGLHUDText&>(obj);
            glm::vec2 tl, br;
            if (!t.TextRect(tl, br)) return false;
            glm::vec2 c[4] = {{tl.x, br.y}, {br.x, br.y}, {br.x, tl.y}, {tl.x, tl.y}};
            if (t.Rotation != 0.0f) {
                const float th = glm::radians(t.Rotation);
                const float co = std::cos(th), si = std::sin(th);
                const glm::vec2 o(t.Position.x, t.Position.y);
                for (auto& p : c) {
                    const glm::vec2 d = p - o;
                    p = o + glm::vec2(d.x * co + d.y * si, -d.x * si + d.y * co);
                }
            }
            depth = 0.0f;
            return ConvexOverlapsRect(c, 4, ctx.Rect);
        }
        case TObjectKind::Polygon: {
            const auto& p = static_cast<const TGLPolygon&>(obj);
            if (p.Nodes.size() < 3) return false;
            // Fan of triangles: right for the convex polygons the game makes.
            bool hit = false;
            float best = 1e30f;
            const glm::vec3 n0 = glm::vec3(abs * glm::vec4(p.Nodes[0], 1.0f));
            glm::vec3 prev = glm::vec3(abs * glm::vec4(p.Nodes[1], 1.0f));
            for (size_t i = 2; i < p.Nodes.size(); ++i) {
                const glm::vec3 cur = glm::vec3(abs * glm::vec4(p.Nodes[i], 1.0f));
                const glm::vec3 tri[3] = {n0, prev, cur};
                float d;
                if (WorldConvexHit(vp, tri, 3, ctx.Rect, d)) {
                    hit = true;
                    best = std::min(best, d);
                }
                prev = cur;
            }
            if (hit) depth = best;
            return hit;
        }
        case TObjectKind::Sphere: {
            const auto& s = static_cast<const TGLSphere&>(obj);
            const glm::mat3 a(abs);
            const float scale = std::max({glm::length(a[0]), glm::length(a[1]), glm::length(a[2])});
            const float radius = std::fabs(s.Radius) * scale;
            if (!(radius > 0.0f)) return false;
            glm::vec3 w;
            if (!WorldToWindow(vp, glm::vec3(abs[3]), w)) return false;
            if (w.z - radius < vp.NearPlane || w.z - radius > vp.FarPlane) return false;
            const float rp = radius * vp.FocalPixels / w.z;
            const float cx = std::clamp(w.x, ctx.Rect.X0, ctx.Rect.X1);
            const float cy = std::clamp(w.y, ctx.Rect.Y0, ctx.Rect.Y1);
            if ((cx - w.x) * (cx - w.x) + (cy - w.y) * (cy - w.y) >= rp * rp) return false;
            depth = w.z - radius;
            return true;
        }
        case TObjectKind::FreeForm: {
            const auto& f = static_cast<const TGLFreeForm&>(obj);
            if (f.Mesh.Empty()) return false;
            const glm::vec3 lo = f.Mesh.BoundsMin, hi = f.Mesh.BoundsMax;
            glm::vec2 smin(1e30f), smax(-1e30f);
            float best = 1e30f;
            int inFront = 0;
            for (int k = 0; k < 8; ++k) {
                const glm::vec3 corner((k & 1) ? hi.x : lo.x, (k & 2) ? hi.y : lo.y, (k & 4) ? hi.z : lo.z);
                glm::vec3 w;
                if (!WorldToWindow(vp, glm::vec3(abs * glm::vec4(corner, 1.0f)), w)) continue;
                ++inFront;
                smin = glm::min(smin, glm::vec2(w));
                smax = glm::max(smax, glm::vec2(w));
                best = std::min(best, w.z);
            }
            if (inFront == 0 || best > vp.FarPlane) return false;
            const glm::vec2 box[4] = {{smin.x, smin.y}, {smax.x, smin.y}, {smax.x, smax.y}, {smin.x, smax.y}};
            if (!ConvexOverlapsRect(box, 4, ctx.Rect)) return false;
            depth = best;
            return true;
        }
        default:
            return false;  // groups, sky boxes, blur overlays, lights, flares, particles, cameras
    }
}

}  // namespace

static void PickWalk(const TGLBaseSceneObject& obj, const glm::mat4& parentAbs, TPickContext& ctx) {
    if (ctx.Count >= ctx.Max) return;
    const glm::mat4 abs = parentAbs * obj.LocalMatrix();
    if (obj.Pickable) {
        float depth = 0.0f;
        if (HitObject(obj, abs, ctx, depth)) {
            ctx.Out[ctx.Count++] = TGLScene::TPickHit{const_cast<TGLBaseSceneObject*>(&obj), depth};
            if (ctx.Count >= ctx.Max) return;
        }
    }
    for (size_t i = 0; i < obj.Count(); ++i) {
        const TGLBaseSceneObject* c = obj.Child(i);
        if (!c->Visible || c->IsFreedSelf()) continue;
        PickWalk(*c, abs, ctx);
        if (ctx.Count >= ctx.Max) return;
    }
}

size_t TGLScene::PickHits(int x, int y, int viewportWidth, int viewportHeight, TPickHit* out, size_t maxHits) const {
    if (!out || maxHits == 0) return 0;
    const TViewProjection vp = ComputeViewProjection(*mCamera, viewportWidth, viewportHeight);
    TPickContext ctx{&vp,
                     TRect{static_cast<float>(x) - 1.0f, static_cast<float>(y) - 1.0f, static_cast<float>(x) + 2.0f,
                           static_cast<float>(y) + 2.0f},
                     out, maxHits, 0};
    const glm::mat4 identity(1.0f);
    const TGLBaseSceneObject* tops[2] = {mRoot.get(), mCamera.get()};
    for (const TGLBaseSceneObject* top : tops) {
        if (!top->Visible) continue;
        if (top == mCamera.get()) {
            // The camera itself is not drawn; its children are, in its frame.
            const glm::mat4 camAbs = top->LocalMatrix();
            for (size_t i = 0; i < top->Count() && ctx.Count < ctx.Max; ++i) {
                const TGLBaseSceneObject* c = top->Child(i);
                if (c->Visible && !c->IsFreedSelf()) PickWalk(*c, camAbs, ctx);
            }
        } else {
            PickWalk(*top, identity, ctx);
        }
    }
    return ctx.Count;
}

TGLBaseSceneObject* TGLScene::GetPickedObject(int x, int y, int viewportWidth, int viewportHeight) const {
    TPickHit hits[kMaxPickHits];
    const size_t n = PickHits(x, y, viewportWidth, viewportHeight, hits, kMaxPickHits);
    TGLBaseSceneObject* best = nullptr;
    float bestDepth = 0.0f;
    for (size_t i = 0; i < n; ++i)
        if (!best || hits[i].MinDepth < bestDepth) {
            best = hits[i].Object;
            bestDepth = hits[i].MinDepth;
        }
    return best;
}

}  // namespace vlm::scene
