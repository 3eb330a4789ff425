#pragma once
// The ship in play on its own: a fresh game context in "game" with the world shown, a new-game
// player with three lives, and frames that run the scene objects and then the player frame,
// with the mouse device set by the test.
#include <gtest/gtest.h>

#include <cmath>

#include "combat/Player.h"
#include "combat/Weapons.h"
#include "shell/GameContext.h"
#include "shell/ShellFixture.h"

namespace vlm::test {

class ShipTest : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    ctx->GameState = "game";
    L().MainMenuDummy->Visible = false;
    L().SceneDummyCube->Visible = true;
    L().InterFaceDummyCube->Visible = true;
    L().GomSprite->Visible = false;
    combat::ResetPlayerForNewGame(*ctx);
    ctx->Player.Lifes = 3;
    ctx->Player.BonusLifeIndex = 1;
    ctx->Options.MouseSpeed = 1.0;
    L().PlayerDummy->Position = {-0.47f, 0.0f, 0.0f};
  }

  // One frame: the scene's objects, then the player frame, then the sweep of freed objects.
  void Frame(double dt = 0.01) {
    now_ += dt;
    ctx->DeltaTime = dt;
    ctx->FrameTime = now_;
    ctx->Scene.Progress(dt, now_);
    combat::PlayerFrame(*ctx);
    ctx->Scene.SweepFreed();
  }
  void RunFor(double seconds, double dt = 0.01) {
    const long frames = std::lround(seconds / dt);
    for (long i = 0; i < frames; ++i) Frame(dt);
  }

  void HoldLeft(bool down) { ctx->MouseDevice.Buttons[0] = down; }
  void Steer(int32_t dx) { ctx->MouseDevice.DeltaX = dx; }

  // One enemy box centred on (x, z) with the given half extents.
  size_t AddBox(double x, double z, double halfX = 0.05, double halfZ = 0.05, bool leader = false) {
    combat::TEnemyHitBox b;
    b.XMax = x + halfX;
    b.XMin = x - halfX;
    b.ZMax = z + halfZ;
    b.ZMin = z - halfZ;
    b.Leader = leader;
    ctx->Enemies.EnemyHitBoxes.push_back(b);
    ctx->Level.LevelEnemyCount = int32_t(ctx->Enemies.EnemyHitBoxes.size());
    return ctx->Enemies.EnemyHitBoxes.size() - 1;
  }

  template <class T>
  int Count() const {
    return CountIn<T>(ctx->Scene.Objects());
  }

  scene::TGLDummyCube& Ship() { return *L().PlayerDummy; }

 private:
  template <class T>
  static int CountIn(const scene::TGLBaseSceneObject& o) {
    int n = 0;
    for (size_t i = 0; i < o.Count(); ++i) {
      const scene::TGLBaseSceneObject* c = o.Child(i);
      if (c->IsFreedSelf()) continue;
      if (dynamic_cast<const T*>(c)) ++n;
      n += CountIn<T>(*c);
    }
    return n;
  }
  double now_ = 0.0;
};

}  // namespace vlm::test
