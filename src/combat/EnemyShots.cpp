#include "combat/EnemyShots.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>

#include "combat/Enemies.h"
#include "combat/EnemyCatalogue.h"
#include "combat/Explosions.h"
#include "combat/Player.h"
#include "data/Numbers.h"
#include "scene/Particles.h"
#include "context/GameContext.h"

namespace vlm::combat {

namespace {

constexpr glm::vec3 kUpX{1.0f, 0.0f, 0.0f};
constexpr glm::vec3 kUpZ{0.0f, 0.0f, 1.0f};

// Strictly within e of each other in X and in Z.
bool Within(const glm::vec3& a, const glm::vec3& b, double e) {
  return std::fabs(a.x - b.x) < e && std::fabs(a.z - b.z) < e;
}

}  // namespace

TEnemyClipSprite* MakeEnemyShot(GameContext& ctx, const TEnemyModelData& shooter, double startZ, double startX,
                                double startY, int32_t pattern, double targetZ, double targetX, bool heal) {
  scene::TGLBaseSceneObject& field = MainDummy(ctx);
  const double D = ctx.Level.Difficulty;

  // The carrier and its sprite.
  auto* shot = field.AddNewChild<TEnemyClipSprite>(ctx);
  shot->Position = {float(startX), float(startY), float(startZ)};
  auto* sprite = field.AddNewChild<scene::TGLSprite>();
  sprite->Scale = {0.02f, 0.01f, 0.015f};
  sprite->Material.SetLibMaterial(&ctx.EnemiesLibrary, shooter.clip);
  sprite->Position = shot->Position;
  sprite->Width = float(shooter.cw);
  sprite->Height = float(shooter.ch);
  shot->Sprite = sprite;

  // Drawn first in its group; speed and damage grow with the level's difficulty.
  shot->MoveFirst();
  shot->Speed = D / 1.2 * shooter.clipspeed;
  shot->Acceleration = shooter.clipspeedUp;
  // Kept within int32 before the conversion: the catalogue's strength times the level's
  // difficulty may be far beyond it.
  shot->Damage = int32_t(std::clamp(std::trunc(shooter.Strength * D / 2.0), double(INT32_MIN), double(INT32_MAX)));
  shot->Pattern = pattern;
  shot->Heal = heal;
  shot->Fx = shooter.fx;

  // The aim point.
  auto* target = field.AddNewChild<scene::TGLPolygon>();
  switch (pattern) {
    case 1:
    case 2:
      target->Position.x = ctx.L.PlayerDummy->Position.x;
      target->Position.z = ctx.L.PlayerDummy->Position.z;
      break;
    case -2:
    case 3:
    case 4:
    case 5:
    case 7:
    case 9:
      target->Position.x = float(targetX);
      target->Position.z = float(targetZ);
      break;
    case 8:
      target->Position.x = float(targetX);
      target->Position.z = float(targetZ);
      shot->Scale = {0.03f, 0.03f, 0.02f};
      break;
    default:  // -1, 0, 6: no aim point
      break;
  }
  target->Position.y = shot->Position.y;
  shot->Target = target;

  // The trail.
  auto* trail = field.AddNewChild<scene::TGLPolygon>();
  trail->Scale = {0.00001f, 0.00001f, 0.00001f};
  trail->Position = {float(startX + 0.15), shot->Position.y, float(startZ)};
  const TAftermathState& s = ctx.Aftermath;
  scene::TGLParticleFXManager* manager = nullptr;
  double interval = 0.05;
  switch (shooter.fx) {
    case 0: manager = s.EnemyPFXManager0; break;
    case 1: manager = s.EnemyPFXManager1; break;
    case 2: manager = s.EnemyPFXManager2; interval = 0.045; break;
    case 3: manager = s.EnemyPFXManager3doctor; break;
    default: break;  // no particles
  }
  if (manager) trail->AddSourceEffect(manager, interval);
  shot->Trail = trail;
  return shot;
}

void TEnemyClipSprite::Destroy() {
  if (Target) Target->Free();
  if (Trail) {
    Trail->ClearEffects();
    Trail->Free();
  }
  if (Sprite) Sprite->Free();
  Target = nullptr;
  Trail = nullptr;
  Sprite = nullptr;
  Free();
}

void TEnemyClipSprite::Fly(double dt) {
  scene::TGLPolygon& t = *Target;
  switch (Pattern) {
    case -2:
      Move(float(Speed * dt));
      TurnToPoint(*this, t.Position, kUpX);
      Speed += Acceleration * dt;
      break;
    case 0:
      Speed += Acceleration * dt;
      Position.x -= float(Speed * dt);
      break;
    case 1:
      TurnToPoint(*this, t.Position, kUpX);
      Speed += Acceleration * dt;
      Move(float(Speed * dt));
      t.Position.x -= float(Speed * dt);  // the aim point slides down: the shot keeps its line
      break;
    case 2:
      TurnToPoint(*this, t.Position, kUpZ);
      Speed += Acceleration * dt;
      Move(float(Speed * dt));
      t.Position.x -= float(2.5 * Speed * dt);
      t.Position.z = ctx_.L.PlayerDummy->Position.z;  // homes on the ship across the screen
      break;
    case 3:
    case 4:
    case 5:
    case 9:
      TurnToPoint(*this, t.Position, kUpX);
      Speed += Acceleration * dt;
      Move(float(Speed * dt));
      t.Position.x -= float(3.5 * Speed * dt);
      break;
    case 7:
    case 8:
      TurnToPoint(*this, t.Position, kUpZ);
      Speed += Acceleration * dt;
      Move(float(Speed * dt));
      break;
    default:  // -1, 6: stand
      break;
  }
}

void TEnemyClipSprite::DoProgress(double deltaTime, double newTime) {
  TGLPolygon::DoProgress(deltaTime, newTime);
  if (IsFreedSelf()) return;
  const std::string& state = ctx_.GameState;
  if (LeavingLevel(ctx_) || state == "statistics") {
    Destroy();
    return;
  }
  if (state == "game" || state == "levelintro") {
    const double dt = ctx_.DeltaTime * ctx_.TimeScale;
    Sprite->Position.x = Position.x;
    Sprite->Position.z = Position.z;
    Sprite->Rotation =
        float(data::RoundHalfEven(glm::degrees(std::atan2(double(Direction.x), -double(Direction.z))) + 90.0));
    Fly(dt);
    if (Pattern != -1 && Pattern != 6) {
      Trail->Position.x = Position.x;
      Trail->Position.z = Position.z;
    }
    // The healer's shot heals whatever enemy is where it arrives.
    if ((Pattern == 7 || Pattern == 8) && Heal && Within(Position, Target->Position, 0.01)) {
      if (HitTestEnemies(ctx_, Position.x, Position.z)) {
        TPendingHit& h = ctx_.Enemies.PendingHits.back();
        h.Heal = true;
        h.Amount = Damage * ctx_.Level.Difficulty;
      }
      for (int i = 0; i < 3; ++i) Splinter(ctx_, 6, Position.x, Position.z);
      Destroy();
      return;
    }
    if (state == "game" && !ctx_.L.GomSprite->Visible) {
      const glm::vec3& p = ctx_.L.PlayerDummy->Position;
      if (p.x - 0.04f < Position.x && Position.x < p.x + 0.04f && p.z - 0.022f < Position.z &&
          Position.z < p.z + 0.022f) {
        HitPlayer(ctx_, Damage, Position.x, Position.z);
        Destroy();
        return;
      }
    }
  }
  // Arrival at the aim point, or past the border.
  const glm::vec3& tp = Target->Position;
  if ((tp.x != 0.0f || tp.z != 0.0f) && Within(Position, tp, 0.01)) {
    Destroy();
    return;
  }
  if (Position.x < -0.7f || Position.x > 0.7f || Position.z < -0.7f || Position.z > 0.7f) Destroy();
}

}  // namespace vlm::combat
