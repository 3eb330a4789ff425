#pragma once
// Enemy shots, explosions and bonuses in play: the in-play fixture at difficulty 1 with the
// playfield group at hand.
#include "combat/EnemyCatalogue.h"
#include "combat/InPlayFixture.h"

namespace vlm::test {

class AftermathTest : public InPlayTest {
 protected:
  void SetUp() override {
    InPlayTest::SetUp();
    field = ctx->Scene.FindObject("MainDummy");
    ASSERT_NE(field, nullptr) << "the layout makes the playfield group";
    ctx->Player.Lifes = 3;
    ctx->Player.Health = 100.0;
    ctx->Level.Difficulty = 1.0;
  }

  void Frame(double dt = 0.02) { InPlayTest::Frame(dt); }
  void RunFor(double seconds, double dt = 0.02) { InPlayTest::RunFor(seconds, dt); }

  static combat::TEnemyModelData Kind(int32_t strength = 4, double clipspeed = 0.6, double clipspeedUp = 0.0,
                                      int32_t fx = 0) {
    combat::TEnemyModelData k;
    k.Strength = strength;
    k.clipspeed = clipspeed;
    k.clipspeedUp = clipspeedUp;
    k.fx = fx;
    k.cw = 1.0;
    k.ch = 1.0;
    k.clip = "EnemyClip1.bmp";
    return k;
  }

  scene::TGLBaseSceneObject* field = nullptr;
};

}  // namespace vlm::test
