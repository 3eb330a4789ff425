// The menu framework and the main menu's screens through the real input dispatch and frame
// loop: hover looks and their sounds, a held press dragged onto a button, the modal message box,
// the options' steps at their limits, Apply and Cancel of a resolution, the credits' timing and
// the top ranks at the end of a game.
#include <gtest/gtest.h>

#include <string>

#include "context/GameStates.h"
#include "interface/CreditsDialog.h"
#include "interface/MenuFramework.h"
#include "interface/MessageBox.h"
#include "interface/OptionsDialog.h"
#include "interface/TopRanksScreen.h"
#include "levels/LevelRun.h"
#include "scene/Projection.h"
#include "shell/FrameLoop.h"
#include "shell/Input.h"
#include "interface/MenuScreenFixture.h"
#include "sound/SoundUnit.h"

namespace vlm::test {
namespace {

using shell::MouseButton;

class MenusTest : public MenuScreenTest {
 protected:
  size_t SoundsSince(uint64_t before, const char* name) const {
    size_t n = 0;
    for (uint64_t i = 0; i < Audio().StartCount() - before; ++i) n += Audio().RecentStart(i).Name() == name;
    return n;
  }
  // One tick of the 80 ms hover timer.
  void HoverTick() { shell::BumpFxTimerTimer(*ctx); }
};

TEST_F(MenusTest, OverButtonPlaysOncePerEntryIntoAButton) {
  const uint64_t before = Audio().StartCount();
  PointAt(*M().MM_Help.Sprite);
  HoverTick();
  HoverTick();
  HoverTick();
  EXPECT_EQ(SoundsSince(before, "overbutton"), 1u);
  EXPECT_EQ(M().MM_Help.Sprite->Material.GetLibMaterialName(), "MM_HelpLighted");
  shell::GLSceneViewer1MouseMove(*ctx, 5, 384);  // off every button
  HoverTick();
  EXPECT_EQ(M().MM_Help.Sprite->Material.GetLibMaterialName(), "MM_Help");
  PointAt(*M().MM_Help.Sprite);
  HoverTick();
  EXPECT_EQ(SoundsSince(before, "overbutton"), 2u);
}

TEST_F(MenusTest, AHeldPressDraggedOntoAButtonActsOnTheNextTickButNotAfterRelease) {
  shell::GLSceneViewer1MouseMove(*ctx, 5, 384);
  shell::GLSceneViewer1MouseDown(*ctx, MouseButton::Left);
  EXPECT_EQ(ctx->GameState, "mainmenu");
  PointAt(*M().MM_Credits.Sprite);
  HoverTick();
  EXPECT_EQ(ctx->GameState, "credits");
  shell::GLSceneViewer1MouseUp(*ctx, MouseButton::Left);

  ctx->GameState = "mainmenu";
  M().CreditsDummy->Visible = false;
  shell::GLSceneViewer1MouseMove(*ctx, 5, 384);
  shell::GLSceneViewer1MouseDown(*ctx, MouseButton::Left);
  shell::GLSceneViewer1MouseUp(*ctx, MouseButton::Left);
  PointAt(*M().MM_Credits.Sprite);
  HoverTick();
  EXPECT_EQ(ctx->GameState, "mainmenu");
}

TEST_F(MenusTest, TheMessageBoxBlocksTheMenuBeneath) {
  interface::ShowMessageBoxFaded(*ctx, "are you sure\ryou want to exit?", true, 0.85f);
  // Where MM_Options lies, beside the box: the menu beneath stays idle.
  Press(*M().MM_Options.Sprite);
  HoverTick();
  EXPECT_EQ(ctx->GameState, "mainmenu");
  EXPECT_FALSE(M().Options.Dummy->Visible);
  EXPECT_TRUE(L().MessageDummy->Visible);
  Press(*M().MD_Cancel.Sprite);
  EXPECT_FALSE(L().MessageDummy->Visible);
  EXPECT_FALSE(ctx->Platform().QuitRequested());
}

TEST_F(MenusTest, ANoticeHasOneCentredOkAndTheNextQuestionBothButtons) {
  interface::ShowMessageBoxFaded(*ctx, "abort this game?", true, 0.85f);
  L().MessageDummy->Visible = false;
  interface::ShowMessageBoxButtons(*ctx, "enter name first!", false);
  EXPECT_FALSE(M().MD_Cancel.Sprite->Visible);
  EXPECT_FLOAT_EQ(M().MD_Ok.Sprite->Position.z, 0.0f);
  EXPECT_FLOAT_EQ(float(M().MD_bg->AlphaChannel), 0.85f) << "the last faded box's transparency stays";
  // Ok on a notice over the main menu only closes it; it does not end the program.
  Press(*M().MD_Ok.Sprite);
  EXPECT_FALSE(L().MessageDummy->Visible);
  EXPECT_FALSE(ctx->Platform().QuitRequested());
  interface::ShowMessageBox(*ctx, "are you sure?");
  EXPECT_TRUE(M().MD_Cancel.Sprite->Visible);
  EXPECT_FLOAT_EQ(M().MD_Ok.Sprite->Position.z, 1.0f);
  EXPECT_FLOAT_EQ(M().MD_Cancel.Sprite->Position.z, -1.0f);
  EXPECT_FLOAT_EQ(M().MD_Text->ModulateColor.a, 0.85f);
}

TEST_F(MenusTest, OptionStepsStopAtTheirLimits) {
  interface::OpenOptions(*ctx);
  interface::TOptionsDialog& d = M().Options;
  struct Case {
    double* Value;
    double Start;
    scene::TGLSprite* Arrow;
    double First, Second;
  };
  const Case cases[] = {
      {&ctx->Options.MouseSpeed, 0.1, d.Sensivity.Minus, 0.05, 0.05},
      {&ctx->Options.MouseSpeed, 0.95, d.Sensivity.Plus, 1.0, 1.0},
      {&ctx->Options.SoundVolume, 0.05, d.Sound.Minus, 0.0, 0.0},
      {&ctx->Options.MusicVolume, 0.95, d.Music.Plus, 1.0, 1.0},
      {&ctx->Options.MusicVolume, 0.8, d.Music.Minus, 0.75, 0.7},
  };
  for (const Case& c : cases) {
    *c.Value = c.Start;
    Press(*c.Arrow);
    EXPECT_DOUBLE_EQ(*c.Value, c.First) << c.Arrow->Name << " from " << c.Start;
    Press(*c.Arrow);
    EXPECT_DOUBLE_EQ(*c.Value, c.Second) << c.Arrow->Name << " from " << c.Start;
  }
  // Many small steps stay on the bar's grid, so the bar lights where the value says.
  ctx->Options.MusicVolume = 0.0;
  for (int i = 0; i < 3; ++i) Press(*d.Music.Plus);
  EXPECT_EQ(Audio().MusicVolume(), 15) << "the music is heard at the new volume at once";
  interface::OptionsFrame(*ctx, d);
  EXPECT_EQ(d.Music.Bar[2]->Material.GetLibMaterialName(), "Filled");
  EXPECT_EQ(d.Music.Bar[3]->Material.GetLibMaterialName(), "Empty");
  // A segment sets its value outright.
  Press(*d.Sensivity.Bar[9]);
  EXPECT_DOUBLE_EQ(ctx->Options.MouseSpeed, 0.5);
}

TEST_F(MenusTest, ResolutionWaitsForApplyAndApplyRescalesTheMenusBy0625) {
  auto& platform = static_cast<HeadlessPlatform&>(ctx->Platform());
  interface::TOptionsDialog& d = M().Options;
  const glm::vec3 label = d.Music.Label->Position, scale = d.Music.Label->Scale;

  interface::OpenOptions(*ctx);
  Press(*d.Resolution.Minus);
  Press(*d.Resolution.Minus);
  Press(*d.Resolution.Minus);
  EXPECT_EQ(ctx->Options.Resolution, 1);
  Press(*d.Cancel.Sprite);
  EXPECT_EQ(ctx->Options.Resolution, 3);
  EXPECT_EQ(platform.ModeChanges(), 0) << "Cancel leaves the window alone";
  EXPECT_EQ(ctx->ViewportWidth, 1024);

  interface::OpenOptions(*ctx);
  Press(*d.Resolution.Minus);
  Press(*d.Resolution.Minus);
  Press(*d.Apply.Sprite);
  EXPECT_EQ(ctx->GameState, "mainmenu");
  EXPECT_EQ(platform.ModeChanges(), 1);
  EXPECT_EQ(platform.ModeWidth(), 640);
  EXPECT_EQ(ctx->ViewportWidth, 640);
  EXPECT_FLOAT_EQ(ctx->Scene.Camera().SceneScale, 0.4f);
  EXPECT_FLOAT_EQ(d.Music.Label->Position.x, label.x * 0.625f);
  EXPECT_FLOAT_EQ(d.Music.Label->Position.y, label.y * 0.625f);
  EXPECT_FLOAT_EQ(d.Music.Label->Scale.x, scale.x * 0.625f);

  // Apply without a change still sets the mode again.
  interface::OpenOptions(*ctx);
  Press(*d.Apply.Sprite);
  EXPECT_EQ(platform.ModeChanges(), 2);
  EXPECT_FLOAT_EQ(d.Music.Label->Position.x, label.x * 0.625f) << "no second rescale";
}

TEST_F(MenusTest, RescaleHudThereAndBackRestoresEveryText) {
  const glm::vec3 pos = M().RankScores[0]->Position, scale = M().RankScores[0]->Scale;
  interface::RescaleHud(*ctx, 3, 1);
  EXPECT_FLOAT_EQ(M().RankScores[0]->Position.x, pos.x * 0.625f);
  EXPECT_FLOAT_EQ(M().RankScores[0]->Scale.y, scale.y * 0.625f);
  interface::RescaleHud(*ctx, 1, 3);
  EXPECT_FLOAT_EQ(M().RankScores[0]->Position.x, pos.x);
  EXPECT_FLOAT_EQ(M().RankScores[0]->Scale.y, scale.y);
  interface::RescaleHud(*ctx, 3, 3);
  EXPECT_FLOAT_EQ(M().RankScores[0]->Position.y, pos.y);
}

TEST_F(MenusTest, TheFirstCreditStaysFor132TicksOfTimer2) {
  interface::FillCredits(*ctx);
  ASSERT_EQ(M().Credits.size(), 25u);
  interface::OpenCredits(*ctx);
  EXPECT_TRUE(ctx->Timers[TimerId::Timer2].Enabled);
  const std::string first = M().CD_Title->Text;
  int ticks = 0;
  while (M().CD_Title->Text == first && ticks < 1000) {
    interface::CreditsTick(*ctx);
    ++ticks;
    if (ticks == 20) {
      EXPECT_FLOAT_EQ(M().CD_Title->ModulateColor.a, 1.0f);
      EXPECT_FLOAT_EQ(M().CD_Title->Scale.x, 0.35f);
    }
  }
  EXPECT_EQ(ticks, 132);
  // Every text of the credits draws in the menu font.
  for (const interface::TCredits& c : M().Credits)
    for (char ch : c.Title + c.Text)
      EXPECT_TRUE(ch == '\r' || scene::TGLBitmapFont::GlyphIndex(ch) >= 0) << c.Title << ": '" << ch << "'";
}

TEST_F(MenusTest, LivesLeftCountBeforeTheScoreMeetsTheTable) {
  for (auto& e : M().TopRanks) e = {"Someone", 150000};
  struct Case {
    int Lives;
    bool Entry;
  };
  for (const Case c : {Case{5, true}, Case{4, false}}) {
    ctx->Player.Scores = 60000;
    ctx->Player.Lifes = c.Lives;
    ShowTopRanksAfterGame(*ctx);
    EXPECT_EQ(ctx->GameState, "topranks");
    EXPECT_EQ(ctx->Player.Scores, 60000 + 20000 * c.Lives);
    EXPECT_EQ(L().TRD_EnterNameDummy->Visible, c.Entry) << c.Lives << " lives";
  }
}

TEST_F(MenusTest, TheNameEntryTakesOnlyDrawableCharactersUpToSixteen) {
  ctx->Player.Name = "";
  ctx->Player.Scores = 1'000'000;
  ctx->Player.Lifes = 0;
  ShowTopRanksAfterGame(*ctx);
  ASSERT_TRUE(M().Edit1Visible);
  interface::TypeName(*ctx, "Ace_#\x01\r\xc3\xa9 of the stars and more");
  EXPECT_EQ(M().Edit1, "Ace of the stars");
  interface::EraseNameChar(*ctx);
  EXPECT_EQ(M().Edit1, "Ace of the star");
  interface::CommitTopRank(*ctx);
  EXPECT_EQ(M().RankNames[0]->Text, "Ace of the star");
  EXPECT_EQ(M().RankScores[0]->Text, "1000000");
  EXPECT_TRUE(M().Edit1.empty());
  EXPECT_FALSE(L().TRD_EnterNameDummy->Visible);
}

}  // namespace
}  // namespace vlm::test
