// What the camera shows of a running level at the three window sizes of the options, through the
// scene's own projection and picking: the whole ship on its row near the bottom edge.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include <glm/glm.hpp>

#include "combat/Player.h"
#include "integration/HeadlessGame.h"
#include "levels/LevelRun.h"
#include "scene/Projection.h"
#include "context/GameContext.h"
#include "shell/HeadlessDriver.h"

namespace vlm::test {
namespace {

namespace fs = std::filesystem;

struct WindowSize {
  int Width, Height;
};

class ViewIntegration : public ::testing::TestWithParam<WindowSize>, protected HeadlessGame {
 protected:
  void SetUp() override {
    Lay(TestFolder("vlm_view_", "_" + std::to_string(GetParam().Width)), BuiltArchive());
    if (!HasFatalFailure()) Start(3, GetParam().Width, GetParam().Height);
  }
  void TearDown() override { Close(); }
};

// The window rectangle covered by every vertex of the meshes under `root`.
struct ScreenBox {
  glm::vec2 Min{1e9f}, Max{-1e9f};
  int Vertices = 0, BehindCamera = 0;
};

void Cover(const scene::TViewProjection& vp, const scene::TGLBaseSceneObject& o, ScreenBox& box) {
  if (o.Kind == scene::TObjectKind::FreeForm) {
    const auto& f = static_cast<const scene::TGLFreeForm&>(o);
    const glm::mat4 m = f.AbsoluteMatrix();
    for (const glm::vec3& v : f.Mesh.Vertices) {
      glm::vec3 w;
      ++box.Vertices;
      if (!scene::WorldToWindow(vp, glm::vec3(m * glm::vec4(v, 1.0f)), w)) {
        ++box.BehindCamera;
        continue;
      }
      box.Min = glm::min(box.Min, glm::vec2(w));
      box.Max = glm::max(box.Max, glm::vec2(w));
    }
  }
  for (size_t i = 0; i < o.Count(); ++i) Cover(vp, *o.Child(i), box);
}

bool IsUnder(const scene::TGLBaseSceneObject* o, const scene::TGLBaseSceneObject* ancestor) {
  for (; o; o = o->Parent())
    if (o == ancestor) return true;
  return false;
}

TEST_P(ViewIntegration, TheWholeShipShowsOnItsRowNearTheBottomEdge) {
  const int w = GetParam().Width, h = GetParam().Height;
  levels::StartLevelDirect(*ctx, 1);
  ASSERT_TRUE(driver->RunUntil([&] { return ctx->GameState == "game"; }, 60000));
  scene::TGLDummyCube& ship = *ctx->L.PlayerDummy;
  ASSERT_NEAR(ship.Position.x, -0.47f, 1e-4f);

  const scene::TViewProjection vp = scene::ComputeViewProjection(ctx->Scene.Camera(), w, h);
  ScreenBox box;
  Cover(vp, ship, box);
  ASSERT_GT(box.Vertices, 0) << "the ship has no mesh";
  EXPECT_EQ(box.BehindCamera, 0);
  SCOPED_TRACE("ship covers x " + std::to_string(box.Min.x) + ".." + std::to_string(box.Max.x) + ", y " +
               std::to_string(box.Min.y) + ".." + std::to_string(box.Max.y));
  // Wholly inside the window, the same share of it at every size...
  EXPECT_GE(box.Min.x, 0.0f);
  EXPECT_LE(box.Max.x, float(w));
  EXPECT_GE(box.Min.y, 0.0f);
  EXPECT_LE(box.Max.y, float(h));
  // ...a ship of a reasonable size (not a speck, not a wall), in the bottom fifth of the window.
  EXPECT_GT(box.Max.y - box.Min.y, 0.05f * h);
  EXPECT_LT(box.Max.y - box.Min.y, 0.2f * h);
  EXPECT_GT(box.Min.y, 0.7f * h);
  EXPECT_GT(box.Max.y, 0.85f * h);
  EXPECT_NEAR((box.Min.x + box.Max.x) * 0.5f, w * 0.5f, 0.05f * w);

  // The play field's corners (±0.5 of the scaled groups) lie just inside the window's edges.
  const glm::mat4 field = ship.Parent()->AbsoluteMatrix();
  for (float x : {-0.5f, 0.5f})
    for (float z : {-0.5f, 0.5f}) {
      glm::vec3 p;
      ASSERT_TRUE(scene::WorldToWindow(vp, glm::vec3(field * glm::vec4(x, 0.0f, z, 1.0f)), p));
      EXPECT_GT(p.x, 0.0f) << x << ", " << z;
      EXPECT_LT(p.x, float(w)) << x << ", " << z;
      EXPECT_GT(p.y, 0.0f) << x << ", " << z;
      EXPECT_LT(p.y, float(h)) << x << ", " << z;
      EXPECT_LT(std::min(p.y, h - p.y), 0.05f * h) << "the field should fill the window's height";
    }

  // Picking at the middle of the ship finds the ship.
  const glm::vec2 centre = (box.Min + box.Max) * 0.5f;
  const scene::TGLBaseSceneObject* picked = ctx->Scene.GetPickedObject(int(centre.x), int(centre.y), w, h);
  ASSERT_NE(picked, nullptr);
  EXPECT_TRUE(IsUnder(picked, &ship)) << "picked " << picked->Name;
}

INSTANTIATE_TEST_SUITE_P(Resolutions, ViewIntegration,
                         ::testing::Values(WindowSize{640, 480}, WindowSize{800, 600}, WindowSize{1024, 768}),
                         [](const ::testing::TestParamInfo<WindowSize>& info) {
                           return std::to_string(info.param.Width) + "x" + std::to_string(info.param.Height);
                         });

}  // namespace
}  // namespace vlm::test
