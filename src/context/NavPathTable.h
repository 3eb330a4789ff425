#pragma once
// The hand-made flight paths as read from the nav files: the table every level's placements
// name their paths from.
#include <vector>

namespace vlm::levels {

// One control point, in the order of its keys: "s1", "p1x", "p1y", "p1z", "r1x", "r1y", "r1z".
struct TNavNode {
    double Speed = 0.0;                    // world units per second of path clock
    double X = 0.0, Y = 0.0, Z = 0.0;      // playfield position (X up the screen, Z across)
    double RotX = 0.0, RotY = 0.0, RotZ = 0.0; // pitch, turn and roll angle, degrees
};

struct TNodesPath {
    bool Looped = false;
    std::vector<TNavNode> Nodes;
};

using TNavPathTable = std::vector<TNodesPath>;

}  // namespace vlm::levels
