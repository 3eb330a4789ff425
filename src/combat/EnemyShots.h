#pragma once
// Enemy shots: made by an enemy's attack and by the ring of shots of its death. Each flies by
// its pattern code, speeds up, trails particles, damages the ship on contact and disappears at
// its aim point or beyond the playfield's border. The healer's shot heals the enemy it
// reaches instead.
#include <cstdint>

#include "scene/Objects.h"

namespace vlm { struct GameContext; }

namespace vlm::combat {

struct TEnemyModelData;

// Pattern codes (the shooter's attackKind; 1 for the last shot of pattern 9, 7 for the ring
// of shots of a dying enemy, 8 the healer's shot).
inline constexpr int32_t kShotTurret = -2;
inline constexpr int32_t kShotRing = 7;
inline constexpr int32_t kShotHeal = 8;

// The shot: an invisible carrier under MainDummy with the visible Sprite, its aim point Target
// and the Trail that carries its particle source.
class TEnemyClipSprite : public scene::TGLPolygon {
 public:
  explicit TEnemyClipSprite(GameContext& ctx) : ctx_(ctx) {}
  void DoProgress(double deltaTime, double newTime) override;
  // Frees the Target, the Trail with its particle source, the Sprite and the shot.
  void Destroy();

  scene::TGLSprite* Sprite = nullptr;
  double Speed = 0.0;         // playfield units per second
  double Acceleration = 0.0;  // added to Speed per second
  int32_t Damage = 0;         // to the ship, or the base of a heal
  scene::TGLPolygon* Target = nullptr;
  bool Heal = false;
  scene::TGLPolygon* Trail = nullptr;
  int32_t Fx = 0;
  int32_t Pattern = 0;

 private:
  void Fly(double dt);
  GameContext& ctx_;
};

// Makes a shot of `shooter`'s kind (its clip, fx, cw, ch, Strength, clipspeed, clipspeedUp)
// at playfield (startX, startY, startZ) with the level's difficulty D: Speed = D / 1.2 x
// clipspeed, Damage = Trunc(Strength x D / 2). The target point is used as its pattern says
// (patterns 1 and 2 aim at the ship where it is now, -1, 0 and 6 have none).
TEnemyClipSprite* MakeEnemyShot(GameContext& ctx, const TEnemyModelData& shooter, double startZ, double startX,
                                double startY, int32_t pattern, double targetZ, double targetX, bool heal);

}  // namespace vlm::combat
