// Writes the forge's files into the content folder: JPEG through libjpeg, BMP through SDL2,
// 3DS through our own writer. Every file must be in the manifest with the promised size, and every
// manifest entry must have been written when the run finishes.
#pragma once

#include "Manifest.h"
#include "Mesh.h"
#include "Paint.h"

#include <filesystem>
#include <set>
#include <string>

namespace vlm::forge {

// How a BMP's colour channels are stored.
enum class BmpStyle {
    Straight,   // colour as painted, alpha channel; fully transparent pixels are black
    OverBlack,  // colour composited over black (reads right with super-black transparency
                // and additive blending), coverage kept in the alpha channel
};

class Output {
public:
    Output(std::filesystem::path root, std::filesystem::path previewDir, std::string only);

    // False when a filter (--only) leaves this path out; painters skip such work.
    bool wants(const std::string& gamePath) const;
    void jpeg(const std::string& gamePath, const Surface& s, int quality = 90);
    void bmp(const std::string& gamePath, const Surface& s, BmpStyle style);
    void mesh(const std::string& gamePath, const MeshFile& m);
    // Throws naming the first manifest entry that was not written (without a filter).
    void finish() const;
    int written() const { return static_cast<int>(done_.size()); }

private:
    const AssetSpec& check(const std::string& gamePath, AssetKind kind, int w, int h) const;
    std::filesystem::path target(const std::string& gamePath) const;
    void preview(const std::string& gamePath, const Surface& s) const;
    static void commit(const std::filesystem::path& tmp, const std::filesystem::path& dst);

    std::filesystem::path root_, previewDir_;
    std::string only_;
    std::set<std::string> done_;
};

}  // namespace vlm::forge
