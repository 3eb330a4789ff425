// The forge's painters, one per family of assets, and the house style they share
// (docs/art-direction.md describes it in words).
#pragma once

#include "Output.h"
#include "Paint.h"

#include <string>

namespace vlm::forge {

// House palette.
namespace pal {
inline const Rgb space = hex(0x03050c);
inline const Rgb navy = hex(0x0a1024);
inline const Rgb teal = hex(0x1b9fb5);
inline const Rgb violet = hex(0x5a34c8);
inline const Rgb magenta = hex(0xb8367f);
inline const Rgb ember = hex(0xff7a2f);
inline const Rgb gold = hex(0xffc857);
inline const Rgb ice = hex(0x7fe7ff);
inline const Rgb steelLight = hex(0xdce8f6);
inline const Rgb steel = hex(0x8ea3ba);
inline const Rgb steelDark = hex(0x1a2436);
inline const Rgb hostile = hex(0xff3b3b);
inline const Rgb toxic = hex(0x7dff4a);
}  // namespace pal

// Painted nebula at a fraction of the size, smoothly enlarged, with crisp stars on top.
Surface nebulaSurface(int w, int h, uint64_t seed, const NebulaStyle& style, bool tile,
                      int starsPerMegapixel = 1500, int down = 2);

struct Lettering {
    FontId font = FontId::SansBold;
    double size = 48;
    double tracking = 2;
    double align = 0.5;
    Rgb top = pal::steelLight, bottom = pal::steel;  // vertical fill gradient
    Rgb glow = pal::ice;
    double glowStrength = 0.8;
    int glowRadius = 10;
    double outline = 0;  // dark outline width
    bool shadow = true;
};
// Draws text with fill gradient, optional dark outline, drop shadow and glow halo onto the
// surface behind `cr`. `maxWidth` > 0 shrinks the size so the text fits.
void drawLettering(cairo_t* cr, const std::string& text, double x, double y, Lettering style,
                   double maxWidth = 0);

// Dark glass panel with a steel bevel and cyan corner marks.
void drawPanel(cairo_t* cr, double x, double y, double w, double h, double chamfer, double alpha,
               bool bright = false);

// Light painting: a picture of additive colour over black becomes a surface whose alpha is
// its brightness; glow adds an elliptic gaussian spot.
Surface lightSurface(const Picture& p);
void glow(Picture& p, float cx, float cy, float rx, float ry, Rgb c, float k);

void paintInterface(Output& out);
void paintFont(Output& out);
void paintEffects(Output& out);
void paintBonuses(Output& out);
void paintEnemies(Output& out);
void paintShip(Output& out);
void paintScenery(Output& out);

}  // namespace vlm::forge
