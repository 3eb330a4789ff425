#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

#include <unistd.h>

#include "scene/Objects.h"

using namespace vlm::scene;

namespace {

// A one-quad mesh (two triangles, material "hull": diffuse (0.5, 0.25, 1), shininess 0.5,
// transparency 0.25, texture "hull.bmp") as lib3ds wrote it: meshes made before the game read
// 3DS itself must load as they always did.
const std::uint8_t kQuadByLib3ds[] = {
  0x4d, 0x4d, 0x47, 0x02, 0x00, 0x00, 0x02, 0x00, 0x0a, 0x00, 0x00, 0x00,
  0x03, 0x00, 0x00, 0x00, 0x3d, 0x3d, 0x37, 0x02, 0x00, 0x00, 0x3e, 0x3d,
  0x0a, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x00, 0x01, 0x0a, 0x00,
  0x00, 0x00, 0x00, 0x00, 0x80, 0x3f, 0xff, 0xaf, 0x3f, 0x01, 0x00, 0x00,
  0x00, 0xa0, 0x0b, 0x00, 0x00, 0x00, 0x68, 0x75, 0x6c, 0x6c, 0x00, 0x10,
  0xa0, 0x18, 0x00, 0x00, 0x00, 0x11, 0x00, 0x09, 0x00, 0x00, 0x00, 0x96,
  0x96, 0x96, 0x12, 0x00, 0x09, 0x00, 0x00, 0x00, 0x96, 0x96, 0x96, 0x20,
  0xa0, 0x18, 0x00, 0x00, 0x00, 0x11, 0x00, 0x09, 0x00, 0x00, 0x00, 0x80,
  0x40, 0xff, 0x12, 0x00, 0x09, 0x00, 0x00, 0x00, 0x80, 0x40, 0xff, 0x30,
  0xa0, 0x18, 0x00, 0x00, 0x00, 0x11, 0x00, 0x09, 0x00, 0x00, 0x00, 0xe5,
  0xe5, 0xe5, 0x12, 0x00, 0x09, 0x00, 0x00, 0x00, 0xe5, 0xe5, 0xe5, 0x40,
  0xa0, 0x0e, 0x00, 0x00, 0x00, 0x30, 0x00, 0x08, 0x00, 0x00, 0x00, 0x32,
  0x00, 0x41, 0xa0, 0x0e, 0x00, 0x00, 0x00, 0x30, 0x00, 0x08, 0x00, 0x00,
  0x00, 0x00, 0x00, 0x50, 0xa0, 0x0e, 0x00, 0x00, 0x00, 0x30, 0x00, 0x08,
  0x00, 0x00, 0x00, 0x19, 0x00, 0x52, 0xa0, 0x0e, 0x00, 0x00, 0x00, 0x30,
  0x00, 0x08, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xa1, 0x08, 0x00, 0x00,
  0x00, 0x03, 0x00, 0x53, 0xa0, 0x0e, 0x00, 0x00, 0x00, 0x30, 0x00, 0x08,
  0x00, 0x00, 0x00, 0x00, 0x00, 0x87, 0xa0, 0x0a, 0x00, 0x00, 0x00, 0x00,
  0x00, 0x80, 0x3f, 0x00, 0xa2, 0x8e, 0x00, 0x00, 0x00, 0x30, 0x00, 0x08,
  0x00, 0x00, 0x00, 0x64, 0x00, 0x00, 0xa3, 0x0f, 0x00, 0x00, 0x00, 0x68,
  0x75, 0x6c, 0x6c, 0x2e, 0x62, 0x6d, 0x70, 0x00, 0x51, 0xa3, 0x08, 0x00,
  0x00, 0x00, 0x10, 0x00, 0x53, 0xa3, 0x0a, 0x00, 0x00, 0x00, 0x00, 0x00,
  0x00, 0x00, 0x54, 0xa3, 0x0a, 0x00, 0x00, 0x00, 0x00, 0x00, 0x80, 0x3f,
  0x56, 0xa3, 0x0a, 0x00, 0x00, 0x00, 0x00, 0x00, 0x80, 0x3f, 0x58, 0xa3,
  0x0a, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x5a, 0xa3, 0x0a, 0x00,
  0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x5c, 0xa3, 0x0a, 0x00, 0x00, 0x00,
  0x00, 0x00, 0x00, 0x00, 0x60, 0xa3, 0x09, 0x00, 0x00, 0x00, 0x00, 0x00,
  0x00, 0x62, 0xa3, 0x09, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x64, 0xa3,
  0x09, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x66, 0xa3, 0x09, 0x00, 0x00,
  0x00, 0x00, 0x00, 0x00, 0x68, 0xa3, 0x09, 0x00, 0x00, 0x00, 0x00, 0x00,
  0x00, 0x00, 0x40, 0xde, 0x00, 0x00, 0x00, 0x71, 0x75, 0x61, 0x64, 0x00,
  0x00, 0x41, 0xd3, 0x00, 0x00, 0x00, 0x10, 0x41, 0x38, 0x00, 0x00, 0x00,
  0x04, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
  0x00, 0x00, 0x00, 0x00, 0x00, 0x40, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
  0x00, 0x00, 0x00, 0x00, 0x00, 0x40, 0x00, 0x00, 0x40, 0x40, 0x00, 0x00,
  0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x40, 0x40, 0x00, 0x00,
  0x80, 0xbf, 0x40, 0x41, 0x28, 0x00, 0x00, 0x00, 0x04, 0x00, 0x00, 0x00,
  0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x80, 0x3f, 0x00, 0x00,
  0x00, 0x00, 0x00, 0x00, 0x80, 0x3f, 0x00, 0x00, 0x80, 0x3f, 0x00, 0x00,
  0x00, 0x00, 0x00, 0x00, 0x80, 0x3f, 0x60, 0x41, 0x36, 0x00, 0x00, 0x00,
  0x00, 0x00, 0x80, 0x3f, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
  0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x80, 0x3f, 0x00, 0x00, 0x00, 0x00,
  0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x80, 0x3f,
  0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
  0x20, 0x41, 0x37, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x01, 0x00,
  0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0x02, 0x00, 0x03, 0x00, 0x00, 0x00,
  0x30, 0x41, 0x11, 0x00, 0x00, 0x00, 0x68, 0x75, 0x6c, 0x6c, 0x00, 0x02,
  0x00, 0x00, 0x00, 0x01, 0x00, 0x50, 0x41, 0x0e, 0x00, 0x00, 0x00, 0x00,
  0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00
};

std::vector<std::uint8_t> WriteQuad3DS() { return {std::begin(kQuadByLib3ds), std::end(kQuadByLib3ds)}; }

// Builds 3DS chunks by hand for the hostile cases.
struct Bytes {
    std::vector<std::uint8_t> b;
    Bytes& u8(unsigned v) {
        b.push_back(static_cast<std::uint8_t>(v));
        return *this;
    }
    Bytes& u16(unsigned v) { return u8(v & 0xFF).u8(v >> 8); }
    Bytes& u32(std::uint32_t v) { return u16(v & 0xFFFF).u16(v >> 16); }
    Bytes& f32(float f) {
        std::uint32_t bits;
        std::memcpy(&bits, &f, sizeof bits);
        return u32(bits);
    }
    Bytes& str(const std::string& s) {
        for (char c : s) u8(static_cast<unsigned char>(c));
        return u8(0);
    }
    Bytes& add(const Bytes& o) {
        b.insert(b.end(), o.b.begin(), o.b.end());
        return *this;
    }
};
Bytes Chunk(unsigned id, const Bytes& body) { return Bytes().u16(id).u32(static_cast<std::uint32_t>(body.b.size() + 6)).add(body); }
// A chunk whose length field says `len` whatever its body.
Bytes ChunkLen(unsigned id, std::uint32_t len, const Bytes& body) { return Bytes().u16(id).u32(len).add(body); }

Bytes Points(unsigned n, unsigned declared) {
    Bytes p;
    p.u16(declared);
    for (unsigned i = 0; i < n; ++i) p.f32(float(i)).f32(float(i % 2)).f32(0.0f);
    return Chunk(0x4110, p);
}
Bytes Faces(std::vector<std::array<unsigned, 3>> faces, const Bytes& subchunks = {}) {
    Bytes f;
    f.u16(static_cast<unsigned>(faces.size()));
    for (auto& t : faces) f.u16(t[0]).u16(t[1]).u16(t[2]).u16(7);
    return Chunk(0x4120, f.add(subchunks));
}
Bytes Group(const std::string& name, std::vector<unsigned> faces, unsigned declared) {
    Bytes g;
    g.str(name).u16(declared);
    for (unsigned f : faces) g.u16(f);
    return Chunk(0x4130, g);
}
Bytes Object(const std::string& name, const Bytes& triMesh) { return Chunk(0x4000, Bytes().str(name).add(Chunk(0x4100, triMesh))); }
Bytes File(const Bytes& editor) { return Chunk(0x4D4D, Chunk(0x3D3D, editor)); }
Bytes Triangle() { return Points(3, 3).add(Faces({{0, 1, 2}})); }

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

TEST_F(MeshFiles, MeshWrittenByLib3dsLoadsAsItAlwaysDid) {
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
    ASSERT_EQ(ff.Mesh.Materials.size(), 1u);
    const TMeshMaterial& m = ff.Mesh.Materials[0];
    EXPECT_EQ(m.Diffuse, glm::vec4(128 / 255.0f, 64 / 255.0f, 1.0f, 0.75f));
    EXPECT_EQ(m.Ambient, glm::vec4(150 / 255.0f, 150 / 255.0f, 150 / 255.0f, 1.0f)) << "lib3ds's default, as written";
    EXPECT_FLOAT_EQ(m.Shininess, 64.0f);

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

TEST(Parse3DS, HandBuiltTriangleWithGroupLoads) {
    // The reader's baseline for the hostile cases below: this file is sound.
    const Bytes good = File(Object("tri", Points(3, 3).add(Faces({{0, 1, 2}}, Group("skin", {0}, 1)))));
    const TMeshData m = Parse3DS(good.b, "tri.3ds");
    ASSERT_EQ(m.Vertices.size(), 3u);
    ASSERT_EQ(m.Groups.size(), 1u);
    EXPECT_EQ(m.Groups[0].MaterialName, "skin");
    EXPECT_EQ(m.Vertices[1], glm::vec3(1, 1, 0));
}

TEST(Parse3DS, HostileFilesAreRefusedNamingTheFile) {
    struct Case {
        const char* name;
        Bytes bytes;
        const char* reason;  // part of the message
    };
    Bytes deep;  // 100000 chunks, each the only child of the one before
    {
        const int levels = 100000;
        deep.b.reserve(levels * 6);
        for (int i = 0; i < levels; ++i) deep.u16(0x3D3D).u32(static_cast<std::uint32_t>((levels - i) * 6));
    }
    Bytes manyTriangles;  // five meshes of 65535 faces each, all on one triangle's points
    for (int i = 0; i < 5; ++i) manyTriangles.add(Object("m" + std::to_string(i), Points(3, 3).add(Faces(std::vector<std::array<unsigned, 3>>(65535, {0, 1, 2})))));
    const std::string longName(64, 'n');

    const std::vector<Case> cases = {
        {"empty.3ds", Bytes(), "too short"},
        {"text.3ds", Bytes().str("this is not a mesh at all"), "not a 3DS file"},
        {"past-end.3ds", ChunkLen(0x4D4D, 0xFFFFFFFF, Chunk(0x3D3D, Object("t", Triangle()))), "only"},
        {"inner-past-end.3ds", File(ChunkLen(0x4000, 5000, Bytes().str("t"))), "only"},
        {"zero-length.3ds", File(ChunkLen(0x1234, 0, Bytes().u32(0).u32(0))), "has length 0"},
        {"length-five.3ds", File(ChunkLen(0xAFFF, 5, Bytes().u32(0).u32(0))), "has length 5"},
        {"zero-length-in-material.3ds", File(Chunk(0xAFFF, ChunkLen(0xA010, 0, Bytes().u16(0))).add(Object("t", Triangle()))), "has length 0"},
        {"cut-header.3ds", File(Object("t", Triangle()).add(Bytes().u16(0x4000).u16(0))), "cut off"},
        {"face-index.3ds", File(Object("t", Points(3, 3).add(Faces({{0, 1, 3}})))), "refers to vertex 3 of 3"},
        {"faces-before-points.3ds", File(Object("t", Faces({{0, 1, 7}}).add(Points(3, 3)))), "vertex 7"},
        {"no-points.3ds", File(Object("t", Faces({{0, 1, 2}}))), "vertex"},
        {"group-index.3ds", File(Object("t", Points(3, 3).add(Faces({{0, 1, 2}}, Group("skin", {1}, 1))))), "names face 1 of 1"},
        {"group-count.3ds", File(Object("t", Points(3, 3).add(Faces({{0, 1, 2}}, Group("skin", {0}, 65535))))), "claims 65535 faces"},
        {"point-count.3ds", File(Object("t", Points(3, 65535).add(Faces({{0, 1, 2}})))), "claims 65535 points"},
        {"face-count.3ds", File(Object("t", Points(3, 3).add(Chunk(0x4120, Bytes().u16(65535).u32(0))))), "claims 65535 faces"},
        {"texel-count.3ds", File(Object("t", Triangle().add(Chunk(0x4140, Bytes().u16(40000).f32(0))))), "claims 40000"},
        {"too-many-triangles.3ds", File(manyTriangles), "more than 262144 triangles"},
        {"deep.3ds", Chunk(0x4D4D, deep), "no triangles"},
        {"no-triangles.3ds", File(Chunk(0xAFFF, Chunk(0xA000, Bytes().str("m")))), "no triangles"},
        {"unterminated-name.3ds", File(Chunk(0x4000, Bytes().u8('a').u8('b'))), "not terminated"},
        {"long-name.3ds", File(Chunk(0xAFFF, Chunk(0xA000, Bytes().str(longName))).add(Object("t", Triangle()))), "longer than 63"},
        {"nan-vertex.3ds", File(Object("t", Chunk(0x4110, Bytes().u16(3).f32(NAN).f32(0).f32(0).f32(1).f32(0).f32(0).f32(0).f32(1).f32(0)).add(Faces({{0, 1, 2}})))), "not a finite number"},
        {"infinite-percent.3ds", File(Chunk(0xAFFF, Chunk(0xA040, Chunk(0x0031, Bytes().f32(INFINITY)))).add(Object("t", Triangle()))), "not a finite number"},
        {"short-colour.3ds", File(Chunk(0xAFFF, Chunk(0xA020, Chunk(0x0011, Bytes().u8(1)))).add(Object("t", Triangle()))), "ends inside a colour"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            Parse3DS(c.bytes.b, c.name);
            ADD_FAILURE() << "loaded";
        } catch (const EMeshLoadError& e) {
            EXPECT_EQ(e.FileName(), c.name);
            EXPECT_NE(std::string(e.what()).find(c.name), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find(c.reason), std::string::npos) << e.what();
        }
    }
}

TEST(Parse3DS, EveryTruncationOfAGoodFileIsRefused) {
    const std::vector<std::uint8_t> good = WriteQuad3DS();
    for (size_t n = 0; n < good.size(); ++n) {
        const std::vector<std::uint8_t> cut(good.begin(), good.begin() + static_cast<long>(n));
        EXPECT_THROW(Parse3DS(cut, "cut.3ds"), EMeshLoadError) << n << " bytes";
    }
}
