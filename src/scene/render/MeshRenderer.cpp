#include "scene/render/MeshRenderer.h"

#include "scene/Mesh.h"
#include "scene/render/Shaders.h"

#include <glm/gtc/matrix_inverse.hpp>
#include <glm/gtc/type_ptr.hpp>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <numbers>

namespace vlm::render {

MeshRenderer::~MeshRenderer() {
    for (auto& [key, buffers] : meshes_) Release(buffers);
    for (auto& [slices, buffers] : spheres_) Release(buffers);
}

bool MeshRenderer::Init(int glslVersion, GlState* gl, std::string& error) {
    gl_ = gl;
    if (!program_.Build("meshes", glslVersion, shaders::kMeshVertex, shaders::kMeshFragment,
                        {{0, "a_pos"}, {1, "a_normal"}, {2, "a_uv"}}, error))
        return false;
    const GlProgram& p = program_;
    u_ = {p.Uniform("u_modelView"), p.Uniform("u_projection"), p.Uniform("u_normalMatrix"), p.Uniform("u_uvOffset"),
          p.Uniform("u_uvScale"),   p.Uniform("u_texture"),    p.Uniform("u_envTexture"),   p.Uniform("u_useEnv"),
          p.Uniform("u_replace"),   p.Uniform("u_alphaRef"),   p.Uniform("u_ambient"),      p.Uniform("u_diffuse"),
          p.Uniform("u_emission"),  p.Uniform("u_specular"),   p.Uniform("u_shininess"),    p.Uniform("u_sceneAmbient"),
          p.Uniform("u_keyDir"),    p.Uniform("u_keyColor"),   p.Uniform("u_rimColor"),     p.Uniform("u_lightCount"),
          p.Uniform("u_lightPos"),  p.Uniform("u_lightColor"), p.Uniform("u_lightAtten"),   p.Uniform("u_fog"),
          p.Uniform("u_fogRange"),  p.Uniform("u_fogColor")};
    program_.Use();
    glUniform1i(u_.texture, 0);
    glUniform1i(u_.envTexture, 1);
    // Key light from the viewer's upper left, a little in front; soft bluish rim on silhouettes.
    const glm::vec3 key = glm::normalize(glm::vec3(-0.35f, 0.55f, 0.75f));
    glUniform3f(u_.keyDir, key.x, key.y, key.z);
    glUniform3f(u_.keyColor, 0.85f, 0.85f, 0.85f);
    glUniform3f(u_.rimColor, 0.25f, 0.3f, 0.4f);
    glUniform1i(u_.lightCount, 0);
    return true;
}

void MeshRenderer::BeginFrame(const glm::mat4& view, const glm::mat4& projection, bool fog, float fogStart,
                              float fogEnd, const glm::vec3& fogColor, const glm::vec3& sceneAmbient) {
    view_ = view;
    projection_ = projection;
    program_.Use();
    glUniformMatrix4fv(u_.projection, 1, GL_FALSE, glm::value_ptr(projection_));
    glUniform1i(u_.fog, fog ? 1 : 0);
    glUniform2f(u_.fogRange, fogStart, fogEnd);
    glUniform3f(u_.fogColor, fogColor.r, fogColor.g, fogColor.b);
    glUniform3f(u_.sceneAmbient, sceneAmbient.r, sceneAmbient.g, sceneAmbient.b);
    glUniform1i(u_.lightCount, 0);
}

void MeshRenderer::SetLights(const MeshLight* lights, int count) {
    if (count > kMaxLights) count = kMaxLights;
    if (count < 0) count = 0;
    program_.Use();
    float pos[kMaxLights * 3] = {}, color[kMaxLights * 3] = {}, atten[kMaxLights * 3] = {};
    for (int i = 0; i < count; ++i) {
        for (int c = 0; c < 3; ++c) {
            pos[i * 3 + c] = lights[i].eyePosition[c];
            color[i * 3 + c] = lights[i].color[c];
            atten[i * 3 + c] = lights[i].attenuation[c];
        }
    }
    glUniform3fv(u_.lightPos, kMaxLights, pos);
    glUniform3fv(u_.lightColor, kMaxLights, color);
    glUniform3fv(u_.lightAtten, kMaxLights, atten);
    glUniform1i(u_.lightCount, count);
}

void MeshRenderer::Upload(MeshBuffers& out, const std::vector<Vertex>& vertices,
                          const std::vector<std::uint32_t>& indices) {
    glGenVertexArrays(1, &out.vao);
    glGenBuffers(1, &out.vbo);
    glGenBuffers(1, &out.ibo);
    glBindVertexArray(out.vao);
    glBindBuffer(GL_ARRAY_BUFFER, out.vbo);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertices.size() * sizeof(Vertex)), vertices.data(),
                 GL_STATIC_DRAW);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, out.ibo);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(indices.size() * sizeof(std::uint32_t)),
                 indices.data(), GL_STATIC_DRAW);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, sizeof(Vertex), reinterpret_cast<const void*>(offsetof(Vertex, px)));
    glEnableVertexAttribArray(1);
    glVertexAttribPointer(1, 3, GL_FLOAT, GL_FALSE, sizeof(Vertex), reinterpret_cast<const void*>(offsetof(Vertex, nx)));
    glEnableVertexAttribArray(2);
    glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, sizeof(Vertex), reinterpret_cast<const void*>(offsetof(Vertex, u)));
    glBindVertexArray(0);
}

void MeshRenderer::Release(MeshBuffers& b) {
    if (b.ibo) glDeleteBuffers(1, &b.ibo);
    if (b.vbo) glDeleteBuffers(1, &b.vbo);
    if (b.vao) glDeleteVertexArrays(1, &b.vao);
    b.vao = b.vbo = b.ibo = 0;
}

const MeshBuffers* MeshRenderer::Buffers(const void* identity, std::uint64_t version, const scene::TMeshData& mesh) {
    if (mesh.Empty()) return nullptr;
    auto [it, inserted] = meshes_.try_emplace(Key{identity, version});
    MeshBuffers& b = it->second;
    b.lastUsed = now_;
    const std::size_t n = mesh.Vertices.size();
    const glm::vec3 probe[3] = {mesh.Vertices.front(), mesh.Vertices[n / 2], mesh.Vertices.back()};
    if (!inserted) {
        if (b.vertexData == mesh.Vertices.data() && b.vertexCount == n && b.groupCount == mesh.Groups.size() &&
            b.probe[0] == probe[0] && b.probe[1] == probe[1] && b.probe[2] == probe[2])
            return &b;
        Release(b);  // another mesh under the same identity: upload it afresh
        b.groups.clear();
    }
    b.vertexData = mesh.Vertices.data();
    b.vertexCount = n;
    b.groupCount = mesh.Groups.size();
    std::copy(std::begin(probe), std::end(probe), b.probe);

    std::vector<Vertex> vertices(n);
    for (std::size_t i = 0; i < n; ++i) {
        const glm::vec3& p = mesh.Vertices[i];
        const glm::vec3 nrm = i < mesh.Normals.size() ? mesh.Normals[i] : glm::vec3(0, 0, 1);
        const glm::vec2 uv = i < mesh.TexCoords.size() ? mesh.TexCoords[i] : glm::vec2(0);
        // 3DS texture coordinates count v from the bottom; our textures are stored top row first.
        vertices[i] = {p.x, p.y, p.z, nrm.x, nrm.y, nrm.z, uv.x, 1.0f - uv.y};
    }
    std::vector<std::uint32_t> indices;
    for (const auto& group : mesh.Groups) {
        MeshBuffers::Range range{static_cast<std::uint32_t>(indices.size()), 0};
        for (std::uint32_t index : group.Indices) {
            if (index >= n) continue;  // a damaged index is left out rather than read out of bounds
            indices.push_back(index);
        }
        // Keep whole triangles only.
        range.count = static_cast<std::uint32_t>(indices.size()) - range.first;
        const std::uint32_t whole = range.count / 3 * 3;
        indices.resize(range.first + whole);
        range.count = whole;
        b.groups.push_back(range);
    }
    Upload(b, vertices, indices);
    ++uploads_;
    return &b;
}

const MeshBuffers* MeshRenderer::Sphere(int slices) {
    if (slices < 4) slices = 4;
    if (slices > 256) slices = 256;
    auto [it, inserted] = spheres_.try_emplace(slices);
    MeshBuffers& b = it->second;
    b.lastUsed = now_;
    if (!inserted) return &b;
    const int stacks = std::max(2, slices / 2);
    std::vector<Vertex> vertices;
    std::vector<std::uint32_t> indices;
    const float pi = std::numbers::pi_v<float>;
    for (int j = 0; j <= stacks; ++j) {
        const float phi = pi * static_cast<float>(j) / stacks;  // 0 at the north pole (+Y)
        for (int i = 0; i <= slices; ++i) {
            const float theta = 2.0f * pi * static_cast<float>(i) / slices;
            const glm::vec3 n(std::sin(phi) * std::cos(theta), std::cos(phi), -std::sin(phi) * std::sin(theta));
            vertices.push_back({n.x, n.y, n.z, n.x, n.y, n.z, static_cast<float>(i) / slices,
                                static_cast<float>(j) / stacks});
        }
    }
    const auto row = static_cast<std::uint32_t>(slices + 1);
    for (int j = 0; j < stacks; ++j) {
        for (int i = 0; i < slices; ++i) {
            const std::uint32_t a = j * row + i, b2 = a + row;
            indices.insert(indices.end(), {a, b2, a + 1, a + 1, b2, b2 + 1});
        }
    }
    b.groups.push_back({0, static_cast<std::uint32_t>(indices.size())});
    Upload(b, vertices, indices);
    ++uploads_;
    return &b;
}

void MeshRenderer::Draw(const MeshBuffers& buffers, std::size_t group, const glm::mat4& model,
                        const MeshSurface& s) {
    if (group >= buffers.groups.size() || buffers.groups[group].count == 0) return;
    program_.Use();
    const glm::mat4 modelView = view_ * model;
    const glm::mat3 normalMatrix = glm::inverseTranspose(glm::mat3(modelView));
    glUniformMatrix4fv(u_.modelView, 1, GL_FALSE, glm::value_ptr(modelView));
    glUniformMatrix3fv(u_.normalMatrix, 1, GL_FALSE, glm::value_ptr(normalMatrix));
    glUniform2f(u_.uvOffset, s.uvOffset.x, s.uvOffset.y);
    glUniform2f(u_.uvScale, s.uvScale.x, s.uvScale.y);
    glUniform4fv(u_.ambient, 1, glm::value_ptr(s.ambient));
    glUniform4fv(u_.diffuse, 1, glm::value_ptr(s.diffuse));
    glUniform4fv(u_.emission, 1, glm::value_ptr(s.emission));
    glUniform4fv(u_.specular, 1, glm::value_ptr(s.specular));
    glUniform1f(u_.shininess, s.shininess);
    glUniform1i(u_.replace, s.replace ? 1 : 0);
    glUniform1f(u_.alphaRef, s.alphaRef);
    glUniform1i(u_.useEnv, s.envTexture ? 1 : 0);
    gl_->SetBlend(s.blend);
    gl_->SetDepthTest(true);
    gl_->SetDepthWrite(s.depthWrite);
    if (s.envTexture) {
        glActiveTexture(GL_TEXTURE1);
        glBindTexture(GL_TEXTURE_2D, s.envTexture);
    }
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, s.texture);
    glBindVertexArray(buffers.vao);
    const auto& r = buffers.groups[group];
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(r.count), GL_UNSIGNED_INT,
                   reinterpret_cast<const void*>(static_cast<std::size_t>(r.first) * sizeof(std::uint32_t)));
    glBindVertexArray(0);
    ++drawCalls_;
}

void MeshRenderer::EndFrame(double nowSeconds) {
    now_ = nowSeconds;
    if (now_ < lastSweep_) {
        // The clock went back (a new game clock): what was used counts as used just now.
        for (auto& entry : meshes_) entry.second.lastUsed = std::min(entry.second.lastUsed, now_);
        lastSweep_ = now_;
    }
    if (now_ - lastSweep_ < 1.0) return;
    lastSweep_ = now_;
    for (auto it = meshes_.begin(); it != meshes_.end();) {
        if (now_ - it->second.lastUsed > kIdleSeconds) {
            Release(it->second);
            it = meshes_.erase(it);
        } else {
            ++it;
        }
    }
}

} // namespace vlm::render
