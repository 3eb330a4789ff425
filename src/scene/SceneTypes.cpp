#include "scene/SceneTypes.h"

#include <fstream>
#include <iterator>

namespace vlm::scene {

EImageLoadError::EImageLoadError(std::string file, const std::string& reason)
    : ESceneError("cannot load image \"" + file + "\": " + reason), mFile(std::move(file)) {}

EMeshLoadError::EMeshLoadError(std::string file, const std::string& reason)
    : ESceneError("cannot load mesh \"" + file + "\": " + reason), mFile(std::move(file)) {}

std::optional<std::vector<std::uint8_t>> OpenFileFromDisk(const std::string& path) {
    std::string p = path;
    for (char& c : p)
        if (c == '\\') c = '/';
    std::ifstream in(p, std::ios::binary);
    if (!in) return std::nullopt;
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return std::nullopt;
    return bytes;
}

namespace {
TFileOpener& OpenerSlot() {
    static TFileOpener opener = OpenFileFromDisk;
    return opener;
}
}  // namespace

void SetFileOpener(TFileOpener opener) { OpenerSlot() = opener ? std::move(opener) : TFileOpener(OpenFileFromDisk); }
const TFileOpener& GetFileOpener() { return OpenerSlot(); }

}  // namespace vlm::scene
