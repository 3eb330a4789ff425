#include "context/Timers.h"

#include <algorithm>

namespace vlm {

TimerSet::TimerSet()
    : timers_{{{"Timer1", 1000, true},
               {"BumpFxTimer", 80, true},
               {"LevelTimer", 400, true},
               {"EnemiesTimer", 300, false},
               {"Timer2", 25, false}}} {}

void TimerSet::SetEnabled(TimerId id, bool enabled) {
  TTimer& t = (*this)[id];
  if (t.Enabled != enabled) t.Armed = false;
  t.Enabled = enabled;
}

int64_t TimerSet::MsUntilNextDue(int64_t nowMs) const {
  int64_t best = -1;
  for (const TTimer& t : timers_) {
    if (!t.Enabled) continue;
    int64_t wait = t.Armed ? std::max<int64_t>(0, t.NextDueMs - nowMs) : t.IntervalMs;
    if (best < 0 || wait < best) best = wait;
  }
  return best;
}

}  // namespace vlm
