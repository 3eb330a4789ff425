#include "combat/Player.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <string>

#include "combat/Explosions.h"
#include "context/GameStates.h"
#include "data/Numbers.h"
#include "interface/Hud.h"
#include "interface/Statistics.h"
#include "context/GameStates.h"
#include "context/GameContext.h"
#include "sound/SoundUnit.h"

namespace vlm::combat {

namespace {

constexpr double kRowX = -0.47;        // the ship's row
constexpr double kRespawnX = -0.72;    // where a new ship enters from below
constexpr double kRowEdge = 0.48;      // the row's ends
constexpr int32_t kLastLife = 20;      // the table of extra lives has 20 thresholds
const char* const kModels = "Data\\Models\\Player\\";

int SoundVolume100(const GameContext& ctx) { return int(data::RoundHalfEven(ctx.Options.SoundVolume * 100.0)); }

// The shields' opacity, kept within 0..1 (7 / 3 after a respawn would burn them into a white disc
// that hides the ship).
void SetSphereAlpha(TShipState& s, double alpha) {
  const float a = float(std::clamp(alpha, 0.0, 1.0));
  s.PlayerHitSphere->Material.FrontProperties.Diffuse.a = a;
  s.PlayerHitSphere2->Material.FrontProperties.Diffuse.a = a;
}

void ShowLoadError(GameContext& ctx, const std::exception& e) { ctx.Platform().ShowError("Velmora 2", e.what()); }

scene::TGLSphere* AddSphere(scene::TGLBaseSceneObject& parent, const char* name, float radius) {
  auto* s = parent.AddNewChild<scene::TGLSphere>();
  s->Name = name;
  s->Radius = radius;
  s->Slices = 24;
  s->Stacks = 12;
  auto& m = s->Material;
  // Faint energy shells: the bubble sprite carries the shield's look, the spheres add a shimmer
  // of the same picture as they spin.
  m.BlendingMode = scene::TBlendingMode::Additive;
  m.FrontProperties.Diffuse = {0.12f, 0.3f, 0.45f, 0.0f};
  m.FrontProperties.Emission = {0.0f, 0.0f, 0.0f, 1.0f};
  m.Texture.TextureMode = scene::TGLTextureMode::Modulate;
  m.Texture.MinFilter = scene::TGLMinFilter::Linear;
  m.Texture.Disabled = false;
  return s;
}

// The ship's textures: skins and reflection in ModelsLibrary, the weapon sprites in WeaponsLibrary.
void DefineMaterials(GameContext& ctx) {
  for (const char* name : {"PlayerTex", "ABVtex"}) {
    scene::TGLLibMaterial* m = ctx.ModelsLibrary.AddTextureMaterial(name);
    m->Material.FrontProperties.Diffuse = {1.0f, 1.0f, 1.0f, 1.0f};
    m->Material.FrontProperties.Ambient = {0.45f, 0.45f, 0.5f, 1.0f};
    m->Material.FrontProperties.Specular = {0.6f, 0.6f, 0.6f, 1.0f};
    m->Material.FrontProperties.Shininess = 48.0f;
    m->Texture2Name = "ReflectionTex1";
    m->Material.Texture.MinFilter = scene::TGLMinFilter::Linear;
  }
  for (int n = 1; n <= 6; ++n) {
    // Image holders only: the ship shows them through "PlayerTex".
    ctx.ModelsLibrary.AddTextureMaterial("PlayerTex" + std::to_string(n))->Material.Texture.MinFilter =
        scene::TGLMinFilter::Linear;
    ctx.InterFaceLibrary.AddTextureMaterial("PlayerSkin" + std::to_string(n))->Material.BlendingMode =
        scene::TBlendingMode::Transparency;
  }
  scene::TGLLibMaterial* refl = ctx.ModelsLibrary.AddTextureMaterial("ReflectionTex1");
  refl->Material.Texture.MappingMode = scene::TGLTextureMappingMode::Sphere;

  for (const char* name : {"PlayerClip1", "PlayerClip2", "PlayerClip3", "PlayerRocket1", "PlayerRocket2",
                           "PlayerRocket3", "PlayerShootFx", "PlayerClipExplosionParticle", "PlayerShield"}) {
    scene::TGLLibMaterial* m = ctx.WeaponsLibrary.AddTextureMaterial(name);
    m->Material.BlendingMode = scene::TBlendingMode::Additive;
    m->Material.FrontProperties.Diffuse = {1.0f, 1.0f, 1.0f, 1.0f};
    m->Material.FrontProperties.Emission = {1.0f, 1.0f, 1.0f, 1.0f};
    m->Material.Texture.TextureMode = scene::TGLTextureMode::Modulate;
    m->Material.Texture.MinFilter = scene::TGLMinFilter::Linear;
  }
  ctx.WeaponsLibrary.LibMaterialByName("PlayerShootFx")->Material.FrontProperties.Diffuse.a = 0.0f;
}

}  // namespace

int32_t MaxArmorForLevel(int32_t armorLevel) { return 25 * std::clamp(armorLevel, 0, 8); }

void CreatePlayerLayout(GameContext& ctx) {
  TLayout& L = ctx.L;
  TShipState& s = ctx.Ship;
  DefineMaterials(ctx);

  s.MainDummy2 = L.GLDummyCube2->AddNewChild<scene::TGLDummyCube>();
  s.MainDummy2->Name = "MainDummy2";
  s.MainDummy2->Scale = {6.0f, 0.1f, 8.0f};
  L.PlayerDummy->MoveTo(s.MainDummy2);
  L.PlayerDummy->Scale = {0.06f, 0.6f, 0.04f};
  L.PlayerDummy->Position = {float(kRowX), 0.0f, 0.0f};

  s.ParticlesDummy = L.GLDummyCube2->AddNewChild<scene::TGLDummyCube>();
  s.ParticlesDummy->Name = "ParticlesDummy";
  s.ParticlesDummy->Scale = {6.0f, 0.1f, 8.0f};

  // The hull banks (pitch about its nose axis); guns and armour sit on it.
  s.PlayerModel = L.PlayerDummy->AddNewChild<scene::TGLFreeForm>();
  s.PlayerModel->Name = "PlayerModel";
  s.PlayerModel->MaterialLibrary = &ctx.ModelsLibrary;
  s.PlayerModel->Material.SetLibMaterial(&ctx.ModelsLibrary, "PlayerTex");
  s.PlayerPrimaryWeapon = s.PlayerModel->AddNewChild<scene::TGLFreeForm>();
  s.PlayerPrimaryWeapon->Name = "PlayerPrimaryWeapon";
  s.PlayerPrimaryWeapon->MaterialLibrary = &ctx.ModelsLibrary;
  s.PlayerPrimaryWeapon->Material.SetLibMaterial(&ctx.ModelsLibrary, "PlayerTex");
  s.UpgradeBonusMesh = s.PlayerModel->AddNewChild<scene::TGLFreeForm>();
  s.UpgradeBonusMesh->Name = "UpgradeBonusMesh";
  s.UpgradeBonusMesh->MaterialLibrary = &ctx.ModelsLibrary;
  s.UpgradeBonusMesh->Material.SetLibMaterial(&ctx.ModelsLibrary, "ABVtex");

  // Muzzle flash ahead of the nose.
  s.PlayerShootFxSprite = L.PlayerDummy->AddNewChild<scene::TGLSprite>();
  s.PlayerShootFxSprite->Name = "PlayerShootFxSprite";
  s.PlayerShootFxSprite->Position = {1.35f, -0.2f, 0.0f};
  s.PlayerShootFxSprite->Scale = {1.3f, 1.0f, 0.8f};
  s.PlayerShootFxSprite->Material.SetLibMaterial(&ctx.WeaponsLibrary, "PlayerShootFx");
  s.PlayerShootFxSprite->NoZWrite = true;

  // The shields: two spheres spinning against each other; the second hides with the first.
  s.PlayerHitSphere = AddSphere(*L.PlayerDummy, "PlayerHitSphere", 1.45f);
  s.PlayerHitSphere->Visible = false;
  s.PlayerHitSphere2 = AddSphere(*s.PlayerHitSphere, "PlayerHitSphere2", 1.3f);
  // The bubble: a soft-rimmed disc facing the camera around the ship, shown and faded with the
  // shields (it does not spin with them, so it keeps its round shape).
  s.PlayerShieldSprite = L.PlayerDummy->AddNewChild<scene::TGLSprite>();
  s.PlayerShieldSprite->Name = "PlayerShieldSprite";
  s.PlayerShieldSprite->Visible = false;
  s.PlayerShieldSprite->SetSize(2.9f, 2.9f);
  s.PlayerShieldSprite->Position = {0.0f, -0.5f, 0.0f};
  s.PlayerShieldSprite->Material.SetLibMaterial(&ctx.WeaponsLibrary, "PlayerShield");
  s.PlayerShieldSprite->NoZWrite = true;
  s.PlayerShieldSprite->Pickable = false;

  s.PlayerAnimatedExplosion = L.PlayerDummy->AddNewChild<scene::TGLAnimatedSprite>();
  s.PlayerAnimatedExplosion->Name = "PlayerAnimatedExplosion";
  s.PlayerAnimatedExplosion->Visible = false;
  s.PlayerAnimatedExplosion->MaterialLibrary = &ctx.ExplosionLibrary;
  s.PlayerAnimatedExplosion->PixelRatio = 60.0f;
  s.PlayerAnimatedExplosion->Position = {0.0f, -0.3f, 0.0f};
  s.PlayerAnimatedExplosion->Scale = {0.5f, 1.0f, 0.6f};
  {
    scene::TSpriteAnimation& a = s.PlayerAnimatedExplosion->AddAnimation();
    a.Name = "hit";
    a.StartFrame = 0;
    a.EndFrame = 15;
    a.FrameWidth = 240;
    a.FrameHeight = 180;
    a.LibMaterialName = "exp1";
    a.SetFrameRate(25.0f);
  }

  s.Bonus5Sprite = L.PlayerDummy->AddNewChild<scene::TGLAnimatedSprite>();
  s.Bonus5Sprite->Name = "Bonus5Sprite";
  s.Bonus5Sprite->Visible = false;
  s.Bonus5Sprite->MaterialLibrary = &ctx.BonusMaterialLibrary;
  s.Bonus5Sprite->PixelRatio = 60.0f;
  s.Bonus5Sprite->Scale = {0.4f, 1.0f, 0.5f};
  s.Bonus5Sprite->AnimationMode = scene::TSpriteAnimationMode::Loop;
  {
    scene::TSpriteAnimation& a = s.Bonus5Sprite->AddAnimation();
    a.Name = "satellite";
    a.StartFrame = 0;
    a.EndFrame = 10;
    a.FrameWidth = 50;
    a.FrameHeight = 50;
    a.LibMaterialName = "bonus5.bmp";
    a.Interval = 75;
  }
  s.Bonus5Sprite->SetAnimationIndex(0);

  CreateWeaponLooks(ctx, s.Weapons);
}

void LoadPlayerTextures(GameContext& ctx) {
  auto load = [&ctx](scene::TGLMaterialLibrary& lib, const std::string& material, const std::string& file) {
    try {
      lib.LoadTexture(material, file);
    } catch (const std::exception& e) {
      ShowLoadError(ctx, e);
    }
  };
  for (int n = 1; n <= 6; ++n) {
    const std::string file = "Data\\Textures\\Player\\Skin\\Skin" + std::to_string(n) + ".jpg";
    load(ctx.ModelsLibrary, "PlayerTex" + std::to_string(n), file);
    load(ctx.InterFaceLibrary, "PlayerSkin" + std::to_string(n), file);
  }
  load(ctx.ModelsLibrary, "ReflectionTex1", "Data\\Textures\\Player\\Reflection.jpg");
  for (size_t i = 0; i < ctx.WeaponsLibrary.Count(); ++i) {
    scene::TGLLibMaterial* m = ctx.WeaponsLibrary.Material(i);
    load(ctx.WeaponsLibrary, m->Name(), "Data\\Textures\\Weapons\\" + m->Name() + ".bmp");
  }
  // The shields shimmer with the bubble's picture.
  if (scene::TGLLibMaterial* shield = ctx.WeaponsLibrary.LibMaterialByName("PlayerShield"))
    for (scene::TGLSphere* sphere : {ctx.Ship.PlayerHitSphere, ctx.Ship.PlayerHitSphere2})
      if (sphere) sphere->Material.Texture.AssignImage(shield->Material.Texture);
  // The game-over picture is glowing letters on black: drawn additively, the black adds nothing
  // and the play field stays in view around the letters.
  if (scene::TGLLibMaterial* gom = ctx.InterFaceLibrary.LibMaterialByName("gom"))
    gom->Material.BlendingMode = scene::TBlendingMode::Additive;
  // The ship in its new-game looks; the level start loads it again for the ship being flown.
  LoadShipMeshes(ctx);
}

void ResetPlayerForNewGame(GameContext& ctx) {
  data::TPlayer& p = ctx.Player;
  p.Scores = 0;
  p.ShownScore = 0.0;
  p.Health = 100.0;
  p.MaxHealth = 100.0;
  p.Skins = 6;
  p.PreviousSkins = 1;
  p.CurrentSkin = 1;
  p.PrimaryLevel = 1;
  p.MegaLevel = 0;
  p.AutoaimLevel = 0;
  p.Rockets = 6;
  p.UpgradePoints = 0;
  p.ShieldSeconds = p.SatelliteSeconds = p.DoubleDamageSeconds = p.BurnShotSeconds = p.FreezeShotSeconds = 0;
  p.SlowMotionSeconds = 0;
  p.ArmorLevel = p.RegenLevel = p.BonusStrengthLevel = p.TimeFreezeLevel = 0;
  p.RocketLevel = 1;
  p.RocketTimer = 0.085;
  p.RocketInterval = 0.085;
  p.RocketStartSpeed = 0.2;
  p.RocketAcceleration = 0.45;
  p.RocketBaseDamage = 12;
  p.HitShieldSeconds = 0;
  ApplyWeaponSettings(ctx);
  p.Armor = MaxArmorForLevel(p.ArmorLevel);
}

levels::TShipConfig CurrentShipConfig(const GameContext& ctx) {
  const data::TPlayer& p = ctx.Player;
  levels::TShipConfig c;
  c.CurrentSkin = p.CurrentSkin;
  c.PrimaryLevel = p.PrimaryLevel;
  c.MegaLevel = p.MegaLevel;
  c.AutoaimLevel = p.AutoaimLevel;
  c.RocketLevel = p.RocketLevel;
  c.ArmorLevel = p.ArmorLevel;
  c.RegenLevel = p.RegenLevel;
  c.BonusStrengthLevel = p.BonusStrengthLevel;
  c.TimeFreezeOwned = p.TimeFreezeLevel != 0;
  c.Rockets = p.Rockets;
  return c;
}

void ApplyShipConfig(GameContext& ctx, const levels::TShipConfig& c) {
  data::TPlayer& p = ctx.Player;
  // A code holds two digits per field; levels are kept within what the game can show.
  p.CurrentSkin = std::clamp(c.CurrentSkin, 1, 6);
  p.PrimaryLevel = uint8_t(std::clamp(c.PrimaryLevel, 0, 4));
  p.MegaLevel = uint8_t(std::clamp(c.MegaLevel, 0, 4));
  p.AutoaimLevel = uint8_t(std::clamp(c.AutoaimLevel, 0, 4));
  p.RocketLevel = uint8_t(std::clamp(c.RocketLevel, 0, 3));
  p.ArmorLevel = uint8_t(std::clamp(c.ArmorLevel, 0, 8));
  p.RegenLevel = uint8_t(std::clamp(c.RegenLevel, 0, 3));
  p.BonusStrengthLevel = uint8_t(std::clamp(c.BonusStrengthLevel, 0, 5));
  p.TimeFreezeLevel = c.TimeFreezeOwned ? 1 : 0;
  p.Rockets = c.Rockets;
  ApplyWeaponSettings(ctx);
  p.Armor = MaxArmorForLevel(p.ArmorLevel);
}

void ApplySkin(GameContext& ctx) {
  const data::TPlayer& p = ctx.Player;
  if (const scene::TGLLibMaterial* skin =
          ctx.ModelsLibrary.LibMaterialByName("PlayerTex" + std::to_string(std::clamp(p.CurrentSkin, 1, 6)))) {
    for (const char* name : {"PlayerTex", "ABVtex"})
      if (scene::TGLLibMaterial* m = ctx.ModelsLibrary.LibMaterialByName(name)) {
        if (skin->Material.Texture.HasImage()) m->Material.Texture.AssignImage(skin->Material.Texture);
        m->Material.Texture.Disabled = !skin->Material.Texture.HasImage();
      }
  }
}

namespace {

// Loads a mesh into the ship in play and gives the shop's ship the same one. A failed load
// leaves both as they were (they always show the same mesh).
void LoadPart(GameContext& ctx, scene::TGLFreeForm* inGame, scene::TGLFreeForm* inShop, const std::string& file) {
  try {
    inGame->LoadFromFile(file);
  } catch (const std::exception& e) {
    ShowLoadError(ctx, e);
  }
  if (inShop) inShop->SetMesh(inGame->Mesh);
}

}  // namespace

void LoadWeaponModel(GameContext& ctx) {
  const data::TPlayer& p = ctx.Player;
  const int guns = p.PrimaryLevel + p.MegaLevel + p.AutoaimLevel;
  LoadPart(ctx, ctx.Ship.PlayerPrimaryWeapon, ctx.Ship.ShopPlayerPrimaryWeapon,
           std::string(kModels) + "pw" + std::to_string(guns) + ".3ds");
}

void LoadArmourModel(GameContext& ctx) {
  LoadPart(ctx, ctx.Ship.UpgradeBonusMesh, ctx.Ship.ShopUpgradeBonusMesh,
           std::string(kModels) + "abv" + std::to_string(ctx.Player.ArmorLevel) + ".3ds");
}

void ApplyShipModels(GameContext& ctx) {
  ApplySkin(ctx);
  LoadWeaponModel(ctx);
  LoadArmourModel(ctx);
}

void LoadShipMeshes(GameContext& ctx) {
  LoadPart(ctx, ctx.Ship.PlayerModel, ctx.Ship.ShopPlayerModel, std::string(kModels) + "1Player4.3DS");
  ApplyShipModels(ctx);
}

void CheckExtraLife(GameContext& ctx) {
  data::TPlayer& p = ctx.Player;
  if (p.BonusLifeIndex < 1) p.BonusLifeIndex = 1;
  // Index 21 means every threshold has given its life; there is nothing past the table.
  if (p.BonusLifeIndex > kLastLife) return;
  const int64_t threshold = interface::BonusLifeThreshold(p.BonusLifeIndex);
  if (threshold > 0 && p.Scores >= threshold) {
    p.Lifes += 1;
    p.BonusLifeIndex += 1;
  }
}

void HitPlayer(GameContext& ctx, double damage, double shotX, double shotZ) {
  data::TPlayer& p = ctx.Player;
  TShipState& s = ctx.Ship;
  // Shielded: the shot is only removed.
  if (p.ShieldSeconds > 0 || p.HitShieldSeconds > 0) return;
  // The hit is heard from where the shot struck and seen as a small blast on the hull.
  PlaySound("explosion1", int(data::RoundHalfEven((85.0 - 25.0 * shotX) * ctx.Options.SoundVolume)),
            -int(data::RoundHalfEven(shotZ * 1000.0)));
  s.PlayerAnimatedExplosion->Visible = true;
  s.PlayerAnimatedExplosion->SetAnimationIndex(0);
  s.PlayerAnimatedExplosion->Animations[0].CurrentFrame = 0;
  s.PlayerAnimatedExplosion->AnimationMode = scene::TSpriteAnimationMode::PlayOnce;
  ctx.HitShakeTicks = 4;
  ctx.L.PlayerHitBlur->Visible = true;
  SetMaterialAlpha(*ctx.L.PlayerHitBlur, 1.0f);
  p.HitShieldSeconds = 3;
  s.PlayerHitSphere->Visible = true;
  SetSphereAlpha(s, p.HitShieldSeconds / 3.0);
  // Armour first.
  if (p.Armor > 0) {
    const double rest = std::max(damage - p.Armor, 0.0);
    p.Armor = std::max(0, int32_t(std::lround(p.Armor - damage + rest)));
    damage = rest;
  }
  // What the armour did not take comes off the health; none left is death.
  if (p.Health - damage > 0.0)
    p.Health -= damage;
  else
    KillPlayer(ctx);
}

void KillPlayer(GameContext& ctx) {
  data::TPlayer& p = ctx.Player;
  TShipState& s = ctx.Ship;
  scene::TGLDummyCube& ship = *ctx.L.PlayerDummy;
  // A life is lost, and every running bonus with it.
  PlaySound("explosion4", SoundVolume100(ctx), 0);
  p.Lifes -= 1;
  p.ShieldSeconds = p.SatelliteSeconds = p.DoubleDamageSeconds = p.BurnShotSeconds = p.FreezeShotSeconds = 0;
  p.SlowMotionSeconds = 0;
  // The ship bursts: five explosions and twenty splinters around it.
  const double x = ship.Position.x, y = ship.Position.y, z = ship.Position.z;
  for (int i = 0; i < 5; ++i) {
    const double ez = z - 0.1 + 0.02 * ctx.Rng(10);
    const double ex = x - 0.1 + 0.02 * ctx.Rng(10);
    Explode(ctx, "exp1", ez, ex, y - 0.001 - ctx.Aftermath.LiveExplosions / 50.0, 0.14, 0.16);
  }
  for (int i = 0; i < 20; ++i) {
    const double sz = z - 0.1 + 0.02 * ctx.Rng(10);
    const double sx = x - 0.1 + 0.02 * ctx.Rng(10);
    Splinter(ctx, 1, sx, sz);
  }
  ship.Position.z = 0.0f;
  ship.Position.x = float(kRespawnX);
  if (p.Lifes < 1) {
    // Game over: the message grows in the player frame, then the game ends.
    p.Health = 0.0;
    ctx.HitShakeTicks = 0;
    scene::TGLHUDSprite& gom = *ctx.L.GomSprite;
    gom.Visible = true;
    gom.Scale.x = gom.Scale.z = 0.0f;
    gom.AlphaChannel = 0.0f;
    gom.Width = gom.Height = 0.0f;
    PlaySound("gameover", SoundVolume100(ctx), 0);
    return;
  }
  // Respawn below the row, repaired, with half armour and seven seconds of shield.
  p.Health = 100.0;
  p.Armor = MaxArmorForLevel(p.ArmorLevel) / 2;
  ctx.HitShakeTicks = 4;
  ctx.L.PlayerHitBlur->Visible = true;
  SetMaterialAlpha(*ctx.L.PlayerHitBlur, 1.0f);
  p.HitShieldSeconds = 7;
  s.PlayerHitSphere->Visible = true;
  SetSphereAlpha(s, 7.0 / 3.0);
}

void EndGame(GameContext& ctx) {
  // The way back to the menu reloads the profile's slots from its file first.
  ShowTopRanksAfterGame(ctx);
}

void PlayerSecondTick(GameContext& ctx) {
  data::TPlayer& p = ctx.Player;
  TShipState& s = ctx.Ship;
  if (p.HitShieldSeconds > 0) {
    --p.HitShieldSeconds;
    SetSphereAlpha(s, p.HitShieldSeconds / 5.0);
    if (p.ShieldSeconds <= 0 && p.HitShieldSeconds == 0) s.PlayerHitSphere->Visible = false;
  }
  if (p.ShieldSeconds > 0) {
    --p.ShieldSeconds;
    SetSphereAlpha(s, p.ShieldSeconds / 10.0);
    if (p.ShieldSeconds == 0) s.PlayerHitSphere->Visible = false;
  }
}

void PlayerFrame(GameContext& ctx) {
  data::TPlayer& p = ctx.Player;
  TShipState& s = ctx.Ship;
  TLayout& L = ctx.L;
  scene::TGLDummyCube& ship = *L.PlayerDummy;
  scene::TGLHUDSprite& gom = *L.GomSprite;
  const double dt = ctx.DeltaTime * ctx.TimeScale;
  const bool game = ctx.GameState == "game";

  // The game-over message grows while the music fades; or the ship rises to its row. Only a
  // death shows the message: a record without lives that never died is no game over.
  if (game) {
    if (p.Lifes < 1 && gom.Visible) {
      if (gom.Scale.z < 1.1f) {
        gom.Scale.z += float(ctx.DeltaTime * 0.11);
        gom.Scale.x = gom.Scale.z;
        gom.AlphaChannel = std::min(gom.Scale.z, 1.0f);
        gom.Width = 512.0f * gom.Scale.x * float(ctx.ViewportWidth) / 1024.0f;
        gom.Height = 256.0f * gom.Scale.z * float(ctx.ViewportHeight) / 768.0f;
        SetMusicVolume(
            int(data::RoundHalfEven(ctx.Options.MusicVolume * 100.0 - (double(gom.Scale.z) - 0.1) * 150.0)));
      } else {
        ctx.HitShakeTicks = 0;
        gom.Visible = false;
        L.PlayerHitBlur->Visible = false;
        EndGame(ctx);
        return;
      }
    } else if (ship.Position.x < kRowX) {
      ship.Position.x += float(ctx.DeltaTime * 0.1 * ctx.TimeScale);
    } else {
      ship.Position.x = float(kRowX);
    }
  }
  interface::SetLifesText(ctx);
  // Regeneration: 0.5, 1 or 1.5 health a second.
  if (game && !gom.Visible && p.RegenLevel > 0) {
    if (p.Health >= 100.0)
      p.Health = 100.0;
    else
      p.Health += ctx.DeltaTime * p.RegenLevel / 2.0;
  }
  // The satellite circles ahead of the ship.
  if (s.BonusOrbitAngle < 6.28)
    s.BonusOrbitAngle += ctx.DeltaTime * 5.0;
  else
    s.BonusOrbitAngle = 0.0;
  s.Bonus5Sprite->Position.x = float(0.5 + std::sin(s.BonusOrbitAngle));
  s.Bonus5Sprite->Position.z = float(std::sin(s.BonusOrbitAngle + M_PI / 2.0));
  // Banking and steering by the mouse device.
  const double r = ctx.DeltaTime * 20.0;
  const int32_t dx = ctx.MouseDevice.DeltaX;
  double pitch = s.PlayerModel->GetPitchAngle();
  if (dx == 0 && std::fabs(pitch) > 0.5) {
    const double back = (25.0 - std::fabs(pitch) / 2.0) * r * 0.5;
    pitch += pitch > 0.0 ? -back : back;
  }
  if (game && std::fabs(ship.Position.x - kRowX) < 0.05 && dx != 0) {
    const double step = -dx * ctx.Options.MouseSpeed / 1000.0;
    const double bank = 20.0 - std::fabs(pitch) / 2.0;
    double z = ship.Position.z;
    if (dx < 0 && z < kRowEdge) {  // moved left
      if (pitch < 35.0) {
        if (pitch + bank * r * 5.0 >= 30.0)
          pitch = 35.0;
        else
          pitch += bank * r * 2.0;
      }
      z = z + step < kRowEdge ? z + step : kRowEdge;
    } else if (dx > 0 && z > -kRowEdge) {  // moved right
      if (pitch > -35.0) {
        if (pitch - bank * r * 5.0 <= -30.0)
          pitch = -35.0;
        else
          pitch -= bank * r * 2.0;
      }
      z = z + step <= -kRowEdge ? -kRowEdge : z + step;
    }
    ship.Position.z = float(z);
  }
  s.PlayerModel->SetPitchAngle(float(pitch));
  // The guns and the rockets.
  if (game) FireWeapons(ctx, dt);
  // Off the row: back to the middle.
  if (std::fabs(ship.Position.z) > kRowEdge) {
    ship.Position.z = 0.0f;
    ship.Position.x = 0.0f;
    ship.SetPitchAngle(0.0f);
  }
  // The recoil eases back.
  scene::TGLFreeForm& gun = *s.PlayerPrimaryWeapon;
  if (gun.Position.x < 0.0f)
    gun.Position.x += float(dt);
  else
    gun.Position.x = 0.0f;
  // The shields spin against each other; the bubble shows and fades with them.
  s.PlayerShieldSprite->Visible = s.PlayerHitSphere->Visible;
  {
    const float a = std::clamp(s.PlayerHitSphere->Material.FrontProperties.Diffuse.a, 0.0f, 1.0f);
    s.PlayerHitSphere->Material.FrontProperties.Diffuse.a = a;
    s.PlayerHitSphere2->Material.FrontProperties.Diffuse.a = a;
    // A shimmer: the bubble breathes a little while it holds.
    s.PlayerShieldSprite->AlphaChannel = a * float(0.85 + 0.15 * std::sin(ctx.FrameTime * 9.0));
  }
  if (s.PlayerHitSphere->Visible) {
    const float a = float(25.0 * ctx.DeltaTime);
    s.PlayerHitSphere->SetPitchAngle(s.PlayerHitSphere->GetPitchAngle() + a);
    s.PlayerHitSphere->SetRollAngle(s.PlayerHitSphere->GetRollAngle() + a);
    s.PlayerHitSphere2->SetPitchAngle(s.PlayerHitSphere2->GetPitchAngle() - a);
    s.PlayerHitSphere2->SetRollAngle(s.PlayerHitSphere2->GetRollAngle() - a);
  }
  // The hit explosion hides once it has played.
  if (s.PlayerAnimatedExplosion->Visible) {
    const scene::TSpriteAnimation& a = s.PlayerAnimatedExplosion->Animations[0];
    if (a.CurrentFrame >= a.EndFrame) s.PlayerAnimatedExplosion->Visible = false;
  }
  // The reflection slides over the hull.
  if (scene::TGLLibMaterial* refl = ctx.ModelsLibrary.LibMaterialByName("ReflectionTex1"))
    refl->Material.TextureOffset.y += float(dt * 0.04);
  // Slow motion also slows the world, down to half speed (in play only: the warps of the
  // fly-in and fly-out own TimeScale).
  if (game && p.SlowMotionSeconds > 0 && ctx.TimeScale > 0.5)
    ctx.TimeScale = std::max(0.5, ctx.TimeScale - ctx.DeltaTime);
}

}  // namespace vlm::combat
