#include "interface/MenuFramework.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <string>

#include "data/Numbers.h"
#include "interface/ChangePlayer.h"
#include "interface/ChooseLevel.h"
#include "interface/CreditsDialog.h"
#include "interface/HelpDialog.h"
#include "interface/MainMenu.h"
#include "interface/MessageBox.h"
#include "interface/OptionsDialog.h"
#include "interface/Shop.h"
#include "interface/TopRanksScreen.h"
#include "levels/DataFields.h"
#include "context/GameContext.h"
#include "sound/SoundUnit.h"

namespace vlm::interface {

namespace {

constexpr const char* kMenuBackgrounds = "Data\\t_data\\menu_bg.ini";

constexpr float kFadeNormal = 0.75f, kFadeHovered = 1.0f;
constexpr float kBarNormal = 0.23f, kBarHovered = 0.30f;

scene::TGLLibMaterial* AddPicture(GameContext& ctx, const std::string& name, scene::TBlendingMode blending) {
  scene::TGLLibMaterial* m = ctx.InterFaceLibrary.LibMaterialByName(name);
  if (!m) m = ctx.InterFaceLibrary.AddTextureMaterial(name);
  m->Material.BlendingMode = blending;
  m->Material.FrontProperties.Diffuse = {1.0f, 1.0f, 1.0f, 1.0f};
  m->Material.Texture.MinFilter = scene::TGLMinFilter::Linear;
  m->Material.Texture.MagFilter = scene::TGLMagFilter::Linear;
  m->Material.Texture.Disabled = false;
  return m;
}

void LoadPicture(GameContext& ctx, const std::string& name, const std::string& file, scene::TBlendingMode blending) {
  AddPicture(ctx, name, blending);
  try {
    ctx.InterFaceLibrary.LoadTexture(name, file);
  } catch (const std::exception& e) {
    ctx.Platform().ShowError("Velmora 2", e.what());
  }
}

}  // namespace

TGLSprite* AddMenuSprite(GameContext& ctx, scene::TGLBaseSceneObject& parent, const char* name, const char* material,
                         float x, float y, float z, float sx, float sz) {
  TGLSprite* s = AddChild<TGLSprite>(parent, name);
  s->Material.SetLibMaterial(&ctx.InterFaceLibrary, material);
  s->Position = {x, y, z};
  s->Scale = {sx, 1.0f, sz};
  return s;
}

TMaterialButton AddMaterialButton(GameContext& ctx, scene::TGLBaseSceneObject& parent, const char* name,
                                  const char* normal, const char* lighted, float x, float y, float z, float sx,
                                  float sz) {
  // Bound to the longer name first, so switching looks later re-uses the name's storage.
  TGLSprite* s = AddMenuSprite(ctx, parent, name, lighted, x, y, z, sx, sz);
  s->Material.SetLibMaterialName(normal);
  return {s, normal, lighted};
}

TGLHUDText* AddMenuText(GameContext& ctx, scene::TGLBaseSceneObject& parent, const char* name, std::string_view text,
                        float x, float y, float sx, float sy, scene::TTextAlignment alignment, scene::TColor color) {
  TGLHUDText* t = AddChild<TGLHUDText>(parent, name);
  t->Text = text;
  t->Text.reserve(64);
  t->BitmapFont = &ctx.GLBitmapFont1;
  t->Alignment = alignment;
  t->ModulateColor = color;
  const float rx = float(ctx.ViewportWidth) / 1024.0f, ry = float(ctx.ViewportHeight) / 768.0f;
  t->Position = {x * rx, y * ry, 0.0f};
  t->Scale = {sx * rx, sy * ry, 1.0f};
  ctx.Menus.Placed.push_back({t, x, y, sx, sy});
  return t;
}

const scene::TGLBaseSceneObject* PickUnderMouse(GameContext& ctx) {
  return ctx.Scene.GetPickedObject(ctx.MouseX, ctx.MouseY, ctx.ViewportWidth, ctx.ViewportHeight);
}

int SoundVolume100(const GameContext& ctx) { return int(data::RoundHalfEven(ctx.Options.SoundVolume * 100.0)); }
void PlayOverButton(GameContext& ctx) { PlaySound("overbutton", SoundVolume100(ctx), 0); }
void PlayClick(GameContext& ctx) { PlaySound("click", SoundVolume100(ctx), 0); }

bool HoverMaterialButton(GameContext& ctx, const TMaterialButton& b, const scene::TGLBaseSceneObject* picked) {
  if (!b.Sprite) return false;
  if (b.Sprite != picked) {
    b.Sprite->Material.SetLibMaterialName(b.Normal);
    return false;
  }
  if (b.Sprite->Material.GetLibMaterialName() == b.Normal) PlayOverButton(ctx);
  b.Sprite->Material.SetLibMaterialName(b.Lighted);
  return true;
}

bool HoverFadeButton(GameContext& ctx, TGLSprite& b, const scene::TGLBaseSceneObject* picked) {
  if (&b != picked) {
    b.AlphaChannel = kFadeNormal;
    return false;
  }
  if (float(b.AlphaChannel) == kFadeNormal) PlayOverButton(ctx);
  b.AlphaChannel = kFadeHovered;
  return true;
}

bool HoverTextButton(GameContext& ctx, TGLHUDText& t, const scene::TGLBaseSceneObject* picked) {
  if (&t != picked) {
    t.ModulateColor.a = kFadeNormal;
    return false;
  }
  if (t.ModulateColor.a == kFadeNormal) PlayOverButton(ctx);
  t.ModulateColor.a = kFadeHovered;
  return true;
}

bool HoverBarSegment(GameContext& ctx, TGLSprite& s, const scene::TGLBaseSceneObject* picked) {
  if (&s != picked) {
    s.Scale.x = kBarNormal;
    return false;
  }
  if (s.Scale.x == kBarNormal) PlayOverButton(ctx);
  s.Scale.x = kBarHovered;
  return true;
}

bool TakePress(GameContext& ctx) {
  if (!ctx.LeftClick) return false;
  ctx.LeftClick = false;
  PlayClick(ctx);
  return true;
}

void ResetLook(const TMaterialButton& b) {
  if (b.Sprite) b.Sprite->Material.SetLibMaterialName(b.Normal);
}

void CreateMenuLayout(GameContext& ctx) {
  ctx.Menus.Placed.reserve(160);
  CreateMainMenuLayout(ctx);
  CreateChooseLevelLayout(ctx);
  CreateOptionsLayout(ctx);
  CreateTopRanksLayout(ctx);
  CreateHelpLayout(ctx);
  CreateCreditsLayout(ctx);
  CreateShopLayout(ctx);
  CreateChangePlayerLayout(ctx);
  CreateMessageBoxLayout(ctx);
}

void PlaceMenuLayout(GameContext& ctx, int width, int height) {
  if (width <= 0 || height <= 0) return;
  const float rx = float(width) / 1024.0f, ry = float(height) / 768.0f;
  for (const TPlacedText& p : ctx.Menus.Placed) {
    p.Text->Position = {p.X * rx, p.Y * ry, 0.0f};
    p.Text->Scale = {p.ScaleX * rx, p.ScaleY * ry, 1.0f};
  }
  ctx.Menus.LayoutWidth = width;
  ctx.Menus.LayoutHeight = height;
}

void RescaleHud(GameContext& ctx, int fromIndex, int toIndex) {
  if (fromIndex < data::kMinResolution || fromIndex > data::kMaxResolution || toIndex < data::kMinResolution ||
      toIndex > data::kMaxResolution)
    return;
  const float rx = float(data::ScreenWidths[toIndex]) / float(data::ScreenWidths[fromIndex]);
  const float ry = float(data::ScreenHeights[toIndex]) / float(data::ScreenHeights[fromIndex]);
  for (const TPlacedText& p : ctx.Menus.Placed) {
    if (p.Text == ctx.Menus.MD_Text) continue;
    p.Text->Scale.x *= rx;
    p.Text->Scale.y *= ry;
    p.Text->Position.x *= rx;
    p.Text->Position.y *= ry;
  }
  ctx.Menus.LayoutWidth = data::ScreenWidths[toIndex];
  ctx.Menus.LayoutHeight = data::ScreenHeights[toIndex];
}

bool InMenuState(const GameContext& ctx) {
  const std::string& s = ctx.GameState;
  return s == "mainmenu" || s == "chooselevel" || s == "options" || s == "help" || s == "credits" ||
         s == "topranks" || s == "changeplayer";
}

void MenuScreensInput(GameContext& ctx) {
  if (ctx.L.MessageDummy->Visible) return;  // the message box is modal
  const scene::TGLBaseSceneObject* picked = PickUnderMouse(ctx);
  const std::string& s = ctx.GameState;
  if (s == "mainmenu")
    MainMenuInput(ctx, picked);
  else if (s == "chooselevel")
    ChooseLevelInput(ctx, picked);
  else if (s == "options")
    OptionsInput(ctx, ctx.Menus.Options, picked);
  else if (s == "topranks")
    TopRanksInput(ctx, picked);
  else if (s == "help")
    HelpInput(ctx, picked);
  else if (s == "credits")
    CreditsInput(ctx, picked);
  else if (s == "changeplayer")
    ChangePlayerInput(ctx, picked);
}

void MenuBackgroundFrame(GameContext& ctx, double frameTime) {
  if (scene::TGLLibMaterial* bg = ctx.InterFaceLibrary.LibMaterialByName("MM_bg")) {
    bg->Material.TextureOffset.y = float(ctx.MouseX) / 39500.0f;
    bg->Material.TextureOffset.x = float(std::sin(frameTime) / 40.0);
  }
  TMenuState& m = ctx.Menus;
  if (m.PlayerNameText->Text != ctx.Player.Name) m.PlayerNameText->Text = ctx.Player.Name;
  m.PlayerHint1->ModulateColor.a = float(std::fabs(std::sin(frameTime) + 0.35));
  // The menu's own buttons and the player's name give way to a dialog over them (its panel
  // covers them but for their edges); the name shows only when there is one.
  const bool onMenu = ctx.GameState == "mainmenu";
  m.MM_buttons->Visible = onMenu;
  m.PlayerNameLabel->Visible = onMenu && !ctx.Player.Name.empty();
  m.PlayerNameText->Visible = m.PlayerNameLabel->Visible;
  m.PlayerHint1->Visible = m.PlayerNameLabel->Visible;
  // The background goes on fading in where the menu's entrance left it, and the music with it.
  if (scene::TGLLibMaterial* bg = ctx.InterFaceLibrary.LibMaterialByName("MM_bg")) {
    float& a = bg->Material.FrontProperties.Diffuse.a;
    if (a < 1.0f) {
      a = std::min(1.0f, a + float(ctx.DeltaTime) * 0.06f);
      SetMusicVolume(int(data::RoundHalfEven(double(a) * ctx.Options.MusicVolume * 100.0)));
    }
  }
}

void PickMenuBackground(GameContext& ctx) {
  const int count = ctx.Data->CountNumberedSections(kMenuBackgrounds);
  if (count <= 0) return;  // no list: the last background stays
  const std::string file = ctx.Data->ReadIniValue(kMenuBackgrounds, levels::SectionName(ctx.Rng(count)), "bg");
  try {
    ctx.InterFaceLibrary.LoadTexture("MM_bg", file);
  } catch (const std::exception& e) {
    ctx.Platform().ShowError("Velmora 2", std::string(kMenuBackgrounds) + ": " + e.what());
  }
}

void LoadMenuTextures(GameContext& ctx) {
  using B = scene::TBlendingMode;
  const std::string main = "Data\\Textures\\InterFace\\main\\";
  LoadPicture(ctx, "MM_logotip", main + "logotip.jpg", B::Additive);
  LoadPicture(ctx, "CL_bg", main + "ChooseLevelBg.jpg", B::Transparency);
  LoadPicture(ctx, "OD_bg", main + "OptionsBg.jpg", B::Transparency);
  LoadPicture(ctx, "HD_bg", main + "HelpBg.jpg", B::Transparency);
  LoadPicture(ctx, "HD_Page1", main + "HD_Page1.jpg", B::Transparency);
  LoadPicture(ctx, "HD_Page2", main + "OptionsBg.jpg", B::Transparency);
  LoadPicture(ctx, "HD_Page3", main + "OptionsBg.jpg", B::Transparency);
  const std::string shop = "Data\\Textures\\InterFace\\shop\\";
  for (const char* name : {"ShopMinus", "ShopPlus", "Empty", "Filled"})
    if (!ctx.InterFaceLibrary.LibMaterialByName(name)) LoadPicture(ctx, name, shop + name + ".bmp", B::Transparency);
  LoadChangePlayerTextures(ctx);
  // The background: faded in by the menu intro through its diffuse alpha.
  scene::TGLLibMaterial* bg = AddPicture(ctx, "MM_bg", B::Transparency);
  bg->Material.FrontProperties.Diffuse.a = 0.0f;
  bg->Material.Texture.TextureMode = scene::TGLTextureMode::Modulate;
  PickMenuBackground(ctx);
}

}  // namespace vlm::interface
