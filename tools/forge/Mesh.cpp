#include "Mesh.h"

#include <lib3ds/file.h>
#include <lib3ds/material.h>
#include <lib3ds/mesh.h>

#include <cmath>
#include <cstring>
#include <stdexcept>

namespace vlm::forge {

Vec3 cross(Vec3 a, Vec3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
float dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec3 normalized(Vec3 a) {
    float l = std::sqrt(dot(a, a));
    return l > 0 ? a * (1.0f / l) : a;
}

uint32_t MeshPart::vertex(Vec3 p, Vec2 t) {
    pos.push_back(p);
    uv.push_back(t);
    return static_cast<uint32_t>(pos.size() - 1);
}

size_t MeshFile::triangles() const {
    size_t n = 0;
    for (const MeshPart& p : parts) n += p.tris.size();
    return n;
}

static float spow(float v, float e) { return (v < 0 ? -1.0f : 1.0f) * std::pow(std::fabs(v), e); }

void addLoft(MeshPart& part, const std::vector<Station>& st, Vec3 A, Vec3 H, int ring, float power,
             const UvMap& uv) {
    if (st.size() < 2) return;
    Vec3 D = st.back().c - st.front().c;
    if (dot(cross(A, H), D) < 0) A = A * -1.0f;
    float e = 2.0f / power;
    std::vector<uint32_t> idx;
    for (const Station& s : st) {
        for (int i = 0; i <= ring; ++i) {  // seam vertex repeated so texture coords stay planar
            float t = static_cast<float>(2 * M_PI * (i % ring) / ring);
            float a = spow(std::cos(t), e), b = spow(std::sin(t), e);
            Vec3 p = s.c + A * (s.width * a) + H * (b > 0 ? s.up * b : s.down * b);
            idx.push_back(part.vertex(p, uv(p)));
        }
    }
    int rowLen = ring + 1;
    for (size_t s = 0; s + 1 < st.size(); ++s) {
        for (int i = 0; i < ring; ++i) {
            uint32_t a = idx[s * rowLen + i], b = idx[s * rowLen + i + 1];
            uint32_t c = idx[(s + 1) * rowLen + i + 1], d = idx[(s + 1) * rowLen + i];
            part.tri(a, b, c);
            part.tri(a, c, d);
        }
    }
    auto cap = [&](size_t s, bool start) {
        if (st[s].width <= 1e-5f && st[s].up <= 1e-5f && st[s].down <= 1e-5f) return;
        uint32_t c = part.vertex(st[s].c, uv(st[s].c));
        for (int i = 0; i < ring; ++i) {
            uint32_t a = idx[s * rowLen + i], b = idx[s * rowLen + i + 1];
            if (start)
                part.tri(c, b, a);
            else
                part.tri(c, a, b);
        }
    };
    cap(0, true);
    cap(st.size() - 1, false);
}

void addBox(MeshPart& part, Vec3 c, Vec3 h, const UvMap& uv) {
    // six faces, each with its own corners so edges stay hard
    static const int faces[6][4][3] = {
        {{1, -1, -1}, {1, 1, -1}, {1, 1, 1}, {1, -1, 1}},      // +X
        {{-1, -1, 1}, {-1, 1, 1}, {-1, 1, -1}, {-1, -1, -1}},  // -X
        {{-1, 1, -1}, {-1, 1, 1}, {1, 1, 1}, {1, 1, -1}},      // +Y
        {{-1, -1, 1}, {-1, -1, -1}, {1, -1, -1}, {1, -1, 1}},  // -Y
        {{-1, -1, 1}, {1, -1, 1}, {1, 1, 1}, {-1, 1, 1}},      // +Z
        {{-1, 1, -1}, {1, 1, -1}, {1, -1, -1}, {-1, -1, -1}},  // -Z
    };
    for (auto& f : faces) {
        uint32_t v[4];
        for (int k = 0; k < 4; ++k) {
            Vec3 p{c.x + h.x * f[k][0], c.y + h.y * f[k][1], c.z + h.z * f[k][2]};
            v[k] = part.vertex(p, uv(p));
        }
        part.tri(v[0], v[1], v[2]);
        part.tri(v[0], v[2], v[3]);
    }
}

void mirrorZ(MeshPart& part) {
    size_t n = part.pos.size(), t = part.tris.size();
    for (size_t i = 0; i < n; ++i) {
        Vec3 p = part.pos[i];
        Vec2 q = part.uv[i];
        part.pos.push_back({p.x, p.y, -p.z});
        part.uv.push_back({1.0f - q.u, q.v});
    }
    for (size_t i = 0; i < t; ++i) {
        auto tr = part.tris[i];
        part.tris.push_back({static_cast<uint32_t>(tr[0] + n), static_cast<uint32_t>(tr[2] + n),
                             static_cast<uint32_t>(tr[1] + n)});
    }
}

static void copyName(char* dst, size_t cap, const std::string& s) {
    std::memset(dst, 0, cap);
    std::strncpy(dst, s.c_str(), cap - 1);
}

void save3ds(const MeshFile& mf, const std::string& path) {
    Lib3dsFile* f = lib3ds_file_new();
    if (!f) throw std::runtime_error("lib3ds cannot create a file for \"" + path + "\"");
    for (const MeshMaterial& m : mf.materials) {
        Lib3dsMaterial* mat = lib3ds_material_new();
        copyName(mat->name, sizeof mat->name, m.name);
        mat->ambient[0] = m.diffuse.r * 0.3f;
        mat->ambient[1] = m.diffuse.g * 0.3f;
        mat->ambient[2] = m.diffuse.b * 0.3f;
        mat->diffuse[0] = m.diffuse.r;
        mat->diffuse[1] = m.diffuse.g;
        mat->diffuse[2] = m.diffuse.b;
        mat->specular[0] = m.specular.r;
        mat->specular[1] = m.specular.g;
        mat->specular[2] = m.specular.b;
        mat->ambient[3] = mat->diffuse[3] = mat->specular[3] = 1.0f;
        mat->shininess = m.shininess;
        mat->shin_strength = 0.5f;
        mat->shading = LIB3DS_PHONG;
        if (!m.texture.empty()) {
            copyName(mat->texture1_map.name, sizeof mat->texture1_map.name, m.texture);
            mat->texture1_map.percent = 1.0f;
            mat->texture1_map.scale[0] = mat->texture1_map.scale[1] = 1.0f;
        }
        lib3ds_file_insert_material(f, mat);
    }
    for (const MeshPart& p : mf.parts) {
        if (p.pos.size() > 65535) {
            lib3ds_file_free(f);
            throw std::runtime_error("mesh part \"" + p.name + "\" of \"" + path +
                                     "\" has more points than a 3DS mesh can hold");
        }
        Lib3dsMesh* m = lib3ds_mesh_new(p.name.substr(0, 8).c_str());
        lib3ds_mesh_new_point_list(m, static_cast<Lib3dsDword>(p.pos.size()));
        lib3ds_mesh_new_texel_list(m, static_cast<Lib3dsDword>(p.uv.size()));
        lib3ds_mesh_new_face_list(m, static_cast<Lib3dsDword>(p.tris.size()));
        for (size_t i = 0; i < p.pos.size(); ++i) {
            m->pointL[i].pos[0] = p.pos[i].x;
            m->pointL[i].pos[1] = p.pos[i].y;
            m->pointL[i].pos[2] = p.pos[i].z;
            m->texelL[i][0] = p.uv[i].u;
            m->texelL[i][1] = p.uv[i].v;
        }
        for (size_t i = 0; i < p.tris.size(); ++i) {
            Lib3dsFace& face = m->faceL[i];
            copyName(face.material, sizeof face.material, p.material);
            for (int k = 0; k < 3; ++k) face.points[k] = static_cast<Lib3dsWord>(p.tris[i][k]);
            face.flags = 7;  // all three edges visible
            face.smoothing = 1;
        }
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c) m->matrix[r][c] = (r == c) ? 1.0f : 0.0f;
        lib3ds_file_insert_mesh(f, m);
    }
    bool ok = lib3ds_file_save(f, path.c_str());
    lib3ds_file_free(f);
    if (!ok) throw std::runtime_error("lib3ds could not write \"" + path + "\"");
}

}  // namespace vlm::forge
