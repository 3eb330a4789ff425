#include "shell/Autopilot.h"

#include <algorithm>
#include <cmath>

#include "combat/Bonuses.h"
#include "combat/EnemyShots.h"
#include "combat/Explosions.h"
#include "context/GameContext.h"
#include "context/GameStates.h"
#include "interface/Shop.h"
#include "scene/Projection.h"
#include "shell/Input.h"

namespace vlm::shell {

namespace {

constexpr double kRowEdge = 0.46;       // a little inside the row's ends
constexpr int32_t kMaxCounts = 28;      // a brisk hand on the mouse, per frame
constexpr double kDodgeAhead = 0.42;    // how far up the field a shot is watched
constexpr double kDodgeWidth = 0.085;   // a shot this close along the row would hit
constexpr double kDodgeStep = 0.2;      // how far aside the pilot slips from it
constexpr int64_t kScreenPauseMs = 650;  // between presses on the screens between levels
constexpr int64_t kStallMs = 20000;     // no enemy destroyed for this long: a fight going nowhere
constexpr int64_t kBoldMs = 4000;       // then, every other such stretch, shots are not dodged

bool Between(double v, double lo, double hi) { return v > lo && v < hi; }

// Game seconds a gun's shot takes to climb `dx` up the field: it leaves at 0.7 and gains 1.8 a
// second (the first gun; the others are as quick or quicker).
double ShotFlightSeconds(double dx) {
  constexpr double v0 = 0.7, a = 1.8;
  return dx <= 0.0 ? 0.0 : (std::sqrt(v0 * v0 + 2.0 * a * dx) - v0) / a;
}

}  // namespace

TAutopilot::TAutopilot(uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 0x1234567ull) {}

uint32_t TAutopilot::Next() {
  // xorshift64*: the pilot's own stream, so it never draws from the game's generator.
  state_ ^= state_ >> 12;
  state_ ^= state_ << 25;
  state_ ^= state_ >> 27;
  return uint32_t((state_ * 0x2545F4914F6CDD1Dull) >> 32);
}

void TAutopilot::Apply(GameContext& ctx, const InputEvent& e) { ApplyInputEvent(ctx, e); }

void TAutopilot::Button(GameContext& ctx, MouseButton b, bool down) {
  InputEvent e;
  e.Kind = down ? InputEvent::Type::Down : InputEvent::Type::Up;
  e.Button = b;
  Apply(ctx, e);
}

void TAutopilot::TapKey(GameContext& ctx, Key k, int64_t nowMs) {
  InputEvent e;
  e.Kind = InputEvent::Type::KeyDown;
  e.KeyCode = k;
  Apply(ctx, e);
  keyHeld_ = k;
  keyDown_ = true;
  nextScreenAction_ = nowMs + kScreenPauseMs;
}

void TAutopilot::Report(GameContext& ctx) {
  const std::string& s = ctx.GameState;
  if (s == "game" && reportLevel_ == 0 && !ctx.L.GomSprite->Visible) {
    reportLevel_ = ctx.Level.CurrentLevel;
    reportLives_ = ctx.Player.Lifes;
    return;
  }
  const bool cleared = s == "statistics";
  if (reportLevel_ == 0 || !(cleared || ctx.L.GomSprite->Visible)) return;
  const interface::TLevelStats& st = ctx.Hud.LevelStats;
  std::fprintf(report_,
               "pilot: level=%d cleared=%d time=%.1f lives=%d->%d appeared=%d destroyed=%d shots=%lld hits=%lld "
               "score=%lld\n",
               int(reportLevel_), cleared ? 1 : 0, ctx.Level.LevelTime, int(reportLives_), int(ctx.Player.Lifes),
               int(st.EnemiesTotal), int(st.EnemiesDestroyed), static_cast<long long>(st.Shots),
               static_cast<long long>(st.Hits), static_cast<long long>(ctx.Player.Scores));
  std::fflush(report_);
  reportLevel_ = 0;
}

void TAutopilot::Fly(GameContext& ctx, int64_t nowMs) {
  if (report_) Report(ctx);
  // A key or a click pressed last frame is let go now, as a hand would.
  if (keyDown_) {
    InputEvent e;
    e.Kind = InputEvent::Type::KeyUp;
    e.KeyCode = keyHeld_;
    Apply(ctx, e);
    keyDown_ = false;
  }
  if (leftHeld_ && !guns_) {
    Button(ctx, MouseButton::Left, false);
    leftHeld_ = false;
  }
  if (ctx.GameState == "game") {
    Play(ctx, nowMs);
    return;
  }
  // Off the playfield the triggers are let go.
  if (guns_) {
    Button(ctx, MouseButton::Left, false);
    guns_ = leftHeld_ = false;
  }
  if (rockets_) {
    Button(ctx, MouseButton::Right, false);
    rockets_ = false;
  }
  Screens(ctx, nowMs);
}

void TAutopilot::Play(GameContext& ctx, int64_t nowMs) {
  if (!guns_) {
    Button(ctx, MouseButton::Left, true);
    guns_ = leftHeld_ = true;
  }
  const scene::TGLBaseSceneObject& ship = *ctx.L.PlayerDummy;
  const double sx = ship.Position.x, sz = ship.Position.z;

  // The nearest shot coming at the ship, and the nearest bonus falling to the row.
  bool threat = false, bonus = false;
  double threatX = 1e9, threatZ = 0.0, bonusX = 1e9, bonusZ = 0.0;
  scene::TGLBaseSceneObject& field = combat::MainDummy(ctx);
  for (size_t i = 0, n = field.Count(); i < n; ++i) {
    const scene::TGLBaseSceneObject* o = field.Child(i);
    if (!o->Visible || o->IsFreed()) continue;
    const double dx = o->Position.x - sx, oz = o->Position.z;
    if (const auto* shot = dynamic_cast<const combat::TEnemyClipSprite*>(o)) {
      if (shot->Heal) continue;
      if (Between(dx, -0.06, kDodgeAhead) && std::fabs(oz - sz) < kDodgeWidth && dx < threatX) {
        threat = true;
        threatX = dx;
        threatZ = oz;
      }
    } else if (dynamic_cast<const combat::TBonusSprite*>(o)) {
      if (Between(dx, -0.02, 0.55) && dx < bonusX) {
        bonus = true;
        bonusX = dx;
        bonusZ = oz;
      }
    }
  }

  // The enemy to fly under: near in height and along the row; and how many stand close together.
  // A hand leads a crossing target: the pilot aims where the enemy will be when a shot fired now
  // reaches its height, from how far the enemy moved along the row since the last frame.
  const auto& boxes = ctx.Enemies.EnemyHitBoxes;
  if (lastZ_.size() < boxes.size()) lastZ_.resize(boxes.size(), kNoEnemy);
  const double frameDt = ctx.DeltaTime * ctx.TimeScale;  // the game time of the last frame, as shots see it
  bool enemy = false;
  double bestScore = 1e9, enemyZ = 0.0;
  int crowd = 0;
  int32_t chase = -1;
  for (size_t k = 0; k < boxes.size(); ++k) {
    const combat::TEnemyHitBox& box = boxes[k];
    // A box of four zeros is no enemy (gone, or between hits); an unhurt enemy's box is marked
    // released for the healers, so that mark says nothing here.
    if (box.XMax == 0.0 && box.XMin == 0.0 && box.ZMax == 0.0 && box.ZMin == 0.0) {
      lastZ_[k] = kNoEnemy;
      continue;
    }
    const double cx = 0.5 * (box.XMin + box.XMax), cz = 0.5 * (box.ZMin + box.ZMax);
    const double lastZ = lastZ_[k];
    lastZ_[k] = cz;
    if (cx < sx + 0.05 || std::fabs(cz) > 0.6) continue;  // behind the ship or off the field's sides
    double aimZ = cz;
    if (lastZ != kNoEnemy && frameDt > 1e-4 && std::fabs(cz - lastZ) < 0.1) {
      const double vz = (cz - lastZ) / frameDt;
      aimZ = cz + vz * ShotFlightSeconds(cx - sx);
    }
    // The enemy chased last frame keeps the pilot's eye unless another is clearly nearer: between
    // two alike, turning to whichever is a hair nearer each frame would chase neither.
    const double keep = int32_t(k) == chasing_ ? 0.2 : 0.0;
    const double score = (cx - sx) + 1.5 * std::fabs(aimZ - sz) - keep;
    if (score < bestScore && std::fabs(aimZ) < 0.55) {
      bestScore = score;
      enemyZ = aimZ;
      enemy = true;
      chase = int32_t(k);
    }
    if (cx - sx < 0.9 && std::fabs(cz - sz) < 0.2) ++crowd;
  }
  chasing_ = chase;

  // Slow drift when nothing calls for the pilot: a few hundredths either way.
  if ((Next() & 63) == 0) wander_ = (double(Next() % 1000) / 1000.0 - 0.5) * 0.12;

  // A fight that goes nowhere (shots hanging in front of the last enemies, say): for a while the
  // pilot takes the hit rather than wait, as a player would.
  const int32_t destroyed = ctx.Hud.LevelStats.EnemiesDestroyed;
  if (destroyed != lastDestroyed_ || lastKillMs_ > nowMs) {
    lastDestroyed_ = destroyed;
    lastKillMs_ = nowMs;
  }
  const int64_t stalled = nowMs - lastKillMs_;
  const bool bold = enemy && stalled > kStallMs && (stalled - kStallMs) % (2 * kBoldMs) < kBoldMs;

  double target = sz;
  if (threat && !bold) {
    // Aside from the shot, towards the side with more room.
    const double left = threatZ + kDodgeStep, right = threatZ - kDodgeStep;
    const bool goLeft = sz >= threatZ ? left <= kRowEdge : right < -kRowEdge;
    target = goLeft ? left : right;
  } else if (bonus && bonusX < 0.35) {
    target = bonusZ;
  } else if (enemy) {
    target = enemyZ + wander_ * 0.3;
  } else if (bonus) {
    target = bonusZ;
  } else {
    target = wander_ * 3.0;
  }
  targetZ_ = std::clamp(target, -kRowEdge, kRowEdge);

  // The ship moves -counts x speed / 1000 along the row per count of the mouse.
  const double speed = std::max(ctx.Options.MouseSpeed, 0.05);
  const double want = (sz - targetZ_) * 1000.0 / speed;
  int32_t counts = int32_t(std::lround(std::clamp(want, -double(kMaxCounts), double(kMaxCounts))));
  if (std::abs(counts) < 1) counts = 0;
  if (counts != 0) {
    InputEvent e;
    e.Kind = InputEvent::Type::Rel;
    e.X = counts;
    Apply(ctx, e);
  }

  // Rockets into a crowd, a short press now and then.
  if (rockets_ && nowMs >= rocketsUntil_ - 2200) {
    Button(ctx, MouseButton::Right, false);
    rockets_ = false;
  } else if (!rockets_ && crowd >= 3 && nowMs >= rocketsUntil_ && ctx.Player.Rockets > 0) {
    Button(ctx, MouseButton::Right, true);
    rockets_ = true;
    rocketsUntil_ = nowMs + 2500;
  }
}

void TAutopilot::Screens(GameContext& ctx, int64_t nowMs) {
  if (nowMs < nextScreenAction_) return;
  const std::string& s = ctx.GameState;
  if (s == "loading" || s == "levelintro" || s == "levelintro2" || s == "menuintro" || s == "pause" ||
      s == "pausemenu" || s == "pm_options")
    return;
  if (ctx.Menus.Edit1Visible) {
    // A name asked for: the pilot's, then Enter.
    if (ctx.Menus.Edit1.empty()) {
      InputEvent e;
      e.Kind = InputEvent::Type::Text;
      e.Chars = "Pilot";
      Apply(ctx, e);
      nextScreenAction_ = nowMs + kScreenPauseMs;
      return;
    }
    TapKey(ctx, Key::Enter, nowMs);
    return;
  }
  if (s == "shop" && !ctx.L.MessageDummy->Visible && Shop(ctx, nowMs)) return;
  if (s != "shop") refused_ = 0;
  // Screens with buttons take Enter on their first button: "start game" in the main menu,
  // "next" in a story, "continue" in the shop, Ok of a message. The others (the logos, the
  // statistics) take a click.
  const bool buttons = IsMenuState(ctx) || s == "cutscene" || s == "shop" || ctx.L.MessageDummy->Visible;
  if (buttons) {
    TapKey(ctx, Key::Enter, nowMs);
  } else {
    Button(ctx, MouseButton::Left, true);
    leftHeld_ = true;
    nextScreenAction_ = nowMs + kScreenPauseMs;
  }
  ++screenPresses_;
}

bool TAutopilot::Shop(GameContext& ctx, int64_t nowMs) {
  using interface::TUpgrade;
  // Guns first, then what keeps the ship alive, then the rest.
  static constexpr TUpgrade kWishes[] = {TUpgrade::Primary,  TUpgrade::Armor,        TUpgrade::Mega,
                                         TUpgrade::Regeneration, TUpgrade::Autoaim, TUpgrade::Secondary,
                                         TUpgrade::BonusStrength, TUpgrade::TimeFreeze};
  if (buying_ >= 0 && pointed_) {
    // The click on the plus: down now, up next frame.
    levelBefore_ = interface::UpgradeLevel(ctx, TUpgrade(buying_));
    Button(ctx, MouseButton::Left, true);
    leftHeld_ = true;
    pointed_ = false;
    nextScreenAction_ = nowMs + kScreenPauseMs / 2;
    return true;
  }
  if (buying_ >= 0) {
    // The click is done: a row whose level did not move takes no more points this visit.
    if (interface::UpgradeLevel(ctx, TUpgrade(buying_)) == levelBefore_) refused_ |= 1u << buying_;
    buying_ = -1;
  }
  if (ctx.Player.UpgradePoints <= 0) return false;
  for (TUpgrade u : kWishes) {
    const int32_t row = int32_t(u);
    if ((refused_ >> row) & 1u) continue;
    if (interface::UpgradeLevel(ctx, u) >= interface::UpgradeMaximum(u)) continue;
    const scene::TGLSprite* plus = ctx.Shop.Rows[size_t(row)].Plus;
    if (!plus) continue;
    const scene::TViewProjection vp =
        scene::ComputeViewProjection(ctx.Scene.Camera(), ctx.ViewportWidth, ctx.ViewportHeight);
    glm::vec3 w;
    if (!scene::WorldToWindow(vp, plus->AbsolutePosition(), w)) continue;
    InputEvent e;
    e.Kind = InputEvent::Type::Move;
    e.X = int32_t(std::lround(w.x));
    e.Y = int32_t(std::lround(w.y));
    Apply(ctx, e);
    buying_ = row;
    pointed_ = true;
    nextScreenAction_ = nowMs + kScreenPauseMs / 2;
    return true;
  }
  return false;
}

}  // namespace vlm::shell

