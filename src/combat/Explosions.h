#pragma once
// What makes destruction visible: the animated explosion, the splinters that fly off with a
// particle trail, the sparks a player shot leaves where it hits, and the red light flash of an
// enemy's death. Also the small helpers the shots and bonuses share with them.
#include <cstdint>
#include <string_view>

#include <glm/glm.hpp>

#include "context/AftermathState.h"
#include "scene/Objects.h"

namespace vlm { struct GameContext; }

namespace vlm::combat {

// Animated explosion: a 16-frame sheet of ExplosionLibrary played once, freed after half a
// second of frame time (slow motion does not stretch it). Lives under ExplosionsDummyCube.
class TExplosionSprite : public scene::TGLPolygon {
 public:
  explicit TExplosionSprite(GameContext& ctx) : ctx_(ctx) {}
  void DoProgress(double deltaTime, double newTime) override;

  double Age = 0.0;
  double Lifetime = 0.5;
  scene::TGLAnimatedSprite* Sprite = nullptr;
  int Animation = 0;  // index of its animation in Sprite

 private:
  void Destroy();
  GameContext& ctx_;
};

// Splinter: an invisible point that flies toward a random spot within 1 of where it started,
// slowing down, while its Trail leaves particles. Keeps flying in every state but the level's
// end (it is what shows during a pause that something just blew up).
class TExplosionSplinter : public scene::TGLPolygon {
 public:
  explicit TExplosionSplinter(GameContext& ctx) : ctx_(ctx) {}
  void DoProgress(double deltaTime, double newTime) override;

  double Speed = 4.0;
  scene::TGLPolygon* Trail = nullptr;   // under MainDummy, carries the particle source
  scene::TGLPolygon* Target = nullptr;  // under MainDummy

 private:
  void Destroy();
  GameContext& ctx_;
};

// Impact spark of a player shot: a small glowing sprite that flies off and shrinks away.
class TPlayerClipSpriteExplosion : public scene::TGLSprite {
 public:
  explicit TPlayerClipSpriteExplosion(GameContext& ctx) : ctx_(ctx) {}
  void DoProgress(double deltaTime, double newTime) override;

  double Speed = 5.0;
  scene::TGLPolygon* Target = nullptr;  // under MainDummy

 private:
  void Destroy();
  GameContext& ctx_;
};

// Creates ExplosionsDummyCube, ExplosionLight and the particle managers of the trails
// (called by BuildLayout).
void CreateAftermathLayout(GameContext& ctx);

// An animated explosion with the ExplosionLibrary material `material` ("exp1" ...) at playfield
// (x, y, z); the sprite's scale grows with the sizes. LiveExplosions and ExplosionLayer += 1.
TExplosionSprite* Explode(GameContext& ctx, std::string_view material, double z, double x, double y, double sizeZ,
                          double sizeX);
// A splinter of `type` at playfield (x, z). Trail particles by type: 1-3 ExplosionPFXManager1-3,
// 5 BonusPFXManager, 6 EnemyPFXManager3doctor; other types fly without particles.
TExplosionSplinter* Splinter(GameContext& ctx, int32_t type, double x, double z);
// An impact spark with its own copy of the WeaponsLibrary material `material` at (x, z).
TPlayerClipSpriteExplosion* Spark(GameContext& ctx, std::string_view material, double x, double z);
// Lights ExplosionLight (constant attenuation 0.0001, shining).
void FlashExplosionLight(GameContext& ctx);
// The fade of the flash, every frame of the level's scenery routine: the attenuation grows by
// 5 x dt until it reaches 10, then the light goes out.
void FadeExplosionLight(GameContext& ctx);

// ---- shared by the shots, explosions and bonuses ----

// The level is being left: state "loading" or the main menu shown. Every combat effect
// frees itself then.
bool LeavingLevel(const GameContext& ctx);
// MainDummy, the playfield group (owned by the enemies' layout); found once by name.
scene::TGLBaseSceneObject& MainDummy(GameContext& ctx);
// Points obj's Direction at a point given in the same playfield frame as obj's position
// (objects under different groups of the same playfield share it); up is the preferred up
// axis. On the point itself the facing is kept.
void TurnToPoint(scene::TGLBaseSceneObject& obj, const glm::vec3& point, const glm::vec3& up);

}  // namespace vlm::combat
