#include "scene/render/MeshRenderer.h"

#include "scene/Mesh.h"
#include "scene/render/Shaders.h"

#include <glm/gtc/matrix_inverse.hpp>
#include <glm/gtc/type_ptr.hpp>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <numbers>

namespace vlm::render {

MeshRenderer::~MeshRenderer() {
    for (auto& [key, buffers] : meshes_) Release(buffers);
    for (auto& [slices, buffers] : spheres_) Release(buffers);
}

bool MeshRenderer::Init(int glslVersion, GlState* gl, std::string& error) {
    gl_ = gl;
    glsl_ = glslVersion;
    // The plain lit program is built at once so a driver that cannot build it is found at start.
    const Variant* plain = VariantOf(0);
    if (!plain) {
        error = "the mesh program could not be built";
        return false;
    }
    return true;
}

MeshRenderer::Variant* MeshRenderer::VariantOf(unsigned index) {
    Variant& v = variants_[index];
    if (v.built) return &v;
    if (v.failed) return nullptr;
    std::string defines;
    if (index & kEnv) defines += "#define ENV 1\n";
    if (index & kLights) defines += "#define LIGHTS 1\n";
    if (index & kSpecular) defines += "#define SPECULAR 1\n";
    if (index & kFog) defines += "#define FOG 1\n";
    if (index & kReplace) defines += "#define REPLACE 1\n";
    if (index & kAlphaTest) defines += "#define ALPHA_TEST 1\n";
    if (index & kVertexLit) defines += "#define VERTEX_LIT 1\n";
    defines += shaders::kMeshLighting;
    const std::string vertex = defines + shaders::kMeshVertex, fragment = defines + shaders::kMeshFragment;
    std::string error;
    if (!v.program.Build("meshes", glsl_, vertex.c_str(), fragment.c_str(), {{0, "a_pos"}, {1, "a_normal"}, {2, "a_uv"}},
                         error)) {
        std::fprintf(stderr, "velmora2: %s\n", error.c_str());
        v.failed = true;
        return nullptr;
    }
    const GlProgram& p = v.program;
    v.u = {p.Uniform("u_modelView"),  p.Uniform("u_projection"),   p.Uniform("u_normalMatrix"), p.Uniform("u_uvOffset"),
           p.Uniform("u_uvScale"),    p.Uniform("u_texture"),      p.Uniform("u_envTexture"),   p.Uniform("u_alphaRef"),
           p.Uniform("u_ambient"),    p.Uniform("u_diffuse"),      p.Uniform("u_emission"),     p.Uniform("u_specular"),
           p.Uniform("u_shininess"),  p.Uniform("u_sceneAmbient"), p.Uniform("u_keyDir"),       p.Uniform("u_keyColor"),
           p.Uniform("u_rimColor"),   p.Uniform("u_lightCount"),   p.Uniform("u_lightPos"),     p.Uniform("u_lightColor"),
           p.Uniform("u_lightAtten"), p.Uniform("u_fogRange"),     p.Uniform("u_fogColor")};
    p.Use();
    glUniform1i(v.u.texture, 0);
    glUniform1i(v.u.envTexture, 1);
    // Key light from the viewer's upper left, a little in front; soft bluish rim on silhouettes.
    const glm::vec3 key = glm::normalize(glm::vec3(-0.35f, 0.55f, 0.75f));
    glUniform3f(v.u.keyDir, key.x, key.y, key.z);
    glUniform3f(v.u.keyColor, 0.85f, 0.85f, 0.85f);
    glUniform3f(v.u.rimColor, 0.25f, 0.3f, 0.4f);
    v.built = true;
    v.frameUniforms = 0;
    return &v;
}

void MeshRenderer::BeginFrame(const glm::mat4& view, const glm::mat4& projection, bool fog, float fogStart,
                              float fogEnd, const glm::vec3& fogColor, const glm::vec3& sceneAmbient) {
    view_ = view;
    projection_ = projection;
    fog_ = fog;
    fogStart_ = fogStart;
    fogEnd_ = fogEnd;
    fogColor_ = fogColor;
    sceneAmbient_ = sceneAmbient;
    lightCount_ = 0;
    ++frame_;
}

void MeshRenderer::SetLights(const MeshLight* lights, int count) {
    if (count > kMaxLights) count = kMaxLights;
    if (count < 0) count = 0;
    for (int i = 0; i < kMaxLights * 3; ++i) lightPos_[i] = lightColor_[i] = lightAtten_[i] = 0.0f;
    for (int i = 0; i < count; ++i) {
        for (int c = 0; c < 3; ++c) {
            lightPos_[i * 3 + c] = lights[i].eyePosition[c];
            lightColor_[i * 3 + c] = lights[i].color[c];
            lightAtten_[i * 3 + c] = lights[i].attenuation[c];
        }
    }
    lightCount_ = count;
    ++frame_;
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
    unsigned index = 0;
    if (s.envTexture) index |= kEnv;
    if (s.replace) index |= kReplace;
    else if (lightCount_ > 0) index |= kLights;
    if (s.shininess > 0.0f && glm::vec3(s.specular) != glm::vec3(0.0f)) index |= kSpecular;
    if (fog_) index |= kFog;
    if (s.alphaRef >= 0.0f) index |= kAlphaTest;
    if (vertexLit_) index |= kVertexLit;
    Variant* variant = VariantOf(index);
    if (!variant) variant = VariantOf(0);
    if (!variant) return;
    const Uniforms& u = variant->u;
    variant->program.Use();
    if (variant->frameUniforms != frame_) {
        glUniformMatrix4fv(u.projection, 1, GL_FALSE, glm::value_ptr(projection_));
        glUniform2f(u.fogRange, fogStart_, fogEnd_);
        glUniform3f(u.fogColor, fogColor_.r, fogColor_.g, fogColor_.b);
        glUniform3f(u.sceneAmbient, sceneAmbient_.r, sceneAmbient_.g, sceneAmbient_.b);
        glUniform3fv(u.lightPos, kMaxLights, lightPos_);
        glUniform3fv(u.lightColor, kMaxLights, lightColor_);
        glUniform3fv(u.lightAtten, kMaxLights, lightAtten_);
        glUniform1i(u.lightCount, lightCount_);
        variant->frameUniforms = frame_;
    }
    const glm::mat4 modelView = view_ * model;
    const glm::mat3 normalMatrix = glm::inverseTranspose(glm::mat3(modelView));
    glUniformMatrix4fv(u.modelView, 1, GL_FALSE, glm::value_ptr(modelView));
    glUniformMatrix3fv(u.normalMatrix, 1, GL_FALSE, glm::value_ptr(normalMatrix));
    glUniform2f(u.uvOffset, s.uvOffset.x, s.uvOffset.y);
    glUniform2f(u.uvScale, s.uvScale.x, s.uvScale.y);
    glUniform4fv(u.ambient, 1, glm::value_ptr(s.ambient));
    glUniform4fv(u.diffuse, 1, glm::value_ptr(s.diffuse));
    glUniform4fv(u.emission, 1, glm::value_ptr(s.emission));
    glUniform4fv(u.specular, 1, glm::value_ptr(s.specular));
    glUniform1f(u.shininess, s.shininess);
    glUniform1f(u.alphaRef, s.alphaRef);
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

void MeshRenderer::DrawDepth(const MeshBuffers& buffers, std::size_t first, std::size_t count, const glm::mat4& model) {
    if (first >= buffers.groups.size() || count == 0) return;
    if (!depthBuilt_) {
        if (depthFailed_) return;
        std::string error;
        if (!depthProgram_.Build("mesh depth", glsl_, shaders::kMeshDepthVertex, shaders::kMeshDepthFragment,
                                 {{0, "a_pos"}}, error)) {
            std::fprintf(stderr, "velmora2: %s\n", error.c_str());
            depthFailed_ = true;
            return;
        }
        depthModelView_ = depthProgram_.Uniform("u_modelView");
        depthProjection_ = depthProgram_.Uniform("u_projection");
        depthBuilt_ = true;
    }
    // Groups are stored one after the other: the run is one range of indices.
    const std::size_t last = std::min(buffers.groups.size(), first + count) - 1;
    const std::uint32_t begin = buffers.groups[first].first;
    const std::uint32_t end = buffers.groups[last].first + buffers.groups[last].count;
    if (end <= begin) return;
    depthProgram_.Use();
    const glm::mat4 modelView = view_ * model;
    glUniformMatrix4fv(depthModelView_, 1, GL_FALSE, glm::value_ptr(modelView));
    glUniformMatrix4fv(depthProjection_, 1, GL_FALSE, glm::value_ptr(projection_));
    gl_->SetBlend(BlendMode::Opaque);
    gl_->SetDepthTest(true);
    gl_->SetDepthWrite(true);
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    glBindVertexArray(buffers.vao);
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(end - begin), GL_UNSIGNED_INT,
                   reinterpret_cast<const void*>(static_cast<std::size_t>(begin) * sizeof(std::uint32_t)));
    glBindVertexArray(0);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    ++depthDraws_;
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
