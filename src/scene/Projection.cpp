#include "scene/Projection.h"

#include <algorithm>
#include <cmath>

#include <glm/gtc/matrix_transform.hpp>

#include "scene/Objects.h"

namespace vlm::scene {

namespace {
glm::vec3 NormalizeOr(const glm::vec3& v, const glm::vec3& fallback) {
    const float l = glm::length(v);
    return (l > 1e-12f && std::isfinite(l)) ? v / l : fallback;
}
}  // namespace

TViewProjection ComputeViewProjection(const TGLCamera& camera, int viewportWidth, int viewportHeight) {
    TViewProjection vp;
    vp.ViewportWidth = std::max(1, viewportWidth);
    vp.ViewportHeight = std::max(1, viewportHeight);
    const glm::mat4 abs = camera.AbsoluteMatrix();
    vp.CameraPosition = glm::vec3(abs[3]);
    vp.CameraForward = NormalizeOr(glm::vec3(abs[2]), glm::vec3(0, 0, 1));
    glm::vec3 up = NormalizeOr(glm::vec3(abs[1]), glm::vec3(0, 1, 0));
    vp.CameraRight = NormalizeOr(glm::cross(vp.CameraForward, up), glm::vec3(1, 0, 0));
    vp.CameraUp = glm::cross(vp.CameraRight, vp.CameraForward);
    vp.View = glm::lookAt(vp.CameraPosition, vp.CameraPosition + vp.CameraForward, vp.CameraUp);

    float focal = camera.FocalLength * camera.SceneScale * kFocalPixelsPerUnit;
    if (!(focal > 1e-3f) || !std::isfinite(focal)) focal = 1e-3f;
    vp.FocalPixels = focal;
    float bias = camera.NearPlaneBias;
    if (!(bias > 0.004f) || !std::isfinite(bias)) bias = 0.004f;
    // The lens puts the near plane nearer on larger windows; the floor keeps depth precision
    // when a caller hands in a tiny focal length.
    float focalLength = camera.FocalLength;
    if (!(focalLength > 1.0f) || !std::isfinite(focalLength)) focalLength = 1.0f;
    const float maxSide = static_cast<float>(std::max(vp.ViewportWidth, vp.ViewportHeight));
    vp.NearPlane = std::max(focalLength * kFocalPixelsPerUnit / maxSide * bias, 1e-3f);
    float depth = camera.DepthOfView;
    if (!(depth > 1.0f) || !std::isfinite(depth)) depth = 1.0f;
    vp.FarPlane = vp.NearPlane + depth;
    const float r = vp.NearPlane * (static_cast<float>(vp.ViewportWidth) * 0.5f) / focal;
    const float t = vp.NearPlane * (static_cast<float>(vp.ViewportHeight) * 0.5f) / focal;
    vp.Projection = glm::frustum(-r, r, -t, t, vp.NearPlane, vp.FarPlane);
    vp.ViewProjection = vp.Projection * vp.View;
    return vp;
}

bool WorldToWindow(const TViewProjection& vp, const glm::vec3& world, glm::vec3& window) {
    const glm::vec4 eye = vp.View * glm::vec4(world, 1.0f);
    const float depth = -eye.z;
    if (!(depth >= vp.NearPlane)) return false;
    window.x = static_cast<float>(vp.ViewportWidth) * 0.5f + eye.x * vp.FocalPixels / depth;
    window.y = static_cast<float>(vp.ViewportHeight) * 0.5f - eye.y * vp.FocalPixels / depth;
    window.z = depth;
    return true;
}

glm::mat4 HUDProjection(int viewportWidth, int viewportHeight) {
    return glm::ortho(0.0f, static_cast<float>(std::max(1, viewportWidth)), static_cast<float>(std::max(1, viewportHeight)),
                      0.0f, -1.0f, 1.0f);
}

void SpriteCorners(const TViewProjection& vp, const glm::mat4& absolute, float width, float height,
                   float rotationDegrees, glm::vec3 out[4]) {
    // The quad is built from the screen's axes expressed in the object's frame, each scaled
    // back to the sprite's half size there, then carried through the object's transform:
    // the on-screen size follows the object's scale along the screen's axes.
    const glm::mat3 a(absolute);
    const glm::vec3 centre(absolute[3]);
    const glm::mat3 at = glm::transpose(a);
    auto axis = [&](const glm::vec3& screenAxis, float half) {
        const glm::vec3 inObject = at * screenAxis;
        const float len = glm::length(inObject);
        if (!(len > 1e-12f) || !std::isfinite(len)) return glm::vec3(0.0f);
        return a * (inObject * (half / len));
    };
    glm::vec3 rx = axis(vp.CameraRight, width * 0.5f);
    glm::vec3 uy = axis(vp.CameraUp, height * 0.5f);
    if (rotationDegrees != 0.0f) {
        const float th = glm::radians(rotationDegrees);
        const float c = std::cos(th), s = std::sin(th);
        const glm::vec3 r2 = rx * c + uy * s * (glm::length(rx) / std::max(glm::length(uy), 1e-12f));
        const glm::vec3 u2 = uy * c - rx * s * (glm::length(uy) / std::max(glm::length(rx), 1e-12f));
        rx = r2;
        uy = u2;
    }
    out[0] = centre - rx - uy;
    out[1] = centre + rx - uy;
    out[2] = centre + rx + uy;
    out[3] = centre - rx + uy;
}

void HUDCorners(float cx, float cy, float width, float height, float rotationDegrees, glm::vec2 out[4]) {
    const float hw = width * 0.5f, hh = height * 0.5f;
    // y grows downwards: bottom is +hh.
    const glm::vec2 local[4] = {{-hw, hh}, {hw, hh}, {hw, -hh}, {-hw, -hh}};
    const float th = glm::radians(rotationDegrees);
    const float c = std::cos(th), s = std::sin(th);
    for (int i = 0; i < 4; ++i) {
        // Counter-clockwise on screen for positive angles.
        out[i] = glm::vec2(cx + local[i].x * c + local[i].y * s, cy - local[i].x * s + local[i].y * c);
    }
}

}  // namespace vlm::scene
