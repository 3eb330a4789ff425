// The game as a player starts it: no level given, the logos clicked away, the main menu, every
// dialog opened and closed, an option changed and applied, a game started; and from a running
// game every way on (pause menu, level end, game over, the end of the last level) leads back to
// the menu. Played through the real game without a window, with clicks only, aimed at where the
// buttons are drawn.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "combat/Player.h"
#include "data/Errors.h"
#include "data/Scramble.h"
#include "data/TopRanks.h"
#include "context/MenuState.h"
#include "interface/Shop.h"
#include "levels/LevelRun.h"
#include "levels/ShipCode.h"
#include "scene/Projection.h"
#include "context/GameContext.h"
#include "shell/Game.h"
#include "shell/HeadlessDriver.h"
#include "shell/Input.h"
#include "shell/InputScript.h"
#include "context/Platform.h"
#include "shell/Startup.h"
#include "sound/SoundNames.h"
#include "sound/SoundUnit.h"
#include "integration/HeadlessGame.h"

namespace vlm::test {
namespace {

namespace fs = std::filesystem;
using shell::InputEvent;

class MenusIntegration : public ::testing::Test, protected HeadlessGame {
 protected:
  void SetUp() override { Lay(TestFolder("vlm_menus_"), BuiltArchive()); }
  void Start() { HeadlessGame::Start(11); }
  void TearDown() override { Close(); }
  HeadlessPlatform& Platform() { return static_cast<HeadlessPlatform&>(ctx->Platform()); }
  // A game over the fixture's folders that is not started yet (CreateGame not called).
  std::unique_ptr<GameContext> MakeUnstartedGame() {
    GameContextConfig cfg;
    cfg.WorkingFolder = root / "game";
    cfg.AppDataFolder = root / "user";
    return shell::MakeGame(cfg);
  }

  // Where an object is drawn, in window pixels.
  glm::vec2 ScreenPoint(const scene::TGLBaseSceneObject& o) {
    if (o.Kind == scene::TObjectKind::HUDText) {
      glm::vec2 a, b;
      EXPECT_TRUE(static_cast<const scene::TGLHUDText&>(o).TextRect(a, b)) << o.Name;
      return (a + b) * 0.5f;
    }
    const scene::TViewProjection vp =
        scene::ComputeViewProjection(ctx->Scene.Camera(), ctx->ViewportWidth, ctx->ViewportHeight);
    glm::vec3 w;
    EXPECT_TRUE(scene::WorldToWindow(vp, o.AbsolutePosition(), w)) << o.Name;
    return {w.x, w.y};
  }
  void Click(const scene::TGLBaseSceneObject* o, int64_t settleMs = 300) {
    ASSERT_NE(o, nullptr);
    ASSERT_TRUE(o->Visible) << o->Name;
    ClickAt(ScreenPoint(*o), settleMs);
  }
  void Type(const std::string& chars) {
    InputEvent e;
    e.TimeMs = driver->NowMs() + 10;
    e.Kind = InputEvent::Type::Text;
    e.Chars = chars;
    driver->Feed({e});
    driver->RunFor(50);
  }
  void Key(Key k) {
    std::vector<InputEvent> e(2);
    e[0].TimeMs = driver->NowMs() + 10;
    e[0].Kind = InputEvent::Type::KeyDown;
    e[0].KeyCode = k;
    e[1].TimeMs = driver->NowMs() + 60;
    e[1].Kind = InputEvent::Type::KeyUp;
    e[1].KeyCode = k;
    driver->Feed(e);
    driver->RunFor(200);
  }
  // From the start: the logos clicked away, the menu's entrance waited for; on a first start
  // the name entry comes first and takes the player's name.
  void ToMainMenu() {
    ASSERT_EQ(ctx->GameState, "gameintro");
    for (int i = 0; i < 4; ++i) ClickAt({512, 384}, 100);
    ASSERT_TRUE(driver->RunUntil([&] { return ctx->GameState == "mainmenu" || ctx->GameState == "changeplayer"; },
                                 60000))
        << ctx->GameState;
    if (ctx->GameState == "changeplayer") {
      Type("Tester");
      Key(vlm::Key::Enter);
    }
    ASSERT_EQ(ctx->GameState, "mainmenu");
  }
  // Into play, through the story first when the level opens with one.
  void RunIntoPlay() {
    driver->RunUntil([&] { return ctx->GameState == "cutscene" || ctx->GameState == "game"; }, 30000);
    PageThroughCutScene();
    ASSERT_TRUE(RunUntilState("game", 30000)) << ctx->GameState;
  }
  // Plays the level out: whatever is left of it is taken off the board until the statistics.
  void ClearLevel() {
    RunIntoPlay();
    ASSERT_TRUE(driver->RunUntil(
        [&] {
          ctx->Level.LevelEnemyCount = 0;
          ctx->Player.HitShieldSeconds = 5;
          return ctx->GameState == "statistics";
        },
        120000))
        << ctx->GameState;
  }
  // From the statistics, clicks until the next state comes.
  void ClickOnFrom(const std::string& state) {
    for (int i = 0; i < 40 && ctx->GameState == state; ++i) ClickAt({512, 384}, 500);
  }
  // Through a cut-scene: Next each time it shows, until the cut-scene is over.
  void PageThroughCutScene() {
    for (int i = 0; i < 20 && ctx->GameState == "cutscene"; ++i) {
      ASSERT_TRUE(driver->RunUntil([&] { return ctx->CutScene.NextButtonSprite->Visible; }, 5000));
      Click(ctx->CutScene.NextButtonSprite);
    }
  }

};

TEST_F(MenusIntegration, FromTheLogosThroughEveryDialogIntoALevel) {
  Start();
  interface::TMenuState& m = ctx->Menus;
  ToMainMenu();
  EXPECT_TRUE(ctx->L.CursorImage->Visible);

  // Options: the music one step louder, heard at once, and kept by Apply.
  const double music = ctx->Options.MusicVolume;
  Click(m.MM_Options.Sprite);
  ASSERT_EQ(ctx->GameState, "options");
  Click(m.Options.Music.Plus);
  EXPECT_NEAR(ctx->Options.MusicVolume, music + 0.05, 1e-9);
  Click(m.Options.Apply.Sprite);
  EXPECT_EQ(ctx->GameState, "mainmenu");
  EXPECT_FALSE(m.Options.Dummy->Visible);
  EXPECT_NEAR(ctx->Options.MusicVolume, music + 0.05, 1e-9);
  ASSERT_DOUBLE_EQ(music, 0.8);  // the default, so the file's line is known
  std::ifstream saved(root / "user" / "game.ini");
  std::string text((std::istreambuf_iterator<char>(saved)), {});
  EXPECT_NE(text.find("MusicVolume=0,85"), std::string::npos) << text;

  // Options again: a change cancelled is undone.
  Click(m.MM_Options.Sprite);
  Click(m.Options.Sound.Minus);
  Click(m.Options.Cancel.Sprite);
  EXPECT_EQ(ctx->GameState, "mainmenu");
  EXPECT_DOUBLE_EQ(ctx->Options.SoundVolume, ctx->OptionsBackup.SoundVolume);

  // Help: three pages forward and the Back button.
  Click(m.MM_Help.Sprite);
  ASSERT_EQ(ctx->GameState, "help");
  Click(m.HD_Right);
  Click(m.HD_Right);
  Click(m.HD_Right);
  EXPECT_EQ(m.HelpPage, 3);
  EXPECT_TRUE(m.HD_PageDummy[2]->Visible);
  Click(m.HD_Back.Sprite);
  EXPECT_EQ(ctx->GameState, "mainmenu");

  // Credits roll on Timer2 and stop with Back.
  Click(m.MM_Credits.Sprite, 1000);
  ASSERT_EQ(ctx->GameState, "credits");
  EXPECT_GT(m.CD_Title->ModulateColor.a, 0.5f);
  Click(m.CD_Back.Sprite);
  EXPECT_EQ(ctx->GameState, "mainmenu");
  EXPECT_FALSE(ctx->Timers[TimerId::Timer2].Enabled);

  // Top ranks: the default table.
  Click(m.MM_TopRanks.Sprite);
  ASSERT_EQ(ctx->GameState, "topranks");
  EXPECT_EQ(m.RankNames[0]->Text, "QUORVEL");
  EXPECT_FALSE(ctx->L.TRD_EnterNameDummy->Visible);
  Click(m.TRD_Back.Sprite);
  EXPECT_EQ(ctx->GameState, "mainmenu");

  // Exit asks first; Cancel stays.
  Click(m.MM_Exit.Sprite);
  ASSERT_TRUE(ctx->L.MessageDummy->Visible);
  EXPECT_EQ(m.MD_Text->Text, "are you sure\ryou want to exit?");
  Click(m.MD_Cancel.Sprite);
  EXPECT_FALSE(ctx->L.MessageDummy->Visible);
  EXPECT_FALSE(Platform().QuitRequested());

  // Start: one open slot, so level 1 starts at once, opens with the story, and runs.
  Click(m.MM_StartGame.Sprite);
  EXPECT_EQ(ctx->Level.CurrentLevel, 1);
  ASSERT_TRUE(RunUntilState("cutscene", 5000)) << ctx->GameState;
  PageThroughCutScene();
  ASSERT_TRUE(RunUntilState("game", 30000)) << ctx->GameState;
  driver->RunFor(5000);
  EXPECT_EQ(ctx->GameState, "game");
  EXPECT_GT(ctx->Level.LevelTime, 2.0);
  EXPECT_FALSE(ctx->L.MainMenuDummy->Visible);
}

TEST_F(MenusIntegration, EveryWayOnFromARunningGameLeadsBackToTheMenu) {
  Start();
  interface::TMenuState& m = ctx->Menus;
  ToMainMenu();
  Click(m.MM_StartGame.Sprite);
  RunIntoPlay();

  // Pause menu: Escape, then Options and Cancel, then Exit, Cancel, Exit, Ok.
  Key(Key::Escape);
  ASSERT_EQ(ctx->GameState, "pausemenu");
  driver->RunFor(1500);  // the bars and buttons are in
  Click(ctx->L.PM_Options);
  ASSERT_EQ(ctx->GameState, "pm_options");
  EXPECT_FALSE(ctx->L.GLDummyCube2->Visible);
  Click(m.PauseOptions.Cancel.Sprite);
  ASSERT_EQ(ctx->GameState, "pausemenu");
  EXPECT_TRUE(ctx->L.GLDummyCube2->Visible);
  Click(ctx->L.PM_Exit);
  ASSERT_TRUE(ctx->L.MessageDummy->Visible);
  EXPECT_EQ(m.MD_Text->Text, "abort this game?");
  Click(m.MD_Cancel.Sprite);
  EXPECT_EQ(ctx->GameState, "pausemenu");
  // Escape answers the box as Cancel, and is not taken by the pause menu as well.
  Click(ctx->L.PM_Exit);
  Key(Key::Escape);
  EXPECT_FALSE(ctx->L.MessageDummy->Visible);
  EXPECT_EQ(ctx->GameState, "pausemenu");
  Click(ctx->L.PM_Exit);
  Click(m.MD_Ok.Sprite);
  EXPECT_EQ(ctx->GameState, "mainmenu");
  EXPECT_TRUE(ctx->L.MainMenuDummy->Visible);
  EXPECT_FALSE(ctx->L.SceneDummyCube->Visible);
  EXPECT_FALSE(Platform().QuitRequested());

  // Level end: statistics, a click, the shop (level 1 has one), Continue and Ok for the points
  // left, the fly-out and the next level.
  Click(m.MM_StartGame.Sprite);
  ClearLevel();
  ClickOnFrom("statistics");
  ASSERT_EQ(ctx->GameState, "shop");
  Click(ctx->Shop.ContinueButtonSprite);
  ASSERT_TRUE(ctx->L.MessageDummy->Visible);
  Click(m.MD_Ok.Sprite, 100);
  EXPECT_TRUE(ctx->GameState == "levelintro" || ctx->GameState == "loading") << ctx->GameState;
  ASSERT_TRUE(RunUntilState("game", 60000)) << ctx->GameState;
  EXPECT_EQ(ctx->Level.CurrentLevel, 2);

  // Game over: the last life lost, the message grows, then the top ranks with the name entry
  // (the score makes the table's tenth place); Apply enters it, Back leads to the menu.
  ctx->Player.Lifes = 1;
  ctx->Player.HitShieldSeconds = 0;
  combat::KillPlayer(*ctx);
  ASSERT_TRUE(RunUntilState("topranks", 30000)) << ctx->GameState;
  EXPECT_TRUE(ctx->L.TRD_EnterNameDummy->Visible);
  // The entry starts with the player's name; it is rubbed out and another typed.
  EXPECT_EQ(m.Edit1, "Tester");
  for (int i = 0; i < 6; ++i) Key(vlm::Key::Backspace);
  Type("Ace");
  Click(m.TRD_Apply.Sprite);
  EXPECT_FALSE(ctx->L.TRD_EnterNameDummy->Visible);
  bool entered = false;
  for (const auto* t : m.RankNames) entered = entered || t->Text == "Ace";
  EXPECT_TRUE(entered);
  Click(m.TRD_Back.Sprite);
  EXPECT_EQ(ctx->GameState, "mainmenu");

  // The end of the last level: statistics, the closing story, the fly-out, then the top ranks,
  // not the next level. (Level 2 opened its save slot when it loaded, so the start button leads to
  // the choice of level; the first slot is made to hold the last level and the only one open.)
  ctx->Level.CurrentLevel = ctx->Level.LevelCount;
  EXPECT_TRUE(ctx->Menus.Slots[1].Visible);
  ctx->Menus.Slots[0].Level = ctx->Level.LevelCount;
  for (size_t k = 1; k < ctx->Menus.Slots.size(); ++k) ctx->Menus.Slots[k].Visible = false;
  Click(m.MM_StartGame.Sprite);
  ClearLevel();
  ClickOnFrom("statistics");
  EXPECT_EQ(ctx->GameState, "cutscene");
  PageThroughCutScene();
  ASSERT_TRUE(RunUntilState("topranks", 60000)) << ctx->GameState;
  EXPECT_TRUE(ctx->L.TRD_EnterNameDummy->Visible);
  Click(m.TRD_Apply.Sprite);
  EXPECT_FALSE(ctx->L.TRD_EnterNameDummy->Visible);
  Click(m.TRD_Back.Sprite);
  EXPECT_EQ(ctx->GameState, "mainmenu");

  // Escape in the main menu asks, Escape again stays; Exit and Ok end the program.
  Key(Key::Escape);
  EXPECT_TRUE(ctx->L.MessageDummy->Visible);
  Key(Key::Escape);
  EXPECT_FALSE(ctx->L.MessageDummy->Visible);
  EXPECT_EQ(ctx->GameState, "mainmenu");
  Click(m.MM_Exit.Sprite);
  Click(m.MD_Ok.Sprite);
  EXPECT_TRUE(Platform().QuitRequested());
}

// A first start asks for a name and makes the profile; level 1 played to its end opens level 2's
// save slot with the ship as it flew; the game is left. The next start knows the player, and the
// start button offers level 2, which begins with exactly the saved ship and score.
TEST_F(MenusIntegration, AFirstStartNamesThePlayerAndTheNextStartOffersTheLevelReached) {
  Start();
  interface::TMenuState& m = ctx->Menus;
  ASSERT_EQ(ctx->GameState, "gameintro");
  for (int i = 0; i < 4; ++i) ClickAt({512, 384}, 100);
  ASSERT_TRUE(RunUntilState("changeplayer", 60000)) << ctx->GameState;
  EXPECT_TRUE(m.ChangePlayerDummy->Visible);
  EXPECT_TRUE(m.CPD_EnterName->Visible);
  EXPECT_TRUE(m.Edit1Visible);
  Type("Ada");
  Key(vlm::Key::Enter);
  ASSERT_EQ(ctx->GameState, "mainmenu");
  EXPECT_EQ(ctx->Player.Name, "Ada");
  const std::string file = ctx->Player.FileName;
  ASSERT_FALSE(file.empty());
  ASSERT_TRUE(fs::exists(root / "user" / "Saves" / file));
  EXPECT_EQ(m.PlayerNameText->Text, "Ada");

  // Level 1 (after the opening story), with the guns and armour of a shopping spree, played to
  // its end.
  Click(m.MM_StartGame.Sprite);
  RunIntoPlay();
  levels::TShipConfig ship = combat::CurrentShipConfig(*ctx);
  ship.PrimaryLevel = 3;
  ship.MegaLevel = 1;
  ship.ArmorLevel = 2;
  ship.Rockets = 11;
  combat::ApplyShipConfig(*ctx, ship);
  ctx->Player.Scores = 3'000'000'000;  // beyond 32 bits
  ctx->Player.Lifes = 4;
  ClearLevel();
  ClickOnFrom("statistics");
  // The shop after level 1 is left without buying (its clicks are the shop's own tests).
  ASSERT_EQ(ctx->GameState, "shop");
  interface::LeaveShop(*ctx);
  // Level 2 loads and writes its save slot (slot 1) with the player as he is at that moment.
  ASSERT_TRUE(RunUntilState("levelintro2", 60000)) << ctx->GameState;
  ASSERT_EQ(ctx->Level.CurrentLevel, 2);
  const data::TPlayer saved = ctx->Player;
  const levels::TShipConfig savedShip = combat::CurrentShipConfig(*ctx);
  EXPECT_EQ(savedShip.PrimaryLevel, 3);
  EXPECT_EQ(savedShip.Rockets, 11);
  driver->RunFor(2000);
  // The game is left (the window closed) in the middle of level 2.
  driver.reset();
  ctx.reset();

  // The next start: no name entry, the same player, level 2 on offer.
  Start();
  interface::TMenuState& n = ctx->Menus;
  ToMainMenu();
  EXPECT_EQ(ctx->Player.FileName, file);
  EXPECT_EQ(ctx->Player.Name, "Ada");
  EXPECT_EQ(n.Profiles.Selected, 1);
  Click(n.MM_StartGame.Sprite);
  ASSERT_EQ(ctx->GameState, "chooselevel");
  EXPECT_TRUE(n.CL_level[0]->Visible);
  ASSERT_TRUE(n.CL_level[1]->Visible);
  EXPECT_EQ(n.CL_level[1]->Text, "2. cinder belt");
  EXPECT_FALSE(n.CL_level[2]->Visible);
  EXPECT_EQ(n.Slots[1].Saved.Ship, levels::EncodeShipCode(savedShip));
  Click(n.CL_level[1]);
  ASSERT_EQ(ctx->GameState, "loading");
  EXPECT_EQ(ctx->Level.CurrentLevel, 2);
  // Exactly the state of the slot: score, lives, bonus-life index, points, health, armour, ship.
  EXPECT_EQ(ctx->Player.Scores, saved.Scores);
  EXPECT_EQ(ctx->Player.Lifes, saved.Lifes);
  EXPECT_EQ(ctx->Player.BonusLifeIndex, saved.BonusLifeIndex);
  EXPECT_EQ(ctx->Player.UpgradePoints, saved.UpgradePoints);
  EXPECT_DOUBLE_EQ(ctx->Player.Health, saved.Health);
  EXPECT_EQ(ctx->Player.Armor, saved.Armor);
  EXPECT_EQ(ctx->Player.SavedShipCode, saved.SavedShipCode);
  EXPECT_EQ(combat::CurrentShipConfig(*ctx), savedShip);
  ASSERT_TRUE(RunUntilState("game", 30000)) << ctx->GameState;
}

// Every file below the player's folder, with its bytes.
std::vector<std::pair<std::string, std::string>> FilesBelow(const fs::path& folder) {
  std::vector<std::pair<std::string, std::string>> files;
  for (const auto& e : fs::recursive_directory_iterator(folder)) {
    if (!e.is_regular_file()) continue;
    std::ifstream in(e.path(), std::ios::binary);
    files.emplace_back(e.path().string(), std::string(std::istreambuf_iterator<char>(in), {}));
  }
  std::sort(files.begin(), files.end());
  return files;
}

TEST_F(MenusIntegration, LeftAloneTheMenuPlaysDemosThatAnyInputEndsAndThatKeepNothing) {
  Start();
  ToMainMenu();
  const auto files = FilesBelow(root / "user");
  const int64_t scores = ctx->Player.Scores;
  const int32_t lives = ctx->Player.Lifes;

  // The player's hand on the mouse starts the half minute over.
  driver->RunFor(25000);
  ASSERT_FALSE(ctx->Demo.Active);
  InputEvent move;
  move.TimeMs = driver->NowMs() + 10;
  move.Kind = InputEvent::Type::Move;
  move.X = 900;
  move.Y = 700;
  driver->Feed({move});
  driver->RunFor(25000);
  EXPECT_FALSE(ctx->Demo.Active) << "the idle time starts over with each input";
  EXPECT_EQ(ctx->GameState, "mainmenu");
  ASSERT_TRUE(driver->RunUntil([&] { return ctx->Demo.Active; }, 6000));

  // The pilot plays a level the player can open, with the guns.
  ASSERT_TRUE(RunUntilState("game", 20000)) << ctx->GameState;
  EXPECT_EQ(ctx->Demo.Level, 1) << "a new player has only the first level open";
  EXPECT_TRUE(ctx->Hud.DemoText->IsVisibleInTree());
  EXPECT_FALSE(ctx->L.CursorImage->Visible);
  driver->RunFor(30000);
  ASSERT_TRUE(ctx->Demo.Active) << ctx->GameState;
  EXPECT_GT(ctx->Hud.LevelStats.Shots, 0);
  EXPECT_GT(ctx->Hud.LevelStats.EnemiesDestroyed, 0);

  // Escape ends it; the key does nothing else (no pause menu, no question to exit).
  Key(vlm::Key::Escape);
  EXPECT_FALSE(ctx->Demo.Active);
  EXPECT_EQ(ctx->GameState, "mainmenu");
  EXPECT_FALSE(ctx->L.MessageDummy->Visible);
  EXPECT_FALSE(ctx->L.PauseMenuDummyCube->Visible);
  EXPECT_TRUE(ctx->L.CursorImage->Visible);
  EXPECT_FALSE(ctx->Hud.DemoText->IsVisibleInTree());
  EXPECT_EQ(ctx->Player.Scores, scores);
  EXPECT_EQ(ctx->Player.Lifes, lives);

  // Left alone for a long while, demo follows demo, each ending by itself, and none of them
  // reaches a screen beyond its level or keeps anything.
  const int32_t played = ctx->Demo.Played;
  bool strayed = false;
  driver->RunUntil(
      [&] {
        const std::string& s = ctx->GameState;
        strayed = strayed || s == "shop" || s == "cutscene" || s == "topranks" || s == "pausemenu";
        return false;
      },
      600000);
  EXPECT_FALSE(strayed);
  EXPECT_GE(ctx->Demo.Played, played + 3);
  move.TimeMs = driver->NowMs() + 10;
  move.X = 100;
  driver->Feed({move});
  driver->RunFor(100);
  ASSERT_FALSE(ctx->Demo.Active);
  EXPECT_EQ(ctx->Player.Scores, scores);
  EXPECT_EQ(ctx->Player.Lifes, lives);
  EXPECT_EQ(FilesBelow(root / "user"), files) << "no slot, rank or profile written by a demo";
}

TEST_F(MenusIntegration, TheLoadingBarStepsThroughBothPhases) {
  std::unique_ptr<GameContext> made = MakeUnstartedGame();
  GameContext& game = *made;
  std::vector<std::pair<double, std::string>> seen;
  const shell::StartupProgress record = [&](GameContext&, double percent, const char* caption) {
    seen.emplace_back(percent, caption);
  };
  ASSERT_TRUE(shell::CreateGame(game, sound::AudioOutput::Null, record));
  std::vector<double> first;
  for (const auto& [percent, caption] : seen) {
    EXPECT_EQ(caption, "...loading [1/2]...");
    first.push_back(percent);
  }
  EXPECT_EQ(first, (std::vector<double>{1, 10, 40, 50, 60, 65, 70, 75, 80, 85, 90, 95, 100}));

  // The second phase: 0.6 a material, shown truncated, never above 100; every material but the
  // meshes' is drawn once.
  seen.clear();
  int frames = 0;
  size_t drawn = 0;
  const auto draw = [&] {
    ++frames;
    for (size_t i = 0; i < game.L.CachingDummy->Count(); ++i) drawn += game.L.CachingDummy->Child(i)->Visible;
  };
  shell::CacheTextures(game, 64, draw, record);
  const size_t materials = game.ModelsLibrary.Count() + game.ExplosionLibrary.Count() + game.EnemiesLibrary.Count() +
                           game.InterFaceLibrary.Count() + game.BonusMaterialLibrary.Count();
  EXPECT_EQ(drawn, materials - game.ModelsLibrary.Count());
  EXPECT_EQ(frames, int((drawn + 63) / 64));
  ASSERT_EQ(seen.size(), materials + 1);
  EXPECT_EQ(seen[0].first, 0.0);
  for (size_t i = 1; i < seen.size(); ++i) {
    EXPECT_EQ(seen[i].second, "...loading [2/2]...");
    EXPECT_EQ(seen[i].first, double(std::min<size_t>(100, i * 6 / 10))) << i;
  }
  EXPECT_EQ(seen.back().first, double(std::min<size_t>(100, materials * 6 / 10)));
  EXPECT_EQ(game.L.CachingDummy->Count(), 0u);
}

// As the game starts: the sound loads on its own thread while the content does, and is all there
// once Finish returns.
TEST_F(MenusIntegration, TheSoundLoadedBesideTheContentIsThereAfterFinish) {
  std::unique_ptr<GameContext> made = MakeUnstartedGame();
  GameContext& game = *made;
  shell::BackgroundAudio audio;
  ASSERT_TRUE(shell::CreateGame(game, sound::AudioOutput::Null, {}, &audio));
  ASSERT_TRUE(audio.Finish(game));
  EXPECT_TRUE(static_cast<HeadlessPlatform&>(game.Platform()).Errors().empty());
  EXPECT_TRUE(Audio().HasMusic());
  EXPECT_EQ(CurrentMusicOrder, 1);
  for (std::string_view name : sound::kSoundNames) {
    const sound::SoundBank::Item* wave = Audio().Bank().Find(name);
    ASSERT_NE(wave, nullptr) << name;
    EXPECT_TRUE(wave->audible) << name;
  }
  Audio().SetMessageHandler(nullptr);  // the context goes with the test
}

}  // namespace
}  // namespace vlm::test
