#include <gtest/gtest.h>

#include "shell/FrameLoop.h"
#include "shell/Input.h"
#include "context/Layout.h"
#include "ShellFixture.h"

namespace vlm::test {
namespace {


class FrameLoopTest : public ShellTest {};

TEST_F(FrameLoopTest, SlowFramesAreClampedSoTheGameRunsSlowerThanRealTime) {
  driver->SetFrameMs(50);  // 20 frames per second
  driver->RunFor(100);     // the clock's first tick only starts it
  double start = ctx->FrameTime;
  driver->RunFor(1000);
  EXPECT_DOUBLE_EQ(ctx->DeltaTime, 0.035);
  EXPECT_NEAR(ctx->FrameTime - start, 0.7, 1e-9);
}

TEST_F(FrameLoopTest, SlowMotionFallsTowardsHalfSpeedAndRecovers) {
  ctx->GameState = "game";
  ctx->Level.LevelEnemyCount = 1;  // an enemy still to come keeps the level running
  ctx->Player.SlowMotionSeconds = 5;
  L().SlowMotionBlur->Visible = true;
  driver->RunFor(3000);
  double m = ctx->GLCadencer1.GetTimeMultiplier();
  EXPECT_LE(m, 0.5);
  EXPECT_GT(m, 0.49);  // the last step may overshoot only a little
  EXPECT_NEAR(ctx->Scene.Camera().FocalLength, 1.0 / m + 39.0, 0.02);
  EXPECT_NEAR(MaterialAlpha(*L().SlowMotionBlur), 1.0 - 1.25 * m, 1e-6);
  EXPECT_GT(MaterialAlpha(*L().SlowMotionBlur), 0.37f);
  EXPECT_TRUE(L().SlowMotionBlur->Visible);

  ctx->Player.SlowMotionSeconds = 0;
  EXPECT_TRUE(driver->RunUntil([&] { return !L().SlowMotionBlur->Visible; }, 5000));
  EXPECT_GE(ctx->GLCadencer1.GetTimeMultiplier(), 1.0);
  EXPECT_LT(MaterialAlpha(*L().SlowMotionBlur), 0.0f);  // negative: invisible
}

TEST_F(FrameLoopTest, FlyInDoesNotTouchTheTimeMultiplier) {
  ctx->GameState = "levelintro2";
  ctx->TimeScale = 20.0;  // the warp has just begun
  ctx->Player.SlowMotionSeconds = 5;
  driver->RunFor(300);
  ASSERT_EQ(ctx->GameState, "levelintro2");
  EXPECT_DOUBLE_EQ(ctx->GLCadencer1.GetTimeMultiplier(), 1.0);
  EXPECT_FLOAT_EQ(ctx->Scene.Camera().FocalLength, 40.0f);
}

TEST_F(FrameLoopTest, TimeScaleRecoversAtTwoHundredthsPerGameSecond) {
  ctx->GameState = "game";
  ctx->Level.LevelEnemyCount = 1;
  ctx->TimeScale = 0.7;
  driver->SetFrameMs(20);
  driver->RunFor(14500);
  EXPECT_LT(ctx->TimeScale, 1.0);
  driver->RunFor(700);
  EXPECT_GE(ctx->TimeScale, 1.0);
  EXPECT_LT(ctx->TimeScale, 1.001);  // not clamped, but only the last step overshoots
}

TEST_F(FrameLoopTest, HeldEscapeOpensThePauseMenuAndClosesItOnlyWhenFullyOpen) {
  ctx->GameState = "game";
  driver->Step();
  shell::FormKeyDown(*ctx, Key::Escape);
  driver->Step();
  EXPECT_EQ(ctx->GameState, "pausemenu");
  EXPECT_TRUE(L().PauseMenuDummyCube->Visible);
  EXPECT_TRUE(L().CursorImage->Visible);
  EXPECT_FLOAT_EQ(L().PM_Resume->AlphaChannel, 0.0f);

  L().PM_up->Position.x = 3.0f;  // still sliding in: the held key does nothing
  driver->Step();
  EXPECT_EQ(ctx->GameState, "pausemenu");

  L().PM_up->Position.x = 2.7f;  // within 0.2 of its resting place
  driver->Step();
  EXPECT_EQ(ctx->GameState, "game");
  EXPECT_FALSE(L().CursorImage->Visible);
}

TEST_F(FrameLoopTest, EscapeIsIgnoredWhileGameOverOrPauseOptionsShow) {
  ctx->GameState = "game";
  L().GomSprite->Visible = true;
  shell::FormKeyDown(*ctx, Key::Escape);
  driver->Step();
  EXPECT_EQ(ctx->GameState, "game");
}

TEST_F(FrameLoopTest, EachClickSkipsOneLogoStepAndTheLastOneStartsTheMenuIntro) {
  ctx->GameState = "gameintro";
  const int expectedSteps[] = {1, 2, 3};
  for (int step : expectedSteps) {
    ctx->LeftClick = true;
    driver->Step();
    EXPECT_EQ(ctx->IntroLogoStep, step);
    EXPECT_EQ(ctx->GameState, "gameintro");
    EXPECT_FALSE(ctx->LeftClick);
  }
  EXPECT_NEAR(L().QuorvelWorksLogo->AlphaChannel, 1.0f, 0.01f);  // already fading this frame
  EXPECT_FLOAT_EQ(L().TessikLogo->AlphaChannel, 0.0f);
  ctx->LeftClick = true;
  driver->Step();
  EXPECT_EQ(ctx->GameState, "menuintro");
  EXPECT_FALSE(L().GameIntroDummy->Visible);
  EXPECT_TRUE(L().MM_blur->Visible);
}

// The menu's entrance lasts as long at 30 frames a second as at 125: its fades step by the
// frame's time, so a slow machine does not keep the player waiting four times as long and a fast
// one does not cut it short. (Below 28.6 fps the whole game clock runs slow, by design.)
TEST_F(FrameLoopTest, TheMenuIntroTakesTheSameTimeAtAnyFrameRate) {
  auto introMs = [&](int32_t frameMs) {
    GameContextConfig cfg;
    cfg.WorkingFolder = ctx->Data->WorkingFolder();
    cfg.AppDataFolder = ctx->Data->AppDataFolder();
    auto game = shell::MakeGame(cfg);
    shell::HeadlessDriver run(*game, frameMs);
    game->L.GameIntroDummy->Visible = false;
    game->GameState = "menuintro";
    // With no profile yet the entrance ends on the name entry instead.
    EXPECT_TRUE(run.RunUntil([&] { return game->GameState == "mainmenu" || game->GameState == "changeplayer"; }, 120000))
        << frameMs;
    return run.NowMs();
  };
  const int64_t at125 = introMs(8);
  const int64_t at30 = introMs(33);
  EXPECT_GT(at125, 3000);  // an entrance, not a cut
  EXPECT_NEAR(double(at30), double(at125), 0.1 * double(at125));
}

TEST_F(FrameLoopTest, SortingFollowsTheState) {
  struct Case {
    const char* state;
    float logoAlpha;
    scene::TGLObjectsSorting want;
  };
  using S = scene::TGLObjectsSorting;
  const Case cases[] = {
      {"game", 1.0f, S::RenderBlendedLast},       {"pause", 1.0f, S::RenderBlendedLast},
      {"statistics", 1.0f, S::RenderBlendedLast}, {"levelintro", 0.4f, S::RenderBlendedLast},
      {"levelintro2", 0.4f, S::RenderBlendedLast}, {"levelintro2", 0.6f, S::None},
      {"mainmenu", 0.0f, S::None},                {"pausemenu", 0.0f, S::None},
  };
  for (const Case& c : cases) {
    ctx->GameState = c.state;
    L().LogoHudSprite->AlphaChannel = c.logoAlpha;
    driver->Step();
    EXPECT_EQ(ctx->Scene.ObjectsSorting, c.want) << c.state << " logo alpha " << c.logoAlpha;
  }
}

TEST_F(FrameLoopTest, CursorSpriteHangsFromTheMousePoint) {
  L().CursorImage->Visible = true;
  L().CursorImage->Width = 32;
  L().CursorImage->Height = 24;
  shell::GLSceneViewer1MouseMove(*ctx, 100, 200);
  driver->Step();
  EXPECT_FLOAT_EQ(L().CursorImage->Position.x, 116.0f);
  EXPECT_FLOAT_EQ(L().CursorImage->Position.y, 212.0f);
}

TEST_F(FrameLoopTest, ReturnToMainMenuResetsSlowMotionPauseMenuAndWorld) {
  ctx->GameState = "pausemenu";
  ctx->Player.SlowMotionSeconds = 7;
  ctx->TimeScale = 0.4;
  ctx->GLCadencer1.SetTimeMultiplier(0.6);
  ctx->Scene.Camera().FocalLength = 41.5f;
  L().SceneDummyCube->Visible = true;
  L().PauseMenuDummyCube->Visible = true;
  L().PM_up->Position.x = 2.62f;
  ReturnToMainMenu(*ctx);
  EXPECT_EQ(ctx->GameState, "mainmenu");
  EXPECT_EQ(ctx->Player.SlowMotionSeconds, 0);
  EXPECT_DOUBLE_EQ(ctx->TimeScale, 1.0);
  EXPECT_DOUBLE_EQ(ctx->GLCadencer1.GetTimeMultiplier(), 1.0);
  EXPECT_FLOAT_EQ(ctx->Scene.Camera().FocalLength, 40.0f);
  EXPECT_FALSE(L().SceneDummyCube->Visible);
  EXPECT_FALSE(L().PauseMenuDummyCube->Visible);
  EXPECT_FLOAT_EQ(L().PM_up->Position.x, 3.8f);
  EXPECT_FLOAT_EQ(L().PM_down->Position.x, -3.8f);
  EXPECT_TRUE(L().MainMenuDummy->Visible);
  EXPECT_TRUE(L().CursorImage->Visible);
}

}  // namespace
}  // namespace vlm::test

namespace vlm::test {
namespace {

TEST_F(FrameLoopTest, HeldScreenshotKeysSaveOneFramePerFrameIntoScreenShots) {
  auto& platform = static_cast<HeadlessPlatform&>(ctx->Platform());
  for (Key k : {Key::F12, Key::PrintScreen}) {
    const size_t before = platform.Screenshots().size();
    shell::FormKeyDown(*ctx, k);
    driver->Step();
    driver->Step();
    shell::FormKeyUp(*ctx, k);
    driver->Step();
    ASSERT_EQ(platform.Screenshots().size(), before + 2) << KeyName(k);
    const auto& file = platform.Screenshots().back();
    EXPECT_EQ(file.parent_path().filename(), "ScreenShots");
    EXPECT_TRUE(std::filesystem::is_directory(file.parent_path()));
    EXPECT_EQ(file.extension(), ".bmp");
  }
  std::tm t{};
  t.tm_mday = 9;
  t.tm_mon = 11;
  t.tm_year = 126;
  t.tm_hour = 23;
  t.tm_min = 5;
  t.tm_sec = 7;
  EXPECT_EQ(shell::ScreenshotFileName(t), "09_12_2026_23_05_07.bmp");
}

}  // namespace
}  // namespace vlm::test
