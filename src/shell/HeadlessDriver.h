#pragma once
// Runs the real game without a window on a virtual clock: each step advances the clock by a
// fixed frame time, applies the recorded input that has come due, fires the due timers and
// ticks the frame clock once, exactly as the windowed loop does with real time.
#include <cstdint>
#include <vector>

#include "shell/InputScript.h"

namespace vlm { struct GameContext; }

namespace vlm::shell {

class TAutopilot;

class HeadlessDriver {
 public:
  explicit HeadlessDriver(GameContext& ctx, int32_t frameMs = 16) : ctx_(ctx), frameMs_(frameMs) {}

  void SetFrameMs(int32_t ms) { frameMs_ = ms; }
  // A pilot that gives its input every frame, after the recorded input (none: only the recording).
  void SetPilot(TAutopilot* pilot) { pilot_ = pilot; }
  int64_t NowMs() const { return nowMs_; }
  uint64_t Frames() const { return frames_; }
  // Adds events to play; their times are absolute virtual milliseconds.
  void Feed(const std::vector<InputEvent>& events);
  // One frame: clock += frame time; events; timers; frame clock tick.
  void Step();
  // Steps until the virtual clock has advanced by at least ms.
  void RunFor(int64_t ms);
  // Steps until pred() holds or maxMs have passed; returns whether it held.
  template <class P>
  bool RunUntil(P&& pred, int64_t maxMs) {
    const int64_t end = nowMs_ + maxMs;
    while (!pred()) {
      if (nowMs_ >= end) return false;
      Step();
    }
    return true;
  }
  size_t PendingEvents() const { return events_.size() - next_; }

 private:
  GameContext& ctx_;
  int32_t frameMs_;
  int64_t nowMs_ = 0;
  uint64_t frames_ = 0;
  std::vector<InputEvent> events_;
  size_t next_ = 0;
  TAutopilot* pilot_ = nullptr;
};

// One pass of the main loop, shared by the windowed game and the headless driver: fires the
// timers due at nowUs, then FinishLoopPass.
void RunLoopPass(GameContext& ctx, int64_t nowUs);
// The rest of a pass: records the frame when recording, ticks the frame clock at nowUs, and keeps
// the pointer capture in step with the state. Replays call it after their recorded timers.
void FinishLoopPass(GameContext& ctx, int64_t nowUs);

}  // namespace vlm::shell
