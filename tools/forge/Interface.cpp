// Menus, dialogs, buttons, logos, loading and cut-scene backgrounds, the head-up display
// frames, the shop and the pause screen.
#include "Painters.h"

#include <cmath>

namespace vlm::forge {
namespace {

const std::string kUi = "Data\\Textures\\InterFace\\";

Surface blackSurface(int w, int h) {
    Surface s = newSurface(w, h);
    Context cr = newContext(s);
    cairo_set_source_rgb(cr.get(), 0, 0, 0);
    cairo_paint(cr.get());
    return s;
}

// Brushed-metal streaks over the current clip.
void brushed(cairo_t* cr, double x, double y, double w, double h, uint64_t seed, double alpha) {
    Rng rng(seed);
    cairo_set_line_width(cr, 1);
    for (int i = 0; i < static_cast<int>(h * 1.5); ++i) {
        double yy = y + rng.uniform() * h, x0 = x + rng.uniform() * w, len = rng.range(20, w * 0.6);
        double a = rng.range(0.02, 0.08) * alpha;
        cairo_set_source_rgba(cr, 0.8, 0.9, 1.0, a);
        cairo_move_to(cr, x0, yy + 0.5);
        cairo_line_to(cr, x0 + len, yy + 0.5);
        cairo_stroke(cr);
    }
}

// ---------------------------------------------------------------------------------------
// Buttons: chamfered steel plates with a word; the lighted twin glows.

void button(Output& out, const ButtonWord& word, bool lighted) {
    std::string path = kUi + "main\\" + word.stem + (lighted ? "_lighted.jpg" : ".jpg");
    if (!out.wants(path)) return;
    const int W = 512, H = 152;
    Surface s = blackSurface(W, H);
    Context c = newContext(s);
    cairo_t* cr = c.get();
    double x = 8, y = 10, w = W - 16, h = H - 20, ch = 26;

    chamferRect(cr, x, y, w, h, ch);
    if (lighted)
        setLinear(cr, 0, y, 0, y + h, {{0, hex(0x2f5d8c)}, {0.45, hex(0x173253)}, {1, hex(0x0d1c33)}});
    else
        setLinear(cr, 0, y, 0, y + h, {{0, hex(0x1f2c40)}, {0.45, hex(0x111a29)}, {1, hex(0x080d17)}});
    cairo_fill_preserve(cr);
    cairo_save(cr);
    cairo_clip_preserve(cr);
    brushed(cr, x, y, w, h, seedOf(path), lighted ? 1.6 : 1.0);
    // glassy highlight across the upper half
    cairo_rectangle(cr, x, y, w, h * 0.42);
    setLinear(cr, 0, y, 0, y + h * 0.42, {{0, hex(0xffffff)}, {1, hex(0xffffff)}}, 0);
    cairo_pattern_t* p = cairo_pattern_create_linear(0, y, 0, y + h * 0.42);
    cairo_pattern_add_color_stop_rgba(p, 0, 1, 1, 1, lighted ? 0.22 : 0.10);
    cairo_pattern_add_color_stop_rgba(p, 1, 1, 1, 1, 0.0);
    cairo_set_source(cr, p);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
    cairo_restore(cr);
    // rim
    cairo_set_line_width(cr, 3);
    if (lighted)
        setLinear(cr, 0, y, 0, y + h, {{0, hex(0xc8f6ff)}, {0.5, pal::ice}, {1, hex(0x2f8fb0)}});
    else
        setLinear(cr, 0, y, 0, y + h, {{0, hex(0x9fb6d0)}, {0.5, hex(0x50647f)}, {1, hex(0x25324a)}});
    cairo_stroke(cr);
    chamferRect(cr, x + 7, y + 7, w - 14, h - 14, ch - 4);
    cairo_set_line_width(cr, 1.2);
    cairo_set_source_rgba(cr, 0.55, 0.9, 1.0, lighted ? 0.5 : 0.18);
    cairo_stroke(cr);
    // end caps: small bars at both sides, warm when lighted
    Rgb cap = lighted ? pal::ember : hex(0x3f6f93);
    for (int side = 0; side < 2; ++side) {
        double cx = side == 0 ? x + 22 : x + w - 30;
        cairo_rectangle(cr, cx, y + h / 2 - 22, 8, 44);
        setRgb(cr, cap);
        cairo_fill(cr);
    }
    Lettering l;
    l.size = 66;
    l.tracking = 5;
    l.outline = 2;
    if (lighted) {
        l.top = hex(0xffffff);
        l.bottom = hex(0xd8f6ff);
        l.glow = pal::ice;
        l.glowStrength = 2.2;
        l.glowRadius = 14;
    } else {
        l.top = hex(0xc9d7e8);
        l.bottom = hex(0x7d93ad);
        l.glow = hex(0x2a6f95);
        l.glowStrength = 0.6;
        l.glowRadius = 10;
    }
    drawLettering(cr, upper(word.text), W / 2.0, H / 2.0 + 1, l, w - 110);
    if (lighted) {  // warm underline
        cairo_rectangle(cr, W / 2.0 - 90, y + h - 20, 180, 3);
        setRgb(cr, pal::ember, 0.9);
        cairo_fill(cr);
    }
    c.reset();
    out.jpeg(path, s);
}

// ---------------------------------------------------------------------------------------
// Backgrounds

NebulaStyle menuStyle(int variant) {
    NebulaStyle st;
    switch (variant % 4) {
    case 0:
        break;
    case 1:
        st.cloudA = hex(0x2a7bd6);
        st.cloudB = hex(0x1bb59c);
        st.cloudC = hex(0x5a34c8);
        st.deep2 = hex(0x04101a);
        break;
    case 2:
        st.cloudA = hex(0xb8367f);
        st.cloudB = hex(0x5a34c8);
        st.cloudC = hex(0xff7a2f);
        st.deep2 = hex(0x120616);
        break;
    default:
        st.cloudA = hex(0x3c5fd0);
        st.cloudB = hex(0x9a3cc8);
        st.cloudC = hex(0x1fc9c9);
        st.dust = 0.7f;
        break;
    }
    return st;
}

// A planet's lit limb rising from below: body, atmosphere glow.
void planetLimb(cairo_t* cr, double cx, double cy, double r, Rgb body, Rgb atmo, double lightX) {
    cairo_save(cr);
    cairo_arc(cr, cx, cy, r, 0, 2 * M_PI);
    cairo_pattern_t* p = cairo_pattern_create_radial(cx + lightX * r * 0.5, cy - r * 0.7, r * 0.1, cx, cy, r);
    cairo_pattern_add_color_stop_rgb(p, 0, body.r * 1.4, body.g * 1.4, body.b * 1.4);
    cairo_pattern_add_color_stop_rgb(p, 0.6, body.r * 0.6, body.g * 0.6, body.b * 0.6);
    cairo_pattern_add_color_stop_rgb(p, 1, body.r * 0.08, body.g * 0.08, body.b * 0.1);
    cairo_set_source(cr, p);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
    // atmosphere rim
    cairo_arc(cr, cx, cy, r * 1.02, 0, 2 * M_PI);
    cairo_pattern_t* a = cairo_pattern_create_radial(cx, cy, r * 0.96, cx, cy, r * 1.06);
    cairo_pattern_add_color_stop_rgba(a, 0, atmo.r, atmo.g, atmo.b, 0);
    cairo_pattern_add_color_stop_rgba(a, 0.4, atmo.r, atmo.g, atmo.b, 0.8);
    cairo_pattern_add_color_stop_rgba(a, 1, atmo.r, atmo.g, atmo.b, 0);
    cairo_set_source(cr, a);
    cairo_set_operator(cr, CAIRO_OPERATOR_ADD);
    cairo_fill(cr);
    cairo_pattern_destroy(a);
    cairo_restore(cr);
}

void titleLogo(cairo_t* cr, double cx, double cy, double size, double maxWidth) {
    Lettering l;
    l.font = FontId::SansBold;
    l.size = size;
    l.tracking = size * 0.08;
    l.top = hex(0xffffff);
    l.bottom = hex(0x7f9bbd);
    l.glow = pal::teal;
    l.glowStrength = 1.2;
    l.glowRadius = static_cast<int>(size * 0.25);
    l.outline = size * 0.03;
    drawLettering(cr, "VELMORA", cx, cy, l, maxWidth);
    Lettering two = l;
    two.size = size * 0.9;
    two.top = hex(0xfff1c4);
    two.bottom = pal::ember;
    two.glow = pal::ember;
    two.glowStrength = 1.6;
    drawLettering(cr, "II", cx, cy + size * 1.05, two);
}

void logotip(Output& out) {
    std::string path = kUi + "main\\logotip.jpg";
    if (!out.wants(path)) return;
    Surface s = blackSurface(512, 512);
    Context c = newContext(s);
    cairo_t* cr = c.get();
    // orbit ring behind the title
    cairo_save(cr);
    cairo_translate(cr, 256, 236);
    cairo_scale(cr, 1.0, 0.32);
    cairo_arc(cr, 0, 0, 220, 0, 2 * M_PI);
    cairo_restore(cr);
    cairo_set_line_width(cr, 5);
    setRgb(cr, pal::teal, 0.9);
    cairo_stroke(cr);
    Surface glowSrc = newSurface(512, 512);
    {
        Context g = newContext(glowSrc);
        cairo_save(g.get());
        cairo_translate(g.get(), 256, 236);
        cairo_scale(g.get(), 1.0, 0.32);
        cairo_arc(g.get(), 0, 0, 220, 0, 2 * M_PI);
        cairo_restore(g.get());
        cairo_set_line_width(g.get(), 10);
        setRgb(g.get(), pal::ice);
        cairo_stroke(g.get());
    }
    addGlow(s, glowSrc, 18, 1.0);
    titleLogo(cr, 256, 226, 92, 460);
    c.reset();
    out.jpeg(path, s);
}

void frameBar(Output& out, bool top) {
    std::string path = kUi + "main\\" + (top ? "up.jpg" : "down.jpg");
    if (!out.wants(path)) return;
    const int W = 1024, H = 128;
    Surface s = blackSurface(W, H);
    Context c = newContext(s);
    cairo_t* cr = c.get();
    if (!top) {  // the lower bar is the upper one turned over
        cairo_translate(cr, 0, H);
        cairo_scale(cr, 1, -1);
    }
    // bar body with angled inner edge
    cairo_move_to(cr, 0, 0);
    cairo_line_to(cr, W, 0);
    cairo_line_to(cr, W, 58);
    cairo_line_to(cr, W - 150, 58);
    cairo_line_to(cr, W - 190, 92);
    cairo_line_to(cr, 190, 92);
    cairo_line_to(cr, 150, 58);
    cairo_line_to(cr, 0, 58);
    cairo_close_path(cr);
    setLinear(cr, 0, 0, 0, 92, {{0, hex(0x060a12)}, {0.6, hex(0x18243a)}, {1, hex(0x2a3b58)}});
    cairo_fill_preserve(cr);
    cairo_save(cr);
    cairo_clip_preserve(cr);
    brushed(cr, 0, 0, W, 92, seedOf(path), 1.0);
    cairo_restore(cr);
    cairo_set_line_width(cr, 3);
    setRgb(cr, hex(0x8fb0d0));
    cairo_stroke(cr);
    // glowing edge line
    Surface line = newSurface(W, H);
    {
        Context lc = newContext(line);
        cairo_t* l = lc.get();
        if (!top) {
            cairo_translate(l, 0, H);
            cairo_scale(l, 1, -1);
        }
        cairo_move_to(l, 0, 64);
        cairo_line_to(l, 146, 64);
        cairo_line_to(l, 186, 98);
        cairo_line_to(l, W - 186, 98);
        cairo_line_to(l, W - 146, 64);
        cairo_line_to(l, W, 64);
        cairo_set_line_width(l, 2.5);
        setRgb(l, pal::ice);
        cairo_stroke(l);
    }
    paintSurface(cr, line, 0, 0);
    addGlow(s, line, 10, 1.5);
    // running lights and vents
    for (int i = 0; i < 12; ++i) {
        double x = 240 + i * 48;
        cairo_rectangle(cr, x, top ? 70 : 128 - 82, 26, 6);
        setRgb(cr, i % 3 == 0 ? pal::ember : hex(0x3d6f96), 0.9);
        cairo_fill(cr);
    }
    c.reset();
    out.jpeg(path, s);
}

void dialogBg(Output& out, const std::string& name, int motif) {
    std::string path = kUi + "main\\" + name;
    if (!out.wants(path)) return;
    const int W = 1024, H = 490;
    NebulaStyle st = menuStyle(motif + 1);
    st.density = 0.45f;
    Surface s = nebulaSurface(W, H, seedOf(path), st, false, 300);
    Context c = newContext(s);
    cairo_t* cr = c.get();
    // darken into a glass panel
    cairo_set_source_rgba(cr, 0.01, 0.02, 0.05, 0.62);
    cairo_paint(cr);
    if (motif == 1) {  // choose level: a faint star-chart grid
        cairo_set_line_width(cr, 1);
        cairo_set_source_rgba(cr, 0.4, 0.8, 1.0, 0.08);
        for (int x = 0; x < W; x += 48) {
            cairo_move_to(cr, x + 0.5, 0);
            cairo_line_to(cr, x + 0.5, H);
        }
        for (int y = 0; y < H; y += 48) {
            cairo_move_to(cr, 0, y + 0.5);
            cairo_line_to(cr, W, y + 0.5);
        }
        cairo_stroke(cr);
        for (int r = 80; r < 600; r += 110) {
            cairo_arc(cr, W * 0.72, H * 0.5, r, 0, 2 * M_PI);
        }
        cairo_set_source_rgba(cr, 0.4, 0.8, 1.0, 0.10);
        cairo_stroke(cr);
    } else if (motif == 2) {  // help: schematic rings
        for (int r = 40; r < 260; r += 36) cairo_arc(cr, W * 0.5, H * 0.5, r, 0, 2 * M_PI);
        cairo_set_line_width(cr, 1);
        cairo_set_source_rgba(cr, 0.5, 0.9, 1.0, 0.07);
        cairo_stroke(cr);
    }
    // outer frame
    cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
    chamferRect(cr, 3, 3, W - 6, H - 6, 34);
    cairo_rectangle(cr, 0, 0, W, H);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_fill(cr);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
    chamferRect(cr, 4, 4, W - 8, H - 8, 34);
    cairo_set_line_width(cr, 5);
    setLinear(cr, 0, 0, 0, H, {{0, hex(0xa9c4e0)}, {0.5, hex(0x4f6685)}, {1, hex(0x23324a)}});
    cairo_stroke(cr);
    chamferRect(cr, 14, 14, W - 28, H - 28, 26);
    cairo_set_line_width(cr, 1.5);
    cairo_set_source_rgba(cr, 0.5, 0.9, 1.0, 0.35);
    cairo_stroke(cr);
    Surface marks = newSurface(W, H);
    {
        Context mc = newContext(marks);
        cairo_t* m = mc.get();
        cairo_set_line_width(m, 4);
        setRgb(m, pal::ice);
        double L = 120;
        cairo_move_to(m, 6, 34 + L);
        cairo_line_to(m, 6, 38);
        cairo_line_to(m, 38, 6);
        cairo_line_to(m, 38 + L, 6);
        cairo_move_to(m, W - 6, H - 34 - L);
        cairo_line_to(m, W - 6, H - 38);
        cairo_line_to(m, W - 38, H - 6);
        cairo_line_to(m, W - 38 - L, H - 6);
        cairo_stroke(m);
        cairo_rectangle(m, W / 2.0 - 80, 8, 160, 4);
        cairo_rectangle(m, W / 2.0 - 80, H - 12, 160, 4);
        setRgb(m, pal::ember);
        cairo_fill(m);
    }
    paintSurface(cr, marks, 0, 0);
    addGlow(s, marks, 12, 1.2);
    c.reset();
    out.jpeg(path, s);
}

void helpPage(Output& out) {
    std::string path = kUi + "main\\HD_Page1.jpg";
    if (!out.wants(path)) return;
    const int W = 1024, H = 424;
    Surface s = blackSurface(W, H);
    Context c = newContext(s);
    cairo_t* cr = c.get();
    setLinear(cr, 0, 0, 0, H, {{0, hex(0x0b1322)}, {1, hex(0x04070e)}});
    cairo_paint(cr);
    drawPanel(cr, 6, 6, W - 12, H - 12, 22, 1.0);
    // mouse drawing on the left
    double mx = 190, my = 212;
    roundRect(cr, mx - 70, my - 110, 140, 220, 66);
    setLinear(cr, mx - 70, 0, mx + 70, 0, {{0, hex(0x2b3a52)}, {0.5, hex(0x5f7593)}, {1, hex(0x1c2638)}});
    cairo_fill_preserve(cr);
    cairo_set_line_width(cr, 3);
    setRgb(cr, hex(0xb8cce2));
    cairo_stroke(cr);
    // left button lit gold, right button lit ember, inside the body's outline
    cairo_save(cr);
    roundRect(cr, mx - 68, my - 108, 136, 216, 64);
    cairo_clip(cr);
    cairo_rectangle(cr, mx - 70, my - 110, 68, 78);
    setRgb(cr, pal::gold, 0.8);
    cairo_fill(cr);
    cairo_rectangle(cr, mx + 2, my - 110, 68, 78);
    setRgb(cr, pal::ember, 0.8);
    cairo_fill(cr);
    cairo_restore(cr);
    cairo_set_line_width(cr, 3);
    setRgb(cr, hex(0xb8cce2));
    cairo_move_to(cr, mx, my - 110);
    cairo_line_to(cr, mx, my - 30);
    cairo_move_to(cr, mx - 70, my - 30);
    cairo_line_to(cr, mx + 70, my - 30);
    cairo_stroke(cr);
    // arrows: left and right movement
    cairo_set_line_width(cr, 6);
    setRgb(cr, pal::ice);
    for (int side = -1; side <= 1; side += 2) {
        double x0 = mx + side * 88, x1 = mx + side * 140;
        cairo_move_to(cr, x0, my + 60);
        cairo_line_to(cr, x1, my + 60);
        cairo_stroke(cr);
        cairo_move_to(cr, x1 + side * 14, my + 60);
        cairo_line_to(cr, x1 - side * 4, my + 48);
        cairo_line_to(cr, x1 - side * 4, my + 72);
        cairo_close_path(cr);
        cairo_fill(cr);
    }
    Lettering head;
    head.size = 34;
    head.align = 0;
    head.tracking = 3;
    head.top = hex(0xffffff);
    head.bottom = pal::ice;
    head.glowStrength = 0.7;
    drawLettering(cr, "CONTROLS", 380, 58, head);
    struct Line {
        Rgb mark;
        const char* key;
        const char* text;
    };
    const Line lines[] = {
        {pal::ice, "MOUSE", "slide the ship left and right"},
        {pal::gold, "LEFT BUTTON", "hold to fire your guns"},
        {pal::ember, "RIGHT BUTTON", "launch a salvo of rockets"},
        {pal::toxic, "ESC", "pause the game"},
        {hex(0xc99bff), "CAPSULES", "fly into them to collect bonuses"},
        {pal::steelLight, "SHOP", "buy upgrades between levels"},
    };
    double y = 112;
    for (const Line& ln : lines) {
        cairo_rectangle(cr, 380, y - 9, 18, 18);
        setRgb(cr, ln.mark);
        cairo_fill(cr);
        Lettering k;
        k.size = 22;
        k.align = 0;
        k.tracking = 1.5;
        k.top = ln.mark;
        k.bottom = mix(ln.mark, hex(0xffffff), 0.3f);
        k.glowStrength = 0;
        k.shadow = true;
        drawLettering(cr, ln.key, 412, y, k, 210);
        Lettering t = k;
        t.font = FontId::Sans;
        t.top = hex(0xe8eef6);
        t.bottom = hex(0xb5c3d4);
        t.tracking = 0.5;
        drawLettering(cr, ln.text, 640, y, t, W - 680);
        y += 46;
    }
    c.reset();
    out.jpeg(path, s);
}

void menuBackground(Output& out, int i) {
    std::string path = kUi + "bg\\menu" + std::to_string(i) + ".jpg";
    if (!out.wants(path)) return;
    NebulaStyle st = menuStyle(i - 1);
    st.scale = 4;
    st.density = 1.1f;
    Surface s = nebulaSurface(1024, 1024, seedOf(path), st, true, 1800);
    out.jpeg(path, s);
}

void loadingBg(Output& out) {
    std::string path = kUi + "LoadingBg.jpg";
    if (!out.wants(path)) return;
    NebulaStyle st = menuStyle(1);
    st.density = 0.9f;
    Surface s = nebulaSurface(1024, 768, seedOf(path), st, false);
    Context c = newContext(s);
    cairo_t* cr = c.get();
    planetLimb(cr, 180, 1500, 900, hex(0x2a4f7a), pal::ice, 0.6);
    // frame for the level logo (504 by 260 at 706, 417) and the hint below the title
    cairo_set_line_width(cr, 2);
    cairo_set_source_rgba(cr, 0.5, 0.9, 1.0, 0.35);
    chamferRect(cr, 706 - 266, 417 - 144, 532, 288, 22);
    cairo_stroke(cr);
    Lettering l;
    l.size = 40;
    l.align = 0;
    l.tracking = 6;
    l.glowStrength = 1.0;
    drawLettering(cr, "VELMORA II", 48, 64, l);
    cairo_rectangle(cr, 48, 96, 300, 3);
    setRgb(cr, pal::ember, 0.9);
    cairo_fill(cr);
    c.reset();
    out.jpeg(path, s);
}

void loadingWindow(Output& out) {
    std::string path = kUi + "LoadingWindow.jpg";
    if (!out.wants(path)) return;
    NebulaStyle st = menuStyle(0);
    Surface s = nebulaSurface(651, 490, seedOf(path), st, false);
    Context c = newContext(s);
    cairo_t* cr = c.get();
    planetLimb(cr, 520, 900, 560, hex(0x3a2a6a), hex(0xc99bff), -0.5);
    titleLogo(cr, 325, 150, 70, 560);
    // dark band behind the progress bar (left 24, top 352, 609 by 16)
    cairo_rectangle(cr, 16, 344, 619, 32);
    cairo_set_source_rgba(cr, 0, 0, 0, 0.7);
    cairo_fill(cr);
    cairo_rectangle(cr, 16.5, 344.5, 618, 31);
    cairo_set_line_width(cr, 1);
    setRgb(cr, pal::ice, 0.5);
    cairo_stroke(cr);
    cairo_rectangle(cr, 0.5, 0.5, 650, 489);
    cairo_set_line_width(cr, 1);
    setRgb(cr, hex(0x8fb0d0), 0.8);
    cairo_stroke(cr);
    c.reset();
    out.jpeg(path, s);
}

void cutSceneBg(Output& out) {
    std::string path = kUi + "CutSceneBg1.jpg";
    if (!out.wants(path)) return;
    NebulaStyle st = menuStyle(3);
    st.density = 0.6f;
    Surface s = nebulaSurface(1024, 768, seedOf(path), st, false);
    Context c = newContext(s);
    cairo_t* cr = c.get();
    // letterbox bars with a thin lit edge
    for (int side = 0; side < 2; ++side) {
        double y = side == 0 ? 0 : 768 - 96;
        cairo_rectangle(cr, 0, y, 1024, 96);
        cairo_set_source_rgb(cr, 0.0, 0.0, 0.0);
        cairo_fill(cr);
        cairo_rectangle(cr, 0, side == 0 ? 95 : 768 - 97, 1024, 2);
        setRgb(cr, pal::teal, 0.8);
        cairo_fill(cr);
    }
    c.reset();
    out.jpeg(path, s);
}

void studioLogo(Output& out, const std::string& file) {
    std::string path = kUi + file;
    if (!out.wants(path)) return;
    Surface s = blackSurface(1024, 768);
    Context c = newContext(s);
    cairo_t* cr = c.get();
    if (file == "QuorvelWorks.jpg") {
        // a ring with a tail: the Q of Quorvel
        Surface mark = newSurface(1024, 768);
        {
            Context mc = newContext(mark);
            cairo_t* m = mc.get();
            cairo_set_line_width(m, 22);
            setRgb(m, pal::ice);
            cairo_arc(m, 512, 300, 110, 0, 2 * M_PI);
            cairo_stroke(m);
            cairo_set_line_cap(m, CAIRO_LINE_CAP_ROUND);
            cairo_move_to(m, 570, 360);
            cairo_line_to(m, 650, 440);
            cairo_stroke(m);
            cairo_arc(m, 512, 300, 38, 0, 2 * M_PI);
            setRgb(m, pal::ember);
            cairo_fill(m);
        }
        addGlow(s, mark, 26, 1.3);
        paintSurface(cr, mark, 0, 0);
        Lettering l;
        l.size = 64;
        l.tracking = 18;
        l.glowStrength = 0.6;
        drawLettering(cr, "QUORVEL WORKS", 512, 520, l);
    } else if (file == "Tessik.jpg") {
        Surface mark = newSurface(1024, 768);
        {
            Context mc = newContext(mark);
            cairo_t* m = mc.get();
            // a faceted gem with a T cut through it
            cairo_move_to(m, 512, 170);
            cairo_line_to(m, 622, 280);
            cairo_line_to(m, 512, 420);
            cairo_line_to(m, 402, 280);
            cairo_close_path(m);
            setLinear(m, 402, 170, 622, 420, {{0, pal::gold}, {1, pal::ember}});
            cairo_fill(m);
            cairo_rectangle(m, 452, 238, 120, 22);
            cairo_rectangle(m, 501, 238, 22, 130);
            cairo_set_source_rgb(m, 0.05, 0.03, 0.02);
            cairo_fill(m);
        }
        addGlow(s, mark, 30, 1.0);
        paintSurface(cr, mark, 0, 0);
        Lettering l;
        l.font = FontId::SerifBold;
        l.size = 78;
        l.tracking = 14;
        l.top = hex(0xfff1c4);
        l.bottom = pal::gold;
        l.glow = pal::ember;
        l.glowStrength = 0.7;
        drawLettering(cr, "TESSIK", 512, 520, l);
        Lettering sub = l;
        sub.font = FontId::Sans;
        sub.size = 26;
        sub.tracking = 10;
        sub.glowStrength = 0;
        drawLettering(cr, "INTERACTIVE", 512, 590, sub);
    } else {  // partner: the free software the game is built with
        Lettering l;
        l.size = 30;
        l.tracking = 8;
        l.glowStrength = 0.4;
        drawLettering(cr, "BUILT WITH FREE SOFTWARE", 512, 250, l);
        const char* names[] = {"SDL2", "OPENGL", "LIBOPENMPT", "CAIRO", "FREETYPE", "DEJAVU FONTS"};
        for (int i = 0; i < 6; ++i) {
            double x = 512 + ((i % 3) - 1) * 270, y = 370 + (i / 3) * 110;
            drawPanel(cr, x - 120, y - 36, 240, 72, 14, 1.0);
            Lettering n = l;
            n.size = 24;
            n.tracking = 3;
            n.top = hex(0xffffff);
            n.bottom = pal::ice;
            drawLettering(cr, names[i], x, y, n, 200);
        }
    }
    c.reset();
    out.jpeg(path, s);
}

void cursor(Output& out) {
    std::string path = kUi + "CursorImage.bmp";
    if (!out.wants(path)) return;
    Surface s = newSurface(32, 32);
    Context c = newContext(s);
    cairo_t* cr = c.get();
    // tip at (1, 1)
    cairo_move_to(cr, 1.5, 1.5);
    cairo_line_to(cr, 1.5, 24);
    cairo_line_to(cr, 7.5, 18.5);
    cairo_line_to(cr, 12, 28);
    cairo_line_to(cr, 16, 26);
    cairo_line_to(cr, 11.5, 17);
    cairo_line_to(cr, 19.5, 17);
    cairo_close_path(cr);
    setLinear(cr, 0, 0, 16, 28, {{0, hex(0xffffff)}, {1, hex(0x9fdcff)}});
    cairo_fill_preserve(cr);
    cairo_set_line_width(cr, 1.6);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    setRgb(cr, hex(0x06304a));
    cairo_stroke(cr);
    c.reset();
    out.bmp(path, s, BmpStyle::Straight);
}

// ---------------------------------------------------------------------------------------
// Head-up display frames (straight alpha: glass over the game)

void hudGlass(cairo_t* cr, double x, double y, double w, double h, double ch) {
    chamferRect(cr, x, y, w, h, ch);
    setLinear(cr, 0, y, 0, y + h, {{0, hex(0x1a2c46)}, {1, hex(0x070c16)}}, 0.62);
    cairo_fill_preserve(cr);
    cairo_set_line_width(cr, 2);
    setLinear(cr, 0, y, 0, y + h, {{0, hex(0xb6d3ee)}, {1, hex(0x3b5575)}}, 0.95);
    cairo_stroke(cr);
}

void slot(cairo_t* cr, double x, double y, double w, double h) {
    chamferRect(cr, x, y, w, h, h * 0.3);
    cairo_set_source_rgba(cr, 0.0, 0.02, 0.05, 0.55);
    cairo_fill_preserve(cr);
    cairo_set_line_width(cr, 1);
    setRgb(cr, pal::ice, 0.45);
    cairo_stroke(cr);
}

void healthIcon(cairo_t* cr, double cx, double cy, double r) {
    cairo_rectangle(cr, cx - r * 0.3, cy - r, r * 0.6, r * 2);
    cairo_rectangle(cr, cx - r, cy - r * 0.3, r * 2, r * 0.6);
    setRgb(cr, hex(0x5dff8a));
    cairo_fill(cr);
}

void shieldIcon(cairo_t* cr, double cx, double cy, double r, Rgb col) {
    cairo_move_to(cr, cx, cy - r);
    cairo_line_to(cr, cx + r * 0.85, cy - r * 0.6);
    cairo_curve_to(cr, cx + r * 0.85, cy + r * 0.2, cx + r * 0.4, cy + r * 0.7, cx, cy + r);
    cairo_curve_to(cr, cx - r * 0.4, cy + r * 0.7, cx - r * 0.85, cy + r * 0.2, cx - r * 0.85, cy - r * 0.6);
    cairo_close_path(cr);
    setLinear(cr, cx, cy - r, cx, cy + r, {{0, mix(col, hex(0xffffff), 0.4f)}, {1, col}});
    cairo_fill(cr);
}

void rocketIcon(cairo_t* cr, double cx, double cy, double len, Rgb flame) {
    double w = len * 0.22;
    cairo_move_to(cr, cx, cy - len / 2);
    cairo_curve_to(cr, cx + w, cy - len / 2 + w, cx + w / 2, cy - len / 4, cx + w / 2, cy + len / 4);
    cairo_line_to(cr, cx + w, cy + len / 2 - w * 0.3);
    cairo_line_to(cr, cx - w, cy + len / 2 - w * 0.3);
    cairo_line_to(cr, cx - w / 2, cy + len / 4);
    cairo_curve_to(cr, cx - w / 2, cy - len / 4, cx - w, cy - len / 2 + w, cx, cy - len / 2);
    setLinear(cr, cx - w, 0, cx + w, 0, {{0, hex(0x8a99ad)}, {0.45, hex(0xf4f8ff)}, {1, hex(0x5a677a)}});
    cairo_fill(cr);
    cairo_move_to(cr, cx - w * 0.45, cy + len / 2 - w * 0.3);
    cairo_line_to(cr, cx, cy + len / 2 + w * 1.3);
    cairo_line_to(cr, cx + w * 0.45, cy + len / 2 - w * 0.3);
    setRgb(cr, flame);
    cairo_fill(cr);
}

void shipIcon(cairo_t* cr, double cx, double cy, double s) {
    cairo_move_to(cr, cx, cy - s);
    cairo_line_to(cr, cx + s * 0.35, cy);
    cairo_line_to(cr, cx + s, cy + s * 0.6);
    cairo_line_to(cr, cx + s * 0.3, cy + s * 0.55);
    cairo_line_to(cr, cx, cy + s * 0.8);
    cairo_line_to(cr, cx - s * 0.3, cy + s * 0.55);
    cairo_line_to(cr, cx - s, cy + s * 0.6);
    cairo_line_to(cr, cx - s * 0.35, cy);
    cairo_close_path(cr);
    setLinear(cr, cx, cy - s, cx, cy + s, {{0, hex(0xffffff)}, {1, pal::steel}});
    cairo_fill(cr);
}

void hud(Output& out) {
    const std::string g = kUi + "game\\";
    if (out.wants(g + "ArmorAndHealth.bmp")) {
        Surface s = newSurface(122, 115);
        Context c = newContext(s);
        cairo_t* cr = c.get();
        hudGlass(cr, 1, 1, 120, 113, 12);
        slot(cr, 30, 4, 86, 22);   // health text at 13 px from the top
        slot(cr, 30, 62, 86, 24);  // armour text at 73 px
        healthIcon(cr, 16, 15, 8);
        shieldIcon(cr, 16, 74, 10, hex(0x5fb8ff));
        // a thin divider between the two (no dashes: they read as a gauge that never moved)
        cairo_rectangle(cr, 14, 42, 94, 1.5);
        setRgb(cr, pal::ice, 0.35);
        cairo_fill(cr);
        c.reset();
        out.bmp(g + "ArmorAndHealth.bmp", s, BmpStyle::Straight);
    }
    if (out.wants(g + "ScoresAndLevel.bmp")) {
        Surface s = newSurface(600, 70);
        Context c = newContext(s);
        cairo_t* cr = c.get();
        cairo_move_to(cr, 1, 1);
        cairo_line_to(cr, 599, 1);
        cairo_line_to(cr, 540, 68);
        cairo_line_to(cr, 60, 68);
        cairo_close_path(cr);
        setLinear(cr, 0, 0, 0, 70, {{0, hex(0x070c16)}, {1, hex(0x1a2c46)}}, 0.66);
        cairo_fill_preserve(cr);
        cairo_set_line_width(cr, 2);
        setRgb(cr, hex(0x9fc0e0), 0.95);
        cairo_stroke(cr);
        slot(cr, 180, 11, 240, 22);
        slot(cr, 150, 34, 300, 22);
        for (int side = -1; side <= 1; side += 2) {
            cairo_rectangle(cr, 300 + side * 250 - 20, 30, 40, 4);
            setRgb(cr, pal::ember, 0.9);
            cairo_fill(cr);
        }
        c.reset();
        out.bmp(g + "ScoresAndLevel.bmp", s, BmpStyle::Straight);
    }
    if (out.wants(g + "Rockets.bmp")) {
        Surface s = newSurface(166, 68);
        Context c = newContext(s);
        cairo_t* cr = c.get();
        hudGlass(cr, 1, 1, 164, 66, 12);
        slot(cr, 30, 8, 74, 24);  // rocket count at (67, 19)
        for (int i = 0; i < 3; ++i) rocketIcon(cr, 122 + i * 14, 34, 38, pal::ember);
        cairo_rectangle(cr, 30, 42, 74, 3);
        setRgb(cr, pal::ember, 0.7);
        cairo_fill(cr);
        c.reset();
        out.bmp(g + "Rockets.bmp", s, BmpStyle::Straight);
    }
    if (out.wants(g + "Lifes.bmp")) {
        Surface s = newSurface(120, 40);
        Context c = newContext(s);
        cairo_t* cr = c.get();
        hudGlass(cr, 1, 1, 118, 38, 10);
        slot(cr, 44, 3, 60, 22);  // lives at (66, 11)
        shipIcon(cr, 22, 18, 12);
        c.reset();
        out.bmp(g + "Lifes.bmp", s, BmpStyle::Straight);
    }
    if (out.wants(g + "StatisticsPanel.bmp")) {
        const int W = 560, H = 516;
        Surface s = newSurface(W, H);
        Context c = newContext(s);
        cairo_t* cr = c.get();
        chamferRect(cr, 2, 2, W - 4, H - 4, 30);
        setLinear(cr, 0, 0, 0, H, {{0, hex(0x16253d)}, {1, hex(0x060a14)}}, 0.86);
        cairo_fill_preserve(cr);
        cairo_set_line_width(cr, 4);
        setLinear(cr, 0, 0, 0, H, {{0, hex(0xb6d3ee)}, {1, hex(0x2f4563)}});
        cairo_stroke(cr);
        // title band
        chamferRect(cr, 30, 20, W - 60, 54, 16);
        setRgb(cr, hex(0x0d1a2e), 0.9);
        cairo_fill(cr);
        Lettering l;
        l.size = 30;
        l.tracking = 6;
        l.top = hex(0xffffff);
        l.bottom = pal::ice;
        l.glowStrength = 1.0;
        drawLettering(cr, "LEVEL COMPLETE", W / 2.0, 47, l);
        for (int i = 0; i < 3; ++i) {
            slot(cr, 30, 100 + i * 74, W - 60, 52);
        }
        chamferRect(cr, 60, 322, W - 120, 106, 20);
        setRgb(cr, hex(0x12243c), 0.8);
        cairo_fill_preserve(cr);
        cairo_set_line_width(cr, 2);
        setRgb(cr, pal::gold, 0.7);
        cairo_stroke(cr);
        cairo_rectangle(cr, W / 2.0 - 110, H - 40, 220, 3);
        setRgb(cr, pal::ember, 0.9);
        cairo_fill(cr);
        c.reset();
        out.bmp(g + "StatisticsPanel.bmp", s, BmpStyle::Straight);
    }
    if (out.wants(g + "gom.jpg")) {
        Surface s = blackSurface(512, 256);
        Context c = newContext(s);
        Lettering l;
        l.size = 84;
        l.tracking = 8;
        l.top = hex(0xffe3b0);
        l.bottom = hex(0xff3b1f);
        l.glow = hex(0xff3b1f);
        l.glowStrength = 1.8;
        l.glowRadius = 20;
        l.outline = 2;
        drawLettering(c.get(), "GAME", 256, 82, l);
        drawLettering(c.get(), "OVER", 256, 180, l);
        c.reset();
        out.jpeg(g + "gom.jpg", s);
    }
}

// ---------------------------------------------------------------------------------------
// Shop

void shopIcon(Output& out, const std::string& name, int kind) {
    std::string path = kUi + "shop\\" + name + ".bmp";
    if (!out.wants(path)) return;
    Surface s = newSurface(64, 64);
    Context c = newContext(s);
    cairo_t* cr = c.get();
    chamferRect(cr, 2, 2, 60, 60, 12);
    setLinear(cr, 0, 0, 0, 64, {{0, hex(0x1f3452)}, {1, hex(0x08101d)}}, 0.92);
    cairo_fill_preserve(cr);
    cairo_set_line_width(cr, 2);
    setRgb(cr, hex(0x9fc0e0));
    cairo_stroke(cr);
    Surface sym = newSurface(64, 64);
    {
        Context sc = newContext(sym);
        cairo_t* m = sc.get();
        cairo_set_line_cap(m, CAIRO_LINE_CAP_ROUND);
        switch (kind) {
        case 0:  // primary bullets: golden bolts upward
            for (int i = -1; i <= 1; ++i) {
                cairo_move_to(m, 32 + i * 12, 48 - std::abs(i) * 6);
                cairo_line_to(m, 32 + i * 12, 16 - std::abs(i) * 6 + 6);
                cairo_set_line_width(m, i == 0 ? 7 : 5);
                setRgb(m, pal::gold);
                cairo_stroke(m);
            }
            break;
        case 1:  // mega: two diagonal cyan bolts
            cairo_set_line_width(m, 6);
            setRgb(m, pal::ice);
            cairo_move_to(m, 28, 48);
            cairo_line_to(m, 14, 16);
            cairo_move_to(m, 36, 48);
            cairo_line_to(m, 50, 16);
            cairo_stroke(m);
            break;
        case 2:  // autoaim: crosshair with a homing curve
            cairo_set_line_width(m, 3);
            setRgb(m, pal::toxic);
            cairo_arc(m, 40, 22, 10, 0, 2 * M_PI);
            cairo_stroke(m);
            cairo_move_to(m, 40, 6);
            cairo_line_to(m, 40, 38);
            cairo_move_to(m, 24, 22);
            cairo_line_to(m, 56, 22);
            cairo_stroke(m);
            cairo_set_line_width(m, 4);
            cairo_move_to(m, 14, 54);
            cairo_curve_to(m, 14, 34, 22, 26, 32, 24);
            cairo_stroke(m);
            break;
        case 3:  // rockets
            rocketIcon(m, 24, 30, 40, pal::ember);
            rocketIcon(m, 40, 34, 40, pal::ember);
            break;
        case 4:  // armour
            shieldIcon(m, 32, 32, 22, hex(0x5fb8ff));
            break;
        case 5:  // regeneration: cross in a ring
            cairo_set_line_width(m, 4);
            setRgb(m, hex(0x5dff8a));
            cairo_arc(m, 32, 32, 22, 0.3, 2 * M_PI - 0.3);
            cairo_stroke(m);
            healthIcon(m, 32, 32, 12);
            break;
        case 6:  // bonus strength: capsule with a star
            roundRect(m, 14, 20, 36, 24, 12);
            setRgb(m, hex(0xc99bff));
            cairo_fill(m);
            for (int i = 0; i < 10; ++i) {
                double a = -M_PI / 2 + i * M_PI / 5, r = i % 2 ? 5 : 11;
                if (i == 0)
                    cairo_move_to(m, 32 + r * std::cos(a), 32 + r * std::sin(a));
                else
                    cairo_line_to(m, 32 + r * std::cos(a), 32 + r * std::sin(a));
            }
            cairo_close_path(m);
            setRgb(m, hex(0xffffff));
            cairo_fill(m);
            break;
        default:  // time freeze: hourglass in a ring
            cairo_set_line_width(m, 3);
            setRgb(m, pal::ice);
            cairo_arc(m, 32, 32, 23, 0, 2 * M_PI);
            cairo_stroke(m);
            cairo_move_to(m, 20, 16);
            cairo_line_to(m, 44, 16);
            cairo_line_to(m, 20, 48);
            cairo_line_to(m, 44, 48);
            cairo_close_path(m);
            setRgb(m, hex(0xdff8ff));
            cairo_fill(m);
            break;
        }
    }
    addGlow(s, sym, 6, 0.9);
    paintSurface(cr, sym, 0, 0);
    c.reset();
    out.bmp(path, s, BmpStyle::Straight);
}

void arrow(Output& out, const std::string& name, bool right) {
    std::string path = kUi + "shop\\" + name + ".bmp";
    if (!out.wants(path)) return;
    Surface s = newSurface(128, 64);
    Context c = newContext(s);
    cairo_t* cr = c.get();
    Surface sym = newSurface(128, 64);
    {
        Context sc = newContext(sym);
        cairo_t* m = sc.get();
        if (!right) {
            cairo_translate(m, 128, 0);
            cairo_scale(m, -1, 1);
        }
        cairo_move_to(m, 28, 14);
        cairo_line_to(m, 72, 14);
        cairo_line_to(m, 104, 32);
        cairo_line_to(m, 72, 50);
        cairo_line_to(m, 28, 50);
        cairo_line_to(m, 52, 32);
        cairo_close_path(m);
        setLinear(m, 0, 14, 0, 50, {{0, hex(0xe8fbff)}, {0.5, pal::ice}, {1, hex(0x2f8fb0)}});
        cairo_fill_preserve(m);
        cairo_set_line_width(m, 2);
        setRgb(m, hex(0x0a2a40));
        cairo_stroke(m);
    }
    addGlow(s, sym, 8, 1.0);
    paintSurface(cr, sym, 0, 0);
    c.reset();
    out.bmp(path, s, BmpStyle::Straight);
}

void shopButton(Output& out, const std::string& name, const std::string& text) {
    std::string path = kUi + "shop\\" + name + ".bmp";
    if (!out.wants(path)) return;
    Surface s = newSurface(256, 64);
    Context c = newContext(s);
    cairo_t* cr = c.get();
    chamferRect(cr, 3, 3, 250, 58, 14);
    setLinear(cr, 0, 0, 0, 64, {{0, hex(0x2b4d75)}, {1, hex(0x0b1628)}}, 0.95);
    cairo_fill_preserve(cr);
    cairo_set_line_width(cr, 2.5);
    setRgb(cr, pal::ice);
    cairo_stroke(cr);
    Lettering l;
    l.size = 30;
    l.tracking = 3;
    l.outline = 1.5;
    l.top = hex(0xffffff);
    l.bottom = hex(0xbfe9ff);
    l.glowStrength = 0.9;
    l.glowRadius = 8;
    drawLettering(cr, upper(text), 128, 32, l, 210);
    c.reset();
    out.bmp(path, s, BmpStyle::Straight);
}

void cube(Output& out, const std::string& name, bool filled) {
    std::string path = kUi + "shop\\" + name + ".bmp";
    if (!out.wants(path)) return;
    Surface s = newSurface(64, 64);
    Context c = newContext(s);
    cairo_t* cr = c.get();
    if (filled) {
        Surface sym = newSurface(64, 64);
        {
            Context sc = newContext(sym);
            chamferRect(sc.get(), 12, 12, 40, 40, 8);
            setLinear(sc.get(), 0, 12, 0, 52, {{0, hex(0xfffbe6)}, {0.55, hex(0xffd45a)}, {1, hex(0xffa63a)}});
            cairo_fill(sc.get());
        }
        addGlow(s, sym, 10, 1.2);
        paintSurface(cr, sym, 0, 0);
        chamferRect(cr, 12, 12, 40, 40, 8);
        cairo_set_line_width(cr, 2);
        setRgb(cr, hex(0xfff8e0));
        cairo_stroke(cr);
    } else {
        chamferRect(cr, 12, 12, 40, 40, 8);
        cairo_set_source_rgba(cr, 0.05, 0.09, 0.16, 0.75);
        cairo_fill_preserve(cr);
        cairo_set_line_width(cr, 2.5);
        setRgb(cr, hex(0x6f8fb0));
        cairo_stroke(cr);
    }
    c.reset();
    out.bmp(path, s, BmpStyle::Straight);
}

// The skin chooser's panel: the six skins stand in its upper two thirds, two rows of three; the
// band below says what the panel is for.
void skinsPanel(Output& out) {
    std::string path = kUi + "shop\\SkinsBg.bmp";
    if (!out.wants(path)) return;
    Surface s = newSurface(256, 256);
    Context c = newContext(s);
    cairo_t* cr = c.get();
    drawPanel(cr, 3, 3, 250, 250, 16, 0.96, true);
    cairo_rectangle(cr, 24, 190, 208, 1.5);
    setRgb(cr, pal::ice, 0.5);
    cairo_fill(cr);
    Lettering l;
    l.size = 15;
    l.tracking = 3;
    l.top = hex(0xffffff);
    l.bottom = pal::ice;
    l.glowStrength = 0.8;
    drawLettering(cr, "CHOOSE A SKIN", 128, 214, l, 220);
    cairo_rectangle(cr, 88, 230, 80, 2);
    setRgb(cr, pal::ember, 0.9);
    cairo_fill(cr);
    c.reset();
    out.bmp(path, s, BmpStyle::Straight);
}

void shopBg(Output& out) {
    // Laid out around where the shop puts its pieces at 1024 by 768: the armour column at the
    // left (icons at x 61, arrows to 350), the guns column at the right (icons at x 664 to 697,
    // names to 960), the ship in a bay in the middle on its pad (centre 512, 417), "ship skins"
    // at (512, 546) above the panel of the points and the descriptions (y 583 to 720), and
    // "continue" at the top right (594 to 833).
    std::string path = kUi + "shop\\ShopBg.jpg";
    if (!out.wants(path)) return;
    NebulaStyle st = menuStyle(1);
    st.density = 0.7f;
    Surface s = nebulaSurface(1024, 768, seedOf(path), st, false);
    Context c = newContext(s);
    cairo_t* cr = c.get();
    const double bayX = 372, bayY = 150, bayW = 280, bayH = 362, bayR = 46;
    // hangar: dark bulkheads with a bay onto space in the middle
    cairo_rectangle(cr, 0, 0, 1024, 768);
    roundRect(cr, bayX, bayY, bayW, bayH, bayR);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
    setLinear(cr, 0, 0, 0, 768, {{0, hex(0x101a2a)}, {0.5, hex(0x0a111d)}, {1, hex(0x05080f)}}, 0.93);
    cairo_fill(cr);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
    cairo_save(cr);
    cairo_rectangle(cr, 0, 0, 1024, 768);
    roundRect(cr, bayX, bayY, bayW, bayH, bayR);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
    cairo_clip(cr);
    brushed(cr, 0, 0, 1024, 768, seedOf(path), 0.6);
    cairo_restore(cr);
    roundRect(cr, bayX, bayY, bayW, bayH, bayR);
    cairo_set_line_width(cr, 6);
    setRgb(cr, hex(0x8fb0d0));
    cairo_stroke(cr);
    roundRect(cr, bayX + 7, bayY + 7, bayW - 14, bayH - 14, bayR - 6);
    cairo_set_line_width(cr, 1.5);
    setRgb(cr, pal::ice, 0.45);
    cairo_stroke(cr);
    // the two columns of upgrades, the panel of the points and descriptions
    drawPanel(cr, 16, 262, 348, 238, 18, 0.9);
    drawPanel(cr, 644, 262, 364, 238, 18, 0.9);
    drawPanel(cr, 262, 568, 590, 170, 18, 0.9);
    // small captions over the columns
    Lettering cap;
    cap.size = 15;
    cap.tracking = 5;
    cap.top = hex(0xdff4ff);
    cap.bottom = pal::ice;
    cap.glowStrength = 0.6;
    drawLettering(cr, "DEFENCE", 190, 244, cap);
    drawLettering(cr, "WEAPONS", 826, 244, cap);
    for (double x : {120.0, 730.0}) {
        cairo_rectangle(cr, x, 253, 140, 2);
        setRgb(cr, pal::ember, 0.8);
        cairo_fill(cr);
    }
    // landing pad under the ship, inside the bay
    cairo_save(cr);
    roundRect(cr, bayX, bayY, bayW, bayH, bayR);
    cairo_clip(cr);
    for (int r = 130; r > 30; r -= 32) {
        cairo_save(cr);
        cairo_translate(cr, 512, 440);
        cairo_scale(cr, 1, 0.3);
        cairo_arc(cr, 0, 0, r, 0, 2 * M_PI);
        cairo_restore(cr);
        cairo_set_line_width(cr, 2);
        setRgb(cr, pal::ice, 0.25 + (130 - r) / 260.0);
        cairo_stroke(cr);
    }
    cairo_restore(cr);
    // the title at the top left, clear of "continue"
    Lettering l;
    l.size = 42;
    l.tracking = 9;
    l.top = hex(0xffffff);
    l.bottom = pal::ice;
    l.glowStrength = 1.1;
    drawLettering(cr, "UPGRADE SHOP", 286, 58, l);
    cairo_rectangle(cr, 170, 88, 232, 3);
    setRgb(cr, pal::ember);
    cairo_fill(cr);
    c.reset();
    out.jpeg(path, s);
}

// ---------------------------------------------------------------------------------------
// Pause

void pause(Output& out) {
    std::string msg = kUi + "pause\\Message.jpg";
    if (out.wants(msg)) {
        Surface s = blackSurface(512, 160);
        Context c = newContext(s);
        Lettering l;
        l.size = 86;
        l.tracking = 16;
        l.top = hex(0xeafff4);
        l.bottom = hex(0x2ace8e);
        l.glow = hex(0x2ace8e);
        l.glowStrength = 1.6;
        l.glowRadius = 18;
        l.outline = 2;
        drawLettering(c.get(), "PAUSED", 256, 80, l);
        c.reset();
        out.jpeg(msg, s);
    }
    std::string noise = kUi + "pause\\Noise1.jpg";
    if (out.wants(noise)) {
        Picture p(256, 256);
        Noise n(seedOf(noise));
        Rng rng(seedOf(noise) + 1);
        for (int y = 0; y < 256; ++y) {
            float scan = (y % 4 < 2) ? 1.0f : 0.7f;
            for (int x = 0; x < 256; ++x) {
                float v = static_cast<float>(rng.uniform());
                v = v * v * 0.7f + 0.3f * (n.fbm(x / 32.0f, y / 32.0f, 3, 8) * 0.5f + 0.5f);
                float* q = p.at(x, y);
                q[0] = v * 0.55f * scan;
                q[1] = v * scan;
                q[2] = v * 0.75f * scan;
            }
        }
        out.jpeg(noise, toSurface(p));
    }
}

}  // namespace

// The bar of light behind the chosen row of a list: a soft cyan band between two bright lines,
// fading out to both ends, with a small ember tick at each end. Drawn additively (black vanishes).
void selectionMark(Output& out) {
    const std::string path = kUi + "main\\Mark.jpg";
    if (!out.wants(path)) return;
    const int W = 512, H = 64;
    Surface s = blackSurface(W, H);
    Context c = newContext(s);
    cairo_t* cr = c.get();
    // The band: brightest in the middle, fading towards the ends and the edges.
    for (int pass = 0; pass < 2; ++pass) {
        const double inset = pass == 0 ? 10 : 20;
        cairo_rectangle(cr, 0, inset, W, H - 2 * inset);
        setLinear(cr, 0, 0, W, 0,
                  {{0, hex(0x000000)}, {0.12, mix(pal::navy, pal::teal, 0.35f)}, {0.5, mix(pal::teal, pal::ice, 0.25f)},
                   {0.88, mix(pal::navy, pal::teal, 0.35f)}, {1, hex(0x000000)}});
        cairo_fill(cr);
    }
    // The lines and ticks glow.
    Surface light = newSurface(W, H);
    {
        Context lc = newContext(light);
        cairo_t* l = lc.get();
        for (double y : {9.0, H - 9.0}) {
            cairo_move_to(l, 36, y);
            cairo_line_to(l, W - 36, y);
        }
        cairo_set_line_width(l, 2.5);
        setLinear(l, 0, 0, W, 0, {{0, hex(0x000000)}, {0.2, pal::ice}, {0.8, pal::ice}, {1, hex(0x000000)}});
        cairo_stroke(l);
        for (double x : {18.0, W - 24.0}) {
            cairo_rectangle(l, x, 22, 6, H - 44);
            setRgb(l, pal::ember);
            cairo_fill(l);
        }
    }
    paintSurface(cr, light, 0, 0);
    addGlow(s, light, 8, 1.2);
    c.reset();
    out.jpeg(path, s);
}

void paintInterface(Output& out) {
    for (const ButtonWord& w : ButtonWords()) {
        button(out, w, false);
        button(out, w, true);
    }
    logotip(out);
    frameBar(out, true);
    frameBar(out, false);
    dialogBg(out, "ChooseLevelBg.jpg", 1);
    dialogBg(out, "OptionsBg.jpg", 0);
    dialogBg(out, "HelpBg.jpg", 2);
    helpPage(out);
    for (int i = 1; i <= 4; ++i) menuBackground(out, i);
    loadingBg(out);
    loadingWindow(out);
    cutSceneBg(out);
    studioLogo(out, "Tessik.jpg");
    studioLogo(out, "QuorvelWorks.jpg");
    studioLogo(out, "partner.jpg");
    cursor(out);
    hud(out);
    const char* icons[] = {"ShopBonusIcon1", "ShopBonusIcon1_2", "ShopBonusIcon1_3", "ShopBonusIcon2",
                           "ShopBonusIcon3", "ShopBonusIcon4",   "ShopBonusIcon5",   "ShopBonusIcon6"};
    for (int i = 0; i < 8; ++i) shopIcon(out, icons[i], i);
    arrow(out, "ShopMinus", false);
    arrow(out, "ShopPlus", true);
    shopButton(out, "Choose", "ship skins");
    shopButton(out, "Continue", "continue");
    shopButton(out, "Exit", "exit");
    cube(out, "Empty", false);
    cube(out, "Filled", true);
    shopBg(out);
    skinsPanel(out);
    pause(out);
    selectionMark(out);
}

}  // namespace vlm::forge
