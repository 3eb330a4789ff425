#include "scene/Movement.h"

#include <cmath>

#include "scene/SceneObject.h"

namespace vlm::scene {

// ---------------------------------------------------------------- spline

void TCubicSpline::Build(const float* values, size_t count, size_t stride) {
    mY.resize(count);
    mD.resize(count);
    for (size_t i = 0; i < count; ++i) mY[i] = values[i * stride];
    if (count < 2) {
        for (float& d : mD) d = 0.0f;
        return;
    }
    // Tangents of the natural spline: tridiagonal system
    //   2 D0 + D1 = 3 (y1 - y0)
    //   D(i-1) + 4 Di + D(i+1) = 3 (y(i+1) - y(i-1))
    //   D(n-2) + 2 D(n-1) = 3 (y(n-1) - y(n-2))
    // solved by forward elimination and back substitution (the matrix is symmetric positive
    // definite and diagonally dominant, so no pivoting is needed).
    const size_t n = count;
    mScratch.resize(n);  // modified super-diagonal
    std::vector<float>& c = mScratch;
    std::vector<float>& d = mD;
    auto diag = [n](size_t i) { return (i == 0 || i == n - 1) ? 2.0f : 4.0f; };
    auto rhs = [this, n](size_t i) {
        if (i == 0) return 3.0f * (mY[1] - mY[0]);
        if (i == n - 1) return 3.0f * (mY[n - 1] - mY[n - 2]);
        return 3.0f * (mY[i + 1] - mY[i - 1]);
    };
    double cPrev = 1.0 / diag(0);
    double dPrev = rhs(0) / diag(0);
    c[0] = static_cast<float>(cPrev);
    d[0] = static_cast<float>(dPrev);
    for (size_t i = 1; i < n; ++i) {
        const double m = diag(i) - cPrev;  // sub-diagonal is 1
        cPrev = (i < n - 1) ? 1.0 / m : 0.0;
        dPrev = (rhs(i) - dPrev) / m;
        c[i] = static_cast<float>(cPrev);
        d[i] = static_cast<float>(dPrev);
    }
    for (size_t i = n - 1; i-- > 0;) d[i] = static_cast<float>(d[i] - static_cast<double>(c[i]) * d[i + 1]);
}

float TCubicSpline::Evaluate(double t) const {
    const size_t n = mY.size();
    if (n == 0) return 0.0f;
    if (n == 1) return mY[0];
    size_t i;
    if (t <= 0.0) {
        i = 0;
    } else if (t > static_cast<double>(n - 1)) {
        i = n - 1;
    } else {
        i = static_cast<size_t>(t);
    }
    if (i >= n - 1) i = n - 2;
    const double u = t - static_cast<double>(i);
    const double y0 = mY[i], y1 = mY[i + 1], d0 = mD[i], d1 = mD[i + 1];
    const double c = 3.0 * (y1 - y0) - 2.0 * d0 - d1;
    const double dd = -2.0 * (y1 - y0) + d0 + d1;
    return static_cast<float>(y0 + u * (d0 + u * (c + u * dd)));
}

// ---------------------------------------------------------------- path

TGLPathNode& TGLMovementPath::AddNode() {
    if (Nodes.empty())
        Nodes.emplace_back();
    else
        Nodes.push_back(Nodes.back());
    return Nodes.back();
}

bool TGLMovementPath::CanTravel() const {
    if (Nodes.size() < 2) return false;
    for (const TGLPathNode& n : Nodes)
        if (!(std::fabs(n.Speed) >= 0.01f)) return false;
    return true;
}

void TGLMovementPath::BuildSplines() {
    const size_t n = Nodes.size();
    mScratch.resize(n * 9);
    for (size_t i = 0; i < n; ++i) {
        const TGLPathNode& nd = Nodes[i];
        float* row = &mScratch[i * 9];
        row[0] = nd.Position.x; row[1] = nd.Position.y; row[2] = nd.Position.z;
        row[3] = nd.Rotation.x; row[4] = nd.Rotation.y; row[5] = nd.Rotation.z;
        row[6] = nd.Scale.x;    row[7] = nd.Scale.y;    row[8] = nd.Scale.z;
    }
    for (size_t k = 0; k < 9; ++k) mSplines[k].Build(mScratch.data() + k, n, 9);
}

bool TGLMovementPath::StartTravel() {
    StartTime = 0.0;
    if (!CanTravel()) return false;
    BuildSplines();
    CurrentNode = Nodes[0];
    mInTravel = true;
    return true;
}

void TGLMovementPath::StopTravel() { mInTravel = false; }

void TGLMovementPath::EvaluateAt(double t, TGLPathNode& node) const {
    node.Position = {mSplines[0].Evaluate(t), mSplines[1].Evaluate(t), mSplines[2].Evaluate(t)};
    node.Rotation = {mSplines[3].Evaluate(t), mSplines[4].Evaluate(t), mSplines[5].Evaluate(t)};
    node.Scale = {mSplines[6].Evaluate(t), mSplines[7].Evaluate(t), mSplines[8].Evaluate(t)};
}

bool TGLMovementPath::Travel(double clock) {
    if (!mInTravel) return false;
    if (StartTime == 0.0 || StartTime > clock) StartTime = clock;
    const size_t n = Nodes.size();
    double segStart = StartTime;
    for (size_t i = 1; i < n; ++i) {
        const TGLPathNode& a = Nodes[i - 1];
        const TGLPathNode& b = Nodes[i];
        const double len = glm::length(glm::dvec3(b.Position) - glm::dvec3(a.Position));
        const double va = a.Speed, vb = b.Speed;
        // The speed changes linearly over the segment, so it lasts 2 L / (Va + Vb).  A
        // segment of zero length, or whose speeds do not add up to a forward motion, is
        // passed at once (its parameter would be undefined).
        const bool degenerate = !(len > 1e-9) || !(va + vb > 0.0);
        const double segTime = degenerate ? 0.0 : 2.0 * len / (va + vb);
        if (segStart + segTime >= clock) {
            double t = static_cast<double>(i);
            if (!degenerate) {
                const double e = clock - segStart;
                const double accel = (vb - va) / segTime;
                const double s = va * e + accel * e * e / 2.0;
                t = static_cast<double>(i - 1) + s / len;
            }
            EvaluateAt(t, CurrentNode);
            CurrentNode.Speed = a.Speed;
            return false;
        }
        segStart += segTime;
    }
    // Past the end of the last segment.
    EvaluateAt(static_cast<double>(n - 1), CurrentNode);
    CurrentNode.Speed = Nodes[n - 1].Speed;
    mInTravel = false;
    if (mOwner) mOwner->PathTravelStopped(*this);
    return true;
}

// ---------------------------------------------------------------- movement

TGLMovementPath* TGLMovement::AddPath() {
    mPaths.push_back(std::make_unique<TGLMovementPath>(this));
    return mPaths.back().get();
}

void TGLMovement::ClearPaths() {
    mPaths.clear();
    mActivePathIndex = -1;
}

void TGLMovement::SetActivePathIndex(int index) {
    if (index < -1 || index >= static_cast<int>(mPaths.size())) index = -1;
    if (index == mActivePathIndex) return;
    if (TGLMovementPath* p = ActivePath()) p->StopTravel();
    mActivePathIndex = index;
}

TGLMovementPath* TGLMovement::ActivePath() const {
    if (mActivePathIndex < 0 || mActivePathIndex >= static_cast<int>(mPaths.size())) return nullptr;
    return mPaths[static_cast<size_t>(mActivePathIndex)].get();
}

bool TGLMovement::StartPathTravel() {
    TGLMovementPath* p = ActivePath();
    return p ? p->StartTravel() : false;
}

void TGLMovement::StopPathTravel() {
    if (TGLMovementPath* p = ActivePath()) p->StopTravel();
}

void TGLMovement::PathTravelStopped(TGLMovementPath& path) {
    if (OnPathTravelStop) OnPathTravelStop(*this, path);
    if (path.Looped) {
        path.StartTravel();  // current node back on node 0; next frame's clock is the new start
        return;
    }
    const int next = mActivePathIndex + 1;
    if (AutoStartNextPath && ActivePath() == &path && next < static_cast<int>(mPaths.size())) {
        mActivePathIndex = next;
        if (StartPathTravel()) return;
    }
    if (OnAllPathTravelledOver) OnAllPathTravelledOver(*this);
}

void TGLMovement::DoProgress(double, double) {
    TGLMovementPath* p = ActivePath();
    if (!p || !p->InTravel()) return;
    p->Travel(PathClock);
    if (!mOwner) return;
    const TGLPathNode& node = p->CurrentNode;
    mOwner->Position = node.Position;
    mOwner->Scale = node.Scale;
    mOwner->SetPitchAngle(node.Rotation.x);
    mOwner->SetTurnAngle(node.Rotation.y);
    mOwner->SetRollAngle(node.Rotation.z);
}

}  // namespace vlm::scene
