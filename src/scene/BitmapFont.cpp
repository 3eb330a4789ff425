#include "scene/BitmapFont.h"

#include <algorithm>

namespace vlm::scene {

namespace {

// The highest glyph the table defines (the blank).
constexpr int kLastGlyph = 51;

// Lines of text: "\r", "\n" and "\r\n" each end a line.
template <class F>
void ForEachLine(std::string_view text, F&& f) {
    size_t start = 0, lineNo = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == '\r' || text[i] == '\n') {
            f(text.substr(start, i - start), lineNo++);
            if (i < text.size() && text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            start = i + 1;
        }
    }
}

size_t CountLines(std::string_view text) {
    size_t n = 0;
    ForEachLine(text, [&](std::string_view, size_t) { ++n; });
    return n;
}

size_t MappedCount(std::string_view line) {
    size_t n = 0;
    for (char c : line)
        if (TGLBitmapFont::GlyphIndex(c) >= 0) ++n;
    return n;
}

}  // namespace

TGLBitmapFont::TGLBitmapFont() {
    Glyphs.MinFilter = TGLMinFilter::Linear;
    Glyphs.MagFilter = TGLMagFilter::Linear;
}

void TGLBitmapFont::LoadGlyphs() { Glyphs.LoadFromFile(GlyphsFileName); }

int TGLBitmapFont::GlyphIndex(char ch) {
    const unsigned char c = static_cast<unsigned char>(ch);
    if (c >= 'a' && c <= 'z') return c - 'a';
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= '0' && c <= '9') return 26 + (c - '0');
    // Single characters take precedence over the "[" to "{" range below, so that "]" keeps
    // its own glyph.
    switch (c) {
        case '.': return 36;
        case ',': return 37;
        case '-': return 38;
        case ':': return 39;
        case '!': return 40;
        case '(': return 41;
        case ')': return 42;
        case '"': return 43;
        case '=': return 44;
        case '?': return 45;
        case '@': return 46;
        case '/': return 47;
        case '%': return 48;
        case ']': return 50;
        case ' ': return 51;
        default: break;
    }
    if (c >= '[' && c <= '{') {
        const int g = 49 + (c - '[');
        return g <= kLastGlyph ? g : -1;  // past the sheet's glyphs: not drawn
    }
    return -1;
}

bool TGLBitmapFont::GlyphTexRect(int glyph, TGlyphTexRect& out) const {
    const int w = Glyphs.ImageWidth(), h = Glyphs.ImageHeight();
    if (glyph < 0 || w <= 0 || h <= 0 || CharWidth <= 0 || CharHeight <= 0) return false;
    const int stepX = CharWidth + GlyphsIntervalX, stepY = CharHeight + GlyphsIntervalY;
    const int cols = (w + GlyphsIntervalX) / stepX;
    if (cols <= 0) return false;
    const int col = glyph % cols, row = glyph / cols;
    if ((row + 1) * stepY - GlyphsIntervalY > h) return false;
    out.U0 = static_cast<float>(col * stepX) / static_cast<float>(w);
    out.U1 = static_cast<float>(col * stepX + CharWidth) / static_cast<float>(w);
    out.V0 = static_cast<float>(row * stepY) / static_cast<float>(h);
    out.V1 = static_cast<float>(row * stepY + CharHeight) / static_cast<float>(h);
    return true;
}

size_t TGLBitmapFont::LayoutText(std::string_view text, glm::vec2 position, glm::vec2 scale, TTextAlignment alignment,
                                 TTextLayout layout, TGlyphQuad* out, size_t maxQuads) const {
    const float gw = static_cast<float>(CharWidth) * scale.x;
    const float gh = static_cast<float>(CharHeight) * scale.y;
    const float advance = static_cast<float>(CharWidth + GlyphsIntervalX) * scale.x;
    const float lineStep = static_cast<float>(CharHeight + GlyphsIntervalY) * scale.y;
    const size_t lines = CountLines(text);
    const float blockH = static_cast<float>(lines) * lineStep - static_cast<float>(GlyphsIntervalY) * scale.y;
    float top = position.y;
    if (layout == TTextLayout::Center) top -= blockH / 2.0f;
    else if (layout == TTextLayout::Bottom) top -= blockH;

    size_t produced = 0;
    ForEachLine(text, [&](std::string_view line, size_t lineNo) {
        const size_t n = MappedCount(line);
        if (n == 0) return;
        const float lineW = static_cast<float>(n) * advance - static_cast<float>(GlyphsIntervalX) * scale.x;
        float x = position.x;
        if (alignment == TTextAlignment::Center) x -= lineW / 2.0f;
        else if (alignment == TTextAlignment::Right) x -= lineW;
        const float y = top + static_cast<float>(lineNo) * lineStep;
        for (char c : line) {
            const int g = GlyphIndex(c);
            if (g < 0) continue;
            if (produced < maxQuads && out) out[produced] = TGlyphQuad{{x, y}, {x + gw, y + gh}, g};
            ++produced;
            x += advance;
        }
    });
    return produced;
}

bool TGLBitmapFont::TextBounds(std::string_view text, glm::vec2 position, glm::vec2 scale, TTextAlignment alignment,
                               TTextLayout layout, glm::vec2& topLeft, glm::vec2& bottomRight) const {
    // Same placement as LayoutText, one line at a time, without storing quads.
    bool any = false;
    const float advance = static_cast<float>(CharWidth + GlyphsIntervalX) * scale.x;
    const float gh = static_cast<float>(CharHeight) * scale.y;
    const float lineStep = static_cast<float>(CharHeight + GlyphsIntervalY) * scale.y;
    const size_t lines = CountLines(text);
    const float blockH = static_cast<float>(lines) * lineStep - static_cast<float>(GlyphsIntervalY) * scale.y;
    float top = position.y;
    if (layout == TTextLayout::Center) top -= blockH / 2.0f;
    else if (layout == TTextLayout::Bottom) top -= blockH;
    ForEachLine(text, [&](std::string_view line, size_t lineNo) {
        const size_t n = MappedCount(line);
        if (n == 0) return;
        const float lineW = static_cast<float>(n) * advance - static_cast<float>(GlyphsIntervalX) * scale.x;
        float x = position.x;
        if (alignment == TTextAlignment::Center) x -= lineW / 2.0f;
        else if (alignment == TTextAlignment::Right) x -= lineW;
        const float y = top + static_cast<float>(lineNo) * lineStep;
        const glm::vec2 a(std::min(x, x + lineW), std::min(y, y + gh));
        const glm::vec2 b(std::max(x, x + lineW), std::max(y, y + gh));
        if (!any) {
            topLeft = a;
            bottomRight = b;
            any = true;
        } else {
            topLeft = glm::min(topLeft, a);
            bottomRight = glm::max(bottomRight, b);
        }
    });
    return any;
}

}  // namespace vlm::scene
