#pragma once
// Building an enemy's flight path: the hidden Follower polygon gets a movement behaviour
// whose one path runs through the nodes of a nav path.

#include "levels/NavPaths.h"

namespace vlm::scene {
class TGLBaseSceneObject;
class TGLMovement;
class TGLMovementPath;
struct TGLPathNode;
} // namespace vlm::scene

namespace vlm::levels {

struct TFollowerPath {
    scene::TGLMovement* Movement = nullptr;
    scene::TGLMovementPath* Path = nullptr;
    scene::TGLPathNode* Node = nullptr;  // the last node added; nullptr for a path without nodes
};

// Gives `follower` (a child of the playfield group, scaled (6, 0.1, 8)) a new, hidden path
// through nav path `pathNumber`: loops as the nav path does; each node takes the nav node's
// speed, position (6 x, 0.1 y, 8 z) and rotation. The movement is left with no active path:
// the enemy starts it when it appears. A path number outside the table gives a path without
// nodes, which never starts travelling, so the enemy stays where it was placed.
TFollowerPath BuildFollowerPath(scene::TGLBaseSceneObject& follower, const TNavPathTable& paths, int pathNumber);

} // namespace vlm::levels
