#include "scene/Mesh.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <unordered_map>

#include <lib3ds/file.h>
#include <lib3ds/io.h>
#include <lib3ds/material.h>
#include <lib3ds/mesh.h>

#include "scene/SceneTypes.h"

namespace vlm::scene {

namespace {

struct MemReader {
    const std::uint8_t* data;
    long size;
    long pos;
    bool failed;
};

Lib3dsBool MemError(void* self) { return static_cast<MemReader*>(self)->failed ? LIB3DS_TRUE : LIB3DS_FALSE; }

long MemSeek(void* self, long offset, Lib3dsIoSeek origin) {
    auto* r = static_cast<MemReader*>(self);
    long base = origin == LIB3DS_SEEK_SET ? 0 : origin == LIB3DS_SEEK_CUR ? r->pos : r->size;
    long np = base + offset;
    if (np < 0 || np > r->size) {
        r->failed = true;
        return -1;
    }
    r->pos = np;
    return 0;
}

long MemTell(void* self) { return static_cast<MemReader*>(self)->pos; }

size_t MemRead(void* self, void* buffer, size_t size) {
    auto* r = static_cast<MemReader*>(self);
    const long left = r->size - r->pos;
    size_t n = std::min(size, static_cast<size_t>(std::max(0L, left)));
    if (n < size) r->failed = true;
    if (n) std::memcpy(buffer, r->data + r->pos, n);
    r->pos += static_cast<long>(n);
    return n;
}

size_t MemWrite(void*, const void*, size_t) { return 0; }

std::string FixedString(const char* s, size_t cap) { return std::string(s, strnlen(s, cap)); }

std::uint32_t ReadLE32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// Walks the chunk tree checking that every chunk lies inside its parent, so that lib3ds
// only ever sees well-framed data.
bool ChunksWellFramed(const std::uint8_t* data, std::uint32_t begin, std::uint32_t end, int depth) {
    if (depth > 16) return true;  // leaves deep inside are lib3ds's to read
    std::uint32_t p = begin;
    while (p + 6 <= end) {
        const std::uint16_t id = static_cast<std::uint16_t>(data[p] | (data[p + 1] << 8));
        const std::uint32_t len = ReadLE32(data + p + 2);
        if (len < 6 || len > end - p) return false;
        // Containers whose children are chunks from their start.
        switch (id) {
            case 0x4D4D: case 0x3D3D: case 0xAFFF: case 0x4100: case 0xB000:
                if (!ChunksWellFramed(data, p + 6, p + len, depth + 1)) return false;
                break;
            default:
                break;
        }
        p += len;
    }
    return true;
}

}  // namespace

TMeshData Parse3DS(const std::vector<std::uint8_t>& bytes, const std::string& fileName) {
    if (bytes.size() < 16) throw EMeshLoadError(fileName, "the file is too short to be a 3DS mesh");
    if (bytes[0] != 0x4D || bytes[1] != 0x4D) throw EMeshLoadError(fileName, "not a 3DS file");
    if (bytes.size() > 0x7FFFFFFF) throw EMeshLoadError(fileName, "the file is too large");
    const std::uint32_t mainLen = ReadLE32(bytes.data() + 2);
    if (mainLen < 6 || mainLen > bytes.size()) throw EMeshLoadError(fileName, "the file is truncated");
    if (!ChunksWellFramed(bytes.data(), 0, mainLen, 0)) throw EMeshLoadError(fileName, "broken chunk structure");

    MemReader reader{bytes.data(), static_cast<long>(bytes.size()), 0, false};
    Lib3dsIo* io = lib3ds_io_new(&reader, MemError, MemSeek, MemTell, MemRead, MemWrite);
    if (!io) throw EMeshLoadError(fileName, "out of memory");
    Lib3dsFile* file = lib3ds_file_new();
    const bool ok = file && lib3ds_file_read(file, io) && !reader.failed;
    lib3ds_io_free(io);
    if (!ok) {
        if (file) lib3ds_file_free(file);
        throw EMeshLoadError(fileName, "broken 3DS data");
    }

    TMeshData out;
    for (Lib3dsMaterial* m = file->materials; m; m = m->next) {
        TMeshMaterial mm;
        mm.Name = FixedString(m->name, sizeof m->name);
        mm.Ambient = {m->ambient[0], m->ambient[1], m->ambient[2], 1.0f};
        mm.Diffuse = {m->diffuse[0], m->diffuse[1], m->diffuse[2], 1.0f - std::clamp(m->transparency, 0.0f, 1.0f)};
        mm.Specular = {m->specular[0], m->specular[1], m->specular[2], 1.0f};
        mm.Shininess = std::clamp(m->shininess * 128.0f, 0.0f, 128.0f);
        mm.TextureFile = FixedString(m->texture1_map.name, sizeof m->texture1_map.name);
        out.Materials.push_back(std::move(mm));
    }

    std::unordered_map<std::string, size_t> groupOf;
    bool first = true;
    for (Lib3dsMesh* mesh = file->meshes; mesh; mesh = mesh->next) {
        if (!mesh->pointL || mesh->points == 0 || !mesh->faceL) continue;
        const bool hasTex = mesh->texelL && mesh->texels >= mesh->points;
        for (Lib3dsDword f = 0; f < mesh->faces; ++f) {
            const Lib3dsFace& face = mesh->faceL[f];
            if (face.points[0] >= mesh->points || face.points[1] >= mesh->points || face.points[2] >= mesh->points) {
                lib3ds_file_free(file);
                throw EMeshLoadError(fileName, "a face refers to a vertex that does not exist");
            }
            glm::vec3 p[3];
            for (int k = 0; k < 3; ++k) {
                const float* v = mesh->pointL[face.points[k]].pos;
                p[k] = {v[0], v[1], v[2]};
                if (!std::isfinite(p[k].x) || !std::isfinite(p[k].y) || !std::isfinite(p[k].z)) {
                    lib3ds_file_free(file);
                    throw EMeshLoadError(fileName, "a vertex is not a finite number");
                }
            }
            glm::vec3 n = glm::cross(p[1] - p[0], p[2] - p[0]);
            const float len = glm::length(n);
            n = len > 0.0f ? n / len : glm::vec3(0, 0, 1);
            const std::string mat = FixedString(face.material, sizeof face.material);
            auto it = groupOf.find(mat);
            if (it == groupOf.end()) {
                it = groupOf.emplace(mat, out.Groups.size()).first;
                out.Groups.push_back(TMeshFaceGroup{mat, {}});
            }
            TMeshFaceGroup& g = out.Groups[it->second];
            for (int k = 0; k < 3; ++k) {
                const std::uint32_t idx = static_cast<std::uint32_t>(out.Vertices.size());
                out.Vertices.push_back(p[k]);
                out.Normals.push_back(n);
                if (hasTex) {
                    const float* t = mesh->texelL[face.points[k]];
                    out.TexCoords.emplace_back(t[0], t[1]);
                } else {
                    out.TexCoords.emplace_back(0.0f, 0.0f);
                }
                g.Indices.push_back(idx);
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
    lib3ds_file_free(file);
    return out;
}

TMeshData Load3DSFile(const std::string& fileName) {
    auto bytes = GetFileOpener()(fileName);
    if (!bytes) throw EMeshLoadError(fileName, "file not found");
    return Parse3DS(*bytes, fileName);
}

}  // namespace vlm::scene
