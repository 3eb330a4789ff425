#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "context/GameContext.h"
#include "shell/Game.h"
#include "shell/HeadlessDriver.h"

namespace vlm::test {

// A fresh game context over empty temporary folders, driven headless.
class ShellTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // A parameterised test's name holds a "/": kept out, or only its last part would be removed.
    std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    for (char& c : name)
      if (c == '/') c = '_';
    root_ = std::filesystem::temp_directory_path() / ("vlm_shell_" + std::to_string(::getpid()) + "_" + name);
    std::filesystem::create_directories(root_ / "game");
    std::filesystem::create_directories(root_ / "user");
    GameContextConfig cfg;
    cfg.WorkingFolder = root_ / "game";
    cfg.AppDataFolder = root_ / "user";
    ctx = shell::MakeGame(cfg);
    driver = std::make_unique<shell::HeadlessDriver>(*ctx);
  }
  void TearDown() override {
    driver.reset();
    ctx.reset();
    std::error_code ec;
    std::filesystem::remove_all(root_, ec);
  }
  TLayout& L() { return ctx->L; }

  std::unique_ptr<GameContext> ctx;
  std::unique_ptr<shell::HeadlessDriver> driver;

 private:
  std::filesystem::path root_;
};

}  // namespace vlm::test
