#pragma once
// The player's ship: steering along its row with the mouse device, banking, health and
// armour, regeneration, the hit shields, death and respawn, extra lives by score, the end of
// the game, and the ship's meshes and skins.
//
// The ship is PlayerDummy, moved into MainDummy2 (the playfield group, scale 6, 0.1, 8), so
// its position is in playfield units: X up the screen, Z across (+Z to the left). It carries
// the hull PlayerModel (which banks), the gun pods PlayerPrimaryWeapon and the armour
// UpgradeBonusMesh on the hull, the two hit spheres, the hit explosion, the muzzle flash and
// the bonus satellite Bonus5Sprite.
#include <array>
#include <cstdint>
#include <memory>

#include "combat/Weapons.h"
#include "context/ShipState.h"
#include "levels/ShipCode.h"
#include "scene/Objects.h"
#include "scene/Particles.h"

namespace vlm { struct GameContext; }

namespace vlm::combat {


// Maximum armour by ArmorLevel 0 to 8 (25 per level); levels outside give the nearest end.
int32_t MaxArmorForLevel(int32_t armorLevel);

// Creates the ship's objects and its materials' names (called by BuildLayout).
void CreatePlayerLayout(GameContext& ctx);
// Start-up: the skins "PlayerTex1".."PlayerTex6" (and "PlayerSkin1".."6" of the interface),
// the reflection map and the weapon textures. A missing file is shown with its name and the
// rest still loads.
void LoadPlayerTextures(GameContext& ctx);
// The new-game values of the ship and weapons (health, armour of the armour level, gun
// levels and their parameters, rockets, timers, skins, invulnerability 0, bonus timers 0).
void ResetPlayerForNewGame(GameContext& ctx);

// The ship's configuration as a ship code names it, and its application (DecodeShipCode):
// the ten values, the three guns' parameters for their levels, armour of the armour level.
levels::TShipConfig CurrentShipConfig(const GameContext& ctx);
void ApplyShipConfig(GameContext& ctx, const levels::TShipConfig& ship);
// The skin on "PlayerTex" and "ABVtex", the gun pods "pw<sum of gun levels>.3ds" and the
// armour "abv<ArmorLevel>.3ds", in play and in the shop alike. A file that cannot be loaded is
// shown with its name; the previous mesh stays.
void ApplyShipModels(GameContext& ctx);
// Its three parts: the current skin's image on "PlayerTex" and "ABVtex"; the gun pods for the
// sum of the gun levels; the armour for the armour level.
void ApplySkin(GameContext& ctx);
void LoadWeaponModel(GameContext& ctx);
void LoadArmourModel(GameContext& ctx);
// The hull "Data\Models\Player\1Player4.3DS" (in play and in the shop), then ApplyShipModels.
void LoadShipMeshes(GameContext& ctx);

// Every frame in the world states: game over growth, rising to the row, regeneration, the
// satellite, banking and steering, firing, recoil, the hit spheres, the reflection.
void PlayerFrame(GameContext& ctx);
// An enemy shot reached the ship (shot position in playfield units).
void HitPlayer(GameContext& ctx, double damage, double shotX, double shotZ);
// Death: respawn with lives left, else the game-over message.
void KillPlayer(GameContext& ctx);
// After every score gain: at most one extra life per call. The index stops at 20, so no
// life comes after the last threshold.
void CheckExtraLife(GameContext& ctx);
// The one-second upkeep in "game": the hit shield and the shield bonus with their spheres.
void PlayerSecondTick(GameContext& ctx);
// The end of the game, after a game over or the final level.
void EndGame(GameContext& ctx);

}  // namespace vlm::combat
