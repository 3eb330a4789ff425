#include "interface/MainMenu.h"

#include "context/GameStates.h"

#include <algorithm>
#include <cmath>

#include "data/Numbers.h"
#include "interface/ChangePlayer.h"
#include "interface/ChooseLevel.h"
#include "interface/CreditsDialog.h"
#include "interface/HelpDialog.h"
#include "interface/MenuFramework.h"
#include "interface/MessageBox.h"
#include "interface/OptionsDialog.h"
#include "interface/PauseMenu.h"
#include "interface/TopRanksScreen.h"
#include "context/GameContext.h"
#include "sound/SoundUnit.h"

namespace vlm::interface {

namespace {

// The frame bars slide between kBarsOut and kBarsIn, as the pause menu's do (PauseMenu.h).
constexpr float kNameAlpha = 0.75f;

void SetNameAlpha(TMenuState& m, float a) {
  m.PlayerNameLabel->ModulateColor.a = a;
  m.PlayerNameText->ModulateColor.a = a;
  m.VersionText->ModulateColor.a = a;
}

// Raises a button's alpha by a fixed step per frame up to 1.
void FadeIn(TGLSprite& s, float step) { s.AlphaChannel = std::min(1.0f, float(s.AlphaChannel) + step); }

}  // namespace

void CreateMainMenuLayout(GameContext& ctx) {
  TMenuState& m = ctx.Menus;
  TGLDummyCube& menu = *ctx.L.MainMenuDummy;
  // The whole menu stands straight ahead of the camera of play.
  menu.Position = {kCameraX, kCameraY + kMenuDepth, kCameraZ};

  m.MM_bgDummy = AddChild<TGLDummyCube>(menu, "MM_bgDummy");
  m.MM_SkyBox = AddChild<scene::TGLSkyBox>(*m.MM_bgDummy, "MM_SkyBox");
  m.MM_SkyBox->MaterialLibrary = &ctx.InterFaceLibrary;
  m.MM_SkyBox->MatNameClouds = "MM_bg";
  m.MM_SkyBox->CloudsPlaneOffset = 0.15f;
  m.MM_SkyBox->CloudsPlaneSize = 1.0f;
  m.MM_SkyBox->Position = {0.0f, -0.1f, 0.0f};
  m.MM_SkyBox->Pickable = false;
  // MM_blur was made by BuildLayout; it belongs with the background, over the sky box.
  TGLSprite* blur = ctx.L.MM_blur;
  blur->MoveTo(m.MM_bgDummy);
  {
    auto& mat = blur->Material.EffectiveForEdit();
    // A soft glow of the background over itself: its light drifts and trails as it moves.
    mat.BlendingMode = scene::TBlendingMode::Additive;
    mat.FrontProperties.Diffuse = {1.0f, 1.0f, 1.0f, 0.25f};
  }
  ctx.L.MM_blur->BlurDeltaTime = 0.03;
  ctx.L.MM_blur->BlurLeft = ctx.L.MM_blur->BlurTop = ctx.L.MM_blur->BlurRight = ctx.L.MM_blur->BlurBottom = 0.02f;
  ctx.L.MM_blur->RenderWidth = ctx.L.MM_blur->RenderHeight = 8;
  ctx.L.MM_blur->Pickable = false;

  m.MM_logotipSprite = AddMenuSprite(ctx, menu, "MM_logotipSprite", "MM_logotip", 0.55f, 0.0f, 0.0f, 2.5f, 2.5f);
  m.MM_logotipSprite->SetSize(2.0f, 2.0f);
  m.MM_logotipSprite->Pickable = false;
  m.MM_up = AddMenuSprite(ctx, menu, "MM_up", "MM_up", kBarsOut, 0.0f, 0.0f, 1.1f, 8.5f);
  m.MM_down = AddMenuSprite(ctx, menu, "MM_down", "MM_down", -kBarsOut, 0.0f, 0.0f, 1.1f, 8.5f);
  m.MM_up->Pickable = m.MM_down->Pickable = false;

  m.PlayerNameLabel = AddMenuText(ctx, menu, "PlayerNameLabel", "player:", 23, 144, 0.28f, 0.28f,
                                  scene::TTextAlignment::Left, {1.0f, 1.0f, 1.0f, 0.0f});
  m.PlayerNameText = AddMenuText(ctx, menu, "PlayerNameText", "", 142.8f, 145, 0.25f, 0.25f,
                                 scene::TTextAlignment::Left, {1.0f, 0.949f, 0.875f, 0.0f});
  m.PlayerHint1 = AddMenuText(ctx, menu, "PlayerHint1", "(if this is not you click here)", 10, 168, 0.22f, 0.22f,
                              scene::TTextAlignment::Left, {1.0f, 1.0f, 0.7f, 0.0f});
  // The label, the name and the hint open the change-player dialog; they show with a name.
  m.PlayerHint1->Visible = false;
  m.VersionText = AddMenuText(ctx, menu, "VersionText", "version 1.3", 8, 100, 0.2f, 0.2f,
                              scene::TTextAlignment::Left, {1.0f, 1.0f, 1.0f, 0.0f});

  m.MM_buttons = AddChild<TGLDummyCube>(menu, "MM_buttons");
  m.MM_buttons->Position = {0.0f, -0.01f, 0.0f};
  TGLDummyCube& b = *m.MM_buttons;
  m.MM_StartGame = AddMaterialButton(ctx, b, "MM_StartGame", "MM_StartGame", "MM_StartGameLighted", -1.6f, 0, 0,
                                     0.5f, 1.7f);
  m.MM_TopRanks =
      AddMaterialButton(ctx, b, "MM_TopRanks", "MM_TopRanks", "MM_TopRanksLighted", -1.8f, 0, 3.05f, 0.4f, 1.35f);
  m.MM_Options =
      AddMaterialButton(ctx, b, "MM_Options", "MM_Options", "MM_OptionsLighted", -1.8f, 0, 1.6f, 0.4f, 1.35f);
  m.MM_Help = AddMaterialButton(ctx, b, "MM_Help", "MM_Help", "MM_HelpLighted", -1.8f, 0, -1.6f, 0.4f, 1.35f);
  m.MM_Credits =
      AddMaterialButton(ctx, b, "MM_Credits", "MM_Credits", "MM_CreditsLighted", -1.8f, 0, -3.05f, 0.4f, 1.35f);
  m.MM_Exit = AddMaterialButton(ctx, b, "MM_Exit", "MM_Exit", "MM_ExitLighted", -2.1f, 0, 0, 0.4f, 1.35f);
  for (TMaterialButton* button : {&m.MM_StartGame, &m.MM_TopRanks, &m.MM_Options, &m.MM_Help, &m.MM_Credits, &m.MM_Exit})
    button->Sprite->AlphaChannel = 0.0f;
  m.MM_logotipSprite->AlphaChannel = 0.0f;
}

void MenuIntroFrame(GameContext& ctx) {
  TMenuState& m = ctx.Menus;
  const float dt = float(ctx.DeltaTime);
  // The background's and the buttons' fades were tuned as steps of a 60 fps frame; taken per
  // frame as they are, a machine drawing 6 frames a second would keep the player waiting ten
  // times as long for the menu. They step by the frame's share of a 60 fps frame instead.
  const float frames60 = dt * 60.0f;
  TGLSprite& logo = *m.MM_logotipSprite;
  // The logo fades in.
  logo.AlphaChannel = std::min(1.0f, float(logo.AlphaChannel) + dt * 0.22f);
  // The music follows the background's fade.
  scene::TGLLibMaterial* bg = ctx.InterFaceLibrary.LibMaterialByName("MM_bg");
  const float bgAlpha = bg ? bg->Material.FrontProperties.Diffuse.a : 1.0f;
  SetMusicVolume(int(data::RoundHalfEven(double(bgAlpha) * ctx.Options.MusicVolume * 100.0)));
  // The logo shrinks to its size.
  if (logo.AlphaChannel > 0.15f) {
    if (logo.Scale.z > 1.0f) {
      logo.Scale.z -= dt * 0.2f;
      logo.Scale.x = logo.Scale.z;
    }
    if (logo.Scale.z <= 1.0f) logo.Scale.x = logo.Scale.z = 1.0f;
  }
  // The background fades in once the logo has shrunk a little, and goes on to full.
  if (logo.Scale.z < 1.8f && bg) {
    float& a = bg->Material.FrontProperties.Diffuse.a;
    a = std::min(1.0f, a + 0.001f * frames60);
  }
  // The frame bars slide in.
  if (logo.Scale.z < 1.7f) {
    if (m.MM_up->Position.x > kBarsIn) {
      m.MM_up->Position.x -= dt * 0.4f;
    }
    if (m.MM_up->Position.x <= kBarsIn) m.MM_up->Position.x = kBarsIn;
    m.MM_down->Position.x = -m.MM_up->Position.x;
  }
  if (m.MM_up->Position.x > kBarsIn) return;
  // The buttons fade in one after another.
  TGLSprite& start = *m.MM_StartGame.Sprite;
  TGLSprite& exit = *m.MM_Exit.Sprite;
  if (float(exit.AlphaChannel) < 1.0f) {
    FadeIn(start, 0.008f * frames60);
    if (start.AlphaChannel > 0.5f) {
      FadeIn(*m.MM_Options.Sprite, 0.008f * frames60);
      m.MM_Help.Sprite->AlphaChannel = float(m.MM_Options.Sprite->AlphaChannel);
    }
    if (start.AlphaChannel > 0.7f) {
      FadeIn(*m.MM_TopRanks.Sprite, 0.008f * frames60);
      m.MM_Credits.Sprite->AlphaChannel = float(m.MM_TopRanks.Sprite->AlphaChannel);
    }
    if (start.AlphaChannel > 0.9f) FadeIn(exit, 0.008f * frames60);
    return;
  }
  // The buttons stand; the player's name fades in and the menu is ready.
  for (TMaterialButton* button : {&m.MM_StartGame, &m.MM_TopRanks, &m.MM_Options, &m.MM_Help, &m.MM_Credits, &m.MM_Exit})
    button->Sprite->AlphaChannel = 1.0f;
  float a = m.PlayerNameLabel->ModulateColor.a + dt;
  if (a >= kNameAlpha) {
    SetNameAlpha(m, kNameAlpha);
    ctx.L.CursorImage->Visible = true;
    // With no profile at all the intro ends in the name entry: a first profile must be made.
    if (NoProfileYet(ctx))
      OpenNameEntry(ctx, true);
    else
      ctx.GameState = "mainmenu";
    if (!m.PendingMessage.empty()) {
      ShowMessageBoxButtons(ctx, m.PendingMessage, false);
      m.PendingMessage.clear();
    }
  } else {
    SetNameAlpha(m, a);
  }
}

void FinishMenuIntro(GameContext& ctx) {
  TMenuState& m = ctx.Menus;
  m.MM_logotipSprite->AlphaChannel = 1.0f;
  m.MM_logotipSprite->Scale.x = m.MM_logotipSprite->Scale.z = 1.0f;
  m.MM_up->Position.x = kBarsIn;
  m.MM_down->Position.x = -kBarsIn;
  for (TMaterialButton* button : {&m.MM_StartGame, &m.MM_TopRanks, &m.MM_Options, &m.MM_Help, &m.MM_Credits, &m.MM_Exit})
    button->Sprite->AlphaChannel = 1.0f;
  if (m.PlayerNameLabel->ModulateColor.a < kNameAlpha) SetNameAlpha(m, kNameAlpha);
  // The music is at the option's volume again (ReturnToMainMenu), so the background is fully in.
  if (scene::TGLLibMaterial* bg = ctx.InterFaceLibrary.LibMaterialByName("MM_bg")) bg->Material.FrontProperties.Diffuse.a = 1.0f;
}

void MainMenuInput(GameContext& ctx, const scene::TGLBaseSceneObject* picked) {
  TMenuState& m = ctx.Menus;
  if (HoverMaterialButton(ctx, m.MM_StartGame, picked) && TakePress(ctx)) {
    ResetLook(m.MM_StartGame);
    StartGameFromMenu(ctx);
    return;
  }
  if (HoverMaterialButton(ctx, m.MM_TopRanks, picked) && TakePress(ctx)) {
    ResetLook(m.MM_TopRanks);
    OpenTopRanks(ctx);
    return;
  }
  if (HoverMaterialButton(ctx, m.MM_Options, picked) && TakePress(ctx)) {
    ResetLook(m.MM_Options);
    OpenOptions(ctx);
    return;
  }
  if (HoverMaterialButton(ctx, m.MM_Help, picked) && TakePress(ctx)) {
    ResetLook(m.MM_Help);
    OpenHelp(ctx);
    return;
  }
  if (HoverMaterialButton(ctx, m.MM_Credits, picked) && TakePress(ctx)) {
    ResetLook(m.MM_Credits);
    OpenCredits(ctx);
    return;
  }
  if (HoverMaterialButton(ctx, m.MM_Exit, picked) && TakePress(ctx)) {
    ShowMessageBoxFaded(ctx, "are you sure\ryou want to exit?", true, 0.85f);
    return;
  }
  PlayerNameInput(ctx, picked);
}

}  // namespace vlm::interface

// Defined with the menus, which it opens; declared below the subsystems so that the level run
// and the message box can leave a game without knowing the menu screens.
void vlm::ReturnToMainMenu(GameContext& ctx) {
  TLayout& L = ctx.L;
  // No gun keeps its reload and no level end keeps counting into the next game.
  ctx.Player.PrimaryTimer = 0.0;
  ctx.Level.LevelEndTicks = 0;
  // The world and the HUD go; the pointer and the menu's veil come back.
  L.SceneDummyCube->Visible = false;
  L.InterFaceDummyCube->Visible = false;
  L.CutSceneDummyCube->Visible = false;
  L.CursorImage->Visible = true;
  L.MM_blur->Visible = true;
  // The loading screen of a fly-out (the end of the last level) would stand over the menus.
  L.LogoHudSprite->Visible = false;
  L.EpisodeLogoHudSprite->Visible = false;
  L.LoadingHintsText->Visible = false;
  // A button still held from play (the guns) is no press on the menus.
  ctx.LeftClick = false;
  ctx.RightClick = false;
  // Slow motion ends: normal clock, normal lens, no veil.
  ctx.Player.SlowMotionSeconds = 0;
  ctx.TimeScale = 1.0;
  L.SlowMotionBlur->Visible = false;
  ctx.GLCadencer1.SetTimeMultiplier(1.0);
  ctx.Scene.Camera().FocalLength = 40.0f;
  SetMaterialAlpha(*L.SlowMotionBlur, 0.0f);
  // The pause menu is put away with its bars back at their resting places.
  L.PauseMenuDummyCube->Visible = false;
  L.PM_up->Position.x = 3.8f;
  L.PM_down->Position.x = -3.8f;
  L.PauseMenuBlur->Visible = false;
  L.PM_OptionsDummy->Visible = false;
  L.PM_ForButtons->Visible = true;
  L.GLDummyCube2->Visible = true;
  // A fresh background for the menus.
  interface::PickMenuBackground(ctx);
  L.CursorImage->Visible = true;
  // The current profile's slots as its file has them: what the run did not save is gone.
  interface::ReloadCurrentProfile(ctx);
  // The menu tune from the top, at the player's volume.
  SetMusicOrder(1);
  CurrentMusicOrder = 1;
  SetMusicVolume(int(data::RoundHalfEven(ctx.Options.MusicVolume * 100.0)));
  // A game started from the command line never saw the menu's entrance.
  interface::FinishMenuIntro(ctx);
  L.MainMenuDummy->Visible = true;
  ctx.GameState = "mainmenu";
  ctx.Platform().SetPointerCaptured(false);
}
