#include <gtest/gtest.h>

#include "shell/Input.h"
#include "shell/InputScript.h"
#include "context/Layout.h"
#include "ShellFixture.h"

namespace vlm::test {
namespace {

using shell::MouseButton;

class InputTest : public ShellTest {};

TEST_F(InputTest, AHitShakesTheCameraOnFourTicks) {
  ctx->HitShakeTicks = 4;
  L().PlayerHitBlur->Visible = true;
  const float focal[] = {42, 40, 42};
  const float alpha[] = {1.0f, 2.0f / 3, 1.0f / 3};
  for (int i = 0; i < 3; ++i) {
    shell::BumpFxTimerTimer(*ctx);
    EXPECT_FLOAT_EQ(ctx->Scene.Camera().FocalLength, focal[i]) << "tick " << i;
    EXPECT_NEAR(MaterialAlpha(*L().PlayerHitBlur), alpha[i], 1e-6);
    EXPECT_TRUE(L().PlayerHitBlur->Visible);
  }
  shell::BumpFxTimerTimer(*ctx);
  EXPECT_FLOAT_EQ(ctx->Scene.Camera().FocalLength, 40.0f);
  EXPECT_FALSE(L().PlayerHitBlur->Visible);
}

TEST_F(InputTest, TimersTickAtTheirIntervalsAndDoNotBurstAfterAStall) {
  ctx->Options.Fps = true;
  int timer1 = 0, bump = 0;
  auto count = [&](int64_t now) {
    ctx->Timers.FireDue(now, [&](TimerId id) {
      timer1 += id == TimerId::Timer1;
      bump += id == TimerId::BumpFxTimer;
    });
  };
  for (int64_t t = 0; t <= 2000; t += 10) count(t);
  EXPECT_EQ(timer1, 2);
  EXPECT_EQ(bump, 25);
  count(9000);  // a 7-second stall
  EXPECT_EQ(timer1, 3);
  EXPECT_EQ(bump, 26);
  EXPECT_FALSE(ctx->Timers[TimerId::EnemiesTimer].Enabled);
  EXPECT_FALSE(ctx->Timers[TimerId::Timer2].Enabled);
}

TEST_F(InputTest, TheLevelLoadsOnTheSecondTimerTickInLoading) {
  // No content in this fixture: the load is attempted, fails and names the level file.
  auto& platform = static_cast<HeadlessPlatform&>(ctx->Platform());
  platform.echo = false;
  ctx->GameState = "loading";
  ctx->LoadingTicks = 0;
  shell::Timer1Timer(*ctx);
  EXPECT_TRUE(platform.Errors().empty());
  EXPECT_EQ(ctx->GameState, "loading");
  shell::Timer1Timer(*ctx);
  ASSERT_FALSE(platform.Errors().empty());
  EXPECT_NE(platform.Errors().back().find("Data\\t_data\\levels\\1.ini"), std::string::npos) << platform.Errors().back();
  EXPECT_NE(ctx->GameState, "loading");
}

TEST_F(InputTest, FrameRateTextOnlyWithTheOption) {
  L().GLHUDText1->Text = "keep";
  driver->RunFor(1100);
  EXPECT_EQ(L().GLHUDText1->Text, "keep");
  ctx->Options.Fps = true;
  driver->RunFor(2000);
  ASSERT_EQ(L().GLHUDText1->Text.rfind("fps=", 0), 0u);
  int fps = std::stoi(L().GLHUDText1->Text.substr(4));
  EXPECT_GE(fps, 61);  // 16 ms frames: 62.5 per second
  EXPECT_LE(fps, 63);
}

TEST_F(InputTest, ClickFlagsFollowTheButtons) {
  shell::GLSceneViewer1MouseDown(*ctx, MouseButton::Left);
  shell::GLSceneViewer1MouseDown(*ctx, MouseButton::Right);
  EXPECT_TRUE(ctx->LeftClick);
  EXPECT_TRUE(ctx->RightClick);
  shell::GLSceneViewer1MouseUp(*ctx, MouseButton::Middle);  // any button clears both
  EXPECT_FALSE(ctx->LeftClick);
  EXPECT_FALSE(ctx->RightClick);

  ctx->GameState = "statistics";  // a click during the count-up is consumed
  shell::GLSceneViewer1MouseDown(*ctx, MouseButton::Left);
  EXPECT_FALSE(ctx->LeftClick);
}

// A press sets the flag of every button held at that moment, not only of the one pressed.
TEST_F(InputTest, APressWhileAnotherButtonIsHeldClicksBoth) {
  struct Case {
    MouseButton held, pressed;
    bool left, right;
  };
  const Case cases[] = {{MouseButton::Left, MouseButton::Right, true, true},
                        {MouseButton::Right, MouseButton::Left, true, true},
                        {MouseButton::Left, MouseButton::Middle, true, false},
                        {MouseButton::Right, MouseButton::Middle, false, true},
                        {MouseButton::Middle, MouseButton::Middle, false, false}};
  for (const Case& c : cases) {
    ctx->MouseDevice.PendingButtons.fill(false);
    shell::GLSceneViewer1MouseDown(*ctx, c.held);
    // Another button's click and release clears both flags while `held` stays down.
    shell::GLSceneViewer1MouseDown(*ctx, MouseButton::Middle);
    shell::GLSceneViewer1MouseUp(*ctx, MouseButton::Middle);
    ASSERT_FALSE(ctx->LeftClick);
    ASSERT_FALSE(ctx->RightClick);
    if (c.held != MouseButton::Middle) ctx->MouseDevice.PendingButtons[static_cast<size_t>(c.held)] = true;
    shell::GLSceneViewer1MouseDown(*ctx, c.pressed);
    EXPECT_EQ(ctx->LeftClick, c.left) << int(c.held) << " held, " << int(c.pressed) << " pressed";
    EXPECT_EQ(ctx->RightClick, c.right) << int(c.held) << " held, " << int(c.pressed) << " pressed";
    shell::GLSceneViewer1MouseUp(*ctx, c.pressed);
    shell::GLSceneViewer1MouseUp(*ctx, c.held);
  }
}

// In play the window reports no pointer positions; the game's pointer follows the device so that
// a menu opening in play finds it where the mouse went, never outside the window.
TEST_F(InputTest, ThePointerFollowsTheMouseWhileCaptured) {
  ctx->GameState = "game";
  driver->Step();
  ASSERT_TRUE(ctx->Platform().PointerCaptured());
  ctx->MouseX = 500;
  ctx->MouseY = 400;
  const struct {
    int dx, dy, x, y;
  } moves[] = {{30, -20, 530, 380}, {-45, 7, 485, 387}, {5000, 5000, 1023, 767}, {-9000, -9000, 0, 0}};
  for (const auto& m : moves) {
    shell::InputEvent e;
    e.Kind = shell::InputEvent::Type::Rel;
    e.X = m.dx;
    e.Y = m.dy;
    shell::ApplyInputEvent(*ctx, e);
    EXPECT_EQ(ctx->MouseX, m.x) << m.dx << "," << m.dy;
    EXPECT_EQ(ctx->MouseY, m.y) << m.dx << "," << m.dy;
  }
  // Released, the window's own positions rule; the device only steers.
  ctx->GameState = "mainmenu";
  driver->Step();
  ASSERT_FALSE(ctx->Platform().PointerCaptured());
  shell::MouseDeviceMotion(*ctx, 40, 40);
  EXPECT_EQ(ctx->MouseX, 0);
  EXPECT_EQ(ctx->MouseY, 0);
}

// Slow motion slows the frame clock, not the frames: the counter shows frames per real second.
TEST_F(InputTest, FrameRateCountsRealSecondsInSlowMotion) {
  ctx->Options.Fps = true;
  ctx->GLCadencer1.SetTimeMultiplier(0.25);
  driver->RunFor(3100);
  ASSERT_DOUBLE_EQ(ctx->GLCadencer1.GetTimeMultiplier(), 0.25);
  ASSERT_EQ(L().GLHUDText1->Text.rfind("fps=", 0), 0u);
  const int fps = std::stoi(L().GLHUDText1->Text.substr(4));
  EXPECT_GE(fps, 61);  // 16 ms frames: 62.5 per second
  EXPECT_LE(fps, 63);
}

TEST_F(InputTest, PauseKeyTogglesOnlyBetweenGameAndPause) {
  struct Case {
    const char* from;
    bool menuOpen;
    const char* to;
  };
  const Case cases[] = {{"game", false, "pause"},   {"pause", false, "game"},    {"game", true, "game"},
                        {"mainmenu", false, "mainmenu"}, {"statistics", false, "statistics"}};
  for (const Case& c : cases) {
    for (Key k : {Key::P, Key::Pause}) {
      ctx->GameState = c.from;
      L().PauseMenuDummyCube->Visible = c.menuOpen;
      shell::FormKeyDown(*ctx, k);
      EXPECT_EQ(ctx->GameState, c.to) << c.from << " key " << KeyName(k);
    }
  }
}

TEST_F(InputTest, PointerIsCapturedInPlayAndReleasedInMenusAndOnFocusLoss) {
  auto& platform = static_cast<HeadlessPlatform&>(ctx->Platform());
  ctx->GameState = "game";
  driver->Step();
  EXPECT_TRUE(platform.PointerCaptured());
  shell::WindowDeactivated(*ctx);
  EXPECT_EQ(ctx->GameState, "pause");
  EXPECT_FALSE(platform.PointerCaptured());
  driver->Step();
  EXPECT_FALSE(platform.PointerCaptured());
  ctx->GameState = "mainmenu";
  driver->Step();
  EXPECT_FALSE(platform.PointerCaptured());
}

TEST_F(InputTest, CtrlEscapeMinimises) {
  auto& platform = static_cast<HeadlessPlatform&>(ctx->Platform());
  shell::FormKeyDown(*ctx, Key::Escape);
  EXPECT_EQ(platform.MinimiseCount(), 0);
  shell::FormKeyDown(*ctx, Key::Ctrl);
  shell::FormKeyDown(*ctx, Key::Escape);
  EXPECT_EQ(platform.MinimiseCount(), 1);
}

TEST_F(InputTest, MouseDeviceReportsMovementSinceTheLastFrame) {
  driver->Feed(shell::ParseInputScript("10 rel 5 -3\n12 rel 2 1\n12 down left\n40 rel 1 1\n", "t"));
  driver->Step();  // 16 ms
  EXPECT_EQ(ctx->MouseDevice.DeltaX, 7);
  EXPECT_EQ(ctx->MouseDevice.DeltaY, -2);
  EXPECT_TRUE(ctx->MouseDevice.Buttons[0]);
  driver->Step();  // 32 ms: nothing moved
  EXPECT_EQ(ctx->MouseDevice.DeltaX, 0);
  driver->Step();
  EXPECT_EQ(ctx->MouseDevice.DeltaX, 1);
}

TEST(InputScriptTest, RoundTripsAndNamesTheBadLine) {
  const char* script = "# replay\n0 move 10 20\n5 down left\n5 up right\n7 key Escape down\n9 rel -4 3\n11 text ab c\n";
  auto events = shell::ParseInputScript(script, "replay.txt");
  ASSERT_EQ(events.size(), 6u);
  std::string again;
  for (auto& e : events) again += shell::FormatInputEvent(e) + "\n";
  EXPECT_EQ(again, std::string(script).substr(9));

  const char* bad[] = {"5 jump", "x move 1 2", "5 move 1", "5 down thumb", "5 key Nope down", "9 move 1 1\n3 move 1 1",
                       "-1 move 1 1", "5 move 1 1 1", "5 rel 2147483647 0", "5 move -1000001 0",
                       "8640000000001 move 1 1", "5 text a\x01b", "5 deactivate now", "5 up"};
  for (const char* b : bad) {
    try {
      shell::ParseInputScript(b, "replay.txt");
      ADD_FAILURE() << "accepted: " << b;
    } catch (const std::runtime_error& e) {
      EXPECT_NE(std::string(e.what()).find("replay.txt, line"), std::string::npos) << e.what();
    }
  }
}


// What a script says back about itself is escaped: a crafted word cannot drive the terminal.
TEST(InputScriptTest, MessagesEscapeControlCharacters) {
  try {
    shell::ParseInputScript("0 move 1 1\n5 \x1b[2Jjump\n", "evil\n.txt");
    ADD_FAILURE() << "accepted";
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(std::string(e.what()), "evil\\x0a.txt, line 2: unknown event '\\x1b[2Jjump'");
  }
  const std::string longest(shell::kMaxEventTextBytes, 'a');
  EXPECT_EQ(shell::ParseInputScript("5 text " + longest + "\n", "t")[0].Chars, longest);
  EXPECT_THROW(shell::ParseInputScript("5 text " + longest + "a\n", "t"), std::runtime_error);
}

}  // namespace
}  // namespace vlm::test
