#pragma once
// The real game without a window, in a folder of its own: "game" holds a link to a content
// archive (the built one unless a test forges its own) and to the default save beside it, "user"
// is the player's empty folder.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include "levels/LevelRun.h"
#include "context/GameContext.h"
#include "scene/Projection.h"
#include "shell/Game.h"
#include "shell/HeadlessDriver.h"
#include "shell/InputScript.h"

namespace vlm::test {

// The archive the build packed (VLM_BUILD_DIR overrides the folder the build was configured in).
inline std::filesystem::path BuiltArchive() {
  const char* build = std::getenv("VLM_BUILD_DIR");
  if (!build) build = VLM_BUILD_DIR_DEFAULT;
  return std::filesystem::path(build) / "original.vlm";
}

// A folder unique to this process and the running test, below the temporary folder (the "/" of
// a parameterised test's name kept out of it).
inline std::filesystem::path TestFolder(const std::string& prefix, const std::string& suffix = {}) {
  std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
  for (char& c : name)
    if (c == '/') c = '_';
  return std::filesystem::temp_directory_path() / (prefix + std::to_string(::getpid()) + "_" + name + suffix);
}

struct HeadlessGame {
  std::unique_ptr<GameContext> ctx;
  std::unique_ptr<shell::HeadlessDriver> driver;
  std::filesystem::path root;

  // Lays out `folder` afresh: "game" with a link to `archive`, an empty "user".
  void Lay(const std::filesystem::path& folder, const std::filesystem::path& archive) {
    ASSERT_TRUE(std::filesystem::exists(archive)) << archive << " has not been built";
    root = folder;
    std::filesystem::remove_all(root);
    std::filesystem::create_directories(root / "game");
    std::filesystem::create_directories(root / "user");
    std::filesystem::create_symlink(archive, root / "game" / "original.vlm");
    // The default save every new profile is copied from lies beside the archive the build made.
    const std::filesystem::path save = archive.parent_path() / "Saves" / "tr" / "defaultsave.ini";
    if (std::filesystem::exists(save)) {
      std::filesystem::create_directories(root / "game" / "Saves" / "tr");
      std::filesystem::create_symlink(save, root / "game" / "Saves" / "tr" / "defaultsave.ini");
    }
  }

  // Starts the game in the laid-out folder on 16 ms frames; fails the test (ctx stays empty)
  // when it cannot start.
  void Start(uint64_t seed, int32_t width = 1024, int32_t height = 768) {
    shell::THeadlessGameConfig cfg;
    cfg.WorkingFolder = root / "game";
    cfg.AppDataFolder = root / "user";
    cfg.Seed = seed;
    cfg.Width = width;
    cfg.Height = height;
    std::string error;
    ctx = shell::CreateHeadlessGame(cfg, &error);
    ASSERT_NE(ctx, nullptr) << error;
    driver = std::make_unique<shell::HeadlessDriver>(*ctx, 16);
  }

  // Ends the game and removes its folder.
  void Close() {
    driver.reset();
    ctx.reset();
    std::error_code ec;
    if (!root.empty()) std::filesystem::remove_all(root, ec);
  }

  bool RunUntilState(const std::string& state, int64_t maxMs) {
    return driver->RunUntil([&] { return ctx->GameState == state; }, maxMs);
  }
  // A click: the pointer moves there, the left button goes down and comes up; then the game runs
  // on for a while.
  void ClickAt(glm::vec2 p, int64_t settleMs = 300) {
    const int64_t t = driver->NowMs();
    std::vector<shell::InputEvent> e(3);
    e[0].TimeMs = t + 20;
    e[0].Kind = shell::InputEvent::Type::Move;
    e[0].X = int32_t(p.x);
    e[0].Y = int32_t(p.y);
    e[1].TimeMs = t + 40;
    e[1].Kind = shell::InputEvent::Type::Down;
    e[2].TimeMs = t + 100;
    e[2].Kind = shell::InputEvent::Type::Up;
    driver->Feed(e);
    driver->RunFor(settleMs);
  }
  // A player's click on a world object where it is drawn: the pointer moves there, the left
  // button goes down and comes up; then the game runs on for `settleMs`.
  void ClickOn(const scene::TGLBaseSceneObject& o, int64_t settleMs = 300) {
    const scene::TViewProjection vp =
        scene::ComputeViewProjection(ctx->Scene.Camera(), ctx->ViewportWidth, ctx->ViewportHeight);
    glm::vec3 w;
    ASSERT_TRUE(scene::WorldToWindow(vp, o.AbsolutePosition(), w)) << o.Name;
    ASSERT_TRUE(o.IsVisibleInTree()) << o.Name;
    ClickAt({w.x, w.y}, settleMs);
  }
};

}  // namespace vlm::test
