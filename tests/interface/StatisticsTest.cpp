// The statistics screen: percentages and bonus, the count-up with its lives, the press.
#include <gtest/gtest.h>

#include "interface/Hud.h"
#include "interface/Statistics.h"
#include "shell/ShellFixture.h"

namespace vlm::test {
namespace {

using interface::TLevelStats;

struct StatsCase {
  const char* name;
  int32_t destroyed, total, taken, dropped;
  int64_t hits, shots;
  double enemies, bonuses, accuracy;
  int64_t bonus;
};

class ComputeLevelStatsTest : public ShellTest, public ::testing::WithParamInterface<StatsCase> {};

TEST_P(ComputeLevelStatsTest, PercentagesAndBonus) {
  const StatsCase& c = GetParam();
  TLevelStats& s = ctx->Hud.LevelStats;
  s.EnemiesDestroyed = c.destroyed;
  s.EnemiesTotal = c.total;
  s.BonusesTaken = c.taken;
  s.BonusesTotal = c.dropped;
  s.Hits = c.hits;
  s.Shots = c.shots;
  ctx->Player.Scores = 1000;
  interface::ComputeLevelStats(*ctx);
  EXPECT_DOUBLE_EQ(s.EnemiesPercent, c.enemies);
  EXPECT_DOUBLE_EQ(s.BonusesPercent, c.bonuses);
  EXPECT_DOUBLE_EQ(s.AccuracyPercent, c.accuracy);
  EXPECT_EQ(ctx->Player.Scores, 1000 + c.bonus);
}

INSTANTIATE_TEST_SUITE_P(
    Levels, ComputeLevelStatsTest,
    ::testing::Values(StatsCase{"nothing_happened", 0, 0, 0, 0, 0, 0, 100, 100, 100, 1500},
                      StatsCase{"quarter_bonuses_and_aim", 30, 40, 2, 8, 150, 600, 75, 25, 25, 625},
                      StatsCase{"nothing_hit", 0, 10, 0, 3, 0, 50, 0, 0, 0, 0},
                      // 1/3 of each: 3 x 33.33.. / 100 x 500 = 500 exactly after rounding
                      StatsCase{"thirds", 1, 3, 1, 3, 1, 3, 100.0 / 3, 100.0 / 3, 100.0 / 3, 500},
                      // no bonuses dropped and no shot fired count as perfect
                      StatsCase{"half_of_one", 1, 2, 0, 0, 0, 0, 50, 100, 100, 1250}),
    [](const auto& info) { return std::string(info.param.name); });

class StatisticsScreenTest : public ShellTest {
 protected:
  void EnterWith(int64_t scoreBefore, int32_t destroyed, int32_t total) {
    ctx->Player.Scores = scoreBefore;
    ctx->Player.Lifes = 3;
    ctx->Player.BonusLifeIndex = 1;
    ctx->Hud.LevelStats.EnemiesDestroyed = destroyed;
    ctx->Hud.LevelStats.EnemiesTotal = total;
    interface::EnterStatistics(*ctx);
  }
  void Frame(double dt, double t = 0.0) {
    ctx->DeltaTime = dt;
    ctx->FrameTime = t;
    interface::StatisticsFrame(*ctx);
  }
};

TEST_F(StatisticsScreenTest, EnteringShowsTheScreenAndCountsTheBonusUpFromTheOldScore) {
  EnterWith(9000, 30, 40);
  EXPECT_EQ(ctx->GameState, "statistics");
  EXPECT_TRUE(L().StatisticsDummyCube->Visible);
  EXPECT_TRUE(L().CursorImage->Visible);
  EXPECT_EQ(ctx->Player.ShownScore, 9000.0);
  EXPECT_EQ(ctx->Player.Scores, 9000 + 1375);  // 75% + 100% + 100%
  EXPECT_EQ(ctx->Hud.SPS_clickmouseText->ModulateColor.a, 0.0f);
}

TEST_F(StatisticsScreenTest, PercentagesCountUpTogetherThenTheScore) {
  EnterWith(0, 30, 40);  // 75%, 100%, 100%: bonus 1375
  Frame(0.5);
  EXPECT_DOUBLE_EQ(ctx->Hud.LevelStats.EnemiesShown, 37.5);
  EXPECT_DOUBLE_EQ(ctx->Hud.LevelStats.AccuracyShown, 37.5);
  EXPECT_EQ(ctx->Player.ShownScore, 0.0);  // the score waits for the percentages
  EXPECT_EQ(ctx->Hud.SPS_EnemiesDestroyedVal->Text, "38%");
  Frame(0.5);
  Frame(0.5);  // enemies held at 75, the others went past 100 this frame
  EXPECT_DOUBLE_EQ(ctx->Hud.LevelStats.EnemiesShown, 75.0);
  EXPECT_DOUBLE_EQ(ctx->Hud.LevelStats.BonusesShown, 112.5);
  EXPECT_EQ(ctx->Player.ShownScore, 0.0);
  Frame(0.5);  // all three held at their targets: the score starts
  EXPECT_DOUBLE_EQ(ctx->Hud.LevelStats.BonusesShown, 100.0);
  EXPECT_DOUBLE_EQ(ctx->Player.ShownScore, 500.0);
  EXPECT_EQ(ctx->Hud.SPS_ScoresVal->Text, "500");
  EXPECT_EQ(ctx->Hud.PlayerScoresText->Text, "score:500");
  for (int i = 0; i < 3; ++i) Frame(0.5);
  EXPECT_DOUBLE_EQ(ctx->Player.ShownScore, 1375.0);  // caught up and set to the score
}

TEST_F(StatisticsScreenTest, PromptBlinksOnlyAfterTheCountUp) {
  EnterWith(0, 1, 1);
  Frame(0.1, 0.3);
  EXPECT_EQ(ctx->Hud.SPS_clickmouseText->ModulateColor.a, 0.0f);
  ctx->Player.ShownScore = double(ctx->Player.Scores);
  Frame(0.1, 0.3);
  EXPECT_FLOAT_EQ(ctx->Hud.SPS_clickmouseText->ModulateColor.a, float(std::sin(1.5)));
}

TEST_F(StatisticsScreenTest, ALifeComesAsTheShownScorePassesTenThousand) {
  EnterWith(9800, 0, 0);  // +1500: 9 800 -> 11 300
  for (int i = 0; i < 100 && ctx->Player.ShownScore < 9990.0; ++i) Frame(0.01);
  EXPECT_EQ(ctx->Player.Lifes, 3);
  for (int i = 0; i < 100 && ctx->Player.ShownScore < 10010.0; ++i) Frame(0.01);
  Frame(0.01);
  EXPECT_EQ(ctx->Player.Lifes, 4);
  EXPECT_EQ(ctx->Player.BonusLifeIndex, 2);
  EXPECT_EQ(ctx->Hud.PlayerLifesText->Text, "4");
  for (int i = 0; i < 300; ++i) Frame(0.01);
  EXPECT_EQ(ctx->Player.Lifes, 4);  // the next life is at 35 000
}

TEST_F(StatisticsScreenTest, NoLifeIsReadPastTheLastThreshold) {
  ctx->Player.Lifes = 2;
  ctx->Player.BonusLifeIndex = 21;  // all twenty lives given
  ctx->Player.Scores = 3000000;
  ctx->Player.ShownScore = 3000000;
  for (int i = 0; i < 10; ++i) Frame(0.01);
  EXPECT_EQ(ctx->Player.Lifes, 2);
  EXPECT_EQ(interface::BonusLifeThreshold(20), 2000000);
  EXPECT_EQ(interface::BonusLifeThreshold(21), 0);
  EXPECT_EQ(interface::BonusLifeThreshold(0), 0);
}

TEST_F(StatisticsScreenTest, APressDuringTheCountUpIsUsedUpAndDoesNothing) {
  EnterWith(0, 1, 1);
  ctx->LeftClick = true;
  interface::StatisticsPress(*ctx);
  EXPECT_FALSE(ctx->LeftClick);
  EXPECT_EQ(ctx->GameState, "statistics");
  EXPECT_TRUE(L().StatisticsDummyCube->Visible);
}

TEST_F(StatisticsScreenTest, APressAfterTheCountUpStartsTheFlyOut) {
  EnterWith(0, 1, 1);
  ctx->Player.ShownScore = double(ctx->Player.Scores);
  ctx->LeftClick = true;
  interface::StatisticsPress(*ctx);
  EXPECT_EQ(ctx->GameState, "levelintro");
  EXPECT_FALSE(L().StatisticsDummyCube->Visible);
  EXPECT_FALSE(L().CursorImage->Visible);
  EXPECT_TRUE(L().LogoHudSprite->Visible);
  EXPECT_EQ(float(L().LogoHudSprite->AlphaChannel), 0.0f);
  EXPECT_EQ(L().LoadingHintsText->ModulateColor.a, 0.0f);
  EXPECT_EQ(float(L().CanvasSprite->AlphaChannel), 1.0f);
}

}  // namespace
}  // namespace vlm::test
