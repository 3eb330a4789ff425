#include "Output.h"

#include <SDL.h>
#include <cstdio>
#include <jpeglib.h>

#include <stdexcept>
#include <vector>

namespace vlm::forge {

namespace fs = std::filesystem;

Output::Output(fs::path root, fs::path previewDir, std::string only)
    : root_(std::move(root)), previewDir_(std::move(previewDir)), only_(std::move(only)) {}

bool Output::wants(const std::string& gamePath) const {
    return only_.empty() || gamePath.find(only_) != std::string::npos;
}

const AssetSpec& Output::check(const std::string& gamePath, AssetKind kind, int w, int h) const {
    const AssetSpec* a = FindAsset(gamePath);
    if (!a) throw std::runtime_error("\"" + gamePath + "\" is not in the forge manifest");
    if (a->kind != kind) throw std::runtime_error("\"" + gamePath + "\" is written as the wrong kind");
    if (kind != AssetKind::Mesh && (a->width != w || a->height != h))
        throw std::runtime_error("\"" + gamePath + "\" was painted " + std::to_string(w) + "x" +
                                 std::to_string(h) + ", the manifest promises " +
                                 std::to_string(a->width) + "x" + std::to_string(a->height));
    if (done_.count(gamePath)) throw std::runtime_error("\"" + gamePath + "\" is written twice");
    return *a;
}

fs::path Output::target(const std::string& gamePath) const {
    fs::path p = root_ / DiskPath(gamePath);
    fs::create_directories(p.parent_path());
    return p;
}

void Output::commit(const fs::path& tmp, const fs::path& dst) {
    std::error_code ec;
    fs::rename(tmp, dst, ec);
    if (ec) {
        fs::remove(tmp, ec);
        throw std::runtime_error("cannot replace \"" + dst.string() + "\"");
    }
}

void Output::preview(const std::string& gamePath, const Surface& s) const {
    if (previewDir_.empty()) return;
    std::string name = DiskPath(gamePath);
    for (char& c : name)
        if (c == '/') c = '_';
    fs::create_directories(previewDir_);
    fs::path p = previewDir_ / (name + ".png");
    cairo_surface_write_to_png(s.get(), p.string().c_str());
}

namespace {
struct JpegError {
    std::string message;
};
void jpegFail(j_common_ptr cinfo) {
    char buf[JMSG_LENGTH_MAX];
    (*cinfo->err->format_message)(cinfo, buf);
    throw JpegError{buf};
}
}  // namespace

void Output::jpeg(const std::string& gamePath, const Surface& s, int quality) {
    int w = cairo_image_surface_get_width(s.get()), h = cairo_image_surface_get_height(s.get());
    check(gamePath, AssetKind::Jpeg, w, h);
    fs::path dst = target(gamePath), tmp = dst;
    tmp += ".part";
    cairo_surface_flush(s.get());
    const uint8_t* data = cairo_image_surface_get_data(s.get());
    int stride = cairo_image_surface_get_stride(s.get());

    FILE* fp = std::fopen(tmp.string().c_str(), "wb");
    if (!fp) throw std::runtime_error("cannot write \"" + tmp.string() + "\"");
    jpeg_compress_struct ci;
    jpeg_error_mgr jerr;
    ci.err = jpeg_std_error(&jerr);
    jerr.error_exit = jpegFail;
    try {
        jpeg_create_compress(&ci);
        jpeg_stdio_dest(&ci, fp);
        ci.image_width = static_cast<JDIMENSION>(w);
        ci.image_height = static_cast<JDIMENSION>(h);
        ci.input_components = 3;
        ci.in_color_space = JCS_RGB;
        jpeg_set_defaults(&ci);
        jpeg_set_quality(&ci, quality, TRUE);
        for (int c = 0; c < 3; ++c) {  // full-resolution colour keeps lettering edges clean
            ci.comp_info[c].h_samp_factor = 1;
            ci.comp_info[c].v_samp_factor = 1;
        }
        ci.optimize_coding = TRUE;
        jpeg_start_compress(&ci, TRUE);
        std::vector<uint8_t> row(static_cast<size_t>(w) * 3);
        while (ci.next_scanline < ci.image_height) {
            auto* src = reinterpret_cast<const uint32_t*>(data + static_cast<size_t>(ci.next_scanline) * stride);
            for (int x = 0; x < w; ++x) {  // premultiplied colour is the picture over black
                row[x * 3] = (src[x] >> 16) & 255;
                row[x * 3 + 1] = (src[x] >> 8) & 255;
                row[x * 3 + 2] = src[x] & 255;
            }
            JSAMPROW rp = row.data();
            jpeg_write_scanlines(&ci, &rp, 1);
        }
        jpeg_finish_compress(&ci);
        jpeg_destroy_compress(&ci);
    } catch (const JpegError& e) {
        jpeg_destroy_compress(&ci);
        std::fclose(fp);
        throw std::runtime_error("libjpeg failed on \"" + gamePath + "\": " + e.message);
    }
    if (std::fclose(fp) != 0) throw std::runtime_error("cannot finish \"" + tmp.string() + "\"");
    commit(tmp, dst);
    preview(gamePath, s);
    done_.insert(gamePath);
}

void Output::bmp(const std::string& gamePath, const Surface& s, BmpStyle style) {
    int w = cairo_image_surface_get_width(s.get()), h = cairo_image_surface_get_height(s.get());
    const AssetSpec& spec = check(gamePath, AssetKind::Bmp, w, h);
    fs::path dst = target(gamePath), tmp = dst;
    tmp += ".part";
    cairo_surface_flush(s.get());
    const uint8_t* data = cairo_image_surface_get_data(s.get());
    int stride = cairo_image_surface_get_stride(s.get());

    Uint32 fmt = spec.alpha ? SDL_PIXELFORMAT_ARGB8888 : SDL_PIXELFORMAT_RGB24;
    SDL_Surface* out = SDL_CreateRGBSurfaceWithFormat(0, w, h, spec.alpha ? 32 : 24, fmt);
    if (!out) throw std::runtime_error("SDL cannot make a surface for \"" + gamePath + "\": " + SDL_GetError());
    for (int y = 0; y < h; ++y) {
        auto* src = reinterpret_cast<const uint32_t*>(data + static_cast<size_t>(y) * stride);
        auto* dstRow = static_cast<uint8_t*>(out->pixels) + static_cast<size_t>(y) * out->pitch;
        for (int x = 0; x < w; ++x) {
            uint32_t v = src[x];
            uint32_t a = v >> 24, r = (v >> 16) & 255, g = (v >> 8) & 255, b = v & 255;
            if (style == BmpStyle::Straight && a > 0 && a < 255) {
                r = (r * 255 + a / 2) / a;
                g = (g * 255 + a / 2) / a;
                b = (b * 255 + a / 2) / a;
            }
            if (a == 0) r = g = b = 0;
            // visible dark pixels must not turn into holes under super-black transparency
            if (a >= 128 && r == 0 && g == 0 && b == 0) r = g = b = 1;
            if (spec.alpha) {
                reinterpret_cast<uint32_t*>(dstRow)[x] = (a << 24) | (r << 16) | (g << 8) | b;
            } else {
                dstRow[x * 3] = static_cast<uint8_t>(r);  // SDL's RGB24 is byte order R, G, B
                dstRow[x * 3 + 1] = static_cast<uint8_t>(g);
                dstRow[x * 3 + 2] = static_cast<uint8_t>(b);
            }
        }
    }
    int rc = SDL_SaveBMP(out, tmp.string().c_str());
    SDL_FreeSurface(out);
    if (rc != 0) throw std::runtime_error("SDL could not write \"" + tmp.string() + "\": " + SDL_GetError());
    commit(tmp, dst);
    preview(gamePath, s);
    done_.insert(gamePath);
}

void Output::mesh(const std::string& gamePath, const MeshFile& m) {
    check(gamePath, AssetKind::Mesh, 0, 0);
    fs::path dst = target(gamePath), tmp = dst;
    tmp += ".part";
    save3ds(m, tmp.string());
    commit(tmp, dst);
    done_.insert(gamePath);
}

void Output::finish() const {
    if (!only_.empty()) return;
    for (const AssetSpec& a : Manifest())
        if (!done_.count(a.path)) throw std::runtime_error("the forge did not make \"" + a.path + "\"");
}

}  // namespace vlm::forge
