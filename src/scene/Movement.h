// Movement behaviours: objects travelling along paths of nodes.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include <glm/glm.hpp>

namespace vlm::scene {

class TGLBaseSceneObject;

// A node of a path.  Rotation is (pitch, turn, roll) in degrees.
struct TGLPathNode {
    glm::vec3 Position{0.0f, 0.0f, 0.0f};
    glm::vec3 Rotation{0.0f, 0.0f, 0.0f};
    glm::vec3 Scale{1.0f, 1.0f, 1.0f};
    float Speed = 0.0f;
};

// Natural cubic spline through values at knots 0, 1, ..., n-1 (unit spacing), one
// coordinate.  Built once per travel start; evaluation allocates nothing.
class TCubicSpline {
public:
    // Fits the spline (reuses its storage).  Fewer than 2 values give a constant (or 0).
    void Build(const float* values, size_t count, size_t stride = 1);
    // Value at parameter t; outside 0..n-1 the end segments' cubics extrapolate.
    float Evaluate(double t) const;
    size_t KnotCount() const { return mY.size(); }

private:
    std::vector<float> mY, mD;  // values and tangents
    std::vector<float> mScratch;
};

class TGLMovement;

class TGLMovementPath {
public:
    explicit TGLMovementPath(TGLMovement* owner) : mOwner(owner) {}

    std::vector<TGLPathNode> Nodes;
    bool Looped = false;
    bool ShowPath = false;
    // Path clock value at which travel began; 0 means it has not begun yet.
    double StartTime = 0.0;
    // The interpolated state while travelling (and the final state after).
    TGLPathNode CurrentNode;

    // Adds a node: a copy of the last node, or the defaults for the first one.
    TGLPathNode& AddNode();
    // At least 2 nodes and every speed at least 0.01 in magnitude.
    bool CanTravel() const;
    bool InTravel() const { return mInTravel; }
    TGLMovement* Movement() const { return mOwner; }

    // Starts travelling (start time 0, splines built, current node := node 0) when
    // CanTravel(); otherwise does nothing and returns false.
    bool StartTravel();
    // Stops travelling without notifications.
    void StopTravel();
    // One frame of travel at path clock `clock` (see TGLMovement::DoProgress).  Returns true
    // when the travel ended in this call (after the notification and the loop restart).
    bool Travel(double clock);

    // Evaluates the three splines at parameter t into node (only while travelling).
    void EvaluateAt(double t, TGLPathNode& node) const;

private:
    void BuildSplines();
    TGLMovement* mOwner;
    bool mInTravel = false;
    TCubicSpline mSplines[9];  // position xyz, rotation xyz, scale xyz
    std::vector<float> mScratch;
};

// The movement behaviour of a scene object.  Its path clock is advanced by the owning game
// object (PathClock += ...), not by the cadencer; the object's per-frame operation then
// travels the active path at that clock and the object takes the current node's position,
// scale, pitch, turn and roll angles.
class TGLMovement {
public:
    explicit TGLMovement(TGLBaseSceneObject* owner) : mOwner(owner) {}

    double PathClock = 0.0;
    bool AutoStartNextPath = true;
    // Called when a path's travel ends, before a looped path restarts.
    std::function<void(TGLMovement&, TGLMovementPath&)> OnPathTravelStop;
    // Called when the last path's travel ends and no next path starts.
    std::function<void(TGLMovement&)> OnAllPathTravelledOver;

    TGLMovementPath* AddPath();
    size_t PathCount() const { return mPaths.size(); }
    TGLMovementPath* Path(size_t i) const { return mPaths[i].get(); }
    void ClearPaths();

    int GetActivePathIndex() const { return mActivePathIndex; }
    // -1 for none; stops the previously active path's travel.
    void SetActivePathIndex(int index);
    TGLMovementPath* ActivePath() const;
    // Starts travelling the active path (see TGLMovementPath::StartTravel).
    bool StartPathTravel();
    void StopPathTravel();

    TGLBaseSceneObject* Owner() const { return mOwner; }

    // Per-frame operation (run by the owner's DoProgress): travels the active path at
    // PathClock and applies the current node to the owner.
    void DoProgress(double deltaTime, double newTime);

private:
    friend class TGLMovementPath;
    void PathTravelStopped(TGLMovementPath& path);
    TGLBaseSceneObject* mOwner;
    std::vector<std::unique_ptr<TGLMovementPath>> mPaths;
    int mActivePathIndex = -1;
};

}  // namespace vlm::scene
