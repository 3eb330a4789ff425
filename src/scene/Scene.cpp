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

// A plane through the eye, in eye coordinates: points with dot(N, p) < 0 lie outside.
struct TEyePlane {
    float X, Y, Z;  // unit normal
};

struct TPickContext {
    const TViewProjection* VP;
    TRect Rect;
    TGLScene::TPickHit* Out;
    size_t Max;
    size_t Count;
    // The four sides of the pick square (widened by a little slack) seen from the eye: a
    // ball wholly outside one of them cannot project onto the square.
    TEyePlane Sides[4];
};

// Pixels of slack around the pick square for the cheap bounds, so that rounding in a bound
// never rejects what the exact test would hit.
constexpr float kBoundSlackPixels = 1.0f;

// The side planes of the pick square.  A point in front of the eye (depth d = -z > 0) shows
// at window x = cx + f * x / d, so "x at least X0" is f * x + (X0 - cx) * z >= 0, and so on.
void MakePickSides(TPickContext& ctx) {
    const TViewProjection& vp = *ctx.VP;
    const float f = vp.FocalPixels;
    const float cx = static_cast<float>(vp.ViewportWidth) * 0.5f;
    const float cy = static_cast<float>(vp.ViewportHeight) * 0.5f;
    const float s = kBoundSlackPixels;
    const glm::vec3 n[4] = {
        {f, 0.0f, ctx.Rect.X0 - s - cx},     // right of the left edge
        {-f, 0.0f, -(ctx.Rect.X1 + s - cx)}, // left of the right edge
        {0.0f, -f, ctx.Rect.Y0 - s - cy},    // below the top edge (window y = cy - f * y / d)
        {0.0f, f, -(ctx.Rect.Y1 + s - cy)},  // above the bottom edge
    };
    for (int i = 0; i < 4; ++i) {
        const glm::vec3 u = n[i] / glm::length(n[i]);
        ctx.Sides[i] = TEyePlane{u.x, u.y, u.z};
    }
}

}  // namespace

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

namespace {

bool Unturned(const TGLBaseSceneObject& obj) {
    return obj.Direction == glm::vec3(0.0f, 0.0f, 1.0f) && obj.Up == glm::vec3(0.0f, 1.0f, 0.0f);
}

// parent * obj.LocalMatrix(), with a short cut for objects in their unturned orientation
// (most of a level: shots, sparks, bonuses), whose local matrix is only scale and position.
void ComposeAbsolute(const glm::mat4& parent, const TGLBaseSceneObject& obj, glm::mat4& out) {
    if (Unturned(obj)) {
        const glm::vec3& s = obj.Scale;
        const glm::vec3& p = obj.Position;
        out[0] = parent[0] * s.x;
        out[1] = parent[1] * s.y;
        out[2] = parent[2] * s.z;
        out[3] = parent[0] * p.x + parent[1] * p.y + parent[2] * p.z + parent[3];
    } else {
        out = parent * obj.LocalMatrix();
    }
}

// Squared lengths of the matrix's first three columns.
glm::vec3 ColumnsSquared(const glm::mat4& m) {
    const glm::vec3 a(m[0]), b(m[1]), c(m[2]);
    return {glm::dot(a, a), glm::dot(b, b), glm::dot(c, c)};
}

// Upper bound of how far a linear map stretches a vector: its Frobenius norm (never below
// its largest singular value), from the squared lengths of its columns.
float StretchBound(const glm::vec3& columnsSquared) {
    return std::sqrt(columnsSquared.x + columnsSquared.y + columnsSquared.z);
}

// True when nothing within `radius` of the world point `centre` can be hit: the ball lies
// wholly behind the near plane, beyond the far plane, or outside a side of the pick square.
// The side test holds for the part of the ball in front of the near plane, the only part
// the exact test keeps.  Conservative: false whenever in doubt (NaN included).
bool BallMisses(const TPickContext& ctx, const glm::vec3& centre, float radius) {
    const TViewProjection& vp = *ctx.VP;
    const glm::mat4& v = vp.View;
    const float ex = v[0][0] * centre.x + v[1][0] * centre.y + v[2][0] * centre.z + v[3][0];
    const float ey = v[0][1] * centre.x + v[1][1] * centre.y + v[2][1] * centre.z + v[3][1];
    const float ez = v[0][2] * centre.x + v[1][2] * centre.y + v[2][2] * centre.z + v[3][2];
    // Widened for the rounding of the exact test, which works from other intermediate values.
    const float mag = std::max({std::fabs(ex), std::fabs(ey), std::fabs(ez)});
    const float r = radius * 1.001f + 1e-4f * (1.0f + mag);
    const float d = -ez;
    if (d + r < vp.NearPlane) return true;  // every point clipped away
    if (d - r > vp.FarPlane) return true;   // even the nearest point is too far
    for (const TEyePlane& p : ctx.Sides)
        if (p.X * ex + p.Y * ey + p.Z * ez < -r) return true;
    return false;
}

// Sprites: corners lie at most |half width| + |half height| stretched by the matrix from
// the centre; a rotation mixes the two half axes, adding at most a factor sqrt(2).
float SpriteReach(float width, float height, float rotation, float stretch) {
    const float reach = (std::fabs(width) + std::fabs(height)) * 0.5f * stretch;
    return rotation != 0.0f ? reach * 1.41422f : reach;
}

// A cheap look before the exact test of a world object: true when it certainly is not hit.
// `centre` is its absolute position, `stretch` a StretchBound() of its absolute matrix;
// `abs` is that matrix where the kind needs it (free forms), else nullptr.
bool WorldSurelyMissed(const TGLBaseSceneObject& obj, const glm::vec3& centre, float stretch, const glm::mat4* abs,
                       const TPickContext& ctx) {
    switch (obj.Kind) {
        case TObjectKind::Sprite: {
            const auto& s = static_cast<const TGLSprite&>(obj);
            return BallMisses(ctx, centre, SpriteReach(s.Width, s.Height, s.Rotation, stretch));
        }
        case TObjectKind::AnimatedSprite: {
            const auto& s = static_cast<const TGLAnimatedSprite&>(obj);
            return BallMisses(ctx, centre, SpriteReach(s.SpriteWidth(), s.SpriteHeight(), s.Rotation, stretch));
        }
        case TObjectKind::Polygon: {
            const auto& p = static_cast<const TGLPolygon&>(obj);
            if (p.Nodes.size() < 3) return true;
            float farthest = 0.0f;
            for (const glm::vec3& n : p.Nodes) farthest = std::max(farthest, glm::dot(n, n));
            return BallMisses(ctx, centre, std::sqrt(farthest) * stretch);
        }
        case TObjectKind::FreeForm: {
            const auto& f = static_cast<const TGLFreeForm&>(obj);
            if (f.Mesh.Empty()) return true;
            if (!abs) return false;
            const glm::vec3 mid = (f.Mesh.BoundsMin + f.Mesh.BoundsMax) * 0.5f;
            const glm::vec3 half = (f.Mesh.BoundsMax - f.Mesh.BoundsMin) * 0.5f;
            return BallMisses(ctx, glm::vec3(*abs * glm::vec4(mid, 1.0f)), glm::length(half) * stretch);
        }
        default:
            return false;  // spheres: the exact test is about as cheap
    }
}

// The same for HUD sprites, in window pixels: the corners are sqrt(hw^2 + hh^2) <= |hw| + |hh|
// from the centre, whatever the rotation.
bool HUDSpriteSurelyMissed(const TGLHUDSprite& s, const TPickContext& ctx) {
    const float reach = (std::fabs(s.Width) + std::fabs(s.Height)) * 0.5f + kBoundSlackPixels;
    const TRect& q = ctx.Rect;
    return s.Position.x + reach <= q.X0 || s.Position.x - reach >= q.X1 || s.Position.y + reach <= q.Y0 ||
           s.Position.y - reach >= q.Y1;  // NaN: false, the exact test decides
}

bool IsWorldPickKind(TObjectKind kind) {
    switch (kind) {
        case TObjectKind::Sprite:
        case TObjectKind::AnimatedSprite:
        case TObjectKind::Polygon:
        case TObjectKind::Sphere:
        case TObjectKind::FreeForm:
            return true;
        default:
            return false;
    }
}

void Record(const TGLBaseSceneObject& obj, float depth, TPickContext& ctx) {
    ctx.Out[ctx.Count++] = TGLScene::TPickHit{const_cast<TGLBaseSceneObject*>(&obj), depth};
}

void PickChildren(const TGLBaseSceneObject& obj, const glm::mat4& abs, TPickContext& ctx);

// Tests a visible, live object and walks its subtree, recording hits.  The parent's
// absolute matrix comes with the squared lengths of its columns, so that an unturned leaf
// (the bulk of a level) is bounded from its position and scale alone; its own matrix is
// made only when the bound cannot rule it out, or for its children.  HUD objects are
// placed in window pixels, and childless groups, lights and the like are never hit.
void PickObject(const TGLBaseSceneObject& obj, const glm::mat4& parentAbs, const glm::vec3& parentColumnsSquared,
                TPickContext& ctx) {
    const bool hasChildren = obj.Count() > 0;
    glm::mat4 abs;
    bool haveAbs = false;
    if (obj.Pickable) {
        float depth = 0.0f;
        if (IsWorldPickKind(obj.Kind)) {
            glm::vec3 centre;
            float stretch;
            if (Unturned(obj) && obj.Kind != TObjectKind::FreeForm) {
                const glm::vec3& p = obj.Position;
                centre = glm::vec3(parentAbs[0]) * p.x + glm::vec3(parentAbs[1]) * p.y +
                         glm::vec3(parentAbs[2]) * p.z + glm::vec3(parentAbs[3]);
                stretch = StretchBound(parentColumnsSquared * obj.Scale * obj.Scale);
            } else {
                ComposeAbsolute(parentAbs, obj, abs);
                haveAbs = true;
                centre = glm::vec3(abs[3]);
                stretch = StretchBound(ColumnsSquared(abs));
            }
            if (!WorldSurelyMissed(obj, centre, stretch, haveAbs ? &abs : nullptr, ctx)) {
                if (!haveAbs) ComposeAbsolute(parentAbs, obj, abs);
                haveAbs = true;
                if (HitObject(obj, abs, ctx, depth)) {
                    Record(obj, depth, ctx);
                    if (ctx.Count >= ctx.Max) return;
                }
            }
        } else if (obj.Kind == TObjectKind::HUDSprite || obj.Kind == TObjectKind::HUDText) {
            // Their test does not look at the matrix.
            if (!(obj.Kind == TObjectKind::HUDSprite && HUDSpriteSurelyMissed(static_cast<const TGLHUDSprite&>(obj), ctx)) &&
                HitObject(obj, parentAbs, ctx, depth)) {
                Record(obj, depth, ctx);
                if (ctx.Count >= ctx.Max) return;
            }
        }
    }
    if (!hasChildren) return;
    if (!haveAbs) ComposeAbsolute(parentAbs, obj, abs);
    PickChildren(obj, abs, ctx);
}

// The visible, live children of an object with absolute matrix `abs`, first to last (the
// drawing order), hidden and freed subtrees skipped whole.
void PickChildren(const TGLBaseSceneObject& obj, const glm::mat4& abs, TPickContext& ctx) {
    const glm::vec3 columnsSquared = ColumnsSquared(abs);
    for (size_t i = 0; i < obj.Count() && ctx.Count < ctx.Max; ++i) {
        const TGLBaseSceneObject* c = obj.Child(i);
        if (c->Visible && !c->IsFreedSelf()) PickObject(*c, abs, columnsSquared, ctx);
    }
}

}  // namespace

size_t TGLScene::PickHits(int x, int y, int viewportWidth, int viewportHeight, TPickHit* out, size_t maxHits) const {
    if (!out || maxHits == 0) return 0;
    const TViewProjection vp = ComputeViewProjection(*mCamera, viewportWidth, viewportHeight);
    TPickContext ctx{&vp,
                     TRect{static_cast<float>(x) - 1.0f, static_cast<float>(y) - 1.0f, static_cast<float>(x) + 2.0f,
                           static_cast<float>(y) + 2.0f},
                     out, maxHits, 0, {}};
    MakePickSides(ctx);
    const glm::mat4 identity(1.0f);
    const TGLBaseSceneObject* tops[2] = {mRoot.get(), mCamera.get()};
    for (const TGLBaseSceneObject* top : tops) {
        if (!top->Visible || ctx.Count >= ctx.Max) continue;
        if (top == mCamera.get()) {
            // The camera itself is not drawn; its children are, in its frame.
            PickChildren(*top, top->LocalMatrix(), ctx);
        } else {
            PickObject(*top, identity, ColumnsSquared(identity), ctx);
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
