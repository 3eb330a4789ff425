// Painting toolkit of the art forge: seeded random numbers, tileable gradient noise,
// float pixel buffers, Cairo surfaces, blur, glow and lettering with FreeType fonts.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vlm::forge {

// splitmix64: the only source of randomness in the forge, so every run paints the same bytes.
class Rng {
public:
    explicit Rng(uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 0x632BE59BD9B4E019ull) {}
    uint64_t next();
    double uniform();                          // [0, 1)
    double range(double lo, double hi) { return lo + (hi - lo) * uniform(); }
    int below(int n) { return n <= 0 ? 0 : static_cast<int>(next() % static_cast<uint64_t>(n)); }

private:
    uint64_t state_;
};

// Seed derived from a name, so every asset has its own stable stream.
uint64_t seedOf(const std::string& name);

struct Rgb {
    float r = 0, g = 0, b = 0;
};
Rgb hex(uint32_t rgb);
Rgb mix(Rgb a, Rgb b, float t);
Rgb scale(Rgb a, float k);
Rgb add(Rgb a, Rgb b);

float clamp01(float v);
float smoothstep(float e0, float e1, float x);

// Periodic gradient noise. Coordinates are in lattice cells; the pattern repeats every
// `period` cells on both axes (period 0: no repetition).
class Noise {
public:
    explicit Noise(uint64_t seed);
    float at(float x, float y, int period = 0) const;  // about -1..1
    // Fractal sum of `octaves` layers; with period > 0 every octave tiles on [0, period).
    float fbm(float x, float y, int octaves, int period = 0, float gain = 0.5f) const;
    float ridged(float x, float y, int octaves, int period = 0) const;  // 0..1, sharp crests

private:
    float grad(int ix, int iy, float fx, float fy, int period) const;
    uint32_t perm_[512];
};

// Linear float RGBA picture, straight (not premultiplied) alpha.
struct Picture {
    int w = 0, h = 0;
    std::vector<float> px;  // r, g, b, a per pixel
    Picture() = default;
    Picture(int width, int height, Rgb fill = {}, float alpha = 1.0f);
    float* at(int x, int y) { return &px[(static_cast<size_t>(y) * w + x) * 4]; }
    const float* at(int x, int y) const { return &px[(static_cast<size_t>(y) * w + x) * 4]; }
    void addRgb(int x, int y, Rgb c, float k = 1.0f);
};

// Owning handle of a Cairo image surface (ARGB32, premultiplied).
struct SurfaceDeleter {
    void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
struct ContextDeleter {
    void operator()(cairo_t* c) const { cairo_destroy(c); }
};
using Surface = std::unique_ptr<cairo_surface_t, SurfaceDeleter>;
using Context = std::unique_ptr<cairo_t, ContextDeleter>;

Surface newSurface(int w, int h);
Context newContext(const Surface& s);
Surface toSurface(const Picture& p);
Picture toPicture(const Surface& s);
// Resamples with Cairo's bilinear filter (smooth upscaling of half-resolution paintings).
Surface resized(const Surface& s, int w, int h);
// Blurs a surface in place (three box passes approximate a gaussian of the given radius).
void blur(const Surface& s, int radius);
// Copy of `s` blurred by `radius`, added back `times` times: a glow halo around bright shapes.
void addGlow(const Surface& dst, const Surface& src, int radius, double strength);
void paintSurface(cairo_t* cr, const Surface& s, double x, double y, double alpha = 1.0);

// Deep-space nebula painting into `p` (tileable when `tile`), with stars.
struct NebulaStyle {
    Rgb deep{0.012f, 0.018f, 0.045f};
    Rgb deep2{0.03f, 0.02f, 0.07f};
    Rgb cloudA{0.12f, 0.55f, 0.70f};
    Rgb cloudB{0.45f, 0.20f, 0.75f};
    Rgb cloudC{0.80f, 0.25f, 0.45f};
    float density = 1.0f;   // overall cloud strength
    float dust = 0.55f;     // dark lanes
    float scale = 3.0f;     // lattice cells across the picture
    int stars = 1200;       // per megapixel
};
void paintNebula(Picture& p, uint64_t seed, const NebulaStyle& style, bool tile);
void paintStars(Picture& p, uint64_t seed, int perMegapixel, float brightness = 1.0f);

// Fonts from the Debian DejaVu family, loaded once through FreeType.
enum class FontId { Sans, SansBold, Mono, MonoBold, Serif, SerifBold };
void selectFont(cairo_t* cr, FontId id, double size);
// Adds the text outline to the current path, anchored at (x, y) by horizontal alignment
// (0 left, 0.5 centre, 1 right) with the baseline placed so the capitals are centred on y.
void textPath(cairo_t* cr, const std::string& text, double x, double y, double align = 0.5,
              double tracking = 0.0);
double textWidth(cairo_t* cr, const std::string& text, double tracking = 0.0);
std::string upper(const std::string& s);

// Convenience: rounded / chamfered rectangles and linear gradients.
void chamferRect(cairo_t* cr, double x, double y, double w, double h, double c);
void roundRect(cairo_t* cr, double x, double y, double w, double h, double r);
void setLinear(cairo_t* cr, double x0, double y0, double x1, double y1,
               const std::vector<std::pair<double, Rgb>>& stops, double alpha = 1.0);
void setRgb(cairo_t* cr, Rgb c, double alpha = 1.0);

}  // namespace vlm::forge
