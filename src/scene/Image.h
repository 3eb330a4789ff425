// Decoded images and the per-texture image processing (alpha mode, brightness, gamma).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "scene/SceneTypes.h"

namespace vlm::scene {

// How a texture derives the alpha channel of its image.
enum class TGLTextureImageAlpha {
    Default,                // alpha from the image (opaque for JPEG and 24-bit BMP)
    AlphaFromIntensity,     // alpha := (r + g + b) / 3
    SuperBlackTransparent,  // pure black (0,0,0) pixels become fully transparent, others keep the image's alpha
    Opaque,                 // alpha := 255 everywhere
};

// 8-bit RGBA pixels, rows from the top of the picture down, 4 bytes per pixel.
struct TRGBAImage {
    int Width = 0;
    int Height = 0;
    std::vector<std::uint8_t> Pixels;  // Width * Height * 4

    std::uint8_t* Pixel(int x, int y) { return &Pixels[(static_cast<size_t>(y) * Width + x) * 4]; }
    const std::uint8_t* Pixel(int x, int y) const { return &Pixels[(static_cast<size_t>(y) * Width + x) * 4]; }
    bool Empty() const { return Width <= 0 || Height <= 0; }
};

// The largest picture side any texture of the game can use.  Larger pictures are refused
// from their header, before anything is allocated for their pixels.
constexpr unsigned kMaxImageSide = 4096;

// Decodes a JPEG (libjpeg) or BMP (SDL_LoadBMP_RW) held in memory.  The format is chosen
// from the leading bytes.  Throws EImageLoadError naming fileName on any failure, including
// a side longer than kMaxImageSide and a BMP holding fewer pixels than it declares.
TRGBAImage DecodeImage(const std::vector<std::uint8_t>& bytes, const std::string& fileName);

// Reads the whole picture the way DecodeImage does, throwing the same errors, but keeps no
// pixels: a JPEG is decoded at an eighth of its size (every coded block is still read, so a
// damaged stream is found), a BMP is read but not converted.  Returns the picture's full size
// (Pixels left empty).  Lets a loader check a file at once and decode it when first needed.
TRGBAImage CheckImage(const std::vector<std::uint8_t>& bytes, const std::string& fileName);

// Opens fileName through the scene's file opener and decodes it.  Throws EImageLoadError
// ("file not found" or the decoder's reason) naming the file.
TRGBAImage LoadImageFile(const std::string& fileName);

// Applies alpha mode, then brightness (multiplies RGB, clamped), then gamma
// (c := 255 * (c / 255) ^ (1 / gamma); gamma > 1 brightens) in place.
void ProcessImage(TRGBAImage& img, TGLTextureImageAlpha alpha, float brightness, float gamma);

// A processed image ready for upload.  Immutable once made; a texture whose settings
// change makes a new one.  Id is unique for the program run; the renderer keys its GPU
// textures by Id and re-uploads when it sees a new Id.
struct TGLImage {
    std::uint64_t Id = 0;
    std::string FileName;  // the file it was loaded from, "" if made in code
    TRGBAImage Data;
};

std::uint64_t NewImageId();

}  // namespace vlm::scene
