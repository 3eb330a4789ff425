#pragma once
// Fixed-interval timers of the main window. They fire between frames on the one game thread,
// like window-message timers: a timer that fell behind fires once, not in a burst.
#include <array>
#include <cstddef>
#include <cstdint>

namespace vlm {

struct TTimer {
  const char* Name;
  int32_t IntervalMs;
  bool Enabled;
  int64_t NextDueMs = 0;  // clock time of the next tick; re-armed when the timer is (re)enabled
  bool Armed = false;
};

enum class TimerId : uint8_t { Timer1, BumpFxTimer, LevelTimer, EnemiesTimer, Timer2, Count };

class TimerSet {
 public:
  TimerSet();
  TTimer& operator[](TimerId id) { return timers_[static_cast<size_t>(id)]; }
  const TTimer& operator[](TimerId id) const { return timers_[static_cast<size_t>(id)]; }
  void SetEnabled(TimerId id, bool enabled);
  // Fires every timer that is due at nowMs, in their fixed order, through fire(id).
  template <class F>
  void FireDue(int64_t nowMs, F&& fire) {
    clockMs_ = nowMs;
    for (size_t i = 0; i < timers_.size(); ++i) {
      TTimer& t = timers_[i];
      if (!t.Enabled) continue;
      if (!t.Armed) {
        t.NextDueMs = nowMs + t.IntervalMs;
        t.Armed = true;
        continue;
      }
      if (nowMs >= t.NextDueMs) {
        t.NextDueMs = nowMs + t.IntervalMs;
        fire(static_cast<TimerId>(i));
      }
    }
  }
  // The raw clock time (not slowed by slow motion) of the latest pass that fired timers.
  int64_t ClockMs() const { return clockMs_; }
  void SetClockMs(int64_t nowMs) { clockMs_ = nowMs; }
  // Milliseconds until the next enabled timer is due (for sleeping when idle), or -1.
  int64_t MsUntilNextDue(int64_t nowMs) const;

 private:
  std::array<TTimer, static_cast<size_t>(TimerId::Count)> timers_;
  int64_t clockMs_ = 0;
};

}  // namespace vlm
