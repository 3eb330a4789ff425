#include <gtest/gtest.h>

#include "scene/BitmapFont.h"

using namespace vlm::scene;

TEST(BitmapFont, GlyphTable) {
    struct Case {
        char c;
        int glyph;
    };
    const Case cases[] = {
        {'a', 0},   {'z', 25},  {'A', 0},   {'Q', 16},  {'0', 26},  {'9', 35},  {'.', 36},  {',', 37},
        {'-', 38},  {':', 39},  {'!', 40},  {'(', 41},  {')', 42},  {'"', 43},  {'=', 44},  {'?', 45},
        {'@', 46},  {'/', 47},  {'%', 48},  {'[', 49},  {']', 50},  {' ', 51},  {'#', -1},  {'*', -1},
        {'\r', -1}, {'~', -1},  {'{', -1},  {'\xE9', -1},
    };
    for (const Case& c : cases) EXPECT_EQ(TGLBitmapFont::GlyphIndex(c.c), c.glyph) << "character code " << int(c.c);
}

TEST(BitmapFont, GlyphCellsOnTheSheet) {
    TGLBitmapFont font;
    TGlyphTexRect r{};
    EXPECT_FALSE(font.GlyphTexRect(0, r)) << "no sheet loaded";
    TRGBAImage sheet;
    sheet.Width = 512;
    sheet.Height = 512;  // 8 x 8 cells
    sheet.Pixels.assign(512 * 512 * 4, 255);
    font.Glyphs.SetImage(sheet);
    ASSERT_TRUE(font.GlyphTexRect(51, r));  // row 6, column 3
    EXPECT_FLOAT_EQ(r.U0, 3 * 64 / 512.0f);
    EXPECT_FLOAT_EQ(r.U1, 4 * 64 / 512.0f);
    EXPECT_FLOAT_EQ(r.V0, 6 * 64 / 512.0f);
    EXPECT_FLOAT_EQ(r.V1, 7 * 64 / 512.0f);
    EXPECT_FALSE(font.GlyphTexRect(64, r)) << "past the last cell";
}

TEST(BitmapFont, LayoutAlignsEachLineAndSkipsUnmappedCharacters) {
    TGLBitmapFont font;
    TGlyphQuad q[16];
    // "ab#" draws two glyphs of 32 x 16 pixels (scale 0.5, 0.25); "#" takes no room.
    struct Case {
        TTextAlignment align;
        TTextLayout layout;
        float firstX;
        float firstY;
    };
    const Case cases[] = {
        {TTextAlignment::Left, TTextLayout::Top, 100, 50},
        {TTextAlignment::Center, TTextLayout::Center, 68, 42},
        {TTextAlignment::Right, TTextLayout::Bottom, 36, 34},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(font.LayoutText("ab#", {100, 50}, {0.5f, 0.25f}, c.align, c.layout, q, 16), 2u);
        EXPECT_FLOAT_EQ(q[0].TopLeft.x, c.firstX);
        EXPECT_FLOAT_EQ(q[0].TopLeft.y, c.firstY);
        EXPECT_FLOAT_EQ(q[1].TopLeft.x, c.firstX + 32);
        EXPECT_FLOAT_EQ(q[1].BottomRight.y, c.firstY + 16);
        EXPECT_EQ(q[1].Glyph, 1);
    }
}

TEST(BitmapFont, CarriageReturnBreaksLines) {
    TGLBitmapFont font;
    TGlyphQuad q[32];
    const size_t n = font.LayoutText("abcd\rxy", {0, 0}, {1, 1}, TTextAlignment::Center, TTextLayout::Top, q, 32);
    ASSERT_EQ(n, 6u);
    EXPECT_FLOAT_EQ(q[0].TopLeft.x, -128);
    EXPECT_FLOAT_EQ(q[4].TopLeft.x, -64);
    EXPECT_FLOAT_EQ(q[4].TopLeft.y, 64);
    glm::vec2 tl, br;
    ASSERT_TRUE(font.TextBounds("abcd\r\nxy", {0, 0}, {1, 1}, TTextAlignment::Center, TTextLayout::Top, tl, br));
    EXPECT_EQ(tl, glm::vec2(-128, 0));
    EXPECT_EQ(br, glm::vec2(128, 128));
    EXPECT_FALSE(font.TextBounds("##", {0, 0}, {1, 1}, TTextAlignment::Left, TTextLayout::Top, tl, br));
    // The output buffer bounds what is written, not what is counted.
    EXPECT_EQ(font.LayoutText("abcd", {0, 0}, {1, 1}, TTextAlignment::Left, TTextLayout::Top, q, 2), 4u);
}
