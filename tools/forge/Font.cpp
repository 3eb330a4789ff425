// The bitmap font sheet: 64 by 64 pixel cells, eight a row, in the glyph order of the game's
// font table. Glyphs are white (tinted by the text colour) with a dark outline for contrast,
// on a transparent background; both letter cases share the capital glyphs.
#include "Painters.h"

namespace vlm::forge {

// Glyph order of the sheet: index i is drawn in cell (i % 8, i / 8).
static std::string glyphOrder() {
    std::string s;
    for (char c = 'A'; c <= 'Z'; ++c) s += c;
    for (char c = '0'; c <= '9'; ++c) s += c;
    s += ".,-:!()\"=?@/%[] ";
    return s;
}

void paintFont(Output& out) {
    const std::string path = "Data\\Textures\\InterFace\\font.bmp";
    if (!out.wants(path)) return;
    const std::string order = glyphOrder();
    const int cell = kFontCell, cols = kFontColumns;
    Surface s = newSurface(cell * cols, cell * cols);
    Context c = newContext(s);
    cairo_t* cr = c.get();
    selectFont(cr, FontId::MonoBold, 56);
    cairo_text_extents_t cap;
    cairo_text_extents(cr, "H", &cap);
    for (int i = 0; i < kFontGlyphs && i < static_cast<int>(order.size()); ++i) {
        char ch[2] = {order[static_cast<size_t>(i)], 0};
        if (ch[0] == ' ') continue;
        double cx = (i % cols) * cell, cy = (i / cols) * cell;
        cairo_text_extents_t e;
        cairo_text_extents(cr, ch, &e);
        // centre the ink horizontally; capitals span the cell's middle with room for descenders
        double x = cx + cell / 2.0 - (e.x_bearing + e.width / 2);
        double base = cy + 50;
        cairo_save(cr);
        cairo_rectangle(cr, cx, cy, cell, cell);
        cairo_clip(cr);
        cairo_move_to(cr, x, base);
        cairo_text_path(cr, ch);
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
        cairo_set_line_width(cr, 6);
        cairo_set_source_rgba(cr, 0, 0, 0, 0.85);
        cairo_stroke_preserve(cr);
        setLinear(cr, 0, base - cap.height, 0, base, {{0, hex(0xffffff)}, {1, hex(0xd6d6d6)}});
        cairo_fill(cr);
        cairo_restore(cr);
    }
    c.reset();
    out.bmp(path, s, BmpStyle::Straight);
}

}  // namespace vlm::forge
