#pragma once
// The OpenGL renderer: draws a TGLScene into an SDL window (or offscreen) with a 3.3 core profile
// context (falling back to 3.2 core, then 3.0).
//
// How the scene is drawn:
// - The world (everything but HUD sprites and texts) in scene order through the camera; with
//   RenderBlendedLast the objects whose material blends (transparency, additive, modulate) are
//   drawn after the opaque ones, keeping scene order within each group; RenderFarthestFirst
//   draws the blended ones farthest first. Then the HUD objects in scene order, without depth test.
// - Sprites, polygons, HUD sprites, texts, particles, sky boxes and flares go through one batch:
//   consecutive primitives with the same texture and state share a draw call.
// - Sprites, polygons, HUD objects and particles are unlit: the material's diffuse colour (plus its
//   emission) modulates the texture, the drawing alpha (AlphaChannel or diffuse alpha) fades it.
//   Meshes and spheres are lit per pixel: scene ambient, a fixed key light, a rim light, the
//   shining light sources (the explosion flash) and an optional reflection texture (Texture2Name).
// - Fog is linear in eye depth, from FogStart to FogEnd, towards the fog colour, when enabled.
// - A blur overlay keeps a small RenderWidth x RenderHeight picture of the frame as drawn up to the
//   blur itself (its own overlay included, which makes the trail), refreshed every BlurDeltaTime
//   seconds, and draws it over the whole window stretched by its BlurLeft/Top/Right/Bottom insets,
//   tinted by its diffuse colour, with its alpha as strength.
// - The frame is drawn straight into the window's back buffer when the picture fills the window
//   and its driver keeps the back buffer through a swap (no full-screen copy per frame). Frames with
//   a blur overlay, letterboxed frames (copied between their bars), every frame on a
//   driver that flips its buffers and every frame of an offscreen renderer are drawn into an
//   offscreen target and copied. ReadPixels() sees the last frame either way, before and after
//   Present(); a program that reads its frames only before Present() says so
//   (SetReadAfterPresent(false)), and its frames go straight into the window also on a driver that
//   flips its buffers (no full-window copy a frame: with a software rasterizer, a fifth of a frame).
#include "scene/Image.h"
#include "scene/Letterbox.h"

#include <SDL.h>

#include <memory>
#include <string>

namespace vlm::scene {
class TGLScene;
}

namespace vlm::render {

// Counters of the last rendered frame.
struct RenderStats {
    int drawCalls = 0;        // batch flushes + mesh draws + blur passes
    int batchedPrimitives = 0;
    int meshDraws = 0;
    int textureUploads = 0;   // images uploaded this frame (0 in a steady frame)
    int meshUploads = 0;
    int objectsDrawn = 0;
    int objectsTrimmed = 0;   // sprites drawn as their picture's outline rather than the whole square
    int particlesDrawn = 0;
};

class Renderer {
public:
    // Opens a window of the given client size (fullscreen: covering the desktop) and its context.
    // Returns nullptr and sets `error` (when given) on failure.
    static std::unique_ptr<Renderer> Create(const std::string& title, int width, int height, bool fullscreen,
                                            bool vsync, std::string* error = nullptr);
    // Draws into a window the caller made with SDL_WINDOW_OPENGL (the caller keeps owning it).
    static std::unique_ptr<Renderer> CreateForWindow(SDL_Window* window, bool vsync, std::string* error = nullptr);
    // A hidden window; frames are only drawn offscreen (tests, benchmarks). Nothing is presented.
    static std::unique_ptr<Renderer> CreateOffscreen(int width, int height, std::string* error = nullptr);

    ~Renderer();
    Renderer(const Renderer&) = delete;
    Renderer& operator=(const Renderer&) = delete;

    // Draws one frame of the scene laid out for width x height pixels (the game's picture: HUD
    // coordinates and the camera's view are of that size) into the window's back buffer. In a
    // window or on a desktop of another size or shape the picture is drawn at the largest size of
    // its shape that fits, centred, sharp (at the drawable's own pixels, so also on HiDPI
    // displays), with black bars beside it; never stretched. `timeSeconds` is the clock the blur
    // overlays refresh by (the cadencer's time); the overload without it uses the steady system clock.
    void Render(const scene::TGLScene& scene, int width, int height, double timeSeconds);
    void Render(const scene::TGLScene& scene, int width, int height);
    // Shows the rendered frame (swaps the window's buffers; waits for the vertical blank with vsync).
    // Does nothing for an offscreen renderer.
    void Present();

    // Waits until the GPU has finished every frame handed to it (for measuring).
    void Finish();

    // The last frame as 8-bit RGBA, top row first, alpha 255 (for screenshots and tests): the game's
    // picture at the pixels it was drawn with, without the bars of a letterbox.
    scene::TRGBAImage ReadPixels() const;
    // Whether ReadPixels() must still see a frame after Present() (the default: yes).
    void SetReadAfterPresent(bool needed);
    // Whether soft cloud planes are composed at half the window's size (the default: yes; off
    // draws every plane at full size, to compare).
    void SetHalfSizeSoftPlanes(bool on);
    // Whether meshes are lit per vertex (the default on a software rasterizer, where each pixel's
    // program is the frame's cost) or per pixel (the default on a GPU).
    void SetVertexLighting(bool on);
    // The whole window as the player sees it, bars included (read before Present()). An offscreen
    // renderer gives ReadPixels().
    scene::TRGBAImage ReadWindowPixels() const;
    // Where the last frame went in the window's drawable, in pixels (y down).
    scene::TLetterbox PictureBox() const;

    // Resizes the window's client area (not the offscreen target, which follows Render's size).
    void Resize(int width, int height);
    // The window's drawable size in pixels.
    void DrawableSize(int& width, int& height) const;

    bool SetVsync(bool on);
    bool Vsync() const;

    const RenderStats& Stats() const;
    // The OpenGL errors raised since the last call, as text ("" when there were none). Drawing never
    // stops on them; this is for tests and diagnostics.
    std::string TakeGlErrors();
    SDL_Window* Window() const;
    // "OpenGL 4.5 (Core Profile) Mesa 22.3.6, llvmpipe (LLVM 15.0.6, 256 bits), GLSL 330".
    std::string Description() const;
    // Whether the rasterizer runs on the processor (Mesa's llvmpipe or softpipe, SwiftShader...):
    // its textures live in main memory and are built there, mipmaps included.
    bool SoftwareRasterizer() const;
    // Counts the pixels shaded per layer of the picture from now on (false: the driver cannot);
    // the report gives the mean per frame. Reading the counts slows every frame: for measuring.
    bool CountPixels();
    std::string PixelReport(int width, int height) const;

private:
    struct Impl;
    explicit Renderer(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

// Whether a GL_RENDERER string names a rasterizer that runs on the processor.
bool IsSoftwareRasterizer(const std::string& rendererName);

} // namespace vlm::render
