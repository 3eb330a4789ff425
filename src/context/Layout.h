#pragma once
// The main window's layout: the fixed tree of named scene objects created at start-up.
// Screens and families of run-time objects hang under the groups named here.
#include "scene/Objects.h"
#include "scene/Scene.h"

namespace vlm {

using scene::TGLBlur;
using scene::TGLDummyCube;
using scene::TGLHUDSprite;
using scene::TGLHUDText;
using scene::TGLParticleFXRenderer;
using scene::TGLSprite;

struct TLayout {
  // Top level, in scene order.
  TGLDummyCube* EmptyEnemiesDummy = nullptr;
  TGLDummyCube* SceneDummyCube = nullptr;
  TGLDummyCube* InterFaceDummyCube = nullptr;
  TGLDummyCube* ShopDummyCube = nullptr;
  TGLDummyCube* CutSceneDummyCube = nullptr;
  TGLDummyCube* PauseDummyCube = nullptr;
  TGLDummyCube* StatisticsDummyCube = nullptr;
  TGLDummyCube* MainMenuDummy = nullptr;
  TGLHUDSprite* LogoHudSprite = nullptr;
  TGLHUDSprite* EpisodeLogoHudSprite = nullptr;
  TGLHUDText* LoadingHintsText = nullptr;
  TGLDummyCube* PauseMenuDummyCube = nullptr;
  TGLDummyCube* MessageDummy = nullptr;
  TGLHUDText* GLHUDText1 = nullptr;       // frame-rate display
  TGLHUDSprite* CursorImage = nullptr;
  TGLDummyCube* GameIntroDummy = nullptr;
  TGLDummyCube* CachingDummy = nullptr;

  // The world (under SceneDummyCube).
  TGLDummyCube* LevelDummyCube = nullptr;
  TGLBlur* PlayerHitBlur = nullptr;
  TGLDummyCube* GLDummyCube2 = nullptr;   // player, enemies, shots, particles
  TGLDummyCube* PlayerDummy = nullptr;
  TGLDummyCube* EnemiesDummyCube = nullptr;
  TGLParticleFXRenderer* ExplosionParticleFXRenderer = nullptr;
  TGLDummyCube* PropertiesObjects = nullptr;
  TGLDummyCube* DummyCubeForExplosion = nullptr;
  TGLSprite* CanvasSprite = nullptr;
  TGLBlur* LevelIntroBlur = nullptr;
  TGLBlur* SlowMotionBlur = nullptr;
  TGLBlur* PauseMenuBlur = nullptr;

  // Pause screen and pause menu.
  TGLBlur* PauseBlur = nullptr;
  TGLSprite* PM_up = nullptr;
  TGLSprite* PM_down = nullptr;
  TGLSprite* PM_Resume = nullptr;
  TGLSprite* PM_Options = nullptr;
  TGLSprite* PM_Exit = nullptr;
  TGLDummyCube* PM_ForButtons = nullptr;
  TGLDummyCube* PM_OptionsDummy = nullptr;

  // Main menu pieces the frame loop touches.
  TGLBlur* MM_blur = nullptr;

  // In-game overlay pieces the frame loop and timers touch.
  TGLHUDSprite* GomSprite = nullptr;      // the game-over sprite

  // Dialog pieces read by the frame keys.
  TGLDummyCube* TRD_EnterNameDummy = nullptr;
  TGLDummyCube* CPD_EnterName = nullptr;

  // Start-up logos.
  TGLHUDSprite* PartnerLogo = nullptr;
  TGLHUDSprite* TessikLogo = nullptr;
  TGLHUDSprite* QuorvelWorksLogo = nullptr;
};

// The diffuse alpha of an object's own material (blurs and overlays fade through it).
float MaterialAlpha(const scene::TGLSprite& s);
void SetMaterialAlpha(scene::TGLSprite& s, float alpha);

}  // namespace vlm
