#include "levels/CutScene.h"

#include <algorithm>
#include <exception>

#include "data/Numbers.h"
#include "interface/Shop.h"
#include "levels/CutSceneFile.h"
#include "levels/LevelRun.h"
#include "context/GameContext.h"
#include "context/Layout.h"
#include "sound/SoundUnit.h"

namespace vlm::levels {

namespace {

// Pictures fade in and out over two seconds; a text leaves in half a second, so that it is gone
// before the next page's text has come up where it stood.
constexpr double kPictureFadeRate = 0.5;
constexpr double kTextFadeOutRate = 2.0;

constexpr const char* kNext = "MM_Next";
constexpr const char* kNextLighted = "MM_NextLighted";

template <class T>
T* Add(scene::TGLBaseSceneObject& parent, const char* name, bool visible = true) {
  T* o = parent.AddNewChild<T>();
  o->Name = name;
  o->Visible = visible;
  return o;
}

int Volume100(double option) { return int(data::RoundHalfEven(option * 100.0)); }

bool HasPicture(const TCutSceneState& cs, int32_t page) {
  return page >= 0 && size_t(page) < cs.PagePictures.size() && cs.PagePictures[size_t(page)] != 0;
}

// The pictures and texts of an earlier cut-scene, gone at once (they would free themselves on
// the next frame anyway).
void ClearPages(TCutSceneState& cs) {
  for (size_t i = 0; i < cs.CS_DummyCubeForPics->Count(); ++i) {
    scene::TGLBaseSceneObject* o = cs.CS_DummyCubeForPics->Child(i);
    if (o != cs.CutSceneBlur) o->Free();
  }
  for (size_t i = 0; i < cs.CS_DummyCubeForText->Count(); ++i) cs.CS_DummyCubeForText->Child(i)->Free();
}

void ShowCutSceneError(GameContext& ctx, const std::string& text) {
  ctx.Platform().ShowError("Velmora 2", text);
}

}  // namespace

// ------------------------------------------------------------------------------ pages

void TCutSceneSprite::DoProgress(double deltaTime, double newTime) {
  scene::TGLSprite::DoProgress(deltaTime, newTime);
  TCutSceneState& cs = ctx_.CutScene;
  float& alpha = Material.FrontProperties.Diffuse.a;
  if (Page == cs.CutScenePage) {
    Visible = true;
    if (alpha >= 1.0f) {
      cs.NextButtonSprite->Visible = true;
    } else {
      alpha = std::min(1.0f, alpha + float(kPictureFadeRate * deltaTime));
      cs.NextButtonSprite->Visible = false;
    }
  } else if (Page < cs.CutScenePage && Visible) {
    if (alpha > 0.0f) {
      alpha = std::max(0.0f, alpha - float(kPictureFadeRate * deltaTime));
    } else {
      Free();
      return;
    }
  }
  if (ctx_.GameState != "cutscene") Free();
}

void TCutSceneText::DoProgress(double deltaTime, double newTime) {
  scene::TGLHUDText::DoProgress(deltaTime, newTime);
  if (ctx_.GameState != "cutscene") {
    Free();
    return;
  }
  TCutSceneState& cs = ctx_.CutScene;
  float& alpha = ModulateColor.a;
  if (Page == cs.CutScenePage) {
    alpha = std::min(1.0f, alpha + float(kPictureFadeRate * deltaTime));
    // The picture rules Next on its page; a page of text alone would otherwise never offer it.
    if (!HasPicture(cs, Page)) cs.NextButtonSprite->Visible = alpha >= 1.0f;
  } else if (Page < cs.CutScenePage) {
    alpha = std::max(0.0f, alpha - float(kTextFadeOutRate * deltaTime));
    if (alpha <= 0.0f) Free();
  }
}

// ------------------------------------------------------------------------------ the screen

void CreateCutSceneLayout(GameContext& ctx) {
  TCutSceneState& cs = ctx.CutScene;
  scene::TGLDummyCube& root = *ctx.L.CutSceneDummyCube;
  root.Visible = false;

  // The backdrop fills the window: 2.5 behind the play field, 16.23 by 21.62 is the view there.
  cs.CutBgSprite = Add<scene::TGLSprite>(root, "CutBgSprite");
  cs.CutBgSprite->Material.SetLibMaterial(&ctx.InterFaceLibrary, "CutSceneBg1");
  cs.CutBgSprite->Position = {0.0f, 2.5f, 0.0f};
  cs.CutBgSprite->Scale = {16.23f, 1.0f, 21.62f};
  cs.CutBgSprite->Pickable = false;

  cs.CS_DummyCubeForPics = Add<scene::TGLDummyCube>(root, "CS_DummyCubeForPics");
  // A soft glow that trails what is drawn before it; the pictures come after it and stay sharp.
  cs.CutSceneBlur = Add<scene::TGLBlur>(*cs.CS_DummyCubeForPics, "CutSceneBlur", false);
  {
    scene::TGLMaterialProps& m = cs.CutSceneBlur->Material.EffectiveForEdit();
    m.BlendingMode = scene::TBlendingMode::Additive;
    m.FrontProperties.Diffuse = {1.0f, 1.0f, 1.0f, 0.413f};
  }
  cs.CutSceneBlur->RenderWidth = 512;
  cs.CutSceneBlur->RenderHeight = 512;
  cs.CutSceneBlur->Pickable = false;

  cs.CS_DummyCubeForText = Add<scene::TGLDummyCube>(root, "CS_DummyCubeForText");

  // Bound to the longer name first, so lighting it later re-uses the name's storage.
  cs.NextButtonSprite = Add<scene::TGLSprite>(root, "NextButtonSprite", false);
  cs.NextButtonSprite->Material.SetLibMaterial(&ctx.InterFaceLibrary, kNextLighted);
  cs.NextButtonSprite->Material.SetLibMaterialName(kNext);
  cs.NextButtonSprite->Position = {-1.367f, -0.6f, 0.0f};
  cs.NextButtonSprite->Scale = {0.25f, 1.0f, -1.5f};
}

bool LoadCutScene(GameContext& ctx, const std::string& name) {
  TCutSceneState& cs = ctx.CutScene;
  TLayout& L = ctx.L;
  TCutSceneScript script;
  try {
    script = ReadCutScene(PlainIniReader(*ctx.Data), name);
  } catch (const std::exception& e) {
    ShowCutSceneError(ctx, std::string("The cut-scene cannot be shown: ") + e.what());
    return false;
  }
  if (script.Pages.empty()) {
    ShowCutSceneError(ctx, "The cut-scene cannot be shown: file \"" + script.FileName +
                               "\" has no page (section [0] with a whole-number \"Time\").");
    return false;
  }

  // 1.
  ClearPages(cs);
  cs.CutScenePage = 0;
  cs.NextButtonSprite->Visible = false;
  cs.NextButtonSprite->Material.SetLibMaterialName(kNext);
  cs.PagePictures.assign(script.Pages.size(), 0);
  cs.PageTexts.assign(script.Pages.size(), 0);
  // 2.
  L.SceneDummyCube->Visible = false;
  L.InterFaceDummyCube->Visible = false;
  // Texts are placed in pixels of a 1024 by 768 window.
  const float rx = float(ctx.ViewportWidth) / 1024.0f, ry = float(ctx.ViewportHeight) / 768.0f;
  for (size_t n = 0; n < script.Pages.size(); ++n) {
    const TCutScenePage& page = script.Pages[n];
    const int32_t number = int32_t(n);
    if (!page.SpriteImage.empty()) {
      TCutSceneSprite* s = cs.CS_DummyCubeForPics->AddNewChild<TCutSceneSprite>(ctx);
      s->Name = "CutScenePicture" + std::to_string(n);
      s->Page = number;
      s->Time = page.Time;
      s->DestroyTime = page.DestroyTime;
      // Later pages a hair nearer the camera, so a picture fading in lies over the one leaving.
      s->Position = {float(page.SpriteX), float(-0.2 - 0.00001 * double(n)), float(page.SpriteZ)};
      s->Scale.y = 0.0f;
      s->SetSize(float(page.SpriteWidth), float(page.SpriteHeight));
      s->Pickable = false;
      scene::TGLMaterialProps& m = s->Material;
      m.Texture.TextureMode = scene::TGLTextureMode::Modulate;
      m.BlendingMode = scene::TBlendingMode::Transparency;
      m.Texture.MinFilter = scene::TGLMinFilter::Linear;
      m.Texture.MagFilter = scene::TGLMagFilter::Linear;
      m.FrontProperties.Diffuse = {1.0f, 1.0f, 1.0f, 0.0f};
      m.FrontProperties.Emission = {1.0f, 1.0f, 1.0f, 1.0f};
      try {
        m.Texture.LoadFromFile(page.SpriteImage);
        m.Texture.Disabled = false;
        cs.PagePictures[n] = 1;
      } catch (const std::exception& e) {
        ShowCutSceneError(ctx, "File \"" + script.FileName + "\", section [" + SectionName(number) +
                                   "], key \"SpriteImage\": the picture cannot be shown, the page goes on "
                                   "without it. " + e.what());
        s->Free();
      }
    }
    if (!page.Text.empty()) {
      TCutSceneText* t = cs.CS_DummyCubeForText->AddNewChild<TCutSceneText>(ctx);
      t->Name = "CutSceneText" + std::to_string(n);
      t->Page = number;
      t->Time = page.Time;
      t->DestroyTime = page.DestroyTime;
      t->BitmapFont = &ctx.GLBitmapFont1;
      t->Position = {float(page.TextX) * rx, float(page.TextY) * ry, 0.0f};
      t->Scale = {float(page.TextScaleX) * rx, float(page.TextScaleY) * ry, 1.0f};
      t->Text = page.Text;
      t->Alignment = page.TextAlign == 0 ? scene::TTextAlignment::Center : scene::TTextAlignment::Left;
      t->ModulateColor.a = 0.0f;
      t->Pickable = false;  // never in the way of Next
      cs.PageTexts[n] = 1;
    }
  }
  // 3.
  cs.CutScenePagesLeft = int32_t(script.Pages.size());
  // 4. After a level the cut-scene's own tune plays from the top; the order on record stays.
  if (Volume100(ctx.Options.MusicVolume) > 0 && script.ShowAtText == "1") SetMusicOrder(0);
  return true;
}

bool StartCutScene(GameContext& ctx) {
  TLayout& L = ctx.L;
  TCutSceneState& cs = ctx.CutScene;
  // 1.
  if (!LoadCutScene(ctx, ctx.Level.CutSceneName)) return false;
  // 2.
  L.CutSceneDummyCube->Visible = true;
  ctx.GameState = "cutscene";
  cs.CutSceneBlur->Visible = true;
  // 3. The camera of play, level.
  scene::TGLCamera& cam = ctx.Scene.Camera();
  cam.SetPitchAngle(0.0f);
  cam.Position.y = -1.58f;
  cam.Position.x = -0.0213f;
  // 4.
  L.CursorImage->Visible = true;
  return true;
}

void CutSceneFrame(GameContext& ctx) {
  TLayout& L = ctx.L;
  TCutSceneState& cs = ctx.CutScene;
  // The loading screen of a cut-scene before the level fades out.
  float a = L.LogoHudSprite->AlphaChannel;
  if (a > 0.0f) {
    a -= float(ctx.DeltaTime);
  } else {
    a = 0.0f;
    L.LogoHudSprite->Visible = false;
    L.EpisodeLogoHudSprite->Visible = false;
    L.LoadingHintsText->Visible = false;
  }
  L.LogoHudSprite->AlphaChannel = a;
  L.EpisodeLogoHudSprite->AlphaChannel = L.LogoHudSprite->AlphaChannel;
  L.LoadingHintsText->ModulateColor.a = L.LogoHudSprite->AlphaChannel;
  // A page with nothing to fade in offers Next at once.
  const int32_t page = cs.CutScenePage;
  if (page >= 0 && size_t(page) < cs.PagePictures.size() && !cs.PagePictures[size_t(page)] &&
      !cs.PageTexts[size_t(page)])
    cs.NextButtonSprite->Visible = true;
}

void CutSceneInput(GameContext& ctx) {
  TCutSceneState& cs = ctx.CutScene;
  if (ctx.L.MessageDummy->Visible) return;  // the message box is modal
  const scene::TGLBaseSceneObject* picked =
      ctx.Scene.GetPickedObject(ctx.MouseX, ctx.MouseY, ctx.ViewportWidth, ctx.ViewportHeight);
  scene::TGLSprite& next = *cs.NextButtonSprite;
  // 1.
  if (picked != &next) {
    next.Material.SetLibMaterialName(kNext);
    return;
  }
  // 2.
  const int volume = Volume100(ctx.Options.SoundVolume);
  if (next.Material.GetLibMaterialName() == kNext) PlaySound("overbutton", volume, 0);
  next.Material.SetLibMaterialName(kNextLighted);
  if (!ctx.LeftClick) return;
  PlaySound("click", volume, 0);
  ctx.LeftClick = false;
  if (cs.CutScenePagesLeft >= 2) {
    next.Visible = false;
    ++cs.CutScenePage;
    --cs.CutScenePagesLeft;
  } else {
    EndCutScene(ctx);
  }
}

void EndCutScene(GameContext& ctx) {
  TLayout& L = ctx.L;
  TCutSceneState& cs = ctx.CutScene;
  L.SceneDummyCube->Visible = true;
  L.InterFaceDummyCube->Visible = true;
  ctx.LeftClick = false;
  L.CutSceneDummyCube->Visible = false;
  L.CursorImage->Visible = false;
  cs.CutSceneBlur->Visible = false;
  cs.NextButtonSprite->Visible = false;
  cs.NextButtonSprite->Material.SetLibMaterialName(kNext);
  if (ctx.Level.CutSceneShowAt == 0) {
    // The fly-in of the level, from the start.
    L.PlayerDummy->Position.y = 0.0f;
    L.PlayerDummy->Position.x = -0.8f;
    SetMaterialAlpha(*L.LevelIntroBlur, 1.0f);
    L.CanvasSprite->AlphaChannel = 1.0f;
    L.LevelIntroBlur->Visible = true;
    L.CanvasSprite->Visible = true;
    L.EnemiesDummyCube->Position.x = 1.0f;
    ctx.TimeScale = 20.0;
    ctx.GameState = "levelintro2";
    return;
  }
  // A story after the level leads on to the shop where the level has one.
  if (ctx.Level.ShopAfterLevel) {
    interface::EnterShop(ctx);
    return;
  }
  EnterFlyOut(ctx);
}

}  // namespace vlm::levels
