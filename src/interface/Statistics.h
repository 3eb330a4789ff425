#pragma once
// The statistics screen after a level: the level's counters, the three percentages with their
// count-up, the bonus of up to 1500 points, and the press that moves on.
#include <cstdint>

namespace vlm { struct GameContext; }

namespace vlm::interface {

// The counters of one level, zeroed by the level load. The enemies, the weapons and the
// bonuses keep them up to date; the statistics screen turns them into percentages.
struct TLevelStats {
  int32_t EnemiesTotal = 0;      // +1 for every enemy spawned
  int32_t EnemiesDestroyed = 0;  // +1 for every enemy destroyed (not one that flew away)
  int32_t BonusesTaken = 0;      // +1 for every bonus picked up
  int32_t BonusesTotal = 0;      // +1 for every bonus dropped
  int64_t Hits = 0;              // +1 for every player shot that hits
  int64_t Shots = 0;             // +1 for every player shot fired
  double EnemiesPercent = 0.0, EnemiesShown = 0.0;    // target and displayed value
  double BonusesPercent = 0.0, BonusesShown = 0.0;
  double AccuracyPercent = 0.0, AccuracyShown = 0.0;
};
static_assert(sizeof(TLevelStats) == 80, "the level statistics record is 80 bytes");

// The three percentages from the counters, and their bonus added to the player's score:
// (enemies + bonuses + accuracy) / 100 x 500, rounded half to even; 1500 for a perfect level.
void ComputeLevelStats(GameContext& ctx);
// The switch to the statistics screen at the end of a level.
void EnterStatistics(GameContext& ctx);
// The count-up, every frame in "statistics".
void StatisticsFrame(GameContext& ctx);
// A left press in "statistics": used up; once the count-up has finished it moves on to the
// level's cut-scene, the shop or the next level's fly-out.
void StatisticsPress(GameContext& ctx);

// The score of bonus life number `index` (1 to 20), or 0 when there is no such life: lives
// stop after the last threshold instead of reading past the table.
int64_t BonusLifeThreshold(int32_t index);

}  // namespace vlm::interface
