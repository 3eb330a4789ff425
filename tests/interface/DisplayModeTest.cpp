// The resolution change that both options dialogs go through, a display that refuses a mode, and
// what losing and regaining the window's focus does to play, the music and the pointer.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "context/Display.h"
#include "interface/MenuFramework.h"
#include "interface/MessageBox.h"
#include "interface/OptionsDialog.h"
#include "interface/PauseMenu.h"
#include "levels/LevelRun.h"
#include "scene/Projection.h"
#include "shell/Input.h"
#include "shell/InputScript.h"
#include "interface/MenuScreenFixture.h"
#include "sound/SoundUnit.h"

namespace vlm::test {
namespace {

using shell::MouseButton;

class DisplayModeTest : public MenuScreenTest {
 protected:
  HeadlessPlatform& Platform() { return static_cast<HeadlessPlatform&>(ctx->Platform()); }

  // Steps the open dialog's resolution to `index` with its arrows.
  void StepResolutionTo(interface::TOptionsDialog& d, int index) {
    while (ctx->Options.Resolution > index) Press(*d.Resolution.Minus);
    while (ctx->Options.Resolution < index) Press(*d.Resolution.Plus);
  }
  void Event(const std::string& line) {
    const auto events = shell::ParseInputScript(line + "\n", "test");
    ASSERT_EQ(events.size(), 1u);
    shell::ApplyInputEvent(*ctx, events[0]);
  }
  std::string SavedOptions() {
    std::ifstream in(ctx->Data->AppDataFolder() / "game.ini", std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
  }

  // Everything placed in screen pixels that a resolution change moves.
  struct Layout {
    std::vector<glm::vec3> Places;
    float SceneScale;
  };
  Layout Snapshot() {
    Layout l;
    auto text = [&](const scene::TGLHUDText* t) {
      l.Places.push_back(t->Position);
      l.Places.push_back(t->Scale);
    };
    auto sprite = [&](const scene::TGLHUDSprite* s) {
      l.Places.push_back(s->Position);
      l.Places.push_back({s->Width, s->Height, 0.0f});
    };
    text(M().Options.Music.Label);
    text(M().Options.ResolutionText);
    text(M().RankScores[0]);
    text(ctx->Hud.PlayerScoresText);
    text(ctx->Hud.SPS_clickmouseText);
    text(L().LoadingHintsText);
    text(L().GLHUDText1);
    sprite(L().CursorImage);
    sprite(L().LogoHudSprite);
    sprite(L().EpisodeLogoHudSprite);
    sprite(ctx->Hud.ArmorAndHealth);
    l.SceneScale = ctx->Scene.Camera().SceneScale;
    return l;
  }
  void ExpectScaled(const Layout& from, const Layout& to, float rx, float ry, const std::string& what) {
    ASSERT_EQ(from.Places.size(), to.Places.size());
    for (size_t i = 0; i < from.Places.size(); ++i) {
      EXPECT_NEAR(to.Places[i].x, from.Places[i].x * rx, 1e-3f * (1.0f + std::abs(from.Places[i].x))) << what << " #" << i;
      EXPECT_NEAR(to.Places[i].y, from.Places[i].y * ry, 1e-3f * (1.0f + std::abs(from.Places[i].y))) << what << " #" << i;
    }
  }
};

TEST_F(DisplayModeTest, ARefusedModeShowsVideoDeviceErrorAndLeavesTheModeAsItWas) {
  struct Case {
    int Start, Refused;
  };
  for (const Case c : {Case{3, 1}, Case{1, 2}, Case{2, 3}, Case{3, 3}}) {
    SCOPED_TRACE("from " + std::to_string(c.Start) + " to " + std::to_string(c.Refused));
    Platform().RefusedModes.clear();
    ASSERT_TRUE(ChangeDisplayMode(*ctx, c.Start));
    ctx->Options.Resolution = c.Start;
    const Layout before = Snapshot();
    const int changes = Platform().ModeChanges(), refusals = Platform().ModeRefusals();
    Platform().RefusedModes = {{data::ScreenWidths[size_t(c.Refused)], data::ScreenHeights[size_t(c.Refused)]}};

    interface::OpenOptions(*ctx);
    StepResolutionTo(M().Options, c.Refused);
    Press(*M().Options.Apply.Sprite);

    EXPECT_EQ(Platform().ModeRefusals(), refusals + 1);
    EXPECT_EQ(Platform().ModeChanges(), changes);
    EXPECT_EQ(ctx->GameState, "mainmenu");
    ASSERT_TRUE(L().MessageDummy->Visible);
    EXPECT_EQ(M().MD_Text->Text, "Video device error!");
    EXPECT_FALSE(M().MD_Cancel.Sprite->Visible) << "a notice: Ok alone";
    // The picture, its layout and the option stay at the mode in effect; the file says so too.
    EXPECT_EQ(ResolutionInEffect(*ctx), c.Start);
    EXPECT_EQ(ctx->ViewportWidth, data::ScreenWidths[size_t(c.Start)]);
    EXPECT_EQ(ctx->Options.Resolution, c.Start);
    ExpectScaled(before, Snapshot(), 1.0f, 1.0f, "unchanged");
    EXPECT_FLOAT_EQ(ctx->Scene.Camera().SceneScale, before.SceneScale);
    EXPECT_NE(SavedOptions().find("Resolution=" + std::to_string(c.Start)), std::string::npos) << SavedOptions();
    // Ok only closes the notice: the main menu's Ok would otherwise end the program.
    Press(*M().MD_Ok.Sprite);
    EXPECT_FALSE(L().MessageDummy->Visible);
    EXPECT_FALSE(Platform().QuitRequested());
    EXPECT_EQ(ctx->GameState, "mainmenu");
  }
}

TEST_F(DisplayModeTest, EveryScreenObjectFollowsTheResolutionAndComesBackExactly) {
  ASSERT_EQ(ResolutionInEffect(*ctx), 3);
  const Layout at1024 = Snapshot();
  ASSERT_TRUE(ChangeDisplayMode(*ctx, 1));
  const Layout at640 = Snapshot();
  ExpectScaled(at1024, at640, 0.625f, 0.625f, "1024 to 640");
  EXPECT_FLOAT_EQ(at640.SceneScale, 0.4f);
  EXPECT_EQ(ctx->ViewportWidth, 640);
  EXPECT_EQ(ctx->ViewportHeight, 480);
  ASSERT_TRUE(ChangeDisplayMode(*ctx, 2));
  ExpectScaled(at640, Snapshot(), 1.25f, 1.25f, "640 to 800");
  EXPECT_FLOAT_EQ(ctx->Scene.Camera().SceneScale, 0.5f);
  // The same mode again sets it again (the window is centred anew) but moves nothing.
  const int changes = Platform().ModeChanges();
  const Layout at800 = Snapshot();
  ASSERT_TRUE(ChangeDisplayMode(*ctx, 2));
  EXPECT_EQ(Platform().ModeChanges(), changes + 1);
  ExpectScaled(at800, Snapshot(), 1.0f, 1.0f, "800 again");
  ASSERT_TRUE(ChangeDisplayMode(*ctx, 3));
  ExpectScaled(at1024, Snapshot(), 1.0f, 1.0f, "back at 1024");
  EXPECT_FLOAT_EQ(ctx->Scene.Camera().SceneScale, 0.64f);
  // An index that is none of the three is refused like a mode the display cannot show.
  EXPECT_FALSE(ChangeDisplayMode(*ctx, 4));
  EXPECT_TRUE(L().MessageDummy->Visible);
  EXPECT_EQ(ctx->ViewportWidth, 1024);
}

TEST_F(DisplayModeTest, FullScreenStaysFullScreenThroughEveryResolution) {
  std::string why;
  ASSERT_TRUE(Platform().SetDisplayMode(1024, 768, true, why));
  for (int index : {1, 2, 3}) {
    ASSERT_TRUE(ChangeDisplayMode(*ctx, index));
    EXPECT_TRUE(Platform().FullScreen());
    EXPECT_EQ(Platform().ModeWidth(), data::ScreenWidths[size_t(index)]);
    EXPECT_EQ(Platform().ModeHeight(), data::ScreenHeights[size_t(index)]);
  }
}

TEST_F(DisplayModeTest, ThePauseMenusOptionsApplyThroughTheSameChange) {
  ctx->GameState = "pausemenu";
  L().PauseMenuDummyCube->Visible = true;
  interface::OpenPauseOptions(*ctx);
  ASSERT_EQ(ctx->GameState, "pm_options");
  StepResolutionTo(M().PauseOptions, 2);
  Press(*M().PauseOptions.Apply.Sprite);
  EXPECT_EQ(ctx->GameState, "pausemenu");
  EXPECT_EQ(ResolutionInEffect(*ctx), 2);
  EXPECT_EQ(Platform().ModeWidth(), 800);
  EXPECT_FLOAT_EQ(ctx->Scene.Camera().SceneScale, 0.5f);
  // And a refusal there too: the game stays paused at 800x600 with the notice over it.
  interface::OpenPauseOptions(*ctx);
  Platform().RefusedModes = {{1024, 768}};
  StepResolutionTo(M().PauseOptions, 3);
  Press(*M().PauseOptions.Apply.Sprite);
  EXPECT_EQ(ctx->GameState, "pausemenu");
  EXPECT_EQ(ResolutionInEffect(*ctx), 2);
  EXPECT_EQ(ctx->Options.Resolution, 2);
  EXPECT_TRUE(L().MessageDummy->Visible);
  EXPECT_EQ(M().MD_Text->Text, "Video device error!");
}

TEST_F(DisplayModeTest, FocusLostPausesPlayMutesTheMusicAndTheReturnKeepsThePause) {
  struct Case {
    const char* State;
    const char* AfterLoss;  // and after the return: the pause stays
    bool CapturedAfterReturn;
  };
  const Case cases[] = {
      {"game", "pause", false},
      {"pause", "pause", false},
      {"mainmenu", "mainmenu", false},
      {"menuintro", "menuintro", false},     // its frames ask for the fading volume meanwhile
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.State);
    ctx->GameState = c.State;
    L().PauseMenuDummyCube->Visible = false;
    L().PauseDummyCube->Visible = false;
    SetMusicVolume(80);
    driver->Step();
    const int playing = Audio().MusicVolume();
    Event("0 deactivate");
    EXPECT_EQ(ctx->GameState, c.AfterLoss);
    EXPECT_EQ(Audio().MusicVolume(), 0);
    EXPECT_FALSE(Platform().PointerCaptured());
    driver->RunFor(200);  // frames go on while the player is away
    EXPECT_EQ(Audio().MusicVolume(), 0);
    EXPECT_FALSE(Platform().PointerCaptured()) << "the desktop keeps the pointer";
    EXPECT_EQ(ctx->GameState, c.AfterLoss);
    Event("0 activate");
    EXPECT_EQ(ctx->GameState, c.AfterLoss);
    driver->Step();
    EXPECT_EQ(Platform().PointerCaptured(), c.CapturedAfterReturn);
    if (std::string(c.State) == "menuintro")
      EXPECT_GT(Audio().MusicVolume(), 0) << "the fade's volume, heard again";
    else
      EXPECT_EQ(Audio().MusicVolume(), playing);
    if (std::string(c.State) == "game") {
      EXPECT_TRUE(L().PauseDummyCube->Visible);
      shell::FormKeyDown(*ctx, Key::P);  // only the player resumes
      EXPECT_EQ(ctx->GameState, "game");
      shell::FormKeyUp(*ctx, Key::P);
    }
  }
}

TEST_F(DisplayModeTest, AKeyPressedWhileAwayMeansTheWindowIsBack) {
  // Scripts and replays made before the return was recorded go straight from the loss to a key.
  ctx->GameState = "game";
  SetMusicVolume(70);
  driver->Step();
  Event("0 deactivate");
  ASSERT_EQ(ctx->GameState, "pause");
  Event("0 key P down");
  Event("0 key P up");
  EXPECT_EQ(ctx->GameState, "game");
  driver->RunFor(100);
  EXPECT_EQ(ctx->GameState, "game") << "not paused again as if still away";
  EXPECT_EQ(Audio().MusicVolume(), 70);
  EXPECT_TRUE(Platform().PointerCaptured());
}

TEST_F(DisplayModeTest, AnActivationWithoutALossLeavesTheMusicAlone) {
  // The window's first focus at start-up comes during the logos, when the music is still silent.
  SetMusicVolume(0);
  Event("0 activate");
  EXPECT_EQ(Audio().MusicVolume(), 0);
  SetMusicVolume(35);
  Event("0 activate");
  EXPECT_EQ(Audio().MusicVolume(), 35);
}

TEST_F(DisplayModeTest, CtrlEscapeMinimisesPausesAndMutes) {
  ctx->GameState = "game";
  SetMusicVolume(80);
  driver->Step();
  shell::FormKeyDown(*ctx, Key::Ctrl);
  shell::FormKeyDown(*ctx, Key::Escape);
  EXPECT_EQ(Platform().MinimiseCount(), 1);
  EXPECT_EQ(ctx->GameState, "pause");
  EXPECT_EQ(Audio().MusicVolume(), 0);
  EXPECT_FALSE(Platform().PointerCaptured());
  // The restored window's focus brings the music back, and the keys held before are let go.
  Event("0 activate");
  EXPECT_EQ(Audio().MusicVolume(), 80);
  EXPECT_FALSE(ctx->CtrlHeld());
  EXPECT_EQ(ctx->GameState, "pause");
}

TEST_F(DisplayModeTest, SupportresListsThePlatformsModes) {
  Platform().Modes = {{1920, 1080, 24}, {1024, 768, 32}, {640, 480, 16}};
  WriteSupportedResolutions(*ctx);
  std::ifstream in(ctx->Data->AppDataFolder() / "supportres.txt", std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  EXPECT_EQ(s.str(), "1920x1080 16777216 Colors\n1024x768 1 Colors\n640x480 65536 Colors\n");
}

}  // namespace
}  // namespace vlm::test
