#pragma once
// The statistics screen after a level: the level's counters, the three percentages with their
// count-up, the bonus of up to 1500 points, and the press that moves on.
#include <cstdint>

#include "context/HudState.h"

namespace vlm { struct GameContext; }

namespace vlm::interface {


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
