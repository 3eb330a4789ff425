#include "Painters.h"

#include <algorithm>
#include <cmath>

namespace vlm::forge {

Surface nebulaSurface(int w, int h, uint64_t seed, const NebulaStyle& style, bool tile,
                      int starsPerMegapixel, int down) {
    Picture small((w + down - 1) / down, (h + down - 1) / down);
    paintNebula(small, seed, style, tile);
    Surface big = resized(toSurface(small), w, h);
    if (starsPerMegapixel <= 0) return big;
    Picture stars(w, h, {}, 0);
    paintStars(stars, seed, starsPerMegapixel);
    for (size_t i = 0; i < stars.px.size(); i += 4) {
        float m = std::max({stars.px[i], stars.px[i + 1], stars.px[i + 2]});
        stars.px[i + 3] = clamp01(m);
        if (m > 1) {
            stars.px[i] /= m;
            stars.px[i + 1] /= m;
            stars.px[i + 2] /= m;
        }
    }
    Surface st = toSurface(stars);
    Context cr = newContext(big);
    cairo_set_operator(cr.get(), CAIRO_OPERATOR_ADD);
    paintSurface(cr.get(), st, 0, 0);
    return big;
}

void drawLettering(cairo_t* cr, const std::string& text, double x, double y, Lettering st,
                   double maxWidth) {
    selectFont(cr, st.font, st.size);
    if (maxWidth > 0) {
        double w = textWidth(cr, text, st.tracking);
        if (w > maxWidth) {
            st.size *= maxWidth / w;
            st.tracking *= maxWidth / w;
            selectFont(cr, st.font, st.size);
        }
    }
    cairo_surface_t* target = cairo_get_target(cr);
    int tw = cairo_image_surface_get_width(target), th = cairo_image_surface_get_height(target);
    cairo_matrix_t m;
    cairo_get_matrix(cr, &m);

    if (st.glowStrength > 0) {
        Surface halo = newSurface(tw, th);
        Context hc = newContext(halo);
        cairo_set_matrix(hc.get(), &m);
        selectFont(hc.get(), st.font, st.size);
        textPath(hc.get(), text, x, y, st.align, st.tracking);
        setRgb(hc.get(), st.glow);
        cairo_set_line_width(hc.get(), st.size * 0.06);
        cairo_stroke_preserve(hc.get());
        cairo_fill(hc.get());
        blur(halo, st.glowRadius);
        cairo_save(cr);
        cairo_identity_matrix(cr);
        cairo_set_operator(cr, CAIRO_OPERATOR_ADD);
        double s = st.glowStrength;
        while (s > 0) {
            cairo_set_source_surface(cr, halo.get(), 0, 0);
            cairo_paint_with_alpha(cr, std::min(1.0, s));
            s -= 1;
        }
        cairo_restore(cr);
    }
    cairo_save(cr);
    if (st.shadow) {
        textPath(cr, text, x + st.size * 0.03, y + st.size * 0.05, st.align, st.tracking);
        cairo_set_source_rgba(cr, 0, 0, 0, 0.7);
        cairo_fill(cr);
    }
    textPath(cr, text, x, y, st.align, st.tracking);
    if (st.outline > 0) {
        cairo_set_source_rgba(cr, 0.01, 0.015, 0.03, 0.9);
        cairo_set_line_width(cr, st.outline * 2);
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
        cairo_stroke_preserve(cr);
    }
    cairo_text_extents_t cap;
    cairo_text_extents(cr, "H", &cap);
    double half = cap.height / 2;
    setLinear(cr, 0, y - half, 0, y + half, {{0, st.top}, {0.55, mix(st.top, st.bottom, 0.6f)}, {1, st.bottom}});
    cairo_fill(cr);
    cairo_restore(cr);
}

void drawPanel(cairo_t* cr, double x, double y, double w, double h, double c, double alpha, bool bright) {
    cairo_save(cr);
    chamferRect(cr, x, y, w, h, c);
    Rgb top = bright ? hex(0x1d3553) : hex(0x121b2c);
    Rgb bot = bright ? hex(0x0c1626) : hex(0x060a14);
    setLinear(cr, 0, y, 0, y + h, {{0, top}, {1, bot}}, alpha);
    cairo_fill_preserve(cr);
    cairo_set_line_width(cr, 3);
    setLinear(cr, 0, y, 0, y + h, {{0, hex(0x9fb9d6)}, {0.5, hex(0x4a5d78)}, {1, hex(0x243246)}});
    cairo_stroke(cr);
    chamferRect(cr, x + 5, y + 5, w - 10, h - 10, std::max(0.0, c - 3));
    cairo_set_line_width(cr, 1);
    cairo_set_source_rgba(cr, 0.5, 0.9, 1.0, bright ? 0.35 : 0.18);
    cairo_stroke(cr);
    // cyan corner marks
    double L = std::min(w, h) * 0.18;
    cairo_set_line_width(cr, 3);
    setRgb(cr, pal::ice, bright ? 1.0 : 0.8);
    cairo_move_to(cr, x + 2, y + c + L);
    cairo_line_to(cr, x + 2, y + c);
    cairo_line_to(cr, x + c, y + 2);
    cairo_line_to(cr, x + c + L, y + 2);
    cairo_move_to(cr, x + w - 2, y + h - c - L);
    cairo_line_to(cr, x + w - 2, y + h - c);
    cairo_line_to(cr, x + w - c, y + h - 2);
    cairo_line_to(cr, x + w - c - L, y + h - 2);
    cairo_stroke(cr);
    cairo_restore(cr);
}

}  // namespace vlm::forge
