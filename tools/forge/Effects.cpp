// Explosion sheets, the warp overlay, the player's shots, rockets, muzzle flash and sparks,
// and the enemies' shots, status markers and health bar.
#include "Painters.h"

#include <algorithm>
#include <cmath>

namespace vlm::forge {

// Light picture (additive colour over black) to a surface whose alpha is its brightness.
Surface lightSurface(const Picture& p) {
    Picture q(p.w, p.h, {}, 0);
    for (size_t i = 0; i < p.px.size(); i += 4) {
        float r = std::max(0.0f, p.px[i]), g = std::max(0.0f, p.px[i + 1]), b = std::max(0.0f, p.px[i + 2]);
        float m = std::max({r, g, b});
        // over-bright colour bleeds towards white instead of clipping one channel
        if (m > 1) {
            float extra = std::min(1.0f, (m - 1) * 0.5f);
            r = std::min(1.0f, r / m + extra);
            g = std::min(1.0f, g / m + extra);
            b = std::min(1.0f, b / m + extra);
            m = 1;
        }
        q.px[i + 3] = m;
        if (m > 0) {
            q.px[i] = r / m;
            q.px[i + 1] = g / m;
            q.px[i + 2] = b / m;
        }
    }
    return toSurface(q);
}

// Adds an elliptic gaussian glow.
void glow(Picture& p, float cx, float cy, float rx, float ry, Rgb c, float k) {
    int x0 = std::max(0, static_cast<int>(cx - rx * 3)), x1 = std::min(p.w - 1, static_cast<int>(cx + rx * 3));
    int y0 = std::max(0, static_cast<int>(cy - ry * 3)), y1 = std::min(p.h - 1, static_cast<int>(cy + ry * 3));
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            float dx = (x + 0.5f - cx) / rx, dy = (y + 0.5f - cy) / ry;
            float e = std::exp(-(dx * dx + dy * dy));
            if (e > 0.002f) p.addRgb(x, y, c, e * k);
        }
}

// Fire colour ramp: black, deep red, orange, yellow, white.
static Rgb fireRamp(float h, Rgb tint) {
    h = std::max(0.0f, h);
    Rgb c;
    if (h < 0.25f)
        c = mix({0, 0, 0}, {0.35f, 0.04f, 0.01f}, h / 0.25f);
    else if (h < 0.5f)
        c = mix({0.35f, 0.04f, 0.01f}, {1.0f, 0.38f, 0.05f}, (h - 0.25f) / 0.25f);
    else if (h < 0.75f)
        c = mix({1.0f, 0.38f, 0.05f}, {1.0f, 0.85f, 0.35f}, (h - 0.5f) / 0.25f);
    else
        c = mix({1.0f, 0.85f, 0.35f}, {1.0f, 1.0f, 0.95f}, std::min(1.0f, (h - 0.75f) / 0.35f));
    // the plasma blast swaps red and blue: a blue-white fire
    if (tint.b > tint.r) return {c.b, c.g * 0.9f + c.b * 0.1f, c.r};
    return c;
}

namespace {

void explosionSheet(Output& out, int kind) {
    std::string path = "Data\\Textures\\Fx\\exp" + std::to_string(kind) + ".jpg";
    if (!out.wants(path)) return;
    const int FW = 240, FH = 180, COLS = 4, FRAMES = 16;
    Picture sheet(FW * COLS, FH * (FRAMES / COLS));
    uint64_t seed = seedOf(path);
    Noise n(seed), n2(seed + 99);
    Rng rng(seed);
    struct Spark {
        float ang, speed, len;
    };
    std::vector<Spark> sparks(kind == 3 ? 40 : 26);
    for (Spark& s : sparks) s = {static_cast<float>(rng.range(0, 2 * M_PI)), static_cast<float>(rng.range(0.6, 1.3)),
                                 static_cast<float>(rng.range(0.05, 0.16))};
    // boss blasts: a few secondary fireballs around the centre
    struct Blob {
        float x, y, r, delay;
    };
    std::vector<Blob> blobs;
    if (kind == 3)
        for (int i = 0; i < 5; ++i) {
            float a = static_cast<float>(rng.range(0, 2 * M_PI)), d = static_cast<float>(rng.range(0.25, 0.5));
            blobs.push_back({std::cos(a) * d, std::sin(a) * d, static_cast<float>(rng.range(0.35, 0.5)),
                             static_cast<float>(rng.range(0.05, 0.3))});
        }
    Rgb tint = kind == 2 ? Rgb{0.55f, 0.85f, 1.25f} : Rgb{1, 1, 1};
    const float R = 78;
    for (int f = 0; f < FRAMES; ++f) {
        float t = f / static_cast<float>(FRAMES - 1);
        int ox = (f % COLS) * FW, oy = (f / COLS) * FH;
        float fade = 1.0f - smoothstep(0.7f, 1.0f, t);
        for (int y = 0; y < FH; ++y)
            for (int x = 0; x < FW; ++x) {
                float dx = (x - FW / 2.0f) / R, dy = (y - FH / 2.0f) / R;
                float d = std::sqrt(dx * dx + dy * dy);
                float heat = 0;
                auto ball = [&](float bx, float by, float br, float bt) {
                    if (bt <= 0) return 0.0f;
                    float ex = (dx - bx) / br, ey = (dy - by) / br;
                    float dd = std::sqrt(ex * ex + ey * ey);
                    float nn = n.fbm(ex * 3.0f + bx * 5, ey * 3.0f - bt * 1.6f + by * 5, 5) * 0.5f + 0.5f;
                    float rad = 0.3f + 0.85f * (1 - std::pow(1 - bt, 2.2f));
                    float edge = rad * (0.5f + 0.75f * nn);
                    float dens = smoothstep(edge, edge * 0.35f, dd);
                    float tn = n2.fbm(ex * 4.5f, ey * 4.5f + bt * 2, 4) * 0.5f + 0.5f;
                    return dens * (1.5f - 1.3f * bt) * (0.4f + 0.95f * tn * tn + 0.2f) - dd * 0.3f * bt;
                };
                heat = ball(0, 0, 1.0f, t);
                for (const Blob& b : blobs) heat = std::max(heat, ball(b.x, b.y, b.r, (t - b.delay) / (1 - b.delay)));
                Rgb c = fireRamp(heat * fade, tint);
                // shock ring in the first half
                if (t < 0.55f) {
                    float rr = 0.15f + t * 1.7f, w = 0.05f + t * 0.05f;
                    float ring = std::exp(-std::pow((d - rr) / w, 2.0f)) * (1 - t / 0.55f);
                    Rgb rc = kind == 2 ? Rgb{0.5f, 0.85f, 1.0f} : Rgb{1.0f, 0.75f, 0.45f};
                    c = add(c, scale(rc, ring * 0.9f));
                }
                // smoke: faint warm grey that lingers
                float smoke = smoothstep(1.0f, 0.3f, d) * smoothstep(0.2f, 0.6f, t) * fade;
                float sn = n2.fbm(dx * 3 + 7, dy * 3 - t * 1.2f, 3) * 0.5f + 0.5f;
                c = add(c, scale({0.12f, 0.09f, 0.08f}, smoke * sn * 0.6f));
                float* q = sheet.at(ox + x, oy + y);
                q[0] = c.r;
                q[1] = c.g;
                q[2] = c.b;
            }
        // sparks: short streaks flying outwards
        for (const Spark& s : sparks) {
            float r0 = (0.25f + s.speed * t * 1.5f) * R;
            float len = s.len * R * (1 - t);
            float bright = (1 - t) * 1.8f;
            for (int k = 0; k < 10; ++k) {
                float rr = r0 - len * k / 10.0f;
                float px = FW / 2.0f + std::cos(s.ang) * rr, py = FH / 2.0f + std::sin(s.ang) * rr;
                if (px < 1 || py < 1 || px >= FW - 1 || py >= FH - 1) continue;
                Rgb sc = kind == 2 ? Rgb{0.7f, 0.9f, 1.0f} : Rgb{1.0f, 0.8f, 0.4f};
                sheet.addRgb(ox + static_cast<int>(px), oy + static_cast<int>(py), sc, bright * (1 - k / 10.0f));
            }
        }
    }
    Surface s = toSurface(sheet);
    out.jpeg(path, s, 88);
}

void canvasFx(Output& out) {
    std::string path = "Data\\Textures\\Fx\\CanvasFx1.jpg";
    if (!out.wants(path)) return;
    Picture p(512, 512);
    Rng rng(seedOf(path));
    Noise n(seedOf(path));
    for (int y = 0; y < 512; ++y)
        for (int x = 0; x < 512; ++x) {
            float dx = (x - 256) / 256.0f, dy = (y - 256) / 256.0f;
            float d = std::sqrt(dx * dx + dy * dy), a = std::atan2(dy, dx);
            // streaks: angular noise stretched along the radius
            float s = n.at(std::cos(a) * 40 + 100, std::sin(a) * 40 + 100) * 0.5f + 0.5f;
            float streak = std::pow(s, 6.0f) * smoothstep(0.15f, 0.9f, d) * 2.2f;
            float* q = p.at(x, y);
            Rgb c = mix(hex(0x2a6fd6), hex(0xdff4ff), clamp01(streak - 0.3f));
            q[0] = c.r * streak;
            q[1] = c.g * streak;
            q[2] = c.b * streak;
        }
    out.jpeg(path, toSurface(p));
}

// ---------------------------------------------------------------------------------------
// Player weapons

void playerWeapons(Output& out) {
    const std::string wp = "Data\\Textures\\Weapons\\";
    if (out.wants(wp + "PlayerClip1.bmp")) {  // front gun: golden plasma bolt, nose up
        Picture p(32, 96, {}, 1);
        glow(p, 16, 46, 10, 42, pal::ember, 1.1f);
        glow(p, 16, 42, 6, 32, pal::gold, 1.6f);
        glow(p, 16, 36, 3.6f, 24, hex(0xffffff), 2.4f);
        out.bmp(wp + "PlayerClip1.bmp", lightSurface(p), BmpStyle::OverBlack);
    }
    if (out.wants(wp + "PlayerClip2.bmp")) {  // mega gun: cyan orb with a ring
        Picture p(64, 64, {}, 1);
        glow(p, 32, 32, 20, 20, hex(0x1b6fd6), 0.7f);
        glow(p, 32, 32, 10, 10, pal::ice, 1.2f);
        glow(p, 32, 32, 4.5f, 4.5f, hex(0xffffff), 1.5f);
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x) {
                float d = std::hypot(x + 0.5f - 32, y + 0.5f - 32);
                p.addRgb(x, y, pal::ice, std::exp(-std::pow((d - 17) / 2.0f, 2.0f)) * 0.8f);
            }
        out.bmp(wp + "PlayerClip2.bmp", lightSurface(p), BmpStyle::OverBlack);
    }
    if (out.wants(wp + "PlayerClip3.bmp")) {  // auto-aim: green seeker with a spike
        Picture p(64, 64, {}, 1);
        glow(p, 32, 34, 16, 22, hex(0x1f8f3a), 0.7f);
        glow(p, 32, 30, 7, 14, pal::toxic, 1.2f);
        glow(p, 32, 26, 3, 6, hex(0xffffff), 1.5f);
        out.bmp(wp + "PlayerClip3.bmp", lightSurface(p), BmpStyle::OverBlack);
    }
    const Rgb flames[3] = {pal::ember, pal::gold, hex(0x6fb8ff)};
    const Rgb bodies[3] = {hex(0xc8d2de), hex(0xe9c46a), hex(0x4a5468)};
    for (int lv = 1; lv <= 3; ++lv) {
        std::string path = wp + "PlayerRocket" + std::to_string(lv) + ".bmp";
        if (!out.wants(path)) continue;
        Surface s = newSurface(48, 128);
        Picture flame(48, 128, {}, 1);
        glow(flame, 24, 104, 7, 18, flames[lv - 1], 1.3f);
        glow(flame, 24, 96, 3.5f, 8, hex(0xffffff), 1.4f);
        Surface fl = lightSurface(flame);
        Context c = newContext(s);
        cairo_t* cr = c.get();
        paintSurface(cr, fl, 0, 0);
        Rgb b = bodies[lv - 1];
        // body, nose up
        cairo_move_to(cr, 24, 10);
        cairo_curve_to(cr, 32, 20, 32, 30, 32, 44);
        cairo_line_to(cr, 32, 84);
        cairo_line_to(cr, 16, 84);
        cairo_line_to(cr, 16, 44);
        cairo_curve_to(cr, 16, 30, 16, 20, 24, 10);
        setLinear(cr, 16, 0, 32, 0, {{0, scale(b, 0.45f)}, {0.4f, mix(b, hex(0xffffff), 0.5f)}, {1, scale(b, 0.35f)}});
        cairo_fill(cr);
        // fins
        for (int side = -1; side <= 1; side += 2) {
            cairo_move_to(cr, 24 + side * 8, 64);
            cairo_line_to(cr, 24 + side * 16, 86);
            cairo_line_to(cr, 24 + side * 8, 84);
            cairo_close_path(cr);
        }
        setRgb(cr, lv == 3 ? hex(0x6fb8ff) : pal::hostile);
        cairo_fill(cr);
        cairo_rectangle(cr, 16, 40, 16, 4);
        setRgb(cr, flames[lv - 1]);
        cairo_fill(cr);
        c.reset();
        out.bmp(path, s, BmpStyle::OverBlack);
    }
    if (out.wants(wp + "PlayerShootFx.bmp")) {  // muzzle flash: hot star
        Picture p(128, 128, {}, 1);
        glow(p, 64, 64, 26, 26, pal::ember, 0.6f);
        glow(p, 64, 64, 12, 12, pal::gold, 1.2f);
        glow(p, 64, 64, 5, 5, hex(0xffffff), 1.6f);
        for (int k = 0; k < 6; ++k) {
            float a = static_cast<float>(k * M_PI / 3 + M_PI / 2);
            for (int r = 0; r < 58; ++r) {
                float fx = 64 + std::cos(a) * r, fy = 64 - std::sin(a) * r;
                float w = (k == 0 ? 1.0f : 0.6f) * (1 - r / 58.0f);
                glow(p, fx, fy, 1.6f, 1.6f, pal::gold, 0.18f * w);
            }
        }
        out.bmp(wp + "PlayerShootFx.bmp", lightSurface(p), BmpStyle::OverBlack);
    }
    if (out.wants(wp + "PlayerClipExplosionParticle.bmp")) {
        Picture p(32, 32, {}, 1);
        glow(p, 16, 16, 9, 9, pal::ember, 0.8f);
        glow(p, 16, 16, 3.5f, 3.5f, hex(0xfff3c8), 1.6f);
        out.bmp(wp + "PlayerClipExplosionParticle.bmp", lightSurface(p), BmpStyle::OverBlack);
    }
    if (out.wants(wp + "PlayerShield.bmp")) {  // shield bubble: clear middle, soft glowing rim
        Picture p(128, 128, {}, 1);
        Noise n(seedOf(wp + "PlayerShield.bmp"));
        for (int y = 0; y < 128; ++y)
            for (int x = 0; x < 128; ++x) {
                const float dx = (x + 0.5f - 64) / 60.0f, dy = (y + 0.5f - 64) / 60.0f;
                const float d = std::sqrt(dx * dx + dy * dy);
                if (d > 1.08f) continue;
                // The rim brightens towards the edge as a lit soap bubble does, then fades out softly.
                const float rim = std::pow(clamp01(d), 5.0f) * (1.0f - smoothstep(0.93f, 1.06f, d));
                // Faint hexagonal cells ripple over the inside.
                const float a = std::atan2(dy, dx);
                const float cells = 0.5f + 0.5f * std::cos(6.0f * a + 14.0f * d) * std::cos(11.0f * d);
                const float shimmer = 0.6f + 0.4f * (n.at(x * 0.08f, y * 0.08f) * 0.5f + 0.5f);
                const float inside = (1.0f - smoothstep(0.85f, 1.0f, d)) * 0.06f * cells * shimmer;
                p.addRgb(x, y, pal::ice, rim * 1.1f * shimmer + inside);
                p.addRgb(x, y, hex(0xffffff), std::pow(rim, 2.0f) * 0.5f);
            }
        out.bmp(wp + "PlayerShield.bmp", lightSurface(p), BmpStyle::OverBlack);
    }
}

// ---------------------------------------------------------------------------------------
// Enemy extras

void enemyExtras(Output& out) {
    const std::string en = "Data\\Textures\\Enemies\\";
    struct Status {
        const char* name;
        Rgb c;
    };
    for (const Status& st : {Status{"EnemyRedStatus.jpg", hex(0xff3b2f)}, Status{"EnemyGreenStatus.jpg", hex(0x6dff3a)},
                             Status{"EnemyBlueStatus.jpg", hex(0x3fb8ff)}}) {
        std::string path = en + st.name;
        if (!out.wants(path)) continue;
        Picture p(64, 64);
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x) {
                float d = std::hypot(x + 0.5f - 32, y + 0.5f - 32) / 32;
                float ring = std::exp(-std::pow((d - 0.72f) / 0.1f, 2.0f));
                float fill = std::exp(-d * d * 3) * 0.55f;
                p.addRgb(x, y, st.c, ring * 1.1f + fill);
                p.addRgb(x, y, hex(0xffffff), ring * 0.25f);
            }
        out.jpeg(path, toSurface(p));
    }
    if (out.wants(en + "IndicatorFill2.bmp")) {  // white bar, tinted by the game
        Surface s = newSurface(128, 16);
        Context c = newContext(s);
        cairo_t* cr = c.get();
        roundRect(cr, 1, 2, 126, 12, 5);
        setLinear(cr, 0, 2, 0, 14, {{0, hex(0xffffff)}, {0.45f, hex(0xe6e6e6)}, {1, hex(0x8c8c8c)}});
        cairo_fill(cr);
        for (int x = 8; x < 128; x += 8) {  // segment notches
            cairo_rectangle(cr, x, 3, 1, 10);
            cairo_set_source_rgba(cr, 0, 0, 0, 0.25);
            cairo_fill(cr);
        }
        c.reset();
        out.bmp(en + "IndicatorFill2.bmp", s, BmpStyle::Straight);
    }
    if (out.wants(en + "IndicatorRamka1.bmp")) {  // bar frame: steel outline, clear middle
        Surface s = newSurface(128, 24);
        Context c = newContext(s);
        cairo_t* cr = c.get();
        chamferRect(cr, 1.5, 1.5, 125, 21, 6);
        cairo_set_line_width(cr, 3);
        setLinear(cr, 0, 0, 0, 24, {{0, hex(0xdce8f6)}, {1, hex(0x4a5d78)}});
        cairo_stroke(cr);
        c.reset();
        out.bmp(en + "IndicatorRamka1.bmp", s, BmpStyle::Straight);
    }
    // Enemy shots, 32 by 32, bright over black.
    for (int i = 1; i <= 6; ++i) {
        std::string path = en + "EnemyClip" + std::to_string(i) + ".bmp";
        if (!out.wants(path)) continue;
        Picture p(32, 32, {}, 1);
        switch (i) {
        case 1:  // red orb
            glow(p, 16, 16, 9, 9, pal::hostile, 1.0f);
            glow(p, 16, 16, 3.5f, 3.5f, hex(0xfff0e0), 1.5f);
            break;
        case 2:  // orange bolt, pointing down the screen
            glow(p, 16, 16, 5, 13, pal::ember, 1.0f);
            glow(p, 16, 19, 2.5f, 6, hex(0xfff0d0), 1.5f);
            break;
        case 3:  // magenta ring
            for (int y = 0; y < 32; ++y)
                for (int x = 0; x < 32; ++x) {
                    float d = std::hypot(x + 0.5f - 16, y + 0.5f - 16);
                    p.addRgb(x, y, hex(0xff4fd8), std::exp(-std::pow((d - 9) / 2.2f, 2.0f)) * 1.3f);
                }
            glow(p, 16, 16, 3, 3, hex(0xffffff), 1.0f);
            break;
        case 4:  // toxic blob
            glow(p, 16, 16, 10, 10, hex(0x3fa82a), 0.9f);
            glow(p, 15, 15, 5, 5, pal::toxic, 1.3f);
            break;
        case 5:  // blue needle
            glow(p, 16, 16, 3, 14, hex(0x3f8fff), 1.2f);
            glow(p, 16, 18, 1.5f, 7, hex(0xe0f4ff), 1.5f);
            break;
        default:  // healing shot: green cross in a glow
            glow(p, 16, 16, 10, 10, hex(0x2f9f5a), 0.8f);
            glow(p, 16, 16, 2.2f, 8, hex(0xd8ffe4), 1.3f);
            glow(p, 16, 16, 8, 2.2f, hex(0xd8ffe4), 1.3f);
            break;
        }
        out.bmp(path, lightSurface(p), BmpStyle::OverBlack);
    }
}

}  // namespace

void paintEffects(Output& out) {
    for (int k = 1; k <= 3; ++k) explosionSheet(out, k);
    canvasFx(out);
    playerWeapons(out);
    enemyExtras(out);
}

}  // namespace vlm::forge
