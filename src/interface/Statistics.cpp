#include "interface/Statistics.h"

#include <array>
#include <cmath>
#include <cstdio>

#include "data/Numbers.h"
#include "interface/Hud.h"
#include "interface/Shop.h"
#include "levels/CutScene.h"
#include "levels/LevelRun.h"
#include "context/GameContext.h"
#include "sound/SoundUnit.h"

namespace vlm::interface {

namespace {

// The scores that give an extra life, in order (CheckExtraLife reads them here too).
constexpr std::array<int64_t, 20> kBonusLifeScores = {
    10000,  35000,  79000,  98000,  170000,  270000,  316000,  450000,  498000,  585000,
    615000, 660000, 700000, 920000, 1000000, 1200000, 1400000, 1600000, 1800000, 2000000};

double Percent(int64_t part, int64_t whole) { return whole == 0 ? 100.0 : double(part) * 100.0 / double(whole); }

// A shown percentage grows at 75 a second until it reaches its target; true once it has.
bool CountUp(double& shown, double target, double deltaTime) {
  if (shown >= target) {
    shown = target;
    return true;
  }
  shown += deltaTime * 75.0;
  return false;
}

void SetPercentText(std::string& text, double shown) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%lld%%", static_cast<long long>(data::RoundHalfEven(shown)));
  text.assign(buf);
}

}  // namespace

int64_t BonusLifeThreshold(int32_t index) {
  if (index < 1 || index > int32_t(kBonusLifeScores.size())) return 0;
  return kBonusLifeScores[size_t(index - 1)];
}

void ComputeLevelStats(GameContext& ctx) {
  TLevelStats& s = ctx.Hud.LevelStats;
  s.EnemiesPercent = Percent(s.EnemiesDestroyed, s.EnemiesTotal);
  s.BonusesPercent = Percent(s.BonusesTaken, s.BonusesTotal);
  s.AccuracyPercent = Percent(s.Hits, s.Shots);
  const double bonus = (s.EnemiesPercent / 100.0 + s.BonusesPercent / 100.0 + s.AccuracyPercent / 100.0) * 500.0;
  ctx.Player.Scores += data::RoundHalfEven(bonus);
}

void EnterStatistics(GameContext& ctx) {
  TLayout& L = ctx.L;
  // The bonus is added after the shown score is taken, so that it counts up on screen.
  ctx.Player.ShownScore = double(ctx.Player.Scores);
  ctx.Hud.SPS_clickmouseText->ModulateColor.a = 0.0f;
  ComputeLevelStats(ctx);
  ctx.GameState = "statistics";
  PlaySound("stats", int(data::RoundHalfEven(ctx.Options.SoundVolume * 100.0)), 0);
  L.StatisticsDummyCube->Visible = true;
  L.CursorImage->Visible = true;
}

void StatisticsFrame(GameContext& ctx) {
  THudState& h = ctx.Hud;
  TLevelStats& s = h.LevelStats;
  data::TPlayer& p = ctx.Player;
  // Lives come during the count-up as the shown score passes their thresholds, one a frame.
  //    Past the last threshold there are no more lives to give.
  const int64_t next = BonusLifeThreshold(p.BonusLifeIndex);
  if (next > 0 && p.ShownScore >= double(next)) {
    p.Lifes += 1;
    p.BonusLifeIndex += 1;
  }
  SetLifesText(ctx);
  // The prompt blinks once the count-up has finished.
  if (p.ShownScore >= double(p.Scores)) h.SPS_clickmouseText->ModulateColor.a = float(std::sin(ctx.FrameTime * 5.0));
  // The three percentages count up together.
  bool done = CountUp(s.EnemiesShown, s.EnemiesPercent, ctx.DeltaTime);
  done = CountUp(s.BonusesShown, s.BonusesPercent, ctx.DeltaTime) && done;
  done = CountUp(s.AccuracyShown, s.AccuracyPercent, ctx.DeltaTime) && done;
  // Then the score.
  if (done) {
    if (double(p.Scores) > p.ShownScore)
      p.ShownScore += ctx.DeltaTime * 1000.0;
    else
      p.ShownScore = double(p.Scores);
  }
  // The texts show the counted values.
  SetPercentText(h.SPS_EnemiesDestroyedVal->Text, s.EnemiesShown);
  SetPercentText(h.SPS_BonusesTakenVal->Text, s.BonusesShown);
  SetPercentText(h.SPS_AccuracyVal->Text, s.AccuracyShown);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%lld", static_cast<long long>(data::RoundHalfEven(p.ShownScore)));
  h.SPS_ScoresVal->Text.assign(buf);
  SetScoreText(ctx);
}

void StatisticsPress(GameContext& ctx) {
  TLayout& L = ctx.L;
  ctx.LeftClick = false;
  if (double(ctx.Player.Scores) > ctx.Player.ShownScore) return;  // still counting
  if (ctx.Level.CutSceneShowAt == 1) {
    // The cut-scene leads on to the shop or the fly-out; one that cannot be shown is passed by.
    L.StatisticsDummyCube->Visible = false;
    if (levels::StartCutScene(ctx)) return;
  }
  L.StatisticsDummyCube->Visible = false;
  L.CursorImage->Visible = false;
  if (ctx.Level.ShopAfterLevel) {
    EnterShop(ctx);
    return;
  }
  levels::EnterFlyOut(ctx);
}

}  // namespace vlm::interface
