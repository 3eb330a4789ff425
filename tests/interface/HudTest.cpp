// The head-up display: texts, the score count-up, the health and armour colours, placement.
#include <gtest/gtest.h>

#include "interface/Hud.h"
#include "shell/ShellFixture.h"

namespace vlm::test {
namespace {

class HudTest : public ShellTest {
 protected:
  void Frame(double dt) {
    ctx->DeltaTime = dt;
    interface::HudFrame(*ctx);
  }
};

TEST_F(HudTest, ShowsLevelLivesRocketsAndTheCountingScore) {
  ctx->Level.CurrentLevel = 2;
  ctx->Player.Lifes = 3;
  ctx->Player.BonusLifeIndex = 1;
  ctx->Player.Rockets = 5;
  ctx->Player.Health = 100.0;
  ctx->Player.Scores = 250;
  ctx->Player.ShownScore = 0.0;
  Frame(1.0);
  EXPECT_EQ(ctx->Hud.LevelText->Text, "level:2");
  EXPECT_EQ(ctx->Hud.PlayerLifesText->Text, "3");
  EXPECT_EQ(ctx->Hud.RocketsHUDText->Text, "5");
  EXPECT_EQ(ctx->Hud.PlayerScoresText->Text, "score:100");  // 100 points a second
  Frame(1.0);
  Frame(1.0);
  EXPECT_EQ(ctx->Hud.PlayerScoresText->Text, "score:300");  // may pass by less than a step
  Frame(1.0);
  EXPECT_EQ(ctx->Hud.PlayerScoresText->Text, "score:300");  // and stops there
}

TEST_F(HudTest, AScoreGainPastAThresholdGivesALife) {
  ctx->Player.Lifes = 1;
  ctx->Player.BonusLifeIndex = 1;
  ctx->Player.Scores = 10000;
  Frame(0.01);
  EXPECT_EQ(ctx->Player.Lifes, 2);
  EXPECT_EQ(ctx->Hud.PlayerLifesText->Text, "2");
}

struct ColourCase {
  double health;
  float greenBlue;
};

class HudHealthColourTest : public HudTest, public ::testing::WithParamInterface<ColourCase> {};

TEST_P(HudHealthColourTest, WhiteWhenFullRedAtTenAndBelow) {
  ctx->Player.Health = GetParam().health;
  Frame(0.01);
  EXPECT_NEAR(ctx->Hud.PlayerHealthText->ModulateColor.g, GetParam().greenBlue, 1e-6);
  EXPECT_NEAR(ctx->Hud.PlayerHealthText->ModulateColor.b, GetParam().greenBlue, 1e-6);
  EXPECT_EQ(ctx->Hud.PlayerHealthText->ModulateColor.r, 1.0f);
}

INSTANTIATE_TEST_SUITE_P(Health, HudHealthColourTest,
                         ::testing::Values(ColourCase{100.0, 0.9f}, ColourCase{20.0, 0.5f}, ColourCase{10.0, 0.0f},
                                           ColourCase{4.0, 0.0f}, ColourCase{0.0, 0.0f}));

TEST_F(HudTest, HealthIsRoundedHalfToEven) {
  ctx->Player.Health = 42.5;
  Frame(0.01);
  EXPECT_EQ(ctx->Hud.PlayerHealthText->Text, "42");
  ctx->Player.Health = 43.5;
  Frame(0.01);
  EXPECT_EQ(ctx->Hud.PlayerHealthText->Text, "44");
}

TEST_F(HudTest, ArmourShowsItsNumberAndAGreyZeroWithoutArmourFitted) {
  ctx->Player.Health = 100.0;
  ctx->Player.Armor = 0;
  ctx->Player.ArmorLevel = 0;
  Frame(0.01);
  EXPECT_EQ(ctx->Hud.PlayerArmorText->Text, "0");
  EXPECT_FLOAT_EQ(ctx->Hud.PlayerArmorText->ModulateColor.r, 0.6f);
  ctx->Player.ArmorLevel = 3;
  ctx->Player.Armor = 20;
  Frame(0.01);
  EXPECT_EQ(ctx->Hud.PlayerArmorText->Text, "20");
  EXPECT_NEAR(ctx->Hud.PlayerArmorText->ModulateColor.g, 0.5f, 1e-6);
}

TEST_F(HudTest, FlareColourFollowsHealth) {
  EXPECT_EQ(interface::HealthFlareColour(100.0), scene::TColor(1.0f, 0.9f, 0.9f, 1.0f));
  EXPECT_EQ(interface::HealthFlareColour(10.0), scene::TColor(1.0f, 0.0f, 0.0f, 1.0f));
  EXPECT_EQ(interface::HealthFlareColour(200.0), scene::TColor(0.5f, 0.95f, 0.95f, 1.0f));
}

TEST_F(HudTest, TheLayoutScalesWithTheWindow) {
  interface::PlaceHudLayout(*ctx, 640, 480);
  EXPECT_FLOAT_EQ(ctx->Hud.PlayerScoresText->Position.x, 320.0f);
  EXPECT_FLOAT_EQ(ctx->Hud.PlayerScoresText->Position.y, 26.25f);
  EXPECT_FLOAT_EQ(ctx->Hud.PlayerScoresText->Scale.x, 0.1875f);
  EXPECT_FLOAT_EQ(ctx->Hud.PlayerScoresText->Scale.y, 0.125f);
  EXPECT_FLOAT_EQ(ctx->Hud.ScoresAndLevel->Width, 375.0f);
  interface::PlaceHudLayout(*ctx, 1024, 768);
  EXPECT_FLOAT_EQ(ctx->Hud.PlayerScoresText->Position.x, 512.0f);
  EXPECT_FLOAT_EQ(ctx->Hud.PlayerScoresText->Scale.y, 0.2f);
  EXPECT_FLOAT_EQ(ctx->Hud.ArmorAndHealth->Height, 115.0f);
}

}  // namespace
}  // namespace vlm::test
