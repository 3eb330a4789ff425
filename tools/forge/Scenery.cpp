// Level scenery: space backdrops and cloud planes (all tile seamlessly), planets and auras,
// layer sprites, the two scrolling level meshes with their textures, the level logos and the
// cut-scene pictures.
#include "Painters.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace vlm::forge {
namespace {

void writePicture(Output& out, const std::string& path, const Picture& p) { out.jpeg(path, toSurface(p)); }

NebulaStyle skyStyle(int i) {
    NebulaStyle st;
    st.scale = 4;
    if (i == 2) {
        st.cloudA = hex(0xb8367f);
        st.cloudB = hex(0xff7a2f);
        st.cloudC = hex(0x5a34c8);
        st.deep2 = hex(0x12060e);
    } else if (i == 3) {
        st.cloudA = hex(0x1bb59c);
        st.cloudB = hex(0x2a7bd6);
        st.cloudC = hex(0x9fe8ff);
        st.deep2 = hex(0x03121a);
        st.density = 0.8f;
    } else if (i == 4) {  // the frost reaches: pale ice-blue veils over a cold dark
        st.cloudA = hex(0x9fd8ff);
        st.cloudB = hex(0x3f6fc0);
        st.cloudC = hex(0xe8f6ff);
        st.deep2 = hex(0x040c1c);
        st.density = 0.85f;
    } else if (i == 5) {  // the hive: sickly green spawn clouds and bruised violet
        st.cloudA = hex(0x6fc43a);
        st.cloudB = hex(0x7a2a8a);
        st.cloudC = hex(0xc8ff5a);
        st.deep2 = hex(0x0a1006);
        st.dust = 0.7f;
    }
    return st;
}

void skies(Output& out) {
    for (int i = 1; i <= 5; ++i) {
        std::string path = "Data\\Textures\\Sky\\Space" + std::to_string(i) + ".jpg";
        if (out.wants(path)) out.jpeg(path, nebulaSurface(1024, 1024, seedOf(path), skyStyle(i), true, 2200));
    }
    // Cloud planes: bright wisps on black, for additive or see-through planes over the backdrop.
    const Rgb tints[4] = {hex(0x7fb8ff), hex(0xc99bff), hex(0x7fffd8), hex(0xffb38a)};
    for (int i = 1; i <= 4; ++i) {
        std::string path = "Data\\Textures\\Sky\\Clouds" + std::to_string(i) + ".jpg";
        if (!out.wants(path)) continue;
        Picture p(256, 256);
        Noise n(seedOf(path)), w(seedOf(path) + 1);
        const int P = 4;
        for (int y = 0; y < p.h; ++y)
            for (int x = 0; x < p.w; ++x) {
                float u = x * P / 256.0f, v = y * P / 256.0f;
                float du = u + w.fbm(u, v, 3, P) * 0.8f, dv = v + w.fbm(u + 5, v + 5, 3, P) * 0.8f;
                float d = n.fbm(du, dv, 6, P) * 0.5f + 0.5f;
                float k = std::pow(smoothstep(0.45f, 0.95f, d), 1.4f) * 1.2f;
                Rgb c = scale(mix(tints[i - 1], hex(0xffffff), k * 0.4f), k);
                float* q = p.at(x, y);
                q[0] = c.r;
                q[1] = c.g;
                q[2] = c.b;
            }
        out.jpeg(path, resized(toSurface(p), 512, 512));
    }
    // Layer planes: speed streaks and a sparse dust of bright stars.
    for (int i = 1; i <= 2; ++i) {
        std::string path = "Data\\Textures\\Sky\\Layer" + std::to_string(i) + ".jpg";
        if (!out.wants(path)) continue;
        Picture p(512, 512);
        Rng rng(seedOf(path));
        if (i == 1) {
            for (int k = 0; k < 160; ++k) {
                int x = rng.below(512), y0 = rng.below(512), len = 20 + rng.below(90);
                float b = static_cast<float>(rng.range(0.15, 0.7));
                for (int j = 0; j < len; ++j) {
                    float f = 1.0f - std::fabs(j / static_cast<float>(len) * 2 - 1);
                    p.addRgb(x, (y0 + j) % 512, hex(0xbfe0ff), b * f);
                }
            }
        } else {
            paintStars(p, seedOf(path), 500, 1.6f);
        }
        out.jpeg(path, toSurface(p));
    }
}

// ---------------------------------------------------------------------------------------
// Planets: equirectangular maps that wrap around horizontally.

Picture planetMap(int kind, uint64_t seed) {
    Picture p(512, 256);
    Noise n(seed), m(seed + 3), c(seed + 7);
    const int P = 8;
    for (int y = 0; y < p.h; ++y) {
        float lat = (y + 0.5f) / p.h;  // 0 top .. 1 bottom
        for (int x = 0; x < p.w; ++x) {
            float u = x * P / 512.0f, v = y * P / 512.0f;
            Rgb col;
            if (kind == 1) {  // gas giant: turbulent bands
                float warp = n.fbm(u * 2, v * 2, 4, P * 2) * 0.25f;
                float band = std::sin((lat + warp * 0.3f) * 26.0f) * 0.5f + 0.5f;
                float fine = m.fbm(u * 4, v * 12, 3, P * 4) * 0.5f + 0.5f;
                col = mix(hex(0x8a5a32), hex(0xf0d2a0), band * 0.7f + fine * 0.3f);
                col = mix(col, hex(0xc0603a), smoothstep(0.6f, 0.9f, c.fbm(u, v * 3, 3, P)) * 0.5f);
            } else if (kind == 5) {  // hive world: violet flesh laced with glowing green veins
                float warp = n.fbm(u, v, 4, P) * 0.6f;
                float vein = m.ridged(u * 2 + warp, v * 2 + warp, 5, P * 2);
                float h = c.fbm(u * 1.5f, v * 1.5f, 5, P) * 0.5f + 0.5f;
                col = mix(hex(0x2a0e2e), hex(0x7a3a6a), h);
                col = mix(col, hex(0xb8ff4a), std::pow(vein, 7.0f) * 0.9f);
                col = mix(col, hex(0x10040e), smoothstep(0.6f, 0.8f, h) * 0.5f);  // dark pits
            } else if (kind == 2) {  // desert world with craters
                float h = n.fbm(u, v, 6, P) * 0.5f + 0.5f;
                float r = m.ridged(u * 2, v * 2, 4, P * 2);
                col = mix(hex(0x5a2414), hex(0xd88a4a), h);
                col = scale(col, 0.75f + 0.4f * r);
            } else if (kind == 3) {  // ocean world with continents and clouds
                float h = n.fbm(u, v, 6, P) * 0.5f + 0.5f;
                col = h > 0.53f ? mix(hex(0x2f5a2a), hex(0x9a8a5a), smoothstep(0.53f, 0.75f, h))
                                : mix(hex(0x06203f), hex(0x1a5f8f), h / 0.53f);
                float ice = smoothstep(0.12f, 0.0f, lat) + smoothstep(0.88f, 1.0f, lat);
                col = mix(col, hex(0xf0f6ff), clamp01(ice));
                float cl = smoothstep(0.55f, 0.8f, c.fbm(u * 1.5f + 3, v * 3, 5, P * 2) * 0.5f + 0.5f);
                col = mix(col, hex(0xffffff), cl * 0.8f);
            } else {  // ice world
                float h = n.fbm(u, v, 6, P) * 0.5f + 0.5f;
                float r = m.ridged(u * 2, v * 2, 5, P * 2);
                col = mix(hex(0x5f8fb0), hex(0xe8f8ff), h);
                col = mix(col, hex(0x2f5f8a), std::pow(r, 8.0f) * 0.7f);
            }
            float* q = p.at(x, y);
            q[0] = col.r;
            q[1] = col.g;
            q[2] = col.b;
        }
    }
    Rng rng(seed + 11);
    if (kind == 2 || kind == 4) {  // craters: a dark floor, a lit rim on the upper left, a shadow lower right
        for (int k = 0; k < 70; ++k) {
            const float cx = static_cast<float>(rng.range(0, 512)), cy = static_cast<float>(rng.range(30, 226));
            const float r = static_cast<float>(std::pow(rng.uniform(), 3.0) * 16 + 2.5);
            for (int y = std::max(0, static_cast<int>(cy - r * 1.4f)); y < std::min(p.h, static_cast<int>(cy + r * 1.4f)); ++y)
                for (int xx = static_cast<int>(cx - r * 1.4f); xx < static_cast<int>(cx + r * 1.4f); ++xx) {
                    const float dx = (xx - cx) / r, dy = (y - cy) / r, d = std::sqrt(dx * dx + dy * dy);
                    if (d > 1.35f) continue;
                    float* q = p.at(((xx % p.w) + p.w) % p.w, y);
                    float k2 = d < 1 ? 0.72f + 0.1f * d : 1.0f;
                    const float rim = std::exp(-std::pow((d - 1.0f) / 0.12f, 2.0f));
                    const float side = -(dx + dy) * 0.7f;
                    k2 += rim * side * 0.45f;
                    for (int ch = 0; ch < 3; ++ch) q[ch] = std::max(0.0f, q[ch] * k2);
                }
        }
    } else if (kind == 1) {  // storm ovals riding the bands
        for (int k = 0; k < 3; ++k) {
            const float cx = static_cast<float>(rng.range(0, 512)), cy = static_cast<float>(rng.range(70, 190));
            const float rx = static_cast<float>(rng.range(14, 34)), ry = rx * 0.45f;
            for (int y = static_cast<int>(cy - ry * 1.5f); y < static_cast<int>(cy + ry * 1.5f); ++y)
                for (int xx = static_cast<int>(cx - rx * 1.5f); xx < static_cast<int>(cx + rx * 1.5f); ++xx) {
                    const float dx = (xx - cx) / rx, dy = (y - cy) / ry, d = std::sqrt(dx * dx + dy * dy);
                    if (d > 1.5f) continue;
                    float* q = p.at(((xx % p.w) + p.w) % p.w, y);
                    const float swirl = 0.5f + 0.5f * std::sin(d * 9.0f + std::atan2(dy, dx) * 2.0f);
                    const Rgb storm = mix(hex(0xb04a28), hex(0xf8dcb0), swirl * (1 - d / 1.5f));
                    const float a = smoothstep(1.5f, 0.6f, d);
                    q[0] = q[0] + (storm.r - q[0]) * a;
                    q[1] = q[1] + (storm.g - q[1]) * a;
                    q[2] = q[2] + (storm.b - q[2]) * a;
                }
        }
    }
    return p;
}

// Draws a lit sphere with the map onto a picture (orthographic, light from the upper left).
void planetDisc(Picture& dst, const Picture& map, float cx, float cy, float r, Rgb atmo) {
    Vec3 L = normalized({-0.6f, -0.5f, 0.62f});
    for (int y = std::max(0, static_cast<int>(cy - r * 1.1f)); y < std::min(dst.h, static_cast<int>(cy + r * 1.1f)); ++y)
        for (int x = std::max(0, static_cast<int>(cx - r * 1.1f)); x < std::min(dst.w, static_cast<int>(cx + r * 1.1f)); ++x) {
            float dx = (x + 0.5f - cx) / r, dy = (y + 0.5f - cy) / r, d2 = dx * dx + dy * dy;
            float* q = dst.at(x, y);
            if (d2 < 1) {
                float dz = std::sqrt(1 - d2);
                float lon = std::atan2(dx, dz), lat = std::asin(std::clamp(dy, -1.0f, 1.0f));
                int mx = static_cast<int>((lon / (2 * M_PI) + 0.5) * map.w) % map.w;
                int my = std::clamp(static_cast<int>((lat / M_PI + 0.5) * map.h), 0, map.h - 1);
                const float* m = map.at(mx, my);
                float lit = std::max(0.0f, dx * L.x + dy * L.y + dz * L.z);
                float k = 0.04f + 0.96f * lit;
                float rim = std::pow(1 - dz, 3.0f) * lit;
                q[0] = m[0] * k + atmo.r * rim;
                q[1] = m[1] * k + atmo.g * rim;
                q[2] = m[2] * k + atmo.b * rim;
            }
            float d = std::sqrt(d2);
            if (d > 0.9f && d < 1.12f) {  // atmosphere halo on the lit side
                float lit = std::max(0.0f, (dx * L.x + dy * L.y) / std::max(d, 0.001f)) * 0.8f + 0.2f;
                float a = std::exp(-std::pow((d - 1.0f) / 0.04f, 2.0f)) * lit * 0.8f;
                q[0] += atmo.r * a;
                q[1] += atmo.g * a;
                q[2] += atmo.b * a;
            }
        }
}

void planets(Output& out) {
    for (int i = 1; i <= 5; ++i) {
        std::string path = "Data\\Textures\\Planets\\Planet" + std::to_string(i) + ".jpg";
        if (out.wants(path)) writePicture(out, path, planetMap(i, seedOf(path)));
    }
    for (int i = 1; i <= 2; ++i) {
        std::string path = "Data\\Textures\\Planets\\Aura" + std::to_string(i) + ".jpg";
        if (!out.wants(path)) continue;
        Picture p(256, 256);
        Noise n(seedOf(path));
        for (int y = 0; y < 256; ++y)
            for (int x = 0; x < 256; ++x) {
                float dx = (x + 0.5f - 128) / 128, dy = (y + 0.5f - 128) / 128;
                float d = std::sqrt(dx * dx + dy * dy);
                // the planet fills a third of the sprite: the aura rises at its edge and fades out
                float inner = smoothstep(0.28f, 0.34f, d);
                float k = inner * std::exp(-(d - 0.33f) * (i == 1 ? 5.0f : 3.5f));
                if (i == 2) {  // corona rays
                    float a = std::atan2(dy, dx);
                    float ray = n.at(std::cos(a) * 6 + 10, std::sin(a) * 6 + 10) * 0.5f + 0.5f;
                    k *= 0.6f + 0.8f * ray * ray;
                }
                // ...and is black well inside the picture's edge, so no square of faint glow shows
                k *= 1.0f - smoothstep(0.7f, 0.97f, d);
                k = clamp01(k * 1.2f);
                float* q = p.at(x, y);
                q[0] = q[1] = q[2] = k;
            }
        writePicture(out, path, p);
    }
}

// ---------------------------------------------------------------------------------------
// Layer sprites

void asteroid(Output& out, const std::string& path, uint64_t seed, bool debris) {
    Picture p(128, 128, {}, 0);
    Noise n(seed), m(seed + 1);
    Vec3 L = normalized({-0.6f, -0.55f, 0.58f});
    Rng rng(seed);
    float stretch = static_cast<float>(rng.range(1.0, 1.45)), turn = static_cast<float>(rng.range(0, M_PI));
    float corners[7];
    for (float& c : corners) c = static_cast<float>(rng.range(0.55, 1.0));
    auto height = [&](float x, float y) {
        if (debris) {  // plates with sharp edges
            float h = std::floor((m.fbm(x * 2, y * 2, 2) * 0.5f + 0.5f) * 4) / 4;
            return h * 0.3f + n.fbm(x * 8, y * 8, 3) * 0.03f;
        }
        return n.fbm(x * 3, y * 3, 5) * 0.25f + m.ridged(x * 5, y * 5, 3) * 0.12f;
    };
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 128; ++x) {
            float sx = (x + 0.5f - 64) / 56, sy = (y + 0.5f - 64) / 56;
            // each rock has its own elongation and turn
            float dx = (sx * std::cos(turn) + sy * std::sin(turn)) * stretch;
            float dy = -sx * std::sin(turn) + sy * std::cos(turn);
            float a = std::atan2(dy, dx), d = std::sqrt(dx * dx + dy * dy);
            float edge;
            if (debris) {  // a torn plate: straight edges between seven corners
                float t = static_cast<float>((a + M_PI) / (2 * M_PI) * 7);
                int k = static_cast<int>(t) % 7;
                float f = t - std::floor(t);
                edge = corners[k] + (corners[(k + 1) % 7] - corners[k]) * f;
            } else {
                edge = 0.8f + 0.2f * n.fbm(std::cos(a) * 1.5f + 7, std::sin(a) * 1.5f + 7, 3);
            }
            if (d > edge) continue;
            float dz = std::sqrt(std::max(0.0f, 1 - (d / edge) * (d / edge)));
            float e = 0.01f;
            float hx = (height(dx + e, dy) - height(dx - e, dy)) / (2 * e);
            float hy = (height(dx, dy + e) - height(dx, dy - e)) / (2 * e);
            Vec3 nrm = normalized({dx / edge - hx * 0.3f, dy / edge - hy * 0.3f, dz + 0.2f});
            float lit = std::max(0.0f, dot(nrm, L));
            Rgb base = debris ? hex(0x6a727e) : mix(hex(0x4a4038), hex(0x8a7a68), height(dx, dy) * 2 + 0.5f);
            Rgb c = scale(base, 0.12f + 1.1f * lit);
            float* q = p.at(x, y);
            q[0] = c.r;
            q[1] = c.g;
            q[2] = c.b;
            q[3] = smoothstep(edge, edge - 0.03f, d);
        }
    out.bmp(path, toSurface(p), BmpStyle::OverBlack);
}

void layerSprites(Output& out) {
    for (int i = 1; i <= 4; ++i) {
        std::string path = "Data\\Textures\\Layer\\Asteroid" + std::to_string(i) + ".bmp";
        if (out.wants(path)) asteroid(out, path, seedOf(path), false);
    }
    std::string debris = "Data\\Textures\\Layer\\Debris1.bmp";
    if (out.wants(debris)) asteroid(out, debris, seedOf(debris), true);
    std::string glowPath = "Data\\Textures\\Layer\\Glow1.jpg";
    if (out.wants(glowPath)) {
        Picture p(256, 256);
        Noise n(seedOf(glowPath));
        for (int y = 0; y < 256; ++y)
            for (int x = 0; x < 256; ++x) {
                float dx = (x - 128) / 128.0f, dy = (y - 128) / 128.0f;
                float d = std::sqrt(dx * dx + dy * dy);
                float k = std::exp(-d * d * 4) * (0.6f + 0.6f * (n.fbm(dx * 3, dy * 3, 4) * 0.5f + 0.5f));
                k *= smoothstep(1.0f, 0.7f, d);
                Rgb c = mix(hex(0x5a34c8), hex(0x7fe7ff), k);
                float* q = p.at(x, y);
                q[0] = c.r * k;
                q[1] = c.g * k;
                q[2] = c.b * k;
            }
        writePicture(out, glowPath, p);
    }
}

// ---------------------------------------------------------------------------------------
// Level meshes: 750 units along X (the game places copies 900 apart after its 1.2 scale),
// 800 across; heights rise towards the camera (-Y). Both ends have the same profile, so the
// copies join without a seam.

MeshFile ridgeMesh() {
    MeshFile f;
    f.materials.push_back({"Ridge", "Ridge.jpg", {0.75f, 0.72f, 0.7f}, {0.2f, 0.2f, 0.2f}, 0.1f});
    MeshPart p = makePart("Ridge", "Ridge");
    Noise n(seedOf("Ridge.3ds")), r(seedOf("Ridge.3ds") + 1);
    const int NX = 64, NZ = 40, P = 6;
    for (int j = 0; j <= NZ; ++j)
        for (int i = 0; i <= NX; ++i) {
            float x = -375 + 750.0f * i / NX, z = -400 + 800.0f * j / NZ;
            float u = static_cast<float>(i) * P / NX, v = static_cast<float>(j) * P / NZ;
            float side = std::pow(std::fabs(z) / 400.0f, 1.6f);  // a canyon: walls rise at the sides
            float h = 70 * side * (0.6f + 0.8f * r.ridged(u, v, 4, P)) + 18 * (n.fbm(u, v, 5, P) * 0.5f + 0.5f);
            p.vertex({x, -h, z}, {static_cast<float>(i) * 4.0f / NX, static_cast<float>(j) * 4.0f / NZ});
        }
    for (int j = 0; j < NZ; ++j)
        for (int i = 0; i < NX; ++i) {
            uint32_t a = j * (NX + 1) + i, b = a + 1, c = a + NX + 1, d = c + 1;
            p.tri(a, b, d);  // faces look towards -Y
            p.tri(a, d, c);
        }
    f.parts.push_back(p);
    return f;
}

MeshFile hullStructureMesh() {
    MeshFile f;
    f.materials.push_back({"Hull", "Hull.jpg", {0.7f, 0.74f, 0.8f}, {0.6f, 0.6f, 0.6f}, 0.4f});
    MeshPart p = makePart("Hull", "Hull");
    // one picture of plating every 187.5 units: four along the mesh, so its copies join
    auto uv = [](Vec3 q) { return Vec2{q.x / 187.5f, q.z / 187.5f + q.y / 187.5f}; };
    // base deck
    uint32_t a = p.vertex({-375, 0, -400}, uv({-375, 0, -400})), b = p.vertex({375, 0, -400}, uv({375, 0, -400}));
    uint32_t c = p.vertex({375, 0, 400}, uv({375, 0, 400})), d = p.vertex({-375, 0, 400}, uv({-375, 0, 400}));
    p.tri(a, b, c);
    p.tri(a, c, d);
    // blocks on a 25 by 25 grid; the trench down the middle stays low
    Rng rng(seedOf("Hull.3ds"));
    const float cell = 30;
    for (int i = 0; i < 25; ++i)
        for (int j = 0; j < 26; ++j) {
            float x = -375 + cell * (i + 0.5f), z = -390 + cell * (j + 0.5f);
            bool trench = std::fabs(z) < 70;
            float chance = trench ? 0.15f : 0.7f;
            if (rng.uniform() > chance) continue;
            float h = trench ? static_cast<float>(rng.range(2, 6)) : static_cast<float>(rng.range(6, 36)) * (0.5f + std::fabs(z) / 500);
            float hx = cell * static_cast<float>(rng.range(0.25, 0.48)), hz = cell * static_cast<float>(rng.range(0.25, 0.48));
            addBox(p, {x, -h / 2, z}, {hx, h / 2, hz}, uv);
            if (!trench && rng.uniform() < 0.3) {  // a second tier
                float h2 = static_cast<float>(rng.range(4, 14));
                addBox(p, {x, -h - h2 / 2, z}, {hx * 0.5f, h2 / 2, hz * 0.5f}, uv);
            }
        }
    f.parts.push_back(p);
    return f;
}

// The canyon floor of the frost reaches: blue-grey rock, snow on the heights, dark cracks
// with a glint of ice in them.
Picture frostRock(uint64_t seed) {
    Picture p(512, 512);
    Noise n(seed), m(seed + 1), c(seed + 2);
    const int P = 4;
    for (int y = 0; y < 512; ++y)
        for (int x = 0; x < 512; ++x) {
            float u = x * P / 512.0f, v = y * P / 512.0f;
            float h = n.fbm(u, v, 6, P) * 0.5f + 0.5f, cr = m.ridged(u * 2, v * 2, 4, P * 2);
            float crack = c.ridged(u * 3 + h, v * 3, 3, P * 3);
            Rgb col = mix(hex(0x2a3444), hex(0x7a8aa0), h);
            col = mix(col, hex(0xe8f4ff), smoothstep(0.6f, 0.85f, h + cr * 0.1f) * 0.6f);  // snow
            col = mix(col, hex(0x0a1020), std::pow(crack, 16.0f) * 0.7f);                       // cracks
            col = mix(col, hex(0x8fd8ff), std::pow(cr, 10.0f) * 0.6f);                          // ice glints
            float* q = p.at(x, y);
            q[0] = col.r;
            q[1] = col.g;
            q[2] = col.b;
        }
    return p;
}

// The hive's floor: ribbed violet flesh, green veins that glow, and pores.
Picture hiveFlesh(uint64_t seed) {
    Picture p(512, 512);
    Noise n(seed), m(seed + 1), c(seed + 2);
    const int P = 4;
    for (int y = 0; y < 512; ++y)
        for (int x = 0; x < 512; ++x) {
            float u = x * P / 512.0f, v = y * P / 512.0f;
            float warp = n.fbm(u, v, 4, P) * 0.5f;
            float rib = std::sin((v + warp) * 2 * static_cast<float>(M_PI) * 3) * 0.5f + 0.5f;
            float vein = m.ridged(u * 2 + warp, v * 2 - warp, 5, P * 2);
            float pore = c.fbm(u * 4, v * 4, 3, P * 4) * 0.5f + 0.5f;
            Rgb col = mix(hex(0x1a0618), hex(0x5a2450), rib * 0.5f + (n.fbm(u * 2, v * 2, 4, P * 2) * 0.5f + 0.5f) * 0.4f);
            col = mix(col, hex(0x0c020a), smoothstep(0.68f, 0.8f, pore) * 0.9f);
            col = mix(col, hex(0x9fe83a), std::pow(vein, 8.0f) * 0.8f);
            float* q = p.at(x, y);
            q[0] = col.r;
            q[1] = col.g;
            q[2] = col.b;
        }
    return p;
}

// Hull plating: plates of slightly different paint, dark seams with a lit edge, rivet rows,
// vents, hazard stripes at the hatches and a few window lights.
Surface hullPlating(uint64_t seed) {
    Surface s = newSurface(512, 512);
    Context cc = newContext(s);
    cairo_t* cr = cc.get();
    setLinear(cr, 0, 0, 512, 512, {{0, hex(0x464e5a)}, {1, hex(0x363e4a)}});
    cairo_paint(cr);
    Rng rng(seed);
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            const double x = i * 128, y = j * 128;
            const int split = rng.below(3);
            const double w = 128.0 / (split + 1);
            for (int k = 0; k <= split; ++k) {
                const double px = x + k * w, g = rng.range(-0.07, 0.07);
                setLinear(cr, px, y, px + w, y + 128,
                          {{0, mix(hex(0x545e6c), hex(0x6c7888), static_cast<float>(0.5 + g * 4))},
                           {1, mix(hex(0x3a424e), hex(0x46505e), static_cast<float>(0.5 + g * 4))}});
                cairo_rectangle(cr, px + 2, y + 2, w - 4, 124);
                cairo_fill(cr);
                // seam: dark line below and right, light above and left
                cairo_set_line_width(cr, 1.5);
                cairo_move_to(cr, px + 2.5, y + 125.5);
                cairo_line_to(cr, px + 2.5, y + 2.5);
                cairo_line_to(cr, px + w - 2.5, y + 2.5);
                cairo_set_source_rgba(cr, 0.85, 0.92, 1.0, 0.45);
                cairo_stroke(cr);
                cairo_move_to(cr, px + w - 2.5, y + 2.5);
                cairo_line_to(cr, px + w - 2.5, y + 125.5);
                cairo_line_to(cr, px + 2.5, y + 125.5);
                cairo_set_source_rgba(cr, 0.05, 0.06, 0.08, 0.8);
                cairo_stroke(cr);
                // rivets along the top and bottom edges
                for (double rx = px + 8; rx < px + w - 6; rx += 10)
                    for (double ry : {y + 7.0, y + 121.0}) {
                        cairo_arc(cr, rx, ry, 1.6, 0, 2 * M_PI);
                        cairo_set_source_rgba(cr, 0.1, 0.12, 0.15, 0.9);
                        cairo_fill(cr);
                        cairo_arc(cr, rx - 0.5, ry - 0.5, 0.8, 0, 2 * M_PI);
                        cairo_set_source_rgba(cr, 0.9, 0.95, 1.0, 0.6);
                        cairo_fill(cr);
                    }
            }
            const double r = rng.uniform();
            if (r < 0.3) {  // a vent: dark slots
                const double vx = x + 24 + rng.below(40), vy = y + 30 + rng.below(40);
                for (int k = 0; k < 6; ++k) {
                    cairo_rectangle(cr, vx, vy + k * 7, 50, 3.5);
                    cairo_set_source_rgba(cr, 0.04, 0.05, 0.07, 0.9);
                    cairo_fill(cr);
                    cairo_rectangle(cr, vx, vy + k * 7 + 3.5, 50, 1);
                    cairo_set_source_rgba(cr, 0.8, 0.9, 1.0, 0.35);
                    cairo_fill(cr);
                }
            } else if (r < 0.5) {  // a hatch with hazard stripes
                const double hx = x + 30, hy = y + 34, hw = 68, hh = 60;
                cairo_save(cr);
                cairo_rectangle(cr, hx, hy, hw, hh);
                cairo_clip(cr);
                setRgb(cr, hex(0x1a1c20));
                cairo_paint(cr);
                setRgb(cr, pal::gold);
                for (double t = -hh; t < hw; t += 14) {
                    cairo_move_to(cr, hx + t, hy + hh);
                    cairo_line_to(cr, hx + t + 7, hy + hh);
                    cairo_line_to(cr, hx + t + 7 + hh, hy);
                    cairo_line_to(cr, hx + t + hh, hy);
                    cairo_close_path(cr);
                }
                cairo_fill(cr);
                cairo_restore(cr);
                cairo_rectangle(cr, hx + 8, hy + 8, hw - 16, hh - 16);
                setRgb(cr, hex(0x3a4250));
                cairo_fill(cr);
            } else if (r < 0.8) {  // a row of window lights
                const double wx = x + 16 + rng.below(30), wy = y + 30 + rng.below(60);
                const Rgb lit = rng.uniform() < 0.5 ? pal::gold : pal::ice;
                for (int k = 0; k < 5; ++k) {
                    cairo_rectangle(cr, wx + k * 16, wy, 10, 5);
                    setRgb(cr, rng.uniform() < 0.8 ? lit : hex(0x10141a));
                    cairo_fill(cr);
                }
            }
        }
    cc.reset();
    return s;
}

void levelTextures(Output& out) {
    const std::string ridge = "Data\\Textures\\Levels\\Ridge.jpg";
    if (out.wants(ridge)) writePicture(out, ridge, frostRock(seedOf(ridge)));
    const std::string hive = "Data\\Textures\\Levels\\Hive\\Ridge.jpg";
    if (out.wants(hive)) writePicture(out, hive, hiveFlesh(seedOf(hive)));
    const std::string hull = "Data\\Textures\\Levels\\Hull.jpg";
    if (out.wants(hull)) out.jpeg(hull, hullPlating(seedOf(hull)));
}

// ---------------------------------------------------------------------------------------
// Level logos and cut-scene pictures

void levelLogos(Output& out) {
    for (int i = 1; i <= kLevelLogoCount; ++i) {
        std::string path = "Data\\Textures\\Logos\\Level" + std::to_string(i) + ".jpg";
        if (!out.wants(path)) continue;
        NebulaStyle st = skyStyle(1 + (i - 1) % 3);
        st.scale = 3;
        Surface s = nebulaSurface(512, 264, seedOf(path), st, false, 1500);
        Context c = newContext(s);
        cairo_t* cr = c.get();
        cairo_set_source_rgba(cr, 0, 0, 0, 0.35);
        cairo_paint(cr);
        chamferRect(cr, 4, 4, 504, 256, 20);
        cairo_set_line_width(cr, 3);
        setLinear(cr, 0, 0, 0, 264, {{0, hex(0xb6d3ee)}, {1, hex(0x2f4563)}});
        cairo_stroke(cr);
        Lettering small;
        small.size = 28;
        small.tracking = 14;
        small.top = hex(0xffffff);
        small.bottom = pal::ice;
        small.glowStrength = 0.6;
        drawLettering(cr, "LEVEL", 256, 52, small);
        Lettering big;
        big.size = 110;
        big.tracking = 6;
        big.top = hex(0xfff4d8);
        big.bottom = pal::ember;
        big.glow = pal::ember;
        big.glowStrength = 1.3;
        big.glowRadius = 16;
        big.outline = 2;
        drawLettering(cr, std::to_string(i), 256, 128, big);
        Lettering name = small;
        name.size = 26;
        name.tracking = 5;
        drawLettering(cr, upper(LevelNames().at(i - 1)), 256, 212, name, 440);
        c.reset();
        out.jpeg(path, s);
    }
}

// A ship of the cut-scene pictures, drawn from the right half of its outline in its own frame
// (nose along +x, unit length) at (x, y), `size` pixels from nose to centre, turned by `angle`:
// metal lit from the upper left of the picture whichever way it points, a rim of light, panel
// lines, and its glowing parts painted into `light` (added over the picture afterwards).
using Outline = std::vector<std::pair<double, double>>;

void shipPath(cairo_t* cr, const Outline& half, double x, double y, double size, double angle) {
    cairo_save(cr);
    cairo_translate(cr, x, y);
    cairo_rotate(cr, angle);
    cairo_scale(cr, size, size);
    cairo_new_path(cr);
    cairo_move_to(cr, half.front().first, half.front().second);
    for (size_t i = 1; i < half.size(); ++i) cairo_line_to(cr, half[i].first, half[i].second);
    for (size_t i = half.size(); i-- > 0;) cairo_line_to(cr, half[i].first, -half[i].second);
    cairo_close_path(cr);
    cairo_restore(cr);  // the path stays, in picture pixels
}

void litMetal(cairo_t* cr, double x, double y, double size, Rgb base, double dim) {
    const Rgb b = mix(base, pal::space, static_cast<float>(dim));
    setLinear(cr, x - size, y - size, x + size, y + size,
              {{0, mix(b, hex(0xffffff), 0.45f)}, {0.45, b}, {1, scale(b, 0.3f)}});
    cairo_fill_preserve(cr);
    cairo_set_line_width(cr, std::max(1.0, size * 0.05));
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    setLinear(cr, x - size, y - size, x + size, y + size,
              {{0, mix(hex(0xe8eef8), pal::space, static_cast<float>(dim))}, {0.5, scale(b, 1.2f)}, {1, hex(0x05060a)}},
              0.9);
    cairo_stroke(cr);
}

// A point of the ship's own frame in picture pixels.
std::pair<float, float> onShip(double x, double y, double size, double angle, double u, double v) {
    return {static_cast<float>(x + size * (u * std::cos(angle) - v * std::sin(angle))),
            static_cast<float>(y + size * (u * std::sin(angle) + v * std::cos(angle)))};
}

// A swarm ship: swept wings, a red eye forward and two ember engines; `dim` 0 near, 1 lost in the dark.
void hostileShip(cairo_t* cr, Picture& light, double x, double y, double size, double angle, double dim) {
    const Outline hull = {{1.0, 0.0}, {0.45, 0.16}, {0.05, 0.3}, {-0.25, 0.78}, {-0.45, 0.8},
                          {-0.32, 0.32}, {-0.62, 0.24}, {-0.55, 0.0}};
    shipPath(cr, hull, x, y, size, angle);
    litMetal(cr, x, y, size, hex(0x4a2a36), dim);
    const Outline spine = {{0.7, 0.0}, {0.2, 0.1}, {-0.45, 0.08}};
    shipPath(cr, spine, x, y, size, angle);
    setRgb(cr, hex(0x1a0e14), 0.7);
    cairo_fill(cr);
    const float k = static_cast<float>(1.0 - 0.6 * dim);
    auto [ex, ey] = onShip(x, y, size, angle, 0.42, 0.0);
    glow(light, ex, ey, static_cast<float>(size * 0.16), static_cast<float>(size * 0.16), pal::hostile, 1.4f * k);
    for (double side : {-1.0, 1.0}) {
        auto [gx, gy] = onShip(x, y, size, angle, -0.6, 0.14 * side);
        glow(light, gx, gy, static_cast<float>(size * 0.2), static_cast<float>(size * 0.2), pal::ember, 1.1f * k);
        auto [tx, ty] = onShip(x, y, size, angle, -0.42, 0.78 * side);
        glow(light, tx, ty, static_cast<float>(size * 0.07), static_cast<float>(size * 0.07), pal::hostile, 0.9f * k);
    }
}

// The player's fighter: bright painted metal, a glass canopy and a blue-white engine.
void playerFighter(cairo_t* cr, Picture& light, double x, double y, double size, double angle) {
    const Outline hull = {{1.0, 0.0}, {0.55, 0.1}, {0.12, 0.17}, {-0.18, 0.62}, {-0.42, 0.64},
                          {-0.38, 0.24}, {-0.6, 0.2}, {-0.56, 0.0}};
    shipPath(cr, hull, x, y, size, angle);
    litMetal(cr, x, y, size, hex(0x9fb4cc), 0.0);
    const Outline stripe = {{0.05, 0.22}, {-0.2, 0.58}, {-0.28, 0.58}, {-0.05, 0.22}};
    for (double side : {-1.0, 1.0}) {
        cairo_save(cr);
        cairo_translate(cr, x, y);
        cairo_rotate(cr, angle);
        cairo_scale(cr, size, size * side);
        cairo_move_to(cr, stripe[0].first, stripe[0].second);
        for (size_t i = 1; i < stripe.size(); ++i) cairo_line_to(cr, stripe[i].first, stripe[i].second);
        cairo_close_path(cr);
        cairo_restore(cr);
        setRgb(cr, hex(0x2f7bd6), 0.9);
        cairo_fill(cr);
    }
    // canopy
    auto [cx, cy] = onShip(x, y, size, angle, 0.42, 0.0);
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_rotate(cr, angle);
    cairo_scale(cr, size * 0.2, size * 0.08);
    cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
    cairo_restore(cr);
    setLinear(cr, cx - size * 0.2, cy - size * 0.2, cx + size * 0.2, cy + size * 0.2,
              {{0, hex(0xd8f6ff)}, {0.4, hex(0x3a8fd0)}, {1, hex(0x061a30)}});
    cairo_fill(cr);
    auto [gx, gy] = onShip(x, y, size, angle, -0.62, 0.0);
    glow(light, gx, gy, static_cast<float>(size * 0.22), static_cast<float>(size * 0.22), hex(0x8fd8ff), 1.6f);
    glow(light, gx, gy, static_cast<float>(size * 0.08), static_cast<float>(size * 0.08), hex(0xffffff), 1.2f);
}

// A bolt of fire from (x, y) along (dx, dy): a hot core and its colour around it.
void bolt(Picture& light, double x, double y, double dx, double dy, Rgb c) {
    const int steps = std::max(4, static_cast<int>(std::hypot(dx, dy) / 1.5));
    for (int k = 0; k <= steps; ++k) {
        const double t = double(k) / steps;
        glow(light, static_cast<float>(x + dx * t), static_cast<float>(y + dy * t), 3.0f, 3.0f, c, 0.12f);
        glow(light, static_cast<float>(x + dx * t), static_cast<float>(y + dy * t), 1.0f, 1.0f, hex(0xffffff), 0.1f);
    }
}

void cutScenes(Output& out) {
    for (int i = 1; i <= 8; ++i) {
        std::string path = "Data\\Textures\\CutScenes\\Scene" + std::to_string(i) + ".jpg";
        if (!out.wants(path)) continue;
        uint64_t seed = seedOf(path);
        NebulaStyle st = skyStyle(1 + i % 3);
        st.scale = 2.5f;
        Picture pic(512, 384);
        {
            Picture small(256, 192);
            paintNebula(small, seed, st, false);
            Surface up = resized(toSurface(small), 512, 384);
            pic = toPicture(up);
        }
        paintStars(pic, seed, 1500);
        Rng rng(seed);
        switch (i) {
        case 1: {  // the colony world under its nebula
            Picture map = planetMap(3, seed);
            planetDisc(pic, map, 300, 300, 190, hex(0x7fc8ff));
            break;
        }
        case 5: {  // the hive world
            Picture map = planetMap(1, seed);
            planetDisc(pic, map, 380, 120, 90, hex(0x9fff7a));
            break;
        }
        case 6: {  // dawn over Velmora, the ocean world of the opening
            Picture map = planetMap(3, seed);
            planetDisc(pic, map, 256, 560, 300, hex(0xffd08a));
            glow(pic, 120, 262, 60, 60, pal::gold, 1.0f);
            break;
        }
        case 7: {  // the hollow star: a dead, dark sun with only its corona left burning
            glow(pic, 340, 140, 130, 130, hex(0xff9a4a), 0.9f);
            glow(pic, 340, 140, 88, 88, hex(0xffe8c0), 1.3f);
            for (int y = 0; y < pic.h; ++y)
                for (int x = 0; x < pic.w; ++x) {
                    const float d = std::hypot(x + 0.5f - 340.0f, y + 0.5f - 140.0f);
                    float* q = pic.at(x, y);
                    const float k = smoothstep(70.0f, 67.0f, d);  // the dead disc hides what is behind it
                    for (int ch = 0; ch < 3; ++ch) q[ch] *= 1.0f - k * 0.97f;
                    const float ring = std::exp(-std::pow((d - 70.5f) / 1.6f, 2.0f));
                    q[0] += ring * 1.0f;
                    q[1] += ring * 0.85f;
                    q[2] += ring * 0.6f;
                }
            break;
        }
        case 8: {  // the hive world, where the armada waits
            Picture map = planetMap(5, seed);
            planetDisc(pic, map, 420, 420, 230, hex(0xb8ff4a));
            break;
        }
        default:
            break;
        }
        Surface s = toSurface(pic);
        Context c = newContext(s);
        cairo_t* cr = c.get();
        Picture light(512, 384, {}, 1);
        if (i == 2) {  // the armada comes out of the dark: far ships small and dim, near ones large
            struct Ship {
                double x, y, size;
            };
            std::vector<Ship> ships;
            for (int k = 0; k < 16; ++k) ships.push_back({rng.range(40, 470), rng.range(40, 320), rng.range(7, 32)});
            std::sort(ships.begin(), ships.end(), [](const Ship& a, const Ship& b) { return a.size < b.size; });
            for (const Ship& sh : ships)
                hostileShip(cr, light, sh.x, sh.y, sh.size, M_PI / 2 + rng.range(-0.15, 0.15), 0.75 - sh.size / 45.0);
        } else if (i == 3) {  // launch: a lone fighter climbing on its trail
            for (int k = 0; k < 55; ++k)
                glow(light, 256, 276 + k * 2.0f, 5 + k * 0.25f, 8, hex(0x3f9fff), 0.05f * (1.0f - k / 70.0f));
            playerFighter(cr, light, 256, 235, 64, -M_PI / 2);
        } else if (i == 4) {  // battle: blasts, the swarm firing down, the fighter firing up
            for (int k = 0; k < 5; ++k)
                glow(light, static_cast<float>(rng.range(60, 450)), static_cast<float>(rng.range(60, 300)),
                     static_cast<float>(rng.range(14, 36)), static_cast<float>(rng.range(14, 36)), pal::ember, 1.0f);
            for (int k = 0; k < 6; ++k) {
                const double x = rng.range(60, 450), y = rng.range(40, 190), size = rng.range(14, 24);
                hostileShip(cr, light, x, y, size, M_PI / 2, 0.1);
                bolt(light, x, y + size * 1.4, rng.range(-12, 12), rng.range(30, 60), pal::hostile);
            }
            playerFighter(cr, light, 256, 320, 34, -M_PI / 2);
            for (double side : {-1.0, 1.0}) bolt(light, 256 + side * 9, 290, 0, -70, pal::gold);
            bolt(light, 256, 282, 0, -110, pal::gold);
        } else if (i == 7) {  // the borrowed ship dives towards the dead star on a long trail
            const double ang = -0.75;
            for (int k = 0; k < 60; ++k) {
                const float t = static_cast<float>(k);
                glow(light, static_cast<float>(150 - std::cos(ang) * t * 2.2), static_cast<float>(290 - std::sin(ang) * t * 2.2),
                     4 + t * 0.2f, 4 + t * 0.2f, hex(0xffb04a), 0.05f * (1.0f - t / 70.0f));
            }
            playerFighter(cr, light, 150, 290, 46, ang);
        } else if (i == 8) {  // the silent armada: the dreadnought and its screen, lights dimmed
            for (int k = 0; k < 14; ++k) {
                const double x = rng.range(30, 480), y = rng.range(30, 200), size = rng.range(6, 14);
                hostileShip(cr, light, x, y, size, M_PI / 2 + rng.range(-0.1, 0.1), 0.8);
            }
            for (double side : {-1.0, 1.0})
                hostileShip(cr, light, 256 + side * 150, 170, 34, M_PI / 2, 0.35);
            hostileShip(cr, light, 230, 190, 120, M_PI / 2 + 0.12, 0.25);
        }
        cairo_set_operator(cr, CAIRO_OPERATOR_ADD);
        paintSurface(cr, lightSurface(light), 0, 0);
        cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
        // letterbox frame
        cairo_rectangle(cr, 1, 1, 510, 382);
        cairo_set_line_width(cr, 2);
        setRgb(cr, hex(0x8fb0d0), 0.8);
        cairo_stroke(cr);
        c.reset();
        out.jpeg(path, s);
    }
}

}  // namespace

void paintScenery(Output& out) {
    skies(out);
    planets(out);
    layerSprites(out);
    levelTextures(out);
    if (out.wants("Data\\Models\\Levels\\Ridge.3ds")) out.mesh("Data\\Models\\Levels\\Ridge.3ds", ridgeMesh());
    if (out.wants("Data\\Models\\Levels\\Hull.3ds")) out.mesh("Data\\Models\\Levels\\Hull.3ds", hullStructureMesh());
    levelLogos(out);
    cutScenes(out);
}

}  // namespace vlm::forge
