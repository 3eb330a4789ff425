// libFuzzer target: the 3DS mesh reader. Arbitrary bytes load or raise EMeshLoadError; what
// loads is whole: every index is inside the vertex arrays, which agree in length.
#include "scene/Mesh.h"
#include "scene/SceneTypes.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace vlm::scene;
    try {
        const TMeshData mesh = Parse3DS(std::vector<std::uint8_t>(data, data + size), "fuzz.3ds");
        if (mesh.Normals.size() != mesh.Vertices.size() || mesh.TexCoords.size() != mesh.Vertices.size())
            std::abort();
        for (const TMeshFaceGroup& g : mesh.Groups) {
            if (g.Indices.size() % 3 != 0)
                std::abort();
            for (std::uint32_t i : g.Indices)
                if (i >= mesh.Vertices.size())
                    std::abort();
        }
    } catch (const EMeshLoadError&) {
    }
    return 0;
}
