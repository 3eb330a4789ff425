#include "combat/Bonuses.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "combat/Explosions.h"
#include "combat/Player.h"
#include "combat/Weapons.h"
#include "data/Numbers.h"
#include "context/GameContext.h"
#include "sound/SoundUnit.h"

namespace vlm::combat {

namespace {

// By BonusStrengthLevel; the shop sells levels 0 to 5, the tables run to 8.
constexpr std::array<double, 9> kHealthFraction = {0.2, 0.25, 0.3, 0.35, 0.4, 0.45, 0.5, 0.55, 0.6};
constexpr std::array<double, 9> kArmorFraction = {0.25, 0.3, 0.35, 0.4, 0.45, 0.5, 0.6, 0.65, 0.7};
constexpr std::array<double, 9> kDurationFactor = {0, 0.125, 0.25, 0.375, 0.5, 0.625, 0.75, 0.875, 1.0};

// Capsule size factor by kind 1 to 12: the two rocket barrages are bigger.
double CapsuleFactor(int32_t kind) { return kind == kBonusRocketWall ? 0.23 : kind == kBonusRocketFan ? 0.2 : 0.15; }

size_t LevelIndex(int32_t level) { return size_t(std::clamp(level, 0, 8)); }

int SoundVolume(const GameContext& ctx) { return int(data::RoundHalfEven(ctx.Options.SoundVolume * 100.0)); }

constexpr const char* kBonusSounds[13] = {"",       "bonus1", "bonus2", "bonus3",  "bonus4",  "bonus5", "bonus6",
                                          "bonus7", "bonus8", "bonus9", "bonus10", "bonus11", "bonus12"};
constexpr const char* kCapsuleMaterials[13] = {"",           "bonus1.bmp",  "bonus2.bmp",  "bonus3.bmp", "bonus4.bmp",
                                               "bonus5.bmp", "bonus6.bmp",  "bonus7.bmp",  "bonus8.bmp", "bonus9.bmp",
                                               "bonus10.bmp", "bonus11.bmp", "bonus12.bmp"};
constexpr const char* IconMaterial(int32_t kind) {
  switch (kind) {
    case 4: return "bonus4border.bmp";
    case 5: return "bonus5border.bmp";
    case 9: return "bonus9border.bmp";
    case 10: return "bonus10border.bmp";
    case 11: return "bonus11border.bmp";
    case 12: return "bonus12border.bmp";
    default: return "";
  }
}

void SetSphereAlpha(scene::TGLSphere* sphere, float alpha) {
  // An opacity above 1 would burn the shield into a white disc over the ship.
  if (sphere) sphere->Material.EffectiveForEdit().FrontProperties.Diffuse.a = std::clamp(alpha, 0.0f, 1.0f);
}

// The shot colours exclude each other: taking one ends the other two (their icon is reused).
void TakeShotColour(GameContext& ctx, int32_t& mine, int32_t& other1, int32_t& other2, int32_t duration) {
  const bool running = mine > 0 || other1 > 0 || other2 > 0;
  other1 = 0;
  other2 = 0;
  mine += duration;
  if (!running) ShowBonusIcon(ctx, mine, kBonusDoubleDamage);
}

// Bonus rockets start below the screen and climb; the wall flies straight, the fan fans out
// toward the top of the screen.
void RocketWall(GameContext& ctx) {
  for (int i = 1; i <= 7; ++i) {
    TRocketParams r;
    r.TrailType = 0;
    r.X = -0.5 - 0.05 * i;
    r.Z = 1.0 / (5 + ctx.Rng(5)) + 0.5 - 0.15 * i;
    r.Speed = 0.1;
    r.Acceleration = 0.35;
    MakePlayerRocket(ctx, r);
  }
}

void RocketFan(GameContext& ctx) {
  const glm::vec3 ship = ctx.L.PlayerDummy->Position;
  for (int i = 1; i <= 5; ++i) {
    TRocketParams r;
    r.TrailType = 1;
    r.X = -0.3 - 0.05 * i;
    r.Z = ship.z;
    r.Aimed = true;
    r.AimX = ship.x + 1.0;
    r.AimZ = 1.0 / (5 + ctx.Rng(5)) + 0.5 - 0.15 * i;
    r.Speed = 0.1;
    r.Acceleration = 0.35 + 1.0 / (50 + ctx.Rng(50));
    MakePlayerRocket(ctx, r);
  }
}

}  // namespace

int32_t BonusDuration(int32_t level) {
  return int32_t(data::RoundHalfEven(kDurationFactor[LevelIndex(level)] * 10.0 + 10.0));
}
double BonusHealthFraction(int32_t level) { return kHealthFraction[LevelIndex(level)]; }
double BonusArmorFraction(int32_t level) { return kArmorFraction[LevelIndex(level)]; }

float BonusIconSlotY(const GameContext& ctx, int slot) {
  return float((100.0 + 50.0 * slot) * ctx.ViewportHeight / 768.0);
}

void LoadBonusTextures(GameContext& ctx) {
  for (size_t i = 0; i < ctx.BonusMaterialLibrary.Count(); ++i) {
    const std::string name = ctx.BonusMaterialLibrary.Material(i)->Name();
    try {
      ctx.BonusMaterialLibrary.LoadTexture(name, "Data\\Textures\\Bonuses\\" + name);
    } catch (const std::exception& e) {
      ctx.Platform().ShowError("Velmora 2", e.what());  // names the file; the rest still load
    }
  }
}

// ---------------------------------------------------------------- choosing and dropping

int32_t ChooseBonus(GameContext& ctx, bool follower) {
  if (follower) {
    static constexpr int32_t kFollowerBonuses[6] = {2, 3, 6, 9, 10, 11};
    return kFollowerBonuses[ctx.Rng(6)];
  }
  for (int32_t i = 1; i <= 12; ++i) {
    const int32_t r = ctx.Rng(200);
    if (r > 0 && r < ctx.Level.BonusDropChances[size_t(i - 1)]) {
      if (i == kBonusArmor && ctx.Player.ArmorLevel == 0) return 0;
      return i;
    }
  }
  return 0;
}

TBonusSprite* DropBonus(GameContext& ctx, int32_t type, double sizeX, double sizeZ, double x, double z) {
  if (type < 1 || type > 12) return nullptr;
  TAftermathState& s = ctx.Aftermath;
  ++ctx.Hud.LevelStats.BonusesTotal;
  scene::TGLBaseSceneObject& field = MainDummy(ctx);
  auto* b = field.AddNewChild<TBonusSprite>(ctx);
  b->Kind = type;
  b->Position.y = float(s.LiveBonuses * 0.001 + 0.5);

  auto* sp = field.AddNewChild<scene::TGLAnimatedSprite>();
  scene::TSpriteAnimation& a = sp->AddAnimation();
  a.StartFrame = 0;
  a.EndFrame = 10;
  a.FrameWidth = 50;
  a.FrameHeight = 50;
  a.Interval = 75;
  a.LibMaterialName = kCapsuleMaterials[type];
  sp->MaterialLibrary = &ctx.BonusMaterialLibrary;
  sp->SetAnimationIndex(0);
  b->Animation = 0;
  sp->AnimationMode = scene::TSpriteAnimationMode::Loop;
  sp->SetFrameRate(100.0f);
  sp->Interval = 5;
  sp->PixelRatio = 60.0f;
  sp->Position = {float(x), float(-s.LiveBonuses * 0.001 - s.LiveExplosions * 0.01), float(z)};
  const double f = 1.0 + CapsuleFactor(type);
  sp->Scale.z = float(sizeZ * f);
  sp->Scale.x = float(sizeX * f);
  b->Sprite = sp;
  ++s.LiveBonuses;
  return b;
}

// ---------------------------------------------------------------- the capsule

void TBonusSprite::Destroy() {
  if (Sprite) Sprite->Free();
  Sprite = nullptr;
  Free();
}

void TBonusSprite::DoProgress(double deltaTime, double newTime) {
  TGLPolygon::DoProgress(deltaTime, newTime);
  if (IsFreedSelf()) return;
  TAftermathState& s = ctx_.Aftermath;
  if (LeavingLevel(ctx_)) {
    s.LiveBonuses = 0;
    Destroy();
    return;
  }
  if (ctx_.GameState == "game") {
    // Drifts at frame speed: slow motion does not hold a capsule back.
    Sprite->Position.x -= float(0.14 * ctx_.DeltaTime);
    const glm::vec3& p = ctx_.L.PlayerDummy->Position;
    const glm::vec3& c = Sprite->Position;
    if (p.x - 0.06f < c.x && c.x < p.x + 0.06f && p.z - 0.04f < c.z && c.z < p.z + 0.04f &&
        !ctx_.L.GomSprite->Visible) {
      Take();
      return;
    }
  }
  if (Sprite->Position.x < -0.7f) {
    --s.LiveBonuses;
    Destroy();
  }
}

void TBonusSprite::Take() {
  ++ctx_.Hud.LevelStats.BonusesTaken;
  PlaySound(kBonusSounds[Kind], SoundVolume(ctx_), -int(data::RoundHalfEven(Sprite->Position.z * 1000.0)));
  const bool noArmor = Kind == kBonusArmor && ctx_.Player.ArmorLevel == 0;
  ApplyBonus(ctx_, Kind);
  if (Kind != kBonusRocketWall && Kind != kBonusRocketFan && !noArmor)
    for (int i = 0; i < 3; ++i) Splinter(ctx_, 5, Sprite->Position.x + 0.06, Sprite->Position.z);
  --ctx_.Aftermath.LiveBonuses;
  Destroy();
}

// ---------------------------------------------------------------- effects

void ApplyBonus(GameContext& ctx, int32_t type) {
  data::TPlayer& p = ctx.Player;
  const int32_t L = p.BonusStrengthLevel;
  const int32_t duration = BonusDuration(L);
  switch (type) {
    case kBonusScore:
      p.Scores += p.SatelliteSeconds >= 1 ? 200 : 100;
      CheckExtraLife(ctx);
      break;
    case kBonusHealth:
      p.Health = std::min(100.0, p.Health + double(data::RoundHalfEven(kHealthFraction[LevelIndex(L)] * 100.0)));
      break;
    case kBonusArmor:
      if (p.ArmorLevel > 0) {
        const int32_t maxArmor = MaxArmorForLevel(p.ArmorLevel);
        const int32_t add = int32_t(data::RoundHalfEven(maxArmor * kArmorFraction[LevelIndex(L)])) + 5;
        p.Armor = std::min(maxArmor, p.Armor + add);
      }
      break;
    case kBonusShield: {
      const bool wasOff = p.ShieldSeconds < 1;
      p.ShieldSeconds += duration;
      if (ctx.Ship.PlayerHitSphere) ctx.Ship.PlayerHitSphere->Visible = true;
      SetSphereAlpha(ctx.Ship.PlayerHitSphere, float(p.ShieldSeconds / 10.0));
      SetSphereAlpha(ctx.Ship.PlayerHitSphere2, float(p.ShieldSeconds / 10.0));
      if (wasOff) ShowBonusIcon(ctx, p.ShieldSeconds, kBonusShield);
      break;
    }
    case kBonusSatellite: {
      if (ctx.Ship.Bonus5Sprite) ctx.Ship.Bonus5Sprite->Visible = true;
      const bool wasOff = p.SatelliteSeconds < 1;
      p.SatelliteSeconds += duration;
      if (wasOff) ShowBonusIcon(ctx, p.SatelliteSeconds, kBonusSatellite);
      break;
    }
    case kBonusRockets:
      p.Rockets += 4;
      break;
    case kBonusRocketWall:
      RocketWall(ctx);
      break;
    case kBonusRocketFan:
      RocketFan(ctx);
      break;
    case kBonusDoubleDamage:
      TakeShotColour(ctx, p.DoubleDamageSeconds, p.BurnShotSeconds, p.FreezeShotSeconds, duration);
      break;
    case kBonusBurnShot:
      TakeShotColour(ctx, p.BurnShotSeconds, p.DoubleDamageSeconds, p.FreezeShotSeconds, duration);
      break;
    case kBonusFreezeShot:
      TakeShotColour(ctx, p.FreezeShotSeconds, p.DoubleDamageSeconds, p.BurnShotSeconds, duration);
      break;
    case kBonusSlowMotion: {
      const bool wasOff = p.SlowMotionSeconds < 1;
      p.SlowMotionSeconds += duration;
      if (wasOff) {
        ShowBonusIcon(ctx, p.SlowMotionSeconds, kBonusSlowMotion);
        SetMaterialAlpha(*ctx.L.SlowMotionBlur, 0.0f);
      }
      ctx.L.SlowMotionBlur->Visible = true;
      break;
    }
    default:
      break;
  }
}

void CountDownBonusTimers(GameContext& ctx) {
  data::TPlayer& p = ctx.Player;
  if (p.SatelliteSeconds > 0)
    --p.SatelliteSeconds;
  else if (ctx.Ship.Bonus5Sprite)
    ctx.Ship.Bonus5Sprite->Visible = false;
  for (int32_t* t : {&p.SlowMotionSeconds, &p.DoubleDamageSeconds, &p.BurnShotSeconds, &p.FreezeShotSeconds})
    if (*t > 0) --*t;
}

// ---------------------------------------------------------------- icons

TBonusInterFaceSprite* ShowBonusIcon(GameContext& ctx, int32_t seconds, int32_t kind) {
  TAftermathState& s = ctx.Aftermath;
  if (s.BonusIconCount >= kBonusIconSlots) return nullptr;  // every slot in use
  ++s.BonusIconCount;
  s.BonusIconKinds[s.BonusIconCount] = uint8_t(kind);

  const float sx = float(ctx.ViewportWidth) / 1024.0f, sy = float(ctx.ViewportHeight) / 768.0f;
  auto* icon = ctx.L.InterFaceDummyCube->AddNewChild<TBonusInterFaceSprite>(ctx);
  icon->Name = "BonusIcon";
  icon->Kind = kind;
  icon->Slot = s.BonusIconCount;
  icon->Material.SetLibMaterial(&ctx.BonusMaterialLibrary, IconMaterial(kind));
  icon->Width = 50.0f * sx;
  icon->Height = 50.0f * sy;
  icon->Pickable = false;

  auto* text = ctx.L.InterFaceDummyCube->AddNewChild<scene::TGLHUDText>();
  text->Name = "BonusIconText";
  text->BitmapFont = &ctx.GLBitmapFont1;
  text->Scale = {0.15f * sx, 0.3f * sy, 1.0f};
  text->Alignment = scene::TTextAlignment::Center;
  text->Pickable = false;
  text->Text = std::to_string(seconds);
  icon->Text = text;
  icon->Place(icon->Slot);
  return icon;
}

void TBonusInterFaceSprite::Place(int slot) {
  const float sx = float(ctx_.ViewportWidth) / 1024.0f, sy = float(ctx_.ViewportHeight) / 768.0f;
  const float y = BonusIconSlotY(ctx_, slot);
  Position = {980.0f * sx, y, 0.0f};
  if (Text) Text->Position = {(980.0f - 45.0f) * sx, y - 8.0f * sy, 0.0f};
}

void TBonusInterFaceSprite::Destroy() {
  if (Text) Text->Free();
  Text = nullptr;
  Free();
}

void TBonusInterFaceSprite::DoProgress(double deltaTime, double newTime) {
  TGLHUDSprite::DoProgress(deltaTime, newTime);
  if (IsFreedSelf()) return;
  TAftermathState& s = ctx_.Aftermath;
  if (ctx_.L.MainMenuDummy->Visible) {
    s.BonusIconKinds.fill(0);
    s.BonusIconCount = 0;
    Destroy();
    return;
  }
  for (int k = 1; k <= kBonusIconSlots; ++k)
    if (s.BonusIconKinds[size_t(k)] == Kind) {
      Slot = uint8_t(k);
      break;
    }
  Place(Slot);

  const data::TPlayer& p = ctx_.Player;
  int32_t seconds = 0, colour = Kind;
  switch (Kind) {
    case kBonusShield: seconds = p.ShieldSeconds; break;
    case kBonusSatellite: seconds = p.SatelliteSeconds; break;
    case kBonusSlowMotion: seconds = p.SlowMotionSeconds; break;
    case kBonusDoubleDamage:
      if (p.DoubleDamageSeconds >= 1) {
        seconds = p.DoubleDamageSeconds;
        colour = kBonusDoubleDamage;
      } else if (p.BurnShotSeconds >= 1) {
        seconds = p.BurnShotSeconds;
        colour = kBonusBurnShot;
      } else if (p.FreezeShotSeconds >= 1) {
        seconds = p.FreezeShotSeconds;
        colour = kBonusFreezeShot;
      }
      break;
    default: break;
  }
  if (seconds < 1) {
    // Runs out: the later icons move up one slot.
    if (Slot >= 1 && Slot <= kBonusIconSlots && s.BonusIconKinds[Slot] == Kind) {
      for (int k = Slot; k < kBonusIconSlots; ++k) s.BonusIconKinds[size_t(k)] = s.BonusIconKinds[size_t(k + 1)];
      s.BonusIconKinds[kBonusIconSlots] = 0;
      if (s.BonusIconCount > 0) --s.BonusIconCount;
    }
    Destroy();
    return;
  }
  if (colour != shownColour_) {
    Material.SetLibMaterialName(IconMaterial(colour));
    shownColour_ = colour;
  }
  if (seconds != shownSeconds_ && Text) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%d", int(seconds));
    Text->Text.assign(buf);
    shownSeconds_ = seconds;
  }
}

}  // namespace vlm::combat
