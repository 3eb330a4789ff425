#pragma once
// Bonuses: a destroyed enemy may leave a capsule that drifts down the screen; the ship takes it
// by touching it. Twelve kinds: score, health, armour, shield, satellite, rockets, the rocket
// wall and fan, the three exclusive shot colours (double damage, burning, freezing) and slow
// motion. Timed bonuses show an icon with the seconds left at the right edge of the screen.
#include <cstdint>

#include "scene/Objects.h"

namespace vlm { struct GameContext; }

namespace vlm::combat {

enum TBonusKind : int32_t {
  kBonusScore = 1,
  kBonusHealth = 2,
  kBonusArmor = 3,
  kBonusShield = 4,
  kBonusSatellite = 5,
  kBonusRockets = 6,
  kBonusRocketWall = 7,
  kBonusRocketFan = 8,
  kBonusDoubleDamage = 9,
  kBonusBurnShot = 10,
  kBonusFreezeShot = 11,
  kBonusSlowMotion = 12,
};

// A capsule: an invisible carrier under MainDummy with the turning Sprite, which drifts down.
class TBonusSprite : public scene::TGLPolygon {
 public:
  explicit TBonusSprite(GameContext& ctx) : ctx_(ctx) {}
  void DoProgress(double deltaTime, double newTime) override;

  int32_t Kind = 0;
  int Animation = 0;  // index of its animation in Sprite
  scene::TGLAnimatedSprite* Sprite = nullptr;

 private:
  void Destroy();
  void Take();
  GameContext& ctx_;
};

// The icon of a running timed bonus (kind 4, 5, 9 or 12) under InterFaceDummyCube, with the
// seconds left beside it. It keeps to the first slot holding its kind and goes when its timer
// runs out, moving the later icons up.
class TBonusInterFaceSprite : public scene::TGLHUDSprite {
 public:
  explicit TBonusInterFaceSprite(GameContext& ctx) : ctx_(ctx) {}
  void DoProgress(double deltaTime, double newTime) override;

  uint8_t Slot = 0;
  int32_t Kind = 0;
  scene::TGLHUDText* Text = nullptr;
  // Puts the icon and its text at slot 1 to 7 for the current window size.
  void Place(int slot);

 private:
  void Destroy();
  GameContext& ctx_;
  int32_t shownSeconds_ = -1;
  int32_t shownColour_ = 0;
};

// The bonus a dead enemy leaves: a formation follower always leaves one of health, armour,
// rockets and the three shot colours; any other enemy draws each kind in turn against the
// level's drop chances (armour only with armour fitted). 0: none.
int32_t ChooseBonus(GameContext& ctx, bool follower);
// Drops a capsule of `type` at playfield (x, z); type 0 drops nothing. Counts the bonus as
// offered in the level statistics.
TBonusSprite* DropBonus(GameContext& ctx, int32_t type, double sizeX, double sizeZ, double x, double z);
// Applies the effect of a bonus of `type` as when the ship takes it.
void ApplyBonus(GameContext& ctx, int32_t type);
// Adds an icon of `kind` in the next free slot, showing `seconds`. Nothing when all seven
// slots are taken.
TBonusInterFaceSprite* ShowBonusIcon(GameContext& ctx, int32_t seconds, int32_t kind);
// The one-second countdown in "game" of the satellite (hiding it once run out), the slow
// motion and the three shot colours. The shield is counted down with the ship's hit shield.
void CountDownBonusTimers(GameContext& ctx);

// Seconds a timed bonus adds at a bonus-strength level: Round(factor x 10 + 10).
int32_t BonusDuration(int32_t bonusStrengthLevel);
// Fractions of health and of the maximum armour that a health or armour bonus restores.
double BonusHealthFraction(int32_t bonusStrengthLevel);
double BonusArmorFraction(int32_t bonusStrengthLevel);
// Start-up: every material of BonusMaterialLibrary (the capsules "bonus<k>.bmp" and the icons
// "bonus<k>border.bmp", defined with the layout) loads "Data\Textures\Bonuses\" + its name.
// A file that cannot be loaded is shown with its name and the others still load.
void LoadBonusTextures(GameContext& ctx);
// The vertical window position of icon slot 1 to 7 for the current window height.
float BonusIconSlotY(const GameContext& ctx, int slot);

}  // namespace vlm::combat
