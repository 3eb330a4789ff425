#include "shell/HeadlessDriver.h"

#include "shell/Autopilot.h"

#include <algorithm>

#include "context/GameContext.h"
#include "shell/Input.h"
#include "shell/MenuDemo.h"
#include "shell/Replay.h"

namespace vlm::shell {

void RunLoopPass(GameContext& ctx, int64_t nowUs) {
  ctx.Timers.FireDue(nowUs / 1000, [&ctx](TimerId id) { FireTimer(ctx, id); });
  FinishLoopPass(ctx, nowUs);
}

void FinishLoopPass(GameContext& ctx, int64_t nowUs) {
  MenuDemoPass(ctx, nowUs);
  if (ctx.Recorder) ctx.Recorder->Frame(nowUs);
  ctx.GLCadencer1.Progress(double(nowUs) / 1e6);
  if (ctx.Deactivated) PauseWhileAway(ctx);
  bool capture = WantsPointerCaptured(ctx);
  if (ctx.Platform().PointerCaptured() != capture) ctx.Platform().SetPointerCaptured(capture);
}

void HeadlessDriver::Feed(const std::vector<InputEvent>& events) {
  // Keep the not-yet-played events, add the new ones, order by time (stable for equal times).
  events_.erase(events_.begin(), events_.begin() + static_cast<std::ptrdiff_t>(next_));
  next_ = 0;
  events_.insert(events_.end(), events.begin(), events.end());
  std::stable_sort(events_.begin(), events_.end(),
                   [](const InputEvent& a, const InputEvent& b) { return a.TimeMs < b.TimeMs; });
}

void HeadlessDriver::Step() {
  nowMs_ += frameMs_;
  while (next_ < events_.size() && events_[next_].TimeMs <= nowMs_) ApplyInputEvent(ctx_, events_[next_++]);
  if (pilot_) pilot_->Fly(ctx_, nowMs_);
  RunLoopPass(ctx_, nowMs_ * 1000);
  ++frames_;
}

void HeadlessDriver::RunFor(int64_t ms) {
  const int64_t end = nowMs_ + ms;
  while (nowMs_ < end) Step();
}

// Here rather than with the replay reader, which then stands alone (its fuzz target links
// only it and the data layer).
void PlayReplayPass(GameContext& ctx, const TReplayPass& pass) {
  for (const InputEvent& e : pass.Events) ApplyInputEvent(ctx, e);
  ctx.Timers.SetClockMs(pass.FrameTimeUs / 1000);  // the recorded timers see the recorded clock
  for (TimerId id : pass.Timers) FireTimer(ctx, id);
  FinishLoopPass(ctx, pass.FrameTimeUs);
}

}  // namespace vlm::shell
