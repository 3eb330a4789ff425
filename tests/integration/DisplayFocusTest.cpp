// The window's focus lost and found again in a real level: a fly-in that ends while the player is
// away pauses at once, the music is silent meanwhile and comes back on the return, and the pause
// stays until the player resumes.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "integration/HeadlessGame.h"
#include "levels/LevelRun.h"
#include "context/GameContext.h"
#include "shell/HeadlessDriver.h"
#include "shell/Input.h"
#include "sound/SoundUnit.h"

namespace vlm::test {
namespace {

class DisplayFocusIntegration : public ::testing::Test, protected HeadlessGame {
 protected:
  void SetUp() override {
    Lay(TestFolder("vlm_focus_"), BuiltArchive());
    if (!HasFatalFailure()) Start(5);
  }
  void TearDown() override { Close(); }
  HeadlessPlatform& Platform() { return static_cast<HeadlessPlatform&>(ctx->Platform()); }
  void Event(shell::InputEvent::Type type) {
    shell::InputEvent e;
    e.Kind = type;
    shell::ApplyInputEvent(*ctx, e);
  }
};

TEST_F(DisplayFocusIntegration, AFlyInThatEndsWhileAwayPausesAndTheReturnKeepsThePause) {
  ctx->Options.MusicVolume = 0.6;
  levels::StartLevelDirect(*ctx, 1);
  ASSERT_TRUE(RunUntilState("levelintro2", 10000));
  driver->RunFor(100);
  ASSERT_EQ(ctx->GameState, "levelintro2");
  ASSERT_TRUE(Platform().PointerCaptured()) << "the fly-in steers the ship";
  Event(shell::InputEvent::Type::Deactivate);
  EXPECT_FALSE(Platform().PointerCaptured());
  EXPECT_EQ(Audio().MusicVolume(), 0);
  // The fly-in runs to its end; play does not begin without the player.
  ASSERT_TRUE(driver->RunUntil([&] { return ctx->GameState != "levelintro2"; }, 20000));
  EXPECT_EQ(ctx->GameState, "pause");
  EXPECT_TRUE(ctx->L.PauseDummyCube->Visible);
  const double levelTime = ctx->Level.LevelTime;
  driver->RunFor(1000);
  EXPECT_EQ(ctx->Level.LevelTime, levelTime) << "the level clock stands";
  EXPECT_FALSE(Platform().PointerCaptured());
  EXPECT_EQ(Audio().MusicVolume(), 0);

  Event(shell::InputEvent::Type::Activate);
  driver->RunFor(100);
  EXPECT_EQ(ctx->GameState, "pause");
  EXPECT_EQ(Audio().MusicVolume(), 60);
  EXPECT_FALSE(Platform().PointerCaptured());
  shell::FormKeyDown(*ctx, Key::P);
  shell::FormKeyUp(*ctx, Key::P);
  driver->Step();
  EXPECT_EQ(ctx->GameState, "game");
  EXPECT_TRUE(Platform().PointerCaptured());
}

}  // namespace
}  // namespace vlm::test
