#include "combat/Weapons.h"

#include <cmath>
#include <string>

#include "combat/Enemies.h"
#include "combat/Explosions.h"
#include "combat/Player.h"
#include "data/Numbers.h"
#include "context/GameContext.h"
#include "sound/SoundUnit.h"

namespace vlm::combat {

namespace {

constexpr double kTopOfField = 0.7;   // shots and rockets above it are gone
constexpr glm::vec3 kUpY{0.0f, 1.0f, 0.0f};

struct TGunRow {
  double Interval, Damage;
};
// By gun (front, mega, autoaim) and level 1 to 4.
constexpr TGunRow kGunTable[3][4] = {
    {{0.05, 0.7}, {0.045, 0.5}, {0.045, 1.2}, {0.05, 1.1}},
    {{0.1, 0.8}, {0.09, 0.9}, {0.1, 1.4}, {0.092, 1.8}},
    {{0.1, 0.6}, {0.095, 0.8}, {0.09, 1.1}, {0.085, 1.4}},
};

struct TGunRef {
  uint8_t& Level;
  double& Interval;
  double& Timer;
  double& Damage;
};

TGunRef Gun(data::TPlayer& p, TGun g) {
  switch (g) {
    case TGun::Mega: return {p.MegaLevel, p.MegaInterval, p.MegaTimer, p.MegaDamage};
    case TGun::Autoaim: return {p.AutoaimLevel, p.AutoaimInterval, p.AutoaimTimer, p.AutoaimDamage};
    case TGun::Front: break;
  }
  return {p.PrimaryLevel, p.PrimaryInterval, p.PrimaryTimer, p.PrimaryDamage};
}

constexpr TGun kGuns[] = {TGun::Front, TGun::Mega, TGun::Autoaim};

bool Paused(const std::string& state) { return state == "pause" || state == "pausemenu" || state == "pm_options"; }

int SoundVolume100(const GameContext& ctx) { return int(data::RoundHalfEven(ctx.Options.SoundVolume * 100.0)); }
int ShipPan(const GameContext& ctx) { return -int(data::RoundHalfEven(ctx.L.PlayerDummy->Position.z * 1200.0)); }

// A shot or rocket that has left the field sideways or below will never reach the top.
bool OutOfField(const glm::vec3& p) { return std::fabs(p.z) > 1.0f || p.x < -1.0f; }

bool BoxActive(const TEnemyHitBox& b) { return b.XMax != 0.0 || b.ZMax != 0.0; }

scene::TGLParticleFXManager* TrailManager(TWeaponLooks& w, int32_t type, double& interval) {
  switch (type) {
    case 1: interval = 0.04; return w.PlayerClipsPFXManager_i1;
    case 2: interval = 0.05; return w.PlayerClipsPFXManager_i2;
    case 3: interval = 0.023; return w.PlayerClipsPFXManager_i3;
    case 9: interval = 0.025; return w.PFXR_bonus9;
    case 10: interval = 0.025; return w.PFXR_bonus10;
    case 11: interval = 0.025; return w.PFXR_bonus11;
    default: interval = 0.0; return nullptr;
  }
}

// The scene owns the manager and ages its particles every frame, so a trail fades behind its shot.
scene::TGLParticleFXManager* MakeTrail(GameContext& ctx, const char* name, scene::TColor inner, scene::TColor outer,
                                       float size, float life) {
  auto* m = ctx.Scene.AddParticleManager<scene::TGLPolygonPFXManager>(name, 512);
  m->ColorInner = inner;
  m->ColorOuter = outer;
  m->ParticleSize = size;
  m->ParticleLife = life;
  m->Additive = true;
  m->Friction = 0.5f;
  m->SetRenderer(ctx.L.ExplosionParticleFXRenderer);
  return m;
}

void FireSound(GameContext& ctx) {
  const data::TPlayer& p = ctx.Player;
  static constexpr const char* kPlain[] = {"shoot0a", "shoot0b", "shoot0c"};
  const char* name = p.DoubleDamageSeconds > 0   ? "shoot1"
                     : p.BurnShotSeconds > 0     ? "shoot2"
                     : p.FreezeShotSeconds > 0   ? "shoot3"
                                                 : kPlain[ctx.Rng(3)];
  PlaySound(name, SoundVolume100(ctx), ShipPan(ctx));
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Gun parameters

bool GunParameters(TGun gun, int32_t level, double& interval, double& damage) {
  if (level < 1 || level > 4) return false;
  const TGunRow& row = kGunTable[int(gun) - 1][level - 1];
  interval = row.Interval;
  damage = row.Damage;
  return true;
}

void SetGunLevel(GameContext& ctx, TGun gun, int32_t level) {
  TGunRef g = Gun(ctx.Player, gun);
  GunParameters(gun, level, g.Interval, g.Damage);
  g.Timer = 0.0;
}

void ApplyWeaponSettings(GameContext& ctx) {
  for (TGun g : kGuns) SetGunLevel(ctx, g, Gun(ctx.Player, g).Level);
}

// ---------------------------------------------------------------------------------------
// Firing

void FireWeapons(GameContext& ctx, double dt) {
  data::TPlayer& p = ctx.Player;
  const scene::TGLDummyCube& ship = *ctx.L.PlayerDummy;
  const bool mayFire = !ctx.L.GomSprite->Visible && ctx.Level.LevelEndTicks == 0;
  // The guns, while the left button of the mouse device is held.
  if (ctx.MouseDevice.Buttons[0] && mayFire) {
    for (TGun gun : kGuns) {
      TGunRef g = Gun(p, gun);
      if (g.Level == 0) continue;
      if (g.Timer >= g.Interval) {
        g.Timer = 0.0;
        if (gun == TGun::Front) FireSound(ctx);
        FireGun(ctx, gun, ship.Position.x + 0.1, ship.Position.z);
      } else {
        g.Timer += dt * 0.1;
      }
    }
  }
  // A rocket salvo while the right button is down (or the rockets' key or pad control).
  if ((ctx.RightClick || ctx.MouseDevice.Rockets) && mayFire && p.Rockets > 0) {
    if (p.RocketTimer >= p.RocketInterval) {
      PlaySound("2shoot0", SoundVolume100(ctx), ShipPan(ctx));
      const std::string material = "PlayerRocket" + std::to_string(int(p.RocketLevel));
      FireRockets(ctx, material, ship.Position.x + 0.1, ship.Position.z);
      p.Rockets -= 1;
    } else {
      p.RocketTimer += dt * 0.1;
    }
  }
  // The timers keep filling up to their intervals.
  for (TGun gun : kGuns) {
    TGunRef g = Gun(p, gun);
    if (g.Timer < g.Interval) g.Timer += dt * 0.1;
  }
  if (p.RocketTimer < p.RocketInterval) p.RocketTimer += dt * 0.1;
  // The muzzle flash fades.
  if (scene::TGLLibMaterial* fx = ctx.WeaponsLibrary.LibMaterialByName("PlayerShootFx")) {
    float& a = fx->Material.FrontProperties.Diffuse.a;
    if (a > 0.0f) a = std::max(0.0f, a - float(5.0 * dt));
  }
}

void FireGun(GameContext& ctx, TGun gun, double x, double z) {
  const TGunRef g = Gun(ctx.Player, gun);
  TShotParams s;
  s.TrailType = int32_t(gun);
  s.Damage = g.Damage;
  s.StartX = x;
  s.StartZ = z;
  int shots = 0;
  auto fire = [&](double startZ) {
    s.StartZ = startZ;
    MakePlayerShot(ctx, s);
    ++shots;
  };
  switch (gun) {
    case TGun::Front: {
      s.Material = "PlayerClip1";
      const bool pair = g.Level == 2 || g.Level == 4;
      s.Speed = pair ? 0.5 : 0.7;
      s.Acceleration = pair ? 1.5 : 1.8;
      s.ScaleX = g.Level == 3 ? 0.07 : g.Level == 4 ? 0.06 : 0.03;
      s.ScaleZ = g.Level == 3 ? 0.017 : g.Level == 4 ? 0.014 : 0.012;
      if (pair) {
        fire(z - 0.01);
        fire(z + 0.01);
      } else {
        fire(z);
      }
      break;
    }
    case TGun::Mega:
      s.Material = "PlayerClip2";
      s.Speed = 0.25;
      s.Acceleration = 1.0;
      s.ScaleX = 0.012;
      s.ScaleZ = 0.03;
      s.TargetX = x + 1.0;
      s.TargetZ = z - 0.15;
      fire(z);
      s.TargetZ = z + 0.15;
      fire(z);
      break;
    case TGun::Autoaim:
      s.Material = "PlayerClip3";
      s.SelfGuided = true;
      s.Speed = 0.7;
      s.Acceleration = 1.8;
      s.ScaleX = 0.012;
      s.ScaleZ = 0.025;
      s.TargetX = 1.0;
      s.TargetZ = 0.0;
      fire(z);
      break;
  }
  ctx.Hud.LevelStats.Shots += shots;
  // Recoil and muzzle flash.
  ctx.Ship.PlayerPrimaryWeapon->Position.x = -0.1f;
  if (scene::TGLLibMaterial* fx = ctx.WeaponsLibrary.LibMaterialByName("PlayerShootFx"))
    fx->Material.FrontProperties.Diffuse.a = float(1.0 - ctx.Rng(3) / 10.0);
  scene::TGLSprite& flash = *ctx.Ship.PlayerShootFxSprite;
  flash.Scale.z = float(0.8 - ctx.Rng(4) / 10.0);
  flash.Scale.x = float(1.3 - ctx.Rng(4) / 10.0);
}

TPlayerClipSprite* MakePlayerShot(GameContext& ctx, const TShotParams& p) {
  scene::TGLDummyCube& group = *ctx.Ship.ParticlesDummy;
  const data::TPlayer& pl = ctx.Player;
  // The shot, first in its group, with its gun's picture, speed and damage.
  auto* shot = group.AddNewChild<TPlayerClipSprite>(ctx);
  shot->MoveFirst();
  shot->Scale = {float(p.ScaleX), 0.1f, float(p.ScaleZ)};
  shot->Material.SetLibMaterial(&ctx.WeaponsLibrary, p.Material);
  // Our own fire is the brightest, most readable thing on the field: the bolt's picture is half as
  // large again as its unit square, and drawn additively over everything without cutting it.
  shot->SetSize(1.5f, 1.5f);
  shot->NoZWrite = true;
  shot->Position = {float(p.StartX), 0.02f, float(p.StartZ)};
  shot->Speed = p.Speed;
  shot->Acceleration = p.Acceleration;
  shot->Damage = p.Damage;
  // A self-guided shot picks its enemy as it leaves the gun.
  shot->TargetBox = p.SelfGuided ? ChooseAutoaimTarget(ctx) : -1;
  // A diagonal or guided shot flies toward an aim point of its own.
  if (p.TargetX != 0.0 || p.TargetZ != 0.0) {
    shot->Target = group.AddNewChild<scene::TGLPolygon>();
    if (shot->TargetBox == -1) {
      shot->Target->Position = {float(p.TargetX), shot->Position.y, float(p.TargetZ)};
      TurnToPoint(*shot, shot->Target->Position, kUpY);
    }
  }
  // The trail, coloured by the shot bonus running.
  shot->Trail = group.AddNewChild<scene::TGLPolygon>();
  shot->Trail->Scale = {0.00001f, 0.00001f, 0.00001f};
  shot->Trail->Position = {float(p.StartX + 0.15), shot->Position.y, float(p.StartZ)};
  shot->TrailType = p.TrailType;
  if (pl.DoubleDamageSeconds > 0) shot->TrailType = 9;
  if (pl.BurnShotSeconds > 0) shot->TrailType = 10;
  if (pl.FreezeShotSeconds > 0) shot->TrailType = 11;
  double interval = 0.0;
  if (scene::TGLParticleFXManager* m = TrailManager(ctx.Ship.Weapons, shot->TrailType, interval))
    shot->Trail->AddSourceEffect(m, interval);
  return shot;
}

int32_t ChooseAutoaimTarget(GameContext& ctx) {
  const std::vector<TEnemyHitBox>& boxes = ctx.Enemies.EnemyHitBoxes;
  const int32_t n = int32_t(boxes.size());
  if (ctx.Level.LevelEnemyCount <= 0 || n == 0) return -1;
  auto usable = [&](int32_t i) {
    const TEnemyHitBox& b = boxes[size_t(i)];
    return BoxActive(b) && (!b.Leader || ctx.Level.FollowerCount <= 0);
  };
  auto inField = [&](int32_t i) {
    const TEnemyHitBox& b = boxes[size_t(i)];
    return b.XMax > -0.5 && b.XMax < 0.5 && b.ZMax > -0.5 && b.ZMax < 0.5;
  };
  const int32_t r = ctx.Rng(n);
  if (usable(r)) return inField(r) ? r : -1;
  for (int32_t i = r; i >= 0; --i)
    if (usable(i) && inField(i)) return i;
  for (int32_t i = r; i < n; ++i)
    if (usable(i) && inField(i)) return i;
  return -1;
}

TPlayerSecondaryClipSprite* MakePlayerRocket(GameContext& ctx, const TRocketParams& p) {
  scene::TGLDummyCube& group = *ctx.Ship.MainDummy2;
  const double x = p.Drop ? p.X - (0.4 / (1 + ctx.Rng(100)) / 3.0 + 0.08) : p.X;
  auto* rocket = group.AddNewChild<TPlayerSecondaryClipSprite>(ctx);
  rocket->MoveFirst();
  rocket->Sprite = group.AddNewChild<scene::TGLSprite>();
  rocket->Sprite->Scale = {0.035f, 0.035f, 0.035f};
  rocket->Sprite->SetSize(0.72f, 2.0f);
  rocket->Sprite->Material.SetLibMaterial(&ctx.WeaponsLibrary, p.Material);
  rocket->Sprite->Visible = false;
  rocket->Position = {float(x), 0.0f, float(p.Z)};
  rocket->Speed = p.Speed;
  rocket->Acceleration = p.Acceleration;
  rocket->TrailType = p.TrailType;
  if (p.Aimed) {
    rocket->Target = group.AddNewChild<scene::TGLPolygon>();
    rocket->Target->Position = {float(p.AimX), 0.0f, float(p.AimZ)};
    TurnToPoint(*rocket, rocket->Target->Position, glm::vec3(0.0f, 0.0f, 1.0f));
  }
  rocket->Trail = group.AddNewChild<scene::TGLPolygon>();
  rocket->Trail->Scale = {0.00001f, 0.00001f, 0.00001f};
  rocket->Trail->Position = {float(x + 0.15), 0.0f, float(p.Z)};
  if (scene::TGLParticleFXManager* m = ctx.Ship.Weapons.PlayerRocketsPFXManager_i1)
    rocket->Trail->AddSourceEffect(m, 0.035);
  return rocket;
}

void FireRockets(GameContext& ctx, std::string_view material, double x, double z) {
  data::TPlayer& pl = ctx.Player;
  pl.RocketTimer = 0.0;
  for (int i = 1; i <= 2; ++i) {
    TRocketParams p;
    p.Material = material;
    p.Z = i == 1 ? z - 0.02 : z + 0.02;
    const int k = 1 + ctx.Rng(100);
    p.X = x - (0.4 / k / 3.0 + 0.08);
    p.Speed = pl.RocketStartSpeed;
    p.Acceleration = pl.RocketAcceleration + 1.0 / (50 + ctx.Rng(50));
    p.TrailType = 1;
    p.Drop = false;  // lowered above, before the acceleration's draw
    MakePlayerRocket(ctx, p);
  }
}

// ---------------------------------------------------------------------------------------
// Flight

void TPlayerClipSprite::Destroy() {
  if (Target) Target->Free();
  if (Trail) Trail->Free();
  Target = Trail = nullptr;
  Free();
}

void TPlayerClipSprite::DoProgress(double deltaTime, double newTime) {
  scene::TGLSprite::DoProgress(deltaTime, newTime);
  GameContext& ctx = ctx_;
  // Nothing moves while paused; leaving the level takes every shot with it.
  if (Paused(ctx.GameState)) return;
  if (LeavingLevel(ctx)) {
    Destroy();
    return;
  }
  const double dt = deltaTime * ctx.TimeScale;
  // A self-guided shot follows its box; when that enemy is gone it looks for another.
  if (TargetBox != -1) {
    const std::vector<TEnemyHitBox>& boxes = ctx.Enemies.EnemyHitBoxes;
    const bool gone = size_t(TargetBox) >= boxes.size() ||
                      (!BoxActive(boxes[size_t(TargetBox)]) && boxes[size_t(TargetBox)].Released);
    if (gone) TargetBox = ChooseAutoaimTarget(ctx);
    if (!Target) Target = Parent()->AddNewChild<scene::TGLPolygon>();
    if (TargetBox == -1) {
      // Nothing left to chase: go on upward.
      Target->Position.x += 2.0f;
      TurnToPoint(*this, Target->Position, kUpY);
    } else {
      const TEnemyHitBox& b = boxes[size_t(TargetBox)];
      Target->Position = {float((b.XMax + b.XMin) / 2.0), Position.y, float((b.ZMax + b.ZMin) / 2.0)};
      TurnToPoint(*this, Target->Position, kUpY);
    }
  }
  // Forward along its facing toward an aim point, else straight up the screen; it speeds up.
  if (Target)
    Move(float(Speed * dt));
  else
    Position.x += float(Speed * dt);
  Speed += Acceleration * dt;
  // The trail's source follows the shot.
  if (Trail) {
    Trail->Position.x = Position.x;
    Trail->Position.z = Position.z;
  }
  // Gone once it leaves the field.
  if (Position.x > kTopOfField || OutOfField(Position)) {
    Destroy();
    return;
  }
  // A hit queues its damage for the enemy and counts toward the accuracy.
  if (HitTestEnemies(ctx, Position.x, Position.z)) {
    const data::TPlayer& p = ctx.Player;
    ctx.Hud.LevelStats.Hits += 1;
    TPendingHit& hit = ctx.Enemies.PendingHits.back();
    hit.Amount = p.DoubleDamageSeconds > 0 ? Damage * 2.0 : Damage;
    hit.Effect = 0;
    if (p.DoubleDamageSeconds > 0) hit.Effect = 1;
    if (p.BurnShotSeconds > 0) hit.Effect = kEffectBurn;
    if (p.FreezeShotSeconds > 0) hit.Effect = kEffectFreeze;
    hit.Impact = 1;
    for (int i = 0; i < 3; ++i) Spark(ctx, "PlayerClipExplosionParticle", Position.x, Position.z);
    Destroy();
  }
}

void TPlayerSecondaryClipSprite::Destroy() {
  if (Sprite) Sprite->Free();
  if (Trail) Trail->Free();
  if (Target) Target->Free();
  Sprite = nullptr;
  Trail = Target = nullptr;
  Free();
}

void TPlayerSecondaryClipSprite::DoProgress(double deltaTime, double newTime) {
  scene::TGLPolygon::DoProgress(deltaTime, newTime);
  GameContext& ctx = ctx_;
  if (Paused(ctx.GameState)) return;
  if (LeavingLevel(ctx)) {
    Destroy();
    return;
  }
  const double dt = deltaTime * ctx.TimeScale;
  Sprite->Position = Position;
  Sprite->Visible = true;
  Speed += Acceleration * dt;
  if (Target) {
    // An aimed bonus rocket flies along its facing, its picture turned the same way.
    Move(float(Speed * dt));
    const glm::vec3 d = glm::normalize(Direction);
    Sprite->Rotation = float(data::RoundHalfEven(glm::degrees(std::atan2(double(d.x), double(-d.z))) - 90.0));
  } else {
    Position.x += float(2.0 * Speed * dt);
  }
  Trail->Position.x = Position.x - 0.025f;
  Trail->Position.z = Position.z;
  if (Position.x <= kTopOfField && HitTestEnemies(ctx, Position.x, Position.z)) {
    const double base = ctx.Player.RocketBaseDamage;
    TPendingHit& hit = ctx.Enemies.PendingHits.back();
    hit.Amount = double(data::RoundHalfEven(base + base * ctx.Player.RocketLevel * 0.5));
    hit.Impact = kImpactExplosion;
    Destroy();
    return;
  }
  if (Position.x > kTopOfField || OutOfField(Position)) Destroy();
}

// ---------------------------------------------------------------------------------------
// Looks

void CreateWeaponLooks(GameContext& ctx, TWeaponLooks& w) {
  w.PlayerClipsPFXManager_i1 =
      MakeTrail(ctx, "PlayerClipsPFXManager_i1", {1.0f, 0.85f, 0.35f, 0.8f}, {1.0f, 0.5f, 0.1f, 0.0f}, 0.05f, 0.25f);
  w.PlayerClipsPFXManager_i2 =
      MakeTrail(ctx, "PlayerClipsPFXManager_i2", {0.45f, 0.9f, 1.0f, 0.7f}, {0.1f, 0.4f, 1.0f, 0.0f}, 0.05f, 0.3f);
  w.PlayerClipsPFXManager_i3 =
      MakeTrail(ctx, "PlayerClipsPFXManager_i3", {0.6f, 1.0f, 0.5f, 0.6f}, {0.1f, 0.8f, 0.3f, 0.0f}, 0.035f, 0.25f);
  w.PFXR_bonus9 = MakeTrail(ctx, "PFXR_bonus9", {1.0f, 0.35f, 0.3f, 0.9f}, {0.9f, 0.0f, 0.1f, 0.0f}, 0.06f, 0.3f);
  w.PFXR_bonus10 = MakeTrail(ctx, "PFXR_bonus10", {0.7f, 1.0f, 0.3f, 0.9f}, {0.2f, 0.7f, 0.0f, 0.0f}, 0.06f, 0.3f);
  w.PFXR_bonus11 = MakeTrail(ctx, "PFXR_bonus11", {0.8f, 0.95f, 1.0f, 0.9f}, {0.2f, 0.5f, 1.0f, 0.0f}, 0.06f, 0.3f);
  w.PlayerRocketsPFXManager_i1 = MakeTrail(ctx, "PlayerRocketsPFXManager_i1", {1.0f, 0.9f, 0.6f, 0.9f},
                                           {0.9f, 0.3f, 0.05f, 0.0f}, 0.09f, 0.45f);
  w.PlayerRocketsPFXManager_i1->Friction = 0.3f;
}

}  // namespace vlm::combat
