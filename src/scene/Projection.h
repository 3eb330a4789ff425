// The one place where the camera's view and projection are computed, shared by the
// renderer and picking, plus the geometry of camera-facing sprites.
#pragma once

#include <glm/glm.hpp>

namespace vlm::scene {

class TGLCamera;

// The perspective, as the camera's lens defines it: FocalLength is in millimetres of a screen of
// kScreenDotsPerInch, doubled, and SceneScale enlarges the picture.  An object of size s at
// distance d along the view axis covers s / d * FocalLength * SceneScale * kFocalPixelsPerUnit
// pixels.  The game sets SceneScale = window width / 1000 * 0.625, so the view keeps its angle
// at every window size: at focal length 40 a plane at distance d shows about 5.3 d across, and
// the play field 1.58 in front of the camera (scaled 6 by 8) fills the window from -0.52 to
// 0.52 on both axes.
inline constexpr float kScreenDotsPerInch = 96.0f;
inline constexpr float kFocalPixelsPerUnit = 2.0f * kScreenDotsPerInch / 25.4f;

struct TViewProjection {
    glm::mat4 View{1.0f};        // world -> eye (OpenGL convention, looking down -Z)
    glm::mat4 Projection{1.0f};  // eye -> clip
    glm::mat4 ViewProjection{1.0f};
    glm::vec3 CameraPosition{0.0f};
    glm::vec3 CameraRight{1.0f, 0.0f, 0.0f};  // world axes of the screen
    glm::vec3 CameraUp{0.0f, 1.0f, 0.0f};
    glm::vec3 CameraForward{0.0f, 0.0f, -1.0f};
    float FocalPixels = 1.0f;    // pixels per unit of size at unit depth
    float NearPlane = 0.05f;
    float FarPlane = 450.0f;
    int ViewportWidth = 1;
    int ViewportHeight = 1;
};

// Computes view and projection from the camera (its absolute position, direction, up,
// FocalLength, SceneScale, DepthOfView, NearPlaneBias) and the viewport in pixels.
// Near plane = FocalLength * kFocalPixelsPerUnit / (the viewport's larger side) * NearPlaneBias,
// far plane = near + DepthOfView.
TViewProjection ComputeViewProjection(const TGLCamera& camera, int viewportWidth, int viewportHeight);

// World point -> window: x, y in pixels (origin top-left, y down), z the depth along the
// view axis (eye distance).  Returns false when the point is not in front of the near plane.
bool WorldToWindow(const TViewProjection& vp, const glm::vec3& world, glm::vec3& window);

// Orthographic projection for HUD objects: window pixels, origin top-left, y down.
glm::mat4 HUDProjection(int viewportWidth, int viewportHeight);

// World-space corners of a camera-facing sprite (order: bottom-left, bottom-right,
// top-right, top-left as seen on screen) for an object with absolute matrix `absolute`.
// The quad spans width x height measured in the object's scaled frame along the screen's
// axes (a sprite under a parent scaled (6, 0.1, 8) grows with those factors), centred on
// the object's position and turned by rotationDegrees about the view axis.
void SpriteCorners(const TViewProjection& vp, const glm::mat4& absolute, float width, float height,
                   float rotationDegrees, glm::vec3 out[4]);

// Window-pixel corners of a HUD quad centred at (cx, cy), same corner order.
void HUDCorners(float cx, float cy, float width, float height, float rotationDegrees, glm::vec2 out[4]);

}  // namespace vlm::scene
