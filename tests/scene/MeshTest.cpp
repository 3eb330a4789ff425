#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

#include <unistd.h>

#include <lib3ds/file.h>
#include <lib3ds/material.h>
#include <lib3ds/mesh.h>

#include "scene/Objects.h"

using namespace vlm::scene;

namespace {

// Writes a one-quad mesh (two triangles, material "hull" with texture "hull.bmp") with
// lib3ds and returns the file's bytes.
std::vector<std::uint8_t> WriteQuad3DS() {
    Lib3dsFile* f = lib3ds_file_new();
    Lib3dsMaterial* mat = lib3ds_material_new();
    std::strcpy(mat->name, "hull");
    mat->diffuse[0] = 0.5f;
    mat->diffuse[1] = 0.25f;
    mat->diffuse[2] = 1.0f;
    std::strcpy(mat->texture1_map.name, "hull.bmp");
    lib3ds_file_insert_material(f, mat);
    Lib3dsMesh* m = lib3ds_mesh_new("quad");
    lib3ds_mesh_new_point_list(m, 4);
    lib3ds_mesh_new_texel_list(m, 4);
    const float pts[4][3] = {{0, 0, 0}, {2, 0, 0}, {2, 3, 0}, {0, 3, -1}};
    const float uv[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    for (int i = 0; i < 4; ++i) {
        std::memcpy(m->pointL[i].pos, pts[i], sizeof pts[i]);
        std::memcpy(m->texelL[i], uv[i], sizeof uv[i]);
    }
    lib3ds_mesh_new_face_list(m, 2);
    const int faces[2][3] = {{0, 1, 2}, {0, 2, 3}};
    for (int i = 0; i < 2; ++i) {
        for (int k = 0; k < 3; ++k) m->faceL[i].points[k] = static_cast<Lib3dsWord>(faces[i][k]);
        std::strcpy(m->faceL[i].material, "hull");
    }
    lib3ds_file_insert_mesh(f, m);
    const std::filesystem::path tmp =
        std::filesystem::temp_directory_path() / ("vlm_scene_mesh_" + std::to_string(::getpid()) + ".3ds");
    EXPECT_TRUE(lib3ds_file_save(f, tmp.string().c_str()));
    lib3ds_file_free(f);
    std::ifstream in(tmp, std::ios::binary);
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::filesystem::remove(tmp);
    return bytes;
}

class MeshFiles : public ::testing::Test {
protected:
    std::map<std::string, std::vector<std::uint8_t>> files;
    void SetUp() override {
        SetFileOpener([this](const std::string& path) -> std::optional<std::vector<std::uint8_t>> {
            auto it = files.find(path);
            if (it == files.end()) return std::nullopt;
            return it->second;
        });
    }
    void TearDown() override { SetFileOpener(nullptr); }
};

std::vector<std::uint8_t> TinyBmp() {
    // 1 x 1 24-bit BMP, white.
    std::vector<std::uint8_t> b = {'B', 'M', 58, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0,
                                   1, 0, 24, 0, 0, 0, 0, 0, 4, 0, 0, 0, 0x13, 0x0B, 0, 0, 0x13, 0x0B, 0, 0, 0, 0, 0, 0,
                                   0, 0, 0, 0, 255, 255, 255, 0};
    return b;
}

}  // namespace

TEST_F(MeshFiles, RoundTripThroughLib3ds) {
    files["Data\\Models\\quad.3ds"] = WriteQuad3DS();
    files["Data\\Models\\hull.bmp"] = TinyBmp();
    TGLMaterialLibrary lib("ModelsLibrary");
    lib.TexturePaths = "Data\\Models";
    TGLFreeForm ff;
    ff.MaterialLibrary = &lib;
    ff.LoadFromFile("Data\\Models\\quad.3ds");

    ASSERT_EQ(ff.Mesh.Vertices.size(), 6u);
    ASSERT_EQ(ff.Mesh.Groups.size(), 1u);
    EXPECT_EQ(ff.Mesh.Groups[0].MaterialName, "hull");
    EXPECT_EQ(ff.Mesh.Groups[0].Indices.size(), 6u);
    EXPECT_EQ(ff.Mesh.BoundsMin, glm::vec3(0, 0, -1));
    EXPECT_EQ(ff.Mesh.BoundsMax, glm::vec3(2, 3, 0));
    EXPECT_EQ(ff.Mesh.Vertices[2], glm::vec3(2, 3, 0));
    EXPECT_EQ(ff.Mesh.TexCoords[2], glm::vec2(1, 1));
    EXPECT_NEAR(ff.Mesh.Normals[0].z, 1.0f, 1e-6f) << "first triangle lies in z = 0, counter-clockwise";
    EXPECT_EQ(ff.MeshVersion(), 1u);

    const TGLLibMaterial* hull = lib.LibMaterialByName("hull");
    ASSERT_NE(hull, nullptr) << "the mesh's materials land in its library";
    EXPECT_EQ(hull->Material.Texture.FileName(), "Data\\Models\\hull.bmp");
    EXPECT_EQ(hull->Material.Texture.ImageWidth(), 1);
}

TEST_F(MeshFiles, BrokenOrMissingMeshesNameTheFile) {
    auto good = WriteQuad3DS();
    files["half.3ds"] = std::vector<std::uint8_t>(good.begin(), good.begin() + static_cast<long>(good.size() / 2));
    files["text.3ds"] = std::vector<std::uint8_t>(64, 'x');
    auto lying = good;
    lying[2] = 0xFF;  // main chunk longer than the file
    lying[3] = 0xFF;
    files["lying.3ds"] = lying;
    for (const char* name : {"missing.3ds", "half.3ds", "text.3ds", "lying.3ds"}) {
        TGLFreeForm ff;
        ff.SetMesh(TMeshData{});
        try {
            ff.LoadFromFile(name);
            ADD_FAILURE() << name << " loaded";
        } catch (const EMeshLoadError& e) {
            EXPECT_EQ(e.FileName(), name);
            EXPECT_NE(std::string(e.what()).find(name), std::string::npos);
        }
        EXPECT_EQ(ff.MeshVersion(), 1u) << "mesh left as it was";
    }
}

TEST_F(MeshFiles, MissingTextureIsReportedAfterTheMeshLoads) {
    files["quad.3ds"] = WriteQuad3DS();
    TGLMaterialLibrary lib;
    TGLFreeForm ff;
    ff.MaterialLibrary = &lib;
    try {
        ff.LoadFromFile("quad.3ds");
        ADD_FAILURE() << "missing texture not reported";
    } catch (const EImageLoadError& e) {
        EXPECT_EQ(e.FileName(), "hull.bmp");
    }
    EXPECT_EQ(ff.Mesh.Vertices.size(), 6u);
    EXPECT_NE(lib.LibMaterialByName("hull"), nullptr);
}
