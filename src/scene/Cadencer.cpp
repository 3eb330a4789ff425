#include "scene/Cadencer.h"

#include <chrono>
#include <cmath>

#include "scene/Scene.h"

namespace vlm::scene {

void TGLCadencer::SetTimeMultiplier(double m) {
    // The clock accumulates multiplied deltas, so a new multiplier only changes how fast
    // it runs from now on: its time never jumps.
    mTimeMultiplier = (m > 0.0 && std::isfinite(m)) ? m : 0.0;
}

void TGLCadencer::Reset() { mStarted = false; }

void TGLCadencer::Progress(double rawTime) {
    if (!Enabled) return;
    double rawDelta = 0.0;
    if (mStarted && std::isfinite(rawTime)) {
        rawDelta = rawTime - mLastRaw;
        if (!(rawDelta > 0.0)) rawDelta = 0.0;
        // Only MaxDeltaTime of a stall is played; the rest is dropped.
        if (MaxDeltaTime > 0.0 && rawDelta > MaxDeltaTime) rawDelta = MaxDeltaTime;
    }
    if (std::isfinite(rawTime)) {
        mLastRaw = rawTime;
        mStarted = true;
    }
    const double delta = rawDelta * mTimeMultiplier;
    mCurrentTime += delta;
    mLastDelta = delta;
    if (Scene) Scene->Progress(delta, mCurrentTime);
    if (OnProgress) OnProgress(delta, mCurrentTime);
    if (Scene) Scene->SweepFreed();
}

void TGLCadencer::ProgressRealTime() {
    using clock = std::chrono::steady_clock;
    static const clock::time_point origin = clock::now();
    Progress(std::chrono::duration<double>(clock::now() - origin).count());
}

}  // namespace vlm::scene
