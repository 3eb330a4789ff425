#pragma once
// An offscreen framebuffer with an RGBA8 colour texture and, optionally, a depth buffer.
#include <epoxy/gl.h>

#include <string>

namespace vlm::render {

class RenderTarget {
public:
    RenderTarget() = default;
    ~RenderTarget() { Release(); }
    RenderTarget(const RenderTarget&) = delete;
    RenderTarget& operator=(const RenderTarget&) = delete;

    // (Re)creates the target at the given size when it differs; the colour starts black.
    bool Ensure(int width, int height, bool withDepth, std::string& error);
    void Release();

    void Bind() const {
        glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
        glViewport(0, 0, width_, height_);
    }

    GLuint Framebuffer() const { return fbo_; }
    GLuint Color() const { return color_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    bool Valid() const { return fbo_ != 0; }

private:
    GLuint fbo_ = 0, color_ = 0, depth_ = 0;
    int width_ = 0, height_ = 0;
    bool withDepth_ = false;
};

} // namespace vlm::render
