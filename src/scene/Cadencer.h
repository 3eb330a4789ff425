// The frame clock.
#pragma once

#include <functional>

namespace vlm::scene {

class TGLScene;

// Each Progress(rawTime) takes the raw time elapsed since the previous tick, clamps it to
// MaxDeltaTime (the excess is dropped, not carried), multiplies it by TimeMultiplier, adds
// it to the clock's time, advances the scene (objects, camera, particle managers), calls
// OnProgress with the same delta and time, then sweeps freed objects.  Changing
// TimeMultiplier never makes the clock's time jump.
class TGLCadencer {
public:
    explicit TGLCadencer(TGLScene* scene = nullptr) : Scene(scene) {}

    TGLScene* Scene;
    double MaxDeltaTime = 0.035;
    bool Enabled = true;
    std::function<void(double deltaTime, double newTime)> OnProgress;

    double GetTimeMultiplier() const { return mTimeMultiplier; }
    void SetTimeMultiplier(double m);  // negative values are taken as 0

    // The clock's current time (seconds) and the last delta delivered.
    double CurrentTime() const { return mCurrentTime; }
    double LastDeltaTime() const { return mLastDelta; }
    bool Started() const { return mStarted; }

    // One tick at raw time rawTime (seconds, from any monotonic source, real or virtual).
    // The first tick only sets the reference and delivers a delta of 0.  A raw time that
    // goes backwards delivers 0.
    void Progress(double rawTime);
    // One tick using the steady system clock.
    void ProgressRealTime();
    // Forgets the reference: the next Progress delivers 0.  The clock's time is kept.
    void Reset();

private:
    double mTimeMultiplier = 1.0;
    double mCurrentTime = 0.0;
    double mLastDelta = 0.0;
    double mLastRaw = 0.0;
    bool mStarted = false;
};

}  // namespace vlm::scene
