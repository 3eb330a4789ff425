// The forge's 3DS writer read back by the game's reader: what the forge builds is what the
// game draws, point for point, with the materials it named.
#include "forge/Mesh.h"

#include <gtest/gtest.h>

#include "scene/Mesh.h"
#include "scene/SceneTypes.h"

using namespace vlm::forge;

namespace {

MeshFile TwoPartShip() {
    MeshFile f;
    f.materials.push_back({"PlayerTex", "Skin1.jpg", {0.6f, 0.62f, 0.66f}, {1.0f, 1.0f, 1.0f}, 0.8f});
    f.materials.push_back({"Glow", "Glow.bmp", {0.2f, 0.9f, 0.4f}, {0.3f, 0.3f, 0.3f}, 0.1f});
    UvMap planar = [](Vec3 p) { return Vec2{p.x * 0.5f + 0.5f, p.z * 0.25f + 0.5f}; };
    MeshPart hull = makePart("Hull", "PlayerTex");
    addLoft(hull, {{{-1, 0, 0}, 0.2f, 0.1f, 0.1f}, {{0, 0, 0}, 0.5f, 0.2f, 0.15f}, {{1, 0, 0}, 0.0f, 0.0f, 0.0f}},
            {0, 0, 1}, {0, -1, 0}, 12, 2.5f, planar);
    MeshPart pods = makePart("Pods", "Glow");
    addBox(pods, {0.2f, 0.0f, 0.7f}, {0.3f, 0.05f, 0.08f}, planar);
    mirrorZ(pods);
    // Written in this order on purpose: the reader puts meshes in name order.
    f.parts.push_back(pods);
    f.parts.push_back(hull);
    return f;
}

}  // namespace

TEST(ForgeMesh, WrittenMeshesReadBackPointForPoint) {
    const MeshFile f = TwoPartShip();
    const std::vector<uint8_t> bytes = encode3ds(f, "ship.3ds");
    const vlm::scene::TMeshData m = vlm::scene::Parse3DS(bytes, "ship.3ds");

    ASSERT_EQ(m.Vertices.size(), f.triangles() * 3);
    ASSERT_EQ(m.Groups.size(), 2u);
    // Meshes come in name order ("Hull" before "Pods"), so the hull's group comes first.
    const MeshPart* parts[2] = {&f.parts[1], &f.parts[0]};
    size_t corner = 0;
    for (int g = 0; g < 2; ++g) {
        SCOPED_TRACE(parts[g]->name);
        EXPECT_EQ(m.Groups[g].MaterialName, parts[g]->material);
        ASSERT_EQ(m.Groups[g].Indices.size(), parts[g]->tris.size() * 3);
        for (size_t t = 0; t < parts[g]->tris.size(); ++t)
            for (int k = 0; k < 3; ++k, ++corner) {
                const uint32_t src = parts[g]->tris[t][k];
                const uint32_t dst = m.Groups[g].Indices[t * 3 + k];
                ASSERT_EQ(m.Vertices[dst], glm::vec3(parts[g]->pos[src].x, parts[g]->pos[src].y, parts[g]->pos[src].z));
                ASSERT_EQ(m.TexCoords[dst], glm::vec2(parts[g]->uv[src].u, parts[g]->uv[src].v));
            }
    }
    EXPECT_EQ(corner, m.Vertices.size());

    ASSERT_EQ(m.Materials.size(), 2u);
    EXPECT_EQ(m.Materials[0].Name, "Glow") << "materials in name order";
    EXPECT_EQ(m.Materials[0].TextureFile, "Glow.bmp");
    EXPECT_EQ(m.Materials[1].Name, "PlayerTex");
    EXPECT_EQ(m.Materials[1].TextureFile, "Skin1.jpg");
    const vlm::scene::TMeshMaterial& skin = m.Materials[1];
    // Colours travel as bytes; shininess as a whole percentage of 128.
    EXPECT_NEAR(skin.Diffuse.r, 0.6f, 0.5f / 255);
    EXPECT_NEAR(skin.Diffuse.b, 0.66f, 0.5f / 255);
    EXPECT_FLOAT_EQ(skin.Diffuse.a, 1.0f);
    EXPECT_NEAR(skin.Ambient.g, 0.62f * 0.3f, 0.5f / 255);
    EXPECT_FLOAT_EQ(skin.Specular.r, 1.0f);
    EXPECT_FLOAT_EQ(skin.Shininess, 0.8f * 128.0f);
    EXPECT_FLOAT_EQ(m.Materials[0].Shininess, 0.1f * 128.0f);
}

TEST(ForgeMesh, RefusesWhatA3dsFileCannotHold) {
    struct Case {
        const char* what;
        MeshPart part;
    };
    MeshPart big = makePart("Big", "PlayerTex");
    for (uint32_t i = 0; i < 65536; ++i) big.vertex({float(i), 0, 0}, {0, 0});
    MeshPart noUv = makePart("NoUv", "PlayerTex");
    noUv.vertex({0, 0, 0}, {0, 0});
    noUv.pos.push_back({1, 0, 0});
    noUv.pos.push_back({0, 1, 0});
    noUv.tri(0, 1, 2);
    MeshPart stray = makePart("Stray", "PlayerTex");
    stray.vertex({0, 0, 0}, {0, 0});
    stray.tri(0, 0, 1);
    for (Case& c : std::vector<Case>{{"65536 points", big}, {"missing coordinates", noUv}, {"stray face", stray}}) {
        SCOPED_TRACE(c.what);
        MeshFile f;
        f.parts.push_back(c.part);
        try {
            encode3ds(f, "Data\\Models\\bad.3ds");
            ADD_FAILURE() << "written";
        } catch (const std::runtime_error& e) {
            EXPECT_NE(std::string(e.what()).find("Data\\Models\\bad.3ds"), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find(c.part.name), std::string::npos) << e.what();
        }
    }
}
