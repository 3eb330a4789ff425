#pragma once
// A level in play without the level around it: a fresh game context in "game" with the world
// shown, and frames stepped straight through the scene so that only the objects under test
// (and whatever they create) run.
#include <gtest/gtest.h>

#include <cmath>

#include "combat/EnemyCatalogue.h"
#include "shell/GameContext.h"
#include "shell/ShellFixture.h"

namespace vlm::test {

class AftermathTest : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    field = ctx->Scene.FindObject("MainDummy");
    if (!field) {  // the enemies' layout makes it; stand in until it does
      auto* d = L().GLDummyCube2->AddNewChild<scene::TGLDummyCube>();
      d->Name = "MainDummy";
      d->Scale = {6.0f, 0.1f, 8.0f};
      field = d;
    }
    ctx->GameState = "game";
    L().MainMenuDummy->Visible = false;
    L().SceneDummyCube->Visible = true;
    L().InterFaceDummyCube->Visible = true;
    L().GomSprite->Visible = false;
    ctx->Player.Lifes = 3;
    ctx->Player.Health = 100.0;
    ctx->Level.Difficulty = 1.0;
    L().PlayerDummy->Position = {-0.47f, 0.0f, 0.0f};
  }

  // One frame of dt seconds through the scene, then the sweep of freed objects.
  void Frame(double dt = 0.02) {
    now_ += dt;
    ctx->DeltaTime = dt;
    ctx->FrameTime = now_;
    ctx->Scene.Progress(dt, now_);
    ctx->Scene.SweepFreed();
  }
  void RunFor(double seconds, double dt = 0.02) {
    const long frames = std::lround(seconds / dt);
    for (long i = 0; i < frames; ++i) Frame(dt);
  }

  // Live objects of class T anywhere in the scene.
  template <class T>
  int Count() const {
    return CountIn<T>(ctx->Scene.Objects());
  }
  template <class T>
  T* First() const {
    return FirstIn<T>(ctx->Scene.Objects());
  }

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
  template <class T>
  static T* FirstIn(const scene::TGLBaseSceneObject& o) {
    for (size_t i = 0; i < o.Count(); ++i) {
      scene::TGLBaseSceneObject* c = o.Child(i);
      if (c->IsFreedSelf()) continue;
      if (auto* t = dynamic_cast<T*>(c)) return t;
      if (T* t = FirstIn<T>(*c)) return t;
    }
    return nullptr;
  }
  double now_ = 0.0;
};

}  // namespace vlm::test
