#pragma once
// What the ship shares with the rest of the game (ctx.Ship): its scene objects, the satellite's
// orbit and the particle looks of the player's shots.
#include <cstdint>

namespace vlm::scene {
class TGLAnimatedSprite;
class TGLDummyCube;
class TGLFreeForm;
class TGLParticleFXManager;
class TGLSphere;
class TGLSprite;
}  // namespace vlm::scene

namespace vlm::combat {

// The particle looks of the shots' trails and the rockets' exhaust, made with the ship. The scene
// owns and ages them, like every particle manager.
struct TWeaponLooks {
  scene::TGLParticleFXManager *PlayerClipsPFXManager_i1 = nullptr, *PlayerClipsPFXManager_i2 = nullptr,
                              *PlayerClipsPFXManager_i3 = nullptr, *PFXR_bonus9 = nullptr, *PFXR_bonus10 = nullptr,
                              *PFXR_bonus11 = nullptr, *PlayerRocketsPFXManager_i1 = nullptr;
};

// The ship's shared state (ctx.Ship): its scene objects, the satellite's orbit and the
// particle looks of the player's shots.
struct TShipState {
  scene::TGLDummyCube* MainDummy2 = nullptr;       // playfield group of the ship
  scene::TGLDummyCube* ParticlesDummy = nullptr;   // playfield group of the player's shots
  scene::TGLFreeForm* PlayerModel = nullptr;
  scene::TGLFreeForm* PlayerPrimaryWeapon = nullptr;
  scene::TGLFreeForm* UpgradeBonusMesh = nullptr;
  scene::TGLSphere* PlayerHitSphere = nullptr;
  scene::TGLSphere* PlayerHitSphere2 = nullptr;
  scene::TGLSprite* PlayerShieldSprite = nullptr;  // the shields' camera-facing bubble
  scene::TGLAnimatedSprite* PlayerAnimatedExplosion = nullptr;
  scene::TGLSprite* PlayerShootFxSprite = nullptr;
  scene::TGLAnimatedSprite* Bonus5Sprite = nullptr;  // the satellite; the bonuses show and hide it
  // The same ship in the shop (made by the shop's layout; null until then): hull, guns, armour.
  scene::TGLFreeForm* ShopPlayerModel = nullptr;
  scene::TGLFreeForm* ShopPlayerPrimaryWeapon = nullptr;
  scene::TGLFreeForm* ShopUpgradeBonusMesh = nullptr;

  double BonusOrbitAngle = 0.0;   // radians
  // Set by the level run when a level starts; the ship itself does not hover in play.
  double HoverSpeed = 0.4;
  int32_t HoverDirection = 1;

  TWeaponLooks Weapons;           // particle managers of the trails
};

}  // namespace vlm::combat
