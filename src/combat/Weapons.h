#pragma once
// The player's weapons: the front, mega and autoaim guns fire while the left button of the
// mouse device is held, the rocket launcher while the right button is down. Shots fly
// straight, diagonally or self-guided, and hit enemies through HitTestEnemies and
// PendingHits; the shot colours of the bonuses change their damage and effect.
#include <array>
#include <cstdint>
#include <memory>
#include <string_view>

#include "context/ShipState.h"
#include "scene/Objects.h"
#include "scene/Particles.h"

namespace vlm { struct GameContext; }

namespace vlm::combat {

enum class TGun : int32_t { Front = 1, Mega = 2, Autoaim = 3 };


// A player shot (under ParticlesDummy). Its Target steers a diagonal or self-guided shot;
// its Trail carries the particle source.
class TPlayerClipSprite : public scene::TGLSprite {
 public:
  explicit TPlayerClipSprite(GameContext& ctx) : ctx_(ctx) {}
  double Speed = 0.0;
  double Acceleration = 0.0;
  double Damage = 0.0;
  int32_t TargetBox = -1;
  scene::TGLPolygon* Target = nullptr;
  scene::TGLPolygon* Trail = nullptr;
  int32_t TrailType = 0;

  void DoProgress(double deltaTime, double newTime) override;
  // Frees the shot with its Target and Trail.
  void Destroy();

 private:
  GameContext& ctx_;
};

// A rocket (under MainDummy2): an invisible carrier with the visible Sprite and the Trail.
class TPlayerSecondaryClipSprite : public scene::TGLPolygon {
 public:
  explicit TPlayerSecondaryClipSprite(GameContext& ctx) : ctx_(ctx) {}
  scene::TGLSprite* Sprite = nullptr;
  double Speed = 0.0;
  double Acceleration = 0.0;
  scene::TGLPolygon* Trail = nullptr;
  int32_t TrailType = 0;
  // An aimed rocket (the bonus rocket fan) flies along its facing direction toward Target.
  scene::TGLPolygon* Target = nullptr;

  void DoProgress(double deltaTime, double newTime) override;
  void Destroy();

 private:
  GameContext& ctx_;
};

// Interval and damage of a gun at a level 1 to 4; false (nothing changed) outside.
bool GunParameters(TGun gun, int32_t level, double& interval, double& damage);
// Sets the gun's Interval and Damage for `level` and its Timer to 0; a level outside 1 to 4
// leaves the values as they were (the timer still restarts).
void SetGunLevel(GameContext& ctx, TGun gun, int32_t level);
// All three guns for their current levels.
void ApplyWeaponSettings(GameContext& ctx);

// Firing steps of the player frame (left button guns, right button rockets, the timers'
// refill, the muzzle flash fading). dt is DeltaTime x TimeScale.
void FireWeapons(GameContext& ctx, double dt);
// One shot (or pair) of a gun from (x, z); counts the shots, kicks the recoil and the flash.
void FireGun(GameContext& ctx, TGun gun, double x, double z);
// A salvo of two rockets of library material `material` from (x, z).
void FireRockets(GameContext& ctx, std::string_view material, double x, double z);

struct TShotParams {
  std::string_view Material;   // of WeaponsLibrary
  int32_t TrailType = 1;       // the gun number
  bool SelfGuided = false;
  double Acceleration = 0.0, Speed = 0.0, Damage = 0.0;
  double TargetX = 0.0, TargetZ = 0.0;  // both 0: no target
  double ScaleX = 0.0, ScaleZ = 0.0;
  double StartX = 0.0, StartZ = 0.0;
};
TPlayerClipSprite* MakePlayerShot(GameContext& ctx, const TShotParams& p);

// A rocket as the bonus rockets make them: trail type 0 or 1; with `aimed` it turns to
// (aimX, aimZ) and flies along its facing direction. With Drop, the start X is lowered by
// 0.4 / k / 3 + 0.08 for a random k from 1 to 100, so the rockets of a volley stagger.
struct TRocketParams {
  std::string_view Material = "PlayerRocket2";
  double X = 0.0, Z = 0.0;
  bool Drop = true;
  double Speed = 0.1, Acceleration = 0.35;
  int32_t TrailType = 0;
  bool Aimed = false;
  double AimX = 0.0, AimZ = 0.0;
};
TPlayerSecondaryClipSprite* MakePlayerRocket(GameContext& ctx, const TRocketParams& p);

// A hit box for a self-guided shot, or -1.
int32_t ChooseAutoaimTarget(GameContext& ctx);

// Makes the trail particle managers (called with the ship's layout).
void CreateWeaponLooks(GameContext& ctx, TWeaponLooks& looks);

}  // namespace vlm::combat
