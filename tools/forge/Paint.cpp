#include "Paint.h"

#include <cairo-ft.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cctype>
#include <cmath>
#include <stdexcept>

namespace vlm::forge {

uint64_t Rng::next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

double Rng::uniform() { return static_cast<double>(next() >> 11) * (1.0 / 9007199254740992.0); }

uint64_t seedOf(const std::string& name) {
    uint64_t h = 1469598103934665603ull;  // FNV-1a
    for (unsigned char c : name) {
        h ^= c;
        h *= 1099511628211ull;
    }
    return h;
}

Rgb hex(uint32_t rgb) {
    return {((rgb >> 16) & 255) / 255.0f, ((rgb >> 8) & 255) / 255.0f, (rgb & 255) / 255.0f};
}
Rgb mix(Rgb a, Rgb b, float t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}
Rgb scale(Rgb a, float k) { return {a.r * k, a.g * k, a.b * k}; }
Rgb add(Rgb a, Rgb b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
float clamp01(float v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }
float smoothstep(float e0, float e1, float x) {
    float t = clamp01((x - e0) / (e1 - e0));
    return t * t * (3 - 2 * t);
}

// ---------------------------------------------------------------------------------------
// Noise

Noise::Noise(uint64_t seed) {
    Rng rng(seed);
    for (uint32_t i = 0; i < 256; ++i) perm_[i] = i;
    for (int i = 255; i > 0; --i) std::swap(perm_[i], perm_[rng.below(i + 1)]);
    for (int i = 0; i < 256; ++i) perm_[256 + i] = perm_[i];
}

float Noise::grad(int ix, int iy, float fx, float fy, int period) const {
    if (period > 0) {
        ix %= period;
        iy %= period;
        if (ix < 0) ix += period;
        if (iy < 0) iy += period;
    }
    uint32_t h = perm_[(perm_[ix & 255] + static_cast<uint32_t>(iy)) & 255];
    h = perm_[(h + static_cast<uint32_t>(ix >> 8) * 31u) & 255] & 7;
    static const float gx[8] = {1, -1, 0, 0, 0.7071f, -0.7071f, 0.7071f, -0.7071f};
    static const float gy[8] = {0, 0, 1, -1, 0.7071f, 0.7071f, -0.7071f, -0.7071f};
    return gx[h] * fx + gy[h] * fy;
}

float Noise::at(float x, float y, int period) const {
    float fx0 = std::floor(x), fy0 = std::floor(y);
    int ix = static_cast<int>(fx0), iy = static_cast<int>(fy0);
    float fx = x - fx0, fy = y - fy0;
    float u = fx * fx * fx * (fx * (fx * 6 - 15) + 10);
    float v = fy * fy * fy * (fy * (fy * 6 - 15) + 10);
    float n00 = grad(ix, iy, fx, fy, period);
    float n10 = grad(ix + 1, iy, fx - 1, fy, period);
    float n01 = grad(ix, iy + 1, fx, fy - 1, period);
    float n11 = grad(ix + 1, iy + 1, fx - 1, fy - 1, period);
    float a = n00 + (n10 - n00) * u;
    float b = n01 + (n11 - n01) * u;
    return (a + (b - a) * v) * 1.4f;
}

float Noise::fbm(float x, float y, int octaves, int period, float gain) const {
    float sum = 0, amp = 0.5f, norm = 0;
    for (int o = 0; o < octaves; ++o) {
        sum += amp * at(x, y, period);
        norm += amp;
        x *= 2;
        y *= 2;
        if (period > 0) period *= 2;
        amp *= gain;
    }
    return sum / norm;
}

float Noise::ridged(float x, float y, int octaves, int period) const {
    float sum = 0, amp = 0.5f, norm = 0;
    for (int o = 0; o < octaves; ++o) {
        float n = 1.0f - std::fabs(at(x, y, period));
        sum += amp * n * n;
        norm += amp;
        x *= 2;
        y *= 2;
        if (period > 0) period *= 2;
        amp *= 0.5f;
    }
    return sum / norm;
}

// ---------------------------------------------------------------------------------------
// Pictures and surfaces

Picture::Picture(int width, int height, Rgb fill, float alpha)
    : w(width), h(height), px(static_cast<size_t>(width) * height * 4) {
    for (size_t i = 0; i < px.size(); i += 4) {
        px[i] = fill.r;
        px[i + 1] = fill.g;
        px[i + 2] = fill.b;
        px[i + 3] = alpha;
    }
}

void Picture::addRgb(int x, int y, Rgb c, float k) {
    if (x < 0 || y < 0 || x >= w || y >= h) return;
    float* p = at(x, y);
    p[0] += c.r * k;
    p[1] += c.g * k;
    p[2] += c.b * k;
}

Surface newSurface(int w, int h) {
    Surface s(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h));
    if (cairo_surface_status(s.get()) != CAIRO_STATUS_SUCCESS)
        throw std::runtime_error("cannot create a " + std::to_string(w) + "x" + std::to_string(h) +
                                 " drawing surface");
    return s;
}

Context newContext(const Surface& s) {
    Context c(cairo_create(s.get()));
    cairo_set_antialias(c.get(), CAIRO_ANTIALIAS_GOOD);
    return c;
}

static uint8_t toByte(float v) {
    v = clamp01(v);
    return static_cast<uint8_t>(v * 255.0f + 0.5f);
}

Surface toSurface(const Picture& p) {
    Surface s = newSurface(p.w, p.h);
    cairo_surface_flush(s.get());
    uint8_t* data = cairo_image_surface_get_data(s.get());
    int stride = cairo_image_surface_get_stride(s.get());
    for (int y = 0; y < p.h; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(data + static_cast<size_t>(y) * stride);
        for (int x = 0; x < p.w; ++x) {
            const float* q = p.at(x, y);
            float a = clamp01(q[3]);
            uint32_t A = toByte(a), R = toByte(q[0] * a), G = toByte(q[1] * a), B = toByte(q[2] * a);
            row[x] = (A << 24) | (R << 16) | (G << 8) | B;
        }
    }
    cairo_surface_mark_dirty(s.get());
    return s;
}

Picture toPicture(const Surface& s) {
    cairo_surface_flush(s.get());
    int w = cairo_image_surface_get_width(s.get()), h = cairo_image_surface_get_height(s.get());
    Picture p(w, h, {}, 0);
    const uint8_t* data = cairo_image_surface_get_data(s.get());
    int stride = cairo_image_surface_get_stride(s.get());
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<const uint32_t*>(data + static_cast<size_t>(y) * stride);
        for (int x = 0; x < w; ++x) {
            uint32_t v = row[x];
            float a = (v >> 24) / 255.0f;
            float* q = p.at(x, y);
            q[3] = a;
            if (a > 0) {
                q[0] = ((v >> 16) & 255) / 255.0f / a;
                q[1] = ((v >> 8) & 255) / 255.0f / a;
                q[2] = (v & 255) / 255.0f / a;
            }
        }
    }
    return p;
}

Surface resized(const Surface& s, int w, int h) {
    Surface out = newSurface(w, h);
    Context cr = newContext(out);
    double sx = static_cast<double>(w) / cairo_image_surface_get_width(s.get());
    double sy = static_cast<double>(h) / cairo_image_surface_get_height(s.get());
    cairo_scale(cr.get(), sx, sy);
    cairo_set_source_surface(cr.get(), s.get(), 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr.get()), CAIRO_FILTER_BILINEAR);
    cairo_pattern_set_extend(cairo_get_source(cr.get()), CAIRO_EXTEND_PAD);
    cairo_paint(cr.get());
    return out;
}

// One box pass along rows (horizontal) or columns, on the four premultiplied channels.
static void boxPass(uint8_t* data, int w, int h, int stride, int r, bool horizontal,
                    std::vector<uint32_t>& line) {
    int n = horizontal ? w : h, lines = horizontal ? h : w;
    line.resize(static_cast<size_t>(n));
    int win = 2 * r + 1;
    for (int l = 0; l < lines; ++l) {
        auto px = [&](int i) -> uint32_t& {
            int x = horizontal ? i : l, y = horizontal ? l : i;
            return *reinterpret_cast<uint32_t*>(data + static_cast<size_t>(y) * stride + x * 4);
        };
        for (int i = 0; i < n; ++i) line[i] = px(i);
        uint32_t sum[4] = {0, 0, 0, 0};
        auto ch = [](uint32_t v, int c) { return (v >> (c * 8)) & 255u; };
        for (int i = -r; i <= r; ++i) {
            uint32_t v = line[std::clamp(i, 0, n - 1)];
            for (int c = 0; c < 4; ++c) sum[c] += ch(v, c);
        }
        for (int i = 0; i < n; ++i) {
            uint32_t out = 0;
            for (int c = 0; c < 4; ++c) out |= ((sum[c] + win / 2) / win) << (c * 8);
            px(i) = out;
            uint32_t vin = line[std::min(i + r + 1, n - 1)], vout = line[std::max(i - r, 0)];
            for (int c = 0; c < 4; ++c) sum[c] += ch(vin, c) - ch(vout, c);
        }
    }
}

void blur(const Surface& s, int radius) {
    if (radius <= 0) return;
    cairo_surface_flush(s.get());
    uint8_t* data = cairo_image_surface_get_data(s.get());
    int w = cairo_image_surface_get_width(s.get()), h = cairo_image_surface_get_height(s.get());
    int stride = cairo_image_surface_get_stride(s.get());
    std::vector<uint32_t> line;
    int r = std::max(1, radius / 2);
    for (int pass = 0; pass < 3; ++pass) {
        boxPass(data, w, h, stride, r, true, line);
        boxPass(data, w, h, stride, r, false, line);
    }
    cairo_surface_mark_dirty(s.get());
}

void addGlow(const Surface& dst, const Surface& src, int radius, double strength) {
    int w = cairo_image_surface_get_width(src.get()), h = cairo_image_surface_get_height(src.get());
    Surface halo = newSurface(w, h);
    {
        Context c = newContext(halo);
        cairo_set_source_surface(c.get(), src.get(), 0, 0);
        cairo_paint(c.get());
    }
    blur(halo, radius);
    Context cr = newContext(dst);
    cairo_set_operator(cr.get(), CAIRO_OPERATOR_ADD);
    while (strength > 0) {
        cairo_set_source_surface(cr.get(), halo.get(), 0, 0);
        cairo_paint_with_alpha(cr.get(), std::min(1.0, strength));
        strength -= 1.0;
    }
}

void paintSurface(cairo_t* cr, const Surface& s, double x, double y, double alpha) {
    cairo_set_source_surface(cr, s.get(), x, y);
    cairo_paint_with_alpha(cr, alpha);
}

// ---------------------------------------------------------------------------------------
// Nebula and stars

void paintStars(Picture& p, uint64_t seed, int perMegapixel, float brightness) {
    Rng rng(seed ^ 0x5157A125ull);
    int count = static_cast<int>(static_cast<double>(p.w) * p.h / 1e6 * perMegapixel);
    for (int i = 0; i < count; ++i) {
        int x = rng.below(p.w), y = rng.below(p.h);
        double m = rng.uniform();
        float b = static_cast<float>(0.25 + 0.75 * m * m * m) * brightness;
        float t = static_cast<float>(rng.uniform());
        Rgb c = t < 0.2f ? hex(0xffd2a8) : (t < 0.55f ? hex(0xdde8ff) : hex(0xaac8ff));
        p.addRgb(x, y, c, b);
        if (m > 0.93) {  // a few bright stars with a soft halo and a small cross
            for (int dy = -3; dy <= 3; ++dy)
                for (int dx = -3; dx <= 3; ++dx) {
                    float d2 = static_cast<float>(dx * dx + dy * dy);
                    if (d2 == 0) continue;
                    float k = std::exp(-d2 / 2.2f) * 0.55f;
                    if (dx == 0 || dy == 0) k += 0.25f / std::sqrt(d2);
                    int xx = p.w ? (x + dx + p.w) % p.w : 0, yy = (y + dy + p.h) % p.h;
                    p.addRgb(xx, yy, c, b * k);
                }
        }
    }
}

void paintNebula(Picture& p, uint64_t seed, const NebulaStyle& st, bool tile) {
    Noise n1(seed), n2(seed * 7 + 1), n3(seed * 13 + 5), warp(seed * 31 + 3), fil(seed * 57 + 11);
    // Warping by a periodic field keeps a periodic pattern periodic, so tiles stay seamless.
    int period = tile ? static_cast<int>(st.scale) : 0;
    float sx = st.scale / p.w, sy = st.scale / p.h;
    if (!tile) sy = sx;  // square cells on non-tiling pictures
    for (int y = 0; y < p.h; ++y) {
        for (int x = 0; x < p.w; ++x) {
            float u = x * sx, v = y * sy;
            float wx = warp.fbm(u + 3.1f, v + 1.7f, 4, period);
            float wy = warp.fbm(u + 8.3f, v + 5.2f, 4, period);
            float du = u + wx * 1.1f, dv = v + wy * 1.1f;
            float a = n1.fbm(du, dv, 6, period) * 0.5f + 0.5f;
            float b = n2.fbm(du * 0.5f + 0.3f * wy, dv * 0.5f, 5, period) * 0.5f + 0.5f;
            float c = n3.fbm(du, dv, 5, period) * 0.5f + 0.5f;
            float f = fil.ridged(du + 0.5f, dv + 0.5f, 5, period);
            float dens = smoothstep(0.38f, 0.8f, a) * st.density;
            float dens2 = smoothstep(0.48f, 0.85f, b) * st.density;
            float wisp = std::pow(f, 6.0f) * dens * 1.4f;
            float lane = smoothstep(0.5f, 0.72f, c) * st.dust;
            Rgb base = mix(st.deep, st.deep2, static_cast<float>(y) / p.h);
            Rgb cloud = mix(st.cloudA, st.cloudB, clamp01(b * 1.6f - 0.3f));
            Rgb col = add(base, scale(cloud, dens * 0.55f + wisp * 0.6f));
            col = add(col, scale(st.cloudC, dens2 * dens2 * 0.55f));
            // hot cores where the layers meet
            col = add(col, scale(hex(0xfff0e0), dens * dens2 * 0.25f + wisp * dens2 * 0.3f));
            col = scale(col, 1.0f - lane * (0.35f + 0.6f * dens));
            float* q = p.at(x, y);
            q[0] = col.r;
            q[1] = col.g;
            q[2] = col.b;
            q[3] = 1;
        }
    }
}

// ---------------------------------------------------------------------------------------
// Fonts and shapes

namespace {
struct FontCache {
    FT_Library lib = nullptr;
    cairo_font_face_t* faces[6] = {};
    FT_Face ft[6] = {};
    ~FontCache() {
        for (int i = 0; i < 6; ++i)
            if (faces[i]) cairo_font_face_destroy(faces[i]);
        for (int i = 0; i < 6; ++i)
            if (ft[i]) FT_Done_Face(ft[i]);
        if (lib) FT_Done_FreeType(lib);
    }
    cairo_font_face_t* get(FontId id) {
        int i = static_cast<int>(id);
        if (faces[i]) return faces[i];
        static const char* files[6] = {"DejaVuSans.ttf",      "DejaVuSans-Bold.ttf",
                                       "DejaVuSansMono.ttf",  "DejaVuSansMono-Bold.ttf",
                                       "DejaVuSerif.ttf",     "DejaVuSerif-Bold.ttf"};
        std::string path = std::string("/usr/share/fonts/truetype/dejavu/") + files[i];
        if (!lib && FT_Init_FreeType(&lib) != 0) throw std::runtime_error("FreeType does not start");
        if (FT_New_Face(lib, path.c_str(), 0, &ft[i]) != 0)
            throw std::runtime_error("cannot load the font \"" + path +
                                     "\" (install the Debian package fonts-dejavu-core)");
        faces[i] = cairo_ft_font_face_create_for_ft_face(ft[i], 0);
        return faces[i];
    }
};
FontCache& fonts() {
    static FontCache cache;
    return cache;
}
}  // namespace

void selectFont(cairo_t* cr, FontId id, double size) {
    cairo_set_font_face(cr, fonts().get(id));
    cairo_set_font_size(cr, size);
    cairo_font_options_t* fo = cairo_font_options_create();
    cairo_font_options_set_hint_style(fo, CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_hint_metrics(fo, CAIRO_HINT_METRICS_OFF);
    cairo_font_options_set_antialias(fo, CAIRO_ANTIALIAS_GRAY);
    cairo_set_font_options(cr, fo);
    cairo_font_options_destroy(fo);
}

double textWidth(cairo_t* cr, const std::string& text, double tracking) {
    double w = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        char s[2] = {text[i], 0};
        cairo_text_extents_t e;
        cairo_text_extents(cr, s, &e);
        w += e.x_advance + (i + 1 < text.size() ? tracking : 0);
    }
    return w;
}

void textPath(cairo_t* cr, const std::string& text, double x, double y, double align,
              double tracking) {
    cairo_font_extents_t fe;
    cairo_font_extents(cr, &fe);
    cairo_text_extents_t cap;
    cairo_text_extents(cr, "H", &cap);
    double w = textWidth(cr, text, tracking);
    double px = x - w * align;
    double base = y - (cap.y_bearing + cap.height / 2);  // capitals centred on y
    for (char ch : text) {
        char s[2] = {ch, 0};
        cairo_text_extents_t e;
        cairo_text_extents(cr, s, &e);
        cairo_move_to(cr, px, base);
        cairo_text_path(cr, s);
        px += e.x_advance + tracking;
    }
}

std::string upper(const std::string& s) {
    std::string r = s;
    for (char& c : r) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return r;
}

void chamferRect(cairo_t* cr, double x, double y, double w, double h, double c) {
    cairo_new_sub_path(cr);
    cairo_move_to(cr, x + c, y);
    cairo_line_to(cr, x + w - c, y);
    cairo_line_to(cr, x + w, y + c);
    cairo_line_to(cr, x + w, y + h - c);
    cairo_line_to(cr, x + w - c, y + h);
    cairo_line_to(cr, x + c, y + h);
    cairo_line_to(cr, x, y + h - c);
    cairo_line_to(cr, x, y + c);
    cairo_close_path(cr);
}

void roundRect(cairo_t* cr, double x, double y, double w, double h, double r) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -M_PI / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, M_PI / 2);
    cairo_arc(cr, x + r, y + h - r, r, M_PI / 2, M_PI);
    cairo_arc(cr, x + r, y + r, r, M_PI, 3 * M_PI / 2);
    cairo_close_path(cr);
}

void setLinear(cairo_t* cr, double x0, double y0, double x1, double y1,
               const std::vector<std::pair<double, Rgb>>& stops, double alpha) {
    cairo_pattern_t* p = cairo_pattern_create_linear(x0, y0, x1, y1);
    for (auto& [t, c] : stops) cairo_pattern_add_color_stop_rgba(p, t, c.r, c.g, c.b, alpha);
    cairo_set_source(cr, p);
    cairo_pattern_destroy(p);
}

void setRgb(cairo_t* cr, Rgb c, double alpha) { cairo_set_source_rgba(cr, c.r, c.g, c.b, alpha); }

}  // namespace vlm::forge
