#pragma once
// The pilot: plays the game as a player would, through the same input a player gives. Every
// frame it looks at what the screen shows (the ship, the enemies, their shots, the bonuses
// falling) and answers with relative mouse motion, the buttons and, on the screens between the
// levels, a click or Enter. It never moves the ship or touches an enemy itself, so whatever it
// does could have been done with a mouse, and a recording of it replays as any recording does.
// Deterministic: its only randomness is its own generator, seeded from the game's seed.
#include <cstdint>
#include <cstdio>
#include <vector>

#include "context/DemoState.h"
#include "shell/InputScript.h"

namespace vlm { struct GameContext; }

namespace vlm::shell {

class TAutopilot final : public IDemoPilot {
 public:
  explicit TAutopilot(uint64_t seed);
  // The input of this frame, applied through the game's input path (and recorded with it).
  void Fly(GameContext& ctx, int64_t nowMs) override;

  // What it last aimed at along the row (for the campaign figures and tests).
  double TargetZ() const { return targetZ_; }
  // Where to write a line for each level it ends (cleared or lost), for the campaign table:
  // "pilot: level=N cleared=0|1 time=S lives=A->B appeared=E destroyed=D shots=F hits=H score=P".
  void SetReport(std::FILE* out) { report_ = out; }

 private:
  void Play(GameContext& ctx, int64_t nowMs);
  void Screens(GameContext& ctx, int64_t nowMs);
  // In the shop: the pointer to the next upgrade worth a point, then a click. False when done.
  bool Shop(GameContext& ctx, int64_t nowMs);
  void Apply(GameContext& ctx, const InputEvent& e);
  void Button(GameContext& ctx, MouseButton b, bool down);
  void TapKey(GameContext& ctx, Key k, int64_t nowMs);
  uint32_t Next();
  void Report(GameContext& ctx);

  std::FILE* report_ = nullptr;
  int32_t reportLevel_ = 0;   // the level being flown (0 none), its lives at the start
  int32_t reportLives_ = 0;

  uint64_t state_;
  bool guns_ = false, rockets_ = false, leftHeld_ = false;
  Key keyHeld_ = Key::Escape;
  bool keyDown_ = false;
  int64_t nextScreenAction_ = 0;
  int64_t rocketsUntil_ = 0;
  double targetZ_ = 0.0;
  double wander_ = 0.0;  // a slow offset so the pilot does not sit under one spot
  int32_t screenPresses_ = 0;
  // The shop: the row being bought (-1 none), whether the pointer is on its plus, the level
  // before the click, and the rows that would not take a point this visit.
  int32_t buying_ = -1;
  bool pointed_ = false;
  int32_t levelBefore_ = 0;
  uint32_t refused_ = 0;
  // Each enemy box's place along the row last frame, to see which way it flies.
  static constexpr double kNoEnemy = 1e9;
  std::vector<double> lastZ_;
  int32_t chasing_ = -1;  // the box of the enemy it flew under last frame
  // When the last enemy fell, to see a fight that goes nowhere.
  int32_t lastDestroyed_ = -1;
  int64_t lastKillMs_ = 0;
};

}  // namespace vlm::shell
