// Triangle meshes for free forms, loaded from 3DS files by our own reader (docs/meshes.md).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <glm/glm.hpp>

namespace vlm::scene {

class TGLMaterialLibrary;

// Triangles sharing one material.
struct TMeshFaceGroup {
    std::string MaterialName;          // the 3DS material name, "" when none
    std::vector<std::uint32_t> Indices; // 3 per triangle, into the mesh's vertex arrays
};

// A 3DS material as found in the file.
struct TMeshMaterial {
    std::string Name;
    glm::vec4 Ambient{0.2f, 0.2f, 0.2f, 1.0f};
    glm::vec4 Diffuse{0.8f, 0.8f, 0.8f, 1.0f};
    glm::vec4 Specular{0.0f, 0.0f, 0.0f, 1.0f};
    float Shininess = 0.0f;
    std::string TextureFile;  // texture map 1 file name, "" when none
};

struct TMeshData {
    std::vector<glm::vec3> Vertices;   // in the mesh's frame
    std::vector<glm::vec3> Normals;    // one per vertex
    std::vector<glm::vec2> TexCoords;  // one per vertex ((0,0) when the file has none)
    std::vector<TMeshFaceGroup> Groups;
    std::vector<TMeshMaterial> Materials;
    glm::vec3 BoundsMin{0.0f}, BoundsMax{0.0f};
    bool Empty() const { return Vertices.empty(); }
};

// Parses a 3DS file held in memory.  Vertices are unshared per face corner so each
// keeps its own normal; normals are the faces' (smoothing groups are not used).
// Throws EMeshLoadError naming fileName when the data is not a readable 3DS file.
TMeshData Parse3DS(const std::vector<std::uint8_t>& bytes, const std::string& fileName);
// Opens through the scene's file opener and parses.  Throws EMeshLoadError naming the file.
TMeshData Load3DSFile(const std::string& fileName);

}  // namespace vlm::scene
