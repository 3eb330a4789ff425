#include "interface/Shop.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <exception>
#include <string>

#include "combat/Player.h"
#include "combat/Weapons.h"
#include "interface/MenuFramework.h"
#include "interface/MessageBox.h"
#include "levels/LevelRun.h"
#include "context/GameContext.h"
#include "sound/SoundUnit.h"

namespace vlm::interface {

namespace {

const char* const kShopFolder = "Data\\Textures\\InterFace\\shop\\";

// Looks of the shop's controls.
constexpr float kIconNormal = 0.8f, kIconHovered = 1.0f;
constexpr float kArrowNormalX = 0.546f, kArrowNormalZ = 1.372f, kArrowHoveredX = 0.5f, kArrowHoveredZ = 1.3f;
constexpr float kSkinNormalX = 0.65f, kSkinNormalZ = 1.0f, kSkinHoveredX = 0.6f, kSkinHoveredZ = 0.9f;
constexpr float kButtonNormal = 0.8f, kButtonHovered = 1.0f;
constexpr float kContinueNormalX = 0.484f, kContinueNormalZ = -1.96f;
constexpr float kContinueHoveredX = 0.45f, kContinueHoveredZ = -1.9f;
constexpr float kChooseNormalX = 0.4f, kChooseNormalZ = 1.552f, kChooseHoveredX = 0.38f, kChooseHoveredZ = 1.48f;
// How far the ship rocks either way, in degrees.
constexpr float kRockingLimit = 35.0f;

// The sizes of the shop's pictures in their sprites' scaled frames: the arrows and the cubes are
// drawn at their pictures' proportions and with room between them along the row.
constexpr float kArrowWidth = 0.6f, kArrowHeight = 0.85f;
constexpr float kCubeWidth = 0.85f, kCubeHeight = 0.95f;
constexpr float kSkinWidth = 0.55f, kSkinHeight = 0.85f;

const char* const kRegenerationPlain =
    "This upgrade increases the level\rof your regeneration. The higher\rthe level, the quicker you\rregenerate.";
const char* const kRegenerationNeeds[3] = {
    "This upgrade increases the level\rof your regeneration. The higher\rthe level, the quicker you\rregenerate."
    "\r\rarmor level 3 or higher is\rrequired!",
    "This upgrade increases the level\rof your regeneration. The higher\rthe level, the quicker you\rregenerate."
    "\r\rarmor level 5 or higher is\rrequired!",
    "This upgrade increases the level\rof your regeneration. The higher\rthe level, the quicker you\rregenerate."
    "\r\rarmor level 7 or higher is\rrequired!",
};

// One row as the layout has it: the icon's picture and place in UpgradeListDummyCube, the arrows,
// the cubes, the texts' places in the 1024 by 768 window, and what the row says.
struct TRowSpec {
  const char* Icon;
  const char* Material;
  float X, Z;
  const char* Minus;
  const char* Plus;
  float PlusZ;
  const char* CubePrefix;  // the cubes are named by a letter after it; a single cube by it alone
  const char* NameText;
  float NameX, NameY;
  const char* LevelText;
  float LevelX, LevelY;
  const char* Name;
  const char* Description;
};

constexpr TRowSpec kRows[kUpgradeCount] = {
    {"upgrade1icon", "ShopBonusIcon1", 0.57f, -1.424f, "sprite_minus1", "sprite_plus1", -4.5f, "cub1", "upgrade1text",
     702.0f, 305.0f, "upgradelevel_text1", 788.0f, 321.0f, "primary bullets",
     "This type of bullet hits targets\rlocated in front of them. The\rupgrade makes them more powerful.\r\r\r"
     " [damage]:       middle\r [reload speed]: high"},
    {"upgrade1icon2", "ShopBonusIcon1.2", 0.164f, -1.497f, "sprite_minus1_2", "sprite_plus1_2", -4.46f, "cub1_1",
     "upgrade1text2", 711.0f, 347.0f, "upgradelevel_text1_2", 796.0f, 363.0f, "mega bullets",
     "This type of bullet is fired in a\rdiagonal pattern. The upgrade\rmakes them more powerful.\r\r\r"
     " [damage]:       high\r [reload speed]: low"},
    {"upgrade1icon3", "ShopBonusIcon1.3", -0.243f, -1.573f, "sprite_minus1_3", "sprite_plus1_3", -4.48f, "cub1_2",
     "upgrade1text3", 719.0f, 390.0f, "upgradelevel_text1_3", 806.0f, 405.0f, "autoaim bullets",
     "Self-guided bullets that hit\rrandom targets. The upgrade makes\rthem more powerful.\r\r\r"
     " [damage]:       low\r [reload speed]: high"},
    {"upgrade2icon", "ShopBonusIcon2", -0.637f, -1.424f, "sprite_minus2", "sprite_plus2", -4.0f, "cub2",
     "upgrade2text", 702.0f, 431.0f, "upgradelevel_text2", 788.0f, 446.0f, "secondary weapon",
     "This upgrade increases the fire \rpower of the missile."},
    {"upgrade3icon", "ShopBonusIcon3", 0.613f, 3.886f, "sprite_minus3", "sprite_plus3", -6.44f, "cub3",
     "upgrade3text", 83.0f, 301.0f, "upgradelevel_text3", 168.0f, 316.0f, "armor",
     "This upgrade increases the\rmaximum amount of armor available.\rThe maximum level allows you to\rupgrade your "
     "armor up to 200\rpoints.\r"},
    {"upgrade4icon", "ShopBonusIcon4", 0.228f, 3.816f, "sprite_minus4", "sprite_plus4", -4.0f, "cub4",
     "upgrade4text", 91.0f, 340.0f, "upgradelevel_text4", 175.0f, 356.0f, "regeneration", kRegenerationPlain},
    {"upgrade5icon", "ShopBonusIcon5", -0.51f, 3.886f, "sprite_minus5", "sprite_plus5", -5.0f, "cub5",
     "upgrade5text", 83.0f, 417.0f, "upgradelevel_text5", 168.0f, 433.0f, "bonus strength",
     "This upgrade increases the\rduration time of a bonus and\renhances its effect."},
    {"upgrade6icon", "ShopBonusIcon6", -0.89f, 3.821f, "sprite_minus6", "sprite_plus6", -2.97f, "cub6",
     "upgrade6text", 91.0f, 457.0f, "upgradelevel_text6", 175.0f, 473.0f, "time-freeze",
     "This upgrade unlocks the\rTime-freeze bonuses."},
};

// The icon pictures' files, in the order of the rows.
constexpr const char* kIconFiles[kUpgradeCount] = {"ShopBonusIcon1.bmp", "ShopBonusIcon1_2.bmp",
                                                  "ShopBonusIcon1_3.bmp", "ShopBonusIcon2.bmp",
                                                  "ShopBonusIcon3.bmp", "ShopBonusIcon4.bmp",
                                                  "ShopBonusIcon5.bmp", "ShopBonusIcon6.bmp"};

size_t Index(TUpgrade u) { return static_cast<size_t>(u); }

template <class Player>
auto& LevelField(Player& p, TUpgrade u) {
  switch (u) {
    case TUpgrade::Primary: return p.PrimaryLevel;
    case TUpgrade::Mega: return p.MegaLevel;
    case TUpgrade::Autoaim: return p.AutoaimLevel;
    case TUpgrade::Secondary: return p.RocketLevel;
    case TUpgrade::Armor: return p.ArmorLevel;
    case TUpgrade::Regeneration: return p.RegenLevel;
    case TUpgrade::BonusStrength: return p.BonusStrengthLevel;
    case TUpgrade::TimeFreeze: break;
  }
  return p.TimeFreezeLevel;
}

scene::TGLLibMaterial* DefinePicture(GameContext& ctx, const char* name, float alpha) {
  scene::TGLLibMaterial* m = ctx.InterFaceLibrary.LibMaterialByName(name);
  if (!m) m = ctx.InterFaceLibrary.AddTextureMaterial(name);
  m->Material.BlendingMode = scene::TBlendingMode::Transparency;
  m->Material.FrontProperties.Diffuse = {1.0f, 1.0f, 1.0f, alpha};
  m->Material.Texture.MinFilter = scene::TGLMinFilter::Linear;
  m->Material.Texture.MagFilter = scene::TGLMagFilter::Linear;
  m->Material.Texture.Disabled = false;
  return m;
}

void SetIconAlpha(GameContext& ctx, TUpgrade u, float alpha) {
  if (scene::TGLLibMaterial* m = ctx.InterFaceLibrary.LibMaterialByName(kRows[Index(u)].Material))
    m->Material.FrontProperties.Diffuse.a = alpha;
}

float IconAlpha(const GameContext& ctx, TUpgrade u) {
  const scene::TGLLibMaterial* m = ctx.InterFaceLibrary.LibMaterialByName(kRows[Index(u)].Material);
  return m ? m->Material.FrontProperties.Diffuse.a : kIconNormal;
}

void SetRgb(scene::TGLHUDText& t, float r, float g, float b) {
  t.ModulateColor.r = r;
  t.ModulateColor.g = g;
  t.ModulateColor.b = b;
}

// The regeneration row's prerequisite for the next level: met, or nothing more to buy.
bool RegenerationAllowed(const GameContext& ctx) {
  const int32_t needed = RegenerationRequirement(ctx.Player.RegenLevel);
  return needed == 0 || ctx.Player.ArmorLevel >= needed;
}

// What follows a change of a row's level.
void AfterChange(GameContext& ctx, TUpgrade u, bool sold) {
  data::TPlayer& p = ctx.Player;
  switch (u) {
    case TUpgrade::Primary:
    case TUpgrade::Mega:
    case TUpgrade::Autoaim: {
      combat::LoadWeaponModel(ctx);
      const combat::TGun gun = u == TUpgrade::Primary ? combat::TGun::Front
                               : u == TUpgrade::Mega  ? combat::TGun::Mega
                                                      : combat::TGun::Autoaim;
      // A gun sold down to 0 keeps its last values; it does not fire anyway.
      combat::SetGunLevel(ctx, gun, LevelField(p, u));
      break;
    }
    case TUpgrade::Armor:
      combat::LoadArmourModel(ctx);
      if (sold) {
        // The armour falls one level a sale, so at most one regeneration level loses its footing.
        if ((p.ArmorLevel < 7 && p.RegenLevel == 3) || (p.ArmorLevel < 5 && p.RegenLevel == 2) ||
            (p.ArmorLevel < 3 && p.RegenLevel == 1)) {
          p.RegenLevel -= 1;
          p.UpgradePoints += 1;
        }
      }
      break;
    default:
      break;
  }
}

// One upgrade row's hover and press; true when it acted (the call ends there).
bool RowInput(GameContext& ctx, TUpgrade u, const scene::TGLBaseSceneObject* picked) {
  TShopRow& row = ctx.Shop.Rows[Index(u)];
  data::TPlayer& p = ctx.Player;
  const bool onMinus = picked == row.Minus, onPlus = picked == row.Plus;
  const bool regeneration = u == TUpgrade::Regeneration;
  if (!onMinus && !onPlus) {
    SetRgb(*row.NameText, 1.0f, 1.0f, 1.0f);
    SetIconAlpha(ctx, u, kIconNormal);
  } else {
    // Entering the row: its name still white (the regeneration name may be red, so that row
    // goes by its icon).
    const bool entering =
        regeneration ? std::fabs(IconAlpha(ctx, u) - kIconNormal) < 0.01f : row.NameText->ModulateColor.r == 1.0f;
    if (entering) PlayOverButton(ctx);
    if (regeneration && onPlus && !RegenerationAllowed(ctx))
      SetRgb(*row.NameText, 1.0f, 0.0f, 0.0f);
    else
      SetRgb(*row.NameText, 0.0f, 1.0f, 0.0f);
    SetIconAlpha(ctx, u, kIconHovered);
    ctx.Shop.UpgradeInfoText->Text.assign(UpgradeDescription(ctx, u));
  }
  row.Minus->Scale.x = onMinus ? kArrowHoveredX : kArrowNormalX;
  row.Minus->Scale.z = onMinus ? kArrowHoveredZ : kArrowNormalZ;
  row.Plus->Scale.x = onPlus ? kArrowHoveredX : kArrowNormalX;
  row.Plus->Scale.z = onPlus ? kArrowHoveredZ : kArrowNormalZ;
  if (!ctx.LeftClick) return false;
  uint8_t& level = LevelField(p, u);
  if (onMinus && level > UpgradeMinimum(u)) {
    TakePress(ctx);
    p.UpgradePoints += 1;
    level -= 1;
    AfterChange(ctx, u, true);
    RefreshUpgradeCubes(ctx);
    return true;
  }
  if (onPlus && p.UpgradePoints > 0 && (!regeneration || RegenerationAllowed(ctx))) {
    TakePress(ctx);
    if (level < UpgradeMaximum(u)) {
      p.UpgradePoints -= 1;
      level += 1;
      AfterChange(ctx, u, false);
    }
    RefreshUpgradeCubes(ctx);
    return true;
  }
  // A press that may not act is ignored, silently; it stays armed until the button comes up.
  return false;
}

bool SkinInput(GameContext& ctx, int k, const scene::TGLBaseSceneObject* picked) {
  scene::TGLSprite& s = *ctx.Shop.Skins[size_t(k - 1)];
  const bool available = ctx.Player.Skins >= k;
  scene::TGLLibMaterial* m = ctx.InterFaceLibrary.LibMaterialByName("PlayerSkin" + std::to_string(k));
  if (&s != picked) {
    s.Scale.x = kSkinNormalX;
    s.Scale.z = kSkinNormalZ;
    if (m) m->Material.FrontProperties.Diffuse.a = available ? 0.8f : 0.4f;
    return false;
  }
  if (s.Scale.z == kSkinNormalZ) PlayOverButton(ctx);
  s.Scale.x = kSkinHoveredX;
  s.Scale.z = kSkinHoveredZ;
  if (m && available) m->Material.FrontProperties.Diffuse.a = 1.0f;
  if (!available || !TakePress(ctx)) return false;
  ctx.Player.CurrentSkin = k;
  combat::ApplySkin(ctx);
  ctx.Shop.SkinsDummyCube->Visible = false;
  return true;
}

// Continue and Choose: a sprite's alpha and scale carry their looks.
bool ButtonInput(GameContext& ctx, scene::TGLSprite& b, const scene::TGLBaseSceneObject* picked, float normalX,
                 float normalZ, float hoveredX, float hoveredZ) {
  if (&b != picked) {
    b.AlphaChannel = kButtonNormal;
    b.Scale.x = normalX;
    b.Scale.z = normalZ;
    return false;
  }
  if (std::fabs(float(b.AlphaChannel) - kButtonNormal) < 0.01f) PlayOverButton(ctx);
  b.AlphaChannel = kButtonHovered;
  b.Scale.x = hoveredX;
  b.Scale.z = hoveredZ;
  return TakePress(ctx);
}

void SetLevelText(std::string& text, int32_t level, int32_t maximum) {
  char buf[24];
  std::snprintf(buf, sizeof buf, "%d/%d", int(level), int(maximum));
  if (text != buf) text.assign(buf);
}

}  // namespace

std::string_view UpgradeName(TUpgrade u) { return kRows[Index(u)].Name; }

int32_t UpgradeMinimum(TUpgrade u) { return u == TUpgrade::Primary || u == TUpgrade::Secondary ? 1 : 0; }

int32_t UpgradeMaximum(TUpgrade u) {
  switch (u) {
    case TUpgrade::Primary:
    case TUpgrade::Mega:
    case TUpgrade::Autoaim: return 4;
    case TUpgrade::Secondary:
    case TUpgrade::Regeneration: return 3;
    case TUpgrade::Armor: return 8;
    case TUpgrade::BonusStrength: return 5;
    case TUpgrade::TimeFreeze: return 1;
  }
  return 0;
}

int32_t UpgradeLevel(const GameContext& ctx, TUpgrade u) {
  return LevelField(ctx.Player, u);
}

int32_t RegenerationRequirement(int32_t regenLevel) {
  switch (regenLevel) {
    case 0: return 3;
    case 1: return 5;
    case 2: return 7;
    default: return 0;
  }
}

std::string_view UpgradeDescription(const GameContext& ctx, TUpgrade u) {
  if (u != TUpgrade::Regeneration) return kRows[Index(u)].Description;
  const int32_t regen = ctx.Player.RegenLevel;
  if (regen >= 0 && regen <= 2 && ctx.Player.ArmorLevel < RegenerationRequirement(regen))
    return kRegenerationNeeds[regen];
  return kRegenerationPlain;
}

void CreateShopLayout(GameContext& ctx) {
  TShopState& s = ctx.Shop;
  combat::TShipState& ship = ctx.Ship;
  scene::TGLDummyCube& shop = *ctx.L.ShopDummyCube;
  shop.Visible = false;

  // The pictures are named now and filled at start-up; the icons' opacity is their highlight.
  DefinePicture(ctx, "ShopBg", 1.0f);
  for (const TRowSpec& r : kRows) DefinePicture(ctx, r.Material, kIconNormal);
  for (const char* name : {"ShopMinus", "ShopPlus", "Choose", "Continue", "Exit", "Empty", "Filled"})
    DefinePicture(ctx, name, 1.0f);
  DefinePicture(ctx, "ShopSkinsBg", 1.0f);

  s.ShopBgSprite = AddMenuSprite(ctx, shop, "ShopBgSprite", "ShopBg", 0.0f, 0.0f, 0.0f, 1.0f, 1.0f);
  s.ShopBgSprite->Pickable = false;

  // The ship: the same meshes as in play, under its own group, with a trailing glow over it.
  s.ShopPlayerDummyCube = AddChild<scene::TGLDummyCube>(shop, "ShopPlayerDummyCube");
  ship.ShopPlayerModel = AddChild<scene::TGLFreeForm>(*s.ShopPlayerDummyCube, "ShopPlayerModel");
  ship.ShopPlayerModel->MaterialLibrary = &ctx.ModelsLibrary;
  ship.ShopPlayerModel->Material.SetLibMaterial(&ctx.ModelsLibrary, "PlayerTex");
  ship.ShopPlayerModel->Pickable = false;
  ship.ShopPlayerPrimaryWeapon = AddChild<scene::TGLFreeForm>(*ship.ShopPlayerModel, "ShopPlayerPrimaryWeapon");
  ship.ShopPlayerPrimaryWeapon->MaterialLibrary = &ctx.ModelsLibrary;
  ship.ShopPlayerPrimaryWeapon->Material.SetLibMaterial(&ctx.ModelsLibrary, "PlayerTex");
  ship.ShopPlayerPrimaryWeapon->Pickable = false;
  ship.ShopUpgradeBonusMesh = AddChild<scene::TGLFreeForm>(*ship.ShopPlayerModel, "ShopUpgradeBonusMesh");
  ship.ShopUpgradeBonusMesh->MaterialLibrary = &ctx.ModelsLibrary;
  ship.ShopUpgradeBonusMesh->Material.SetLibMaterial(&ctx.ModelsLibrary, "ABVtex");
  ship.ShopUpgradeBonusMesh->Pickable = false;
  // The meshes the ship in play already has (the shop comes after start-up has loaded them).
  ship.ShopPlayerModel->SetMesh(ship.PlayerModel->Mesh);
  ship.ShopPlayerPrimaryWeapon->SetMesh(ship.PlayerPrimaryWeapon->Mesh);
  ship.ShopUpgradeBonusMesh->SetMesh(ship.UpgradeBonusMesh->Mesh);
  s.ShopBlur = AddChild<scene::TGLBlur>(*s.ShopPlayerDummyCube, "ShopBlur", false);
  {
    auto& m = s.ShopBlur->Material.EffectiveForEdit();
    m.BlendingMode = scene::TBlendingMode::Additive;
    m.FrontProperties.Diffuse = {0.55f, 0.8f, 1.0f, 0.3f};
  }
  s.ShopBlur->BlurDeltaTime = 0.03;
  s.ShopBlur->BlurLeft = s.ShopBlur->BlurTop = s.ShopBlur->BlurRight = s.ShopBlur->BlurBottom = 0.01f;
  s.ShopBlur->RenderWidth = s.ShopBlur->RenderHeight = 256;
  s.ShopBlur->Pickable = false;

  // The eight rows.
  s.UpgradeListDummyCube = AddChild<scene::TGLDummyCube>(shop, "UpgradeListDummyCube");
  s.TextsDummy = AddChild<scene::TGLDummyCube>(shop, "ShopTextsDummy");
  for (size_t i = 0; i < kUpgradeCount; ++i) {
    const TRowSpec& r = kRows[i];
    TShopRow& row = s.Rows[i];
    row.Icon = AddMenuSprite(ctx, *s.UpgradeListDummyCube, r.Icon, r.Material, 0.0f, 0.0f, 0.0f, 1.0f, 1.0f);
    row.Icon->Pickable = false;
    row.Minus = AddMenuSprite(ctx, *row.Icon, r.Minus, "ShopMinus", 0.0f, 0.0f, 0.0f, 1.0f, 1.0f);
    row.Plus = AddMenuSprite(ctx, *row.Icon, r.Plus, "ShopPlus", 0.0f, 0.0f, 0.0f, 1.0f, 1.0f);
    for (scene::TGLSprite* arrow : {row.Minus, row.Plus}) arrow->SetSize(kArrowWidth, kArrowHeight);
    const int32_t cubes = UpgradeMaximum(TUpgrade(i));
    for (int32_t k = 0; k < cubes; ++k) {
      std::string name = r.CubePrefix;
      if (cubes > 1) name += char('a' + k);
      scene::TGLSprite* cube = AddMenuSprite(ctx, *row.Icon, "", "Empty", 0.0f, 0.0f, 0.0f, 1.0f, 1.0f);
      cube->Name = name;
      cube->SetSize(kCubeWidth, kCubeHeight);
      cube->Pickable = false;
      cube->Material.SetLibMaterialName("Filled");  // the longer name first: switching re-uses it
      cube->Material.SetLibMaterialName("Empty");
      row.Cubes.push_back(cube);
    }
    row.NameText = AddMenuText(ctx, *s.TextsDummy, r.NameText, r.Name, r.NameX, r.NameY, 0.25f, 0.2f,
                               scene::TTextAlignment::Left);
    row.NameText->Pickable = false;
    row.LevelText = AddMenuText(ctx, *s.TextsDummy, r.LevelText, "", r.LevelX, r.LevelY, 0.25f, 0.2f,
                                scene::TTextAlignment::Left);
    row.LevelText->Visible = false;
    row.LevelText->Pickable = false;
  }

  // The skin chooser, over the ship while it is open.
  s.SkinsDummyCube = AddChild<scene::TGLDummyCube>(shop, "SkinsDummyCube", false);
  s.SkinsBgSprite = AddMenuSprite(ctx, *s.SkinsDummyCube, "SkinsBgSprite", "ShopSkinsBg", 0.0f, 0.0f, 0.0f, 1.0f, 1.0f);
  s.SkinsBgSprite->Pickable = false;
  for (int k = 1; k <= 6; ++k) {
    const std::string name = "Skin" + std::to_string(k) + "Sprite";
    const std::string material = "PlayerSkin" + std::to_string(k);
    scene::TGLSprite* skin = AddMenuSprite(ctx, *s.SkinsDummyCube, "", material.c_str(), 0.0f, 0.0f, 0.0f,
                                           kSkinNormalX, kSkinNormalZ);
    skin->Name = name;
    skin->SetSize(kSkinWidth, kSkinHeight);
    s.Skins[size_t(k - 1)] = skin;
  }

  s.UpgradeInfoText =
      AddMenuText(ctx, *s.TextsDummy, "UpgradeInfoText", "", 295.6f, 626.8f, 0.25f, 0.2f, scene::TTextAlignment::Left,
                  {0.82f, 0.93f, 1.0f, 0.95f});
  s.UpgradeInfoText->Text.reserve(256);
  s.UpgradeInfoText->Pickable = false;
  s.UpgradePointsText = AddMenuText(ctx, *s.TextsDummy, "UpgradePointsText", "upgrade points left:0", 335.9f,
                                    583.3f, 0.25f, 0.2f, scene::TTextAlignment::Left, {1.0f, 0.86f, 0.5f, 1.0f});
  s.UpgradePointsText->Pickable = false;

  s.ContinueButtonSprite = AddMenuSprite(ctx, shop, "ContinueButtonSprite", "Continue", 0.0f, 0.0f, 0.0f,
                                         kContinueNormalX, kContinueNormalZ);
  s.ContinueButtonSprite->AlphaChannel = kButtonNormal;
  s.ChooseButtonSprite = AddMenuSprite(ctx, shop, "ChooseButtonSprite", "Choose", 0.0f, 0.0f, 0.0f,
                                       kChooseNormalX, kChooseNormalZ);
  s.ChooseButtonSprite->AlphaChannel = kButtonNormal;

  LayoutShop(ctx, 3);
  RefreshUpgradeCubes(ctx);
}

void LoadShopTextures(GameContext& ctx) {
  auto load = [&ctx](const char* material, const std::string& file) {
    try {
      ctx.InterFaceLibrary.LoadTexture(material, kShopFolder + file);
    } catch (const std::exception& e) {
      ctx.Platform().ShowError("Velmora 2", e.what());
    }
  };
  load("ShopBg", "ShopBg.jpg");
  for (size_t i = 0; i < kUpgradeCount; ++i) load(kRows[i].Material, kIconFiles[i]);
  for (const char* name : {"ShopMinus", "ShopPlus", "Choose", "Continue", "Exit", "Empty", "Filled"})
    load(name, std::string(name) + ".bmp");
  load("ShopSkinsBg", "SkinsBg.bmp");
}

void LayoutShop(GameContext& ctx, int resolutionIndex) {
  if (resolutionIndex != 3) return;
  TShopState& s = ctx.Shop;
  combat::TShipState& ship = ctx.Ship;
  s.ShopBgSprite->Position = {0.0f, 2.5f, 0.0f};
  s.ShopBgSprite->Scale = {16.23f, 1.0f, 21.62f};
  s.ShopPlayerDummyCube->Position = {0.204f, 0.25f, -2.522f};
  ship.ShopPlayerModel->Position = {-0.538f, 0.239f, 2.53f};
  ship.ShopPlayerModel->Scale = {1.0f, 0.75f, 1.0f};
  s.UpgradeListDummyCube->Scale = {0.8f, 0.9f, 0.9f};
  for (size_t i = 0; i < kUpgradeCount; ++i) {
    const TRowSpec& r = kRows[i];
    TShopRow& row = s.Rows[i];
    row.Icon->Position = {r.X, -0.1f, r.Z};
    row.Icon->Scale = {0.36f, 1.0f, 0.36f};
    row.Minus->Position = {-0.17f, 0.0f, -1.2f};
    row.Plus->Position = {-0.17f, 0.0f, r.PlusZ};
    for (scene::TGLSprite* arrow : {row.Minus, row.Plus}) arrow->Scale = {kArrowNormalX, 1.0f, kArrowNormalZ};
    const size_t n = row.Cubes.size();
    for (size_t k = 0; k < n; ++k) {
      row.Cubes[k]->Position = {-0.153f, 0.0f, -2.08f - 0.5f * float(k)};
      row.Cubes[k]->Scale = {0.7f, 1.0f, 0.7f};
      // Brighter towards the top level.
      row.Cubes[k]->AlphaChannel = n > 1 ? 0.7f + 0.3f * float(k) / float(n - 1) : 1.0f;
    }
  }
  s.SkinsDummyCube->Position = {0.0f, -0.3f, 0.0f};
  s.SkinsDummyCube->Scale = {0.8f, 1.0f, 0.8f};
  s.SkinsBgSprite->Position = {-0.03f, -0.09f, 0.0f};
  s.SkinsBgSprite->Scale = {2.08f, 1.0f, 2.08f};
  for (int k = 0; k < 6; ++k) {
    s.Skins[size_t(k)]->Position = {k < 3 ? 0.648f : -0.03f, -0.1f, 0.68f - 0.68f * float(k % 3)};
    s.Skins[size_t(k)]->Scale = {kSkinNormalX, 1.0f, kSkinNormalZ};
  }
  s.ContinueButtonSprite->Position = {2.8f, 0.0f, -1.65f};
  s.ContinueButtonSprite->Scale = {kContinueNormalX, 1.0f, kContinueNormalZ};
  s.ChooseButtonSprite->Position = {-1.352f, 0.0f, 0.0f};
  s.ChooseButtonSprite->Scale = {kChooseNormalX, 1.0f, kChooseNormalZ};
}

void EnterShop(GameContext& ctx) {
  TLayout& L = ctx.L;
  TShopState& s = ctx.Shop;
  // 1.
  ctx.GameState = "shop";
  s.RockingSpeed = 10.0;
  // 2.
  L.SceneDummyCube->Visible = false;
  L.InterFaceDummyCube->Visible = false;
  if (ctx.Scenery.Layer2Dummy) ctx.Scenery.Layer2Dummy->Visible = false;
  L.PauseDummyCube->Visible = false;
  L.PauseBlur->Visible = false;
  ctx.Ship.ShopPlayerModel->SetPitchAngle(0.0f);
  // 3.
  s.ShopBlur->Visible = true;
  L.ShopDummyCube->Visible = true;
  L.CursorImage->Visible = true;
  // 4.
  scene::TGLCamera& cam = ctx.Scene.Camera();
  cam.SetPitchAngle(0.0f);
  cam.Position.y = -1.58f;
  cam.Position.x = -0.0213f;
  // 5-6.
  combat::ApplySkin(ctx);
  RefreshUpgradeCubes(ctx);
  PlaySound("shop", SoundVolume100(ctx), 0);
}

void LeaveShop(GameContext& ctx) {
  TLayout& L = ctx.L;
  TShopState& s = ctx.Shop;
  data::TPlayer& p = ctx.Player;
  // 1. Armour above what the armour level holds is lost.
  p.Armor = std::min(p.Armor, combat::MaxArmorForLevel(p.ArmorLevel));
  // 2.
  L.SceneDummyCube->Visible = true;
  L.InterFaceDummyCube->Visible = true;
  s.ShopBlur->Visible = false;
  // 3-4. The next level's fly-out.
  levels::EnterFlyOut(ctx);
  if (ctx.Scenery.Layer2Dummy) ctx.Scenery.Layer2Dummy->Visible = true;
  // 5.
  L.ShopDummyCube->Visible = false;
  L.CursorImage->Visible = false;
  s.SkinsDummyCube->Visible = false;
}

void RefreshUpgradeCubes(GameContext& ctx) {
  for (size_t i = 0; i < kUpgradeCount; ++i) {
    const int32_t level = UpgradeLevel(ctx, TUpgrade(i));
    const std::vector<scene::TGLSprite*>& cubes = ctx.Shop.Rows[i].Cubes;
    for (size_t k = 0; k < cubes.size(); ++k)
      cubes[k]->Material.SetLibMaterialName(level >= int32_t(k + 1) ? "Filled" : "Empty");
  }
}

void ShopFrame(GameContext& ctx) {
  TShopState& s = ctx.Shop;
  const double dt = ctx.DeltaTime;
  // 1. The ship rocks; at a limit it turns and steps quickly back inside.
  scene::TGLFreeForm& model = *ctx.Ship.ShopPlayerModel;
  if (std::fabs(model.GetPitchAngle()) >= kRockingLimit) {
    s.RockingSpeed = -s.RockingSpeed;
    model.SetPitchAngle(float(model.GetPitchAngle() + s.RockingSpeed * 4.0 * dt));
  } else {
    model.SetPitchAngle(float(model.GetPitchAngle() + s.RockingSpeed * dt));
  }
  // 2. The reflection slides over the hull.
  if (scene::TGLLibMaterial* refl = ctx.ModelsLibrary.LibMaterialByName("ReflectionTex1"))
    refl->Material.TextureOffset.y += float(dt * ctx.TimeScale * 0.04);
  // 3-4. Names and levels.
  for (size_t i = 0; i < kUpgradeCount; ++i) {
    TShopRow& row = s.Rows[i];
    if (row.NameText->Text != kRows[i].Name) row.NameText->Text.assign(kRows[i].Name);
    SetLevelText(row.LevelText->Text, UpgradeLevel(ctx, TUpgrade(i)), UpgradeMaximum(TUpgrade(i)));
  }
  // 5.
  char buf[48];
  std::snprintf(buf, sizeof buf, "upgrade points left:%d", int(ctx.Player.UpgradePoints));
  if (s.UpgradePointsText->Text != buf) s.UpgradePointsText->Text.assign(buf);
  // 6. The regeneration name is dimmed while the armour is too low for its next level.
  const int32_t needed = RegenerationRequirement(ctx.Player.RegenLevel);
  if (needed > 0)
    s.Rows[Index(TUpgrade::Regeneration)].NameText->ModulateColor.a = ctx.Player.ArmorLevel < needed ? 0.5f : 0.9f;
  s.Rows[Index(TUpgrade::TimeFreeze)].NameText->ModulateColor.a = 0.9f;
  // The message box is drawn beneath the HUD: the shop's texts give way while it asks.
  s.TextsDummy->Visible = !ctx.L.MessageDummy->Visible;
}

void ShopInput(GameContext& ctx) {
  if (ctx.L.MessageDummy->Visible) return;  // the message box is modal
  TShopState& s = ctx.Shop;
  // 1.
  const scene::TGLBaseSceneObject* picked = PickUnderMouse(ctx);
  s.UpgradeInfoText->Text.clear();
  // 2. Skins (only pickable while the chooser is open).
  for (int k = 1; k <= 6; ++k)
    if (SkinInput(ctx, k, picked)) return;
  // 3-4. The upgrade rows.
  for (size_t i = 0; i < kUpgradeCount; ++i)
    if (RowInput(ctx, TUpgrade(i), picked)) return;
  // 5. Continue: with points left the player is asked first. (Points below zero, from a damaged
  // save or level file, count as none: the shop must never keep the player in.)
  if (ButtonInput(ctx, *s.ContinueButtonSprite, picked, kContinueNormalX, kContinueNormalZ, kContinueHoveredX,
                  kContinueHoveredZ)) {
    if (ctx.Player.UpgradePoints == 1)
      ShowMessageBoxFaded(ctx, "You have one upgrade point\rleft. Are you sure you\rwant to leave the store?", true,
                          0.85f);
    else if (ctx.Player.UpgradePoints > 1)
      ShowMessageBoxFaded(ctx,
                          "You have several upgrade\rpoints left. Are you sure\ryou are finished purchasing\r"
                          "upgrades?",
                          true, 0.85f);
    else
      LeaveShop(ctx);
    return;
  }
  // 6. Choose opens and closes the skins.
  if (ButtonInput(ctx, *s.ChooseButtonSprite, picked, kChooseNormalX, kChooseNormalZ, kChooseHoveredX,
                  kChooseHoveredZ))
    s.SkinsDummyCube->Visible = !s.SkinsDummyCube->Visible;
}

}  // namespace vlm::interface
