#include "shell/FrameLoop.h"

#include <cmath>
#include <cstdio>
#include <ctime>
#include <filesystem>

#include "context/GameContext.h"
#include "shell/Input.h"
#include "shell/Startup.h"
#include "combat/Player.h"
#include "interface/ChangePlayer.h"
#include "interface/Hud.h"
#include "interface/HelpDialog.h"
#include "interface/MainMenu.h"
#include "interface/MenuFramework.h"
#include "interface/OptionsDialog.h"
#include "interface/TopRanksScreen.h"
#include "interface/PauseMenu.h"
#include "interface/Shop.h"
#include "interface/Statistics.h"
#include "levels/CutScene.h"
#include "levels/LevelRun.h"
#include "levels/Scenery.h"
#include "data/Numbers.h"
#include "sound/SoundUnit.h"

namespace vlm::shell {

namespace {

bool In(const std::string& s, std::initializer_list<const char*> states) {
  for (const char* st : states)
    if (s == st) return true;
  return false;
}

// A click during the start-up logos completes the current logo step at once.
void SkipLogoStep(GameContext& ctx) {
  TLayout& L = ctx.L;
  switch (ctx.IntroLogoStep) {
    case 0:
      L.PartnerLogo->AlphaChannel = 1.0f;
      ctx.IntroLogoStep = 1;
      break;
    case 1:
      L.TessikLogo->AlphaChannel = 1.0f;
      L.PartnerLogo->AlphaChannel = 0.0f;
      ctx.IntroLogoStep = 2;
      break;
    case 2:
      L.QuorvelWorksLogo->AlphaChannel = 1.0f;
      L.TessikLogo->AlphaChannel = 0.0f;
      ctx.IntroLogoStep = 3;
      break;
    case 3:
      L.QuorvelWorksLogo->AlphaChannel = 0.0f;
      L.GameIntroDummy->Visible = false;
      L.SceneDummyCube->Visible = false;
      L.InterFaceDummyCube->Visible = false;
      L.MM_blur->Visible = true;
      ctx.GameState = "menuintro";
      break;
    default:
      break;
  }
}

void SlowMotion(GameContext& ctx) {
  scene::TGLCadencer& clock = ctx.GLCadencer1;
  const double m = clock.GetTimeMultiplier();
  ctx.Scene.Camera().FocalLength = float(1.0 / m + 40.0 - 1.0);
  if (ctx.Player.SlowMotionSeconds > 0) {
    if (m > 0.5) clock.SetTimeMultiplier(m - ctx.DeltaTime * ctx.TimeScale);
  } else {
    if (m < 1.0)
      clock.SetTimeMultiplier(m + ctx.DeltaTime * ctx.TimeScale);
    else
      ctx.L.SlowMotionBlur->Visible = false;
  }
  SetMaterialAlpha(*ctx.L.SlowMotionBlur, float(1.0 - 1.25 * clock.GetTimeMultiplier()));
}

void ChooseSorting(GameContext& ctx) {
  const std::string& s = ctx.GameState;
  bool blendedLast = In(s, {"game", "pause", "statistics"}) ||
                     (In(s, {"levelintro", "levelintro2"}) && ctx.L.LogoHudSprite->AlphaChannel < 0.5f);
  auto want = blendedLast ? scene::TGLObjectsSorting::RenderBlendedLast : scene::TGLObjectsSorting::None;
  if (ctx.Scene.ObjectsSorting != want) ctx.Scene.ObjectsSorting = want;
}

}  // namespace

std::string ScreenshotFileName(const std::tm& t) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%02d_%02d_%04d_%02d_%02d_%02d.bmp", t.tm_mday, t.tm_mon + 1, t.tm_year + 1900,
                t.tm_hour, t.tm_min, t.tm_sec);
  return buf;
}

void SaveScreenshot(GameContext& ctx) {
  // One file per frame while the key is held; files of the same second replace each other.
  // A failure is not reported: the player sees no file, the game goes on.
  std::error_code ec;
  const std::filesystem::path folder = ctx.Data->AppDataFolder() / "ScreenShots";
  std::filesystem::create_directories(folder, ec);
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  ctx.Platform().SaveScreenshot(folder / ScreenshotFileName(local));
}

void GLCadencer1Progress(GameContext& ctx, double deltaTime, double newTime) {
  TLayout& L = ctx.L;
  ++ctx.FramesSinceFpsReset;

  // Logo skip.
  if (ctx.GameState == "gameintro" && ctx.LeftClick) {
    ctx.LeftClick = false;
    SkipLogoStep(ctx);
  }
  // The cursor sprite's top-left corner sits on the mouse point.
  if (L.CursorImage->Visible)
    L.CursorImage->Position = {float(ctx.MouseX) + L.CursorImage->Width / 2,
                               float(ctx.MouseY) + L.CursorImage->Height / 2, 0.0f};
  // Frame globals.
  ctx.DeltaTime = deltaTime;
  ctx.FrameTime = newTime;
  // Pause menu slide and fades.
  if (ctx.GameState == "pausemenu") interface::PauseMenuFrame(ctx);

  // Slow motion.
  if (In(ctx.GameState, {"game", "levelintro", "statistics"})) SlowMotion(ctx);
  SetSoundSlowMotion(ctx.GLCadencer1.GetTimeMultiplier(), ctx.Player.SlowMotionSeconds);
  // Sorting.
  ChooseSorting(ctx);
  // Screen frames, each when its state matches.
  if (ctx.GameState == "statistics") interface::StatisticsFrame(ctx);
  if (ctx.GameState == "cutscene") levels::CutSceneFrame(ctx);
  if (ctx.GameState == "shop") interface::ShopFrame(ctx);
  if (ctx.GameState == "levelintro2") levels::FlyInFrame(ctx);
  if (ctx.GameState == "levelintro") levels::FlyOutFrame(ctx);

  // The world.
  if (IsWorldState(ctx)) {
    combat::PlayerFrame(ctx);
    if (ctx.TimeScale < 1.0) ctx.TimeScale += 0.02 * ctx.DeltaTime;
    levels::LevelClock(ctx);
    levels::PlanetFrame(ctx);
    if (ctx.GameState != "statistics") interface::HudFrame(ctx);
    levels::CloudsFrame(ctx, ctx.FrameTime);
  }
  // Pause-screen noise.
  if (In(ctx.GameState, {"pause", "pausemenu"})) interface::PauseScreenFrame(ctx);

  // The mouse device, in every state.
  UpdateMouseDevice(ctx);
  // Menu background and the menu screens' frames.
  if (IsMenuState(ctx)) interface::MenuBackgroundFrame(ctx, ctx.FrameTime);
  if (ctx.GameState == "options") interface::OptionsFrame(ctx, ctx.Menus.Options);
  if (ctx.GameState == "pm_options") interface::OptionsFrame(ctx, ctx.Menus.PauseOptions);
  if (ctx.GameState == "help") interface::HelpFrame(ctx);
  if (ctx.GameState == "topranks") interface::TopRanksFrame(ctx, ctx.FrameTime);
  if (ctx.GameState == "changeplayer") interface::ChangePlayerFrame(ctx, ctx.FrameTime);
  if (ctx.GameState == "menuintro") interface::MenuIntroFrame(ctx);
  if (ctx.GameState == "gameintro") GameIntroFrame(ctx);

  // The polled keys come last, when every screen has had its frame.
  HandleFrameKeys(ctx);
}

void HandleFrameKeys(GameContext& ctx) {
  TLayout& L = ctx.L;
  if (ctx.KeyIsDown(Key::PrintScreen) || ctx.KeyIsDown(Key::F12)) SaveScreenshot(ctx);
  if (ctx.KeyIsDown(Key::Enter)) {
    if (ctx.GameState == "topranks" && L.TRD_EnterNameDummy->Visible) interface::CommitTopRank(ctx);
    if (ctx.GameState == "changeplayer" && ctx.Menus.CPD_EnterName->Visible) interface::ApplyNewName(ctx);
  }
  if (ctx.KeyIsDown(Key::Escape) && !L.PM_OptionsDummy->Visible && !L.GomSprite->Visible) {
    if (!interface::ResumeFromPauseMenu(ctx)) interface::OpenPauseMenu(ctx);
  }
}

}  // namespace vlm::shell
