#include "scene/Image.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstring>

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

// Decodes with libjpeg; returns false and a reason on failure.  Kept free of C++ objects
// with destructors between setjmp and longjmp.
bool DecodeJpeg(const std::vector<std::uint8_t>& bytes, TRGBAImage& out, std::string& reason) {
    jpeg_decompress_struct cinfo;
    JpegErrorManager jerr;
    std::memset(&cinfo, 0, sizeof cinfo);
    cinfo.err = jpeg_std_error(&jerr.pub);
    jerr.pub.error_exit = JpegErrorExit;
    jerr.pub.emit_message = JpegSilence;
    jerr.message[0] = 0;
    std::uint8_t* pixels = nullptr;
    if (setjmp(jerr.jump)) {
        jpeg_destroy_decompress(&cinfo);
        std::free(pixels);
        reason = std::string("broken JPEG data (") + jerr.message + ")";
        return false;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, const_cast<unsigned char*>(bytes.data()), static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&cinfo);
    const unsigned w = cinfo.output_width, h = cinfo.output_height;
    if (w == 0 || h == 0 || w > 16384 || h > 16384 || cinfo.output_components != 3) {
        jpeg_destroy_decompress(&cinfo);
        reason = "unsupported JPEG dimensions or colour layout";
        return false;
    }
    pixels = static_cast<std::uint8_t*>(std::malloc(static_cast<size_t>(w) * h * 4));
    std::uint8_t* row = static_cast<std::uint8_t*>(std::malloc(static_cast<size_t>(w) * 3));
    if (!pixels || !row) {
        std::free(row);
        jpeg_destroy_decompress(&cinfo);
        std::free(pixels);
        reason = "out of memory";
        return false;
    }
    while (cinfo.output_scanline < h) {
        const unsigned y = cinfo.output_scanline;
        JSAMPROW rp = row;
        if (jpeg_read_scanlines(&cinfo, &rp, 1) != 1) break;
        std::uint8_t* dst = pixels + static_cast<size_t>(y) * w * 4;
        for (unsigned x = 0; x < w; ++x) {
            dst[x * 4 + 0] = row[x * 3 + 0];
            dst[x * 4 + 1] = row[x * 3 + 1];
            dst[x * 4 + 2] = row[x * 3 + 2];
            dst[x * 4 + 3] = 255;
        }
    }
    std::free(row);
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    out.Width = static_cast<int>(w);
    out.Height = static_cast<int>(h);
    out.Pixels.assign(pixels, pixels + static_cast<size_t>(w) * h * 4);
    std::free(pixels);
    return true;
}

bool DecodeBmp(const std::vector<std::uint8_t>& bytes, TRGBAImage& out, std::string& reason) {
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

TRGBAImage DecodeImage(const std::vector<std::uint8_t>& bytes, const std::string& fileName) {
    TRGBAImage img;
    std::string reason;
    bool ok = false;
    if (bytes.size() >= 3 && bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[2] == 0xFF) {
        ok = DecodeJpeg(bytes, img, reason);
    } else if (bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M') {
        ok = DecodeBmp(bytes, img, reason);
    } else {
        reason = bytes.empty() ? "the file is empty" : "not a JPEG or BMP image";
    }
    if (!ok) throw EImageLoadError(fileName, reason);
    return img;
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
