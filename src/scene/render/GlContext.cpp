#include "scene/render/GlContext.h"

#include <epoxy/gl.h>

namespace vlm::render {

namespace {

struct Attempt {
    int major, minor;
    bool core;
    int glsl;
};

constexpr Attempt kAttempts[] = {
    {3, 3, true, 330},
    {3, 2, true, 150},
    {3, 0, false, 130},
};

const char* GlString(GLenum name) {
    const auto* s = reinterpret_cast<const char*>(glGetString(name));
    return s ? s : "";
}

} // namespace

GlContext::~GlContext() {
    if (context_) SDL_GL_DeleteContext(context_);
    if (ownsWindow_ && window_) SDL_DestroyWindow(window_);
    if (ownsVideo_) SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

bool GlContext::Open(const std::string& title, int width, int height, bool fullscreen, bool hidden,
                     std::string& error) {
    if (!SDL_WasInit(SDL_INIT_VIDEO)) {
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
            error = std::string("cannot start the video system: ") + SDL_GetError();
            return false;
        }
        ownsVideo_ = true;
    }
    // The frame is drawn straight into the window when it can be, so the window has a depth buffer;
    // no multisampling.
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, hidden ? 0 : 24);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    Uint32 flags = SDL_WINDOW_OPENGL;  // a fixed client area; Resize() changes it
    // On a display with a scale factor the drawable has the display's own pixels: the renderer
    // draws at those, so the picture stays sharp.
    if (!hidden) flags |= SDL_WINDOW_ALLOW_HIGHDPI;
    if (hidden) flags |= SDL_WINDOW_HIDDEN;
    if (fullscreen) flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
    window_ = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height, flags);
    if (!window_) {
        error = std::string("cannot open the window: ") + SDL_GetError();
        return false;
    }
    ownsWindow_ = true;
    return CreateContext(error);
}

bool GlContext::Attach(SDL_Window* window, std::string& error) {
    if (!window) {
        error = "no window to draw into";
        return false;
    }
    window_ = window;
    ownsWindow_ = false;
    return CreateContext(error);
}

bool GlContext::CreateContext(std::string& error) {
    std::string failures;
    for (const Attempt& a : kAttempts) {
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, a.major);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, a.minor);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, a.core ? SDL_GL_CONTEXT_PROFILE_CORE : 0);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_FLAGS, a.core ? SDL_GL_CONTEXT_FORWARD_COMPATIBLE_FLAG : 0);
        context_ = SDL_GL_CreateContext(window_);
        if (!context_) {
            failures += "\n  OpenGL " + std::to_string(a.major) + "." + std::to_string(a.minor) +
                        (a.core ? " core: " : ": ") + SDL_GetError();
            continue;
        }
        if (SDL_GL_MakeCurrent(window_, context_) != 0 || epoxy_gl_version() < a.major * 10 + a.minor) {
            failures += "\n  OpenGL " + std::to_string(a.major) + "." + std::to_string(a.minor) +
                        ": the driver gave version " + std::to_string(epoxy_gl_version());
            SDL_GL_DeleteContext(context_);
            context_ = nullptr;
            continue;
        }
        info_.major = a.major;
        info_.minor = a.minor;
        info_.core = a.core;
        info_.glslVersion = a.glsl;
        info_.vendor = GlString(GL_VENDOR);
        info_.renderer = GlString(GL_RENDERER);
        info_.version = GlString(GL_VERSION);
        return true;
    }
    error = "cannot create an OpenGL 3.0 (or newer) context:" + failures;
    return false;
}

bool GlContext::SetVsync(bool on) { return SDL_GL_SetSwapInterval(on ? 1 : 0) == 0; }

} // namespace vlm::render
