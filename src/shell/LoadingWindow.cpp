#include "shell/LoadingWindow.h"

#include <algorithm>
#include <exception>

#include "scene/BitmapFont.h"
#include "shell/GameContext.h"

namespace vlm::shell {

namespace {

constexpr const char* kPicture = "Data\\Textures\\InterFace\\LoadingWindow.jpg";
constexpr const char* kFont = "Data\\Textures\\InterFace\\font.bmp";

scene::TRGBAImage Decode(GameContext& ctx, const char* file) {
  try {
    if (ctx.Data->DataFileExists(file)) return scene::DecodeImage(ctx.Data->OpenDataFile(file), file);
  } catch (const std::exception&) {
  }
  return {};  // the window is drawn without it
}

void Put(SDL_Surface* s, int x, int y, uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
  if (x < 0 || y < 0 || x >= s->w || y >= s->h) return;
  uint32_t* p = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(s->pixels) + y * s->pitch) + x;
  uint8_t dr, dg, db;
  SDL_GetRGB(*p, s->format, &dr, &dg, &db);
  const auto mix = [a](uint8_t src, uint8_t dst) { return uint8_t((src * a + dst * (255 - a)) / 255); };
  *p = SDL_MapRGB(s->format, mix(r, dr), mix(g, dg), mix(b, db));
}

}  // namespace

LoadingWindow::~LoadingWindow() { Close(); }

bool LoadingWindow::Open(GameContext& ctx) {
  if (window_) return true;
  // A plain software surface: a surface drawn through a graphics context of SDL's own would take
  // the game's context away from it.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  window_ = SDL_CreateWindow("Vlm2 application:   Loading......", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                             kWidth, kHeight, SDL_WINDOW_BORDERLESS | SDL_WINDOW_ALWAYS_ON_TOP);
  if (!window_) return false;
  picture_ = Decode(ctx, kPicture);
  font_ = Decode(ctx, kFont);
  fontCell_ = font_.Empty() ? 64 : std::max(1, font_.Width / 8);
  Draw();
  return true;
}

void LoadingWindow::SetProgress(double percent, const std::string& caption) {
  percent_ = std::clamp(percent, 0.0, 100.0);
  caption_ = caption;
  if (window_) Draw();
}

void LoadingWindow::Close() {
  if (window_) SDL_DestroyWindow(window_);
  window_ = nullptr;
}

void LoadingWindow::Draw() {
  SDL_Surface* s = SDL_GetWindowSurface(window_);
  if (!s || SDL_LockSurface(s) != 0) return;
  // The picture, stretched to the window when it is another size.
  for (int y = 0; y < s->h; ++y)
    for (int x = 0; x < s->w; ++x) {
      if (picture_.Empty()) {
        Put(s, x, y, 8, 12, 24, 255);
        continue;
      }
      const uint8_t* p = picture_.Pixel(x * picture_.Width / s->w, y * picture_.Height / s->h);
      Put(s, x, y, p[0], p[1], p[2], 255);
    }
  // The bar: a dark trough, the filled part, a thin frame.
  const int filled = int(double(kBarW) * percent_ / 100.0);
  for (int y = kBarY; y < kBarY + kBarH; ++y)
    for (int x = kBarX; x < kBarX + kBarW; ++x) {
      const bool edge = y == kBarY || y == kBarY + kBarH - 1 || x == kBarX || x == kBarX + kBarW - 1;
      if (edge)
        Put(s, x, y, 143, 176, 208, 255);
      else if (x - kBarX < filled)
        Put(s, x, y, uint8_t(60 + 120 * (y - kBarY) / kBarH), 170, 235, 255);
      else
        Put(s, x, y, 10, 14, 22, 255);
    }
  // The caption centred on the bar, in the game's own letters.
  if (!font_.Empty()) {
    const int glyph = 12;  // pixels per letter on the bar
    int n = 0;
    for (char c : caption_) n += scene::TGLBitmapFont::GlyphIndex(c) >= 0 ? 1 : 0;
    int x0 = kBarX + (kBarW - n * glyph) / 2;
    const int y0 = kBarY + (kBarH - glyph) / 2;
    const int columns = std::max(1, font_.Width / fontCell_);
    for (char c : caption_) {
      const int g = scene::TGLBitmapFont::GlyphIndex(c);
      if (g < 0) continue;
      const int cx = (g % columns) * fontCell_, cy = (g / columns) * fontCell_;
      for (int y = 0; y < glyph; ++y)
        for (int x = 0; x < glyph; ++x) {
          const int fx = cx + x * fontCell_ / glyph, fy = cy + y * fontCell_ / glyph;
          if (fx >= font_.Width || fy >= font_.Height) continue;
          const uint8_t* p = font_.Pixel(fx, fy);
          const uint8_t a = std::max({p[0], p[1], p[2]});  // white letters on black
          if (a) Put(s, x0 + x, y0 + y, 255, 255, 255, a);
        }
      x0 += glyph;
    }
  }
  SDL_UnlockSurface(s);
  SDL_UpdateWindowSurface(window_);
  SDL_PumpEvents();
}

}  // namespace vlm::shell
