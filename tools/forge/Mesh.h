// Mesh building for the forge and saving as 3DS files (the chunks docs/meshes.md lists).
//
// Frame of every ship mesh: the nose points along +X (up the screen), the wings spread along
// Z (+Z is screen left) and the top faces -Y, towards the camera. Texture coordinates follow
// the 3DS convention (v = 0 is the bottom row of the image).
#pragma once

#include "Paint.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vlm::forge {

struct Vec3 {
    float x = 0, y = 0, z = 0;
};
struct Vec2 {
    float u = 0, v = 0;
};
inline Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3 operator*(Vec3 a, float k) { return {a.x * k, a.y * k, a.z * k}; }
Vec3 cross(Vec3 a, Vec3 b);
float dot(Vec3 a, Vec3 b);
Vec3 normalized(Vec3 a);

struct MeshMaterial {
    std::string name;     // the library material the game binds ("PlayerTex", "ABVtex", ...)
    std::string texture;  // image file name written into the material's texture map
    Rgb diffuse{0.8f, 0.8f, 0.8f};
    Rgb specular{0.9f, 0.9f, 0.9f};
    float shininess = 0.6f;
};

struct MeshPart {
    std::string name;      // at most 8 characters in the file
    std::string material;
    std::vector<Vec3> pos;
    std::vector<Vec2> uv;
    std::vector<std::array<uint32_t, 3>> tris;
    uint32_t vertex(Vec3 p, Vec2 t);
    void tri(uint32_t a, uint32_t b, uint32_t c) { tris.push_back({a, b, c}); }
};

inline MeshPart makePart(std::string name, std::string material) {
    MeshPart p;
    p.name = std::move(name);
    p.material = std::move(material);
    return p;
}

struct MeshFile {
    std::vector<MeshMaterial> materials;
    std::vector<MeshPart> parts;
    size_t triangles() const;
};

using UvMap = std::function<Vec2(Vec3)>;

// One cross-section of a lofted shape: centre, half width along the width axis, extent
// above (along the height axis) and below.
struct Station {
    Vec3 c;
    float width, up, down;
};

// Sweeps a superellipse ring (`ring` points, exponent `power`: 2 round, larger boxier)
// through the stations; closes both ends with fans. Faces point outwards.
void addLoft(MeshPart& part, const std::vector<Station>& stations, Vec3 widthAxis,
             Vec3 heightAxis, int ring, float power, const UvMap& uv);
// An axis-aligned box centred at c with half extents h.
void addBox(MeshPart& part, Vec3 c, Vec3 h, const UvMap& uv);
// Mirrors every part across the plane z = 0 and appends the copy (faces stay outward).
void mirrorZ(MeshPart& part);

// The 3DS bytes of the file; throws naming `path` when a part has more points or faces than
// a 3DS mesh can hold, lacks texture coordinates or has a face on a point it lacks.
std::vector<uint8_t> encode3ds(const MeshFile& file, const std::string& path);
// Encodes and writes to `path`; throws with the file name when that fails.
void save3ds(const MeshFile& file, const std::string& path);

}  // namespace vlm::forge
