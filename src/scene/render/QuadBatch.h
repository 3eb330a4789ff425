#pragma once
// Batches textured, coloured triangles (quads and convex fans) in submission order. Consecutive
// primitives with the same state (texture, blending, texture mode, depth, fog, space) are merged into
// one draw call; a state change or a full buffer flushes. The vertex and index arrays are allocated
// once, so a steady frame allocates nothing. Each draw uses the smallest program its state needs
// (no fog, alpha test or texture lookup where none is wanted).
#include "scene/render/GlProgram.h"
#include "scene/render/GlState.h"

#include <glm/mat4x4.hpp>
#include <glm/vec2.hpp>
#include <glm/vec3.hpp>

#include <cstdint>
#include <string>
#include <vector>

namespace vlm::render {

struct BatchVertex {
    float x, y, z;
    float u, v;
    std::uint32_t rgba;  // bytes in memory order r, g, b, a
};

// Which matrix the vertices go through.
enum class BatchSpace : std::uint8_t {
    World,   // world coordinates, camera view and projection, fog applies
    Screen,  // window pixels, origin top-left, y down
    Clip,    // clip space directly (-1..1)
};

struct BatchState {
    GLuint texture = 0;
    BlendMode blend = BlendMode::Opaque;
    float alphaRef = -1.0f;  // texels with alpha <= alphaRef are discarded (-1: none)
    bool replace = false;  // texture colour replaces the vertex colour (alpha still multiplies)
    bool depthTest = true;
    bool depthWrite = true;
    bool fog = false;
    BatchSpace space = BatchSpace::World;

    bool operator==(const BatchState&) const = default;
};

std::uint32_t PackColor(float r, float g, float b, float a);

class QuadBatch {
public:
    static constexpr std::size_t kMaxVertices = 65536;
    static constexpr std::size_t kMaxIndices = kMaxVertices * 3 / 2;
    // The streaming buffers hold this many full batches (fewer with a software rasterizer: there
    // the buffers are main memory, and nothing waits on a GPU).
    static constexpr std::size_t kRingBatches = 4;

    QuadBatch() = default;
    ~QuadBatch();
    QuadBatch(const QuadBatch&) = delete;
    QuadBatch& operator=(const QuadBatch&) = delete;

    // `untextured` is the plain white texture: batches bound to it skip the texture lookup.
    // `ringBatches` (1 to kRingBatches): how many full batches the streaming buffers hold.
    bool Init(int glslVersion, GlState* gl, GLuint untextured, std::string& error,
              std::size_t ringBatches = kRingBatches);

    // Per-frame inputs of the program. Flushes first if anything is pending.
    void SetWorld(const glm::mat4& viewProjection, const glm::mat4& view);
    void SetScreen(int width, int height);
    void SetFog(bool enabled, float start, float end, const glm::vec3& color);

    // Makes `state` current for the following primitives (flushes when it differs).
    void SetState(const BatchState& state);
    const BatchState& State() const { return state_; }

    // v[0..3] counter-clockwise or clockwise around the quad (0-1-2, 0-2-3).
    void AddQuad(const BatchVertex* v);
    // A convex fan around v[0]; n >= 3 (smaller counts are ignored).
    void AddFan(const BatchVertex* v, std::size_t n);

    void Flush();

    // Counters since the last ResetCounters().
    int DrawCalls() const { return drawCalls_; }
    int Primitives() const { return primitives_; }
    void ResetCounters() { drawCalls_ = primitives_ = 0; }

private:
    void Reserve(std::size_t vertices, std::size_t indices);

    // Program switches (bits of a variant's index).
    static constexpr unsigned kFog = 1, kReplace = 2, kAlphaTest = 4, kUntextured = 8, kVariants = 16;
    struct Variant {
        GlProgram program;
        GLint uMatrix = -1, uView = -1, uAlphaRef = -1, uFogRange = -1, uFogColor = -1;
        bool built = false, failed = false;
    };
    unsigned VariantOf(const BatchState& state) const;
    // Compiles a variant's program the first time it is asked for.
    bool Build(unsigned index, std::string& error);

    Variant variants_[kVariants];
    GlState* gl_ = nullptr;
    int glsl_ = 330;
    GLuint untextured_ = 0;
    GLuint vao_ = 0, vbo_ = 0, ibo_ = 0;

    std::size_t ringVertex_ = 0, ringIndex_ = 0;
    std::size_t ringVertices_ = kMaxVertices * kRingBatches, ringIndices_ = kMaxIndices * kRingBatches;
    std::vector<BatchVertex> vertices_;
    std::vector<std::uint32_t> indices_;
    BatchState state_;

    glm::mat4 worldViewProjection_{1.0f}, worldView_{1.0f}, screen_{1.0f};
    bool fogEnabled_ = false;
    float fogStart_ = 50.0f, fogEnd_ = 250.0f;
    glm::vec3 fogColor_{0.0f};

    int drawCalls_ = 0;
    int primitives_ = 0;
};

} // namespace vlm::render
