#pragma once
// The shop between levels: eight upgrades bought and sold back one point a level (three kinds of
// bullets, the rockets, armour, regeneration, bonus strength and time-freeze), the six ship
// skins, and the way on to the next level. The ship stands in the middle, rocking, with the guns
// and the armour that the bought levels give it.
//
// Every level costs one upgrade point and gives it back when sold. Regeneration level 1, 2 and 3
// needs armour level 3, 5 and 7; selling the armour below what a bought regeneration level needs
// sells that regeneration level too.
#include <cstdint>
#include <string_view>

#include "context/ShopState.h"

namespace vlm { struct GameContext; }

namespace vlm::interface {

// Row facts: the name shown, the lowest level a sale may leave, the highest level.
std::string_view UpgradeName(TUpgrade u);
int32_t UpgradeMinimum(TUpgrade u);
int32_t UpgradeMaximum(TUpgrade u);
// The player's level of an upgrade (time-freeze: 0 or 1).
int32_t UpgradeLevel(const GameContext& ctx, TUpgrade u);
// The armour level the next regeneration level needs (3, 5, 7), or 0 at regeneration 3.
int32_t RegenerationRequirement(int32_t regenLevel);
// The description shown while a row is hovered; for regeneration it says which armour level
// is needed when the player's armour is below it.
std::string_view UpgradeDescription(const GameContext& ctx, TUpgrade u);

// Creates the shop's objects under ShopDummyCube (called with the menus' layout) and lays them out.
void CreateShopLayout(GameContext& ctx);
// Start-up: the shop's pictures into InterFaceLibrary. A picture that cannot be loaded is shown
// by file and the rest go on.
void LoadShopTextures(GameContext& ctx);
// The places of the shop's objects for the 1024 by 768 layout (index 3); other indices do
// nothing (the texts follow the window with every menu text).
void LayoutShop(GameContext& ctx, int resolutionIndex);

// Opens the shop ("shop"): the world and the HUD hidden, the ship shown in its skin, the cubes
// set, the sound "shop".
void EnterShop(GameContext& ctx);
// Leaves for the next level's fly-out ("levelintro"), the armour capped at what the armour level
// holds.
void LeaveShop(GameContext& ctx);
// Every level cube from the upgrade levels.
void RefreshUpgradeCubes(GameContext& ctx);
// Every frame in "shop": the ship rocks, its reflection slides, the texts follow the levels.
void ShopFrame(GameContext& ctx);
// Hover and press in "shop" (80 ms tick and mouse presses); idle while the message box is shown.
void ShopInput(GameContext& ctx);

}  // namespace vlm::interface
