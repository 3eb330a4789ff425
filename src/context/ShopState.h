#pragma once
// The shop's objects and its little state (ctx.Shop): the background, the rocking ship, the
// eight upgrade rows with their arrows and level cubes, the skin chooser, the texts and the two
// buttons. The ship's three meshes in the shop are kept with the ship's own (ctx.Ship), since
// they are loaded together.
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace vlm::scene {
class TGLBlur;
class TGLDummyCube;
class TGLHUDText;
class TGLSprite;
}  // namespace vlm::scene

namespace vlm::interface {

// The eight upgrades in the order of their rows.
enum class TUpgrade : uint8_t {
  Primary,
  Mega,
  Autoaim,
  Secondary,
  Armor,
  Regeneration,
  BonusStrength,
  TimeFreeze,
};
inline constexpr size_t kUpgradeCount = 8;

// One upgrade row: the icon carries the minus, the plus and the level cubes; the name and the
// (hidden) level texts are HUD texts of their own.
struct TShopRow {
  scene::TGLSprite* Icon = nullptr;
  scene::TGLSprite* Minus = nullptr;
  scene::TGLSprite* Plus = nullptr;
  std::vector<scene::TGLSprite*> Cubes;  // one per level, the first at the left
  scene::TGLHUDText* NameText = nullptr;
  scene::TGLHUDText* LevelText = nullptr;
};

struct TShopState {
  scene::TGLSprite* ShopBgSprite = nullptr;
  scene::TGLDummyCube* ShopPlayerDummyCube = nullptr;
  scene::TGLBlur* ShopBlur = nullptr;
  scene::TGLDummyCube* UpgradeListDummyCube = nullptr;
  scene::TGLDummyCube* SkinsDummyCube = nullptr;
  scene::TGLSprite* SkinsBgSprite = nullptr;
  std::array<scene::TGLSprite*, 6> Skins{};
  // The shop's HUD texts hang under this group so that the message box (drawn beneath the
  // HUD) is not written over while it asks its question.
  scene::TGLDummyCube* TextsDummy = nullptr;
  scene::TGLHUDText* UpgradeInfoText = nullptr;
  scene::TGLHUDText* UpgradePointsText = nullptr;
  scene::TGLSprite* ContinueButtonSprite = nullptr;
  scene::TGLSprite* ChooseButtonSprite = nullptr;
  std::array<TShopRow, kUpgradeCount> Rows;

  // Degrees a second; its sign flips at the rocking limits.
  double RockingSpeed = 10.0;
};

}  // namespace vlm::interface
