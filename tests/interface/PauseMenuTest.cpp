// The pause menu (Escape: bars slide in, veil and buttons fade, Resume) and the pause screen
// (pause keys: pulsing picture, drifting noise), driven through the real frame loop and input.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>

#include "context/MenuState.h"
#include "interface/PauseMenu.h"
#include "levels/LevelRun.h"
#include "scene/Projection.h"
#include "shell/FrameLoop.h"
#include "shell/Input.h"
#include "context/Layout.h"
#include "context/Platform.h"
#include "shell/ShellFixture.h"
#include "sound/SoundUnit.h"

namespace vlm::test {
namespace {


class PauseMenuTest : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    levels::PlaceCamera(*ctx);
    ctx->GameState = "game";
    ctx->Level.LevelEnemyCount = 1;  // an enemy still to come keeps the level running
    L().SceneDummyCube->Visible = true;
    L().InterFaceDummyCube->Visible = true;
    L().GameIntroDummy->Visible = false;  // the start-up logos are long gone in play
    driver->Step();
  }

  // A tap of a key: down for one frame, then up.
  void Tap(Key key) {
    shell::FormKeyDown(*ctx, key);
    driver->Step();
    shell::FormKeyUp(*ctx, key);
  }

  void OpenFully() {
    Tap(Key::Escape);
    ASSERT_EQ(ctx->GameState, "pausemenu");
    driver->RunFor(1500);
  }

  float Fade() const { return MaterialAlpha(*ctx->L.PauseMenuBlur); }

  // Moves the pointer onto an object's centre as drawn.
  void PointAt(const scene::TGLBaseSceneObject& o) {
    const scene::TViewProjection vp =
        scene::ComputeViewProjection(ctx->Scene.Camera(), ctx->ViewportWidth, ctx->ViewportHeight);
    glm::vec3 w;
    ASSERT_TRUE(scene::WorldToWindow(vp, glm::vec3(o.AbsoluteMatrix()[3]), w));
    shell::GLSceneViewer1MouseMove(*ctx, int32_t(w.x), int32_t(w.y));
  }

  size_t SoundsSince(uint64_t before, const char* name) const {
    size_t n = 0;
    for (uint64_t i = 0; i < Audio().StartCount() - before; ++i) n += Audio().RecentStart(i).Name() == name;
    return n;
  }
};

TEST_F(PauseMenuTest, EscapeSlidesTheBarsInThenHidesTheHud) {
  Tap(Key::Escape);
  ASSERT_EQ(ctx->GameState, "pausemenu");
  EXPECT_TRUE(L().PauseMenuDummyCube->Visible);
  EXPECT_TRUE(L().PauseMenuBlur->Visible);
  EXPECT_TRUE(L().CursorImage->Visible);
  const int64_t start = driver->NowMs();
  ASSERT_TRUE(driver->RunUntil(
      [&] {
        EXPECT_FLOAT_EQ(L().PM_down->Position.x, -L().PM_up->Position.x);
        if (L().PM_up->Position.x > interface::kBarsIn) {
          EXPECT_TRUE(L().InterFaceDummyCube->Visible);
        }
        return L().PM_up->Position.x == interface::kBarsIn;
      },
      2000));
  // 1.18 at 2.5 a second: about 0.47 s, plus the frame that settles it.
  const int64_t took = driver->NowMs() - start;
  EXPECT_GE(took, 450);
  EXPECT_LE(took, 520);
  EXPECT_FALSE(L().InterFaceDummyCube->Visible);
  driver->RunFor(500);
  EXPECT_FLOAT_EQ(L().PM_up->Position.x, interface::kBarsIn);
  EXPECT_FLOAT_EQ(L().PM_down->Position.x, -interface::kBarsIn);
}

TEST_F(PauseMenuTest, VeilAndButtonsFadeInTogetherAndTheButtonsSlideToTheMiddle) {
  Tap(Key::Escape);
  driver->RunFor(300);
  const float a = Fade();
  EXPECT_NEAR(a, 0.3f, 0.05f);  // one unit a second
  EXPECT_FLOAT_EQ(L().PM_Resume->AlphaChannel, a);
  EXPECT_FLOAT_EQ(L().PM_Options->AlphaChannel, a);
  EXPECT_FLOAT_EQ(L().PM_Exit->AlphaChannel, a);
  EXPECT_GT(L().PM_Resume->Position.z, 0.0f);
  EXPECT_FLOAT_EQ(L().PM_Exit->Position.z, -L().PM_Resume->Position.z);

  driver->RunFor(1200);
  EXPECT_FLOAT_EQ(Fade(), interface::kMenuFadeFull);
  EXPECT_FLOAT_EQ(L().PM_Resume->AlphaChannel, interface::kMenuFadeFull);
  EXPECT_FLOAT_EQ(L().PM_Resume->Position.z, 0.0f);
  EXPECT_FLOAT_EQ(L().PM_Exit->Position.z, 0.0f);
}

TEST_F(PauseMenuTest, EscapeAgainClosesAndTheMenuSlidesOutAndHides) {
  OpenFully();
  Tap(Key::Escape);
  EXPECT_EQ(ctx->GameState, "game");
  EXPECT_FALSE(L().CursorImage->Visible);
  EXPECT_TRUE(L().InterFaceDummyCube->Visible);
  EXPECT_TRUE(L().PauseMenuDummyCube->Visible);  // stays up while it slides out

  bool optionsGoneFirst = true;
  ASSERT_TRUE(driver->RunUntil(
      [&] {
        // The middle button is invisible as soon as the fade drops below 0.6.
        if (Fade() > 0.0f && Fade() < 0.6f) optionsGoneFirst &= L().PM_Options->AlphaChannel == 0.0f;
        if (Fade() > 0.0f) {
          EXPECT_FLOAT_EQ(L().PM_Resume->AlphaChannel, Fade());
        }
        return !L().PauseMenuDummyCube->Visible;
      },
      2000));
  EXPECT_TRUE(optionsGoneFirst);
  EXPECT_FLOAT_EQ(L().PM_up->Position.x, interface::kBarsOut);
  EXPECT_FLOAT_EQ(L().PM_down->Position.x, -interface::kBarsOut);
  driver->RunFor(1000);
  EXPECT_FALSE(L().PauseMenuBlur->Visible);
  EXPECT_EQ(Fade(), 0.0f);
  EXPECT_EQ(L().PM_Exit->AlphaChannel, 0.0f);
  EXPECT_FLOAT_EQ(L().PM_Resume->Position.z, interface::kButtonsOut);
  EXPECT_FLOAT_EQ(L().PM_Exit->Position.z, -interface::kButtonsOut);
}

// Losing the focus while the menu slides out after a resume pauses the game at once: the
// slide-out is finished on the spot, and nothing runs on while the player is away.
TEST_F(PauseMenuTest, FocusLostWhileTheMenuSlidesOutPausesAtOnce) {
  OpenFully();
  Tap(Key::Escape);
  ASSERT_EQ(ctx->GameState, "game");
  driver->RunFor(100);
  ASSERT_TRUE(L().PauseMenuDummyCube->Visible);
  shell::WindowDeactivated(*ctx);
  EXPECT_EQ(ctx->GameState, "pause");
  EXPECT_TRUE(L().PauseDummyCube->Visible);
  EXPECT_FALSE(L().PauseMenuDummyCube->Visible);
  EXPECT_FALSE(L().PauseMenuBlur->Visible);
  EXPECT_FLOAT_EQ(L().PM_up->Position.x, interface::kBarsOut);
  EXPECT_FLOAT_EQ(L().PM_down->Position.x, -interface::kBarsOut);
  EXPECT_FLOAT_EQ(L().PM_Resume->Position.z, interface::kButtonsOut);
  EXPECT_EQ(L().PM_Exit->AlphaChannel, 0.0f);
  const double levelTime = ctx->Level.LevelTime;
  driver->RunFor(1000);
  EXPECT_EQ(ctx->GameState, "pause");
  EXPECT_EQ(ctx->Level.LevelTime, levelTime);
  // The pause key goes back to play, and Escape opens the menu again.
  Tap(Key::P);
  ASSERT_EQ(ctx->GameState, "game");
  Tap(Key::Escape);
  EXPECT_EQ(ctx->GameState, "pausemenu");
}

TEST_F(PauseMenuTest, EscapeIsIgnoredWhileTheBarsAreMoving) {
  Tap(Key::Escape);
  driver->RunFor(150);  // sliding in, more than 0.2 from rest
  Tap(Key::Escape);
  EXPECT_EQ(ctx->GameState, "pausemenu");

  driver->RunFor(1500);
  Tap(Key::Escape);
  ASSERT_EQ(ctx->GameState, "game");
  driver->RunFor(100);  // sliding out: it cannot open again yet
  ASSERT_TRUE(L().PauseMenuDummyCube->Visible);
  Tap(Key::Escape);
  EXPECT_EQ(ctx->GameState, "game");

  ASSERT_TRUE(driver->RunUntil([&] { return !L().PauseMenuDummyCube->Visible; }, 2000));
  Tap(Key::Escape);
  EXPECT_EQ(ctx->GameState, "pausemenu");
}

TEST_F(PauseMenuTest, OpenAndResumeActOnlyWithTheMenuAtRest) {
  struct Case {
    const char* state;
    bool menuShown;
    float barsAt;
    bool opens, resumes;
  };
  const Case cases[] = {
      {"game", false, 3.8f, true, false},        {"game", false, 3.65f, true, false},
      {"game", false, 3.5f, false, false},       {"pause", false, 3.8f, false, false},
      {"pausemenu", true, 2.62f, false, true},   {"pausemenu", true, 2.75f, false, true},
      {"pausemenu", true, 2.9f, false, false},   {"game", true, 3.7f, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.state) + " at " + std::to_string(c.barsAt));
    ctx->GameState = c.state;
    L().PauseMenuDummyCube->Visible = c.menuShown;
    L().PM_up->Position.x = c.barsAt;
    EXPECT_EQ(interface::OpenPauseMenu(*ctx), c.opens);
    if (c.opens) {
      EXPECT_EQ(ctx->GameState, "pausemenu");
      EXPECT_FLOAT_EQ(L().PM_up->Position.x, interface::kBarsOut);
      EXPECT_FLOAT_EQ(L().PM_down->Position.x, -interface::kBarsOut);
      EXPECT_TRUE(L().PauseMenuDummyCube->Visible);
      continue;
    }
    EXPECT_EQ(interface::ResumeFromPauseMenu(*ctx), c.resumes);
    EXPECT_EQ(ctx->GameState, c.resumes ? "game" : c.state);
  }
}

TEST_F(PauseMenuTest, HoveringLightsOnlyThePickedButtonAndSoundsOncePerEntry) {
  OpenFully();
  struct Case {
    scene::TGLSprite* button;
    const char* lighted;
  };
  const Case cases[] = {{L().PM_Resume, "MM_ResumeLighted"},
                        {L().PM_Options, "MM_OptionsLighted"},
                        {L().PM_Exit, "MM_ExitLighted"}};
  const std::pair<scene::TGLSprite*, const char*> normal[] = {
      {L().PM_Resume, "MM_Resume"}, {L().PM_Options, "MM_Options"}, {L().PM_Exit, "MM_Exit"}};
  ctx->Options.SoundVolume = 0.8;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lighted);
    PointAt(*c.button);
    const uint64_t before = Audio().StartCount();
    driver->RunFor(400);  // several 80 ms ticks while resting on it
    EXPECT_EQ(c.button->Material.GetLibMaterialName(), c.lighted);
    for (const auto& [b, name] : normal)
      if (b != c.button) {
        EXPECT_EQ(b->Material.GetLibMaterialName(), name);
      }
    EXPECT_EQ(SoundsSince(before, "overbutton"), 1u);
    EXPECT_EQ(Audio().RecentStart(0).volume, 80 * 40 - 4000);  // the sound option, 80
  }
  shell::GLSceneViewer1MouseMove(*ctx, 2, 2);  // a corner: nothing there
  driver->RunFor(200);
  for (const auto& [b, name] : normal) EXPECT_EQ(b->Material.GetLibMaterialName(), name);
}

TEST_F(PauseMenuTest, ClickingResumeReturnsToTheGame) {
  OpenFully();
  PointAt(*L().PM_Resume);
  const uint64_t before = Audio().StartCount();
  shell::GLSceneViewer1MouseDown(*ctx, shell::MouseButton::Left);
  EXPECT_EQ(ctx->GameState, "game");
  EXPECT_FALSE(ctx->LeftClick);
  EXPECT_FALSE(L().CursorImage->Visible);
  EXPECT_TRUE(L().InterFaceDummyCube->Visible);
  EXPECT_EQ(SoundsSince(before, "click"), 1u);
  shell::GLSceneViewer1MouseUp(*ctx, shell::MouseButton::Left);
  EXPECT_TRUE(driver->RunUntil([&] { return !L().PauseMenuDummyCube->Visible; }, 2000));
}

TEST_F(PauseMenuTest, ResumeWhileStillSlidingInSlidesOutFromWhereItWas) {
  Tap(Key::Escape);
  driver->RunFor(200);
  const float barsAt = L().PM_up->Position.x;
  ASSERT_GT(barsAt, interface::kBarsIn + interface::kSettleMargin);
  PointAt(*L().PM_Resume);
  shell::GLSceneViewer1MouseDown(*ctx, shell::MouseButton::Left);
  ASSERT_EQ(ctx->GameState, "game");
  driver->Step();
  EXPECT_GT(L().PM_up->Position.x, barsAt);  // straight back out
  EXPECT_TRUE(L().InterFaceDummyCube->Visible);
}

// The in-game options over the paused level: the volumes are heard at once, the resolution waits
// for Apply, which resizes the window, scales the camera and the texts for it and saves the
// options, and the game stays paused in the pause menu throughout. Apply switches the display
// mode even when the resolution is unchanged.
TEST_F(PauseMenuTest, InGameOptionsApplyResizesTheWindowWhileTheGameStaysPaused) {
  OpenFully();
  interface::TOptionsDialog& d = ctx->Menus.PauseOptions;
  auto& platform = static_cast<HeadlessPlatform&>(ctx->Platform());
  auto click = [&](const scene::TGLBaseSceneObject& o) {
    PointAt(o);
    shell::GLSceneViewer1MouseDown(*ctx, shell::MouseButton::Left);
    driver->Step();
    shell::GLSceneViewer1MouseUp(*ctx, shell::MouseButton::Left);
    driver->RunFor(100);
  };
  const double levelTime = ctx->Level.LevelTime;
  ASSERT_EQ(ctx->Options.Resolution, 3);
  click(*L().PM_Options);
  ASSERT_EQ(ctx->GameState, "pm_options");
  EXPECT_TRUE(d.Dummy->Visible);
  EXPECT_FALSE(L().PM_ForButtons->Visible);
  EXPECT_FALSE(L().GLDummyCube2->Visible);

  click(*d.Music.Bar[9]);
  EXPECT_DOUBLE_EQ(ctx->Options.MusicVolume, 0.5);
  EXPECT_EQ(Audio().MusicVolume(), 50) << "heard at once";
  click(*d.Resolution.Minus);
  click(*d.Resolution.Minus);
  click(*d.Resolution.Minus);  // no lower than 640 by 480
  EXPECT_EQ(ctx->Options.Resolution, 1);
  EXPECT_EQ(d.ResolutionText->Text, "640x480");
  EXPECT_EQ(ctx->ViewportWidth, 1024) << "not before Apply";
  EXPECT_EQ(platform.ModeChanges(), 0);
  const float labelX = d.Music.Label->Position.x;

  click(*d.Apply.Sprite);
  EXPECT_EQ(ctx->GameState, "pausemenu");
  EXPECT_FALSE(d.Dummy->Visible);
  EXPECT_TRUE(L().PM_ForButtons->Visible);
  EXPECT_TRUE(L().GLDummyCube2->Visible);
  EXPECT_EQ(ctx->ViewportWidth, 640);
  EXPECT_EQ(ctx->ViewportHeight, 480);
  EXPECT_FLOAT_EQ(ctx->Scene.Camera().SceneScale, 0.4f);
  EXPECT_FLOAT_EQ(d.Music.Label->Position.x, labelX * 640.0f / 1024.0f);
  EXPECT_EQ(platform.ModeChanges(), 1);
  EXPECT_EQ(platform.ModeWidth(), 640);
  EXPECT_EQ(platform.ModeHeight(), 480);
  std::ifstream saved(ctx->Data->AppDataFolder() / "game.ini");
  const std::string text((std::istreambuf_iterator<char>(saved)), {});
  EXPECT_NE(text.find("Resolution=1"), std::string::npos) << text;
  EXPECT_NE(text.find("MusicVolume=0,5"), std::string::npos) << text;

  // Still paused: the level clock has not moved, and the menu stays.
  driver->RunFor(1000);
  EXPECT_EQ(ctx->GameState, "pausemenu");
  EXPECT_DOUBLE_EQ(ctx->Level.LevelTime, levelTime);

  // Apply again with nothing changed sets the mode all the same; Cancel undoes a change.
  click(*L().PM_Options);
  ASSERT_EQ(ctx->GameState, "pm_options");
  click(*d.Apply.Sprite);
  EXPECT_EQ(platform.ModeChanges(), 2);
  EXPECT_EQ(ctx->ViewportWidth, 640);
  click(*L().PM_Options);
  click(*d.Sound.Plus);
  click(*d.Cancel.Sprite);
  EXPECT_EQ(ctx->GameState, "pausemenu");
  EXPECT_DOUBLE_EQ(ctx->Options.SoundVolume, ctx->OptionsBackup.SoundVolume);
  EXPECT_EQ(platform.ModeChanges(), 2);
}

TEST_F(PauseMenuTest, TheMessageBoxKeepsTheMenuIdle) {
  OpenFully();
  L().MessageDummy->Visible = true;
  PointAt(*L().PM_Resume);
  shell::GLSceneViewer1MouseDown(*ctx, shell::MouseButton::Left);
  driver->RunFor(200);
  EXPECT_EQ(ctx->GameState, "pausemenu");
  EXPECT_EQ(L().PM_Resume->Material.GetLibMaterialName(), "MM_Resume");
}

TEST_F(PauseMenuTest, ThePauseKeyShowsThePauseScreenWithPulseAndDriftingNoise) {
  interface::LoadPauseTextures(*ctx);  // no archive here: the materials exist, their pictures do not
  Tap(Key::P);
  ASSERT_EQ(ctx->GameState, "pause");
  EXPECT_TRUE(L().PauseDummyCube->Visible);
  EXPECT_TRUE(L().PauseBlur->Visible);

  scene::TGLLibMaterial* n1 = ctx->InterFaceLibrary.LibMaterialByName("PauseNoise1");
  scene::TGLLibMaterial* n2 = ctx->InterFaceLibrary.LibMaterialByName("PauseNoise2");
  ASSERT_TRUE(n1 && n2);
  const glm::vec2 o1 = n1->Material.TextureOffset, o2 = n2->Material.TextureOffset;
  const double t0 = ctx->FrameTime;
  scene::TGLSprite& msg = *ctx->Pause.PauseMessageSprite;
  float lo = msg.Scale.z, hi = msg.Scale.z;
  bool grew = false;
  for (int i = 0; i < 300; ++i) {  // about 4.8 s: a full shrink and grow
    const float before = msg.Scale.z;
    driver->Step();
    EXPECT_FLOAT_EQ(msg.Scale.x, msg.Scale.z);
    grew |= msg.Scale.z > before;
    lo = std::min(lo, msg.Scale.z);
    hi = std::max(hi, msg.Scale.z);
  }
  EXPECT_TRUE(grew);
  EXPECT_NEAR(lo, 0.92f, 0.002f);
  EXPECT_NEAR(hi, 1.08f, 0.002f);

  // 0.2 of the picture a second, the layers in opposite directions across, together down; the
  // offsets are kept within one repeat of the picture.
  auto wrap = [](float v) { return v - std::floor(v); };
  const float d = float(ctx->FrameTime - t0) * 0.2f;
  EXPECT_NEAR(n1->Material.TextureOffset.x, wrap(o1.x + d), 1e-3);
  EXPECT_NEAR(n1->Material.TextureOffset.y, wrap(o1.y + d), 1e-3);
  EXPECT_NEAR(n2->Material.TextureOffset.x, wrap(o2.x - d), 1e-3);
  EXPECT_NEAR(n2->Material.TextureOffset.y, wrap(o2.y + d), 1e-3);

  Tap(Key::P);
  EXPECT_EQ(ctx->GameState, "game");
  EXPECT_FALSE(L().PauseDummyCube->Visible);
}

TEST_F(PauseMenuTest, MissingPicturesAreNamedAndTheGameGoesOn) {
  interface::LoadPauseTextures(*ctx);
  auto& errors = dynamic_cast<HeadlessPlatform&>(ctx->Platform()).Errors();
  auto named = [&](const std::string& file) {
    return std::any_of(errors.begin(), errors.end(), [&](const std::string& e) { return e.find(file) != e.npos; });
  };
  EXPECT_TRUE(named("Message.jpg"));
  EXPECT_TRUE(named("Noise1.jpg"));
  EXPECT_TRUE(named("Resume_lighted.jpg"));
  EXPECT_TRUE(ctx->InterFaceLibrary.LibMaterialByName("MM_ExitLighted"));
  OpenFully();
  EXPECT_FLOAT_EQ(L().PM_up->Position.x, interface::kBarsIn);
}

}  // namespace
}  // namespace vlm::test
