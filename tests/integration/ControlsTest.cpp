// The keyboard and the game controller through the real game without a window: a scripted pad
// skips the logos, walks the main menu and the options with its focus, starts a game, steers,
// fires guns and rockets; keys steer as far per second as the mouse at the same ship speed; a
// fire key chosen on the controls page fires and the old one does not, and the choice is kept
// across a restart; a key already taken is refused with a message; the pointer is let go
// whenever a menu or a message box stands over play.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "context/MenuFocus.h"
#include "context/MenuState.h"
#include "levels/LevelRun.h"
#include "context/Controls.h"
#include "context/GameContext.h"
#include "shell/HeadlessDriver.h"
#include "shell/Input.h"
#include "shell/InputScript.h"
#include "integration/HeadlessGame.h"

namespace vlm::test {
namespace {

namespace fs = std::filesystem;
using shell::InputEvent;
using vlm::Key;
using vlm::PadAxis;
using vlm::PadButton;

class ControlsIntegration : public ::testing::Test, protected HeadlessGame {
 protected:
  void SetUp() override { Lay(TestFolder("vlm_controls_"), BuiltArchive()); }
  void TearDown() override { Close(); }

  // Events from now on, in the input-script syntax with times relative to now.
  void Script(const std::string& text, int64_t runMs) {
    std::vector<InputEvent> events = shell::ParseInputScript(text, "test script");
    for (InputEvent& e : events) e.TimeMs += driver->NowMs();
    driver->Feed(events);
    if (runMs > 0) driver->RunFor(runMs);
  }
  void Pad(PadButton b, int64_t settleMs = 250) {
    const std::string name(vlm::PadButtonName(b));
    Script("10 pad " + name + " down\n60 pad " + name + " up\n", settleMs);
  }
  void Tap(Key k, int64_t settleMs = 250) {
    const std::string name(vlm::KeyName(k));
    Script("10 key " + name + " down\n60 key " + name + " up\n", settleMs);
  }
  // The menu's entrance waited for; a first start asks for a name first, typed here.
  bool UntilMainMenu() {
    if (!driver->RunUntil([&] { return ctx->GameState == "mainmenu" || ctx->GameState == "changeplayer"; }, 60000))
      return false;
    if (ctx->GameState == "changeplayer") {
      Script("10 text Pilot\n", 100);
      Tap(Key::Enter);
    }
    return ctx->GameState == "mainmenu";
  }
  std::string Material(const interface::TMaterialButton& b) {
    return std::string(b.Sprite->Material.GetLibMaterialName());
  }
  // Play goes on with the ship shielded, so nothing takes it off its row while it is measured.
  void Play(int64_t ms) {
    const int64_t end = driver->NowMs() + ms;
    driver->RunUntil(
        [&] {
          ctx->Player.HitShieldSeconds = 10;
          return driver->NowMs() >= end;
        },
        ms + 100);
  }
  // Level 1 started at once; play goes on until the guns have charged (the first gun fires about
  // twice a second).
  void StartLevelOne() {
    levels::StartLevelDirect(*ctx, 1);
    ASSERT_TRUE(RunUntilState("game", 30000)) << ctx->GameState;
    Play(800);
  }
  float ShipZ() const { return ctx->L.PlayerDummy->Position.z; }
};

TEST_F(ControlsIntegration, AScriptedPadWalksTheMenusStartsAGameSteersAndFires) {
  Start(21);
  interface::TMenuState& m = ctx->Menus;
  // A skips the logos as a click does.
  for (int i = 0; i < 4; ++i) Pad(PadButton::A, 100);
  ASSERT_TRUE(UntilMainMenu()) << ctx->GameState;

  // The name was typed and entered with the keys, which left the focus showing; the mouse takes
  // the menu back. Then the first push shows the focus on the first button; the d-pad moves it,
  // lit as under the mouse.
  Script("10 move 4 4\n", 100);
  Pad(PadButton::DpadDown);
  EXPECT_EQ(Material(m.MM_StartGame), "MM_StartGameLighted");
  Pad(PadButton::DpadLeft);
  EXPECT_EQ(Material(m.MM_Options), "MM_OptionsLighted");
  EXPECT_EQ(Material(m.MM_StartGame), "MM_StartGame");
  Pad(PadButton::DpadLeft);
  EXPECT_EQ(Material(m.MM_TopRanks), "MM_TopRanksLighted");
  // The stick moves it too.
  Script("10 pad LeftX 30000\n60 pad LeftX 0\n", 250);
  EXPECT_EQ(Material(m.MM_Options), "MM_OptionsLighted");

  // A opens the options; the focus comes up on their first control; B goes back as Escape.
  Pad(PadButton::A);
  ASSERT_EQ(ctx->GameState, "options");
  EXPECT_FLOAT_EQ(m.Options.Resolution.Minus->AlphaChannel, 1.0f);
  Pad(PadButton::B);
  EXPECT_EQ(ctx->GameState, "mainmenu");

  // The mouse takes the menus back: moved, nothing is lit where it rests.
  Script("10 move 20 20\n", 250);
  EXPECT_EQ(Material(m.MM_Options), "MM_Options");

  // Down from the pointer's nothing: the first button; A starts the game.
  Pad(PadButton::DpadUp);
  EXPECT_EQ(Material(m.MM_StartGame), "MM_StartGameLighted");
  Pad(PadButton::A);
  // The story before level 1: A presses its Next button whenever it shows.
  ASSERT_TRUE(RunUntilState("cutscene", 5000)) << ctx->GameState;
  int nexts = 0;
  for (int i = 0; i < 240 && ctx->GameState == "cutscene"; ++i) {
    if (ctx->CutScene.NextButtonSprite->Visible) {
      Pad(PadButton::A, 400);
      ++nexts;
    } else {
      driver->RunFor(250);
    }
  }
  EXPECT_GT(nexts, 0);
  ASSERT_TRUE(RunUntilState("game", 30000)) << ctx->GameState;

  // The left stick steers (left is +Z), A fires the guns, B the rockets.
  const float z0 = ShipZ();
  Script("10 pad LeftX -32767\n", 0);
  Play(800);
  EXPECT_GT(ShipZ(), z0 + 0.2f);
  Script("10 pad LeftX 0\n", 0);
  Play(200);
  const float z1 = ShipZ();
  Play(300);
  EXPECT_FLOAT_EQ(ShipZ(), z1) << "a centred stick does not steer";
  const int64_t shots = ctx->Hud.LevelStats.Shots;
  Script("10 pad A down\n", 0);
  Play(2500);
  EXPECT_GE(ctx->Hud.LevelStats.Shots, shots + 3);
  Script("10 pad A up\n", 0);
  Play(200);
  const int32_t rockets = ctx->Player.Rockets;
  ASSERT_GT(rockets, 0);
  Script("10 pad B down\n500 pad B up\n", 0);
  Play(700);
  EXPECT_LT(ctx->Player.Rockets, rockets);

  // Start pauses and resumes; a pad pulled out in play pauses and lets go of what it held.
  Pad(PadButton::Start);
  EXPECT_EQ(ctx->GameState, "pause");
  Pad(PadButton::Start);
  EXPECT_EQ(ctx->GameState, "game");
  Script("10 pad LeftX -32767\n50 pad removed\n", 300);
  EXPECT_EQ(ctx->GameState, "pause");
  EXPECT_EQ(ctx->Input.Pad.Axis(PadAxis::LeftX), 0);
}

// Keys start at a fifth of full speed, ramp up over a quarter second, then steer as a mouse moved 1000 counts a second: at a
// given ship speed they cover what the mouse covers, and the ship speed scales both alike.
TEST_F(ControlsIntegration, KeyboardSteeringMovesAsFarPerSecondAsTheMouseAtTheSameShipSpeed) {
  Start(22);
  StartLevelOne();
  for (double speed : {0.3, 0.6}) {
    SCOPED_TRACE(speed);
    ctx->Options.MouseSpeed = speed;
    // The keys: held, past the ramp, then one second measured.
    ctx->L.PlayerDummy->Position.z = -0.45f;
    Script("10 key Left down\n", 0);
    Play(400);
    const float k0 = ShipZ();
    Play(1000);
    const float keys = ShipZ() - k0;
    Script("10 key Left up\n", 0);
    Play(300);
    // The mouse: 16 counts every 16 ms frame, the same second measured.
    ctx->L.PlayerDummy->Position.z = -0.45f;
    std::string sweep;
    for (int t = 0; t < 1500; t += 16) sweep += std::to_string(t) + " rel -16 0\n";
    Script(sweep, 0);
    Play(400);
    const float m0 = ShipZ();
    Play(1000);
    const float mouse = ShipZ() - m0;
    Play(300);
    EXPECT_NEAR(keys, speed, 0.03 * speed);
    EXPECT_NEAR(keys, mouse, 0.03 * speed) << "keys " << keys << ", mouse " << mouse;
  }
  // Right steers the other way; a tap only nudges (the ramp).
  ctx->L.PlayerDummy->Position.z = 0.0f;
  Script("10 key D down\n60 key D up\n", 0);
  Play(300);
  EXPECT_LT(ShipZ(), 0.0f);
  EXPECT_GT(ShipZ(), -0.01f);
}

TEST_F(ControlsIntegration, ARemappedFireKeyFiresTheOldOneDoesNotAndTheChoiceSurvivesARestart) {
  Start(23);
  interface::TMenuState& m = ctx->Menus;
  for (int i = 0; i < 4; ++i) Tap(Key::Enter, 100);
  ASSERT_TRUE(UntilMainMenu()) << ctx->GameState;
  // Options, then the controls page, all with the keys: the options' last row before Apply is
  // the page's button.
  Tap(Key::Down);
  Tap(Key::Left);
  Tap(Key::Enter);
  ASSERT_EQ(ctx->GameState, "options");
  interface::TInputPage& page = m.Options.Input;
  for (int i = 0; i < 6 && page.OpenButton->ModulateColor.a < 1.0f; ++i) Tap(Key::Down);
  ASSERT_FLOAT_EQ(page.OpenButton->ModulateColor.a, 1.0f) << "the focus did not reach the controls button";
  Tap(Key::Enter);
  ASSERT_TRUE(page.Open);
  EXPECT_FALSE(m.Options.Apply.Sprite->Visible);
  EXPECT_EQ(page.Cells[0][0]->Text, "Space");

  // The focus starts on fire's first keyboard place; Enter, then F, puts F there.
  EXPECT_FLOAT_EQ(page.Cells[0][0]->ModulateColor.a, 1.0f);
  Tap(Key::Enter);
  EXPECT_TRUE(page.Waiting);
  EXPECT_EQ(page.Cells[0][0]->Text, "[?]");
  Tap(Key::F);
  EXPECT_FALSE(page.Waiting);
  EXPECT_EQ(page.Cells[0][0]->Text, "F");

  // A key that rockets already have is refused with a message, the place kept.
  Tap(Key::Enter);
  Tap(Key::X);
  ASSERT_TRUE(ctx->L.MessageDummy->Visible);
  EXPECT_EQ(m.MD_Text->Text, "X is already\rtaken by rockets");
  EXPECT_EQ(page.Cells[0][0]->Text, "F");
  Tap(Key::Enter);  // Ok, the box's only button
  EXPECT_FALSE(ctx->L.MessageDummy->Visible);
  // A key kept for the menus is refused too.
  Tap(Key::Enter);
  Tap(Key::Backspace);
  EXPECT_TRUE(ctx->L.MessageDummy->Visible);
  Tap(Key::Escape);

  // Escape leaves the page (saved) and then the options.
  Tap(Key::Escape);
  EXPECT_FALSE(page.Open);
  EXPECT_EQ(ctx->GameState, "options");
  Tap(Key::Escape);
  EXPECT_EQ(ctx->GameState, "mainmenu");
  {
    std::ifstream in(root / "user" / "game.ini");
    const std::string text((std::istreambuf_iterator<char>(in)), {});
    EXPECT_NE(text.find("KeyFire1=F"), std::string::npos) << text;
    EXPECT_NE(text.find("MouseSpeed="), std::string::npos) << "the options' own keys stay";
  }

  StartLevelOne();
  const int64_t before = ctx->Hud.LevelStats.Shots;
  Script("10 key Space down\n", 0);
  Play(2500);
  Script("10 key Space up\n", 0);
  Play(200);
  EXPECT_EQ(ctx->Hud.LevelStats.Shots, before) << "Space no longer fires";
  Script("10 key F down\n", 0);
  Play(2500);
  Script("10 key F up\n", 0);
  EXPECT_GE(ctx->Hud.LevelStats.Shots, before + 3);

  // A new start of the game reads the choice back.
  driver.reset();
  ctx.reset();
  Start(24);
  EXPECT_EQ(ctx->Input.Controls.Keys[size_t(vlm::Action::Fire)][0], vlm::TBinding::OfKey(Key::F));
  EXPECT_EQ(ctx->Input.Controls.Keys[size_t(vlm::Action::Rockets)][0], vlm::TBinding::OfKey(Key::X));
  StartLevelOne();
  const int64_t again = ctx->Hud.LevelStats.Shots;
  Script("10 key F down\n", 0);
  Play(2500);
  EXPECT_GE(ctx->Hud.LevelStats.Shots, again + 3);
}

// The players' dialog with the keys alone: the main menu's name opens it, "[new player]" and the
// name box make a profile, a held arrow walks the rows (once at the press, then repeating after a
// pause), and Enter takes the row and then Ok.
TEST_F(ControlsIntegration, TheKeysWalkThePlayersDialogAndAHeldArrowRepeats) {
  Start(26);
  interface::TMenuState& m = ctx->Menus;
  for (int i = 0; i < 4; ++i) Tap(Key::Enter, 100);
  ASSERT_TRUE(UntilMainMenu()) << ctx->GameState;
  auto focused = [&] { return interface::FocusedObject(*ctx); };
  // Taps `key` until the focus is on `target` (at most `taps` times).
  auto reach = [&](Key key, const scene::TGLBaseSceneObject* target, int taps) {
    for (int i = 0; i < taps && focused() != target; ++i) Tap(key);
    return focused() == target;
  };
  auto newProfile = [&](const std::string& name) {
    ASSERT_TRUE(reach(Key::Up, m.PlayerNameText, 6)) << "the player's name takes the focus";
    Tap(Key::Enter);
    ASSERT_EQ(ctx->GameState, "changeplayer");
    ASSERT_TRUE(reach(Key::Down, m.CPD_newPlayer, 12) || reach(Key::Up, m.CPD_newPlayer, 12));
    Tap(Key::Enter);
    ASSERT_TRUE(m.CPD_EnterName->Visible);
    ASSERT_FALSE(ctx->L.MessageDummy->Visible) << "the Enter that opened the name box is not its Apply";
    Script("10 text " + name + "\n", 100);
    Tap(Key::Enter);
    ASSERT_EQ(ctx->GameState, "mainmenu");
  };
  for (const char* name : {"Bea", "Cid", "Dot"}) {
    newProfile(name);
    if (HasFatalFailure()) return;
  }
  ASSERT_EQ(m.Profiles.List.size(), 4u);

  ASSERT_TRUE(reach(Key::Up, m.PlayerNameText, 6));
  Tap(Key::Enter);
  ASSERT_EQ(ctx->GameState, "changeplayer");
  ASSERT_TRUE(reach(Key::Up, m.ProfileRows[0], 12) || reach(Key::Down, m.ProfileRows[0], 12));
  // Held: one step at the press, none more within the pause, then one every tenth of a second.
  Script("10 key Down down\n", 300);
  EXPECT_EQ(focused(), m.ProfileRows[1]);
  driver->RunFor(250);
  EXPECT_EQ(focused(), m.ProfileRows[3]) << "two repeats after the pause";
  Script("10 key Down up\n", 300);
  const scene::TGLBaseSceneObject* released = focused();
  driver->RunFor(500);
  EXPECT_EQ(focused(), released) << "a released arrow repeats no more";

  ASSERT_TRUE(reach(Key::Up, m.ProfileRows[3], 4));
  const std::string chosen = m.ProfileRows[3]->Text;
  Tap(Key::Enter);
  EXPECT_EQ(m.Profiles.Selected, m.Profiles.Scroll + 4);
  ASSERT_TRUE(reach(Key::Down, m.CPD_ok.Sprite, 12) || reach(Key::Right, m.CPD_ok.Sprite, 12));
  Tap(Key::Enter);
  EXPECT_EQ(ctx->GameState, "mainmenu");
  EXPECT_EQ(ctx->Player.Name, chosen);
}

TEST_F(ControlsIntegration, ThePointerIsLetGoWheneverAMenuOrAMessageBoxStandsOverPlay) {
  Start(25);
  StartLevelOne();
  Play(100);
  EXPECT_TRUE(ctx->Platform().PointerCaptured());
  Tap(Key::Escape, 1500);
  ASSERT_EQ(ctx->GameState, "pausemenu");
  EXPECT_FALSE(ctx->Platform().PointerCaptured());
  Tap(Key::Escape, 1500);
  ASSERT_EQ(ctx->GameState, "game");
  EXPECT_TRUE(ctx->Platform().PointerCaptured());
  // A box raised in play (a file that could not be written, say).
  ctx->L.MessageDummy->Visible = true;
  Play(50);
  EXPECT_FALSE(ctx->Platform().PointerCaptured());
  ctx->L.MessageDummy->Visible = false;
  Play(50);
  EXPECT_TRUE(ctx->Platform().PointerCaptured());
}

}  // namespace
}  // namespace vlm::test
