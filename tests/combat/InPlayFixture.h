#pragma once
// A level in play without the level around it: a fresh game context in "game" with the world
// shown, and frames stepped straight through the scene so that only the objects under test
// (and whatever they create) run. Fixtures of the combat families build on it.
#include <gtest/gtest.h>

#include <cmath>

#include "context/GameContext.h"
#include "shell/ShellFixture.h"

namespace vlm::test {

class InPlayTest : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    ctx->GameState = "game";
    L().MainMenuDummy->Visible = false;
    L().SceneDummyCube->Visible = true;
    L().InterFaceDummyCube->Visible = true;
    L().GomSprite->Visible = false;
    L().PlayerDummy->Position = {-0.47f, 0.0f, 0.0f};
  }

  // One frame of dt seconds through the scene, then AfterObjects(), then the sweep of freed objects.
  void Frame(double dt) {
    now_ += dt;
    ctx->DeltaTime = dt;
    ctx->FrameTime = now_;
    ctx->Scene.Progress(dt, now_);
    AfterObjects();
    ctx->Scene.SweepFreed();
  }
  void RunFor(double seconds, double dt) {
    const long frames = std::lround(seconds / dt);
    for (long i = 0; i < frames; ++i) Frame(dt);
  }
  // What a fixture runs after the scene's objects each frame (the player frame, say).
  virtual void AfterObjects() {}

  // Live objects of class T anywhere in the scene.
  template <class T>
  int Count() const {
    return CountIn<T>(ctx->Scene.Objects());
  }
  template <class T>
  T* First() const {
    return FirstIn<T>(ctx->Scene.Objects());
  }

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
