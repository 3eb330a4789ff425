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
//
// Soft planes (each texel spread over two pixels or more) lose nothing when composed at half the
// window's size: the top run of them is composed into a half-size picture first, and the full-size
// pass samples that picture as one premultiplied layer. On a software rasterizer, where every
// sample of every pixel costs, level 1's backdrop then samples two pictures per pixel, not four.
#include "scene/render/GlProgram.h"
#include "scene/render/GlState.h"
#include "scene/render/RenderTarget.h"

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
    bool soft = false;           // a texel covers two pixels or more: may be composed at half size
    bool premultiplied = false;  // planes composed before: rgb already weighted, a is their coverage
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
    // Only the last layer may be premultiplied.
    void Draw(const CloudLayer* layers, int count, bool overClear, const glm::vec3& clearColor,
              Pixels pixels = Pixels::All);

    // Composes layers[0..count) at half of width x height into the stack's own picture and gives
    // them back as one premultiplied layer over the whole viewport. The caller binds its own
    // framebuffer and viewport again afterwards. False (nothing composed) if the driver refuses
    // the picture.
    bool ComposeHalf(const CloudLayer* layers, int count, int width, int height, CloudLayer& composed);

    int DrawCalls() const { return drawCalls_; }
    void ResetCounters() { drawCalls_ = 0; }

private:
    // What the pass writes: blended over the frame, over the cleared background, or the coverage
    // (1 - what shows through) into the half-size picture.
    enum class Output { Blended, OverClear, Coverage };
    struct Variant {
        GlProgram program;
        GLint uU = -1, uV = -1, uColor = -1, uKeep = -1, uClear = -1;
        bool built = false, failed = false;
    };
    static std::size_t IndexOf(int layers, Output output, bool lastPremultiplied) {
        return (static_cast<std::size_t>(layers - 1) * 3 + static_cast<std::size_t>(output)) * 2 +
               (lastPremultiplied ? 1 : 0);
    }
    bool Build(std::size_t index, std::string& error);
    // False if nothing was drawn (no layers, or the program cannot be built).
    bool DrawStack(const CloudLayer* layers, int count, Output output, const glm::vec3& clearColor, Pixels pixels);
    std::array<Variant, kMaxLayers * 3 * 2> variants_;
    RenderTarget half_;
    GlState* gl_ = nullptr;
    int glsl_ = 0;
    GLuint vao_ = 0, vbo_ = 0;
    int drawCalls_ = 0;
};

} // namespace vlm::render
