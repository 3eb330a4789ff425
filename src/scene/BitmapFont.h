// The bitmap font: glyph table and text layout shared by the renderer and picking.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include <glm/glm.hpp>

#include "scene/Material.h"

namespace vlm::scene {

enum class TTextAlignment { Left, Center, Right };
enum class TTextLayout { Top, Center, Bottom };

// One laid-out glyph: its rectangle in window pixels (before the text's rotation, which
// turns about the text's position) and its glyph index.
struct TGlyphQuad {
    glm::vec2 TopLeft;
    glm::vec2 BottomRight;
    int Glyph;
};

// Texture coordinates of a glyph cell, (u, v) with v = 0 at the top row of the sheet.
struct TGlyphTexRect {
    float U0, V0, U1, V1;
};

class TGLBitmapFont {
public:
    std::string Name;
    // The font sheet image file (set by whoever makes the art); loaded by LoadGlyphs().
    std::string GlyphsFileName;
    // The sheet: cells of CharWidth x CharHeight pixels, no spacing, left to right, top down.
    TGLTexture Glyphs;
    int CharWidth = 64;
    int CharHeight = 64;
    int GlyphsIntervalX = 0;
    int GlyphsIntervalY = 0;

    TGLBitmapFont();
    // Loads GlyphsFileName into Glyphs.  Throws EImageLoadError naming the file.
    void LoadGlyphs();

    // Glyph index of a character, -1 when it has none (such characters are not drawn and
    // take no room).  Letters of both cases share glyphs 0..25, "0".."9" 26..35,
    // ". , - : ! ( ) \" = ? @ / %" 36..48, "[" to "{" 49, "]" 50, the blank 51.
    static int GlyphIndex(char c);
    // Cell of a glyph on the sheet; false when the sheet is not loaded or too small.
    bool GlyphTexRect(int glyph, TGlyphTexRect& out) const;

    // Lays text out in window pixels.  Each glyph is CharWidth * scale.x by
    // CharHeight * scale.y; "\r" (and "\n", and "\r\n" as one) starts a new line.  Each line
    // is placed left of / centred on / right of position.x by alignment; the block of lines
    // below / centred on / above position.y by layout (Top: the text's top edge is at y).
    // Writes at most maxQuads quads and returns the number of drawable glyphs (may exceed
    // maxQuads).  Allocates nothing.
    size_t LayoutText(std::string_view text, glm::vec2 position, glm::vec2 scale, TTextAlignment alignment,
                      TTextLayout layout, TGlyphQuad* out, size_t maxQuads) const;
    // Bounding rectangle of the laid-out text; false when nothing is drawn.
    bool TextBounds(std::string_view text, glm::vec2 position, glm::vec2 scale, TTextAlignment alignment,
                    TTextLayout layout, glm::vec2& topLeft, glm::vec2& bottomRight) const;
};

}  // namespace vlm::scene
