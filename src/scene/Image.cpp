#include "scene/Image.h"

#include <algorithm>
#include <climits>
#include <atomic>
#include <cstdlib>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <new>

#include <SDL.h>
#include <jpeglib.h>

namespace vlm::scene {

std::uint64_t NewImageId() {
    static std::atomic<std::uint64_t> next{1};
    return next++;
}

namespace {

struct JpegErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void JpegErrorExit(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<JpegErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->jump, 1);
}
void JpegSilence(j_common_ptr, int) {}

std::string TooLarge(long long w, long long h) {
    if (w <= 0 || h <= 0) return "the picture declares " + std::to_string(w) + " x " + std::to_string(h) + " pixels";
    return "the picture is " + std::to_string(w) + " x " + std::to_string(h) + " pixels; textures may be at most " +
           std::to_string(kMaxImageSide) + " pixels a side";
}

// Decodes with libjpeg; returns false and a reason on failure.  Kept free of C++ objects
// with destructors between setjmp and longjmp; the row buffer is volatile so the error path sees
// it as it was when libjpeg gave up, and frees it.  The picture is decoded straight into
// `out.Pixels` as RGBA (libjpeg-turbo fills in the alpha), which the error path empties.
// With `sizeOnly` the picture is decoded at an eighth of its size into one reused row and `out`
// gets the full size without pixels.
bool DecodeJpeg(const std::vector<std::uint8_t>& bytes, TRGBAImage& out, std::string& reason, bool sizeOnly = false) {
    jpeg_decompress_struct cinfo;
    JpegErrorManager jerr;
    std::memset(&cinfo, 0, sizeof cinfo);
    cinfo.err = jpeg_std_error(&jerr.pub);
    jerr.pub.error_exit = JpegErrorExit;
    jerr.pub.emit_message = JpegSilence;
    jerr.message[0] = 0;
    std::uint8_t* volatile row = nullptr;
    if (setjmp(jerr.jump)) {
        jpeg_destroy_decompress(&cinfo);
        std::free(row);
        out.Pixels.clear();
        out.Pixels.shrink_to_fit();
        reason = std::string("broken JPEG data (") + jerr.message + ")";
        return false;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, const_cast<unsigned char*>(bytes.data()), static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&cinfo, TRUE);
    // Refused on the header's word, before libjpeg allocates anything for the picture.
    if (cinfo.image_width == 0 || cinfo.image_height == 0 || cinfo.image_width > kMaxImageSide ||
        cinfo.image_height > kMaxImageSide) {
        reason = TooLarge(cinfo.image_width, cinfo.image_height);
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    const unsigned fullW = cinfo.image_width, fullH = cinfo.image_height;
    cinfo.out_color_space = sizeOnly ? JCS_RGB : JCS_EXT_RGBA;
    const int components = sizeOnly ? 3 : 4;
    if (sizeOnly) {
        cinfo.scale_num = 1;
        cinfo.scale_denom = 8;
        cinfo.dct_method = JDCT_IFAST;
        cinfo.do_fancy_upsampling = FALSE;
    }
    jpeg_start_decompress(&cinfo);
    const unsigned w = cinfo.output_width, h = cinfo.output_height;
    if (w == 0 || h == 0 || w > kMaxImageSide || h > kMaxImageSide || cinfo.output_components != components) {
        jpeg_destroy_decompress(&cinfo);
        reason = "unsupported JPEG dimensions or colour layout";
        return false;
    }
    bool enough = true;
    if (sizeOnly) {
        row = static_cast<std::uint8_t*>(std::malloc(static_cast<size_t>(w) * 3));
        enough = row != nullptr;
    } else {
        try {
            out.Pixels.resize(static_cast<size_t>(w) * h * 4);
        } catch (const std::bad_alloc&) {
            enough = false;
        }
    }
    if (!enough) {
        jpeg_destroy_decompress(&cinfo);
        std::free(row);
        reason = "out of memory";
        return false;
    }
    while (cinfo.output_scanline < h) {
        JSAMPROW rp = sizeOnly ? row : out.Pixels.data() + static_cast<size_t>(cinfo.output_scanline) * w * 4;
        if (jpeg_read_scanlines(&cinfo, &rp, 1) != 1) break;
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    std::free(row);
    row = nullptr;
    // Unscaled, the output is the picture's own size; at an eighth, only the size is kept.
    out.Width = static_cast<int>(fullW);
    out.Height = static_cast<int>(fullH);
    return true;
}

std::uint32_t Le32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
std::uint16_t Le16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

// Reads the BMP headers ourselves so that SDL never allocates for a picture the game cannot
// use nor for pixels the file does not hold.
bool CheckBmpHeader(const std::vector<std::uint8_t>& bytes, std::string& reason) {
    if (bytes.size() < 26) {
        reason = "the BMP header is cut off";
        return false;
    }
    const std::uint32_t dataOffset = Le32(&bytes[10]);
    const std::uint32_t infoSize = Le32(&bytes[14]);
    long long w = 0, h = 0;
    unsigned bpp = 0, compression = 0;
    if (infoSize == 12) {  // the old OS/2 header: 16-bit sizes
        w = Le16(&bytes[18]);
        h = Le16(&bytes[20]);
        bpp = Le16(&bytes[24]);
    } else if (infoSize >= 40) {
        if (bytes.size() < 34) {
            reason = "the BMP header is cut off";
            return false;
        }
        w = static_cast<std::int32_t>(Le32(&bytes[18]));
        h = static_cast<std::int32_t>(Le32(&bytes[22]));
        bpp = Le16(&bytes[28]);
        compression = Le32(&bytes[30]);
    } else {
        reason = "unknown BMP header size " + std::to_string(infoSize);
        return false;
    }
    const long long rows = h < 0 ? -h : h;  // negative height: rows stored top-down
    if (w <= 0 || rows == 0 || w > kMaxImageSide || rows > kMaxImageSide) {
        reason = TooLarge(w, rows);
        return false;
    }
    // Uncompressed pixels (BI_RGB, BI_BITFIELDS) must all be in the file; run-length
    // coded ones are SDL's to check as it reads them.
    if ((compression == 0 || compression == 3) && bpp >= 1 && bpp <= 32) {
        const long long stride = (w * bpp + 31) / 32 * 4;
        if (static_cast<long long>(dataOffset) + stride * rows > static_cast<long long>(bytes.size())) {
            reason = "the file holds fewer pixels than its " + std::to_string(w) + " x " + std::to_string(rows) +
                     " header declares";
            return false;
        }
    }
    return true;
}

// With `sizeOnly` the pixels are read (a short or damaged file is found) but not converted.
bool DecodeBmp(const std::vector<std::uint8_t>& bytes, TRGBAImage& out, std::string& reason, bool sizeOnly = false) {
    if (bytes.size() > static_cast<size_t>(INT_MAX)) {
        reason = "the file is larger than any picture the game can use";
        return false;
    }
    if (!CheckBmpHeader(bytes, reason)) return false;
    SDL_RWops* rw = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
    if (!rw) {
        reason = SDL_GetError();
        return false;
    }
    SDL_Surface* surf = SDL_LoadBMP_RW(rw, 1);
    if (!surf) {
        reason = std::string("broken BMP data (") + SDL_GetError() + ")";
        return false;
    }
    if (sizeOnly) {
        out.Width = surf->w;
        out.Height = surf->h;
        out.Pixels.clear();
        SDL_FreeSurface(surf);
        return true;
    }
    SDL_Surface* rgba = SDL_ConvertSurfaceFormat(surf, SDL_PIXELFORMAT_RGBA32, 0);
    // A BMP without an alpha channel reads as opaque.
    const bool hasAlpha = surf->format->Amask != 0;
    SDL_FreeSurface(surf);
    if (!rgba) {
        reason = std::string("cannot convert BMP pixels (") + SDL_GetError() + ")";
        return false;
    }
    out.Width = rgba->w;
    out.Height = rgba->h;
    out.Pixels.resize(static_cast<size_t>(rgba->w) * rgba->h * 4);
    SDL_LockSurface(rgba);
    for (int y = 0; y < rgba->h; ++y) {
        const auto* src = static_cast<const std::uint8_t*>(rgba->pixels) + static_cast<size_t>(y) * rgba->pitch;
        std::uint8_t* dst = out.Pixels.data() + static_cast<size_t>(y) * rgba->w * 4;
        std::memcpy(dst, src, static_cast<size_t>(rgba->w) * 4);
        if (!hasAlpha)
            for (int x = 0; x < rgba->w; ++x) dst[x * 4 + 3] = 255;
    }
    SDL_UnlockSurface(rgba);
    SDL_FreeSurface(rgba);
    return true;
}

}  // namespace

namespace {

// Reads a JPEG or BMP by its first bytes; with `sizeOnly` as CheckImage does. Throws naming the file.
TRGBAImage Decode(const std::vector<std::uint8_t>& bytes, const std::string& fileName, bool sizeOnly) {
    TRGBAImage img;
    std::string reason;
    bool ok = false;
    if (bytes.size() >= 3 && bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[2] == 0xFF) {
        ok = DecodeJpeg(bytes, img, reason, sizeOnly);
    } else if (bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M') {
        ok = DecodeBmp(bytes, img, reason, sizeOnly);
    } else {
        reason = bytes.empty() ? "the file is empty" : "not a JPEG or BMP image";
    }
    if (!ok) throw EImageLoadError(fileName, reason);
    return img;
}

}  // namespace

TRGBAImage DecodeImage(const std::vector<std::uint8_t>& bytes, const std::string& fileName) {
    return Decode(bytes, fileName, false);
}

TRGBAImage CheckImage(const std::vector<std::uint8_t>& bytes, const std::string& fileName) {
    return Decode(bytes, fileName, true);
}

TRGBAImage LoadImageFile(const std::string& fileName) {
    auto bytes = GetFileOpener()(fileName);
    if (!bytes) throw EImageLoadError(fileName, "file not found");
    return DecodeImage(*bytes, fileName);
}

void ProcessImage(TRGBAImage& img, TGLTextureImageAlpha alpha, float brightness, float gamma) {
    const size_t n = static_cast<size_t>(img.Width) * img.Height;
    std::uint8_t* p = img.Pixels.data();
    switch (alpha) {
        case TGLTextureImageAlpha::Default:
            break;
        case TGLTextureImageAlpha::AlphaFromIntensity:
            for (size_t i = 0; i < n; ++i, p += 4) p[3] = static_cast<std::uint8_t>((p[0] + p[1] + p[2]) / 3);
            break;
        case TGLTextureImageAlpha::SuperBlackTransparent:
            for (size_t i = 0; i < n; ++i, p += 4)
                if (p[0] == 0 && p[1] == 0 && p[2] == 0) p[3] = 0;
            break;
        case TGLTextureImageAlpha::Opaque:
            for (size_t i = 0; i < n; ++i, p += 4) p[3] = 255;
            break;
    }
    const bool doBright = std::isfinite(brightness) && brightness != 1.0f && brightness >= 0.0f;
    const bool doGamma = std::isfinite(gamma) && gamma != 1.0f && gamma > 0.0f;
    if (!doBright && !doGamma) return;
    std::uint8_t table[256];
    for (int c = 0; c < 256; ++c) {
        double v = c / 255.0;
        if (doBright) v = std::min(1.0, v * brightness);
        if (doGamma) v = std::pow(v, 1.0 / gamma);
        table[c] = static_cast<std::uint8_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255.0));
    }
    p = img.Pixels.data();
    for (size_t i = 0; i < n; ++i, p += 4) {
        p[0] = table[p[0]];
        p[1] = table[p[1]];
        p[2] = table[p[2]];
    }
}

}  // namespace vlm::scene
