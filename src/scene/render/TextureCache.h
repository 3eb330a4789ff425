#pragma once
// GL textures for the scene's decoded images, keyed by the image's identity. The scene gives every
// processed image a new run-unique id whenever its pixels change, so an id seen before is never
// uploaded again; textures of images no longer drawn are released after a while.
// Images are stored top row first: v = 0 is the top of the picture.
#include "scene/render/SpriteOutline.h"

#include <epoxy/gl.h>

#include <cstdint>
#include <utility>
#include <unordered_map>
#include <vector>

namespace vlm::render {

// The next smaller mipmap level of a w x h RGBA picture: (w/2) x (h/2), at least 1 x 1, each texel
// the mean of the 2 x 2 (at an odd last row or column, 2 x 3, 3 x 2 or 3 x 3) texels it covers.
// Returns the new width and height.
std::pair<int, int> HalvePicture(const std::uint8_t* rgba, int width, int height, std::vector<std::uint8_t>& out);

class TextureCache {
public:
    // Textures not used for this long are released (an image that is drawn again is uploaded again).
    // Short, because with a software renderer a texture and its mipmaps live in main memory: the
    // menus', the shop's and the cut-scenes' pictures cached at start-up would otherwise stay
    // resident through play. Re-uploading a picture costs a few milliseconds once.
    static constexpr double kIdleSeconds = 5.0;

    TextureCache() = default;
    ~TextureCache();
    TextureCache(const TextureCache&) = delete;
    TextureCache& operator=(const TextureCache&) = delete;

    // Creates the built-in 1x1 white texture (used by untextured materials).
    void Init();

    // Whether mipmaps are built on the processor from the picture as it is uploaded (for a software
    // rasterizer, which would otherwise compile and run drawing programs to build them) or by the
    // driver (the default).
    void SetMipmapsOnTheProcessor(bool on) { cpuMipmaps_ = on; }

    // The texture for the image with this id (0: no image). An image without pixels (w or h 0, or no
    // data when it is not uploaded yet) gives the white texture. The filters are applied to the texture when they differ from the
    // last ones used with it.
    // `outline` (when given) receives the picture's outline for sprites sampled this way, or nullptr
    // where none applies (mipmapped sampling, the white texture); it stays valid until the next Get,
    // Forget or EndFrame.
    GLuint Get(std::uint64_t id, int width, int height, const std::uint8_t* rgba, GLenum minFilter,
               GLenum magFilter, GLenum wrap = GL_REPEAT, const SpriteOutline** outline = nullptr);

    // Whether Get for this image and sampling needs the pixels: the image is not uploaded yet, or a
    // sprite outline is wanted that has not been worked out for this wrap mode. Otherwise Get may be
    // given no pixels (the caller may have let them go after the upload).
    bool NeedsPixels(std::uint64_t id, GLenum minFilter, GLenum wrap, bool wantOutline) const;

    // Drops the texture of an image that is going away.
    void Forget(std::uint64_t id);

    GLuint White() const { return white_; }

    // Advances the cache's clock; releases textures idle for longer than kIdleSeconds.
    void EndFrame(double nowSeconds);

    int Uploads() const { return uploads_; }  // since ResetCounters()
    void ResetCounters() { uploads_ = 0; }
    std::size_t Size() const { return entries_.size(); }

private:
    struct Entry {
        GLuint texture = 0;
        int width = 0, height = 0;
        GLenum minFilter = 0, magFilter = 0, wrap = 0;
        bool hasMipmaps = false;
        double lastUsed = 0.0;
        SpriteOutline outline;
        GLenum outlineWrap = 0;  // the wrap mode the outline was worked out for (0: none yet)
    };

    static bool NeedsMipmaps(GLenum minFilter);

    std::unordered_map<std::uint64_t, Entry> entries_;
    GLuint white_ = 0;
    double now_ = 0.0;
    double lastSweep_ = 0.0;
    int uploads_ = 0;
    bool cpuMipmaps_ = false;
};

} // namespace vlm::render
