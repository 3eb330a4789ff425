#pragma once
// The SDL window and its OpenGL context. Asks for a 3.3 core profile and falls back to 3.2 core and
// then to 3.0, choosing the GLSL dialect to match.
#include <SDL.h>

#include <string>

namespace vlm::render {

struct GlContextInfo {
    int major = 0, minor = 0;
    bool core = false;
    int glslVersion = 0;  // 330, 150 or 130
    std::string vendor, renderer, version;
};

class GlContext {
public:
    GlContext() = default;
    ~GlContext();
    GlContext(const GlContext&) = delete;
    GlContext& operator=(const GlContext&) = delete;

    // Opens a window of the given client size (fullscreen: a desktop-sized borderless window) and
    // makes a context current on it. `hidden` keeps the window unmapped (offscreen rendering).
    bool Open(const std::string& title, int width, int height, bool fullscreen, bool hidden, std::string& error);
    // Makes a context current on a window the caller created with SDL_WINDOW_OPENGL; the caller keeps
    // owning the window.
    bool Attach(SDL_Window* window, std::string& error);

    // Swap interval 1 (on) or 0; returns false when the driver refuses.
    bool SetVsync(bool on);
    void Swap() { SDL_GL_SwapWindow(window_); }

    SDL_Window* Window() const { return window_; }
    const GlContextInfo& Info() const { return info_; }

private:
    bool CreateContext(std::string& error);

    SDL_Window* window_ = nullptr;
    bool ownsWindow_ = false;
    bool ownsVideo_ = false;
    SDL_GLContext context_ = nullptr;
    GlContextInfo info_;
};

} // namespace vlm::render
