// Enemy looks: animated sprite sheets, four frames a row, drawn nose down (towards the
// player) on black. Hulls are dark hostile metal with a rim of light from the upper left;
// engines, eyes and running lights glow in the look's accent colour and flicker over the
// frames.
#include "Painters.h"

#include <cmath>
#include <functional>

namespace vlm::forge {
namespace {

using Pts = std::vector<std::pair<double, double>>;

// Closed path from the right half of an outline (x >= 0, nose to tail), mirrored.
void sym(cairo_t* cr, const Pts& half) {
    cairo_new_sub_path(cr);
    cairo_move_to(cr, half.front().first, half.front().second);
    for (size_t i = 1; i < half.size(); ++i) cairo_line_to(cr, half[i].first, half[i].second);
    for (size_t i = half.size(); i-- > 0;) cairo_line_to(cr, -half[i].first, half[i].second);
    cairo_close_path(cr);
}

// Metal fill of the current path with a lit rim; the path is consumed.
void metal(cairo_t* cr, Rgb base, double top = -1, double bottom = 1) {
    setLinear(cr, -0.6, top, 0.6, bottom,
              {{0, mix(base, hex(0xffffff), 0.35f)}, {0.45, base}, {1, scale(base, 0.35f)}});
    cairo_fill_preserve(cr);
    cairo_set_line_width(cr, 0.035);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    setLinear(cr, -0.8, -0.8, 0.8, 0.8, {{0, hex(0xe8eef8)}, {0.5, scale(base, 1.3f)}, {1, hex(0x05060a)}}, 0.9);
    cairo_stroke(cr);
}

// Panel line.
void line(cairo_t* cr, double x0, double y0, double x1, double y1, double a = 0.5) {
    cairo_move_to(cr, x0, y0);
    cairo_line_to(cr, x1, y1);
    cairo_set_line_width(cr, 0.02);
    cairo_set_source_rgba(cr, 0, 0, 0, a);
    cairo_stroke(cr);
}

void disc(cairo_t* cr, double x, double y, double r, Rgb c, double a = 1) {
    cairo_arc(cr, x, y, r, 0, 2 * M_PI);
    setRgb(cr, c, a);
    cairo_fill(cr);
}

struct Frame {
    cairo_t* cr;  // the hull
    cairo_t* lc;  // the light layer (blurred and added)
    double t;     // 0..1 over the animation
    int index;
    int frames;
    double flicker;  // 0.75..1 engine flicker
    bool blink;      // running lights on
};

void engine(Frame& f, double x, double y, double r, Rgb c) {
    double k = f.flicker;
    disc(f.lc, x, y, r * 1.3 * k, c, 0.9);
    disc(f.cr, x, y, r * 0.8, mix(c, hex(0xffffff), 0.6f));
    disc(f.lc, x, y, r * 0.6, hex(0xffffff));
}

void eye(Frame& f, double x, double y, double r, Rgb c) {
    disc(f.cr, x, y, r, scale(c, 0.6f));
    disc(f.lc, x, y, r * 0.9, c);
    disc(f.cr, x - r * 0.3, y - r * 0.3, r * 0.3, mix(c, hex(0xffffff), 0.7f));
}

void lights(Frame& f, const Pts& at, Rgb c) {
    if (!f.blink) return;
    for (auto [x, y] : at) {
        disc(f.lc, x, y, 0.03, c);
        disc(f.lc, -x, y, 0.03, c);
    }
}

// ---------------------------------------------------------------------------------------

void drone(Frame& f) {
    cairo_t* cr = f.cr;
    sym(cr, {{0, 0.62}, {0.25, 0.2}, {0.7, -0.15}, {0.55, -0.35}, {0.2, -0.3}, {0.12, -0.55}});
    metal(cr, hex(0x3a3f4b));
    line(cr, 0, 0.5, 0, -0.5);
    eye(f, 0, 0.12, 0.14, pal::hostile);
    engine(f, 0, -0.55, 0.12, pal::ember);
    lights(f, {{0.62, -0.2}}, pal::hostile);
}

void wasp(Frame& f) {
    cairo_t* cr = f.cr;
    // forward-swept wings
    sym(cr, {{0.12, 0.25}, {0.85, 0.45}, {0.9, 0.32}, {0.3, -0.15}, {0.12, -0.2}});
    metal(cr, hex(0x4a4232));
    for (double y = 0.2; y < 0.45; y += 0.1) line(cr, 0.3, y - 0.03, 0.8, y + 0.08, 0.6);
    // fuselage
    sym(cr, {{0, 0.85}, {0.1, 0.6}, {0.16, 0.1}, {0.16, -0.5}, {0.1, -0.7}});
    metal(cr, hex(0x55503a));
    cairo_rectangle(cr, -0.15, -0.1, 0.3, 0.08);
    cairo_rectangle(cr, -0.15, -0.3, 0.3, 0.08);
    setRgb(cr, hex(0xffc43a), 0.9);
    cairo_fill(cr);
    eye(f, 0, 0.45, 0.08, hex(0xffc43a));
    engine(f, 0, -0.72, 0.12, pal::ember);
    lights(f, {{0.86, 0.4}}, pal::hostile);
}

void dart(Frame& f) {
    cairo_t* cr = f.cr;
    sym(cr, {{0, 0.9}, {0.75, -0.45}, {0.5, -0.6}, {0.15, -0.35}, {0.1, -0.6}});
    metal(cr, hex(0x3c2f58));
    line(cr, 0, 0.8, 0, -0.5);
    line(cr, 0.05, 0.5, 0.55, -0.4, 0.4);
    line(cr, -0.05, 0.5, -0.55, -0.4, 0.4);
    sym(cr, {{0, 0.45}, {0.1, 0.15}, {0.08, 0.0}});
    setRgb(cr, hex(0xc05bff), 0.9);
    cairo_fill(cr);
    disc(f.lc, 0, 0.25, 0.08, hex(0xc05bff));
    engine(f, 0, -0.55, 0.14, hex(0x8f7bff));
    lights(f, {{0.68, -0.42}}, hex(0xc05bff));
}

void orb(Frame& f) {
    cairo_t* cr = f.cr;
    double rot = f.t * M_PI / 4;  // spikes turn one step per cycle
    for (int i = 0; i < 8; ++i) {
        double a = rot + i * M_PI / 4;
        cairo_save(cr);
        cairo_rotate(cr, a);
        sym(cr, {{0, 0.92}, {0.1, 0.5}, {0.14, 0.3}});
        metal(cr, hex(0x4b4b55));
        cairo_restore(cr);
    }
    cairo_arc(cr, 0, 0, 0.55, 0, 2 * M_PI);
    metal(cr, hex(0x3a3440));
    cairo_arc(cr, 0, 0, 0.38, 0, 2 * M_PI);
    cairo_set_line_width(cr, 0.04);
    cairo_set_source_rgba(cr, 0, 0, 0, 0.6);
    cairo_stroke(cr);
    double pulse = 0.7 + 0.3 * std::sin(f.t * 2 * M_PI);
    disc(f.lc, 0, 0, 0.3 * pulse, pal::hostile);
    eye(f, 0, 0, 0.16, hex(0xff5a3a));
}

void hornet(Frame& f) {
    cairo_t* cr = f.cr;
    // wing plate joining the booms
    sym(cr, {{0, 0.2}, {0.7, 0.05}, {0.8, -0.2}, {0.6, -0.35}, {0, -0.25}});
    metal(cr, hex(0x4a3a30));
    for (int side = -1; side <= 1; side += 2) {
        cairo_save(cr);
        cairo_translate(cr, side * 0.45, 0);
        sym(cr, {{0, 0.85}, {0.06, 0.85}, {0.06, 0.55}, {0.14, 0.4}, {0.14, -0.6}, {0.08, -0.75}});
        metal(cr, hex(0x5a4636));
        cairo_restore(cr);
        engine(f, side * 0.45, -0.75, 0.11, pal::ember);
    }
    sym(cr, {{0, 0.55}, {0.15, 0.3}, {0.18, -0.2}, {0.1, -0.45}});
    metal(cr, hex(0x6a5040));
    eye(f, 0, 0.25, 0.09, pal::ember);
    lights(f, {{0.8, -0.2}}, pal::ember);
}

void medic(Frame& f) {
    cairo_t* cr = f.cr;
    cairo_save(cr);
    cairo_scale(cr, 1, 0.82);
    cairo_arc(cr, 0, 0, 0.75, 0, 2 * M_PI);
    cairo_restore(cr);
    metal(cr, hex(0x9aa8a0));
    for (int side = -1; side <= 1; side += 2) {
        cairo_arc(cr, side * 0.72, 0.05, 0.2, 0, 2 * M_PI);
        metal(cr, hex(0x6f7d76));
    }
    double pulse = 0.6 + 0.4 * std::sin(f.t * 2 * M_PI);
    cairo_rectangle(cr, -0.09, -0.32, 0.18, 0.64);
    cairo_rectangle(cr, -0.32, -0.09, 0.64, 0.18);
    setRgb(cr, hex(0x2fdc6a));
    cairo_fill(cr);
    cairo_rectangle(f.lc, -0.12, -0.36, 0.24, 0.72);
    cairo_rectangle(f.lc, -0.36, -0.12, 0.72, 0.24);
    setRgb(f.lc, hex(0x7dff9a), pulse);
    cairo_fill(f.lc);
    engine(f, 0, -0.66, 0.1, hex(0x7dff9a));
    lights(f, {{0.72, 0.05}}, hex(0x7dff9a));
}

void manta(Frame& f) {
    cairo_t* cr = f.cr;
    sym(cr, {{0, 0.7}, {0.3, 0.55}, {0.95, 0.05}, {0.9, -0.12}, {0.45, -0.2}, {0.3, -0.5}, {0.12, -0.55}, {0.08, -0.9}});
    metal(cr, hex(0x27434a));
    for (int side = -1; side <= 1; side += 2) {
        cairo_move_to(cr, side * 0.2, 0.5);
        cairo_curve_to(cr, side * 0.5, 0.3, side * 0.7, 0.1, side * 0.88, -0.02);
        cairo_set_line_width(cr, 0.04);
        setRgb(cr, hex(0x3fe0c8), 0.8);
        cairo_stroke(cr);
        cairo_move_to(f.lc, side * 0.2, 0.5);
        cairo_curve_to(f.lc, side * 0.5, 0.3, side * 0.7, 0.1, side * 0.88, -0.02);
        cairo_set_line_width(f.lc, 0.05);
        setRgb(f.lc, hex(0x3fe0c8), 0.7 * f.flicker);
        cairo_stroke(f.lc);
        engine(f, side * 0.22, -0.45, 0.1, hex(0x3fe0c8));
    }
    eye(f, 0, 0.45, 0.09, hex(0x3fe0c8));
    lights(f, {{0.92, -0.05}}, pal::hostile);
}

void scarab(Frame& f) {
    cairo_t* cr = f.cr;
    // mandible guns
    for (int side = -1; side <= 1; side += 2) {
        cairo_save(cr);
        cairo_translate(cr, side * 0.28, 0.55);
        cairo_rectangle(cr, -0.05, 0, 0.1, 0.35);
        metal(cr, hex(0x50505a));
        cairo_restore(cr);
    }
    // two carapace halves
    for (int side = -1; side <= 1; side += 2) {
        cairo_move_to(cr, side * 0.03, 0.6);
        cairo_curve_to(cr, side * 0.75, 0.6, side * 0.85, -0.3, side * 0.55, -0.75);
        cairo_line_to(cr, side * 0.03, -0.6);
        cairo_close_path(cr);
        metal(cr, hex(0x5a2a2a));
        for (double y = 0.35; y > -0.5; y -= 0.25) line(cr, side * 0.08, y, side * 0.68, y - 0.1, 0.55);
    }
    eye(f, -0.14, 0.6, 0.07, pal::hostile);
    eye(f, 0.14, 0.6, 0.07, pal::hostile);
    engine(f, 0, -0.7, 0.13, pal::ember);
    lights(f, {{0.7, -0.3}}, pal::ember);
}

void saucer(Frame& f) {
    cairo_t* cr = f.cr;
    cairo_arc(cr, 0, 0, 0.88, 0, 2 * M_PI);
    metal(cr, hex(0x4a3c52));
    cairo_arc(cr, 0, 0, 0.62, 0, 2 * M_PI);
    cairo_set_line_width(cr, 0.05);
    cairo_set_source_rgba(cr, 0, 0, 0, 0.5);
    cairo_stroke(cr);
    // ring of lights chasing round
    for (int i = 0; i < 12; ++i) {
        double a = i * M_PI / 6 + f.t * M_PI / 6 * 2;
        double x = std::cos(a) * 0.75, y = std::sin(a) * 0.75;
        bool lit = (i + f.index) % 3 == 0;
        disc(cr, x, y, 0.05, lit ? hex(0xffd0f4) : hex(0x5a2a50));
        if (lit) disc(f.lc, x, y, 0.08, hex(0xff4fd8));
    }
    cairo_arc(cr, 0, 0, 0.4, 0, 2 * M_PI);
    cairo_pattern_t* p = cairo_pattern_create_radial(-0.12, -0.15, 0.02, 0, 0, 0.4);
    cairo_pattern_add_color_stop_rgb(p, 0, 1, 0.85, 1);
    cairo_pattern_add_color_stop_rgb(p, 0.5, 0.75, 0.2, 0.65);
    cairo_pattern_add_color_stop_rgb(p, 1, 0.2, 0.04, 0.2);
    cairo_set_source(cr, p);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
    disc(f.lc, 0, 0, 0.3, hex(0xff4fd8), 0.5 * f.flicker);
}

void turret(Frame& f) {
    cairo_t* cr = f.cr;
    // frame 0 idle; frames 1..15 one shot: flash, recoil, return
    double recoil = 0;
    double flash = 0;
    if (f.index > 0) {
        double k = (f.index - 1) / 14.0;
        recoil = 0.18 * std::exp(-k * 5) * (f.index > 1 ? 1 : 0.5);
        flash = f.index <= 3 ? 1.0 - (f.index - 1) / 3.0 : 0;
    }
    // octagonal base
    cairo_new_sub_path(cr);
    for (int i = 0; i < 8; ++i) {
        double a = M_PI / 8 + i * M_PI / 4;
        cairo_line_to(cr, std::cos(a) * 0.8, std::sin(a) * 0.8);
    }
    cairo_close_path(cr);
    metal(cr, hex(0x3e434c));
    for (int i = 0; i < 4; ++i) {
        double a = M_PI / 4 + i * M_PI / 2;
        disc(cr, std::cos(a) * 0.62, std::sin(a) * 0.62, 0.05, hex(0x15181e));
    }
    // barrels, pointing down
    for (int side = -1; side <= 1; side += 2) {
        cairo_rectangle(cr, side * 0.13 - 0.06, 0.1 - recoil, 0.12, 0.78);
        metal(cr, hex(0x5a606c));
    }
    cairo_arc(cr, 0, 0, 0.38, 0, 2 * M_PI);
    metal(cr, hex(0x5a3030));
    eye(f, 0, 0, 0.12, pal::hostile);
    if (flash > 0) {
        for (int side = -1; side <= 1; side += 2) {
            disc(f.lc, side * 0.13, 0.92 - recoil, 0.2 * flash, pal::gold);
            disc(f.lc, side * 0.13, 0.92 - recoil, 0.1 * flash, hex(0xffffff));
        }
    }
    lights(f, {{0.55, -0.55}}, pal::hostile);
}

void leader(Frame& f) {
    cairo_t* cr = f.cr;
    sym(cr, {{0.15, 0.35}, {0.92, 0.1}, {0.95, -0.1}, {0.55, -0.3}, {0.35, -0.2}, {0.25, -0.4}});
    metal(cr, hex(0x3a3350));
    for (int side = -1; side <= 1; side += 2) {
        cairo_rectangle(cr, side * 0.75 - 0.03, 0.0, 0.06, 0.35);
        setRgb(cr, pal::gold, 0.9);
        cairo_fill(cr);
    }
    sym(cr, {{0, 0.9}, {0.12, 0.7}, {0.22, 0.2}, {0.22, -0.55}, {0.12, -0.8}});
    metal(cr, hex(0x4a4068));
    // command fin
    sym(cr, {{0, 0.1}, {0.05, 0.0}, {0.05, -0.75}, {0.0, -0.9}});
    setRgb(cr, pal::gold);
    cairo_fill(cr);
    eye(f, 0, 0.55, 0.09, pal::gold);
    engine(f, -0.14, -0.78, 0.1, pal::ember);
    engine(f, 0.14, -0.78, 0.1, pal::ember);
    lights(f, {{0.93, -0.05}, {0.5, -0.25}}, pal::gold);
}

void carrier(Frame& f) {
    cairo_t* cr = f.cr;
    sym(cr, {{0, 0.85}, {0.45, 0.85}, {0.6, 0.6}, {0.6, -0.5}, {0.45, -0.8}, {0.2, -0.85}});
    metal(cr, hex(0x3f4248));
    for (double y = 0.5; y > -0.7; y -= 0.2) line(cr, -0.55, y, 0.55, y, 0.45);
    line(cr, 0, 0.85, 0, -0.85, 0.4);
    // side pods
    for (int side = -1; side <= 1; side += 2) {
        cairo_rectangle(cr, side * 0.72 - 0.12, -0.45, 0.24, 0.8);
        metal(cr, hex(0x4c4038));
        engine(f, side * 0.72, -0.5, 0.09, pal::ember);
    }
    // hangar mouth glowing at the front
    cairo_rectangle(cr, -0.3, 0.6, 0.6, 0.2);
    setRgb(cr, hex(0x2a0a04));
    cairo_fill(cr);
    cairo_rectangle(f.lc, -0.28, 0.62, 0.56, 0.16);
    setRgb(f.lc, pal::ember, 0.7 * f.flicker);
    cairo_fill(f.lc);
    engine(f, -0.22, -0.85, 0.1, pal::ember);
    engine(f, 0.22, -0.85, 0.1, pal::ember);
    lights(f, {{0.5, 0.4}, {0.5, 0.0}, {0.5, -0.4}}, pal::hostile);
}

void gunTurret(Frame& f, double x, double y, double r) {
    cairo_arc(f.cr, x, y, r, 0, 2 * M_PI);
    metal(f.cr, hex(0x50505a));
    cairo_rectangle(f.cr, x - r * 0.22, y, r * 0.44, r * 1.6);
    metal(f.cr, hex(0x60606a));
}

void cruiser(Frame& f) {
    cairo_t* cr = f.cr;
    sym(cr, {{0, 0.95}, {0.18, 0.8}, {0.3, 0.3}, {0.55, 0.05}, {0.55, -0.3}, {0.35, -0.5}, {0.35, -0.8}, {0.15, -0.9}});
    metal(cr, hex(0x45383a));
    line(cr, 0, 0.9, 0, -0.85, 0.45);
    for (double y = 0.2; y > -0.8; y -= 0.18) line(cr, -0.3, y, 0.3, y, 0.35);
    gunTurret(f, 0, 0.45, 0.09);
    gunTurret(f, -0.32, -0.05, 0.08);
    gunTurret(f, 0.32, -0.05, 0.08);
    cairo_rectangle(cr, -0.12, -0.45, 0.24, 0.2);
    metal(cr, hex(0x5a4a4a));
    eye(f, 0, -0.35, 0.05, pal::hostile);
    for (int i = -1; i <= 1; ++i) engine(f, i * 0.18, -0.9, 0.08, pal::ember);
    lights(f, {{0.52, 0.0}, {0.33, -0.6}}, pal::hostile);
}

void dreadnought(Frame& f) {
    cairo_t* cr = f.cr;
    sym(cr, {{0, 0.95}, {0.25, 0.7}, {0.75, -0.2}, {0.85, -0.55}, {0.6, -0.7}, {0.4, -0.6}, {0.35, -0.85}, {0.12, -0.9}});
    metal(cr, hex(0x3b3338));
    // armour plates and trench
    for (int side = -1; side <= 1; side += 2) {
        for (int k = 0; k < 4; ++k) {
            double y0 = 0.45 - k * 0.28;
            cairo_new_path(cr);
            cairo_move_to(cr, side * 0.12, y0);
            cairo_line_to(cr, side * (0.3 + k * 0.13), y0 - 0.15);
            cairo_line_to(cr, side * (0.3 + k * 0.13), y0 - 0.28);
            cairo_line_to(cr, side * 0.12, y0 - 0.2);
            cairo_close_path(cr);
            metal(cr, hex(0x4e3c40));
        }
    }
    cairo_rectangle(cr, -0.05, -0.8, 0.1, 1.6);
    setRgb(cr, hex(0x140c0e));
    cairo_fill(cr);
    cairo_rectangle(f.lc, -0.03, -0.78, 0.06, 1.5);
    setRgb(f.lc, pal::hostile, 0.45 * f.flicker);
    cairo_fill(f.lc);
    gunTurret(f, -0.25, 0.3, 0.07);
    gunTurret(f, 0.25, 0.3, 0.07);
    gunTurret(f, -0.5, -0.25, 0.07);
    gunTurret(f, 0.5, -0.25, 0.07);
    gunTurret(f, 0, 0.62, 0.08);
    // bridge
    sym(cr, {{0, -0.35}, {0.18, -0.45}, {0.18, -0.7}, {0.0, -0.75}});
    metal(cr, hex(0x5a4448));
    eye(f, 0, -0.5, 0.05, pal::hostile);
    for (int i = -2; i <= 2; ++i) engine(f, i * 0.14, -0.9, 0.06, pal::ember);
    engine(f, -0.62, -0.7, 0.07, pal::ember);
    engine(f, 0.62, -0.7, 0.07, pal::ember);
    lights(f, {{0.82, -0.5}, {0.7, -0.2}, {0.45, 0.2}}, pal::hostile);
}

void hive(Frame& f) {
    cairo_t* cr = f.cr;
    Rng rng(77);
    // spines
    for (int i = 0; i < 14; ++i) {
        double a = i * 2 * M_PI / 14 + 0.1 * std::sin(f.t * 2 * M_PI + i);
        double r1 = 0.6, r2 = 0.95 - 0.05 * (i % 2);
        cairo_move_to(cr, std::cos(a - 0.08) * r1, std::sin(a - 0.08) * r1 * 0.9);
        cairo_line_to(cr, std::cos(a) * r2, std::sin(a) * r2 * 0.9);
        cairo_line_to(cr, std::cos(a + 0.08) * r1, std::sin(a + 0.08) * r1 * 0.9);
        cairo_close_path(cr);
        metal(cr, hex(0x3a4a2a));
    }
    // lumpy body
    cairo_new_sub_path(cr);
    for (int i = 0; i <= 48; ++i) {
        double a = i * 2 * M_PI / 48;
        double r = 0.7 + 0.05 * std::sin(a * 5) + 0.03 * std::sin(a * 9 + f.t * 2 * M_PI);
        cairo_line_to(cr, std::cos(a) * r, std::sin(a) * r * 0.9);
    }
    cairo_close_path(cr);
    metal(cr, hex(0x34402a));
    // pulsing sacs
    for (int i = 0; i < 7; ++i) {
        double a = rng.range(0, 2 * M_PI), d = rng.range(0.15, 0.5), r = rng.range(0.07, 0.13);
        double x = std::cos(a) * d, y = std::sin(a) * d * 0.9;
        double pulse = 0.55 + 0.45 * std::sin(f.t * 2 * M_PI + i * 1.3);
        disc(cr, x, y, r, hex(0x1e3a10));
        disc(f.lc, x, y, r * (0.7 + 0.4 * pulse), pal::toxic, 0.6 + 0.4 * pulse);
    }
    eye(f, 0, 0.5, 0.12, hex(0xd4ff3a));
}


// Escort: a stubby wedge with a gold collar, so it reads as the leader's wing.
void escort(Frame& f) {
    cairo_t* cr = f.cr;
    sym(cr, {{0, 0.7}, {0.3, 0.3}, {0.72, 0.05}, {0.7, -0.2}, {0.32, -0.3}, {0.2, -0.6}, {0.08, -0.65}});
    metal(cr, hex(0x3d3656));
    line(cr, 0, 0.6, 0, -0.55);
    for (int side = -1; side <= 1; side += 2) line(cr, side * 0.18, 0.25, side * 0.62, 0.0, 0.45);
    cairo_rectangle(cr, -0.3, 0.02, 0.6, 0.07);
    setRgb(cr, pal::gold, 0.85);
    cairo_fill(cr);
    eye(f, 0, 0.35, 0.08, pal::gold);
    engine(f, -0.12, -0.62, 0.09, pal::ember);
    engine(f, 0.12, -0.62, 0.09, pal::ember);
    lights(f, {{0.7, -0.1}}, pal::gold);
}

// Mite: the hive's spawn, a small beetle of olive plates with a toxic eye; its legs twitch.
void mite(Frame& f) {
    cairo_t* cr = f.cr;
    double twitch = 0.08 * std::sin(f.t * 4 * M_PI);
    for (int side = -1; side <= 1; side += 2)
        for (int k = 0; k < 3; ++k) {
            double y = 0.3 - k * 0.3, a = (k - 1) * 0.35 + side * twitch;
            cairo_move_to(cr, side * 0.25, y);
            cairo_line_to(cr, side * (0.75 + 0.1 * std::cos(a)), y + 0.25 * std::sin(a) + (k - 1) * 0.15);
            cairo_set_line_width(cr, 0.07);
            setRgb(cr, hex(0x4a5530));
            cairo_stroke(cr);
        }
    cairo_save(cr);
    cairo_scale(cr, 0.55, 0.8);
    cairo_arc(cr, 0, 0, 0.8, 0, 2 * M_PI);
    cairo_restore(cr);
    metal(cr, hex(0x3e4a26));
    line(cr, 0, 0.55, 0, -0.6);
    eye(f, 0, 0.45, 0.12, pal::toxic);
    disc(f.lc, 0, -0.45, 0.1 * f.flicker, pal::toxic, 0.7);
}

// Lancer: a long needle with swept canards and a violet lance glowing at the nose.
void lancer(Frame& f) {
    cairo_t* cr = f.cr;
    sym(cr, {{0.08, 0.3}, {0.45, 0.05}, {0.45, -0.05}, {0.1, 0.05}});
    metal(cr, hex(0x34304e));
    sym(cr, {{0.1, -0.3}, {0.62, -0.7}, {0.6, -0.82}, {0.12, -0.6}});
    metal(cr, hex(0x34304e));
    sym(cr, {{0, 0.98}, {0.05, 0.8}, {0.12, 0.3}, {0.14, -0.6}, {0.08, -0.85}});
    metal(cr, hex(0x4a4470));
    line(cr, 0, 0.75, 0, -0.7);
    double charge = 0.6 + 0.4 * std::sin(f.t * 2 * M_PI);
    disc(f.lc, 0, 0.9, 0.12 * charge, hex(0xc05bff));
    disc(f.cr, 0, 0.9, 0.04, hex(0xf0d8ff));
    eye(f, 0, 0.2, 0.06, hex(0xc05bff));
    engine(f, 0, -0.86, 0.11, hex(0x8f7bff));
    lights(f, {{0.6, -0.76}, {0.44, 0.0}}, hex(0xc05bff));
}

// Bastion: a heavy square turret with a single long gun; frame 0 idle, frames 1 to 15 one
// shot (flash, recoil, return), as the game plays a turret's firing animation.
void bastion(Frame& f) {
    cairo_t* cr = f.cr;
    double recoil = 0, flash = 0;
    if (f.index > 0) {
        double k = (f.index - 1) / 14.0;
        recoil = 0.22 * std::exp(-k * 5) * (f.index > 1 ? 1 : 0.5);
        flash = f.index <= 3 ? 1.0 - (f.index - 1) / 3.0 : 0;
    }
    cairo_new_sub_path(cr);  // square base with cut corners
    for (auto [x, y] : Pts{{-0.5, -0.7}, {0.5, -0.7}, {0.7, -0.5}, {0.7, 0.45}, {0.5, 0.65}, {-0.5, 0.65}, {-0.7, 0.45}, {-0.7, -0.5}})
        cairo_line_to(cr, x, y);
    cairo_close_path(cr);
    metal(cr, hex(0x3a3a36));
    for (int i = 0; i < 4; ++i) {
        double x = (i % 2 ? 1 : -1) * 0.52, y = (i / 2 ? 1 : -1) * 0.5;
        disc(cr, x, y, 0.07, hex(0x15140f));
        disc(f.lc, x, y, f.blink ? 0.04 : 0.0, pal::ember);
    }
    for (double y = -0.35; y < 0.4; y += 0.18) {
        line(cr, -0.66, y, -0.46, y, 0.5);
        line(cr, 0.46, y, 0.66, y, 0.5);
    }
    cairo_rectangle(cr, -0.09, 0.05 - recoil, 0.18, 0.95);
    metal(cr, hex(0x8a826e));
    line(cr, 0, 0.45 - recoil, 0, 0.85 - recoil, 0.45);
    cairo_rectangle(cr, -0.12, 0.86 - recoil, 0.24, 0.12);
    metal(cr, hex(0x6a645a));
    cairo_arc(cr, 0, 0, 0.42, 0, 2 * M_PI);
    metal(cr, hex(0x5a4a2a));
    cairo_arc(cr, 0, 0, 0.26, 0, 2 * M_PI);
    cairo_set_line_width(cr, 0.04);
    cairo_set_source_rgba(cr, 0, 0, 0, 0.55);
    cairo_stroke(cr);
    eye(f, 0, -0.1, 0.1, pal::ember);
    if (flash > 0) {
        disc(f.lc, 0, 1.0 - recoil, 0.26 * flash, pal::gold);
        disc(f.lc, 0, 1.0 - recoil, 0.12 * flash, hex(0xffffff));
    }
}

// Warden: a broad command ship with a crown of violet fins, leader of the later formations.
void warden(Frame& f) {
    cairo_t* cr = f.cr;
    sym(cr, {{0.1, 0.55}, {0.6, 0.35}, {0.95, -0.15}, {0.85, -0.35}, {0.5, -0.25}, {0.3, -0.55}, {0.12, -0.6}});
    metal(cr, hex(0x2e2a44));
    for (int side = -1; side <= 1; side += 2) {
        cairo_save(cr);
        cairo_translate(cr, side * 0.58, 0.05);
        sym(cr, {{0, 0.5}, {0.07, 0.35}, {0.08, -0.3}, {0.04, -0.4}});
        metal(cr, hex(0x4a3f6e));
        cairo_restore(cr);
        engine(f, side * 0.58, -0.35, 0.08, hex(0xb06bff));
        line(cr, side * 0.2, 0.35, side * 0.85, -0.18, 0.4);
    }
    sym(cr, {{0, 0.95}, {0.14, 0.75}, {0.24, 0.3}, {0.24, -0.6}, {0.12, -0.85}});
    metal(cr, hex(0x443a66));
    cairo_rectangle(cr, -0.05, -0.55, 0.1, 0.5);
    setRgb(cr, hex(0xb06bff), 0.9);
    cairo_fill(cr);
    cairo_rectangle(f.lc, -0.06, -0.56, 0.12, 0.52);
    setRgb(f.lc, hex(0xb06bff), 0.6 * f.flicker);
    cairo_fill(f.lc);
    eye(f, -0.08, 0.6, 0.06, pal::gold);
    eye(f, 0.08, 0.6, 0.06, pal::gold);
    engine(f, -0.1, -0.84, 0.09, pal::ember);
    engine(f, 0.1, -0.84, 0.09, pal::ember);
    lights(f, {{0.93, -0.2}, {0.4, -0.45}}, hex(0xb06bff));
}

// Outrider: the Warden's wing, a split-tail fighter in the same violet with a magenta eye.
void outrider(Frame& f) {
    cairo_t* cr = f.cr;
    for (int side = -1; side <= 1; side += 2) {
        cairo_save(cr);
        cairo_translate(cr, side * 0.22, 0);
        sym(cr, {{0, 0.35}, {0.1, 0.2}, {0.12, -0.75}, {0.04, -0.85}});
        metal(cr, hex(0x3a3256));
        cairo_restore(cr);
        engine(f, side * 0.22, -0.82, 0.08, hex(0xff4fd8));
    }
    sym(cr, {{0, 0.85}, {0.12, 0.55}, {0.65, 0.1}, {0.6, -0.05}, {0.14, 0.0}, {0.1, -0.3}});
    metal(cr, hex(0x463c6a));
    line(cr, 0, 0.75, 0, -0.25);
    eye(f, 0, 0.45, 0.07, hex(0xff4fd8));
    lights(f, {{0.62, 0.03}}, hex(0xff4fd8));
}

// Spore: a drifting seed pod of toxic sacs inside a ribbed cage; it bursts into a ring of shots.
void spore(Frame& f) {
    cairo_t* cr = f.cr;
    double breathe = 1.0 + 0.05 * std::sin(f.t * 2 * M_PI);
    cairo_arc(cr, 0, 0, 0.78 * breathe, 0, 2 * M_PI);
    metal(cr, hex(0x2c3a24));
    for (int i = 0; i < 6; ++i) {
        double a = i * M_PI / 3 + f.t * M_PI / 3;
        cairo_move_to(cr, std::cos(a) * 0.2, std::sin(a) * 0.2);
        cairo_curve_to(cr, std::cos(a + 0.4) * 0.6, std::sin(a + 0.4) * 0.6, std::cos(a + 0.2) * 0.8,
                       std::sin(a + 0.2) * 0.8, std::cos(a + 0.3) * 0.78 * breathe, std::sin(a + 0.3) * 0.78 * breathe);
        cairo_set_line_width(cr, 0.06);
        setRgb(cr, hex(0x56683a));
        cairo_stroke(cr);
    }
    for (int i = 0; i < 6; ++i) {
        double a = i * M_PI / 3 + 0.5, pulse = 0.55 + 0.45 * std::sin(f.t * 2 * M_PI + i);
        double x = std::cos(a) * 0.48, y = std::sin(a) * 0.48;
        disc(cr, x, y, 0.11, hex(0x1e3a10));
        disc(f.lc, x, y, 0.09 * (0.7 + 0.5 * pulse), pal::toxic, 0.5 + 0.5 * pulse);
    }
    eye(f, 0, 0, 0.16, hex(0xd4ff3a));
}

// Wraith: a dark crescent bomber with three ember gun ports across its front edge.
void wraith(Frame& f) {
    cairo_t* cr = f.cr;
    cairo_new_sub_path(cr);
    cairo_move_to(cr, 0, 0.55);
    cairo_curve_to(cr, 0.5, 0.55, 0.9, 0.25, 0.95, -0.35);
    cairo_curve_to(cr, 0.7, -0.2, 0.45, -0.15, 0.25, -0.35);
    cairo_line_to(cr, 0.12, -0.75);
    cairo_line_to(cr, -0.12, -0.75);
    cairo_line_to(cr, -0.25, -0.35);
    cairo_curve_to(cr, -0.45, -0.15, -0.7, -0.2, -0.95, -0.35);
    cairo_curve_to(cr, -0.9, 0.25, -0.5, 0.55, 0, 0.55);
    cairo_close_path(cr);
    metal(cr, hex(0x2f2a2e));
    for (int side = -1; side <= 1; side += 2) {
        cairo_move_to(cr, side * 0.1, 0.45);
        cairo_curve_to(cr, side * 0.45, 0.4, side * 0.75, 0.15, side * 0.85, -0.2);
        cairo_set_line_width(cr, 0.03);
        setRgb(cr, hex(0x6a2a20), 0.9);
        cairo_stroke(cr);
    }
    for (int i = -1; i <= 1; ++i) {
        double x = i * 0.32, y = 0.5 - std::abs(i) * 0.1;
        disc(cr, x, y, 0.06, hex(0x201010));
        disc(f.lc, x, y, 0.05 * f.flicker, pal::ember);
    }
    eye(f, 0, 0.15, 0.09, pal::hostile);
    engine(f, 0, -0.75, 0.12, pal::ember);
    lights(f, {{0.9, -0.3}}, pal::hostile);
}

// Stinger: a wasp-waisted gunship with twin forward barbs and a glowing red tail sting.
void stinger(Frame& f) {
    cairo_t* cr = f.cr;
    sym(cr, {{0.1, 0.2}, {0.55, 0.45}, {0.75, 0.2}, {0.55, -0.05}, {0.15, -0.05}});
    metal(cr, hex(0x5a2626));
    for (int side = -1; side <= 1; side += 2) {
        cairo_move_to(cr, side * 0.12, 0.55);
        cairo_line_to(cr, side * 0.2, 0.95);
        cairo_line_to(cr, side * 0.26, 0.5);
        cairo_close_path(cr);
        metal(cr, hex(0x6a5a50));
    }
    sym(cr, {{0, 0.7}, {0.16, 0.5}, {0.2, 0.1}, {0.07, -0.1}, {0.12, -0.45}, {0.05, -0.8}});
    metal(cr, hex(0x4a2a2a));
    for (double y = -0.2; y > -0.7; y -= 0.15) line(cr, -0.1, y, 0.1, y, 0.55);
    double sting = 0.65 + 0.35 * std::sin(f.t * 2 * M_PI);
    disc(f.lc, 0, -0.85, 0.1 * sting, pal::hostile);
    eye(f, -0.07, 0.45, 0.05, pal::hostile);
    eye(f, 0.07, 0.45, 0.05, pal::hostile);
    engine(f, -0.4, 0.0, 0.07, pal::ember);
    engine(f, 0.4, 0.0, 0.07, pal::ember);
    lights(f, {{0.74, 0.2}}, pal::hostile);
}

// ---------------------------------------------------------------------------------------

void sheet(Output& out, const EnemyLook& look, const std::function<void(Frame&)>& draw) {
    std::string path = std::string("Data\\Textures\\Enemies\\") + look.name;
    if (!out.wants(path)) return;
    const int S = look.frameSize, cols = 4, rows = (look.frames + cols - 1) / cols;
    Surface sheetSurface = newSurface(S * cols, S * rows);
    Context sc = newContext(sheetSurface);
    Rng rng(seedOf(path));
    for (int i = 0; i < look.frames; ++i) {
        Surface hull = newSurface(S, S), light = newSurface(S, S);
        Context hc = newContext(hull), lc = newContext(light);
        for (cairo_t* c : {hc.get(), lc.get()}) {
            cairo_translate(c, S / 2.0, S / 2.0);
            cairo_scale(c, S / 2.0 * 0.94, S / 2.0 * 0.94);
        }
        Frame f{hc.get(), lc.get(), static_cast<double>(i) / look.frames, i, look.frames,
                0.75 + 0.25 * rng.uniform(), (i % 4) < 2};
        draw(f);
        hc.reset();
        lc.reset();
        Surface halo = newSurface(S, S);
        addGlow(halo, light, std::max(2, S / 14), 1.4);
        paintSurface(sc.get(), halo, (i % cols) * S, (i / cols) * S);
        paintSurface(sc.get(), hull, (i % cols) * S, (i / cols) * S);
        cairo_set_operator(sc.get(), CAIRO_OPERATOR_ADD);
        paintSurface(sc.get(), light, (i % cols) * S, (i / cols) * S, 0.6);
        cairo_set_operator(sc.get(), CAIRO_OPERATOR_OVER);
    }
    sc.reset();
    out.bmp(path, sheetSurface, BmpStyle::OverBlack);
}

}  // namespace

void paintEnemies(Output& out) {
    const std::vector<std::function<void(Frame&)>> draws = {drone,  wasp,   dart,   orb,     hornet,
                                                            medic,  manta,  scarab, saucer,  turret,
                                                            leader, carrier, cruiser, dreadnought, hive,
                                                            escort, mite,   lancer, bastion, warden,
                                                            outrider, spore, wraith, stinger};
    const auto& looks = EnemyLooks();
    for (size_t i = 0; i < looks.size() && i < draws.size(); ++i) sheet(out, looks[i], draws[i]);
}

}  // namespace vlm::forge
