#include "scene/render/Renderer.h"
#include "scene/render/PixelCounter.h"

#include "scene/Letterbox.h"
#include "scene/Scene.h"
#include "scene/render/CloudStack.h"
#include "scene/render/GlContext.h"
#include "scene/render/GlProgram.h"
#include "scene/render/GlState.h"
#include "scene/render/MeshRenderer.h"
#include "scene/render/Procedural.h"
#include "scene/render/QuadBatch.h"
#include "scene/render/RenderTarget.h"
#include "scene/render/Shaders.h"
#include "scene/render/TextureCache.h"

#include <glm/gtc/matrix_transform.hpp>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <numbers>
#include <unordered_map>
#include <vector>

namespace vlm::render {

using namespace vlm::scene;

namespace {

constexpr float kPi = std::numbers::pi_v<float>;

GLenum ToGl(TGLMinFilter f) {
    switch (f) {
    case TGLMinFilter::Nearest: return GL_NEAREST;
    case TGLMinFilter::Linear: return GL_LINEAR;
    case TGLMinFilter::NearestMipmapNearest: return GL_NEAREST_MIPMAP_NEAREST;
    case TGLMinFilter::LinearMipmapNearest: return GL_LINEAR_MIPMAP_NEAREST;
    case TGLMinFilter::NearestMipmapLinear: return GL_NEAREST_MIPMAP_LINEAR;
    case TGLMinFilter::LinearMipmapLinear: return GL_LINEAR_MIPMAP_LINEAR;
    }
    return GL_LINEAR;
}

GLenum ToGl(TGLMagFilter f) { return f == TGLMagFilter::Nearest ? GL_NEAREST : GL_LINEAR; }

bool IsBlended(TBlendingMode mode) {
    return mode == TBlendingMode::Transparency || mode == TBlendingMode::Additive || mode == TBlendingMode::Modulate;
}

// How a material draws: GL blending, the alpha below which texels are dropped.
void BlendOf(TBlendingMode mode, BlendMode& blend, float& alphaRef) {
    switch (mode) {
    case TBlendingMode::Opaque: blend = BlendMode::Opaque; alphaRef = -1.0f; return;
    // Blended materials drop fully transparent texels so they leave no depth behind them.
    case TBlendingMode::Transparency: blend = BlendMode::Transparency; alphaRef = 0.0f; return;
    case TBlendingMode::Additive: blend = BlendMode::Additive; alphaRef = 0.0f; return;
    case TBlendingMode::AlphaTest50: blend = BlendMode::Opaque; alphaRef = 0.499f; return;
    case TBlendingMode::AlphaTest100: blend = BlendMode::Opaque; alphaRef = 0.999f; return;
    case TBlendingMode::Modulate: blend = BlendMode::Modulate; alphaRef = 0.0f; return;
    }
    blend = BlendMode::Opaque;
    alphaRef = -1.0f;
}

glm::vec4 Clamp01(const glm::vec4& c) { return glm::clamp(c, glm::vec4(0.0f), glm::vec4(1.0f)); }

// The material's texture coordinates (s, t with t counted from the bottom, as the material's offset
// and scale are given) turned into ours (v counted from the top of the picture).
struct UvMap {
    glm::vec2 offset{0.0f}, scale{1.0f};
    void At(float s, float t, float& u, float& v) const {
        u = s * scale.x + offset.x;
        v = 1.0f - (t * scale.y + offset.y);
    }
};

// Everything the batch needs to know about a material.
struct Look {
    BatchState state;
    glm::vec4 color{1.0f};
    UvMap uv;
    bool blended = false;
    const SpriteOutline* outline = nullptr;  // where the picture shows, when sprites may be trimmed to it
};

BatchVertex Vertex(const glm::vec3& p, float u, float v, std::uint32_t rgba) { return {p.x, p.y, p.z, u, v, rgba}; }
BatchVertex Vertex(const glm::vec2& p, float u, float v, std::uint32_t rgba) { return {p.x, p.y, 0.0f, u, v, rgba}; }

// The four corners of a quad, in order, with texture coordinates s0..s1 by t0..t1 mapped through uv.
template <class Point>
void QuadVertices(const Point c[4], const UvMap& uv, float s0, float s1, float t0, float t1, std::uint32_t rgba,
                  BatchVertex v[4]) {
    const float s[4] = {s0, s1, s1, s0}, t[4] = {t0, t0, t1, t1};
    for (int i = 0; i < 4; ++i) {
        float u, w;
        uv.At(s[i], t[i], u, w);
        v[i] = Vertex(c[i], u, w, rgba);
    }
}

std::uint32_t Pack(const glm::vec4& c) { return PackColor(c.r, c.g, c.b, c.a); }

// Small deterministic generator for the lens flare's fixed random layout.
struct FlareRandom {
    std::uint32_t state;
    float Next() {
        state = state * 1664525u + 1013904223u;
        return static_cast<float>((state >> 8) & 0xffffffu) / 16777216.0f;
    }
};

} // namespace

struct Renderer::Impl {
    struct DrawItem {
        const TGLBaseSceneObject* object;
        glm::mat4 world;
        float depth;
        std::uint32_t order;
        bool blended;
    };
    struct BlurState {
        RenderTarget target;
        double lastCapture = 0.0;
        double lastUsed = 0.0;
        bool valid = false;
    };
    struct NoiseTexture {
        GLuint texture = 0;
        int size = 0;
        std::uint32_t seed = 0;
        float amplitude = 0, smoothness = 0, brightness = 0, gamma = 0;
    };

    GlContext context;
    bool offscreen = false;
    bool readAfterPresent = true;  // ReadPixels() must see a frame also after its swap
    bool halfSizeSoftPlanes = true;
    bool vsync = false;
    GlState gl;
    QuadBatch batch;
    MeshRenderer meshes;
    CloudStack clouds;
    PixelCounter pixels;  // pixels shaded per layer, when measuring
    // Counts what is drawn from now on for `layer`, when counting: what the batch holds is sent first.
    void Layer(PixelLayer layer) {
        if (!pixels.Active() || pixels.Current() == layer) return;
        batch.Flush();
        pixels.Enter(layer);
    }
    TextureCache textures;
    RenderTarget frame;
    RenderTarget windowHalf;  // a frame in the window halved, for a blur overlay to shrink further
    GlProgram downsample;
    GLint downsampleStep = -1;
    GLuint fullScreenVao = 0, fullScreenVbo = 0;
    bool windowHasDepth = false;  // the window's own framebuffer can take a frame (it has depth)
    // Whether the driver keeps the back buffer through a swap (ReadPixels must see the last frame
    // also after Present). Told apart on the first real frames, which go through the offscreen
    // target meanwhile: a few pixels of each frame copied to the window are noted, and after the swap
    // the back buffer shows the same pixels again (kept) or other ones (flipped).
    enum class SwapKeeps : std::uint8_t { Unknown, Yes, No };
    static constexpr int kProbePoints = 8;
    static constexpr int kProbeFrames = 240;  // undecided after this many: stay with the copy
    SwapKeeps swapKeeps = SwapKeeps::Unknown;
    int probeFrames = 0;
    bool probeNoted = false, presentedSinceNote = false, olderNoted = false;
    std::array<std::uint32_t, kProbePoints> noted{}, older{};
    int probeWidth = 0, probeHeight = 0;
    TLetterbox box;               // where the last frame went in the window (drawable pixels)
    bool inWindow = false;        // the last frame was drawn straight into the window's back buffer
    bool nothingDrawn = false;    // the frame is still only its clear colour
    glm::vec3 clearColor{0.0f};

    std::unordered_map<const TGLBaseSceneObject*, BlurState> blurs;
    std::unordered_map<const TGLParticleFXManager*, NoiseTexture> noiseTextures;

    std::vector<DrawItem> world;
    std::vector<const TGLBaseSceneObject*> hud;
    std::vector<std::uint32_t> blendedOrder;
    std::array<MeshLight, MeshRenderer::kMaxLights> lights{};
    int lightCount = 0;
    std::array<TGlyphQuad, 512> glyphs{};

    TViewProjection vp;
    double now = 0.0;
    RenderStats stats;
    Uint64 clockStart = SDL_GetPerformanceCounter();

    bool Init(std::string& error);
    void ReadProbe(int width, int height, std::array<std::uint32_t, kProbePoints>& out);
    void ProbeAfterSwap();
    void NoteForProbe(int width, int height);
    ~Impl();

    void Frame(const TGLScene& scene, int width, int height, double time);
    void Collect(const TGLBaseSceneObject& object, const glm::mat4& parent);
    enum class Pass { All, Opaque, Blended };
    // An opaque sphere or free form (every face group opaque): it writes its colour and depth at
    // every pixel it covers, whatever was there, so the backdrop under it never shows.
    static bool IsOpaqueBody(const DrawItem& item);
    // The window rectangle (x, y, width, height, GL's y upwards) the opaque spheres among
    // world[from, to) cover; false when it cannot be told (a mesh, a sphere reaching behind the eye).
    template <typename InPass>
    bool BodiesOnScreen(std::size_t from, std::size_t to, const InPass& inPass, int rect[4]) const;
    // The material a free form's face group is drawn with (and its library material, when asked).
    static const TGLMaterialProps& GroupMaterial(const TGLFreeForm& f, std::size_t group,
                                                 const TGLLibMaterial** lib);
    void DrawPass(Pass pass);
    bool CloudLayerOf(const TGLSkyBox& s, const glm::mat4& matrix, CloudLayer& layer, bool& empty);
    // Composes the soft planes at the top of layers[lowest..count) at half size into one layer;
    // returns the new count.
    int FoldSoftPlanes(std::array<CloudLayer, CloudStack::kMaxLayers>& layers, int lowest, int count);
    void BindFrame();  // the frame's framebuffer and viewport: the window's or the offscreen target
    void DrawWorldItem(const DrawItem& item);
    void DrawHud(const TGLBaseSceneObject& object);
    void CopyToWindow();

    // `minFilter` (when not 0) replaces the texture's own minification filter.
    GLuint TextureOf(const TGLTexture& texture, const SpriteOutline** outline = nullptr, GLenum minFilter = 0);
    Look LookOf(const TGLMaterialProps& m, float alpha);
    MeshSurface SurfaceOf(const TGLMaterialProps& m, const TGLLibMaterial* lib);

    void DrawSprite(const TGLSprite& s, const glm::mat4& world);
    void DrawAnimatedSprite(const TGLAnimatedSprite& s, const glm::mat4& world);
    void DrawPolygon(const TGLPolygon& p, const glm::mat4& world);
    void DrawFreeForm(const TGLFreeForm& f, const glm::mat4& world);
    void DrawSphere(const TGLSphere& s, const glm::mat4& world);
    void DrawSkyBox(const TGLSkyBox& s, const glm::mat4& world);
    void DrawBlur(const TGLBlur& b);
    void DrawParticles(const TGLParticleFXRenderer& r);
    void DrawLensFlare(const TGLLensFlare& f, const glm::mat4& world);
    void DrawHudSprite(const TGLHUDSprite& s);
    void DrawHudText(const TGLHUDText& t);

    GLuint NoiseTextureOf(const TGLPerlinPFXManager& m);
    void Fan(const glm::vec2& centre, float rx, float ry, int sides, float rotation, std::uint32_t inner,
             std::uint32_t outer);
};

// ---------------------------------------------------------------------------------------------
// Set-up

bool Renderer::Impl::Init(std::string& error) {
    const int glsl = context.Info().glslVersion;
    gl.Reset();
    textures.Init();
    // A software rasterizer's buffers are main memory: one batch's worth (about 6 MiB less).
    const bool software = IsSoftwareRasterizer(context.Info().renderer);
    if (!batch.Init(glsl, &gl, textures.White(), error, software ? 1 : QuadBatch::kRingBatches)) return false;
    if (!meshes.Init(glsl, &gl, error)) return false;
    meshes.SetVertexLighting(software);
    textures.SetMipmapsOnTheProcessor(software);
    if (!clouds.Init(glsl, &gl, error)) return false;
    if (!downsample.Build("blur capture", glsl, shaders::kFullScreenVertex, shaders::kDownsampleFragment,
                          {{0, "a_pos"}}, error))
        return false;
    downsampleStep = downsample.Uniform("u_step");
    downsample.Use();
    glUniform1i(downsample.Uniform("u_texture"), 0);
    const float quad[8] = {-1, -1, 1, -1, -1, 1, 1, 1};
    glGenVertexArrays(1, &fullScreenVao);
    glGenBuffers(1, &fullScreenVbo);
    glBindVertexArray(fullScreenVao);
    glBindBuffer(GL_ARRAY_BUFFER, fullScreenVbo);
    glBufferData(GL_ARRAY_BUFFER, sizeof quad, quad, GL_STATIC_DRAW);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 0, nullptr);
    glBindVertexArray(0);
    world.reserve(4096);
    hud.reserve(1024);
    blendedOrder.reserve(4096);
    if (glGetError() != GL_NO_ERROR) {
        error = "the OpenGL driver reported an error while setting up the renderer";
        return false;
    }
    if (!offscreen) {
        // The window's framebuffer needs its own depth buffer to be drawn into directly.
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        GLint depthBits = 0;
        glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, GL_DEPTH, GL_FRAMEBUFFER_ATTACHMENT_DEPTH_SIZE,
                                              &depthBits);
        if (glGetError() != GL_NO_ERROR) depthBits = 0;  // a driver that cannot tell: go offscreen
        windowHasDepth = depthBits >= 16;
        if (!windowHasDepth) swapKeeps = SwapKeeps::No;
    }
    return true;
}

void Renderer::Impl::ReadProbe(int width, int height, std::array<std::uint32_t, kProbePoints>& out) {
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    for (int i = 0; i < kProbePoints; ++i) {
        // Points along both diagonals, away from the edges.
        const int x = width * (2 * (i % 4) + 1) / 8, y = i < 4 ? height * (2 * (i % 4) + 1) / 8
                                                            : height * (7 - 2 * (i % 4)) / 8;
        std::uint8_t pixel[4] = {};
        glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
        out[static_cast<std::size_t>(i)] = pixel[0] | (pixel[1] << 8) | (pixel[2] << 16);
    }
}

void Renderer::Impl::NoteForProbe(int width, int height) {
    // Called with the frame copied into the window's back buffer, before it is presented.
    if (swapKeeps != SwapKeeps::Unknown) return;
    if (++probeFrames > kProbeFrames) {
        swapKeeps = SwapKeeps::No;
        return;
    }
    older = noted;
    olderNoted = probeNoted;
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glReadBuffer(GL_BACK);
    ReadProbe(width, height, noted);
    probeNoted = true;
    presentedSinceNote = false;
    probeWidth = width;
    probeHeight = height;
}

void Renderer::Impl::ProbeAfterSwap() {
    if (swapKeeps != SwapKeeps::Unknown || !probeNoted || !presentedSinceNote) return;
    int w = 0, h = 0;
    SDL_GL_GetDrawableSize(context.Window(), &w, &h);
    probeNoted = false;
    if (w != probeWidth || h != probeHeight) return;
    std::array<std::uint32_t, kProbePoints> now{};
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glReadBuffer(GL_BACK);
    ReadProbe(w, h, now);
    if (glGetError() != GL_NO_ERROR) {
        swapKeeps = SwapKeeps::No;
        return;
    }
    // Another picture than the one presented: the driver hands out another buffer. The same one:
    // kept, but only telling when the frame before it differed (else a flipped buffer holding the
    // older, equal frame would look the same).
    if (now != noted) swapKeeps = SwapKeeps::No;
    else if (olderNoted && older != noted) swapKeeps = SwapKeeps::Yes;
}

Renderer::Impl::~Impl() {
    for (auto& [manager, noise] : noiseTextures) glDeleteTextures(1, &noise.texture);
    if (fullScreenVbo) glDeleteBuffers(1, &fullScreenVbo);
    if (fullScreenVao) glDeleteVertexArrays(1, &fullScreenVao);
}

// ---------------------------------------------------------------------------------------------
// Materials

GLuint Renderer::Impl::TextureOf(const TGLTexture& texture, const SpriteOutline** outline, GLenum minFilter) {
    if (outline) *outline = nullptr;
    if (texture.Disabled || !texture.HasImage()) return textures.White();
    const GLenum minGl = minFilter ? minFilter : ToGl(texture.MinFilter);
    const GLenum wrap = texture.TextureWrap == TGLTextureWrap::Clamp ? GL_CLAMP_TO_EDGE : GL_REPEAT;
    // The picture's pixels are needed only to upload it (or to outline it once); after that the
    // texture lets them go and the GPU's copy is what is drawn.
    const TGLImage* image = texture.Image(false);
    if (!image || image->Data.Empty()) return textures.White();
    const bool needsPixels = textures.NeedsPixels(image->Id, minGl, wrap, outline != nullptr);
    if (needsPixels) {
        image = texture.Image(true);
        // An image whose pixels do not fill its size is never handed to the driver (it would read
        // past them).
        if (!image || image->Data.Empty() ||
            image->Data.Pixels.size() < static_cast<std::size_t>(image->Data.Width) * image->Data.Height * 4)
            return textures.White();
    }
    const GLuint id = textures.Get(image->Id, image->Data.Width, image->Data.Height,
                                   needsPixels ? image->Data.Pixels.data() : nullptr, minGl, ToGl(texture.MagFilter),
                                   wrap, outline);
    if (!image->Data.Pixels.empty()) texture.ReleaseImagePixels();
    return id;
}

Look Renderer::Impl::LookOf(const TGLMaterialProps& m, float alpha) {
    Look look;
    BlendOf(m.BlendingMode, look.state.blend, look.state.alphaRef);
    look.blended = IsBlended(m.BlendingMode);
    // Only where see-through texels leave no mark (blended or alpha-tested) and the picture is mapped
    // once across the sprite may the sprite be cut down to the picture's outline.
    const bool mayTrim = look.state.alphaRef >= 0.0f && m.TextureOffset == glm::vec2(0.0f) &&
                         m.TextureScale == glm::vec2(1.0f);
    look.state.texture = TextureOf(m.Texture, mayTrim ? &look.outline : nullptr);
    look.state.replace = look.state.texture != textures.White() && m.Texture.TextureMode == TGLTextureMode::Replace;
    const auto& front = m.FrontProperties;
    look.color = Clamp01(glm::vec4(glm::vec3(front.Diffuse) + glm::vec3(front.Emission), alpha));
    look.uv.offset = m.TextureOffset;
    look.uv.scale = m.TextureScale;
    return look;
}

MeshSurface Renderer::Impl::SurfaceOf(const TGLMaterialProps& m, const TGLLibMaterial* lib) {
    MeshSurface s;
    const auto& front = m.FrontProperties;
    s.ambient = front.Ambient;
    s.diffuse = front.Diffuse;
    s.emission = front.Emission;
    s.specular = front.Specular;
    s.shininess = front.Shininess;
    s.texture = TextureOf(m.Texture);
    s.replace = s.texture != textures.White() && m.Texture.TextureMode == TGLTextureMode::Replace;
    BlendOf(m.BlendingMode, s.blend, s.alphaRef);
    // A see-through surface leaves no depth: what lies behind it and is drawn later still shows.
    s.depthWrite = !IsBlended(m.BlendingMode);
    // Mesh texture coordinates are already flipped to count v from the top; the offset keeps the
    // material's sense (t up), so it is subtracted from v.
    s.uvScale = m.TextureScale;
    s.uvOffset = glm::vec2(m.TextureOffset.x, -m.TextureOffset.y);
    if (lib) {
        if (const TGLLibMaterial* second = lib->Texture2()) {
            const GLuint env = TextureOf(second->Material.Texture);
            if (env != textures.White()) s.envTexture = env;
        }
    }
    return s;
}

// ---------------------------------------------------------------------------------------------
// The frame

void Renderer::Impl::Collect(const TGLBaseSceneObject& object, const glm::mat4& parent) {
    if (!object.Visible || object.IsFreed()) return;
    const glm::mat4 matrix = parent * object.LocalMatrix();
    bool draws = true;
    bool blended = false;
    switch (object.Kind) {
    case TObjectKind::Base:
    case TObjectKind::DummyCube:
    case TObjectKind::Camera:
        draws = false;
        break;
    case TObjectKind::HUDSprite:
    case TObjectKind::HUDText:
        hud.push_back(&object);
        draws = false;
        break;
    case TObjectKind::LightSource: {
        const auto& light = static_cast<const TGLLightSource&>(object);
        draws = false;
        if (light.Shining && lightCount < MeshRenderer::kMaxLights) {
            MeshLight& l = lights[static_cast<std::size_t>(lightCount++)];
            l.eyePosition = glm::vec3(vp.View * matrix[3]);
            l.color = glm::clamp(glm::vec3(light.Diffuse), glm::vec3(0.0f), glm::vec3(4.0f));
            l.attenuation = glm::vec3(light.ConstAttenuation, light.LinearAttenuation, light.QuadraticAttenuation);
        }
        break;
    }
    case TObjectKind::Sprite:
    case TObjectKind::Blur:
        blended = IsBlended(static_cast<const TGLSprite&>(object).Material.Effective().BlendingMode);
        break;
    case TObjectKind::AnimatedSprite: {
        const auto& a = static_cast<const TGLAnimatedSprite&>(object);
        const TGLLibMaterial* lib = a.CurrentLibMaterial();
        blended = IsBlended(lib ? lib->Material.BlendingMode : a.Material.Effective().BlendingMode);
        break;
    }
    case TObjectKind::Polygon: {
        const auto& p = static_cast<const TGLPolygon&>(object);
        draws = p.Nodes.size() >= 3;
        blended = IsBlended(p.Material.Effective().BlendingMode);
        break;
    }
    case TObjectKind::FreeForm:
        blended = IsBlended(static_cast<const TGLFreeForm&>(object).Material.Effective().BlendingMode);
        break;
    case TObjectKind::Sphere:
        blended = IsBlended(static_cast<const TGLSphere&>(object).Material.Effective().BlendingMode);
        break;
    case TObjectKind::SkyBox:
        break;  // a sky box counts as opaque: it is the backdrop, drawn where it stands in the opaque pass
    case TObjectKind::ParticleFXRenderer:
    case TObjectKind::LensFlare:
        blended = true;
        break;
    }
    if (draws) {
        const glm::vec3 eye(vp.View * matrix[3]);
        const float depth = std::isfinite(eye.z) ? -eye.z : 0.0f;  // NaN would upset the depth sort
        world.push_back({&object, matrix, depth, static_cast<std::uint32_t>(world.size()), blended});
    }
    for (std::size_t i = 0, n = object.Count(); i < n; ++i) Collect(*object.Child(i), matrix);
}

void Renderer::Impl::Frame(const TGLScene& scene, int width, int height, double time) {
    stats = {};
    batch.ResetCounters();
    meshes.ResetCounters();
    clouds.ResetCounters();
    textures.ResetCounters();
    now = time;
    if (width <= 0 || height <= 0) return;  // minimised: nothing to draw into

    vp = ComputeViewProjection(scene.Camera(), width, height);
    world.clear();
    hud.clear();
    lightCount = 0;
    Collect(scene.Objects(), glm::mat4(1.0f));
    const TGLCamera& camera = scene.Camera();
    if (camera.Visible) {
        const glm::mat4 cameraMatrix = camera.AbsoluteMatrix();
        for (std::size_t i = 0, n = camera.Count(); i < n; ++i) Collect(*camera.Child(i), cameraMatrix);
    }

    // The picture is drawn at the pixels it covers in the window (its letterbox there, the whole
    // drawable of a window of its own shape; twice its size on a HiDPI display), through the same
    // projection as at its own size: sharp at any scale, never stretched.
    int drawableWidth = width, drawableHeight = height;
    if (!offscreen) SDL_GL_GetDrawableSize(context.Window(), &drawableWidth, &drawableHeight);
    if (!offscreen) ProbeAfterSwap();
    box = offscreen ? TLetterbox{0, 0, width, height} : FitPicture(drawableWidth, drawableHeight, width, height);
    if (box.Width <= 0 || box.Height <= 0) return;
    // Straight into the window's back buffer when the picture fills it: no copy of the whole
    // picture per frame (a blur overlay copies the back buffer at half size when it looks at the
    // frame). A letterboxed picture needs its bars, so those frames go through the offscreen target.
    inWindow = !offscreen && (swapKeeps == SwapKeeps::Yes || !readAfterPresent) && box.Width == drawableWidth &&
               box.Height == drawableHeight;
    if (!inWindow) {
        std::string error;
        if (!frame.Ensure(box.Width, box.Height, true, error)) return;
    }
    BindFrame();
    const TGLViewerSettings& viewer = scene.Viewer;
    glClearColor(std::clamp(viewer.BackgroundColor.r, 0.0f, 1.0f), std::clamp(viewer.BackgroundColor.g, 0.0f, 1.0f),
                 std::clamp(viewer.BackgroundColor.b, 0.0f, 1.0f), 1.0f);
    gl.Reset();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    nothingDrawn = true;
    clearColor = glm::clamp(glm::vec3(viewer.BackgroundColor), glm::vec3(0.0f), glm::vec3(1.0f));

    const glm::vec3 fogColor(Clamp01(viewer.FogColor));
    batch.SetWorld(vp.ViewProjection, vp.View);
    batch.SetScreen(width, height);
    batch.SetFog(viewer.FogEnabled, viewer.FogStart, viewer.FogEnd, fogColor);
    meshes.BeginFrame(vp.View, vp.Projection, viewer.FogEnabled, viewer.FogStart, viewer.FogEnd, fogColor,
                      glm::vec3(Clamp01(viewer.AmbientColor)));
    meshes.SetLights(lights.data(), lightCount);

    switch (scene.ObjectsSorting) {
    case TGLObjectsSorting::None:
        DrawPass(Pass::All);
        break;
    case TGLObjectsSorting::RenderBlendedLast:
        DrawPass(Pass::Opaque);
        DrawPass(Pass::Blended);
        break;
    case TGLObjectsSorting::RenderFarthestFirst:
        blendedOrder.clear();
        DrawPass(Pass::Opaque);
        for (const DrawItem& item : world)
            if (item.blended) blendedOrder.push_back(item.order);
        std::sort(blendedOrder.begin(), blendedOrder.end(), [this](std::uint32_t a, std::uint32_t b) {
            const float da = world[a].depth, db = world[b].depth;
            return da != db ? da > db : a < b;
        });
        for (std::uint32_t index : blendedOrder) DrawWorldItem(world[index]);
        break;
    }
    for (const TGLBaseSceneObject* object : hud) DrawHud(*object);
    batch.Flush();

    stats.drawCalls += batch.DrawCalls() + meshes.DrawCalls() + meshes.DepthDraws() + clouds.DrawCalls();
    stats.batchedPrimitives = batch.Primitives();
    stats.meshDraws = meshes.DrawCalls();
    stats.textureUploads += textures.Uploads();
    stats.meshUploads = meshes.Uploads();

    Layer(PixelLayer::Overlays);  // the copy into the window, when the frame went through a target
    CopyToWindow();
    pixels.EndFrame();

    textures.EndFrame(time);
    meshes.EndFrame(time);
    // Blur pictures of overlays that are no longer drawn are let go after a while.
    for (auto it = blurs.begin(); it != blurs.end();) {
        if (time - it->second.lastUsed > 10.0 || time < it->second.lastUsed)
            it = blurs.erase(it);
        else
            ++it;
    }
    if (blurs.empty()) windowHalf.Release();  // the half-size copy serves only blur overlays
}

void Renderer::Impl::CopyToWindow() {
    if (offscreen || inWindow) return;
    int dw = 0, dh = 0;
    SDL_GL_GetDrawableSize(context.Window(), &dw, &dh);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, frame.Framebuffer());
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glViewport(0, 0, dw, dh);
    const bool bars = box.Width != dw || box.Height != dh;
    if (bars) {
        // Black bars beside (or above and below) the picture.
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    // The frame was drawn at the letterbox's own size: copied pixel for pixel. The window's y runs
    // upwards, the letterbox's downwards.
    const int y0 = dh - box.Y - box.Height;
    glBlitFramebuffer(0, 0, box.Width, box.Height, box.X, y0, box.X + box.Width, y0 + box.Height, GL_COLOR_BUFFER_BIT,
                      GL_NEAREST);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    if (windowHasDepth && !bars) NoteForProbe(dw, dh);
}

void Renderer::Impl::DrawPass(Pass pass) {
    auto inPass = [pass](const DrawItem& item) {
        return pass == Pass::All || (pass == Pass::Blended) == item.blended;
    };
    for (std::size_t i = 0; i < world.size(); ++i) {
        const DrawItem& item = world[i];
        if (!inPass(item)) continue;
        if (item.object->Kind != TObjectKind::SkyBox) {
            DrawWorldItem(item);
            continue;
        }
        // Cloud planes that follow each other in this pass are drawn as one stack.
        std::array<CloudLayer, CloudStack::kMaxLayers> layers;
        int count = 0, boxes = 0;
        // Collects the boxes from `from` on into layers[count..]; returns where the run ended.
        auto collect = [&](std::size_t from, int& layerCount, int& boxCount) {
            std::size_t j = from;
            for (; j < world.size(); ++j) {
                if (!inPass(world[j])) continue;
                if (world[j].object->Kind != TObjectKind::SkyBox) break;
                CloudLayer layer;
                bool empty = false;
                if (!CloudLayerOf(static_cast<const TGLSkyBox&>(*world[j].object), world[j].world, layer, empty)) break;
                if (!empty) {
                    if (layerCount == CloudStack::kMaxLayers) break;
                    layers[static_cast<std::size_t>(layerCount++)] = layer;
                }
                ++boxCount;
            }
            return j;
        };
        const std::size_t j = collect(i, count, boxes);
        if (boxes == 0) {  // a box the stack cannot take: drawn the plain way
            DrawWorldItem(item);
            continue;
        }
        stats.objectsDrawn += boxes;
        if (count > 0 && nothingDrawn) {
            // The backdrop behind opaque bodies (the planet between the space plane and the planes
            // above it): the bodies are drawn first, then every pixel nothing covers gets all the
            // planes in one pass and every pixel a body covers gets only the planes above it, told
            // apart by the depth buffer. Each backdrop pixel is shaded once instead of twice; the
            // colours are those of drawing the planes, the bodies and the planes in turn.
            std::size_t k = j;
            int bodies = 0;
            for (; k < world.size(); ++k) {
                if (!inPass(world[k])) continue;
                if (!IsOpaqueBody(world[k])) break;
                ++bodies;
            }
            int upper = count, upperBoxes = 0;
            const std::size_t end =
                bodies > 0 && k < world.size() && world[k].object->Kind == TObjectKind::SkyBox
                    ? collect(k, upper, upperBoxes)
                    : k;
            if (upperBoxes > 0 && upper > count) {
                // The pass over the bodies needs only the rectangle they cover on screen.
                int rect[4];
                const bool bounded = BodiesOnScreen(j, k, inPass, rect);
                // Bodies that cover little of the window (a planet) are drawn over planes drawn
                // everywhere: a depth test on every pixel costs more than shading the few pixels
                // twice. Bodies that cover much of it (a hull) go first and the planes fill only
                // the pixels they left empty.
                const bool planesFirst =
                    bounded && std::int64_t(rect[2]) * rect[3] * 5 <= std::int64_t(box.Width) * box.Height;
                batch.Flush();
                stats.objectsDrawn += upperBoxes;
                Layer(PixelLayer::Backdrop);
                // Both passes end with the same soft planes: composed once, at half size.
                upper = FoldSoftPlanes(layers, count, upper);
                if (planesFirst) clouds.Draw(layers.data(), upper, true, clearColor, CloudStack::Pixels::All);
                for (std::size_t b = j; b < k; ++b)
                    if (inPass(world[b])) DrawWorldItem(world[b]);
                batch.Flush();
                Layer(PixelLayer::Backdrop);
                if (!planesFirst) clouds.Draw(layers.data(), upper, true, clearColor, CloudStack::Pixels::Empty);
                if (bounded) {
                    glEnable(GL_SCISSOR_TEST);
                    glScissor(rect[0], rect[1], rect[2], rect[3]);
                }
                clouds.Draw(layers.data() + count, upper - count, false, clearColor, CloudStack::Pixels::Covered);
                if (bounded) glDisable(GL_SCISSOR_TEST);
                nothingDrawn = false;
                i = end - 1;
                continue;
            }
        }
        if (count > 0) {
            batch.Flush();
            Layer(PixelLayer::Backdrop);
            count = FoldSoftPlanes(layers, 0, count);
            clouds.Draw(layers.data(), count, nothingDrawn, clearColor);
            nothingDrawn = false;
        }
        i = j - 1;
    }
}

int Renderer::Impl::FoldSoftPlanes(std::array<CloudLayer, CloudStack::kMaxLayers>& layers, int lowest, int count) {
    if (!halfSizeSoftPlanes) return count;
    int first = count;
    while (first > lowest && layers[static_cast<std::size_t>(first - 1)].soft) --first;
    if (count - first < 2) return count;  // one soft plane: sampled once either way
    CloudLayer composed;
    const bool made = clouds.ComposeHalf(layers.data() + first, count - first, box.Width, box.Height, composed);
    BindFrame();
    if (!made) return count;
    layers[static_cast<std::size_t>(first)] = composed;
    return first + 1;
}

void Renderer::Impl::BindFrame() {
    if (inWindow) {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glViewport(0, 0, box.Width, box.Height);
    } else {
        frame.Bind();
    }
}

template <typename InPass>
bool Renderer::Impl::BodiesOnScreen(std::size_t from, std::size_t to, const InPass& inPass, int rect[4]) const {
    glm::vec2 lo(1.0f), hi(-1.0f);
    for (std::size_t b = from; b < to; ++b) {
        if (!inPass(world[b])) continue;
        if (world[b].object->Kind != TObjectKind::Sphere) return false;  // a mesh: the whole window
        const auto& sphere = static_cast<const TGLSphere&>(*world[b].object);
        const glm::mat4& m = world[b].world;
        const float scale = std::max({glm::length(glm::vec3(m[0])), glm::length(glm::vec3(m[1])),
                                      glm::length(glm::vec3(m[2]))});
        const float r = std::abs(sphere.Radius) * scale;
        const glm::vec3 c(m[3]);
        for (int corner = 0; corner < 8; ++corner) {
            const glm::vec3 p = c + r * glm::vec3(corner & 1 ? 1 : -1, corner & 2 ? 1 : -1, corner & 4 ? 1 : -1);
            const glm::vec4 clip = vp.ViewProjection * glm::vec4(p, 1.0f);
            if (!(clip.w > 1e-6f)) return false;  // reaches behind the camera
            const glm::vec2 ndc = glm::vec2(clip) / clip.w;
            lo = glm::min(lo, ndc);
            hi = glm::max(hi, ndc);
        }
    }
    if (!(std::isfinite(lo.x) && std::isfinite(lo.y) && std::isfinite(hi.x) && std::isfinite(hi.y))) return false;
    lo = glm::clamp(lo, glm::vec2(-1.0f), glm::vec2(1.0f));
    hi = glm::clamp(hi, glm::vec2(-1.0f), glm::vec2(1.0f));
    const auto px = [](float ndc, int size) { return (ndc * 0.5f + 0.5f) * static_cast<float>(size); };
    const int x0 = std::max(0, static_cast<int>(std::floor(px(lo.x, box.Width))) - 1);
    const int y0 = std::max(0, static_cast<int>(std::floor(px(lo.y, box.Height))) - 1);
    const int x1 = std::min(box.Width, static_cast<int>(std::ceil(px(hi.x, box.Width))) + 1);
    const int y1 = std::min(box.Height, static_cast<int>(std::ceil(px(hi.y, box.Height))) + 1);
    rect[0] = x0;
    rect[1] = y0;
    rect[2] = std::max(0, x1 - x0);
    rect[3] = std::max(0, y1 - y0);
    return true;
}

bool Renderer::Impl::IsOpaqueBody(const DrawItem& item) {
    if (item.blended) return false;
    if (item.object->Kind == TObjectKind::Sphere)
        return static_cast<const TGLSphere&>(*item.object).Material.Effective().BlendingMode == TBlendingMode::Opaque;
    if (item.object->Kind != TObjectKind::FreeForm) return false;
    const auto& f = static_cast<const TGLFreeForm&>(*item.object);
    for (std::size_t g = 0; g < f.Mesh.Groups.size(); ++g)
        if (GroupMaterial(f, g, nullptr).BlendingMode != TBlendingMode::Opaque) return false;
    return true;
}

bool Renderer::Impl::CloudLayerOf(const TGLSkyBox& s, const glm::mat4& matrix, CloudLayer& layer, bool& empty) {
    empty = true;
    if (!s.MaterialLibrary) return true;
    for (const std::string* face : {&s.MatNameTop, &s.MatNameBottom, &s.MatNameLeft, &s.MatNameRight,
                                    &s.MatNameFront, &s.MatNameBack})
        if (!face->empty() && s.MaterialLibrary->LibMaterialByName(*face)) return false;
    if (s.MatNameClouds.empty()) return true;
    const TGLLibMaterial* lib = s.MaterialLibrary->LibMaterialByName(s.MatNameClouds);
    if (!lib) return true;  // a name the library does not have shows nothing
    const TGLMaterialProps& m = lib->Material;
    if (m.BlendingMode != TBlendingMode::Transparency && m.BlendingMode != TBlendingMode::Additive) return false;

    // The plane's corners in normalised device coordinates: it must face the camera (one depth for
    // all four) and cover the whole window.
    glm::mat4 box = matrix;
    box[3] = glm::vec4(vp.CameraPosition, 1.0f);
    box = glm::scale(box, glm::vec3(vp.FarPlane * 0.5f));
    const float h = s.CloudsPlaneSize * 0.5f, y = s.CloudsPlaneOffset;
    const glm::vec3 corners[4] = {{-h, y, -h}, {h, y, -h}, {h, y, h}, {-h, y, h}};
    glm::vec2 ndc[4];
    float w0 = 0.0f;
    for (int k = 0; k < 4; ++k) {
        const glm::vec4 clip = vp.ViewProjection * (box * glm::vec4(corners[k], 1.0f));
        if (k == 0) w0 = clip.w;
        if (!(clip.w > 1e-6f) || std::abs(clip.w - w0) > 1e-4f * std::abs(w0)) return false;
        ndc[k] = glm::vec2(clip) / clip.w;
    }
    // (s, t) = M (p - ndc0): corner 1 is s = 1, corner 3 is t = 1.
    const glm::mat2 edges(ndc[1] - ndc[0], ndc[3] - ndc[0]);
    const float det = glm::determinant(edges);
    if (!(std::abs(det) > 1e-12f)) return false;
    const glm::mat2 inv = glm::inverse(edges);
    for (const glm::vec2 p : {glm::vec2(-1, -1), glm::vec2(1, -1), glm::vec2(1, 1), glm::vec2(-1, 1)}) {
        const glm::vec2 st = inv * (p - ndc[0]);
        if (st.x < -1e-4f || st.x > 1.0001f || st.y < -1e-4f || st.y > 1.0001f) return false;
    }
    const glm::vec2 scale = m.TextureScale, offset = m.TextureOffset;
    const glm::vec2 c = -(inv * ndc[0]);
    // u = s · scale.x + offset.x; v = 1 - (t · scale.y + offset.y), v counted from the picture's top.
    layer.u = glm::vec3(scale.x * inv[0][0], scale.x * inv[1][0], scale.x * c.x + offset.x);
    layer.v = glm::vec3(-scale.y * inv[0][1], -scale.y * inv[1][1], 1.0f - (scale.y * c.y + offset.y));

    // A plane whose texels each cover a pixel or more is read without mipmaps: they would only cost.
    // One whose texels cover two pixels or more is soft enough to be composed at half size.
    GLenum minFilter = 0;
    layer.soft = true;  // no picture: one colour
    if (const TGLImage* image = m.Texture.HasImage() && !m.Texture.Disabled ? m.Texture.Image(false) : nullptr) {
        const float vw = static_cast<float>(std::max(vp.ViewportWidth, 1)),
                    vh = static_cast<float>(std::max(vp.ViewportHeight, 1));
        const float tw = static_cast<float>(image->Data.Width), th = static_cast<float>(image->Data.Height);
        const glm::vec2 alongX(layer.u.x * 2.0f / vw * tw, layer.v.x * 2.0f / vw * th);
        const glm::vec2 alongY(layer.u.y * 2.0f / vh * tw, layer.v.y * 2.0f / vh * th);
        const float texelsPerPixel = std::max(glm::length(alongX), glm::length(alongY));
        if (texelsPerPixel <= 1.0f) minFilter = GL_LINEAR;
        layer.soft = texelsPerPixel <= 0.5f;
    }
    const GLuint texture = TextureOf(m.Texture, nullptr, minFilter);
    const bool replace = texture != textures.White() && m.Texture.TextureMode == TGLTextureMode::Replace;
    const auto& front = m.FrontProperties;
    const glm::vec4 color = Clamp01(glm::vec4(glm::vec3(front.Diffuse) + glm::vec3(front.Emission), front.Diffuse.a));
    layer.texture = texture;
    layer.color = replace ? glm::vec4(1.0f, 1.0f, 1.0f, color.a) : color;
    layer.additive = m.BlendingMode == TBlendingMode::Additive;
    empty = false;
    return true;
}

void Renderer::Impl::DrawWorldItem(const DrawItem& item) {
    nothingDrawn = false;
    ++stats.objectsDrawn;
    const TGLBaseSceneObject& o = *item.object;
    if (pixels.Active()) {
        switch (o.Kind) {
        case TObjectKind::SkyBox: Layer(PixelLayer::Backdrop); break;
        case TObjectKind::FreeForm:
        case TObjectKind::Sphere: Layer(PixelLayer::Bodies); break;
        case TObjectKind::Blur: Layer(PixelLayer::Overlays); break;
        default: Layer(PixelLayer::Sprites); break;
        }
    }
    switch (o.Kind) {
    case TObjectKind::Sprite: DrawSprite(static_cast<const TGLSprite&>(o), item.world); break;
    case TObjectKind::AnimatedSprite: DrawAnimatedSprite(static_cast<const TGLAnimatedSprite&>(o), item.world); break;
    case TObjectKind::Polygon: DrawPolygon(static_cast<const TGLPolygon&>(o), item.world); break;
    case TObjectKind::FreeForm: DrawFreeForm(static_cast<const TGLFreeForm&>(o), item.world); break;
    case TObjectKind::Sphere: DrawSphere(static_cast<const TGLSphere&>(o), item.world); break;
    case TObjectKind::SkyBox: DrawSkyBox(static_cast<const TGLSkyBox&>(o), item.world); break;
    case TObjectKind::Blur: DrawBlur(static_cast<const TGLBlur&>(o)); break;
    case TObjectKind::ParticleFXRenderer: DrawParticles(static_cast<const TGLParticleFXRenderer&>(o)); break;
    case TObjectKind::LensFlare: DrawLensFlare(static_cast<const TGLLensFlare&>(o), item.world); break;
    default: --stats.objectsDrawn; break;
    }
}

void Renderer::Impl::DrawHud(const TGLBaseSceneObject& object) {
    ++stats.objectsDrawn;
    Layer(PixelLayer::Hud);
    if (object.Kind == TObjectKind::HUDSprite)
        DrawHudSprite(static_cast<const TGLHUDSprite&>(object));
    else
        DrawHudText(static_cast<const TGLHUDText&>(object));
}

// ---------------------------------------------------------------------------------------------
// World kinds

void Renderer::Impl::DrawSprite(const TGLSprite& s, const glm::mat4& matrix) {
    Look look = LookOf(s.Material.Effective(), s.DrawAlpha());
    glm::vec3 c[4];
    SpriteCorners(vp, matrix, s.Width, s.Height, s.Rotation, c);
    const std::uint32_t rgba = Pack(look.color);
    look.state.depthTest = !s.NoDepthTest;
    // Blended sprites never write depth: their faint and black (additive) texels would cut their
    // rectangle out of the particles and sprites behind them drawn after them.
    look.state.depthWrite = !s.NoZWrite && !look.blended;
    look.state.fog = true;
    look.state.space = BatchSpace::World;
    if (look.outline && look.outline->trimmed) {
        // Only the part of the square where the picture shows: the same pixels come out, fewer are
        // shaded. The outline is in texture coordinates; the square spans s (right) and t (up).
        ++stats.objectsTrimmed;
        const SpriteOutline& outline = *look.outline;
        if (outline.count != 4) return;  // nothing of the picture shows
        const glm::vec3 centre = (c[0] + c[2]) * 0.5f, rx = (c[1] - c[0]) * 0.5f, uy = (c[3] - c[0]) * 0.5f;
        BatchVertex v[4];
        for (int k = 0; k < 4; ++k) {
            const glm::vec2 uv = outline.uv[k];
            const float ss = s.MirrorU ? 1.0f - uv.x : uv.x;
            const float tt = s.MirrorV ? uv.y : 1.0f - uv.y;
            v[k] = Vertex(centre + rx * (2.0f * ss - 1.0f) + uy * (2.0f * tt - 1.0f), uv.x, uv.y, rgba);
        }
        batch.SetState(look.state);
        batch.AddQuad(v);
        return;
    }
    float s0 = 0, s1 = 1, t0 = 0, t1 = 1;
    if (s.MirrorU) std::swap(s0, s1);
    if (s.MirrorV) std::swap(t0, t1);
    BatchVertex v[4];
    QuadVertices(c, look.uv, s0, s1, t0, t1, rgba, v);
    batch.SetState(look.state);
    batch.AddQuad(v);
}

void Renderer::Impl::DrawAnimatedSprite(const TGLAnimatedSprite& s, const glm::mat4& matrix) {
    float u0, v0, u1, v1;
    if (!s.FrameTexRect(u0, v0, u1, v1)) return;
    const TGLLibMaterial* lib = s.CurrentLibMaterial();
    const TGLMaterialProps& props = lib ? lib->Material : s.Material.Effective();
    const float alpha = s.AlphaChannel.Value() != 1.0f ? s.AlphaChannel.Value() : props.FrontProperties.Diffuse.a;
    Look look = LookOf(props, alpha);
    glm::vec3 c[4];
    SpriteCorners(vp, matrix, s.SpriteWidth(), s.SpriteHeight(), s.Rotation, c);
    if (s.MirrorU) std::swap(u0, u1);
    if (s.MirrorV) std::swap(v0, v1);
    const std::uint32_t rgba = Pack(look.color);
    // The frame rectangle already counts v from the top: bottom corners take v1.
    const BatchVertex v[4] = {Vertex(c[0], u0, v1, rgba), Vertex(c[1], u1, v1, rgba), Vertex(c[2], u1, v0, rgba),
                              Vertex(c[3], u0, v0, rgba)};
    look.state.depthTest = true;
    look.state.depthWrite = !look.blended;
    look.state.fog = true;
    look.state.space = BatchSpace::World;
    batch.SetState(look.state);
    batch.AddQuad(v);
}

void Renderer::Impl::DrawPolygon(const TGLPolygon& p, const glm::mat4& matrix) {
    const TGLMaterialProps& props = p.Material.Effective();
    Look look = LookOf(props, props.FrontProperties.Diffuse.a);
    // Texture coordinates span the nodes' bounding rectangle in the polygon's plane: the two local
    // axes along which the nodes spread most (x before y before z).
    glm::vec3 lo(p.Nodes[0]), hi(p.Nodes[0]);
    for (const glm::vec3& n : p.Nodes) {
        lo = glm::min(lo, n);
        hi = glm::max(hi, n);
    }
    const glm::vec3 extent = hi - lo;
    int flat = 2;  // the axis the polygon is flat along
    if (extent.x <= extent.y && extent.x <= extent.z) flat = 0;
    else if (extent.y <= extent.x && extent.y <= extent.z) flat = 1;
    const int a = flat == 0 ? 1 : 0;
    const int b = flat == 2 ? 1 : 2;
    const float ea = extent[a] > 0 ? extent[a] : 1.0f, eb = extent[b] > 0 ? extent[b] : 1.0f;
    const std::uint32_t rgba = Pack(look.color);
    constexpr std::size_t kMaxNodes = 256;
    std::array<BatchVertex, kMaxNodes> v;
    const std::size_t n = std::min(p.Nodes.size(), kMaxNodes);
    for (std::size_t i = 0; i < n; ++i) {
        const glm::vec3& node = p.Nodes[i];
        float u, w;
        look.uv.At((node[a] - lo[a]) / ea, (node[b] - lo[b]) / eb, u, w);
        v[i] = Vertex(glm::vec3(matrix * glm::vec4(node, 1.0f)), u, w, rgba);
    }
    look.state.depthTest = true;
    look.state.depthWrite = !look.blended;
    look.state.fog = true;
    look.state.space = BatchSpace::World;
    batch.SetState(look.state);
    batch.AddFan(v.data(), n);
}

void Renderer::Impl::DrawFreeForm(const TGLFreeForm& f, const glm::mat4& matrix) {
    const MeshBuffers* buffers = meshes.Buffers(&f, f.MeshVersion(), f.Mesh);
    if (!buffers) return;
    batch.Flush();
    const std::size_t groups = std::min(f.Mesh.Groups.size(), buffers->groups.size());
    // The opaque groups' depth first (runs of consecutive groups in one draw), then everything
    // shaded: where the mesh's faces lie over one another only the nearest is shaded.
    for (std::size_t g = 0; g < groups;) {
        if (GroupMaterial(f, g, nullptr).BlendingMode != TBlendingMode::Opaque) {
            ++g;
            continue;
        }
        std::size_t n = 1;
        while (g + n < groups && GroupMaterial(f, g + n, nullptr).BlendingMode == TBlendingMode::Opaque) ++n;
        meshes.DrawDepth(*buffers, g, n, matrix);
        g += n;
    }
    for (std::size_t g = 0; g < groups; ++g) {
        const TGLLibMaterial* lib = nullptr;
        const TGLMaterialProps& props = GroupMaterial(f, g, &lib);
        meshes.Draw(*buffers, g, matrix, SurfaceOf(props, lib));
    }
}

const TGLMaterialProps& Renderer::Impl::GroupMaterial(const TGLFreeForm& f, std::size_t group,
                                                      const TGLLibMaterial** libOut) {
    const std::string& name = f.Mesh.Groups[group].MaterialName;
    const TGLLibMaterial* lib = nullptr;
    if (f.MaterialLibrary && !name.empty()) lib = f.MaterialLibrary->LibMaterialByName(name);
    if (!lib) lib = f.Material.LibMaterial();
    if (libOut) *libOut = lib;
    return lib ? lib->Material : f.Material.Effective();
}

void Renderer::Impl::DrawSphere(const TGLSphere& s, const glm::mat4& matrix) {
    const MeshBuffers* buffers = meshes.Sphere(s.Slices);
    if (!buffers || !(s.Radius > 0.0f)) return;
    batch.Flush();
    const glm::mat4 model = glm::scale(matrix, glm::vec3(s.Radius));
    meshes.Draw(*buffers, 0, model, SurfaceOf(s.Material.Effective(), s.Material.LibMaterial()));
}

void Renderer::Impl::DrawSkyBox(const TGLSkyBox& s, const glm::mat4& matrix) {
    if (!s.MaterialLibrary) return;
    // The box keeps the object's orientation but is centred on the camera, half the view depth in
    // size, so it never comes nearer than the near plane nor farther than the far one.
    glm::mat4 box = matrix;
    box[3] = glm::vec4(vp.CameraPosition, 1.0f);
    box = glm::scale(box, glm::vec3(vp.FarPlane * 0.5f));
    auto emit = [&](const std::string& materialName, const glm::vec3 (&corners)[4]) {
        if (materialName.empty()) return;
        const TGLLibMaterial* lib = s.MaterialLibrary->LibMaterialByName(materialName);
        if (!lib) return;  // a name the library does not have shows nothing
        Look look = LookOf(lib->Material, lib->Material.FrontProperties.Diffuse.a);
        const std::uint32_t rgba = Pack(look.color);
        const float st[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
        BatchVertex v[4];
        for (int i = 0; i < 4; ++i) {
            float u, w;
            look.uv.At(st[i][0], st[i][1], u, w);
            v[i] = Vertex(glm::vec3(box * glm::vec4(corners[i], 1.0f)), u, w, rgba);
        }
        look.state.depthTest = false;
        look.state.depthWrite = false;
        look.state.fog = false;
        look.state.space = BatchSpace::World;
        batch.SetState(look.state);
        batch.AddQuad(v);
    };
    // Faces of the unit box, each listed bottom-left, bottom-right, top-right, top-left as seen
    // from inside.
    const glm::vec3 top[4] = {{-1, 1, 1}, {1, 1, 1}, {1, 1, -1}, {-1, 1, -1}};
    const glm::vec3 bottom[4] = {{-1, -1, -1}, {1, -1, -1}, {1, -1, 1}, {-1, -1, 1}};
    const glm::vec3 left[4] = {{-1, -1, 1}, {-1, -1, -1}, {-1, 1, -1}, {-1, 1, 1}};
    const glm::vec3 right[4] = {{1, -1, -1}, {1, -1, 1}, {1, 1, 1}, {1, 1, -1}};
    const glm::vec3 front[4] = {{1, -1, 1}, {-1, -1, 1}, {-1, 1, 1}, {1, 1, 1}};
    const glm::vec3 back[4] = {{-1, -1, -1}, {1, -1, -1}, {1, 1, -1}, {-1, 1, -1}};
    emit(s.MatNameTop, top);
    emit(s.MatNameBottom, bottom);
    emit(s.MatNameLeft, left);
    emit(s.MatNameRight, right);
    emit(s.MatNameFront, front);
    emit(s.MatNameBack, back);
    // The clouds: a square plane CloudsPlaneSize across at height CloudsPlaneOffset.
    const float h = s.CloudsPlaneSize * 0.5f, y = s.CloudsPlaneOffset;
    const glm::vec3 clouds[4] = {{-h, y, -h}, {h, y, -h}, {h, y, h}, {-h, y, h}};
    emit(s.MatNameClouds, clouds);
}

void Renderer::Impl::DrawBlur(const TGLBlur& b) {
    const int rw = std::clamp(b.RenderWidth, 1, 4096), rh = std::clamp(b.RenderHeight, 1, 4096);
    BlurState& state = blurs[&b];
    state.lastUsed = now;
    batch.Flush();  // everything beneath the blur is in the frame before it is looked at
    if (state.target.Width() != rw || state.target.Height() != rh) {
        state.valid = false;
        std::string error;
        const bool made = state.target.Ensure(rw, rh, false, error);
        BindFrame();
        if (!made) return;
    }
    if (state.valid) {
        // The kept picture over the whole window, pulled outwards by the insets: each refresh takes
        // in the previous overlay, so moving things leave fading, stretching trails.
        const TGLMaterialProps& props = b.Material.Effective();
        Look look = LookOf(props, b.DrawAlpha());
        look.state.texture = state.target.Color();
        look.state.replace = false;
        look.state.depthTest = false;
        look.state.depthWrite = false;
        look.state.fog = false;
        look.state.space = BatchSpace::Clip;
        const std::uint32_t rgba = Pack(look.color);
        const float u0 = b.BlurLeft, u1 = 1.0f - b.BlurRight, v0 = b.BlurBottom, v1 = 1.0f - b.BlurTop;
        const BatchVertex v[4] = {{-1, -1, 0, u0, v0, rgba}, {1, -1, 0, u1, v0, rgba}, {1, 1, 0, u1, v1, rgba},
                                  {-1, 1, 0, u0, v1, rgba}};
        batch.SetState(look.state);
        batch.AddQuad(v);
        batch.Flush();
    }
    if (!state.valid || now - state.lastCapture >= b.BlurDeltaTime || now < state.lastCapture) {
        // Refresh: shrink the frame as drawn so far into the blur's picture. A frame in the window's
        // back buffer cannot be sampled: it is halved into a picture first (a 2:1 linear copy
        // averages each 2 x 2 block), which the taps below then shrink as they would the frame.
        GLuint source = frame.Color();
        if (inWindow) {
            std::string error;
            const bool made = windowHalf.Ensure((box.Width + 1) / 2, (box.Height + 1) / 2, false, error);
            if (!made) {
                BindFrame();
                return;
            }
            glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
            glBindFramebuffer(GL_DRAW_FRAMEBUFFER, windowHalf.Framebuffer());
            glBlitFramebuffer(0, 0, box.Width, box.Height, 0, 0, windowHalf.Width(), windowHalf.Height(),
                              GL_COLOR_BUFFER_BIT, GL_LINEAR);
            source = windowHalf.Color();
        }
        state.target.Bind();
        gl.SetBlend(BlendMode::Opaque);
        gl.SetDepthTest(false);
        downsample.Use();
        glUniform2f(downsampleStep, 1.0f / static_cast<float>(rw) / 3.0f, 1.0f / static_cast<float>(rh) / 3.0f);
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_2D, source);
        glBindVertexArray(fullScreenVao);
        glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
        glBindVertexArray(0);
        BindFrame();
        state.lastCapture = now;
        state.valid = true;
        ++stats.drawCalls;
    }
}

GLuint Renderer::Impl::NoiseTextureOf(const TGLPerlinPFXManager& m) {
    NoiseTexture& n = noiseTextures[&m];
    const int size = 1 << std::clamp(m.TexMapSize, 3, 9);
    const float amplitude = std::clamp(static_cast<float>(m.NoiseAmplitude) / 100.0f, 0.0f, 1.0f);
    if (n.texture && n.size == size && n.seed == static_cast<std::uint32_t>(m.NoiseSeed) && n.amplitude == amplitude &&
        n.smoothness == m.Smoothness && n.brightness == m.Brightness && n.gamma == m.Gamma)
        return n.texture;
    const std::vector<std::uint8_t> pixels = procedural::NoisePuff(size, static_cast<std::uint32_t>(m.NoiseSeed),
                                                                   amplitude, m.Smoothness, m.Brightness, m.Gamma);
    if (!n.texture) glGenTextures(1, &n.texture);
    glBindTexture(GL_TEXTURE_2D, n.texture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, size, size, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    n.size = size;
    n.seed = static_cast<std::uint32_t>(m.NoiseSeed);
    n.amplitude = amplitude;
    n.smoothness = m.Smoothness;
    n.brightness = m.Brightness;
    n.gamma = m.Gamma;
    ++stats.textureUploads;
    return n.texture;
}

void Renderer::Impl::DrawParticles(const TGLParticleFXRenderer& r) {
    const glm::vec3 right = vp.CameraRight, up = vp.CameraUp;
    for (const TGLParticleFXManager* m : r.Managers()) {
        if (!m || m->ParticleCount() == 0) continue;
        BatchState state;
        state.blend = m->Additive ? BlendMode::Additive : BlendMode::Transparency;
        state.alphaRef = 0.0f;
        state.depthTest = true;
        state.depthWrite = false;
        state.fog = true;
        state.space = BatchSpace::World;
        state.texture = textures.White();
        int sides = 8;
        bool textured = false;
        if (m->MaterialLibrary && !m->MaterialName.empty()) {
            if (const TGLLibMaterial* lib = m->MaterialLibrary->LibMaterialByName(m->MaterialName)) {
                state.texture = TextureOf(lib->Material.Texture);
                textured = state.texture != textures.White();
            }
        }
        if (!textured && m->ManagerKind == TPFXManagerKind::Perlin) {
            state.texture = NoiseTextureOf(static_cast<const TGLPerlinPFXManager&>(*m));
            textured = true;
        }
        if (m->ManagerKind == TPFXManagerKind::Polygon)
            sides = std::clamp(static_cast<const TGLPolygonPFXManager&>(*m).NbSides, 3, 64);
        batch.SetState(state);
        // A textured particle is an octagon around the texture's inscribed circle; a polygon
        // particle a regular polygon whose centre and rim take the inner and outer colours.
        const float rimScale = textured ? 1.0f / std::cos(kPi / sides) : 1.0f;
        std::array<BatchVertex, 66> v;
        for (std::size_t i = 0, n = m->ParticleCount(); i < n; ++i) {
            const TGLParticle& p = m->Particle(i);
            TColor inner, outer;
            float size = 0.0f;
            m->ComputeLook(p, inner, outer, size);
            if (!(size > 0.0f)) continue;
            const std::uint32_t cin = Pack(Clamp01(inner)), cout = Pack(Clamp01(outer));
            const float radius = size * 0.5f * rimScale;
            v[0] = Vertex(p.Position, 0.5f, 0.5f, cin);
            const float start = p.Rotation * kPi / 180.0f;
            for (int k = 0; k <= sides; ++k) {
                const float angle = start + 2.0f * kPi * static_cast<float>(k) / sides;
                const float ca = std::cos(angle), sa = std::sin(angle);
                const glm::vec3 pos = p.Position + (right * ca + up * sa) * radius;
                v[static_cast<std::size_t>(k) + 1] =
                    Vertex(pos, 0.5f + 0.5f * ca * rimScale, 0.5f - 0.5f * sa * rimScale, cout);
            }
            batch.AddFan(v.data(), static_cast<std::size_t>(sides) + 2);
            ++stats.particlesDrawn;
        }
    }
}

void Renderer::Impl::Fan(const glm::vec2& centre, float rx, float ry, int sides, float rotation, std::uint32_t inner,
                         std::uint32_t outer) {
    std::array<BatchVertex, 66> v;
    sides = std::clamp(sides, 3, 64);
    v[0] = Vertex(centre, 0.5f, 0.5f, inner);
    for (int k = 0; k <= sides; ++k) {
        const float angle = rotation + 2.0f * kPi * static_cast<float>(k) / sides;
        v[static_cast<std::size_t>(k) + 1] =
            Vertex(centre + glm::vec2(std::cos(angle) * rx, std::sin(angle) * ry), 0.5f, 0.5f, outer);
    }
    batch.AddFan(v.data(), static_cast<std::size_t>(sides) + 2);
}

void Renderer::Impl::DrawLensFlare(const TGLLensFlare& f, const glm::mat4& matrix) {
    glm::vec3 win;
    if (!WorldToWindow(vp, glm::vec3(matrix[3]), win)) return;
    const float w = static_cast<float>(vp.ViewportWidth), h = static_cast<float>(vp.ViewportHeight);
    if (win.x < 0 || win.y < 0 || win.x > w || win.y > h) return;
    BatchState state;
    state.texture = textures.White();
    state.blend = BlendMode::Additive;
    state.alphaRef = 0.0f;
    state.depthTest = false;
    state.depthWrite = false;
    state.fog = false;
    state.space = BatchSpace::Screen;
    batch.SetState(state);
    const glm::vec2 c(win.x, win.y);
    const float size = std::max(f.Size, 0.0f);
    const float squeeze = f.Squeeze > 0 ? f.Squeeze : 1.0f;
    FlareRandom rnd{static_cast<std::uint32_t>(f.Seed)};
    auto col = [](const TColor& x) { return Pack(Clamp01(x)); };

    if (f.ShowGlow) Fan(c, size, size * squeeze, 32, 0.0f, col(f.GlowGradient.FromColor), col(f.GlowGradient.ToColor));
    if (f.ShowRays) {
        for (int i = 0; i < 24; ++i) {
            const float angle = rnd.Next() * 2.0f * kPi;
            const float length = size * (0.8f + 1.2f * rnd.Next());
            const glm::vec2 dir(std::cos(angle), std::sin(angle) * squeeze);
            const glm::vec2 side(-dir.y, dir.x);
            const std::uint32_t from = col(f.RaysGradient.FromColor), to = col(f.RaysGradient.ToColor);
            const BatchVertex v[3] = {Vertex(c + side * 0.75f, 0.5f, 0.5f, from),
                                      Vertex(c + dir * length, 0.5f, 0.5f, to),
                                      Vertex(c - side * 0.75f, 0.5f, 0.5f, from)};
            batch.AddFan(v, 3);
        }
    }
    if (f.ShowStreaks && f.NumStreaks > 0) {
        const std::uint32_t from = col(f.StreaksGradient.FromColor), to = col(f.StreaksGradient.ToColor);
        const int streaks = std::min(f.NumStreaks, 64);
        for (int i = 0; i < streaks; ++i) {
            const float angle = kPi * 0.25f + kPi * static_cast<float>(i) / streaks;
            const glm::vec2 dir(std::cos(angle) * size * 2.0f, std::sin(angle) * size * 2.0f * squeeze);
            const glm::vec2 n = glm::normalize(glm::vec2(-dir.y, dir.x)) * (std::max(f.StreakWidth, 0.5f) * 0.5f);
            // A thin diamond: bright across the middle, fading to both tips.
            const BatchVertex v[4] = {Vertex(c - dir, 0, 0, to), Vertex(c - n, 0, 0, from), Vertex(c + dir, 0, 0, to),
                                      Vertex(c + n, 0, 0, from)};
            batch.AddQuad(v);
        }
    }
    if (f.ShowRing) {
        // A thin annulus at 0.7 of the glow's size.
        const std::uint32_t from = col(f.RingGradient.FromColor), to = col(f.RingGradient.ToColor);
        const std::uint32_t clear = PackColor(0, 0, 0, 0);
        constexpr int kSegments = 48;
        for (int k = 0; k < kSegments; ++k) {
            const float a0 = 2.0f * kPi * k / kSegments, a1 = 2.0f * kPi * (k + 1) / kSegments;
            const glm::vec2 d0(std::cos(a0), std::sin(a0) * squeeze), d1(std::cos(a1), std::sin(a1) * squeeze);
            const float r0 = size * 0.62f, r1 = size * 0.7f, r2 = size * 0.78f;
            const BatchVertex in[4] = {Vertex(c + d0 * r0, 0, 0, clear), Vertex(c + d1 * r0, 0, 0, clear),
                                       Vertex(c + d1 * r1, 0, 0, from), Vertex(c + d0 * r1, 0, 0, from)};
            const BatchVertex out[4] = {Vertex(c + d0 * r1, 0, 0, from), Vertex(c + d1 * r1, 0, 0, from),
                                        Vertex(c + d1 * r2, 0, 0, to), Vertex(c + d0 * r2, 0, 0, to)};
            batch.AddQuad(in);
            batch.AddQuad(out);
        }
    }
    if (f.ShowSecondaries && f.NumSecs > 0) {
        // Reflections along the line from the flare through the window's centre.
        const glm::vec2 axis = glm::vec2(w * 0.5f, h * 0.5f) - c;
        const std::uint32_t from = col(f.SecondariesGradient.FromColor), to = col(f.SecondariesGradient.ToColor);
        const int count = std::min(f.NumSecs, 64);
        for (int i = 0; i < count; ++i) {
            const float t = 0.4f + 1.8f * rnd.Next();
            const float radius = size * (0.1f + 0.4f * rnd.Next());
            Fan(c + axis * t, radius, radius * squeeze, 16, 0.0f, from, to);
        }
    }
}

// ---------------------------------------------------------------------------------------------
// HUD kinds

void Renderer::Impl::DrawHudSprite(const TGLHUDSprite& s) {
    Look look = LookOf(s.Material.Effective(), s.DrawAlpha());
    glm::vec2 c[4];
    HUDCorners(s.Position.x, s.Position.y, s.Width, s.Height, s.Rotation, c);
    const float sx = static_cast<float>(std::max(s.XTiles, 1)), ty = static_cast<float>(std::max(s.YTiles, 1));
    float s0 = 0, s1 = sx, t0 = 0, t1 = ty;
    if (s.MirrorU) std::swap(s0, s1);
    if (s.MirrorV) std::swap(t0, t1);
    const std::uint32_t rgba = Pack(look.color);
    BatchVertex v[4];
    QuadVertices(c, look.uv, s0, s1, t0, t1, rgba, v);
    look.state.depthTest = false;
    look.state.depthWrite = false;
    look.state.fog = false;
    look.state.space = BatchSpace::Screen;
    batch.SetState(look.state);
    batch.AddQuad(v);
}

void Renderer::Impl::DrawHudText(const TGLHUDText& t) {
    const TGLBitmapFont* font = t.BitmapFont;
    if (!font || t.Text.empty() || !font->Glyphs.HasImage()) return;
    const glm::vec4 color = Clamp01(t.ModulateColor);
    if (color.a <= 0.0f) return;
    const glm::vec2 origin(t.Position.x, t.Position.y);
    const std::size_t laid = font->LayoutText(t.Text, origin, glm::vec2(t.Scale.x, t.Scale.y), t.Alignment, t.Layout,
                                              glyphs.data(), glyphs.size());
    const std::size_t count = std::min(laid, glyphs.size());
    if (count == 0) return;

    BatchState state;
    state.texture = TextureOf(font->Glyphs);
    state.blend = BlendMode::Transparency;
    state.alphaRef = 0.0f;
    state.depthTest = false;
    state.depthWrite = false;
    state.fog = false;
    state.space = BatchSpace::Screen;
    batch.SetState(state);

    // The text turns about its position the same way a HUD sprite turns about its centre.
    glm::vec2 basis[4];
    HUDCorners(0.0f, 0.0f, 2.0f, 2.0f, t.Rotation, basis);
    const glm::vec2 ex = (basis[1] - basis[0]) * 0.5f;  // screen x after the turn
    const glm::vec2 ey = (basis[0] - basis[3]) * 0.5f;  // screen y (down) after the turn
    auto place = [&](float x, float y) { return origin + ex * (x - origin.x) + ey * (y - origin.y); };
    const std::uint32_t rgba = Pack(color);
    for (std::size_t i = 0; i < count; ++i) {
        const TGlyphQuad& q = glyphs[i];
        TGlyphTexRect r;
        if (!font->GlyphTexRect(q.Glyph, r)) continue;
        const BatchVertex v[4] = {Vertex(place(q.TopLeft.x, q.BottomRight.y), r.U0, r.V1, rgba),
                                  Vertex(place(q.BottomRight.x, q.BottomRight.y), r.U1, r.V1, rgba),
                                  Vertex(place(q.BottomRight.x, q.TopLeft.y), r.U1, r.V0, rgba),
                                  Vertex(place(q.TopLeft.x, q.TopLeft.y), r.U0, r.V0, rgba)};
        batch.AddQuad(v);
    }
}

// ---------------------------------------------------------------------------------------------
// Public face

Renderer::Renderer(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
Renderer::~Renderer() = default;

std::unique_ptr<Renderer> Renderer::Create(const std::string& title, int width, int height, bool fullscreen,
                                           bool vsync, std::string* error) {
    std::string message;
    auto impl = std::make_unique<Impl>();
    if (!impl->context.Open(title, width, height, fullscreen, false, message) || !impl->Init(message)) {
        if (error) *error = message;
        return nullptr;
    }
    impl->vsync = vsync && impl->context.SetVsync(true);
    if (!vsync) impl->context.SetVsync(false);
    return std::unique_ptr<Renderer>(new Renderer(std::move(impl)));
}

std::unique_ptr<Renderer> Renderer::CreateForWindow(SDL_Window* window, bool vsync, std::string* error) {
    std::string message;
    auto impl = std::make_unique<Impl>();
    if (!impl->context.Attach(window, message) || !impl->Init(message)) {
        if (error) *error = message;
        return nullptr;
    }
    impl->vsync = vsync && impl->context.SetVsync(true);
    if (!vsync) impl->context.SetVsync(false);
    return std::unique_ptr<Renderer>(new Renderer(std::move(impl)));
}

std::unique_ptr<Renderer> Renderer::CreateOffscreen(int width, int height, std::string* error) {
    std::string message;
    auto impl = std::make_unique<Impl>();
    impl->offscreen = true;
    if (!impl->context.Open("offscreen", width, height, false, true, message) || !impl->Init(message)) {
        if (error) *error = message;
        return nullptr;
    }
    impl->context.SetVsync(false);
    return std::unique_ptr<Renderer>(new Renderer(std::move(impl)));
}

void Renderer::Render(const TGLScene& scene, int width, int height, double timeSeconds) {
    impl_->Frame(scene, width, height, timeSeconds);
}

void Renderer::Render(const TGLScene& scene, int width, int height) {
    const double seconds = static_cast<double>(SDL_GetPerformanceCounter() - impl_->clockStart) /
                           static_cast<double>(SDL_GetPerformanceFrequency());
    impl_->Frame(scene, width, height, seconds);
}

void Renderer::Present() {
    if (impl_->offscreen) return;
    impl_->context.Swap();
    impl_->presentedSinceNote = true;
}

void Renderer::Finish() { glFinish(); }

namespace {
// GL rows run bottom-up; pictures are stored top row first, opaque.
void FlipAndOpaque(TRGBAImage& image) {
    const std::size_t row = static_cast<std::size_t>(image.Width) * 4;
    std::vector<std::uint8_t> swap(row);
    for (int y = 0; y < image.Height / 2; ++y) {
        std::uint8_t* a = &image.Pixels[static_cast<std::size_t>(y) * row];
        std::uint8_t* b = &image.Pixels[static_cast<std::size_t>(image.Height - 1 - y) * row];
        std::memcpy(swap.data(), a, row);
        std::memcpy(a, b, row);
        std::memcpy(b, swap.data(), row);
    }
    for (std::size_t i = 3; i < image.Pixels.size(); i += 4) image.Pixels[i] = 255;
}
}  // namespace

TRGBAImage Renderer::ReadWindowPixels() const {
    if (impl_->offscreen) return ReadPixels();
    TRGBAImage image;
    SDL_GL_GetDrawableSize(impl_->context.Window(), &image.Width, &image.Height);
    if (image.Width <= 0 || image.Height <= 0) return {};
    image.Pixels.resize(static_cast<std::size_t>(image.Width) * image.Height * 4);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, image.Width, image.Height, GL_RGBA, GL_UNSIGNED_BYTE, image.Pixels.data());
    FlipAndOpaque(image);
    return image;
}

TLetterbox Renderer::PictureBox() const { return impl_->box; }

void Renderer::SetReadAfterPresent(bool needed) { impl_->readAfterPresent = needed; }
void Renderer::SetHalfSizeSoftPlanes(bool on) { impl_->halfSizeSoftPlanes = on; }
void Renderer::SetVertexLighting(bool on) { impl_->meshes.SetVertexLighting(on); }

TRGBAImage Renderer::ReadPixels() const {
    TRGBAImage image;
    const RenderTarget& frame = impl_->frame;
    if (impl_->inWindow) {
        // The frame is in the window's back buffer, which keeps it also after the swap (checked at
        // start, else frames are drawn there only when they are read before the swap).
        SDL_GL_GetDrawableSize(impl_->context.Window(), &image.Width, &image.Height);
        if (image.Width <= 0 || image.Height <= 0) return {};
        image.Pixels.resize(static_cast<std::size_t>(image.Width) * image.Height * 4);
        glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
        glReadBuffer(GL_BACK);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, image.Width, image.Height, GL_RGBA, GL_UNSIGNED_BYTE, image.Pixels.data());
    } else {
        if (!frame.Valid()) return image;
        image.Width = frame.Width();
        image.Height = frame.Height();
        image.Pixels.resize(static_cast<std::size_t>(image.Width) * image.Height * 4);
        glBindFramebuffer(GL_READ_FRAMEBUFFER, frame.Framebuffer());
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, image.Width, image.Height, GL_RGBA, GL_UNSIGNED_BYTE, image.Pixels.data());
        glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    }
    FlipAndOpaque(image);
    return image;
}

void Renderer::Resize(int width, int height) {
    if (width > 0 && height > 0) SDL_SetWindowSize(impl_->context.Window(), width, height);
}

void Renderer::DrawableSize(int& width, int& height) const {
    SDL_GL_GetDrawableSize(impl_->context.Window(), &width, &height);
}

bool Renderer::SetVsync(bool on) {
    const bool ok = impl_->context.SetVsync(on);
    impl_->vsync = on && ok;
    return ok;
}

bool Renderer::Vsync() const { return impl_->vsync; }

const RenderStats& Renderer::Stats() const { return impl_->stats; }

std::string Renderer::TakeGlErrors() {
    std::string text;
    for (int i = 0; i < 32; ++i) {  // a lost context may keep answering with errors
        const GLenum e = glGetError();
        if (e == GL_NO_ERROR) break;
        char code[16];
        std::snprintf(code, sizeof code, "0x%04x", static_cast<unsigned>(e));
        text += text.empty() ? "OpenGL error " : ", ";
        text += code;
    }
    return text;
}

SDL_Window* Renderer::Window() const { return impl_->context.Window(); }

std::string Renderer::Description() const {
    const GlContextInfo& info = impl_->context.Info();
    return "OpenGL " + info.version + ", " + info.renderer + ", GLSL " + std::to_string(info.glslVersion);
}

bool Renderer::CountPixels() { return impl_->pixels.Start(); }

std::string Renderer::PixelReport(int width, int height) const { return impl_->pixels.Report(width, height); }

bool Renderer::SoftwareRasterizer() const {
    return IsSoftwareRasterizer(impl_->context.Info().renderer);
}

bool IsSoftwareRasterizer(const std::string& rendererName) {
    for (const char* name : {"llvmpipe", "softpipe", "swrast", "SwiftShader", "Software Rasterizer"})
        if (rendererName.find(name) != std::string::npos) return true;
    return false;
}

} // namespace vlm::render
