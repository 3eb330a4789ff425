#include "shell/Layout.h"

#include "context/GameContext.h"
#include "combat/Enemies.h"
#include "combat/Explosions.h"
#include "combat/Player.h"
#include "interface/Hud.h"
#include "interface/MenuFramework.h"
#include "interface/PauseMenu.h"
#include "levels/CutScene.h"
#include "levels/LevelRun.h"
#include "levels/Scenery.h"

namespace vlm::shell {

namespace {

template <class T>
T* Add(scene::TGLBaseSceneObject& parent, const char* name, bool visible = true) {
  T* o = parent.AddNewChild<T>();
  o->Name = name;
  o->Visible = visible;
  return o;
}

TGLBlur* AddBlur(scene::TGLBaseSceneObject& parent, const char* name) {
  TGLBlur* b = Add<TGLBlur>(parent, name, false);
  auto& m = b->Material.EffectiveForEdit();
  m.BlendingMode = scene::TBlendingMode::Additive;
  m.FrontProperties.Diffuse = {1.0f, 1.0f, 1.0f, 0.0f};
  return b;
}

TGLHUDSprite* AddHudSprite(scene::TGLBaseSceneObject& parent, const char* name, scene::TGLMaterialLibrary& lib,
                           const char* material, float x, float y, float w, float h, bool visible) {
  TGLHUDSprite* s = Add<TGLHUDSprite>(parent, name, visible);
  s->Material.SetLibMaterial(&lib, material);
  s->Position = {x, y, 0.0f};
  s->Width = w;
  s->Height = h;
  return s;
}

void DrawOverEverything(scene::TGLBaseSceneObject& group) {
  for (size_t i = 0; i < group.Count(); ++i) {
    scene::TGLBaseSceneObject& child = *group.Child(i);
    if (auto* sprite = dynamic_cast<scene::TGLSprite*>(&child)) sprite->NoDepthTest = true;
    DrawOverEverything(child);
  }
}

}  // namespace

void BuildLayout(GameContext& ctx) {
  TLayout& L = ctx.L;
  scene::TGLBaseSceneObject& root = ctx.Scene.Objects();
  const float w = float(ctx.ViewportWidth), h = float(ctx.ViewportHeight);

  L.EmptyEnemiesDummy = Add<TGLDummyCube>(root, "EmptyEnemiesDummy", false);
  L.EmptyEnemiesDummy->Scale = {0.0f, 0.0f, 0.0f};

  L.SceneDummyCube = Add<TGLDummyCube>(root, "SceneDummyCube", false);
  L.LevelDummyCube = Add<TGLDummyCube>(*L.SceneDummyCube, "LevelDummyCube");
  L.PlayerHitBlur = AddBlur(*L.SceneDummyCube, "PlayerHitBlur");
  L.GLDummyCube2 = Add<TGLDummyCube>(*L.SceneDummyCube, "GLDummyCube2");
  L.PlayerDummy = Add<TGLDummyCube>(*L.GLDummyCube2, "PlayerDummy");
  L.EnemiesDummyCube = Add<TGLDummyCube>(*L.GLDummyCube2, "EnemiesDummyCube");
  L.ExplosionParticleFXRenderer = Add<TGLParticleFXRenderer>(*L.SceneDummyCube, "ExplosionParticleFXRenderer");
  L.PropertiesObjects = Add<TGLDummyCube>(*L.SceneDummyCube, "PropertiesObjects");
  L.DummyCubeForExplosion = Add<TGLDummyCube>(*L.SceneDummyCube, "DummyCubeForExplosion");
  L.CanvasSprite = Add<TGLSprite>(*L.SceneDummyCube, "CanvasSprite", false);
  L.LevelIntroBlur = AddBlur(*L.SceneDummyCube, "LevelIntroBlur");
  L.SlowMotionBlur = AddBlur(*L.SceneDummyCube, "SlowMotionBlur");
  L.PauseMenuBlur = AddBlur(*L.SceneDummyCube, "PauseMenuBlur");

  L.InterFaceDummyCube = Add<TGLDummyCube>(root, "InterFaceDummyCube", false);
  L.ShopDummyCube = Add<TGLDummyCube>(root, "ShopDummyCube", false);
  L.CutSceneDummyCube = Add<TGLDummyCube>(root, "CutSceneDummyCube", false);
  L.PauseDummyCube = Add<TGLDummyCube>(root, "PauseDummyCube", false);  // filled by CreatePauseLayout
  L.StatisticsDummyCube = Add<TGLDummyCube>(root, "StatisticsDummyCube", false);
  L.MainMenuDummy = Add<TGLDummyCube>(root, "MainMenuDummy", false);
  L.MM_blur = AddBlur(*L.MainMenuDummy, "MM_blur");

  L.LogoHudSprite = AddHudSprite(root, "LogoHudSprite", ctx.InterFaceLibrary, "", w / 2, h / 2, 512, 256, false);
  L.EpisodeLogoHudSprite =
      AddHudSprite(root, "EpisodeLogoHudSprite", ctx.InterFaceLibrary, "", w / 2, h / 2 - 160, 512, 128, false);
  L.LoadingHintsText = Add<TGLHUDText>(root, "LoadingHintsText", false);
  L.LoadingHintsText->BitmapFont = &ctx.GLBitmapFont1;
  L.LoadingHintsText->Alignment = scene::TTextAlignment::Center;
  L.LoadingHintsText->Position = {w / 2, h - 120, 0.0f};
  L.LoadingHintsText->Scale = {0.3f, 0.3f, 1.0f};

  L.PauseMenuDummyCube = Add<TGLDummyCube>(root, "PauseMenuDummyCube", false);  // filled by CreatePauseLayout

  L.MessageDummy = Add<TGLDummyCube>(root, "MessageDummy", false);
  L.CPD_EnterName = Add<TGLDummyCube>(*L.MainMenuDummy, "CPD_EnterName", false);
  L.GomSprite = AddHudSprite(*L.InterFaceDummyCube, "GomSprite", ctx.InterFaceLibrary, "gom", w / 2, h / 2, 512,
                             256, false);

  L.GLHUDText1 = Add<TGLHUDText>(root, "GLHUDText1");
  L.GLHUDText1->BitmapFont = &ctx.GLBitmapFont1;
  L.GLHUDText1->Position = {8.0f, 8.0f, 0.0f};
  L.GLHUDText1->Scale = {0.25f, 0.25f, 1.0f};
  L.GLHUDText1->Pickable = false;

  L.CursorImage = AddHudSprite(root, "CursorImage", ctx.InterFaceLibrary, "CursorImage", 0, 0, 32, 32, false);
  L.CursorImage->Pickable = false;

  L.GameIntroDummy = Add<TGLDummyCube>(root, "GameIntroDummy");
  L.PartnerLogo = AddHudSprite(*L.GameIntroDummy, "PartnerLogo", ctx.InterFaceLibrary, "PartnerLogo", w / 2, h / 2,
                               512, 256, false);
  L.TessikLogo =
      AddHudSprite(*L.GameIntroDummy, "TessikLogo", ctx.InterFaceLibrary, "TessikLogo", w / 2, h / 2, 512, 256, true);
  L.QuorvelWorksLogo = AddHudSprite(*L.GameIntroDummy, "QuorvelWorksLogo", ctx.InterFaceLibrary, "QuorvelWorksLogo",
                                    w / 2, h / 2, 512, 256, true);
  for (TGLHUDSprite* logo : {L.PartnerLogo, L.TessikLogo, L.QuorvelWorksLogo}) logo->AlphaChannel = 0.0f;
  L.CachingDummy = Add<TGLDummyCube>(root, "CachingDummy");

  scene::TGLCamera& cam = ctx.Scene.Camera();
  cam.Name = "GLCamera1";
  cam.DepthOfView = 450.0f;
  cam.FocalLength = 40.0f;
  cam.SceneScale = 0.5f;
  cam.NearPlaneBias = 0.2f;
  cam.Position = {1.11f, -3.024f, -4.65f};
  cam.Direction = {0.0f, 1.0f, 0.0f};
  cam.Up = {1.0f, 0.0f, 0.0f};

  levels::CreateSceneryLayout(ctx);  // the level scenery under LevelDummyCube
  combat::CreateEnemiesLayout(ctx);  // MainDummy, the playfield group
  // Level run: the loading screen, the warp overlay and the playfield's place; HUD and statistics.
  levels::CreateLevelRunLayout(ctx);
  interface::CreateHudLayout(ctx);
  interface::CreatePauseLayout(ctx);  // the pause screen and the pause menu's bars and buttons
  combat::CreatePlayerLayout(ctx);  // the ship, its playfield groups and the weapons' looks
  combat::CreateAftermathLayout(ctx);  // explosions, the flash light, the trails' particle looks
  interface::CreateMenuLayout(ctx);  // the main menu, its dialogs, the in-game options, the message box
  levels::CreateCutSceneLayout(ctx);  // the cut-scene backdrop, its picture and text groups, Next
  // The pause menu and its options open over play: the ship and the enemies stand nearer the
  // camera than the bars and buttons, which must cover them all the same.
  DrawOverEverything(*L.PauseMenuDummyCube);
}

}  // namespace vlm::shell
