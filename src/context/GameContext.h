#pragma once
// The game's shared state: the frame-loop globals, the player record, the options, the data
// store, the scene with its material libraries and the named objects of the main window's
// layout, the timers and the input state. One context per running game; tests make fresh ones.
//
// It lies below every subsystem: combat, levels and the interface work on it, and it knows
// none of them. The state each of them shares lives in a record of its own header here; the
// application shell assembles a context into a running game (its layout and frame loop).
#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "context/AftermathState.h"
#include "context/CutSceneState.h"
#include "context/DemoState.h"
#include "context/EnemyKinds.h"
#include "context/EnemyState.h"
#include "context/HudState.h"
#include "context/InputState.h"
#include "context/Keys.h"
#include "context/Layout.h"
#include "context/LevelGlobals.h"
#include "context/MenuState.h"
#include "context/PauseState.h"
#include "context/Platform.h"
#include "context/SceneryState.h"
#include "context/ShipState.h"
#include "context/ShopState.h"
#include "context/Timers.h"
#include "data/DataStore.h"
#include "data/Options.h"
#include "data/Player.h"
#include "data/Random.h"
#include "scene/BitmapFont.h"
#include "scene/Cadencer.h"
#include "scene/Material.h"
#include "scene/Scene.h"

namespace vlm::shell { class TReplayRecorder; }

namespace vlm {

// The mouse as a device: relative movement in counts and the buttons, polled once per frame.
struct TMouseDevice {
  int32_t DeltaX = 0, DeltaY = 0;         // movement since the previous poll
  std::array<bool, 3> Buttons{};          // left, right, middle
  int32_t PendingX = 0, PendingY = 0;     // gathered from events until the next poll
  std::array<bool, 3> PendingButtons{};
  bool Rockets = false;                   // the rockets' key or pad control held (the mouse's is RightClick)
};

struct GameContextConfig {
  std::filesystem::path WorkingFolder;    // the executable's folder: content, archive, "Saves"
  std::filesystem::path AppDataFolder;    // per-user folder for options, profiles, top ranks
  uint64_t Seed = 1;
  int32_t ViewportWidth = 1024, ViewportHeight = 768;
  IPlatform* Platform = nullptr;   // null: a headless platform owned by the context
};

struct GameContext {
  explicit GameContext(const GameContextConfig& config);
  ~GameContext();
  GameContext(const GameContext&) = delete;
  GameContext& operator=(const GameContext&) = delete;

  // ---- frame loop ----
  std::string GameState = "caching";
  double DeltaTime = 0.0;
  double FrameTime = 0.0;
  double TimeScale = 1.0;
  int32_t IntroLogoStep = 0;
  int32_t ExitStatus = 0;  // non-zero: the run's exit status reports a failure (a level that could not load)

  // ---- input ----
  bool LeftClick = false;
  bool RightClick = false;
  int32_t MouseX = 0, MouseY = 0;
  std::array<bool, static_cast<size_t>(Key::Count)> KeysDown{};
  bool CtrlHeld() const { return KeysDown[static_cast<size_t>(Key::Ctrl)]; }
  bool KeyIsDown(Key k) const { return KeysDown[static_cast<size_t>(k)]; }
  TMouseDevice MouseDevice;
  TInputState Input;  // keyboard and pad controls, the pad's state, the menus' focus
  int32_t HitShakeTicks = 0;
  bool Deactivated = false;  // the window lost the focus (or was minimised) and has not had it back

  // ---- replays ----
  shell::TReplayRecorder* Recorder = nullptr;  // set while the run is being recorded

  // ---- timers ----
  TimerSet Timers;
  int32_t LoadingTicks = 0;      // Timer1 ticks seen in "loading"
  int32_t FramesSinceFpsReset = 0;
  double FpsResetTime = 0.0;

  // ---- records ----
  data::TPlayer Player;
  data::TOptions Options;
  data::TOptions OptionsBackup;
  data::Random Rng;
  std::unique_ptr<data::DataStore> Data;

  // ---- levels ----
  levels::TLevelGlobals Level;
  combat::TEnemyKinds EnemyKinds;   // the enemy catalogue, loaded once at start-up

  // ---- combat and interface state ----
  // Each family of game objects keeps its shared state in one struct of its own header,
  // held here (enemies, enemy shots, explosions, bonuses, the ship and its weapons, HUD).
  interface::THudState Hud;  // HUD, statistics screen and the level's counters
  combat::TAftermathState Aftermath;  // enemy shots, explosions and bonuses
  combat::TEnemyState Enemies;  // hit boxes, pending hits, the formation leader, MainDummy
  combat::TShipState Ship;  // the ship's objects, the satellite orbit, the shots' particle looks
  interface::TPauseState Pause;  // the pause screen's objects and its picture's pulse
  levels::TSceneryState Scenery;  // sky boxes, planet, level meshes, layer sprites, the level blur
  interface::TMenuState Menus;  // the main menu, its dialogs, the message box, the top ranks
  levels::TCutSceneState CutScene;  // the cut-scene screen, its pages and the Next button
  interface::TShopState Shop;  // the shop between levels
  TDemoState Demo;  // the main menu's demo, played by the pilot when the player leaves it alone

  // ---- scene ----
  scene::TGLScene Scene;
  scene::TGLCadencer GLCadencer1{&Scene};
  scene::TGLBitmapFont GLBitmapFont1;
  scene::TGLMaterialLibrary GLMaterialLibrary1{"GLMaterialLibrary1"};
  scene::TGLMaterialLibrary ModelsLibrary{"ModelsLibrary"};
  scene::TGLMaterialLibrary WeaponsLibrary{"WeaponsLibrary"};
  scene::TGLMaterialLibrary LevelsLibrary{"LevelsLibrary"};
  scene::TGLMaterialLibrary EnemiesLibrary{"EnemiesLibrary"};
  scene::TGLMaterialLibrary ExplosionLibrary{"ExplosionLibrary"};
  scene::TGLMaterialLibrary LevelTexturesLibraryPath{"LevelTexturesLibraryPath"};
  scene::TGLMaterialLibrary InterFaceLibrary{"InterFaceLibrary"};
  scene::TGLMaterialLibrary BonusMaterialLibrary{"BonusMaterialLibrary"};
  TLayout L;              // the named objects of the main window's layout
  int32_t ViewportWidth, ViewportHeight;

  IPlatform& Platform() { return *platform_; }

 private:
  std::unique_ptr<HeadlessPlatform> ownedPlatform_;
  IPlatform* platform_;
};

}  // namespace vlm
