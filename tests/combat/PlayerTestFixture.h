#pragma once
// The ship in play on its own: a fresh game context in "game" with the world shown, a new-game
// player with three lives, and frames that run the scene objects and then the player frame,
// with the mouse device set by the test.
#include "combat/Player.h"
#include "combat/Weapons.h"
#include "combat/InPlayFixture.h"

namespace vlm::test {

class ShipTest : public InPlayTest {
 protected:
  void SetUp() override {
    InPlayTest::SetUp();
    combat::ResetPlayerForNewGame(*ctx);
    ctx->Player.Lifes = 3;
    ctx->Player.BonusLifeIndex = 1;
    ctx->Options.MouseSpeed = 1.0;
  }

  // One frame: the scene's objects, then the player frame, then the sweep of freed objects.
  void AfterObjects() override { combat::PlayerFrame(*ctx); }
  void Frame(double dt = 0.01) { InPlayTest::Frame(dt); }
  void RunFor(double seconds, double dt = 0.01) { InPlayTest::RunFor(seconds, dt); }

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

  scene::TGLDummyCube& Ship() { return *L().PlayerDummy; }
};

}  // namespace vlm::test
