// Bonus capsules (11 frames of 50 by 50 in one row: the capsule turns once) and the
// bonus icons shown at the screen edge while a timed bonus runs.
#include "Painters.h"

#include <cmath>

namespace vlm::forge {
namespace {

struct BonusLook {
    Rgb color;
    const char* caption;  // what the help pages call it
};

// Kinds 1 to 12.
const BonusLook kLooks[12] = {
    {hex(0xffc857), "bonus points"},   {hex(0x5dff8a), "health"},        {hex(0x5fb8ff), "armor"},
    {hex(0x7fe7ff), "invulnerability"}, {hex(0xc99bff), "2x scores"},     {hex(0xff7a2f), "4 rockets"},
    {hex(0xff5a2a), "napalm"},         {hex(0xffe04a), "explosion"},     {hex(0xff3b3b), "fire bullets"},
    {hex(0x7dff4a), "poison bullets"}, {hex(0x9fe8ff), "freeze bullets"}, {hex(0x3fe0c8), "time freeze"},
};

void star(cairo_t* cr, double cx, double cy, double r1, double r2, int points) {
    for (int i = 0; i < points * 2; ++i) {
        double a = -M_PI / 2 + i * M_PI / points, r = i % 2 ? r2 : r1;
        if (i == 0)
            cairo_move_to(cr, cx + r * std::cos(a), cy + r * std::sin(a));
        else
            cairo_line_to(cr, cx + r * std::cos(a), cy + r * std::sin(a));
    }
    cairo_close_path(cr);
}

void flame(cairo_t* cr, double cx, double cy, double s) {
    cairo_move_to(cr, cx, cy - s);
    cairo_curve_to(cr, cx + s * 0.9, cy - s * 0.1, cx + s * 0.7, cy + s, cx, cy + s);
    cairo_curve_to(cr, cx - s * 0.7, cy + s, cx - s * 0.9, cy - s * 0.1, cx, cy - s);
    cairo_close_path(cr);
}

// The kind's symbol in white-ish light, centred at (cx, cy), about 2 * s across.
void symbol(cairo_t* cr, int kind, double cx, double cy, double s) {
    cairo_save(cr);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    switch (kind) {
    case 1:
        star(cr, cx, cy, s, s * 0.45, 5);
        cairo_fill(cr);
        break;
    case 2:
        cairo_rectangle(cr, cx - s * 0.3, cy - s, s * 0.6, s * 2);
        cairo_rectangle(cr, cx - s, cy - s * 0.3, s * 2, s * 0.6);
        cairo_fill(cr);
        break;
    case 3:
        cairo_move_to(cr, cx, cy - s);
        cairo_line_to(cr, cx + s * 0.85, cy - s * 0.6);
        cairo_curve_to(cr, cx + s * 0.85, cy + s * 0.2, cx + s * 0.4, cy + s * 0.7, cx, cy + s);
        cairo_curve_to(cr, cx - s * 0.4, cy + s * 0.7, cx - s * 0.85, cy + s * 0.2, cx - s * 0.85, cy - s * 0.6);
        cairo_close_path(cr);
        cairo_fill(cr);
        break;
    case 4:
        cairo_set_line_width(cr, s * 0.3);
        cairo_arc(cr, cx, cy, s * 0.8, 0, 2 * M_PI);
        cairo_stroke(cr);
        cairo_arc(cr, cx - s * 0.25, cy - s * 0.25, s * 0.22, 0, 2 * M_PI);
        cairo_fill(cr);
        break;
    case 5:
        selectFont(cr, FontId::SansBold, s * 1.5);
        textPath(cr, "x2", cx, cy, 0.5, 0);
        cairo_fill(cr);
        break;
    case 6:
        cairo_move_to(cr, cx, cy - s);
        cairo_line_to(cr, cx + s * 0.35, cy - s * 0.4);
        cairo_line_to(cr, cx + s * 0.35, cy + s * 0.5);
        cairo_line_to(cr, cx + s * 0.7, cy + s);
        cairo_line_to(cr, cx - s * 0.7, cy + s);
        cairo_line_to(cr, cx - s * 0.35, cy + s * 0.5);
        cairo_line_to(cr, cx - s * 0.35, cy - s * 0.4);
        cairo_close_path(cr);
        cairo_fill(cr);
        break;
    case 7:
        for (int i = -1; i <= 1; ++i) flame(cr, cx + i * s * 0.62, cy + std::abs(i) * s * 0.15, s * 0.55);
        cairo_fill(cr);
        break;
    case 8:
        star(cr, cx, cy, s, s * 0.35, 8);
        cairo_fill(cr);
        break;
    case 9:
        flame(cr, cx, cy, s);
        cairo_fill(cr);
        break;
    case 10:  // drop
        cairo_move_to(cr, cx, cy - s);
        cairo_curve_to(cr, cx + s * 0.2, cy - s * 0.4, cx + s * 0.75, cy, cx + s * 0.75, cy + s * 0.3);
        cairo_arc(cr, cx, cy + s * 0.3, s * 0.75, 0, M_PI);
        cairo_curve_to(cr, cx - s * 0.75, cy, cx - s * 0.2, cy - s * 0.4, cx, cy - s);
        cairo_close_path(cr);
        cairo_fill(cr);
        break;
    case 11:  // snowflake
        cairo_set_line_width(cr, s * 0.2);
        for (int i = 0; i < 3; ++i) {
            double a = i * M_PI / 3 + M_PI / 2;
            cairo_move_to(cr, cx + std::cos(a) * s, cy + std::sin(a) * s);
            cairo_line_to(cr, cx - std::cos(a) * s, cy - std::sin(a) * s);
        }
        cairo_stroke(cr);
        break;
    default:  // hourglass
        cairo_move_to(cr, cx - s * 0.7, cy - s);
        cairo_line_to(cr, cx + s * 0.7, cy - s);
        cairo_line_to(cr, cx - s * 0.7, cy + s);
        cairo_line_to(cr, cx + s * 0.7, cy + s);
        cairo_close_path(cr);
        cairo_fill(cr);
        break;
    }
    cairo_restore(cr);
}

void capsuleSheet(Output& out, int kind) {
    std::string path = "Data\\Textures\\Bonuses\\bonus" + std::to_string(kind) + ".bmp";
    if (!out.wants(path)) return;
    const BonusLook& look = kLooks[kind - 1];
    const int F = 50, N = 11;
    Surface s = newSurface(F * N, F);
    Context c = newContext(s);
    cairo_t* cr = c.get();
    for (int f = 0; f < N; ++f) {
        double phase = 2 * M_PI * f / N;
        double ox = f * F;
        // halo, pulsing once per turn
        Picture halo(F, F, {}, 1);
        float pulse = static_cast<float>(0.75 + 0.25 * std::cos(phase));
        glow(halo, 25, 25, 15, 15, look.color, 0.65f * pulse);
        paintSurface(cr, lightSurface(halo), ox, 0);
        cairo_save(cr);
        cairo_translate(cr, ox + 25, 25);
        cairo_rotate(cr, -0.35);
        // capsule body: steel end caps around a glass band in the kind's colour
        roundRect(cr, -19, -11, 38, 22, 11);
        setLinear(cr, 0, -11, 0, 11, {{0, hex(0xf2f7ff)}, {0.35, hex(0x9fb0c4)}, {1, hex(0x2a3446)}});
        cairo_fill(cr);
        cairo_rectangle(cr, -10, -11, 20, 22);
        setLinear(cr, 0, -11, 0, 11,
                  {{0, mix(look.color, hex(0xffffff), 0.55f)}, {0.5, look.color}, {1, scale(look.color, 0.35f)}});
        cairo_fill(cr);
        // the symbol turns with the capsule
        double sx = std::cos(phase);
        cairo_save(cr);
        cairo_rectangle(cr, -10, -11, 20, 22);
        cairo_clip(cr);
        cairo_translate(cr, std::sin(phase) * 4, 0);
        cairo_scale(cr, std::max(0.08, std::fabs(sx)), 1);
        cairo_rotate(cr, 0.35);
        cairo_push_group(cr);
        symbol(cr, kind, 0, 0, 7);
        cairo_pattern_t* sym = cairo_pop_group(cr);
        cairo_set_source_rgba(cr, 0.02, 0.02, 0.05, 0.85);
        cairo_mask(cr, sym);
        cairo_pattern_destroy(sym);
        cairo_restore(cr);
        // specular glint travelling along the body
        double gx = -14 + 28 * (0.5 + 0.5 * std::sin(phase));
        cairo_rectangle(cr, gx - 1.5, -9, 3, 5);
        cairo_set_source_rgba(cr, 1, 1, 1, 0.8);
        cairo_fill(cr);
        roundRect(cr, -19, -11, 38, 22, 11);
        cairo_set_line_width(cr, 1.2);
        setRgb(cr, hex(0x10151f));
        cairo_stroke(cr);
        cairo_restore(cr);
    }
    c.reset();
    out.bmp(path, s, BmpStyle::OverBlack);
}

void borderIcon(Output& out, int kind) {
    std::string path = "Data\\Textures\\Bonuses\\bonus" + std::to_string(kind) + "border.bmp";
    if (!out.wants(path)) return;
    const BonusLook& look = kLooks[kind - 1];
    Surface s = newSurface(50, 50);
    Context c = newContext(s);
    cairo_t* cr = c.get();
    chamferRect(cr, 2, 2, 46, 46, 10);
    setLinear(cr, 0, 0, 0, 50, {{0, hex(0x1a2a42)}, {1, hex(0x060b14)}}, 0.85);
    cairo_fill_preserve(cr);
    cairo_set_line_width(cr, 2.5);
    setRgb(cr, look.color);
    cairo_stroke(cr);
    Surface sym = newSurface(50, 50);
    {
        Context sc = newContext(sym);
        cairo_push_group(sc.get());
        symbol(sc.get(), kind, 25, 25, 13);
        cairo_pattern_t* p = cairo_pop_group(sc.get());
        setRgb(sc.get(), mix(look.color, hex(0xffffff), 0.35f));
        cairo_mask(sc.get(), p);
        cairo_pattern_destroy(p);
    }
    addGlow(s, sym, 6, 0.8);
    paintSurface(cr, sym, 0, 0);
    c.reset();
    out.bmp(path, s, BmpStyle::Straight);
}

}  // namespace

void paintBonuses(Output& out) {
    for (int k = 1; k <= 12; ++k) {
        capsuleSheet(out, k);
        borderIcon(out, k);
    }
}

}  // namespace vlm::forge
