#include "scene/render/TextureCache.h"

#include <algorithm>
#include <tuple>

namespace vlm::render {

std::pair<int, int> HalvePicture(const std::uint8_t* rgba, int width, int height, std::vector<std::uint8_t>& out) {
    const int w = std::max(1, width / 2), h = std::max(1, height / 2);
    out.resize(static_cast<std::size_t>(w) * h * 4);
    // Source columns (rows) [x0, x1) for each target texel: pairs, the last one taking the odd one.
    auto span = [](int i, int half, int full, int& a, int& b) {
        a = std::min(i * 2, full - 1);
        b = i == half - 1 ? full : std::min(a + 2, full);
    };
    for (int y = 0; y < h; ++y) {
        int y0, y1;
        span(y, h, height, y0, y1);
        for (int x = 0; x < w; ++x) {
            int x0, x1;
            span(x, w, width, x0, x1);
            unsigned sum[4] = {0, 0, 0, 0};
            for (int sy = y0; sy < y1; ++sy)
                for (int sx = x0; sx < x1; ++sx) {
                    const std::uint8_t* p = rgba + (static_cast<std::size_t>(sy) * width + sx) * 4;
                    for (int c = 0; c < 4; ++c) sum[c] += p[c];
                }
            const unsigned n = static_cast<unsigned>((y1 - y0) * (x1 - x0));
            std::uint8_t* d = out.data() + (static_cast<std::size_t>(y) * w + x) * 4;
            for (int c = 0; c < 4; ++c) d[c] = static_cast<std::uint8_t>((sum[c] + n / 2) / n);
        }
    }
    return {w, h};
}

TextureCache::~TextureCache() {
    for (auto& [identity, entry] : entries_) glDeleteTextures(1, &entry.texture);
    if (white_) glDeleteTextures(1, &white_);
}

void TextureCache::Init() {
    if (white_) return;
    const std::uint8_t pixel[4] = {255, 255, 255, 255};
    glGenTextures(1, &white_);
    glBindTexture(GL_TEXTURE_2D, white_);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
}

bool TextureCache::NeedsMipmaps(GLenum minFilter) {
    return minFilter == GL_NEAREST_MIPMAP_NEAREST || minFilter == GL_LINEAR_MIPMAP_NEAREST ||
           minFilter == GL_NEAREST_MIPMAP_LINEAR || minFilter == GL_LINEAR_MIPMAP_LINEAR;
}

bool TextureCache::NeedsPixels(std::uint64_t id, GLenum minFilter, GLenum wrap, bool wantOutline) const {
    const auto it = entries_.find(id);
    if (it == entries_.end()) return true;
    return wantOutline && !NeedsMipmaps(minFilter) && it->second.outlineWrap != wrap;
}

GLuint TextureCache::Get(std::uint64_t id, int width, int height, const std::uint8_t* rgba, GLenum minFilter,
                         GLenum magFilter, GLenum wrap, const SpriteOutline** outline) {
    if (outline) *outline = nullptr;
    if (id == 0 || width <= 0 || height <= 0) return white_;
    if (!rgba && !entries_.count(id)) return white_;
    auto [it, inserted] = entries_.try_emplace(id);
    Entry& e = it->second;
    e.lastUsed = now_;
    // Asked for once per sprite: the driver is only touched when the picture or its sampling changes.
    bool bound = false;
    auto bind = [&] {
        if (!bound) glBindTexture(GL_TEXTURE_2D, e.texture);
        bound = true;
    };
    if (inserted) {
        glGenTextures(1, &e.texture);
        bind();
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
        e.width = width;
        e.height = height;
        e.hasMipmaps = false;
        e.minFilter = e.magFilter = e.wrap = 0;  // force the parameters below
        e.outlineWrap = 0;
        ++uploads_;
    }
    if (outline && !NeedsMipmaps(minFilter) && (rgba || e.outlineWrap == wrap)) {
        if (e.outlineWrap != wrap) {
            e.outline = ComputeSpriteOutline(rgba, width, height, wrap == GL_REPEAT);
            e.outlineWrap = wrap;
        }
        *outline = &e.outline;
    }
    if (NeedsMipmaps(minFilter) && !e.hasMipmaps) {
        bind();
        if (cpuMipmaps_ && rgba) {
            glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
            std::vector<std::uint8_t> levels[2];
            const std::uint8_t* level = rgba;
            int w = width, h = height;
            for (int i = 1; w > 1 || h > 1; ++i) {
                std::vector<std::uint8_t>& next = levels[i % 2];
                std::tie(w, h) = HalvePicture(level, w, h, next);
                glTexImage2D(GL_TEXTURE_2D, i, GL_RGBA8, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, next.data());
                level = next.data();
            }
        } else {
            glGenerateMipmap(GL_TEXTURE_2D);
        }
        e.hasMipmaps = true;
    }
    if (e.minFilter != minFilter) {
        bind();
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, static_cast<GLint>(minFilter));
        e.minFilter = minFilter;
    }
    if (e.wrap != wrap) {
        bind();
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, static_cast<GLint>(wrap));
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, static_cast<GLint>(wrap));
        e.wrap = wrap;
    }
    if (e.magFilter != magFilter) {
        bind();
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, static_cast<GLint>(magFilter));
        e.magFilter = magFilter;
    }
    return e.texture;
}

void TextureCache::Forget(std::uint64_t id) {
    auto it = entries_.find(id);
    if (it == entries_.end()) return;
    glDeleteTextures(1, &it->second.texture);
    entries_.erase(it);
}

void TextureCache::EndFrame(double nowSeconds) {
    now_ = nowSeconds;
    if (now_ < lastSweep_) {
        // The clock went back (a new game clock): what was used counts as used just now.
        for (auto& entry : entries_) entry.second.lastUsed = std::min(entry.second.lastUsed, now_);
        lastSweep_ = now_;
    }
    if (now_ - lastSweep_ < 1.0) return;
    lastSweep_ = now_;
    for (auto it = entries_.begin(); it != entries_.end();) {
        if (now_ - it->second.lastUsed > kIdleSeconds) {
            glDeleteTextures(1, &it->second.texture);
            it = entries_.erase(it);
        } else {
            ++it;
        }
    }
}

} // namespace vlm::render
