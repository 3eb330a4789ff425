// The player's ship: the hull mesh, the weapon pods that grow with the gun levels, the
// armour add-ons, the six skins and the reflection map.
//
// The hull's texture coordinates are a projection from above, so each skin is a painted top
// view of the ship; the weapon pods and the armour take their colours from two swatches in
// the skin's upper corners.
#include "Painters.h"

#include <algorithm>
#include <cmath>

namespace vlm::forge {
namespace {

const std::string kModels = "Data\\Models\\Player\\";

// Top-down projection: the texture covers x and z from -1 to 1.
Vec2 hullUv(Vec3 p) { return {0.5f - p.z * 0.5f, 0.5f + p.x * 0.5f}; }

// Swatch projections: a small square in a corner of the skin, pods top left, armour top right.
UvMap swatch(float u0) {
    return [u0](Vec3 p) {
        float u = u0 + 0.15f * clamp01(0.5f - p.z * 0.5f);
        float v = 0.83f + 0.15f * clamp01(0.5f + p.x * 0.5f);
        return Vec2{u, v};
    };
}
const float kPodSwatch = 0.02f, kArmourSwatch = 0.83f;

const Vec3 kX{1, 0, 0}, kUp{0, -1, 0}, kZ{0, 0, 1};

void fuselage(MeshPart& p) {
    std::vector<Station> st = {
        {{-0.78f, 0, 0}, 0.10f, 0.07f, 0.05f}, {{-0.62f, 0, 0}, 0.16f, 0.12f, 0.08f},
        {{-0.3f, 0, 0}, 0.20f, 0.15f, 0.10f},  {{0.0f, 0, 0}, 0.19f, 0.15f, 0.10f},
        {{0.3f, 0, 0}, 0.15f, 0.12f, 0.08f},   {{0.55f, 0, 0}, 0.10f, 0.08f, 0.06f},
        {{0.76f, 0, 0}, 0.05f, 0.045f, 0.03f}, {{0.9f, 0, 0}, 0.004f, 0.004f, 0.004f},
    };
    addLoft(p, st, kZ, kUp, 16, 2.6f, hullUv);
}

void canopy(MeshPart& p) {
    std::vector<Station> st = {
        {{0.02f, -0.12f, 0}, 0.02f, 0.02f, 0.01f}, {{0.12f, -0.12f, 0}, 0.075f, 0.07f, 0.01f},
        {{0.28f, -0.11f, 0}, 0.07f, 0.06f, 0.01f}, {{0.44f, -0.08f, 0}, 0.02f, 0.02f, 0.01f},
    };
    addLoft(p, st, kZ, kUp, 12, 2.0f, hullUv);
}

void wing(MeshPart& p) {
    std::vector<Station> st = {
        {{-0.12f, 0.0f, 0.14f}, 0.44f, 0.05f, 0.03f}, {{-0.22f, 0.0f, 0.4f}, 0.32f, 0.04f, 0.025f},
        {{-0.34f, 0.0f, 0.68f}, 0.19f, 0.03f, 0.02f}, {{-0.44f, 0.0f, 0.9f}, 0.09f, 0.02f, 0.015f},
    };
    addLoft(p, st, kX, kUp, 10, 3.0f, hullUv);
}

void nacelle(MeshPart& p, float z) {
    std::vector<Station> st = {
        {{-0.84f, -0.02f, z}, 0.07f, 0.07f, 0.07f}, {{-0.72f, -0.02f, z}, 0.095f, 0.095f, 0.09f},
        {{-0.35f, -0.02f, z}, 0.095f, 0.095f, 0.09f}, {{-0.12f, -0.02f, z}, 0.06f, 0.06f, 0.06f},
        {{0.0f, -0.02f, z}, 0.01f, 0.01f, 0.01f},
    };
    addLoft(p, st, kZ, kUp, 12, 2.0f, hullUv);
}

void strake(MeshPart& p) {
    std::vector<Station> st = {
        {{0.02f, -0.02f, 0.19f}, 0.05f, 0.04f, 0.02f}, {{0.3f, -0.02f, 0.2f}, 0.08f, 0.035f, 0.02f},
        {{0.55f, -0.02f, 0.13f}, 0.02f, 0.015f, 0.01f},
    };
    addLoft(p, st, kZ, kUp, 8, 2.5f, hullUv);
}

void rail(MeshPart& p) {
    std::vector<Station> st = {
        {{-0.62f, -0.01f, 0.88f}, 0.025f, 0.025f, 0.025f}, {{-0.2f, -0.01f, 0.88f}, 0.03f, 0.03f, 0.03f},
        {{-0.05f, -0.01f, 0.88f}, 0.004f, 0.004f, 0.004f},
    };
    addLoft(p, st, kZ, kUp, 8, 2.0f, hullUv);
}

MeshFile hullMesh() {
    MeshFile f;
    f.materials.push_back({"PlayerTex", "Skin1.jpg", {0.85f, 0.88f, 0.92f}, {1, 1, 1}, 0.75f});
    MeshPart body = makePart("Hull", "PlayerTex");
    fuselage(body);
    MeshPart glass = makePart("Canopy", "PlayerTex");
    canopy(glass);
    MeshPart wings = makePart("Wings", "PlayerTex");
    wing(wings);
    strake(wings);
    rail(wings);
    mirrorZ(wings);
    MeshPart engines = makePart("Engines", "PlayerTex");
    nacelle(engines, 0.33f);
    mirrorZ(engines);
    f.parts = {body, glass, wings, engines};
    return f;
}

// A gun: housing box and a barrel (loft along +X) ending at muzzle x.
void gun(MeshPart& p, float x, float z, float y, float size, float barrel, int barrels, const UvMap& uv) {
    addBox(p, {x - size * 0.6f, y, z}, {size * 0.9f, size * 0.45f, size * 0.5f}, uv);
    for (int b = 0; b < barrels; ++b) {
        float bz = z + (barrels == 1 ? 0 : (b - (barrels - 1) / 2.0f) * size * 0.55f);
        float r = size * 0.18f;
        std::vector<Station> st = {
            {{x, y, bz}, r, r, r}, {{x + barrel * 0.85f, y, bz}, r * 0.8f, r * 0.8f, r * 0.8f},
            {{x + barrel * 0.88f, y, bz}, r * 1.2f, r * 1.2f, r * 1.2f}, {{x + barrel, y, bz}, r * 1.2f, r * 1.2f, r * 1.2f},
        };
        addLoft(p, st, kZ, kUp, 8, 2.0f, uv);
    }
}

MeshFile weaponMesh(int n) {
    MeshFile f;
    f.materials.push_back({"PlayerTex", "Skin1.jpg", {0.6f, 0.62f, 0.66f}, {1, 1, 1}, 0.8f});
    MeshPart centre = makePart("Guns", "PlayerTex"), sides = makePart("WingGuns", "PlayerTex");
    UvMap uv = swatch(kPodSwatch);
    float grow = 1.0f + 0.05f * n;
    if (n == 0) {  // no guns bought: only the sensor tip on the nose
        std::vector<Station> st = {{{0.84f, -0.02f, 0}, 0.012f, 0.012f, 0.012f},
                                   {{0.98f, -0.02f, 0}, 0.006f, 0.006f, 0.006f}};
        addLoft(centre, st, kZ, kUp, 8, 2.0f, uv);
    } else {
        gun(centre, 0.62f, 0, -0.09f, 0.07f * grow, 0.18f + 0.022f * n, n >= 7 ? 2 : 1, uv);
    }
    if (n >= 2) gun(sides, 0.02f, 0.45f, -0.05f, 0.06f * grow, 0.16f + 0.02f * n, n >= 4 ? 2 : 1, uv);
    if (n >= 5) gun(sides, -0.2f, 0.7f, -0.04f, 0.05f * grow, 0.14f + 0.015f * n, 1, uv);
    if (n >= 9) gun(centre, 0.22f, 0.12f, -0.2f, 0.05f * grow, 0.2f, 1, uv);
    if (n >= 9) gun(centre, 0.22f, -0.12f, -0.2f, 0.05f * grow, 0.2f, 1, uv);
    if (n >= 11) gun(sides, -0.36f, 0.9f, -0.03f, 0.06f * grow, 0.3f, n >= 12 ? 2 : 1, uv);
    if (!sides.tris.empty()) {
        mirrorZ(sides);
        f.parts.push_back(sides);
    }
    f.parts.push_back(centre);
    return f;
}

MeshFile armourMesh(int level) {
    MeshFile f;
    f.materials.push_back({"ABVtex", "Skin1.jpg", {0.7f, 0.72f, 0.78f}, {1, 1, 1}, 0.7f});
    MeshPart plates = makePart("Armour", "ABVtex"), sides = makePart("ArmourLR", "ABVtex");
    UvMap uv = swatch(kArmourSwatch);
    // antenna pair behind the canopy at every level
    addBox(plates, {-0.05f, -0.17f, 0.05f}, {0.06f, 0.01f, 0.008f}, uv);
    addBox(plates, {-0.05f, -0.17f, -0.05f}, {0.06f, 0.01f, 0.008f}, uv);
    if (level >= 1) addBox(sides, {0.42f, -0.1f, 0.1f}, {0.1f, 0.02f, 0.03f}, uv);  // cheek plates
    if (level >= 2) addBox(sides, {-0.1f, -0.08f, 0.24f}, {0.16f, 0.025f, 0.07f}, uv);  // shoulders
    if (level >= 3) addBox(sides, {-0.5f, -0.13f, 0.33f}, {0.2f, 0.02f, 0.06f}, uv);  // engine covers
    if (level >= 4) {  // leading-edge plates along the wing
        addBox(sides, {0.12f, -0.06f, 0.42f}, {0.05f, 0.02f, 0.14f}, uv);
        addBox(sides, {0.0f, -0.05f, 0.62f}, {0.04f, 0.02f, 0.1f}, uv);
    }
    if (level >= 5) addBox(sides, {0.1f, -0.03f, 0.2f}, {0.22f, 0.05f, 0.025f}, uv);  // side skirts
    if (level >= 6) addBox(sides, {-0.45f, -0.04f, 0.93f}, {0.14f, 0.04f, 0.03f}, uv);  // tip shields
    if (level >= 7) addBox(plates, {-0.66f, -0.13f, 0}, {0.1f, 0.02f, 0.12f}, uv);  // tail plate
    if (level >= 8) {  // forward shield arc
        std::vector<Station> st = {{{0.74f, -0.06f, 0.42f}, 0.025f, 0.03f, 0.03f},
                                   {{0.86f, -0.06f, 0.2f}, 0.03f, 0.035f, 0.035f},
                                   {{0.9f, -0.06f, 0.0f}, 0.03f, 0.035f, 0.035f}};
        addLoft(sides, st, kX, kUp, 8, 2.5f, uv);
    }
    if (!sides.tris.empty()) {
        mirrorZ(sides);
        f.parts.push_back(sides);
    }
    f.parts.push_back(plates);
    return f;
}

// ---------------------------------------------------------------------------------------
// Skins

struct SkinScheme {
    Rgb base, accent, trim;
};
const SkinScheme kSchemes[kSkinCount] = {
    {hex(0x8fa6c0), hex(0xff7a2f), hex(0x2b3a50)},  // steel blue with ember stripes
    {hex(0xb03a3a), hex(0xf2f2f2), hex(0x3a1a1e)},  // crimson with white
    {hex(0x3f8f6a), hex(0xffd34a), hex(0x1c3328)},  // emerald with gold
    {hex(0x2a2a30), hex(0xffc857), hex(0x0e0e12)},  // black with gold
    {hex(0x6a4fb8), hex(0x7fe7ff), hex(0x261c44)},  // violet with ice
    {hex(0xdfe7ef), hex(0x1b9fb5), hex(0x58677a)},  // white with teal
};

double px(float u) { return u * 1024.0; }
double py(float v) { return (1.0f - v) * 1024.0; }

void fillTri(cairo_t* cr, const MeshPart& p, const std::array<uint32_t, 3>& t) {
    cairo_move_to(cr, px(p.uv[t[0]].u), py(p.uv[t[0]].v));
    cairo_line_to(cr, px(p.uv[t[1]].u), py(p.uv[t[1]].v));
    cairo_line_to(cr, px(p.uv[t[2]].u), py(p.uv[t[2]].v));
    cairo_close_path(cr);
}

void skin(Output& out, int n, const MeshFile& hull) {
    std::string path = "Data\\Textures\\Player\\Skin\\Skin" + std::to_string(n) + ".jpg";
    if (!out.wants(path)) return;
    const SkinScheme& sc = kSchemes[n - 1];
    // Painted at twice the size and reduced, so triangle edges blend.
    Surface big = newSurface(1024, 1024);
    Surface mask = newSurface(1024, 1024);
    {
        Context c = newContext(big);
        cairo_t* cr = c.get();
        setLinear(cr, 0, 0, 0, 1024, {{0, hex(0x070b14)}, {1, hex(0x03050a)}});
        cairo_paint(cr);
        cairo_set_line_width(cr, 1);
        cairo_set_source_rgba(cr, 0.4, 0.6, 0.9, 0.06);
        for (int i = 0; i <= 1024; i += 64) {
            cairo_move_to(cr, i, 0);
            cairo_line_to(cr, i, 1024);
            cairo_move_to(cr, 0, i);
            cairo_line_to(cr, 1024, i);
        }
        cairo_stroke(cr);
        // lit top faces, deepest first so the nearer parts cover them
        struct Face {
            const MeshPart* part;
            std::array<uint32_t, 3> t;
            float depth, light;
            bool glass;
        };
        std::vector<Face> faces;
        Vec3 L = normalized({0.35f, -1.0f, 0.45f});
        for (const MeshPart& p : hull.parts)
            for (const auto& t : p.tris) {
                Vec3 a = p.pos[t[0]], b = p.pos[t[1]], d = p.pos[t[2]];
                Vec3 nrm = normalized(cross(b - a, d - a));
                if (nrm.y > -0.05f) continue;  // only faces turned to the camera
                float depth = (a.y + b.y + d.y) / 3;
                faces.push_back({&p, t, depth, std::max(0.0f, dot(nrm, L)), p.name == "Canopy"});
            }
        std::stable_sort(faces.begin(), faces.end(), [](const Face& x, const Face& y) { return x.depth > y.depth; });
        cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
        Context mc = newContext(mask);
        cairo_set_antialias(mc.get(), CAIRO_ANTIALIAS_NONE);
        for (const Face& f : faces) {
            float k = 0.62f + 0.45f * f.light;
            Rgb col = f.glass ? mix(hex(0x0c2a4a), hex(0x9fe8ff), f.light * f.light) : scale(sc.base, k);
            fillTri(cr, *f.part, f.t);
            cairo_set_line_width(cr, 1.5);
            setRgb(cr, col);
            cairo_fill_preserve(cr);
            cairo_stroke(cr);
            fillTri(mc.get(), *f.part, f.t);
            cairo_set_source_rgb(mc.get(), 1, 1, 1);
            cairo_fill(mc.get());
        }
        cairo_set_antialias(cr, CAIRO_ANTIALIAS_GOOD);
        mc.reset();
        // paint scheme, clipped to the hull's silhouette
        Surface paint = newSurface(1024, 1024);
        {
            Context pc = newContext(paint);
            cairo_t* p = pc.get();
            // centre stripe and wing chevrons (image: nose up, x = u, y = 1 - v)
            setRgb(p, sc.accent, 0.9);
            cairo_rectangle(p, 512 - 12, 70, 24, 200);
            cairo_rectangle(p, 512 - 10, 540, 20, 330);
            cairo_fill(p);
            for (int side = -1; side <= 1; side += 2) {
                cairo_move_to(p, 512 + side * 150, 520);
                cairo_line_to(p, 512 + side * 420, 640);
                cairo_line_to(p, 512 + side * 420, 670);
                cairo_line_to(p, 512 + side * 150, 560);
                cairo_close_path(p);
                cairo_fill(p);
                // darker trim on the wing trailing edges and nacelles
                cairo_rectangle(p, 512 + side * 168 - 24, 780, 48, 120);
                setRgb(p, sc.trim, 0.85);
                cairo_fill(p);
                setRgb(p, sc.accent, 0.9);
            }
            // panel lines
            cairo_set_line_width(p, 2);
            cairo_set_source_rgba(p, 0, 0, 0, 0.45);
            for (int y = 420; y < 860; y += 70) {
                cairo_move_to(p, 430, y);
                cairo_line_to(p, 594, y);
            }
            for (int side = -1; side <= 1; side += 2)
                for (int k = 0; k < 4; ++k) {
                    cairo_move_to(p, 512 + side * (200 + k * 60), 560 + k * 20);
                    cairo_line_to(p, 512 + side * (220 + k * 60), 720 + k * 25);
                }
            cairo_stroke(p);
            // rivets
            for (int y = 430; y < 850; y += 35)
                for (int side = -1; side <= 1; side += 2) {
                    cairo_arc(p, 512 + side * 70, y, 3, 0, 2 * M_PI);
                    cairo_set_source_rgba(p, 1, 1, 1, 0.25);
                    cairo_fill(p);
                }
        }
        cairo_set_source_surface(cr, paint.get(), 0, 0);
        cairo_mask_surface(cr, mask.get(), 0, 0);
        // the canopy glass stays clear of the paint
        cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
        for (const Face& f : faces) {
            if (!f.glass || f.depth > -0.13f) continue;
            fillTri(cr, *f.part, f.t);
            cairo_set_line_width(cr, 1.5);
            setRgb(cr, mix(hex(0x0c2a4a), hex(0x9fe8ff), f.light * f.light));
            cairo_fill_preserve(cr);
            cairo_stroke(cr);
        }
        cairo_set_antialias(cr, CAIRO_ANTIALIAS_GOOD);
        // rim of light around the silhouette, brighter on the upper left
        Surface rim = newSurface(1024, 1024);
        {
            Context rc = newContext(rim);
            cairo_set_source_surface(rc.get(), mask.get(), 0, 0);
            cairo_paint(rc.get());
        }
        blur(rim, 6);
        Surface edge = newSurface(1024, 1024);
        {
            Context ec = newContext(edge);
            setLinear(ec.get(), 0, 0, 1024, 1024, {{0, hex(0xffffff)}, {1, hex(0x6080a0)}});
            cairo_mask_surface(ec.get(), mask.get(), 0, 0);
            // keep only the band where the blurred mask falls off: mask minus blurred mask
            cairo_set_operator(ec.get(), CAIRO_OPERATOR_DEST_OUT);
            cairo_set_source_surface(ec.get(), rim.get(), 0, 0);
            cairo_paint(ec.get());
        }
        cairo_set_operator(cr, CAIRO_OPERATOR_ADD);
        paintSurface(cr, edge, 0, 0, 0.8);
        cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
        // engine nozzles glow at the rear caps
        Picture glowPic(1024, 1024, {}, 1);
        for (float z : {0.33f, -0.33f}) {
            Vec2 t = hullUv({-0.84f, 0, z});
            glow(glowPic, static_cast<float>(px(t.u)), static_cast<float>(py(t.v)), 40, 26, hex(0x3f9fff), 1.0f);
            glow(glowPic, static_cast<float>(px(t.u)), static_cast<float>(py(t.v)), 16, 12, hex(0xe8f8ff), 1.2f);
        }
        cairo_set_operator(cr, CAIRO_OPERATOR_ADD);
        paintSurface(cr, lightSurface(glowPic), 0, 0);
        cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
        // the two swatches: gunmetal for the guns, armour plate in the accent colour
        for (int s = 0; s < 2; ++s) {
            double x0 = (s == 0 ? kPodSwatch : kArmourSwatch) * 1024, y0 = (1 - 0.98) * 1024, w = 0.15 * 1024;
            Rgb c = s == 0 ? hex(0x59616e) : mix(sc.accent, sc.base, 0.45f);
            chamferRect(cr, x0, y0, w, w, 18);
            setLinear(cr, x0, y0, x0 + w, y0 + w, {{0, mix(c, hex(0xffffff), 0.35f)}, {0.5, c}, {1, scale(c, 0.5f)}});
            cairo_fill_preserve(cr);
            cairo_set_line_width(cr, 4);
            setRgb(cr, s == 0 ? hex(0x9fb0c4) : sc.accent);
            cairo_stroke(cr);
            cairo_set_line_width(cr, 2);
            cairo_set_source_rgba(cr, 0, 0, 0, 0.4);
            for (int k = 1; k < 4; ++k) {
                cairo_move_to(cr, x0 + 12, y0 + k * w / 4);
                cairo_line_to(cr, x0 + w - 12, y0 + k * w / 4);
            }
            cairo_stroke(cr);
        }
    }
    out.jpeg(path, resized(big, 512, 512));
}

void reflection(Output& out) {
    std::string path = "Data\\Textures\\Player\\Reflection.jpg";
    if (!out.wants(path)) return;
    Picture p(256, 256);
    Noise n(seedOf(path));
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            // soft sky bands that repeat along v (the map scrolls)
            float v = y / 256.0f;
            float band = 0.5f + 0.5f * std::sin(v * 2 * static_cast<float>(M_PI) * 2 + n.fbm(x / 64.0f, y / 64.0f, 3, 4) * 2.5f);
            float k = std::pow(band, 3.0f);
            Rgb c = mix(hex(0x0b1830), hex(0xcfeaff), k);
            float* q = p.at(x, y);
            q[0] = c.r;
            q[1] = c.g;
            q[2] = c.b;
        }
    out.jpeg(path, toSurface(p));
}

}  // namespace

void paintShip(Output& out) {
    MeshFile hull = hullMesh();
    for (int n = 1; n <= kSkinCount; ++n) skin(out, n, hull);
    reflection(out);
    if (out.wants(kModels + "1Player4.3DS")) out.mesh(kModels + "1Player4.3DS", hull);
    for (int n = 0; n <= 12; ++n) {
        std::string path = kModels + "pw" + std::to_string(n) + ".3ds";
        if (out.wants(path)) out.mesh(path, weaponMesh(n));
    }
    for (int n = 0; n <= 8; ++n) {
        std::string path = kModels + "abv" + std::to_string(n) + ".3ds";
        if (out.wants(path)) out.mesh(path, armourMesh(n));
    }
}

}  // namespace vlm::forge
