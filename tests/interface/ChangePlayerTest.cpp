// The change-player dialog through the real input dispatch and frame: the list scrolled to the
// selection with the mark on its row, choosing, Ok and Cancel, new players with the typed name,
// deleting with its question and its refusal, and the main menu's player name that opens it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "data/IniText.h"
#include "data/Profiles.h"
#include "data/Scramble.h"
#include "interface/ChangePlayer.h"
#include "interface/MenuFramework.h"
#include "levels/LevelRun.h"
#include "scene/Projection.h"
#include "shell/FrameLoop.h"
#include "shell/Input.h"
#include "interface/MenuScreenFixture.h"

namespace vlm::test {
namespace {

using shell::MouseButton;
namespace fs = std::filesystem;

class ChangePlayerTest : public MenuScreenTest {
 protected:
  data::TProfiles& P() { return ctx->Menus.Profiles; }
  fs::path Saves() { return ctx->Data->AppDataFolder() / "Saves"; }

  // Profiles "p01.ini" ... named "P1" ...; the one numbered `current` is named in game.ini.
  void MakeProfiles(int count, int current) {
    fs::create_directories(Saves());
    for (int i = 1; i <= count; ++i) {
      std::vector<std::string> lines = {"[MAIN]", "Name=P" + std::to_string(i), "[0]", "int=1", "Visible=1",
                                        "Title=level 1", "LogoName=Level1Logo", "Level=1", "Scores=0", "Ship=",
                                        "TimeShip=", "Health=100", "Armor=0", "Lifes=3", "BonusLifeIndex=1",
                                        "points=0"};
      data::ScrambleLines(lines);
      std::ofstream(Saves() / File(i), std::ios::binary) << data::JoinLines(lines, "\r\n");
    }
    ctx->Player.FileName = current ? File(current) : "";
    interface::LoadProfilesAtStartup(*ctx);
  }
  static std::string File(int i) { return std::string("p") + (i < 10 ? "0" : "") + std::to_string(i) + ".ini"; }

  void Frame() { shell::GLCadencer1Progress(*ctx, 0.016, ctx->FrameTime + 0.016); }
  void Type(const std::string& chars) {
    shell::InputEvent e;
    e.Kind = shell::InputEvent::Type::Text;
    e.Chars = chars;
    shell::ApplyInputEvent(*ctx, e);
  }
  void Enter() {
    shell::FormKeyDown(*ctx, vlm::Key::Enter);
    Frame();
    shell::FormKeyUp(*ctx, vlm::Key::Enter);
  }
  std::vector<std::string> Rows() {
    std::vector<std::string> rows;
    for (auto* r : M().ProfileRows) rows.push_back(r->Text);
    return rows;
  }
};

TEST_F(ChangePlayerTest, TwelveProfilesWithTheTwelfthSelectedOpenScrolledWithTheMarkOnTheLastRow) {
  MakeProfiles(12, 12);
  ASSERT_EQ(P().Selected, 12);
  // The main menu's player name opens the dialog.
  Frame();
  ASSERT_TRUE(M().PlayerNameText->Visible);
  EXPECT_EQ(M().PlayerNameText->Text, "P12");
  Press(*M().PlayerNameText);
  ASSERT_EQ(ctx->GameState, "changeplayer");
  EXPECT_EQ(P().Scroll, 3);
  Frame();
  EXPECT_EQ(Rows(), (std::vector<std::string>{"P4", "P5", "P6", "P7", "P8", "P9", "P10", "P11", "P12"}));
  // The mark stands behind the ninth row, as wide as its name or wider.
  ASSERT_TRUE(M().CPD_mark->Visible);
  const glm::vec2 mark = ScreenPoint(*M().CPD_mark), row9 = ScreenPoint(*M().ProfileRows[8]);
  EXPECT_NEAR(mark.y, row9.y, 4.0f);
  EXPECT_NEAR(mark.x, row9.x, 4.0f);
  // Scrolling down stops at 3, up at 0.
  Press(*M().CPD_ScrollDown);
  EXPECT_EQ(P().Scroll, 3);
  for (int i = 0; i < 5; ++i) Press(*M().CPD_ScrollUp);
  EXPECT_EQ(P().Scroll, 0);
  Frame();
  EXPECT_EQ(M().ProfileRows[0]->Text, "P1");
  EXPECT_FALSE(M().CPD_mark->Visible) << "the selection is scrolled out of sight";
}

TEST_F(ChangePlayerTest, ChoosingARowSelectsOkTakesItAndCancelRestores) {
  MakeProfiles(12, 12);
  Frame();
  Press(*M().PlayerNameText);
  Frame();
  // Row 2 at offset 3 is profile 5; Cancel brings back the selection held at the opening.
  Press(*M().ProfileRows[1]);
  EXPECT_EQ(P().Selected, 5);
  Press(*M().CPD_Cancel.Sprite);
  EXPECT_EQ(ctx->GameState, "mainmenu");
  EXPECT_EQ(P().Selected, 12);
  EXPECT_EQ(P().Scroll, 0);
  EXPECT_EQ(ctx->Player.FileName, File(12));
  // Again, with Ok: profile 5 becomes the current one and game.ini says so.
  Frame();
  Press(*M().PlayerNameText);
  Frame();
  Press(*M().ProfileRows[1]);
  Press(*M().CPD_ok.Sprite);
  EXPECT_EQ(ctx->GameState, "mainmenu");
  EXPECT_EQ(ctx->Player.FileName, File(5));
  EXPECT_EQ(ctx->Player.Name, "P5");
  EXPECT_EQ(ctx->Data->ReadIniValue((ctx->Data->AppDataFolder() / "game.ini").string(), "PLAYER", "FileName"),
            File(5));
}

TEST_F(ChangePlayerTest, ARowBelowTheEndOfTheListSelectsNothing) {
  MakeProfiles(3, 2);
  Frame();
  Press(*M().PlayerNameText);
  Frame();
  M().ProfileRows[5]->Text = "x";  // something to aim at where the sixth row stands
  Press(*M().ProfileRows[5]);
  EXPECT_EQ(P().Selected, 2);
  Press(*M().CPD_ok.Sprite);
  EXPECT_EQ(ctx->Player.FileName, File(2));
}

TEST_F(ChangePlayerTest, DeletingAsksFirstAndTheCurrentProfileGivesWayToTheFirst) {
  MakeProfiles(3, 2);
  Frame();
  Press(*M().PlayerNameText);
  Frame();
  Press(*M().CPD_Delete.Sprite);
  ASSERT_TRUE(L().MessageDummy->Visible);
  EXPECT_EQ(M().MD_Text->Text, "are you sure?");
  EXPECT_TRUE(M().MD_Cancel.Sprite->Visible);
  Press(*M().MD_Cancel.Sprite);
  EXPECT_TRUE(fs::exists(Saves() / File(2)));
  Press(*M().CPD_Delete.Sprite);
  Press(*M().MD_Ok.Sprite);
  EXPECT_FALSE(fs::exists(Saves() / File(2)));
  EXPECT_EQ(P().List.size(), 2u);
  EXPECT_EQ(P().Selected, 1);
  EXPECT_EQ(ctx->Player.FileName, File(1));
  EXPECT_EQ(ctx->Player.Name, "P1");
  EXPECT_EQ(ctx->GameState, "changeplayer");
  Frame();
  EXPECT_EQ(Rows(), (std::vector<std::string>{"P1", "P3", "", "", "", "", "", "", ""}));
  // Down to one: that one cannot go.
  Press(*M().CPD_Delete.Sprite);
  Press(*M().MD_Ok.Sprite);
  ASSERT_EQ(P().List.size(), 1u);
  Press(*M().CPD_Delete.Sprite);
  ASSERT_TRUE(L().MessageDummy->Visible);
  EXPECT_EQ(M().MD_Text->Text, "You can not delete the\rprofile of the last user!");
  EXPECT_FALSE(M().MD_Cancel.Sprite->Visible);
  Press(*M().MD_Ok.Sprite);
  EXPECT_EQ(P().List.size(), 1u);
  EXPECT_EQ(ctx->Player.FileName, P().List[0].FileName);
}

TEST_F(ChangePlayerTest, TheFirstStartTakesANameOfAtMostSixteenLetters) {
  interface::LoadProfilesAtStartup(*ctx);
  ASSERT_TRUE(interface::NoProfileYet(*ctx));
  interface::OpenNameEntry(*ctx, true);
  ASSERT_EQ(ctx->GameState, "changeplayer");
  ASSERT_TRUE(M().CPD_EnterName->Visible);
  Frame();
  // Without a profile Cancel of the box, Ok and Cancel of the dialog do nothing.
  Press(*M().CPDEN_Cancel.Sprite);
  EXPECT_TRUE(M().CPD_EnterName->Visible);
  EXPECT_EQ(ctx->GameState, "changeplayer");
  shell::FormKeyDown(*ctx, vlm::Key::Escape);
  shell::FormKeyUp(*ctx, vlm::Key::Escape);
  EXPECT_TRUE(M().CPD_EnterName->Visible);
  // Apply with an empty name: the notice, and the box stays.
  Press(*M().CPDEN_Apply.Sprite);
  ASSERT_TRUE(L().MessageDummy->Visible);
  EXPECT_EQ(M().MD_Text->Text, "enter name first!");
  EXPECT_FALSE(M().MD_Cancel.Sprite->Visible);
  Press(*M().MD_Ok.Sprite);
  EXPECT_TRUE(M().CPD_EnterName->Visible);
  // Sixteen characters are taken, the seventeenth is refused; what the font cannot draw never
  // gets in; Backspace takes the last one back.
  Type("ABCDEFGHIJKLMNO_\xC3\xA9");
  EXPECT_EQ(M().Edit1, "ABCDEFGHIJKLMNO");
  Type("PQ");
  EXPECT_EQ(M().Edit1, "ABCDEFGHIJKLMNOP");
  shell::FormKeyDown(*ctx, vlm::Key::Backspace);
  shell::FormKeyUp(*ctx, vlm::Key::Backspace);
  EXPECT_EQ(M().Edit1, "ABCDEFGHIJKLMNO");
  Frame();
  EXPECT_EQ(M().CPDEN_EnterName->Text, "ABCDEFGHIJKLMNO");
  // Enter makes the profile, current and listed, and the main menu follows.
  Enter();
  EXPECT_EQ(ctx->GameState, "mainmenu");
  EXPECT_FALSE(M().ChangePlayerDummy->Visible);
  EXPECT_FALSE(M().Edit1Visible);
  ASSERT_EQ(P().List.size(), 1u);
  EXPECT_EQ(ctx->Player.Name, "ABCDEFGHIJKLMNO");
  EXPECT_EQ(ctx->Player.FileName, P().List[0].FileName);
  EXPECT_TRUE(fs::exists(Saves() / ctx->Player.FileName));
  // This game has no default save beside it: the player is told, and plays level 1.
  ASSERT_TRUE(L().MessageDummy->Visible);
  EXPECT_NE(M().MD_Text->Text.find("defaultsave.ini"), std::string::npos);
  Press(*M().MD_Ok.Sprite);
  EXPECT_TRUE(M().Slots[0].Visible);
  EXPECT_EQ(M().Slots[0].Saved.Lifes, 3);
  // With a profile, the name box's Cancel closes it again.
  Frame();
  Press(*M().PlayerNameText);
  Press(*M().CPD_newPlayer);
  ASSERT_TRUE(M().CPD_EnterName->Visible);
  Frame();
  Press(*M().CPDEN_Cancel.Sprite);
  EXPECT_FALSE(M().CPD_EnterName->Visible);
  EXPECT_EQ(ctx->GameState, "changeplayer");
}

}  // namespace
}  // namespace vlm::test
