#include "shell/LoadingWindow.h"

#include <algorithm>
#include <exception>

#include "scene/BitmapFont.h"
#include "context/GameContext.h"

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

// An SDL copy of a decoded picture (RGBA bytes in memory order).
SDL_Surface* ToSurface(const scene::TRGBAImage& img) {
  if (img.Empty()) return nullptr;
  SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, img.Width, img.Height, 32, SDL_PIXELFORMAT_ABGR8888);
  if (!s) return nullptr;
  for (int y = 0; y < img.Height; ++y)
    std::copy_n(img.Pixel(0, y), size_t(img.Width) * 4, static_cast<uint8_t*>(s->pixels) + y * s->pitch);
  return s;
}

}  // namespace

LoadingWindow::~LoadingWindow() { Close(); }

LoadingWindow::LoadingWindow() {
  // A plain software surface: a surface drawn through a graphics context of SDL's own would take
  // the game's context away from it. Set here, before the sound starts on a thread of its own that
  // reads SDL's hints too.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
}

bool LoadingWindow::Open(GameContext& ctx) {
  if (window_) return true;
  window_ = SDL_CreateWindow("Vlm2 application:   Loading......", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                             kWidth, kHeight, SDL_WINDOW_BORDERLESS | SDL_WINDOW_ALWAYS_ON_TOP);
  if (!window_) return false;
  picture_ = ToSurface(Decode(ctx, kPicture));
  // The font sheet has white letters on black: the brightness becomes the letters' alpha.
  scene::TRGBAImage font = Decode(ctx, kFont);
  for (size_t i = 0; i + 3 < font.Pixels.size(); i += 4) {
    const uint8_t a = std::max({font.Pixels[i], font.Pixels[i + 1], font.Pixels[i + 2]});
    font.Pixels[i] = font.Pixels[i + 1] = font.Pixels[i + 2] = 255;
    font.Pixels[i + 3] = a;
  }
  font_ = ToSurface(font);
  if (font_) SDL_SetSurfaceBlendMode(font_, SDL_BLENDMODE_BLEND);
  fontCell_ = font.Empty() ? 64 : std::max(1, font.Width / 8);
  Draw(true);
  return true;
}

void LoadingWindow::SetProgress(double percent, const std::string& caption) {
  percent_ = std::clamp(percent, 0.0, 100.0);
  caption_ = caption;
  if (window_) Draw(false);
}

void LoadingWindow::Close() {
  if (window_) SDL_DestroyWindow(window_);
  window_ = nullptr;
  if (picture_) SDL_FreeSurface(picture_);
  if (font_) SDL_FreeSurface(font_);
  picture_ = font_ = nullptr;
}

void LoadingWindow::Draw(bool whole) {
  const int shown = int(percent_);
  if (!whole && shown == shownPercent_ && caption_ == shownCaption_) return;
  SDL_Surface* s = SDL_GetWindowSurface(window_);
  if (!s) return;
  const SDL_Rect bar{kBarX, kBarY, kBarW, kBarH};
  if (whole) {
    if (picture_)
      SDL_BlitScaled(picture_, nullptr, s, nullptr);
    else
      SDL_FillRect(s, nullptr, SDL_MapRGB(s->format, 8, 12, 24));
  }
  // The bar: a thin frame round a dark trough, filled from the left.
  SDL_FillRect(s, &bar, SDL_MapRGB(s->format, 143, 176, 208));
  const SDL_Rect trough{kBarX + 1, kBarY + 1, kBarW - 2, kBarH - 2};
  SDL_FillRect(s, &trough, SDL_MapRGB(s->format, 10, 14, 22));
  const SDL_Rect fill{kBarX + 1, kBarY + 1, (kBarW - 2) * shown / 100, kBarH - 2};
  SDL_FillRect(s, &fill, SDL_MapRGB(s->format, 70, 160, 230));
  // The caption centred on the bar, in the game's own letters.
  if (font_) {
    const int glyph = 12;
    int n = 0;
    for (char c : caption_) n += scene::TGLBitmapFont::GlyphIndex(c) >= 0 ? 1 : 0;
    int x = kBarX + (kBarW - n * glyph) / 2;
    const int columns = std::max(1, font_->w / fontCell_);
    for (char c : caption_) {
      const int g = scene::TGLBitmapFont::GlyphIndex(c);
      if (g < 0) continue;
      SDL_Rect from{(g % columns) * fontCell_, (g / columns) * fontCell_, fontCell_, fontCell_};
      SDL_Rect to{x, kBarY + (kBarH - glyph) / 2, glyph, glyph};
      SDL_BlitScaled(font_, &from, s, &to);
      x += glyph;
    }
  }
  if (whole)
    SDL_UpdateWindowSurface(window_);
  else
    SDL_UpdateWindowSurfaceRects(window_, &bar, 1);
  SDL_PumpEvents();
  shownPercent_ = shown;
  shownCaption_ = caption_;
}

}  // namespace vlm::shell
