#include "scene/render/QuadBatch.h"

#include "scene/render/Shaders.h"

#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <string>

namespace vlm::render {

std::uint32_t PackColor(float r, float g, float b, float a) {
    auto byte = [](float v) -> std::uint32_t {
        v = std::clamp(v, 0.0f, 1.0f);
        return static_cast<std::uint32_t>(v * 255.0f + 0.5f);
    };
    // Little-endian memory order r, g, b, a.
    return byte(r) | (byte(g) << 8) | (byte(b) << 16) | (byte(a) << 24);
}

QuadBatch::~QuadBatch() {
    if (ibo_) glDeleteBuffers(1, &ibo_);
    if (vbo_) glDeleteBuffers(1, &vbo_);
    if (vao_) glDeleteVertexArrays(1, &vao_);
}

bool QuadBatch::Init(int glslVersion, GlState* gl, GLuint untextured, std::string& error, std::size_t ringBatches) {
    gl_ = gl;
    ringBatches = std::clamp<std::size_t>(ringBatches, 1, kRingBatches);
    ringVertices_ = kMaxVertices * ringBatches;
    ringIndices_ = kMaxIndices * ringBatches;
    untextured_ = untextured;
    glsl_ = glslVersion;
    // The plain textured program now, so a context that cannot run it is refused at once; each other
    // combination when a draw first asks for it (with a software rasterizer every program costs
    // start-up time and memory, and a level uses a few of the twelve).
    if (!Build(0, error)) return false;

    vertices_.reserve(kMaxVertices);
    indices_.reserve(kMaxIndices);

    glGenVertexArrays(1, &vao_);
    glGenBuffers(1, &vbo_);
    glGenBuffers(1, &ibo_);
    glBindVertexArray(vao_);
    glBindBuffer(GL_ARRAY_BUFFER, vbo_);
    glBufferData(GL_ARRAY_BUFFER, ringVertices_ * sizeof(BatchVertex), nullptr, GL_STREAM_DRAW);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, ibo_);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, ringIndices_ * sizeof(std::uint32_t), nullptr, GL_STREAM_DRAW);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, sizeof(BatchVertex),
                          reinterpret_cast<const void*>(offsetof(BatchVertex, x)));
    glEnableVertexAttribArray(1);
    glVertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, sizeof(BatchVertex),
                          reinterpret_cast<const void*>(offsetof(BatchVertex, u)));
    glEnableVertexAttribArray(2);
    glVertexAttribPointer(2, 4, GL_UNSIGNED_BYTE, GL_TRUE, sizeof(BatchVertex),
                          reinterpret_cast<const void*>(offsetof(BatchVertex, rgba)));
    glBindVertexArray(0);
    return true;
}

bool QuadBatch::Build(unsigned index, std::string& error) {
    Variant& v = variants_[index];
    if (v.built) return true;
    if (v.failed) return false;
    std::string defines;
    if (index & kFog) defines += "#define FOG 1\n";
    if (index & kReplace) defines += "#define REPLACE 1\n";
    if (index & kAlphaTest) defines += "#define ALPHA_TEST 1\n";
    if (index & kUntextured) defines += "#define UNTEXTURED 1\n";
    const std::string vertex = defines + shaders::kQuadVertex;
    const std::string fragment = defines + shaders::kQuadFragment;
    if (!v.program.Build("quads", glsl_, vertex.c_str(), fragment.c_str(), {{0, "a_pos"}, {1, "a_uv"}, {2, "a_color"}},
                         error)) {
        v.failed = true;
        return false;
    }
    v.uMatrix = v.program.Uniform("u_matrix");
    v.uView = v.program.Uniform("u_view");
    v.uAlphaRef = v.program.Uniform("u_alphaRef");
    v.uFogRange = v.program.Uniform("u_fogRange");
    v.uFogColor = v.program.Uniform("u_fogColor");
    v.program.Use();
    glUniform1i(v.program.Uniform("u_texture"), 0);
    v.built = true;
    return true;
}

unsigned QuadBatch::VariantOf(const BatchState& state) const {
    unsigned v = 0;
    if (fogEnabled_ && state.fog && state.space == BatchSpace::World) v |= kFog;
    if (state.texture == untextured_) v |= kUntextured;
    else if (state.replace) v |= kReplace;
    // Dropping see-through texels matters where they would leave depth behind, where nothing blends
    // (alpha test materials) and for modulation (a clear texel would still darken). Transparency and
    // additive blending leave the picture unchanged for a texel of alpha 0, so without a depth write
    // the test only costs time (and keeps the rasterizer from testing depth before shading).
    if (state.alphaRef >= 0.0f) {
        const bool blendHidesClear =
            (state.blend == BlendMode::Transparency || state.blend == BlendMode::Additive) && state.alphaRef <= 0.0f;
        if (!blendHidesClear || (state.depthWrite && state.depthTest)) v |= kAlphaTest;
    }
    return v;
}

void QuadBatch::SetWorld(const glm::mat4& viewProjection, const glm::mat4& view) {
    Flush();
    worldViewProjection_ = viewProjection;
    worldView_ = view;
}

void QuadBatch::SetScreen(int width, int height) {
    Flush();
    screen_ = glm::ortho(0.0f, static_cast<float>(std::max(width, 1)), static_cast<float>(std::max(height, 1)), 0.0f,
                         -1.0f, 1.0f);
}

void QuadBatch::SetFog(bool enabled, float start, float end, const glm::vec3& color) {
    Flush();
    fogEnabled_ = enabled;
    fogStart_ = start;
    fogEnd_ = end;
    fogColor_ = color;
}

void QuadBatch::SetState(const BatchState& state) {
    if (state == state_) return;
    Flush();
    state_ = state;
}

void QuadBatch::Reserve(std::size_t vertices, std::size_t indices) {
    if (vertices_.size() + vertices > kMaxVertices || indices_.size() + indices > kMaxIndices) Flush();
}

void QuadBatch::AddQuad(const BatchVertex* v) {
    Reserve(4, 6);
    const auto base = static_cast<std::uint32_t>(vertices_.size());
    vertices_.insert(vertices_.end(), v, v + 4);
    const std::uint32_t idx[6] = {base, base + 1, base + 2, base, base + 2, base + 3};
    indices_.insert(indices_.end(), idx, idx + 6);
    ++primitives_;
}

void QuadBatch::AddFan(const BatchVertex* v, std::size_t n) {
    if (n < 3 || n > kMaxVertices / 4) return;
    Reserve(n, (n - 2) * 3);
    const auto base = static_cast<std::uint32_t>(vertices_.size());
    vertices_.insert(vertices_.end(), v, v + n);
    for (std::uint32_t i = 1; i + 1 < n; ++i) {
        indices_.push_back(base);
        indices_.push_back(base + i);
        indices_.push_back(base + i + 1);
    }
    ++primitives_;
}

void QuadBatch::Flush() {
    if (indices_.empty()) {
        vertices_.clear();
        return;
    }
    const unsigned index = VariantOf(state_);
    const Variant& variant = variants_[index];
    if (!variant.built) {
        std::string error;
        if (!Build(index, error)) {
            // Reported once, when it failed; the batch is dropped rather than drawn wrongly.
            if (!error.empty()) std::fprintf(stderr, "velmora2: %s\n", error.c_str());
            vertices_.clear();
            indices_.clear();
            return;
        }
    }
    variant.program.Use();
    const glm::mat4 identity(1.0f);
    const glm::mat4* matrix = &identity;
    const glm::mat4* view = &identity;
    if (state_.space == BatchSpace::World) {
        matrix = &worldViewProjection_;
        view = &worldView_;
    } else if (state_.space == BatchSpace::Screen) {
        matrix = &screen_;
    }
    glUniformMatrix4fv(variant.uMatrix, 1, GL_FALSE, glm::value_ptr(*matrix));
    if (variant.uView >= 0) glUniformMatrix4fv(variant.uView, 1, GL_FALSE, glm::value_ptr(*view));
    if (variant.uAlphaRef >= 0) glUniform1f(variant.uAlphaRef, state_.alphaRef);
    if (variant.uFogRange >= 0) {
        glUniform2f(variant.uFogRange, fogStart_, fogEnd_);
        glUniform3f(variant.uFogColor, fogColor_.r, fogColor_.g, fogColor_.b);
    }

    gl_->SetBlend(state_.blend);
    gl_->SetDepthTest(state_.depthTest);
    gl_->SetDepthWrite(state_.depthWrite);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, state_.texture);

    glBindVertexArray(vao_);
    glBindBuffer(GL_ARRAY_BUFFER, vbo_);
    // The buffers are rings: each flush writes behind the previous one without waiting for the GPU,
    // and only a wrap-around orphans the storage so the driver hands out a fresh block.
    if (ringVertex_ + vertices_.size() > ringVertices_ || ringIndex_ + indices_.size() > ringIndices_) {
        glBufferData(GL_ARRAY_BUFFER, ringVertices_ * sizeof(BatchVertex), nullptr, GL_STREAM_DRAW);
        glBufferData(GL_ELEMENT_ARRAY_BUFFER, ringIndices_ * sizeof(std::uint32_t), nullptr, GL_STREAM_DRAW);
        ringVertex_ = ringIndex_ = 0;
    }
    const auto base = static_cast<std::uint32_t>(ringVertex_);
    for (auto& index : indices_) index += base;
    constexpr GLbitfield kAccess = GL_MAP_WRITE_BIT | GL_MAP_UNSYNCHRONIZED_BIT | GL_MAP_INVALIDATE_RANGE_BIT;
    const auto vertexBytes = static_cast<GLsizeiptr>(vertices_.size() * sizeof(BatchVertex));
    if (void* dst = glMapBufferRange(GL_ARRAY_BUFFER, static_cast<GLintptr>(ringVertex_ * sizeof(BatchVertex)),
                                     vertexBytes, kAccess)) {
        std::memcpy(dst, vertices_.data(), static_cast<std::size_t>(vertexBytes));
        glUnmapBuffer(GL_ARRAY_BUFFER);
    }
    const auto indexBytes = static_cast<GLsizeiptr>(indices_.size() * sizeof(std::uint32_t));
    if (void* dst = glMapBufferRange(GL_ELEMENT_ARRAY_BUFFER,
                                     static_cast<GLintptr>(ringIndex_ * sizeof(std::uint32_t)), indexBytes, kAccess)) {
        std::memcpy(dst, indices_.data(), static_cast<std::size_t>(indexBytes));
        glUnmapBuffer(GL_ELEMENT_ARRAY_BUFFER);
    }
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(indices_.size()), GL_UNSIGNED_INT,
                   reinterpret_cast<const void*>(ringIndex_ * sizeof(std::uint32_t)));
    ringVertex_ += vertices_.size();
    ringIndex_ += indices_.size();
    glBindVertexArray(0);
    ++drawCalls_;
    vertices_.clear();
    indices_.clear();
}

} // namespace vlm::render
