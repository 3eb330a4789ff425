#include "scene/render/RenderTarget.h"

namespace vlm::render {

bool RenderTarget::Ensure(int width, int height, bool withDepth, std::string& error) {
    if (width < 1) width = 1;
    if (height < 1) height = 1;
    if (fbo_ && width == width_ && height == height_ && withDepth == withDepth_) return true;
    Release();
    glGenTextures(1, &color_);
    glBindTexture(GL_TEXTURE_2D, color_);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glGenFramebuffers(1, &fbo_);
    glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, color_, 0);
    if (withDepth) {
        glGenRenderbuffers(1, &depth_);
        glBindRenderbuffer(GL_RENDERBUFFER, depth_);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, width, height);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, depth_);
    }
    const GLenum status = glCheckFramebufferStatus(GL_FRAMEBUFFER);
    if (status != GL_FRAMEBUFFER_COMPLETE) {
        error = "the driver refuses an offscreen target of " + std::to_string(width) + " by " +
                std::to_string(height) + " pixels (status " + std::to_string(status) + ")";
        Release();
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        return false;
    }
    width_ = width;
    height_ = height;
    withDepth_ = withDepth;
    glViewport(0, 0, width, height);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    return true;
}

void RenderTarget::Release() {
    if (depth_) glDeleteRenderbuffers(1, &depth_);
    if (color_) glDeleteTextures(1, &color_);
    if (fbo_) glDeleteFramebuffers(1, &fbo_);
    fbo_ = color_ = depth_ = 0;
    width_ = height_ = 0;
}

} // namespace vlm::render
