#include "Mesh.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
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

namespace {

// Builds 3DS chunks in memory: a chunk's length is patched in when it is closed.
class ChunkWriter {
public:
    size_t open(uint16_t id) {
        u16(id);
        size_t at = bytes.size();
        u32(0);
        return at - 2;
    }
    void close(size_t start) {
        uint32_t len = static_cast<uint32_t>(bytes.size() - start);
        for (int i = 0; i < 4; ++i) bytes[start + 2 + i] = static_cast<uint8_t>(len >> (8 * i));
    }
    void u8(uint8_t v) { bytes.push_back(v); }
    void u16(uint16_t v) {
        u8(static_cast<uint8_t>(v));
        u8(static_cast<uint8_t>(v >> 8));
    }
    void u32(uint32_t v) {
        u16(static_cast<uint16_t>(v));
        u16(static_cast<uint16_t>(v >> 16));
    }
    void f32(float f) {
        uint32_t bits;
        std::memcpy(&bits, &f, sizeof bits);
        u32(bits);
    }
    // Names are stored zero-terminated and, as every 3DS reader expects, in at most 64 bytes.
    void name(const std::string& s, size_t cap) {
        for (char c : s.substr(0, cap - 1)) u8(static_cast<uint8_t>(c));
        u8(0);
    }
    // A colour as both the gamma-corrected and the linear 24-bit form.
    void colour(uint16_t id, float r, float g, float b) {
        size_t c = open(id);
        for (uint16_t form : {uint16_t{0x0011}, uint16_t{0x0012}}) {
            size_t f = open(form);
            for (float v : {r, g, b}) u8(static_cast<uint8_t>(std::floor(255.0 * std::clamp(v, 0.0f, 1.0f) + 0.5)));
            close(f);
        }
        close(c);
    }
    void percent(uint16_t id, float p) {
        size_t c = open(id);
        size_t f = open(0x0030);
        u16(static_cast<uint16_t>(std::floor(100.0 * std::clamp(p, 0.0f, 1.0f) + 0.5)));
        close(f);
        close(c);
    }
    std::vector<uint8_t> bytes;
};

}  // namespace

std::vector<uint8_t> encode3ds(const MeshFile& mf, const std::string& path) {
    ChunkWriter w;
    size_t main = w.open(0x4D4D);
    size_t version = w.open(0x0002);
    w.u32(3);
    w.close(version);
    size_t editor = w.open(0x3D3D);
    size_t meshVersion = w.open(0x3D3E);
    w.u32(3);
    w.close(meshVersion);
    size_t scale = w.open(0x0100);
    w.f32(1.0f);
    w.close(scale);
    for (const MeshMaterial& m : mf.materials) {
        size_t mat = w.open(0xAFFF);
        size_t name = w.open(0xA000);
        w.name(m.name, 64);
        w.close(name);
        w.colour(0xA010, m.diffuse.r * 0.3f, m.diffuse.g * 0.3f, m.diffuse.b * 0.3f);
        w.colour(0xA020, m.diffuse.r, m.diffuse.g, m.diffuse.b);
        w.colour(0xA030, m.specular.r, m.specular.g, m.specular.b);
        w.percent(0xA040, m.shininess);
        w.percent(0xA041, 0.5f);  // shininess strength
        w.percent(0xA050, 0.0f);  // transparency
        size_t shading = w.open(0xA100);
        w.u16(3);  // Phong
        w.close(shading);
        if (!m.texture.empty()) {
            size_t map = w.open(0xA200);
            size_t amount = w.open(0x0030);
            w.u16(100);
            w.close(amount);
            size_t file = w.open(0xA300);
            w.name(m.texture, 64);
            w.close(file);
            for (uint16_t axis : {uint16_t{0xA354}, uint16_t{0xA356}}) {  // u and v scale
                size_t sc = w.open(axis);
                w.f32(1.0f);
                w.close(sc);
            }
            w.close(map);
        }
        w.close(mat);
    }
    for (const MeshPart& p : mf.parts) {
        if (p.pos.size() > 65535 || p.tris.size() > 65535)
            throw std::runtime_error("mesh part \"" + p.name + "\" of \"" + path +
                                     "\" has more points or faces than a 3DS mesh can hold");
        if (p.uv.size() != p.pos.size())
            throw std::runtime_error("mesh part \"" + p.name + "\" of \"" + path +
                                     "\" lacks texture coordinates for some points");
        size_t object = w.open(0x4000);
        w.name(p.name, 9);  // object names are at most 8 characters
        size_t tri = w.open(0x4100);
        size_t points = w.open(0x4110);
        w.u16(static_cast<uint16_t>(p.pos.size()));
        for (const Vec3& v : p.pos) {
            w.f32(v.x);
            w.f32(v.y);
            w.f32(v.z);
        }
        w.close(points);
        size_t texels = w.open(0x4140);
        w.u16(static_cast<uint16_t>(p.uv.size()));
        for (const Vec2& t : p.uv) {
            w.f32(t.u);
            w.f32(t.v);
        }
        w.close(texels);
        size_t matrix = w.open(0x4160);  // identity: the points are already in the mesh's frame
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 3; ++c) w.f32(r == c ? 1.0f : 0.0f);
        w.close(matrix);
        size_t faces = w.open(0x4120);
        w.u16(static_cast<uint16_t>(p.tris.size()));
        for (const auto& t : p.tris) {
            for (uint32_t k : t) {
                if (k >= p.pos.size())
                    throw std::runtime_error("mesh part \"" + p.name + "\" of \"" + path +
                                             "\" has a face on a point it lacks");
                w.u16(static_cast<uint16_t>(k));
            }
            w.u16(7);  // all three edges visible
        }
        if (!p.material.empty() && !p.tris.empty()) {
            size_t group = w.open(0x4130);
            w.name(p.material, 64);
            w.u16(static_cast<uint16_t>(p.tris.size()));
            for (size_t i = 0; i < p.tris.size(); ++i) w.u16(static_cast<uint16_t>(i));
            w.close(group);
        }
        size_t smoothing = w.open(0x4150);
        for (size_t i = 0; i < p.tris.size(); ++i) w.u32(1);
        w.close(smoothing);
        w.close(faces);
        w.close(tri);
        w.close(object);
    }
    w.close(editor);
    w.close(main);
    return std::move(w.bytes);
}

void save3ds(const MeshFile& mf, const std::string& path) {
    const std::vector<uint8_t> bytes = encode3ds(mf, path);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) throw std::runtime_error("could not write \"" + path + "\"");
}

}  // namespace vlm::forge
