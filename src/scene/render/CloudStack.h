#pragma once
// Consecutive cloud planes drawn as one full-window pass.
//
// A cloud plane faces the camera, so across the window its texture coordinates are an affine
// function of the window position. Up to kMaxLayers planes that follow each other in the drawing
// order are composed in one fragment program: each layer's texel is blended over the ones before it
// in the shader (transparency: c·a + below·(1 - a); additive: below + c·a), and the stack as a whole
// is written once, either over the cleared background without blending or blended over what was
// drawn before with (1, src alpha): below · Π(1 - a_transparent) + the composed colour. A pixel
// is shaded once instead of once per plane.
#include "scene/render/GlProgram.h"
#include "scene/render/GlState.h"

#include <glm/vec2.hpp>
#include <glm/vec3.hpp>
#include <glm/vec4.hpp>

#include <array>
#include <string>

namespace vlm::render {

struct CloudLayer {
    GLuint texture = 0;
    glm::vec4 color{1.0f};   // rgb multiplies the texel (1 for replace), a is the layer's opacity
    bool additive = false;   // adds c·a; otherwise covers by a
    // Texture coordinates at normalised device position p: (dot(u, (p, 1)), dot(v, (p, 1))).
    glm::vec3 u{0.0f}, v{0.0f};
};

class CloudStack {
public:
    static constexpr int kMaxLayers = 4;

    CloudStack() = default;
    ~CloudStack();
    CloudStack(const CloudStack&) = delete;
    CloudStack& operator=(const CloudStack&) = delete;

    bool Init(int glslVersion, GlState* gl, std::string& error);

    // Which pixels a pass covers, told by the depth buffer: all of them, only those nothing has
    // been drawn at yet (depth still cleared), or only those something has (opaque objects drawn
    // before the stack that the layers below them must not reach).
    enum class Pixels { All, Empty, Covered };

    // Draws layers[0..count) over the whole viewport, layer 0 lowest. `overClear`: nothing has been
    // drawn yet this frame at these pixels, so the stack is written over `clearColor` without
    // blending.
    void Draw(const CloudLayer* layers, int count, bool overClear, const glm::vec3& clearColor,
              Pixels pixels = Pixels::All);

    int DrawCalls() const { return drawCalls_; }
    void ResetCounters() { drawCalls_ = 0; }

private:
    struct Variant {
        GlProgram program;
        GLint uU = -1, uV = -1, uColor = -1, uKeep = -1, uClear = -1;
        bool built = false, failed = false;
    };
    bool Build(std::size_t index, std::string& error);
    // Index: (layers - 1) * 2 + overClear.
    std::array<Variant, kMaxLayers * 2> variants_;
    GlState* gl_ = nullptr;
    int glsl_ = 0;
    GLuint vao_ = 0, vbo_ = 0;
    int drawCalls_ = 0;
};

} // namespace vlm::render
