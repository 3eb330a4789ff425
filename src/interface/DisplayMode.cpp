// The resolution change shared by both options dialogs and start-up (declared in context/Display.h).
#include <cstdio>
#include <exception>
#include <string>

#include "context/Display.h"
#include "data/DisplayModes.h"
#include "data/Options.h"
#include "interface/Hud.h"
#include "interface/MenuFramework.h"
#include "interface/MessageBox.h"
#include "context/GameContext.h"

namespace vlm {

namespace {

void ScaleText(scene::TGLHUDText* t, float rx, float ry) {
  if (!t) return;
  t->Position.x *= rx;
  t->Position.y *= ry;
  t->Scale.x *= rx;
  t->Scale.y *= ry;
}

void ScaleSprite(scene::TGLHUDSprite* s, float rx, float ry) {
  if (!s) return;
  s->Position.x *= rx;
  s->Position.y *= ry;
  s->Width *= rx;
  s->Height *= ry;
}

// Every screen-space object from resolution `from` to `to`. The menu texts and the HUD keep
// their reference places and are laid out from them; the loading screen, the frame-rate text and
// the cursor are scaled where they stand.
void Rescale(GameContext& ctx, int from, int to) {
  const int w = data::ScreenWidths[size_t(to)], h = data::ScreenHeights[size_t(to)];
  const float rx = float(w) / float(data::ScreenWidths[size_t(from)]);
  const float ry = float(h) / float(data::ScreenHeights[size_t(from)]);
  interface::RescaleHud(ctx, from, to);
  TLayout& L = ctx.L;
  ScaleText(L.LoadingHintsText, rx, ry);
  ScaleText(L.GLHUDText1, rx, ry);
  ScaleSprite(L.CursorImage, rx, ry);
  ScaleSprite(L.LogoHudSprite, rx, ry);
  ScaleSprite(L.EpisodeLogoHudSprite, rx, ry);
  ctx.ViewportWidth = w;
  ctx.ViewportHeight = h;
  ctx.Scene.Camera().SceneScale = float(w) / 1000.0f * 0.625f;
  interface::PlaceHudLayout(ctx, w, h);
  // The pointer stays on the same spot of the picture.
  ctx.MouseX = int32_t(float(ctx.MouseX) * rx);
  ctx.MouseY = int32_t(float(ctx.MouseY) * ry);
}

}  // namespace

int ResolutionInEffect(const GameContext& ctx) {
  for (int i = data::kMinResolution; i <= data::kMaxResolution; ++i)
    if (data::ScreenWidths[size_t(i)] == ctx.ViewportWidth && data::ScreenHeights[size_t(i)] == ctx.ViewportHeight)
      return i;
  return 0;
}

bool ChangeDisplayMode(GameContext& ctx, int index) {
  const int from = ResolutionInEffect(ctx);
  std::string why = "no such resolution";
  const bool known = index >= data::kMinResolution && index <= data::kMaxResolution;
  if (!known || !ctx.Platform().SetDisplayMode(data::ScreenWidths[size_t(index)], data::ScreenHeights[size_t(index)],
                                               ctx.Platform().FullScreen(), why)) {
    std::fprintf(stderr, "velmora2: resolution %d: %s\n", index, why.c_str());
    if (from != 0) ctx.Options.Resolution = from;
    interface::ShowMessageBoxButtons(ctx, kVideoDeviceError, false);
    return false;
  }
  if (from != index) {
    if (from != 0) {
      Rescale(ctx, from, index);
    } else {
      // A viewport of no known resolution (a test's own size): lay out from the reference.
      ctx.ViewportWidth = data::ScreenWidths[size_t(index)];
      ctx.ViewportHeight = data::ScreenHeights[size_t(index)];
      ctx.Scene.Camera().SceneScale = float(ctx.ViewportWidth) / 1000.0f * 0.625f;
      interface::PlaceHudLayout(ctx, ctx.ViewportWidth, ctx.ViewportHeight);
      interface::PlaceMenuLayout(ctx, ctx.ViewportWidth, ctx.ViewportHeight);
    }
  }
  return true;
}

void WriteSupportedResolutions(GameContext& ctx) {
  try {
    data::WriteSupportedResolutions(*ctx.Data, ctx.Platform().DisplayModes());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "velmora2: %s\n", e.what());
  }
}

}  // namespace vlm
