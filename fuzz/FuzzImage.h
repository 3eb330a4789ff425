// Shared body of the image targets: arbitrary bytes decode or raise EImageLoadError; a
// decoded picture is within the size textures may have and holds all its pixels.
#pragma once

#include "scene/Image.h"
#include "scene/SceneTypes.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

inline int FuzzDecodeImage(const uint8_t* data, size_t size, const char* name)
{
    using namespace vlm::scene;
    try {
        const TRGBAImage image = DecodeImage(std::vector<std::uint8_t>(data, data + size), name);
        if (image.Width <= 0 || image.Height <= 0 || image.Width > static_cast<int>(kMaxImageSide) ||
            image.Height > static_cast<int>(kMaxImageSide) ||
            image.Pixels.size() != static_cast<size_t>(image.Width) * image.Height * 4)
            std::abort();
    } catch (const EImageLoadError&) {
    }
    return 0;
}
