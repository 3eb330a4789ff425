#include "interface/PauseMenu.h"

#include <cmath>
#include <exception>
#include <string>

#include "data/Numbers.h"
#include "context/MenuFocus.h"
#include "interface/MessageBox.h"
#include "interface/OptionsDialog.h"
#include "context/GameContext.h"
#include "context/Layout.h"
#include "sound/SoundUnit.h"

namespace vlm::interface {

namespace {


template <class T>
T* Add(scene::TGLBaseSceneObject& parent, const char* name, bool visible = true) {
  T* o = parent.AddNewChild<T>();
  o->Name = name;
  o->Visible = visible;
  return o;
}

// Depths (local Y) of the menu's pieces: all lie in their groups' planes. The bars stand 1.28 in
// front of the camera, where at 2.62 they sit flush with the window's top and bottom edges and at
// 3.8 are wholly outside, and 8.5 across spans the window; the buttons stand 0.28 in front, about
// a fifth of the window wide. The pause picture 3.2 by 1 spans about half the window (0.48 in
// front); the veil stands behind the picture, so the picture stays sharp.
constexpr float kBarsDepth = 0.0f;
constexpr float kButtonsDepth = 0.0f;
constexpr float kBarsWidth = 1.0f;
constexpr float kPauseMessageDepth = 0.0f;
constexpr float kPauseBlurDepth = 20.0f;

// The image buttons: each stem names a material pair "MM_<stem>" / "MM_<stem>Lighted" and the
// files "<stem>.jpg" / "<stem>_lighted.jpg".
constexpr const char* kButtonStems[] = {"StartGame", "TopRanks", "Options", "Help",   "Credits", "Exit", "Back",
                                        "Resume",    "Apply",    "Cancel",  "Ok",     "Delete",  "Next"};
constexpr const char* kMainFolder = "Data\\Textures\\InterFace\\main\\";
constexpr const char* kPauseFolder = "Data\\Textures\\InterFace\\pause\\";

scene::TGLLibMaterial* AddInterfaceMaterial(GameContext& ctx, const std::string& name, scene::TBlendingMode blending) {
  scene::TGLLibMaterial* m = ctx.InterFaceLibrary.AddTextureMaterial(name);
  m->Material.BlendingMode = blending;
  m->Material.FrontProperties.Diffuse = {1.0f, 1.0f, 1.0f, 1.0f};
  m->Material.Texture.MinFilter = scene::TGLMinFilter::Linear;
  m->Material.Texture.MagFilter = scene::TGLMagFilter::Linear;
  m->Material.Texture.Disabled = false;
  return m;
}

// Loads one picture into a material; a picture that cannot be loaded is shown (the error names
// the file) and the game goes on without it. Returns whether it loaded.
bool LoadOrShow(GameContext& ctx, const std::string& material, const std::string& file) {
  try {
    ctx.InterFaceLibrary.LoadTexture(material, file);
    return true;
  } catch (const std::exception& e) {
    ctx.Platform().ShowError("Velmora 2", e.what());
    return false;
  }
}

void SetButtonAlphas(TLayout& L, float resumeAndExit, float options) {
  L.PM_Resume->AlphaChannel = resumeAndExit;
  L.PM_Exit->AlphaChannel = resumeAndExit;
  L.PM_Options->AlphaChannel = options;
}

int SoundVolume100(const GameContext& ctx) { return int(data::RoundHalfEven(ctx.Options.SoundVolume * 100.0)); }

// Hover look of an image button: the lighted twin while the pointer is on it, "overbutton" once
// per entry. Returns whether the button is the picked object.
bool Hover(GameContext& ctx, scene::TGLSprite& button, const scene::TGLBaseSceneObject* picked, const char* normal,
           const char* lighted) {
  if (&button != picked) {
    button.Material.SetLibMaterialName(normal);
    return false;
  }
  if (button.Material.GetLibMaterialName() == normal) PlaySound("overbutton", SoundVolume100(ctx), 0);
  button.Material.SetLibMaterialName(lighted);
  return true;
}

// Back to the game; the menu group stays visible and slides out (PauseMenuClosingFrame).
void ResumeGame(GameContext& ctx) {
  ctx.L.CursorImage->Visible = false;
  ctx.L.InterFaceDummyCube->Visible = true;
  ctx.GameState = "game";
}

// Moves a material's texture offset, kept within one repeat so a long pause loses no precision.
void Drift(scene::TGLLibMaterial* m, float du, float dv) {
  if (!m) return;
  glm::vec2& o = m->Material.TextureOffset;
  o.x += du;
  o.y += dv;
  o.x -= std::floor(o.x);
  o.y -= std::floor(o.y);
}

}  // namespace

void CreatePauseLayout(GameContext& ctx) {
  TLayout& L = ctx.L;
  TPauseState& p = ctx.Pause;
  scene::TGLMaterialLibrary& lib = ctx.InterFaceLibrary;

  // The pause screen.
  L.PauseDummyCube->Position = {0.0f, -1.1f, 0.0f};
  L.PauseDummyCube->Scale = {0.37f, 0.1f, 0.37f};
  L.PauseDummyCube->Visible = false;
  p.PauseNoiseBlurDummyCube = Add<scene::TGLDummyCube>(*L.PauseDummyCube, "PauseNoiseBlurDummyCube");
  p.PauseSkyBox2 = Add<scene::TGLSkyBox>(*p.PauseNoiseBlurDummyCube, "PauseSkyBox2");
  p.PauseSkyBox = Add<scene::TGLSkyBox>(*p.PauseNoiseBlurDummyCube, "PauseSkyBox");
  for (scene::TGLSkyBox* box : {p.PauseSkyBox2, p.PauseSkyBox}) {
    box->MaterialLibrary = &lib;
    box->CloudsPlaneOffset = 0.15f;
    box->CloudsPlaneSize = 0.86f;
    box->Pickable = false;
  }
  p.PauseSkyBox2->MatNameClouds = "PauseNoise2";
  p.PauseSkyBox->MatNameClouds = "PauseNoise1";
  L.PauseBlur = Add<scene::TGLBlur>(*p.PauseNoiseBlurDummyCube, "PauseBlur", false);
  {
    auto& m = L.PauseBlur->Material.EffectiveForEdit();
    m.BlendingMode = scene::TBlendingMode::Additive;
    m.FrontProperties.Diffuse = {0.0f, 0.792f, 0.208f, 0.81f};
  }
  L.PauseBlur->BlurDeltaTime = 0.05;
  L.PauseBlur->BlurLeft = L.PauseBlur->BlurTop = L.PauseBlur->BlurRight = L.PauseBlur->BlurBottom = 0.05f;
  L.PauseBlur->RenderWidth = 512;
  L.PauseBlur->RenderHeight = 512;
  L.PauseBlur->Position.y = kPauseBlurDepth;
  L.PauseBlur->Pickable = false;
  p.PauseMessageSprite = Add<scene::TGLSprite>(*L.PauseDummyCube, "PauseMessageSprite");
  p.PauseMessageSprite->Material.SetLibMaterial(&lib, "PauseMessage");
  p.PauseMessageSprite->SetSize(3.2f, 1.0f);
  p.PauseMessageSprite->Position.y = kPauseMessageDepth;
  p.PauseMessageSprite->Pickable = false;
  p.PulseDirection = -1;

  // The veil of the pause menu, in the world group: its alpha is the menu's fade value.
  L.PauseMenuBlur->Material.EffectiveForEdit().FrontProperties.Diffuse = {0.165f, 0.808f, 0.557f, 0.0f};
  L.PauseMenuBlur->Visible = false;

  // The pause menu.
  L.PauseMenuDummyCube->Position = {0.0f, -0.3f, 0.0f};
  L.PauseMenuDummyCube->Scale = {0.81f, 1.0f, 0.8f};
  L.PauseMenuDummyCube->Visible = false;
  L.PM_up = Add<scene::TGLSprite>(*L.PauseMenuDummyCube, "PM_up");
  L.PM_down = Add<scene::TGLSprite>(*L.PauseMenuDummyCube, "PM_down");
  L.PM_up->Material.SetLibMaterial(&lib, "MM_up");
  L.PM_down->Material.SetLibMaterial(&lib, "MM_down");
  for (scene::TGLSprite* bar : {L.PM_up, L.PM_down}) {
    bar->Scale = {1.1f, 1.0f, 8.5f};
    bar->SetSize(kBarsWidth, 1.0f);
    bar->Position.y = kBarsDepth;
    bar->Pickable = false;  // the bars never hide a button from the pointer
  }
  L.PM_up->Position.x = kBarsOut;
  L.PM_down->Position.x = -kBarsOut;

  L.PM_ForButtons = Add<scene::TGLDummyCube>(*L.PauseMenuDummyCube, "PM_ForButtons");
  L.PM_ForButtons->Position = {0.0f, -1.0f, 0.0f};
  L.PM_ForButtons->Scale = {0.25f, 0.25f, 0.25f};
  struct ButtonRow {
    scene::TGLSprite** Slot;
    const char* Name;
    const char* Lighted;
    const char* Normal;
    float X, Z;
  };
  const ButtonRow rows[] = {
      {&L.PM_Resume, "PM_Resume", "MM_ResumeLighted", "MM_Resume", 0.45f, kButtonsOut},
      {&L.PM_Options, "PM_Options", "MM_OptionsLighted", "MM_Options", 0.0f, 0.0f},
      {&L.PM_Exit, "PM_Exit", "MM_ExitLighted", "MM_Exit", -0.45f, -kButtonsOut},
  };
  for (const ButtonRow& r : rows) {
    scene::TGLSprite* b = Add<scene::TGLSprite>(*L.PM_ForButtons, r.Name);
    // Bound to the longer name first, so hovering later re-uses the name's storage.
    b->Material.SetLibMaterial(&lib, r.Lighted);
    b->Material.SetLibMaterialName(r.Normal);
    b->Position = {r.X, kButtonsDepth, r.Z};
    b->Scale = {0.4f, 1.0f, 1.35f};
    b->AlphaChannel = 0.0f;
    *r.Slot = b;
  }
  L.PM_OptionsDummy = Add<scene::TGLDummyCube>(*L.PauseMenuDummyCube, "PM_OptionsDummy", false);
  L.PM_OptionsDummy->Position = {0.0f, -0.02f, 0.0f};
  // The in-game options dialog under PM_OptionsDummy is made with the main menu's (CreateOptionsLayout).
}

void LoadPauseTextures(GameContext& ctx) {
  using B = scene::TBlendingMode;
  const std::string pause = kPauseFolder, main = kMainFolder;

  AddInterfaceMaterial(ctx, "PauseMessage", B::Additive);
  LoadOrShow(ctx, "PauseMessage", pause + "Message.jpg");
  // Both noise layers show the one noise picture; they differ by how they drift.
  scene::TGLLibMaterial* noise1 = AddInterfaceMaterial(ctx, "PauseNoise1", B::Additive);
  scene::TGLLibMaterial* noise2 = AddInterfaceMaterial(ctx, "PauseNoise2", B::Additive);
  // Faint, and finely grained: the green veil over them feeds back on itself and brightens them
  // several times over. The offsets drift in picture units, so the grain does not change the speed.
  for (scene::TGLLibMaterial* n : {noise1, noise2}) {
    n->Material.FrontProperties.Diffuse = {0.2f, 0.2f, 0.2f, 1.0f};
    n->Material.TextureScale = {8.0f, 8.0f};
    n->Material.Texture.MinFilter = scene::TGLMinFilter::LinearMipmapLinear;
  }
  if (LoadOrShow(ctx, "PauseNoise1", pause + "Noise1.jpg")) noise2->Material.Texture.AssignImage(noise1->Material.Texture);

  // The frame bars draw their black away; the buttons are solid plates that fade by their alpha,
  // their pure black corners see-through.
  AddInterfaceMaterial(ctx, "MM_up", B::Additive);
  LoadOrShow(ctx, "MM_up", main + "up.jpg");
  AddInterfaceMaterial(ctx, "MM_down", B::Additive);
  LoadOrShow(ctx, "MM_down", main + "down.jpg");
  for (const char* stem : kButtonStems) {
    const std::string normal = std::string("MM_") + stem, lighted = normal + "Lighted";
    for (const std::string* name : {&normal, &lighted})
      AddInterfaceMaterial(ctx, *name, B::Transparency)->Material.Texture.ImageAlpha =
          scene::TGLTextureImageAlpha::SuperBlackTransparent;
    LoadOrShow(ctx, normal, main + stem + ".jpg");
    LoadOrShow(ctx, lighted, main + stem + "_lighted.jpg");
  }
}

bool ResumeFromPauseMenu(GameContext& ctx) {
  TLayout& L = ctx.L;
  if (!L.PauseMenuDummyCube->Visible || std::fabs(L.PM_up->Position.x - kBarsIn) >= kSettleMargin) return false;
  ResumeGame(ctx);
  return true;
}

bool OpenPauseMenu(GameContext& ctx) {
  TLayout& L = ctx.L;
  if (L.PauseMenuDummyCube->Visible || ctx.GameState != "game" ||
      std::fabs(L.PM_up->Position.x - kBarsOut) >= kSettleMargin)
    return false;
  L.PM_up->Position.x = kBarsOut;
  L.PM_down->Position.x = -kBarsOut;
  L.CursorImage->Visible = true;
  ctx.GameState = "pausemenu";
  L.PauseMenuBlur->Visible = true;
  SetMaterialAlpha(*L.PauseMenuBlur, 0.0f);
  SetButtonAlphas(L, 0.0f, 0.0f);
  L.PauseMenuDummyCube->Visible = true;
  return true;
}

void PauseMenuFrame(GameContext& ctx) {
  TLayout& L = ctx.L;
  if (!L.PauseMenuDummyCube->Visible) return;
  const float dt = float(ctx.DeltaTime);
  // The bars slide in; the HUD goes once they are in.
  if (L.PM_up->Position.x <= kBarsIn) {
    L.PM_up->Position.x = kBarsIn;
    L.InterFaceDummyCube->Visible = false;
  } else {
    L.PM_up->Position.x -= dt * 2.5f;
  }
  L.PM_down->Position.x = -L.PM_up->Position.x;
  // The veil and the buttons fade in together.
  float a = MaterialAlpha(*L.PauseMenuBlur);
  if (a < kMenuFadeFull)
    a += dt;
  else
    a = kMenuFadeFull;
  SetMaterialAlpha(*L.PauseMenuBlur, a);
  SetButtonAlphas(L, a, a);
  // Resume comes in from one side, Exit from the other.
  if (L.PM_Resume->Position.z > 0.0f)
    L.PM_Resume->Position.z -= dt * 12.0f;
  else
    L.PM_Resume->Position.z = 0.0f;
  L.PM_Exit->Position.z = -L.PM_Resume->Position.z;
}

void PauseMenuClosingFrame(GameContext& ctx) {
  TLayout& L = ctx.L;
  const float dt = float(ctx.DeltaTime);
  // The bars slide out; the group hides once they are out.
  if (L.PauseMenuDummyCube->Visible) {
    if (L.PM_up->Position.x < kBarsOut) {
      L.PM_up->Position.x += dt * 3.0f;
    } else {
      L.PM_up->Position.x = kBarsOut;
      L.PauseMenuDummyCube->Visible = false;
    }
    L.PM_down->Position.x = -L.PM_up->Position.x;
  }
  // The veil and the buttons fade; the middle button vanishes first.
  float a = MaterialAlpha(*L.PauseMenuBlur);
  if (a > 0.0f) {
    a -= dt;
    SetButtonAlphas(L, a, a - 0.6f);
  } else {
    a = 0.0f;
    SetButtonAlphas(L, 0.0f, 0.0f);
    L.PauseMenuBlur->Visible = false;
  }
  SetMaterialAlpha(*L.PauseMenuBlur, a);
  // The buttons slide apart.
  if (L.PM_Resume->Position.z >= kButtonsOut)
    L.PM_Resume->Position.z = kButtonsOut;
  else
    L.PM_Resume->Position.z += dt * 12.0f;
  L.PM_Exit->Position.z = -L.PM_Resume->Position.z;
}

void FinishPauseMenuClosing(GameContext& ctx) {
  TLayout& L = ctx.L;
  L.PM_up->Position.x = kBarsOut;
  L.PM_down->Position.x = -kBarsOut;
  L.PauseMenuDummyCube->Visible = false;
  SetMaterialAlpha(*L.PauseMenuBlur, 0.0f);
  SetButtonAlphas(L, 0.0f, 0.0f);
  L.PauseMenuBlur->Visible = false;
  L.PM_Resume->Position.z = kButtonsOut;
  L.PM_Exit->Position.z = -kButtonsOut;
}

void PauseScreenFrame(GameContext& ctx) {
  TPauseState& p = ctx.Pause;
  const float dt = float(ctx.DeltaTime);
  // The picture breathes between 0.92 and 1.08 of its size.
  glm::vec3& s = p.PauseMessageSprite->Scale;
  if (p.PulseDirection > 0) {
    if (s.z < 1.08f) {
      s.x += dt * 0.08f;
      s.z += dt * 0.08f;
    } else {
      s.x = s.z = 1.08f;
      p.PulseDirection = -1;
    }
  } else {
    if (s.z > 0.92f) {
      s.x -= dt * 0.08f;
      s.z -= dt * 0.08f;
    } else {
      s.x = s.z = 0.92f;
      p.PulseDirection = 1;
    }
  }
  // The two noise layers drift apart.
  Drift(ctx.InterFaceLibrary.LibMaterialByName("PauseNoise1"), dt * 0.2f, dt * 0.2f);
  Drift(ctx.InterFaceLibrary.LibMaterialByName("PauseNoise2"), -dt * 0.2f, dt * 0.2f);
}

void PauseMenuInput(GameContext& ctx) {
  TLayout& L = ctx.L;
  if (L.MessageDummy->Visible) return;  // the message box is modal
  // The focused button while keys or a pad steer the menu, else the one under the pointer.
  const scene::TGLBaseSceneObject* picked =
      ctx.Input.Focus.Active ? FocusedObject(ctx)
                             : ctx.Scene.GetPickedObject(ctx.MouseX, ctx.MouseY, ctx.ViewportWidth, ctx.ViewportHeight);

  if (Hover(ctx, *L.PM_Resume, picked, "MM_Resume", "MM_ResumeLighted") && ctx.LeftClick) {
    ctx.LeftClick = false;
    PlaySound("click", SoundVolume100(ctx), 0);
    ResumeGame(ctx);
    return;
  }
  if (Hover(ctx, *L.PM_Options, picked, "MM_Options", "MM_OptionsLighted") && ctx.LeftClick) {
    ctx.LeftClick = false;
    PlaySound("click", SoundVolume100(ctx), 0);
    L.PM_Options->Material.SetLibMaterialName("MM_Options");
    OpenPauseOptions(ctx);
    return;
  }
  if (Hover(ctx, *L.PM_Exit, picked, "MM_Exit", "MM_ExitLighted") && ctx.LeftClick) {
    ctx.LeftClick = false;
    PlaySound("click", SoundVolume100(ctx), 0);
    // Ok abandons the game for the main menu; Cancel stays in the pause menu.
    ShowMessageBoxFaded(ctx, "abort this game?", true, 0.85f);
  }
}

}  // namespace vlm::interface
