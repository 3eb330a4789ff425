// vlm_forge_icon: the game's desktop icon in the hicolor sizes, for installing.
//
//   vlm_forge_icon <folder>   writes <folder>/<n>x<n>/apps/velmora2.png for n = 16 ... 256
//
// A dark-blue disc with a ring of light, and the player's arrow-shaped ship in silver and
// orange climbing through it with its exhaust below: the game at a glance, readable at 16 px.
#include "Paint.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>

namespace {

using namespace vlm::forge;

void paintIcon(cairo_t* cr, double n) {
    const double c = n / 2.0, r = n * 0.47;
    // The disc: deep space, lighter towards the top.
    cairo_pattern_t* bg = cairo_pattern_create_radial(c, c * 0.7, 0, c, c, r);
    cairo_pattern_add_color_stop_rgb(bg, 0, 0.10, 0.20, 0.42);
    cairo_pattern_add_color_stop_rgb(bg, 1, 0.02, 0.04, 0.12);
    cairo_arc(cr, c, c, r, 0, 2 * M_PI);
    cairo_set_source(cr, bg);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(bg);
    cairo_set_line_width(cr, std::max(1.0, n * 0.035));
    cairo_set_source_rgb(cr, 0.35, 0.75, 1.0);
    cairo_stroke(cr);
    // A few stars where the size allows.
    if (n >= 48) {
        Rng rng(seedOf("icon stars"));
        for (int i = 0; i < 14; ++i) {
            const double a = rng.range(0, 2 * M_PI), d = rng.range(0.2, 0.85) * r;
            cairo_arc(cr, c + std::cos(a) * d, c + std::sin(a) * d, n * rng.range(0.006, 0.012), 0, 2 * M_PI);
            cairo_set_source_rgba(cr, 1, 1, 1, rng.range(0.5, 0.9));
            cairo_fill(cr);
        }
    }
    // The exhaust flame.
    cairo_pattern_t* flame = cairo_pattern_create_linear(0, c + n * 0.12, 0, c + n * 0.42);
    cairo_pattern_add_color_stop_rgba(flame, 0, 1.0, 0.85, 0.35, 1.0);
    cairo_pattern_add_color_stop_rgba(flame, 1, 1.0, 0.35, 0.05, 0.0);
    cairo_move_to(cr, c - n * 0.09, c + n * 0.14);
    cairo_line_to(cr, c, c + n * 0.42);
    cairo_line_to(cr, c + n * 0.09, c + n * 0.14);
    cairo_close_path(cr);
    cairo_set_source(cr, flame);
    cairo_fill(cr);
    cairo_pattern_destroy(flame);
    // The ship: swept wings and a long nose, pointing up.
    auto ship = [&] {
        cairo_move_to(cr, c, c - n * 0.36);
        cairo_line_to(cr, c + n * 0.08, c - n * 0.06);
        cairo_line_to(cr, c + n * 0.30, c + n * 0.16);
        cairo_line_to(cr, c + n * 0.08, c + n * 0.12);
        cairo_line_to(cr, c, c + n * 0.18);
        cairo_line_to(cr, c - n * 0.08, c + n * 0.12);
        cairo_line_to(cr, c - n * 0.30, c + n * 0.16);
        cairo_line_to(cr, c - n * 0.08, c - n * 0.06);
        cairo_close_path(cr);
    };
    cairo_pattern_t* hull = cairo_pattern_create_linear(c - n * 0.3, 0, c + n * 0.3, 0);
    cairo_pattern_add_color_stop_rgb(hull, 0, 0.55, 0.60, 0.68);
    cairo_pattern_add_color_stop_rgb(hull, 0.5, 0.95, 0.97, 1.0);
    cairo_pattern_add_color_stop_rgb(hull, 1, 0.45, 0.50, 0.58);
    ship();
    cairo_set_source(cr, hull);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(hull);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_set_line_width(cr, std::max(0.8, n * 0.018));
    cairo_set_source_rgb(cr, 0.08, 0.10, 0.18);
    cairo_stroke(cr);
    // The orange stripe and the cockpit.
    cairo_move_to(cr, c - n * 0.22, c + n * 0.12);
    cairo_line_to(cr, c, c + n * 0.02);
    cairo_line_to(cr, c + n * 0.22, c + n * 0.12);
    cairo_set_line_width(cr, std::max(1.0, n * 0.03));
    cairo_set_source_rgb(cr, 1.0, 0.55, 0.10);
    cairo_stroke(cr);
    cairo_save(cr);
    cairo_translate(cr, c, c - n * 0.13);
    cairo_scale(cr, n * 0.035, n * 0.08);
    cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
    cairo_restore(cr);
    cairo_set_source_rgb(cr, 0.20, 0.70, 1.0);
    cairo_fill(cr);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: vlm_forge_icon <folder>\n");
        return 2;
    }
    for (int n : {16, 24, 32, 48, 64, 128, 256}) {
        const std::string size = std::to_string(n) + "x" + std::to_string(n);
        const std::filesystem::path dir = std::filesystem::path(argv[1]) / size / "apps";
        std::error_code ec;
        std::filesystem::create_directories(dir, ec);
        Surface s = newSurface(n, n);
        Context ctx = newContext(s);
        paintIcon(ctx.get(), double(n));
        cairo_surface_flush(s.get());
        const std::string file = (dir / "velmora2.png").string();
        if (cairo_surface_write_to_png(s.get(), file.c_str()) != CAIRO_STATUS_SUCCESS) {
            std::fprintf(stderr, "vlm_forge_icon: cannot write %s\n", file.c_str());
            return 1;
        }
    }
    return 0;
}
