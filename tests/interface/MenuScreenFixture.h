#pragma once
// The menus as a player meets them, for the screens' tests: a fresh headless game standing on the
// main menu, and the pointer moved onto an object's centre as it is drawn (a HUD text by the box
// of its text) to hover or press it.
#include <gtest/gtest.h>

#include "context/MenuState.h"
#include "levels/LevelRun.h"
#include "scene/Objects.h"
#include "scene/Projection.h"
#include "shell/Input.h"
#include "shell/ShellFixture.h"

namespace vlm::test {

class MenuScreenTest : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    levels::PlaceCamera(*ctx);
    L().GameIntroDummy->Visible = false;
    L().MainMenuDummy->Visible = true;
    ctx->GameState = "mainmenu";
    driver->Step();
  }
  interface::TMenuState& M() { return ctx->Menus; }

  glm::vec2 ScreenPoint(const scene::TGLBaseSceneObject& o) {
    if (o.Kind == scene::TObjectKind::HUDText) {
      glm::vec2 a, b;
      EXPECT_TRUE(static_cast<const scene::TGLHUDText&>(o).TextRect(a, b)) << o.Name;
      return (a + b) * 0.5f;
    }
    const scene::TViewProjection vp =
        scene::ComputeViewProjection(ctx->Scene.Camera(), ctx->ViewportWidth, ctx->ViewportHeight);
    glm::vec3 w;
    EXPECT_TRUE(scene::WorldToWindow(vp, o.AbsolutePosition(), w)) << o.Name;
    return {w.x, w.y};
  }
  void PointAt(const scene::TGLBaseSceneObject& o) {
    const glm::vec2 p = ScreenPoint(o);
    shell::GLSceneViewer1MouseMove(*ctx, int32_t(p.x), int32_t(p.y));
  }
  void Press(const scene::TGLBaseSceneObject& o) {
    PointAt(o);
    shell::GLSceneViewer1MouseDown(*ctx, shell::MouseButton::Left);
    shell::GLSceneViewer1MouseUp(*ctx, shell::MouseButton::Left);
  }
};

}  // namespace vlm::test
