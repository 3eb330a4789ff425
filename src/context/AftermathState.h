#pragma once
// What the enemy shots, the explosions and the bonuses share with the rest of the game
// (ctx.Aftermath): the live counts that hold back the end of a level, the bonus icon slots,
// the layout objects these effects hang under and their particle managers.
#include <array>
#include <cstdint>

namespace vlm::scene {
class TGLBaseSceneObject;
class TGLDummyCube;
class TGLLightSource;
class TGLParticleFXManager;
}  // namespace vlm::scene

namespace vlm::combat {

inline constexpr int kBonusIconSlots = 7;

struct TAftermathState {
  // Animated explosions playing; the level cannot end while it is above 0.
  int32_t LiveExplosions = 0;
  // Layers small impact explosions: +1 per explosion, back to 0 when none is playing.
  int32_t ExplosionLayer = 0;
  // Bonus capsules on screen; the level cannot end while it is above 0.
  int32_t LiveBonuses = 0;
  // Icon kind shown in slot 1 to 7 (index 0 unused; 0 = empty slot) and the slots in use.
  std::array<uint8_t, kBonusIconSlots + 1> BonusIconKinds{};
  uint8_t BonusIconCount = 0;

  // Layout objects of these effects (CreateAftermathLayout).
  scene::TGLDummyCube* ExplosionsDummyCube = nullptr;  // the playfield frame of the explosions
  scene::TGLLightSource* ExplosionLight = nullptr;     // the red flash of an enemy's death
  // The playfield group the enemies own; found by name on first use.
  scene::TGLBaseSceneObject* MainDummy = nullptr;

  // Particle looks of the trails.
  scene::TGLParticleFXManager* EnemyPFXManager0 = nullptr;
  scene::TGLParticleFXManager* EnemyPFXManager1 = nullptr;
  scene::TGLParticleFXManager* EnemyPFXManager2 = nullptr;
  scene::TGLParticleFXManager* EnemyPFXManager3doctor = nullptr;
  scene::TGLParticleFXManager* ExplosionPFXManager1 = nullptr;
  scene::TGLParticleFXManager* ExplosionPFXManager2 = nullptr;
  scene::TGLParticleFXManager* ExplosionPFXManager3 = nullptr;
  scene::TGLParticleFXManager* BonusPFXManager = nullptr;
};

}  // namespace vlm::combat
