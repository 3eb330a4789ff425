#pragma once
// Lit triangle meshes: free forms (3DS meshes, one draw per material group) and spheres. Mesh data
// is uploaded once per mesh and kept while the mesh is drawn.
#include "scene/render/GlProgram.h"
#include "scene/render/GlState.h"

#include <glm/mat3x3.hpp>
#include <glm/mat4x4.hpp>
#include <glm/vec2.hpp>
#include <glm/vec3.hpp>
#include <glm/vec4.hpp>

#include <array>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace vlm::scene {
struct TMeshData;
}

namespace vlm::render {

// GPU copy of one mesh: interleaved position, normal, texture coordinate; indices grouped by material.
struct MeshBuffers {
    GLuint vao = 0, vbo = 0, ibo = 0;
    struct Range {
        std::uint32_t first = 0, count = 0;
    };
    std::vector<Range> groups;  // same order as the mesh's face groups
    double lastUsed = 0.0;
    // What the mesh looked like when uploaded: an object made where a freed one lived carries the
    // same identity and version, so these tell the two apart.
    const void* vertexData = nullptr;
    std::size_t vertexCount = 0, groupCount = 0;
    glm::vec3 probe[3]{};
};

struct MeshLight {
    glm::vec3 eyePosition{0.0f};
    glm::vec3 color{1.0f};
    glm::vec3 attenuation{1.0f, 0.0f, 0.0f};  // constant, linear, quadratic
};

// How one surface is shaded.
struct MeshSurface {
    glm::vec4 ambient{0.2f, 0.2f, 0.2f, 1.0f};
    glm::vec4 diffuse{0.8f, 0.8f, 0.8f, 1.0f};
    glm::vec4 emission{0.0f, 0.0f, 0.0f, 1.0f};
    glm::vec4 specular{0.0f, 0.0f, 0.0f, 1.0f};
    float shininess = 0.0f;
    GLuint texture = 0;      // the white texture when untextured
    GLuint envTexture = 0;   // 0: no reflection texture
    bool replace = false;
    BlendMode blend = BlendMode::Opaque;
    float alphaRef = -1.0f;
    bool depthWrite = true;
    glm::vec2 uvOffset{0.0f}, uvScale{1.0f};
};

class MeshRenderer {
public:
    static constexpr int kMaxLights = 4;
    static constexpr double kIdleSeconds = 30.0;

    MeshRenderer() = default;
    ~MeshRenderer();
    MeshRenderer(const MeshRenderer&) = delete;
    MeshRenderer& operator=(const MeshRenderer&) = delete;

    bool Init(int glslVersion, GlState* gl, std::string& error);

    // Light worked out per vertex and interpolated instead of per pixel (for a software rasterizer,
    // where the pixels' programs are the frame's cost).
    void SetVertexLighting(bool on) { vertexLit_ = on; }

    // Per-frame inputs: camera, fog, the scene's ambient light and the shining light sources.
    void BeginFrame(const glm::mat4& view, const glm::mat4& projection, bool fog, float fogStart, float fogEnd,
                    const glm::vec3& fogColor, const glm::vec3& sceneAmbient);
    void SetLights(const MeshLight* lights, int count);

    // The GPU copy of a mesh, uploaded when `identity`/`version` is new. nullptr for an empty mesh.
    const MeshBuffers* Buffers(const void* identity, std::uint64_t version, const scene::TMeshData& mesh);
    // The unit sphere (radius 1) with the given number of slices (stacks = slices / 2).
    const MeshBuffers* Sphere(int slices);

    // Draws one range of a mesh with the model matrix and surface.
    void Draw(const MeshBuffers& buffers, std::size_t group, const glm::mat4& model, const MeshSurface& surface);
    // Writes only the depth of groups [first, first + count) (no colour, nothing shaded): drawn
    // before an opaque mesh is shaded, it leaves one surface per pixel for the shading to pass the
    // depth test, so a pixel covered by several faces of the mesh is shaded once.
    void DrawDepth(const MeshBuffers& buffers, std::size_t first, std::size_t count, const glm::mat4& model);

    void EndFrame(double nowSeconds);
    int DrawCalls() const { return drawCalls_; }  // shaded draws
    int DepthDraws() const { return depthDraws_; }
    int Uploads() const { return uploads_; }
    void ResetCounters() { drawCalls_ = depthDraws_ = uploads_ = 0; }

private:
    struct Key {
        const void* identity;
        std::uint64_t version;
        bool operator==(const Key&) const = default;
    };
    struct KeyHash {
        std::size_t operator()(const Key& k) const {
            return std::hash<const void*>()(k.identity) ^ (std::hash<std::uint64_t>()(k.version) * 31u);
        }
    };
    struct Vertex {
        float px, py, pz, nx, ny, nz, u, v;
    };

    static void Upload(MeshBuffers& out, const std::vector<Vertex>& vertices, const std::vector<std::uint32_t>& indices);
    static void Release(MeshBuffers& buffers);

    // Program switches (bits of a variant's index); programs are built when first needed.
    static constexpr unsigned kEnv = 1, kLights = 2, kSpecular = 4, kFog = 8, kReplace = 16, kAlphaTest = 32,
                              kVertexLit = 64, kVariants = 128;
    struct Uniforms {
        GLint modelView, projection, normalMatrix, uvOffset, uvScale, texture, envTexture, alphaRef, ambient, diffuse,
            emission, specular, shininess, sceneAmbient, keyDir, keyColor, rimColor, lightCount, lightPos, lightColor,
            lightAtten, fogRange, fogColor;
    };
    struct Variant {
        GlProgram program;
        Uniforms u{};
        bool built = false, failed = false;
        std::uint64_t frameUniforms = 0;  // the per-frame inputs it holds (matches frame_ when current)
    };
    Variant* VariantOf(unsigned index);

    std::array<Variant, kVariants> variants_;
    GlProgram depthProgram_;
    GLint depthModelView_ = -1, depthProjection_ = -1;
    bool depthBuilt_ = false, depthFailed_ = false;
    int glsl_ = 0;
    std::uint64_t frame_ = 1;
    bool fog_ = false;
    bool vertexLit_ = false;
    float fogStart_ = 50.0f, fogEnd_ = 250.0f;
    glm::vec3 fogColor_{0.0f}, sceneAmbient_{1.0f};
    int lightCount_ = 0;
    float lightPos_[kMaxLights * 3] = {}, lightColor_[kMaxLights * 3] = {}, lightAtten_[kMaxLights * 3] = {};
    GlState* gl_ = nullptr;
    std::unordered_map<Key, MeshBuffers, KeyHash> meshes_;
    std::unordered_map<int, MeshBuffers> spheres_;
    glm::mat4 view_{1.0f}, projection_{1.0f};
    double now_ = 0.0, lastSweep_ = 0.0;
    int drawCalls_ = 0, depthDraws_ = 0, uploads_ = 0;

};

} // namespace vlm::render
