#include "levels/LevelRun.h"

#include <cstdio>
#include <exception>

#include "combat/Enemies.h"
#include "combat/Player.h"
#include "data/Numbers.h"
#include "interface/Hud.h"
#include "interface/Statistics.h"
#include "levels/LevelHost.h"
#include "levels/LevelLoader.h"
#include "context/GameStates.h"
#include "context/GameContext.h"
#include "sound/SoundUnit.h"

namespace vlm::levels {

namespace {

constexpr const char* kEpisodeLogo = "Episode1logo";
constexpr const char* kHintsFile = "\\Data\\t_data\\hints.ini";

constexpr float kCameraX = -0.0213f, kCameraY = -1.58f, kCameraZ = 0.0097f;

void SetLogoAlpha(GameContext& ctx, float alpha) {
  ctx.L.LogoHudSprite->AlphaChannel = alpha;
  ctx.L.EpisodeLogoHudSprite->AlphaChannel = alpha;
  ctx.L.LoadingHintsText->ModulateColor.a = alpha;
}

}  // namespace

void RestorePlayerFromSlot(GameContext& ctx, const TSlotRestore& slot) {
  const TShipConfig ship = DecodeShipCode(slot.Ship);  // a damaged code changes nothing
  data::TPlayer& p = ctx.Player;
  p.Scores = slot.Scores;
  p.ShownScore = double(slot.Scores);
  p.Lifes = slot.Lifes;
  p.BonusLifeIndex = slot.BonusLifeIndex;
  p.UpgradePoints = slot.Points;
  p.SavedShipCode = slot.TimeShip;
  TGameLevelHost host(ctx);
  host.SetShip(ship);
  host.ApplyShipModels();
  p.Health = slot.Health;
  p.Armor = slot.Armor;
}

void NewGamePlayer(GameContext& ctx, int32_t lives) {
  data::TPlayer& p = ctx.Player;
  const std::string name = p.Name, file = p.FileName;
  p = data::TPlayer{};
  p.Name = name;
  p.FileName = file;
  combat::ResetPlayerForNewGame(ctx);
  p.Lifes = lives;
  p.BonusLifeIndex = 1;
}

void StartLevelFromMenu(GameContext& ctx) {
  TLayout& L = ctx.L;
  // No game-over message from a previous game; the level is not the last until its file says so;
  // the level's logo and a hint for the loading screen.
  L.GomSprite->Visible = false;
  ctx.Level.FinalLevel = false;
  LoadEpisodeLogo(ctx, ctx.Level.CurrentLevel);
  ShowRandomHint(ctx);
  // The loading screen over the warp overlay.
  for (scene::TGLBaseSceneObject* o : std::initializer_list<scene::TGLBaseSceneObject*>{
           L.LevelIntroBlur, L.CanvasSprite, L.LogoHudSprite, L.EpisodeLogoHudSprite, L.LoadingHintsText})
    o->Visible = true;
  SetLogoAlpha(ctx, 1.0f);
  L.CanvasSprite->AlphaChannel = 1.0f;
  SetMaterialAlpha(*L.LevelIntroBlur, 1.0f);
  // The ship waits below the screen; the warp is at full speed.
  L.PlayerDummy->Position = {-0.8f, 0.0f, 0.0f};
  L.EnemiesDummyCube->Position.x = 1.0f;
  ctx.TimeScale = 20.0;
  // The world and the HUD replace the menus and the pointer.
  L.SceneDummyCube->Visible = true;
  L.InterFaceDummyCube->Visible = true;
  L.CursorImage->Visible = false;
  L.MM_blur->Visible = false;
  L.MainMenuDummy->Visible = false;
  L.GameIntroDummy->Visible = false;
  // The ship and its meshes.
  ctx.Ship.HoverSpeed = 0.4;
  ctx.Ship.HoverDirection = 1;
  ctx.Enemies.PendingHits.clear();
  combat::LoadShipMeshes(ctx);
  // The timed load starts on the next ticks of Timer1.
  ctx.LoadingTicks = 0;
  ctx.GameState = "loading";
  // The level's tune plays at the player's music volume, also when no menu intro faded it in
  // (a level started from the command line) or a game over faded it out.
  SetMusicVolume(int(data::RoundHalfEven(ctx.Options.MusicVolume * 100.0)));
}

void StartLevelDirect(GameContext& ctx, int32_t level) {
  NewGamePlayer(ctx, 3);
  ctx.Level.CurrentLevel = level;
  ctx.CutScene.SkipBeforeLevelOnce = true;
  StartLevelFromMenu(ctx);
}

void LoadingStep(GameContext& ctx) {
  if (ctx.GameState != "loading") return;
  if (ctx.LoadingTicks > 0) {
    ctx.Enemies.PendingHits.clear();
    LoadCurrentLevel(ctx);
  } else {
    ++ctx.LoadingTicks;
  }
}

bool LoadCurrentLevel(GameContext& ctx) {
  TLayout& L = ctx.L;
  TGameLevelHost host(ctx);
  TLevelDefinition def;
  try {
    LoadLevel(ctx.Level.CurrentLevel, PlainIniReader(*ctx.Data), ctx.Level, host, def);
    ctx.CutScene.SkipBeforeLevelOnce = false;  // only ever the first level of the run
  } catch (const std::exception& e) {
    ctx.CutScene.SkipBeforeLevelOnce = false;
    // The level is half built: leave it for the main menu (its objects free themselves there)
    // and say exactly which value stopped the load.
    const std::string message =
        "Level " + std::to_string(ctx.Level.CurrentLevel) + " cannot be loaded.\n" + e.what();
    std::fprintf(stderr, "velmora2: %s\n", message.c_str());
    ctx.LoadingTicks = 0;
    L.LevelIntroBlur->Visible = false;
    L.CanvasSprite->Visible = false;
    L.LogoHudSprite->Visible = false;
    L.EpisodeLogoHudSprite->Visible = false;
    L.LoadingHintsText->Visible = false;
    ReturnToMainMenu(ctx);
    ctx.Platform().ShowError("Velmora 2", message);
    // The player picks another level or leaves; the run's exit status tells scripts it failed.
    ctx.ExitStatus = 1;
    return false;
  }
  L.PlayerDummy->Position.y = 0.0f;
  // A cut-scene before the level keeps the world and the HUD away until it ends (its backdrop
  // hides the world, but the HUD's frames would stand over the story).
  const bool story = ctx.GameState == "cutscene";
  L.SceneDummyCube->Visible = !story;
  L.InterFaceDummyCube->Visible = !story;
  ctx.LoadingTicks = 0;
  SetMaterialAlpha(*L.LevelIntroBlur, 1.0f);
  L.CanvasSprite->AlphaChannel = 1.0f;
  L.LevelIntroBlur->Visible = true;
  L.CanvasSprite->Visible = true;
  L.EnemiesDummyCube->Position.x = 1.0f;
  return true;
}

void LevelClock(GameContext& ctx) {
  if (ctx.GameState == "game")
    ctx.Level.LevelTime += ctx.DeltaTime * ctx.TimeScale * 0.5;
  else if (ctx.GameState == "levelintro2")
    ctx.Level.LevelTime += ctx.DeltaTime * 0.5;
}

void FlyInFrame(GameContext& ctx) {
  TLayout& L = ctx.L;
  if (ctx.TimeScale > 1.0) {
    L.LevelDummyCube->Visible = true;
    if (L.PlayerDummy->Position.x < -0.47f)
      L.PlayerDummy->Position.x += float(0.025 * ctx.DeltaTime * ctx.TimeScale);
    else
      L.PlayerDummy->Position.x = -0.47f;
    const float logo = ctx.TimeScale >= 15.0 ? float((ctx.TimeScale - 15.0) / 5.0) : 0.0f;
    SetLogoAlpha(ctx, logo);
    SetMaterialAlpha(*L.LevelIntroBlur, float(ctx.TimeScale / 15.0));
    L.CanvasSprite->AlphaChannel = float(ctx.TimeScale / 20.0);
    L.EnemiesDummyCube->Position.x = float(ctx.TimeScale / 20.0 - 0.05);
    ctx.TimeScale -= 9.0 * ctx.DeltaTime;
  } else {
    L.PlayerDummy->Position.x = -0.47f;
    L.LevelDummyCube->Visible = true;
    for (scene::TGLBaseSceneObject* o : std::initializer_list<scene::TGLBaseSceneObject*>{
             L.PauseDummyCube, L.LevelIntroBlur, L.CanvasSprite, L.LogoHudSprite, L.EpisodeLogoHudSprite,
             L.LoadingHintsText})
      o->Visible = false;
    L.EnemiesDummyCube->Position.x = 0.0f;
    ctx.GameState = "game";
  }
}

void FlyOutFrame(GameContext& ctx) {
  TLayout& L = ctx.L;
  if (ctx.Level.FinalLevel) {
    ctx.Level.FinalLevel = false;
    ctx.HitShakeTicks = 0;
    combat::EndGame(ctx);
    L.GomSprite->Visible = false;
    L.PlayerHitBlur->Visible = false;
    return;
  }
  if (L.PlayerDummy->Position.x < 0.8f) {
    ctx.Player.SlowMotionSeconds = 0;
    L.SlowMotionBlur->Visible = false;
    ctx.LeftClick = false;
    ctx.RightClick = false;
    L.PlayerDummy->Position.x += float(0.025 * ctx.DeltaTime * ctx.TimeScale);
    SetMaterialAlpha(*L.LevelIntroBlur, float(ctx.TimeScale / 15.0));
    L.LevelIntroBlur->Visible = true;
    L.CanvasSprite->Visible = true;
    if (ctx.TimeScale < 20.0) ctx.TimeScale += 5.0 * ctx.DeltaTime;
    if (ctx.TimeScale >= 15.0) SetLogoAlpha(ctx, float((ctx.TimeScale - 15.0) / 5.0));
  } else if (L.LevelDummyCube->Visible) {
    L.PlayerDummy->Position.x = -0.8f;
    L.PlayerDummy->Position.z = 0.0f;
    ctx.LoadingTicks = 0;
    ctx.GameState = "loading";
  }
}

void LevelTimerTick(GameContext& ctx) {
  const TLayout& L = ctx.L;
  const bool cleared = ctx.GameState == "game" && !L.PauseMenuDummyCube->Visible && ctx.Level.LevelEnemyCount <= 0 &&
                       ctx.Aftermath.LiveExplosions <= 0 && ctx.Aftermath.LiveBonuses <= 0 && !L.GomSprite->Visible;
  if (!cleared) return;
  if (ctx.Level.LevelEndTicks < 3) {
    ++ctx.Level.LevelEndTicks;
    return;
  }
  EndLevel(ctx);
}

void EndLevel(GameContext& ctx) {
  TLevelGlobals& g = ctx.Level;
  g.LevelEndTicks = 0;
  g.CurrentLevel = g.CurrentLevel < g.LevelCount ? g.CurrentLevel + 1 : 1;
  LoadEpisodeLogo(ctx, g.CurrentLevel);
  ShowRandomHint(ctx);
  interface::EnterStatistics(ctx);
  ctx.Player.SlowMotionSeconds = 0;
}

void EnterFlyOut(GameContext& ctx) {
  TLayout& L = ctx.L;
  ctx.GameState = "levelintro";
  L.LogoHudSprite->Visible = true;
  L.EpisodeLogoHudSprite->Visible = true;
  L.LoadingHintsText->Visible = true;
  SetLogoAlpha(ctx, 0.0f);
  L.CanvasSprite->AlphaChannel = 1.0f;
}

void LoadEpisodeLogo(GameContext& ctx, int32_t level) {
  try {
    const std::string file = ReadLevelLogo(PlainIniReader(*ctx.Data), level);  // the level file may be damaged
    ctx.InterFaceLibrary.LoadTexture(kEpisodeLogo, file);
  } catch (const std::exception& e) {
    ctx.Platform().ShowError("Velmora 2", "The logo of level " + std::to_string(level) + " (" +
                                              LevelFileName(level) + ", [MAIN], \"logo\") cannot be shown: " +
                                              e.what());
  }
}

int32_t CountHints(GameContext& ctx) {
  int32_t n = 0, value = 0;
  while (data::TryStrToInt(ctx.Data->ReadIniValue(kHintsFile, SectionName(n), "int"), value)) ++n;
  return n;
}

void ShowRandomHint(GameContext& ctx) {
  try {
    const int32_t count = CountHints(ctx);
    if (count <= 0) {
      ctx.L.LoadingHintsText->Text.clear();
      return;
    }
    const std::string section = SectionName(ctx.Rng(count));
    std::string text;
    for (int line = 1; line <= 5; ++line) {
      if (line > 1) text += '\r';
      text += ctx.Data->ReadIniValue(kHintsFile, section, "s" + std::to_string(line));
    }
    ctx.L.LoadingHintsText->Text = text;
  } catch (const std::exception& e) {  // a damaged hints.ini: the loading screen shows no hint
    ctx.L.LoadingHintsText->Text.clear();
    ctx.Platform().ShowError("Velmora 2", e.what());
  }
}

void CreateLevelRunLayout(GameContext& ctx) {
  TLayout& L = ctx.L;
  const float rx = float(ctx.ViewportWidth) / 1024.0f, ry = float(ctx.ViewportHeight) / 768.0f;
  // The loading screen: the full-window background, the level's logo and a hint.
  L.LogoHudSprite->Material.SetLibMaterial(&ctx.InterFaceLibrary, "LoadingBg");
  L.LogoHudSprite->Position = {512.0f * rx, 384.0f * ry, 0.0f};
  L.LogoHudSprite->Width = 1024.0f * rx;
  L.LogoHudSprite->Height = 768.0f * ry;
  scene::TGLLibMaterial* logo = ctx.InterFaceLibrary.AddTextureMaterial(kEpisodeLogo);
  logo->Material.BlendingMode = scene::TBlendingMode::Transparency;
  logo->Material.FrontProperties.Diffuse = {1.0f, 1.0f, 1.0f, 1.0f};
  logo->Material.Texture.Disabled = false;
  L.EpisodeLogoHudSprite->Material.SetLibMaterial(&ctx.InterFaceLibrary, kEpisodeLogo);
  L.EpisodeLogoHudSprite->Position = {706.0f * rx, 417.0f * ry, 0.0f};
  L.EpisodeLogoHudSprite->Width = 504.0f * rx;
  L.EpisodeLogoHudSprite->Height = 260.0f * ry;
  L.LoadingHintsText->Position = {300.0f * rx, 600.0f * ry, 0.0f};
  L.LoadingHintsText->Scale = {0.3f * rx, 0.36f * ry, 1.0f};
  L.LoadingHintsText->Text.reserve(256);

  // The warp overlay: streaks drawn additively over the whole view, close to the camera.
  scene::TGLLibMaterial* canvas = ctx.ExplosionLibrary.AddTextureMaterial("CanvasFx1");
  canvas->Material.BlendingMode = scene::TBlendingMode::Additive;
  canvas->Material.FrontProperties.Diffuse = {1.0f, 1.0f, 1.0f, 1.0f};
  canvas->Material.Texture.Disabled = false;
  L.CanvasSprite->Material.SetLibMaterial(&ctx.ExplosionLibrary, "CanvasFx1");
  L.CanvasSprite->Position = {kCameraX, kCameraY + 1.0f, kCameraZ};
  // One unit in front of the camera the window shows about 5.3 by 4 units; the streaks overfill it.
  L.CanvasSprite->Width = 7.1f;   // across the screen (Z)
  L.CanvasSprite->Height = 5.4f;  // up the screen (X)
  L.CanvasSprite->NoZWrite = true;
  L.CanvasSprite->Pickable = false;
}

void PlaceCamera(GameContext& ctx) {
  scene::TGLCamera& cam = ctx.Scene.Camera();
  cam.Position = {kCameraX, kCameraY, kCameraZ};
  cam.Direction = {0.0f, 1.0f, 0.0f};
  cam.Up = {1.0f, 0.0f, 0.0f};
  cam.SceneScale = float(ctx.ViewportWidth) / 1000.0f * 0.625f;
}


}  // namespace vlm::levels
