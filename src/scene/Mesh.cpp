#include "scene/Mesh.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <unordered_map>

#include "scene/SceneTypes.h"

// Our own reader of the 3DS subset the game's meshes use.  Every chunk is checked to lie
// inside its parent before it is read, every count against the bytes that hold it and every
// index against what it indexes.  Nesting follows the fixed shape of the format (at most
// five levels, see Chunk ids below), so nothing recurses on the file's say-so, and every loop
// steps over a chunk of at least six bytes, so every loop ends.

namespace vlm::scene {

namespace {

// Chunk ids the reader knows.
enum : std::uint16_t {
    kMain = 0x4D4D,
    kEditor = 0x3D3D,
    kNamedObject = 0x4000,
    kTriMesh = 0x4100,
    kPointArray = 0x4110,
    kFaceArray = 0x4120,
    kFaceMaterial = 0x4130,
    kTexVerts = 0x4140,
    kMaterial = 0xAFFF,
    kMatName = 0xA000,
    kMatAmbient = 0xA010,
    kMatDiffuse = 0xA020,
    kMatSpecular = 0xA030,
    kMatShininess = 0xA040,
    kMatTransparency = 0xA050,
    kMatTexMap = 0xA200,
    kMatMapName = 0xA300,
    kColorF = 0x0010,
    kColor24 = 0x0011,
    kLinColor24 = 0x0012,
    kLinColorF = 0x0013,
    kIntPercent = 0x0030,
    kFloatPercent = 0x0031,
};

// More triangles than any mesh of the game has by far; refuses files that would only
// make the loader allocate (every triangle costs 96 bytes once unshared).
constexpr std::size_t kMaxTriangles = 262144;
// Names are stored with their terminating zero in 64 bytes, as every 3DS tool expects.
constexpr std::size_t kMaxName = 63;

struct Failure {
    std::string reason;
};

[[noreturn]] void Fail(std::string reason) { throw Failure{std::move(reason)}; }

std::string Hex(std::uint16_t id) {
    static const char* digits = "0123456789ABCDEF";
    std::string s = "0x0000";
    for (int i = 0; i < 4; ++i) s[5 - i] = digits[(id >> (4 * i)) & 0xF];
    return s;
}

// A view of bytes [pos, end) of the file with bounds-checked little-endian reads.
struct Cursor {
    const std::uint8_t* data;
    std::size_t pos;
    std::size_t end;

    std::size_t Left() const { return end - pos; }
    void Need(std::size_t n, const char* what) const {
        if (n > Left()) Fail(std::string("the file ends inside ") + what);
    }
    std::uint8_t U8(const char* what) {
        Need(1, what);
        return data[pos++];
    }
    std::uint16_t U16(const char* what) {
        Need(2, what);
        const std::uint16_t v = static_cast<std::uint16_t>(data[pos] | (data[pos + 1] << 8));
        pos += 2;
        return v;
    }
    std::uint32_t U32(const char* what) {
        Need(4, what);
        const std::uint32_t v = static_cast<std::uint32_t>(data[pos]) | (static_cast<std::uint32_t>(data[pos + 1]) << 8) |
                                (static_cast<std::uint32_t>(data[pos + 2]) << 16) |
                                (static_cast<std::uint32_t>(data[pos + 3]) << 24);
        pos += 4;
        return v;
    }
    float F32(const char* what) {
        const std::uint32_t bits = U32(what);
        float f;
        std::memcpy(&f, &bits, sizeof f);
        return f;
    }
    float Finite(const char* what) {
        const float f = F32(what);
        if (!std::isfinite(f)) Fail(std::string(what) + " is not a finite number");
        return f;
    }
    std::string Name(const char* what) {
        const std::uint8_t* begin = data + pos;
        const void* zero = std::memchr(begin, 0, Left());
        if (!zero) Fail(std::string(what) + " is not terminated inside its chunk");
        const std::size_t len = static_cast<std::size_t>(static_cast<const std::uint8_t*>(zero) - begin);
        if (len > kMaxName) Fail(std::string(what) + " is longer than 63 characters");
        pos += len + 1;
        return std::string(reinterpret_cast<const char*>(begin), len);
    }
};

struct Chunk {
    std::uint16_t id;
    Cursor body;  // the chunk's bytes after its six-byte header
};

// Steps through the chunks lying in [cur.pos, cur.end).  A chunk shorter than its header or
// reaching past its parent is an error, so every step moves forward by six bytes or more.
class ChunkList {
public:
    explicit ChunkList(Cursor c) : mCur(c) {}
    bool Next(Chunk& out) {
        if (mCur.pos == mCur.end) return false;
        if (mCur.Left() < 6) Fail("a chunk header is cut off at byte " + std::to_string(mCur.pos));
        const std::size_t start = mCur.pos;
        const std::uint16_t id = mCur.U16("a chunk header");
        const std::uint32_t len = mCur.U32("a chunk header");
        if (len < 6)
            Fail("chunk " + Hex(id) + " at byte " + std::to_string(start) + " has length " + std::to_string(len) +
                 ", less than its own header");
        if (len - 6 > mCur.Left())
            Fail("chunk " + Hex(id) + " at byte " + std::to_string(start) + " is " + std::to_string(len) +
                 " bytes long but only " + std::to_string(mCur.Left() + 6) + " are left in its parent");
        out.id = id;
        out.body = Cursor{mCur.data, mCur.pos, mCur.pos + (len - 6)};
        mCur.pos += len - 6;
        return true;
    }

private:
    Cursor mCur;
};

float ReadPercent(Cursor c) {
    ChunkList list(c);
    Chunk ch;
    float value = 0.0f;
    while (list.Next(ch)) {
        if (ch.id == kIntPercent) {
            value = static_cast<float>(static_cast<std::int16_t>(ch.body.U16("a percentage"))) / 100.0f;
        } else if (ch.id == kFloatPercent) {
            value = ch.body.Finite("a percentage");
        }
    }
    return value;
}

glm::vec4 ReadColor(Cursor c, glm::vec4 value) {
    ChunkList list(c);
    Chunk ch;
    bool haveLinear = false;
    while (list.Next(ch)) {
        const bool linear = ch.id == kLinColor24 || ch.id == kLinColorF;
        if (ch.id != kColor24 && ch.id != kLinColor24 && ch.id != kColorF && ch.id != kLinColorF) continue;
        // The linear colour, when present, is the one meant; the gamma-corrected one is its fallback.
        if (haveLinear && !linear) continue;
        glm::vec3 rgb;
        for (int i = 0; i < 3; ++i) {
            rgb[i] = (ch.id == kColor24 || ch.id == kLinColor24) ? static_cast<float>(ch.body.U8("a colour")) / 255.0f
                                                                 : std::clamp(ch.body.Finite("a colour"), 0.0f, 1.0f);
        }
        value = {rgb, 1.0f};
        haveLinear = haveLinear || linear;
    }
    return value;
}

TMeshMaterial ReadMaterial(Cursor c) {
    // What a material that leaves a value out has always loaded with.
    TMeshMaterial m;
    m.Ambient = m.Diffuse = {0.588235f, 0.588235f, 0.588235f, 1.0f};
    m.Specular = {0.898039f, 0.898039f, 0.898039f, 1.0f};
    m.Shininess = 0.1f * 128.0f;
    float transparency = 0.0f;
    ChunkList list(c);
    Chunk ch;
    while (list.Next(ch)) {
        switch (ch.id) {
            case kMatName: m.Name = ch.body.Name("a material name"); break;
            case kMatAmbient: m.Ambient = ReadColor(ch.body, m.Ambient); break;
            case kMatDiffuse: m.Diffuse = ReadColor(ch.body, m.Diffuse); break;
            case kMatSpecular: m.Specular = ReadColor(ch.body, m.Specular); break;
            case kMatShininess: m.Shininess = std::clamp(ReadPercent(ch.body) * 128.0f, 0.0f, 128.0f); break;
            case kMatTransparency: transparency = std::clamp(ReadPercent(ch.body), 0.0f, 1.0f); break;
            case kMatTexMap: {
                ChunkList maps(ch.body);
                Chunk sub;
                while (maps.Next(sub))
                    if (sub.id == kMatMapName) m.TextureFile = sub.body.Name("a texture file name");
                break;
            }
            default: break;
        }
    }
    m.Diffuse.a = 1.0f - transparency;
    return m;
}

struct RawMesh {
    std::string name;
    std::vector<glm::vec3> points;
    std::vector<glm::vec2> texels;
    std::vector<std::uint16_t> corners;   // 3 per face
    std::vector<std::string> faceMaterial;  // one per face, "" when no group names it
};

void ReadFaces(Cursor c, RawMesh& mesh) {
    const std::uint16_t count = c.U16("the face count");
    if (static_cast<std::size_t>(count) * 8 > c.Left())
        Fail("the face list claims " + std::to_string(count) + " faces but its chunk holds " +
             std::to_string(c.Left() / 8));
    mesh.corners.resize(static_cast<std::size_t>(count) * 3);
    mesh.faceMaterial.assign(count, std::string());
    for (std::size_t f = 0; f < count; ++f) {
        for (int k = 0; k < 3; ++k) mesh.corners[f * 3 + k] = c.U16("a face");
        c.U16("a face");  // edge visibility flags, not used
    }
    ChunkList list(c);
    Chunk ch;
    while (list.Next(ch)) {
        if (ch.id != kFaceMaterial) continue;
        std::string name = ch.body.Name("a face material name");
        const std::uint16_t n = ch.body.U16("a face material group");
        if (static_cast<std::size_t>(n) * 2 > ch.body.Left())
            Fail("the face material group \"" + name + "\" claims " + std::to_string(n) + " faces but its chunk holds " +
                 std::to_string(ch.body.Left() / 2));
        for (std::uint16_t i = 0; i < n; ++i) {
            const std::uint16_t face = ch.body.U16("a face material group");
            if (face >= count)
                Fail("the face material group \"" + name + "\" names face " + std::to_string(face) + " of " +
                     std::to_string(count));
            mesh.faceMaterial[face] = name;
        }
    }
}

void ReadTriMesh(Cursor c, RawMesh& mesh) {
    ChunkList list(c);
    Chunk ch;
    while (list.Next(ch)) {
        switch (ch.id) {
            case kPointArray: {
                const std::uint16_t n = ch.body.U16("the point count");
                if (static_cast<std::size_t>(n) * 12 > ch.body.Left())
                    Fail("the point list claims " + std::to_string(n) + " points but its chunk holds " +
                         std::to_string(ch.body.Left() / 12));
                mesh.points.resize(n);
                for (glm::vec3& p : mesh.points)
                    for (int k = 0; k < 3; ++k) p[k] = ch.body.Finite("a vertex");
                break;
            }
            case kTexVerts: {
                const std::uint16_t n = ch.body.U16("the texture coordinate count");
                if (static_cast<std::size_t>(n) * 8 > ch.body.Left())
                    Fail("the texture coordinate list claims " + std::to_string(n) + " entries but its chunk holds " +
                         std::to_string(ch.body.Left() / 8));
                mesh.texels.resize(n);
                for (glm::vec2& t : mesh.texels)
                    for (int k = 0; k < 2; ++k) t[k] = ch.body.Finite("a texture coordinate");
                break;
            }
            case kFaceArray: ReadFaces(ch.body, mesh); break;
            default: break;
        }
    }
    for (std::size_t i = 0; i < mesh.corners.size(); ++i)
        if (mesh.corners[i] >= mesh.points.size())
            Fail("face " + std::to_string(i / 3) + " of mesh \"" + mesh.name + "\" refers to vertex " +
                 std::to_string(mesh.corners[i]) + " of " + std::to_string(mesh.points.size()));
}

// Name order, equal names keeping file order: the order the game's meshes have always
// loaded in, which decides the order of face groups and materials.
template <class T, class Key>
void SortByName(std::vector<T>& v, Key key) {
    std::stable_sort(v.begin(), v.end(), [&](const T& a, const T& b) { return std::strcmp(key(a), key(b)) < 0; });
}

TMeshData Build(const std::vector<std::uint8_t>& bytes) {
    if (bytes.size() < 6) Fail("the file is too short to be a 3DS mesh");
    if (bytes[0] != (kMain & 0xFF) || bytes[1] != (kMain >> 8)) Fail("not a 3DS file");
    Cursor whole{bytes.data(), 0, bytes.size()};
    ChunkList top(whole);
    Chunk main;
    top.Next(main);

    std::vector<TMeshMaterial> materials;
    std::vector<RawMesh> meshes;
    std::size_t triangles = 0;
    ChunkList mainList(main.body);
    Chunk ch;
    while (mainList.Next(ch)) {
        if (ch.id != kEditor) continue;
        ChunkList editor(ch.body);
        Chunk e;
        while (editor.Next(e)) {
            if (e.id == kMaterial) {
                materials.push_back(ReadMaterial(e.body));
            } else if (e.id == kNamedObject) {
                std::string name = e.body.Name("an object name");
                ChunkList object(e.body);
                Chunk o;
                while (object.Next(o)) {
                    if (o.id != kTriMesh) continue;
                    RawMesh mesh;
                    mesh.name = name;
                    ReadTriMesh(o.body, mesh);
                    triangles += mesh.corners.size() / 3;
                    if (triangles > kMaxTriangles)
                        Fail("the meshes hold more than " + std::to_string(kMaxTriangles) +
                             " triangles, the most a mesh of the game may have");
                    meshes.push_back(std::move(mesh));
                }
            }
        }
    }
    if (triangles == 0) Fail("the file holds no triangles");
    SortByName(materials, [](const TMeshMaterial& m) { return m.Name.c_str(); });
    SortByName(meshes, [](const RawMesh& m) { return m.name.c_str(); });

    TMeshData out;
    out.Materials = std::move(materials);
    out.Vertices.reserve(triangles * 3);
    out.Normals.reserve(triangles * 3);
    out.TexCoords.reserve(triangles * 3);
    std::unordered_map<std::string, std::size_t> groupOf;
    bool first = true;
    for (const RawMesh& mesh : meshes) {
        if (mesh.points.empty()) continue;
        const bool hasTex = mesh.texels.size() >= mesh.points.size();
        for (std::size_t f = 0; f * 3 < mesh.corners.size(); ++f) {
            glm::vec3 p[3];
            for (int k = 0; k < 3; ++k) p[k] = mesh.points[mesh.corners[f * 3 + k]];
            glm::vec3 n = glm::cross(p[1] - p[0], p[2] - p[0]);
            const float len = glm::length(n);
            n = len > 0.0f && std::isfinite(len) ? n / len : glm::vec3(0, 0, 1);
            const std::string& mat = mesh.faceMaterial[f];
            auto it = groupOf.find(mat);
            if (it == groupOf.end()) {
                it = groupOf.emplace(mat, out.Groups.size()).first;
                out.Groups.push_back(TMeshFaceGroup{mat, {}});
            }
            TMeshFaceGroup& g = out.Groups[it->second];
            for (int k = 0; k < 3; ++k) {
                g.Indices.push_back(static_cast<std::uint32_t>(out.Vertices.size()));
                out.Vertices.push_back(p[k]);
                out.Normals.push_back(n);
                out.TexCoords.push_back(hasTex ? mesh.texels[mesh.corners[f * 3 + k]] : glm::vec2(0.0f));
                if (first) {
                    out.BoundsMin = out.BoundsMax = p[k];
                    first = false;
                } else {
                    out.BoundsMin = glm::min(out.BoundsMin, p[k]);
                    out.BoundsMax = glm::max(out.BoundsMax, p[k]);
                }
            }
        }
    }
    return out;
}

}  // namespace

TMeshData Parse3DS(const std::vector<std::uint8_t>& bytes, const std::string& fileName) {
    try {
        return Build(bytes);
    } catch (const Failure& f) {
        throw EMeshLoadError(fileName, f.reason);
    }
}

TMeshData Load3DSFile(const std::string& fileName) {
    auto bytes = GetFileOpener()(fileName);
    if (!bytes) throw EMeshLoadError(fileName, "file not found");
    return Parse3DS(*bytes, fileName);
}

}  // namespace vlm::scene
