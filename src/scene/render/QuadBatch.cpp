#include "scene/render/QuadBatch.h"

#include "scene/render/Shaders.h"

#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

#include <algorithm>
#include <cstddef>
#include <cstring>

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

bool QuadBatch::Init(int glslVersion, GlState* gl, std::string& error) {
    gl_ = gl;
    if (!program_.Build("quads", glslVersion, shaders::kQuadVertex, shaders::kQuadFragment,
                        {{0, "a_pos"}, {1, "a_uv"}, {2, "a_color"}}, error))
        return false;
    uMatrix_ = program_.Uniform("u_matrix");
    uView_ = program_.Uniform("u_view");
    uTexture_ = program_.Uniform("u_texture");
    uReplace_ = program_.Uniform("u_replace");
    uAlphaRef_ = program_.Uniform("u_alphaRef");
    uFog_ = program_.Uniform("u_fog");
    uFogRange_ = program_.Uniform("u_fogRange");
    uFogColor_ = program_.Uniform("u_fogColor");

    vertices_.reserve(kMaxVertices);
    indices_.reserve(kMaxIndices);

    glGenVertexArrays(1, &vao_);
    glGenBuffers(1, &vbo_);
    glGenBuffers(1, &ibo_);
    glBindVertexArray(vao_);
    glBindBuffer(GL_ARRAY_BUFFER, vbo_);
    glBufferData(GL_ARRAY_BUFFER, kRingVertices * sizeof(BatchVertex), nullptr, GL_STREAM_DRAW);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, ibo_);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, kRingIndices * sizeof(std::uint32_t), nullptr, GL_STREAM_DRAW);
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

    program_.Use();
    glUniform1i(uTexture_, 0);
    return true;
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
    program_.Use();
    const glm::mat4 identity(1.0f);
    const glm::mat4* matrix = &identity;
    const glm::mat4* view = &identity;
    if (state_.space == BatchSpace::World) {
        matrix = &worldViewProjection_;
        view = &worldView_;
    } else if (state_.space == BatchSpace::Screen) {
        matrix = &screen_;
    }
    glUniformMatrix4fv(uMatrix_, 1, GL_FALSE, glm::value_ptr(*matrix));
    glUniformMatrix4fv(uView_, 1, GL_FALSE, glm::value_ptr(*view));
    glUniform1i(uReplace_, state_.replace ? 1 : 0);
    glUniform1f(uAlphaRef_, state_.alphaRef);
    const bool fog = fogEnabled_ && state_.fog && state_.space == BatchSpace::World;
    glUniform1i(uFog_, fog ? 1 : 0);
    glUniform2f(uFogRange_, fogStart_, fogEnd_);
    glUniform3f(uFogColor_, fogColor_.r, fogColor_.g, fogColor_.b);

    gl_->SetBlend(state_.blend);
    gl_->SetDepthTest(state_.depthTest);
    gl_->SetDepthWrite(state_.depthWrite);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, state_.texture);

    glBindVertexArray(vao_);
    glBindBuffer(GL_ARRAY_BUFFER, vbo_);
    // The buffers are rings: each flush writes behind the previous one without waiting for the GPU,
    // and only a wrap-around orphans the storage so the driver hands out a fresh block.
    if (ringVertex_ + vertices_.size() > kRingVertices || ringIndex_ + indices_.size() > kRingIndices) {
        glBufferData(GL_ARRAY_BUFFER, kRingVertices * sizeof(BatchVertex), nullptr, GL_STREAM_DRAW);
        glBufferData(GL_ELEMENT_ARRAY_BUFFER, kRingIndices * sizeof(std::uint32_t), nullptr, GL_STREAM_DRAW);
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
