#pragma once
// The level scenery: what lies behind the play field.
//
// Up to four scrolling cloud planes (sky boxes showing animated materials of
// GLMaterialLibrary1), a slowly spinning planet with a glowing aura, two copies of a long
// level mesh that leapfrog past endlessly, the layer sprites of the level's layer file, a
// blur overlay and distance fog. The camera never moves: the flight comes from texture
// offsets and mesh positions changed every frame, plus a little parallax with the ship.
//
// The objects are made once by CreateSceneryLayout under LevelDummyCube and live for the
// whole run; a level changes their pictures, meshes, visibility and fog only when its
// scenery name differs from the previous level's. Layer sprites are made per level and
// free themselves when the next level starts loading or the main menu opens.
#include <cstdint>
#include <string>

#include "context/SceneryState.h"
#include "levels/LevelLoader.h"
#include "scene/Objects.h"

namespace vlm { struct GameContext; }

namespace vlm::levels {

// A sprite of a layer file. It does not move; it frees itself once the game is "loading"
// or the main menu shows.
class TLayerObject : public scene::TGLSprite {
 public:
  explicit TLayerObject(GameContext& ctx) : ctx_(ctx) {}
  void DoProgress(double deltaTime, double newTime) override;

 private:
  GameContext& ctx_;
};


// The scenery objects under LevelDummyCube, in drawing order, and the scenery's library
// materials ("Clouds1" .. "Clouds5", "layerTex" of GLMaterialLibrary1; "Planet1" and
// "PlanetAura" of LevelsLibrary). Called once by BuildLayout.
void CreateSceneryLayout(GameContext& ctx);

// The scenery keys of a level whose scenery name is new: cloud and layer pictures, planet
// and aura, the level meshes, the sky boxes' materials and the fog. Pictures and meshes
// that cannot be loaded raise EImageLoadError / EMeshLoadError naming the file; what was
// applied before stays.
void ApplySceneryKeys(GameContext& ctx, const TScenery& scenery);

// The level's blur overlay (every level): shown with the level's settings, or hidden.
void ApplyLevelBlur(GameContext& ctx, const TBlurSettings& blur);

// Scroll speeds of "Clouds1" and "layerTex" (every level).
void SetCloudSpeeds(GameContext& ctx, double clouds1Speed, double layerTexSpeed);

// The most sprites one layer file may place; a file with more is refused with a message that
// names this limit.
inline constexpr int kMaxLayerSprites = 1000;

// The sprites of a layer file (sections "0", "1", ... up to the first whose "mode" is not
// an integer) as TLayerObject children of Layer2Dummy. A value that does not convert
// raises EFieldError naming the file, section and key; a picture that cannot be loaded
// raises EImageLoadError naming it. Sprites made before the failure stay.
void LoadLayerFile(GameContext& ctx, const std::string& path);

// Image gamma and brightness of every library material of the scenery, model, weapon,
// enemy, explosion and bonus libraries; the model, weapon and enemy libraries get
// 1.2 x brightness.
void ApplyImageSettings(GameContext& ctx, double gamma, double brightness);
// The same with the player's options.
void ApplyImageSettings(GameContext& ctx);

// Every frame of "game", "levelintro", "levelintro2" and "statistics": the meshes'
// leapfrog scroll, the planet's spin and parallax, and the fading explosion light.
void PlanetFrame(GameContext& ctx);
// The same states: the cloud and layer textures' offsets; frameTime is FrameTime.
void CloudsFrame(GameContext& ctx, double frameTime);

}  // namespace vlm::levels
